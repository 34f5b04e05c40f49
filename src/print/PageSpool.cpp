#include "print/PageSpool.h"

#include "db/Errors.h"

#include <QDataStream>
#include <QElapsedTimer>

namespace rep {

namespace {

quint8 sideBits(const TRepFrame &sides) {
    return quint8((sides.Top ? 1 : 0) | (sides.Bottom ? 2 : 0) | (sides.Left ? 4 : 0) |
                  (sides.Right ? 8 : 0));
}

TRepFrame sidesOf(quint8 bits, double width) {
    TRepFrame sides;
    sides.Top = bits & 1;
    sides.Bottom = bits & 2;
    sides.Left = bits & 4;
    sides.Right = bits & 8;
    sides.Width = width;
    return sides;
}

EOrbekError spoolError() {
    return EOrbekError(QStringLiteral("Не удалось сохранить страницы отчета во временный файл"));
}

// Reads the spooled pages in order, laying out more as it goes.
class SpoolReader : public TPageSource {
  public:
    explicit SpoolReader(TPageSpool &spool) : TPageSource(spool.Settings()), m_spool(spool) {}
    bool NextPage(TPage &page) override {
        if (!m_spool.Reach(m_next)) return false;
        page = m_spool.Page(m_next++);
        return true;
    }
    void Rewind() override { m_next = 0; }

  private:
    TPageSpool &m_spool;
    int m_next = 0;
};

} // namespace

TPageSpool::TPageSpool(std::unique_ptr<TPageSource> source) : m_source(std::move(source)) {
    if (!m_file.open()) throw spoolError();
}

TPageSpool::~TPageSpool() = default;

bool TPageSpool::Reach(int index) {
    while (index >= Count() && !m_complete)
        layOutOne();
    return index < Count();
}

void TPageSpool::LayOutFor(int msecs) {
    QElapsedTimer timer;
    timer.start();
    while (!m_complete && timer.elapsed() < msecs)
        layOutOne();
}

void TPageSpool::layOutOne() {
    bool more = false;
    try {
        more = m_source->NextPage(m_page);
    } catch (...) {
        m_complete = true;
        m_pageIndex = -1;
        throw;
    }
    if (!more) {
        m_complete = true;
        m_pageIndex = -1;
        return;
    }
    write(m_page);
    m_pageIndex = Count() - 1;
}

const TPage &TPageSpool::Page(int index) {
    if (index != m_pageIndex) {
        read(index, m_page);
        m_pageIndex = index;
    }
    return m_page;
}

std::unique_ptr<TPageSource> TPageSpool::Reader() {
    return std::make_unique<SpoolReader>(*this);
}

quint16 TPageSpool::fontIndex(const TRepFont &font) {
    for (size_t i = 0; i < m_fonts.size(); ++i)
        if (m_fonts[i] == font) return quint16(i);
    m_fonts.push_back(font);
    return quint16(m_fonts.size() - 1);
}

// A page is one compressed record: most of a list page repeats from row to row.
void TPageSpool::write(const TPage &page) {
    QByteArray data;
    {
        QDataStream out(&data, QIODevice::WriteOnly);
        out << page.Size << quint32(page.Frames.size());
        for (const TPageFrame &frame : page.Frames)
            out << frame.Rect << sideBits(frame.Sides) << frame.Sides.Width;
        out << quint32(page.Lines.size());
        for (const TPageLine &line : page.Lines)
            out << line.From << line.To << line.Width;
        out << quint32(page.Texts.size());
        for (const TPageText &text : page.Texts)
            out << text.Text << fontIndex(text.Font) << text.Box << quint8(text.Alignment) << text.Origin
                << text.Width << text.ClipRect;
    }
    const QByteArray record = qCompress(data, 1);
    const qint64 offset = m_file.size();
    QDataStream out(&m_file);
    if (!m_file.seek(offset)) throw spoolError();
    out << record;
    if (out.status() != QDataStream::Ok) throw spoolError();
    m_offsets.push_back(offset);
}

void TPageSpool::read(int index, TPage &page) {
    QByteArray record;
    QDataStream file(&m_file);
    if (!m_file.seek(m_offsets[size_t(index)])) throw spoolError();
    file >> record;
    const QByteArray data = qUncompress(record);
    QDataStream in(data);
    quint32 count = 0;
    in >> page.Size >> count;
    page.Frames.resize(count);
    for (TPageFrame &frame : page.Frames) {
        quint8 sides = 0;
        double width = 0;
        in >> frame.Rect >> sides >> width;
        frame.Sides = sidesOf(sides, width);
    }
    in >> count;
    page.Lines.resize(count);
    for (TPageLine &line : page.Lines)
        in >> line.From >> line.To >> line.Width;
    in >> count;
    page.Texts.resize(count);
    for (TPageText &text : page.Texts) {
        quint16 font = 0;
        quint8 alignment = 0;
        in >> text.Text >> font >> text.Box >> alignment >> text.Origin >> text.Width >> text.ClipRect;
        text.Font = m_fonts.at(font);
        text.Alignment = TAlignment(alignment);
    }
    if (in.status() != QDataStream::Ok) throw spoolError();
}

} // namespace rep

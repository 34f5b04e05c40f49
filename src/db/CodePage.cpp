#include "db/CodePage.h"

#include <QMutex>

#include <iconv.h>

#include <map>
#include <memory>

namespace db {

const TCodePage *TCodePage::Find(int number) {
    static QMutex mutex;
    static std::map<int, std::unique_ptr<TCodePage>> made;
    QMutexLocker lock(&mutex);
    auto it = made.find(number);
    if (it != made.end()) return it->second.get();
    const QByteArray name = "CP" + QByteArray::number(number);
    iconv_t cd = iconv_open("UTF-16LE", name.constData());
    if (cd == iconv_t(-1)) return nullptr;
    auto page = std::unique_ptr<TCodePage>(new TCodePage(number));
    for (int b = 0; b < 256; ++b) {
        char in = char(b);
        char out[4] = {};
        char *inPtr = &in, *outPtr = out;
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && outLeft == 2;
        const char16_t c = done ? char16_t(uchar(out[0]) | uchar(out[1]) << 8) : char16_t(0xFFFD);
        page->m_chars[b] = c;
        // The lowest byte of a character wins, so ASCII keeps its own bytes.
        if (done && !page->m_bytes.contains(c)) page->m_bytes.insert(c, in);
    }
    iconv_close(cd);
    return made.emplace(number, std::move(page)).first->second.get();
}

QString TCodePage::Decode(const char *data, qsizetype length) const {
    QString text(length, Qt::Uninitialized);
    QChar *out = text.data();
    qsizetype n = 0;
    for (; n < length && data[n] != 0; ++n)
        out[n] = QChar(m_chars[uchar(data[n])]);
    text.truncate(n);
    return text;
}

QByteArray TCodePage::Encode(const QString &text) const {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text)
        bytes.append(m_bytes.value(c.unicode(), '?'));
    return bytes;
}

bool TCodePage::CanEncode(const QString &text) const {
    for (const QChar c : text)
        if (!m_bytes.contains(c.unicode())) return false;
    return true;
}

} // namespace db

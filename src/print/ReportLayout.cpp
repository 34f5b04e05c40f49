// The layout pass: walks the rows of the report's dataset and stacks the bands onto
// pages, running the hooks on the way. The pass is driven from outside one page at a
// time: each call lays out rows until a page is full and hands it over, so neither
// the rows nor the pages pile up.
#include "print/Report.h"

#include "db/Currency.h"
#include "db/Errors.h"
#include "db/Formats.h"
#include "print/Fonts.h"

#include <QHash>
#include <QRegularExpression>
#include <QtNumeric>

#include <cmath>
#include <deque>
#include <optional>

namespace {

constexpr double Epsilon = 0.001; // mm; below any visible difference
// A text too big for its box prints smaller, in steps of a quarter point down to the
// smallest size; only what does not fit even at that size is cut.
constexpr double SizeStep = 0.25;  // pt
constexpr double SmallestSize = 2; // pt

// The padding a text keeps on each side of its box: none in a box too narrow for it.
double sidePadding(const TRepText *e, double boxWidth) {
    return e->Padding > 0 && boxWidth > 2 * e->Padding ? e->Padding : 0;
}

// The lines of a text at `metrics`: wrapped into `width` mm, or as its own line
// breaks give them.
QStringList textLines(const QString &text, const rep::FontMetrics &metrics, double width, bool wraps) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return wraps ? metrics.WrapLines(text, width) : text.split(lineBreak);
}

// The height `count` lines take from the top of the first to the foot of the last (mm).
double blockHeight(qsizetype count, const rep::FontMetrics &metrics) {
    return double(count - 1) * metrics.LineSpacing() + metrics.Ascent() + metrics.Descent();
}

// Whether lines fit an area of `area` mm: none wider, and a second line or more only
// when the last ends inside it (a first line prints whatever the box's height).
bool linesFit(const QStringList &lines, const rep::FontMetrics &metrics, QSizeF area) {
    for (const QString &line : lines)
        if (metrics.TextWidth(line) > area.width() + Epsilon) return false;
    return lines.size() <= 1 || blockHeight(lines.size(), metrics) <= area.height() + 0.1;
}

// A field of a row source, resolved once per pass.
struct FieldRef {
    TRowSource *source = nullptr;
    int field = -1;
};

enum class TextKind { Label, DBText, FieldExpr, SumExpr, Memo };

struct CompiledElement {
    TRepPrintable *element = nullptr;
    TRepText *text = nullptr; // nullptr for shapes
    TextKind kind = TextKind::Label;
    FieldRef field;
    int sum = -1;  // of a SumExpr: its running total in m_sums
    TRepFont font; // resolved
    const rep::FontMetrics *metrics = nullptr;
    // A copy for this pass, so state a hook keeps in its captures starts afresh.
    std::function<void(TRepText *, QString &)> onPrint;
    // The size the text last fitted its area at and its lines there: a heading is
    // fitted once, not on every page.
    QString fittedText;
    QSizeF fittedArea{-1, -1};
    TRepFont fittedFont;
    const rep::FontMetrics *fittedMetrics = nullptr;
    QStringList fittedLines;
    // Of a stretching band: the text worked out (hook run) before the band is placed,
    // and how much lower and taller than designed the box prints this time.
    std::optional<QString> prepared;
    double shift = 0, extra = 0;
};

// A SUM's running total over a pass. The figures its mask prints are added exactly, in
// ten-thousandths, so the total prints as the sum of the figures printed in its column;
// a figure the mask does not give as an amount (no mask, more than four decimals) or a
// total beyond the range turns it to adding the plain numbers.
struct RunningSum {
    TRepExpr *expr = nullptr;
    FieldRef field;
    qint64 raw = 0;
    bool exact = true;
};

struct CompiledBand {
    TRepBand *band = nullptr;
    std::function<void(TRepBand *, bool &)> beforePrint;
    std::vector<CompiledElement> elements;
};

struct CompiledGroup {
    FieldRef key;
    CompiledBand header;
    CompiledBand footer; // band == nullptr: none
};

// What hooks may change during a pass, put back when it ends, so every pass starts
// from the layout as the form declared it.
class DesignState {
  public:
    explicit DesignState(const TReport &report) {
        for (const auto &band : report.Bands()) {
            m_heights.emplace_back(band.get(), band->Height);
            for (const auto &element : band->Elements())
                if (auto *expr = dynamic_cast<TRepExpr *>(element.get()))
                    m_resets.emplace_back(expr, expr->ResetAfterPrint);
        }
    }
    ~DesignState() {
        for (auto &[band, height] : m_heights)
            band->Height = height;
        for (auto &[expr, reset] : m_resets)
            expr->ResetAfterPrint = reset;
    }
    DesignState(const DesignState &) = delete;
    DesignState &operator=(const DesignState &) = delete;

  private:
    std::vector<std::pair<TRepBand *, double>> m_heights;
    std::vector<std::pair<TRepExpr *, bool>> m_resets;
};

} // namespace

// One pass over the rows. Constructing it compiles the report (and throws for an
// expression or field the data does not have); NextPage lays out until a page is
// full. Between calls the report's dataset reads its own current row.
class TReportLayout {
  public:
    explicit TReportLayout(TReport &report);
    ~TReportLayout();
    TReportLayout(const TReportLayout &) = delete;
    TReportLayout &operator=(const TReportLayout &) = delete;

    bool NextPage(TPage &page);

  private:
    // ---- Compiling ----
    TRowSource *sourceFor(const TDataRef &ref);
    TRowSource *sourceNamed(const QString &name, const QString &expression);
    FieldRef resolveField(TRowSource *source, const QString &field, const QString &context);
    FieldRef parseFieldRef(const QString &expression, bool *isSum);
    TRepFont resolveFont(const TRepFont &own, const TRepBand *band) const;
    CompiledElement compileElement(TRepPrintable *element);
    CompiledBand compileBand(TRepBand *band);
    void compile();

    // ---- Stepping ----
    void step();
    void begin();
    void nextRow();
    void endRows();
    void finish();

    // ---- Laying out ----
    bool selectRow(int row);
    void startPage();
    void finishPage(bool last);
    bool printBand(CompiledBand &band, bool allowBreak = true, bool isDetail = false);
    double stretch(CompiledBand &band);
    void placeBand(CompiledBand &band, double top, double height);
    void placeElement(CompiledElement &element, QPointF origin, double limit);
    void placeText(CompiledElement &element, QRectF box, double limit, bool trimmed);
    void fitText(CompiledElement &element, const QString &text, QSizeF area);
    QString elementText(CompiledElement &element);
    void accumulate();
    void restartSum(RunningSum &sum);
    void resetAfterPrint(CompiledBand &band);
    QVariantList groupKeys() const;

    TReport &m_report;
    std::optional<DesignState> m_design; // engaged while the pass runs
    std::vector<std::unique_ptr<TRowSource>> m_ownedSources;
    QHash<const void *, TRowSource *> m_sources;
    TRowSource *m_driver = nullptr;

    CompiledBand m_title, m_pageHeader, m_columnHeader, m_detail, m_summary, m_pageFooter;
    std::vector<CompiledGroup> m_groups;
    std::vector<CompiledElement> m_free;
    std::vector<RunningSum> m_sums;

    enum class Phase { Begin, Rows, Done };
    Phase m_phase = Phase::Begin;
    int m_row = 0;               // the next row to lay out
    QVariantList m_groupKeys;    // of the row laid out last
    std::optional<TPage> m_page; // being filled
    std::deque<TPage> m_ready;   // full, not yet handed over
    int m_pageCount = 0;         // pages started
    size_t m_textsPerPage = 0;   // the most texts a page held so far: room made at once
    double m_y = 0;              // next band's top on the current page
    double m_limit = 0;          // where the page footer begins
    double m_contentTop = 0;     // below the page's headers
};

// ---- Compiling -------------------------------------------------------------------

TRowSource *TReportLayout::sourceFor(const TDataRef &ref) {
    if (ref.IsNull()) return nullptr;
    if (TRowSource *known = m_sources.value(ref.Key())) return known;
    TRowSource *source = ref.Source();
    if (!source) {
        m_ownedSources.push_back(ref.Adapt());
        source = m_ownedSources.back().get();
    }
    m_sources.insert(ref.Key(), source);
    return source;
}

TRowSource *TReportLayout::sourceNamed(const QString &name, const QString &expression) {
    if (name.isEmpty()) {
        if (!m_driver)
            throw EOrbekError(QStringLiteral("Выражение «%1» требует набора данных отчета").arg(expression));
        return m_driver;
    }
    for (TRowSource *source : std::as_const(m_sources))
        if (source->Name().compare(name, Qt::CaseInsensitive) == 0) return source;
    throw EOrbekError(QStringLiteral("В выражении «%1» неизвестный набор данных %2").arg(expression, name));
}

FieldRef TReportLayout::resolveField(TRowSource *source, const QString &field, const QString &context) {
    const int index = source->FieldIndex(field);
    if (index < 0)
        throw EOrbekError(
            QStringLiteral("Поле %1 не найдено в наборе данных %2 (%3)").arg(field, source->Name(), context));
    return {source, index};
}

// "SUM(name.field)", "name.field" or "field".
FieldRef TReportLayout::parseFieldRef(const QString &expression, bool *isSum) {
    static const QRegularExpression sum(QStringLiteral(R"(^\s*SUM\s*\(\s*(?:(\w+)\s*\.\s*)?(\w+)\s*\)\s*$)"),
                                        QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression field(QStringLiteral(R"(^\s*(?:(\w+)\s*\.\s*)?(\w+)\s*$)"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    QRegularExpressionMatch m = sum.match(expression);
    const bool summing = m.hasMatch();
    if (!summing) m = field.match(expression);
    if (!m.hasMatch())
        throw EOrbekError(QStringLiteral("Выражение отчета «%1» не распознано").arg(expression));
    TRowSource *source = sourceNamed(m.captured(1), expression);
    if (summing && source != m_driver)
        throw EOrbekError(
            QStringLiteral("Итог «%1» возможен только по набору данных, строки которого печатает отчет")
                .arg(expression));
    if (isSum) *isSum = summing;
    return resolveField(source, m.captured(2), expression);
}

TRepFont TReportLayout::resolveFont(const TRepFont &own, const TRepBand *band) const {
    TRepFont font = own;
    const TRepFont &report = m_report.Font;
    if (font.Name.isEmpty()) font.Name = band && !band->Font.Name.isEmpty() ? band->Font.Name : report.Name;
    if (font.Name.isEmpty()) font.Name = QStringLiteral("Arial");
    if (font.Size <= 0) font.Size = band && band->Font.Size > 0 ? band->Font.Size : report.Size;
    if (font.Size <= 0) font.Size = 10;
    font.Bold = font.Bold || (band && band->Font.Bold) || report.Bold;
    font.Italic = font.Italic || (band && band->Font.Italic) || report.Italic;
    return font;
}

CompiledElement TReportLayout::compileElement(TRepPrintable *element) {
    CompiledElement c;
    c.element = element;
    c.text = dynamic_cast<TRepText *>(element);
    if (!c.text) return c;
    c.onPrint = c.text->OnPrint;
    c.font = resolveFont(c.text->Font, element->Band());
    c.metrics = &rep::Metrics(c.font);
    if (dynamic_cast<TRepLabel *>(element)) {
        c.kind = TextKind::Label;
    } else if (auto *memo = dynamic_cast<TRepMemo *>(element)) {
        Q_UNUSED(memo);
        c.kind = TextKind::Memo;
    } else if (auto *db = dynamic_cast<TRepDBText *>(element)) {
        c.kind = TextKind::DBText;
        TRowSource *source = db->DataSet ? sourceFor(db->DataSet) : m_driver;
        if (!source)
            throw EOrbekError(QStringLiteral("Для поля %1 отчета не задан набор данных").arg(db->DataField));
        c.field = resolveField(source, db->DataField, db->DataField);
    } else if (auto *expr = dynamic_cast<TRepExpr *>(element)) {
        bool isSum = false;
        c.field = parseFieldRef(expr->Expression, &isSum);
        c.kind = isSum ? TextKind::SumExpr : TextKind::FieldExpr;
        if (isSum) {
            c.sum = int(m_sums.size());
            m_sums.push_back({expr, c.field});
        }
    }
    return c;
}

CompiledBand TReportLayout::compileBand(TRepBand *band) {
    CompiledBand c;
    c.band = band;
    if (!band) return c;
    c.beforePrint = band->BeforePrint;
    for (const auto &element : band->Elements())
        c.elements.push_back(compileElement(element.get()));
    return c;
}

void TReportLayout::compile() {
    m_driver = sourceFor(m_report.DataSet);
    // Every dataset the texts name must be known before expressions look them up.
    auto registerSources = [this](const TRepContainer &container) {
        for (const auto &element : container.Elements())
            if (auto *db = dynamic_cast<TRepDBText *>(element.get())) sourceFor(db->DataSet);
    };
    registerSources(m_report);
    for (const auto &band : m_report.Bands())
        registerSources(*band);

    auto first = [this](TBandType type) -> TRepBand * {
        for (const auto &band : m_report.Bands())
            if (band->BandType == type) return band.get();
        return nullptr;
    };
    m_title = compileBand(first(rbTitle));
    m_pageHeader = compileBand(first(rbPageHeader));
    m_columnHeader = compileBand(first(rbColumnHeader));
    m_detail = compileBand(first(rbDetail));
    m_summary = compileBand(first(rbSummary));
    m_pageFooter = compileBand(first(rbPageFooter));
    for (const auto &band : m_report.Bands()) {
        auto *group = dynamic_cast<TRepGroup *>(band.get());
        if (!group) continue;
        CompiledGroup c;
        if (!group->Expression.trimmed().isEmpty()) c.key = parseFieldRef(group->Expression, nullptr);
        c.header = compileBand(group);
        c.footer = compileBand(group->FooterBand);
        m_groups.push_back(std::move(c));
    }
    for (const auto &element : m_report.Elements())
        m_free.push_back(compileElement(element.get()));
}

// ---- Laying out ------------------------------------------------------------------

bool TReportLayout::selectRow(int row) {
    return m_driver && m_driver->SelectRow(row);
}

void TReportLayout::startPage() {
    const bool first = m_pageCount++ == 0;
    TPage &page = m_page.emplace();
    page.Size = QSizeF(m_report.PageWidth(), m_report.PageHeight());
    page.Texts.reserve(m_textsPerPage);
    const auto &margins = m_report.Page;
    if (m_report.Frame.Any())
        page.Frames.push_back({QRectF(margins.LeftMargin, margins.TopMargin,
                                      page.Size.width() - margins.LeftMargin - margins.RightMargin,
                                      page.Size.height() - margins.TopMargin - margins.BottomMargin),
                               m_report.Frame});
    m_y = margins.TopMargin;
    m_limit = page.Size.height() - margins.BottomMargin - (m_pageFooter.band ? m_pageFooter.band->Height : 0);
    m_contentTop = m_y;
    if (first)
        for (CompiledElement &element : m_free)
            placeElement(element, QPointF(0, 0), page.Size.height());
    if (m_pageHeader.band && (!first || m_report.Options.FirstPageHeader)) printBand(m_pageHeader, false);
    if (first && m_title.band) printBand(m_title, false);
    if (m_columnHeader.band) printBand(m_columnHeader, false);
    m_contentTop = m_y;
}

// Closes the page with its footer and queues it to be handed over.
void TReportLayout::finishPage(bool last) {
    if (m_pageFooter.band && (!last || m_report.Options.LastPageFooter)) {
        bool print = true;
        if (m_pageFooter.beforePrint) m_pageFooter.beforePrint(m_pageFooter.band, print);
        const double height = m_pageFooter.band->Height;
        if (print && height > 0)
            placeBand(m_pageFooter, m_report.PageHeight() - m_report.Page.BottomMargin - height, height);
        resetAfterPrint(m_pageFooter);
    }
    m_textsPerPage = std::max(m_textsPerPage, m_page->Texts.size());
    m_ready.push_back(std::move(*m_page));
    m_page.reset();
}

// Runs the band's hook and places it below the bands before it, on a new page when
// it does not fit (unless it is one of the page's own headers, or the page holds
// nothing else yet). Returns whether the band printed.
bool TReportLayout::printBand(CompiledBand &band, bool allowBreak, bool isDetail) {
    bool print = true;
    if (band.beforePrint) band.beforePrint(band.band, print);
    if (print && isDetail) accumulate();
    double height = band.band->Height;
    if (print && height > 0 && band.band->Stretch) height += stretch(band);
    if (print && height > 0) {
        if (allowBreak && m_y + height > m_limit + Epsilon && m_y > m_contentTop + Epsilon) {
            finishPage(false);
            startPage();
        }
        placeBand(band, m_y, height);
        m_y += height;
    }
    resetAfterPrint(band);
    return print;
}

// Works out the texts of a stretching band and where its elements print this time for
// every line of its wrapped texts to show: a wrapped text whose lines need more than
// its box gets that much more; an element lying wholly below a grown one moves down by
// that growth (and by what moved the grown one); the band grows to its lowest element,
// and the elements that reach its bottom (rules, framed cells) grow to its new bottom.
// Returns how much taller than designed the band prints.
double TReportLayout::stretch(CompiledBand &band) {
    const double designHeight = band.band->Height;
    std::vector<CompiledElement *> byTop;
    for (CompiledElement &element : band.elements) {
        element.extra = 0;
        element.shift = 0;
        byTop.push_back(&element);
        if (!element.text) continue;
        TRepText *e = element.text;
        QString text = elementText(element);
        if (element.onPrint) element.onPrint(e, text);
        if (e->WordWrap && !e->AutoSize && !text.isEmpty()) {
            const double width = e->Width - 2 * sidePadding(e, e->Width);
            const rep::FontMetrics &metrics = *element.metrics;
            const double needed = blockHeight(metrics.WrapLines(text, width).size(), metrics);
            element.extra = qMax(0.0, needed - e->Height);
        }
        element.prepared = std::move(text);
    }
    std::stable_sort(byTop.begin(), byTop.end(), [](const CompiledElement *a, const CompiledElement *b) {
        return a->element->Top < b->element->Top;
    });
    double growth = 0;
    for (size_t i = 0; i < byTop.size(); ++i) {
        CompiledElement &element = *byTop[i];
        const TRepPrintable *e = element.element;
        for (size_t j = 0; j < i; ++j) {
            const CompiledElement &above = *byTop[j];
            if (above.element->Top + above.element->Height <= e->Top + Epsilon)
                element.shift = qMax(element.shift, above.shift + above.extra);
        }
        growth = qMax(growth, element.shift + element.extra);
    }
    for (CompiledElement &element : band.elements) {
        const TRepPrintable *e = element.element;
        if (e->Top + e->Height >= designHeight - Epsilon) element.extra = growth - element.shift;
    }
    return growth;
}

void TReportLayout::placeBand(CompiledBand &band, double top, double height) {
    const auto &margins = m_report.Page;
    const QRectF area(margins.LeftMargin, top,
                      m_report.PageWidth() - margins.LeftMargin - margins.RightMargin, height);
    if (band.band->Frame.Any()) m_page->Frames.push_back({area, band.band->Frame});
    for (CompiledElement &element : band.elements)
        placeElement(element, area.topLeft(), area.bottom());
}

// `limit`: nothing prints below it (the band's bottom edge).
void TReportLayout::placeElement(CompiledElement &element, QPointF origin, double limit) {
    const TRepPrintable *e = element.element;
    const double boxHeight = e->Height + element.extra;
    const double top = e->Top + element.shift;
    element.extra = element.shift = 0;
    QRectF box(origin.x() + e->Left, origin.y() + top, e->Width, boxHeight);
    if (box.top() >= limit - Epsilon) {
        element.prepared.reset();
        return;
    }
    const bool trimmed = box.bottom() > limit + Epsilon;
    if (trimmed) box.setBottom(limit);
    TPage &page = *m_page;

    if (element.text) {
        placeText(element, box, limit, trimmed);
        return;
    }
    const auto *shape = static_cast<const TRepShape *>(e);
    if (shape->Shape == stHorLine) {
        const double y = origin.y() + top + boxHeight / 2;
        if (y <= limit + Epsilon)
            page.Lines.push_back({QPointF(box.left(), y), QPointF(box.right(), y), shape->PenWidth});
    } else if (shape->Shape == stVertLine) {
        const double x = box.center().x();
        page.Lines.push_back({QPointF(x, box.top()), QPointF(x, box.bottom()), shape->PenWidth});
    }
    if (e->Frame.Any()) {
        TRepFrame sides = e->Frame;
        sides.Bottom = sides.Bottom && !trimmed;
        page.Frames.push_back({box, sides});
    }
}

QString TReportLayout::elementText(CompiledElement &element) {
    switch (element.kind) {
    case TextKind::Label:
        return static_cast<TRepLabel *>(element.text)->Caption;
    case TextKind::Memo:
        return static_cast<TRepMemo *>(element.text)->Lines;
    case TextKind::DBText:
        return element.field.source->Text(element.field.field, static_cast<TRepDBText *>(element.text)->Mask);
    case TextKind::FieldExpr: {
        auto *expr = static_cast<TRepExpr *>(element.text);
        expr->m_value = element.field.source->Number(element.field.field);
        return element.field.source->Text(element.field.field, expr->Mask);
    }
    case TextKind::SumExpr: {
        auto *expr = static_cast<TRepExpr *>(element.text);
        return expr->Mask.isEmpty() ? fmt::FloatToStr(expr->m_value)
                                    : fmt::FormatFloat(expr->Mask, expr->m_value);
    }
    }
    return QString();
}

// The size a text prints in and its lines there: its own size when it fits `area`,
// else the largest smaller one at which it does (one line no wider than the area, or
// wrapped lines all inside it), found by halving the steps between.
void TReportLayout::fitText(CompiledElement &element, const QString &text, QSizeF area) {
    const TRepText *e = element.text;
    const bool wraps = e->WordWrap && !e->AutoSize;
    const rep::FontMetrics &design = *element.metrics;
    // Most texts of a table are one line that fits as it stands.
    if (!wraps && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) &&
        (e->AutoSize || design.TextWidth(text) <= area.width() + Epsilon)) {
        element.fittedFont = element.font;
        element.fittedMetrics = &design;
        element.fittedLines = QStringList{text};
        element.fittedText.clear();
        element.fittedArea = QSizeF(-1, -1);
        return;
    }
    if (element.fittedText == text && element.fittedArea == area && element.fittedMetrics) return;
    element.fittedText = text;
    element.fittedArea = area;
    TRepFont font = element.font;
    QStringList lines = textLines(text, design, area.width(), wraps);
    if (!e->AutoSize && !linesFit(lines, design, area) && font.Size > SmallestSize) {
        // Sizes SmallestSize + k * SizeStep for k below `tooBig`; `fits` the largest
        // known to fit (-1: none yet).
        const auto fitsAt = [&](int k) {
            font.Size = SmallestSize + k * SizeStep;
            const rep::FontMetrics &metrics = rep::Metrics(font);
            return linesFit(textLines(text, metrics, area.width(), wraps), metrics, area);
        };
        int fits = -1;
        int tooBig = int(std::ceil((element.font.Size - SmallestSize) / SizeStep));
        while (tooBig - fits > 1) {
            const int k = (fits + tooBig) / 2;
            (fitsAt(k) ? fits : tooBig) = k;
        }
        font.Size = SmallestSize + qMax(fits, 0) * SizeStep;
        lines = textLines(text, rep::Metrics(font), area.width(), wraps);
    }
    element.fittedFont = font;
    element.fittedMetrics = &rep::Metrics(font);
    element.fittedLines = lines;
}

// A text's lines, one under the other from the top of its box (or centred in its
// height), in the size that fits the box (fitText). A single line stands on the
// baseline of its own size, level with the texts of its row. The first line always
// prints; a further line only when it ends inside the box. Only a text too big for the
// box at the smallest size is cut at the box's width and the band's bottom.
void TReportLayout::placeText(CompiledElement &element, QRectF box, double limit, bool trimmed) {
    TRepText *e = element.text;
    QString text;
    if (element.prepared) {
        text = std::move(*element.prepared);
        element.prepared.reset();
    } else {
        text = elementText(element);
        if (element.onPrint) element.onPrint(e, text);
    }
    TPage &page = *m_page;

    if (e->AutoSize) box.setWidth(element.metrics->TextWidth(text) + 2 * e->Padding);
    if (e->Frame.Any()) {
        TRepFrame sides = e->Frame;
        sides.Bottom = sides.Bottom && !trimmed;
        page.Frames.push_back({box, sides});
    }
    if (text.isEmpty()) return;
    // The text's own area: inside the padding, the full height of the box.
    const double padding = sidePadding(e, box.width());
    const QRectF area = box.adjusted(padding, 0, -padding, 0);
    const double boxBottom = qMin(area.bottom(), limit);
    fitText(element, text, QSizeF(area.width(), boxBottom - area.top()));
    QStringList lines = element.fittedLines;
    const rep::FontMetrics &widths = *element.fittedMetrics;
    const rep::FontMetrics &metrics = lines.size() == 1 ? *element.metrics : widths;

    const double spacing = metrics.LineSpacing();
    // Where the first of `count` lines stands.
    auto firstLineTop = [&](qsizetype count) {
        double top = area.top();
        if (e->Layout == tlCenter) top += qMax(0.0, (area.height() - blockHeight(count, metrics)) / 2);
        return top;
    };
    auto placeLine = [&](const QString &line, qsizetype i, qsizetype count, double top) {
        const double lineTop = top + double(i) * spacing;
        const double baseline = lineTop + metrics.Ascent();
        TPageText item;
        item.Text = line;
        item.Font = element.fittedFont;
        item.Alignment = e->Alignment;
        item.Box =
            count == 1 && e->Layout == tlTop ? area : QRectF(area.left(), lineTop, area.width(), spacing);
        item.Width = widths.TextWidth(line);
        double x = area.left();
        if (!e->AutoSize) {
            if (e->Alignment == taCenter)
                x += (area.width() - item.Width) / 2;
            else if (e->Alignment == taRightJustify)
                x = area.right() - item.Width;
        }
        item.Origin = QPointF(x, baseline);
        const bool overWidth =
            !e->AutoSize && (x < area.left() - Epsilon || x + item.Width > area.right() + Epsilon);
        const bool overBottom = baseline + metrics.Descent() > limit + Epsilon;
        if (overWidth || overBottom) {
            const double left = overWidth ? area.left() : x - spacing;
            const double right = overWidth ? area.right() : x + item.Width + spacing;
            const double clipTop = lineTop - spacing;
            const double bottom = overBottom ? limit : baseline + spacing;
            item.ClipRect = QRectF(QPointF(left, clipTop), QPointF(right, bottom));
        }
        page.Texts.push_back(std::move(item));
    };

    // The lines that fit: the first always, a further one when it ends inside the box.
    qsizetype fitting = 1;
    while (fitting < lines.size() && area.top() + blockHeight(fitting + 1, metrics) <= boxBottom + 0.1)
        ++fitting;
    lines.resize(fitting);
    const double top = firstLineTop(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!lines[i].isEmpty()) placeLine(lines[i], i, lines.size(), top);
}

// One more detail row counts in every running total, as its figure prints.
void TReportLayout::accumulate() {
    for (RunningSum &sum : m_sums) {
        const double value = sum.field.source->Number(sum.field.field);
        if (sum.exact) {
            const std::optional<Currency> figure = fmt::AmountAsPrinted(sum.expr->Mask, value);
            qint64 raw = 0;
            if (figure && !qAddOverflow(sum.raw, figure->raw(), &raw)) {
                sum.raw = raw;
                sum.expr->m_value = Currency::fromRaw(raw).toDouble();
                continue;
            }
            sum.exact = false;
        }
        sum.expr->m_value += value;
    }
}

void TReportLayout::restartSum(RunningSum &sum) {
    sum.raw = 0;
    sum.exact = true;
    sum.expr->m_value = 0;
}

void TReportLayout::resetAfterPrint(CompiledBand &band) {
    for (CompiledElement &element : band.elements)
        if (element.kind == TextKind::SumExpr && static_cast<TRepExpr *>(element.text)->ResetAfterPrint)
            restartSum(m_sums[size_t(element.sum)]);
}

QVariantList TReportLayout::groupKeys() const {
    QVariantList keys;
    for (const CompiledGroup &group : m_groups)
        keys << (group.key.source ? group.key.source->Value(group.key.field) : QVariant());
    return keys;
}

// ---- The pass ----------------------------------------------------------------------

TReportLayout::TReportLayout(TReport &report) : m_report(report) {
    m_design.emplace(report);
    compile();
}

TReportLayout::~TReportLayout() {
    if (m_driver) m_driver->SelectRow(-1);
}

bool TReportLayout::NextPage(TPage &page) {
    try {
        while (m_ready.empty() && m_phase != Phase::Done)
            step();
    } catch (...) {
        m_ready.clear();
        finish();
        throw;
    }
    // Between pages the dataset's fields read its own current row: other windows may
    // paint while a preview waits for the user.
    if (m_driver) m_driver->SelectRow(-1);
    if (m_ready.empty()) return false;
    page = std::move(m_ready.front());
    m_ready.pop_front();
    return true;
}

// Lays out the start, one row, or the end; any number of pages may fill meanwhile.
void TReportLayout::step() {
    switch (m_phase) {
    case Phase::Begin:
        begin();
        break;
    case Phase::Rows:
        nextRow();
        break;
    case Phase::Done:
        break;
    }
}

void TReportLayout::begin() {
    for (RunningSum &sum : m_sums)
        restartSum(sum);
    if (m_report.BeforePass) {
        const auto beforePass = m_report.BeforePass;
        beforePass(&m_report);
    }
    // Without a dataset the bands print once, as for one row.
    if (!m_driver) {
        startPage();
        if (m_detail.band) printBand(m_detail, true, true);
        if (m_summary.band) printBand(m_summary);
        finishPage(true);
        finish();
        return;
    }
    m_driver->BeginPass();
    if (!selectRow(0)) {
        if (m_report.Options.PrintIfEmpty) {
            startPage();
            if (m_summary.band) printBand(m_summary);
            finishPage(true);
        }
        finish();
        return;
    }
    startPage(); // the title and headers read the first row
    m_phase = Phase::Rows;
}

void TReportLayout::nextRow() {
    const int row = m_row;
    if (!selectRow(row)) {
        endRows();
        return;
    }
    const int groups = int(m_groups.size());
    const QVariantList keys = groupKeys();
    // The outermost group whose key changed: its footers (and those inside it) close
    // the previous row's groups, reading that row; its headers open this row's.
    int changed = 0;
    if (row > 0) {
        changed = groups;
        for (int g = 0; g < groups; ++g)
            if (keys[g] != m_groupKeys[g]) {
                changed = g;
                break;
            }
        if (changed < groups) {
            selectRow(row - 1);
            for (int g = groups - 1; g >= changed; --g)
                if (m_groups[size_t(g)].footer.band) printBand(m_groups[size_t(g)].footer);
            selectRow(row);
        }
    }
    for (int g = changed; g < groups; ++g)
        printBand(m_groups[size_t(g)].header);
    if (m_detail.band)
        printBand(m_detail, true, true);
    else
        accumulate();
    m_groupKeys = keys;
    m_row = row + 1;
}

// After the last row: every group closes, innermost first, then the summary.
void TReportLayout::endRows() {
    selectRow(m_row - 1);
    for (int g = int(m_groups.size()) - 1; g >= 0; --g)
        if (m_groups[size_t(g)].footer.band) printBand(m_groups[size_t(g)].footer);
    if (m_summary.band) printBand(m_summary);
    finishPage(true);
    finish();
}

// The pass is over: the report is as the form declared it again.
void TReportLayout::finish() {
    m_phase = Phase::Done;
    m_page.reset();
    m_design.reset();
    if (m_driver) m_driver->SelectRow(-1);
}

// ---- Pages of the report -----------------------------------------------------------

namespace {

// A pass as a page source; rewinding starts a new pass.
class ReportPages : public TPageSource {
  public:
    explicit ReportPages(TReport &report)
        : TPageSource(TPrintSettings{report.Page.Orientation, qMax(1, report.PrinterSettings.Copies),
                                     report.PrinterSettings.FirstTray}),
          m_report(report), m_pass(std::make_unique<TReportLayout>(report)) {}

    bool NextPage(TPage &page) override {
        m_started = true;
        return m_pass->NextPage(page);
    }

    void Rewind() override {
        if (!m_started) return;
        m_pass.reset(); // its hooks' changes undone before the next pass begins
        m_pass = std::make_unique<TReportLayout>(m_report);
        m_started = false;
    }

  private:
    TReport &m_report;
    std::unique_ptr<TReportLayout> m_pass;
    bool m_started = false;
};

} // namespace

std::unique_ptr<TPageSource> TReport::StartLayout() {
    return std::make_unique<ReportPages>(*this);
}

TPreparedReport TReport::Layout() {
    const auto pages = StartLayout();
    TPreparedReport out;
    static_cast<TPrintSettings &>(out) = pages->Settings();
    TPage page;
    while (pages->NextPage(page))
        out.Pages.push_back(std::move(page));
    return out;
}

std::optional<TPage> TReport::LayoutPage(int index) {
    const auto pages = StartLayout();
    TPage page;
    for (int i = 0; pages->NextPage(page); ++i)
        if (i == index) return page;
    return std::nullopt;
}

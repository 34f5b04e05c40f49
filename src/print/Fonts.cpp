#include "print/Fonts.h"

#include <QFontMetricsF>
#include <QHash>
#include <QRegularExpression>
#include <QTextLayout>

#include <memory>

namespace rep {

namespace {

// Measuring fonts are sized in pixels of 1/100 point: large enough that hinting and
// pixel rounding do not shift widths, and independent of any device's resolution.
constexpr double PixelsPerPoint = 100.0;
constexpr double MmPerPixel = 25.4 / 72.0 / PixelsPerPoint;

QFont baseFont(const TRepFont &font) {
    QFont f(ResolveFamily(font.Name));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    // Plain advance widths: a text is as wide as the sum of its letters, as the
    // metric twins promise, and a column of figures lines up digit under digit.
    f.setKerning(false);
    return f;
}

QFont measuringFont(const TRepFont &font) {
    QFont f = baseFont(font);
    f.setPixelSize(qMax(1, qRound(font.Size * PixelsPerPoint)));
    return f;
}

} // namespace

QString ResolveFamily(const QString &name) {
    if (name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    if (name.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    return name;
}

QFont DeviceFont(const TRepFont &font, double dotsPerMm, double deviceDpi) {
    QFont f = baseFont(font);
    // Qt turns points into pixels by the device's dpi; scale so that the text is
    // font.Size true points at dotsPerMm (the preview draws zoomed).
    f.setPointSizeF(font.Size * dotsPerMm * 25.4 / deviceDpi);
    return f;
}

FontMetrics::FontMetrics(const TRepFont &font) : m_font(measuringFont(font)), m_metrics(m_font) {
    m_advances.fill(Unknown);
    m_ascent = m_metrics.ascent() * MmPerPixel;
    m_descent = m_metrics.descent() * MmPerPixel;
    m_lineSpacing = m_metrics.lineSpacing() * MmPerPixel;
}

// Letters of the Latin, Cyrillic and Greek alphabets, figures, punctuation and signs
// ("№", dashes, quotes) add up their cached advances; a text with anything that needs
// shaping (combining marks, other scripts) is measured as a whole.
double FontMetrics::TextWidth(const QString &text) const {
    double width = 0;
    for (const QChar ch : text) {
        const char16_t code = ch.unicode();
        double *advance = nullptr;
        if (code < m_advances.size()) {
            advance = &m_advances[code];
        } else {
            const QChar::Script script = ch.script();
            if (ch.isSurrogate() || (script != QChar::Script_Common && script != QChar::Script_Latin &&
                                     script != QChar::Script_Cyrillic && script != QChar::Script_Greek))
                return m_metrics.horizontalAdvance(text) * MmPerPixel;
            advance = &m_otherAdvances.try_emplace(code, Unknown).first->second;
        }
        if (*advance == Unknown)
            *advance = ch.isMark() ? Shaped : m_metrics.horizontalAdvance(ch) * MmPerPixel;
        if (*advance == Shaped) return m_metrics.horizontalAdvance(text) * MmPerPixel;
        width += *advance;
    }
    return width;
}

QStringList FontMetrics::WrapLines(const QString &text, double width) const {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    // Most texts of a table are one short line: no breaking to do.
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) && !text.trimmed().isEmpty() &&
        TextWidth(text) <= width) {
        QString line = text;
        while (line.back().isSpace())
            line.chop(1);
        return {line};
    }
    QStringList lines;
    const double widthPx = qMax(0.0, width / MmPerPixel);
    for (const QString &paragraph : text.split(lineBreak)) {
        if (paragraph.trimmed().isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, m_font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(widthPx);
            QString piece = paragraph.mid(line.textStart(), line.textLength());
            while (!piece.isEmpty() && piece.back().isSpace())
                piece.chop(1);
            lines << piece;
        }
        layout.endLayout();
    }
    return lines;
}

const FontMetrics &Metrics(const TRepFont &font) {
    static QHash<QString, std::shared_ptr<FontMetrics>> cache;
    const QString key = QStringLiteral("%1|%2|%3%4")
                            .arg(font.Name)
                            .arg(font.Size)
                            .arg(font.Bold ? 'b' : '-')
                            .arg(font.Italic ? 'i' : '-');
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.insert(key, std::make_shared<FontMetrics>(font));
    return **it;
}

} // namespace rep

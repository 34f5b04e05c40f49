#pragma once
// Fonts of printed pages: the layouts name Arial and Times New Roman, which print
// with their metric twins Liberation Sans and Liberation Serif (same advance widths,
// so texts fill their boxes as designed). Measuring happens at a fixed, very fine
// scale, independent of the screen and the printer, so layout is the same wherever
// the pages go.
#include "print/Pages.h"

#include <QFont>
#include <QFontMetricsF>
#include <QStringList>

#include <array>
#include <unordered_map>

namespace rep {

// The family that prints for a design family name.
QString ResolveFamily(const QString &name);

// A font for a device whose painter draws `dotsPerMm` device units per millimetre
// on a device of `deviceDpi` logical dots per inch.
QFont DeviceFont(const TRepFont &font, double dotsPerMm, double deviceDpi);

// Metrics in millimetres.
class FontMetrics {
  public:
    explicit FontMetrics(const TRepFont &font);
    double Ascent() const { return m_ascent; }
    double Descent() const { return m_descent; }
    double LineSpacing() const { return m_lineSpacing; }
    double TextWidth(const QString &text) const;
    // The text broken into lines no wider than `width` mm: at line breaks of the
    // text, then between words, a word longer than a line between its letters.
    QStringList WrapLines(const QString &text, double width) const;

  private:
    QFont m_font; // measuring font: 100 pixels per point
    QFontMetricsF m_metrics;
    // Advances in mm, measured on first use: below U+0500 by code, above in the map.
    // Unknown: not measured yet; Shaped: a combining mark, whose text is measured whole.
    static constexpr double Unknown = -1, Shaped = -2;
    mutable std::array<double, 0x500> m_advances;
    mutable std::unordered_map<char16_t, double> m_otherAdvances;
    double m_ascent, m_descent, m_lineSpacing;
};

// Cached per font; valid while the application runs.
const FontMetrics &Metrics(const TRepFont &font);

} // namespace rep

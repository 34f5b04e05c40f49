#pragma once
// Reading a laid-out page the way a bank clerk reads the paper form: which text
// stands where, and which boxes are drawn.
#include "print/Fonts.h"
#include "print/Pages.h"
#include "print/Report.h"

#include <QStringList>

#include <algorithm>
#include <vector>

// The first text of the page that reads `text` (blanks at the ends aside).
inline const TPageText *findText(const TPage &page, const QString &text) {
    for (const TPageText &t : page.Texts)
        if (t.Text.trimmed() == text.trimmed()) return &t;
    return nullptr;
}
inline const TPageText *findText(const TPage &page, const char *text) {
    return findText(page, QString::fromUtf8(text));
}

// Every text of every page, in the order laid out.
inline QStringList allTexts(const TPreparedReport &report) {
    QStringList texts;
    for (const TPage &page : report.Pages)
        for (const TPageText &t : page.Texts)
            texts << t.Text;
    return texts;
}

// The texts of one page whose baseline lies on the same line as `y` (±0.5 mm), left to right.
inline QStringList lineAt(const TPage &page, double y) {
    std::vector<TPageText> row;
    for (const TPageText &t : page.Texts)
        if (qAbs(t.Origin.y() - y) < 0.5) row.push_back(t);
    std::sort(row.begin(), row.end(),
              [](const TPageText &a, const TPageText &b) { return a.Box.left() < b.Box.left(); });
    QStringList texts;
    for (const TPageText &t : row)
        texts << t.Text;
    return texts;
}

// The texts that start inside `area` (mm), in page order.
inline QStringList textsIn(const TPage &page, const QRectF &area) {
    QStringList texts;
    for (const TPageText &t : page.Texts)
        if (area.adjusted(-0.05, -0.05, 0.05, 0.05).contains(t.Box.topLeft())) texts << t.Text;
    return texts;
}

// The texts of a page that do not stand whole inside their box (drawn past its sides,
// or cut), each as "text: its left..right, the box's left..right" in mm.
inline QStringList textsPastTheirBoxes(const TPage &page) {
    QStringList past;
    for (const TPageText &t : page.Texts) {
        const double right = t.Origin.x() + t.Width;
        if (t.ClipRect.isNull() && t.Origin.x() >= t.Box.left() - 0.001 && right <= t.Box.right() + 0.001)
            continue;
        past << QStringLiteral("%1: %2..%3 в %4..%5")
                    .arg(t.Text)
                    .arg(t.Origin.x())
                    .arg(right)
                    .arg(t.Box.left())
                    .arg(t.Box.right());
    }
    return past;
}

// The pairs of texts of a page drawn one over the other, each as "a / b": their lines,
// from the top of the letters to the foot of the descenders, cross by more than 0.2 mm
// both ways.
inline QStringList textsOverEachOther(const TPage &page) {
    std::vector<QRectF> inked;
    for (const TPageText &t : page.Texts) {
        const rep::FontMetrics &m = rep::Metrics(t.Font);
        inked.emplace_back(t.Origin.x(), t.Origin.y() - m.Ascent(), t.Width, m.Ascent() + m.Descent());
    }
    QStringList over;
    for (size_t i = 0; i < inked.size(); ++i)
        for (size_t j = i + 1; j < inked.size(); ++j) {
            const QRectF both = inked[i].intersected(inked[j]);
            if (both.width() > 0.2 && both.height() > 0.2)
                over << page.Texts[i].Text + QStringLiteral(" / ") + page.Texts[j].Text;
        }
    return over;
}

inline bool hasFrame(const TPage &page, const QRectF &rect, const TRepFrame &sides) {
    for (const TPageFrame &f : page.Frames) {
        const bool samePlace =
            qAbs(f.Rect.left() - rect.left()) < 0.05 && qAbs(f.Rect.top() - rect.top()) < 0.05 &&
            qAbs(f.Rect.width() - rect.width()) < 0.05 && qAbs(f.Rect.height() - rect.height()) < 0.05;
        if (samePlace && f.Sides.Top == sides.Top && f.Sides.Bottom == sides.Bottom &&
            f.Sides.Left == sides.Left && f.Sides.Right == sides.Right)
            return true;
    }
    return false;
}

// The pages of every preview opened while it lives, laid out whole.
struct Previewed {
    std::vector<TPreparedReport> reports;
    Previewed() {
        TReport::PreviewHook = [this](TReport &, const TPreparedReport &pages) { reports.push_back(pages); };
    }
    ~Previewed() { TReport::PreviewHook = nullptr; }
    Previewed(const Previewed &) = delete;
    Previewed &operator=(const Previewed &) = delete;
    const TPage &page(int report = 0, int index = 0) const {
        return reports.at(size_t(report)).Pages.at(size_t(index));
    }
};

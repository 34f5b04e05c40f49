#include "print/Columns.h"

TRepColumns::TRepColumns(std::initializer_list<double> widths, double left) {
    m_left.push_back(left);
    for (double width : widths)
        m_left.push_back(m_left.back() + width);
}

TRepColumns::TRepColumns(const std::vector<double> &widths, double left) {
    m_left.push_back(left);
    for (double width : widths)
        m_left.push_back(m_left.back() + width);
}

TRepLabel *TRepColumns::AddCaption(TRepContainer *band, const QString &caption, int first, int last,
                                   double top, double height) const {
    auto *label = band->AddLabel(caption, Left(first), top, Width(first, last), height);
    label->Frame = TRepFrame::All();
    label->Alignment = taCenter;
    label->Layout = tlCenter;
    label->WordWrap = true;
    label->Padding = Padding;
    return label;
}

void TRepColumns::AddHeadings(TRepContainer *band, const std::vector<TRepHeading> &headings, double top,
                              double levelHeight, double lowerHeight) const {
    if (lowerHeight <= 0) lowerHeight = levelHeight;
    bool twoLevels = false;
    for (const TRepHeading &h : headings)
        twoLevels = twoLevels || !h.Below.isEmpty();
    int column = 0;
    for (const TRepHeading &h : headings) {
        if (h.Below.isEmpty()) {
            AddCaption(band, h.Caption, column, column, top,
                       twoLevels ? levelHeight + lowerHeight : levelHeight);
            ++column;
            continue;
        }
        const int last = column + int(h.Below.size()) - 1;
        AddCaption(band, h.Caption, column, last, top, levelHeight);
        for (const QString &below : h.Below) {
            AddCaption(band, below, column, column, top + levelHeight, lowerHeight);
            ++column;
        }
    }
}

void TRepColumns::cell(TRepText *text, TAlignment alignment) const {
    text->Alignment = alignment;
    text->Padding = Padding;
    if (Framed) text->Frame = TRepFrame::All();
}

TRepDBText *TRepColumns::AddField(TRepContainer *band, TDataRef dataSet, const QString &field, int column,
                                  double top, double height, TAlignment alignment) const {
    auto *text = band->AddDBText(dataSet, field, Left(column), top, Width(column), height);
    cell(text, alignment);
    return text;
}

TRepExpr *TRepColumns::AddExpr(TRepContainer *band, const QString &expression, int column, double top,
                               double height, TAlignment alignment) const {
    auto *expr = band->AddExpr(expression, Left(column), top, Width(column), height);
    cell(expr, alignment);
    return expr;
}

TRepLabel *TRepColumns::AddLabel(TRepContainer *band, const QString &caption, int first, int last, double top,
                                 double height, TAlignment alignment) const {
    auto *label = band->AddLabel(caption, Left(first), top, Width(first, last), height);
    cell(label, alignment);
    return label;
}

#pragma once
// The cells of the bookkeeping reports' tables: a frame with its text kept a millimetre
// off the lines, captions centred in their cell both ways, amounts right-aligned.
#include "db/Formats.h"
#include "print/Report.h"

namespace cells {

constexpr double Pad = 1;        // mm between a frame and its text
constexpr double TextHeight = 5; // mm, one line of 10-point text
inline const QString &Money = fmt::MoneyMask;

// A caption centred in a framed cell of any height.
inline TRepLabel *Caption(TRepContainer *band, const QString &caption, double left, double top, double width,
                          double height) {
    band->AddShape(stFrame, left, top, width, height);
    auto *label = band->AddLabel(caption, left + Pad, top + (height - TextHeight) / 2 + 0.5, width - 2 * Pad,
                                 TextHeight);
    label->Alignment = taCenter;
    return label;
}

// A framed cell of a row `height` high holding a text (printed from its left) or an
// amount (with the money mask, from its right), on the band's first line.
template <class Text>
inline Text *Framed(TRepBand *band, Text *text, double left, double width, double height) {
    band->AddShape(stFrame, left, 0, width, height);
    text->Left = left + Pad;
    text->Top = 0.5;
    text->Width = width - 2 * Pad;
    text->Height = TextHeight;
    return text;
}

inline TRepDBText *Field(TRepBand *band, TDataRef dataSet, const QString &field, double left, double width,
                         double height = TextHeight) {
    return Framed(band, band->AddDBText(dataSet, field, 0, 0, 0, 0), left, width, height);
}

inline TRepDBText *Amount(TRepBand *band, TDataRef dataSet, const QString &field, double left, double width,
                          double height = TextHeight) {
    auto *text = Field(band, dataSet, field, left, width, height);
    text->Mask = Money;
    text->Alignment = taRightJustify;
    return text;
}

// SUM(expression) in a framed cell; `reset` restarts it after each print (a group's).
inline TRepExpr *Sum(TRepBand *band, const QString &sumOf, double left, double width, bool reset,
                     double height = TextHeight) {
    auto *expr =
        Framed(band, band->AddExpr(QStringLiteral("SUM(%1)").arg(sumOf), 0, 0, 0, 0), left, width, height);
    expr->Mask = Money;
    expr->Alignment = taRightJustify;
    expr->ResetAfterPrint = reset;
    return expr;
}

} // namespace cells

#pragma once
// The columns of a tabular report: widths side by side from a left edge, framed
// header cells over one column or a span of them (two-level headings such as
// "Сальдо входящее" over "Дебет" and "Кредит"), and the texts of a row in the same
// columns, so a header and its rows never drift apart.
//
//   TRepColumns cols({60, 22, 22}, 0);
//   cols.AddHeadings(header, {{"Покупатель"}, {"Сальдо", {"Дебет", "Кредит"}}}, 0, 6);
//   cols.AddField(detail, OtchS, "NamePok", 0, 0, 5);
//   cols.AddField(detail, OtchS, "SumVxD", 1, 0, 5, taRightJustify);
#include "print/Report.h"

#include <QStringList>

#include <initializer_list>
#include <vector>

// A column heading: a caption over one column, or over the columns named below it.
struct TRepHeading {
    TRepHeading(const QString &caption, const QStringList &below = {}) : Caption(caption), Below(below) {}
    QString Caption;
    QStringList Below; // empty: one column, its caption spanning every level
};

class TRepColumns {
  public:
    TRepColumns(std::initializer_list<double> widths, double left = 0);
    explicit TRepColumns(const std::vector<double> &widths, double left = 0);

    int Count() const { return int(m_left.size()) - 1; }
    double Left(int column) const { return m_left[size_t(column)]; }
    double Right(int column) const { return m_left[size_t(column) + 1]; }
    // Columns first..last together.
    double Width(int first, int last) const { return Right(last) - Left(first); }
    double Width(int column) const { return Width(column, column); }

    // Texts of rows stand this far inside the column's rules (mm).
    double Padding = 0.8;
    // Texts of rows drawn in framed cells, as the header's.
    bool Framed = false;

    // A framed cell over columns first..last, its caption centred both ways and
    // wrapped inside the cell.
    TRepLabel *AddCaption(TRepContainer *band, const QString &caption, int first, int last, double top,
                          double height) const;
    // Headings left to right from column 0, one level high each (levelHeight mm),
    // two levels when any heading has captions below it; the lower level may be given
    // a height of its own (lowerHeight, 0: the same).
    void AddHeadings(TRepContainer *band, const std::vector<TRepHeading> &headings, double top,
                     double levelHeight, double lowerHeight = 0) const;

    TRepDBText *AddField(TRepContainer *band, TDataRef dataSet, const QString &field, int column, double top,
                         double height, TAlignment alignment = taLeftJustify) const;
    TRepExpr *AddExpr(TRepContainer *band, const QString &expression, int column, double top, double height,
                      TAlignment alignment = taRightJustify) const;
    TRepLabel *AddLabel(TRepContainer *band, const QString &caption, int first, int last, double top,
                        double height, TAlignment alignment = taLeftJustify) const;

  private:
    void cell(TRepText *text, TAlignment alignment) const;
    std::vector<double> m_left; // left edges, then the right edge of the last column
};

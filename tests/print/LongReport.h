#pragma once
// A list report of any length over rows made up as they are asked for, so a test of
// thousands of pages holds no rows and can tell how the layout reads them.
//
// Every page has the same shape: page header 10..17 mm, 51 rows of 5 mm, the footer of
// the page's group, page footer 277..287 mm. Group g (1-based) is rows 51(g-1)..51g-1,
// so page g-1 holds group g; the last group is one row short, leaving room for the
// summary on the last page.
#include "db/Formats.h"
#include "print/Report.h"

#include <QString>
#include <QVariant>

class GeneratedRows : public TRowSource {
  public:
    explicit GeneratedRows(int count) : m_count(count) {}

    static constexpr int PerGroup = 51;
    static int Group(int row) { return row / PerGroup + 1; }
    static double Amount(int row) { return row % 100 + 0.25; }

    QString Name() const override { return QStringLiteral("Big"); }
    void BeginPass() override { furthest = -1; }
    bool SelectRow(int row) override {
        m_selected = row >= 0 && row < m_count ? row : -1;
        if (row >= 0 && row < furthest - 1) ++backJumps;
        furthest = qMax(furthest, row);
        return m_selected >= 0;
    }
    int FieldIndex(const QString &name) const override {
        const QStringList fields{QStringLiteral("N"), QStringLiteral("Grp"), QStringLiteral("Name"),
                                 QStringLiteral("Summa")};
        for (int i = 0; i < fields.size(); ++i)
            if (fields[i].compare(name, Qt::CaseInsensitive) == 0) return i;
        return -1;
    }
    QVariant Value(int field) const override {
        const int row = m_selected;
        if (row < 0) return QVariant();
        switch (field) {
        case 0:
            return double(row + 1);
        case 1:
            return double(Group(row));
        case 2:
            return QStringLiteral("Строка %1").arg(row + 1);
        default:
            return Amount(row);
        }
    }
    double Number(int field) const override { return Value(field).toDouble(); }
    QString Text(int field, const QString &mask) const override {
        const QVariant v = Value(field);
        if (v.typeId() == QMetaType::Double)
            return mask.isEmpty() ? fmt::FloatToStr(v.toDouble()) : fmt::FormatFloat(mask, v.toDouble());
        return v.toString();
    }

    int furthest = -1; // the furthest row asked for in this pass
    int backJumps = 0; // asks for a row more than one behind the furthest

  private:
    int m_count;
    int m_selected = -1;
};

inline const QString LongMoney = QStringLiteral("### ### ##0.00");

struct LongReport {
    GeneratedRows rows;
    TReport rep;
    TRepBand *detail = nullptr;

    explicit LongReport(int pages) : rows(pages * GeneratedRows::PerGroup - 1) {
        rep.DataSet = &rows;
        auto *header = rep.AddBand(rbPageHeader, 7);
        header->AddLabel(QStringLiteral("Группа"), 0, 1, 20, 5);
        header->AddDBText(&rows, QStringLiteral("Grp"), 20, 1, 20, 5);
        auto *group = rep.AddGroup(QStringLiteral("Big.Grp"), 0);
        auto *footer = group->AddFooter(5);
        footer->AddLabel(QStringLiteral("Итого по группе"), 0, 0, 40, 5);
        footer->AddDBText(&rows, QStringLiteral("Grp"), 40, 0, 20, 5);
        auto *groupSum = footer->AddExpr(QStringLiteral("SUM(Big.Summa)"), 150, 0, 40, 5);
        groupSum->Mask = LongMoney;
        groupSum->Alignment = taRightJustify;
        groupSum->ResetAfterPrint = true;
        detail = rep.AddBand(rbDetail, 5);
        detail->AddDBText(&rows, QStringLiteral("N"), 0, 0, 20, 5)->Alignment = taRightJustify;
        detail->AddDBText(&rows, QStringLiteral("Name"), 25, 0, 100, 5);
        auto *amount = detail->AddDBText(&rows, QStringLiteral("Summa"), 150, 0, 40, 5);
        amount->Mask = LongMoney;
        amount->Alignment = taRightJustify;
        auto *summary = rep.AddBand(rbSummary, 5);
        summary->AddLabel(QStringLiteral("Всего"), 0, 0, 40, 5);
        auto *total = summary->AddExpr(QStringLiteral("SUM(Big.Summa)"), 150, 0, 40, 5);
        total->Mask = LongMoney;
        total->Alignment = taRightJustify;
        rep.AddBand(rbPageFooter, 10)->AddLabel(QStringLiteral("Конец листа"), 0, 2, 40, 5);
    }

    // The sum of the amounts of rows [first, last).
    static double Sum(int first, int last) {
        double sum = 0;
        for (int row = first; row < last; ++row)
            sum += GeneratedRows::Amount(row);
        return sum;
    }
};

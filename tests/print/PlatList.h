#pragma once
// The payment-order register's list report over its query `Plat`, declared as the
// register declares it; the dataset tests and the report benchmark print it.
#include "db/DataSet.h"
#include "print/Report.h"

// The register's calculated bank name: the recipient's bank up to its first line break.
inline void AddRBank(TDataSet *Plat) {
    Plat->AddCalcField(QStringLiteral("RBank"), TFieldType::ftString, 50);
    Plat->OnCalcFields = [](TDataSet *ds) {
        const QString bank = ds->FieldByName(QStringLiteral("R_BANK"))->AsString();
        ds->FieldByName(QStringLiteral("RBank"))->SetAsString(bank.section(QLatin1Char('\r'), 0, 0));
    };
}

struct PlatList {
    TReport Report1;

    explicit PlatList(TDataSet *Plat)
        : PlatList(TDataRef(Plat),
                   [Plat] { return Plat->FieldByName(QStringLiteral("DopNumb"))->AsString(); }) {}

    // Over any rows with the register's fields and RBank; `dopNumb` reads the suffix
    // of the number of the row being printed.
    PlatList(TDataRef Plat, std::function<QString()> dopNumb) {
        const QString money = QStringLiteral("### ### ##0.00");
        Report1.DataSet = Plat;
        Report1.Options.PrintIfEmpty = false;
        Report1.Frame = TRepFrame::All();
        auto *title = Report1.AddBand(rbTitle, 12);
        auto *caption = title->AddLabel(QStringLiteral("Платежные поручения"), 0, 2, 190, 8);
        caption->Font.Size = 14;
        caption->Alignment = taCenter;
        auto *header = Report1.AddBand(rbColumnHeader, 6);
        header->Frame = TRepFrame::All();
        const struct {
            const char *caption;
            double left, width;
        } columns[] = {{"№", 0, 18},
                       {"Дата", 18, 22},
                       {"Получатель", 40, 60},
                       {"Банк получателя", 100, 55},
                       {"Сумма", 155, 35}};
        for (const auto &c : columns)
            header->AddLabel(QString::fromUtf8(c.caption), c.left, 1, c.width, 5)->Alignment = taCenter;
        auto *detail = Report1.AddBand(rbDetail, 5);
        auto *RepDBText1 = detail->AddDBText(Plat, QStringLiteral("NUMBER"), 0, 0, 17, 5);
        RepDBText1->Alignment = taRightJustify;
        RepDBText1->OnPrint = [dopNumb](TRepText *, QString &text) {
            const QString dop = dopNumb();
            if (!dop.isEmpty()) text += QLatin1Char('/') + dop;
        };
        detail->AddDBText(Plat, QStringLiteral("date_plat"), 18, 0, 22, 5)->Alignment = taCenter;
        detail->AddDBText(Plat, QStringLiteral("R_NAME"), 41, 0, 59, 5);
        detail->AddDBText(Plat, QStringLiteral("RBank"), 101, 0, 54, 5);
        auto *summa = detail->AddDBText(Plat, QStringLiteral("SUMMA"), 155, 0, 34, 5);
        summa->Mask = money;
        summa->Alignment = taRightJustify;
        auto *total =
            Report1.AddBand(rbSummary, 6)->AddExpr(QStringLiteral("SUM(Plat.SUMMA)"), 155, 1, 34, 5);
        total->Mask = money;
        total->Alignment = taRightJustify;
    }
};

#pragma once
// A bookkeeper's data folder for the ledger tests: two own organisations, a small chart
// of accounts and journal entries written straight into the tables, and the program
// started on it (the payment-order fixture's start-up).
#include "payorders/PayData.h"

#include "controls/DBGrid.h"
#include "ledger/UProvodka.h"

namespace ledgerdata {

using paydata::count;
using paydata::value;

inline void addAccount(const QString &schet, const QString &name, const QString &type = QString()) {
    db::Database::Exec(QStringLiteral("insert into PlanSch (Schet, NameSchet, TypeSchet) values (?, ?, ?)"),
                       {schet, name, type.isEmpty() ? QVariant() : QVariant(type)});
}

inline double addEntry(const QDate &date, const QString &debet, const QString &kredit, double summa,
                       const QString &primech, double organis) {
    db::Database::Exec(
        QStringLiteral("insert into Provodka (DateProv, Debet, Kredit, Summa, Primech, Organis) "
                       "values (?, ?, ?, ?, ?, ?)"),
        {date.toString(Qt::ISODate), debet.isEmpty() ? QVariant() : QVariant(debet),
         kredit.isEmpty() ? QVariant() : QVariant(kredit), summa, primech, organis});
    return paydata::lastKey();
}

// "ООО Вереск" sorts first, so it is the current organisation at start-up (key 1);
// "ООО Ясень" is the other (key 2).
inline void addOrganisations() {
    paydata::addKlient(QStringLiteral("Вереск"), QStringLiteral("ООО \"Вереск\""),
                       QStringLiteral("7701234567"), QStringLiteral("T"));
    paydata::addKlient(QStringLiteral("Ясень"), QStringLiteral("ООО \"Ясень\""), QStringLiteral("7709999999"),
                       QStringLiteral("T"));
}

// The chart: cash with two sub-accounts, bank, suppliers, buyers, sales.
inline void addChart() {
    addAccount(QStringLiteral("50"), QStringLiteral("Касса"), QStringLiteral("А"));
    addAccount(QStringLiteral("50.1"), QStringLiteral("Касса организации"), QStringLiteral("А"));
    addAccount(QStringLiteral("50.2"), QStringLiteral("Операционная касса"), QStringLiteral("А"));
    addAccount(QStringLiteral("51"), QStringLiteral("Расчетные счета"), QStringLiteral("А"));
    addAccount(QStringLiteral("60"), QStringLiteral("Расчеты с поставщиками"), QStringLiteral("П"));
    addAccount(QStringLiteral("60.1"), QStringLiteral("Авансы выданные"), QStringLiteral("А"));
    addAccount(QStringLiteral("62"), QStringLiteral("Расчеты с покупателями"), QStringLiteral("А"));
    addAccount(QStringLiteral("90"), QStringLiteral("Продажи"), QStringLiteral("П"));
}

// A new row of a grid typed cell by cell, as the grid writes each cell; a null text
// leaves its cell as it is.
inline void typeRow(TDBGrid *grid, const QStringList &cells) {
    for (int column = 0; column < cells.size(); ++column) {
        if (cells[column].isNull()) continue;
        const QModelIndex index = grid->Model()->index(grid->DataSet()->RecNo(), column);
        grid->setCurrentIndex(index);
        QVERIFY(grid->Model()->setData(index, cells[column]));
    }
}

} // namespace ledgerdata

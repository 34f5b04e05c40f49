#pragma once
// A bookkeeper's data folder for the sales-document tests: the reference books of the
// payment-order tests, document headers written straight into the table, and the
// program started on it with the sales-document forms created.
#include "payorders/PayData.h"

#include "controls/DBGrid.h"
#include "sales/UOplataF.h"
#include "sales/USchFak.h"
#include "sales/USpRasx.h"

#include <QtTest>

namespace salesdata {

using namespace paydata;

struct Header {
    QString sv = QStringLiteral("s");
    double own = 0;
    double numbFakt = 0;
    QDate dateFakt, dateSchet, dateTtn;
    QString buyer;
    double summa = 0, nds = 0, itogo = 0;
};

inline double addHeader(const Header &h) {
    const auto date = [](const QDate &d) {
        return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
    };
    db::Database::Exec(
        QStringLiteral("insert into FAKTUR_ZAG (NUMB_FAKT, DATE_FAKT, DATE_SCHET, DATE_TTN, FL_SVOY, "
                       "ID_POST, NAME_POKUPAT, Summa, SummaNDS, Itogo, Dogovor_id) "
                       "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)"),
        {h.numbFakt, date(h.dateFakt), date(h.dateSchet), date(h.dateTtn), h.sv, h.own,
         h.buyer.isEmpty() ? QVariant() : QVariant(h.buyer), h.summa, h.nds, h.itogo});
    return lastKey();
}

// "АО Альфа", an own organisation, with its account at "ПАО Сбербанк".
inline double addAlfa() {
    const double id = addKlient(QStringLiteral("АО Альфа"), QStringLiteral("АО \"Альфа\""),
                                QStringLiteral("7701000001"), QStringLiteral("T"));
    addAccount(id, QStringLiteral("ПАО Сбербанк"), QStringLiteral("40702810000000000001"),
               QStringLiteral("30101810400000000225"), QStringLiteral("044525225"));
    return id;
}

// "Берёзка", a partner, with its account at "АО Альфа-Банк".
inline double addBerezka() {
    const double id = addKlient(QStringLiteral("Берёзка"), QStringLiteral("ООО \"Берёзка\""),
                                QStringLiteral("5000000005"), QStringLiteral("F"));
    addAccount(id, QStringLiteral("АО Альфа-Банк"), QStringLiteral("40702810000000000005"),
               QStringLiteral("30101810200000000593"), QStringLiteral("044525593"));
    return id;
}

// The program with the sales-document group created.
class SalesApp : public App {
  public:
    template <class Fill> explicit SalesApp(Fill fill) : App(fill) {
        if (Started()) LogoAppForm->CreateSalesDocs();
    }
    SalesApp() : SalesApp([] {}) {}
};

// The editor opened in the register of `item` on a new document (F6) or on its first
// one (F4); left by Cancel when `steps` leave it open.
template <class Steps> void edit(const char *item, Qt::Key key, Steps steps) {
    UiScript::OnShow<TSpRasx>([=](TSpRasx *f) {
        UiScript::OnShow<TSchFak>([=](TSchFak *e) {
            steps(e);
            if (e->isVisible()) e->BitBtn2Click();
        });
        f->SpRasx->First();
        QTest::keyClick(f->DBGrid1, key);
        f->SpeedButton7Click();
    });
    LogoAppForm->MenuItem(QString::fromLatin1(item))->trigger();
}

// Writes a cell of a grid as the user's typing does (the cell editor's commit).
inline bool typeCell(TDBGrid *grid, int row, const char *field, const QString &text) {
    for (int c = 0; c < grid->ColumnCount(); ++c)
        if (grid->Columns(c)->FieldName() == QLatin1String(field)) {
            grid->setCurrentIndex(grid->Model()->index(row, c));
            return grid->Model()->setData(grid->Model()->index(row, c), text);
        }
    return false;
}

} // namespace salesdata

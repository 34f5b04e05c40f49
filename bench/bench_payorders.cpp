// The payment-order register and editor beside bare SQLite, in one run:
//  - the register shown over 100 000 orders of one payer and one year: the form shown,
//    its query run with the filter of the controls, moved to the last row, the grid
//    painted; bare: the same SELECT stepped to its last row, every column read;
//  - the save of one new order to a known recipient (F10 in the editor: the recipient
//    and its account looked up, the order posted and written, in one transaction);
//    bare: the same two look-ups and the insert in one transaction.
// Prints each figure (the median of several runs) and the ratio.
#include "app/LogoMain.h"
#include "app/UConfig.h"
#include "controls/DBGrid.h"
#include "controls/UiScript.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "payorders/UPlatPor.h"
#include "payorders/USpPlat.h"
#include "PayOrderBench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int Orders = 100000;
constexpr int Runs = 7;

using bench::median;
using bench::ms;

void exec(sqlite3 *h, const char *sql) {
    sqlite3_exec(h, sql, nullptr, nullptr, nullptr);
}

// One own organisation (key 1) with its account, one partner (key 2) with its account,
// and 100 000 orders of the organisation in 2024 to that partner.
void fill() {
    sqlite3 *h = db::Database::handle();
    exec(h, "BEGIN");
    exec(h, "update Config set Period = 'Год'");
    exec(h, "insert into Klient (Klient_id, Name, FullName, Inn, FlSvoy) values "
            "(1, 'Вереск', 'ООО \"Вереск\"', '7701234567', 'T'), "
            "(2, 'Альфа', 'АО \"Альфа\"', '7709876543', 'F')");
    exec(h, "insert into Bank (Klient_id, NameBank, Schet, KorSchet, Bik) values "
            "(1, 'ПАО Сбербанк г.Москва', '40702810400000012345', '30101810400000000225', '044525225'), "
            "(2, 'АО Альфа-Банк г.Москва', '40702810900000054321', '30101810200000000593', '044525593')");
    exec(h, "COMMIT");
    bench::FillPaymentOrders(Orders, 2024);
}

// The save's writes: the recipient by INN, its account, the order, in one transaction.
double bareSave(int n) {
    QElapsedTimer t;
    t.start();
    sqlite3 *h = db::Database::handle();
    exec(h, "BEGIN");
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, "select Klient_id from Klient where Inn = '7709876543'", -1, &st, nullptr);
    sqlite3_step(st);
    const double owner = sqlite3_column_double(st, 0);
    sqlite3_finalize(st);
    sqlite3_prepare_v2(h,
                       "select Bank_id from Bank where Klient_id = ? and Schet = '40702810900000054321' "
                       "and Bik = '044525593'",
                       -1, &st, nullptr);
    sqlite3_bind_double(st, 1, owner);
    sqlite3_step(st);
    sqlite3_finalize(st);
    sqlite3_prepare_v2(
        h,
        "insert into PlatPor (NUMBER, DATE_PLAT, Id_Pol, P_NAME, Id_Post, R_NAME, R_Inn, R_ACCOUNT, "
        "R_BANK_BIK, SUMMA, VID_PAY, Dogovor_id) values (?, '2024-12-20', 2, 'ООО \"Вереск\"', 1, "
        "'АО \"Альфа\"', '7709876543', '40702810900000054321', '044525593', 1500, '01', 0)",
        -1, &st, nullptr);
    sqlite3_bind_double(st, 1, 900000 + n);
    sqlite3_step(st);
    sqlite3_finalize(st);
    exec(h, "COMMIT");
    return ms(t);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    UiScript::Activate();
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/dat");
    db::Database::Open(folder);
    fill();
    db::Database::Close();
    Clock::setToday(QDate(2024, 12, 20));
    if (!StartUp(folder)) return 1;
    LogoAppForm->CreatePayOrders();

    // The register shown: from the command to the last row on the screen.
    std::vector<double> shown, bareShown;
    int rows = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        double elapsed = 0;
        UiScript::OnShow<TSpPlat>([&](TSpPlat *f) {
            f->SortGrid1->repaint();
            elapsed = ms(t);
            rows = f->Plat->RecNo() + 1;
            f->SpeedButton6Click();
        });
        t.start();
        ShowModal(SpPlat);
        shown.push_back(elapsed);
        bareShown.push_back(bench::BareRegisterWalk(2024));
    }
    std::printf("%d orders of one payer and year; register on row %d\n", Orders, rows);
    bench::Report("register shown (open, filter, last row)", median(shown), median(bareShown), 300);

    // The save of one new order (F6, then F10 in the editor).
    std::vector<double> saved, bareSaved;
    for (int run = 0; run < Runs; ++run) {
        double elapsed = 0;
        UiScript::OnShow<TSpPlat>([&](TSpPlat *f) {
            UiScript::OnShow<TPlatPor>([&](TPlatPor *e) {
                TDataSet *Plat = SpPlat->Plat;
                Plat->FieldByName(QStringLiteral("R_NAME"))->SetAsString(QStringLiteral("АО \"Альфа\""));
                Plat->FieldByName(QStringLiteral("R_Inn"))->SetAsString(QStringLiteral("7709876543"));
                Plat->FieldByName(QStringLiteral("R_ACCOUNT"))
                    ->SetAsString(QStringLiteral("40702810900000054321"));
                Plat->FieldByName(QStringLiteral("R_BANK_BIK"))->SetAsString(QStringLiteral("044525593"));
                Plat->FieldByName(QStringLiteral("SUMMA"))->SetAsFloat(1500);
                QElapsedTimer t;
                t.start();
                e->BitBtn1Click();
                elapsed = ms(t);
            });
            f->SpeedButton4Click();
            f->SpeedButton6Click();
        });
        ShowModal(SpPlat);
        saved.push_back(elapsed);
        bareSaved.push_back(bareSave(run));
    }
    bench::Report("save of one new order (F10)", median(saved), median(bareSaved), 10);

    if (Config) Config->Conf->Close();
    ShutDown();
    return 0;
}

// The payment-order register and editor beside bare SQLite, at 10 000, 100 000 and
// 1 000 000 orders of one payer and one year (or the sizes given as arguments). Each
// size is filled once, then measured in processes of its own, so each peak memory
// (VmHWM) is that of the work measured:
//  - register shown: the form shown, its query run with the filter of the controls,
//    moved to the last row, the grid painted; bare: the same SELECT stepped to its last
//    row, every column read;
//  - F6 through to the editor: the next number, the new row with the payer's block,
//    the editor shown; bare: the same look-ups (highest number, payer, its accounts);
//  - save with the register open (F10 in the editor: the recipient and its account
//    looked up, the order posted and written, in one transaction); bare: the same two
//    look-ups and the insert in one transaction;
//  - Ctrl+End in the register's grid just filtered (read from its first row), with an
//    empty name filter and with a name typed in other letter case; bare: the register's
//    SELECT with the same pattern stepped to its last row;
//  - peak memory of the process doing all the above; bare: a process of the same
//    program stepping the register's SELECT and saving as bare SQLite does.
// Prints each figure (the median of several runs; for the register and Ctrl+End also
// the first run, before the grid knows how many rows there are) and its ratio to bare
// SQLite. "--saves N" before the sizes runs F6 and the save N times instead: a save
// ends in a flush to disk, whose time varies from one run to the next.
#include "app/LogoMain.h"
#include "app/StrUtils.h"
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
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <sqlite3.h>
#include <vector>

namespace {

using bench::exec;
using bench::median;
using bench::ms;

// One own organisation (key 1) with its account, one partner (key 2) with its account,
// and `orders` orders of the organisation in 2024 to that partner.
void fill(int orders) {
    exec("BEGIN");
    exec("update Config set Period = 'Год'");
    exec("insert into Klient (Klient_id, Name, FullName, Inn, FlSvoy) values "
         "(1, 'Вереск', 'ООО \"Вереск\"', '7701234567', 'T'), "
         "(2, 'Альфа', 'АО \"Альфа\"', '7709876543', 'F')");
    exec("insert into Bank (Klient_id, NameBank, Schet, KorSchet, Bik) values "
         "(1, 'ПАО Сбербанк г.Москва', '40702810400000012345', '30101810400000000225', '044525225'), "
         "(2, 'АО Альфа-Банк г.Москва', '40702810900000054321', '30101810200000000593', '044525593')");
    exec("COMMIT");
    bench::FillPaymentOrders(orders, 2024);
}

double stepQuery(const char *sql, const QVariantList &binds = {}) {
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db::Database::handle(), sql, -1, &st, nullptr);
    for (int i = 0; i < binds.size(); ++i)
        if (binds[i].typeId() == QMetaType::QString) {
            const QByteArray text = binds[i].toString().toUtf8();
            sqlite3_bind_text(st, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_double(st, i + 1, binds[i].toDouble());
        }
    bench::ReadEveryRow(st);
    sqlite3_finalize(st);
    return ms(t);
}

// The look-ups of a new order: the highest number of the payer's year, the payer and
// its accounts.
double bareNewOrder() {
    return stepQuery("select max(number) number from PlatPor where Date_plat >= ? and Date_plat <= ? and "
                     "Id_Post = ?",
                     {QStringLiteral("2024-01-01"), QStringLiteral("2024-12-31"), 1}) +
           stepQuery("select * from Klient where FlSvoy = 'T' order by Name") +
           stepQuery("select * from Bank where Klient_id = ? order by Bank_id", {1});
}

// The save's writes: the recipient by INN, its account, the order, in one transaction.
double bareSave(int n) {
    QElapsedTimer t;
    t.start();
    sqlite3 *h = db::Database::handle();
    exec("BEGIN IMMEDIATE");
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
    sqlite3_bind_double(st, 1, 9000000 + n);
    sqlite3_step(st);
    sqlite3_finalize(st);
    exec("COMMIT");
    return ms(t);
}

void result(const char *key, double ours, double bare) {
    std::printf("R %s %.3f %.3f\n", key, ours, bare);
    std::fflush(stdout);
}

// The recipient typed into the register's name filter as a user may type it: in other
// letter case than the stored "АО \"Альфа\"", which every order names.
const char *const NameFilter = "*альфа";

// Ctrl+End in the register's grid read again from its first row with `name` in the
// recipient's filter, `runs` times; bare: the register's SELECT with that pattern
// stepped to its last row.
std::pair<std::vector<double>, std::vector<double>> ctrlEndRuns(int orders, int runs, const QString &name) {
    std::vector<double> end, bareEnd;
    bool reachedEnd = true;
    for (int run = 0; run < runs; ++run) {
        double elapsed = 0;
        UiScript::OnShow<TSpPlat>([&](TSpPlat *f) {
            f->Edit2->setText(name);
            f->SpeedButton2Click(); // "Выбрать": the register read again from its first row
            f->Plat->First();
            f->SortGrid1->repaint();
            QElapsedTimer t;
            t.start();
            QKeyEvent key(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
            QApplication::sendEvent(f->SortGrid1, &key);
            f->SortGrid1->repaint();
            elapsed = ms(t);
            reachedEnd = reachedEnd &&
                         f->Plat->FieldByName(QStringLiteral("NUMBER"))->AsInteger() >= orders &&
                         f->SortGrid1->currentIndex().data().toString() ==
                             f->Plat->FieldByName(QStringLiteral("NumbPl"))->AsString();
            f->SpeedButton6Click();
        });
        ShowModal(SpPlat);
        end.push_back(elapsed);
        bareEnd.push_back(bench::BareRegisterWalk(2024, NameFilterPattern(name)));
    }
    if (!reachedEnd) std::printf("! Ctrl+End did not reach the last order\n");
    return {end, bareEnd};
}

// The program's own work on the folder, printing "R key ours bare" lines.
int measureProgram(const QString &folder, int orders, int saves) {
    UiScript::Activate();
    Clock::setToday(QDate(2024, 12, 20));
    if (!StartUp(folder)) return 1;
    LogoAppForm->CreatePayOrders();
    const int runs = orders >= 1000000 ? 3 : 5;

    std::vector<double> shown, bareShown;
    bool onLast = true;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        double elapsed = 0;
        UiScript::OnShow<TSpPlat>([&](TSpPlat *f) {
            f->SortGrid1->repaint();
            elapsed = ms(t);
            onLast = onLast && f->Plat->FieldByName(QStringLiteral("NUMBER"))->AsInteger() >= orders;
            f->SpeedButton6Click();
        });
        t.start();
        ShowModal(SpPlat);
        shown.push_back(elapsed);
        bareShown.push_back(bench::BareRegisterWalk(2024));
    }
    if (!onLast) std::printf("! the register did not stand on its last order\n");
    result("shown", median(shown), median(bareShown));
    result("shown_first", shown.front(), bareShown.front());

    std::vector<double> f6, bareF6, saved, bareSaved;
    for (int run = 0; run < (saves > 0 ? saves : runs); ++run) {
        double toEditor = 0, save = 0;
        UiScript::OnShow<TSpPlat>([&](TSpPlat *f) {
            QElapsedTimer t;
            UiScript::OnShow<TPlatPor>([&](TPlatPor *e) {
                toEditor = ms(t);
                TDataSet *Plat = SpPlat->Plat;
                Plat->FieldByName(QStringLiteral("R_NAME"))->SetAsString(QStringLiteral("АО \"Альфа\""));
                Plat->FieldByName(QStringLiteral("R_Inn"))->SetAsString(QStringLiteral("7709876543"));
                Plat->FieldByName(QStringLiteral("R_ACCOUNT"))
                    ->SetAsString(QStringLiteral("40702810900000054321"));
                Plat->FieldByName(QStringLiteral("R_BANK_BIK"))->SetAsString(QStringLiteral("044525593"));
                Plat->FieldByName(QStringLiteral("SUMMA"))->SetAsFloat(1500);
                QElapsedTimer s;
                s.start();
                e->BitBtn1Click();
                save = ms(s);
            });
            t.start();
            f->SpeedButton4Click();
            f->SpeedButton6Click();
        });
        ShowModal(SpPlat);
        f6.push_back(toEditor);
        saved.push_back(save);
        bareF6.push_back(bareNewOrder());
        bareSaved.push_back(bareSave(run));
    }
    result("f6", median(f6), median(bareF6));
    result("save", median(saved), median(bareSaved));

    const auto [end, bareEnd] = ctrlEndRuns(orders, runs, QString());
    result("ctrlend", median(end), median(bareEnd));
    result("ctrlend_first", end.front(), bareEnd.front());
    const auto [named, bareNamed] = ctrlEndRuns(orders, runs, QString::fromUtf8(NameFilter));
    result("ctrlend_named", median(named), median(bareNamed));

    if (Config) Config->Conf->Close();
    ShutDown();
    result("peak", bench::PeakMemoryMiB(), 0);
    return 0;
}

// Bare SQLite's part on the folder, in a process of its own: its peak memory.
int measureBare(const QString &folder, int orders) {
    db::Database::Open(folder);
    const int runs = orders >= 1000000 ? 3 : 5;
    for (int run = 0; run < runs; ++run) {
        bench::BareRegisterWalk(2024);
        bareNewOrder();
        bareSave(100 + run);
    }
    db::Database::Close();
    result("peak", 0, bench::PeakMemoryMiB());
    return 0;
}

std::map<QString, std::pair<double, double>> runChild(const QString &mode, const QString &folder, int orders,
                                                      int saves = 0) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{mode, folder, QString::number(orders)};
    if (saves > 0) args << QString::number(saves);
    child.start(QCoreApplication::applicationFilePath(), args);
    child.waitForFinished(-1);
    std::map<QString, std::pair<double, double>> out;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 4 && parts[0] == "R")
            out[QString::fromLatin1(parts[1])] = {parts[2].toDouble(), parts[3].toDouble()};
        else if (!line.isEmpty())
            std::printf("%s\n", line.constData());
    }
    return out;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if ((args.size() == 3 || args.size() == 4) && args[0] == QLatin1String("--program"))
        return measureProgram(args[1], args[2].toInt(), args.value(3).toInt());
    if (args.size() == 3 && args[0] == QLatin1String("--bare")) return measureBare(args[1], args[2].toInt());

    int saves = 0;
    if (args.size() >= 2 && args[0] == QLatin1String("--saves")) {
        saves = args[1].toInt();
        args = args.mid(2);
    }
    std::vector<int> sizes;
    for (const QString &a : args)
        sizes.push_back(a.toInt());
    if (sizes.empty()) sizes = {10000, 100000, 1000000};
    std::printf(
        "Payment-order register beside bare SQLite: orders of one payer and one year, median of 5 runs "
        "(3 at 1 000 000); peak memory of each side in a process of its own\n");
    if (saves > 0) std::printf("F6 and the save: median of %d runs\n", saves);
    for (const int orders : sizes) {
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/dat");
        db::Database::Open(folder);
        fill(orders);
        db::Database::Close();
        auto ours = runChild(QStringLiteral("--program"), folder, orders, saves);
        const auto bare = runChild(QStringLiteral("--bare"), folder, orders);
        if (bare.count(QStringLiteral("peak")))
            ours[QStringLiteral("peak")].second = bare.at(QStringLiteral("peak")).second;
        std::printf("\n%d orders\n", orders);
        auto show = [&](const char *key, const char *what, double aimMs, double aimRatio) {
            const auto it = ours.find(QString::fromLatin1(key));
            if (it == ours.end()) {
                std::printf("%-42s (not measured)\n", what);
                return;
            }
            bench::Report(what, it->second.first, it->second.second, aimMs, aimRatio);
        };
        show("shown", "register shown, on its last row", 300, 0);
        show("shown_first", "  the same, first time (count not known)", 300, 0);
        show("f6", "F6 through to the editor", 50, 0);
        show("save", "save with the register open (F10)", 0, 2);
        show("ctrlend", "Ctrl+End in the register's grid", 50, 0);
        show("ctrlend_first", "  the same, first time", 50, 0);
        show("ctrlend_named", "  the same, filtered by a name (\"*альфа\")", 0, 2);
        const auto peak = ours.find(QStringLiteral("peak"));
        if (peak != ours.end()) {
            const double ratio = peak->second.first / peak->second.second;
            std::printf("%-42s %9.1f MiB  bare SQLite %7.1f MiB  ratio %5.2f   (aim at most 2.0x: %s)\n",
                        "peak memory (VmHWM)", peak->second.first, peak->second.second, ratio,
                        ratio <= 2 ? "met" : "missed");
        }
        std::fflush(stdout);
    }
    return 0;
}

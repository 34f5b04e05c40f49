// The balance reports beside bare SQLite, in one run: 1 000 000 entries of one own
// organisation over five years between 120 account codes (60 accounts, half of them with
// a sub-account), a chart of those codes and a balance-sheet layout of 40 lines.
//  - "Баланс" on 31.12.2024: the work table filled and the report laid out; bare: the
//    two grouped turnover queries (debit, credit) stepped to their ends;
//  - "Оборотно-сальдовая" for December 2024: the same with the period's turnovers;
//    bare: the four grouped queries;
//  - "Бухгалтерский баланс": recomputed at the start of the year and at 31.12.2024 and
//    printed; bare: the four grouped queries.
// Prints each figure (the median of several runs) and the ratio.
#include "BareSqlite.h"
#include "FormsBench.h"
#include "Timing.h"
#include "app/LogoMain.h"
#include "controls/DBCtrls.h"
#include "controls/UiScript.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "ledger/UBalBuh.h"
#include "ledger/UBalans.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int Entries = 1000000;
constexpr int Runs = 5;
const QDate First(2020, 1, 1), Last(2024, 12, 31);

using bench::exec;
using bench::median;
using bench::ms;

// Code i of 120: accounts 10..69, the odd ones split into ".1" and ".2".
QByteArray code(int i) {
    const int account = 10 + i / 2;
    if (account % 2 == 0) return QByteArray::number(account);
    return QByteArray::number(account) + (i % 2 ? ".2" : ".1");
}

void fill() {
    sqlite3 *h = db::Database::handle();
    exec("BEGIN");
    exec("update Config set Period = 'Месяц'");
    exec("insert into Klient (Klient_id, Name, FullName, Inn, FlSvoy) values "
         "(1, 'Вереск', 'ООО \"Вереск\"', '7701234567', 'T')");
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, "insert into PlanSch (Schet, NameSchet) values (?, ?)", -1, &st, nullptr);
    for (int i = 0; i < 120; ++i) {
        const QByteArray schet = code(i), name = "Счет " + schet;
        sqlite3_bind_text(st, 1, schet.constData(), int(schet.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    // Six sections, each a total line over five lines of two accounts each.
    sqlite3_prepare_v2(h, "insert into ConfBal (GroupId, BalSchet, StrokaId, NameStr) values (?, ?, ?, ?)",
                       -1, &st, nullptr);
    auto line = [st](int group, const QByteArray &schet, int stroka, const QByteArray &name) {
        sqlite3_bind_int(st, 1, group);
        sqlite3_bind_text(st, 2, schet.constData(), int(schet.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 3, stroka);
        if (name.isEmpty())
            sqlite3_bind_null(st, 4);
        else
            sqlite3_bind_text(st, 4, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    };
    for (int g = 1; g <= 6; ++g) {
        line(g, QByteArray(), 0, "Раздел " + QByteArray::number(g));
        line(g, QByteArray(), g * 100 + 10, "Итого по группе");
        for (int l = 1; l <= 5; ++l) {
            const int i = ((g - 1) * 5 + l - 1) * 4 % 120;
            line(g, code(i), g * 100 + 10 + l, "Строка " + QByteArray::number(l));
            line(g, code(i + 1), g * 100 + 10 + l, QByteArray());
        }
    }
    sqlite3_finalize(st);
    sqlite3_prepare_v2(h,
                       "insert into Provodka (DateProv, Debet, Kredit, Summa, Primech, Organis) "
                       "values (?, ?, ?, ?, 'Оплата по счету поставщика', 1)",
                       -1, &st, nullptr);
    const qint64 days = First.daysTo(Last) + 1;
    for (int i = 0; i < Entries; ++i) {
        const QByteArray date = First.addDays(qint64(i) * days / Entries).toString(Qt::ISODate).toUtf8();
        const QByteArray debet = code(i % 120), kredit = code((i / 120 + 7 * i) % 120);
        sqlite3_bind_text(st, 1, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, debet.constData(), int(debet.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, kredit.constData(), int(kredit.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 4, 100 + (i % 9973) / 100.0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    exec("COMMIT");
}

// One grouped turnover query of a side over a period, stepped to its end; returns ms.
double bareTurnovers(const char *side, const char *from, const char *to) {
    QElapsedTimer t;
    t.start();
    const QByteArray sql = QByteArray("select max(") + side + ") " + side +
                           ", sum(Summa) summa from Provodka where DateProv <= ?1 and DateProv >= ?2 "
                           "and Organis = ?3 group by " +
                           side;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db::Database::handle(), sql.constData(), -1, &st, nullptr);
    sqlite3_bind_text(st, 1, to, -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, from, -1, SQLITE_STATIC);
    sqlite3_bind_double(st, 3, 1);
    double sink = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        sink += sqlite3_column_double(st, 1) + sqlite3_column_bytes(st, 0);
    sqlite3_finalize(st);
    if (sink == 0) std::printf("(no rows)\n");
    return ms(t);
}

double bareSaldo(const char *to) {
    return bareTurnovers("debet", "1998-01-01", to) + bareTurnovers("Kredit", "1998-01-01", to);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    UiScript::Activate();
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/dat");
    const double filling = bench::FillDataFolder(folder, fill);
    std::printf("%d entries filled in %.1f s\n", Entries, filling / 1000);
    if (!bench::StartUpOn(folder, Last)) return 1;
    LogoAppForm->CreateBalance();

    int pages = 0;
    TReport::PreviewHook = [&pages](TReport &, const TPreparedReport &report) {
        pages = int(report.Pages.size());
    };
    std::vector<double> balance, bareBalance, turnover, bareTurnover, sheet, bareSheet;
    int balancePages = 0, turnoverPages = 0, sheetPages = 0;
    for (int run = 0; run < Runs; ++run) {
        for (const char *mode : {"1", "2"}) {
            const bool period = mode[0] == '2';
            UiScript::OnShow<TBalans>([&](TBalans *f) {
                if (period) f->DatV->SetDate(QDate(2024, 12, 1));
                QElapsedTimer t;
                t.start();
                f->BitBtn1Click();
                (period ? turnover : balance).push_back(ms(t));
                (period ? turnoverPages : balancePages) = pages;
                f->BitBtn2->click();
            });
            Balans->ReportMode = QString::fromLatin1(mode);
            ShowModal(Balans);
        }
        bareBalance.push_back(bareSaldo("2024-12-31"));
        bareTurnover.push_back(bareSaldo("2024-12-31") + bareTurnovers("debet", "2024-12-01", "2024-12-31") +
                               bareTurnovers("Kredit", "2024-12-01", "2024-12-31"));

        UiScript::OnShow<TBalBuh>([&](TBalBuh *f) {
            QElapsedTimer t;
            t.start();
            f->SpeedButton1Click();
            f->SpeedButton2Click();
            f->SpeedButton3Click();
            sheet.push_back(ms(t));
            sheetPages = pages;
            f->SpeedButton4Click();
        });
        ShowModal(BalBuh);
        bareSheet.push_back(bareSaldo("2024-01-01") + bareSaldo("2024-12-31"));
    }
    std::printf("pages: balance %d, turnover-balance sheet %d, balance sheet %d\n", balancePages,
                turnoverPages, sheetPages);
    bench::Report("balance (2 grouped queries)", median(balance), median(bareBalance), 1000, 1.5);
    bench::Report("turnover-balance sheet (4 grouped queries)", median(turnover), median(bareTurnover), 1000,
                  1.5);
    bench::Report("balance sheet (4 grouped queries)", median(sheet), median(bareSheet), 1000, 1.5);

    TReport::PreviewHook = nullptr;
    ShutDown();
    return 0;
}

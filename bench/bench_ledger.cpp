// The journal of entries beside bare SQLite, in one run: 1 000 000 entries of one own
// organisation over five years (about 16 700 a month) and a chart of 40 accounts.
//  - shown: "Проводки" opened on December 2024, its query run with the period and
//    the organisation, moved to the last row, the grid painted;
//  - walked: from the first row to the last, every field of each row read, the names
//    of both accounts included;
//  bare: the same SELECT with the two names joined from the chart, stepped to its last
//  row, every column read.
// Prints each figure (the median of several runs) and the ratio.
#include "BareSqlite.h"
#include "FormsBench.h"
#include "Timing.h"
#include "app/LogoMain.h"
#include "controls/DBGrid.h"
#include "controls/UiScript.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "ledger/UProvodka.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int Entries = 1000000;
constexpr int Runs = 7;
const QDate First(2020, 1, 1), Last(2024, 12, 31);

using bench::exec;
using bench::median;
using bench::ms;

// 40 accounts 10..49, own organisation 1; entries spread evenly over the five years.
void fill() {
    sqlite3 *h = db::Database::handle();
    exec("BEGIN");
    exec("update Config set Period = 'Месяц'");
    exec("insert into Klient (Klient_id, Name, FullName, Inn, FlSvoy) values "
         "(1, 'Вереск', 'ООО \"Вереск\"', '7701234567', 'T')");
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, "insert into PlanSch (Schet, NameSchet, TypeSchet) values (?, ?, 'А')", -1, &st,
                       nullptr);
    for (int a = 10; a < 50; ++a) {
        const QByteArray schet = QByteArray::number(a);
        const QByteArray name = "Счет номер " + schet;
        sqlite3_bind_text(st, 1, schet.constData(), int(schet.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_prepare_v2(h,
                       "insert into Provodka (DateProv, Debet, Kredit, Summa, Primech, Organis) "
                       "values (?, ?, ?, ?, 'Оплата по счету поставщика', 1)",
                       -1, &st, nullptr);
    const qint64 days = First.daysTo(Last) + 1;
    for (int i = 0; i < Entries; ++i) {
        const QByteArray date = First.addDays(qint64(i) * days / Entries).toString(Qt::ISODate).toUtf8();
        const QByteArray debet = QByteArray::number(10 + i % 40);
        const QByteArray kredit = QByteArray::number(10 + (i / 40) % 40);
        sqlite3_bind_text(st, 1, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, debet.constData(), int(debet.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, kredit.constData(), int(kredit.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 4, 100 + i % 9973);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    exec("COMMIT");
}

// The journal's query for December 2024 with the names of both accounts, every column
// of every row read; returns ms and the rows.
double bareMonth(int &rows) {
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db::Database::handle(),
                       "select p.*, d.NameSchet, k.NameSchet from Provodka p "
                       "left join PlanSch d on d.Schet = p.Debet left join PlanSch k on k.Schet = p.Kredit "
                       "where p.DateProv >= ?1 and p.DateProv <= ?2 and p.Organis = ?3 "
                       "and p.Debet like '%' and p.Kredit like '%' order by p.DateProv",
                       -1, &st, nullptr);
    sqlite3_bind_text(st, 1, "2024-12-01", -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, "2024-12-31", -1, SQLITE_STATIC);
    sqlite3_bind_double(st, 3, 1);
    rows = bench::ReadEveryRow(st);
    sqlite3_finalize(st);
    return ms(t);
}

void report(const char *what, double ours, double bare, double aim) {
    std::printf("%-44s %9.2f ms   bare SQLite %8.2f ms   ratio %5.2f   (aim under %.0f ms and 1.5x: %s)\n",
                what, ours, bare, ours / bare, aim, ours < aim && ours <= 1.5 * bare ? "met" : "missed");
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

    std::vector<double> shown, walked, total, bare;
    int rows = 0, bareRows = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        UiScript::OnShow<TProvodka>([&](TProvodka *f) {
            f->DBGrid1->repaint();
            shown.push_back(ms(t));
            QElapsedTimer w;
            w.start();
            TQuery *Prov = f->Prov;
            const int fields = Prov->FieldCount();
            qint64 sink = 0;
            rows = 0;
            Prov->DisableControls();
            for (Prov->First(); !Prov->Eof(); Prov->Next()) {
                ++rows;
                for (int i = 0; i < fields; ++i)
                    sink += Prov->Fields(i)->Value().isNull() ? 0 : 1;
            }
            Prov->EnableControls();
            walked.push_back(ms(w));
            total.push_back(ms(t));
            if (sink == 0) std::printf("(nothing read)\n");
            f->SpeedButton5Click();
        });
        t.start();
        ShowModal(Provodka);
        bare.push_back(bareMonth(bareRows));
    }
    std::printf("December 2024: %d rows in the journal, %d bare\n", rows, bareRows);
    report("journal shown (query, last row, grid)", median(shown), median(bare), 300);
    report("shown and walked, names read", median(total), median(bare), 300);
    std::printf("%-44s %9.2f ms\n", "  of which the walk", median(walked));

    ShutDown();
    return 0;
}

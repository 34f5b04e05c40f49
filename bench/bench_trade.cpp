// The trade reports over a year of one own organisation: 100 000 documents (every
// tenth received, the rest issued) of 2 000 buyers, 300 000 lines of 500 goods names,
// 100 000 payments. Each report is printed from its form and laid out to its last
// page, beside bare SQLite running the queries that feed it (every row stepped, every
// column read) with the same parameters, in the same run. Prints the median of several
// runs and the ratio.
#include "app/LogoMain.h"
#include "controls/DBCtrls.h"
#include "controls/UiScript.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "db/Query.h"
#include "reports/UKniga.h"
#include "reports/UOtchet.h"
#include "reports/UVedPok.h"

#include "BareSqlite.h"
#include "FormsBench.h"
#include "Timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int Documents = 100000;
constexpr int Buyers = 2000;
constexpr int Goods = 500;
constexpr int Runs = 3;

using bench::exec;
using bench::median;
using bench::ms;

// Own organisation 1; buyers 2.. ("Альфа", buyer 2, takes every tenth issued document);
// a supplier. Document i: dated through 2024, three lines, 10 % received; payments:
// none for every fourth, two for every fourth, one otherwise; some short, some over.
void fill() {
    exec("BEGIN");
    exec("update Config set Period = 'Год'");
    exec("insert into Klient (Klient_id, Name, FullName, Inn, FlSvoy) values "
         "(1, 'Вереск', 'ООО \"Вереск\"', '7701234567', 'T')");
    sqlite3_stmt *klient = bench::Prepare(QStringLiteral(
        "insert into Klient (Klient_id, Name, FullName, Inn, FlSvoy) values (?, ?, ?, ?, 'F')"));
    for (int b = 0; b <= Buyers; ++b) {
        const QByteArray name =
            b == 0 ? QByteArrayLiteral("Альфа") : QStringLiteral("Покупатель %1").arg(b).toUtf8();
        const QByteArray full = QByteArrayLiteral("ООО ") + name;
        const QByteArray inn = QByteArray::number(7700000000LL + b);
        sqlite3_bind_int(klient, 1, b + 2);
        sqlite3_bind_text(klient, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(klient, 3, full.constData(), int(full.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(klient, 4, inn.constData(), int(inn.size()), SQLITE_TRANSIENT);
        sqlite3_step(klient);
        sqlite3_reset(klient);
    }
    sqlite3_finalize(klient);
    sqlite3_stmt *header =
        bench::Prepare(QStringLiteral("insert into FAKTUR_ZAG (FAKTUR_ZAG_ID, NUMB_FAKT, "
                                      "DATE_FAKT, ID_POKUPAT, NAME_POKUPAT, INN_POK, OKPO_POK, "
                                      "OKONX_POK, ID_POST, NAME_POST, INN_POST, FL_SVOY, "
                                      "Dogovor_id, Summa, SummaNDS, Itogo, DateOpl, DopNumb) "
                                      "values (?, ?, ?, ?, ?, ?, '12345678', '71100', 1, 'ООО "
                                      "\"Вереск\"', '7701234567', ?, 0, ?, ?, ?, ?, ?)"));
    sqlite3_stmt *line = bench::Prepare(QStringLiteral(
        "insert into Faktura (ZAG_ID, NAME_TOV, ED_IZM, KOL_VO, CENA_TOV, PROC_NDS, Summa, SummaNds, Itogo) "
        "values (?, ?, 'шт.', ?, ?, 20, ?, ?, ?)"));
    sqlite3_stmt *pay = bench::Prepare(
        QStringLiteral("insert into Oplata (Faktur_zag_id, DateOpl, NumbDok, SummaOpl, SummaNds, Primech) "
                       "values (?, ?, ?, ?, ?, 'оплата по счету')"));
    const QDate start(2024, 1, 1);
    int payments = 0;
    for (int i = 0; i < Documents; ++i) {
        const bool received = i % 10 == 9;
        const int buyer = received ? Buyers + 2 : (i % 10 == 0 ? 2 : 3 + i % (Buyers - 1));
        const QDate date = start.addDays(i * 360 / Documents);
        const QByteArray iso = date.toString(Qt::ISODate).toUtf8();
        const QByteArray name =
            received ? QByteArrayLiteral("ЗАО Поставщик")
                     : (buyer == 2 ? QByteArrayLiteral("ООО Альфа")
                                   : QStringLiteral("ООО Покупатель %1").arg(buyer - 2).toUtf8());
        double summa = 0, nds = 0, itogo = 0;
        struct L {
            QByteArray name;
            double kolVo, cena, summa, nds, itogo;
        } lines[3];
        for (int l = 0; l < 3; ++l) {
            const int g = (i * 3 + l) % Goods;
            const double kolVo = 1 + (i + l) % 7, cena = 10 + g % 90 + 0.25;
            const double s = kolVo * cena, n = std::round(s * 20) / 100;
            lines[l] = {QStringLiteral("Товар № %1 склад").arg(g).toUtf8(), kolVo, cena, s, n, s + n};
            summa += s;
            nds += n;
            itogo += s + n;
        }
        const QByteArray dateOpl = date.addDays(10).toString(Qt::ISODate).toUtf8();
        const QByteArray inn = QByteArray::number(7700000000LL + buyer - 2);
        sqlite3_bind_int(header, 1, i + 1);
        sqlite3_bind_double(header, 2, i + 1);
        sqlite3_bind_text(header, 3, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(header, 4, buyer);
        sqlite3_bind_text(header, 5, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(header, 6, inn.constData(), int(inn.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(header, 7, received ? "b" : "s", 1, SQLITE_STATIC);
        sqlite3_bind_double(header, 8, summa);
        sqlite3_bind_double(header, 9, nds);
        sqlite3_bind_double(header, 10, itogo);
        sqlite3_bind_text(header, 11, dateOpl.constData(), int(dateOpl.size()), SQLITE_TRANSIENT);
        if (i % 7 == 0)
            sqlite3_bind_text(header, 12, "а", -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(header, 12);
        sqlite3_step(header);
        sqlite3_reset(header);
        for (const L &l : lines) {
            sqlite3_bind_int(line, 1, i + 1);
            sqlite3_bind_text(line, 2, l.name.constData(), int(l.name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(line, 3, l.kolVo);
            sqlite3_bind_double(line, 4, l.cena);
            sqlite3_bind_double(line, 5, l.summa);
            sqlite3_bind_double(line, 6, l.nds);
            sqlite3_bind_double(line, 7, l.itogo);
            sqlite3_step(line);
            sqlite3_reset(line);
        }
        const int count = i % 4 == 0 ? 0 : (i % 4 == 1 ? 2 : 1);
        for (int p = 0; p < count; ++p) {
            // Most pay in full; every 13th pays short, every 17th pays over.
            double amount = count == 2 ? itogo / 2 : itogo;
            if (i % 13 == 0) amount -= 10;
            if (i % 17 == 0) amount += 5;
            const QByteArray payDate = date.addDays(5 + 7 * p).toString(Qt::ISODate).toUtf8();
            const QByteArray numb = QByteArray::number(++payments);
            sqlite3_bind_int(pay, 1, i + 1);
            sqlite3_bind_text(pay, 2, payDate.constData(), int(payDate.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(pay, 3, numb.constData(), int(numb.size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(pay, 4, amount);
            sqlite3_bind_double(pay, 5, amount / 6);
            sqlite3_step(pay);
            sqlite3_reset(pay);
        }
    }
    sqlite3_finalize(header);
    sqlite3_finalize(line);
    sqlite3_finalize(pay);
    exec("COMMIT");
    std::printf("%d documents, %d lines, %d payments filled\n", Documents, 3 * Documents, payments);
}

// A form's query run on bare SQLite: the text the engine sends, the parameters bound
// from `values` by name (any letter case), else as the query holds them.
double bare(TQuery *q, const std::map<QString, QVariant> &values = {}) {
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = bench::Prepare(q->TranslatedSQL());
    for (int i = 1; i <= sqlite3_bind_parameter_count(st); ++i) {
        const QString name = QString::fromUtf8(sqlite3_bind_parameter_name(st, i) + 1);
        const auto given = values.find(name.toLower());
        const QVariant v = given != values.end() ? given->second : q->ParamByName(name)->Value();
        if (v.typeId() == QMetaType::QDate) {
            const QByteArray iso = v.toDate().toString(Qt::ISODate).toUtf8();
            sqlite3_bind_text(st, i, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
        } else if (v.typeId() == QMetaType::QString) {
            const QByteArray text = v.toString().toUtf8();
            sqlite3_bind_text(st, i, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_double(st, i, v.toDouble());
        }
    }
    bench::ReadEveryRow(st);
    sqlite3_finalize(st);
    return ms(t);
}

int pagesLaidOut = 0;

// `print` timed to the last page, `bareRun` after it, Runs times; the medians reported.
const char *only = nullptr; // a part of the names of the reports to measure; all when null

void measure(const char *what, const std::function<void()> &print, const std::function<double()> &bareRun) {
    if (only && !std::strstr(what, only)) return;
    std::vector<double> ours, bares;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        t.start();
        print();
        ours.push_back(ms(t));
        bares.push_back(bareRun());
    }
    char label[128];
    std::snprintf(label, sizeof label, "%s (%d pages)", what, pagesLaidOut);
    bench::Report(label, median(ours), median(bares), 1000, 1.5);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    UiScript::Activate();
    if (argc > 1) only = argv[1];
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/dat");
    bench::FillDataFolder(folder, fill);
    if (!bench::StartUpOn(folder, QDate(2024, 12, 31))) return 1;
    LogoAppForm->CreateBooks();
    // The preview is where the pages go: laid out to the last one, counted, dropped.
    TReport::PreviewHook = [](TReport &, const TPreparedReport &pages) {
        pagesLaidOut = int(pages.Pages.size());
    };

    const QDate year(2024, 1, 1), end(2024, 12, 31), april(2024, 4, 1), march31(2024, 3, 31);
    auto period = [&](TTradeReportForm *f, const QDate &from, const QDate &to) {
        f->KliId = 1;
        f->Edit1->setText(QStringLiteral("ООО \"Вереск\""));
        f->DatV->SetDate(from);
        f->DatI->SetDate(to);
    };

    // The sales book by payment and by shipment.
    Kniga->BookFlag = QStringLiteral("s");
    period(Kniga, year, end);
    Kniga->RadioButton1->setChecked(true);
    measure(
        "sales book by payment", [] { Kniga->BitBtn1Click(); }, [] { return bare(Kniga->Oplat); });
    Kniga->RadioButton2->setChecked(true);
    measure(
        "sales book by shipment", [] { Kniga->BitBtn1Click(); }, [] { return bare(Kniga->Fakt); });

    // The seven reports over the year; balances and goods movement from April, so that
    // their opening balances are read too.
    auto kind = [&](double k, const QDate &from) {
        Otchet->ReportKind = k;
        period(Otchet, from, end);
    };
    kind(1, year);
    measure(
        "1 shipments by goods", [] { Otchet->BitBtn1Click(); }, [] { return bare(Otchet->Otgr); });
    kind(2, year);
    measure(
        "2 list by numbers", [] { Otchet->BitBtn1Click(); }, [] { return bare(Otchet->Perech); });
    kind(3, april);
    measure(
        "3 balances by buyer", [] { Otchet->BitBtn1Click(); },
        [&] {
            const QDate from(1999, 1, 1);
            return bare(Otchet->Oplata, {{"datv", from}, {"dati", march31}}) +
                   bare(Otchet->Rasx, {{"datv", from}, {"dati", march31}}) +
                   bare(Otchet->Oplata, {{"datv", april}, {"dati", end}}) +
                   bare(Otchet->Rasx, {{"datv", april}, {"dati", end}});
        });
    kind(4, year);
    measure(
        "4 payments", [] { Otchet->BitBtn1Click(); }, [] { return bare(Otchet->OplPer); });
    kind(5, end);
    measure(
        "5 debtors", [] { Otchet->BitBtn1Click(); }, [] { return bare(Otchet->Debet); });
    kind(6, end);
    measure(
        "6 creditors", [] { Otchet->BitBtn1Click(); }, [] { return bare(Otchet->Kredit); });
    kind(7, april);
    measure(
        "7 goods movement", [] { Otchet->BitBtn1Click(); },
        [&] {
            const QDate from(1998, 1, 1);
            return bare(Otchet->Assort) + bare(Otchet->ObKre, {{"datv", april}, {"dati", end}, {"fl", "b"}}) +
                   bare(Otchet->ObDeb, {{"datv", april}, {"dati", end}, {"fl", "s"}}) +
                   bare(Otchet->ObKre, {{"datv", from}, {"dati", march31}, {"fl", "b"}}) +
                   bare(Otchet->ObDeb, {{"datv", from}, {"dati", march31}, {"fl", "s"}});
        });

    // The statement of the buyer with every tenth document.
    period(VedPok, april, end);
    VedPok->PokId = 2;
    measure(
        "statement of one buyer (9 000 documents)", [] { VedPok->BitBtn1Click(); },
        [&] { return bare(VedPok->Rasx) + bare(VedPok->Prix) + bare(VedPok->Oplat) + bare(VedPok->Otgr); });

    TReport::PreviewHook = nullptr;
    ShutDown();
    return 0;
}

// The invoice register and the document editor beside bare SQLite, in one run:
//  - "Счета-Фактуры" shown over 100 000 invoices and 300 000 lines of one own
//    organisation and year: the form shown, its query run with the filter of the
//    controls, moved to the last row, the grid painted; bare: the same SELECT stepped to
//    its last row, every column read;
//  - a 200-line document opened (F4: the editor shown with all its lines read); bare:
//    its header and its lines read;
//  - a new 200-line document saved (F10: the lines' totals, the lines and the header
//    written, the buyer looked up in the reference books, in one transaction); bare: the
//    same writes and look-ups in one transaction.
// Prints each figure (the median of several runs) and the ratio.
#include "app/LogoMain.h"
#include "app/UConfig.h"
#include "controls/DBGrid.h"
#include "controls/UiScript.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "sales/USchFak.h"
#include "sales/USpRasx.h"

#include "BareSqlite.h"
#include "FormsBench.h"
#include "Timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int Invoices = 100000;
constexpr int BigDocumentLines = 200;
constexpr int Runs = 5;

using bench::exec;
using bench::median;
using bench::ms;

// One own organisation (key 1) and one buyer (key 2), each with its account; 100 000
// invoices of the organisation to the buyer in 2024, three lines each, but the last
// invoice, which has 200.
void fill() {
    exec("BEGIN");
    exec("update Config set Period = 'Год', ProcNDS = 20");
    exec("insert into Klient (Klient_id, Name, FullName, Inn, Adress, FlSvoy) values "
         "(1, 'Вереск', 'ООО \"Вереск\"', '7701234567', 'Москва', 'T'), "
         "(2, 'Альфа', 'АО \"Альфа\"', '7709876543', 'Тверь', 'F')");
    exec("insert into Bank (Klient_id, NameBank, Schet, KorSchet, Bik) values "
         "(1, 'ПАО Сбербанк г.Москва', '40702810400000012345', '30101810400000000225', '044525225'), "
         "(2, 'АО Альфа-Банк г.Москва', '40702810900000054321', '30101810200000000593', '044525593')");
    sqlite3_stmt *header = bench::Prepare(
        "insert into FAKTUR_ZAG (NUMB_FAKT, DATE_FAKT, ID_POKUPAT, NAME_POKUPAT, ADRESS_POK, "
        "SCHET_POK, KSCHET_POK, "
        "MFO_POK, BANK_POK, INN_POK, ID_POST, NAME_POST, ADRESS_POST, SCHET_POST, KSCHET_POST, "
        "MFO_POST, BANK_POST, "
        "INN_POST, FL_SVOY, Dogovor_id, Summa, SummaNDS, Itogo, SummaOpl) values (?, ?, 2, 'АО "
        "\"Альфа\"', 'Тверь', "
        "'40702810900000054321', '30101810200000000593', '044525593', 'АО Альфа-Банк г.Москва', "
        "'7709876543', 1, "
        "'ООО \"Вереск\"', 'Москва', '40702810400000012345', '30101810400000000225', '044525225', "
        "'ПАО Сбербанк г.Москва', '7701234567', 's', 0, 300, 60, 360, 0)");
    sqlite3_stmt *line =
        bench::Prepare("insert into Faktura (ZAG_ID, NAME_TOV, ED_IZM, KOL_VO, CENA_TOV, PROC_NDS, Summa, "
                       "SummaNds, Itogo, Strana) values (?, 'Бумага офисная А4', 'пач.', 1, 100, 20, "
                       "100, 20, 120, 'Россия')");
    const QDate start(2024, 1, 1);
    for (int i = 0; i < Invoices; ++i) {
        const QByteArray date = start.addDays(i % 350).toString(Qt::ISODate).toUtf8();
        sqlite3_bind_double(header, 1, i + 1);
        sqlite3_bind_text(header, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_step(header);
        sqlite3_reset(header);
        const int lines = i + 1 == Invoices ? BigDocumentLines : 3;
        for (int l = 0; l < lines; ++l) {
            sqlite3_bind_double(line, 1, i + 1);
            sqlite3_step(line);
            sqlite3_reset(line);
        }
    }
    sqlite3_finalize(header);
    sqlite3_finalize(line);
    exec("COMMIT");
}

double bareRegister() {
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = bench::Prepare(
        "select * from FAKTUR_ZAG where DATE_FAKT >= '2024-01-01' and DATE_FAKT <= '2024-12-30' "
        "and FL_SVOY like 's' and NAME_POKUPAT like '%' and ID_POST = 1 "
        "and (Dogovor_id = 0 or 0 = 0) order by Numb_fakt");
    bench::ReadEveryRow(st);
    sqlite3_finalize(st);
    return ms(t);
}

double bareOpen(double key) {
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = bench::Prepare("select * from FAKTUR_ZAG where FAKTUR_ZAG_ID = ?");
    sqlite3_bind_double(st, 1, key);
    bench::ReadEveryRow(st);
    sqlite3_finalize(st);
    st = bench::Prepare("select * from Faktura where ZAG_ID = ?");
    sqlite3_bind_double(st, 1, key);
    bench::ReadEveryRow(st);
    sqlite3_finalize(st);
    return ms(t);
}

// The save's writes and look-ups: the lines, the header, the buyer by INN and its
// account, in one transaction.
double bareSave(double key) {
    QElapsedTimer t;
    t.start();
    exec("BEGIN");
    sqlite3_stmt *st =
        bench::Prepare("insert into Faktura (ZAG_ID, TOVAR_ID, NAME_TOV, OKDP_TOV, ED_IZM, KOL_VO, CENA_TOV, "
                       "PROC_NDS, Summa, SummaNds, Itogo, Strana, NTamog) "
                       "values (?, null, 'Бумага', null, 'пач.', 2, 100, 20, 200, 40, 240, 'Россия', null)");
    for (int l = 0; l < BigDocumentLines; ++l) {
        sqlite3_bind_double(st, 1, key);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    st = bench::Prepare(
        "update FAKTUR_ZAG set Summa = 40000, SummaNDS = 8000, Itogo = 48000, NAME_POKUPAT = 'АО \"Альфа\"' "
        "where FAKTUR_ZAG_ID = ?");
    sqlite3_bind_double(st, 1, key);
    sqlite3_step(st);
    sqlite3_finalize(st);
    st = bench::Prepare("select Klient_id, Adress from Klient where Inn = '7709876543'");
    sqlite3_step(st);
    const double owner = sqlite3_column_double(st, 0);
    sqlite3_finalize(st);
    st = bench::Prepare("select Bank_id from Bank where Klient_id = ? and Schet = '40702810900000054321' "
                        "and Bik = '044525593'");
    sqlite3_bind_double(st, 1, owner);
    sqlite3_step(st);
    sqlite3_finalize(st);
    exec("ROLLBACK"); // the next run writes the same again
    return ms(t);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    UiScript::Activate();
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/dat");
    const double filling = bench::FillDataFolder(folder, fill);
    std::printf("%d invoices and %d lines filled in %.1f s\n", Invoices,
                3 * (Invoices - 1) + BigDocumentLines, filling / 1000);
    if (!bench::StartUpOn(folder, QDate(2024, 12, 20))) return 1;
    LogoAppForm->CreateSalesDocs();

    // "Счета-Фактуры": from the command to the last row on the screen.
    std::vector<double> shown, bareShown;
    int rows = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        double elapsed = 0;
        UiScript::OnShow<TSpRasx>([&](TSpRasx *f) {
            f->DBGrid1->repaint();
            elapsed = ms(t);
            rows = f->SpRasx->RecNo() + 1;
            f->SpeedButton7Click();
        });
        t.start();
        LogoAppForm->N30Click();
        shown.push_back(elapsed);
        bareShown.push_back(bareRegister());
    }
    std::printf("register on row %d\n", rows);
    bench::Report("register shown (open, filter, last row)", median(shown), median(bareShown), 300, 1.5);

    // F4 on the last invoice (200 lines), and F6 with 200 lines saved by F10.
    std::vector<double> opened, bareOpened, saved, bareSaved;
    UiScript::OnShow<TSpRasx>([&](TSpRasx *f) {
        const double last = f->SpRasx->FieldByName(QStringLiteral("FAKTUR_ZAG_ID"))->AsFloat();
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer t;
            double elapsed = 0;
            UiScript::OnShow<TSchFak>([&](TSchFak *e) {
                f->PosRasx->Last();
                e->DBGrid1->repaint();
                elapsed = ms(t);
                e->BitBtn2Click();
            });
            t.start();
            f->SpeedButton3Click();
            opened.push_back(elapsed);
            bareOpened.push_back(bareOpen(last));
        }
        for (int run = 0; run < Runs; ++run) {
            double elapsed = 0, key = 0;
            UiScript::OnShow<TSchFak>([&](TSchFak *e) {
                TDataSet *header = f->SpRasx;
                key = header->FieldByName(QStringLiteral("FAKTUR_ZAG_ID"))->AsFloat();
                header->FieldByName(QStringLiteral("NAME_POKUPAT"))
                    ->SetAsString(QStringLiteral("АО \"Альфа\""));
                header->FieldByName(QStringLiteral("INN_POK"))->SetAsString(QStringLiteral("7709876543"));
                header->FieldByName(QStringLiteral("SCHET_POK"))
                    ->SetAsString(QStringLiteral("40702810900000054321"));
                header->FieldByName(QStringLiteral("MFO_POK"))->SetAsString(QStringLiteral("044525593"));
                TDataSet *lines = f->PosRasx;
                for (int l = 0; l < BigDocumentLines; ++l) {
                    lines->Append();
                    lines->FieldByName(QStringLiteral("NAME_TOV"))->SetAsString(QStringLiteral("Бумага"));
                    lines->FieldByName(QStringLiteral("KOL_VO"))->SetAsFloat(2);
                    lines->FieldByName(QStringLiteral("CENA_TOV"))->SetAsFloat(100);
                    lines->Post();
                }
                QElapsedTimer t;
                t.start();
                e->BitBtn1Click();
                elapsed = ms(t);
            });
            f->SpeedButton4Click();
            saved.push_back(elapsed);
            bareSaved.push_back(bareSave(key));
        }
        f->SpeedButton7Click();
    });
    LogoAppForm->N30Click();
    bench::Report("200-line document opened (F4)", median(opened), median(bareOpened), 30);
    bench::Report("200-line document saved (F10)", median(saved), median(bareSaved), 30);

    if (Config) Config->Conf->Close();
    ShutDown();
    return 0;
}

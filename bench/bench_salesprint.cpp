// The waybill with requisites and sales tax (NaklNal) of a 2 000-line document, laid
// out and written to PDF through the editor's print layout, beside QPdfWriter drawing
// the same texts at the same places in the same run (the floor): the title and the two
// parties' requisites, the column header on every page, each line's eight cells in
// their boxes (the goods name wrapped in its column), the totals and the amount in
// words, the lines read on bare SQLite. Prints the median of several runs of each and
// the ratio.
#include "app/StrUtils.h"
#include "app/Words.h"
#include "db/Currency.h"
#include "db/Database.h"
#include "db/Formats.h"
#include "print/PagePainter.h"
#include "sales/USchFak.h"
#include "sales/USpRasx.h"

#include "BareSqlite.h"
#include "PdfFloor.h"
#include "Timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int Lines = 2000;
constexpr int Runs = 5;
constexpr double Key = 1; // the document's header

using bench::exec;

// One own organisation, one buyer and one waybill to it of 2 000 lines; every fifth
// line has a goods name long enough to wrap in its column.
void fill() {
    exec("BEGIN");
    exec(
        "insert into FAKTUR_ZAG (FAKTUR_ZAG_ID, NUMB_FAKT, DATE_FAKT, NUMB_TTN, DATE_TTN, FL_SVOY, ID_POST, "
        "NAME_POST, ADRESS_POST, TEL_POST, SCHET_POST, KSCHET_POST, MFO_POST, BANK_POST, CYTI_POST, "
        "INN_POST, "
        "OKPO_POST, OKONX_POST, NAME_POKUPAT, ADRESS_POK, TEL_POK, SCHET_POK, KSCHET_POK, MFO_POK, BANK_POK, "
        "CYTI_POK, INN_POK, OKPO_POK, OKONX_POK, DOPOLN, GRUZOPOL, GRUZOOTPR, PLATDOK, NalogProd, "
        "Dogovor_id) "
        "values (1, 15, '2024-03-05', 'Т-3', '2024-03-06', 's', 1, 'ООО \"Вереск\"', 'Москва, ул. Тверская, "
        "1', "
        "'495-111-22-33', '40702810900000000707', '30101810400000000225', '044525225', 'ПАО Сбербанк', "
        "'Москва', '7705000007', '12345678', '71100', 'ООО \"Ландыш\"', 'Москва, ул. Лесная, 5', "
        "'495-444-55-66', '40702810100000000808', '30101810200000000593', '044525593', 'АО Альфа-Банк', "
        "'Москва', '5012000012', '87654321', '71200', 'по договору Д-1', 'он же', 'он же', "
        "'41 от 01.03.2024', 5, 0)");
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db::Database::handle(),
                       "insert into Faktura (ZAG_ID, NAME_TOV, ED_IZM, KOL_VO, CENA_TOV, PROC_NDS, Summa, "
                       "SummaNds, Itogo) values (1, ?, 'шт', ?, ?, 20, ?, ?, ?)",
                       -1, &ins, nullptr);
    for (int i = 0; i < Lines; ++i) {
        const QByteArray name =
            (i % 5 == 0 ? QStringLiteral("Бумага офисная для лазерных и струйных принтеров, формат А4, "
                                         "плотность 80 г/м2, пачка 500 листов, арт. %1")
                        : QStringLiteral("Папка-регистратор %1"))
                .arg(i + 1)
                .toUtf8();
        const double kolVo = 1 + i % 7, cena = 10.5 + i % 100;
        const double summa = kolVo * cena, nds = Okrugl(summa * 0.2);
        sqlite3_bind_text(ins, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(ins, 2, kolVo);
        sqlite3_bind_double(ins, 3, cena);
        sqlite3_bind_double(ins, 4, summa);
        sqlite3_bind_double(ins, 5, nds);
        sqlite3_bind_double(ins, 6, summa + nds);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    exec("COMMIT");
}

// ---- The floor -----------------------------------------------------------------------

QString text(sqlite3_stmt *st, int column) {
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, column)),
                             sqlite3_column_bytes(st, column));
}

// The waybill's texts drawn as the lines are stepped on bare SQLite, at the places of
// the layout (landscape, margins 5, 5, 10, 20 mm; columns 80, 21, 21, 21, 30, 27, 33, 34).
int writeFloor(const QString &fileName) {
    bench::PdfFloor pdf(fileName, QPageLayout::Landscape);
    const double widths[] = {80, 21, 21, 21, 30, 27, 33, 34};
    const char *captions[] = {
        "Наименование товара",           "Ед. изм.", "Кол-во", "Цена", "Сумма", "Сумма НДС", "Сумма с НДС",
        "Сумма с НДС и налогом с продаж"};
    double lefts[9] = {10};
    for (int c = 0; c < 8; ++c)
        lefts[c + 1] = lefts[c] + widths[c];
    const QString money = QStringLiteral(",0.00");
    int pages = 1;
    double y = 5;

    sqlite3_stmt *head = nullptr;
    sqlite3_prepare_v2(db::Database::handle(), "select * from FAKTUR_ZAG where FAKTUR_ZAG_ID = 1", -1, &head,
                       nullptr);
    sqlite3_step(head);
    pdf.SetFont(14);
    pdf.Text(100, y, 60, 6, Qt::AlignLeft, QStringLiteral("НАКЛАДНАЯ №"));
    pdf.SetFont(10);
    pdf.Text(140, y + 1, 40, 5, Qt::AlignLeft, QStringLiteral("Т-3 от 06.03.2024"));
    y += 9;
    // The two blocks: a caption and its value per line, twelve lines each.
    for (int line = 0; line < 12; ++line) {
        for (int half = 0; half < 2; ++half) {
            pdf.SetFont(10);
            pdf.Text(10 + half * 135, y, 30, 5, Qt::AlignLeft, QStringLiteral("Поставщик"));
            pdf.SetFont(8);
            pdf.Text(32 + half * 135, y + 0.5, 100, 5, Qt::AlignLeft, text(head, 7 + line + half * 12));
        }
        y += 4.5;
    }
    sqlite3_finalize(head);

    const auto columnHeader = [&] {
        pdf.SetFont(10);
        for (int c = 0; c < 8; ++c) {
            pdf.Box(lefts[c], y, widths[c], 9);
            pdf.Text(lefts[c] + 0.8, y + 0.5, widths[c] - 1.6, 9, Qt::AlignHCenter | Qt::TextWordWrap,
                     QString::fromUtf8(captions[c]));
        }
        y += 9;
    };
    columnHeader();

    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db::Database::handle(),
                       "select NAME_TOV, ED_IZM, KOL_VO, CENA_TOV, Summa, SummaNds, Itogo from Faktura "
                       "where ZAG_ID = 1 order by FAKTURA_ID",
                       -1, &st, nullptr);
    double totals[4] = {};
    pdf.SetFont(8);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QString name = text(st, 0);
        const double kolVo = sqlite3_column_double(st, 2), itogo = sqlite3_column_double(st, 6);
        const double itogSumma = Okrugl(double(itogo * 0.05L + itogo));
        const QString cells[] = {name,
                                 text(st, 1),
                                 fmt::FloatToStr(kolVo),
                                 fmt::FormatFloat(money, sqlite3_column_double(st, 3)),
                                 fmt::FormatFloat(money, sqlite3_column_double(st, 4)),
                                 fmt::FormatFloat(money, sqlite3_column_double(st, 5)),
                                 fmt::FormatFloat(money, itogo),
                                 fmt::FormatFloat(money, itogSumma)};
        totals[0] += sqlite3_column_double(st, 4);
        totals[1] += sqlite3_column_double(st, 5);
        totals[2] += itogo;
        totals[3] += itogSumma;
        const double height = pdf.WrappedHeight(widths[0] - 1.6, name) + 0.6;
        if (y + height > 205) {
            pdf.NewPage();
            ++pages;
            y = 5;
            columnHeader();
            pdf.SetFont(8);
        }
        for (int c = 0; c < 8; ++c) {
            pdf.Box(lefts[c], y, widths[c], height);
            pdf.Text(lefts[c] + 0.8, y + 0.3, widths[c] - 1.6, height,
                     (c < 2 ? Qt::AlignLeft : Qt::AlignRight) | Qt::TextWordWrap, cells[c]);
        }
        y += height;
    }
    sqlite3_finalize(st);
    if (y + 30 > 205) {
        pdf.NewPage();
        ++pages;
        y = 5;
        columnHeader();
    }
    pdf.SetFont(10);
    pdf.Text(10, y, 133, 5, Qt::AlignRight, QStringLiteral("Итого:"));
    for (int c = 0; c < 4; ++c) {
        pdf.Box(lefts[c + 4], y, widths[c + 4], 5);
        pdf.Text(lefts[c + 4], y, widths[c + 4] - 0.8, 5, Qt::AlignRight,
                 fmt::FormatFloat(QStringLiteral("### ### ##0.00"), totals[c]));
    }
    pdf.Text(10, y + 7, 267, 5, Qt::AlignLeft, SumToWords(Currency::fromDoubleKopecks(totals[3])));
    pdf.Text(10, y + 15, 40, 5, Qt::AlignLeft, QStringLiteral("Сдал :"));
    pdf.Text(145, y + 15, 40, 5, Qt::AlignLeft, QStringLiteral("Принял :"));
    return pages;
}

// ---- The report ------------------------------------------------------------------------

int writeReport(TSchFak &editor, const QString &fileName) {
    const std::unique_ptr<TReport> form = editor.MakeLayout(QStringLiteral("6"));
    int pages = 0;
    class Counted : public TPageSource {
      public:
        Counted(std::unique_ptr<TPageSource> inner, int &count)
            : TPageSource(inner->Settings()), m_inner(std::move(inner)), m_count(count) {}
        bool NextPage(TPage &page) override {
            const bool more = m_inner->NextPage(page);
            m_count += more ? 1 : 0;
            return more;
        }
        void Rewind() override { m_inner->Rewind(); }

      private:
        std::unique_ptr<TPageSource> m_inner;
        int &m_count;
    } counted(form->StartLayout(), pages);
    rep::WritePdf(counted, fileName);
    return pages;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    db::Database::Open(dir.filePath(QStringLiteral("dat")));
    fill();

    // The register's lines and header as the editor has them when F5 is pressed.
    TSpRasx documents;
    TQuery *header = documents.SpRasx;
    header->ParamByName(QStringLiteral("datv"))->SetAsDate(QDate(2024, 1, 1));
    header->ParamByName(QStringLiteral("dati"))->SetAsDate(QDate(2024, 12, 31));
    header->ParamByName(QStringLiteral("SV"))->SetAsString(QStringLiteral("s"));
    header->ParamByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("%"));
    header->ParamByName(QStringLiteral("kli"))->SetAsFloat(1);
    header->ParamByName(QStringLiteral("dog"))->SetAsFloat(0);
    header->Open();
    documents.PosRasx->ParamByName(QStringLiteral("ID"))->SetAsFloat(Key);
    documents.PosRasx->Open();
    TSchFak editor(&documents);

    const QString ours = dir.filePath(QStringLiteral("naklnal.pdf"));
    const QString floor = dir.filePath(QStringLiteral("floor.pdf"));
    std::vector<double> oursMs, floorMs;
    int oursPages = 0, floorPages = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        t.start();
        floorPages = writeFloor(floor);
        floorMs.push_back(bench::ms(t));
        t.restart();
        oursPages = writeReport(editor, ours);
        oursMs.push_back(bench::ms(t));
    }
    const double o = bench::median(oursMs), f = bench::median(floorMs);
    std::printf("Waybill NaklNal of %d lines to PDF, median of %d runs\n", Lines, Runs);
    std::printf("%-46s %6s %9s %9s\n", "", "pages", "time, ms", "PDF, KiB");
    std::printf("%-46s %6d %9.1f %9lld\n", "QPdfWriter drawing the same texts (floor)", floorPages, f,
                QFileInfo(floor).size() / 1024);
    std::printf("%-46s %6d %9.1f %9lld\n", "the editor's layout laid out and written", oursPages, o,
                QFileInfo(ours).size() / 1024);
    std::printf("ratio %.2f (aim at most 1.5x: %s)\n", o / f, o <= 1.5 * f ? "met" : "missed");
    db::Database::Close();
    return 0;
}

// Reports over live datasets of the table engine: the payment-order list printed from
// the register's query with stored, cached and edited rows, without disturbing it.
#include "MemoryRows.h"
#include "PlatList.h"

#include "db/Query.h"
#include "db/Table.h"
#include "db/helper_tempdb.h"
#include "print/Report.h"

#include <QtTest>

namespace {

void openPlat(TQuery &plat, TUpdateSQL &update) {
    plat.setObjectName(QStringLiteral("Plat"));
    plat.CachedUpdates = true;
    plat.UpdateObject = &update;
    update.InsertSQL << QStringLiteral(
        "insert into PLATPOR (NUMBER, DATE_PLAT, R_NAME, R_BANK, SUMMA, DopNumb) "
        "values (:NUMBER, :DATE_PLAT, :R_NAME, :R_BANK, :SUMMA, :DopNumb)");
    plat.SQL() << QStringLiteral("select * from PLATPOR") << QStringLiteral("order by NUMBER");
    AddRBank(&plat);
    plat.Open();
}

void appendOrder(TQuery &plat, double number, const QString &suffix, const QString &name, double sum) {
    plat.Append();
    plat.FieldByName(QStringLiteral("NUMBER"))->SetAsFloat(number);
    plat.FieldByName(QStringLiteral("DATE_PLAT"))->SetAsDate(QDate(2026, 12, 1));
    plat.FieldByName(QStringLiteral("R_NAME"))->SetAsString(name);
    plat.FieldByName(QStringLiteral("R_BANK"))->SetAsString(QStringLiteral("Сбербанк\r\nг. Москва"));
    plat.FieldByName(QStringLiteral("SUMMA"))->SetAsFloat(sum);
    plat.FieldByName(QStringLiteral("DopNumb"))->SetAsString(suffix);
    plat.Post();
}

// A fresh data folder with the register's query open on it.
struct Register {
    TempDataFolder folder;
    TUpdateSQL update;
    TQuery Plat;
    Register() { openPlat(Plat, update); }
};

} // namespace

class TestDataSetReport : public QObject {
    Q_OBJECT

  private slots:
    void listReadsStoredCachedAndEditedRows();
    void emptyAndClosedDatasets();
    void textsOfAnotherDatasetReadItsCurrentRow();
    void longListReadsRowsAsItGoes();
};

void TestDataSetReport::listReadsStoredCachedAndEditedRows() {
    Register reg;
    TQuery &Plat = reg.Plat;
    appendOrder(Plat, 14, QString(), QStringLiteral("ООО Ромашка"), 1000);
    appendOrder(Plat, 15, QStringLiteral("а"), QStringLiteral("ЗАО Лютик"), 234.5);
    Plat.ApplyUpdates();
    Plat.CommitUpdates();
    appendOrder(Plat, 16, QString(), QStringLiteral("ИП Сидоров"), 10); // cached, not applied
    Plat.First();
    Plat.Edit(); // the editor's unsaved change
    Plat.FieldByName(QStringLiteral("SUMMA"))->SetAsFloat(1200);
    Plat.FieldByName(QStringLiteral("R_NAME"))->SetAsString(QStringLiteral("ООО Ромашка и К"));

    PlatList list(&Plat);
    const TPreparedReport out = list.Report1.Layout();

    QCOMPARE(out.Pages.size(), size_t(1));
    const TPage &page = out.Pages.front();
    const double firstRow = 10 + 12 + 6;
    QCOMPARE(lineAt(page, firstText(out, QStringLiteral("14")).Origin.y()),
             (QStringList{"14", "01.12.2026", "ООО Ромашка и К", "Сбербанк", "1 200-00"}));
    QCOMPARE(firstText(out, QStringLiteral("14")).Box.top(), firstRow);
    QCOMPARE(firstText(out, QStringLiteral("15/а")).Box.top(), firstRow + 5);
    QCOMPARE(firstText(out, QStringLiteral("ИП Сидоров")).Box.top(), firstRow + 10);
    QVERIFY(!findTexts(out, QStringLiteral("1 444-50")).empty()); // 1200 + 234.5 + 10

    // The register is as the editor left it: same row, still editing, change kept.
    QCOMPARE(Plat.RecNo(), 0);
    QCOMPARE(Plat.State(), TDataSetState::dsEdit);
    QVERIFY(Plat.Modified());
    QCOMPARE(Plat.FieldByName(QStringLiteral("SUMMA"))->AsFloat(), 1200.0);
    Plat.Post();
    QVERIFY(Plat.UpdatesPending());
    QCOMPARE(db::Database::ScalarValue(QStringLiteral("select count(*) from PLATPOR")).toInt(), 2);

    // The preview gets the same pages.
    int previews = 0;
    TReport::PreviewHook = [&](TReport &, const TPreparedReport &pages) {
        ++previews;
        QCOMPARE(allTexts(pages), allTexts(out));
    };
    list.Report1.Preview();
    TReport::PreviewHook = nullptr;
    QCOMPARE(previews, 1);
}

void TestDataSetReport::emptyAndClosedDatasets() {
    Register reg;
    TQuery &Plat = reg.Plat;
    {
        PlatList list(&Plat);
        QVERIFY(list.Report1.Layout().Pages.empty());
        list.Report1.Options.PrintIfEmpty = true;
        const TPreparedReport out = list.Report1.Layout();
        QCOMPARE(out.Pages.size(), size_t(1));
        QVERIFY(!findTexts(out, QStringLiteral("0-00")).empty());
    }
    Plat.Close();
    PlatList list(&Plat);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, list.Report1.Layout());
}

// Header texts of a document read its header row while the lines drive the detail;
// an empty date prints blank under a mask.
void TestDataSetReport::textsOfAnotherDatasetReadItsCurrentRow() {
    Register reg;
    TQuery &Plat = reg.Plat;
    appendOrder(Plat, 1, QString(), QStringLiteral("Первый"), 1);
    appendOrder(Plat, 2, QString(), QStringLiteral("Второй"), 2);
    Plat.First();
    Plat.Next();

    MemoryRows lines(QStringLiteral("PosRasx"), {QStringLiteral("Name")});
    lines.Add({QStringLiteral("строка 1")});
    lines.Add({QStringLiteral("строка 2")});
    TReport rep;
    rep.DataSet = &lines;
    auto *title = rep.AddBand(rbTitle, 10);
    title->AddDBText(&Plat, QStringLiteral("R_NAME"), 0, 0, 50, 5);
    title->AddDBText(&Plat, QStringLiteral("SrokPlat"), 60, 0, 30, 5)->Mask = QStringLiteral("dd.mm.yyyy");
    auto *date = title->AddDBText(&Plat, QStringLiteral("DATE_PLAT"), 100, 0, 30, 5);
    date->Mask = QStringLiteral("dd mmmm yyyy");
    rep.AddBand(rbDetail, 5)->AddDBText(&lines, QStringLiteral("Name"), 0, 0, 50, 5);

    QCOMPARE(allTexts(rep.Layout()), (QStringList{"Второй", "01 декабря 2026", "строка 1", "строка 2"}));
    QCOMPARE(Plat.RecNo(), 1);
}

// A list of 1 000 orders printed while the register stands on its last order: every
// order from the first, page by page, with the query's fields reading its own current
// row between pages and after.
void TestDataSetReport::longListReadsRowsAsItGoes() {
    Register reg;
    TQuery &Plat = reg.Plat;
    {
        TTransaction tx;
        for (int i = 1; i <= 1000; ++i)
            db::Database::Exec(
                QStringLiteral("insert into PLATPOR (NUMBER, DATE_PLAT, R_NAME, R_BANK, SUMMA) "
                               "values (?, '2026-12-01', ?, 'Сбербанк', ?)"),
                {double(i), QStringLiteral("Получатель %1").arg(i), i + 0.5});
        tx.Commit();
    }
    Plat.Close();
    Plat.Open();
    Plat.Last();
    PlatList list(&Plat);
    const auto pages = list.Report1.StartLayout();
    TPage page;
    QVERIFY(pages->NextPage(page));
    QCOMPARE(Plat.FieldByName(QStringLiteral("NUMBER"))->AsFloat(), 1000.0);
    QCOMPARE(textOn(page, QStringLiteral("1")).Box.top(), 10 + 12 + 6.0);
    QCOMPARE(textOn(page, QStringLiteral("51")).Box.top(), 10 + 12 + 6 + 50 * 5.0);
    int count = 1;
    while (pages->NextPage(page))
        ++count;
    QCOMPARE(count, 1 + 18); // 51 rows, then 54 a page: the last holds 31 and the total
    const TPageText last = textOn(page, QStringLiteral("1000"));
    QCOMPARE(last.Box.top(), 10 + 6 + 30 * 5.0);
    QCOMPARE(lineAt(page, last.Origin.y()).mid(2), (QStringList{"Получатель 1000", "Сбербанк", "1 000-50"}));
    // The total, 6 mm tall with its text 1 mm down, sits under the last row.
    QCOMPARE(lineAt(page, last.Origin.y() + 6).last(),
             fmt::FormatFloat(QStringLiteral("### ### ##0.00"), 501000));
    QCOMPARE(Plat.RecNo(), 999);
    QCOMPARE(Plat.FieldByName(QStringLiteral("NUMBER"))->AsFloat(), 1000.0);
}

QTEST_MAIN(TestDataSetReport)
#include "tst_dataset.moc"

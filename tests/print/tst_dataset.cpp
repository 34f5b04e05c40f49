// Reports over live datasets of the table engine: the payment-order list printed from
// the register's query with stored, cached and edited rows, without disturbing it.
#include "MemoryRows.h"

#include "db/Query.h"
#include "db/Table.h"
#include "db/helper_tempdb.h"
#include "print/Report.h"

#include <QtTest>

namespace {

const QString Money = QStringLiteral("### ### ##0.00");

// The register's list report, declared as a form declares it.
struct PlatList {
    TReport Report1;
    TRepDBText *RepDBText1 = nullptr;

    explicit PlatList(TDataSet *Plat) {
        Report1.DataSet = Plat;
        Report1.Options.PrintIfEmpty = false;
        Report1.Frame = TRepFrame::All();
        auto *title = Report1.AddBand(rbTitle, 12);
        auto *caption = title->AddLabel(QStringLiteral("Платежные поручения"), 0, 2, 190, 8);
        caption->Font.Size = 14;
        caption->Alignment = taCenter;
        auto *header = Report1.AddBand(rbColumnHeader, 6);
        header->Frame = TRepFrame::All();
        const struct {
            const char *caption;
            double left, width;
        } columns[] = {{"№", 0, 18},
                       {"Дата", 18, 22},
                       {"Получатель", 40, 60},
                       {"Банк получателя", 100, 55},
                       {"Сумма", 155, 35}};
        for (const auto &c : columns)
            header->AddLabel(QString::fromUtf8(c.caption), c.left, 1, c.width, 5)->Alignment = taCenter;
        auto *detail = Report1.AddBand(rbDetail, 5);
        RepDBText1 = detail->AddDBText(Plat, QStringLiteral("NUMBER"), 0, 0, 17, 5);
        RepDBText1->Alignment = taRightJustify;
        RepDBText1->OnPrint = [Plat](TRepText *, QString &text) {
            const QString dop = Plat->FieldByName(QStringLiteral("DopNumb"))->AsString();
            if (!dop.isEmpty()) text += QLatin1Char('/') + dop;
        };
        detail->AddDBText(Plat, QStringLiteral("date_plat"), 18, 0, 22, 5)->Alignment = taCenter;
        detail->AddDBText(Plat, QStringLiteral("R_NAME"), 41, 0, 59, 5);
        detail->AddDBText(Plat, QStringLiteral("RBank"), 101, 0, 54, 5);
        auto *summa = detail->AddDBText(Plat, QStringLiteral("SUMMA"), 155, 0, 34, 5);
        summa->Mask = Money;
        summa->Alignment = taRightJustify;
        auto *total =
            Report1.AddBand(rbSummary, 6)->AddExpr(QStringLiteral("SUM(Plat.SUMMA)"), 155, 1, 34, 5);
        total->Mask = Money;
        total->Alignment = taRightJustify;
    }
};

void openPlat(TQuery &plat, TUpdateSQL &update) {
    plat.setObjectName(QStringLiteral("Plat"));
    plat.CachedUpdates = true;
    plat.UpdateObject = &update;
    update.InsertSQL << QStringLiteral(
        "insert into PLATPOR (NUMBER, DATE_PLAT, R_NAME, R_BANK, SUMMA, DopNumb) "
        "values (:NUMBER, :DATE_PLAT, :R_NAME, :R_BANK, :SUMMA, :DopNumb)");
    plat.SQL() << QStringLiteral("select * from PLATPOR") << QStringLiteral("order by NUMBER");
    plat.AddCalcField(QStringLiteral("RBank"), TFieldType::ftString, 50);
    plat.OnCalcFields = [](TDataSet *ds) {
        const QString bank = ds->FieldByName(QStringLiteral("R_BANK"))->AsString();
        ds->FieldByName(QStringLiteral("RBank"))->SetAsString(bank.section(QLatin1Char('\r'), 0, 0));
    };
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

} // namespace

class TestDataSetReport : public QObject {
    Q_OBJECT

  private slots:
    void listReadsStoredCachedAndEditedRows();
    void emptyAndClosedDatasets();
    void textsOfAnotherDatasetReadItsCurrentRow();
};

void TestDataSetReport::listReadsStoredCachedAndEditedRows() {
    TempDataFolder folder;
    TUpdateSQL update;
    TQuery Plat;
    openPlat(Plat, update);
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
    TempDataFolder folder;
    TUpdateSQL update;
    TQuery Plat;
    openPlat(Plat, update);
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
    TempDataFolder folder;
    TUpdateSQL update;
    TQuery Plat;
    openPlat(Plat, update);
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

QTEST_MAIN(TestDataSetReport)
#include "tst_dataset.moc"

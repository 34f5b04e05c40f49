// The arithmetic of a document's lines as values are entered in the usual orders: the
// amounts that follow a quantity and price, a total worked back into a price, the
// warning when that price does not give the total again, rounding to kopecks.
#include "SalesData.h"

#include "controls/DBCtrls.h"
#include "db/Formats.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace salesdata;

class TestArithmetic : public ScriptedTestCase {
    Q_OBJECT
  private:
    std::unique_ptr<SalesApp> app;
    TDataSet *lines() { return SpRasx->PosRasx; }
    QString text(const char *field) { return lines()->FieldByName(QString::fromLatin1(field))->AsString(); }

  private slots:
    void initTestCase() {
        app = std::make_unique<SalesApp>([] {
            db::Database::Exec(QStringLiteral("update Config set ProcNDS = 20"));
            addHeader(
                {QStringLiteral("s"), 0, 1, QDate(2024, 3, 1), {}, {}, QStringLiteral("ООО \"Ландыш\"")});
        });
        QVERIFY(app->Started());
        SpRasx->datvx->SetDate(QDate(2024, 1, 1));
        SpRasx->datis->SetDate(QDate(2024, 12, 31));
        SpRasx->BitBtn1Click();
        SpRasx->PosRasx->ParamByName(QStringLiteral("ID"))->SetAsFloat(1);
        SpRasx->PosRasx->Open();
    }
    void cleanupTestCase() { app.reset(); }

    // Each step "FIELD=value" types a value into the new line as the grid does; the line
    // then holds quantity, price, amount, VAT and total; `warning` is the price the
    // warning names ("" for none).
    void entries_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("line");
        QTest::addColumn<QString>("warning");
        QTest::newRow("price, then quantity")
            << QStringList{"CENA_TOV=100", "KOL_VO=3"} << QStringList{"3", "100", "300", "60", "360"} << "";
        QTest::newRow("only the total, VAT 18")
            << QStringList{"PROC_NDS=18", "Itogo=118"} << QStringList{"1", "100", "100", "18", "118"} << "";
        QTest::newRow("quantity, then a total the price cannot give")
            << QStringList{"KOL_VO=3", "Itogo=100"}
            << QStringList{"3", "27-7777777777778", "83-33", "16-67", "100"} << "27-78";
        QTest::newRow("an amount on a line with a quantity")
            << QStringList{"KOL_VO=3", "Summa=100"} << QStringList{"3", "33-33", "100", "20", "120"}
            << "33-33";
        QTest::newRow("a new quantity keeps the amounts")
            << QStringList{"CENA_TOV=100", "KOL_VO=3", "KOL_VO=5"}
            << QStringList{"5", "100", "300", "60", "360"} << "";
        QTest::newRow("a new VAT percent computes them again")
            << QStringList{"CENA_TOV=100", "KOL_VO=3", "PROC_NDS=10"}
            << QStringList{"3", "100", "300", "30", "330"} << "";
        QTest::newRow("a total of 0 with quantity and price")
            << QStringList{"CENA_TOV=100", "KOL_VO=3", "Itogo=0"} << QStringList{"3", "100", "300", "60", "0"}
            << "100-00";
        QTest::newRow("a half kopeck away from zero")
            << QStringList{"PROC_NDS=0", "CENA_TOV=0.125", "KOL_VO=1"}
            << QStringList{"1", "0-125", "0-13", "0", "0-13"} << "";
        QTest::newRow("12.5 x 87.30 at 22 %: VAT 240.075")
            << QStringList{"PROC_NDS=22", "CENA_TOV=87.30", "KOL_VO=12.5"}
            << QStringList{"12-5", "87-3", "1091-25", "240-08", "1331-33"} << "";
        QTest::newRow("1.05 at 10 %: VAT 0.105") << QStringList{"PROC_NDS=10", "CENA_TOV=1.05", "KOL_VO=1"}
                                                 << QStringList{"1", "1-05", "1-05", "0-11", "1-16"} << "";
        // A typed total is kept in kopecks; a typed price, and a price worked back from a
        // total, are kept as they come (the check against the price to the kopeck warns).
        QTest::newRow("a price of 0.125 a piece")
            << QStringList{"PROC_NDS=0", "CENA_TOV=0.125", "KOL_VO=1000"}
            << QStringList{"1000", "0-125", "125", "0", "125"} << "0-13";
        QTest::newRow("a total typed with a third decimal")
            << QStringList{"PROC_NDS=18", "Itogo=118.005"}
            << QStringList{"1", "100-008474576271", "100-01", "18", "118-01"} << "";
        QTest::newRow("VAT -100 leaves no price to work back")
            << QStringList{"PROC_NDS=-100", "KOL_VO=2", "Itogo=50"} << QStringList{"2", "", "", "", "50"}
            << "0-00";
    }
    void entries() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, line);
        QFETCH(QString, warning);
        if (!warning.isEmpty())
            UiScript::Answer(
                mrOk,
                QStringLiteral("Цена товара получилась %1. Проверьте получившиеся результаты.").arg(warning));
        lines()->Append();
        QCOMPARE(text("PROC_NDS"), QStringLiteral("20")); // the setting
        QCOMPARE(text("Strana"), QStringLiteral("Россия"));
        QCOMPARE(lines()->FieldByName("ZAG_ID")->AsFloat(), 1.0);
        for (const QString &step : steps) {
            lines()->Edit();
            lines()->FieldByName(step.section('=', 0, 0))->SetText(step.section('=', 1));
        }
        const QStringList got{text("KOL_VO"), text("CENA_TOV"), text("Summa"), text("SummaNds"),
                              text("Itogo")};
        QCOMPARE(got, line);
        lines()->Cancel();
    }

    // The price with VAT and the total with 5 % added, only on a line with a quantity.
    void calculatedFields() {
        lines()->Append();
        lines()->FieldByName("CENA_TOV")->SetAsFloat(100);
        QVERIFY(lines()->FieldByName("CenaSNDS")->IsNull());
        lines()->FieldByName("KOL_VO")->SetAsFloat(3);
        QCOMPARE(lines()->FieldByName("CenaSNDS")->AsFloat(), 120.0);
        QCOMPARE(lines()->FieldByName("ItogSumma")->AsFloat(), 378.0);
        lines()->Cancel();
    }
};

QTEST_MAIN(TestArithmetic)
#include "tst_arithmetic.moc"

// "Бухгалтерский баланс" and its layout: the quarter's sheet recomputed at the start of
// the year and at the report date and printed as form No. 1 (the assets equal the
// liabilities), how totals, sections and accounts of the layout are counted, a sheet
// printed from its stored figures, and the layout typed in "Настройка отчета".
#include "BalanceData.h"

#include "controls/DBGrid.h"
#include "ledger/UBalBuh.h"
#include "ledger/UCBal.h"
#include "support/TestSupport.h"

#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace balancedata;
using paydata::value;

namespace {

// The sheet through the menu: recomputed as asked, then printed.
TPreparedReport sheet(bool recompute) {
    Previewed previewed;
    UiScript::OnShow<TBalBuh>([recompute](TBalBuh *f) {
        if (recompute) {
            f->SpeedButton1->click();
            f->SpeedButton2->click();
        }
        f->SpeedButton3->click();
        f->SpeedButton4->click();
    });
    LogoAppForm->N46Click();
    return previewed.reports.at(0);
}

double stored(int code, const char *column) {
    return value(QStringLiteral("select %1 from ConfBal where StrokaId = ? and NameStr is not null")
                     .arg(QLatin1String(column)),
                 {code})
        .toDouble();
}

} // namespace

class TestBalBuh : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    // 1 January counts at the start of the year; 210, 240 and 620 take the lines under
    // them and stay out of the sections' totals; 260 with its extra account 51 and 410,
    // coded as totals with nothing under them, count; section III prints an empty
    // title; the assets total 40.00 and 990.00 like the liabilities.
    void quarterSheetBalances() {
        paydata::App app(fill);
        const TPreparedReport report = sheet(true);
        QCOMPARE(stored(260, "FirstSum"), -40.0);
        QCOMPARE(stored(260, "LastSum"), -640.0);
        QCOMPARE(stored(620, "LastSum"), 200.0);

        QCOMPARE(int(report.Pages.size()), 1);
        const TPage &page = report.Pages[0];
        QVERIFY(findText(page, "БУХГАЛТЕРСКИЙ БАЛАНС") && findText(page, "0710001"));
        QVERIFY(findText(page, "Организация ООО \"Вереск\""));
        QCOMPARE(rowOf(page, "Запасы"), (QStringList{"Запасы", "210", "0.00", "50.00"}));
        QCOMPARE(rowOf(page, "сырье, материалы"), (QStringList{"сырье, материалы", "211", "0.00", "50.00"}));
        QCOMPARE(rowOf(page, "Денежные средства"),
                 (QStringList{"Денежные средства", "260", "40.00", "640.00"}));
        QCOMPARE(rowOf(page, "Уставный капитал"), (QStringList{"Уставный капитал", "410", "40.00", "40.00"}));
        QCOMPARE(rowOf(page, "Кредиторская задолженность"),
                 (QStringList{"Кредиторская задолженность", "620", "0.00", "200.00"}));
        // A total from the cell's edge, the lines under it indented.
        QVERIFY(findText(page, "Запасы")->Box.left() < findText(page, "сырье, материалы")->Box.left() - 4);

        QCOMPARE(rowOf(page, "Итого по разделу :", 1),
                 (QStringList{"Итого по разделу :", "40.00", "990.00"}));
        QCOMPARE(rowOf(page, "Итого по разделу :", 3),
                 (QStringList{"Итого по разделу :", "40.00", "790.00"}));
        QCOMPARE(rowOf(page, "Итого по активу"), (QStringList{"Итого по активу", "40.00", "990.00"}));
        QCOMPARE(rowOf(page, "Итого по пассиву"), (QStringList{"Итого по пассиву", "40.00", "990.00"}));
        // Section III has no title: its heading is empty, right above its line.
        const double afterSection2 = findTexts(page, "Итого по разделу :").at(1)->Box.top();
        QCOMPARE(findText(page, "Непокрытые убытки прошлых лет")->Box.top(), afterSection2 + 11);
        QCOMPARE(textsIn(page, QRectF(0, afterSection2 + 4.5, 210, 6)), QStringList());
    }

    // A total whose lines sum to 0 shows 0, not its own account; the lines at the top of
    // section 2 do not roll into the last total of section 1; an empty account counts nothing, also where
    // entries have no account; 60 is not 60.1. Without sections 3 and 6 the sheet has no
    // asset and liability totals.
    void howLinesAreCounted() {
        paydata::App app([] {
            fill();
            db::Database::Exec(QStringLiteral("delete from ConfBal"));
            entry(2024, 3, 1, "", "51", 5, "без дебета");
            addLine(1, QStringLiteral("51"), 130, QStringLiteral("Итог из нуля"));
            addLine(1, QStringLiteral("71"), 131, QStringLiteral("подотчет"));
            addLine(1, QStringLiteral("80"), 150, QStringLiteral("Итог без строк"));
            addLine(1, QString(), 160, QStringLiteral("Без счета"));
            addLine(1, QStringLiteral("62"), 170, QStringLiteral("Итог над последней строкой"));
            addLine(1, QStringLiteral("60"), 171, QStringLiteral("счет 60"));
            addLine(2, QStringLiteral("10"), 211, QStringLiteral("материалы"));
        });
        const TPage page = sheet(true).Pages.at(0);
        QCOMPARE(stored(130, "LastSum"), 0.0);
        QCOMPARE(stored(150, "LastSum"), 40.0);
        QCOMPARE(stored(160, "LastSum"), 0.0);
        QCOMPARE(stored(170, "LastSum"), 0.0);
        QCOMPARE(stored(171, "LastSum"), 0.0);
        QCOMPARE(stored(211, "LastSum"), -50.0);
        // Capital (a credit) among the assets runs against its side: in brackets.
        QCOMPARE(rowOf(page, "Итого по разделу :", 0),
                 (QStringList{"Итого по разделу :", "(40.00)", "(40.00)"}));
        QVERIFY(!findText(page, "Итого по активу") && !findText(page, "Итого по пассиву"));
    }

    // A total adds its lines as they print: 621 of 0.006 prints 0.01 and 624 of 200.006
    // prints 200.01, so 620 prints 200.02, not the 200.01 of the stored amounts.
    void totalsAddThePrintedLines() {
        paydata::App app([] {
            fill();
            entry(2024, 3, 25, "10", "60.1", 0.006, "доплата поставщику");
            entry(2024, 3, 25, "90", "68", 0.006, "НДС");
        });
        const TPage page = sheet(true).Pages.at(0);
        QCOMPARE(rowOf(page, "поставщики и подрядчики").last(), QStringLiteral("0.01"));
        QCOMPARE(rowOf(page, "задолженность перед бюджетом").last(), QStringLiteral("200.01"));
        QCOMPARE(rowOf(page, "Кредиторская задолженность").last(), QStringLiteral("200.02"));
    }

    // Taxes overpaid (68 in debit by 300.00) run against the liabilities' side: 624, its
    // total 620 and section VI print (300.00), and sections IV to VI add up to the 490.00
    // of the liabilities as printed, which the assets match.
    void amountsAgainstTheirSideInBrackets() {
        paydata::App app([] {
            fill();
            entry(2024, 3, 25, "68", "51", 500, "переплата налога");
        });
        const TPage page = sheet(true).Pages.at(0);
        QCOMPARE(rowOf(page, "задолженность перед бюджетом"),
                 (QStringList{"задолженность перед бюджетом", "624", "0.00", "(300.00)"}));
        QCOMPARE(rowOf(page, "Кредиторская задолженность").last(), QStringLiteral("(300.00)"));
        QCOMPARE(rowOf(page, "Итого по разделу :", 3).last(), QStringLiteral("790.00"));
        QCOMPARE(rowOf(page, "Итого по разделу :", 5),
                 (QStringList{"Итого по разделу :", "0.00", "(300.00)"}));
        QCOMPARE(rowOf(page, "Итого по пассиву"), (QStringList{"Итого по пассиву", "40.00", "490.00"}));
        QCOMPARE(rowOf(page, "Итого по активу"), (QStringList{"Итого по активу", "40.00", "490.00"}));
    }

    // Printed without recomputing, the sheet shows the amounts stored last.
    void printsStoredFigures() {
        paydata::App app([] {
            fill();
            db::Database::Exec(QStringLiteral("update ConfBal set FirstSum = -12.5, LastSum = -123.45 "
                                              "where StrokaId = 110"));
        });
        const TPage page = sheet(false).Pages.at(0);
        QCOMPARE(rowOf(page, "Нематериальные активы"),
                 (QStringList{"Нематериальные активы", "110", "12.50", "123.45"}));
        QCOMPARE(rowOf(page, "Итого по разделу :", 0),
                 (QStringList{"Итого по разделу :", "12.50", "123.45"}));
    }

    // A line typed in "Настройка отчета" is stored by "Выход"; "Удалить" asks first.
    void layoutEditor() {
        paydata::App app(fill);
        const int lines = paydata::count(QStringLiteral("select count(*) from ConfBal"));
        UiScript::OnShow<TCBal>([](TCBal *f) {
            QCOMPARE(f->Caption(), QStringLiteral("Настройка отчета \"Бухгалтерский баланс\""));
            f->SpeedButton1->click();
            TDBGrid *grid = f->DBGrid1;
            const QStringList cells = {"5", "66", "Краткосрочные займы", "511"};
            for (int c = 0; c < cells.size(); ++c)
                QVERIFY(grid->Model()->setData(grid->Model()->index(f->ConfBal->RecNo(), c), cells[c]));
            f->SpeedButton3->click();
        });
        LogoAppForm->N45Click();
        QCOMPARE(value(QStringLiteral("select BalSchet from ConfBal where StrokaId = 511")).toString(),
                 QStringLiteral("66"));

        UiScript::OnShow<TCBal>([](TCBal *f) {
            QVERIFY(f->ConfBal->Locate(QStringLiteral("StrokaId"), 511));
            UiScript::Answer(mrNo, QStringLiteral("Удалить строку?"));
            f->SpeedButton2->click();
            UiScript::Answer(mrYes, QStringLiteral("Удалить строку?"));
            f->SpeedButton2->click();
            f->SpeedButton3->click();
        });
        LogoAppForm->N45Click();
        QCOMPARE(paydata::count(QStringLiteral("select count(*) from ConfBal")), lines);
    }
};

QTEST_MAIN(TestBalBuh)
#include "tst_balbuh.moc"

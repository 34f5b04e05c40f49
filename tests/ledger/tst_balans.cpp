// "Баланс" and "Оборотно-сальдовая" from the menu over the first quarter of 2024: the
// saldo of every account under "Актив" or "Пассив" with a total per synthetic account,
// the period's turnovers, "Без итогов по балансовым", and account codes of 20
// characters kept apart, also in a data folder whose work table was declared ten wide.
#include "BalanceData.h"

#include "controls/DBCtrls.h"
#include "ledger/UBalans.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace balancedata;
using paydata::count;

namespace {

// The report of "Печать" in the mode the menu command `item` sets.
TPreparedReport print(void (TLogoAppForm::*item)(), bool withoutTotals = false) {
    Previewed previewed;
    UiScript::OnShow<TBalans>([withoutTotals](TBalans *f) {
        f->CheckBox1->setChecked(withoutTotals);
        f->BitBtn1->click();
        f->BitBtn2->click();
    });
    (LogoAppForm->*item)();
    return previewed.reports.at(0);
}

} // namespace

class TestBalans : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    // Every account once, by code; 60.1 and 60.2 in one group; 71 and 90, whose
    // turnovers cancel, at 0.00 under "Актив"; neither 1997 nor the other organisation
    // counted; both sides total alike.
    void balanceOnADate() {
        paydata::App app(fill);
        UiScript::OnShow<TBalans>([](TBalans *f) {
            QCOMPARE(f->Caption(), QStringLiteral("Баланс"));
            QCOMPARE(f->Label1->text(), QStringLiteral("на"));
            QVERIFY(f->DatI->isHidden());
            QCOMPARE(f->DatV->Date(), QDate(2024, 3, 29));
            f->BitBtn2->click();
        });
        LogoAppForm->N39Click();

        const TPreparedReport report = print(&TLogoAppForm::N39Click);
        QCOMPARE(int(report.Pages.size()), 1);
        const TPage &page = report.Pages[0];
        QCOMPARE(rowOf(page, "на 29.03.2024"), QStringList{"на 29.03.2024"});
        QCOMPARE(rowOf(page, "ООО \"Вереск\""), QStringList{"ООО \"Вереск\""});
        QCOMPARE(rowOf(page, "10"), (QStringList{"10", "Материалы", "50.00"}));
        QCOMPARE(rowOf(page, "51"), (QStringList{"51", "Расчетные счета", "633.00"}));
        QCOMPARE(rowOf(page, "60.1"), (QStringList{"60.1", "Поставщики", "100.00"}));
        QCOMPARE(rowOf(page, "60.2"), (QStringList{"60.2", "Авансы выданные", "100.00"}));
        QCOMPARE(rowOf(page, "71"), (QStringList{"71", "Подотчетные лица", "0.00"}));
        QCOMPARE(rowOf(page, "80"), (QStringList{"80", "Уставный капитал", "40.00"}));
        QCOMPARE(rowOf(page, "99"), (QStringList{"99", "Прибыли и убытки", "750.00"}));
        // "Пассив" is the right-hand column (the page's left margin is 10 mm).
        QCOMPARE(findText(page, "750.00")->Box.left(), 156.0);
        QCOMPARE(findText(page, "633.00")->Box.left(), 111.0);

        // One total per synthetic account, under its last sub-account.
        QCOMPARE(rowOf(page, "Итого по счету", 3), (QStringList{"Итого по счету", "60", "100.00", "100.00"}));
        QCOMPARE(rowOf(page, "Итого по счету", 2), (QStringList{"Итого по счету", "51", "633.00", "0.00"}));
        QCOMPARE(allTexts(report).count(QStringLiteral("Итого по счету")), 10);
        QCOMPARE(rowOf(page, "Итого:"), (QStringList{"Итого:", "1 090.00", "1 090.00"}));
        QCOMPARE(count(QStringLiteral("select count(*) from BalOtch")), 11);
    }

    // The turnovers of March beside the saldo on the 29th; the period line with a Latin
    // "c"; both turnover columns and both saldo columns total alike.
    void turnoverBalanceSheet() {
        paydata::App app(fill);
        UiScript::OnShow<TBalans>([](TBalans *f) {
            QCOMPARE(f->Label1->text(), QStringLiteral("с"));
            QVERIFY(!f->DatI->isHidden());
            QCOMPARE(f->DatV->Date(), QDate(2024, 3, 1));
            QCOMPARE(f->DatI->Date(), QDate(2024, 3, 29));
            f->BitBtn2->click();
        });
        LogoAppForm->N40Click();

        const TPreparedReport report = print(&TLogoAppForm::N40Click);
        const TPage &page = report.Pages.at(0);
        QVERIFY(findText(page, "Оборотно-сальдовая"));
        QVERIFY(findText(page, QStringLiteral("c 01.03.2024 по 29.03.2024")));
        QCOMPARE(rowOf(page, "50"), (QStringList{"50", "Касса", "10.30", "3.30", "7.00"}));
        QCOMPARE(rowOf(page, "51"), (QStringList{"51", "Расчетные счета", "903.00", "310.00", "633.00"}));
        QCOMPARE(rowOf(page, "62"), (QStringList{"62", "Покупатели", "900.00", "300.00"}));
        QCOMPARE(rowOf(page, "71"), (QStringList{"71", "Подотчетные лица", "0.30", "0.30", "0.00"}));
        QCOMPARE(rowOf(page, "99"), (QStringList{"99", "Прибыли и убытки", "750.00"}));
        QCOMPARE(rowOf(page, "Итого по счету", 3),
                 (QStringList{"60", "Итого по счету", "300.00", "0.00", "100.00", "100.00"}));
        QCOMPARE(rowOf(page, "Итого :"),
                 (QStringList{"Итого :", "1 213.60", "1 213.60", "1 090.00", "1 090.00"}));
        // "Кредит" of the turnovers stands under "Обороты", "Актив" under "Сальдо".
        QCOMPARE(findText(page, "310.00")->Box.left(), 111.0);
        QCOMPARE(findText(page, "633.00")->Box.left(), 141.0);
    }

    // Checked, the totals per account take no room and print nothing; the report's total
    // still prints right under the last account.
    void withoutTotalsBySyntheticAccount() {
        paydata::App app(fill);
        const TPreparedReport report = print(&TLogoAppForm::N39Click, true);
        const TPage &page = report.Pages.at(0);
        QVERIFY(!allTexts(report).contains(QStringLiteral("Итого по счету")));
        const TPageText *last = findText(page, "Прибыли и убытки");
        const TPageText *total = findText(page, "Итого:");
        QVERIFY(last && total);
        QVERIFY(qAbs(total->Box.top() - last->Box.top() - 5) < 0.1);
        QCOMPARE(rowOf(page, "Итого:"), (QStringList{"Итого:", "1 090.00", "1 090.00"}));
    }

    // Two codes of 14 characters that share their first ten are two accounts, each with
    // its own saldo, in a folder whose work table a version that held ten characters
    // made.
    void longCodesStayApart() {
        paydata::App app([] {
            Clock::setToday(QDate(2024, 3, 29));
            ledgerdata::addOrganisations();
            db::Database::Exec(QStringLiteral("update Config set Rasdel = 'Точка'"));
            db::Database::Exec(QStringLiteral("drop table BalOtch"));
            db::Database::Exec(
                QStringLiteral("create table \"BalOtch\" (\"SchetBal\" VARCHAR(10), \"SaldVx\" MONEY, "
                               "\"DebOb\" MONEY, \"KreOb\" MONEY, \"SaldIs\" MONEY)"));
            db::Database::Exec(
                QStringLiteral("create index \"BalOtch_SchetBal\" on \"BalOtch\" (\"SchetBal\")"));
            entry(2024, 3, 1, "76.01.0001.001", "51", 100, "первый");
            entry(2024, 3, 2, "51", "76.01.0001.002", 40, "второй");
        });
        const TPage page = print(&TLogoAppForm::N39Click).Pages.at(0);
        QCOMPARE(rowOf(page, "76.01.0001.001"), (QStringList{"76.01.0001.001", "100.00"}));
        QCOMPARE(rowOf(page, "76.01.0001.002"), (QStringList{"76.01.0001.002", "40.00"}));
        QCOMPARE(rowOf(page, "Итого по счету", 1), (QStringList{"Итого по счету", "76", "100.00", "40.00"}));
        QCOMPARE(count(QStringLiteral("select count(*) from BalOtch where length(SchetBal) = 14")), 2);
    }
};

QTEST_MAIN(TestBalans)
#include "tst_balans.moc"

// "Обороты по счету" from the menu over the first quarter of 2024: the two sides side
// by side with their totals, the saldo counted from 1998 as in the balance, codes of 20
// characters printed whole, nothing printed without turnover, and a settings table of
// any number of rows left alone.
#include "BalanceData.h"

#include "controls/DBCtrls.h"
#include "ledger/UItogOb.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace balancedata;
using paydata::count;

namespace {

// The reports of "Печать" for each account prefix, in one showing of the form.
std::vector<TPreparedReport> print(const QStringList &accounts) {
    Previewed previewed;
    UiScript::OnShow<TItogOb>([accounts](TItogOb *f) {
        QCOMPARE(f->DatV->Date(), QDate(2024, 3, 1));
        for (const QString &account : accounts) {
            f->Edit1->setText(account);
            f->BitBtn1->click();
        }
        f->BitBtn2->click();
    });
    LogoAppForm->N41Click();
    return previewed.reports;
}

} // namespace

class TestItogOb : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    // Cash: two correspondents on each side, row by row; its saldo is the balance's
    // (counted from 1999 it would read "Д 22.00"). The bank: three on the credit side,
    // the third row with an empty debit block. A second settings row changes nothing.
    void turnoverOfCashAndBank() {
        paydata::App app([] {
            fill();
            db::Database::Exec(
                QStringLiteral("insert into Config (Rasdel, Period) values ('Точка', 'Месяц')"));
        });
        const auto reports = print({QStringLiteral("50"), QStringLiteral("51")});
        QCOMPARE(int(reports.size()), 2);
        const TPage &cash = reports[0].Pages.at(0);
        QVERIFY(findText(cash, "Обороты по 50"));
        QVERIFY(findText(cash, "с 01.03.2024 по 29.03.2024"));
        QCOMPARE(rowOf(cash, "51"), (QStringList{"51", "10.00", "51", "3.00"}));
        QCOMPARE(rowOf(cash, "71"), (QStringList{"71", "0.30", "71", "0.30"}));
        QCOMPARE(rowOf(cash, "10.30"), (QStringList{"10.30", "3.30"}));
        QVERIFY(findText(cash, "Сальдо Д 7.00"));

        const TPage &bank = reports[1].Pages.at(0);
        QCOMPARE(rowOf(bank, "62"), (QStringList{"62", "900.00", "60.1", "200.00"}));
        QCOMPARE(rowOf(bank, "60.2"), (QStringList{"60.2", "100.00"}));
        QVERIFY(findText(bank, "60.2")->Box.left() > 100); // in the "Кредит" block
        QCOMPARE(rowOf(bank, "903.00"), (QStringList{"903.00", "310.00"}));
        QVERIFY(findText(bank, "Сальдо Д 633.00"));
        QCOMPARE(count(QStringLiteral("select count(*) from Config")), 2);
    }

    // Codes of 20 characters print whole; the saldo of a credit account reads "К"; an
    // account without turnover in the period prints nothing, saldo or not.
    void longCodesAndNoTurnover() {
        paydata::App app([] {
            fill();
            entry(2024, 3, 2, "76.01.0001.000000001", "76.02.0001.000000002", 25.5, "взаимозачет");
        });
        const auto reports = print({QStringLiteral("76.02"), QStringLiteral("80")});
        const TPage &page = reports.at(0).Pages.at(0);
        QCOMPARE(rowOf(page, "76.01.0001.000000001"), (QStringList{"76.01.0001.000000001", "25.50"}));
        QVERIFY(findText(page, "Сальдо К 25.50"));
        QCOMPARE(int(reports.at(1).Pages.size()), 0);
        QCOMPARE(SaldoText(Currency()), QStringLiteral("Сальдо К 0.00"));
    }
};

QTEST_MAIN(TestItogOb)
#include "tst_itogob.moc"

// A bookkeeper's quarter through the program's windows: the entries typed in the
// journal, the lines of the balance sheet typed in its layout, then the balance, the
// turnover-balance sheet, the turnover of the cash account and the balance sheet
// printed; every report agrees with the others and with the journal to the kopeck, and
// the balance sheet, saved as PDF and read back, has its assets equal its liabilities.
#include "BalanceData.h"

#include "controls/DBGrid.h"
#include "ledger/UBalBuh.h"
#include "ledger/UBalans.h"
#include "ledger/UCBal.h"
#include "ledger/UItogOb.h"
#include "print/PagePainter.h"
#include "support/PdfWords.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace balancedata;
using ledgerdata::typeRow;

namespace {

// The words of a PDF page on the line of the word `first`, left to right.
QString lineOf(const QList<PdfWord> &words, const QString &first) {
    const QRectF at = wordBox(words, first);
    QList<PdfWord> line;
    for (const PdfWord &w : words)
        if (qAbs(w.box.center().y() - at.center().y()) < 1) line << w;
    std::sort(line.begin(), line.end(),
              [](const PdfWord &a, const PdfWord &b) { return a.box.left() < b.box.left(); });
    QStringList out;
    for (const PdfWord &w : line)
        out << w.text;
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestQuarter : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void quarterOfABookkeeper() {
        paydata::App app([] {
            Clock::setToday(QDate(2024, 3, 29));
            ledgerdata::addOrganisations();
        });
        QVERIFY(app.Started());

        UiScript::OnShow<TProvodka>([](TProvodka *f) {
            const QList<QStringList> entries = {{"15.12.2023", "51", "80", "40", "уставный капитал"},
                                                {"10.02.2024", "10", "60", "300", "материалы"},
                                                {"20.02.2024", "62", "90", "1200", "отгрузка"},
                                                {"20.02.2024", "90", "68", "200", "НДС"},
                                                {"25.02.2024", "90", "10", "250", "списаны материалы"},
                                                {"29.02.2024", "90", "99", "750", "финансовый результат"},
                                                {"05.03.2024", "51", "62", "900", "оплата от покупателя"},
                                                {"10.03.2024", "60", "51", "300", "оплата поставщику"},
                                                {"15.03.2024", "50", "51", "10-25", "в кассу"},
                                                {"20.03.2024", "51", "50", "3", "сдано в банк"}};
            for (const QStringList &entry : entries) {
                QTest::keyClick(f->DBGrid1, Qt::Key_F6);
                typeRow(f->DBGrid1, entry);
            }
            QTest::keyClick(f->DBGrid1, Qt::Key_F10);
        });
        LogoAppForm->N35Click();
        QCOMPARE(paydata::count(QStringLiteral("select count(*) from Provodka")), 10);

        UiScript::OnShow<TCBal>([](TCBal *f) {
            const QList<QStringList> lines = {{"2", "", "II. ОБОРОТНЫЕ АКТИВЫ", "0"},
                                              {"2", "10", "Запасы", "211"},
                                              {"2", "62", "Дебиторская задолженность", "241"},
                                              {"2", "50", "Денежные средства", "260"},
                                              {"2", "51", "", "260"},
                                              {"3", "88", "Непокрытые убытки", "310"},
                                              {"4", "", "IV. КАПИТАЛ И РЕЗЕРВЫ", "0"},
                                              {"4", "80", "Уставный капитал", "410"},
                                              {"4", "99", "Нераспределенная прибыль", "470"},
                                              {"6", "60", "Поставщики и подрядчики", "621"},
                                              {"6", "68", "Задолженность перед бюджетом", "624"}};
            for (const QStringList &line : lines) {
                f->SpeedButton1->click();
                typeRow(f->DBGrid1, line);
            }
            f->SpeedButton3->click();
        });
        LogoAppForm->N45Click();

        Previewed printed;
        UiScript::OnShow<TBalans>([](TBalans *f) {
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        LogoAppForm->N39Click();
        UiScript::OnShow<TBalans>([](TBalans *f) {
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        LogoAppForm->N40Click();
        UiScript::OnShow<TItogOb>([](TItogOb *f) {
            f->Edit1->setText(QStringLiteral("50"));
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        LogoAppForm->N41Click();
        UiScript::OnShow<TBalBuh>([](TBalBuh *f) {
            f->SpeedButton1->click();
            f->SpeedButton2->click();
            f->SpeedButton3->click();
            f->SpeedButton4->click();
        });
        LogoAppForm->N46Click();
        QCOMPARE(int(printed.reports.size()), 4);

        // The balance: cash 7-25 and the bank 632-75; both sides 990-00.
        const TPage &balance = printed.page(0);
        QCOMPARE(rowOf(balance, "50"), (QStringList{"50", "7-25"}));
        QCOMPARE(rowOf(balance, "51"), (QStringList{"51", "632-75"}));
        QCOMPARE(rowOf(balance, "Итого:"), (QStringList{"Итого:", "990-00", "990-00"}));
        // March: the journal's turnovers on both sides, the same saldos.
        const TPage &sheet = printed.page(1);
        QCOMPARE(rowOf(sheet, "50"), (QStringList{"50", "10-25", "3-00", "7-25"}));
        QCOMPARE(rowOf(sheet, "Итого :"),
                 (QStringList{"Итого :", "1 213-25", "1 213-25", "990-00", "990-00"}));
        // The cash account's turnover and the same saldo.
        const TPage &cash = printed.page(2);
        QCOMPARE(rowOf(cash, "51"), (QStringList{"51", "10-25", "51", "3-00"}));
        QVERIFY(findText(cash, "Сальдо Д 7-25"));

        // The balance sheet on paper.
        const QString pdf = app.Path() + QStringLiteral("/balance.pdf");
        rep::WritePdf(printed.reports[3], pdf);
        const auto pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(lineOf(pages[0], QStringLiteral("Денежные")),
                 QStringLiteral("Денежные средства 260 40-00 640-00"));
        QCOMPARE(lineOf(pages[0], QStringLiteral("активу")), QStringLiteral("Итого по активу 40-00 990-00"));
        QCOMPARE(lineOf(pages[0], QStringLiteral("пассиву")),
                 QStringLiteral("Итого по пассиву 40-00 990-00"));
        QVERIFY(wordBox(pages[0], QStringLiteral("0710001")).left() > 165);
    }
};

QTEST_MAIN(TestQuarter)
#include "tst_quarter.moc"

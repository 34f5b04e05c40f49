// A bookkeeper's first month in the ledger, through the program's own windows: a small
// chart of accounts typed in, a month of entries recorded in the journal, cash taken in
// and paid out in "Касса" with an incoming and an outgoing order each numbered in its
// own sequence and stating the amount in words, and the journal and the cash list
// printed with totals that agree. The two orders are saved as PDF and read back: every
// word on the sheet, none over another, the values at their places.
#include "LedgerData.h"

#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/TableUtils.h"
#include "ledger/UKasOrd.h"
#include "ledger/UKassa.h"
#include "ledger/UOpKassa.h"
#include "ledger/UPlan.h"
#include "payorders/PageText.h"
#include "print/PagePainter.h"
#include "support/PdfWords.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace ledgerdata;
using paydata::type;

namespace {

// An operation through "Приход" or "Расход", then its order printed.
void cashOperation(TKassa *f, bool incoming, const QString &kor, const QString &summa, const QString &remark,
                   const QString &komu) {
    UiScript::OnShow<TOpKassa>([=](TOpKassa *d) {
        type(d->DBEdit2, kor);
        type(d->DBEdit3, summa);
        type(d->DBEdit4, remark);
        d->BitBtn1->click();
    });
    (incoming ? f->BitBtn2 : f->BitBtn5)->click();
    UiScript::OnShow<TKasOrd>([=](TKasOrd *d) {
        type(d->DBEdit2, komu);
        type(d->DBEdit3, remark);
        type(d->DBEdit4, QStringLiteral("чек"));
        if (!incoming) type(d->DBEdit5, QStringLiteral("паспорт 4500 123456"));
        d->BitBtn1->click();
    });
    f->BitBtn4->click();
}

// The page's words all on the sheet and none over another.
void checkWordsApart(const QList<PdfWord> &words) {
    QVERIFY(words.size() > 40);
    const QRectF sheet(0, 0, 210, 297);
    for (int i = 0; i < words.size(); ++i) {
        QVERIFY2(sheet.contains(words[i].box), qPrintable(words[i].text));
        for (int j = i + 1; j < words.size(); ++j) {
            const QRectF both = words[i].box.intersected(words[j].box);
            QVERIFY2(both.width() < 0.2 || both.height() < 0.2,
                     qPrintable(words[i].text + QStringLiteral(" / ") + words[j].text));
        }
    }
}

} // namespace

class TestLedgerEndToEnd : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void firstMonthOfABookkeeper() {
        Clock::setToday(QDate(2024, 3, 29));
        paydata::App app([] {
            // A full name as long as its field holds: on the orders it wraps beside the
            // captions of the code block.
            paydata::addKlient(
                QStringLiteral("Вереск"),
                sized(QStringLiteral("Общество с ограниченной ответственностью «Торговый дом Вереск»"),
                      TextSizeOf(QStringLiteral("Klient"), QStringLiteral("FullName"))),
                QStringLiteral("7701234567"), QStringLiteral("T"));
        });
        QVERIFY(app.Started());
        QVERIFY(Provodka->PlSch->Active()); // opened at the first show
        for (const char *button : {"SpeedButton8", "SpeedButton9", "SpeedButton10"})
            QVERIFY(LogoAppForm->findChild<QToolButton *>(QString::fromLatin1(button))->isEnabled());
        showActive(LogoAppForm);

        // The chart, typed in the administrator's "План счетов".
        UiScript::OnShow<TPlan>([](TPlan *plan) {
            const QList<QStringList> accounts = {{"50", "Касса", "А"},
                                                 {"51", "Расчетные счета", "А"},
                                                 {"60", "Расчеты с поставщиками", "П"},
                                                 {"62", "Расчеты с покупателями", "А"},
                                                 {"90", "Продажи", "П"}};
            for (const QStringList &account : accounts) {
                QTest::keyClick(plan->DBGrid1, Qt::Key_F6);
                typeRow(plan->DBGrid1, account);
            }
            plan->BitBtn1->click();
        });
        LogoAppForm->N43Click();
        QCOMPARE(count(QStringLiteral("select count(*) from PlanSch")), 5);

        // Ctrl+F8: the month's entries.
        UiScript::OnShow<TProvodka>([](TProvodka *f) {
            QTest::keyClick(f->DBGrid1, Qt::Key_F6);
            typeRow(f->DBGrid1, {"04.03.2024", "51", "62", "5000", "оплата от покупателя"});
            QTest::keyClick(f->DBGrid1, Qt::Key_F6);
            typeRow(f->DBGrid1, {"11.03.2024", "62", "90", "7000", "отгрузка"});
            QCOMPARE(f->DBText2->text(), QStringLiteral("Продажи"));
            QTest::keyClick(f->DBGrid1, Qt::Key_F10);
        });
        QTest::keyClick(LogoAppForm, Qt::Key_F8, Qt::ControlModifier);
        QCOMPARE(count(QStringLiteral("select count(*) from Provodka where Organis = 1")), 2);

        // Ctrl+F9: cash in from the bank and from a buyer, cash out to a supplier, each
        // with its order.
        std::vector<TPreparedReport> orders, lists;
        TReport::PreviewHook = [&](TReport &report, const TPreparedReport &pages) {
            (report.DataSet ? lists : orders).push_back(pages);
        };
        UiScript::OnShow<TKassa>([](TKassa *f) {
            QVERIFY(f->ComboBox1->isHidden()); // 50 alone in the chart
            cashOperation(f, true, QStringLiteral("51"), QStringLiteral("1200"),
                          QStringLiteral("получено из банка"), QStringLiteral("Кассир Иванова"));
            cashOperation(f, true, QStringLiteral("62"), QStringLiteral("105"), QStringLiteral("выручка"),
                          QStringLiteral("ИП Петров"));
            cashOperation(f, false, QStringLiteral("60"), QStringLiteral("400"), QStringLiteral("поставщику"),
                          QStringLiteral("Сидоров С.С."));
            f->BitBtn1->click();
            f->BitBtn6->click();
        });
        QTest::keyClick(LogoAppForm, Qt::Key_F9, Qt::ControlModifier);
        QCOMPARE(
            value(QStringLiteral("select group_concat(cast(NumbDok as integer), ' ') from Kassa")).toString(),
            QStringLiteral("1 2 1"));

        // The journal, all of it and its cash side, agrees with the cash list.
        UiScript::OnShow<TProvodka>([](TProvodka *f) {
            f->SpeedButton1->click();
            f->Edit1->setText(QStringLiteral("50"));
            f->BitBtn1->click();
            f->SpeedButton1->click();
            f->Edit1->clear();
            f->Edit2->setText(QStringLiteral("50"));
            f->BitBtn1->click();
            f->SpeedButton1->click();
            f->SpeedButton5->click();
        });
        LogoAppForm->N35Click();
        TReport::PreviewHook = nullptr;
        QCOMPARE(int(lists.size()), 4);
        const TPage &cash = lists[0].Pages.at(0);
        const TPageText *total = findText(cash, "Итого:");
        QVERIFY(total);
        QCOMPARE(textsIn(cash, QRectF(0, total->Box.top() - 0.5, 210, 5)),
                 QStringList({"Итого:", "1 305-00", "400-00"}));
        QVERIFY(findText(lists[1].Pages.at(0), "13 705-00"));
        QVERIFY(findText(lists[2].Pages.at(0), "1 305-00"));
        QVERIFY(findText(lists[3].Pages.at(0), "400-00"));

        // The incoming order of 1200 and the outgoing one, read back from PDF.
        QCOMPARE(int(orders.size()), 3);
        const QString prix = app.Path() + QStringLiteral("/prixord.pdf");
        const QString rasx = app.Path() + QStringLiteral("/rasxord.pdf");
        rep::WritePdf(orders[0], prix);
        rep::WritePdf(orders[2], rasx);
        const auto prixPages = pdfPages(prix);
        const auto rasxPages = pdfPages(rasx);
        QCOMPARE(prixPages.size(), 1);
        QCOMPARE(rasxPages.size(), 1);
        checkWordsApart(prixPages[0]);
        checkWordsApart(rasxPages[0]);

        const QList<PdfWord> &in = prixPages[0];
        QStringList all;
        for (const PdfWord &w : in)
            all << w.text;
        const QString text = all.join(QLatin1Char(' '));
        QVERIFY(text.contains(QStringLiteral("Приходный кассовый ордер")));
        QVERIFY(
            text.contains(QStringLiteral("Одна тысяча двести рублей 00 копеек Сумма - 1200 руб. 00 коп.")));
        QCOMPARE(text.count(QStringLiteral("ИНН 7701234567")), 2);
        QCOMPARE(text.count(QStringLiteral("Кассир Иванова")), 2);
        // The receipt stands in its frame right of the order, the amount in the order's
        // table under "Сумма, руб. коп.".
        const QRectF receipt = wordBox(in, QStringLiteral("Квитанция"));
        QVERIFY(receipt.left() > 133 && wordBox(in, QStringLiteral("Приходный")).right() < 129);
        const QRectF amount = wordBox(in, QStringLiteral("200-00"));
        QVERIFY(amount.left() > 80 && amount.right() < 102);

        QStringList outWords;
        for (const PdfWord &w : rasxPages[0])
            outWords << w.text;
        const QString out = outWords.join(QLatin1Char(' '));
        QVERIFY(out.contains(QStringLiteral("Расходный кассовый ордер")));
        QVERIFY(out.contains(QStringLiteral("Выдать Сидоров С.С.")));
        QVERIFY(out.contains(QStringLiteral("Четыреста рублей 00 копеек")));
        QVERIFY(
            out.contains(QStringLiteral("П") + QLatin1Char('o') + QStringLiteral(" паспорт 4500 123456")));
    }
};

QTEST_MAIN(TestLedgerEndToEnd)
#include "tst_endtoend.moc"

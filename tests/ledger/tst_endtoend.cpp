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
#include "ledger/UBalans.h"
#include "ledger/UItogOb.h"
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

// Codes of 20 characters, the most an account code holds, alike in their first 14.
const QString Cash = QStringLiteral("50.01.0001.000000001");
QString code(int n) {
    return QStringLiteral("62.01.0001.0000000%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The details of the cash orders at the full size of their fields.
QString orderText(const char *field, const QString &words) {
    return sized(words, TextSizeOf(QStringLiteral("Kassa"), QString::fromLatin1(field)));
}
const QString Komu = orderText("Komu", QStringLiteral("Шишкина Жанна Щербаковна, Южный жилмассив"));
const QString Prilog = orderText("Prilog", QStringLiteral("Счет Щ-77, накладная Ж-12, доверенность"));
const QString Dokument =
    orderText("Dokument", QStringLiteral("Паспорт гражданина 4500 123456 выдан ОВД Южный"));

// "Вереск" with a name and an INN at the full size of their fields, and cash operations
// of 999 999 999 999.99 each in March 2024 between 20-character codes, their remarks
// and the details of their orders at full size too: the totals pass twelve digits.
// Amounts print with a point.
void fillLargest() {
    Clock::setToday(QDate(2024, 3, 29));
    paydata::addKlient(QStringLiteral("Вереск"),
                       sized(QStringLiteral("Общество с ограниченной ответственностью «Торговый дом Вереск»"),
                             TextSizeOf(QStringLiteral("Klient"), QStringLiteral("FullName"))),
                       QStringLiteral("777777777777777"), QStringLiteral("T"));
    db::Database::Exec(QStringLiteral("update Config set Rasdel = 'Точка', Period = 'Месяц'"));
    addAccount(QStringLiteral("50"), QStringLiteral("Касса"));
    const double most = 999999999999.99;
    const QString note = sized(QStringLiteral("Широкая улица Щорса"),
                               TextSizeOf(QStringLiteral("Provodka"), QStringLiteral("Primech")));
    const double in = addEntry(QDate(2024, 3, 4), Cash, code(1), most, note, 1);
    addEntry(QDate(2024, 3, 5), Cash, code(2), most, note, 1);
    addEntry(QDate(2024, 3, 6), Cash, code(3), most, note, 1);
    const double out = addEntry(QDate(2024, 3, 7), code(4), Cash, most, note, 1);
    for (double entry : {in, out})
        db::Database::Exec(
            QStringLiteral("insert into Kassa (ProvodkaId, Primech, Prilog, Dokument, Komu, NumbDok) "
                           "values (?, ?, ?, ?, ?, 999999)"),
            {entry, orderText("Primech", QStringLiteral("Оплата по счету Щ-77 за широкоформатные мониторы")),
             Prilog, Dokument, Komu});
}

} // namespace

class TestLedgerEndToEnd : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void firstMonthOfABookkeeper() {
        Clock::setToday(QDate(2024, 3, 29));
        paydata::App app([] {
            paydata::addKlient(QStringLiteral("Вереск"), QStringLiteral("ООО \"Вереск\""),
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

    // Each bookkeeping print with the longest codes and texts the fields hold and
    // amounts of twelve rouble digits (totals of more): every text stands whole inside
    // its cell and none over another; the codes, the largest amount and the longest
    // texts are all there.
    void printsHoldTheLongestValues_data() {
        QTest::addColumn<int>("print");
        QTest::addColumn<QStringList>("whole"); // blanks aside; a text listed twice prints twice
        // The largest amount and the sums of two, three and four of them.
        const QString one = QStringLiteral("999999999999.99"), two = QStringLiteral("1999999999999.98"),
                      three = QStringLiteral("2999999999999.97"), four = QStringLiteral("3999999999999.96");
        const auto bare = [](QString text) { return text.remove(QLatin1Char(' ')); };
        const QString komu = bare(Komu), prilog = bare(Prilog);
        QTest::newRow("Проводки") << 0 << QStringList{Cash, code(4), one, four};
        QTest::newRow("Баланс") << 1 << QStringList{Cash, code(4), one, two};
        QTest::newRow("Оборотно-сальдовая") << 2 << QStringList{Cash, code(4), three, two};
        QTest::newRow("Обороты по счету") << 3 << QStringList{code(1), code(4), one, three};
        QTest::newRow("КО-1") << 4 << QStringList{Cash, code(1), one, komu, komu, prilog, prilog};
        QTest::newRow("КО-2") << 5 << QStringList{Cash, code(4), one, komu, prilog, bare(Dokument)};
    }
    void printsHoldTheLongestValues() {
        QFETCH(int, print);
        QFETCH(QStringList, whole);
        paydata::App app(fillLargest);
        Previewed previewed;
        switch (print) {
        case 0:
            UiScript::OnShow<TProvodka>([](TProvodka *f) {
                f->SpeedButton1->click();
                f->SpeedButton5->click();
            });
            LogoAppForm->N35Click();
            break;
        case 1:
        case 2:
            UiScript::OnShow<TBalans>([](TBalans *f) {
                f->BitBtn1->click();
                f->BitBtn2->click();
            });
            print == 1 ? LogoAppForm->N39Click() : LogoAppForm->N40Click();
            break;
        case 3:
            UiScript::OnShow<TItogOb>([](TItogOb *f) {
                f->Edit1->setText(QStringLiteral("50"));
                f->BitBtn1->click();
                f->BitBtn2->click();
            });
            LogoAppForm->N41Click();
            break;
        default: // the order of the incoming operation or of the outgoing one
            UiScript::OnShow<TKassa>([print](TKassa *f) {
                QVERIFY(f->Prov->Locate(QStringLiteral("Debet"), print == 4 ? Cash : code(4)));
                UiScript::OnShow<TKasOrd>([](TKasOrd *d) { d->BitBtn1->click(); });
                f->BitBtn4->click();
                f->BitBtn7->click();
            });
            showActive(LogoAppForm);
            QTest::keyClick(LogoAppForm, Qt::Key_F9, Qt::ControlModifier);
        }
        QCOMPARE(int(previewed.reports.size()), 1);
        const TPreparedReport &report = previewed.reports.front();
        for (const TPage &page : report.Pages) {
            const QStringList past = textsPastTheirBoxes(page);
            QVERIFY2(past.isEmpty(), qPrintable(past.join(QStringLiteral("; "))));
            const QStringList over = textsOverEachOther(page);
            QVERIFY2(over.isEmpty(), qPrintable(over.join(QStringLiteral("; "))));
        }
        const QString printed = allTexts(report).join(QString()).remove(QLatin1Char(' '));
        for (const QString &text : whole)
            QVERIFY2(printed.count(text) >= whole.count(text), qPrintable(text));
    }
};

QTEST_MAIN(TestLedgerEndToEnd)
#include "tst_endtoend.moc"

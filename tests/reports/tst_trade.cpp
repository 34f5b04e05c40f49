// A month of invoices, payments and a purchase through the menu "Отчетность": the sales
// and purchase books, the seven trade reports, each read back from its laid-out pages
// with figures that agree with the documents to the kopeck; and the cases where money
// compared unrounded, names cut to the work table's width or a picker's last row
// would give wrong figures.
#include "ReportsData.h"

#include "controls/DBCtrls.h"
#include "refbooks/USlPoluch.h"
#include "reports/UKniga.h"
#include "reports/UOtchet.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using namespace repdata;

namespace {

using Rows = QList<QStringList>;

// The laid-out pages of every preview opened while `command` runs.
template <class F> std::vector<TPreparedReport> printed(F command) {
    Previewed previewed;
    command();
    return previewed.reports;
}

// A trade report printed from its menu item on the form's own dates.
TPreparedReport tradeReport(const char *item) {
    UiScript::OnShow<TOtchet>([](TOtchet *f) {
        f->BitBtn1->click();
        f->BitBtn2->click();
    });
    const auto out = printed([&] { LogoAppForm->MenuItem(QString::fromLatin1(item))->trigger(); });
    return out.size() == 1 ? out.front() : TPreparedReport();
}

// The lines of the first page from the one starting with `from` to the one starting
// with `to`, both included.
Rows between(const TPreparedReport &report, const QString &from, const QString &to) {
    Rows out;
    bool on = false;
    for (const QStringList &line : lines(report.Pages.at(0))) {
        on = on || line.value(0) == from;
        if (on) out << line;
        if (on && line.value(0) == to) break;
    }
    return out;
}

const QString LongBuyerCut = LongBuyer.left(50);

// The program on the month's data, on its last day.
std::unique_ptr<paydata::App> startMonth() {
    Clock::setToday(QDate(2024, 3, 31));
    return std::make_unique<paydata::App>([] { fillMonth(); });
}

} // namespace

class TestTrade : public ScriptedTestCase {
    Q_OBJECT

  private slots:

    // The sales book by payment, then by shipment in the same showing; the purchase
    // book. Rows by date, then number; the number's suffix only by shipment.
    void salesAndPurchaseBooks() {
        const auto app = startMonth();
        QVERIFY(app->Started());
        UiScript::OnShow<TKniga>([](TKniga *f) {
            QCOMPARE(f->Caption(), QStringLiteral("Книга продаж"));
            QCOMPARE(f->DatV->Date(), d(1));
            f->BitBtn1->click();
            f->RadioButton2->setChecked(true);
            f->BitBtn1->click();
            f->RadioButton1->setChecked(true);
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        const auto sales = printed([] { LogoAppForm->N9Click(); });
        QCOMPARE(sales.size(), size_t(3));
        const TPage &byPayment = sales[0].Pages.at(0);
        QCOMPARE(rowOf(byPayment, QStringLiteral("ООО \"Вереск\"")),
                 (QStringList{"ООО \"Вереск\"", "ИНН", "7701234567"}));
        const QStringList beta{"ИП Бета", "7701000002", "71100", "12345678"};
        QCOMPARE(between(sales[0], QStringLiteral("20.12.2023"), QStringLiteral("Итого :")),
                 (Rows{QStringList{"20.12.2023", "5", "14.03.2024"} + beta +
                           QStringList{"960-00", "16-67", "800-00", "160-00"},
                       {"04.03.2024", "1", "15.03.2024", "ООО «Альфа»", "7701000001", "71100", "12345678",
                        "1 800-00", "16-67", "1 500-00", "300-00"},
                       QStringList{"11.03.2024", "2", "20.03.2024"} + beta +
                           QStringList{"2 000-00", "16-67", "1 666-67", "333-33"},
                       {"04.03.2024", "1", "25.03.2024", "ООО «Альфа»", "7701000001", "71100", "12345678",
                        "1 200-00", "16-67", "1 000-00", "200-00"},
                       QStringList{"26.03.2024", "5", "27.03.2024"} + beta +
                           QStringList{"500-00", "16-67", "416-67", "83-33"},
                       {"18.03.2024", "3", "28.03.2024", LongBuyer, "7701000003", "71100", "12345678",
                        "2 500-35", "16-67", "2 083-62", "416-73"},
                       QStringList{"28.03.2024", "6", "28.03.2024"} + beta +
                           QStringList{"70-00", "16-67", "58-33", "11-67"},
                       {"18.03.2024", "3", "29.03.2024", LongBuyer, "7701000003", "71100", "12345678",
                        "250-45", "16-67", "208-71", "41-74"},
                       {"22.03.2024", "4", "29.03.2024", "ООО «Альфа»", "7701000001", "71100", "12345678",
                        "1 200-00", "16-67", "1 000-00", "200-00"},
                       {"Итого :", "10 480-80", "8 734-00", "1 746-80"}}));

        const Rows byShipment = between(sales[1], QStringLiteral("04.03.2024"), QStringLiteral("Итого :"));
        QCOMPARE(byShipment.size(), 7);
        QCOMPARE(byShipment[1], (QStringList{"11.03.2024", "2/а"} + beta +
                                 QStringList{"3 060-00", "20-00", "2 550-00", "510-00"}));
        QCOMPARE(byShipment[4], (QStringList{"26.03.2024", "5", "27.03.2024"} + beta +
                                 QStringList{"480-00", "20-00", "400-00", "80-00"}));
        QCOMPARE(byShipment[6], (QStringList{"Итого :", "10 550-80", "8 792-33", "1 758-47"}));
        // By payment again: no suffix.
        QVERIFY(findText(sales[2].Pages.at(0), "2"));
        QVERIFY(!findText(sales[2].Pages.at(0), "2/а"));

        UiScript::OnShow<TKniga>([](TKniga *f) {
            QCOMPARE(f->Caption(), QStringLiteral("Книга покупок"));
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        const auto purchases = printed([] { LogoAppForm->N10Click(); });
        QCOMPARE(purchases.size(), size_t(1));
        QCOMPARE(between(purchases[0], QStringLiteral("05.03.2024"), QStringLiteral("Итого :")),
                 (Rows{{"05.03.2024", "101", "06.03.2024", "ЗАО Поставщик", "7702000000", "71100", "12345678",
                        "12 000-00", "16-67", "10 000-00", "2 000-00"},
                       {"Итого :", "12 000-00", "10 000-00", "2 000-00"}}));
        QVERIFY(findText(purchases[0].Pages.at(0), "Книга покупок"));
        QVERIFY(findText(purchases[0].Pages.at(0), "Наименование покупателя"));
    }

    // A document of 5 432.63 with 863.33 of VAT paid in two parts of 1 000.00: each row
    // prints 841-08 and 158-92 of its unrounded share, and the totals add those figures.
    void bookTotalsAddUpTheirRows() {
        Clock::setToday(QDate(2024, 3, 31));
        paydata::App app([] {
            paydata::addKlient(QStringLiteral("Вереск"), QStringLiteral("ООО \"Вереск\""),
                               QStringLiteral("7701234567"), QStringLiteral("T"));
            const double doc =
                addDoc(repdata::doc(1, d(4), 0, QStringLiteral("ООО «Альфа»"), QString(),
                                    {{QStringLiteral("Бумага"), 1, 4569.30, 4569.30, 863.33, 5432.63}}));
            addPayment(doc, d(15), QStringLiteral("11"), 1000, 158.9155);
            addPayment(doc, d(25), QStringLiteral("12"), 1000, 158.9155);
        });
        QVERIFY(app.Started());
        UiScript::OnShow<TKniga>([](TKniga *f) {
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        const auto book = printed([] { LogoAppForm->N9Click(); });
        QCOMPARE(book.size(), size_t(1));
        const Rows rows = between(book[0], QStringLiteral("04.03.2024"), QStringLiteral("Итого :"));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].mid(4), (QStringList{"1 000-00", "15-89", "841-08", "158-92"}));
        QCOMPARE(rows[2], (QStringList{"Итого :", "2 000-00", "1 682-16", "317-84"}));
    }

    // A document at 20 % (100-00 + 20-00) paid 0-01, 0-02 ... 6-00, each payment's VAT
    // share stored unrounded as the payments form keeps it: on every row the VAT is the
    // share rounded and the rest the payment less it (0-03 prints 0-02 and 0-01, where
    // rounding both columns gave 0-03 and 0-01), and the totals add up the same way.
    void bookRowsAddUpToThePayment() {
        Clock::setToday(QDate(2024, 3, 31));
        paydata::App app([] {
            paydata::addKlient(QStringLiteral("Вереск"), QStringLiteral("ООО \"Вереск\""),
                               QStringLiteral("7701234567"), QStringLiteral("T"));
            const double doc = addDoc(repdata::doc(1, d(4), 0, QStringLiteral("ООО «Альфа»"), QString(),
                                                   {{QStringLiteral("Бумага"), 1, 100, 100, 20, 120}}));
            for (int kopecks = 1; kopecks <= 600; ++kopecks) {
                const long double paid = kopecks / 100.0;
                addPayment(doc, d(15), QString::number(kopecks), double(paid), double(paid - paid / 1.2L));
            }
        });
        UiScript::OnShow<TKniga>([](TKniga *f) {
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        const auto book = printed([] { LogoAppForm->N9Click(); });
        QCOMPARE(book.size(), size_t(1));
        const auto kopecks = [](QString figure) { return figure.remove(' ').remove('-').toInt(); };
        QMap<QString, QStringList> byPayment; // "Всего", "% НДС", "Сумма без НДС", "Сумма НДС"
        for (const TPage &page : book[0].Pages)
            for (const QStringList &line : lines(page))
                if (line.value(0) == QStringLiteral("04.03.2024"))
                    byPayment.insert(line.value(4), line.mid(4));
        QCOMPARE(byPayment.size(), 600);
        for (const QStringList &row : byPayment)
            QCOMPARE(kopecks(row[0]), kopecks(row[2]) + kopecks(row[3]));
        QCOMPARE(byPayment["0-03"], (QStringList{"0-03", "16-67", "0-02", "0-01"}));
        QCOMPARE(byPayment["1-23"], (QStringList{"1-23", "16-67", "1-02", "0-21"}));
        QCOMPARE(byPayment["5-01"], (QStringList{"5-01", "16-67", "4-17", "0-84"}));
        QCOMPARE(lines(book[0].Pages.back()).last(),
                 (QStringList{"Итого :", "1 803-00", "1 502-00", "301-00"}));
    }

    // The book names the organisation it is printed for: the one chosen in the form,
    // and on the next showing the current one again, though the picker still stands
    // on the other.
    void bookNamesTheOrganisationReportedOn() {
        const auto app = startMonth();
        QVERIFY(app->Started());
        UiScript::OnShow<TKniga>([](TKniga *f) {
            UiScript::OnShow<TSlPoluch>([](TSlPoluch *p) {
                QVERIFY(p->Klient->Locate(QStringLiteral("Name"), QStringLiteral("Ясень")));
                p->BitBtn1->click();
            });
            f->SpeedButton1->click();
            QCOMPARE(f->Edit1->text(), QStringLiteral("ООО \"Ясень\""));
            f->RadioButton2->setChecked(true);
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        UiScript::OnShow<TKniga>([](TKniga *f) {
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        const auto out = printed([] {
            LogoAppForm->N9Click();
            LogoAppForm->N9Click();
        });
        QCOMPARE(out.size(), size_t(2));
        QCOMPARE(SlPoluch->KlientName->AsString(), QStringLiteral("Ясень"));
        const TPage &yasen = out[0].Pages.at(0);
        QCOMPARE(rowOf(yasen, QStringLiteral("ООО \"Ясень\"")),
                 (QStringList{"ООО \"Ясень\"", "ИНН", "7709999999"}));
        QCOMPARE(rowOf(yasen, QStringLiteral("Итого :")),
                 (QStringList{"Итого :", "999-00", "832-50", "166-50"}));
        QCOMPARE(rowOf(out[1].Pages.at(0), QStringLiteral("ООО \"Вереск\"")),
                 (QStringList{"ООО \"Вереск\"", "ИНН", "7701234567"}));
    }

    void listsByGoodsNumbersAndPayments() {
        const auto app = startMonth();
        QVERIFY(app->Started());
        const TPreparedReport goods = tradeReport("N18");
        QCOMPARE(lines(goods.Pages.at(0)).mid(0, 3),
                 (Rows{{"Перечень по ассортименту"}, {"с 01.03.2024 по 31.03.2024"}, {"ООО \"Вереск\""}}));
        QCOMPARE(between(goods, QStringLiteral("Бумага А4"), QStringLiteral("Итого :")),
                 (Rows{{"Бумага А4", "250-00", "14", "4 200-00"},
                       {"Картридж", "1 000-00", "1", "1 200-00"},
                       {"Папка", "40-00", "10", "480-00"},
                       {"Ручка шариковая", "15-50", "100", "1 860-00"},
                       {"Скрепки", "10-00", "5", "60-00"},
                       {"Степлер", "573-08", "4", "2 750-80"},
                       {"Итого :", "10 550-80"}}));

        const TPreparedReport numbers = tradeReport("N19");
        QCOMPARE(between(numbers, QStringLiteral("1"), QStringLiteral("10 550-80")),
                 (Rows{{"1", "04.03.2024", "3 000-00", "ООО «Альфа»"},
                       {"2/а", "11.03.2024", "3 060-00", "ИП Бета"},
                       {"3", "18.03.2024", "2 750-80", LongBuyer},
                       {"4", "22.03.2024", "1 200-00", "ООО «Альфа»"},
                       {"5", "26.03.2024", "480-00", "ИП Бета"},
                       {"6", "28.03.2024", "60-00", "ИП Бета"},
                       {"10 550-80"}}));

        const TPreparedReport payments = tradeReport("N21");
        QCOMPARE(between(payments, QStringLiteral("14.03.2024"), QStringLiteral("Итого :")),
                 (Rows{{"14.03.2024", "20", "960-00", "ИП Бета"},
                       {"20.03.2024", "21", "2 000-00", "ИП Бета"},
                       {"27.03.2024", "22", "500-00", "ИП Бета"},
                       {"28.03.2024", "23", "70-00", "ИП Бета"},
                       {"28.03.2024", "31", "2 500-35", LongBuyer},
                       {"29.03.2024", "32", "250-45", LongBuyer},
                       {"15.03.2024", "11", "аванс", "1 800-00", "ООО «Альфа»"},
                       {"25.03.2024", "12", "1 200-00", "ООО «Альфа»"},
                       {"29.03.2024", "13", "1 200-00", "ООО «Альфа»"},
                       {"Итого :", "10 480-80"}}));
    }

    // On one date: only the start picker, labelled "на", while the form is shown. A
    // document paid 2 500.35 + 250.45 against 2 750.80 is no debtor; an overpayment
    // under half a kopeck is no creditor; a buyer's overpaid documents make one line
    // with the payment date of its last document.
    void debtorsAndCreditors() {
        const auto app = startMonth();
        QVERIFY(app->Started());
        UiScript::OnShow<TOtchet>([](TOtchet *f) {
            QVERIFY(f->DatI->isHidden() && f->Label2->isHidden());
            QCOMPARE(f->Label1->text(), QStringLiteral("на"));
            QCOMPARE(f->DatV->Date(), d(31));
            f->BitBtn1->click();
            f->DatV->SetDate(d(19));
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        const auto debtors = printed([] { LogoAppForm->N24Click(); });
        QVERIFY(!Otchet->DatI->isHidden() && !Otchet->Label2->isHidden());
        QCOMPARE(Otchet->Label1->text(), QStringLiteral("c"));
        QCOMPARE(debtors.size(), size_t(2));
        QCOMPARE(between(debtors[0], QStringLiteral("на 31.03.2024"), QStringLiteral("Всего :")),
                 (Rows{{"на 31.03.2024"},
                       {"ООО \"Вереск\""},
                       {"Покупатель", "Дата накладной", "Срок оплаты", "Остаток"},
                       {"ИП Бета", "11.03.2024", "20.03.2024", "1 060-00"},
                       {"Итого", "1 060-00"},
                       {"Всего :", "1 060-00"}}));
        // On 19 March: payments after it do not count; a document without payments owes
        // its whole total and has no payment date.
        QCOMPARE(between(debtors[1], QStringLiteral("ИП Бета"), QStringLiteral("Всего :")),
                 (Rows{{"ИП Бета", "11.03.2024", "3 060-00"},
                       {"Итого", "3 060-00"},
                       {LongBuyer, "18.03.2024", "2 750-80"},
                       {"Итого", "2 750-80"},
                       {"ООО «Альфа»", "04.03.2024", "15.03.2024", "1 200-00"},
                       {"Итого", "1 200-00"},
                       {"Всего :", "7 010-80"}}));

        const TPreparedReport creditors = tradeReport("N25");
        QCOMPARE(between(creditors, QStringLiteral("Покупатель"), QStringLiteral("Всего :")),
                 (Rows{{"Покупатель", "Срок оплаты", "Остаток"},
                       {"ИП Бета", "30.03.2024", "30-00"},
                       {"Всего :", "30-00"}}));
    }

    // Balances by buyer: the buyer with the long name has one row holding both its
    // shipment and its payments; the buyer paid to the kopeck has no balance.
    void balancesByBuyer() {
        const auto app = startMonth();
        QVERIFY(app->Started());
        const TPreparedReport report = tradeReport("N20");
        QCOMPARE(between(report, QStringLiteral("ИП Бета"), QStringLiteral("Итого :")),
                 (Rows{{"ИП Бета", "960-00", "3 600-00", "3 530-00", "1 030-00"},
                       {LongBuyerCut, "2 750-80", "2 750-80"},
                       {"ООО «Альфа»", "4 200-00", "4 200-00"},
                       {"Итого :", "960-00", "0-00", "10 550-80", "10 480-80", "1 030-00", "0-00"}}));
        const TPage &page = report.Pages.at(0);
        // Бета: the opening debit, shipments and payments, the closing debit each in its column.
        const TPageText *openingDebit = findText(page, "960-00");
        const TPageText *closingDebit = findText(page, "1 030-00");
        QVERIFY(openingDebit->Box.left() < findText(page, "Кредит")->Box.left());
        QVERIFY(closingDebit->Box.left() > findText(page, "Оплата")->Box.right());
        QCOMPARE(count(QStringLiteral("select count(*) from OtchSald")), 3);
    }

    // Goods movement: receipts of documents received, issues of documents issued,
    // amounts before VAT, the quantity on hand; the folders keep their opening stock
    // though a long goods name sorts before them; the erasers, bought and sold before
    // the period, are left out.
    void goodsMovement() {
        const auto app = startMonth();
        QVERIFY(app->Started());
        const TPreparedReport report = tradeReport("N44");
        QCOMPARE(between(report, QStringLiteral("Бумага А4"), QStringLiteral("10 000-00")),
                 (Rows{{"Бумага А4", "50-00", "10 000-00", "14-00", "3 500-00", "56-00"},
                       {LongGoods.left(50), "0-00", "0-00", "0-00", "0-00", "3-00"},
                       {"Картридж", "0-00", "0-00", "1-00", "1 000-00", "-1-00"},
                       {"Папка", "0-00", "0-00", "10-00", "400-00", "10-00"},
                       {"Ручка шариковая", "0-00", "0-00", "100-00", "1 550-00", "-100-00"},
                       {"Скрепки", "0-00", "0-00", "5-00", "50-00", "-5-00"},
                       {"Степлер", "0-00", "0-00", "4-00", "2 292-33", "-4-00"},
                       {"10 000-00", "8 792-33"}}));
        // Kind 7 closes the work table after its preview; its rows stay.
        QVERIFY(!Otchet->OtchS->Active());
        QCOMPARE(count(QStringLiteral("select count(*) from OtchSald")), 7);
    }
};

QTEST_MAIN(TestTrade)
#include "tst_trade.moc"

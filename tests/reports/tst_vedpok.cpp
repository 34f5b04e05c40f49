// The statement of one buyer from "Ведомость по покупателю": each payment beside the
// document it was made against, found by the document's key, so last year's document
// 5 paid this month keeps its payment off this year's document 5; a document's second
// payment gets a row of its own; the payment columns carry the payment's own date; the
// balances agree with the documents to the kopeck.
#include "ReportsData.h"

#include "refbooks/USlPoluch.h"
#include "reports/UVedPok.h"
#include "sales/SalesData.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace repdata;

namespace {

using Rows = QList<QStringList>;

// The statement of the buyer `name` (its short name) for March.
TPreparedReport statement(const QString &name) {
    TPreparedReport out;
    TReport::PreviewHook = [&](TReport &report, const TPreparedReport &pages) {
        out = pages;
        // Printing from the preview lays the pages out again, the same.
        QCOMPARE(allTexts(report.Layout()), allTexts(pages));
    };
    UiScript::OnShow<TVedPok>([name](TVedPok *f) {
        QVERIFY(f->Edit2->text().isEmpty());
        UiScript::OnShow<TSlPoluch>([name](TSlPoluch *p) {
            QCOMPARE(p->KlientGroup, QStringLiteral("F"));
            QVERIFY(p->Klient->Locate(QStringLiteral("Name"), name));
            p->BitBtn1->click();
        });
        f->SpeedButton2->click();
        f->BitBtn1->click();
        f->BitBtn2->click();
    });
    LogoAppForm->N26Click();
    TReport::PreviewHook = nullptr;
    return out;
}

Rows detail(const TPreparedReport &report) {
    Rows rows = lines(report.Pages.at(0));
    return rows.mid(9); // after the five titles and the four lines of headings
}

} // namespace

class TestVedPok : public ScriptedTestCase {
    Q_OBJECT

  private slots:
    void statementOfOneBuyer() {
        Clock::setToday(QDate(2024, 3, 31));
        paydata::App app([] { fillMonth(); });
        QVERIFY(app.Started());

        const TPreparedReport beta = statement(QStringLiteral("Бета"));
        QCOMPARE(lines(beta.Pages.at(0)).mid(0, 5), (Rows{{"Ведомость по покупателю"},
                                                          {"с 01.03.2024 по 31.03.2024"},
                                                          {"Организация ООО \"Вереск\""},
                                                          {"Покупатель ИП Бета"},
                                                          {"Входящее сальдо -960-00"}}));
        // Rows by document number; a document's number, date and total on its first row.
        QCOMPARE(detail(beta), (Rows{{"2", "11.03.2024", "Ручка шариковая", "15-50", "100", "1 860-00",
                                      "3 060-00", "21", "20.03.2024", "2 000-00"},
                                     {"Бумага А4", "250-00", "4", "1 200-00"},
                                     {"5", "26.03.2024", "Папка", "40-00", "10", "480-00", "480-00", "22",
                                      "27.03.2024", "500-00"},
                                     {"5", "20.12.2023", "960-00", "20", "14.03.2024", "960-00"},
                                     {"6", "28.03.2024", "Скрепки", "10-00", "5", "60-00", "60-00", "23",
                                      "28.03.2024", "70-00"},
                                     {"3 600-00", "3 530-00"},
                                     {"Исходящее сальдо -1 030-00"}}));
        // Last year's document has a row of its own: its total is in the opening
        // balance, not under "Сумма".
        QCOMPARE(count(QStringLiteral("select count(*) from OtchKli where NumbDok = '5'")), 2);
        QCOMPARE(count(QStringLiteral(
                     "select count(*) from OtchKli where NumbDok = '5' and DateOpl = '2024-03-14' "
                     "and DateDok = '2023-12-20' and NameTov is null")),
                 1);

        // One line and two payments: the second payment stands on a row of its own,
        // without the document's number, date and total; a payment of 1 200.004 leaves
        // no balance.
        const TPreparedReport alfa = statement(QStringLiteral("Альфа"));
        QCOMPARE(lines(alfa.Pages.at(0)).value(4), QStringList{"Входящее сальдо 0-00"});
        QCOMPARE(detail(alfa), (Rows{{"1", "04.03.2024", "Бумага А4", "250-00", "10", "3 000-00", "3 000-00",
                                      "11", "15.03.2024", "1 800-00"},
                                     {"12", "25.03.2024", "1 200-00"},
                                     {"4", "22.03.2024", "Картридж", "1 000-00", "1", "1 200-00", "1 200-00",
                                      "13", "29.03.2024", "1 200-00"},
                                     {"4 200-00", "4 200-00"},
                                     {"Исходящее сальдо 0-00"}}));
    }

    // A first bill to a buyer typed by hand, paid in part: the buyer's statement shows
    // the shipment and the payment, the bill belonging to the partner its save added.
    void firstBillToABuyerTypedByHand() {
        Clock::setToday(QDate(2024, 3, 31));
        salesdata::SalesApp app([] {
            db::Database::Exec(QStringLiteral("update Config set Period = 'Год', ProcNDS = 20"));
            paydata::addKlient(QStringLiteral("Вереск"), QStringLiteral("ООО \"Вереск\""), QString(),
                               QStringLiteral("T"));
        });
        salesdata::edit("N5", Qt::Key_F6, [](TSchFak *e) {
            TDataSet *bill = SpRasx->SpRasx;
            bill->FieldByName("NAME_POKUPAT")->SetAsString(QStringLiteral("ООО «Гамма»"));
            bill->FieldByName("INN_POK")->SetAsString(QStringLiteral("7706000006"));
            bill->FieldByName("DATE_FAKT")->SetAsDate(d(11));
            TDataSet *lines = SpRasx->PosRasx;
            lines->Append();
            lines->FieldByName("NAME_TOV")->SetAsString(QStringLiteral("Бумага А4"));
            lines->FieldByName("KOL_VO")->SetAsFloat(2);
            lines->FieldByName("CENA_TOV")->SetAsFloat(1000);
            lines->Post();
            UiScript::ExpectError(QStringLiteral("Проверте БИК Вашего банка!"));
            e->BitBtn1Click();
        });
        UiScript::OnShow<TSpRasx>([](TSpRasx *f) {
            UiScript::OnShow<TOplataF>([](TOplataF *p) {
                p->Oplata->Append();
                p->Oplata->FieldByName("DateOpl")->SetAsDate(d(15));
                p->Oplata->FieldByName("NumbDok")->SetAsString(QStringLiteral("31"));
                p->Oplata->FieldByName("SummaOpl")->SetAsFloat(1000);
                p->BitBtn1->click();
            });
            QTest::keyClick(f->DBGrid1, Qt::Key_F3);
            f->SpeedButton7Click();
        });
        LogoAppForm->N5Click();
        QCOMPARE(detail(statement(QStringLiteral("ООО «Гамма»"))),
                 (Rows{{"0", "11.03.2024", "Бумага А4", "1 000-00", "2", "2 400-00", "2 400-00", "31",
                        "15.03.2024", "1 000-00"},
                       {"2 400-00", "1 000-00"},
                       {"Исходящее сальдо -1 400-00"}}));
    }

    // Two payments of 500.006 print 500-01 each and 1 000-02 together: the closing
    // balance adds those figures, 0-02, not the 0-01 of the stored amounts. The same
    // paid in February opens March at 0-02 too, as February's statement closed.
    void closingBalanceAddsThePrintedSums() {
        Clock::setToday(QDate(2024, 3, 31));
        paydata::App app([] {
            paydata::addKlient(QStringLiteral("Вереск"), QStringLiteral("ООО \"Вереск\""), QString(),
                               QStringLiteral("T"));
            const double alfa = paydata::addKlient(QStringLiteral("Альфа"), QStringLiteral("ООО «Альфа»"),
                                                   QString(), QStringLiteral("F"));
            const double key = addDoc(doc(1, d(4), alfa, QStringLiteral("ООО «Альфа»"), QString(),
                                          {{QStringLiteral("Бумага"), 1, 1000, 1000, 0, 1000}}));
            addPayment(key, d(15), QStringLiteral("11"), 500.006, 0);
            addPayment(key, d(25), QStringLiteral("12"), 500.006, 0);
            const double february = addDoc(doc(1, d(5, 2), alfa, QStringLiteral("ООО «Альфа»"), QString(),
                                               {{QStringLiteral("Бумага"), 1, 1000, 1000, 0, 1000}}));
            addPayment(february, d(15, 2), QStringLiteral("9"), 500.006, 0);
            addPayment(february, d(25, 2), QStringLiteral("10"), 500.006, 0);
        });
        QVERIFY(app.Started());
        const TPreparedReport report = statement(QStringLiteral("Альфа"));
        QVERIFY(findText(report.Pages.at(0), "Входящее сальдо 0-02"));
        const Rows rows = detail(report);
        QCOMPARE(rows.mid(rows.size() - 2), (Rows{{"1 000-00", "1 000-02"}, {"Исходящее сальдо 0-04"}}));
    }

    // Without a buyer the statement lists the documents without one; with none in the
    // period it has no page.
    void noBuyerNoRows() {
        Clock::setToday(QDate(2024, 3, 31));
        paydata::App app([] { fillMonth(); });
        QVERIFY(app.Started());
        std::vector<TPreparedReport> out;
        TReport::PreviewHook = [&](TReport &, const TPreparedReport &pages) { out.push_back(pages); };
        UiScript::OnShow<TVedPok>([](TVedPok *f) {
            QCOMPARE(f->PokId, 0.0);
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        LogoAppForm->N26Click();
        TReport::PreviewHook = nullptr;
        QCOMPARE(out.size(), size_t(1));
        QVERIFY(out[0].Pages.empty());
        QCOMPARE(count(QStringLiteral("select count(*) from OtchKli")), 0);
    }
};

QTEST_MAIN(TestVedPok)
#include "tst_vedpok.moc"

// A new user's first payment order, through the program's own windows: started on a
// fresh data folder (with the bank directory beside it), an own organisation and its
// account added, chosen as the current one, an order to a new recipient written in the
// register's editor with the bank completed by BIK, saved, the recipient found among
// the partners, and form 0401060 previewed and saved as a PDF whose texts stand where
// the bank form has them.
#include "PageText.h"
#include "PayData.h"

#include "app/Words.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "db/Formats.h"
#include "payorders/UPlatPor.h"
#include "payorders/USpPlat.h"
#include "print/PagePainter.h"
#include "refbooks/UKartKli.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"
#include "support/PdfWords.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace paydata;

class TestEndToEnd : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void firstPaymentOrderOfANewUser() {
        Clock::setToday(QDate(2024, 3, 20));
        // A fresh folder: only the bank directory that comes with the program.
        App app([] { addDirectory(); });
        QVERIFY(app.Started());
        QCOMPARE(LogoAppForm->SvoyKlientId, 0.0);
        QVERIFY(LogoAppForm->MenuItem(QStringLiteral("N2"))->isEnabled());
        QVERIFY(LogoAppForm->findChild<QToolButton *>(QStringLiteral("SpeedButton2"))->isEnabled());

        // "Свои реквизиты": a new own organisation with its account, the bank taken
        // from the directory by the BIK typed into the account.
        UiScript::OnShow<TSlPoluch>([](TSlPoluch *list) {
            UiScript::OnShow<TKartKli>([](TKartKli *card) {
                type(card->EditName, QStringLiteral("Вереск"));
                type(card->EditFullName, QStringLiteral("ООО \"Вереск\""));
                type(card->EditInn, QStringLiteral("7705000007"));
                card->DBGrid1->setFocus(); // stores the client before its accounts
                TTable *accounts = SlBankP->RekvPol;
                accounts->Append();
                accounts->FieldByName(QStringLiteral("Schet"))
                    ->SetAsString(QStringLiteral("40702810900000000707"));
                accounts->FieldByName(QStringLiteral("Bik"))->SetAsString(QStringLiteral("044525225"));
                card->BitBtn1->click();
            });
            list->BitBtn4->click(); // "Добавить"
            list->BitBtn1Click();
        });
        LogoAppForm->MenuItem(QStringLiteral("N13"))->trigger();
        QCOMPARE(count("select count(*) from Klient where FlSvoy = 'T' and Inn = '7705000007'"), 1);
        QCOMPARE(count("select count(*) from Bank where NameBank = 'ПАО Сбербанк' and "
                       "KorSchet = '30101810400000000225'"),
                 1);

        // The new organisation becomes the current one.
        UiScript::OnShow<TSlPoluch>([](TSlPoluch *list) {
            QCOMPARE(list->Caption(), QStringLiteral("Организация"));
            list->BitBtn1Click();
        });
        LogoAppForm->SpeedButton1Click();
        QCOMPARE(LogoAppForm->Edit1->text(), QStringLiteral("ООО \"Вереск\""));

        // Ctrl+F2: the register; F6: a new order to a recipient typed by hand.
        UiScript::OnShow<TSpPlat>([](TSpPlat *reg) {
            QCOMPARE(reg->Caption(), QStringLiteral("Платежные поручения"));
            QVERIFY(reg->Plat->IsEmpty());
            UiScript::OnShow<TPlatPor>([](TPlatPor *e) {
                QCOMPARE(e->EditNUMBER->text(), QStringLiteral("1"));
                QCOMPARE(SpPlat->Plat->FieldByName("P_BANK")->AsString(), QStringLiteral("ПАО Сбербанк"));
                type(e->DBEdit7, QStringLiteral("5012000012"));
                type(e->DBMemo5, QStringLiteral("ООО \"Ландыш\""));
                type(e->EditR_BANK_BIK, QStringLiteral("044525593"));
                e->EditR_ACCOUNT->setFocus(); // leaving the BIK completes the bank
                QCOMPARE(e->DBMemo2->toPlainText(), QStringLiteral("АО Альфа-Банк"));
                QCOMPARE(e->EditR_BANK_ACC->text(), QStringLiteral("30101810200000000593"));
                type(e->EditR_ACCOUNT, QStringLiteral("40702810100000000808"));
                type(e->DBEdit1, QStringLiteral("1234-5"));
                type(e->DBMemo3, QStringLiteral("Оплата по счету № 12 от 15.03.2024"));
                QTest::keyClick(e->DBMemo3, Qt::Key_F10);
                QVERIFY(!e->isVisible());
            });
            QTest::keyClick(reg->SortGrid1, Qt::Key_F6);
            QCOMPARE(reg->Plat->RecordCount(), 1);
            QCOMPARE(reg->Plat->FieldByName("NumbPl")->AsString(), QStringLiteral("1"));
            QCOMPARE(reg->Plat->FieldByName("SUMMA")->DisplayText(), QStringLiteral("1 234-50"));

            // The recipient is among the partners now.
            UiScript::OnShow<TSlPoluch>([](TSlPoluch *list) {
                QVERIFY(list->Klient->Locate(QStringLiteral("FullName"), QStringLiteral("ООО \"Ландыш\"")));
                QCOMPARE(list->Klient->FieldByName(QStringLiteral("Inn"))->AsString(),
                         QStringLiteral("5012000012"));
                list->BitBtn1Click();
            });
            reg->SpeedButton9Click();
            QCOMPARE(reg->Plat->RecordCount(), 1);

            // The next order of the year gets the next number.
            UiScript::OnShow<TPlatPor>([](TPlatPor *e) {
                QCOMPARE(e->EditNUMBER->text(), QStringLiteral("2"));
                QCOMPARE(e->DBMemo5->toPlainText(), QStringLiteral("ООО \"Ландыш\""));
                QCOMPARE(e->EditR_ACCOUNT->text(), QStringLiteral("40702810100000000808"));
                e->BitBtn2Click();
            });
            reg->SpeedButton4Click();

            // F4 and F5: form 0401060 in the preview, saved from there as a PDF.
            UiScript::OnShow<TPlatPor>([](TPlatPor *e) {
                QTest::keyClick(e->EditNUMBER, Qt::Key_F5);
                QTest::keyClick(e->EditNUMBER, Qt::Key_Escape); // unchanged: closes without a question
            });
            QTest::keyClick(reg->SortGrid1, Qt::Key_F4);
            QTest::keyClick(reg->SortGrid1, Qt::Key_F10);
        });
        std::vector<TPreparedReport> previews;
        TReport::PreviewHook = [&](TReport &, const TPreparedReport &pages) { previews.push_back(pages); };
        showActive(LogoAppForm); // back in the main window after the pickers
        QTest::keyClick(LogoAppForm, Qt::Key_F2, Qt::ControlModifier);
        TReport::PreviewHook = nullptr;
        QCOMPARE(UiScript::FormsShown().count(QStringLiteral("TSpPlat")), 1);

        QCOMPARE(int(previews.size()), 1);
        QCOMPARE(int(previews[0].Pages.size()), 1);
        const TPage &page = previews[0].Pages[0];
        QCOMPARE(findText(page, "ПЛАТЕЖНОЕ ПОРУЧЕНИЕ № 1")->Box.topLeft(), QPointF(19.6, 21.4));
        QCOMPARE(findText(page, "Одна тысяча двести тридцать четыре рубля 50 копеек")->Box.topLeft(),
                 QPointF(42.9, 36.2));

        const QString pdf = app.Path() + QStringLiteral("/0401060.pdf");
        rep::WritePdf(previews[0], pdf);
        const auto pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        // Each word at the element that holds it: left-aligned ones start at its left
        // edge, centred ones stand in its middle; the top within its first line.
        const struct {
            const char *word;
            double x, y, w; // w > 0: centred in a box of that width
        } expected[] = {
            {"ПЛАТЕЖНОЕ", 19.6, 21.4, 0},
            {"20.03.2024", 85.7, 21.2, 34.1},
            {"0401060", 184.2, 22.5, 15.6},
            {"Одна", 42.9, 36.2, 0},
            {"1234-50", 136.5, 50.3, 0},
            {"40702810900000000707", 136.5, 64.8, 0},
            {"044525225", 136.5, 79.1, 0},
            {"044525593", 136.5, 95.0, 0},
            {"40702810100000000808", 136.5, 110.6, 0},
            {"Оплата", 19.8, 150.5, 0},
        };
        for (const auto &e : expected) {
            const QRectF box = wordBox(pages[0], QString::fromUtf8(e.word));
            QVERIFY2(!box.isNull(), e.word);
            const double x = e.w > 0 ? box.center().x() - e.w / 2 : box.left();
            QVERIFY2(qAbs(x - e.x) < 1.0 && box.top() >= e.y - 0.5 && box.top() < e.y + 3, e.word);
        }
        // The payer and the recipient: "ИНН", the number and the name on their lines.
        QList<double> innTops;
        for (const PdfWord &w : pages[0])
            if (w.text == QStringLiteral("ИНН") && qAbs(w.box.left() - 19.8) < 1.0) innTops << w.box.top();
        std::sort(innTops.begin(), innTops.end());
        QCOMPARE(innTops.size(), 2);
        QVERIFY(qAbs(innTops[0] - 49.5) < 3 && qAbs(innTops[1] - 109.5) < 3);
        QVERIFY(!wordBox(pages[0], QStringLiteral("7705000007")).isNull());
        QVERIFY(!wordBox(pages[0], QStringLiteral("5012000012")).isNull());
        QVERIFY(!wordBox(pages[0], QStringLiteral("копеек")).isNull());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"

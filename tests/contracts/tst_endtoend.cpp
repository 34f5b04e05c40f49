// A bookkeeper's first contract, through the program's own windows: "Договора", F6, a
// contract with a partner, both accounts and two stages, OK; its text written from a
// standard template entered in the picker with every placeholder filled; a payment
// order and an invoice raised from the card and listed on it; the first stage found in
// "Просроченные этапы" on the day after its date; nothing typed lost by Esc.
#include "CardData.h"

#include "app/UQuery_f.h"
#include "contracts/UKartDog.h"
#include "contracts/USpDogov.h"
#include "contracts/UTypDog.h"
#include "controls/DBCtrls.h"
#include "payorders/PageText.h"
#include "payorders/UPlatPor.h"
#include "payorders/USpPlat.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace carddata;

namespace {

// Every placeholder, in an RTF template with a line of its own for each group.
const char *const Template = "{\\rtf1\\ansi\\ansicpg1251\n"
                             "\\pard Договор № NumbDog от DateDog: NameDog\\par\n"
                             "NameOrg (ИНН InnOrg, AddressOrg) и NameKli (ИНН InnKli, AddressKli)\\par\n"
                             "Сумма SummaDog (SummaWord)\\par\n"
                             "Покупатель: NameBankKli БИК BikKli р/с SchetKli к/с KorSchKli\\par\n"
                             "Поставщик: NameBankOrg БИК BikOrg р/с SchetOrg к/с KorSchOrg\\par\n"
                             "}\n";

} // namespace

class TestEndToEnd : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void firstContractOfABookkeeper() {
        Clock::setToday(QDate(2024, 3, 20));
        double partner = 0, partnerAccount = 0, ownAccount = 0;
        CardApp app([&] {
            db::Database::Exec("update Config set Period = 'Год'");
            const double own = addKlient("Вереск", "ООО \"Вереск\"", "7705000007", "T");
            db::Database::Exec("update Klient set Adress = 'Москва, ул. Садовая, 1' where Klient_id = ?",
                               {own});
            ownAccount =
                addAccount(own, "ПАО Сбербанк", "40702810900000000707", "30101810400000000225", "044525225");
            partner = addKlient("Ландыш", "ООО \"Ландыш\"", "5012000012", "F");
            db::Database::Exec("update Klient set Adress = 'Тверь, ул. Лесная, 5' where Klient_id = ?",
                               {partner});
            partnerAccount = addAccount(partner, "АО Альфа-Банк", "40702810100000000808",
                                        "30101810200000000593", "044525593");
        });
        QVERIFY(app.Started());
        writeCp1251(app.Path() + "/dog/DogPostavka.doc", QString::fromUtf8(Template));
        QVERIFY(LogoAppForm->MenuItem("N4")->isEnabled());
        QVERIFY(LogoAppForm->MenuItem("N17")->isEnabled());

        // Ctrl+F7, F6: a new contract with a partner, both accounts and two stages.
        UiScript::OnShow<TSpDogov>([&](TSpDogov *reg) {
            UiScript::OnShow<TKartDog>([&](TKartDog *card) {
                QVERIFY(!card->BitBtn1->isEnabled());
                QCOMPARE(card->DBEdit1->text(), QString());
                QCOMPARE(card->DBEdit2->text(), QStringLiteral("20.03.2024"));
                type(card->DBEdit1, QStringLiteral("15"));
                type(card->DBEdit4, QStringLiteral("Поставка бумаги"));
                type(card->DBEdit5, QStringLiteral("1500-5"));
                choosePartner(partner);
                card->SpeedButton1->click();
                QVERIFY(card->BitBtn1->isEnabled());
                QCOMPARE(card->DBEdit7->toPlainText(), QStringLiteral("ООО \"Ландыш\""));
                chooseAccount(partnerAccount);
                card->SpeedButton2->click();
                QCOMPARE(card->Edit1->text(), QStringLiteral("АО Альфа-Банк"));
                chooseAccount(ownAccount);
                card->SpeedButton5->click();
                QCOMPARE(card->Edit2->text(), QStringLiteral("ПАО Сбербанк"));

                TDBGrid *stages = card->DBGrid1;
                stages->setFocus();
                QTest::keyClick(stages, Qt::Key_Down);
                QVERIFY(typeCell(stages, 0, "DatPrim", "25.03.2024"));
                QVERIFY(typeCell(stages, 0, "SumPrim", "500"));
                QTest::keyClick(stages, Qt::Key_Down); // the first stage is stored, a second begun
                QVERIFY(typeCell(stages, 1, "DatPrim", "25.04.2024"));
                QVERIFY(typeCell(stages, 1, "SumPrim", "1000-5"));
                card->BitBtn1->click(); // the second stage is still being typed
                QVERIFY(!card->isVisible());
            });
            QTest::keyClick(reg->DBGrid1, Qt::Key_F6);
            QCOMPARE(reg->Dog->FieldByName("NumbDog")->AsString(), QStringLiteral("15"));
            QCOMPARE(reg->Dog->FieldByName("FullName")->AsString(), QStringLiteral("ООО \"Ландыш\""));

            // F4: the contract text from a template entered in the picker there and then.
            UiScript::OnShow<TKartDog>([&](TKartDog *card) {
                UiScript::OnShow<TTypDog>([&](TTypDog *picker) {
                    QVERIFY(picker->TDog->IsEmpty());
                    picker->DBGrid1->setFocus();
                    QTest::keyClick(picker->DBGrid1, Qt::Key_Down);
                    QVERIFY(typeCell(picker->DBGrid1, 0, "TypeDog", "Поставка"));
                    UiScript::OnShow<QFileDialog>([&](QFileDialog *d) {
                        QCOMPARE(QDir(d->directory()).dirName(), QStringLiteral("dog"));
                        d->findChild<QLineEdit *>()->setText("DogPostavka.doc"); // typed by the user
                        static_cast<QDialog *>(d)->accept();
                    });
                    picker->DBGrid1EditButtonClick();
                    picker->BitBtn1->click(); // the row being typed is stored and chosen
                });
                card->BitBtn3->click();
                QCOMPARE(card->DBEdit8->toPlainText(), QStringLiteral("dog\\Dog15.RTF"));

                // "Создать платежку": the next order of the year, to the partner's account.
                UiScript::OnShow<TPlatPor>([](TPlatPor *e) {
                    QCOMPARE(e->EditNUMBER->text(), QStringLiteral("1"));
                    QCOMPARE(e->Edit1->text(), QStringLiteral("15"));
                    QCOMPARE(e->EditR_ACCOUNT->text(), QStringLiteral("40702810100000000808"));
                    QCOMPARE(e->EditP_ACCOUNT->text(), QStringLiteral("40702810900000000707"));
                    type(e->DBEdit1, QStringLiteral("500"));
                    QTest::keyClick(e->DBEdit1, Qt::Key_F10);
                    QVERIFY(!e->isVisible());
                });
                card->BitBtn4->click();
                QCOMPARE(column(card->DBGrid3, 0), QStringList{"1"});
                QCOMPARE(column(card->DBGrid3, 3), QStringList{"500-00"});

                // "Создать счет-фактуры": a sale, invoice 1 of the year, to the partner.
                UiScript::OnShow<TQuery_f>([](TQuery_f *q) { q->BitBtn2->click(); });
                UiScript::OnShow<TSchFak>([](TSchFak *e) {
                    QCOMPARE(e->EditNUMB_FAKT->text(), QStringLiteral("1"));
                    QCOMPARE(e->EditNAME_POKUPAT->toPlainText(), QStringLiteral("ООО \"Ландыш\""));
                    QCOMPARE(e->EditBANK_POST->text(), QStringLiteral("ПАО Сбербанк"));
                    QCOMPARE(e->Edit1->text(), QStringLiteral("15"));
                    QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F10);
                    QVERIFY(!e->isVisible());
                });
                card->BitBtn5->click();
                QCOMPARE(column(card->DBGrid2, 0), QStringList{"1"});
                card->BitBtn1->click();
            });
            QTest::keyClick(reg->DBGrid1, Qt::Key_F4);
            QTest::keyClick(reg->DBGrid1, Qt::Key_F10);
        });
        showActive(LogoAppForm);
        QTest::keyClick(LogoAppForm, Qt::Key_F7, Qt::ControlModifier);
        QCOMPARE(UiScript::FormsShown().count("TKartDog"), 2);

        const double key = value("select Dogovor_id from Dogovor").toDouble();
        QCOMPARE(count("select count(*) from Dogovor"), 1);
        QCOMPARE(
            count("select count(*) from Dogovor where NumbDog = '15' and Klient_id = ? and Bank_id = ? and "
                  "BankOrg_id = ? and Summa = 1500.5 and NameFile = 'dog\\Dog15.RTF'",
                  {partner, partnerAccount, ownAccount}),
            1);
        QCOMPARE(count("select count(*) from Primech where Dogovor_id = ? and SosotEt = 0", {key}), 2);
        QCOMPARE(count("select count(*) from PlatPor where Dogovor_id = ? and SUMMA = 500", {key}), 1);
        QCOMPARE(count("select count(*) from FAKTUR_ZAG where Dogovor_id = ? and FL_SVOY = 's'", {key}), 1);
        QCOMPARE(value("select NameFile from TypeDog").toString(), QStringLiteral("dog\\DogPostavka.doc"));

        // The text, in CP1251, every placeholder filled, opened in its application.
        QCOMPARE(app.Opened(), QStringList{"dog/Dog15.RTF"});
        QCOMPARE(readCp1251(app.Path() + "/dog/Dog15.RTF"),
                 QStringLiteral("{\\rtf1\\ansi\\ansicpg1251\r\n"
                                "\\pard Договор № 15 от 20.03.2024: Поставка бумаги\\par\r\n"
                                "ООО \"Вереск\" (ИНН 7705000007, Москва, ул. Садовая, 1) и ООО \"Ландыш\" "
                                "(ИНН 5012000012, Тверь, ул. Лесная, 5)\\par\r\n"
                                "Сумма 1500-50 (Одна тысяча пятьсот рублей 50 копеек)\\par\r\n"
                                "Покупатель: АО Альфа-Банк БИК 044525593 р/с 40702810100000000808 к/с "
                                "30101810200000000593\\par\r\n"
                                "Поставщик: ПАО Сбербанк БИК 044525225 р/с 40702810900000000707 к/с "
                                "30101810400000000225\\par\r\n"
                                "}\r\n"));

        // The day after the first stage: it alone is overdue.
        Clock::setToday(QDate(2024, 3, 26));
        std::vector<TPreparedReport> previews;
        TReport::PreviewHook = [&](TReport &, const TPreparedReport &pages) { previews.push_back(pages); };
        LogoAppForm->MenuItem("N17")->trigger();
        TReport::PreviewHook = nullptr;
        QCOMPARE(int(previews.size()), 1);
        QCOMPARE(int(previews[0].Pages.size()), 1);
        const TPage &page = previews[0].Pages[0];
        QVERIFY(findText(page, "Просроченные этапы"));
        QVERIFY(findText(page, "на 26.03.2024"));
        const TPageText *date = findText(page, "25.03.2024");
        QVERIFY(date);
        const QRectF row(0, date->Box.top() - 0.1, 210, 1);
        QCOMPARE(textsIn(page, row),
                 (QStringList{"25.03.2024", "500-00", "15", "20.03.2024", "1 500-50", "Ландыш", "Вереск"}));
        QVERIFY(!findText(page, "25.04.2024"));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"

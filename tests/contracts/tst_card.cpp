// The contract card opened from the register: its lists of payment orders and
// documents, what it raises, what closing it without OK leaves, the act files of
// stages and the contract texts it writes.
#include "CardData.h"

#include "app/UQuery_f.h"
#include "contracts/UKartDog.h"
#include "contracts/USpDogov.h"
#include "contracts/UTypDog.h"
#include "controls/DBCtrls.h"
#include "payorders/UPlatPor.h"
#include "payorders/USpPlat.h"
#include "refbooks/USlPoluch.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QToolButton>

using namespace carddata;

namespace {

struct Folder {
    double own = 0, other = 0, partner = 0, ownAccount = 0, partnerAccount = 0;
};

// Own organisations "Вереск" (the current one) and "Другая", a partner, their accounts.
Folder fill() {
    Folder f;
    db::Database::Exec("update Config set Period = 'Год'");
    f.own = addKlient("Вереск", "ООО \"Вереск\"", "7705000007", "T");
    f.other = addKlient("Другая", "ООО \"Другая\"", "7705000008", "T");
    f.partner = addKlient("Ландыш", "ООО \"Ландыш\"", "5012000012", "F");
    f.ownAccount =
        addAccount(f.own, "ПАО Сбербанк", "40702810900000000707", "30101810400000000225", "044525225");
    f.partnerAccount =
        addAccount(f.partner, "АО Альфа-Банк", "40702810100000000808", "30101810200000000593", "044525593");
    return f;
}

double addDog(const Folder &f, const QString &number, const QDate &date,
              const QString &nameFile = QString()) {
    db::Database::Exec(
        "insert into Dogovor (NumbDog, DateDog, Klient_id, Bank_id, Organ_id, BankOrg_id, FlClose, "
        "NameFile) values (?, ?, ?, ?, ?, ?, 0, ?)",
        {number, date.toString(Qt::ISODate), f.partner, f.partnerAccount, f.own, f.ownAccount,
         nameFile.isEmpty() ? QVariant() : QVariant(nameFile)});
    return lastKey();
}

void addPlat(double number, const QDate &date, double payer, double summa, double dog) {
    db::Database::Exec("insert into PlatPor (NUMBER, DATE_PLAT, Id_Post, R_NAME, SUMMA, Dogovor_id) "
                       "values (?, ?, ?, 'ООО \"Ландыш\"', ?, ?)",
                       {number, date.toString(Qt::ISODate), payer, summa, dog});
}

void addFakt(double number, const QDate &date, const QString &sv, double own, double dog) {
    db::Database::Exec(
        "insert into FAKTUR_ZAG (NUMB_FAKT, DATE_FAKT, FL_SVOY, ID_POST, NAME_POKUPAT, Dogovor_id) "
        "values (?, ?, ?, ?, 'ООО \"Ландыш\"', ?)",
        {number, date.toString(Qt::ISODate), sv, own, dog});
}

// The register shown, `key` (F4 on the contract with this number, F6 a new one)
// pressed and `steps` run in the card.
void inCard(const QString &number, const std::function<void(TKartDog *)> &steps) {
    UiScript::OnShow<TSpDogov>([=](TSpDogov *reg) {
        UiScript::OnShow<TKartDog>([=](TKartDog *card) { steps(card); });
        if (number.isNull()) {
            QTest::keyClick(reg->DBGrid1, Qt::Key_F6);
        } else {
            QVERIFY(reg->Dog->Locate("NumbDog", number));
            QTest::keyClick(reg->DBGrid1, Qt::Key_F4);
        }
        reg->BitBtn5->click();
    });
    LogoAppForm->N4Click();
}

} // namespace

class TestCard : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void init() { Clock::setToday(QDate(2024, 7, 1)); }

    // From 1 January of the contract's year on, both directions, whatever amount bounds
    // the payment-order register last had; not another contract's, not another payer's.
    void listsOfAContractDatedMidYear() {
        Folder f;
        double dog = 0;
        CardApp app([&] {
            f = fill();
            dog = addDog(f, "15", QDate(2024, 6, 15));
            const double another = addDog(f, "16", QDate(2024, 6, 15));
            addPlat(1, QDate(2024, 1, 1), f.own, 500, dog);
            addPlat(2, QDate(2023, 12, 31), f.own, 600, dog);
            addPlat(3, QDate(2025, 3, 1), f.own, 5000000, dog);
            addPlat(4, QDate(2024, 5, 1), f.other, 700, dog);
            addPlat(5, QDate(2024, 5, 1), f.own, 800, another);
            addFakt(1, QDate(2024, 2, 1), "s", f.own, dog);
            addFakt(2, QDate(2024, 3, 1), "b", f.own, dog);
            addFakt(3, QDate(2023, 12, 31), "s", f.own, dog);
            addFakt(4, QDate(2024, 4, 1), "s", f.own, another);
        });
        SpPlat->Plat->ParamByName("SumMx")->SetAsFloat(1000); // the register's last bounds
        inCard("15", [](TKartDog *card) {
            QCOMPARE(column(card->DBGrid3, 0), (QStringList{"1", "3"}));
            QCOMPARE(column(card->DBGrid2, 0), (QStringList{"1", "2"}));
            QCOMPARE(card->Edit1->text(), QStringLiteral("АО Альфа-Банк"));
            QCOMPARE(card->Edit2->text(), QStringLiteral("ПАО Сбербанк"));
            card->BitBtn1->click();
        });
    }

    // Numbers within the current year of the register's organisation: a purchase among
    // the received documents, a sale among the issued, an order among its orders.
    // Leaving the editors without a save stores nothing and deletes nothing else.
    void raisingDocumentsAndOrders() {
        Folder f;
        double dog = 0;
        CardApp app([&] {
            f = fill();
            dog = addDog(f, "15", QDate(2024, 6, 15));
            addFakt(7, QDate(2024, 1, 5), "s", f.own, 0);
            addFakt(3, QDate(2024, 1, 5), "b", f.own, 0);
            addFakt(10, QDate(2024, 1, 5), "b", f.other, 0);
            addFakt(20, QDate(2023, 1, 5), "b", f.own, 0);
            addPlat(5, QDate(2024, 2, 1), f.own, 100, 0);
            addPlat(9, QDate(2024, 2, 1), f.other, 100, 0);
            addPlat(12, QDate(2023, 2, 1), f.own, 100, 0);
        });
        inCard("15", [&](TKartDog *card) {
            UiScript::OnShow<TQuery_f>([](TQuery_f *q) { q->BitBtn1->click(); }); // "Покупка"
            UiScript::OnShow<TSchFak>([&](TSchFak *e) {
                QCOMPARE(e->EditNUMB_FAKT->text(), QStringLiteral("4"));
                QCOMPARE(e->EditNAME_POKUPAT->toPlainText(), QStringLiteral("ООО \"Ландыш\""));
                QCOMPARE(e->EditSCHET_POK->text(), QStringLiteral("40702810100000000808"));
                QCOMPARE(e->EditNAME_POST->toPlainText(), QStringLiteral("ООО \"Вереск\""));
                QCOMPARE(
                    count("select count(*) from FAKTUR_ZAG where Dogovor_id = ? and FL_SVOY = 'b'", {dog}),
                    1);
                e->BitBtn2Click();
            });
            card->BitBtn5->click();
            QCOMPARE(count("select count(*) from FAKTUR_ZAG"), 4);

            UiScript::OnShow<TQuery_f>([](TQuery_f *q) { q->BitBtn3->click(); }); // Cancel
            card->BitBtn5->click();

            UiScript::OnShow<TQuery_f>([](TQuery_f *q) { q->BitBtn2->click(); }); // "Продажа"
            UiScript::OnShow<TSchFak>([](TSchFak *e) {
                QCOMPARE(e->EditNUMB_FAKT->text(), QStringLiteral("8"));
                QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F10);
            });
            card->BitBtn5->click();
            QCOMPARE(column(card->DBGrid2, 0), QStringList{"8"});
            UiScript::OnShow<TSchFak>([](TSchFak *e) { // opened as it is, never as a new one
                QVERIFY(!e->IsNewDoc);
                QCOMPARE(e->EditNUMB_FAKT->text(), QStringLiteral("8"));
                QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_Escape);
            });
            card->DBGrid2DblClick();
            QCOMPARE(column(card->DBGrid2, 0), QStringList{"8"});

            UiScript::OnShow<TPlatPor>([](TPlatPor *e) {
                QCOMPARE(e->EditNUMBER->text(), QStringLiteral("6"));
                const TDataSet *plat = SpPlat->Plat;
                QCOMPARE(plat->FieldByName("P_NAME")->AsString(), QStringLiteral("ООО \"Вереск\""));
                QCOMPARE(plat->FieldByName("TYPE_PAY")->AsString(), QStringLiteral("почтой"));
                QCOMPARE(plat->FieldByName("R_BANK_BIK")->AsString(), QStringLiteral("044525593"));
                e->BitBtn2Click();
            });
            card->BitBtn4->click();
            QVERIFY(card->DBGrid3->Model()->rowCount() == 0);
            card->BitBtn1->click();
        });
        QCOMPARE(
            count("select count(*) from FAKTUR_ZAG where Dogovor_id = ? and FL_SVOY = 's' and NUMB_FAKT = 8",
                  {dog}),
            1);
        QCOMPARE(count("select count(*) from FAKTUR_ZAG"), 5);
        QCOMPARE(count("select count(*) from PlatPor"), 3);
    }

    // A contract stored with no own organisation still opens, but while none is chosen
    // it raises neither a payment order nor an invoice: no register would list them.
    void nothingRaisedWithoutAnOwnOrganisation() {
        CardApp app([] {
            addDog(fill(), "15", QDate(2024, 6, 15));
            db::Database::Exec("update Klient set FlSvoy = 'F'");
            db::Database::Exec("update Dogovor set Organ_id = 0");
        });
        inCard("15", [](TKartDog *card) {
            for (QPushButton *raise : {card->BitBtn4, card->BitBtn5}) {
                UiScript::Answer(mrOk, QStringLiteral("Не выбрана своя организация"));
                raise->click();
            }
            card->BitBtn1->click();
        });
        QCOMPARE(UiScript::FormsShown(), (QStringList{"TSpDogov", "TKartDog"}));
        QCOMPARE(count("select count(*) from PlatPor") + count("select count(*) from FAKTUR_ZAG"), 0);
    }

    // A contract not yet saved, new or renumbered: the order and the invoice raised from
    // its card show the number typed on the card, and passing through their contract box
    // keeps the link; emptying the box still unlinks.
    void linkToAContractNotYetSaved() {
        Folder f;
        double old = 0;
        CardApp app([&] {
            f = fill();
            old = addDog(f, "15", QDate(2024, 6, 15));
        });
        const auto raise = [](TKartDog *card, const QString &number) {
            UiScript::OnShow<TPlatPor>([number](TPlatPor *e) {
                QCOMPARE(e->Edit1->text(), number);
                type(e->DBEdit1, QStringLiteral("500"));
                e->Edit1->setFocus();
                e->DBMemo3->setFocus();
                QTest::keyClick(e->DBMemo3, Qt::Key_F10);
                QVERIFY(!e->isVisible());
            });
            card->BitBtn4->click();
            UiScript::OnShow<TQuery_f>([](TQuery_f *q) { q->BitBtn2->click(); }); // "Продажа"
            UiScript::OnShow<TSchFak>([number](TSchFak *e) {
                QCOMPARE(e->Edit1->text(), number);
                e->Edit1->setFocus();
                e->EditNUMB_FAKT->setFocus();
                QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F10);
                QVERIFY(!e->isVisible());
            });
            card->BitBtn5->click();
        };
        inCard(QString(), [&](TKartDog *card) {
            choosePartner(f.partner);
            card->SpeedButton1->click();
            raise(card, QString()); // no number yet
            type(card->DBEdit1, QStringLiteral("16"));
            raise(card, QStringLiteral("16"));
            card->BitBtn1->click();
        });
        const double key = value("select Dogovor_id from Dogovor where NumbDog = '16'").toDouble();
        QCOMPARE(count("select count(*) from PlatPor where Dogovor_id = ? and SUMMA = 500", {key}), 2);
        QCOMPARE(count("select count(*) from FAKTUR_ZAG where Dogovor_id = ?", {key}), 2);

        inCard("15", [&](TKartDog *card) {
            type(card->DBEdit1, QStringLiteral("15а"));
            raise(card, QStringLiteral("15а"));
            UiScript::OnShow<TSchFak>([](TSchFak *e) {
                QCOMPARE(e->Edit1->text(), QStringLiteral("15а"));
                e->Edit1->setFocus();
                e->Edit1->clear();
                e->EditNUMB_FAKT->setFocus();
                QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F10);
            });
            card->DBGrid2DblClick();
            card->BitBtn1->click();
        });
        QCOMPARE(count("select count(*) from Dogovor where NumbDog = '15а'"), 1);
        QCOMPARE(count("select count(*) from PlatPor where Dogovor_id = ?", {old}), 1);
        QCOMPARE(count("select count(*) from FAKTUR_ZAG where Dogovor_id = ?", {old}), 0);
        QCOMPARE(count("select count(*) from FAKTUR_ZAG where Dogovor_id = 0"), 1);
    }

    void closingWithoutOk_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }
    // A new contract goes with the stages typed on it; an existing one keeps what was
    // stored, and a stage still being typed is dropped.
    void closingWithoutOk() {
        QFETCH(int, way);
        const auto closeCard = [way](TKartDog *card) {
            if (way == 0) card->BitBtn2->click();
            if (way == 1) QTest::keyClick(card->DBEdit6, Qt::Key_Escape);
            if (way == 2) card->close();
            QVERIFY(!card->isVisible());
        };
        Folder f;
        CardApp app([&] {
            f = fill();
            addDog(f, "15", QDate(2024, 6, 15));
        });
        inCard(QString(), [&](TKartDog *card) {
            type(card->DBEdit1, "16");
            choosePartner(f.partner);
            card->SpeedButton1->click();
            QTest::keyClick(card->DBGrid1, Qt::Key_Down);
            QVERIFY(typeCell(card->DBGrid1, 0, "DatPrim", "01.08.2024"));
            QTest::keyClick(card->DBGrid1, Qt::Key_Down); // stored
            QCOMPARE(count("select count(*) from Primech"), 1);
            closeCard(card);
        });
        inCard("15", [&](TKartDog *card) {
            type(card->DBEdit4, "Изменено");
            QTest::keyClick(card->DBGrid1, Qt::Key_Down);
            QVERIFY(typeCell(card->DBGrid1, 0, "DatPrim", "01.08.2024"));
            closeCard(card);
        });
        QCOMPARE(count("select count(*) from Dogovor"), 1);
        QCOMPARE(count("select count(*) from Dogovor where NumbDog = '15' and NameDog is null"), 1);
        QCOMPARE(count("select count(*) from Primech"), 0);
    }

    // An act is named by the contract number (made fit for a file name) and the stored
    // stage's key, created once, never over a file that is there already.
    void actFiles() {
        Folder f;
        double stored = 0;
        CardApp app([&] {
            f = fill();
            const double dog = addDog(f, "12/01", QDate(2024, 6, 15));
            db::Database::Exec(
                "insert into Primech (DatPrim, Dogovor_id, SosotEt) values ('2024-07-01', ?, 0)", {dog});
            stored = lastKey();
        });
        const QString taken = QStringLiteral("dog/Act12_01%1.DOC").arg(stored);
        writeCp1251(taken, "чужой акт");
        QString second;
        inCard("12/01", [&](TKartDog *card) {
            card->BitBtn6->click();
            QCOMPARE(card->Prim->FieldByName("FileName")->AsString(),
                     QStringLiteral("dog\\Act12_01%1_1.DOC").arg(stored));
            QTest::keyClick(card->DBGrid1, Qt::Key_Down); // a stage being typed
            QVERIFY(typeCell(card->DBGrid1, 1, "DatPrim", "01.08.2024"));
            card->BitBtn6->click();
            const double key = card->Prim->FieldByName("Primech_id")->AsFloat();
            QVERIFY(key > stored);
            second = QStringLiteral("dog/Act12_01%1.DOC").arg(key);
            QCOMPARE(readCp1251(second), QStringLiteral(" \r\n"));
            writeCp1251(second, "акт написан");
            card->BitBtn6->click(); // opened again as it is
            card->BitBtn1->click();
        });
        QCOMPARE(app.Opened(),
                 (QStringList{QStringLiteral("dog/Act12_01%1_1.DOC").arg(stored), second, second}));
        QCOMPARE(readCp1251(taken), QStringLiteral("чужой акт"));
        QCOMPARE(readCp1251(second), QStringLiteral("акт написан"));
        QCOMPARE(QDir("dog").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 3);
    }

    // The text's name is made once, with a suffix when another contract has it; an
    // existing text (found in any letter case) is opened as it is; no number, no text.
    void contractTexts() {
        Folder f;
        CardApp app([&] {
            f = fill();
            addDog(f, "15", QDate(2024, 6, 15), "DOG\\dog15.rtf");
            addDog(f, "15 ", QDate(2024, 6, 16));
            addDog(f, "17", QDate(2024, 6, 17));
            db::Database::Exec(
                "insert into TypeDog (TypeDog, NameFile) values ('Поставка', 'dog\\DogStd.doc')");
        });
        writeCp1251("dog/Dog15.RTF", "старый текст");
        writeCp1251("dog/DogStd.doc", "Договор NumbDog от DateDog\n");
        inCard("15", [](TKartDog *card) {
            card->BitBtn3->click(); // no picker: it exists
            card->BitBtn2->click();
        });
        inCard("15 ", [](TKartDog *card) {
            UiScript::OnShow<TTypDog>([](TTypDog *t) { t->BitBtn1->click(); });
            type(card->DBEdit1, "15");
            SpDogov->Dog->FieldByName("DateDog")->Clear();
            card->BitBtn3->click();
            QCOMPARE(card->DBEdit8->toPlainText(), QStringLiteral("dog\\Dog15_1.RTF"));
            card->BitBtn1->click();
        });
        inCard("17", [](TKartDog *card) {
            type(card->DBEdit1, QString());
            UiScript::Answer(mrOk, QStringLiteral("Не заполнен номер договора"));
            card->BitBtn3->click();
            type(card->DBEdit1, "17");
            UiScript::OnShow<TTypDog>([](TTypDog *t) { t->BitBtn2->click(); });
            card->BitBtn3->click();
            card->BitBtn1->click();
        });
        QCOMPARE(app.Opened(), (QStringList{"dog/Dog15.RTF", "dog/Dog15_1.RTF", "dog/Dog17.RTF"}));
        QCOMPARE(readCp1251("dog/Dog15.RTF"), QStringLiteral("старый текст"));
        QCOMPARE(readCp1251("dog/Dog15_1.RTF"), QStringLiteral("Договор 15 от \r\n"));
        QCOMPARE(readCp1251("dog/Dog17.RTF"), QStringLiteral(" \r\n"));
        QCOMPARE(
            count("select count(*) from Dogovor where NameFile = 'dog\\Dog15_1.RTF' and DateDog is null"), 1);
    }

    // A text written for a new contract goes with it when its card is cancelled: the
    // next contract of that number is offered a template. A file that no contract names
    // (left by a run killed before its contract was stored) is taken by none, and a
    // stored contract keeps the text written under its stored name.
    void textOfAContractNeverStored() {
        CardApp app([] {
            addDog(fill(), "18", QDate(2024, 6, 18), "dog\\Dog18.RTF");
            db::Database::Exec(
                "insert into TypeDog (TypeDog, NameFile) values ('Поставка', 'dog\\DogStd.doc')");
        });
        writeCp1251("dog/DogStd.doc", "Договор NumbDog\n");
        writeCp1251("dog/Dog17.RTF", "чужой текст");
        const auto cancelledText = [](const QString &number) {
            inCard(number, [](TKartDog *card) {
                if (card->IsNewDog) type(card->DBEdit1, "16");
                UiScript::OnShow<TTypDog>([](TTypDog *t) { t->BitBtn1->click(); });
                card->BitBtn3->click();
                card->BitBtn2->click();
            });
        };
        cancelledText({});
        QVERIFY(!QFile::exists("dog/Dog16.RTF"));
        cancelledText({});
        cancelledText("18");
        inCard({}, [](TKartDog *card) {
            type(card->DBEdit1, "17");
            UiScript::OnShow<TTypDog>([](TTypDog *t) { t->BitBtn2->click(); });
            card->BitBtn3->click();
            card->BitBtn2->click();
        });
        QCOMPARE(app.Opened(),
                 (QStringList{"dog/Dog16.RTF", "dog/Dog16.RTF", "dog/Dog18.RTF", "dog/Dog17_1.RTF"}));
        QCOMPARE(readCp1251("dog/Dog17.RTF"), QStringLiteral("чужой текст"));
        QCOMPARE(readCp1251("dog/Dog18.RTF"), QStringLiteral("Договор 18\r\n"));
        QCOMPARE(QDir("dog").entryList(QDir::Files), (QStringList{"Dog17.RTF", "Dog18.RTF", "DogStd.doc"}));
    }

    // A desktop with no application for the document, its type registry answered by a
    // stand-in xdg-mime: the user is told which file it is.
    void documentTheDesktopCannotOpen() {
        const auto desktop = DocumentOpener;
        QTemporaryDir bin;
        const QString xdgMime = bin.filePath(QStringLiteral("xdg-mime"));
        writeCp1251(xdgMime,
                    "#!/bin/sh\n[ \"$2\" = filetype ] && echo 'text/rtf; charset=us-ascii'\nexit 0\n");
        QFile::setPermissions(xdgMime, QFile::permissions(xdgMime) | QFileDevice::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
        const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
        CardApp app([] { addDog(fill(), "15", QDate(2024, 6, 15), "dog\\Dog15.RTF"); });
        writeCp1251("dog/Dog15.RTF", "текст");
        DocumentOpener = desktop;
        inCard("15", [](TKartDog *card) {
            UiScript::ExpectError(
                QStringLiteral("Не удалось открыть документ «%1»: не найдена программа, которая открывает "
                               "файлы этого типа. Откройте его сами.")
                    .arg(QDir::toNativeSeparators(QDir::current().filePath("dog/Dog15.RTF"))));
            card->BitBtn3->click();
            card->BitBtn1->click();
        });
    }
};

QTEST_MAIN(TestCard)
#include "tst_card.moc"

// The bank directory and the bank accounts of an owner: the default account, the bank
// completed from the directory by BIK with and without the city, the warning on a BIK
// the directory lacks, and the two pickers' answers.
#include "BankData.h"

#include "controls/DBGrid.h"
#include "controls/UiScript.h"
#include "db/Table.h"

#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

const QString BikWarning = QStringLiteral("Проверте БИК Вашего банка!");

// The directory picker's script: the user clicks the row of `bik` and presses OK.
void ChooseInDirectory(const QString &bik) {
    UiScript::OnShow<TAllBank>([bik](TAllBank *f) {
        QVERIFY(!f->OkPressed);
        TDataSetModel *model = f->DBGrid1->Model();
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->index(row, 2).data().toString() == bik)
                f->DBGrid1->setCurrentIndex(model->index(row, 0));
        f->BitBtn1->click();
    });
}

// Opens the cell editor of the bank-name column on the current account and presses its
// "..." button.
void PressNameEllipsis(TDBGrid *grid) {
    const QModelIndex cell = grid->Model()->index(grid->DataSet()->RecNo(), 1);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    auto *button = grid->viewport()->findChild<QToolButton *>();
    QVERIFY(button);
    button->click();
}

QString Field(const char *name) {
    return SlBankP->RekvPol->FieldByName(QString::fromLatin1(name))->AsString();
}

} // namespace

class TestBanks : public ScriptedTestCase {
    Q_OBJECT
  private slots:

    // New payment orders and documents take an owner's last account: the last by key,
    // whatever order the rows were stored in, and never a neighbour's or an orphan's.
    void defaultAccountIsTheLastByKey() {
        BankForms forms;
        AddAccount(7, QStringLiteral("40702810000000000020"), QString(), 20);
        AddAccount(8, QStringLiteral("40702810000000000030"), QString(), 30);
        AddAccount(7, QStringLiteral("40702810000000000005"), QString(), 5);
        AddAccount(6, QStringLiteral("40702810000000000040"), QString(), 40);
        AddAccount(0, QStringLiteral("40702810000000000050"), QString(), 50); // no owner
        TTable *RekvPol = SlBankP->RekvPol;

        SelectClientBanks(7);
        QCOMPARE(RekvPol->RecordCount(), 2);
        RekvPol->First();
        QCOMPARE(RekvPol->FieldByName("Bank_id")->AsInteger(), 5);
        RekvPol->Last();
        QCOMPARE(RekvPol->FieldByName("Bank_id")->AsInteger(), 20);

        // A new account of the owner becomes its default one.
        const qint64 added = AddAccount(7, QStringLiteral("40702810000000000099"));
        SelectClientBanks(7);
        RekvPol->Last();
        QCOMPARE(RekvPol->FieldByName("Bank_id")->AsInteger(), added);

        // No owner: nothing, not the accounts left without one.
        SelectClientBanks(0);
        QVERIFY(RekvPol->IsEmpty());
        SelectClientBanks(8);
        QCOMPARE(RekvPol->RecordCount(), 1);
    }

    void bikCompletesTheBank_data() {
        QTest::addColumn<bool>("appBank");
        QTest::addColumn<QString>("bik");
        QTest::addColumn<QString>("nameBank");
        QTest::addColumn<QString>("korSchet");
        QTest::newRow("Москва") << false << "044525225"
                                << "ПАО СБЕРБАНК"
                                << "30101810400000000225";
        QTest::newRow("Москва, с городом") << true << "044525225"
                                           << "ПАО СБЕРБАНК г.МОСКВА"
                                           << "30101810400000000225";
        QTest::newRow("Петербург, с городом") << true << "044030653"
                                              << "ПАО СЕВЕРО-ЗАПАДНЫЙ БАНК ПАО СБЕРБАНК г.САНКТ-ПЕТЕРБУРГ"
                                              << "30101810500000000653";
        QTest::newRow("без приставки") << false << "045004641"
                                       << " СИБИРСКИЙ БАНК ПАО СБЕРБАНК"
                                       << "30101810500000000641";
        QTest::newRow("без приставки, с городом") << true << "045004641"
                                                  << " СИБИРСКИЙ БАНК ПАО СБЕРБАНК г.НОВОСИБИРСК"
                                                  << "30101810500000000641";
    }

    // A BIK typed into the grid replaces a hand-written bank name and the
    // correspondent account by the directory's, and is itself kept.
    void bikCompletesTheBank() {
        QFETCH(bool, appBank);
        QFETCH(QString, bik);
        QFETCH(QString, nameBank);
        QFETCH(QString, korSchet);
        BankForms forms;
        SetAppBank(appBank);
        AddAccount(3, QStringLiteral("40702810900000001234"));
        SlBankP->KlientId = 3;
        UiScript::OnShow<TSlBankP>([&](TSlBankP *f) {
            TDataSetModel *model = f->DBGrid1->Model();
            QVERIFY(model->setData(model->index(0, 1), QStringLiteral("Мой банк")));
            QVERIFY(model->setData(model->index(0, 0), bik));
            QCOMPARE(model->index(0, 1).data().toString(), nameBank);
            f->BitBtn1->click();
        });
        ShowModal(SlBankP);
        QVERIFY(SlBankP->OkPressed);
        QCOMPARE(db::Database::ScalarValue("select NameBank from Bank").toString(), nameBank);
        QCOMPARE(db::Database::ScalarValue("select KorSchet from Bank").toString(), korSchet);
        QCOMPARE(db::Database::ScalarValue("select Bik from Bank").toString(), bik);
        // The directory was only read.
        QCOMPARE(db::Database::ScalarValue("select count(*) from Bnkseek").toInt(), 5);
    }

    // A BIK the directory lacks, or a cleared one, is kept after the warning; the bank
    // name and correspondent account stay as they were.
    void unknownOrClearedBikWarns() {
        BankForms forms;
        AddAccount(3, QStringLiteral("40702810900000001234"));
        SlBankP->KlientId = 3;
        UiScript::OnShow<TSlBankP>([&](TSlBankP *f) {
            TDataSetModel *model = f->DBGrid1->Model();
            QVERIFY(model->setData(model->index(0, 0), QStringLiteral("044525225")));
            UiScript::Answer(mrOk, BikWarning);
            QVERIFY(model->setData(model->index(0, 0), QStringLiteral("04452522"))); // a digit short
            QCOMPARE(Field("Bik"), QStringLiteral("04452522"));
            QCOMPARE(Field("NameBank"), QStringLiteral("ПАО СБЕРБАНК"));
            UiScript::Answer(mrOk, BikWarning);
            QVERIFY(model->setData(model->index(0, 0), QString()));
            QCOMPARE(Field("Bik"), QString());
            QCOMPARE(Field("NameBank"), QStringLiteral("ПАО СБЕРБАНК"));
            QCOMPARE(Field("KorSchet"), QStringLiteral("30101810400000000225"));
            f->BitBtn1->click();
        });
        ShowModal(SlBankP);
        QCOMPARE(UiScript::Messages().size(), 2);
        QCOMPARE(UiScript::Messages()[0].kind, int(mtError));
        QCOMPARE(UiScript::Messages()[0].buttons, int(mbOK));
        QCOMPARE(db::Database::ScalarValue("select NameBank from Bank").toString(),
                 QStringLiteral("ПАО СБЕРБАНК"));
        QVERIFY(db::Database::ScalarValue("select Bik from Bank").isNull());
    }

    // A BIK is found as a whole value with its letter case: a prefix of one is not a
    // bank, and a failed lookup leaves the directory where it stood.
    void lookupByBik() {
        BankForms forms;
        QVERIFY(AllBank->LocateBik(QStringLiteral("046577674")));
        QCOMPARE(AllBank->Table1NAMEP->AsString(), QStringLiteral("УРАЛЬСКИЙ БАНК ПАО СБЕРБАНК"));
        QVERIFY(!AllBank->LocateBik(QStringLiteral("0465776")));
        QVERIFY(!AllBank->LocateBik(QStringLiteral(" 046577674")));
        QCOMPARE(AllBank->Table1NEWNUM->AsString(), QStringLiteral("046577674"));
        // The bank text follows the setting at the moment it is made.
        QCOMPARE(AllBank->BankText(), QStringLiteral("ПАО УРАЛЬСКИЙ БАНК ПАО СБЕРБАНК"));
        SetAppBank(true);
        QCOMPARE(AllBank->BankText(), QStringLiteral("ПАО УРАЛЬСКИЙ БАНК ПАО СБЕРБАНК г.ЕКАТЕРИНБУРГ"));
    }

    void bankFromTheDirectory_data() {
        QTest::addColumn<bool>("appBank");
        QTest::addColumn<QString>("nameBank");
        QTest::newRow("без города") << false << "АО АЛЬФА-БАНК";
        QTest::newRow("с городом") << true << "АО АЛЬФА-БАНК г.МОСКВА";
    }

    // The "..." of the bank-name column: the bank chosen in the directory fills the
    // account, which is stored at once; the first account of an owner without any is
    // added for that owner.
    void bankFromTheDirectory() {
        QFETCH(bool, appBank);
        QFETCH(QString, nameBank);
        BankForms forms;
        SetAppBank(appBank);
        AddAccount(9, QStringLiteral("40702810000000000001")); // another owner's
        SlBankP->KlientId = 4;
        UiScript::OnShow<TSlBankP>([&](TSlBankP *f) {
            QVERIFY(f->RekvPol->IsEmpty());
            QTest::keyClick(f->DBGrid1, Qt::Key_Down); // the first row of an empty list
            ChooseInDirectory(QStringLiteral("044525593"));
            PressNameEllipsis(f->DBGrid1);
            QCOMPARE(f->RekvPol->State(), TDataSetState::dsBrowse);
            f->BitBtn1->click();
        });
        ShowModal(SlBankP);
        QVERIFY(SlBankP->OkPressed);
        QCOMPARE(CountAccounts("Klient_id = 4"), 1);
        QCOMPARE(db::Database::ScalarValue("select NameBank from Bank where Klient_id = 4").toString(),
                 nameBank);
        QCOMPARE(db::Database::ScalarValue("select Bik from Bank where Klient_id = 4").toString(),
                 QStringLiteral("044525593"));
        QCOMPARE(db::Database::ScalarValue("select KorSchet from Bank where Klient_id = 4").toString(),
                 QStringLiteral("30101810200000000593"));

        // Cancel in the directory changes nothing.
        UiScript::OnShow<TSlBankP>([&](TSlBankP *f) {
            UiScript::OnShow<TAllBank>([](TAllBank *d) { d->BitBtn2->click(); });
            PressNameEllipsis(f->DBGrid1);
            QVERIFY(!AllBank->OkPressed);
            f->BitBtn2->click();
        });
        ShowModal(SlBankP);
        QCOMPARE(CountAccounts(), 2);
        QCOMPARE(db::Database::ScalarValue("select NameBank from Bank where Klient_id = 4").toString(),
                 nameBank);
    }

    // OK hands back the account the user stands on; Cancel reports no choice. A new row
    // the user leaves untouched is not stored as an empty account.
    void accountPickerAnswers() {
        BankForms forms;
        AddAccount(5, QStringLiteral("40702810000000000001"));
        const qint64 second = AddAccount(5, QStringLiteral("40702810000000000002"));
        SlBankP->KlientId = 5;
        UiScript::OnShow<TSlBankP>([](TSlBankP *f) {
            QCOMPARE(f->RekvPol->RecNo(), 0);
            QTest::keyClick(f->DBGrid1, Qt::Key_Down);
            QTest::keyClick(f->DBGrid1, Qt::Key_Down); // a new row after the last
            QCOMPARE(f->RekvPol->State(), TDataSetState::dsInsert);
            QCOMPARE(f->RekvPolKlient_id->AsFloat(), 5.0);
            QTest::keyClick(f->DBGrid1, Qt::Key_Up);
            f->BitBtn1->click();
        });
        QCOMPARE(ShowModal(SlBankP), int(mrOk));
        QVERIFY(SlBankP->OkPressed);
        QCOMPARE(SlBankP->RekvPolBank_id->AsInteger(), second);
        QCOMPARE(SlBankP->RekvPolSchet->AsString(), QStringLiteral("40702810000000000002"));
        QCOMPARE(CountAccounts(), 2);

        UiScript::OnShow<TSlBankP>([](TSlBankP *f) { f->BitBtn2->click(); });
        ShowModal(SlBankP);
        QVERIFY(!SlBankP->OkPressed);

        // An owner without accounts: OK on the empty list is no choice, so a caller
        // keeps the account it has rather than taking empty fields.
        SlBankP->KlientId = 6;
        UiScript::OnShow<TSlBankP>([](TSlBankP *f) {
            QVERIFY(f->RekvPol->IsEmpty());
            f->BitBtn1->click();
        });
        ShowModal(SlBankP);
        QVERIFY(!SlBankP->OkPressed);
        QCOMPARE(CountAccounts(), 2);
    }

    // No owner (the editor's recipient typed by hand): the list cannot be added to, and
    // a row that comes without an owner all the same is refused, never stored.
    void noAccountWithoutAnOwner() {
        BankForms forms;
        SlBankP->KlientId = 0;
        UiScript::OnShow<TSlBankP>([](TSlBankP *f) {
            QVERIFY(f->DBGrid1->ReadOnly());
            QTest::keyClick(f->DBGrid1, Qt::Key_Down);
            QCOMPARE(f->RekvPol->State(), TDataSetState::dsBrowse);
            UiScript::ExpectError();
            QVERIFY(!Guarded([f] { // the directory's bank taken with no owner
                f->RekvPol->Append();
                f->TakeBankFromDirectory();
            }));
            f->RekvPol->Cancel();
            f->BitBtn1->click();
        });
        ShowModal(SlBankP);
        QVERIFY(!SlBankP->OkPressed);
        QCOMPARE(CountAccounts(), 0);
    }

    // The directory reports a choice only for the use in which it was made.
    void directoryAnswers() {
        BankForms forms;
        UiScript::OnShow<TAllBank>([](TAllBank *f) {
            TDataSetModel *model = f->DBGrid1->Model();
            const QRect cell = f->DBGrid1->visualRect(model->index(3, 1));
            QTest::mouseDClick(f->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
            QVERIFY(!f->isVisible()); // a double click chooses and closes
        });
        QCOMPARE(ShowModal(AllBank), int(mrOk));
        QVERIFY(AllBank->OkPressed);
        QCOMPARE(AllBank->Table1NEWNUM->AsString(), QStringLiteral("046577674"));

        UiScript::OnShow<TAllBank>([](TAllBank *f) {
            QCOMPARE(f->Table1->RecNo(), 3); // stands where the last choice left it
            QTest::keyClick(f, Qt::Key_Escape);
        });
        ShowModal(AllBank);
        QVERIFY(!AllBank->OkPressed);
    }

    // The program ships the directory empty: OK there chooses nothing, so a stored
    // account keeps its BIK and correspondent account.
    void emptyDirectoryChangesNoAccount() {
        BankForms forms;
        db::Database::Exec(QStringLiteral("delete from Bnkseek"));
        AllBank->Table1->Close();
        AllBank->Table1->Open();
        AddAccount(4, QStringLiteral("40702810000000000001"), QStringLiteral("044525225"));
        SlBankP->KlientId = 4;
        UiScript::OnShow<TSlBankP>([](TSlBankP *f) {
            UiScript::OnShow<TAllBank>([](TAllBank *d) { d->BitBtn1->click(); });
            PressNameEllipsis(f->DBGrid1);
            QVERIFY(!AllBank->OkPressed);
            f->BitBtn2->click();
        });
        ShowModal(SlBankP);
        QCOMPARE(
            CountAccounts("Klient_id = 4 and Bik = '044525225' and NameBank = 'Банк 40702810000000000001'"),
            1);
    }
};

QTEST_MAIN(TestBanks)
#include "tst_banks.moc"

// The client card opened from the partners list: the client's fields with its bank
// accounts. A new client has no accounts (not those left without an owner) until it is
// stored, and from then on the accounts added are listed under its key; Cancel drops
// the client's unsaved edits but keeps the accounts already stored.
#include "BankData.h"

#include "Keyboard.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/UiScript.h"
#include "refbooks/UKartKli.h"
#include "refbooks/USlPoluch.h"

#include <QPushButton>
#include <QtTest>

namespace {

// The bank forms, the partners list and the card, in the order the start-up creates them.
struct CardForms : BankForms {
    CardForms() {
        SlPoluch = new TSlPoluch;
        KartKli = new TKartKli;
    }
    ~CardForms() {
        delete KartKli;
        delete SlPoluch;
        KartKli = nullptr;
        SlPoluch = nullptr;
    }
};

qint64 AddClient(const QString &name, const QString &group = QStringLiteral("F")) {
    db::Database::Exec(QStringLiteral("insert into Klient (Name, FullName, FlSvoy) values (?, ?, ?)"),
                       {name, QStringLiteral("ООО \"%1\"").arg(name), group});
    return db::Database::LastInsertRowId();
}

QVariant Stored(const QString &sql, const QVariantList &binds = {}) {
    return db::Database::ScalarValue(sql, binds);
}

// The partners list shown for partners; the user presses `button` in it, works the card
// with `card`, and leaves the list with Cancel.
void InPartnersList(QPushButton *TSlPoluch::*button, std::function<void(TKartKli *)> card) {
    SlPoluch->KlientGroup = QStringLiteral("F");
    UiScript::OnShow<TSlPoluch>([button, card](TSlPoluch *f) {
        UiScript::OnShow<TKartKli>(card);
        (f->*button)->click();
        f->BitBtn2->click();
    });
    ShowModal(SlPoluch);
}

} // namespace

class TestKartKli : public ScriptedTestCase {
    Q_OBJECT
  private slots:

    void newClientListsNoOrphanAccounts() {
        CardForms forms;
        const qint64 known = AddClient(QStringLiteral("Ромашка"));
        AddAccount(known, QStringLiteral("40702810000000000001"));
        AddAccount(0, QStringLiteral("40702810000000000098")); // left without an owner
        AddAccount(0, QStringLiteral("40702810000000000099"));

        qint64 added = 0;
        InPartnersList(&TSlPoluch::BitBtn4, [&](TKartKli *f) {
            TTable *RekvPol = SlBankP->RekvPol;
            QVERIFY(RekvPol->IsEmpty());
            Type(f->EditName, QStringLiteral("Лютик"));
            Type(f->EditInn, QStringLiteral("7701234567"));
            f->DBGrid1->setFocus(Qt::TabFocusReason); // stores the client: it gets its key
            added = SlPoluch->Klient->FieldByName("Klient_id")->AsInteger();
            QVERIFY(added > known);
            QCOMPARE(SlBankP->KlientId, double(added));
            QVERIFY(RekvPol->IsEmpty());

            QTest::keyClick(f->DBGrid1, Qt::Key_Down); // the first account
            TDataSetModel *model = f->DBGrid1->Model();
            QVERIFY(model->setData(model->index(0, 0), QStringLiteral("044525225")));
            QVERIFY(model->setData(model->index(0, 2), QStringLiteral("40702810500000004321")));
            QTest::keyClick(f->DBGrid1, Qt::Key_Down); // stored; a second row begun
            QTest::keyClick(f->DBGrid1, Qt::Key_Up);   // and dropped untouched
            RekvPol->Refresh();                        // read again: still listed
            QCOMPARE(RekvPol->RecordCount(), 1);
            QCOMPARE(f->DBGrid1->Model()->index(0, 1).data().toString(), QStringLiteral("ПАО СБЕРБАНК"));
            f->BitBtn1->click();
        });
        QCOMPARE(Stored("select Name || '/' || Inn || '/' || FlSvoy from Klient where Klient_id = ?", {added})
                     .toString(),
                 QStringLiteral("Лютик/7701234567/F"));
        QCOMPARE(Stored("select Schet from Bank where Klient_id = ?", {added}).toString(),
                 QStringLiteral("40702810500000004321"));
        QCOMPARE(CountAccounts(), 4);
        QCOMPARE(CountAccounts("Klient_id = 0"), 2);

        // Shown again for that client, the card lists its account.
        InPartnersList(&TSlPoluch::BitBtn3, [&](TKartKli *f) {
            QCOMPARE(SlBankP->RekvPol->RecordCount(), 1);
            f->BitBtn2->click();
        });
    }

    // Adding a client and cancelling the card adds nothing.
    void cancelledNewClientIsNotStored() {
        CardForms forms;
        AddClient(QStringLiteral("Ромашка"));
        InPartnersList(&TSlPoluch::BitBtn4, [](TKartKli *f) {
            Type(f->EditName, QStringLiteral("Лютик"));
            f->BitBtn2->click();
        });
        QCOMPARE(Stored("select count(*) from Klient").toInt(), 1);
        QCOMPARE(SlPoluch->Klient->State(), TDataSetState::dsBrowse);
    }

    // "Банки" takes an account's bank from the directory; a new client is stored first
    // and the account is its own.
    void banksButtonOnANewClient() {
        CardForms forms;
        SetAppBank(true);
        AddAccount(0, QStringLiteral("40702810000000000099"));
        InPartnersList(&TSlPoluch::BitBtn4, [](TKartKli *f) {
            Type(f->EditName, QStringLiteral("Василек"));
            UiScript::OnShow<TAllBank>([](TAllBank *d) { d->BitBtn2->click(); });
            f->BitBtn3->click(); // the directory closed without a choice: nothing happens
            QCOMPARE(SlPoluch->Klient->State(), TDataSetState::dsInsert);

            UiScript::OnShow<TAllBank>([](TAllBank *d) {
                QVERIFY(d->LocateBik(QStringLiteral("044030653")));
                d->BitBtn1->click();
            });
            f->BitBtn3->click();
            QCOMPARE(SlBankP->RekvPol->RecordCount(), 1);
            f->BitBtn1->click();
        });
        const qint64 id = Stored("select Klient_id from Klient where Name = 'Василек'").toLongLong();
        QVERIFY(id > 0);
        QCOMPARE(Stored("select NameBank from Bank where Klient_id = ?", {id}).toString(),
                 QStringLiteral("ПАО СЕВЕРО-ЗАПАДНЫЙ БАНК ПАО СБЕРБАНК г.САНКТ-ПЕТЕРБУРГ"));
        QCOMPARE(Stored("select KorSchet from Bank where Klient_id = ?", {id}).toString(),
                 QStringLiteral("30101810500000000653"));
        QCOMPARE(CountAccounts("Klient_id = 0"), 1);
    }

    // Cancel after editing the client's name leaves the client as stored, while an
    // account changed and stored in the grid stays changed; an account change not yet
    // stored goes with the Cancel.
    void cancelKeepsStoredAccountsOnly() {
        CardForms forms;
        const qint64 id = AddClient(QStringLiteral("Ромашка"));
        AddAccount(id, QStringLiteral("40702810000000000001"));
        AddAccount(id, QStringLiteral("40702810000000000002"));
        InPartnersList(&TSlPoluch::BitBtn3, [](TKartKli *f) {
            QCOMPARE(SlBankP->RekvPol->RecordCount(), 2);
            QCOMPARE(SlBankP->RekvPol->RecNo(), 0);
            f->DBGrid1->setFocus(Qt::TabFocusReason);
            TDataSetModel *model = f->DBGrid1->Model();
            QVERIFY(model->setData(model->index(0, 2), QStringLiteral("40702810000000000011")));
            QTest::keyClick(f->DBGrid1, Qt::Key_Down); // leaving the row stores it
            QVERIFY(model->setData(model->index(1, 3), QStringLiteral("30101810000000000000")));
            Type(f->EditName, QStringLiteral("Ромашка-2"));
            f->BitBtn2->click();
        });
        QCOMPARE(Stored("select Name from Klient").toString(), QStringLiteral("Ромашка"));
        QCOMPARE(Stored("select group_concat(Schet) from Bank").toString(),
                 QStringLiteral("40702810000000000011,40702810000000000002"));
        QVERIFY(Stored("select KorSchet from Bank where Schet = '40702810000000000002'").isNull());
    }

    // OK stores the client's edits and a pending account change; deleting an account
    // asks first.
    void okStoresAndDeletingAsks() {
        CardForms forms;
        const qint64 id = AddClient(QStringLiteral("Ромашка"));
        AddAccount(id, QStringLiteral("40702810000000000001"));
        AddAccount(id, QStringLiteral("40702810000000000002"));
        InPartnersList(&TSlPoluch::BitBtn3, [](TKartKli *f) {
            f->DBGrid1->setFocus(Qt::TabFocusReason);
            UiScript::Answer(mrNo, QStringLiteral("Удалить запись?"));
            QTest::keyClick(f->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
            QCOMPARE(SlBankP->RekvPol->RecordCount(), 2);
            UiScript::Answer(mrYes, QStringLiteral("Удалить запись?"));
            QTest::keyClick(f->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
            TDataSetModel *model = f->DBGrid1->Model();
            QVERIFY(model->setData(model->index(0, 2), QStringLiteral("40702810000000000022")));
            Type(f->EditAdress, QStringLiteral("г. Тверь, ул. Советская, 1"));
            f->BitBtn1->click();
        });
        QCOMPARE(Stored("select Adress from Klient").toString(),
                 QStringLiteral("г. Тверь, ул. Советская, 1"));
        QCOMPARE(Stored("select group_concat(Schet) from Bank").toString(),
                 QStringLiteral("40702810000000000022"));
    }
};

QTEST_MAIN(TestKartKli)
#include "tst_kartkli.moc"

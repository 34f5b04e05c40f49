// The payment-order editor: saving with the recipient remembered in the reference
// books (all of it or nothing), the checks, the completions by INN and BIK, the VAT
// remark, the pickers, Esc with its question, printing what is on the screen.
#include "PageText.h"
#include "PayData.h"

#include "app/UConfig.h"
#include "contracts/USlDog.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/Dialogs.h"
#include "db/Formats.h"
#include "db/Query.h"
#include "payorders/UPlatPor.h"
#include "payorders/USpPlat.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace paydata;

namespace {

struct Ids {
    double alfa = 0, partner = 0, noInn = 0;
};

Ids fillBooks() {
    Ids ids;
    db::Database::Exec(QStringLiteral("update Config set Period = 'Год', ProcNDS = 18, AppBank = 1"));
    addDirectory();
    ids.alfa = addKlient(QStringLiteral("АО Альфа"), QStringLiteral("АО \"Альфа\""),
                         QStringLiteral("7701000001"), QStringLiteral("T"));
    addAccount(ids.alfa, QStringLiteral("ПАО Сбербанк г.Москва"), QStringLiteral("40702810000000000001"),
               QStringLiteral("30101810400000000225"), QStringLiteral("044525225"));
    ids.partner = addKlient(QStringLiteral("Берёзка"), QStringLiteral("ООО \"Берёзка\""),
                            QStringLiteral("5000000005"), QStringLiteral("F"));
    addAccount(ids.partner, QStringLiteral("АО Альфа-Банк г.Москва"), QStringLiteral("40702810000000000005"),
               QStringLiteral("30101810200000000593"), QStringLiteral("044525593"));
    ids.noInn =
        addKlient(QStringLiteral("Ива"), QStringLiteral("ООО \"Ива\""), QString(), QStringLiteral("F"));
    addAccount(ids.noInn, QStringLiteral("ПАО Сбербанк г.Москва"), QStringLiteral("40702810000000000009"),
               QStringLiteral("30101810400000000225"), QStringLiteral("044525225"));
    addOrder({1, QDate(2024, 1, 15), ids.alfa, QStringLiteral("ООО \"Берёзка\""), 100, {}, {}});
    db::Database::Exec(QStringLiteral("update PlatPor set P_NAME = 'АО \"Альфа\"'"));
    return ids;
}

TDataSet *Plat() {
    return SpPlat->Plat;
}
void set(const char *field, const QVariant &v) {
    Plat()->FieldByName(QString::fromLatin1(field))->SetValue(v);
}
QString str(const char *field) {
    return Plat()->FieldByName(QString::fromLatin1(field))->AsString();
}

// A new order (F6) in the register; `steps` drive the editor, which is closed
// afterwards if they left it open.
template <class Steps> void newOrder(Steps steps) {
    UiScript::OnShow<TSpPlat>([steps](TSpPlat *f) {
        UiScript::OnShow<TPlatPor>([steps](TPlatPor *e) {
            steps(e);
            if (e->isVisible()) e->BitBtn2Click();
        });
        f->SpeedButton4Click();
        f->SpeedButton6Click();
    });
    ShowModal(SpPlat);
}

// The first listed order opened with F4.
template <class Steps> void firstOrder(Steps steps) {
    UiScript::OnShow<TSpPlat>([steps](TSpPlat *f) {
        f->Plat->First();
        UiScript::OnShow<TPlatPor>([steps](TPlatPor *e) {
            steps(e);
            if (e->isVisible()) e->BitBtn2Click();
        });
        f->SpeedButton3Click();
        f->SpeedButton6Click();
    });
    ShowModal(SpPlat);
}

// The recipient of a new order, as typed.
void typeRecipient(const QString &name, const QString &inn, const QString &account, const QString &bik,
                   const QString &bank = QStringLiteral("ПАО Сбербанк\r\nг. Москва")) {
    set("R_NAME", name);
    set("R_Inn", inn.isEmpty() ? QVariant() : QVariant(inn));
    set("R_ACCOUNT", account);
    set("R_BANK_BIK", bik);
    set("R_BANK", bank);
    set("R_BANK_ACC", QStringLiteral("30101810400000000225"));
    set("SUMMA", 500.0);
}

} // namespace

class TestEditor : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void initTestCase() { Clock::setToday(QDate(2024, 3, 20)); }

    // A new recipient with a two-line name: one partner of group "F" with the name on
    // one line, its account with the bank on one line, the order as typed, the amount
    // rounded to kopecks.
    void saveAddsTheNewRecipient() {
        App app([] { fillBooks(); });
        newOrder([](TPlatPor *e) {
            typeRecipient(QStringLiteral("ООО \"Ландыш\"\r\nфилиал"), QStringLiteral("7703000003"),
                          QStringLiteral("40702810000000000077"), QStringLiteral("044525225"));
            set("SUMMA", 12.345);
            QTest::keyClick(e->EditNUMBER, Qt::Key_F10);
            QVERIFY(!e->isVisible());
        });
        QCOMPARE(count("select count(*) from Klient where FullName = 'ООО \"Ландыш\" филиал' and "
                       "Name = 'ООО \"Ландыш\" филиал' and Inn = '7703000003' and FlSvoy = 'F'"),
                 1);
        const QVariant owner = value("select Klient_id from Klient where Inn = '7703000003'");
        QCOMPARE(count("select count(*) from Bank where Klient_id = ? and Schet = '40702810000000000077' and "
                       "Bik = '044525225' and NameBank = 'ПАО Сбербанк г. Москва' and "
                       "KorSchet = '30101810400000000225'",
                       {owner}),
                 1);
        QCOMPARE(value("select R_NAME from PlatPor where NUMBER = 2").toString(),
                 QStringLiteral("ООО \"Ландыш\"\r\nфилиал"));
        QCOMPARE(value("select SUMMA from PlatPor where NUMBER = 2").toDouble(), 12.35);
        QVERIFY(value("select Id_Pol from PlatPor where NUMBER = 2").isNull()); // typed by hand
        // The new partner is in the partners list.
        SetKlientGroup(QStringLiteral("F"));
        QVERIFY(SlPoluch->Klient->Locate(QStringLiteral("Inn"), QStringLiteral("7703000003")));
    }

    // Known recipients: the same account adds nothing, another account is added to the
    // partner; without INN only a partner of the same name is the same recipient.
    void knownRecipients() {
        Ids ids;
        App app([&] { ids = fillBooks(); });
        const int before = partners();
        const int accountsBefore = accounts();
        const auto save = [](const QString &name, const QString &inn, const QString &account,
                             const QString &bik) {
            newOrder([=](TPlatPor *e) {
                typeRecipient(name, inn, account, bik);
                e->BitBtn1Click();
                QVERIFY(!e->isVisible());
            });
        };
        save(QStringLiteral("Берёзка по-новому"), QStringLiteral("5000000005"),
             QStringLiteral("40702810000000000005"), QStringLiteral("044525593"));
        QCOMPARE(partners(), before);
        QCOMPARE(accounts(), accountsBefore);
        save(QStringLiteral("ООО \"Берёзка\""), QStringLiteral("5000000005"),
             QStringLiteral("40702810000000000055"), QStringLiteral("044525593"));
        QCOMPARE(partners(), before);
        QCOMPARE(count("select count(*) from Bank where Klient_id = ?", {ids.partner}), 2);
        // No INN, same name: the account joins that partner.
        save(QStringLiteral("ООО \"Ива\""), QString(), QStringLiteral("40702810000000000099"),
             QStringLiteral("044525225"));
        QCOMPARE(partners(), before);
        QCOMPARE(count("select count(*) from Bank where Klient_id = ?", {ids.noInn}), 2);
        // No INN, another name: a partner of its own, never the account of "Ива".
        save(QStringLiteral("ИП Соснов"), QString(), QStringLiteral("40802810000000000001"),
             QStringLiteral("044525225"));
        QCOMPARE(partners(), before + 1);
        QCOMPARE(count("select count(*) from Bank where Klient_id = ?", {ids.noInn}), 2);
        QCOMPARE(
            count(
                "select count(*) from Klient where FullName = 'ИП Соснов' and Inn is null and FlSvoy = 'F'"),
            1);
    }

    void unchangedOrderWritesNothing() {
        App app([] { fillBooks(); });
        const int before = partners();
        firstOrder([](TPlatPor *e) {
            QTest::keyClick(e->DBMemo5, Qt::Key_F10);
            QVERIFY(!e->isVisible());
        });
        QCOMPARE(partners(), before); // "ООО Берёзка" of the order has no INN typed: not added
        firstOrder([](TPlatPor *e) {
            QTest::keyClick(e->EditNUMBER, Qt::Key_Escape); // no question
            QVERIFY(!e->isVisible());
        });
    }

    void refusals_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("no name") << "" << 10.0 << QStringList{"Не заполнено название получателя"};
        QTest::newRow("no amount") << "ООО" << 0.0 << QStringList{"Не заполнена сумма"};
        QTest::newRow("neither") << "" << 0.0
                                 << QStringList{"Не заполнено название получателя", "Не заполнена сумма"};
        QTest::newRow("negative") << "ООО" << -5.0 << QStringList{"Не заполнена сумма"};
        QTest::newRow("below a kopeck") << "ООО" << 0.004 << QStringList{"Не заполнена сумма"};
    }
    void refusals() {
        QFETCH(QString, name);
        QFETCH(double, amount);
        QFETCH(QStringList, messages);
        App app([] { fillBooks(); });
        newOrder([&](TPlatPor *e) {
            set("R_NAME", name);
            set("SUMMA", amount);
            for (const QString &m : messages)
                UiScript::ExpectError(m);
            e->BitBtn1Click();
            QVERIFY(e->isVisible());
            QCOMPARE(Plat()->State(), TDataSetState::dsInsert);
        });
        QCOMPARE(count("select count(*) from PlatPor"), 1);
    }

    // The order, the new partner and its account are one write: when the order cannot
    // be stored, the partner and the account are not stored either, and the editor
    // stays open with the order, so a second F10 stores all three once.
    void failedSaveLeavesNothingWritten() {
        App app([] { fillBooks(); });
        const int before = partners();
        const int accountsBefore = accounts();
        newOrder([&](TPlatPor *e) {
            typeRecipient(QStringLiteral("ООО \"Ландыш\""), QStringLiteral("7703000003"),
                          QStringLiteral("40702810000000000077"), QStringLiteral("044525225"));
            db::Database::Exec(QStringLiteral("create trigger busy before insert on PlatPor begin "
                                              "select raise(abort, 'Таблица PlatPor занята'); end"));
            UiScript::ExpectError();
            QTest::keyClick(e->EditNUMBER, Qt::Key_F10);
            QVERIFY(e->isVisible());
            QCOMPARE(partners(), before);
            QCOMPARE(accounts(), accountsBefore);
            QCOMPARE(count("select count(*) from PlatPor"), 1);
            db::Database::Exec(QStringLiteral("drop trigger busy"));
            QTest::keyClick(e->EditNUMBER, Qt::Key_F10);
            QVERIFY(!e->isVisible());
        });
        QCOMPARE(partners(), before + 1);
        QCOMPARE(accounts(), accountsBefore + 1);
        QCOMPARE(count("select count(*) from PlatPor where R_Inn = '7703000003'"), 1);
    }

    // Another program holding the database: a save waits for it a few seconds; held
    // longer, the save is refused in Russian with nothing written and the editor open,
    // and once the other program lets go the same F10 saves. Held for one second, the
    // save simply waits and succeeds.
    void saveWaitsForAnotherProgram() {
        App app([] { fillBooks(); });
        const QString file = app.Path() + QStringLiteral("/dat/orbek.db");
        // The sqlite3 shell takes the write lock and keeps it until told otherwise.
        auto holdWriteLock = [&](QProcess &shell) {
            shell.start(QStringLiteral("sqlite3"), {file});
            if (!shell.waitForStarted()) QSKIP("the sqlite3 shell is not installed");
            shell.write("BEGIN IMMEDIATE;\nUPDATE Config SET KolCopy = KolCopy;\nSELECT 'held';\n");
            QVERIFY(shell.waitForReadyRead(5000));
            QCOMPARE(shell.readAll().trimmed(), QByteArray("held"));
        };
        newOrder([&](TPlatPor *e) {
            typeRecipient(QStringLiteral("ООО \"Ландыш\""), QStringLiteral("7703000003"),
                          QStringLiteral("40702810000000000077"), QStringLiteral("044525225"));
            {
                QProcess shell;
                holdWriteLock(shell);
                UiScript::ExpectError(
                    QStringLiteral("Данные заняты другой программой, изменения не сохранены. "
                                   "Подождите немного и повторите."));
                QElapsedTimer waited;
                waited.start();
                QTest::keyClick(e->EditNUMBER, Qt::Key_F10);
                QVERIFY(waited.elapsed() >= 4000);
                QVERIFY(e->isVisible());
                QVERIFY(UiScript::Messages().last().detail.contains(QStringLiteral("BEGIN IMMEDIATE")));
                shell.closeWriteChannel(); // the shell ends, and its lock with it
                QVERIFY(shell.waitForFinished());
            }
            QCOMPARE(count("select count(*) from PlatPor"), 1);
            QTest::keyClick(e->EditNUMBER, Qt::Key_F10);
            QVERIFY(!e->isVisible());
        });
        QCOMPARE(count("select count(*) from PlatPor where R_Inn = '7703000003'"), 1);

        newOrder([&](TPlatPor *e) {
            typeRecipient(QStringLiteral("ООО \"Ландыш\""), QStringLiteral("7703000003"),
                          QStringLiteral("40702810000000000077"), QStringLiteral("044525225"));
            QProcess shell;
            holdWriteLock(shell);
            shell.write(".shell sleep 1\nCOMMIT;\n");
            QVERIFY(shell.waitForBytesWritten()); // the save below runs no event loop
            shell.closeWriteChannel();
            QElapsedTimer waited;
            waited.start();
            QTest::keyClick(e->EditNUMBER, Qt::Key_F10);
            QVERIFY(waited.elapsed() >= 500);
            QVERIFY(!e->isVisible());
            QVERIFY(shell.waitForFinished());
        });
        QCOMPARE(count("select count(*) from PlatPor where R_Inn = '7703000003'"), 2);
    }

    // Leaving the recipient's BIK: the directory's correspondent account always, its
    // bank text only into an empty bank name (with the city by the setting).
    void bankByBik() {
        App app([] { fillBooks(); });
        newOrder([](TPlatPor *e) {
            set("R_BANK", QStringLiteral("Мой банк"));
            typeAndLeave(e->EditR_BANK_BIK, QStringLiteral("044525593"), e->EditR_ACCOUNT);
            QCOMPARE(str("R_BANK_ACC"), QStringLiteral("30101810200000000593"));
            QCOMPARE(str("R_BANK"), QStringLiteral("Мой банк"));
            set("R_BANK", QString());
            typeAndLeave(e->EditR_BANK_BIK, QStringLiteral("044030653"), e->EditR_ACCOUNT);
            QCOMPARE(str("R_BANK"), QStringLiteral("ПАО Северо-Западный банк г.Санкт-Петербург"));
            QCOMPARE(str("R_BANK_ACC"), QStringLiteral("30101810500000000653"));
            UiScript::ExpectError(QStringLiteral("Проверте БИК банка!"));
            typeAndLeave(e->EditR_BANK_BIK, QStringLiteral("999999999"), e->EditR_ACCOUNT);
            QCOMPARE(str("R_BANK_BIK"), QStringLiteral("999999999"));
            QCOMPARE(str("R_BANK_ACC"), QStringLiteral("30101810500000000653"));
            // The payer's BIK box looks nothing up.
            typeAndLeave(e->EditP_BANK_BIK, QStringLiteral("000000000"), e->EditP_BANK_ACC);
        });
        Config->Conf->Edit(); // as the settings dialog changes it
        Config->ConfAppBank->SetAsBoolean(false);
        Config->Conf->Post();
        newOrder([](TPlatPor *e) {
            typeAndLeave(e->EditR_BANK_BIK, QStringLiteral("044525593"), e->EditR_ACCOUNT);
            QCOMPARE(str("R_BANK"), QStringLiteral("АО Альфа-Банк"));
        });
    }

    // Leaving the recipient's INN of a known organisation fills an order naming no
    // recipient; an order that names one stays as it is; an empty INN names nobody
    // (not the first partner without one).
    void recipientByInn() {
        Ids ids;
        App app([&] { ids = fillBooks(); });
        newOrder([&](TPlatPor *e) {
            typeAndLeave(e->DBEdit7, QString(), e->DBMemo5);
            QCOMPARE(str("R_NAME"), QString());
            QCOMPARE(Plat()->FieldByName("Id_Pol")->AsFloat(), 0.0);
            QCOMPARE(str("R_ACCOUNT"), QString());
            typeAndLeave(e->DBEdit7, QStringLiteral("5000000005"), e->DBMemo5);
            QCOMPARE(str("R_NAME"), QStringLiteral("ООО \"Берёзка\""));
            QCOMPARE(Plat()->FieldByName("Id_Pol")->AsFloat(), ids.partner);
            QCOMPARE(str("R_ACCOUNT"), QStringLiteral("40702810000000000005"));
            QCOMPARE(str("R_BANK_BIK"), QStringLiteral("044525593"));
            QCOMPARE(str("R_Inn"), QStringLiteral("5000000005"));
            typeAndLeave(e->DBEdit7, QStringLiteral("7701000001"), e->DBMemo5);
            QCOMPARE(str("R_NAME"), QStringLiteral("ООО \"Берёзка\""));
            QCOMPARE(str("R_Inn"), QStringLiteral("7701000001"));
        });
    }

    void vatRemark_data() {
        QTest::addColumn<double>("percent");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("added");
        QTest::newRow("1180") << 18.0 << 1180.0 << QStringLiteral(" в т.ч. НДС   180-00 руб.");
        QTest::newRow("11800") << 18.0 << 11800.0 << QStringLiteral(" в т.ч. НДС  1 800-00 руб.");
        QTest::newRow("11800000") << 18.0 << 11800000.0 << QStringLiteral(" в т.ч. НДС 1 800 000-00 руб.");
        QTest::newRow("100") << 18.0 << 100.0 << QStringLiteral(" в т.ч. НДС   15-25 руб.");
        // 205 761.315 exactly: one kopeck more than binary fractions gave.
        QTest::newRow("1 234 567.89 at 20 %")
            << 20.0 << 1234567.89 << QStringLiteral(" в т.ч. НДС  205 761-32 руб.");
    }
    void vatRemark() {
        QFETCH(double, percent);
        QFETCH(double, amount);
        QFETCH(QString, added);
        App app([&] {
            fillBooks();
            db::Database::Exec(QStringLiteral("update Config set ProcNDS = ?"), {percent});
        });
        newOrder([&](TPlatPor *e) {
            set("REMARK", QStringLiteral("Оплата"));
            set("SUMMA", amount);
            e->SpeedButton8->click();
            QCOMPARE(str("REMARK"), QStringLiteral("Оплата") + added);
            e->SpeedButton8->click(); // each press adds again
            QCOMPARE(str("REMARK"), QStringLiteral("Оплата") + added + added);
        });
    }

    // VAT at -100 % has no share in the amount: a message, and the remark stays.
    void vatAtMinusHundredIsRefused() {
        App app([] {
            fillBooks();
            db::Database::Exec(QStringLiteral("update Config set ProcNDS = -100"));
        });
        newOrder([](TPlatPor *e) {
            set("REMARK", QStringLiteral("Оплата"));
            set("SUMMA", 1180.0);
            UiScript::ExpectError(
                QStringLiteral("Процент НДС в установках равен -100: НДС в сумме не выделяется"));
            e->SpeedButton8->click();
            QCOMPARE(str("REMARK"), QStringLiteral("Оплата"));
        });
    }

    // "Сумма" takes "1234567,89" under the dash separator; a 20-digit account pasted
    // into it and F5 bring a message, not a crash, and nothing prints.
    void amountAsTheUserTypesIt() {
        App app([] { fillBooks(); });
        Previewed previews;
        firstOrder([](TPlatPor *e) {
            Plat()->Edit();
            typeAndLeave(e->DBEdit1, QStringLiteral("1234567,89"), e->EditP_ACCOUNT);
            QCOMPARE(Plat()->FieldByName("SUMMA")->AsFloat(), 1234567.89);
            e->DBEdit1->setFocus();
            e->DBEdit1->setText(QStringLiteral("40702810000000000001"));
            e->DBEdit1->DataLink->SetModified();
            UiScript::ExpectError(
                ErrorBoxText(fmt::InvalidMoneyMessage(QStringLiteral("40702810000000000001"))));
            QTest::keyClick(e->DBEdit1, Qt::Key_F5);
            QVERIFY(e->isVisible());
            QVERIFY(e->DBEdit1->hasFocus());
            QCOMPARE(Plat()->FieldByName("SUMMA")->AsFloat(), 1234567.89);
        });
        QVERIFY(previews.reports.empty());
        QCOMPARE(value("select SUMMA from PlatPor").toDouble(), 100.0);
    }

    // After an impossible date, Esc and "Cancel" leave the editor without the error
    // box coming back again and again; nothing is written.
    void badDateDoesNotHoldTheEditor() {
        App app([] { fillBooks(); });
        for (const bool byEsc : {true, false}) {
            firstOrder([byEsc](TPlatPor *e) {
                e->EditDATE->setFocus();
                e->EditDATE->setText(QStringLiteral("31.02.2026"));
                emit e->EditDATE->textEdited(e->EditDATE->text());
                if (byEsc)
                    QTest::keyClick(e->EditDATE, Qt::Key_Escape);
                else
                    QTest::mouseClick(e->BitBtn2, Qt::LeftButton);
                QVERIFY(!e->isVisible());
            });
        }
        QVERIFY(UiScript::Messages().isEmpty());
        QCOMPARE(value("select DATE_PLAT from PlatPor").toString(), QStringLiteral("2024-01-15"));
    }

    // An order whose payer's name was cleared: the save names what is missing and
    // stores nothing.
    void noPayerNoSave() {
        App app([] { fillBooks(); });
        newOrder([](TPlatPor *e) {
            set("P_NAME", QString());
            typeRecipient(QStringLiteral("ООО \"Берёзка\""), QStringLiteral("5000000005"),
                          QStringLiteral("40702810000000000005"), QStringLiteral("044525593"));
            UiScript::ExpectError(QStringLiteral("Не заполнено название плательщика"));
            e->BitBtn1Click();
            QVERIFY(e->isVisible());
        });
        QCOMPARE(count("select count(*) from PlatPor"), 1);
    }

    // Esc on a new order asks: Yes saves, No drops it, Cancel stays in the editor.
    void escAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("stored");
        QTest::newRow("Yes") << int(mrYes) << false << 2;
        QTest::newRow("No") << int(mrNo) << false << 1;
        QTest::newRow("Cancel") << int(mrCancel) << true << 1;
    }
    void escAsks() {
        QFETCH(int, answer);
        QFETCH(bool, open);
        QFETCH(int, stored);
        App app([] { fillBooks(); });
        newOrder([&](TPlatPor *e) {
            typeRecipient(QStringLiteral("ООО \"Берёзка\""), QStringLiteral("5000000005"),
                          QStringLiteral("40702810000000000005"), QStringLiteral("044525593"));
            UiScript::Answer(answer, QStringLiteral("Записать платежное поручение?"));
            QTest::keyClick(e->DBMemo3, Qt::Key_Escape);
            QCOMPARE(e->isVisible(), open);
            QCOMPARE(UiScript::Messages().last().kind, int(mtConfirmation));
        });
        QCOMPARE(count("select count(*) from PlatPor"), stored);
    }

    // F3 the recipient and its last account, F2 and F4 another account of the payer and
    // of the recipient, the contract picker and the contract box.
    void pickers() {
        Ids ids;
        double contract = 0;
        App app([&] {
            ids = fillBooks();
            db::Database::Exec(QStringLiteral("insert into Dogovor (NumbDog, Klient_id, Organ_id, FlClose) "
                                              "values ('Д-17', ?, ?, 0)"),
                               {ids.partner, ids.alfa});
            contract = lastKey();
        });
        newOrder([&](TPlatPor *e) {
            UiScript::OnShow<TSlPoluch>([&](TSlPoluch *p) {
                QCOMPARE(p->KlientGroup, QStringLiteral("F"));
                QVERIFY(p->Klient->Locate(QStringLiteral("Klient_id"), ids.partner));
                p->BitBtn1Click();
            });
            QTest::keyClick(e->DBEdit1, Qt::Key_F3);
            QCOMPARE(str("R_NAME"), QStringLiteral("ООО \"Берёзка\""));
            QCOMPARE(str("R_Inn"), QStringLiteral("5000000005"));
            QCOMPARE(Plat()->FieldByName("Id_Pol")->AsFloat(), ids.partner);
            QCOMPARE(str("R_BANK"), QStringLiteral("АО Альфа-Банк г.Москва"));

            addAccount(ids.partner, QStringLiteral("ПАО Сбербанк"), QStringLiteral("40702810000000000555"),
                       QStringLiteral("30101810400000000225"), QStringLiteral("044525225"));
            UiScript::OnShow<TSlBankP>([&](TSlBankP *b) {
                QCOMPARE(b->KlientId, ids.partner);
                b->RekvPol->Last();
                b->BitBtn1->click();
            });
            QTest::keyClick(e->DBMemo3, Qt::Key_F4);
            QCOMPARE(str("R_ACCOUNT"), QStringLiteral("40702810000000000555"));
            QCOMPARE(str("R_BANK_BIK"), QStringLiteral("044525225"));

            UiScript::OnShow<TSlBankP>([&](TSlBankP *b) {
                QCOMPARE(b->Caption(), QStringLiteral("Банки плательщика"));
                QCOMPARE(b->KlientId, ids.alfa);
                b->BitBtn2->click(); // Cancel: nothing changes
            });
            QTest::keyClick(e->DBMemo3, Qt::Key_F2);
            QCOMPARE(str("P_ACCOUNT"), QStringLiteral("40702810000000000001"));

            // A recipient without accounts: OK on the empty list keeps what was typed.
            set("Id_Pol", ids.noInn + 1000);
            UiScript::OnShow<TSlBankP>([](TSlBankP *b) {
                QVERIFY(b->RekvPol->IsEmpty());
                b->BitBtn1->click();
            });
            QTest::keyClick(e->DBMemo3, Qt::Key_F4);
            QCOMPARE(str("R_ACCOUNT"), QStringLiteral("40702810000000000555"));
            QCOMPARE(str("R_BANK_BIK"), QStringLiteral("044525225"));
            QCOMPARE(str("R_BANK_ACC"), QStringLiteral("30101810400000000225"));
            QCOMPARE(str("R_BANK"), QStringLiteral("ПАО Сбербанк"));
            set("Id_Pol", ids.partner);

            UiScript::OnShow<TSlDog>([&](TSlDog *d) {
                QCOMPARE(d->PartnerId, ids.partner);
                QVERIFY(d->Dog->Locate(QStringLiteral("Dogovor_id"), contract));
                d->BitBtn1Click();
            });
            e->SpeedButton4->click();
            QCOMPARE(Plat()->FieldByName("Dogovor_id")->AsFloat(), contract);
            QCOMPARE(e->Edit1->text(), QStringLiteral("Д-17"));
            set("SUMMA", 10.0);
            e->BitBtn1Click();
        });
        // Opened again, the box shows the contract's number; emptied, it unlinks.
        UiScript::OnShow<TSpPlat>([&](TSpPlat *f) {
            f->Plat->Last();
            UiScript::OnShow<TPlatPor>([&](TPlatPor *e) {
                QCOMPARE(e->Edit1->text(), QStringLiteral("Д-17"));
                e->Edit1->setFocus();
                e->Edit1->clear();
                e->DBMemo3->setFocus();
                QCOMPARE(Plat()->FieldByName("Dogovor_id")->AsFloat(), 0.0);
                e->BitBtn1Click();
            });
            f->SpeedButton3Click();
            f->SpeedButton6Click();
        });
        ShowModal(SpPlat);
        QCOMPARE(count("select count(*) from PlatPor where Dogovor_id = 0 and NUMBER = 2"), 1);
    }

    // The bank mark and the payment term are edited through their own controls.
    void bankMarkAndTerm() {
        App app([] { fillBooks(); });
        firstOrder([](TPlatPor *e) {
            QVERIFY(!e->CheckBox1->isChecked());
            e->CheckBox1->click();
            QVERIFY(Plat()->FieldByName("FlYes")->AsBoolean());
            set("SrokPlat", QDate(2024, 4, 1));
            e->ClearSrok->click();
            QVERIFY(Plat()->FieldByName("SrokPlat")->IsNull());
            e->BitBtn1Click();
        });
        QCOMPARE(count("select count(*) from PlatPor where FlYes = 1 and SrokPlat is null"), 1);
    }

    // F5 prints what is on the screen, saved or not; "Печать ордера" is there only when
    // the program was started with "1".
    void printsTheOrderBeingEdited() {
        App app([] { fillBooks(); });
        Previewed previews;
        firstOrder([](TPlatPor *e) {
            QVERIFY(!e->BitBtn4->isVisible());
            e->DBEdit1->setFocus();
            e->DBEdit1->selectAll();
            QTest::keyClicks(e->DBEdit1, QStringLiteral("777-70")); // still being typed
            QTest::keyClick(e->DBEdit1, Qt::Key_F5);
        });
        PlatPor->FirstArgument = QStringLiteral("1");
        firstOrder([](TPlatPor *e) { QVERIFY(e->BitBtn4->isVisible()); });
        QCOMPARE(int(previews.reports.size()), 1);
        QVERIFY(findText(previews.page(), "777-70"));
        QCOMPARE(value("select SUMMA from PlatPor").toDouble(), 100.0);
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"

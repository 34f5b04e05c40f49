// The document editor: the save as one write with the counterparty remembered in the
// reference books, leaving with Esc or the close box without losing anything, the
// completions by INN and BIK, the pickers, "Max №", the contract box, the print chooser.
#include "SalesData.h"

#include "app/UQ1.h"
#include "controls/DBCtrls.h"
#include "db/Formats.h"
#include "refbooks/USlAssort.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPrim.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace salesdata;

namespace {

struct Ids {
    double alfa = 0, berezka = 0, iva = 0, bill = 0, contract = 0;
};

// "АО Альфа" with its account; partners "Берёзка" (INN, a telephone, no address) and
// "Ива" (no INN); a bill of 2024 with one line, linked to contract "Д-1", and invoice 5.
Ids fill() {
    Ids ids;
    db::Database::Exec(QStringLiteral("update Config set Period = 'Год', ProcNDS = 20"));
    addDirectory();
    ids.alfa = addAlfa();
    ids.berezka = addBerezka();
    db::Database::Exec(QStringLiteral("update Klient set Telephon = '111-11-11' where Klient_id = ?"),
                       {ids.berezka});
    ids.iva = addKlient(QStringLiteral("Ива"), QStringLiteral("ООО \"Ива\""), QString(), QStringLiteral("F"));
    db::Database::Exec(QStringLiteral("insert into Dogovor (NumbDog) values ('Д-1')"));
    ids.contract = lastKey();
    ids.bill = addHeader({"s", ids.alfa, 0, {}, QDate(2024, 3, 1), {}, "ООО \"Берёзка\"", 100, 20, 120});
    db::Database::Exec(
        QStringLiteral("update FAKTUR_ZAG set Dogovor_id = ?, ID_POKUPAT = ? where FAKTUR_ZAG_ID = ?"),
        {ids.contract, ids.berezka, ids.bill});
    db::Database::Exec(
        QStringLiteral("insert into Faktura (ZAG_ID, NAME_TOV, KOL_VO, CENA_TOV, PROC_NDS, Summa, "
                       "SummaNds, Itogo) values (?, 'Бумага', 1, 100, 20, 100, 20, 120)"),
        {ids.bill});
    addHeader({"s", ids.alfa, 5, QDate(2024, 1, 15), {}, {}, "ООО \"Ива\"", 10, 2, 12});
    return ids;
}

TField *field(const char *name) {
    return SpRasx->SpRasx->FieldByName(QString::fromLatin1(name));
}

void set(const char *name, const QString &text) {
    SpRasx->SpRasx->Edit();
    field(name)->SetAsString(text);
}

void addLine(double kolVo, double cena) {
    TDataSet *lines = SpRasx->PosRasx;
    lines->Append();
    lines->FieldByName("KOL_VO")->SetAsFloat(kolVo);
    lines->FieldByName("CENA_TOV")->SetAsFloat(cena);
    lines->Post();
}

} // namespace

class TestEditor : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void initTestCase() { Clock::setToday(QDate(2024, 3, 20)); }

    // A save that cannot remember the buyer writes neither the lines nor the header;
    // the editor stays open and the next F10 writes all of it once, with the totals,
    // the buyer as a partner (name cut to 30 for search) and its account by the
    // directory.
    void saveIsOneWrite() {
        SalesApp app([] { fill(); });
        const int before = partners();
        edit("N30", Qt::Key_F6, [&](TSchFak *e) {
            set("NAME_POKUPAT", QStringLiteral("Общество с ограниченной ответственностью \"Ландыш\""));
            set("INN_POK", QStringLiteral("7703000003"));
            set("SCHET_POK", QStringLiteral("40702810000000000077"));
            set("MFO_POK", QStringLiteral("044030653"));
            set("BANK_POK", QStringLiteral("как в документе"));
            addLine(3, 100);
            addLine(2, 12.5);
            db::Database::Exec(QStringLiteral("create trigger busy before insert on Klient begin "
                                              "select raise(abort, 'Таблица Klient занята'); end"));
            UiScript::ExpectError();
            QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F10);
            QVERIFY(e->isVisible());
            QCOMPARE(count("select count(*) from Faktura"), 1);
            QCOMPARE(count("select count(*) from FAKTUR_ZAG where NUMB_FAKT = 6 and Summa > 0"), 0);
            db::Database::Exec(QStringLiteral("drop trigger busy"));
            // The header refused after the buyer was remembered: both go back, and the
            // document is not left tied to a partner never stored.
            db::Database::Exec(QStringLiteral("create trigger busy before update on FAKTUR_ZAG begin "
                                              "select raise(abort, 'Таблица FAKTUR_ZAG занята'); end"));
            UiScript::ExpectError();
            QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F10);
            QCOMPARE(partners(), before);
            QCOMPARE(field("ID_POKUPAT")->AsFloat(), 0.0);
            db::Database::Exec(QStringLiteral("drop trigger busy"));
            QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F10);
            QVERIFY(!e->isVisible());
        });
        QCOMPARE(partners(), before + 1);
        QCOMPARE(value("select ID_POKUPAT from FAKTUR_ZAG where NUMB_FAKT = 6"),
                 value("select Klient_id from Klient where Inn = '7703000003'"));
        QCOMPARE(value("select Name || '|' || FlSvoy from Klient where Inn = '7703000003'").toString(),
                 QStringLiteral("Общество с ограниченной ответс|F"));
        QCOMPARE(value("select NameBank from Bank where Schet = '40702810000000000077'").toString(),
                 QStringLiteral("ПАО Северо-Западный банк"));
        QCOMPARE(count("select count(*) from Faktura"), 3);
        // The plain sums of the lines: 300, 60, 360 and 25, 5, 30.
        QCOMPARE(value("select Summa || '|' || SummaNDS || '|' || Itogo from FAKTUR_ZAG where NUMB_FAKT = 6")
                     .toString(),
                 QStringLiteral("325|65|390"));
    }

    // A line whose total with VAT would pass twelve rouble digits is refused and keeps
    // none of the amounts worked out on the way; lines that add up beyond them are
    // refused at the save, which writes nothing. The new buyer's unknown BIK is warned
    // about before the save opens its transaction, so no table stays locked meanwhile.
    void amountsBeyondTwelveRoubleDigits() {
        SalesApp app([] { fill(); });
        edit("N30", Qt::Key_F6, [&](TSchFak *e) {
            set("NAME_POKUPAT", QStringLiteral("ООО \"Ландыш\""));
            SpRasx->PosRasx->Append();
            QVERIFY(typeCell(e->DBGrid1, 0, "CENA_TOV", QStringLiteral("900000000000")));
            UiScript::ExpectError(ErrorBoxText(fmt::MoneyRangeMessage(1080000000000.0)));
            QVERIFY(!typeCell(e->DBGrid1, 0, "KOL_VO", QStringLiteral("1")));
            QCOMPARE(SpRasx->PosRasx->FieldByName("Summa")->AsString(), QString());
            SpRasx->PosRasx->Cancel();
            addLine(1, 600000000000);
            addLine(1, 600000000000);
            UiScript::Answer(mrOk, QStringLiteral("Проверте БИК Вашего банка!"),
                             [] { QVERIFY(!db::Database::InTransaction()); });
            UiScript::ExpectError(ErrorBoxText(fmt::MoneyRangeMessage(1200000000000.0)));
            QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F10);
            QVERIFY(e->isVisible());
        });
        QCOMPARE(count("select count(*) from Faktura"), 1);
    }

    // A line's amounts are kept as the kopecks they show: "Сумма" 10.005 arriving whole
    // is 10.01, and the document's totals are whole kopecks (10.01 + 0.04 is 10.05, not
    // the 10.049999999999999 the two add up to in binary).
    void typedAmountsAreKeptInKopecks() {
        SalesApp app([] { fill(); });
        edit("N30", Qt::Key_F6, [&](TSchFak *e) {
            set("NAME_POKUPAT", QStringLiteral("ООО \"Ива\""));
            for (const QString &summa : {QStringLiteral("10.005"), QStringLiteral("0.04")}) {
                SpRasx->PosRasx->Append();
                const int row = SpRasx->PosRasx->RecNo();
                QVERIFY(typeCell(e->DBGrid1, row, "KOL_VO", QStringLiteral("1")));
                QVERIFY(typeCell(e->DBGrid1, row, "Summa", summa));
                SpRasx->PosRasx->Post();
            }
            UiScript::ExpectError(QStringLiteral("Проверте БИК Вашего банка!")); // a buyer without a bank
            e->BitBtn1Click();
            QVERIFY(!e->isVisible());
        });
        QCOMPARE(
            count("select count(*) from Faktura where Summa = 10.01 and CENA_TOV = 10.01 and Itogo = 12.01"),
            1);
        QCOMPARE(
            count(
                "select count(*) from FAKTUR_ZAG where Summa = 10.05 and SummaNDS = 2.01 and Itogo = 12.06"),
            1);
    }

    // A known buyer without an address gets the document's, keeping a telephone the
    // document lacks; an account already known adds nothing; without INN only an
    // organisation of the same name is the same buyer, and a new one's empty BIK is
    // warned about. A buyer typed by hand ties the document to the partner found or
    // added; a document already tied keeps its partner whatever is typed.
    void knownBuyers() {
        Ids ids;
        SalesApp app([&] { ids = fill(); });
        const int before = partners();
        const auto save = [](const QString &name, const QString &inn, const QString &schet,
                             const QString &bik) {
            edit("N30", Qt::Key_F6, [=](TSchFak *e) {
                set("NAME_POKUPAT", name);
                set("INN_POK", inn);
                set("ADRESS_POK", QStringLiteral("Тверь"));
                set("SCHET_POK", schet);
                set("MFO_POK", bik);
                e->BitBtn1Click();
                QVERIFY(!e->isVisible());
            });
        };
        save(QStringLiteral("Берёзка новая"), QStringLiteral("5000000005"),
             QStringLiteral("40702810000000000005"), QStringLiteral("044525593"));
        QCOMPARE(value("select FullName || '|' || Adress || '|' || Telephon from Klient where Klient_id = ?",
                       {ids.berezka})
                     .toString(),
                 QStringLiteral("ООО \"Берёзка\"|Тверь|111-11-11"));
        QCOMPARE(count("select count(*) from Bank where Klient_id = ?", {ids.berezka}), 1);
        save(QStringLiteral("ООО \"Ива\""), QString(), QStringLiteral("40702810000000000099"),
             QStringLiteral("044525225"));
        QCOMPARE(partners(), before);
        QCOMPARE(count("select count(*) from Bank where Klient_id = ?", {ids.iva}), 1);
        UiScript::ExpectError(QStringLiteral("Проверте БИК Вашего банка!"));
        save(QStringLiteral("ИП Соснов"), QString(), QString(), QString());
        QCOMPARE(partners(), before + 1);
        const auto tie = [](const char *buyer) {
            return value(
                "select ID_POKUPAT from FAKTUR_ZAG where NAME_POKUPAT = ? order by FAKTUR_ZAG_ID desc",
                {QString::fromUtf8(buyer)});
        };
        QCOMPARE(tie("Берёзка новая").toDouble(), ids.berezka);
        QCOMPARE(tie("ООО \"Ива\"").toDouble(), ids.iva);
        QCOMPARE(tie("ИП Соснов"), value("select Klient_id from Klient where FullName = 'ИП Соснов'"));
        edit("N5", Qt::Key_F4, [](TSchFak *e) {
            set("INN_POK", QString());
            set("NAME_POKUPAT", QStringLiteral("ИП Соснов"));
            e->BitBtn1Click();
        });
        QCOMPARE(value("select ID_POKUPAT from FAKTUR_ZAG where FAKTUR_ZAG_ID = ?", {ids.bill}).toDouble(),
                 ids.berezka);
    }

    // Esc and the close box ask whenever something would be lost: a changed header, a
    // line posted but not saved, a changed note; an unchanged document closes at once.
    void leavingLosesNothing() {
        Ids ids;
        SalesApp app([&] { ids = fill(); });
        edit("N5", Qt::Key_F4, [](TSchFak *e) {
            QVERIFY(e->DBMemo1->isVisible());
            QTest::keyClick(e->EditNUMB_SCHET, Qt::Key_Escape);
            QVERIFY(!e->isVisible());
        });
        edit("N5", Qt::Key_F4, [](TSchFak *e) {
            addLine(5, 10);
            SpRasx->PosRasx->First(); // posted by moving on
            UiScript::Answer(mrCancel, QStringLiteral("Записать документ?"));
            e->close();
            QVERIFY(e->isVisible());
            UiScript::Answer(mrNo, QStringLiteral("Записать документ?"));
            QTest::keyClick(e->DBGrid1, Qt::Key_Escape);
            QVERIFY(!e->isVisible());
        });
        QCOMPARE(count("select count(*) from Faktura where ZAG_ID = ?", {ids.bill}), 1);
        // A remark for the note: asked about, saved with the bill.
        db::Database::Exec(
            QStringLiteral("insert into PrimSch (Zag_id, Primech) values (999, 'Оплата в 3 дня')"));
        edit("N5", Qt::Key_F4, [](TSchFak *e) {
            UiScript::OnShow<TSlPrim>([](TSlPrim *p) { p->BitBtn1->click(); });
            e->SpeedButton11Click();
            UiScript::Answer(mrYes, QStringLiteral("Записать документ?"));
            // The bill names its buyer without INN or BIK: a partner of its own.
            UiScript::ExpectError(QStringLiteral("Проверте БИК Вашего банка!"));
            QTest::keyClick(e->EditNUMB_SCHET, Qt::Key_Escape);
            QVERIFY(!e->isVisible());
        });
        QCOMPARE(value("select Primech from PrimSch where Zag_id = ?", {ids.bill}).toString(),
                 QStringLiteral("Оплата в 3 дня"));
        // Yes with no buyer: refused, the editor stays.
        edit("N5", Qt::Key_F4, [](TSchFak *e) {
            set("NAME_POKUPAT", QString());
            UiScript::Answer(mrYes, QStringLiteral("Записать документ?"));
            UiScript::ExpectError(QStringLiteral("Не заполнено название покупателя"));
            QTest::keyClick(e->EditNUMB_SCHET, Qt::Key_Escape);
            QVERIFY(e->isVisible());
        });
    }

    // Ctrl+Delete on a line begun and not yet left asks as on a stored line; No keeps it.
    void deletingANewLineAsks() {
        SalesApp app([] { fill(); });
        edit("N5", Qt::Key_F4, [](TSchFak *e) {
            e->DBGrid1->setFocus();
            QTest::keyClick(e->DBGrid1, Qt::Key_Down); // after the last line, a new one
            QVERIFY(typeCell(e->DBGrid1, 1, "NAME_TOV", QStringLiteral("Скрепки")));
            UiScript::Answer(mrNo, QStringLiteral("Удалить запись?"));
            QTest::keyClick(e->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
            QCOMPARE(SpRasx->PosRasx->FieldByName("NAME_TOV")->AsString(), QStringLiteral("Скрепки"));
        });
    }

    // INN and BIK boxes, the pickers, "Max №", the units, the contract box, F5.
    void completionsAndPickers() {
        Ids ids;
        SalesApp app([&] { ids = fill(); });
        edit("N5", Qt::Key_F4, [](TSchFak *e) {
            QCOMPARE(e->Edit1->text(), QStringLiteral("Д-1"));
            QVERIFY(e->MaxN->isVisible()); // a bill without an invoice number
            // The number window is the one the editor was opened with, whatever the
            // register has moved to since.
            SpRasx->KliId = 999;
            SpRasx->datis->SetDate(QDate(2030, 1, 1));
            e->MaxNClick();
            QCOMPARE(e->EditNUMB_FAKT->text(), QStringLiteral("6"));
            QCOMPARE(e->EditDATE_FAKT->text(), QStringLiteral("30.03.2024")); // the register's period end
            e->Izm->actions().at(4)->trigger();
            QCOMPARE(SpRasx->PosRasx->FieldByName("ED_IZM")->AsString(), QStringLiteral("кг"));
            // F5: the chooser, its sales-tax box only for a document with the tax.
            UiScript::OnShow<TQ_pri>([](TQ_pri *q) {
                QVERIFY(!q->CheckBox1->isVisibleTo(q));
                q->BitBtn3->click();
            });
            QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F5);
        });
        edit("N30", Qt::Key_F6, [](TSchFak *e) {
            QVERIFY(e->Edit1->text().isEmpty());
            QVERIFY(!e->MaxN->isVisible());
            e->SpeedButton2Click(); // a buyer typed by hand has no accounts to pick
            // An empty INN names nobody, not the partner "Ива" that has none.
            typeAndLeave(e->EditINN_POK, QString(), e->EditNAME_POKUPAT);
            QVERIFY(e->EditNAME_POKUPAT->toPlainText().isEmpty());
            typeAndLeave(e->EditINN_POK, QStringLiteral("5000000005"), e->EditNAME_POKUPAT);
            QCOMPARE(e->EditNAME_POKUPAT->toPlainText(), QStringLiteral("ООО \"Берёзка\""));
            QCOMPARE(e->EditSCHET_POK->text(), QStringLiteral("40702810000000000005"));
            typeAndLeave(e->EditINN_POK, QStringLiteral("7701000001"), e->EditNAME_POKUPAT);
            QCOMPARE(e->EditNAME_POKUPAT->toPlainText(), QStringLiteral("ООО \"Берёзка\"")); // named already
            UiScript::ExpectError(QStringLiteral("Проверте БИК банка!"));
            typeAndLeave(e->EditMFO_POK, QStringLiteral("999999999"), e->EditSCHET_POK);
            QCOMPARE(e->EditKSCHET_POK->text(), QStringLiteral("30101810200000000593"));
            // F2 in the INN box: a goods name, on a document without lines a new line.
            UiScript::OnShow<TSlAssort>([](TSlAssort *p) { p->BitBtn1->click(); });
            QTest::keyClick(e->EditINN_POK, Qt::Key_F2);
            TDataSet *line = SpRasx->PosRasx;
            QCOMPARE(QStringList({line->FieldByName("NAME_TOV")->AsString(),
                                  line->FieldByName("PROC_NDS")->AsString(),
                                  line->FieldByName("Strana")->AsString()}),
                     QStringList({"Бумага", "20", "Россия"}));
            UiScript::Answer(mrNo, QStringLiteral("Записать документ?"));
            QTest::keyClick(e->EditINN_POK, Qt::Key_Escape);
        });
        QCOMPARE(count("select count(*) from FAKTUR_ZAG"), 2);
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"

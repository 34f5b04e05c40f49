// The document register as the bookkeeper uses it: its four modes, the name filter
// and sorting, yearly invoice numbering, new documents found by their key whatever the
// filter, commands on an empty register, deletion, and the payments of a document.
#include "SalesData.h"

#include "controls/DBCtrls.h"
#include "refbooks/USlPoluch.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace salesdata;

namespace {

struct Ids {
    double alfa = 0, romashka = 0, berezka = 0, h1 = 0, h2 = 0;
};

// "АО Альфа" (the current organisation) issued invoices 7 (also a bill) and 3 (also a
// waybill) in 2024 and received 40; "ООО Ромашка" issued 90.
Ids fill() {
    Ids ids;
    db::Database::Exec(QStringLiteral("update Config set Period = 'Год', ProcNDS = 20"));
    ids.alfa = addAlfa();
    ids.romashka = addKlient(QStringLiteral("ООО Ромашка"), QStringLiteral("ООО \"Ромашка\""),
                             QStringLiteral("7702000002"), QStringLiteral("T"));
    ids.berezka = addBerezka();
    ids.h1 = addHeader(
        {"s", ids.alfa, 7, QDate(2024, 3, 1), QDate(2024, 2, 28), {}, "ООО \"Берёзка\"", 1000, 200, 1200});
    ids.h2 = addHeader(
        {"s", ids.alfa, 3, QDate(2024, 2, 1), {}, QDate(2024, 2, 2), "Рощинка ООО", 5000, 1000, 6000});
    addHeader({"b", ids.alfa, 40, QDate(2024, 1, 10), {}, {}, "ООО \"Поставщик\"", 10, 2, 12});
    addHeader({"s", ids.romashka, 90, QDate(2024, 1, 10), {}, {}, "ООО \"Берёзка\"", 10, 2, 12});
    db::Database::Exec(QStringLiteral("insert into Faktura (ZAG_ID, NAME_TOV) values (?, 'Бумага')"),
                       {ids.h1});
    db::Database::Exec(QStringLiteral("insert into Oplata (Faktur_zag_id, SummaOpl) values (?, 100)"),
                       {ids.h1});
    return ids;
}

// The register shown by a menu command, driven by `steps`, then closed.
template <class Steps> void inRegister(const char *item, Steps steps) {
    UiScript::OnShow<TSpRasx>([steps](TSpRasx *f) {
        steps(f);
        f->SpeedButton7Click();
    });
    LogoAppForm->MenuItem(QString::fromLatin1(item))->trigger();
}

// Every header as stored, one text per row.
QStringList headers() {
    TQuery q;
    q.SetSQLText(QStringLiteral("select * from FAKTUR_ZAG order by FAKTUR_ZAG_ID"));
    q.Open();
    QStringList rows;
    for (; !q.Eof(); q.Next()) {
        QStringList row;
        for (int i = 0; i < q.FieldCount(); ++i)
            row << q.Fields(i)->AsString();
        rows << row.join('|');
    }
    return rows;
}

QString header(const char *field) {
    return SpRasx->SpRasx->FieldByName(QString::fromLatin1(field))->AsString();
}

} // namespace

class TestRegister : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    // Each mode lists the headers carrying its date, of its direction and of the current
    // organisation, numbered and dated by its kind; the name pattern and the sorting.
    void fourModes() {
        Clock::setToday(QDate(2024, 3, 20));
        SalesApp app([] {
            db::Database::Exec(
                QStringLiteral("update FAKTUR_ZAG set NUMB_SCHET = 'Б-17' where FAKTUR_ZAG_ID = ?"),
                {fill().h1});
        });
        inRegister("N30", [](TSpRasx *f) {
            QCOMPARE(f->Caption(), QStringLiteral("Счета-Фактуры"));
            QCOMPARE(f->datvx->Date(), QDate(2024, 1, 1));
            QCOMPARE(f->datis->Date(), QDate(2024, 3, 30));
            QCOMPARE(f->Edit2->text(), QStringLiteral("АО \"Альфа\""));
            QCOMPARE(column(f->SpRasx, "NumbF"), QStringList({"3", "7"}));
            f->DBGrid1TitleClick(3); // by the total with VAT
            QCOMPARE(column(f->SpRasx, "NumbF"), QStringList({"7", "3"}));
            f->Edit1->setText(QStringLiteral("Ро*ка?"));
            QTest::keyClick(f->Edit1, Qt::Key_F7);
            QCOMPARE(f->SpRasx->ParamByName("NAME")->AsString(), QStringLiteral("Ро%ка_%"));
            QCOMPARE(column(f->SpRasx, "NAME_POKUPAT"), QStringList({"Рощинка ООО"}));
        });
        inRegister("N5", [](TSpRasx *f) {
            QCOMPARE(f->DBGrid1->Columns(0)->FieldName(), QStringLiteral("Numb_Schet"));
            QCOMPARE(f->Label3->text(), QStringLiteral("Покупатель"));
            QCOMPARE(column(f->SpRasx, "DATE_SCHET"), QStringList({"28.02.2024"}));
            // The question names the bill by its own number; the lines and the payments
            // of the deleted header stay.
            UiScript::Answer(mrYes, QStringLiteral("Удалить счет № Б-17 ?"));
            QTest::keyClick(f->DBGrid1, Qt::Key_F8);
            QVERIFY(f->SpRasx->IsEmpty());
        });
        QCOMPARE(count("select count(*) from FAKTUR_ZAG where NUMB_FAKT = 7"), 0);
        QCOMPARE(count("select count(*) from Faktura") + count("select count(*) from Oplata"), 2);
        inRegister("N31", [](TSpRasx *f) { QCOMPARE(column(f->SpRasx, "NUMB_TTN").size(), 1); });
        inRegister("N3", [](TSpRasx *f) {
            QCOMPARE(f->Label3->text(), QStringLiteral("Поставщик"));
            QCOMPARE(column(f->SpRasx, "NumbF"), QStringList({"40"}));
        });
        QVERIFY(SpRasx->SpRasx->SQL().join(' ').contains("DATE_FAKT>= :datv"));
    }

    // A new invoice is numbered in the year of its own date by the organisation's and
    // direction's invoices only, and is edited even where the filter does not list it;
    // leaving it deletes it by its key and no other header changes.
    void newDocuments() {
        Clock::setToday(QDate(2024, 3, 20));
        Ids ids;
        SalesApp app([&] { ids = fill(); });
        const QStringList stored = headers();
        UiScript::OnShow<TSchFak>([](TSchFak *e) {
            QCOMPARE(e->EditNUMB_FAKT->text(), QStringLiteral("8"));
            QCOMPARE(header("NAME_POST"), QStringLiteral("АО \"Альфа\""));
            QCOMPARE(header("SCHET_POST"), QStringLiteral("40702810000000000001"));
            QVERIFY(e->IsNewDoc);
            e->SpeedButton9->click();
        });
        inRegister("N30", [](TSpRasx *f) { QTest::keyClick(f->DBGrid1, Qt::Key_F6); });
        QCOMPARE(headers(), stored);

        // 25 December with the period of a year: the register shows next year's
        // documents, the invoice is still numbered and dated in this one.
        Clock::setToday(QDate(2024, 12, 25));
        UiScript::OnShow<TSchFak>([](TSchFak *e) {
            QCOMPARE(e->EditNUMB_FAKT->text(), QStringLiteral("8"));
            QCOMPARE(e->EditDATE_FAKT->text(), QStringLiteral("25.12.2024"));
            UiScript::Answer(mrNo, QStringLiteral("Записать документ?"));
            QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_Escape);
        });
        inRegister("N30", [](TSpRasx *f) {
            QCOMPARE(f->datvx->Date(), QDate(2025, 1, 1));
            QTest::keyClick(f->DBGrid1, Qt::Key_F6);
            QVERIFY(f->SpRasx->IsEmpty());
        });
        QCOMPARE(headers(), stored);

        // A period of one day lists nothing of today's; a picked buyer is copied in
        // even after another name was typed; an own organisation gone leaves its block
        // empty.
        db::Database::Exec(QStringLiteral("update Config set Period = 'День'"));
        UiScript::OnShow<TSchFak>([&](TSchFak *e) {
            QCOMPARE(header("NAME_POKUPAT"), QStringLiteral("ООО \"Берёзка\""));
            QCOMPARE(header("SCHET_POK"), QStringLiteral("40702810000000000005"));
            QCOMPARE(header("NAME_POST"), QString());
            QCOMPARE(SpRasx->SpRasx->FieldByName("ID_POST")->AsFloat(), 999.0);
            e->close(); // the close box: a new document asks too
        });
        inRegister("N5", [&](TSpRasx *f) {
            choosePartner(ids.berezka);
            f->SpeedButton2Click();
            f->Edit1->setText(QStringLiteral("Другой"));
            f->KliId = 999;
            UiScript::Answer(mrNo, QStringLiteral("Записать документ?"));
            QTest::keyClick(f->DBGrid1, Qt::Key_F6);
        });
        QCOMPARE(headers(), stored);

        // Saved, a document the period does not take goes from the list.
        UiScript::OnShow<TSchFak>([](TSchFak *e) {
            e->EditNAME_POKUPAT->setFocus();
            e->EditNAME_POKUPAT->setPlainText(QStringLiteral("ООО \"Новая\""));  // typed, not left
            UiScript::ExpectError(QStringLiteral("Проверте БИК Вашего банка!")); // a new buyer without BIK
            QTest::keyClick(e->EditNAME_POKUPAT, Qt::Key_F10);
            QVERIFY(!e->isVisible());
        });
        inRegister("N30", [](TSpRasx *f) {
            QTest::keyClick(f->DBGrid1, Qt::Key_F6);
            QVERIFY(f->SpRasx->IsEmpty());
        });
        QCOMPARE(headers().size(), stored.size() + 1);
    }

    // F3, F4 and F8 on an empty register show nothing and store nothing.
    void emptyRegister() {
        SalesApp app;
        inRegister("N30", [](TSpRasx *f) {
            QVERIFY(f->SpRasx->IsEmpty());
            for (int key : {Qt::Key_F3, Qt::Key_F4, Qt::Key_F8, Qt::Key_F5, Qt::Key_F9})
                QTest::keyClick(f->DBGrid1, Qt::Key(key));
        });
        QCOMPARE(UiScript::FormsShown(), QStringList({"TSpRasx"}));
        QCOMPARE(count("select count(*) from FAKTUR_ZAG"), 0);
    }

    // A fresh data folder has no own organisation: F6 in each of the four modes says so
    // and stores nothing, since no register would list a document of none.
    void noDocumentWithoutAnOwnOrganisation() {
        SalesApp app;
        for (const char *item : {"N3", "N5", "N30", "N31"})
            inRegister(item, [](TSpRasx *f) {
                UiScript::Answer(mrOk, QStringLiteral("Не выбрана своя организация"));
                QTest::keyClick(f->DBGrid1, Qt::Key_F6);
                QVERIFY(f->SpRasx->IsEmpty());
            });
        QVERIFY(!UiScript::FormsShown().contains(QStringLiteral("TSchFak")));
        QCOMPARE(count("select count(*) from FAKTUR_ZAG"), 0);
    }

    // The VAT in a payment follows the document's ratio; "Выход" stores the payments
    // and their total in the register's column; Cancel drops them.
    void payments() {
        Clock::setToday(QDate(2024, 3, 20));
        Ids ids;
        SalesApp app([&] { ids = fill(); });
        inRegister("N30", [&](TSpRasx *f) {
            QVERIFY(f->SpRasx->Locate("FAKTUR_ZAG_ID", ids.h1)); // 1000 and VAT 200
            UiScript::OnShow<TOplataF>([](TOplataF *p) {
                QCOMPARE(column(p->Oplata, "SummaOpl"), QStringList({"100-00"}));
                p->Oplata->Edit();
                p->Oplata->FieldByName("SummaOpl")->SetAsFloat(600);
                QCOMPARE(p->Oplata->FieldByName("SummaNds")->AsFloat(), 100.0);
                p->Oplata->FieldByName("SummaOpl")->SetAsFloat(300);
                p->Oplata->Append();
                p->Oplata->FieldByName("SummaOpl")->SetAsFloat(200.5);
                p->BitBtn1->click();
            });
            QTest::keyClick(f->DBGrid1, Qt::Key_F3);
            QCOMPARE(f->SpRasx->FieldByName("SummaOpl")->DisplayText(), QStringLiteral("500-50"));
            UiScript::OnShow<TOplataF>([](TOplataF *p) {
                p->Oplata->First();
                p->Oplata->Delete();
                p->BitBtn2->click();
            });
            QTest::keyClick(f->DBGrid1, Qt::Key_F3);
            QCOMPARE(count("select count(*) from Oplata"), 2);
            // All deleted: nothing paid. A document without an amount: no VAT share.
            UiScript::OnShow<TOplataF>([](TOplataF *p) {
                while (!p->Oplata->IsEmpty())
                    p->Oplata->Delete();
                p->BitBtn1->click();
            });
            QTest::keyClick(f->DBGrid1, Qt::Key_F3);
            QCOMPARE(f->SpRasx->FieldByName("SummaOpl")->AsFloat(), 0.0);
            db::Database::Exec(QStringLiteral("update FAKTUR_ZAG set Summa = 0 where FAKTUR_ZAG_ID = ?"),
                               {ids.h2});
            f->BitBtn1Click();
            QVERIFY(f->SpRasx->Locate("FAKTUR_ZAG_ID", ids.h2));
            // Amounts typed are kept in kopecks (10.005 is 10.01), and their total too:
            // 10.01 + 0.04 is 10.05, not the 10.049999999999999 of binary adding.
            UiScript::OnShow<TOplataF>([](TOplataF *p) {
                for (const QString &paid : {QStringLiteral("10.005"), QStringLiteral("0.04")}) {
                    p->Oplata->Append();
                    p->Oplata->FieldByName("SummaOpl")->SetText(paid);
                    QCOMPARE(p->Oplata->FieldByName("SummaNds")->AsFloat(), 0.0);
                }
                p->BitBtn1->click();
            });
            QTest::keyClick(f->DBGrid1, Qt::Key_F3);
        });
        QCOMPARE(count("select count(*) from Oplata where SummaOpl = 10.01"), 1);
        QCOMPARE(
            count("select count(*) from FAKTUR_ZAG where SummaOpl = 10.05 and FAKTUR_ZAG_ID = ?", {ids.h2}),
            1);
    }
};

QTEST_MAIN(TestRegister)
#include "tst_register.moc"

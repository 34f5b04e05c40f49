// The register of payment orders as the bookkeeper uses it: the orders of the current
// own organisation over the default period, the filters, sorting, yearly numbering,
// add, copy, delete and the printed list.
#include "PageText.h"
#include "PayData.h"

#include "controls/CurrEdit.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "db/Formats.h"
#include "payorders/UPlatPor.h"
#include "payorders/USpPlat.h"
#include "refbooks/USlPoluch.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace paydata;

namespace {

struct Ids {
    double alfa = 0, romashka = 0, partner = 0, other = 0;
};

// Two own organisations: "АО Альфа" sorts first and is the current one. Alfa pays
// orders 1..3 in 2024 and 7 in 2023; Romashka pays 5 in 2024.
Ids fillTwoPayers() {
    Ids ids;
    db::Database::Exec(QStringLiteral("update Config set Period = 'Год'"));
    ids.romashka = addKlient(QStringLiteral("ООО Ромашка"), QStringLiteral("ООО \"Ромашка\""),
                             QStringLiteral("7702000002"), QStringLiteral("T"));
    ids.alfa = addKlient(QStringLiteral("АО Альфа"), QStringLiteral("Акционерное общество \"Альфа\""),
                         QStringLiteral("7701000001"), QStringLiteral("T"));
    addAccount(ids.alfa, QStringLiteral("ПАО Сбербанк"), QStringLiteral("40702810000000000001"),
               QStringLiteral("30101810400000000225"), QStringLiteral("044525225"));
    addAccount(ids.alfa, QStringLiteral("АО Альфа-Банк г.Москва"), QStringLiteral("40702810000000000002"),
               QStringLiteral("30101810200000000593"), QStringLiteral("044525593"));
    ids.partner = addKlient(QStringLiteral("Берёзка"), QStringLiteral("ООО \"Берёзка\""),
                            QStringLiteral("5000000005"), QStringLiteral("F"));
    addAccount(ids.partner, QStringLiteral("ПАО Северо-Западный банк\r\nСанкт-Петербург"),
               QStringLiteral("40702810000000000005"), QStringLiteral("30101810500000000653"),
               QStringLiteral("044030653"));
    ids.other =
        addKlient(QStringLiteral("Ива"), QStringLiteral("ООО \"Ива\""), QString(), QStringLiteral("F"));
    addOrder({1, QDate(2024, 1, 15), ids.alfa, QStringLiteral("ООО \"Берёзка\""), 100, {}, {}});
    addOrder({2, QDate(2024, 2, 10), ids.alfa, QStringLiteral("ООО \"Ива\""), 2500.5, {}, {}});
    addOrder({3, QDate(2024, 3, 1), ids.alfa, QStringLiteral("ООО \"Берёзка\""), 40, QStringLiteral("б"),
              QStringLiteral("ПАО Сбербанк\r\nг. Москва")});
    addOrder({7, QDate(2023, 12, 28), ids.alfa, QStringLiteral("ООО \"Берёзка\""), 10, {}, {}});
    addOrder({5, QDate(2024, 2, 1), ids.romashka, QStringLiteral("ООО \"Берёзка\""), 55, {}, {}});
    return ids;
}

// Shows the register and runs `steps` in it; F10 closes it afterwards.
template <class Steps> void inRegister(Steps steps) {
    UiScript::OnShow<TSpPlat>([steps](TSpPlat *f) {
        steps(f);
        if (f->isVisible()) f->SpeedButton6Click();
    });
    ShowModal(SpPlat);
}

// Today is 25 December 2024 while it lives, 20 March again after.
struct Christmas {
    Christmas() { Clock::setToday(QDate(2024, 12, 25)); }
    ~Christmas() { Clock::setToday(QDate(2024, 3, 20)); }
};

} // namespace

class TestRegister : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void initTestCase() { Clock::setToday(QDate(2024, 3, 20)); }

    // The current own organisation's orders from 1 January to ten days ahead, on the
    // last row; the payer picker lists another organisation's.
    void showsTheCurrentPayersOrders() {
        Ids ids;
        App app([&] { ids = fillTwoPayers(); });
        QVERIFY(app.Started());
        inRegister([&](TSpPlat *f) {
            QCOMPARE(f->DatV->Date(), QDate(2024, 1, 1));
            QCOMPARE(f->DatI->Date(), QDate(2024, 3, 30));
            QCOMPARE(f->Edit1->text(), QStringLiteral("Акционерное общество \"Альфа\""));
            QCOMPARE(f->KliId, ids.alfa);
            QCOMPARE(f->Plat->FieldByName("NumbPl")->AsString(), QStringLiteral("3/б"));
            QCOMPARE(column(f->Plat, "NumbPl"), (QStringList{"1", "2", "3/б"}));
            QVERIFY(LogoAppForm->Table2->Active());
            QCOMPARE(LogoAppForm->Table2->IndexFieldNames(), QStringLiteral("Dogovor_id"));

            choosePartner(ids.romashka);
            f->SpeedButton1Click();
            QCOMPARE(SlPoluch->Caption(), QStringLiteral("Плательщики"));
            QCOMPARE(f->Edit1->text(), QStringLiteral("ООО \"Ромашка\""));
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"5"}));
            // Cancel in the picker changes nothing.
            UiScript::OnShow<TSlPoluch>([](TSlPoluch *p) { p->BitBtn2->click(); });
            f->SpeedButton1Click();
            QCOMPARE(f->KliId, ids.romashka);
        });
        QVERIFY(!SpPlat->Plat->Active());
        QVERIFY(!LogoAppForm->Table2->Active());
        QVERIFY(LogoAppForm->Table2->IndexFieldNames().isEmpty());
    }

    // Calculated columns: the first line of the banks and the name, the number with its
    // suffix, the bank mark.
    void calculatedColumns() {
        App app([] { fillTwoPayers(); });
        inRegister([](TSpPlat *f) {
            f->Plat->Last();
            QCOMPARE(f->Plat->FieldByName("RBank")->AsString(), QStringLiteral("ПАО Сбербанк"));
            QCOMPARE(f->Plat->FieldByName("FlSost")->AsString(), QStringLiteral("Непрошло"));
            QCOMPARE(f->Plat->FieldByName("SUMMA")->DisplayText(), QStringLiteral("40-00"));
            f->Plat->First();
            QCOMPARE(f->Plat->FieldByName("SUMMA")->DisplayText(), QStringLiteral("100-00"));
        });
    }

    // Shown on 25 December with the period "Год": the period is the next year's first
    // days, so this year's orders are not listed.
    void periodAcrossNewYear() {
        App app([] { fillTwoPayers(); });
        Christmas day;
        inRegister([](TSpPlat *f) {
            QCOMPARE(f->DatV->Date(), QDate(2025, 1, 1));
            QCOMPARE(f->DatI->Date(), QDate(2025, 1, 4));
            QVERIFY(f->Plat->IsEmpty());
        });
    }

    // An order is numbered within the year of its own date. On 25 December the period
    // already ends next year, yet new orders go on from this year's highest number
    // instead of each getting the same one.
    void numberWithinTheOrdersOwnYear() {
        App app([] { fillTwoPayers(); });
        Christmas day;
        inRegister([](TSpPlat *f) {
            QCOMPARE(f->NextNumber(QDate(2023, 6, 1)), 8.0);
            QCOMPARE(f->NextNumber(QDate(2025, 1, 1)), 1.0);
            for (const double expected : {4.0, 5.0}) {
                UiScript::OnShow<TPlatPor>([expected](TPlatPor *e) {
                    QCOMPARE(SpPlat->PlatNUMBER->AsFloat(), expected);
                    SpPlat->PlatR_NAME->SetAsString(QStringLiteral("ООО \"Ива\""));
                    SpPlat->PlatSUMMA->SetAsFloat(10);
                    e->BitBtn1Click();
                });
                QTest::keyClick(f->SortGrid1, Qt::Key_F6);
            }
        });
        QCOMPARE(count("select count(*) from PlatPor where DATE_PLAT = '2024-12-25'"), 2);
    }

    // F4 and F7 on an empty list open no editor and store nothing.
    void emptyRegisterOpensAndCopiesNothing() {
        App app([] { fillTwoPayers(); });
        inRegister([](TSpPlat *f) {
            f->Edit2->setText(QStringLiteral("нет такого"));
            f->SpeedButton2Click();
            QTest::keyClick(f->SortGrid1, Qt::Key_F4);
            QTest::keyClick(f->SortGrid1, Qt::Key_F7);
            emit f->SortGrid1->dblClick();
        });
        QVERIFY(!UiScript::FormsShown().contains(QStringLiteral("TPlatPor")));
        QCOMPARE(count("select count(*) from PlatPor"), 5);
    }

    // Without an own organisation F6 and F7 add nothing: no register would list an
    // order of no payer. An order stored so before stays as it was.
    void noOrderWithoutAnOwnOrganisation() {
        App app([] {
            fillTwoPayers();
            db::Database::Exec(QStringLiteral("update Klient set FlSvoy = 'F'"));
            db::Database::Exec(QStringLiteral("update PlatPor set Id_Post = 0 where NUMBER = 2"));
        });
        inRegister([](TSpPlat *f) {
            QCOMPARE(column(f->Plat, "NUMBER"), QStringList{"2"});
            for (const Qt::Key key : {Qt::Key_F6, Qt::Key_F7}) {
                UiScript::Answer(mrOk, QStringLiteral("Не выбрана своя организация"));
                QTest::keyClick(f->SortGrid1, key);
            }
            QCOMPARE(f->Plat->RecordCount(), 1);
        });
        QVERIFY(!UiScript::FormsShown().contains(QStringLiteral("TPlatPor")));
        QCOMPARE(count("select count(*) from PlatPor"), 5);
    }

    void filters() {
        Ids ids;
        App app([&] {
            ids = fillTwoPayers();
            addOrder({4, QDate(2024, 3, 2), ids.alfa, QString(), 70, {}, {}}); // no recipient
            addOrder({6, QDate(2024, 3, 3), ids.alfa, QStringLiteral("ООО \"Ива\""), -5, {}, {}});
            addOrder({8, QDate(2024, 3, 4), ids.alfa, QStringLiteral("ООО \"Ива\""), 0, {}, {}});
            addOrder({9, QDate(2024, 3, 5), ids.alfa, QStringLiteral("ООО \"Ива\""), 1234567890.12, {}, {}});
        });
        inRegister([&](TSpPlat *f) {
            // An empty upper bound is no bound, so a sum above a milliard is listed; an
            // order without a recipient or with a negative amount is not, a zero one is.
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"1", "2", "3", "8", "9"}));
            f->SumMn->SetValue(50);
            f->SumMx->SetValue(2500.5);
            f->SpeedButton2Click();
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"1", "2"}));
            f->SumMn->SetValue(0);
            f->SumMx->SetValue(0);
            // "*" is any text, "?" any one letter; a pattern matches from the start.
            f->Edit2->setText(QStringLiteral("ООО \"Бер*"));
            f->SpeedButton2Click();
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"1", "3"}));
            f->Edit2->setText(QStringLiteral("ООО \"?ва"));
            f->SpeedButton2Click();
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"2", "8", "9"}));
            f->Edit2->setText(QStringLiteral("Ива"));
            f->SpeedButton2Click();
            QVERIFY(f->Plat->IsEmpty());
            // The recipient picker fills the pattern and keeps the recipient for new orders.
            choosePartner(ids.partner);
            f->SpeedButton9Click();
            QCOMPARE(SlPoluch->Caption(), QStringLiteral("Получатели"));
            QCOMPARE(f->RecipId, ids.partner);
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"1", "3"}));
        });
        // The amount bounds stay for the next showing; the recipient does not.
        inRegister([](TSpPlat *f) {
            QVERIFY(f->Edit2->text().isEmpty());
            QCOMPARE(f->RecipId, 0.0);
        });
    }

    void sortingByAColumnTitle() {
        App app([] { fillTwoPayers(); });
        inRegister([](TSpPlat *f) {
            emit f->SortGrid1->titleClick(4); // "Сумма"
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"3", "1", "2"}));
            QCOMPARE(f->Plat->SQL().last(), QStringLiteral("order by Summa"));
            QVERIFY(f->SortGrid1->Columns(4)->TitleColor() != f->SortGrid1->Columns(0)->TitleColor());
            f->SpeedButton2Click(); // a later filter keeps the order
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"3", "1", "2"}));
            emit f->SortGrid1->titleClick(6); // "Примечание" does not sort
            QCOMPARE(f->Plat->SQL().last(), QStringLiteral("order by Summa"));
            emit f->SortGrid1->titleClick(0);
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"1", "2", "3"}));
        });
    }

    // F6: the next number, the payer's requisites and last account, the chosen
    // recipient's, today's date; the editor decides, and the list is read again.
    void addAnOrder() {
        Ids ids;
        App app([&] { ids = fillTwoPayers(); });
        inRegister([&](TSpPlat *f) {
            choosePartner(ids.partner);
            f->SpeedButton9Click();
            UiScript::OnShow<TPlatPor>([&](TPlatPor *e) {
                TDataSet *p = SpPlat->Plat;
                QCOMPARE(p->State(), TDataSetState::dsInsert);
                QCOMPARE(p->FieldByName("NUMBER")->AsFloat(), 4.0);
                QCOMPARE(p->FieldByName("VID_PAY")->AsString(), QStringLiteral("01"));
                QCOMPARE(p->FieldByName("DATE_PLAT")->AsDate(), QDate(2024, 3, 20));
                QCOMPARE(p->FieldByName("Id_Post")->AsFloat(), ids.alfa);
                QCOMPARE(p->FieldByName("P_NAME")->AsString(),
                         QStringLiteral("Акционерное общество \"Альфа\""));
                QCOMPARE(p->FieldByName("P_Inn")->AsString(), QStringLiteral("7701000001"));
                QCOMPARE(p->FieldByName("P_ACCOUNT")->AsString(), QStringLiteral("40702810000000000002"));
                QCOMPARE(p->FieldByName("P_BANK_BIK")->AsString(), QStringLiteral("044525593"));
                QCOMPARE(p->FieldByName("Id_Pol")->AsFloat(), ids.partner);
                QCOMPARE(p->FieldByName("R_NAME")->AsString(), QStringLiteral("ООО \"Берёзка\""));
                QCOMPARE(p->FieldByName("R_BANK")->AsString(),
                         QStringLiteral("ПАО Северо-Западный банк\r\nСанкт-Петербург"));
                QCOMPARE(p->FieldByName("R_BANK_ACC")->AsString(), QStringLiteral("30101810500000000653"));
                p->FieldByName("SUMMA")->SetAsFloat(300);
                e->BitBtn1Click();
            });
            QTest::keyClick(f->SortGrid1, Qt::Key_F6);
            // Read again with the recipient's filter the picker set, on the new order.
            QCOMPARE(f->Plat->RecNo(), 2);
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"1", "3", "4"}));
            // Discarded in the editor: nothing is added.
            UiScript::OnShow<TPlatPor>([](TPlatPor *e) { e->BitBtn2Click(); });
            f->SpeedButton4Click();
            QCOMPARE(f->Plat->RecordCount(), 3);
        });
        QCOMPARE(count("select count(*) from PlatPor where NUMBER = 4 and SUMMA = 300"), 1);
    }

    // A payer that is no longer an own organisation and a recipient that is no longer
    // a partner leave their blocks empty instead of taking another's requisites.
    void addWithAPayerAndRecipientNoLongerThere() {
        Ids ids;
        App app([&] { ids = fillTwoPayers(); });
        inRegister([&](TSpPlat *f) {
            f->RecipId = ids.partner;
            db::Database::Exec(QStringLiteral("update Klient set FlSvoy = 'X' where Klient_id in (?, ?)"),
                               {ids.alfa, ids.partner});
            UiScript::OnShow<TPlatPor>([&](TPlatPor *e) {
                TDataSet *p = SpPlat->Plat;
                for (const char *field : {"P_NAME", "P_Inn", "P_ACCOUNT", "P_BANK", "R_NAME", "R_Inn",
                                          "R_ACCOUNT", "R_BANK", "R_BANK_BIK"})
                    QVERIFY2(p->FieldByName(field)->AsString().isEmpty(), field);
                QCOMPARE(p->FieldByName("Id_Pol")->AsFloat(), 0.0);
                QCOMPARE(p->FieldByName("Id_Post")->AsFloat(), ids.alfa);
                e->BitBtn2Click();
            });
            f->SpeedButton4Click();
        });
    }

    // F7: payer, recipient, codes, remark and amount carried over; dated at the end of
    // the period with the same payment term; the next number; nothing else.
    void copyAnOrder() {
        Ids ids;
        App app([&] {
            ids = fillTwoPayers();
            db::Database::Exec(
                QStringLiteral(
                    "update PlatPor set TYPE_PAY = 'почтой', NAZ_PAY = '1', CODE = 'К', REMARK = 'Аванс', "
                    "Dogovor_id = 9, OcherPlat = '5', ResPole = 'Р', FlYes = 1, NumbChP = '1', DatPlD = "
                    "'2024-01-01', "
                    "P_NAME = 'Альфа', R_Inn = '5000000005', Id_Pol = ? where NUMBER = 2"),
                {ids.partner});
        });
        inRegister([&](TSpPlat *f) {
            QVERIFY(f->Plat->Locate("NUMBER", 2.0));
            UiScript::OnShow<TPlatPor>([&](TPlatPor *e) {
                TDataSet *p = SpPlat->Plat;
                QCOMPARE(p->FieldByName("NUMBER")->AsFloat(), 4.0);
                QCOMPARE(p->FieldByName("DATE_PLAT")->AsDate(), QDate(2024, 3, 30));
                QCOMPARE(p->FieldByName("SrokPlat")->AsDate(), QDate(2024, 3, 30));
                QCOMPARE(p->FieldByName("SUMMA")->AsFloat(), 2500.5);
                QCOMPARE(p->FieldByName("TYPE_PAY")->AsString(), QStringLiteral("почтой"));
                QCOMPARE(p->FieldByName("REMARK")->AsString(), QStringLiteral("Аванс"));
                QCOMPARE(p->FieldByName("P_NAME")->AsString(), QStringLiteral("Альфа"));
                QCOMPARE(p->FieldByName("R_NAME")->AsString(), QStringLiteral("ООО \"Ива\""));
                QCOMPARE(p->FieldByName("Id_Pol")->AsFloat(), ids.partner);
                QCOMPARE(p->FieldByName("Id_Post")->AsFloat(), ids.alfa);
                for (const char *field : {"OcherPlat", "ResPole", "NumbChP", "DopNumb"})
                    QVERIFY2(p->FieldByName(field)->AsString().isEmpty(), field);
                QCOMPARE(p->FieldByName("Dogovor_id")->AsFloat(), 0.0);
                QVERIFY(!p->FieldByName("FlYes")->AsBoolean());
                QVERIFY(p->FieldByName("DatPlD")->IsNull());
                e->BitBtn1Click();
            });
            QTest::keyClick(f->SortGrid1, Qt::Key_F7);
            QCOMPARE(f->Plat->FieldByName("NUMBER")->AsFloat(), 4.0); // no re-query: on the copy
        });
        QCOMPARE(count("select count(*) from PlatPor where NUMBER = 4 and SUMMA = 2500.5 and Dogovor_id = 0"),
                 1);
    }

    void deleteAnOrder() {
        App app([] { fillTwoPayers(); });
        inRegister([](TSpPlat *f) {
            f->Plat->Last(); // 3/б: the question names the number alone
            UiScript::Answer(mrNo, QStringLiteral("Удалить платежный документ № 3 ?"));
            QTest::keyClick(f->SortGrid1, Qt::Key_F8);
            QCOMPARE(f->Plat->RecordCount(), 3);
            UiScript::Answer(mrYes, QStringLiteral("Удалить платежный документ № 3 ?"));
            f->SpeedButton5Click();
            QCOMPARE(column(f->Plat, "NUMBER"), (QStringList{"1", "2"}));
            QCOMPARE(count("select count(*) from PlatPor where NUMBER = 3"), 0);
            // An empty list: nothing to delete, no question.
            f->Edit2->setText(QStringLiteral("нет такого"));
            f->SpeedButton2Click();
            f->SpeedButton5Click();
        });
    }

    // The printed list: number with its suffix, recipient, first line of the bank, the
    // amounts and their total; an empty list prints nothing.
    void printedList() {
        App app([] { fillTwoPayers(); });
        std::vector<TPreparedReport> previews;
        TReport::PreviewHook = [&](TReport &, const TPreparedReport &pages) { previews.push_back(pages); };
        inRegister([&](TSpPlat *f) {
            QTest::keyClick(f->SortGrid1, Qt::Key_F5);
            f->Edit2->setText(QStringLiteral("нет такого"));
            f->SpeedButton2Click();
            f->SpeedButton7Click();
        });
        TReport::PreviewHook = nullptr;
        QCOMPARE(int(previews.size()), 2);
        QCOMPARE(int(previews[0].Pages.size()), 1);
        const TPage &page = previews[0].Pages[0];
        QVERIFY(findText(page, "Платежные поручения"));
        QVERIFY(findText(page, "3/б"));
        QVERIFY(findText(page, "ПАО Сбербанк"));
        QVERIFY(findText(page, "2 500-50"));
        QVERIFY(findText(page, "2 640-50"));
        QVERIFY(previews[1].Pages.empty());
    }
};

QTEST_MAIN(TestRegister)
#include "tst_register.moc"

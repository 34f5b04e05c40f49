// The contract picker offers the open contracts of a partner and answers with the
// chosen key; the state dictionary keeps the names contracts and stages refer to.
#include "ContractsData.h"

#include "contracts/USlDog.h"
#include "contracts/USpEtap.h"
#include "controls/DBGrid.h"
#include "controls/UiScript.h"
#include "db/Query.h"
#include "support/TestSupport.h"

#include <QPushButton>
#include <QtTest>

namespace {

// The numbers the picker lists for a partner (0: every partner), in its order.
QStringList offered(double partner) {
    SlDog->PartnerId = partner;
    QStringList numbers;
    UiScript::OnShow<TSlDog>([&](TSlDog *f) {
        for (f->Dog->First(); !f->Dog->Eof(); f->Dog->Next())
            numbers << f->Dog->FieldByName("NumbDog")->AsString();
        f->BitBtn2->click();
    });
    ShowModal(SlDog);
    return numbers;
}

} // namespace

class TestPickerStates : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void initTestCase() {
        SlDog = new TSlDog;
        SpEtap = new TSpEtap;
    }

    void pickerOffersOpenContractsOfThePartner() {
        TempDataFolder folder;
        const double org = addKlient("ООО Свои", "T");
        const double alfa = addKlient("Альфа", "F");
        const double beta = addKlient("Бета", "F");
        addContract("A-1", QDate(2024, 3, 1), alfa, org, false);
        const double closed = addContract("A-2", QDate(2024, 4, 1), alfa, org, true);
        // A flag never set is an open contract: it is offered.
        addContract("B-1", QDate(2024, 2, 1), beta, org, QVariant());

        QCOMPARE(offered(0), (QStringList{"B-1", "A-1"}));
        QCOMPARE(offered(alfa), QStringList{"A-1"});
        QCOMPARE(offered(beta), QStringList{"B-1"});

        db::Database::Exec("update Dogovor set FlClose = 0 where Dogovor_id = ?", {closed});
        QCOMPARE(offered(alfa), (QStringList{"A-1", "A-2"}));
    }

    void pickerAnswersTheChosenContract() {
        TempDataFolder folder;
        const double org = addKlient("ООО Свои", "T");
        const double alfa = addKlient("Альфа", "F");
        addContract("A-1", QDate(2024, 3, 1), alfa, org);
        const double second = addContract("A-2", QDate(2024, 4, 1), alfa, org);

        SlDog->PartnerId = alfa;
        UiScript::OnShow<TSlDog>([](TSlDog *f) {
            QVERIFY(f->Dog->Locate("NumbDog", "A-2"));
            f->BitBtn1->click();
        });
        QCOMPARE(ShowModal(SlDog), int(mrOk));
        QCOMPARE(SlDog->DogId, second);
        QCOMPARE(SlDog->DogNumb, QStringLiteral("A-2"));

        // A double click in the list chooses as OK does.
        UiScript::OnShow<TSlDog>([](TSlDog *f) {
            f->Dog->First();
            emit f->DBGrid1->dblClick();
        });
        QCOMPARE(ShowModal(SlDog), int(mrOk));
        QCOMPARE(SlDog->DogNumb, QStringLiteral("A-1"));

        // Cancel, after an earlier choice, answers no contract.
        UiScript::OnShow<TSlDog>([](TSlDog *f) { f->BitBtn2->click(); });
        QCOMPARE(ShowModal(SlDog), int(mrCancel));
        QCOMPARE(SlDog->DogId, 0.0);

        // OK on an empty list answers no contract either.
        SlDog->PartnerId = addKlient("Гамма", "F");
        UiScript::OnShow<TSlDog>([](TSlDog *f) {
            QVERIFY(f->Dog->IsEmpty());
            f->BitBtn1->click();
        });
        ShowModal(SlDog);
        QCOMPARE(SlDog->DogId, 0.0);
    }

    void statesAreTypedIntoTheGrid() {
        TempDataFolder folder;
        const double signedId = addState("подписан");

        UiScript::OnShow<TSpEtap>([](TSpEtap *f) {
            QVERIFY(f->Sost->Active());
            TDataSetModel *model = f->DBGrid1->Model();
            QCOMPARE(model->rowCount(), 1);
            // The number is the table's: it cannot be typed over.
            QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
            QVERIFY(model->setData(model->index(0, 1), QStringLiteral("подписан обеими сторонами")));
            QTest::keyClick(f->DBGrid1, Qt::Key_Down); // the renamed row is written, a new one follows
            QVERIFY(model->setData(model->index(1, 1), QStringLiteral("оплачен")));
            QTest::keyClick(f->DBGrid1, Qt::Key_Down);
            // The last name is still being typed when the user leaves.
            QVERIFY(model->setData(model->index(2, 1), QStringLiteral("выполнен")));
            f->BitBtn1->click();
        });
        ShowModal(SpEtap);

        QVERIFY(!SpEtap->Sost->Active());
        TQuery states;
        states.SetSQLText("select Sost_id, NameSost from Sostoyn order by Sost_id");
        states.Open();
        QStringList names;
        for (; !states.Eof(); states.Next())
            names << states.Fields(1)->AsString();
        QCOMPARE(names, (QStringList{"подписан обеими сторонами", "оплачен", "выполнен"}));
        states.First();
        QCOMPARE(states.Fields(0)->AsFloat(), signedId); // renamed in place, not renumbered
    }
};

QTEST_MAIN(TestPickerStates)
#include "tst_picker_states.moc"

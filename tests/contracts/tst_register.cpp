// The contract register: what it lists for an organisation, a period and a partner
// pattern, what the organisation filter changes, deletion, a new contract and the
// contracts table it keeps open for the editors.
#include "ContractsData.h"

#include "app/LogoMain.h"
#include "contracts/USlDog.h"
#include "contracts/USpDogov.h"
#include "contracts/USpEtap.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/UiScript.h"
#include "db/Clock.h"
#include "refbooks/USlPoluch.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

// The numbers the register lists, in its order; the cursor is put back.
QStringList listed() {
    TDataSet *dog = SpDogov->Dog;
    const int at = dog->RecNo();
    QStringList numbers;
    for (dog->First(); !dog->Eof(); dog->Next())
        numbers << dog->FieldByName("NumbDog")->AsString();
    dog->SetRecNo(at);
    return numbers;
}

// Shows the register and runs `steps` in it; the register is closed afterwards.
void inRegister(const std::function<void(TSpDogov *)> &steps) {
    UiScript::OnShow<TSpDogov>([steps](TSpDogov *f) {
        steps(f);
        if (f->isVisible()) f->BitBtn5->click();
    });
    ShowModal(SpDogov);
}

void pressInGrid(TSpDogov *f, Qt::Key key) {
    QTest::keyClick(f->DBGrid1, key);
}

// The picker, scripted to choose the organisation with this key.
void choosePartnerRow(double klientId) {
    UiScript::OnShow<TSlPoluch>([klientId](TSlPoluch *f) {
        QVERIFY(f->Klient->Locate("Klient_id", klientId));
        f->BitBtn1->click();
    });
}

// The current own organisation of the main window.
void setOwnOrganisation(double id, const QString &fullName, const QString &inn, const QString &adress) {
    LogoAppForm->SvoyKlientId = id;
    LogoAppForm->Edit1->setText(fullName);
    LogoAppForm->SvoyInn = inn;
    LogoAppForm->SvoyAdress = adress;
}

} // namespace

class TestRegister : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void initTestCase() {
        LogoAppForm = new TLogoAppForm;
        SlPoluch = new TSlPoluch;
        SpEtap = new TSpEtap;
        SlDog = new TSlDog;
        SpDogov = new TSpDogov;
        Clock::setToday(QDate(2024, 6, 15));
    }

    void mainMenuOpensTheRegisterAndTheStates() {
        TempDataFolder folder;
        setOwnOrganisation(0, QString(), QString(), QString());
        LogoAppForm->EnableCommands();
        QVERIFY(LogoAppForm->MenuItem("N4")->isEnabled());
        QVERIFY(LogoAppForm->MenuItem("N14")->isEnabled());
        UiScript::OnShow<TSpDogov>([](TSpDogov *f) { f->BitBtn5->click(); });
        LogoAppForm->N4Click();
        QVERIFY(!LogoAppForm->CreateFlags.Contracts);
        UiScript::OnShow<TSpEtap>([](TSpEtap *f) { f->BitBtn1->click(); });
        LogoAppForm->N14Click();
        QCOMPARE(UiScript::FormsShown(), (QStringList{"TSpDogov", "TSpEtap"}));
    }

    // The period compares the contract date alone, the organisation is the main
    // window's, numbers sort as text, and the list opens on its last row.
    void listsTheOrganisationsContractsOfThePeriod() {
        TempDataFolder folder;
        db::Database::Exec("update Config set Period = 'Год'");
        const double org = addKlient("ООО Свои", "T", "111", "Москва");
        const double other = addKlient("ООО Другие", "T");
        const double alfa = addKlient("ООО Альфа", "F");
        const double signedState = addState("подписан");
        addContract("9", QDate(2024, 3, 1), alfa, org, false, signedState);
        addContract("10", QDate(2024, 1, 1), alfa, org);
        addContract("11", QDate(), alfa, org);             // no date: never listed
        addContract("12", QDate(2023, 12, 31), alfa, org); // before the period
        addContract("13", QDate(2024, 6, 16), alfa, org);  // after today
        addContract("14", QDate(2024, 6, 15), alfa, other);
        addContract("15", QDate(2024, 2, 1), 999, org); // its partner is gone
        setOwnOrganisation(org, "ООО Свои", "111", "Москва");

        inRegister([&](TSpDogov *f) {
            QCOMPARE(f->DatV->Date(), QDate(2024, 1, 1));
            QCOMPARE(f->DatI->Date(), QDate(2024, 6, 15));
            QCOMPARE(f->Edit1->text(), QStringLiteral("ООО Свои"));
            QCOMPARE(f->KliId, org);
            QCOMPARE(f->OrgInn, QStringLiteral("111"));
            QCOMPARE(f->OrgAdress, QStringLiteral("Москва"));
            QCOMPARE(listed(), (QStringList{"10", "9"}));
            QCOMPARE(f->Dog->RecNo(), 1);
            QCOMPARE(f->Dog->FieldByName("FullName")->AsString(), QStringLiteral("ООО Альфа"));
            QCOMPARE(f->Dog->FieldByName("NameEtap")->AsString(), QStringLiteral("подписан"));
            // The editors opened from here find contracts by key in the main window's table.
            QVERIFY(LogoAppForm->Table2->Active());
            QCOMPARE(LogoAppForm->Table2->IndexFieldNames(), QStringLiteral("Dogovor_id"));

            f->DatV->SetDate(QDate(2023, 1, 1));
            f->SpeedButton7->click();
            QCOMPARE(listed(), (QStringList{"10", "12", "9"}));
            QCOMPARE(f->Dog->RecNo(), 0); // a re-run stands on the first row
            pressInGrid(f, Qt::Key_F10);
            QVERIFY(!f->isVisible());
        });
        QVERIFY(!LogoAppForm->Table2->Active());
        QVERIFY(LogoAppForm->Table2->IndexFieldNames().isEmpty());
        QVERIFY(!SpDogov->Dog->Active());
    }

    void partnerPatternTakesStarAndQuestionMark() {
        TempDataFolder folder;
        const double org = addKlient("ООО Свои", "T");
        addContract("1", QDate(2024, 6, 1), addKlient("ООО Альфа", "F"), org);
        addContract("2", QDate(2024, 6, 2), addKlient("ООО Бета", "F"), org);
        addContract("3", QDate(2024, 6, 3), addKlient("ЗАО Вега", "F"), org);
        setOwnOrganisation(org, "ООО Свои", QString(), QString());

        const auto withPattern = [](TSpDogov *f, const QString &pattern) {
            f->Edit2->setText(pattern);
            f->BitBtn1Click();
            return listed();
        };
        SpDogov->Edit2->clear();
        inRegister([&](TSpDogov *f) {
            QCOMPARE(listed(), (QStringList{"1", "2", "3"}));         // an empty box: every partner
            QCOMPARE(withPattern(f, "ООО"), (QStringList{"1", "2"})); // the start of the name
            QCOMPARE(withPattern(f, "ООО*а"), (QStringList{"1", "2"}));
            QCOMPARE(withPattern(f, "*ета"), QStringList{"2"});
            QCOMPARE(withPattern(f, "ООО ?ета"), QStringList{"2"});
            QCOMPARE(withPattern(f, "ООО ?та"), QStringList());
            QCOMPARE(withPattern(f, "Вега"), QStringList());
            QCOMPARE(withPattern(f, "*Вега"), QStringList{"3"});
        });
        // The pattern stays for the next opening.
        inRegister([](TSpDogov *f) {
            QCOMPARE(f->Edit2->text(), QStringLiteral("*Вега"));
            QCOMPARE(listed(), QStringList{"3"});
        });
    }

    void partnerPickerFillsThePattern() {
        TempDataFolder folder;
        const double org = addKlient("ООО Свои", "T");
        const double beta = addKlient("ООО Бета", "F");
        addContract("1", QDate(2024, 6, 1), addKlient("ООО Альфа", "F"), org);
        addContract("2", QDate(2024, 6, 2), beta, org);
        setOwnOrganisation(org, "ООО Свои", QString(), QString());
        SpDogov->Edit2->clear();

        inRegister([&](TSpDogov *f) {
            choosePartnerRow(beta);
            f->SpeedButton2->click();
            QCOMPARE(SlPoluch->Caption(), QStringLiteral("Партнер"));
            QCOMPARE(SlPoluch->KlientGroup, QStringLiteral("F"));
            QCOMPARE(f->Edit2->text(), QStringLiteral("ООО Бета"));
            QCOMPARE(listed(), QStringList{"2"});
            f->Edit2->clear();
        });
    }

    // The register lists another organisation and keeps its INN and address for that
    // organisation's contract texts; the main window's organisation stays as it was.
    void organisationFilterLeavesTheMainWindowAlone() {
        TempDataFolder folder;
        const double own = addKlient("ООО Свои", "T", "111", "Москва");
        const double second = addKlient("ООО Вторые", "T", "222", "Тверь");
        const double alfa = addKlient("ООО Альфа", "F");
        addContract("1", QDate(2024, 6, 1), alfa, own);
        addContract("2", QDate(2024, 6, 2), alfa, second);
        setOwnOrganisation(own, "ООО Свои", "111", "Москва");
        SpDogov->Edit2->clear();

        inRegister([&](TSpDogov *f) {
            QCOMPARE(listed(), QStringList{"1"});
            // Leaving the picker without OK changes nothing.
            UiScript::OnShow<TSlPoluch>([](TSlPoluch *p) { p->BitBtn2->click(); });
            f->SpeedButton1->click();
            QCOMPARE(f->KliId, own);
            QCOMPARE(listed(), QStringList{"1"});

            choosePartnerRow(second);
            f->SpeedButton1->click();
            QCOMPARE(SlPoluch->Caption(), QStringLiteral("Организация"));
            QCOMPARE(SlPoluch->KlientGroup, QStringLiteral("T"));
            QCOMPARE(f->Edit1->text(), QStringLiteral("ООО Вторые"));
            QCOMPARE(f->KliId, second);
            QCOMPARE(f->OrgInn, QStringLiteral("222"));
            QCOMPARE(f->OrgAdress, QStringLiteral("Тверь"));
            QCOMPARE(listed(), QStringList{"2"});
        });
        QCOMPARE(LogoAppForm->SvoyKlientId, own);
        QCOMPARE(LogoAppForm->OrganisationName(), QStringLiteral("ООО Свои"));
        QCOMPARE(LogoAppForm->SvoyInn, QStringLiteral("111"));
        QCOMPARE(LogoAppForm->SvoyAdress, QStringLiteral("Москва"));

        // The next opening starts from the main window's organisation again.
        inRegister([&](TSpDogov *f) {
            QCOMPARE(f->KliId, own);
            QCOMPARE(f->OrgInn, QStringLiteral("111"));
            QCOMPARE(listed(), QStringList{"1"});
        });
    }

    void deletingLeavesStagesPaymentOrdersAndDocuments() {
        TempDataFolder folder;
        const double org = addKlient("ООО Свои", "T");
        const double alfa = addKlient("ООО Альфа", "F");
        const double dog = addContract("7/24", QDate(2024, 6, 1), alfa, org);
        addContract("8/24", QDate(2024, 6, 2), alfa, org);
        db::Database::Exec("insert into Primech (DatPrim, SumPrim, Dogovor_id) values ('2024-07-01', 100, ?)",
                           {dog});
        db::Database::Exec("insert into PlatPor (NUMBER, SUMMA, Dogovor_id) values (1, 100, ?)", {dog});
        db::Database::Exec("insert into FAKTUR_ZAG (NUMB_FAKT, Dogovor_id) values (1, ?)", {dog});
        setOwnOrganisation(org, "ООО Свои", QString(), QString());
        SpDogov->Edit2->clear();

        inRegister([&](TSpDogov *f) {
            f->Dog->First();
            UiScript::Answer(mrNo, QStringLiteral("Удалить договор № 7/24 ?"));
            pressInGrid(f, Qt::Key_F8);
            QCOMPARE(listed(), (QStringList{"7/24", "8/24"}));

            UiScript::Answer(mrYes, QStringLiteral("Удалить договор № 7/24 ?"));
            pressInGrid(f, Qt::Key_F8);
            QCOMPARE(listed(), QStringList{"8/24"});
            QVERIFY(!f->Dog->UpdatesPending());
        });
        QCOMPARE(countRows("select count(*) from Dogovor where Dogovor_id = ?", {dog}), 0);
        QCOMPARE(countRows("select count(*) from Dogovor"), 1);
        QCOMPARE(countRows("select count(*) from Primech where Dogovor_id = ?", {dog}), 1);
        QCOMPARE(countRows("select count(*) from PlatPor where Dogovor_id = ?", {dog}), 1);
        QCOMPARE(countRows("select count(*) from FAKTUR_ZAG where Dogovor_id = ?", {dog}), 1);
    }

    void deletingFromAnEmptyListDoesNothing() {
        TempDataFolder folder;
        const double org = addKlient("ООО Свои", "T");
        addContract("1", QDate(2023, 6, 1), addKlient("ООО Альфа", "F"), org); // outside the period
        setOwnOrganisation(org, "ООО Свои", QString(), QString());
        SpDogov->Edit2->clear();

        inRegister([](TSpDogov *f) {
            QVERIFY(f->Dog->IsEmpty());
            pressInGrid(f, Qt::Key_F8); // no question, no error
            f->BitBtn4->click();
            QVERIFY(f->isVisible());
        });
        QCOMPARE(countRows("select count(*) from Dogovor"), 1);
    }

    // Without an own organisation F6 stores no contract and opens no card.
    void noContractWithoutAnOwnOrganisation() {
        TempDataFolder folder;
        addKlient("ООО Альфа", "F");
        setOwnOrganisation(0, QString(), QString(), QString());
        inRegister([](TSpDogov *f) {
            UiScript::Answer(mrOk, QStringLiteral("Не выбрана своя организация"));
            pressInGrid(f, Qt::Key_F6);
            QVERIFY(f->isVisible());
        });
        QCOMPARE(countRows("select count(*) from Dogovor"), 0);
    }

    // A new contract is stored at once and found by the key the table gave it, even
    // when the filter would not list it and another contract sorts last; it holds no
    // temporary number and is open, so the contract picker offers it.
    void newContractIsFoundByItsKey() {
        TempDataFolder folder;
        const double own = addKlient("ООО Свои", "T");
        const double beta = addKlient("ООО Бета", "F");
        addContract("яяяя", QDate(2024, 6, 1), beta, own);
        addContract("1", QDate(2024, 6, 1), beta, own);
        setOwnOrganisation(own, "ООО Свои", QString(), QString());
        SpDogov->Edit2->setText(QStringLiteral("ООО Бета")); // the new row's join partner does not match

        double key = 0;
        inRegister([&](TSpDogov *f) {
            QCOMPARE(listed(), (QStringList{"1", "яяяя"}));
            key = f->NewContract();
            QVERIFY(key > 0);
            QCOMPARE(f->Dog->FieldByName("Dogovor_id")->AsFloat(), key);
            QCOMPARE(f->Dog->State(), TDataSetState::dsEdit);
            QCOMPARE(f->Dog->FieldByName("NumbDog")->AsString(), QString());
            QCOMPARE(f->Dog->FieldByName("Klient_id")->AsFloat(), 0.0);
            QCOMPARE(f->Dog->FieldByName("FullName")->AsString(), QString());
            QCOMPARE(f->Dog->FieldByName("DateDog")->AsDate(), QDate(2024, 6, 15));
            QCOMPARE(f->Dog->FieldByName("Organ_id")->AsFloat(), own);

            // The card saves the row it was opened on: the new contract, nothing else.
            f->Dog->FieldByName("NumbDog")->SetAsString("2");
            f->Dog->FieldByName("Klient_id")->SetAsFloat(beta);
            f->Dog->ApplyUpdates();
            f->Dog->CommitUpdates();
        });
        QCOMPARE(key, db::Database::ScalarValue("select max(Dogovor_id) from Dogovor").toDouble());
        QCOMPARE(
            countRows("select count(*) from Dogovor where NumbDog = '2' and Klient_id = ? and Dogovor_id = ?",
                      {beta, key}),
            1);
        QCOMPARE(countRows("select count(*) from Dogovor where FlClose = 0 and Dogovor_id = ?", {key}), 1);
        QCOMPARE(countRows("select count(*) from Dogovor where NumbDog = 'яяяя'"), 1); // untouched
        QCOMPARE(countRows("select count(*) from Dogovor where instr(NumbDog, char(255)) > 0 or "
                           "instr(NumbDog, 'яяяяяя') > 0"),
                 0);

        SlDog->PartnerId = beta;
        UiScript::OnShow<TSlDog>([key](TSlDog *f) {
            QVERIFY(f->Dog->Locate("Dogovor_id", key));
            f->BitBtn1->click();
        });
        ShowModal(SlDog);
        QCOMPARE(SlDog->DogId, key);
        QCOMPARE(SlDog->DogNumb, QStringLiteral("2"));
    }

    // Stored before the card opens: a contract left without the card's save is still
    // listed, joined to its own organisation, with an empty number and no marker.
    void newContractLeftUnsavedIsListed() {
        TempDataFolder folder;
        const double own = addKlient("ООО Свои", "T");
        setOwnOrganisation(own, "ООО Свои", QString(), QString());
        SpDogov->Edit2->clear();

        double key = 0;
        inRegister([&](TSpDogov *f) { key = f->NewContract(); });
        QCOMPARE(
            countRows("select count(*) from Dogovor where NumbDog is null and Klient_id = ? and Organ_id = ?",
                      {own, own}),
            1);
        inRegister([&](TSpDogov *f) {
            QCOMPARE(listed(), QStringList{QString()});
            QCOMPARE(f->Dog->FieldByName("Dogovor_id")->AsFloat(), key);
        });
    }
};

QTEST_MAIN(TestRegister)
#include "tst_register.moc"

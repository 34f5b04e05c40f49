// The main menu's set-ups of the document register and of the one-date reports, on
// stand-ins for the target forms: the stored query text and the labels come back
// however the form ends.
#include "app/RegisterSetup.h"
#include "controls/DBGrid.h"
#include "controls/Forms.h"
#include "controls/UiScript.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QtTest>

namespace {

// The parts of the document register the menu touches.
class TRegisterStandIn : public TForm {
    Q_OBJECT
  public:
    TRegisterStandIn() {
        SpRasx = new TQuery(this);
        SpRasx->SetSQL({QStringLiteral("select * from FAKTUR_ZAG"),
                        QStringLiteral("where FL_SVOY = :SV and Id_Post = :kli"),
                        QStringLiteral("and DATE_FAKT >= :datv and DATE_FAKT <= :dati"),
                        QStringLiteral("order by Numb_Fakt")});
        DataSource1 = new TDataSource(this, SpRasx);
        DBGrid1 = new TDBGrid(this, DataSource1);
        DBGrid1->AddColumn(QStringLiteral("NumbF"), QStringLiteral("Номер"));
        DBGrid1->AddColumn(QStringLiteral("Date_fakt"), QStringLiteral("Дата "));
        DBGrid1->AddColumn(QStringLiteral("NAME_POKUPAT"), QStringLiteral("Покупатель"));
        Label3 = new QLabel(this);
        Label4 = new QLabel(this);
    }
    TQuery *SpRasx;
    TDataSource *DataSource1;
    TDBGrid *DBGrid1;
    QLabel *Label3, *Label4;
    bool FailOnShow = false;
    QString TextWhileShown;

  protected:
    void FormShow() override {
        TextWhileShown = SpRasx->SQL().join(QLatin1Char('\n'));
        if (FailOnShow) throw EDatabaseError(QStringLiteral("Таблица занята"));
    }
};

} // namespace

class RegisterSetupTest : public ScriptedTestCase {
    Q_OBJECT

    // The menu command: set up the register for the mode and show it.
    static int runCommand(TRegisterStandIn &form, const DocumentRegisterMode &mode) {
        SetUpDocumentColumns(form.DBGrid1, form.Label3, form.Label4, mode);
        return ShowWithDateColumn(form.SpRasx, mode.DateColumn, [&] { return ShowModal(&form); });
    }

  private slots:
    void billsThenWaybillsKeepTheStoredDate() {
        TRegisterStandIn form;
        const QString stored = form.SpRasx->SQL().join(QLatin1Char('\n'));

        UiScript::OnShow<TRegisterStandIn>([](TRegisterStandIn *f) { f->Close(); });
        runCommand(form, BillsMode());
        QVERIFY(form.TextWhileShown.contains(QStringLiteral("DATE_SCHET >= :datv and DATE_SCHET <= :dati")));
        QVERIFY(!form.TextWhileShown.contains(QStringLiteral("DATE_FAKT")));
        QCOMPARE(form.DBGrid1->Columns(0)->FieldName(), QStringLiteral("Numb_Schet"));
        QCOMPARE(form.DBGrid1->Columns(1)->FieldName(), QStringLiteral("Date_Schet"));
        QCOMPARE(form.SpRasx->SQL().join(QLatin1Char('\n')), stored);

        UiScript::OnShow<TRegisterStandIn>([](TRegisterStandIn *f) { f->Close(); });
        runCommand(form, WaybillsMode());
        QVERIFY(form.TextWhileShown.contains(QStringLiteral("DATE_TTN >= :datv and DATE_TTN <= :dati")));
        QCOMPARE(form.DBGrid1->Columns(0)->FieldName(), QStringLiteral("Numb_TTN"));
        QCOMPARE(form.DBGrid1->Columns(1)->FieldName(), QStringLiteral("Date_TTN"));
        QCOMPARE(form.SpRasx->SQL().join(QLatin1Char('\n')), stored);

        // The invoice modes filter on the stored date.
        for (const DocumentRegisterMode *mode : {&InvoicesMode(), &ReceivedInvoicesMode()}) {
            UiScript::OnShow<TRegisterStandIn>([](TRegisterStandIn *f) { f->Close(); });
            runCommand(form, *mode);
            QCOMPARE(form.TextWhileShown, stored);
        }
        QCOMPARE(form.Label3->text(), QStringLiteral("Поставщик"));
        QCOMPARE(form.Label4->text(), QStringLiteral("Покупатель"));
        QCOMPARE(form.DBGrid1->Columns(2)->Title(), QStringLiteral("Поставщик"));
    }

    // A register that fails as it opens must not leave the bill date in the text for the
    // next command.
    void storedDateComesBackAfterAnError() {
        TRegisterStandIn form;
        const QStringList stored = form.SpRasx->SQL();
        form.FailOnShow = true;
        UiScript::OnShow<TRegisterStandIn>([](TRegisterStandIn *f) { f->Close(); });
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, runCommand(form, BillsMode()));
        QVERIFY(form.TextWhileShown.contains(QStringLiteral("DATE_SCHET")));
        QCOMPARE(form.SpRasx->SQL(), stored);
        QVERIFY(!form.isVisible());
    }

    // A DATE_SCHET the text holds of its own stays what it was.
    void ownBillDateOfTheTextSurvives() {
        TQuery query;
        const QStringList stored = {QStringLiteral("select DATE_SCHET as Billed, DATE_FAKT from FAKTUR_ZAG"),
                                    QStringLiteral("where DATE_FAKT >= :datv")};
        query.SetSQL(stored);
        ShowWithDateColumn(&query, QStringLiteral("DATE_SCHET"), [] { return int(mrOk); });
        QCOMPARE(query.SQL(), stored);
    }

    void debtorsThenListByNumbersShowBothDatesAgain() {
        QWidget report;
        auto *DatI = new QWidget(&report);
        auto *Label1 = new QLabel(QStringLiteral("c"), &report);
        auto *Label2 = new QLabel(QStringLiteral("по"), &report);
        report.show();
        bool seen = false;
        ShowOnOneDate(DatI, Label2, Label1, [&] {
            seen = !DatI->isVisible() && !Label2->isVisible() && Label1->text() == QStringLiteral("на");
            return int(mrOk);
        });
        QVERIFY(seen);
        QVERIFY(DatI->isVisible());
        QVERIFY(Label2->isVisible());
        QCOMPARE(Label1->text(), QStringLiteral("c"));

        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ShowOnOneDate(DatI, Label2, Label1, []() -> int {
                                     throw EDatabaseError(QStringLiteral("Таблица занята"));
                                 }));
        QVERIFY(DatI->isVisible());
        QCOMPARE(Label1->text(), QStringLiteral("c"));
    }
};

QTEST_MAIN(RegisterSetupTest)
#include "tst_registersetup.moc"

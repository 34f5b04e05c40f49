// The bank reference books in the running program: created at start-up, the directory
// open after the main window's first show, and a partner's bank completed by BIK with
// the settings as the settings form holds them.
#include "BankData.h"

#include "app/LogoMain.h"
#include "controls/DBGrid.h"
#include "controls/UiScript.h"
#include "refbooks/UKartKli.h"
#include "refbooks/USlAssort.h"
#include "refbooks/USlPoluch.h"
#include "refbooks/USlPrim.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestStartUp : public ScriptedTestCase {
    Q_OBJECT
  private slots:

    void bankFormsInTheRunningProgram() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/dat");
        db::Database::Open(folder);
        AddDirectory();
        db::Database::Exec(QStringLiteral("update Config set AppBank = 1"));
        db::Database::Exec(QStringLiteral("insert into Klient (Name, FullName, FlSvoy) values "
                                          "('Ромашка', 'ООО \"Ромашка\"', 'F')"));
        db::Database::Close();

        QVERIFY(StartUp(folder));
        QVERIFY(AllBank && SlBankP && KartKli && SlAssort && SlPrim);
        QVERIFY(AllBank->Table1->Active());
        QCOMPARE(AllBank->Table1->RecordCount(), 5);

        SlPoluch->KlientGroup = QStringLiteral("F");
        UiScript::OnShow<TSlPoluch>([](TSlPoluch *f) {
            UiScript::OnShow<TKartKli>([](TKartKli *card) {
                card->DBGrid1->setFocus(Qt::TabFocusReason);
                QTest::keyClick(card->DBGrid1, Qt::Key_Down);
                TDataSetModel *model = card->DBGrid1->Model();
                QVERIFY(model->setData(model->index(0, 0), QStringLiteral("046577674")));
                card->BitBtn1->click();
            });
            f->BitBtn3->click();
            f->BitBtn2->click();
        });
        ShowModal(SlPoluch);
        QCOMPARE(db::Database::ScalarValue("select NameBank from Bank").toString(),
                 QStringLiteral("ПАО УРАЛЬСКИЙ БАНК ПАО СБЕРБАНК г.ЕКАТЕРИНБУРГ"));
        ShutDown();
    }
};

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"

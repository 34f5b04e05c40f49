// The program as it starts: the data folder, the main window with its commands, the
// current own organisation, the settings and the separator they set, the lazy form
// groups, the choosers, the about box and help.
#include "app/About.h"
#include "app/LogoMain.h"
#include "app/UConfig.h"
#include "app/UQ1.h"
#include "app/UQuery_f.h"
#include "controls/Animate.h"
#include "controls/DBCtrls.h"
#include "controls/HelpWindow.h"
#include "controls/UiScript.h"
#include "db/Database.h"
#include "db/Formats.h"
#include "db/Query.h"
#include "maintenance/DataFolder.h"
#include "maintenance/UExpOld.h"
#include "refbooks/USlPoluch.h"
#include "support/LegacyWriters.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

namespace {

QVariant scalar(const QString &sql) {
    return db::Database::ScalarValue(sql);
}

} // namespace

class MainWindowTest : public ScriptedTestCase {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString folder() const { return m_dir->path() + QStringLiteral("/dat"); }

    // A fresh data folder, the program of the case before gone.
    void freshFolder() {
        ShutDown();
        m_dir = std::make_unique<QTemporaryDir>();
    }

    // A fresh data folder holding `rows` (SQL statements), then the program started on it.
    void startWith(const QStringList &rows = {}) {
        freshFolder();
        if (!rows.isEmpty()) {
            db::Database::Open(folder());
            for (const QString &sql : rows)
                db::Database::Exec(sql);
            db::Database::Close();
        }
        QVERIFY(StartUp(folder()));
        QVERIFY(LogoAppForm);
    }

    static QString klient(const QString &name, const QString &fullName, const QString &group,
                          const QString &inn = QString()) {
        return QStringLiteral("insert into Klient (Name, FullName, Inn, Adress, FlSvoy) values "
                              "('%1', '%2', '%3', 'адрес %1', '%4')")
            .arg(name, fullName, inn, group);
    }

  private slots:
    void cleanupTestCase() { ShutDown(); }

    void freshFolderStartsWithoutOwnOrganisation() {
        startWith();
        QVERIFY(QFileInfo::exists(folder()));
        QVERIFY(LogoAppForm->isVisible());
        QCOMPARE(LogoAppForm->windowTitle(), QStringLiteral("ОРБЕК: \"Вереск\""));
        QCOMPARE(LogoAppForm->OrganisationName(), QString());
        QCOMPARE(LogoAppForm->SvoyKlientId, 0.0);
        QCOMPARE(LogoAppForm->SvoyInn, QString());
        QCOMPARE(LogoAppForm->SvoyAdress, QString());
        // The splash is gone and is the about box from now on.
        QVERIFY(!AboutBox->isVisible());
        QVERIFY(!AboutBox->Animate1->Active());
        QVERIFY(!AboutBox->Animate1->isVisibleTo(AboutBox));
        QVERIFY(AboutBox->OKButton->isVisibleTo(AboutBox));
        // The settings and the partners list stay open; the contracts table is closed.
        QVERIFY(Config->Conf->Active());
        QVERIFY(SlPoluch->Klient->Active());
        QVERIFY(!LogoAppForm->Table2->Active());
        // The default settings keep the dash.
        QCOMPARE(fmt::DecimalSeparator(), QLatin1Char('-'));
    }

    void firstOwnOrganisationByNameIsCurrent() {
        startWith({klient(QStringLiteral("ООО Ромашка"), QStringLiteral("ООО \"Ромашка\""), "T", "7701"),
                   klient(QStringLiteral("АО Альфа"), QStringLiteral("Акционерное общество \"Альфа\""), "T",
                          "7702"),
                   // A partner sorting first is not an own organisation.
                   klient(QStringLiteral("АААА"), QStringLiteral("Партнер"), "F")});
        QCOMPARE(LogoAppForm->OrganisationName(), QStringLiteral("Акционерное общество \"Альфа\""));
        QCOMPARE(LogoAppForm->SvoyInn, QStringLiteral("7702"));
        QCOMPARE(LogoAppForm->SvoyAdress, QStringLiteral("адрес АО Альфа"));
        QCOMPARE(LogoAppForm->SvoyKlientId,
                 scalar("select Klient_id from Klient where Inn = '7702'").toDouble());
    }

    void separatorFromSettingsAtFirstShow_data() {
        QTest::addColumn<QString>("rasdel");
        QTest::addColumn<QChar>("separator");
        QTest::newRow("Точка") << QStringLiteral("Точка") << QChar('.');
        QTest::newRow("Запятая") << QStringLiteral("Запятая") << QChar(',');
        QTest::newRow("Тире") << QStringLiteral("Тире") << QChar('-');
        QTest::newRow("empty keeps the dash") << QString() << QChar('-');
        QTest::newRow("unknown keeps the dash") << QStringLiteral("Точка с запятой") << QChar('-');
    }
    void separatorFromSettingsAtFirstShow() {
        QFETCH(QString, rasdel);
        QFETCH(QChar, separator);
        fmt::SetDecimalSeparator(QLatin1Char(','));
        startWith({QStringLiteral("update Config set Rasdel = '%1'").arg(rasdel)});
        QCOMPARE(fmt::DecimalSeparator(), separator);
    }

    void everyCommandInTheMenuAndTheToolBars() {
        startWith();
        const QStringList menus = {QStringLiteral("Документы  "), QStringLiteral("Отчетность  "),
                                   QStringLiteral("Администратор  "), QStringLiteral("&Help ")};
        QStringList shown;
        for (QAction *a : LogoAppForm->menuBar()->actions())
            shown << a->text();
        QCOMPARE(shown, menus);
        const QStringList items = {
            "N35", "N37", "N42",  "N2",  "N3",        "N5",        "N30",         "N31", "N4",  "N9",
            "N10", "N39", "N46",  "N40", "N41",       "N17",       "N18",         "N19", "N20", "N21",
            "N24", "N25", "N26",  "N44", "N27",       "N13",       "N14",         "N43", "N45", "N15",
            "N16", "N7",  "N201", "N47", "Contents1", "AboutItem", "FileExitItem"};
        for (const QString &name : items)
            QVERIFY2(LogoAppForm->MenuItem(name), qPrintable(name));
        QCOMPARE(LogoAppForm->MenuItem("N2")->shortcut(), QKeySequence(QStringLiteral("Ctrl+F2")));
        QCOMPARE(LogoAppForm->MenuItem("FileExitItem")->shortcut(), QKeySequence(QStringLiteral("Alt+X")));

        // Top to bottom: the documents, the journal and cash, the own organisation.
        QList<QToolBar *> bars = LogoAppForm->findChildren<QToolBar *>(Qt::FindDirectChildrenOnly);
        std::sort(bars.begin(), bars.end(), [](QToolBar *a, QToolBar *b) { return a->y() < b->y(); });
        QStringList order;
        for (QToolBar *b : bars)
            order << b->objectName();
        QCOMPARE(order, QStringList({"ToolBar1", "ToolBar3", "ToolBar2"}));

        // A button follows its command: disabled while the command's form is missing.
        auto *bills = LogoAppForm->findChild<QToolButton *>("SpeedButton3");
        QCOMPARE(bills->isEnabled(), LogoAppForm->MenuItem("N5")->isEnabled());
        LogoAppForm->MenuItem("N5")->setEnabled(!bills->isEnabled());
        QCOMPARE(bills->isEnabled(), LogoAppForm->MenuItem("N5")->isEnabled());
        QVERIFY(LogoAppForm->MenuItem("N27")->isEnabled());
        QVERIFY(LogoAppForm->findChild<QToolButton *>("SpeedButton1")->isEnabled());
    }

    void exitClosesTheMainWindowWithoutAQuestion() {
        startWith();
        LogoAppForm->findChild<QToolButton *>("SpeedButton12")->click();
        QVERIFY(!LogoAppForm->isVisible());
        startWith();
        showActive(LogoAppForm); // shortcuts reach the active window only
        QTest::keyClick(LogoAppForm, Qt::Key_X, Qt::AltModifier);
        QVERIFY(!LogoAppForm->isVisible());
    }

    // Alt+X ends the program with the help window open beside the main window: the help
    // window would else keep it running, and its data folder open, with no window shown.
    void exitEndsTheProgramWithTheHelpWindowOpen() {
        startWith();
        Help::Window()->show();
        QTimer runningOn; // a program left running fails the case instead of hanging it
        connect(&runningOn, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        runningOn.start(5000);
        QTimer::singleShot(0, LogoAppForm, [] {
            showActive(LogoAppForm);
            QTest::keyClick(LogoAppForm, Qt::Key_X, Qt::AltModifier);
        });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!Help::Window()->isVisible());
    }

    void ownOrganisationButton() {
        startWith({klient(QStringLiteral("АО Альфа"), QStringLiteral("Альфа полное"), "T", "1"),
                   klient(QStringLiteral("ООО Ромашка"), QStringLiteral("Ромашка полное"), "T", "2")});
        auto *button = LogoAppForm->findChild<QToolButton *>("SpeedButton1");

        // Cancel changes nothing.
        UiScript::OnShow<TSlPoluch>([](TSlPoluch *f) {
            QCOMPARE(f->Caption(), QStringLiteral("Организация"));
            f->Klient->Last();
            f->BitBtn2->click();
        });
        button->click();
        QCOMPARE(LogoAppForm->OrganisationName(), QStringLiteral("Альфа полное"));
        QCOMPARE(LogoAppForm->SvoyInn, QStringLiteral("1"));

        UiScript::OnShow<TSlPoluch>([](TSlPoluch *f) {
            f->Klient->Last();
            f->BitBtn1->click();
        });
        button->click();
        QCOMPARE(LogoAppForm->OrganisationName(), QStringLiteral("Ромашка полное"));
        QCOMPARE(LogoAppForm->SvoyInn, QStringLiteral("2"));
        QCOMPARE(LogoAppForm->SvoyKlientId,
                 scalar("select Klient_id from Klient where Inn = '2'").toDouble());

        // Editing the own requisites does not change the current organisation's box.
        UiScript::OnShow<TSlPoluch>([](TSlPoluch *f) {
            QCOMPARE(f->Caption(), QStringLiteral("Свои реквизиты"));
            QCOMPARE(f->KlientGroup, QStringLiteral("T"));
            f->Klient->Last();
            f->Klient->Edit();
            f->KlientFullName->SetAsString(QStringLiteral("Ромашка новое"));
            f->Klient->Post();
            f->BitBtn1->click();
        });
        LogoAppForm->MenuItem("N13")->trigger();
        QCOMPARE(LogoAppForm->OrganisationName(), QStringLiteral("Ромашка полное"));
    }

    // The data restored lack the own organisation current before.
    void restoreTakesTheOwnOrganisationAgain() {
        startWith({klient(QStringLiteral("АО Альфа"), QStringLiteral("Альфа полное"), "T", "1")});
        ArchiveDataFolder();
        db::Database::Exec(klient(QStringLiteral("АА"), QStringLiteral("АА полное"), "T", "2"));
        ShutDown();
        QVERIFY(StartUp(folder()));
        UiScript::Answer(mrYes, QStringLiteral("Восстанавливать данные из архива?"));
        LogoAppForm->MenuItem("N16")->trigger();
        QCOMPARE(LogoAppForm->OrganisationName(), QStringLiteral("Альфа полное"));
    }

    // A maintenance command leaves the main window active and holding the keyboard: Alt+X,
    // sent where the window system sends keys, ends the program with no click first. The
    // copy window shows and goes within the command; over the export form, that form is
    // active again when the copy ends.
    void mainWindowKeysWorkAfterMaintenance_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("Создание архива") << QStringLiteral("N15");
        QTest::newRow("Восстановление из архива") << QStringLiteral("N16");
        QTest::newRow("Переиндексация") << QStringLiteral("N7");
        QTest::newRow("Подкачка платежек из версии 2.0") << QStringLiteral("N201");
        QTest::newRow("Экспорт данных из предидущих версий") << QStringLiteral("N47");
    }
    void mainWindowKeysWorkAfterMaintenance() {
        QFETCH(QString, item);
        startWith();
        const QString old = m_dir->filePath(QStringLiteral("old"));
        QVERIFY(QDir().mkpath(old));
        if (item == "N15") {
            UiScript::Answer(mrYes, QStringLiteral("Создать архив?"));
        } else if (item == "N16") {
            ArchiveDataFolder();
            UiScript::Answer(mrYes, QStringLiteral("Восстанавливать данные из архива?"));
        } else if (item == "N201") {
            legacy::Version20Orders().Save(old + "/MISSION.DBF");
            legacy::Version20Partners().Save(old + "/PARTNERS.DBF");
            UiScript::ChooseFile(old + "/MISSION.DBF");
            UiScript::Answer(mrYes, QStringLiteral("Подкачать данные?"));
        } else if (item == "N47") {
            legacy::WriteParadox(old + "/Bank.db", legacy::EarlierBankFields(), {});
            legacy::WriteParadox(old + "/Klient.DB", {{"Klient_id", pxfAutoInc, 4}}, {});
            legacy::WriteParadox(old + "/PlatPor.DB", {{"PlatPor_id", pxfAutoInc, 4}}, {});
            UiScript::OnShow<TExpOld>([&](TExpOld *f) {
                f->Path1->setText(old);
                UiScript::Answer(mrYes);
                UiScript::Answer(mrOk, QStringLiteral("Подкачка пошла успешно!"));
                f->BitBtn3->click();
                QCOMPARE(QApplication::activeWindow(), f);
                QTRY_COMPARE(QGuiApplication::focusWindow(), f->windowHandle());
                f->BitBtn4->click();
            });
        }
        showActive(LogoAppForm);
        LogoAppForm->MenuItem(item)->trigger();
        QCOMPARE(QApplication::activeWindow(), LogoAppForm);
        QTRY_COMPARE(QGuiApplication::focusWindow(), LogoAppForm->windowHandle());
        QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_X, Qt::AltModifier);
        QVERIFY(!LogoAppForm->isVisible());
    }

    // The separator chosen in the settings applies to the next form at once.
    void settingsSeparatorAppliesToTheNextForm() {
        startWith({QStringLiteral("insert into Dogovor (NumbDog, Summa) values ('1', 12.5)")});
        auto amountShown = [] {
            TTable dog(nullptr, QStringLiteral("Dogovor.DB"));
            TDataSource source(nullptr, &dog);
            dog.Open();
            TDBEdit edit(nullptr, &source, QStringLiteral("Summa"));
            return edit.text();
        };
        QCOMPARE(amountShown(), QStringLiteral("12-50"));
        UiScript::OnShow<TConfig>([](TConfig *f) {
            f->DBComboBox2->setCurrentText(QStringLiteral("Точка"));
            emit f->DBComboBox2->activated(f->DBComboBox2->currentIndex());
            f->BitBtn1->click();
        });
        LogoAppForm->MenuItem("N27")->trigger();
        QCOMPARE(scalar("select Rasdel from Config").toString(), QStringLiteral("Точка"));
        QCOMPARE(amountShown(), QStringLiteral("12.50"));
    }

    void settingsDialog() {
        startWith({QStringLiteral("update Config set KolCopy = 0, SizeFont = 10")});
        // The copy count goes below zero: no bound.
        UiScript::OnShow<TConfig>([](TConfig *f) {
            f->SpinButton1.DownButton->click();
            QCOMPARE(f->DBEdit1->text(), QStringLiteral("-1"));
            f->SpinButton2.UpButton->click();
            f->DBComboBox3->lineEdit()->clear();
            QTest::keyClicks(f->DBComboBox3->lineEdit(), QStringLiteral("yyyy-mm-dd"));
            f->BitBtn1->click();
        });
        LogoAppForm->MenuItem("N27")->trigger();
        QCOMPARE(scalar("select KolCopy from Config").toDouble(), -1.0);
        QCOMPARE(scalar("select SizeFont from Config").toDouble(), 11.0);
        // A date format not in the list is stored as typed.
        QCOMPARE(scalar("select FormatDat from Config").toString(), QStringLiteral("yyyy-mm-dd"));

        // Cancel leaves the settings as stored, and the dialog shows them next time.
        UiScript::OnShow<TConfig>([](TConfig *f) {
            f->SpinButton1.UpButton->click();
            f->DBComboBox1->setCurrentText(QStringLiteral("День"));
            emit f->DBComboBox1->activated(f->DBComboBox1->currentIndex());
            f->BitBtn2->click();
        });
        LogoAppForm->MenuItem("N27")->trigger();
        QCOMPARE(scalar("select KolCopy from Config").toDouble(), -1.0);
        QCOMPARE(scalar("select Period from Config").toString(), QStringLiteral("Месяц"));
        QCOMPARE(Config->ConfKolCopy->AsFloat(), -1.0);
        QVERIFY(Config->Conf->State() == TDataSetState::dsBrowse);
    }

    // Every form of a group exists once, whichever of its commands comes first.
    void lazyGroupsAreCreatedOnce() {
        startWith();
        QVERIFY(!Q_pri);
        QVERIFY(!Query_f);
        // "Договора": payment orders, sales documents, contracts, in this order.
        LogoAppForm->CreatePayOrders();
        LogoAppForm->CreateSalesDocs();
        LogoAppForm->CreateContracts();
        QVERIFY(Q_pri);
        QVERIFY(Query_f);
        TQ_pri *chooser = Q_pri;
        TQuery_f *dealKind = Query_f;
        // "Счета", "Накладные", "Договора" again.
        LogoAppForm->CreateSalesDocs();
        LogoAppForm->CreateSalesDocs();
        LogoAppForm->CreatePayOrders();
        LogoAppForm->CreateSalesDocs();
        LogoAppForm->CreateContracts();
        QCOMPARE(Q_pri, chooser);
        QCOMPARE(Query_f, dealKind);
        QVERIFY(!LogoAppForm->CreateFlags.PayOrders);
        QVERIFY(!LogoAppForm->CreateFlags.SalesDocs);
        QVERIFY(!LogoAppForm->CreateFlags.Contracts);
        QVERIFY(LogoAppForm->CreateFlags.Cash);
        QCOMPARE(LogoAppForm->findChildren<TQ_pri *>().size(), 1);
        QCOMPARE(LogoAppForm->findChildren<TQuery_f *>().size(), 1);

        // Gone with the main window: the next start creates every form again.
        ShutDown();
        QVERIFY(!Q_pri && !Query_f && !Config && !SlPoluch && !AboutBox);
        startWith();
        QVERIFY(Config && SlPoluch && AboutBox);
        QVERIFY(LogoAppForm->CreateFlags.SalesDocs);
    }

    void choosersForgetTheEarlierChoice() {
        startWith();
        LogoAppForm->CreateSalesDocs();
        LogoAppForm->CreateContracts();
        UiScript::OnShow<TQ_pri>([](TQ_pri *f) {
            f->CheckBox1->setChecked(true);
            f->SpeedButton7->click();
        });
        QCOMPARE(ShowModal(Q_pri), int(mrOk));
        QCOMPARE(Q_pri->PrintChoice, QStringLiteral("7"));
        UiScript::OnShow<TQ_pri>([](TQ_pri *f) { f->BitBtn3->click(); });
        ShowModal(Q_pri);
        QCOMPARE(Q_pri->PrintChoice, QStringLiteral("0"));
        QVERIFY(Q_pri->CheckBox1->isChecked()); // the sales-tax choice stays

        UiScript::OnShow<TQuery_f>([](TQuery_f *f) { f->BitBtn2->click(); });
        ShowModal(Query_f);
        QCOMPARE(Query_f->DealKind, 2.0);
        UiScript::OnShow<TQuery_f>([](TQuery_f *f) { f->BitBtn3->click(); });
        ShowModal(Query_f);
        QCOMPARE(Query_f->DealKind, 0.0);
    }

    void aboutAndHelp() {
        startWith();
        UiScript::OnShow<TAboutBox>([](TAboutBox *f) {
            QVERIFY(f->OKButton->isVisible());
            f->OKButton->click();
        });
        LogoAppForm->MenuItem("AboutItem")->trigger();
        LogoAppForm->MenuItem("Contents1")->trigger();
        QCOMPARE(UiScript::HelpShown(), QList<int>({0}));
        QTest::keyClick(LogoAppForm->menuBar(), Qt::Key_F1);
        QCOMPARE(UiScript::HelpShown(), QList<int>({0, 1}));
    }

    void startUpFailsOnAnUnusableDataFolder() {
        freshFolder();
        QFile blocker(folder()); // a file where the data folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        UiScript::ExpectError();
        QVERIFY(!StartUp(folder()));
        QVERIFY(!LogoAppForm);
        QCOMPARE(UiScript::Messages().size(), 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"

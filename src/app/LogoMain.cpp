#include "app/LogoMain.h"

#include "app/About.h"
#include "app/RegisterSetup.h"
#include "app/UConfig.h"
#include "app/UQ1.h"
#include "app/UQuery_f.h"
#include "contracts/UKartDog.h"
#include "contracts/UOtchEtap.h"
#include "contracts/USlDog.h"
#include "contracts/USpDogov.h"
#include "contracts/USpEtap.h"
#include "contracts/UTypDog.h"
#include "controls/Application.h"
#include "controls/DBCtrls.h"
#include "controls/Forms.h"
#include "controls/HelpWindow.h"
#include "db/Database.h"
#include "db/Formats.h"
#include "ledger/UBalBuh.h"
#include "ledger/UBalans.h"
#include "ledger/UCBal.h"
#include "ledger/UItogOb.h"
#include "ledger/UKasOrd.h"
#include "ledger/UKassa.h"
#include "ledger/UOpKassa.h"
#include "ledger/UPlan.h"
#include "ledger/UProvodka.h"
#include "maintenance/DataFolder.h"
#include "maintenance/Import20.h"
#include "maintenance/UExpOld.h"
#include "payorders/UPlatOrd.h"
#include "payorders/UPlatPor.h"
#include "payorders/USpPlat.h"
#include "payorders/rep11.h"
#include "refbooks/UAllBank.h"
#include "refbooks/UKartKli.h"
#include "refbooks/USlAssort.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"
#include "refbooks/USlPrim.h"
#include "reports/UKniga.h"
#include "reports/UOtchet.h"
#include "reports/UVedPok.h"
#include "sales/UOplataF.h"
#include "sales/USchFak.h"
#include "sales/USpRasx.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <utility>

TLogoAppForm *LogoAppForm = nullptr;

// =================================================================================
// The forms of the program. A form module that lands adds its creation here, one line
// in the list or group it belongs to, and enables its commands in EnableCommands.
// =================================================================================

namespace {

// Creates a form once: nothing when its global reference already holds it. The
// reference is emptied when the form goes with the main window, so the next start
// (the tests start the program many times) creates it again.
template <class Form, class... Args> void CreateForm(Form *&global, Args &&...args) {
    if (global) return;
    global = new Form(std::forward<Args>(args)...);
    QObject::connect(global, &QObject::destroyed, [&global] { global = nullptr; });
}

// Created right after the main window, before the splash shows (the about box is the
// splash).
void CreateFormsBeforeSplash(QWidget *owner) {
    CreateForm(AboutBox, owner);
    CreateForm(SlPrim, owner);
    CreateForm(ExpOld, owner);
}

// Created behind the splash, in this order. The settings come first: their table is
// the first one opened, and no other table opens while these forms are created.
void CreateStartupForms(QWidget *owner) {
    CreateForm(Config, owner);
    CreateForm(SlPoluch, owner);
    CreateForm(AllBank, owner);
    CreateForm(SlBankP, owner);
    CreateForm(KartKli, owner);
    CreateForm(SlAssort, owner);
    CreateForm(TypDog, owner);
    CreateForm(SlDog, owner);
    CreateForm(SpEtap, owner);
    CreateForm(Plan, owner);
    CreateForm(Otchet, owner);
    CreateForm(VedPok, owner);
    CreateForm(Provodka, owner);
    CreateForm(CBal, owner);
    CreateForm(BalBuh, owner);
}

} // namespace

// Groups created by their first command, each form with `CreateForm(SpPlat, this);`: a
// group whose creation failed half-way is completed, never doubled, by the next command.

void TLogoAppForm::CreatePayOrders() {
    if (!CreateFlags.PayOrders) return;
    CreateForm(SpPlat, this);
    CreateForm(PRINT_PAY, this);
    CreateForm(PlatPor, SpPlat->DataSource1, this);
    CreateForm(PlatOrd, SpPlat->DataSource1, this);
    CreateFlags.PayOrders = false;
}

void TLogoAppForm::CreateSalesDocs() {
    if (!CreateFlags.SalesDocs) return;
    // The register first: the editor and the payments form work on its datasets.
    CreateForm(SpRasx, this);
    CreateForm(SchFak, SpRasx, this);
    CreateForm(Q_pri, this);
    CreateForm(OplataF, SpRasx->SpRasx, this);
    CreateFlags.SalesDocs = false;
}

void TLogoAppForm::CreateContracts() {
    if (!CreateFlags.Contracts) return;
    // The card lists and raises payment orders and documents.
    CreatePayOrders();
    CreateSalesDocs();
    CreateForm(Query_f, this);
    // The register first: the card edits its contracts.
    CreateForm(SpDogov, this);
    CreateForm(KartDog, SpDogov, this);
    CreateFlags.Contracts = false;
}

void TLogoAppForm::CreateCash() {
    if (!CreateFlags.Cash) return;
    CreateForm(Kassa, this);
    CreateForm(OpKassa, Kassa->DataSource1, this);
    CreateForm(KasOrd, Kassa->DSKas, this);
    CreateFlags.Cash = false;
}

void TLogoAppForm::CreateBalance() {
    if (!CreateFlags.Balance) return;
    CreateForm(Balans, this);
    CreateFlags.Balance = false;
}

void TLogoAppForm::CreateBooks() {
    if (!CreateFlags.Books) return;
    CreateForm(Kniga, this);
    CreateFlags.Books = false;
}

void TLogoAppForm::CreateTurnOver() {
    if (!CreateFlags.TurnOver) return;
    CreateForm(ItogOb, this);
    CreateFlags.TurnOver = false;
}

void TLogoAppForm::CreateOverdueStages() {
    if (!CreateFlags.OverdueStages) return;
    CreateForm(OtchEtap, this);
    CreateFlags.OverdueStages = false;
}

// The commands whose target form is in the program. A command stays in the menu,
// disabled, until its target lands; the module that brings the target adds its menu
// item's name here (the tool-bar button of a command follows its menu item).
void TLogoAppForm::EnableCommands() {
    static const QStringList built = {
        QStringLiteral("FileExitItem"), QStringLiteral("N2"),        QStringLiteral("N27"),
        QStringLiteral("N13"),          QStringLiteral("Contents1"), QStringLiteral("AboutItem"),
        QStringLiteral("N4"),           QStringLiteral("N14"),       QStringLiteral("N35"),
        QStringLiteral("N37"),          QStringLiteral("N42"),       QStringLiteral("N43"),
        QStringLiteral("N3"),           QStringLiteral("N5"),        QStringLiteral("N30"),
        QStringLiteral("N31"),          QStringLiteral("N17"),       QStringLiteral("N9"),
        QStringLiteral("N10"),          QStringLiteral("N18"),       QStringLiteral("N19"),
        QStringLiteral("N20"),          QStringLiteral("N21"),       QStringLiteral("N24"),
        QStringLiteral("N25"),          QStringLiteral("N26"),       QStringLiteral("N44"),
        QStringLiteral("N39"),          QStringLiteral("N40"),       QStringLiteral("N41"),
        QStringLiteral("N45"),          QStringLiteral("N46"),
        QStringLiteral("N15"),          QStringLiteral("N16"),       QStringLiteral("N7"),
        QStringLiteral("N201"),         QStringLiteral("N47"),
    };
    for (QAction *item : menuBar()->findChildren<QAction *>()) {
        if (!item->objectName().isEmpty()) item->setEnabled(built.contains(item->objectName()));
    }
}

// =================================================================================
// Start-up
// =================================================================================

bool StartUp(const QString &dataFolder) {
    // The application's title is set by the application object; help is built in.
    const bool started = Guarded([&] {
        LogoAppForm = new TLogoAppForm;
        CreateFormsBeforeSplash(LogoAppForm);
        // The splash: painted at once, since no event is processed until every
        // start-up form exists.
        AboutBox->show();
        AboutBox->repaint();
        // The data folder is checked before anything is written: a refusal says what is
        // wrong in the error box, and the program ends with the file as it was.
        db::Database::Open(dataFolder);
        RemoveUnfinishedCopies();
        if (const QString notice = db::Database::ReadOnlyNotice(); !notice.isEmpty())
            MessageDlg(notice, mtWarning, mbOK);
        CreateStartupForms(LogoAppForm);
        AboutBox->hide();
    });
    if (!started) {
        ShutDown();
        return false;
    }
    // Full screen also where no window manager maximizes it.
    if (QScreen *screen = QApplication::primaryScreen())
        LogoAppForm->setGeometry(screen->availableGeometry());
    LogoAppForm->showMaximized();
    return true;
}

void ShutDown() {
    delete LogoAppForm; // and with it every form it owns
    LogoAppForm = nullptr;
    if (db::Database::IsOpen()) db::Database::Close();
}

// =================================================================================
// The main window
// =================================================================================

TLogoAppForm::TLogoAppForm(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("LogoAppForm"));
    setWindowTitle(AppTitle());
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    setFont(font);
    InstallFormKeys(this);
    ::SetHelpContext(this, 1);

    // Every group is still to be created.
    CreateFlags = TCreateFlags();
    // Process formats; the separator follows the settings from the first show on.
    fmt::FormatSettings &formats = fmt::Settings();
    formats.currencyDecimals = 2;
    formats.currencyString.clear();
    formats.shortDateFormat = QStringLiteral("dd.mm.yyyy");
    formats.longDateFormat = QStringLiteral("dd.mm.yyyy");
    fmt::SetDecimalSeparator(QLatin1Char('-'));

    auto table = [this](const QString &name, const QString &file) {
        auto *t = new TTable(this, file);
        t->setObjectName(name);
        return t;
    };
    Table2 = table(QStringLiteral("Table2"), QStringLiteral("Dogovor.DB"));
    Table1 = table(QStringLiteral("Table1"), QStringLiteral("Bank.db"));
    Table1->Exclusive = true;
    Table3 = table(QStringLiteral("Table3"), QStringLiteral("FAKTUR_ZAG.DB"));
    Table4 = table(QStringLiteral("Table4"), QStringLiteral("Faktura.DB"));
    Table5 = table(QStringLiteral("Table5"), QStringLiteral("Klient.DB"));
    Table6 = table(QStringLiteral("Table6"), QStringLiteral("Oplata.db"));
    Table7 = table(QStringLiteral("Table7"), QStringLiteral("PlatPor.DB"));
    Table8 = table(QStringLiteral("Table8"), QStringLiteral("Primech.db"));
    Table9 = table(QStringLiteral("Table9"), QStringLiteral("BalOtch.db"));
    Table10 = table(QStringLiteral("Table10"), QStringLiteral("OtchKli.db"));
    Table11 = table(QStringLiteral("Table11"), QStringLiteral("OtchSald.db"));
    Table12 = table(QStringLiteral("Table12"), QStringLiteral("PlanSch.DB"));
    Table13 = table(QStringLiteral("Table13"), QStringLiteral("Provodka.DB"));
    Table14 = table(QStringLiteral("Table14"), QStringLiteral("Sostoyn.db"));

    BuildMenu();
    BuildToolBars();
    EnableCommands();
}

TLogoAppForm::~TLogoAppForm() {
    if (LogoAppForm == this) LogoAppForm = nullptr;
}

QString TLogoAppForm::OrganisationName() const {
    return Edit1->text();
}

bool OwnOrganisationChosen(double organisation) {
    if (organisation != 0) return true;
    MessageDlg(QStringLiteral("Не выбрана своя организация"), mtError, mbOK);
    return false;
}

QAction *TLogoAppForm::MenuItem(const QString &name) const {
    return menuBar()->findChild<QAction *>(name);
}

QString TLogoAppForm::ItemCaption(const QString &item) const {
    return MenuItem(item)->text();
}

void TLogoAppForm::BuildMenu() {
    QMenuBar *LogoAppMenu = menuBar();
    LogoAppMenu->setObjectName(QStringLiteral("LogoAppMenu"));
    QMenu *menu = nullptr;
    auto item = [&](const char *name, const QString &caption, const QKeySequence &shortcut,
                    void (TLogoAppForm::*handler)()) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        OnTriggered(action, [this, handler] { (this->*handler)(); });
        return action;
    };
    auto separator = [&](const char *name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    menu = LogoAppMenu->addMenu(QStringLiteral("Документы  "));
    item("N35", QStringLiteral("Журнал хоз. операций ( проводки )"), QKeySequence(Qt::CTRL | Qt::Key_F8),
         &TLogoAppForm::N35Click);
    item("N37", QStringLiteral("Касса"), QKeySequence(Qt::CTRL | Qt::Key_F9), &TLogoAppForm::N37Click);
    item("N42", QStringLiteral("Банк"), QKeySequence(Qt::CTRL | Qt::Key_F10), &TLogoAppForm::N42Click);
    separator("N36");
    item("N2", QStringLiteral("Платежные поручения"), QKeySequence(Qt::CTRL | Qt::Key_F2),
         &TLogoAppForm::N2Click);
    separator("N32");
    item("N3", QStringLiteral("Приходные документы"), QKeySequence(Qt::CTRL | Qt::Key_F3),
         &TLogoAppForm::N3Click);
    separator("N33");
    item("N5", QStringLiteral("Счета"), QKeySequence(Qt::CTRL | Qt::Key_F4), &TLogoAppForm::N5Click);
    item("N30", QStringLiteral("Счета-Фактуры"), QKeySequence(Qt::CTRL | Qt::Key_F5),
         &TLogoAppForm::N30Click);
    item("N31", QStringLiteral("Накладные"), QKeySequence(Qt::CTRL | Qt::Key_F6), &TLogoAppForm::N31Click);
    separator("N34");
    item("N4", QStringLiteral("Договора"), QKeySequence(Qt::CTRL | Qt::Key_F7), &TLogoAppForm::N4Click);
    separator("N1");
    QAction *exit = item("FileExitItem", QStringLiteral("Выход"), QKeySequence(Qt::ALT | Qt::Key_X),
                         &TLogoAppForm::FileExit);
    exit->setStatusTip(QStringLiteral("Exit application"));
    exit->setToolTip(QStringLiteral("Exit application"));

    const QKeySequence none;
    menu = LogoAppMenu->addMenu(QStringLiteral("Отчетность  "));
    item("N9", QStringLiteral("Книга продаж"), none, &TLogoAppForm::N9Click);
    item("N10", QStringLiteral("Книга покупок"), none, &TLogoAppForm::N10Click);
    separator("N38");
    item("N39", QStringLiteral("Баланс"), none, &TLogoAppForm::N39Click);
    item("N46", QStringLiteral("Бухгалтерский баланс"), none, &TLogoAppForm::N46Click);
    item("N40", QStringLiteral("Оборотно-сальдовая"), none, &TLogoAppForm::N40Click);
    item("N41", QStringLiteral("Обороты по счету"), none, &TLogoAppForm::N41Click);
    separator("N23");
    item("N17", QStringLiteral("Просроченные этапы"), none, &TLogoAppForm::N17Click);
    separator("N22");
    item("N18", QStringLiteral("Перечень по ассортименту"), none, &TLogoAppForm::N18Click);
    item("N19", QStringLiteral("Перечень по номерам"), none, &TLogoAppForm::N19Click);
    item("N20", QStringLiteral("Ведомость по покупателям"), none, &TLogoAppForm::N20Click);
    item("N21", QStringLiteral("Перечень по оплате"), none, &TLogoAppForm::N21Click);
    item("N24", QStringLiteral("Дебиторы"), none, &TLogoAppForm::N24Click);
    item("N25", QStringLiteral("Кредиторы"), none, &TLogoAppForm::N25Click);
    item("N26", QStringLiteral("Ведомость по покупателю"), none, &TLogoAppForm::N26Click);
    item("N44", QStringLiteral("Отчет по ассортименту"), none, &TLogoAppForm::N44Click);

    menu = LogoAppMenu->addMenu(QStringLiteral("Администратор  "));
    item("N27", QStringLiteral("Установки"), none, &TLogoAppForm::N27Click);
    item("N13", QStringLiteral("Свои реквизиты"), none, &TLogoAppForm::N13Click);
    item("N14", QStringLiteral("Состояние договоров"), none, &TLogoAppForm::N14Click);
    item("N43", QStringLiteral("План счетов"), none, &TLogoAppForm::N43Click);
    item("N45", QStringLiteral("Настройка отчета \"Бухгалтерский баланс\""), none, &TLogoAppForm::N45Click);
    separator("N29");
    item("N15", QStringLiteral("Создание архива"), none, &TLogoAppForm::N15Click);
    item("N16", QStringLiteral("Восстановление из архива"), none, &TLogoAppForm::N16Click);
    separator("N28");
    item("N7", QStringLiteral("Переиндексация"), none, &TLogoAppForm::N7Click);
    item("N201", QStringLiteral("Подкачка платежек из версии 2.0"), none, &TLogoAppForm::N201Click);
    item("N47", QStringLiteral("Экспорт данных из предидущих версий"), none, &TLogoAppForm::N47Click);

    menu = LogoAppMenu->addMenu(QStringLiteral("&Help "));
    item("Contents1", QStringLiteral("Содержание"), none, &TLogoAppForm::Contents1Click);
    separator("N12");
    item("AboutItem", QStringLiteral("&About..."), none, &TLogoAppForm::About);
}

void TLogoAppForm::BuildToolBars() {
    // Flat buttons with a picture above the caption. A command's button runs the
    // handler of its menu item and is enabled with it.
    auto button = [this](QToolBar *bar, const char *name, const QString &caption, const QString &hint,
                         QStyle::StandardPixmap picture, const char *item, void (TLogoAppForm::*handler)()) {
        auto *b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setToolTip(hint);
        b->setIcon(style()->standardIcon(picture));
        b->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        bar->addWidget(b);
        OnClick(b, [this, handler] { (this->*handler)(); });
        if (item) {
            QAction *action = MenuItem(QString::fromLatin1(item));
            b->setEnabled(action->isEnabled());
            connect(action, &QAction::enabledChanged, b, &QWidget::setEnabled);
        }
        return b;
    };
    auto bar = [this](const char *name) {
        auto *t = new QToolBar(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setMovable(false);
        t->setFloatable(false);
        t->setIconSize(QSize(24, 24));
        return t;
    };
    auto gap = [this](QToolBar *t) {
        auto *space = new QWidget(t);
        space->setFixedWidth(24);
        t->addWidget(space);
    };

    QToolBar *ToolBar1 = bar("ToolBar1");
    button(ToolBar1, "SpeedButton2", QStringLiteral("Платежные поручения"),
           QStringLiteral("Платежные поручения"), QStyle::SP_FileIcon, "N2", &TLogoAppForm::N2Click);
    button(ToolBar1, "SpeedButton3", QStringLiteral("Счета"), QStringLiteral("Счета \"продаж\""),
           QStyle::SP_FileDialogDetailedView, "N5", &TLogoAppForm::N5Click);
    button(ToolBar1, "SpeedButton4", QStringLiteral("Счета-Фактуры"),
           QStringLiteral("Счета-Фактуры \"продаж\""), QStyle::SP_FileDialogContentsView, "N30",
           &TLogoAppForm::N30Click);
    button(ToolBar1, "SpeedButton5", QStringLiteral("Накладные"), QStringLiteral("Накладные \"продаж\""),
           QStyle::SP_FileDialogListView, "N31", &TLogoAppForm::N31Click);
    button(ToolBar1, "SpeedButton6", QStringLiteral("Приходные документы"),
           QStringLiteral("Прходные документы"), QStyle::SP_DialogOpenButton, "N3", &TLogoAppForm::N3Click);
    button(ToolBar1, "SpeedButton7", QStringLiteral("Договора"), QStringLiteral("Договора"),
           QStyle::SP_DirIcon, "N4", &TLogoAppForm::N4Click);

    QToolBar *ToolBar3 = bar("ToolBar3");
    button(ToolBar3, "SpeedButton8", QStringLiteral("Журнал хоз. операций ( проводки )"),
           QStringLiteral("Проводки"), QStyle::SP_FileDialogInfoView, "N35", &TLogoAppForm::N35Click);
    button(ToolBar3, "SpeedButton9", QStringLiteral("Касса"), QStringLiteral("Касса"), QStyle::SP_DriveHDIcon,
           "N37", &TLogoAppForm::N37Click);
    button(ToolBar3, "SpeedButton10", QStringLiteral("Банк"), QStringLiteral("Банк"), QStyle::SP_ComputerIcon,
           "N42", &TLogoAppForm::N42Click);
    gap(ToolBar3);
    button(ToolBar3, "SpeedButton12", QStringLiteral("Выход"), QString(), QStyle::SP_DialogCloseButton,
           "FileExitItem", &TLogoAppForm::FileExit);

    QToolBar *ToolBar2 = bar("ToolBar2");
    gap(ToolBar2);
    auto *Label2 = new QLabel(QStringLiteral("Организация"), ToolBar2);
    Label2->setObjectName(QStringLiteral("Label2"));
    ToolBar2->addWidget(Label2);
    Edit1 = new QLabel(ToolBar2);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Edit1->setMinimumWidth(400);
    Edit1->setContentsMargins(4, 2, 4, 2);
    ToolBar2->addWidget(Edit1);
    button(ToolBar2, "SpeedButton1", QString(), QStringLiteral("Словарь"), QStyle::SP_DirOpenIcon, nullptr,
           &TLogoAppForm::SpeedButton1Click);

    addToolBar(Qt::TopToolBarArea, ToolBar1);
    addToolBarBreak();
    addToolBar(Qt::TopToolBarArea, ToolBar3);
    addToolBarBreak();
    addToolBar(Qt::TopToolBarArea, ToolBar2);
}

// ---- First show -----------------------------------------------------------------

void TLogoAppForm::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (m_firstShowDone || event->spontaneous()) return;
    m_firstShowDone = true;
    // A failing step is shown in the error box; the steps after it do not run.
    Guarded([this] { FormShow(); });
}

void TLogoAppForm::FormShow() {
    Provodka->PlSch->Open();
    ApplyRasdel();
    AllBank->Table1->Open();
    SetKlientGroup(QStringLiteral("T"));
    TakeOwnOrganisation();
    AboutBox->EndSplash();
}

void TLogoAppForm::TakeOwnOrganisation() {
    // On an empty group the fields read empty and 0: no own organisation.
    Edit1->setText(SlPoluch->KlientFullName->AsString());
    SvoyKlientId = SlPoluch->KlientKlient_id->AsFloat();
    SvoyInn = SlPoluch->KlientInn->AsString();
    SvoyAdress = SlPoluch->KlientAdress->AsString();
}

// ---- Menu "Документы" -------------------------------------------------------------
// A command whose target form is not in the program yet only creates its group.

void TLogoAppForm::N35Click() {
    ShowModal(Provodka);
}

// Cash ("50") and bank ("51"): one view; only the cash view prints cash orders.
void TLogoAppForm::N37Click() {
    CreateCash();
    Kassa->CashAccount = QStringLiteral("50");
    Kassa->SetCaption(ItemCaption(QStringLiteral("N37")));
    Kassa->BitBtn4->setVisible(true);
    ShowModal(Kassa);
}
void TLogoAppForm::N42Click() {
    CreateCash();
    Kassa->CashAccount = QStringLiteral("51");
    Kassa->SetCaption(ItemCaption(QStringLiteral("N42")));
    Kassa->BitBtn4->setVisible(false);
    ShowModal(Kassa);
}
void TLogoAppForm::N2Click() {
    CreatePayOrders();
    SpPlat->SetCaption(ItemCaption(QStringLiteral("N2")));
    ShowModal(SpPlat);
}
void TLogoAppForm::N3Click() {
    ShowDocuments(QStringLiteral("N3"), ReceivedInvoicesMode());
}
void TLogoAppForm::N5Click() {
    ShowDocuments(QStringLiteral("N5"), BillsMode());
}
void TLogoAppForm::N30Click() {
    ShowDocuments(QStringLiteral("N30"), InvoicesMode());
}
void TLogoAppForm::N31Click() {
    ShowDocuments(QStringLiteral("N31"), WaybillsMode());
}

// The document register in one of its modes, with the menu item's caption; a bill or
// waybill register filters on its own date while shown.
void TLogoAppForm::ShowDocuments(const QString &item, const DocumentRegisterMode &mode) {
    CreateSalesDocs();
    SpRasx->SvFlag = mode.SvFlag;
    SpRasx->VidDoc = mode.VidDoc;
    SetUpDocumentColumns(SpRasx->DBGrid1, SpRasx->Label3, SpRasx->Label4, mode);
    SpRasx->SetCaption(ItemCaption(item));
    ShowWithDateColumn(SpRasx->SpRasx, mode.DateColumn, [] { return ShowModal(SpRasx); });
}

void TLogoAppForm::N4Click() {
    CreatePayOrders();
    CreateSalesDocs();
    CreateContracts();
    ShowModal(SpDogov);
}

void TLogoAppForm::FileExit() {
    close();
}

// The program ends with its main window, whatever other windows stand open: the help
// window opened from here has no owner, and would keep the program, and its data
// folder, running unseen. Each open window is closed as the user would close it; one
// that refuses keeps the main window, and the program, as they are.
void TLogoAppForm::closeEvent(QCloseEvent *event) {
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible() && !window->close()) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

// ---- Menu "Отчетность" ------------------------------------------------------------

// The sales and purchase books: one form, the direction from the command.
void TLogoAppForm::N9Click() {
    CreateBooks();
    Kniga->SetCaption(ItemCaption(QStringLiteral("N9")));
    Kniga->BookFlag = QStringLiteral("s");
    ShowModal(Kniga);
}
void TLogoAppForm::N10Click() {
    CreateBooks();
    Kniga->SetCaption(ItemCaption(QStringLiteral("N10")));
    Kniga->BookFlag = QStringLiteral("b");
    ShowModal(Kniga);
}
void TLogoAppForm::N39Click() {
    CreateBalance();
    Balans->ReportMode = QStringLiteral("1");
    Balans->SetCaption(ItemCaption(QStringLiteral("N39")));
    ShowModal(Balans);
}
void TLogoAppForm::N46Click() {
    BalBuh->SetCaption(ItemCaption(QStringLiteral("N46")));
    ShowModal(BalBuh);
}
void TLogoAppForm::N40Click() {
    CreateBalance();
    Balans->ReportMode = QStringLiteral("2");
    Balans->SetCaption(ItemCaption(QStringLiteral("N40")));
    ShowModal(Balans);
}
void TLogoAppForm::N41Click() {
    CreateTurnOver();
    ItogOb->SetCaption(ItemCaption(QStringLiteral("N41")));
    ShowModal(ItogOb);
}
void TLogoAppForm::N17Click() {
    CreateOverdueStages();
    OtchEtap->RunReport();
}
// The trade reports: the kind and the title from the command. Debtors and creditors
// are reported on one date.
namespace {
void showTradeReport(TLogoAppForm *main, const char *item, double kind) {
    Otchet->ReportKind = kind;
    Otchet->SetCaption(main->MenuItem(QString::fromLatin1(item))->text());
    if (kind == 5 || kind == 6)
        ShowOnOneDate(Otchet->DatI, Otchet->Label2, Otchet->Label1, [] { return ShowModal(Otchet); });
    else
        ShowModal(Otchet);
}
} // namespace

void TLogoAppForm::N18Click() {
    showTradeReport(this, "N18", 1);
}
void TLogoAppForm::N19Click() {
    showTradeReport(this, "N19", 2);
}
void TLogoAppForm::N20Click() {
    showTradeReport(this, "N20", 3);
}
void TLogoAppForm::N21Click() {
    showTradeReport(this, "N21", 4);
}
void TLogoAppForm::N24Click() {
    showTradeReport(this, "N24", 5);
}
void TLogoAppForm::N25Click() {
    showTradeReport(this, "N25", 6);
}
void TLogoAppForm::N26Click() {
    VedPok->SetCaption(ItemCaption(QStringLiteral("N26")));
    ShowModal(VedPok);
}
void TLogoAppForm::N44Click() {
    showTradeReport(this, "N44", 7);
}

// ---- Menu "Администратор" ---------------------------------------------------------

void TLogoAppForm::N27Click() {
    ShowModal(Config);
    // A new separator applies at once.
    ApplyRasdel();
}

void TLogoAppForm::N13Click() {
    // The own organisations to edit; the current one stays as it is.
    SlPoluch->KlientGroup = QStringLiteral("T");
    SlPoluch->SetCaption(ItemCaption(QStringLiteral("N13")));
    ShowModal(SlPoluch);
}

void TLogoAppForm::N14Click() {
    ShowModal(SpEtap);
}
void TLogoAppForm::N43Click() {
    ShowModal(Plan);
}
void TLogoAppForm::N45Click() {
    CBal->SetCaption(ItemCaption(QStringLiteral("N45")));
    ShowModal(CBal);
}
void TLogoAppForm::N15Click() {
    ArchiveCommand();
}
void TLogoAppForm::N16Click() {
    RestoreCommand();
}
void TLogoAppForm::N7Click() {
    ReindexCommand();
}
void TLogoAppForm::N201Click() {
    ImportVersion20Command();
}
void TLogoAppForm::N47Click() {
    ExpOldCommand(ItemCaption(QStringLiteral("N47")));
}

// ---- Menu "Help" ------------------------------------------------------------------

void TLogoAppForm::Contents1Click() {
    Help::ShowContents();
}

void TLogoAppForm::About() {
    ShowModal(AboutBox);
}

// ---- The own-organisation button --------------------------------------------------

void TLogoAppForm::SpeedButton1Click() {
    SlPoluch->SetCaption(QStringLiteral("Организация"));
    SlPoluch->KlientGroup = QStringLiteral("T");
    ShowModal(SlPoluch);
    if (SlPoluch->OkPressed) TakeOwnOrganisation();
}

// The meta-object code of this module compiles with it, so using the module links
// nothing of modules still being written.
#include "moc_LogoMain.cpp"

#pragma once
// The main window: menus and tool bars that open every other form, the current own
// organisation that documents and reports take, the lazy creation of form groups,
// and the contracts table the registers share.
#include "db/Table.h"

#include <QMainWindow>

class QAction;
class QLabel;

// The forms created on first use, one flag per group: true until the group exists.
struct TCreateFlags {
    bool PayOrders = true;     // TSpPlat, TPRINT_PAY, TPlatPor, TPlatOrd
    bool SalesDocs = true;     // TSchFak, TQ_pri, TOplataF, TSpRasx
    bool Contracts = true;     // TQuery_f, TSpDogov, TKartDog
    bool Cash = true;          // TKassa, TOpKassa, TKasOrd
    bool Balance = true;       // TBalans
    bool Books = true;         // TKniga
    bool TurnOver = true;      // TItogOb
    bool OverdueStages = true; // TOtchEtap
};

class TLogoAppForm : public QMainWindow {
    Q_OBJECT
  public:
    explicit TLogoAppForm(QWidget *parent = nullptr);
    ~TLogoAppForm() override;

    // The current own organisation: its Klient_id (0 when there is none), INN and
    // address. The contract register's organisation filter also writes SvoyInn and
    // SvoyAdress.
    double SvoyKlientId = 0;
    QString SvoyInn;
    QString SvoyAdress;
    // The box "Организация": its text is the current own organisation's full name.
    QLabel *Edit1 = nullptr;
    QString OrganisationName() const; // the text of Edit1

    TCreateFlags CreateFlags;

    // Dogovor.DB, closed at start: the registers set its index to Dogovor_id and open
    // it when shown, and clear the index and close it when they close.
    TTable *Table2 = nullptr;
    // Tables of the maintenance commands (reindex, import); closed.
    TTable *Table1 = nullptr;  // Bank.db (exclusive)
    TTable *Table3 = nullptr;  // FAKTUR_ZAG.DB
    TTable *Table4 = nullptr;  // Faktura.DB
    TTable *Table5 = nullptr;  // Klient.DB
    TTable *Table6 = nullptr;  // Oplata.db
    TTable *Table7 = nullptr;  // PlatPor.DB
    TTable *Table8 = nullptr;  // Primech.db
    TTable *Table9 = nullptr;  // BalOtch.db
    TTable *Table10 = nullptr; // OtchKli.db
    TTable *Table11 = nullptr; // OtchSald.db
    TTable *Table12 = nullptr; // PlanSch.DB
    TTable *Table13 = nullptr; // Provodka.DB
    TTable *Table14 = nullptr; // Sostoyn.db

    // The first-show steps: chart of accounts, decimal separator, bank directory,
    // current own organisation (the first under the index "Nam"), the splash turned
    // into the about box. Also run again after the data folder's tables are replaced.
    void FormShow();

    // Creates the forms of a lazy group on its first use (does nothing later).
    void CreatePayOrders();
    void CreateSalesDocs();
    void CreateContracts();
    void CreateCash();
    void CreateBalance();
    void CreateBooks();
    void CreateTurnOver();
    void CreateOverdueStages();

    // Menu and tool-bar commands.
    void N35Click();
    void N37Click();
    void N42Click();
    void N2Click();
    void N3Click();
    void N5Click();
    void N30Click();
    void N31Click();
    void N4Click();
    void FileExit();
    void N9Click();
    void N10Click();
    void N39Click();
    void N46Click();
    void N40Click();
    void N41Click();
    void N17Click();
    void N18Click();
    void N19Click();
    void N20Click();
    void N21Click();
    void N24Click();
    void N25Click();
    void N26Click();
    void N44Click();
    void N27Click();
    void N13Click();
    void N14Click();
    void N43Click();
    void N45Click();
    void N15Click();
    void N16Click();
    void N7Click();
    void N201Click();
    void N47Click();
    void Contents1Click();
    void About();
    void SpeedButton1Click();

    // Enables the commands whose target forms exist in this build.
    void EnableCommands();

    // The menu item of a handler name ("N2", "FileExitItem"...), for the enabling and
    // for tests.
    QAction *MenuItem(const QString &name) const;

  protected:
    void showEvent(QShowEvent *event) override;
    // Closing the main window ("Выход", Alt+X, its close box) ends the program.
    void closeEvent(QCloseEvent *event) override;

  private:
    void BuildMenu();
    void BuildToolBars();
    void ShowDocuments(const QString &item, const struct DocumentRegisterMode &mode);
    // The current own organisation := the current row of the partners list.
    void TakeOwnOrganisation();
    // The caption of a menu item, as the commands copy it into their target form.
    QString ItemCaption(const QString &item) const;
    bool m_firstShowDone = false;
};

extern TLogoAppForm *LogoAppForm;

// Whether `organisation`, the Klient_id of the own organisation a new row belongs to (a
// document, a payment order, a contract, a journal entry), names one; with 0 it says
// "Не выбрана своя организация" and returns false: every register and report lists
// rows by their own organisation, so no window could reach such a row again.
bool OwnOrganisationChosen(double organisation);

// The program's start-up: opens the data folder, creates the main window and the
// start-up forms behind the splash, and shows the main window maximized. Returns false
// when the program cannot start; the error has been shown (a folder open in another
// copy of the program, a data file refused by its checks). A data file that can only
// be read is said so, and the program runs on it.
bool StartUp(const QString &dataFolder = QStringLiteral("dat"));
// Destroys the main window with every form and closes the data folder.
void ShutDown();

#pragma once
// The bank accounts of one organisation or partner (Bank.db): the editable list that
// is also the bank-account picker of the payment-order, document and contract forms.
// Its table RekvPol is the one cursor on Bank.db those forms read accounts from.
#include "controls/Forms.h"
#include "db/Table.h"

class QPushButton;
class TDBGrid;
class TDataSource;

class TSlBankP : public TForm {
    Q_OBJECT
  public:
    explicit TSlBankP(QWidget *parent = nullptr);

    // Request: the owner whose accounts are listed; also the owner stamped on every
    // account added while the picker or the client card is in use.
    double KlientId = 0;
    // Result: cleared on show, set by OK only; the chosen account is then the current
    // row of RekvPol, which stays open on that owner's accounts.
    bool OkPressed = false;

    // Bank.db under the index "Klient" (owner, then key).
    TTable *RekvPol = nullptr;
    TField *RekvPolBank_id = nullptr;
    TField *RekvPolKlient_id = nullptr;
    TField *RekvPolNameBank = nullptr;
    TField *RekvPolSchet = nullptr;
    TField *RekvPolKorSchet = nullptr;
    TField *RekvPolBik = nullptr;
    TDataSource *DataSource1 = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // OK
    QPushButton *BitBtn2 = nullptr; // Cancel

    // The account columns "БИК", "Наименование" (with the button that opens the bank
    // directory), "Счет", "Кор. счет"; the client card's grid shows the same.
    static void AddAccountColumns(TDBGrid *grid);

    // Writes the bank chosen in the directory (the current row of AllBank->Table1)
    // into the current account, or into a new one when the list is empty, and posts it.
    void TakeBankFromDirectory();

  protected:
    void FormShow() override;

  private:
    void RekvPolNewRecord();
    void RekvPolBikValidate(TField *Sender);
    void DBGrid1EditButtonClick();
    void BitBtn1Click();
};

extern TSlBankP *SlBankP;

// Reopens RekvPol restricted to the accounts of owner `id`, in key order, on the first
// of them; the last of them is the default account that new payment orders and
// documents take. An owner of 0 (none chosen, or a client not stored yet) has no
// accounts: the list is empty rather than showing accounts left without an owner.
void SelectClientBanks(double id);

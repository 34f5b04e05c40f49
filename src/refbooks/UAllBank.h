#pragma once
// The national bank directory: the pick list of banks, the lookup of a BIK that the
// account grids and the payment-order and document editors use, and the one rule that
// turns a directory row into the bank name stored with an account and printed.
#include "controls/Forms.h"
#include "db/Table.h"

class QPushButton;
class TDBGrid;
class TDataSource;

class TAllBank : public TForm {
    Q_OBJECT
  public:
    explicit TAllBank(QWidget *parent = nullptr);

    // Result: cleared each time the list is shown, set by OK or a double click; the
    // chosen bank is then the current row of Table1.
    bool OkPressed = false;

    // Bnkseek.db in key order: opened by the main window's first show and left open;
    // never written. The list stands where the last lookup or choice left it.
    TTable *Table1 = nullptr;
    TField *Table1Bnkseek_id = nullptr;
    TField *Table1NNP = nullptr;   // city
    TField *Table1NAMEP = nullptr; // bank name
    TField *Table1NameN = nullptr;
    TField *Table1NEWNUM = nullptr; // BIK
    TField *Table1KSNP = nullptr;   // correspondent account
    TField *Table1NamePr = nullptr; // prefix written before the name
    TDataSource *DataSource1 = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // OK
    QPushButton *BitBtn2 = nullptr; // Cancel

    // Moves Table1 to the first bank whose BIK is exactly `bik` (whole value, letter
    // case counts) and returns true; returns false and leaves the position when there
    // is none. Each caller shows its own message for a BIK not found.
    bool LocateBik(const QString &bik);

    // The bank name stored with an account for the current row of Table1: prefix, a
    // blank, name, and when the setting AppBank is on, " г." with the city right after
    // it. An empty prefix still leaves the blank in front.
    QString BankText() const;

  protected:
    void FormShow() override;

  private:
    void BitBtn1Click();
};

extern TAllBank *AllBank;

// The bank block of a payment order's or document's row completed from the BIK typed in
// its `bikField`: the correspondent account into `korAccountField`, and the bank name
// (as BankText) into `bankField` when that is empty. A BIK the directory lacks is said
// so ("Проверте БИК банка!") and changes nothing.
void CompleteBankByBik(TDataSet *row, const QString &bikField, const QString &bankField,
                       const QString &korAccountField);

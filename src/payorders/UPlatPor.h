#pragma once
// The payment-order editor: edits the register's current order in place, completes
// the payer's and recipient's requisites from the reference books and the bank
// directory, checks the order and saves it (with its recipient and the recipient's
// account added to the reference books when they are new), and prints it.
#include "controls/Forms.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class TDataSet;
class TDataSource;
class TDBComboBox;
class TDBEdit;
class TDBMemo;
class TTable;

class TPlatPor : public TForm {
    Q_OBJECT
  public:
    // `source`: the payment-order register's data source (`SpPlat->DataSource1`).
    explicit TPlatPor(TDataSource *source, QWidget *parent = nullptr);
    ~TPlatPor() override;

    // The program's first command-line argument: "1" shows "Печать ордера".
    QString FirstArgument;

    TDBEdit *EditNUMBER, *DBEdit3, *EditDATE;
    TDBComboBox *DBComboBox1;
    // Payer
    TDBEdit *DBEdit6;
    TDBMemo *DBMemo4;
    TDBEdit *DBEdit1, *EditP_ACCOUNT, *EditP_BANK_BIK, *EditP_BANK_ACC;
    TDBMemo *DBMemo1;
    QPushButton *SpeedButton1; // "F2-Банки"
    // Recipient
    TDBEdit *DBEdit7;
    TDBMemo *DBMemo5;
    TDBEdit *EditR_BANK_BIK, *EditR_BANK_ACC, *EditR_ACCOUNT;
    TDBMemo *DBMemo2;
    TDBEdit *EditVID_PAY, *DBEdit2;
    QToolButton *ClearSrok;
    TDBEdit *EditNAZ_PAY, *DBEdit4, *EditCODE, *DBEdit5;
    QPushButton *SpeedButton3; // "F3-Получ."
    QPushButton *SpeedButton2; // "F4-Банки"
    // Purpose, contract, commands
    TDBMemo *DBMemo3;
    QPushButton *SpeedButton8; // "в т.ч. НДС"
    QLineEdit *Edit1;          // "Договор": the linked contract's number
    QToolButton *SpeedButton4;
    QPushButton *BitBtn4; // "Печать ордера"
    QPushButton *BitBtn3; // "F5-Печать"
    QPushButton *BitBtn1; // "F10-Выход"
    QPushButton *BitBtn2; // "Cancel"
    QCheckBox *CheckBox1; // "Прошло через банк"

    void BitBtn1Click();      // save
    void EditNUMBERKeyDown(); // Esc: leave, asking whether to save a changed order
    void BitBtn2Click();      // discard and close
    void BitBtn3Click();      // print 0401060
    void BitBtn4Click();      // print 0401066
    void SpeedButton1Click(); // payer's account
    void SpeedButton3Click(); // recipient
    void SpeedButton2Click(); // recipient's account
    void SpeedButton4Click(); // contract
    void SpeedButton8Click(); // VAT remark
    void ClearSrokClick();
    void DBEdit7Exit();        // recipient by INN
    void EditR_BANK_BIKExit(); // bank by BIK
    void Edit1Exit();          // contract box left empty
    void CheckBox1Click();

  protected:
    void FormShow() override;
    void FormClose() override;
    void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift) override;

  private:
    void upsertRecipient();
    void focusMoved(QWidget *from, QWidget *to);
    bool hasChanges() const;

    TDataSource *DataSource1;
    TDataSet *Plat;
    // A save posted the order but could not write it: it is still to be written (or
    // dropped when the editor closes).
    bool m_postedNotWritten = false;
};

extern TPlatPor *PlatPor;

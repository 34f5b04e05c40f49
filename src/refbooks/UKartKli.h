#pragma once
// The client card: one row of Klient.DB (the partners list's current row) with
// its bank accounts, opened by the partners list to edit a client or to add
// one.
#include "controls/Forms.h"

class QPushButton;
class TDBEdit;
class TDBMemo;
class TDBGrid;

class TKartKli : public TForm {
    Q_OBJECT
  public:
    explicit TKartKli(QWidget *parent = nullptr);

    // On the partners list's current row (SlPoluch->DataSource1).
    TDBEdit *EditName = nullptr; // "Название для поиска"
    // The long texts wrap over three lines instead of running out of sight.
    TDBMemo *EditFullName = nullptr;
    TDBMemo *EditAdress = nullptr;
    TDBEdit *EditTelephon = nullptr;
    TDBEdit *EditCyti = nullptr;
    TDBEdit *EditInn = nullptr;
    TDBEdit *EditOkonx = nullptr;
    TDBEdit *EditOkpo = nullptr;
    // The client's accounts (SlBankP->DataSource1), edited in place.
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // OK
    QPushButton *BitBtn2 = nullptr; // Cancel
    QPushButton *BitBtn3 = nullptr; // "Банки": an account's bank from the directory

  protected:
    void FormShow() override;
    void FormClose() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void DBGrid1Enter();
    void StoreClient();
    void BitBtn3Click();
    void BitBtn1Click();
};

extern TKartKli *KartKli;

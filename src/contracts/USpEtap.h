#pragma once
// The dictionary of the states a contract or a contract stage can be in ("подписан",
// "оплачен"...). Its table is also the list the contract register and the stage grid
// look their state names up in.
#include "controls/Forms.h"
#include "db/Table.h"

class QPushButton;
class TDBGrid;
class TDataSource;

class TSpEtap : public TForm {
    Q_OBJECT
  public:
    explicit TSpEtap(QWidget *parent = nullptr);

    // Sostoyn.db: Sost_id (given by the table) and NameSost; rows are written when
    // the grid leaves them. Opened here when shown, and by the datasets that look
    // state names up in it when they open.
    TTable *Sost = nullptr;
    TDataSource *DSSost = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "Выход"

    void BitBtn1Click();

  protected:
    void FormShow() override;
    void FormClose() override;
};

extern TSpEtap *SpEtap;

#pragma once
// The four fields only form 0401066 carries, asked for before it prints. The boxes
// edit the current payment order in place (nothing is posted here); the editor's save
// or discard decides what is kept.
#include "controls/Forms.h"

class QPushButton;
class TDataSource;
class TDBEdit;

class TPlatOrd : public TForm {
    Q_OBJECT
  public:
    // `source`: the payment-order register's data source (`SpPlat->DataSource1`).
    explicit TPlatOrd(TDataSource *source, QWidget *parent = nullptr);
    ~TPlatOrd() override;

    bool OkPressed = false; // set by OK; cleared on show and by Cancel

    TDBEdit *DBEdit1, *DBEdit2, *DBEdit3, *DBEdit4;
    QPushButton *BitBtn1, *BitBtn2;

  protected:
    void FormShow() override;

  private:
    void BitBtn1Click();
    void BitBtn2Click();
    TDataSource *m_source;
};

extern TPlatOrd *PlatOrd;

#pragma once
// The dialog of a new cash or bank operation ("Приход" or "Расход", its caption set by
// the caller): date, correspondent account, amount and remark, edited in place on the
// operation the cash view has just appended. OK posts the operation into the view's
// cache (not without its correspondent account); the view drops it on Cancel.
#include "controls/Forms.h"

class QPushButton;
class QToolButton;
class TDataSource;
class TDBEdit;

class TOpKassa : public TForm {
    Q_OBJECT
  public:
    // `source`: the cash view's operations (`Kassa->DataSource1`).
    explicit TOpKassa(TDataSource *source, QWidget *parent = nullptr);
    ~TOpKassa() override;

    // Cleared when shown; set by OK.
    bool OkPressed = false;
    // Set when the account chosen with "Словарь" has posted the operation into the
    // view's cache, so a Cancel must take the posted row out again.
    bool RowPosted = false;

    TDBEdit *DBEdit1 = nullptr; // "Дата"
    TDBEdit *DBEdit2 = nullptr; // "Кор. счет": Kredit for "Приход", Debet for "Расход"
    TDBEdit *DBEdit3 = nullptr; // "Сумма"
    TDBEdit *DBEdit4 = nullptr; // "Примечание"
    QToolButton *SpeedButton1 = nullptr; // "Словарь"
    QPushButton *BitBtn1 = nullptr;      // "OK"
    QPushButton *BitBtn2 = nullptr;      // "Cancel"

    void SpeedButton1Click();
    void BitBtn1Click();

  protected:
    void FormShow() override;

  private:
    TDataSource *m_source;
};

extern TOpKassa *OpKassa;

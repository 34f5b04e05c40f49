#pragma once
// The layout of the accounting balance sheet (ConfBal.db), edited in place: each row
// is a line of a section (its code and text, and the account whose saldo it shows), an
// extra account of the line with the same code (no text), or a section's title (code
// 0). The table is open while the form is shown; each row is written when posted.
#include "controls/Forms.h"
#include "db/Table.h"

class QToolButton;
class TDBGrid;

class TCBal : public TForm {
    Q_OBJECT
  public:
    explicit TCBal(QWidget *parent = nullptr);
    ~TCBal() override;

    TTable *ConfBal = nullptr; // in the order of sections and line codes
    TDataSource *DataSource1 = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QToolButton *SpeedButton1 = nullptr; // "Добавить"
    QToolButton *SpeedButton2 = nullptr; // "Удалить"
    QToolButton *SpeedButton3 = nullptr; // "Выход"

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();

  protected:
    void FormShow() override;
    // A row still being typed is dropped with the table.
    void FormClose() override;
};

extern TCBal *CBal;

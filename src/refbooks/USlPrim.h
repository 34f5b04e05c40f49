#pragma once
// The remark picker: the distinct notes of earlier bills, to reuse one in a new bill.
#include "controls/Forms.h"
#include "db/Query.h"

class QPushButton;
class TDBGrid;
class TDataSource;

class TSlPrim : public TForm {
    Q_OBJECT
  public:
    explicit TSlPrim(QWidget *parent = nullptr);

    // Result: cleared on show, set when a remark is chosen.
    bool OkPressed = false;
    // Result: the remark chosen; valid only when OkPressed is set.
    QString ChosenPrimech;

    // Every distinct remark in alphabetical order; open only while the picker is shown.
    TQuery *Prim = nullptr;
    TField *PrimPrimech = nullptr;
    TDataSource *DataSource1 = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // OK
    QPushButton *BitBtn2 = nullptr; // Cancel

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    void BitBtn1Click();
};

extern TSlPrim *SlPrim;

#pragma once
// The payments received or made against one document: the rows of Oplata.db of the
// register's current header, each with its VAT share, and on "Выход" their total
// written into the header's SummaOpl.
#include "controls/Forms.h"
#include "db/Query.h"

class QPushButton;
class TDBGrid;

class TOplataF : public TForm {
    Q_OBJECT
  public:
    // `header`: the register's headers (SpRasx); the form works on its current row.
    explicit TOplataF(TDataSet *header, QWidget *parent = nullptr);
    ~TOplataF() override;

    // The payments of the header (parameter zag), cached, written through UpdateSQL1;
    // open while the form is shown.
    TQuery *Oplata = nullptr;
    TUpdateSQL *UpdateSQL1 = nullptr;
    TDataSource *DataSource1 = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "Выход": store and close
    QPushButton *BitBtn2 = nullptr; // Cancel (also Esc): close, dropping the changes

    void BitBtn1Click();
    void OplataSummaOplValidate(TField *Sender);

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    void OplataAfterInsert(TDataSet *DataSet);
    TDataSet *SpRasx;
};

extern TOplataF *OplataF;

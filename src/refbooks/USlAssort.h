#pragma once
// The goods-name picker: the distinct goods names of all document lines, narrowed to
// those that begin with what the user types in the list.
#include "controls/Forms.h"
#include "db/Query.h"

class QLineEdit;
class QPushButton;
class TDBGrid;
class TDataSource;

class TSlAssort : public TForm {
    Q_OBJECT
  public:
    explicit TSlAssort(QWidget *parent = nullptr);

    // Result: the goods name chosen; emptied on show, so empty means nothing chosen.
    QString ChosenTovar;

    // The distinct names beginning with the search text, in name order; open only
    // while the picker is shown.
    TQuery *Query1 = nullptr;
    TField *Query1Name_tov = nullptr;
    TDataSource *DataSource1 = nullptr;
    QLineEdit *Edit1 = nullptr; // "Поиск": what has been typed in the list
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // OK
    QPushButton *BitBtn2 = nullptr; // Cancel

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    void ReopenQuery1();
    void DBGrid1KeyPress(QChar &Key);
    void DBGrid1KeyDown(int &Key);
    void BitBtn1Click();
};

extern TSlAssort *SlAssort;

#pragma once
// The register of payment orders: the orders of one payer (an own organisation) over a
// period, filtered by recipient name and amount, sorted by a column title, numbered per
// payer and year; add, copy, open, delete and the printed list. The register owns the
// orders' dataset `Plat`: the editor, the printed forms and the contract card work on
// its current row.
#include "controls/Forms.h"
#include "controls/StdCtrls.h"
#include "db/Query.h"
#include "print/Report.h"

class QPushButton;
class QToolButton;
class TCurrencyEdit;
class TDBGrid;
class TDateTimePicker;

class TSpPlat : public TForm {
    Q_OBJECT
  public:
    explicit TSpPlat(QWidget *parent = nullptr);
    ~TSpPlat() override;

    // Klient_id of the payer whose orders are listed (the own organisation).
    double KliId = 0;
    // Klient_id of the recipient last chosen with the picker; only new orders use it.
    double RecipId = 0;

    // The orders: a query with cached updates written through UpdateSQL1. Its last
    // SQL line is the order clause a title click replaces.
    TQuery *Plat = nullptr;
    TUpdateSQL *UpdateSQL1 = nullptr;
    TDataSource *DataSource1 = nullptr;
    // The highest number of a payer in a date window.
    TQuery *MaxNumb = nullptr;
    TField *PlatNUMBER = nullptr;
    TField *PlatDATE_PLAT = nullptr;
    TField *PlatSUMMA = nullptr;
    TField *PlatR_NAME = nullptr;
    TField *PlatDopNumb = nullptr;

    TDateTimePicker *DatV = nullptr; // "с"
    TDateTimePicker *DatI = nullptr; // "по"
    TWrapEdit *Edit1 = nullptr;      // "Плательщик" (read-only)
    QToolButton *SpeedButton1 = nullptr;
    TWrapEdit *Edit2 = nullptr; // "Получатель": a name pattern
    QToolButton *SpeedButton9 = nullptr;
    TCurrencyEdit *SumMn = nullptr;
    TCurrencyEdit *SumMx = nullptr;
    QPushButton *SpeedButton2 = nullptr; // "Выбрать"
    TDBGrid *SortGrid1 = nullptr;
    QToolButton *SpeedButton3 = nullptr; // F4
    QToolButton *SpeedButton7 = nullptr; // F5
    QToolButton *SpeedButton4 = nullptr; // F6
    QToolButton *SpeedButton8 = nullptr; // F7
    QToolButton *SpeedButton5 = nullptr; // F8
    QToolButton *SpeedButton6 = nullptr; // F10

    // The list report of the rows in the grid.
    TReport Report1;

    // Runs the filter: Plat re-read with the period, payer, recipient pattern and
    // amount bounds of the controls, on its first row.
    void SpeedButton2Click();
    void SpeedButton1Click(); // payer picker
    void SpeedButton9Click(); // recipient picker
    void SpeedButton3Click(); // F4 open
    void SpeedButton7Click(); // F5 list report
    void SpeedButton4Click(); // F6 add
    void SpeedButton8Click(); // F7 copy
    void SpeedButton5Click(); // F8 delete
    void SpeedButton6Click(); // F10 close
    void SortGrid1TitleClick(int column);
    void SortGrid1KeyDown(int &Key);

    // One above the highest number of `payer` (Klient_id; the register's payer when not
    // given) in the calendar year of `date`, the new order's own date (1 when there is
    // none): from 22 December on, when the period ends in the next year, a new order
    // still counts among the orders of its own year.
    double NextNumber(const QDate &date, double payer);
    double NextNumber(const QDate &date) { return NextNumber(date, KliId); }

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    void buildReport();
    void PlatCalcFields(TDataSet *DataSet);
    void RepDBText1Print(TRepText *Sender, QString &Value);
    void showEditor();
};

extern TSpPlat *SpPlat;

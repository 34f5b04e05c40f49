#pragma once
// The register of trade documents: the headers of one own organisation, one direction
// and one period, by the date of one kind (bill, invoice or waybill), filtered by the
// counterparty's name; new, open, delete and the payments of a document. The register
// owns the headers `SpRasx`, the lines of the document being edited `PosRasx` (with
// the line arithmetic) and the highest invoice number `MaxFakt`: the editor, the
// payments form, the prints and the contract card work on them directly.
#include "controls/Forms.h"
#include "controls/StdCtrls.h"
#include "db/Query.h"

class QLabel;
class QPushButton;
class QToolButton;
class TDBGrid;
class TDateTimePicker;

class TSpRasx : public TForm {
    Q_OBJECT
  public:
    explicit TSpRasx(QWidget *parent = nullptr);
    ~TSpRasx() override;

    // Mode, written by the main menu before each show: "s" documents issued, "b"
    // received; 1 bill, 2 invoice, 3 waybill.
    QString SvFlag = QStringLiteral("s");
    double VidDoc = 2;
    // Klient_id of the own organisation listed (reset at every show from the main
    // window), and of the counterparty last picked in the filter (0 none), which only
    // new documents take.
    double KliId = 0;
    double PokId = 0;

    // The headers (FAKTUR_ZAG.DB): cached, written through UpdateSQL1. Its SQL line 6
    // is the order clause a refresh or a title click replaces; the main menu replaces
    // its DATE_FAKT by the date column of a bill or waybill register while shown.
    TQuery *SpRasx = nullptr;
    TUpdateSQL *UpdateSQL1 = nullptr;
    TDataSource *DSpRasx = nullptr;
    // The lines (Faktura.DB) of the header the editor shows (parameter ID), cached,
    // written through UpdateSQL2, with the line arithmetic on its fields.
    TQuery *PosRasx = nullptr;
    TUpdateSQL *UpdateSQL2 = nullptr;
    TDataSource *DPosRasx = nullptr;
    // The highest invoice number of an own organisation and direction in a date window.
    TQuery *MaxFakt = nullptr;

    TDateTimePicker *datvx = nullptr; // period start
    TDateTimePicker *datis = nullptr; // period end
    QLabel *Label4 = nullptr;         // own organisation's label ("Поставщик" when issued)
    TWrapEdit *Edit2 = nullptr;       // own organisation listed (shown only)
    QToolButton *SpeedButton1 = nullptr;
    QLabel *Label3 = nullptr;   // counterparty's label ("Покупатель" when issued)
    TWrapEdit *Edit1 = nullptr; // counterparty name pattern: "*" any characters, "?" one
    QToolButton *SpeedButton2 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "F7 - Выбрать"
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *SpeedButton3 = nullptr; // "F4 - Редактирование"
    QPushButton *SpeedButton4 = nullptr; // "F6 - Новый"
    QPushButton *SpeedButton5 = nullptr; // "F8 - Удаление"
    QPushButton *SpeedButton6 = nullptr; // "F3 - Оплата"
    QPushButton *SpeedButton7 = nullptr; // "F10 - Выход"

    // Re-runs the list in the number order of the mode, on its first row.
    void BitBtn1Click();
    void SpeedButton1Click(); // own-organisation filter
    void SpeedButton2Click(); // counterparty filter
    void DBGrid1TitleClick(int column);
    void DBGrid1KeyDown(int &Key);
    void SpeedButton3Click(); // F4 open
    void SpeedButton4Click(); // F6 new
    void SpeedButton5Click(); // F8 delete
    void SpeedButton6Click(); // F3 payments
    void SpeedButton7Click(); // F10 close

    // One above the highest invoice number of own organisation `kli` and direction
    // `sv` dated within `year` (1 when there is none).
    double NextInvoiceNumber(const QString &sv, double kli, int year);

    // Whether SpRasx, with its text and parameters as they stand, lists the header with
    // key `key` (one row looked up, not the whole list read again).
    bool Lists(double key);

    // Stores a new header of the register's kind, direction and own organisation at
    // once (an invoice numbered in the year of its date, today) and makes it the
    // current row of SpRasx by the key the table gave it, whatever the filter would
    // list; the row is left in edit, with changes, for the editor to complete or drop.
    // Returns the key.
    double NewDocument();

    // The line arithmetic of PosRasx: defaults of a new line, the handlers of a value
    // set into a line's quantity or price, VAT percent, amount and total, and the
    // price with VAT and the total with 5 % added.
    void PosRasxAfterInsert(TDataSet *DataSet);
    void PosRasxKOL_VOValidate(TField *Sender);
    void PosRasxPROC_NDSValidate(TField *Sender);
    void PosRasxSummaValidate(TField *Sender);
    void PosRasxItogoValidate(TField *Sender);
    void PosRasxCalcFields(TDataSet *DataSet);

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    // Runs a handler of the line arithmetic as a value is set into the line.
    void lineArithmetic(TField *Sender, void (TSpRasx::*handler)(TField *));
    bool m_inArithmetic = false;  // a handler running: the ones its assignments run nest in it
    bool m_restoringLine = false; // a refused value's line being set back
    void SpRasxCalcFields(TDataSet *DataSet);
    void showEditor(bool isNew);
    QString numberOrder() const;
    QString deleteQuestion() const;
};

extern TSpRasx *SpRasx;

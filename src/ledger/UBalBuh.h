#pragma once
// "Бухгалтерский баланс" (form No. 1): the lines of the layout in ConfBal.db with their
// amounts at the start of the year and at the report date, each the saldo (credit -
// debit, from 01.01.1998) of the accounts assigned to the line in the journal of the
// current own organisation. The amounts are stored with the layout: "Пересчитать на
// начало" and "Пересчитать на конец" recompute them, "Печать" prints what is stored.
//
// A line whose code has "0" as its third character (110, 620) and that has lines with
// other codes under it in its section is a total of those lines: it takes their sum in
// place of its own accounts and stays out of the section's totals. Any other line,
// also one coded as a total with nothing under it (410 "Уставный капитал"), counts in
// its section's totals. Asset amounts come out negative and liability amounts positive,
// and both print without sign; an amount against its side (a credit among the assets,
// a debit among the liabilities: taxes overpaid, say) prints in brackets, lines and
// totals alike, so a section's printed lines add up to its printed total.
#include "controls/Forms.h"
#include "db/Query.h"
#include "print/Report.h"

#include <QHash>
#include <QSet>

class QPushButton;
class TDBGrid;
class TDateTimePicker;

class TBalBuh : public TForm {
    Q_OBJECT
  public:
    explicit TBalBuh(QWidget *parent = nullptr);
    ~TBalBuh() override;

    // The lines (text and code set) by section and code, with FSum and LSum: their
    // amounts, 0 on totals of other lines.
    TQuery *Bal = nullptr;
    TDataSource *DataSource1 = nullptr;
    TField *BalConfBal = nullptr;
    TField *BalGroupId = nullptr;
    TField *BalStrokaId = nullptr;
    TField *BalFirstSum = nullptr;
    TField *BalLastSum = nullptr;
    TField *BalFSum = nullptr;
    TField *BalLSum = nullptr;
    TQuery *ConfB = nullptr; // every row of the layout
    TQuery *Group = nullptr; // the section titles
    TQuery *Debet = nullptr; // turnovers by account
    TQuery *Kredit = nullptr;

    TDateTimePicker *DatV = nullptr; // "Дата отчета"
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *SpeedButton1 = nullptr; // "Пересчитать на начало"
    QPushButton *SpeedButton2 = nullptr; // "Пересчитать на конец"
    QPushButton *SpeedButton3 = nullptr; // "Печать"
    QPushButton *SpeedButton4 = nullptr; // "Выход"

    TReport Report1;
    TRepLabel *RepLabel3 = nullptr; // "Организация " + name
    TRepLabel *RepLabel9 = nullptr; // "Адрес " + address

    // FirstSum from the entries up to 1 January of the report date's year.
    void SpeedButton1Click();
    // LastSum from the entries up to the report date.
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();

    // Whether the line of key `confBal` is a total of the lines under it.
    bool IsTotal(qint64 confBal) const { return m_totals.contains(confBal); }

  protected:
    void FormShow() override;

  private:
    void buildReport();
    void openLayout();
    // Computes the amounts of every line from the entries up to `to` and stores them
    // in `column` ("FirstSum" or "LastSum"), all or none.
    void recompute(const QDate &to, const QString &column);
    QSet<qint64> m_totals;
    QHash<qint64, QString> m_titles; // by section, for the print
};

// Whether a line code is the code of a total: "0" as the third character of the code
// written as a number.
bool IsTotalCode(double strokaId);

extern TBalBuh *BalBuh;

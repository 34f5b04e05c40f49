#pragma once
// The balance of every account on a date ("Баланс") and the turnover-balance sheet of
// a period ("Оборотно-сальдовая") of the current own organisation: one form in two
// modes, chosen by the menu through ReportMode. Each print builds the report into the
// work table BalOtch.db (emptied first) and previews it by account, with a total per
// synthetic account (the code before its first ".") unless "Без итогов по
// балансовым" is checked.
//
// A saldo is credit turnover minus debit turnover from 01.01.1998 to the report date:
// above zero it prints under "Пассив", otherwise, without sign, under "Актив".
#include "controls/Forms.h"
#include "db/Query.h"
#include "db/Table.h"
#include "print/Report.h"

class QCheckBox;
class QLabel;
class QPushButton;
class TDateTimePicker;

class TBalans : public TForm {
    Q_OBJECT
  public:
    explicit TBalans(QWidget *parent = nullptr);
    ~TBalans() override;

    // "1" the balance on DatV, "2" the turnover-balance sheet from DatV to DatI.
    QString ReportMode = QStringLiteral("1");

    // Turnovers of every account by side, one row per account code.
    TQuery *Debet = nullptr;
    TQuery *Kredit = nullptr;
    // The work table in the order of account codes, opened exclusively during a run.
    TTable *Otch = nullptr;
    TField *OtchSchetBal = nullptr;
    TField *OtchSaldVx = nullptr;
    TField *OtchDebOb = nullptr;
    TField *OtchKreOb = nullptr;
    TField *OtchActVx = nullptr;  // the saldo when active, as a positive amount
    TField *OtchPasVx = nullptr;  // the saldo when passive
    TField *OtchBalsch = nullptr; // the synthetic account
    // The chart, for the names of the accounts; open while the form is shown.
    TTable *Plan = nullptr;

    QLabel *Label1 = nullptr; // "на" or "с"
    TDateTimePicker *DatV = nullptr;
    QLabel *Label2 = nullptr; // "по"
    TDateTimePicker *DatI = nullptr;
    QCheckBox *CheckBox1 = nullptr; // "Без итогов по балансовым"
    QPushButton *BitBtn1 = nullptr; // "Печать"
    QPushButton *BitBtn2 = nullptr; // "Cancel"

    TReport RepBal;
    TRepLabel *RepLabel7 = nullptr;  // "на " + date
    TRepLabel *RepLabel19 = nullptr; // the organisation
    TRepBand *RepBand1 = nullptr;    // "Итого по счету"
    TReport RepObSald;
    TRepLabel *RepLabel18 = nullptr; // the period
    TRepLabel *RepLabel20 = nullptr; // the organisation
    TRepBand *RepBand2 = nullptr;    // "Итого по счету"

    // "Печать": the report of the current mode into BalOtch.db, then its preview.
    void BitBtn1Click();

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    void buildBalanceReport();
    void buildTurnoverReport();
    void OtchCalcFields();
    // Empties the work table and fills it with the saldo of every account up to
    // `saldoTo` and, with a period, its turnovers from `from` to `to`.
    void fillWorkTable(const QDate &saldoTo, bool withTurnovers, const QDate &from, const QDate &to);
};

extern TBalans *Balans;

#pragma once
// Seven trade reports over the sales documents of an own organisation and the
// payments against them, the one printed chosen by the menu in ReportKind:
// 1 shipments by goods, 2 list by numbers, 3 balances by buyer, 4 payments,
// 5 debtors and 6 creditors on one date, 7 goods movement. Kinds 3 and 7 gather
// their figures into the work table OtchSald.db first and print it.
#include "print/Report.h"
#include "reports/ReportForm.h"

#include <vector>

class TDataSet;
class TTable;

class TOtchet : public TTradeReportForm {
    Q_OBJECT
  public:
    explicit TOtchet(QWidget *parent = nullptr);
    ~TOtchet() override;

    // The report to print, 1 to 7; any other value prints nothing.
    double ReportKind = 0;

    TQuery *Otgr = nullptr;   // 1: quantity and amount by goods name
    TQuery *Perech = nullptr; // 2: the documents of the period
    TQuery *OplPer = nullptr; // 4: the payments of the period
    TQuery *Debet = nullptr;  // 5: documents not paid in full on the date
    TQuery *Kredit = nullptr; // 6: documents overpaid on the date
    TQuery *Oplata = nullptr; // 3: payments by buyer
    TQuery *Rasx = nullptr;   // 3: shipments by buyer
    TQuery *Assort = nullptr; // 7: every goods name of the organisation
    TQuery *ObKre = nullptr;  // 7: receipts by goods name ("b" documents)
    TQuery *ObDeb = nullptr;  // 7: issues by goods name ("s" documents)
    TTable *OtchS = nullptr;  // OtchSald.db in order of NamePok
    TQuery *SaldWrite = nullptr;

    TReport RepOtgr, RepPerech, RepOtchS, RepOplPer, RepDebetor, RepKreditor, RepAssort;

    void BitBtn1Click() override;

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    void buildReports();
    void buildOtgr();
    void buildPerech();
    void buildOplPer();
    void buildDebetor();
    void buildKreditor();
    void buildOtchS();
    void buildAssort();

    void printOtgr();
    void printPerech();
    void printOplPer();
    void printDebetor();
    void printKreditor();
    void printOtchS();
    void printAssort();

    void setTitles(int kind, bool oneDate);
    void preview(int kind, TReport &report);

    void OtgrCalcFields(TDataSet *DataSet);
    void DebetCalcFields(TDataSet *DataSet);
    void OtchSCalcFields(TDataSet *DataSet);
    void RepDBText5Print(TRepText *Sender, QString &Value);

    std::vector<TRepLabel *> m_titles[8]; // the three title lines of each kind's report
};

extern TOtchet *Otchet;

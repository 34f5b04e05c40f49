#pragma once
// The statement of one buyer for a period: the opening balance of the buyer's account
// with the own organisation, every line of every document issued to the buyer in the
// period beside the payments received against each document, and the closing
// balance. The statement is written into the work table OtchKli.db and printed from it.
#include "print/Report.h"
#include "reports/ReportForm.h"

#include <QDate>

class TTable;

class TVedPok : public TTradeReportForm {
    Q_OBJECT
  public:
    explicit TVedPok(QWidget *parent = nullptr);
    ~TVedPok() override;

    // Klient_id of the buyer; 0 when none was chosen.
    double PokId = 0;
    // The document of the row printed last, and whether the row being printed starts a
    // new document: its number, date and total print on its first row only.
    QString PrevNumb;
    QDate PrevDate;
    bool NewDocRow = false;

    TWrapEdit *Edit2 = nullptr; // "Покупатель" (read-only)
    QToolButton *SpeedButton2 = nullptr;

    TTable *Otch = nullptr;  // OtchKli.db under the index Num
    TQuery *Otgr = nullptr;  // the lines of the period's documents
    TQuery *Oplat = nullptr; // the payments of the period with their documents
    TQuery *Rasx = nullptr;  // shipments before the period
    TQuery *Prix = nullptr;  // payments before the period
    TQuery *OtchWrite = nullptr;

    TReport Report1;

    void SpeedButton2Click();
    void BitBtn1Click() override;

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    void buildReport();
    void DetailBand1BeforePrint(TRepBand *Sender, bool &PrintBand);
    void RepDBText4Print(TRepText *Sender, QString &Value);

    std::vector<TRepLabel *> m_titles; // caption, period, organisation, buyer, opening
    TRepLabel *m_closing = nullptr;    // "Исходящее сальдо"
};

extern TVedPok *VedPok;

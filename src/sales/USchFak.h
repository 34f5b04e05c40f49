#pragma once
// The document editor: one bill, invoice or waybill, issued or received, edited in
// place in the document register's current header (SpRasx) and its lines (PosRasx):
// three number and date pairs, the fields of the kind, the counterparty's and the own
// organisation's requisites (from the pickers, by INN, the bank by BIK), the lines with
// their arithmetic, the contract link, the bill's note. The save writes the note, the
// lines, the header with the lines' totals and the counterparty into the reference
// books in one transaction.
//
// Whoever opens it (the register, the contract card) positions SpRasx on the header,
// fills the public fields below and shows it modally:
//
//     SchFak->IsNewDoc = ...; SchFak->VidDoc = 2; SchFak->SvFlag = "s";
//     SchFak->KliId = ...; SchFak->NumberDate = ...; ShowModal(SchFak);
#include "controls/Forms.h"
#include "print/Report.h"

#include <QDate>

#include <memory>

class QCloseEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class TDataSet;
class TDataSource;
class TDBEdit;
class TDBGrid;
class TDBMemo;
class TQuery;
class TSpRasx;
class TUpdateSQL;

class TSchFak : public TForm {
    Q_OBJECT
  public:
    // `documents`: the register whose SpRasx, PosRasx and MaxFakt the editor works on.
    explicit TSchFak(TSpRasx *documents, QWidget *parent = nullptr);
    ~TSchFak() override;

    // ---- Set by whoever opens the editor ---------------------------------------------
    // True when the header was just stored for this editing (the register's F6, a
    // document raised from a contract): leaving without a save deletes it again.
    bool IsNewDoc = false;
    // The kind (1 bill, 2 invoice, 3 waybill) and direction ("s" issued, "b" received)
    // the document is edited as; the kind chooses the fields shown (a bill's note or the
    // shipping fields).
    double VidDoc = 2;
    QString SvFlag = QStringLiteral("s");
    // The number window of "Max №": the own organisation (Klient_id) whose invoices are
    // counted, and the date the invoice gets; the year of that date is counted.
    double KliId = 0;
    QDate NumberDate;

    // Set while shown; cleared by the save and the cancel. While set, closing the window
    // asks as Esc does.
    bool AskOnClose = false;

    // ---- The document -----------------------------------------------------------------
    // The register's header and lines, and the bill's note (PrimSch.DB, parameter zag),
    // cached, written through UpdateSQL1 at the save; open for bills only. The prints
    // read these three.
    TDataSet *SpRasx;
    TDataSet *PosRasx;
    TDataSource *DSpRasx;
    TDataSource *DPosRasx;
    TQuery *Prim = nullptr;
    TUpdateSQL *UpdateSQL1 = nullptr;
    TDataSource *DataSource1 = nullptr;

    // ---- Controls ---------------------------------------------------------------------
    TDBEdit *EditNUMB_FAKT, *DBEdit3, *EditDATE_FAKT, *EditNUMB_TTN, *EditDATE_TTN, *EditNUMB_SCHET,
        *EditDATE_SCHET;
    QPushButton *MaxN; // "Max №"
    // Panel1: a bill's note, or an invoice's or waybill's shipping fields.
    QFrame *Panel1;
    QLabel *Label32; // "Примечание в счете"
    TDBMemo *DBMemo1;
    QToolButton *SpeedButton11; // remark picker
    TDBMemo *DBEdit9;
    TDBEdit *DBEdit10, *DBEdit11, *DBEdit8, *DBEdit2, *DBEdit1, *DBEdit12;
    QTabWidget *PageControl1;
    QWidget *TabSheet1; // the counterparty
    QWidget *TabSheet2; // the own organisation
    TDBEdit *EditINN_POK;
    TDBMemo *EditNAME_POKUPAT, *EditADRESS_POK;
    TDBEdit *EditMFO_POK, *EditSCHET_POK, *EditKSCHET_POK, *EditBANK_POK, *EditCYTI_POK, *EditTEL_POK,
        *EditOKPO_POK, *EditOKONX_POK;
    TDBEdit *EditINN_POST;
    TDBMemo *EditNAME_POST, *EditADRESS_POST;
    TDBEdit *EditMFO_POST, *EditSCHET_POST, *EditKSCHET_POST, *EditBANK_POST, *EditCYTI_POST, *EditTEL_POST,
        *EditOKPO_POST, *EditOKONX_POST;
    QToolButton *SpeedButton1, *SpeedButton2; // counterparty, its account
    QToolButton *SpeedButton5, *SpeedButton3; // own organisation, its account
    TDBGrid *DBGrid1;                         // the lines
    QMenu *Izm;                               // units
    QPushButton *SpeedButton10;               // "F2 - Товар"
    QLineEdit *Edit1;                         // "Связать с договором": the contract's number
    QToolButton *SpeedButton6;                // contract picker
    QPushButton *SpeedButton7;                // "F5 - Печать"
    QPushButton *SpeedButton8;                // "F10 - Выход"
    QPushButton *SpeedButton9;                // "Cancel"

    // ---- Commands -----------------------------------------------------------------------
    void BitBtn1Click(); // save; refused without the counterparty's name
    void BitBtn2Click(); // cancel: a new document is deleted
    // Print: the line being edited is posted into the pending lines, the chooser asks
    // for the form (its sales-tax box shown and checked when the header has a sales-tax
    // percent), PrintDocument previews it. Printing changes nothing stored; the
    // document counts as changed afterwards all the same, whatever was chosen, so that
    // leaving asks "Записать документ?".
    void BitBtn3Click();
    // Previews the form the chooser returned ("1" to "7"; "0" nothing), from SpRasx,
    // PosRasx and Prim as they stand, unsaved changes included (DocForms.h).
    void PrintDocument(const QString &choice);
    // The form of a choice with the editor's hooks, built from the header as it stands
    // now; nullptr for "0" or any other choice.
    std::unique_ptr<TReport> MakeLayout(const QString &choice);
    // The print hooks; each receives the text about to print and may replace it.
    // The invoice number: with "/" and DopNumb when the header has a suffix.
    void RepDBText1Print(TRepText *Sender, QString &Text);
    // A sum (Sender, a TRepExpr) in words, from the sum rounded once to kopecks.
    void RepExpr9Print(TRepText *Sender, QString &Text);
    // "в том числе НДС - " with the VAT sum in figures and, in brackets, in words.
    void RepExpr10Print(TRepText *Sender, QString &Text);
    // "плюс налог с продаж - " with the header's sales-tax percent of the total, in
    // figures and in words; empty unless the chooser's sales-tax box is checked.
    void RepExpr15Print(TRepText *Sender, QString &Text);
    // A money total under the table: the figure of the sum rounded once to kopecks,
    // the same value its words are made from.
    void SumPrint(TRepText *Sender, QString &Text);
    // F5 print, F10 save, Esc leave (asking "Записать документ?" when there are changes).
    void AllPresKey(int &Key);
    void SpeedButton1Click();          // counterparty from the partners
    void SpeedButton5Click();          // own organisation
    void SpeedButton2Click();          // the counterparty's account
    void SpeedButton3Click();          // the own account
    void DBGrid1EditButtonClick();     // goods name of the current line
    void SetUnit(const QString &unit); // the units menu
    void SpeedButton6Click();          // contract
    void Edit1Exit();
    void SpeedButton11Click(); // remark
    void EditINN_POKExit();
    void EditINN_POSTExit();
    void EditMFO_POKExit();
    void MaxNClick();

    // The lines grid on the first column (a new line is begun there).
    void SelectFirstLineColumn();
    // Whether leaving now would lose something: the header's or the current line's
    // unposted changes, lines posted since the show, a changed note, or what a failed
    // save left unwritten, or a print since the show.
    bool HasChanges() const;

  protected:
    void FormShow() override;
    void FormClose() override;
    void closeEvent(QCloseEvent *event) override;

  private:
    void leave();
    void writePendingInput();
    void focusMoved(QWidget *from, QWidget *to);
    void deleteNewHeader();

    TSpRasx *Documents;
    QList<QWidget *> m_shippingFields; // the fields of an invoice or waybill, with captions
    double m_key = 0;                  // FAKTUR_ZAG_ID of the header being edited
    bool m_printed = false;            // printed since the show: leaving asks
};

extern TSchFak *SchFak;

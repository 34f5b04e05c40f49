#pragma once
// The sales book and the purchase book of an own organisation for a period: one row
// per payment received against a document ("по оплате") or per document
// ("по отгрузке"), one report re-pointed at whichever of the two queries is chosen.
#include "print/Report.h"
#include "reports/ReportForm.h"

class QGroupBox;
class QRadioButton;
class TDataSet;
class TField;

class TKniga : public TTradeReportForm {
    Q_OBJECT
  public:
    explicit TKniga(QWidget *parent = nullptr);
    ~TKniga() override;

    // The direction of the documents in the book: "s" sales, "b" purchases. Set by the
    // menu before every showing.
    QString BookFlag = QStringLiteral("s");

    // The book by payment: the payments of the period with their documents, the
    // payment's columns first.
    TQuery *Oplat = nullptr;
    // The book by shipment: the documents of the period.
    TQuery *Fakt = nullptr;
    // The organisation reported on: its full name and INN for the title.
    TQuery *Org = nullptr;

    QGroupBox *RadioGroup1 = nullptr;
    QRadioButton *RadioButton1 = nullptr; // "по оплате"
    QRadioButton *RadioButton2 = nullptr; // "по отгрузке"

    TReport QBookSel;
    TRepLabel *RepLabel1 = nullptr; // the caption
    TRepLabel *RepLabel2 = nullptr; // the period
    TRepDBText *RepDBText[11] = {}; // the detail's columns, left to right
    TRepExpr *RepExpr[3] = {};      // "Всего", "Сумма без НДС", "Сумма НДС"

    void BitBtn1Click() override;

  protected:
    void FormClose() override;

  private:
    void buildReport();
    void OplatCalcFields(TDataSet *DataSet);
    void FaktCalcFields(TDataSet *DataSet);
    void RepDBText2Print(TRepText *Sender, QString &Value);
    TQuery *m_book = nullptr; // the query printed last
    // The fields the calculations read and write, found once per opening.
    struct CalcFields {
        TField *base = nullptr, *nds = nullptr, *itogo = nullptr;
        TField *procNds = nullptr, *sumBez = nullptr, *sumNds = nullptr, *summaOpl = nullptr;
    } m_oplatFields, m_faktFields;
    static void findCalcFields(TDataSet *DataSet, CalcFields &fields, const char *base);
};

extern TKniga *Kniga;

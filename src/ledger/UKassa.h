#pragma once
// The cash and bank view: the operations of one money account (the cash account "50",
// the bank account "51" or one of their sub-accounts) as incoming and outgoing amounts.
// Operations are journal entries with the account on one side, kept in a cache that
// reaches Provodka.DB on "Выбрать" and "Выход". In the cash view each operation may
// carry a numbered incoming or outgoing cash order (Kassa.db), printed on the forms of
// CashOrders.h. The operation dialog (TOpKassa) and the order dialog (TKasOrd) edit
// this form's datasets in place.
#include "controls/Forms.h"
#include "db/Query.h"
#include "db/Table.h"
#include "ledger/CashOrders.h"
#include "print/Report.h"

class QComboBox;
class QPushButton;
class TDBGrid;
class TDateTimePicker;

// The direction of an operation of the account `cashAccount`: outgoing when the credit
// is that account, or one of its sub-accounts while the debit is not; otherwise
// incoming. The list and the cash orders both go by it.
bool IsOutgoing(const QString &debet, const QString &kredit, const QString &cashAccount);

// The tax contained in an incoming amount, as the incoming order states it: the sales
// tax at 5 % of the amount (S / 105 x 5), the VAT at 20 % of the rest ((S - T) / 120 x
// 20), each worked out exactly and rounded once to kopecks as all money is:
// 12 345.67 contains 587.89 of sales tax and 1 959.63 of VAT.
struct ContainedTaxes {
    Currency Vat;
    Currency SalesTax;
};
ContainedTaxes TaxesContained(Currency amount);

// The text of the memo "Сумма прописью" of an order: the amount in words, and for an
// incoming order the amount, its VAT and its sales tax in roubles and kopecks.
QString CashOrderMemo(Currency amount, bool incoming);

class TKassa : public TForm {
    Q_OBJECT
  public:
    explicit TKassa(QWidget *parent = nullptr);
    ~TKassa() override;

    // The account whose operations are listed: "50" or "51" from the menu, replaced by
    // the sub-account chosen in ComboBox1.
    QString CashAccount = QStringLiteral("50");

    // The operations: a query with cached updates, written as journal entries.
    TQuery *Prov = nullptr;
    TUpdateSQL *UpdateSQL1 = nullptr;
    TDataSource *DataSource1 = nullptr;
    TField *ProvProvodkaId = nullptr;
    TField *ProvDateProv = nullptr;
    TField *ProvDebet = nullptr;
    TField *ProvKredit = nullptr;
    TField *ProvSumma = nullptr;
    TField *ProvOrganis = nullptr;
    TField *ProvKorSchet = nullptr;
    TField *ProvPrixod = nullptr;
    TField *ProvRasxod = nullptr;
    // The cash account and its sub-accounts in the chart.
    TQuery *KasSch = nullptr;
    // The cash-order details of the current operation (written at each post).
    TTable *Kas = nullptr;
    TDataSource *DSKas = nullptr;
    TField *KasNumbDok = nullptr;
    // The highest order number of the year span: incoming (MaxNumb), outgoing (KasR).
    TQuery *MaxNumb = nullptr;
    TQuery *KasR = nullptr;

    TDateTimePicker *Datv = nullptr; // "с"
    TDateTimePicker *DatI = nullptr; // "по"
    QComboBox *ComboBox1 = nullptr;  // the sub-accounts, shown when there are two or more
    QPushButton *BitBtn8 = nullptr;  // "Выбрать"
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "Печать операций"
    QPushButton *BitBtn2 = nullptr; // "Приход"
    QPushButton *BitBtn3 = nullptr; // "Удаление"
    QPushButton *BitBtn4 = nullptr; // "Печать ордера" (the cash view only)
    QPushButton *BitBtn5 = nullptr; // "Расход"
    QPushButton *BitBtn6 = nullptr; // "Выход"
    QPushButton *BitBtn7 = nullptr; // "Cancel"

    TReport Report1;
    TRepLabel *RepLabel9 = nullptr; // the organisation
    TRepLabel *RepLabel2 = nullptr; // the period
    // The incoming and outgoing cash orders.
    TCashOrderForms Orders;

    void BitBtn8Click(); // "Выбрать": store the changes, list the operations
    void BitBtn1Click(); // "Печать операций"
    void BitBtn2Click(); // "Приход"
    void BitBtn5Click(); // "Расход"
    void BitBtn3Click(); // "Удаление"
    // "Печать ордера": the order of the current operation, numbered on its first print.
    void BitBtn4Click();
    void BitBtn6Click(); // "Выход"
    void BitBtn7Click(); // "Cancel"

    // One above the highest order number of the own organisation in the direction
    // among the operations dated in the year of `date`.
    double NextOrderNumber(bool incoming, const QDate &date);

  protected:
    void FormShow() override;
    void FormClose() override;
    bool FormCloseQuery() override;

  private:
    void buildReport();
    void ProvCalcFields(TDataSet *DataSet);
    // An operation whose cash order is numbered keeps the year its number belongs to.
    void ProvDateProvValidate(TField *Sender);
    // A new operation through the operation dialog: the cash account on the debit
    // ("Приход") or the credit side.
    void newOperation(bool incoming);
    CashOrderData orderData(const QString &memo) const;
};

extern TKassa *Kassa;

#pragma once
// The two cash orders the cash view prints, each on one A4 page laid out on the lines
// of the unified forms: the incoming order (КО-1, `PrixOrd`) with its tear-off receipt
// framed on the right, and the outgoing order (КО-2, `RasxOrd`). Each print fills the
// texts from one operation and its order details, then opens the preview.
#include "db/Currency.h"
#include "print/Report.h"

#include <QDate>

// What an order prints, taken from the operation, its order row and the own
// organisation.
struct CashOrderData {
    QString Organisation; // full name
    QString Inn;
    double Number = 0;
    QDate Date;
    QString Debet;
    QString Kredit;
    QString KorSchet; // the correspondent account
    double Summa = 0;
    QString Komu;     // from whom received, or to whom paid
    QString Primech;  // basis
    QString Prilog;   // attachment
    QString Dokument; // the payee's identity document
    QString Memo;     // the amount in words (and figures)
};

class TCashOrderForms {
  public:
    TCashOrderForms();
    TCashOrderForms(const TCashOrderForms &) = delete;
    TCashOrderForms &operator=(const TCashOrderForms &) = delete;

    TReport PrixOrd;
    TReport RasxOrd;

    void FillPrixOrd(const CashOrderData &data);
    void FillRasxOrd(const CashOrderData &data);

  private:
    void buildPrixOrd();
    void buildRasxOrd();

    struct Texts {
        TRepLabel *Organisation = nullptr, *Inn = nullptr, *Number = nullptr, *Date = nullptr;
        TRepLabel *Debet = nullptr, *Kredit = nullptr, *KorSchet = nullptr, *Summa = nullptr, *Komu = nullptr;
        TRepLabel *Primech = nullptr, *Prilog = nullptr, *Dokument = nullptr;
        TRepMemo *Memo = nullptr;
    };
    Texts m_prix, m_receipt, m_rasx;
};

#pragma once
// The two bank forms a payment order prints on: the payment order 0401060 (layout
// `Mission`) and the payment-order variant 0401066 (layout `PlatOrder`). The holder is
// a form that is never shown; each print fills the layout's texts from the current row
// of the payment-order dataset (saved or not: printing never posts), sets the copies
// and opens the preview, which returns when the user closes it.
#include "controls/Forms.h"
#include "print/Report.h"

#include <utility>
#include <vector>

class TDataSet;

class TPRINT_PAY : public TForm {
    Q_OBJECT
  public:
    explicit TPRINT_PAY(QWidget *parent = nullptr);
    ~TPRINT_PAY() override;

    // Form 0401060 of the current row of Plat: fill, then preview.
    void PrintMission(TDataSet *Plat);
    // Form 0401066: asks for its four extra fields first (TPlatOrd); Cancel prints nothing.
    void PrintPlatOrder(TDataSet *Plat);
    // The filling alone, for the print commands above.
    void FillMission(TDataSet *Plat);
    void FillPlatOrder(TDataSet *Plat);

    TReport Mission;
    TReport PlatOrder;

    // ---- Mission (0401060): the texts each print fills ----------------------------
    TRepLabel *ReceiptBox; // above "Поступ. в банк плат.": the payment term
    TRepLabel *Title;      // "ПЛАТЕЖНОЕ ПОРУЧЕНИЕ № ..."
    TRepLabel *Data, *Type_Pay, *Summa_Words, *SUMMA;
    TRepMemo *P_Name, *P_BANK, *R_BANK, *R_Name, *REMARK;
    TRepLabel *P_ACCOUNT, *P_BANK_BIC, *P_BANK_ACCOUNT;
    TRepLabel *R_BANK_BIC, *R_BANK_ACCOUNT, *R_ACCOUNT;
    TRepLabel *Vid_Pay, *DURING, *QUEUE, *Naz_Pay, *Code, *REZ_FIELD;

    // ---- PlatOrder (0401066) ------------------------------------------------------
    TRepLabel *DateDoc, *VidPlatega, *NumbDoc, *SumWord, *SummaPlat;
    TRepMemo *Platel, *BankPlat, *BankPol, *Poluch, *Primech;
    TRepLabel *SchPlat, *BikPlat, *KorSchPlat, *BikPol, *SchPol, *KorSchPol;
    TRepLabel *VidOpl, *SrokPlat, *Ochered, *NaznPlat, *Kod, *RezPol;
    TRepLabel *NumbChPl, *ShyfrPl, *NumbPlD, *DatPlD;

  private:
    void buildMission();
    void buildPlatOrder();
    void DURINGPrint(TRepText *sender, QString &text);

    // The elements of 0401060 whose size follows the setting "SizeFont", with the
    // size the layout gives them when the setting is unusable.
    std::vector<std::pair<TRepText *, double>> m_sizedBySetting;
};

extern TPRINT_PAY *PRINT_PAY;

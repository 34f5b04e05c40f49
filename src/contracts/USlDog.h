#pragma once
// The contract picker: the open contracts of one partner (or of every partner), for
// the payment-order and document editors to attach their row to a contract.
//
//     SlDog->PartnerId = <Klient_id of the counterparty, 0 = every partner>;
//     ShowModal(SlDog);
//     if (SlDog->DogId != 0) { ...Dogovor_id := SlDog->DogId, show SlDog->DogNumb... }
#include "controls/Forms.h"
#include "db/Query.h"

class QLineEdit;
class QPushButton;
class TDBGrid;
class TDataSource;

class TSlDog : public TForm {
    Q_OBJECT
  public:
    explicit TSlDog(QWidget *parent = nullptr);

    // Request: Klient_id of the partner whose contracts are offered; 0 = every partner.
    double PartnerId = 0;
    // Answer: Dogovor_id of the chosen contract, 0 when none was chosen (cleared on show).
    double DogId = 0;
    // Answer: the chosen contract's number; meaningful only when DogId is not 0.
    QString DogNumb;

    // Dogovor.DB rows not closed, of the partner `kli` (0: of all), read only.
    TQuery *Dog = nullptr;
    TDataSource *DSDog = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // OK
    QPushButton *BitBtn2 = nullptr; // Cancel

    void BitBtn1Click();

  protected:
    void FormShow() override;
};

extern TSlDog *SlDog;

// The number the payment-order and document editors show for the contract `dogovorId`:
// while the contract card is open on that contract, the number typed there (the
// contract may be new or renumbered and not yet saved), else the stored number from
// the main window's contracts table; empty when neither knows the contract.
QString ContractNumber(double dogovorId);

// The contract box of the payment-order and document editors. Picking: the picker over
// the contracts of the partner whose key the row's `partnerField` holds; a chosen
// contract links the row (Dogovor_id) and its number goes into `numberBox`.
void PickContractFor(TDataSet *row, const QString &partnerField, QLineEdit *numberBox);
// Leaving the box: emptying it unlinks the contract; a typed number links nothing. A
// box only passed through keeps the link, even when it shows no number.
void UnlinkContractIfCleared(TDataSet *row, const QLineEdit *numberBox);

#pragma once
// The contract card: the contract register's current row edited in place, with the
// contract's stages, its payment orders and documents, the payment orders and
// documents raised from it, its text written from a standard template and an act
// document per stage.
//
// Opened by the register only, on its current row; a contract the register has just
// stored for the card is marked with IsNewDog and OK stays disabled until a partner
// is chosen. Closing the card any way but OK discards: a new contract goes again with
// its stages, an existing one keeps what was stored. A document the card wrote goes
// with it when no stored contract or stage names it.
#include "controls/Forms.h"
#include "controls/StdCtrls.h"
#include "db/Query.h"
#include "db/Table.h"

class QCheckBox;
class QPushButton;
class QToolButton;
class TDBCheckBox;
class TDBEdit;
class TDBMemo;
class TDBGrid;
class TDBLookupComboBox;
class TDataSource;
class TSpDogov;

class TKartDog : public TForm {
    Q_OBJECT
  public:
    // `contracts`: the register whose Dog the card edits.
    explicit TKartDog(TSpDogov *contracts, QWidget *parent = nullptr);
    ~TKartDog() override;

    // The card shows a contract that the register's F6 has just stored; cleared when
    // the card closes.
    bool IsNewDog = false;

    // Stages of the contract (Primech.db), detail of the register's current contract:
    // a new stage takes the contract's key and state 0; rows are written when posted.
    TTable *Prim = nullptr;
    TDataSource *DSPrim = nullptr;
    // One Klient.DB row (parameter kli) and one Bank.db row (parameter bank).
    TQuery *Kli = nullptr;
    TQuery *Bank = nullptr;

    TDBEdit *DBEdit1 = nullptr;                     // "№ договора"
    TDBEdit *DBEdit2 = nullptr;                     // "Дата начала договора"
    TDBEdit *DBEdit3 = nullptr;                     // "Дата окончания договора"
    TDBMemo *DBEdit4 = nullptr;                     // "Название договора"
    TDBEdit *DBEdit5 = nullptr;                     // "Сумма договора"
    TDBMemo *DBEdit6 = nullptr;                     // "Примечание"
    TDBMemo *DBEdit7 = nullptr;                     // "Партнер" (shown only: chosen with the picker)
    QToolButton *SpeedButton1 = nullptr;            // partner picker
    TWrapEdit *Edit1 = nullptr;                     // "Банк": the partner's account (shown only)
    QToolButton *SpeedButton2 = nullptr;            // partner's account picker
    TWrapEdit *Edit2 = nullptr;                     // "Наш банк": the own account (shown only)
    QToolButton *SpeedButton5 = nullptr;            // own account picker
    TDBLookupComboBox *DBLookupComboBox1 = nullptr; // "Состояние"
    TDBMemo *DBEdit8 = nullptr;                     // "Файл"
    QToolButton *SpeedButton3 = nullptr;            // "Проводник"
    TDBCheckBox *DBCheckBox1 = nullptr;             // "Договор закрыт"
    QPushButton *BitBtn3 = nullptr;                 // "Текст договора"
    TDBGrid *DBGrid1 = nullptr;                     // "Этапы"
    QPushButton *BitBtn6 = nullptr;                 // "Текст акта"
    TDBGrid *DBGrid3 = nullptr;                     // "Платежки"
    TDBGrid *DBGrid2 = nullptr;                     // "Счета фактуры"
    QPushButton *BitBtn4 = nullptr;                 // "Создать платежку"
    QPushButton *BitBtn5 = nullptr;                 // "Создать счет-фактуры"
    QPushButton *BitBtn1 = nullptr;                 // "OK"
    QPushButton *BitBtn2 = nullptr;                 // "Cancel"

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton5Click();
    void SpeedButton3Click();
    void BitBtn3Click(); // "Текст договора"
    void BitBtn6Click(); // "Текст акта"
    void BitBtn4Click(); // new payment order
    void DBGrid3DblClick();
    void BitBtn5Click(); // new purchase or sale document
    void DBGrid2DblClick();
    void BitBtn1Click(); // OK: save and close
    void BitBtn2Click(); // Cancel

    // The contract shown: its key and its number as typed on the card.
    double ContractKey() const { return m_key; }
    QString ContractNumber() const;

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    TField *dog(const char *field) const;
    void openBank(double bankId);
    void openKli(double klientId);
    QString bankValue(const char *field) const;
    QString kliValue(const char *field) const;
    // An account of the organisation in `ownerField` chosen from its banks into
    // `bankField`, its bank's name shown in `box`; nothing without that organisation.
    void pickAccount(const char *ownerField, const char *bankField, TWrapEdit *box);
    void requeryPaymentOrders();
    void requeryDocuments();
    void discard();
    void removeUnclaimedDocuments();
    QString contractDocumentName();

    TSpDogov *Contracts;
    TQuery *Dog;
    double m_key = 0;      // Dogovor_id of the contract shown
    bool m_saved = false;  // OK stored the contract: closing keeps it
    QStringList m_written; // documents this card has written since it was shown
};

extern TKartDog *KartDog;

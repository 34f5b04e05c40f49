#pragma once
// The contract register: the contracts of one own organisation dated within a period,
// narrowed to partners whose full name matches a pattern, ordered by number. The
// contract card edits the register's current row of Dog in place.
#include "controls/Forms.h"
#include "controls/StdCtrls.h"
#include "db/Query.h"

class QPushButton;
class QToolButton;
class TDBGrid;
class TDataSource;
class TDateTimePicker;

class TSpDogov : public TForm {
    Q_OBJECT
  public:
    explicit TSpDogov(QWidget *parent = nullptr);

    // The contracts joined with their partner's Klient.DB row (Name, FullName, Adress,
    // Telephon, Cyti, Inn, Okonx, Okpo, FlSvoy; the partner's own key reads as
    // Klient_id_1), and the state name NameEtap looked up from the states dictionary.
    // Cached: a save is Post, ApplyUpdates, CommitUpdates; UpdateSQL1 writes the
    // contract's own fields only. Open while the register is shown.
    TQuery *Dog = nullptr;
    TUpdateSQL *UpdateSQL1 = nullptr;
    TDataSource *DSDog = nullptr;

    // The own organisation listed: its Klient_id (parameter org), INN and address. Taken
    // from the main window when the register is shown and from the organisation
    // filter; the card writes them into the payment orders, documents and contract
    // texts it makes. The main window's own organisation is never changed here.
    double KliId = 0;
    QString OrgInn;
    QString OrgAdress;

    TDateTimePicker *DatV = nullptr; // period from
    TDateTimePicker *DatI = nullptr; // period to
    TWrapEdit *Edit1 = nullptr; // "Организация": its full name (the card prints what is typed here)
    TWrapEdit *Edit2 = nullptr;          // "Партнер": pattern, "*" any characters, "?" one character
    QToolButton *SpeedButton1 = nullptr; // organisation picker
    QToolButton *SpeedButton2 = nullptr; // partner picker
    QPushButton *SpeedButton7 = nullptr; // "Выбрать"
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn2 = nullptr; // "F4 - Редактирование"
    QPushButton *BitBtn3 = nullptr; // "F6 - Добавить"
    QPushButton *BitBtn4 = nullptr; // "F8 - Удалить"
    QPushButton *BitBtn5 = nullptr; // "F10 - Выход"

    // Re-runs the list with the period, organisation and partner pattern; the first
    // row becomes current.
    void BitBtn1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void BitBtn2Click(); // F4: the card on the current contract
    void BitBtn3Click(); // F6: a new contract in the card
    void BitBtn4Click();
    void BitBtn5Click();
    void DBGrid1KeyDown(int &Key);

    // Stores a new contract of the listed organisation dated today (not closed, no
    // number) at once and makes it the current row of Dog, returning the key the table
    // gave it; the row is then left in edit with no partner, for the card to fill in
    // and save, or to delete on cancel. The row stays in Dog even when the filter would
    // not list it.
    double NewContract();

  protected:
    void FormShow() override;
    void FormClose() override;
};

extern TSpDogov *SpDogov;

#pragma once
// Partners and own organisations: the list of one group of Klient.DB with search,
// add, edit, delete, and the organisation picker of every other form.
#include "controls/Forms.h"
#include "db/Table.h"

class QLineEdit;
class QPushButton;
class TDBGrid;
class TDataSource;

class TSlPoluch : public TForm {
    Q_OBJECT
  public:
    explicit TSlPoluch(QWidget *parent = nullptr);
    ~TSlPoluch() override;

    // Request: the group to list, "T" own organisations or "F" partners; a new row
    // gets it as its FlSvoy.
    QString KlientGroup = QStringLiteral("F");
    // Result: cleared on show, set by OK, a double click or Enter in the list.
    bool OkPressed = false;

    // Klient.DB, under the index "Nam" and restricted to the group last listed.
    TTable *Klient = nullptr;
    TField *KlientKlient_id = nullptr;
    TField *KlientName = nullptr;
    TField *KlientFullName = nullptr;
    TField *KlientAdress = nullptr;
    TField *KlientTelephon = nullptr;
    TField *KlientCyti = nullptr;
    TField *KlientInn = nullptr;
    TField *KlientOkonx = nullptr;
    TField *KlientOkpo = nullptr;
    TField *KlientFlSvoy = nullptr;
    TDataSource *DataSource1 = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QLineEdit *Edit1 = nullptr;     // "Поиск"
    QPushButton *BitBtn1 = nullptr; // OK
    QPushButton *BitBtn2 = nullptr; // Cancel
    QPushButton *BitBtn3 = nullptr; // "Редактировать"
    QPushButton *BitBtn4 = nullptr; // "Добавить"
    QPushButton *BitBtn5 = nullptr; // "Удалить"

    void DBGrid1KeyPress(QChar &Key);
    void DBGrid1KeyDown(int &Key);
    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    void EditInClientCard();
};

extern TSlPoluch *SlPoluch;

// Reopens Klient under the index "Nam" restricted to the group g ("T" or "F"), on
// its first row in order of Name.
void SetKlientGroup(const QString &g);

// An INN typed in a document's counterparty block: true when the block names no one yet
// (`name` empty) and an organisation of either group has that INN, which is then the
// current row of Klient (its group range lifted). An empty INN names nobody, not the
// first organisation without one.
bool LocateKlientForInn(const QString &name, const QString &inn);

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

    // Request: the group to list, "T" own organisations or "F" partners; a new row
    // gets it as its FlSvoy.
    QString KlientGroup = QStringLiteral("F");
    // Result: cleared on show, set by OK, a double click or Enter in the list.
    bool OkPressed = false;

    // Klient.DB, under the index "Nam" and restricted to the group last listed.
    TTable *Klient = nullptr;
    TDataSource *DataSource1 = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QLineEdit *Edit1 = nullptr; // "Поиск"
    QPushButton *BitBtn1 = nullptr; // OK
    QPushButton *BitBtn2 = nullptr; // Cancel
    QPushButton *BitBtn3 = nullptr; // "Редактировать"
    QPushButton *BitBtn4 = nullptr; // "Добавить"
    QPushButton *BitBtn5 = nullptr; // "Удалить"

protected:
    void FormShow() override;
};

extern TSlPoluch *SlPoluch;

// Reopens Klient under the index "Nam" restricted to the group g ("T" or "F"), on
// its first row in order of Name.
void SetKlientGroup(const QString &g);

#pragma once
// The journal of accounting entries: the entries of the current own organisation over
// a period, filtered by debit and credit account prefixes, edited in a grid and kept in
// a cache that reaches Provodka.DB only on "Выбрать" and "F10-Выход". The form also
// owns the chart of accounts `PlSch`: the main window opens it at its first show, the
// chart editor and picker (TPlan) show it, and the journal and the cash view look
// account names up in it.
#include "controls/Forms.h"
#include "controls/TableUtils.h"
#include "db/Query.h"
#include "db/Table.h"
#include "print/Report.h"

#include <initializer_list>
#include <map>

class QLineEdit;
class QPushButton;
class QToolButton;
class TDBGrid;
class TDBText;
class TDateTimePicker;

// The three statements that write a cached journal entry; the cash view writes its
// operations through the same.
void SetEntryUpdates(TUpdateSQL *update);

// What the journal and the cash view share as lists of entries of the own organisation
// over a period.
//
// The entries: `query` over `sql`, whose parameters Datv and Dati (dates), org (the own
// organisation) and `accountParams` (account prefixes, texts) are typed here; the
// fields of Provodka, the date with its edit mask; the changes cached and written
// through `update`, which SetEntryUpdates sets up. An entry is posted only with an own
// organisation and both accounts: without one no list of entries could show it again,
// so the post is refused with a message naming what is missing (EAbort).
void SetUpEntryQuery(TQuery *query, const QStringList &sql, const QStringList &accountParams,
                     TUpdateSQL *update);
// Posts the entry being typed in the grid and writes every cached change of `entries`.
void StoreEntries(TDBGrid *grid, TDataSet *entries);
// Whether a list of entries may close by its close box or Esc: with changes not stored
// it asks "Записать изменения?"; "Да" stores them (and keeps the window open when the
// store is refused), "Нет" lets them go with the window, "Отмена" keeps the window.
bool MayCloseEntries(TDBGrid *grid, TDataSet *entries);
// The head of a printed list of entries, portrait A4 (190 mm wide): the organisation
// above the caption (14 pt bold) and the period below it, all centred, then a framed
// heading over each column.
struct TEntryColumn {
    const char *caption;
    double left, width;
};
struct TEntryListHead {
    TRepLabel *Organisation;
    TRepLabel *Period;
};
TEntryListHead AddEntryListHead(TReport &report, const QString &caption,
                                std::initializer_list<TEntryColumn> columns);

class TProvodka : public TForm {
    Q_OBJECT
  public:
    explicit TProvodka(QWidget *parent = nullptr);
    ~TProvodka() override;

    // The chart of accounts in the order of its index "Sch" (by account code). Open for
    // the whole run; the maintenance commands close and reopen it.
    TTable *PlSch = nullptr;
    TDataSource *DSPlan = nullptr;
    TField *PlSchSchet = nullptr;
    TField *PlSchNameSchet = nullptr;

    // The name of the account `schet` in the chart (of the first of equal codes); null
    // when the chart has no such account. The names are read from the chart once and
    // again after it changes, so a list of many entries does not search it per row.
    QVariant AccountName(const QString &schet);

    // The entries shown: a query with cached updates written through UpdateSQL1, with
    // the names of both accounts (NameDeb, NameKre) from the chart.
    TQuery *Prov = nullptr;
    TUpdateSQL *UpdateSQL1 = nullptr;
    TDataSource *DataSource1 = nullptr;
    TField *ProvDateProv = nullptr;
    TField *ProvDebet = nullptr;
    TField *ProvKredit = nullptr;
    TField *ProvSumma = nullptr;
    TField *ProvOrganis = nullptr;
    TField *ProvNameDeb = nullptr;
    TField *ProvNameKre = nullptr;

    TDateTimePicker *DatV = nullptr; // "c"
    TDateTimePicker *DatI = nullptr; // "по"
    QLineEdit *Edit1 = nullptr;      // "Дебет": a prefix of the debit account
    QLineEdit *Edit2 = nullptr;      // "Кредит": a prefix of the credit account
    QPushButton *BitBtn1 = nullptr;  // "Выбрать"
    TDBGrid *DBGrid1 = nullptr;
    TDBText *DBText1 = nullptr;          // name of the debit account
    TDBText *DBText2 = nullptr;          // name of the credit account
    QToolButton *SpeedButton1 = nullptr; // F5
    QToolButton *SpeedButton2 = nullptr; // F6
    QToolButton *SpeedButton3 = nullptr; // F8
    QToolButton *SpeedButton4 = nullptr; // F10
    QToolButton *SpeedButton5 = nullptr; // Cancel

    TReport Report1;
    TRepLabel *RepLabel8 = nullptr; // the organisation
    TRepLabel *RepLabel2 = nullptr; // the period

    // Stores the cached changes, then lists the entries of the period, the own
    // organisation and the two prefixes.
    void BitBtn1Click();
    void SpeedButton1Click(); // F5 print
    void SpeedButton2Click(); // F6 add
    void SpeedButton3Click(); // F8 delete
    void SpeedButton4Click(); // F10 store and close
    void SpeedButton5Click(); // Cancel
    // The "..." of a "Дебет" or "Кредит" cell: the account picked from the chart.
    void DBGrid1EditButtonClick();

  protected:
    void FormShow() override;
    void FormClose() override;
    bool FormCloseQuery() override;

  private:
    void buildReport();
    void ProvCalcFields(TDataSet *DataSet);
    void DBGrid1KeyDown(int &Key);

    // Names by account code; an ordered map, as hashing a QString costs several times
    // more than the few comparisons of short codes (read twice for every row shown).
    std::map<QString, QVariant> m_names;
    bool m_namesRead = false;
};

extern TProvodka *Provodka;

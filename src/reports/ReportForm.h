#pragma once
// What the trade-report forms share: the period pickers, the own organisation the
// report covers with its picker, the print and cancel buttons; and the small
// routines their reports use (query parameters, money compared in kopecks, names
// cut to a work table's width).
#include "controls/Forms.h"
#include "controls/StdCtrls.h"

#include <QString>
#include <QStringList>

#include <vector>

class QGridLayout;
class QDate;
class QLabel;
class QPushButton;
class QToolButton;
class TDateTimePicker;
class TQuery;
class TReport;
class TRepLabel;
enum class TFieldType;

class TTradeReportForm : public TForm {
    Q_OBJECT
  public:
    // Klient_id of the own organisation reported on.
    double KliId = 0;

    TDateTimePicker *DatV = nullptr; // the start, or the one reporting date
    TDateTimePicker *DatI = nullptr; // the end
    QLabel *Label1 = nullptr;        // the start's label
    QLabel *Label2 = nullptr;        // "по"
    TWrapEdit *Edit1 = nullptr;      // "Организация" (read-only)
    QToolButton *SpeedButton1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "Печать"
    QPushButton *BitBtn2 = nullptr; // closes the form

    // The organisation picker: on OK the chosen own organisation is reported on.
    void SpeedButton1Click();
    virtual void BitBtn1Click() = 0;

  protected:
    // `startLabel`: the start picker's label as the form lays it out.
    TTradeReportForm(QWidget *parent, const QString &name, const QString &caption, const QString &startLabel);
    // The organisation, the period BegPeriod(today) .. today.
    void FormShow() override;
    // Rows below the period and the organisation for the form's own controls.
    QGridLayout *Controls = nullptr;
    int NextControlRow = 2;
};

namespace reports {

// Shows the organisation picker over `group` ("T" own organisations, "F" partners)
// under `caption`; when a row was chosen its full name goes into `box` and its key
// into `id`, and true comes back.
bool PickKlient(const QString &caption, const QString &group, TWrapEdit *box, double &id);

// A query of a report form, named `name` (the name its report expressions use).
TQuery *NewQuery(QObject *owner, const char *name, const QStringList &sql);
// Reopens a report's query with its parameters by their names, in any letter case:
// "datv" and "dat" take `from`, "dati" `to`, "org" and "post" the own organisation,
// "kli" the partner.
void OpenForPeriod(TQuery *query, const QDate &from, const QDate &to, double organisation,
                   double partner = 0);
// A parameter of `type` set to `value` (a null value binds NULL); then the same for a
// date without time of day, a number, a text.
void SetParam(TQuery *query, const QString &param, TFieldType type, const QVariant &value);
void SetDate(TQuery *query, const QString &param, const QDate &date);
void SetNumber(TQuery *query, const QString &param, double value);
void SetText(TQuery *query, const QString &param, const QString &value);

// An amount in whole kopecks, rounded as Okrugl rounds: amounts are compared this way,
// so float noise in a sum of payments never makes a debtor or a creditor.
qint64 Kopecks(double amount);

// The width of a work table's name columns: names are cut to it, and matched cut.
constexpr int WorkNameWidth = 50;
inline QString WorkName(const QString &name) {
    return name.left(WorkNameWidth);
}

// The title band of a report: the caption (bold, 14 pt), then one line under another
// for every further title; returns the labels top to bottom.
std::vector<TRepLabel *> AddTitles(TReport &report, int lines, double width);

extern const QString &Money; // fmt::MoneyMask

} // namespace reports

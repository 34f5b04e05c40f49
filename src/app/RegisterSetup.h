#pragma once
// How the main menu prepares a register or report form for one of its modes and
// puts it back when the form closes. The routines take the pieces of the target form
// they touch, so they work for whichever form is passed.
#include <QString>

#include <functional>

class QLabel;
class QWidget;
class TDBGrid;
class TQuery;

// One mode of the document register.
struct DocumentRegisterMode {
    QString SvFlag;       // "s" documents issued, "b" received
    double VidDoc;        // 1 bill, 2 invoice, 3 waybill
    QString NumberField;  // the first column
    QString DateField;    // the second column
    QString PartnerTitle; // the third column's title
    QString Label3;       // the counterparty filter's label
    QString Label4;       // the own organisation filter's label
    QString DateColumn;   // the date the period filter uses; empty: DATE_FAKT as stored
};

// "Приходные документы", "Счета", "Счета-Фактуры", "Накладные".
const DocumentRegisterMode &ReceivedInvoicesMode();
const DocumentRegisterMode &BillsMode();
const DocumentRegisterMode &InvoicesMode();
const DocumentRegisterMode &WaybillsMode();

// The first three columns of the register's grid and its two filter labels.
void SetUpDocumentColumns(TDBGrid *grid, QLabel *label3, QLabel *label4, const DocumentRegisterMode &mode);

// Runs `show` (the modal show of the register) with every "DATE_FAKT" of the query's
// text replaced by `dateColumn`, and puts the text back as it was stored however the
// show ends, also by an error: a later register never filters on the wrong date.
// An empty `dateColumn` changes nothing. Returns what `show` returns.
int ShowWithDateColumn(TQuery *query, const QString &dateColumn, const std::function<int()> &show);

// Runs `show` with the report form set up for one date: the end-date picker and its
// label hidden and the start label reading "на"; afterwards, also after an error,
// both are shown again and the start label reads "c".
int ShowOnOneDate(QWidget *endDate, QLabel *endLabel, QLabel *startLabel, const std::function<int()> &show);

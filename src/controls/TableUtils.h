#pragma once
// Table-level routines over the table engine.
#include <QString>
#include <QStringList>

class TDataSet;
class TTable;

// Declares the data fields of `table` on `dataSet`, in physical order with the types
// and sizes of the schema, but those named in `except` (a key a join reads twice);
// date fields get the date edit mask. Throws EDatabaseError for a table not declared.
void AddTableFields(TDataSet *dataSet, const QString &table, const QStringList &except = {});
// The characters a text field of `table` holds as the schema declares it; 0 for a
// field that is not text or not declared.
int TextSizeOf(const QString &table, const QString &field);

// Rebuilds every index of the table's file. The table may be open or closed: its bound
// controls are told nothing meanwhile, and it is left as it was found, an open table
// reopened on its first row. Throws the engine's EDatabaseError; the controls are
// enabled and the table's open state restored also then.
void ReindexTableFile(TTable *table);

// Writes the cached changes of `dataSet` and commits them. A write that fails cancels
// them, so the rows are as the table is (a deleted row comes back, a new one goes), and
// the error goes on to the caller.
void ApplyCachedUpdates(TDataSet *dataSet);
// Posts the new row being typed in `dataSet`, writes it as ApplyCachedUpdates does and
// finds it again by the key `keyField` the table gave it, whatever the dataset's
// conditions would list; returns the key. Throws EDatabaseError with `notFound` when
// the stored row is not among the rows.
double StoreNewRow(TDataSet *dataSet, const QString &keyField, const QString &notFound);

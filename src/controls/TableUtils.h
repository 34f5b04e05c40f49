#pragma once
// Table-level routines over the table engine.
#include "controls/DBUtils.h"
#include "db/Table.h"

#include <QPointer>
#include <QString>
#include <QStringList>

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

// A second cursor over the rows of a table: the same table, opened on the row the
// source stands on. Without reset it also takes the source's index and range; with
// reset it has neither and stands on the first row. Never exclusive, so it opens only
// beside a table that is not open exclusively.
class TCloneTable : public TTable {
    Q_OBJECT
  public:
    explicit TCloneTable(QObject *owner = nullptr) : TTable(owner) {}
    void InitFromTable(TTable *source, bool reset);
    TTable *SourceTable() const { return m_sourceTable; }
    // Closes the clone and reopens it over `source` on its current row (nullptr: closed).
    void SetSourceTable(TTable *source);
    // Refuses changes (the inherited ReadOnly); the clone is closed first.
    void SetReadOnly(bool readOnly);
    // Opens over the source, on the source's current row.
    void Open();

  private:
    QPointer<TTable> m_sourceTable;
    bool m_reset = false;
};

// A second cursor over the rows of any open dataset (a table, a query with its
// parameters), opened on the source's current row. It reads only: it does not write
// through to its source's tables. The source must stay open while the clone reads.
class TCloneDbDataset : public TDataSet {
    Q_OBJECT
  public:
    explicit TCloneDbDataset(QObject *owner = nullptr) : TDataSet(owner) {}
    ~TCloneDbDataset() override;
    void InitFromDataset(TDataSet *source, bool reset);
    TDataSet *SourceDataSet() const { return m_sourceDataSet; }
    void SetSourceDataSet(TDataSet *source);
    void SetReadOnly(bool readOnly);
    void Open();

  protected:
    std::vector<ColumnInfo> openCursor() override;

  private:
    QPointer<TDataSet> m_sourceDataSet;
    bool m_reset = false;
};

// The program's locate object: searches a table through a declared index of the field
// (on a second cursor when the table is ordered otherwise), a partial search on a
// field that is not text through a filtered second cursor, any other through the
// dataset's own search.
class TDBLocate : public TLocateObject {
  protected:
    void ValidateLookupField() override;
    bool CanUseIndex() override;
    bool LocateByIndex() override;
    bool LocateByEngine() override;

  private:
    bool seekOn(TTable *table);
    QVariant m_key; // the lookup value as the field holds it
};

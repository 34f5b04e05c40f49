#pragma once
// The dataset layer: fields, rows, a cursor and the record API the forms are written
// against. A dataset is either a table (TTable: rows of one table in the order of an
// index, optionally within a range) or a query (TQuery: the rows of a SELECT, with
// parameters, and for editable queries a cache of changes written through a
// TUpdateSQL). Both read the program's one database (Database.h).
//
// Blanks read as the stored tables expect them: a null reads as 0, an empty text, False
// or the zero date 30.12.1899; an empty text is stored as null; a text longer than its
// field's size is cut (bound controls take no more than the size, so the user sees the
// limit while typing).
#include "db/Currency.h"
#include "db/Errors.h"

#include <QDate>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class TDataSet;
class TDataSource;

enum class TFieldType {
    ftUnknown,
    ftString,   // A n: text of n characters
    ftSmallint, // S
    ftInteger,  // I
    ftAutoInc,  // +: assigned by the table
    ftFloat,    // N: 64-bit floating point
    ftCurrency, // $: money, a floating-point value shown with two decimals; typed text
                // is kept in whole kopecks, and more than twelve rouble digits is refused.
                // Prices, quantities and percents are N fields, kept as typed.
    ftBoolean,  // L
    ftDate,     // D
    ftTime,     // T
    ftDateTime, // @
    ftMemo,     // M: long text
    ftBlob,     // B
};

enum class TFieldKind { fkData, fkCalculated, fkLookup };

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields };

enum class TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };

enum class TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int; // or-ed TLocateOption values

// Converts between a field type and the stored representation. Dates are stored as
// "yyyy-mm-dd" text (they sort and compare as dates), booleans as 0/1.
namespace db {
QVariant ToStorage(TFieldType type, int size, const QVariant &value);
QVariant FromStorage(TFieldType type, const QVariant &stored);
bool IsTextType(TFieldType type);
bool IsNumericType(TFieldType type);
} // namespace db

class TField {
public:
    TField(TDataSet *dataSet, const QString &name, TFieldType type, int size, TFieldKind kind);

    TDataSet *DataSet() const { return m_dataSet; }
    const QString &FieldName() const { return m_name; }
    TFieldType DataType() const { return m_type; }
    int Size() const { return m_size; }
    TFieldKind FieldKind() const { return m_kind; }
    bool IsCalculated() const { return m_kind != TFieldKind::fkData; }
    int Index() const; // position among the dataset's fields

    // The value of the active row: the row under edit, the row being calculated or
    // drawn, else the cursor's row. A null value is QVariant().
    QVariant Value() const;
    void SetValue(const QVariant &value);
    bool IsNull() const { return Value().isNull(); }
    void Clear() { SetValue(QVariant()); }

    QString AsString() const;
    void SetAsString(const QString &value);
    double AsFloat() const;
    void SetAsFloat(double value);
    qint64 AsInteger() const;
    void SetAsInteger(qint64 value);
    QDate AsDate() const;
    QDateTime AsDateTime() const;
    void SetAsDate(const QDate &value);
    void SetAsDateTime(const QDateTime &value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    Currency AsCurrency() const { return Currency::fromDouble(AsFloat()); }

    // The text a grid or a bound control shows (display format, money, dates), and
    // the text an editor edits. SetText parses under the process formats and throws
    // EConvertError with the conversion message when the text does not convert; money
    // (ftCurrency) is kept as the kopecks it shows (fmt::StrToMoney). Values set as
    // numbers (SetValue, SetAsFloat: imports, copies, computed amounts) are kept as
    // they are.
    QString DisplayText() const;
    QString Text() const;
    void SetText(const QString &text);

    // The value as it was when the row was fetched or last committed (OLD_ values).
    QVariant OldValue() const;

    // Design-time properties.
    QString DisplayLabel;  // grid title; the field name when empty
    QString DisplayFormat; // FormatFloat mask or FormatDateTime pattern
    QString EditMask;
    int DisplayWidth = 0;
    bool ReadOnly = false;
    bool Visible = true;
    int Alignment = 0; // Qt::Alignment; 0 = by type (numbers right, others left)

    // Runs before a value is stored, also when code assigns. While it runs the field
    // reads the pending value in the row under edit (other rows read what they hold),
    // also from hooks it sets off; throwing keeps the old value. Hooks nest: a value a
    // hook assigns runs that field's hook and is stored before the outer hook goes on.
    std::function<void(TField *)> OnValidate;
    std::function<void(TField *)> OnChange;
    // Replaces the shown text (displayText: for display, else for editing).
    std::function<QString(const TField *, bool displayText)> OnGetText;

    // Lookup fields: KeyFields of this dataset matched against LookupKeyFields of
    // LookupDataSet; the value is LookupResultField of the matching row.
    TDataSet *LookupDataSet = nullptr;
    QString KeyFields;
    QString LookupKeyFields;
    QString LookupResultField;

private:
    friend class TDataSet;
    void storeChecked(const QVariant &value);

    TDataSet *m_dataSet;
    QString m_name;
    TFieldType m_type;
    int m_size;
    TFieldKind m_kind;
    int m_column = -1; // data fields: index in the row's values; calculated: index in calc values
    bool m_validating = false;
    QVariant m_pending;
};

// A query or update-statement parameter. It keeps its value across closing and
// reopening; one name takes one value however often it occurs.
class TParam {
public:
    explicit TParam(const QString &name, TFieldType type = TFieldType::ftUnknown) : m_name(name), m_type(type) {}
    const QString &Name() const { return m_name; }
    TFieldType DataType() const { return m_type; }
    void SetDataType(TFieldType type) { m_type = type; }
    const QVariant &Value() const { return m_value; }
    void SetValue(const QVariant &value) { m_value = value; }
    void SetAsString(const QString &v) { m_value = v; if (m_type == TFieldType::ftUnknown) m_type = TFieldType::ftString; }
    void SetAsFloat(double v) { m_value = v; if (m_type == TFieldType::ftUnknown) m_type = TFieldType::ftFloat; }
    void SetAsInteger(qint64 v) { m_value = v; if (m_type == TFieldType::ftUnknown) m_type = TFieldType::ftInteger; }
    void SetAsDate(const QDate &v) { m_value = v; if (m_type == TFieldType::ftUnknown) m_type = TFieldType::ftDate; }
    void SetAsBoolean(bool v) { m_value = v; if (m_type == TFieldType::ftUnknown) m_type = TFieldType::ftBoolean; }
    void Clear() { m_value = QVariant(); }
    bool IsNull() const { return m_value.isNull(); }
    QString AsString() const { return m_value.toString(); }
    double AsFloat() const { return m_value.toDouble(); }
    QDate AsDate() const { return m_value.toDate(); }

private:
    QString m_name;
    TFieldType m_type;
    QVariant m_value;
};

class TParams {
public:
    TParam *FindParam(const QString &name) const;
    TParam *ParamByName(const QString &name) const; // throws EDatabaseError when missing
    TParam *CreateParam(const QString &name, TFieldType type = TFieldType::ftUnknown);
    int Count() const { return int(m_items.size()); }
    TParam *operator[](int i) const { return m_items[size_t(i)].get(); }
    void Clear() { m_items.clear(); }

private:
    std::vector<std::unique_ptr<TParam>> m_items;
};

struct sqlite3_stmt;

namespace db {
class RowStore;
class RowSource;
struct Row;
using RowPtr = std::shared_ptr<Row>;
enum class Seek : int;
class FilterExpr;
class Database;
class TTransaction;
} // namespace db

class TDataSet : public QObject {
    Q_OBJECT
public:
    explicit TDataSet(QObject *owner = nullptr);
    ~TDataSet() override;

    // ---- Fields -------------------------------------------------------------------
    // Persistent fields are declared before opening and stay while the dataset is
    // closed; opening binds each data field to the column of the same name (an error
    // when the column is missing). A dataset without declared data fields creates its
    // fields from the result's columns when it opens and drops them when it closes.
    TField *AddField(const QString &name, TFieldType type, int size = 0);
    TField *AddCalcField(const QString &name, TFieldType type, int size = 0);
    TField *AddLookupField(const QString &name, TFieldType type, int size, TDataSet *lookupDataSet,
                           const QString &keyFields, const QString &lookupKeyFields,
                           const QString &lookupResultField);

    int FieldCount() const { return int(m_fields.size()); }
    TField *Fields(int index) const;
    TField *FindField(const QString &name) const; // case-insensitive; nullptr when missing
    TField *FieldByName(const QString &name) const; // throws EDatabaseError when missing
    QVariant FieldValues(const QString &name) const;
    QStringList FieldNames() const;

    // ---- Opening ------------------------------------------------------------------
    void Open();
    void Close();
    bool Active() const { return m_state != TDataSetState::dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    // Re-reads the rows with the same settings and returns to the row with the same
    // key (or the nearest position). When the re-read fails (a filter that does not
    // parse, a table gone) the dataset stays on the rows it had and the error is thrown.
    void Refresh();

    // ---- Cursor -------------------------------------------------------------------
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    bool IsEmpty() const;
    int RecordCount(); // counts the rows in the database, reads none
    int RecNo() const; // 0-based position; -1 on no rows
    void SetRecNo(int row);

    // ---- Editing ------------------------------------------------------------------
    TDataSetState State() const { return m_state; }
    bool Modified() const { return m_modified; }
    bool CanModify() const;
    void Append();
    void Insert();
    void Edit(); // on no rows it inserts; while inserting or editing it does nothing
    void Post();
    void Cancel();
    void Delete();
    // Posts a pending change, or cancels an unchanged edit (before moving, closing...).
    void CheckBrowseMode();
    // Asks the bound controls to write their pending text into the fields.
    void UpdateRecord();

    // ---- Search -------------------------------------------------------------------
    // fields joined by ";", one value per field (a QVariantList for several). True on
    // the first match (the cursor moves there), false and unmoved otherwise.
    bool Locate(const QString &fields, const QVariant &values, TLocateOptions options = 0);
    QVariant Lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields);
    // The current row's identity in its table, by which a second dataset over the same
    // rows finds it (GotoRowId); 0 when there is none: no rows, a new row not yet
    // stored, the rows of a join or grouping.
    qint64 RowId() const;
    // Moves to the row of that identity; false and unmoved when it is not among the rows.
    bool GotoRowId(qint64 rowId);

    // ---- Filters and master-detail -----------------------------------------------
    // A filter text of simple conditions ("SumIt>0", "Name = 'А*'") joined by and/or;
    // the filter applies to the rows as they are read.
    QString Filter;
    bool Filtered = false;
    void SetFiltered(bool filtered);
    // The detail follows the current row of MasterSource: a table restricts its index
    // fields to the master fields' values; a query takes its unset parameters from the
    // master's fields of the same name. Both re-read when the master moves.
    void SetMasterSource(TDataSource *master, const QString &masterFields = QString());
    TDataSource *MasterSource() const { return m_masterSource; }

    // ---- Rows for grids and reports ----------------------------------------------
    // A dataset holds a bounded window of its rows and re-reads the others when they
    // are asked for, so what it costs follows what is shown. Rows are numbered in
    // order (the next row has the next number). After opening, First and FetchAll the
    // first row is number 0 and numbers are RecNo positions; after Last or a Locate far
    // into a large dataset the numbers start at an arbitrary base until something
    // needs the positions (RecNo, RecordCount, FetchAll).
    //
    // Makes another row the one the fields read, without moving the cursor or firing
    // events (a grid painting a row, a report reading ahead). Use through ActiveRowScope.
    int ActiveRow() const { return m_activeRow >= 0 ? m_activeRow : m_cur; }
    int CursorRow() const { return m_cur; } // number of the current row; -1 on no rows
    // Moves to the row with that number, as numbered before a pending change is stored
    // (storing it may renumber the rows).
    void SetCursorRow(int row);
    // The numbers known so far without a gap: [RowsBegin, RowsEnd). RowsBeginKnown:
    // RowsBegin is the first row; RowsEndKnown: RowsEnd - 1 is the last.
    int RowsBegin() const;
    int RowsEnd() const;
    bool RowsBeginKnown() const;
    bool RowsEndKnown() const;
    // Rows known (RowsEnd - RowsBegin); every row known (both ends).
    int FetchedRowCount() const;
    bool AllRowsFetched() const;
    // Reads on until at least `atLeast` rows are known, or the end.
    void FetchMore(int atLeast);
    // Reads back from RowsBegin up to `rows` further rows, or to the first.
    void FetchBefore(int rows);
    // Learns where the rows start and end, counting at most `limit` rows (count(*)
    // stopped there); false, and nothing learnt, when there are more.
    bool CountRowsUpTo(int limit);
    // Numbers the rows from 0 and learns their count (by count(*), not by reading
    // them): rows 0 .. FetchedRowCount() - 1 can then be read through ActiveRowScope.
    void FetchAll();
    TUpdateStatus UpdateStatus() const; // of the current row

    // While disabled (nesting), bound controls, grids and detail datasets are not told
    // about moves and changes; enabling tells them once that everything changed.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // ---- Cached updates (queries) -------------------------------------------------
    bool CachedUpdates = false;
    void ApplyUpdates();
    void CommitUpdates();
    void CancelUpdates();
    bool UpdatesPending() const;

    bool ReadOnly = false;

    // ---- Events -------------------------------------------------------------------
    using Handler = std::function<void(TDataSet *)>;
    Handler BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    Handler BeforeInsert, AfterInsert, OnNewRecord;
    Handler BeforeEdit, AfterEdit, BeforePost, AfterPost;
    Handler BeforeCancel, AfterCancel, BeforeDelete, AfterDelete;
    Handler BeforeScroll, AfterScroll;
    Handler OnCalcFields;
    std::function<bool(TDataSet *)> OnFilterRecord; // false drops the row

    // Name of the dataset for messages and SUM(name.field) expressions.
    QString Name() const { return objectName(); }

signals:
    void stateChanged();
    // The rows changed as a whole: opened, closed, re-read, a row inserted or removed.
    void dataChanged();
    // A value of the active row changed (field == nullptr: the whole row).
    void recordChanged(TField *field);
    // The cursor moved to another row.
    void scrolled();
    // The same rows got numbers `by` higher (FetchAll learnt where the first row is).
    void rowsRenumbered(int by);
    // Bound controls write their pending text (UpdateRecord).
    void updateRecordRequested();

protected:
    // ---- What a table and a query provide -----------------------------------------
    struct ColumnInfo {
        QString name;
        TFieldType type = TFieldType::ftUnknown;
        int size = 0;
    };
    // Describes the rows' source (source()) and returns the result's columns.
    virtual std::vector<ColumnInfo> openCursor() = 0;
    // The source is let go (locks released).
    virtual void closeCursor() {}
    // Direct writes of a posted row (tables); cached datasets keep changes instead.
    virtual bool writesDirectly() const { return false; }
    // Applied cached rows reach the rows' source (a query with update statements).
    virtual bool writesToSource() const { return writesDirectly(); }
    virtual void writeInsert(db::Row &row, const QByteArray &data) { (void)row; (void)data; }
    virtual void writeUpdate(db::Row &row, const QByteArray &data) { (void)row; (void)data; }
    virtual void writeDelete(db::Row &row) { (void)row; }
    // After a direct write: put the row where the order says.
    virtual void placePostedRow() {}
    // Cached updates: write one changed row through the update statements.
    virtual void applyRow(db::Row &row) { (void)row; }
    // Close() finished: settings that do not survive reopening are reset here.
    virtual void closed() {}
    // The master moved: re-read the detail rows.
    virtual void masterChanged() {}
    // The detail fields that take the master's values in a new row.
    virtual QStringList masterDetailFields() const;
    // A transaction in which this dataset wrote was rolled back or committed.
    virtual void transactionRolledBack();
    virtual void transactionCommitted();

    db::RowStore &store();
    db::RowSource &source();
    std::vector<TField *> dataFields() const;
    // Re-reads the rows (the settings changed) and stands on the same row when keepRow
    // and it is still there, else on the first. A failure leaves the rows as they were.
    void reread(bool keepRow);
    // The current row was written with a new key: it moves to its place in the order.
    void relocateCurrentRow();
    // Moves to the first row in order that meets `condition` (SQL over the source,
    // parameters :orbek_x0...); false and unmoved when none does.
    bool moveToFirstWhere(const QString &condition, const QVariantList &binds);
    QVariantList masterValues() const;
    // Opening a clone: the rows' source and columns of `other` (an open dataset), read
    // again by this dataset on its own. The source must outlive the clone's reads.
    std::vector<ColumnInfo> cloneCursorOf(const TDataSet &other);
    void checkActive() const;
    void checkInactive() const;
    bool editing() const;
    int currentIndex() const { return m_cur; }

    TDataSource *m_masterSource = nullptr;
    QStringList m_masterFields;

private:
    friend class TField;
    friend class ActiveRowScope;
    friend class db::Database;
    friend class db::TTransaction;
    struct Reader;
    friend struct Reader;

    bool readsEditBuffer() const;
    db::RowPtr activeRowPtr() const;
    QVariant fieldValue(const TField *field) const;
    QVariant fieldOldValue(const TField *field) const;
    void setFieldValue(TField *field, const QVariant &value);
    void ensureCalc(db::Row &row);
    void computeCalc(std::vector<QVariant> &target, const db::Row *row) const;
    bool filtering() const;
    bool passesFilter(const db::Row &row);
    void bindFields(const std::vector<ColumnInfo> &columns);
    void beginInsert(bool append);
    void moveTo(int row);
    void checkCanModify() const;
    void markApplied(db::Row &row);
    void commitCache();
    int findRow(const QString &fields, const QVariant &values, TLocateOptions options, db::RowPtr *found);
    void applyMasterValues();
    void notePending(const db::RowPtr &row);
    void forgetPending(const db::Row *row);

    // The window of rows (DataSet.cpp, "Reading").
    bool pinned() const;
    void checkStale();
    void dropReader();
    void discardWindow(bool keepNumbers);
    void placeRow(db::RowPtr row, int number, bool front);
    int readForward(int count);
    int readForward(int count, db::Seek seek, const QByteArray &key = {});
    int readOn(int count);
    int placeRows(sqlite3_stmt *stmt, bool front, QByteArray &last, int &placed);
    int readBackward(int count);
    int readKeyedBackward(db::Seek seek, QByteArray key, int count, int batch);
    void loadStart();
    void loadEnd();
    bool loadAroundKey(const QByteArray &key);
    void loadAt(int number);
    void trimWindow(int focus);
    db::RowPtr rowAt(int number);
    int numberOfHeld(const db::Row &row) const;
    void loadAll();
    qint64 sourceRows(qint64 limit = 0);
    qint64 scanCount(qint64 untilRowid, qint64 limit = 0);
    int pendingBalance() const;
    void anchor();
    void renumber(int by);
    void setCursor(int number);

    std::vector<std::unique_ptr<TField>> m_fields;
    bool m_dynamicFields = false;
    bool m_hasDeclaredFields = false;
    std::vector<TFieldType> m_columnTypes;
    std::unique_ptr<db::RowStore> m_store;
    std::unique_ptr<db::RowSource> m_source;
    std::unique_ptr<Reader> m_reader;     // a forward read going on, let go before any write
    qint64 m_generation = 0;              // the database's writes when the window was read
    bool m_buffer = false;                // holds rows that are not in the source
    std::vector<db::RowPtr> m_deleted;    // cached deletions not yet committed
    std::vector<db::RowPtr> m_pendingRows; // rows changed in the cache
    int m_cur = -1;
    db::RowPtr m_curRow;
    int m_activeRow = -1;
    const db::Row *m_probe = nullptr; // a row read outside the window (filters, searches)
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    bool m_readingStored = false;
    bool m_commitDeferred = false;
    TDataSetState m_state = TDataSetState::dsInactive;
    std::vector<QVariant> m_editValues; // stored values of the row under edit
    mutable std::vector<QVariant> m_editCalc;
    mutable bool m_editCalcValid = false;
    mutable std::vector<QVariant> *m_calcTarget = nullptr;
    int m_insertedAt = -1;
    int m_calcCount = 0;
    int m_disableCount = 0;
    QMetaObject::Connection m_masterConnection;
    QMetaObject::Connection m_masterStateConnection;
    std::shared_ptr<db::FilterExpr> m_filterExpr;
    QString m_filterText;
};

// Fields read another row for the scope's lifetime (grids, reports).
class ActiveRowScope {
public:
    ActiveRowScope(const TDataSet *dataSet, int row);
    ~ActiveRowScope();
    ActiveRowScope(const ActiveRowScope &) = delete;
    ActiveRowScope &operator=(const ActiveRowScope &) = delete;

private:
    TDataSet *m_dataSet;
    int m_saved;
    const db::Row *m_savedProbe;
};

// Links controls and forms to a dataset; several forms may share one (an editor binds
// to its register's data source).
class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject *owner = nullptr, TDataSet *dataSet = nullptr);
    TDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet *dataSet);
    bool Enabled = true;
    TDataSetState State() const { return m_dataSet ? m_dataSet->State() : TDataSetState::dsInactive; }

signals:
    void dataSetChanged();   // a different dataset, opened or closed, rows re-read
    void stateChanged();     // browse / edit / insert
    void recordChanged(TField *field); // a value of the active row (nullptr: whole row)
    void scrolled();         // another row became current
    void rowsRenumbered(int by); // the same rows, numbered `by` higher
    void updateData();       // controls write their pending text now

private:
    TDataSet *m_dataSet = nullptr;
    std::vector<QMetaObject::Connection> m_connections;
};

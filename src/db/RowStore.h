#pragma once
// Inside the engine: how fetched rows are held. A row keeps the stored values of its
// columns encoded in one byte buffer (one allocation a row, decoded on access), so a
// register can read 100 000 rows without converting every cell it never shows.
#include "db/DataSet.h"

#include <QByteArray>
#include <QVariant>
#include <vector>

struct sqlite3_stmt;

namespace db {

// Stored values: null, qint64, double, QString (text) or QByteArray (blob).
class RowCodec {
public:
    static QByteArray fromStatement(sqlite3_stmt *stmt, int firstColumn, int columns);
    static QByteArray fromValues(const std::vector<QVariant> &values);
    static QVariant cell(const QByteArray &row, int column);
    static std::vector<QVariant> values(const QByteArray &row);
    static int columnCount(const QByteArray &row);
};

struct Row {
    QByteArray data;   // current values
    QByteArray old;    // values when read or last committed (valid when hasOld)
    bool hasOld = false;
    TUpdateStatus status = TUpdateStatus::usUnmodified;
    bool applied = false;       // written by ApplyUpdates, waiting for CommitUpdates
    bool appliedInTxn = false;  // applied inside a transaction that is still open
    qint64 rowid = 0;           // tables: the row's identity in its table
    QByteArray beforeApply;     // values before ApplyUpdates gave the row its key
    std::vector<QVariant> calc; // calculated and lookup values
    bool calcValid = false;

    QVariant oldCell(int column) const { return RowCodec::cell(hasOld ? old : data, column); }
};

class RowStore {
public:
    std::vector<std::unique_ptr<Row>> rows;
    std::vector<QString> columnNames; // the result's column names (after "_1" renaming)
    bool complete = false;            // every row of the source has been read

    int size() const { return int(rows.size()); }
    Row &at(int i) { return *rows[size_t(i)]; }
    const Row &at(int i) const { return *rows[size_t(i)]; }
    int columnIndex(const QString &name) const; // case-insensitive; -1 when missing
    void clear() {
        rows.clear();
        complete = false;
    }
};

} // namespace db

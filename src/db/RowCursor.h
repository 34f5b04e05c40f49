#pragma once
// Inside the engine: the open SELECT a table or query reads its rows from, one batch
// at a time, until it is exhausted (then the statement is let go at once, so it holds
// no read lock while the dataset lives on).
#include "db/Database.h"
#include "db/RowStore.h"
#include "db/Sqlite.h"

namespace db {

struct RowCursor {
    StatementPtr stmt;
    int firstColumn = 0;          // 1 when column 0 is the rowid
    int columns = 0;              // columns kept in a row
    bool firstRowPending = false; // stepped while opening, not yet stored

    // The next row into `row`; false when there is none. Throws EDatabaseError.
    bool next(TDataSet *owner, Row &row, const QString &whatForMessage) {
        if (!stmt) return false;
        if (firstRowPending) {
            firstRowPending = false;
        } else {
            const int rc = sqlite3_step(stmt.get());
            if (rc != SQLITE_ROW) {
                stmt.reset();
                Database::unregisterReader(owner);
                if (rc == SQLITE_DONE) return false;
                ThrowEngineError(whatForMessage);
            }
        }
        if (firstColumn > 0) row.rowid = sqlite3_column_int64(stmt.get(), 0);
        row.data = RowCodec::fromStatement(stmt.get(), firstColumn, columns);
        return true;
    }
};

} // namespace db

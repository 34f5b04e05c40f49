#pragma once
// Inside the engine: RAII holders over the SQLite C API, and binding of our values.
#include "db/Errors.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <sqlite3.h>

namespace db {

// Lets go of a statement of the program's database: it is reset, its values unbound,
// and kept for the next Prepare of the same text (finalized when the database closes
// or more are kept than a few dozen). Any other statement is finalized.
void ReleaseStatement(sqlite3_stmt *stmt);

struct StatementFinalizer {
    void operator()(sqlite3_stmt *stmt) const { ReleaseStatement(stmt); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Prepares a statement on the program's database, or takes one of the same text that
// was let go (compiling costs more than running the short statements a form runs
// again and again); throws EDatabaseError with the engine's message and the text.
StatementPtr Prepare(const QString &sql);

// Binds a stored value (null, integer, double, text, blob) at a 1-based position.
void BindValue(sqlite3_stmt *stmt, int position, const QVariant &stored);

// Steps a statement that returns no rows; throws EDatabaseError on failure.
void StepDone(sqlite3_stmt *stmt, const QString &sqlForMessage);

// Reads a column as a stored value.
QVariant ColumnValue(sqlite3_stmt *stmt, int column);

// The engine's error turned into our exception, with a Russian lead.
[[noreturn]] void ThrowEngineError(const QString &what);

} // namespace db

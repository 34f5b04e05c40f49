#pragma once
// Inside the engine: RAII holders over the SQLite C API, and binding of our values.
#include "db/Errors.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <sqlite3.h>

namespace db {

struct StatementFinalizer {
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Prepares a statement on the program's database; throws EDatabaseError with the
// engine's message and the statement text.
StatementPtr Prepare(const QString &sql);

// A statement prepared once and kept until the database closes, for one run to its end
// again and again (a write in a loop): returned reset, with no values bound. The
// caller runs it to its end before anything else may ask for the same text.
sqlite3_stmt *PrepareCached(const QString &sql);

// Binds a stored value (null, integer, double, text, blob) at a 1-based position.
void BindValue(sqlite3_stmt *stmt, int position, const QVariant &stored);

// Steps a statement that returns no rows; throws EDatabaseError on failure.
void StepDone(sqlite3_stmt *stmt, const QString &sqlForMessage);

// Reads a column as a stored value.
QVariant ColumnValue(sqlite3_stmt *stmt, int column);

// The engine's error turned into our exception, with a Russian lead.
[[noreturn]] void ThrowEngineError(const QString &what);

} // namespace db

#include "db/PreparedStatement.h"

#include "db/Database.h"
#include "db/Sqlite.h"

namespace db {

struct PreparedStatement::Impl {
    QString sql;
    StatementPtr stmt;
};

PreparedStatement::PreparedStatement(const QString &sql) : m(std::make_unique<Impl>()) {
    m->sql = sql;
    m->stmt = Prepare(sql);
}

PreparedStatement::~PreparedStatement() = default;

void PreparedStatement::Bind(int position, const QVariant &stored) {
    BindValue(m->stmt.get(), position, stored);
}

void PreparedStatement::Run() {
    Database::suspendReaders();
    sqlite3_stmt *stmt = m->stmt.get();
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        ThrowEngineError(QStringLiteral("Ошибка при выполнении «%1»").arg(m->sql.simplified()));
}

bool PreparedStatement::Next() {
    sqlite3_stmt *stmt = m->stmt.get();
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) return true;
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE)
        ThrowEngineError(QStringLiteral("Ошибка при выполнении «%1»").arg(m->sql.simplified()));
    return false;
}

QVariant PreparedStatement::Value(int column) const {
    return ColumnValue(m->stmt.get(), column);
}

void PreparedStatement::Reset() {
    sqlite3_reset(m->stmt.get());
    sqlite3_clear_bindings(m->stmt.get());
}

} // namespace db

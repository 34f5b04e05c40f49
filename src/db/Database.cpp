#include "db/Database.h"

#include "db/DataSet.h"
#include "db/FieldTypes.h"
#include "db/Schema.h"
#include "db/Sqlite.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <map>
#include <vector>

namespace db {

namespace {

struct TableLock {
    QSet<TDataSet *> users;
    TDataSet *exclusive = nullptr;
};

struct State {
    sqlite3 *handle = nullptr;
    QString folder;
    std::map<TDataSet *, std::function<void()>> readers;
    QSet<TDataSet *> dataSets;
    QHash<QString, TableLock> locks; // by lower-case SQL name
    int savepointDepth = 0;
    int savepointCounter = 0;
    QSet<TDataSet *> appliedInTransaction;
};

State &state() {
    static State s;
    return s;
}

// ---- Russian collation ------------------------------------------------------------

// Primary weight (the letter) and secondary weight (its case) of a character.
inline void weigh(char32_t c, int &primary, int &secondary) {
    secondary = 0;
    if (c < 0x80) {
        if (c >= 'a' && c <= 'z') {
            primary = 0x100 + int(c - 'a');
        } else if (c >= 'A' && c <= 'Z') {
            primary = 0x100 + int(c - 'A');
            secondary = 1;
        } else {
            primary = int(c);
        }
        return;
    }
    // Cyrillic: а..е, ё, ж..я; capitals after their small letter.
    if (c == 0x451 || c == 0x401) {
        primary = 0x200 + 6;
        secondary = c == 0x401 ? 1 : 0;
        return;
    }
    if (c >= 0x430 && c <= 0x44F) {
        const int idx = int(c - 0x430);
        primary = 0x200 + (idx <= 5 ? idx : idx + 1);
        return;
    }
    if (c >= 0x410 && c <= 0x42F) {
        const int idx = int(c - 0x410);
        primary = 0x200 + (idx <= 5 ? idx : idx + 1);
        secondary = 1;
        return;
    }
    primary = 0x1000 + int(c);
}

// Decodes one UTF-8 code point; advances p.
inline char32_t nextUtf8(const unsigned char *&p, const unsigned char *end) {
    const unsigned char b = *p++;
    if (b < 0x80) return b;
    int extra = 0;
    char32_t c = 0;
    if ((b & 0xE0) == 0xC0) {
        extra = 1;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        c = b & 0x07;
    } else {
        return 0xFFFD;
    }
    while (extra-- > 0 && p < end) c = (c << 6) | (*p++ & 0x3F);
    return c;
}

template <typename Next> int compareWith(Next nextA, Next nextB) {
    // Pass 1: letters; pass 2: case. Both walk the strings in parallel.
    int secondaryDiff = 0;
    for (;;) {
        char32_t a = 0, b = 0;
        const bool hasA = nextA(a), hasB = nextB(b);
        if (!hasA || !hasB) {
            if (hasA) return 1;
            if (hasB) return -1;
            return secondaryDiff;
        }
        int pa, sa, pb, sb;
        weigh(a, pa, sa);
        weigh(b, pb, sb);
        if (pa != pb) return pa < pb ? -1 : 1;
        if (secondaryDiff == 0 && sa != sb) secondaryDiff = sa < sb ? -1 : 1;
    }
}

int compareUtf8(int lenA, const void *a, int lenB, const void *b) {
    const unsigned char *pa = static_cast<const unsigned char *>(a), *ea = pa + lenA;
    const unsigned char *pb = static_cast<const unsigned char *>(b), *eb = pb + lenB;
    auto na = [&](char32_t &c) {
        if (pa >= ea) return false;
        c = nextUtf8(pa, ea);
        return true;
    };
    auto nb = [&](char32_t &c) {
        if (pb >= eb) return false;
        c = nextUtf8(pb, eb);
        return true;
    };
    int secondaryDiff = 0;
    for (;;) {
        char32_t ca = 0, cb = 0;
        const bool hasA = na(ca), hasB = nb(cb);
        if (!hasA || !hasB) {
            if (hasA) return 1;
            if (hasB) return -1;
            return secondaryDiff;
        }
        int p1, s1, p2, s2;
        weigh(ca, p1, s1);
        weigh(cb, p2, s2);
        if (p1 != p2) return p1 < p2 ? -1 : 1;
        if (secondaryDiff == 0 && s1 != s2) secondaryDiff = s1 < s2 ? -1 : 1;
    }
}

int ruCollation(void *, int lenA, const void *a, int lenB, const void *b) { return compareUtf8(lenA, a, lenB, b); }

void caseFunction(sqlite3_context *ctx, int, sqlite3_value **argv, bool upper) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[0])),
                                        sqlite3_value_bytes(argv[0]));
    const QByteArray out = (upper ? s.toUpper() : s.toLower()).toUtf8();
    sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

void upperFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) { caseFunction(ctx, argc, argv, true); }
void lowerFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) { caseFunction(ctx, argc, argv, false); }

void execRaw(sqlite3 *h, const char *sql) {
    char *err = nullptr;
    if (sqlite3_exec(h, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString message = QString::fromUtf8(err ? err : "");
        sqlite3_free(err);
        throw EDatabaseError(QStringLiteral("Ошибка базы данных: %1").arg(message));
    }
}

QString quoted(const QString &name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

// CREATE statements for one table of the schema. Index names carry the table's name
// because SQLite keeps one namespace for tables and indexes ("Klient" is both a table
// and an index of Bank.db).
QStringList createStatements(const TableDef &t) {
    QStringList cols;
    const QStringList key = QString::fromLatin1(t.primaryKey).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    bool autoKey = false;
    for (const FieldDef &f : t.fields) {
        const QString type = QString::fromLatin1(f.type);
        QString col = quoted(QString::fromUtf8(f.name)) + QLatin1Char(' ');
        if (type == QLatin1String("+")) {
            col += QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
            autoKey = true;
        } else {
            col += StorageTypeName(type);
            if (key.contains(QString::fromUtf8(f.name))) col += QStringLiteral(" NOT NULL");
        }
        cols << col;
    }
    if (!autoKey && !key.isEmpty()) {
        QStringList k;
        for (const QString &f : key) k << quoted(f);
        cols << QStringLiteral("PRIMARY KEY (%1)").arg(k.join(QStringLiteral(", ")));
    }
    QStringList out;
    out << QStringLiteral("CREATE TABLE %1 (\n  %2\n)").arg(quoted(QString::fromLatin1(t.sqlName)),
                                                           cols.join(QStringLiteral(",\n  ")));
    for (const IndexDef &ix : t.indexes) {
        QStringList f;
        for (const QString &name : QString::fromLatin1(ix.fields).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            f << quoted(name);
        out << QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                   .arg(quoted(IndexSqlName(QString::fromLatin1(t.sqlName), QString::fromLatin1(ix.name))),
                        quoted(QString::fromLatin1(t.sqlName)), f.join(QStringLiteral(", ")));
    }
    return out;
}

void createSchema(sqlite3 *h) {
    execRaw(h, "BEGIN IMMEDIATE");
    try {
        for (const TableDef &t : Schema())
            for (const QString &sql : createStatements(t)) execRaw(h, sql.toUtf8().constData());
        // The one settings row.
        execRaw(h, "INSERT INTO \"Config\" (\"Rasdel\", \"Period\", \"KolCopy\", \"SizeFont\", \"ProcNDS\", "
                   "\"AppBank\", \"FormatDat\") VALUES ('Тире', 'Месяц', 2, 10, 22, 0, 'dd.mm.yyyy')");
        execRaw(h, "COMMIT");
    } catch (...) {
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace

// ---- Sqlite.h helpers -----------------------------------------------------------------

[[noreturn]] void ThrowEngineError(const QString &what) {
    const sqlite3 *h = state().handle;
    QString engine = h ? QString::fromUtf8(sqlite3_errmsg(state().handle)) : QString();
    const int code = h ? sqlite3_extended_errcode(state().handle) : 0;
    QString message = what;
    if (code == SQLITE_CONSTRAINT_PRIMARYKEY || code == SQLITE_CONSTRAINT_UNIQUE)
        message += QStringLiteral(": запись с таким ключом уже есть");
    else if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        message += QStringLiteral(": таблица занята");
    else if (!engine.isEmpty())
        message += QStringLiteral(": ") + engine;
    throw EDatabaseError(message);
}

StatementPtr Prepare(const QString &sql) {
    sqlite3_stmt *stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(Database::handle(), text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        ThrowEngineError(QStringLiteral("Ошибка в запросе «%1»").arg(sql.simplified()));
    }
    return StatementPtr(stmt);
}

void BindValue(sqlite3_stmt *stmt, int position, const QVariant &v) {
    int rc = SQLITE_OK;
    if (v.isNull()) {
        rc = sqlite3_bind_null(stmt, position);
    } else {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt, position, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, position, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(stmt, position, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray b = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, position, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK) ThrowEngineError(QStringLiteral("Не удалось передать значение в запрос"));
}

void StepDone(sqlite3_stmt *stmt, const QString &sqlForMessage) {
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) ThrowEngineError(QStringLiteral("Ошибка при выполнении «%1»").arg(sqlForMessage.simplified()));
}

QVariant ColumnValue(sqlite3_stmt *stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                                   sqlite3_column_bytes(stmt, column)));
    default:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                                          sqlite3_column_bytes(stmt, column)));
    }
}

// ---- Database -------------------------------------------------------------------------

void Database::Open(const QString &folder) {
    if (IsOpen()) Close();
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder))
        throw EDatabaseError(QStringLiteral("Не удалось создать папку данных «%1»").arg(folder));
    const QString path = dir.filePath(fileName());
    const bool fresh = !QFileInfo::exists(path);
    sqlite3 *h = nullptr;
    if (sqlite3_open_v2(QDir::toNativeSeparators(path).toUtf8().constData(), &h,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(h ? sqlite3_errmsg(h) : "");
        sqlite3_close(h);
        throw EDatabaseError(QStringLiteral("Не удалось открыть базу данных «%1»: %2").arg(path, message));
    }
    try {
        sqlite3_extended_result_codes(h, 1);
        sqlite3_busy_timeout(h, 2000);
        // WAL with full sync: a process killed in the middle of a write leaves the file
        // exactly before or after it, and a closed database is a single file again.
        execRaw(h, "PRAGMA journal_mode = WAL");
        execRaw(h, "PRAGMA synchronous = FULL");
        execRaw(h, "PRAGMA foreign_keys = OFF");
        // Registers sort whole result sets: keep the sorting in memory.
        execRaw(h, "PRAGMA temp_store = MEMORY");
        execRaw(h, "PRAGMA cache_size = -65536");
        // LIKE distinguishes case for Latin and Cyrillic alike.
        execRaw(h, "PRAGMA case_sensitive_like = ON");
        sqlite3_create_collation(h, "RU", SQLITE_UTF8, nullptr, ruCollation);
        sqlite3_create_function(h, "upper", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, upperFunction, nullptr,
                                nullptr);
        sqlite3_create_function(h, "lower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, lowerFunction, nullptr,
                                nullptr);
        sqlite3_stmt *probe = nullptr;
        sqlite3_prepare_v2(h, "SELECT count(*) FROM sqlite_master WHERE type = 'table'", -1, &probe, nullptr);
        int tables = 0;
        if (probe && sqlite3_step(probe) == SQLITE_ROW) tables = sqlite3_column_int(probe, 0);
        sqlite3_finalize(probe);
        if (fresh || tables == 0) createSchema(h);
    } catch (...) {
        sqlite3_close(h);
        throw;
    }
    state().handle = h;
    state().folder = folder;
}

void Database::Close() {
    State &s = state();
    if (!s.handle) return;
    const QList<TDataSet *> open(s.dataSets.begin(), s.dataSets.end());
    for (TDataSet *ds : open)
        if (ds->Active()) ds->Close();
    s.readers.clear();
    s.locks.clear();
    s.appliedInTransaction.clear();
    s.savepointDepth = 0;
    sqlite3_close_v2(s.handle);
    s.handle = nullptr;
}

bool Database::IsOpen() { return state().handle != nullptr; }
QString Database::Folder() { return state().folder; }

sqlite3 *Database::handle() {
    if (!state().handle) throw EDatabaseError(QStringLiteral("База данных не открыта"));
    return state().handle;
}

void Database::Exec(const QString &sql, const QVariantList &binds) {
    finishReaders();
    StatementPtr stmt = Prepare(sql);
    for (int i = 0; i < binds.size(); ++i) BindValue(stmt.get(), i + 1, binds[i]);
    StepDone(stmt.get(), sql);
}

QVariant Database::ScalarValue(const QString &sql, const QVariantList &binds) {
    StatementPtr stmt = Prepare(sql);
    for (int i = 0; i < binds.size(); ++i) BindValue(stmt.get(), i + 1, binds[i]);
    const int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_ROW) return ColumnValue(stmt.get(), 0);
    if (rc != SQLITE_DONE) ThrowEngineError(QStringLiteral("Ошибка при выполнении «%1»").arg(sql.simplified()));
    return QVariant();
}

qint64 Database::LastInsertRowId() { return sqlite3_last_insert_rowid(handle()); }
bool Database::InTransaction() { return state().savepointDepth > 0; }

int Database::CompareText(const QString &a, const QString &b) {
    qsizetype ia = 0, ib = 0;
    auto na = [&](char32_t &c) {
        if (ia >= a.size()) return false;
        c = a[ia++].unicode();
        return true;
    };
    auto nb = [&](char32_t &c) {
        if (ib >= b.size()) return false;
        c = b[ib++].unicode();
        return true;
    };
    return compareWith<std::function<bool(char32_t &)>>(na, nb);
}

void Database::registerReader(TDataSet *dataSet, std::function<void()> finish) {
    state().readers[dataSet] = std::move(finish);
}

void Database::unregisterReader(TDataSet *dataSet) { state().readers.erase(dataSet); }

void Database::finishReaders() {
    // Finishing a reader unregisters it; take the list first.
    std::vector<std::function<void()>> pending;
    for (auto &entry : state().readers) pending.push_back(entry.second);
    state().readers.clear();
    for (auto &finish : pending) finish();
}

void Database::registerDataSet(TDataSet *dataSet) { state().dataSets.insert(dataSet); }

void Database::unregisterDataSet(TDataSet *dataSet) {
    State &s = state();
    s.dataSets.remove(dataSet);
    s.readers.erase(dataSet);
    s.appliedInTransaction.remove(dataSet);
    for (auto it = s.locks.begin(); it != s.locks.end(); ++it) {
        it->users.remove(dataSet);
        if (it->exclusive == dataSet) it->exclusive = nullptr;
    }
}

void Database::AcquireTable(const QString &sqlName, TDataSet *user, bool exclusive) {
    TableLock &lock = state().locks[sqlName.toLower()];
    if (lock.exclusive && lock.exclusive != user)
        throw EDatabaseError(QStringLiteral("Таблица «%1» открыта монопольно и сейчас недоступна").arg(sqlName));
    if (exclusive) {
        for (TDataSet *other : lock.users)
            if (other != user)
                throw EDatabaseError(
                    QStringLiteral("Таблица «%1» уже открыта и не может быть открыта монопольно").arg(sqlName));
        lock.exclusive = user;
    }
    lock.users.insert(user);
}

void Database::ReleaseTable(const QString &sqlName, TDataSet *user) {
    auto it = state().locks.find(sqlName.toLower());
    if (it == state().locks.end()) return;
    it->users.remove(user);
    if (it->exclusive == user) it->exclusive = nullptr;
}

void Database::noteAppliedInTransaction(TDataSet *dataSet) { state().appliedInTransaction.insert(dataSet); }

// ---- Transactions ---------------------------------------------------------------------

TTransaction::TTransaction() {
    State &s = state();
    Database::finishReaders();
    m_savepoint = QStringLiteral("orbek_sp%1").arg(++s.savepointCounter);
    Database::Exec(QStringLiteral("SAVEPOINT ") + m_savepoint);
    ++s.savepointDepth;
}

TTransaction::~TTransaction() {
    if (m_done) return;
    State &s = state();
    if (!s.handle) return;
    Database::finishReaders();
    const QString rollback = QStringLiteral("ROLLBACK TO ") + m_savepoint + QStringLiteral("; RELEASE ") + m_savepoint;
    sqlite3_exec(s.handle, rollback.toUtf8().constData(), nullptr, nullptr, nullptr);
    --s.savepointDepth;
    // Rows applied inside the rolled-back writes are pending again; tables written
    // inside re-read what the database now holds.
    const QList<TDataSet *> applied(s.appliedInTransaction.begin(), s.appliedInTransaction.end());
    if (s.savepointDepth == 0) s.appliedInTransaction.clear();
    for (TDataSet *ds : applied) ds->transactionRolledBack();
}

void TTransaction::Commit() {
    if (m_done) return;
    State &s = state();
    Database::Exec(QStringLiteral("RELEASE ") + m_savepoint);
    m_done = true;
    --s.savepointDepth;
    if (s.savepointDepth == 0) {
        const QList<TDataSet *> applied(s.appliedInTransaction.begin(), s.appliedInTransaction.end());
        s.appliedInTransaction.clear();
        for (TDataSet *ds : applied) ds->transactionCommitted();
    }
}

} // namespace db

#pragma once
// Inside the engine: where a dataset's rows come from and how a window of them is
// read. A keyed source is one table read in a known order ("... ORDER BY a, b" plus
// the rowid to break ties): any run of rows is re-read from the key of a row next to
// it, forwards or backwards, so a window anywhere costs what it holds. Any other
// SELECT is read forwards from an offset. No statement stays open across a write: a
// keyed read finishes its batch at once, and an offset read lets go of its statement
// when the database asks (Database::suspendReaders) and resumes at its offset.
#include "db/Database.h"
#include "db/RowStore.h"
#include "db/Sqlite.h"

#include <functional>

namespace db {

enum class Seek : int {
    Start,     // from the first row
    End,       // backwards from the last row
    After,     // forwards, after `key`
    AtOrAfter, // forwards, from `key`
    Before,    // backwards, before `key`
    Offset,    // forwards, from the `offset`-th row
};

// Compares two stored values the way SQLite orders them: nulls first, numbers by
// value, then text (by the Russian collation when `russian`), then blobs.
int CompareStored(const QVariant &a, const QVariant &b, bool russian);

struct OrderTerm {
    QString expr; // as it goes into ORDER BY and a key comparison ("NUMBER", "\"Name\" COLLATE RU")
    bool desc = false;
    QString column; // the bare column it reads (to build the key of a row added here)
};

class RowSource {
  public:
    // Keyed: "SELECT <columns> FROM <from> [WHERE <where>] ORDER BY <order>, <rowid>".
    bool keyed = false;
    QString columns, from, rowid, where;
    std::vector<OrderTerm> order;
    // Not keyed: the SELECT as it stands.
    QString text;
    // Binds the source's own parameters (the key and offset parameters are bound here).
    std::function<void(sqlite3_stmt *)> bind;
    QString errorText; // the lead of an error message ("Ошибка чтения таблицы «Bank»")

    using Seek = db::Seek;
    // A statement the source was opened with and has stepped once (a query learning the
    // types of its expressions): the first read takes it over instead of running again.
    std::shared_ptr<sqlite3_stmt> primed;
    bool primedHasRow = false;
    // A statement reading rows as `seek` says; `limit` rows at most (0: all). `extra`
    // is a further condition (keyed only) whose parameters are :orbek_x0, :orbek_x1...
    StatementPtr open(Seek seek, const QByteArray &key = {}, qint64 offset = 0, int limit = 0,
                      const QString &extra = {}, const QVariantList &extraBinds = {}) const;
    // Rows of the source (count(*)); with a key, only those before it in order; with a
    // limit, at most that many are counted (the work stops there).
    qint64 count(const QByteArray &beforeKey = {}, qint64 limit = 0) const;

    // The count's statement with its values written in: the same text, the same rows.
    QString countText() const;

    int keyColumns() const { return keyed ? 1 + int(order.size()) : 0; }
    // Keyed: whether rows come from SQLite in the order of an index rather than sorted
    // (learnt from the first statement stepped); such a statement is read lazily, as
    // far as wanted, and may stay open for reading on, while a sorting one is read in
    // batches that SQLite sorts only as far as each batch needs.
    bool streams() const { return m_plan == Plan::Streams; }
    void learnPlan(sqlite3_stmt *stmt) const;
    // Steps `stmt`: true with the row filled in, false at the end. Throws EDatabaseError.
    bool next(sqlite3_stmt *stmt, Row &row, int columnCount) const;
    // The row the statement stands on.
    void readCurrent(sqlite3_stmt *stmt, Row &row, int columnCount) const;
    // Orders two keys as the source orders their rows.
    int compareKeys(const QByteArray &a, const QByteArray &b) const;
    // The key of a row from its values (rows added here); empty when the order reads a
    // column the row does not hold or the row has no rowid yet.
    QByteArray keyOf(const Row &row, const std::vector<QString> &columnNames) const;

  private:
    enum class Plan { Unknown, Streams, Sorts };
    mutable Plan m_plan = Plan::Unknown;
    QString keyedSelect(const QString &condition, bool backward) const;
    QString seekCondition(const QByteArray &key, bool backward, bool inclusive) const;
};

// Splits a single-table SELECT into a keyed source; false (and the source untouched)
// for anything else: joins, grouping, DISTINCT, aggregates, compound selects, LIMIT,
// or an ORDER BY on anything but plain columns.
bool SplitKeyedSelect(const QString &sql, RowSource &source);

} // namespace db

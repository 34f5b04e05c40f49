#pragma once
// A query dataset: the rows of a SELECT over the data folder. Its text is a list of
// lines that callers may replace by index before opening; its parameters keep their
// values across closing and reopening. An editable query keeps its changes in a
// cache (CachedUpdates) and writes them through its TUpdateSQL on ApplyUpdates; with
// no update statements the cache is an in-memory buffer that never reaches a table.
#include "db/DataSet.h"

#include <map>

struct sqlite3_stmt;

class TUpdateSQL : public QObject {
    Q_OBJECT
public:
    explicit TUpdateSQL(QObject *owner = nullptr) : QObject(owner) {}
    // Statements with :Field parameters (the row's values) and :OLD_Field parameters
    // (the values the row had when it was read).
    QStringList ModifySQL;
    QStringList InsertSQL;
    QStringList DeleteSQL;
};

class TQuery : public TDataSet {
    Q_OBJECT
public:
    explicit TQuery(QObject *owner = nullptr);

    // The text, line by line. Changing it while the query is open closes it; the
    // parameters are re-derived from the text and keep the values of equal names.
    QStringList &SQL() { return m_sql; }
    const QStringList &SQL() const { return m_sql; }
    void SetSQL(const QStringList &lines);
    void SetSQLText(const QString &text);

    TParams &Params();
    TParam *ParamByName(const QString &name);

    // Cached editing: Post keeps the change, ApplyUpdates writes it through UpdateObject.
    TUpdateSQL *UpdateObject = nullptr;

    // Runs a statement that returns no rows (insert, update, delete) with the params.
    void ExecSQL();
    int RowsAffected() const { return m_rowsAffected; }

    // The SQL text as it is sent to SQLite (table names resolved, text ordered by the
    // Russian collation); for messages and tests.
    QString TranslatedSQL() const;

    ~TQuery() override;

protected:
    std::vector<ColumnInfo> openCursor() override;
    bool writesToSource() const override { return UpdateObject != nullptr; }
    void applyRow(db::Row &row) override;
    void masterChanged() override;

private:
    void syncParams();
    void bindParams(sqlite3_stmt *stmt);
    void runUpdate(const QStringList &statement, db::Row &row);

    QStringList m_sql;
    QString m_parsedText;
    mutable QString m_translatedFrom, m_translated;
    // The update statements run so far, by their text: translated, and the table an
    // insert writes to.
    struct UpdateStatement {
        QString sql, insertInto;
    };
    std::map<QString, UpdateStatement> m_updateSql;
    TParams m_params;
    int m_rowsAffected = 0;
};

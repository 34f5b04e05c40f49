#include "db/Table.h"

#include "db/Database.h"
#include "db/FieldTypes.h"
#include "db/RowCursor.h"
#include "db/Schema.h"
#include "db/Sqlite.h"

using db::Row;
using db::RowCodec;

namespace {

QString quote(const QString &name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

QString stripExtension(const QString &name) {
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

} // namespace

TTable::TTable(QObject *owner, const QString &tableName) : TDataSet(owner) {
    if (!tableName.isEmpty()) SetTableName(tableName);
}

TTable::~TTable() {
    // Nobody is told: the controls bound to a dataset being destroyed are going with
    // their form, and may be half gone already.
    DisableControls();
    try {
        Close();
    } catch (...) {
    }
}

void TTable::SetTableName(const QString &name) {
    checkInactive();
    m_tableName = name;
    const db::TableDef *def = db::FindTable(name);
    m_sqlName = def ? QString::fromLatin1(def->sqlName) : stripExtension(name);
    if (objectName().isEmpty()) setObjectName(m_sqlName);
}

QString TTable::quotedName() const { return quote(m_sqlName); }

// ---- Index and range -----------------------------------------------------------------------

QStringList TTable::IndexFields() const {
    QStringList fields;
    if (!m_indexFieldNames.isEmpty()) {
        fields = m_indexFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    } else {
        const db::TableDef *def = db::FindTable(m_sqlName);
        if (!m_indexName.isEmpty()) {
            const db::IndexDef *found = nullptr;
            if (def)
                for (const db::IndexDef &ix : def->indexes)
                    if (QString::fromLatin1(ix.name).compare(m_indexName, Qt::CaseInsensitive) == 0) found = &ix;
            if (!found)
                throw EDatabaseError(
                    QStringLiteral("Индекс «%1» таблицы «%2» не найден").arg(m_indexName, m_tableName));
            fields = QString::fromLatin1(found->fields).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        } else if (def) {
            fields = QString::fromLatin1(def->primaryKey).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        }
    }
    for (QString &f : fields) f = f.trimmed();
    return fields;
}

void TTable::SetIndexName(const QString &name) {
    if (name == m_indexName && m_indexFieldNames.isEmpty()) return;
    m_indexName = name;
    m_indexFieldNames.clear();
    m_rangeActive = false;
    if (Active()) {
        IndexFields(); // an unknown index fails here, before anything changes
        rereadKeepingRow();
    }
}

void TTable::SetIndexFieldNames(const QString &fields) {
    if (fields == m_indexFieldNames && m_indexName.isEmpty()) return;
    m_indexFieldNames = fields;
    m_indexName.clear();
    m_rangeActive = false;
    if (Active()) rereadKeepingRow();
}

TFieldType TTable::fieldType(const QString &field) const {
    for (const ColumnInfo &c : m_columns)
        if (c.name.compare(field, Qt::CaseInsensitive) == 0) return c.type;
    const db::FieldDef *def = db::FindFieldDef(db::FindTable(m_sqlName), field);
    if (def) {
        TFieldType type;
        int size;
        db::FieldTypeFromCode(QString::fromLatin1(def->type), type, size);
        return type;
    }
    return TFieldType::ftUnknown;
}

QString TTable::orderedColumn(const QString &field) const {
    return db::IsTextType(fieldType(field)) ? quote(field) + QStringLiteral(" COLLATE RU") : quote(field);
}

QString TTable::orderClause() const {
    QStringList terms;
    for (const QString &f : IndexFields())
        terms << orderedColumn(f);
    terms << QStringLiteral("rowid");
    return QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
}

QString TTable::whereClause(QVariantList &binds) const {
    QStringList where;
    const QStringList fields = IndexFields();
    if (m_rangeActive) {
        for (int i = 0; i < m_rangeStart.size() && i < fields.size(); ++i) {
            where << orderedColumn(fields[i]) + QStringLiteral(" >= ?");
            binds << db::ToStorage(fieldType(fields[i]), 0, m_rangeStart[i]);
        }
        for (int i = 0; i < m_rangeEnd.size() && i < fields.size(); ++i) {
            where << orderedColumn(fields[i]) + QStringLiteral(" <= ?");
            binds << db::ToStorage(fieldType(fields[i]), 0, m_rangeEnd[i]);
        }
    }
    if (m_masterSource) {
        // A detail shows the rows whose index fields equal the master's fields; with
        // no master row (closed, empty, or a new row not yet stored) it shows none.
        const QVariantList values = masterValues();
        for (int i = 0; i < values.size() && i < fields.size(); ++i) {
            where << quote(fields[i]) + QStringLiteral(" = ?");
            binds << db::ToStorage(fieldType(fields[i]), 0, values[i]);
        }
    }
    return where.join(QStringLiteral(" AND "));
}

QString TTable::selectSql(QVariantList &binds) const {
    const QString where = whereClause(binds);
    QString sql = QStringLiteral("SELECT rowid, * FROM ") + quotedName();
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    return sql + orderClause();
}

void TTable::SetRange(const QVariantList &start, const QVariantList &end) {
    if (Active()) CheckBrowseMode();
    m_rangeStart = start;
    m_rangeEnd = end;
    m_rangeActive = true;
    if (Active()) reread(false);
}

void TTable::CancelRange() {
    if (!m_rangeActive) return;
    m_rangeActive = false;
    m_rangeStart.clear();
    m_rangeEnd.clear();
    if (Active()) rereadKeepingRow();
}

void TTable::rereadKeepingRow() {
    CheckBrowseMode();
    reread(true);
}

void TTable::closed() {
    // Reopening keeps the index, not the range.
    m_rangeActive = false;
    m_rangeStart.clear();
    m_rangeEnd.clear();
}

void TTable::masterChanged() {
    reread(false);
}

QStringList TTable::masterDetailFields() const { return IndexFields().mid(0, m_masterFields.size()); }

// ---- Comparing keys ---------------------------------------------------------------------

// The rows whose first index fields are not below (or equal to) the values, in the
// order of the index: nulls first, text by the Russian collation.
QString TTable::keyCondition(const QVariantList &values, bool equal, QVariantList &binds) const {
    const QStringList fields = IndexFields();
    const int count = int(std::min<qsizetype>(values.size(), fields.size()));
    QStringList alternatives, same;
    for (int i = 0; i < count; ++i) {
        const QString column = orderedColumn(fields[i]);
        const QVariant value = db::ToStorage(fieldType(fields[i]), 0, values[i]);
        const QString mark = QStringLiteral(":orbek_x%1").arg(binds.size());
        if (!value.isNull()) binds << value;
        const QString above =
            value.isNull() ? column + QStringLiteral(" IS NOT NULL") : column + QStringLiteral(" > ") + mark;
        if (!equal)
            alternatives << (same.isEmpty()
                                 ? above
                                 : same.join(QStringLiteral(" AND ")) + QStringLiteral(" AND ") + above);
        same << (value.isNull() ? column + QStringLiteral(" IS NULL")
                                : column + QStringLiteral(" = ") + mark);
    }
    if (same.isEmpty()) return QStringLiteral("1");
    alternatives << same.join(QStringLiteral(" AND "));
    return QStringLiteral("(") + alternatives.join(QStringLiteral(" OR ")) + QStringLiteral(")");
}

void TTable::FindNearest(const QVariantList &values) {
    checkActive();
    CheckBrowseMode();
    QVariantList binds;
    const QString condition = keyCondition(values, false, binds);
    if (!moveToFirstWhere(condition, binds)) Last();
}

bool TTable::FindKey(const QVariantList &values) {
    checkActive();
    CheckBrowseMode();
    QVariantList binds;
    return moveToFirstWhere(keyCondition(values, true, binds), binds);
}

// ---- Reading -------------------------------------------------------------------------------

std::vector<TDataSet::ColumnInfo> TTable::openCursor() {
    if (m_sqlName.isEmpty()) throw EDatabaseError(QStringLiteral("Не задано имя таблицы"));
    const db::TableDef *def = db::FindTable(m_sqlName);
    db::Database::AcquireTable(m_sqlName, this, Exclusive);
    m_holdsLock = true;
    QVariantList binds;
    db::StatementPtr stmt;
    try {
        IndexFields(); // a missing named index is an error of opening
        m_columns.clear();
        stmt = db::Prepare(selectSql(binds));
    } catch (const EDatabaseError &) {
        if (!def)
            throw EDatabaseError(QStringLiteral("Таблица «%1» не найдена в папке данных").arg(m_tableName));
        throw;
    }
    const int count = sqlite3_column_count(stmt.get()) - 1;
    std::vector<ColumnInfo> columns;
    for (int c = 0; c < count; ++c) {
        ColumnInfo info;
        info.name = QString::fromUtf8(sqlite3_column_name(stmt.get(), c + 1));
        const db::FieldDef *fd = db::FindFieldDef(def, info.name);
        if (fd) {
            db::FieldTypeFromCode(QString::fromLatin1(fd->type), info.type, info.size);
        } else if (const char *decl = sqlite3_column_decltype(stmt.get(), c + 1)) {
            db::FieldTypeFromDecl(QString::fromUtf8(decl), info.type, info.size);
        }
        columns.push_back(info);
    }
    m_columns = columns;
    // The rows in index order, the rowid breaking ties: a window anywhere is read from
    // the key of a row beside it.
    db::RowSource &src = source();
    src.keyed = true;
    src.columns = QStringLiteral("*");
    src.from = quotedName();
    src.rowid = QStringLiteral("rowid");
    src.where = whereClause(binds = {});
    for (const QString &f : IndexFields()) {
        db::OrderTerm term;
        term.expr = orderedColumn(f);
        term.column = f;
        src.order.push_back(term);
    }
    src.bind = [binds](sqlite3_stmt *s) {
        for (int i = 0; i < binds.size(); ++i)
            db::BindValue(s, i + 1, binds[i]);
    };
    src.errorText = QStringLiteral("Ошибка чтения таблицы «%1»").arg(m_tableName);
    return columns;
}

void TTable::closeCursor() {
    if (m_holdsLock) {
        db::Database::ReleaseTable(m_sqlName, this);
        m_holdsLock = false;
    }
}

// ---- Writing ---------------------------------------------------------------------------------

void TTable::noteWrite() {
    if (db::Database::InTransaction()) db::Database::noteAppliedInTransaction(this);
}

void TTable::writeInsert(Row &row, const QByteArray &data) {
    db::Database::suspendReaders();
    const std::vector<QVariant> values = RowCodec::values(data);
    QStringList names, marks;
    QVariantList binds;
    for (size_t c = 0; c < values.size() && c < m_columns.size(); ++c) {
        // The table gives the autoincrement key itself.
        if (m_columns[c].type == TFieldType::ftAutoInc && values[c].isNull()) continue;
        names << quote(m_columns[c].name);
        marks << QStringLiteral("?");
        binds << values[c];
    }
    const QString sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quotedName())
                                        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                              .arg(quotedName(), names.join(QStringLiteral(", ")),
                                                   marks.join(QStringLiteral(", ")));
    db::StatementPtr stmt = db::Prepare(sql);
    for (int i = 0; i < binds.size(); ++i) db::BindValue(stmt.get(), i + 1, binds[i]);
    db::StepDone(stmt.get(), sql);
    noteWrite();
    row.rowid = db::Database::LastInsertRowId();
    // Read the row back: the key and anything the table filled in.
    db::StatementPtr back = db::Prepare(QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid = ?").arg(quotedName()));
    db::BindValue(back.get(), 1, row.rowid);
    if (sqlite3_step(back.get()) == SQLITE_ROW)
        row.data = RowCodec::fromStatement(back.get(), 1, sqlite3_column_count(back.get()) - 1);
    else
        row.data = data;
}

void TTable::writeUpdate(Row &row, const QByteArray &data) {
    db::Database::suspendReaders();
    const std::vector<QVariant> values = RowCodec::values(data);
    QStringList sets;
    QVariantList binds;
    for (size_t c = 0; c < values.size() && c < m_columns.size(); ++c) {
        sets << quote(m_columns[c].name) + QStringLiteral(" = ?");
        binds << values[c];
    }
    binds << row.rowid;
    const QString sql =
        QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quotedName(), sets.join(QStringLiteral(", ")));
    db::StatementPtr stmt = db::Prepare(sql);
    for (int i = 0; i < binds.size(); ++i) db::BindValue(stmt.get(), i + 1, binds[i]);
    db::StepDone(stmt.get(), sql);
    noteWrite();
    row.data = data;
}

void TTable::writeDelete(Row &row) {
    db::Database::suspendReaders();
    db::Database::Exec(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quotedName()), {row.rowid});
    noteWrite();
}

void TTable::placePostedRow() {
    relocateCurrentRow();
}

void TTable::transactionRolledBack() {
    TDataSet::transactionRolledBack();
    if (Active() && !editing()) rereadKeepingRow();
}

void TTable::EmptyTable() {
    if (Active()) CheckBrowseMode();
    db::Database::Exec(QStringLiteral("DELETE FROM %1").arg(quotedName()));
    noteWrite();
    if (Active()) reread(false);
}

void TTable::ReindexTable() { db::Database::Exec(QStringLiteral("REINDEX %1").arg(quotedName())); }

#include "db/Table.h"

#include "db/Database.h"
#include "db/FieldTypes.h"
#include "db/RowCursor.h"
#include "db/Schema.h"
#include "db/Sqlite.h"

using db::Row;
using db::RowCodec;

struct TTable::Cursor : db::RowCursor {};

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

QString TTable::orderClause() const {
    QStringList terms;
    for (const QString &f : IndexFields())
        terms << (db::IsTextType(fieldType(f)) ? quote(f) + QStringLiteral(" COLLATE RU") : quote(f));
    terms << QStringLiteral("rowid");
    return QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
}

QString TTable::selectSql(QVariantList &binds) const {
    QStringList where;
    const QStringList fields = IndexFields();
    auto column = [&](const QString &f) {
        return db::IsTextType(fieldType(f)) ? quote(f) + QStringLiteral(" COLLATE RU") : quote(f);
    };
    if (m_rangeActive) {
        for (int i = 0; i < m_rangeStart.size() && i < fields.size(); ++i) {
            where << column(fields[i]) + QStringLiteral(" >= ?");
            binds << db::ToStorage(fieldType(fields[i]), 0, m_rangeStart[i]);
        }
        for (int i = 0; i < m_rangeEnd.size() && i < fields.size(); ++i) {
            where << column(fields[i]) + QStringLiteral(" <= ?");
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
    QString sql = QStringLiteral("SELECT rowid, * FROM ") + quotedName();
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    return sql + orderClause();
}

void TTable::SetRange(const QVariantList &start, const QVariantList &end) {
    checkActive();
    CheckBrowseMode();
    m_rangeStart = start;
    m_rangeEnd = end;
    m_rangeActive = true;
    reread([](const Row &) { return false; }, 0);
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
    const int cur = currentIndex();
    const qint64 rowid = cur >= 0 && cur < store().size() ? store().at(cur).rowid : 0;
    reread([rowid](const Row &r) { return rowid != 0 && r.rowid == rowid; }, 0);
}

void TTable::closed() {
    // Reopening keeps the index, not the range.
    m_rangeActive = false;
    m_rangeStart.clear();
    m_rangeEnd.clear();
}

void TTable::masterChanged() { reread([](const Row &) { return false; }, 0); }

QStringList TTable::masterDetailFields() const { return IndexFields().mid(0, m_masterFields.size()); }

// ---- Comparing keys ---------------------------------------------------------------------

QVariant TTable::rowValue(const Row &row, const QString &field) const {
    const int col = const_cast<TTable *>(this)->store().columnIndex(field);
    return col < 0 ? QVariant() : RowCodec::cell(row.data, col);
}

namespace {

// Compares two stored values the way the ordering of the rows does: nulls first,
// numbers by value, text by the Russian collation.
int compareStored(const QVariant &a, const QVariant &b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    const bool aText = a.typeId() == QMetaType::QString, bText = b.typeId() == QMetaType::QString;
    if (!aText && !bText) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (aText != bText) return aText ? 1 : -1; // numbers sort before text
    return db::Database::CompareText(a.toString(), b.toString());
}

} // namespace

int TTable::compareKey(const Row &row, const QVariantList &values, int count) const {
    const QStringList fields = IndexFields();
    for (int i = 0; i < count && i < fields.size(); ++i) {
        const QVariant target = db::ToStorage(fieldType(fields[i]), 0, values[i]);
        const int c = compareStored(rowValue(row, fields[i]), target);
        if (c != 0) return c;
    }
    return 0;
}

int TTable::compareRows(const Row &a, const Row &b) const {
    for (const QString &f : IndexFields()) {
        const int c = compareStored(rowValue(a, f), rowValue(b, f));
        if (c != 0) return c;
    }
    return a.rowid < b.rowid ? -1 : (a.rowid > b.rowid ? 1 : 0);
}

void TTable::FindNearest(const QVariantList &values) {
    checkActive();
    CheckBrowseMode();
    FetchAll();
    const int count = int(std::min<qsizetype>(values.size(), IndexFields().size()));
    int lo = 0, hi = store().size();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (compareKey(store().at(mid), values, count) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (store().size() == 0) return;
    SetRecNo(std::min(lo, store().size() - 1));
}

bool TTable::FindKey(const QVariantList &values) {
    checkActive();
    CheckBrowseMode();
    FetchAll();
    const int count = int(std::min<qsizetype>(values.size(), IndexFields().size()));
    for (int i = 0; i < store().size(); ++i)
        if (compareKey(store().at(i), values, count) == 0) {
            SetRecNo(i);
            return true;
        }
    return false;
}

// ---- Reading -------------------------------------------------------------------------------

std::vector<TDataSet::ColumnInfo> TTable::openCursor() {
    if (m_sqlName.isEmpty()) throw EDatabaseError(QStringLiteral("Не задано имя таблицы"));
    const db::TableDef *def = db::FindTable(m_sqlName);
    db::Database::AcquireTable(m_sqlName, this, Exclusive);
    m_holdsLock = true;
    QVariantList binds;
    QString sql;
    try {
        IndexFields(); // a missing named index is an error of opening
        m_columns.clear();
        sql = selectSql(binds);
        m_cursor = std::make_unique<Cursor>();
        m_cursor->stmt = db::Prepare(sql);
    } catch (const EDatabaseError &) {
        if (!def)
            throw EDatabaseError(QStringLiteral("Таблица «%1» не найдена в папке данных").arg(m_tableName));
        throw;
    }
    sqlite3_stmt *stmt = m_cursor->stmt.get();
    for (int i = 0; i < binds.size(); ++i) db::BindValue(stmt, i + 1, binds[i]);
    m_cursor->firstColumn = 1;
    m_cursor->columns = sqlite3_column_count(stmt) - 1;
    std::vector<ColumnInfo> columns;
    for (int c = 0; c < m_cursor->columns; ++c) {
        ColumnInfo info;
        info.name = QString::fromUtf8(sqlite3_column_name(stmt, c + 1));
        const db::FieldDef *fd = db::FindFieldDef(def, info.name);
        if (fd) {
            db::FieldTypeFromCode(QString::fromLatin1(fd->type), info.type, info.size);
        } else if (const char *decl = sqlite3_column_decltype(stmt, c + 1)) {
            db::FieldTypeFromDecl(QString::fromUtf8(decl), info.type, info.size);
        }
        columns.push_back(info);
    }
    m_columns = columns;
    db::Database::registerReader(this, [this] { FetchAll(); });
    return columns;
}

bool TTable::fetchRows(int count) {
    for (int i = 0; i < count; ++i) {
        Row row;
        if (!m_cursor || !m_cursor->next(this, row, QStringLiteral("Ошибка чтения таблицы «%1»").arg(m_tableName)))
            return false;
        appendFetchedRow(std::move(row));
    }
    return true;
}

void TTable::closeCursor() {
    db::Database::unregisterReader(this);
    m_cursor.reset();
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
    db::Database::finishReaders();
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
    db::Database::finishReaders();
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
    db::Database::finishReaders();
    db::Database::Exec(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quotedName()), {row.rowid});
    noteWrite();
}

void TTable::placePostedRow() {
    // Keep the rows in index order without re-reading the table: the posted row moves
    // to its place among the others.
    FetchAll();
    const int cur = currentIndex();
    if (cur < 0) return;
    auto moving = std::move(store().rows[size_t(cur)]);
    store().rows.erase(store().rows.begin() + cur);
    int lo = 0, hi = store().size();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (compareRows(store().at(mid), *moving) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    store().rows.insert(store().rows.begin() + lo, std::move(moving));
    setCurrentIndex(lo);
}

void TTable::transactionRolledBack() {
    TDataSet::transactionRolledBack();
    if (Active() && !editing()) rereadKeepingRow();
}

void TTable::EmptyTable() {
    if (Active()) CheckBrowseMode();
    db::Database::Exec(QStringLiteral("DELETE FROM %1").arg(quotedName()));
    noteWrite();
    if (Active()) reread([](const Row &) { return false; }, 0);
}

void TTable::ReindexTable() { db::Database::Exec(QStringLiteral("REINDEX %1").arg(quotedName())); }

#include "db/Query.h"

#include "db/Database.h"
#include "db/FieldTypes.h"
#include "db/RowCursor.h"
#include "db/Schema.h"
#include "db/SqlText.h"
#include "db/Sqlite.h"

#include <QRegularExpression>

using db::Row;
using db::RowCodec;

TQuery::TQuery(QObject *owner) : TDataSet(owner) {}

TQuery::~TQuery() {
    // Nobody is told: the controls bound to a dataset being destroyed are going with
    // their form, and may be half gone already.
    DisableControls();
    try {
        Close();
    } catch (...) {
    }
}

void TQuery::SetSQL(const QStringList &lines) {
    Close();
    m_sql = lines;
    syncParams();
}

void TQuery::SetSQLText(const QString &text) { SetSQL(text.split(QLatin1Char('\n'))); }

TParams &TQuery::Params() {
    syncParams();
    return m_params;
}

TParam *TQuery::ParamByName(const QString &name) { return Params().ParamByName(name); }

QString TQuery::TranslatedSQL() const {
    // Translated once per text: a statement run in a loop keeps its text.
    const QString text = m_sql.join(QLatin1Char('\n'));
    if (text != m_translatedFrom || m_translated.isNull()) {
        m_translated = db::TranslateSql(text);
        m_translatedFrom = text;
    }
    return m_translated;
}

void TQuery::syncParams() {
    const QString text = m_sql.join(QLatin1Char('\n'));
    if (text == m_parsedText) return;
    m_parsedText = text;
    // The parameters follow the text; a name that stays keeps its type and value.
    TParams fresh;
    for (const QString &name : db::SqlParameterNames(text)) {
        TParam *p = fresh.CreateParam(name);
        if (const TParam *old = m_params.FindParam(name)) {
            p->SetDataType(old->DataType());
            p->SetValue(old->Value());
        }
    }
    m_params.Clear();
    for (int i = 0; i < fresh.Count(); ++i) {
        TParam *p = m_params.CreateParam(fresh[i]->Name(), fresh[i]->DataType());
        p->SetValue(fresh[i]->Value());
    }
}

namespace {

QVariant paramStorage(const TParam &p) {
    TFieldType type = p.DataType();
    if (type == TFieldType::ftCurrency || type == TFieldType::ftAutoInc) type = TFieldType::ftFloat;
    return db::ToStorage(type, 0, p.Value());
}

} // namespace

void TQuery::bindParams(sqlite3_stmt *stmt) {
    TDataSet *master = m_masterSource ? m_masterSource->DataSet() : nullptr;
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const char *raw = sqlite3_bind_parameter_name(stmt, i);
        if (!raw) continue;
        QString name = QString::fromUtf8(raw + 1);
        // The GLOB the translation set beside a LIKE takes the LIKE pattern's beginning.
        const bool glob = name.startsWith(db::LikeGlobParameter);
        if (glob) name = name.mid(db::LikeGlobParameter.size());
        TParam *p = m_params.FindParam(name);
        QVariant value = p ? paramStorage(*p) : QVariant();
        if (value.isNull() && master) {
            // A detail query takes an unset parameter from the master's field of that name.
            if (TField *f = master->FindField(name); f && master->Active())
                value = db::ToStorage(f->DataType(), 0, f->Value());
        }
        if (glob && !value.isNull())
            value = db::LikeIndexGlob(value.typeId() == QMetaType::QString ? value.toString() : QString());
        db::BindValue(stmt, i, value);
    }
}

std::vector<TDataSet::ColumnInfo> TQuery::openCursor() {
    syncParams();
    const QString sql = TranslatedSQL();
    db::StatementPtr stmt = db::Prepare(sql);
    bindParams(stmt.get());
    const int count = sqlite3_column_count(stmt.get());
    std::vector<ColumnInfo> columns;
    QStringList names;
    bool typesKnown = true;
    for (int c = 0; c < count; ++c) {
        ColumnInfo info;
        QString name = QString::fromUtf8(sqlite3_column_name(stmt.get(), c));
        // "select *" over two tables: a clashing column of the second gets "_1".
        const QString base = name;
        for (int n = 1; names.contains(name, Qt::CaseInsensitive); ++n)
            name = base + QLatin1Char('_') + QString::number(n);
        names << name;
        info.name = name;
        const char *table = sqlite3_column_table_name(stmt.get(), c);
        const char *origin = sqlite3_column_origin_name(stmt.get(), c);
        const db::FieldDef *fd =
            table && origin ? db::FindFieldDef(db::FindTable(QString::fromUtf8(table)), QString::fromUtf8(origin)) : nullptr;
        if (fd)
            db::FieldTypeFromCode(QString::fromLatin1(fd->type), info.type, info.size);
        else if (const char *decl = sqlite3_column_decltype(stmt.get(), c))
            db::FieldTypeFromDecl(QString::fromUtf8(decl), info.type, info.size);
        typesKnown = typesKnown && info.type != TFieldType::ftUnknown;
        columns.push_back(info);
    }
    db::RowSource &src = source();
    src.bind = [this](sqlite3_stmt *s) { bindParams(s); };
    src.errorText = QStringLiteral("Ошибка чтения запроса «%1»").arg(Name());
    // One table read in a known order is keyed: a window anywhere in it is re-read from
    // the key of a row beside it. Anything else is read forwards from an offset.
    if (db::SplitKeyedSelect(sql, src)) {
        try {
            src.open(db::Seek::Start);
        } catch (const EDatabaseError &) {
            src.keyed = false; // no rowid to key by (a view): read by offset
        }
    }
    if (!src.keyed) src.text = sql;
    int rc = SQLITE_DONE;
    if (!typesKnown || !src.keyed) {
        // Expressions (max(...), sum(...)) carry no declared type: the first row tells.
        rc = sqlite3_step(stmt.get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            db::ThrowEngineError(QStringLiteral("Ошибка в запросе «%1»").arg(sql.simplified()));
    }
    static const QRegularExpression isoDate(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    for (int c = 0; c < int(columns.size()); ++c) {
        ColumnInfo &info = columns[size_t(c)];
        if (info.type != TFieldType::ftUnknown) continue;
        const int type = rc == SQLITE_ROW ? sqlite3_column_type(stmt.get(), c) : SQLITE_NULL;
        if (type == SQLITE_TEXT) {
            const QString v =
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), c)));
            if (isoDate.match(v).hasMatch()) {
                info.type = TFieldType::ftDate;
            } else {
                info.type = TFieldType::ftString;
                info.size = 255;
            }
        } else if (type == SQLITE_BLOB) {
            info.type = TFieldType::ftBlob;
        } else {
            info.type = TFieldType::ftFloat;
        }
    }
    if (!src.keyed) {
        // The statement that was stepped once gives the first rows.
        src.primed = std::shared_ptr<sqlite3_stmt>(stmt.release(), db::StatementFinalizer());
        src.primedHasRow = rc == SQLITE_ROW;
    }
    return columns;
}

void TQuery::masterChanged() {
    reread(false);
}

void TQuery::ExecSQL() {
    db::Database::suspendReaders();
    syncParams();
    const QString sql = TranslatedSQL();
    db::StatementPtr stmt = db::Prepare(sql);
    bindParams(stmt.get());
    db::StepDone(stmt.get(), sql);
    m_rowsAffected = sqlite3_changes(db::Database::handle());
}

// ---- Cached updates ---------------------------------------------------------------------------

void TQuery::applyRow(Row &row) {
    if (!UpdateObject) return; // an in-memory buffer: the changes never reach a table
    switch (row.status) {
    case TUpdateStatus::usDeleted:
        runUpdate(UpdateObject->DeleteSQL, row);
        break;
    case TUpdateStatus::usInserted:
        runUpdate(UpdateObject->InsertSQL, row);
        break;
    case TUpdateStatus::usModified:
        runUpdate(UpdateObject->ModifySQL, row);
        break;
    case TUpdateStatus::usUnmodified:
        break;
    }
}

void TQuery::runUpdate(const QStringList &statement, Row &row) {
    const QString text = statement.join(QLatin1Char('\n')).trimmed();
    if (text.isEmpty()) return;
    // Translated once per text: a save runs the same few statements again and again.
    auto translated = m_updateSql.find(text);
    if (translated == m_updateSql.end()) {
        if (m_updateSql.size() >= 16) m_updateSql.clear(); // statements made up row by row
        static const QRegularExpression into(QStringLiteral("insert\\s+into\\s+\"?([A-Za-z_][A-Za-z0-9_]*)"),
                                             QRegularExpression::CaseInsensitiveOption);
        UpdateStatement made;
        made.sql = db::TranslateSql(text);
        const auto m = into.match(made.sql);
        if (m.hasMatch()) made.insertInto = m.captured(1);
        translated = m_updateSql.emplace(text, made).first;
    }
    const QString &sql = translated->second.sql;
    db::StatementPtr stmt = db::Prepare(sql);
    const int count = sqlite3_bind_parameter_count(stmt.get());
    for (int i = 1; i <= count; ++i) {
        const char *raw = sqlite3_bind_parameter_name(stmt.get(), i);
        if (!raw) continue;
        QString name = QString::fromUtf8(raw + 1);
        const bool old = name.startsWith(QLatin1String("OLD_"), Qt::CaseInsensitive);
        if (old) name = name.mid(4);
        const int col = store().columnIndex(name);
        if (col < 0)
            throw EDatabaseError(
                QStringLiteral("Нет поля «%1» для параметра инструкции записи набора «%2»").arg(name, Name()));
        db::BindValue(stmt.get(), i, old ? row.oldCell(col) : RowCodec::cell(row.data, col));
    }
    db::StepDone(stmt.get(), sql);
    if (row.status != TUpdateStatus::usInserted) return;
    // The table gave the new row its key: the row learns it, so the caller can find it.
    const QString &table = translated->second.insertInto;
    if (table.isEmpty()) return;
    const qint64 rowid = db::Database::LastInsertRowId();
    QString from = source().from.section(QLatin1Char(' '), 0, 0);
    from.remove(QLatin1Char('"'));
    if (source().keyed && from.compare(table, Qt::CaseInsensitive) == 0) row.rowid = rowid;
    const db::FieldDef *key = db::AutoIncField(db::FindTable(table));
    if (!key) return;
    const int col = store().columnIndex(QString::fromUtf8(key->name));
    if (col < 0) return;
    std::vector<QVariant> values = RowCodec::values(row.data);
    values[size_t(col)] = rowid;
    row.data = RowCodec::fromValues(values);
}

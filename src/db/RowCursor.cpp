#include "db/RowCursor.h"

#include "db/SqlText.h"

#include <QRegularExpression>

namespace db {

namespace {

QRegularExpression keyword(const char *pattern) {
    return QRegularExpression(QStringLiteral("\\b") + QString::fromLatin1(pattern) + QStringLiteral("\\b"),
                              QRegularExpression::CaseInsensitiveOption);
}

bool hasTopLevelLimit(const QString &text) {
    static const QRegularExpression limit = keyword("limit");
    return !TopLevelMatches(MaskQuoted(text), limit).empty();
}

QString param(const char *prefix, int i) {
    return QStringLiteral(":orbek_%1%2").arg(QLatin1String(prefix)).arg(i);
}

void bindNamed(sqlite3_stmt *stmt, const QString &name, const QVariant &value) {
    const int at = sqlite3_bind_parameter_index(stmt, name.toUtf8().constData());
    if (at > 0) BindValue(stmt, at, value);
}

} // namespace

QString RowSource::keyedSelect(const QString &condition, bool backward) const {
    QStringList hidden{rowid}, orderBy;
    for (const OrderTerm &t : order) {
        hidden << t.expr;
        orderBy << t.expr + (t.desc != backward ? QStringLiteral(" DESC") : QString());
    }
    const bool rowidDesc = !order.empty() && order.back().desc;
    orderBy << rowid + (rowidDesc != backward ? QStringLiteral(" DESC") : QString());
    QString sql = QStringLiteral("SELECT ") + hidden.join(QStringLiteral(", ")) + QStringLiteral(", ") +
                  columns + QStringLiteral(" FROM ") + from;
    if (!condition.isEmpty()) sql += QStringLiteral(" WHERE ") + condition;
    return sql + QStringLiteral(" ORDER BY ") + orderBy.join(QStringLiteral(", "));
}

// Rows after (or before) the key in reading order: the first term that differs decides,
// and a null sorts before every value.
QString RowSource::seekCondition(const QByteArray &key, bool backward, bool inclusive) const {
    struct Term {
        QString expr, value;
        bool desc, null;
    };
    std::vector<Term> terms;
    for (size_t i = 0; i < order.size(); ++i)
        terms.push_back(
            {order[i].expr, param("k", int(i) + 1), order[i].desc, RowCodec::cell(key, int(i) + 1).isNull()});
    terms.push_back({rowid, param("k", 0), !order.empty() && order.back().desc, false});
    QStringList alternatives;
    QStringList equal;
    for (const Term &t : terms) {
        const bool rising = t.desc == backward; // values grow in reading order
        QString later;
        if (rising)
            later =
                t.null ? t.expr + QStringLiteral(" IS NOT NULL") : t.expr + QStringLiteral(" > ") + t.value;
        else
            later =
                t.null ? QStringLiteral("0") : QStringLiteral("(%1 < %2 OR %1 IS NULL)").arg(t.expr, t.value);
        alternatives << (equal.isEmpty()
                             ? later
                             : equal.join(QStringLiteral(" AND ")) + QStringLiteral(" AND ") + later);
        equal << (t.null ? t.expr + QStringLiteral(" IS NULL") : t.expr + QStringLiteral(" = ") + t.value);
    }
    if (inclusive) alternatives << equal.join(QStringLiteral(" AND "));
    const QString any = QStringLiteral("(") + alternatives.join(QStringLiteral(" OR ")) + QStringLiteral(")");
    // Every alternative keeps the first term at or past the key's value; said once more
    // on its own, it lets SQLite start an index on that term there instead of reading
    // every row before it (a report walking 100 000 rows re-reads from each window).
    const Term &first = terms.front();
    if (first.null || first.desc != backward || terms.size() < 2) return any;
    return QStringLiteral("(%1 >= %2 AND %3)").arg(first.expr, first.value, any);
}

StatementPtr RowSource::open(Seek seek, const QByteArray &key, qint64 offset, int limit, const QString &extra,
                             const QVariantList &extraBinds) const {
    QString sql;
    if (keyed) {
        QStringList conditions;
        if (!where.trimmed().isEmpty()) conditions << QStringLiteral("(") + where + QStringLiteral(")");
        const bool backward = seek == Seek::End || seek == Seek::Before;
        if (seek == Seek::After || seek == Seek::AtOrAfter || seek == Seek::Before)
            conditions << seekCondition(key, backward, seek == Seek::AtOrAfter);
        if (!extra.isEmpty()) conditions << QStringLiteral("(") + extra + QStringLiteral(")");
        sql = keyedSelect(conditions.join(QStringLiteral(" AND ")), backward);
    } else {
        sql = text;
        if ((limit > 0 || seek == Seek::Offset) && hasTopLevelLimit(sql))
            sql = QStringLiteral("SELECT * FROM (") + sql + QStringLiteral(")");
    }
    if (limit > 0 || seek == Seek::Offset) sql += QStringLiteral(" LIMIT :orbek_limit OFFSET :orbek_offset");
    StatementPtr stmt = Prepare(sql);
    if (bind) bind(stmt.get());
    if (keyed && !key.isEmpty())
        for (int i = 0; i < keyColumns(); ++i)
            bindNamed(stmt.get(), param("k", i), RowCodec::cell(key, i));
    for (int i = 0; i < extraBinds.size(); ++i)
        bindNamed(stmt.get(), param("x", i), extraBinds[i]);
    bindNamed(stmt.get(), QStringLiteral(":orbek_limit"), qint64(limit > 0 ? limit : -1));
    bindNamed(stmt.get(), QStringLiteral(":orbek_offset"), qint64(seek == Seek::Offset ? offset : 0));
    return stmt;
}

qint64 RowSource::count(const QByteArray &beforeKey, qint64 limit) const {
    QString sql;
    if (keyed) {
        QStringList conditions;
        if (!where.trimmed().isEmpty()) conditions << QStringLiteral("(") + where + QStringLiteral(")");
        if (!beforeKey.isEmpty()) conditions << seekCondition(beforeKey, true, false);
        sql = (limit > 0 ? QStringLiteral("SELECT 1 FROM ") : QStringLiteral("SELECT count(*) FROM ")) + from;
        if (!conditions.isEmpty())
            sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
        if (limit > 0) sql = QStringLiteral("SELECT count(*) FROM (%1 LIMIT %2)").arg(sql).arg(limit);
    } else {
        sql = limit > 0
                  ? QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM (%1) LIMIT %2)").arg(text).arg(limit)
                  : QStringLiteral("SELECT count(*) FROM (") + text + QStringLiteral(")");
    }
    StatementPtr stmt = Prepare(sql);
    if (bind) bind(stmt.get());
    if (keyed && !beforeKey.isEmpty())
        for (int i = 0; i < keyColumns(); ++i)
            bindNamed(stmt.get(), param("k", i), RowCodec::cell(beforeKey, i));
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW) ThrowEngineError(errorText);
    return sqlite3_column_int64(stmt.get(), 0);
}

QString RowSource::countText() const {
    const QString sql = keyed ? QStringLiteral("SELECT count(*) FROM %1 WHERE (%2)")
                                    .arg(from, where.isEmpty() ? QStringLiteral("1") : where)
                              : QStringLiteral("SELECT count(*) FROM (%1)").arg(text);
    StatementPtr stmt = Prepare(sql);
    if (bind) bind(stmt.get());
    char *expanded = sqlite3_expanded_sql(stmt.get());
    const QString out = QString::fromUtf8(expanded ? expanded : "");
    sqlite3_free(expanded);
    return out;
}

void RowSource::learnPlan(sqlite3_stmt *stmt) const {
    if (m_plan != Plan::Unknown || !keyed) return;
    m_plan = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_SORT, 0) > 0 ? Plan::Sorts : Plan::Streams;
}

bool RowSource::next(sqlite3_stmt *stmt, Row &row, int columnCount) const {
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE) return false;
    if (rc != SQLITE_ROW) ThrowEngineError(errorText);
    readCurrent(stmt, row, columnCount);
    return true;
}

void RowSource::readCurrent(sqlite3_stmt *stmt, Row &row, int columnCount) const {
    const int hidden = keyColumns();
    if (keyed) {
        row.rowid = sqlite3_column_int64(stmt, 0);
        row.key = RowCodec::fromStatement(stmt, 0, hidden);
    }
    row.data = RowCodec::fromStatement(stmt, hidden, columnCount);
}

int CompareStored(const QVariant &a, const QVariant &b, bool russian) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    auto rank = [](const QVariant &v) {
        switch (v.typeId()) {
        case QMetaType::QString:
            return 1;
        case QMetaType::QByteArray:
            return 2;
        default:
            return 0;
        }
    };
    const int ra = rank(a), rb = rank(b);
    if (ra != rb) return ra < rb ? -1 : 1;
    if (ra == 0) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (ra == 2) {
        const QByteArray x = a.toByteArray(), y = b.toByteArray();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (russian) return Database::CompareText(a.toString(), b.toString());
    const QByteArray x = a.toString().toUtf8(), y = b.toString().toUtf8();
    return x < y ? -1 : (y < x ? 1 : 0);
}

int RowSource::compareKeys(const QByteArray &a, const QByteArray &b) const {
    static const QRegularExpression russian(QStringLiteral("\\bcollate\\s+ru\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    for (size_t i = 0; i < order.size(); ++i) {
        const int c = CompareStored(RowCodec::cell(a, int(i) + 1), RowCodec::cell(b, int(i) + 1),
                                    russian.match(order[i].expr).hasMatch());
        if (c != 0) return order[i].desc ? -c : c;
    }
    const qint64 x = RowCodec::cell(a, 0).toLongLong(), y = RowCodec::cell(b, 0).toLongLong();
    const int c = x < y ? -1 : (x > y ? 1 : 0);
    return !order.empty() && order.back().desc ? -c : c;
}

QByteArray RowSource::keyOf(const Row &row, const std::vector<QString> &columnNames) const {
    if (!keyed || row.rowid == 0) return {};
    std::vector<QVariant> values{QVariant(row.rowid)};
    for (const OrderTerm &t : order) {
        int column = -1;
        for (size_t i = 0; i < columnNames.size() && column < 0; ++i)
            if (columnNames[i].compare(t.column, Qt::CaseInsensitive) == 0) column = int(i);
        if (column < 0) return {};
        values.push_back(RowCodec::cell(row.data, column));
    }
    return RowCodec::fromValues(values);
}

bool SplitKeyedSelect(const QString &sqlText, RowSource &source) {
    QString sql = sqlText.trimmed();
    while (sql.endsWith(QLatin1Char(';')))
        sql.chop(1);
    const QString m = MaskQuoted(sql);
    static const QRegularExpression select(QStringLiteral("^\\s*select\\s"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (!select.match(m).hasMatch() || m.contains(QLatin1Char(';'))) return false;
    static const QRegularExpression unwanted(
        QStringLiteral("\\b(union|intersect|except|group|having|limit|join|distinct|window|offset|values)\\b|"
                       "\\bselect\\b.*\\bselect\\b|\\bnulls\\s+(first|last)\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (unwanted.match(m).hasMatch()) return false;
    static const QRegularExpression fromWord = keyword("from"), whereWord = keyword("where");
    static const QRegularExpression orderWord(QStringLiteral("\\border\\s+by\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
    const auto froms = TopLevelMatches(m, fromWord), wheres = TopLevelMatches(m, whereWord),
               orders = TopLevelMatches(m, orderWord);
    if (froms.size() != 1 || wheres.size() > 1 || orders.size() > 1) return false;
    const qsizetype fromAt = froms[0].capturedStart();
    const qsizetype whereAt = wheres.empty() ? -1 : wheres[0].capturedStart();
    const qsizetype orderAt = orders.empty() ? -1 : orders[0].capturedStart();
    if ((whereAt >= 0 && whereAt < fromAt) || (orderAt >= 0 && (orderAt < fromAt || orderAt < whereAt)))
        return false;
    const qsizetype selectEnd =
        m.indexOf(QRegularExpression(QStringLiteral("select"), QRegularExpression::CaseInsensitiveOption)) +
        6;
    const QString columns = sql.mid(selectEnd, fromAt - selectEnd).trimmed();
    static const QRegularExpression aggregate(
        QStringLiteral("\\b(count|sum|min|max|avg|total|group_concat)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    if (columns.isEmpty() || aggregate.match(MaskQuoted(columns)).hasMatch()) return false;
    const qsizetype fromEnd = whereAt >= 0 ? whereAt : (orderAt >= 0 ? orderAt : sql.size());
    const QString from = sql.mid(fromAt + 4, fromEnd - fromAt - 4).trimmed();
    static const QRegularExpression table(
        QStringLiteral("^(\"?[A-Za-z_][A-Za-z0-9_]*\"?)(?:\\s+(?:as\\s+)?([A-Za-z_][A-Za-z0-9_]*))?$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto tm = table.match(from);
    if (!tm.hasMatch() || from.contains(QLatin1Char(','))) return false;
    const QString alias = tm.captured(2);
    QString where;
    if (whereAt >= 0)
        where = sql.mid(whereAt + 5, (orderAt >= 0 ? orderAt : sql.size()) - whereAt - 5).trimmed();
    std::vector<OrderTerm> order;
    if (orderAt >= 0) {
        const qsizetype termsAt =
            m.indexOf(QRegularExpression(QStringLiteral("by"), QRegularExpression::CaseInsensitiveOption),
                      orderAt) +
            2;
        static const QRegularExpression term(
            QStringLiteral(
                "^(?:[A-Za-z_][A-Za-z0-9_]*\\.)?\"?([A-Za-z_][A-Za-z0-9_]*)\"?(\\s+collate\\s+[A-Za-z_]+)?"
                "(?:\\s+(asc|desc))?$"),
            QRegularExpression::CaseInsensitiveOption);
        const QString terms = sql.mid(termsAt);
        if (MaskQuoted(terms).contains(QLatin1Char('('))) return false;
        for (const QString &raw : terms.split(QLatin1Char(','))) {
            const auto t = term.match(raw.trimmed());
            if (!t.hasMatch()) return false;
            OrderTerm o;
            o.column = t.captured(1);
            o.desc = t.captured(3).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
            o.expr = raw.trimmed();
            if (!t.captured(3).isEmpty()) o.expr.chop(t.captured(3).size());
            o.expr = o.expr.trimmed();
            order.push_back(o);
        }
    }
    source.keyed = true;
    source.columns = columns;
    source.from = from;
    source.rowid = alias.isEmpty() ? QStringLiteral("rowid") : alias + QStringLiteral(".rowid");
    source.where = where;
    source.order = order;
    source.text = sql;
    return true;
}

} // namespace db

#include "db/SqlText.h"

#include "db/FieldTypes.h"
#include "db/Schema.h"

#include <QRegularExpression>
#include <QSet>

namespace db {

namespace {

// Calls `fn` on each stretch of the text outside quotes, letting it rewrite it.
template <typename Fn> QString mapUnquoted(const QString &text, Fn fn) {
    QString out, chunk;
    QChar quote;
    for (const QChar c : text) {
        if (!quote.isNull()) {
            out += c;
            if (c == quote) quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            out += fn(chunk);
            chunk.clear();
            out += c;
            quote = c;
        } else {
            chunk += c;
        }
    }
    out += fn(chunk);
    return out;
}

// A bare column name ("NUMBER", "z.Date_Fakt") that no table holds as text: ordering
// it by the text collation would only keep SQLite from reading it in index order.
bool isNeverText(const QString &term) {
    static const auto sets = [] {
        QSet<QString> text, other;
        for (const TableDef &t : Schema())
            for (const FieldDef &f : t.fields) {
                TFieldType type;
                int size;
                FieldTypeFromCode(QString::fromLatin1(f.type), type, size);
                (IsTextType(type) ? text : other).insert(QString::fromUtf8(f.name).toLower());
            }
        return std::make_pair(text, other);
    }();
    static const QRegularExpression identifier(QStringLiteral("^\\s*(?:[A-Za-z_][A-Za-z0-9_]*\\.)?([A-Za-z_][A-Za-z0-9_]*)\\s*$"));
    const auto m = identifier.match(term);
    if (!m.hasMatch()) return false;
    const QString name = m.captured(1).toLower();
    return sets.second.contains(name) && !sets.first.contains(name);
}

QString collateOrderBy(const QString &text) {
    const QString masked = MaskQuoted(text);
    static const QRegularExpression orderBy(QStringLiteral("\\border\\s+by\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    // The last ORDER BY at parenthesis depth 0.
    const auto orders = TopLevelMatches(masked, orderBy);
    if (orders.empty()) return text;
    const qsizetype atEnd = orders.back().capturedEnd();
    QStringList terms;
    qsizetype start = atEnd;
    int depth = 0;
    for (qsizetype i = atEnd; i <= masked.size(); ++i) {
        if (i == masked.size() || (masked[i] == QLatin1Char(',') && depth == 0)) {
            terms << text.mid(start, i - start);
            start = i + 1;
            continue;
        }
        if (masked[i] == QLatin1Char('(')) ++depth;
        if (masked[i] == QLatin1Char(')')) --depth;
    }
    static const QRegularExpression direction(QStringLiteral("\\s+(asc|desc)\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression number(QStringLiteral("^\\s*\\d+\\s*$"));
    QStringList rewritten;
    for (const QString &term : terms) {
        QString t = term;
        const QString trailing = t.mid(t.trimmed().isEmpty() ? 0 : t.lastIndexOf(t.trimmed().back()) + 1);
        t.chop(trailing.size());
        QString dir;
        const auto m = direction.match(t);
        if (m.hasMatch()) {
            dir = t.mid(m.capturedStart());
            t.truncate(m.capturedStart());
        }
        if (t.contains(QStringLiteral("collate"), Qt::CaseInsensitive) || number.match(t).hasMatch() ||
            isNeverText(t)) {
            rewritten << term;
            continue;
        }
        rewritten << t + QStringLiteral(" COLLATE RU") + dir + trailing;
    }
    return text.left(atEnd) + rewritten.join(QLatin1Char(','));
}

// Text columns of some index: a LIKE with a fixed beginning over one of them can read a
// range of that index.
bool isIndexedText(const QString &column) {
    static const QSet<QString> names = [] {
        QSet<QString> out;
        for (const TableDef &t : Schema())
            for (const IndexDef &ix : t.indexes)
                for (const QString &f : QString::fromLatin1(ix.fields).split(QLatin1Char(';'))) {
                    const FieldDef *def = FindFieldDef(&t, f);
                    TFieldType type = TFieldType::ftUnknown;
                    int size = 0;
                    if (def) FieldTypeFromCode(QString::fromLatin1(def->type), type, size);
                    if (IsTextType(type)) out.insert(f.toLower());
                }
        return out;
    }();
    return names.contains(column.toLower());
}

// "column LIKE :p" or "column LIKE 'literal'" over an indexed text column (without
// ESCAPE) becomes "(column LIKE :p AND column GLOB :orbek_like_p)". The connection's LIKE
// ignores case in every alphabet and so is no function SQLite reads an index for; its
// GLOB is, and takes the pattern's beginning up to its first letter or wildcard (bound by
// the query, see LikeIndexGlob): an account prefix "60%" reads the index range again,
// while a name or "%" gives "*", which narrows nothing.
QString globBesideLike(const QString &text) {
    static const QRegularExpression like(
        QStringLiteral("\\b((?:[A-Za-z_][A-Za-z0-9_]*\\.)?([A-Za-z_][A-Za-z0-9_]*))\\s+like\\s+"
                       "(:([A-Za-z_][A-Za-z0-9_]*+)|'(?:x|'')*+')(?!\\s*escape\\b)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString masked = MaskQuoted(text);
    QString out = text;
    auto it = like.globalMatch(masked);
    std::vector<QRegularExpressionMatch> found;
    while (it.hasNext())
        found.push_back(it.next());
    for (auto m = found.rbegin(); m != found.rend(); ++m) {
        if (!isIndexedText(m->captured(2))) continue;
        const QString column = m->captured(1);
        const QString pattern = text.mid(m->capturedStart(3), m->capturedLength(3));
        QString glob;
        if (!m->captured(4).isEmpty()) {
            glob = QLatin1Char(':') + LikeGlobParameter + m->captured(4);
        } else {
            QString literal = pattern.mid(1, pattern.size() - 2);
            literal.replace(QStringLiteral("''"), QStringLiteral("'"));
            glob = QLatin1Char('\'') +
                   LikeIndexGlob(literal).replace(QLatin1Char('\''), QStringLiteral("''")) +
                   QLatin1Char('\'');
        }
        out.replace(m->capturedStart(), m->capturedLength(),
                    QStringLiteral("(%1 LIKE %2 AND %1 GLOB %3)").arg(column, pattern, glob));
    }
    return out;
}

} // namespace

QString TranslateSql(const QString &text) {
    static const QRegularExpression quotedFile(QStringLiteral("^\"([A-Za-z_][A-Za-z0-9_]*)\\.(db|dbf)\"$"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bareFile(QStringLiteral("\\b([A-Za-z_][A-Za-z0-9_]*)\\.(db|dbf)\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    // Quoted file names lose their extension: "Klient.db" -> "Klient".
    QString out;
    QChar quote;
    qsizetype quoteStart = 0;
    QString unquoted;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote) {
                QString literal = text.mid(quoteStart, i - quoteStart + 1);
                if (quote == QLatin1Char('"')) {
                    const auto m = quotedFile.match(literal);
                    if (m.hasMatch()) literal = QLatin1Char('"') + m.captured(1) + QLatin1Char('"');
                }
                out += literal;
                quote = QChar();
            }
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            quoteStart = i;
        } else {
            out += c;
        }
    }
    if (!quote.isNull()) out += text.mid(quoteStart);
    out = mapUnquoted(out, [&](const QString &chunk) {
        QString c = chunk;
        c.replace(bareFile, QStringLiteral("\\1"));
        return c;
    });
    return collateOrderBy(globBesideLike(out));
}

QString LikeIndexGlob(const QString &likePattern) {
    QString glob;
    for (const QChar c : likePattern) {
        // A character outside ASCII or a Latin letter may match in another case.
        if (c.unicode() >= 0x80 || c.isLetter() || c == QLatin1Char('%') || c == QLatin1Char('_')) break;
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('['))
            glob += QLatin1Char('[') + c + QLatin1Char(']');
        else
            glob += c;
    }
    return glob + QLatin1Char('*');
}

QStringList SqlParameterNames(const QString &text) {
    const QString masked = MaskQuoted(text);
    static const QRegularExpression param(QStringLiteral("(?<![:\\w]):([A-Za-z_][A-Za-z0-9_]*)"));
    QStringList names;
    auto it = param.globalMatch(masked);
    while (it.hasNext()) {
        const QString name = it.next().captured(1);
        bool seen = false;
        for (const QString &n : names) seen = seen || n.compare(name, Qt::CaseInsensitive) == 0;
        if (!seen) names << name;
    }
    return names;
}

QString MaskQuoted(const QString &text) {
    QString out = text;
    QChar quote;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out[i] = QLatin1Char('x');
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        }
    }
    return out;
}

std::vector<QRegularExpressionMatch> TopLevelMatches(const QString &maskedText,
                                                     const QRegularExpression &word) {
    std::vector<QRegularExpressionMatch> found;
    auto it = word.globalMatch(maskedText);
    while (it.hasNext()) {
        const auto m = it.next();
        int depth = 0;
        for (qsizetype i = 0; i < m.capturedStart(); ++i) {
            if (maskedText[i] == QLatin1Char('(')) ++depth;
            if (maskedText[i] == QLatin1Char(')')) --depth;
        }
        if (depth == 0) found.push_back(m);
    }
    return found;
}

} // namespace db

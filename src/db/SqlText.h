#pragma once
// Inside the engine: the few translations a query text needs before SQLite runs it.
// Table files may be named with their extension ("Klient.db"); text is ordered by the
// Russian collation in ORDER BY. Everything else runs as written.
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <vector>

namespace db {

QString TranslateSql(const QString &text);
// The text with quoted stretches blanked out (each quoted letter an "x"), so keywords
// and brackets are found only where SQLite would read them.
QString MaskQuoted(const QString &text);
// The matches of `word` in a masked text that stand outside brackets, in order.
std::vector<QRegularExpressionMatch> TopLevelMatches(const QString &maskedText,
                                                     const QRegularExpression &word);
// The parameter names of a text (":Datv" gives "Datv"), in order, each once.
QStringList SqlParameterNames(const QString &text);

} // namespace db

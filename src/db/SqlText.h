#pragma once
// Inside the engine: the few translations a query text needs before SQLite runs it.
// Table files may be named with their extension ("Klient.db"); text is ordered by the
// Russian collation in ORDER BY; a LIKE over an indexed text column gets a GLOB beside
// it that lets SQLite read the index for the pattern's fixed beginning. Everything else
// runs as written.
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <vector>

namespace db {

QString TranslateSql(const QString &text);
// The GLOB set beside "column LIKE :p": the parameter ":orbek_like_p", bound to
// LikeIndexGlob of the value of ":p".
inline const QString LikeGlobParameter = QStringLiteral("orbek_like_");
// The GLOB pattern every text matching the LIKE pattern matches too: the pattern's
// beginning up to its first wildcard or letter (which LIKE matches in either case),
// then "*". "60.1%" gives "60.1*", "Ром%" and "%" give "*".
QString LikeIndexGlob(const QString &likePattern);
// The text with quoted stretches blanked out (each quoted letter an "x"), so keywords
// and brackets are found only where SQLite would read them.
QString MaskQuoted(const QString &text);
// The matches of `word` in a masked text that stand outside brackets, in order.
std::vector<QRegularExpressionMatch> TopLevelMatches(const QString &maskedText,
                                                     const QRegularExpression &word);
// The parameter names of a text (":Datv" gives "Datv"), in order, each once.
QStringList SqlParameterNames(const QString &text);

} // namespace db

#include "app/StrUtils.h"

#include "app/UConfig.h"
#include "db/Currency.h"
#include "db/Formats.h"

QString CurrentPeriodSetting() {
    return SettingText(QStringLiteral("Period"));
}

// The date is built from its parts, not from a text read back under the platform's
// date separator, so a separator other than "." cannot make it fail.
QDate BegPeriod(const QDate &d, const QString &period) {
    // A blank date reads as the zero date, as everywhere in the tables.
    const QDate day = d.isValid() ? d : fmt::ZeroDate();
    if (period == QStringLiteral("Год")) return QDate(day.year(), 1, 1);
    if (period == QStringLiteral("Месяц")) return QDate(day.year(), day.month(), 1);
    if (period == QStringLiteral("День")) return d;
    return fmt::ZeroDate();
}

QDateTime BegPeriod(const QDateTime &d, const QString &period) {
    if (period == QStringLiteral("День")) return d;
    return QDateTime(BegPeriod(d.date(), period), QTime(0, 0));
}

QDate BegPeriod(const QDate &d) {
    return BegPeriod(d, CurrentPeriodSetting());
}

QDateTime BegPeriod(const QDateTime &d) {
    return BegPeriod(d, CurrentPeriodSetting());
}

double Okrugl(double x) {
    return RoundToKopecks(x);
}

QString ReplaceAll(const QString &s, const QString &oldText, const QString &newText) {
    if (oldText.isEmpty()) return s;
    QString result = s;
    // QString::replace continues after the inserted text, so "a" -> "aa" ends.
    result.replace(oldText, newText, Qt::CaseSensitive);
    return result;
}

QString PeriodCaption(const QDate &from, const QDate &to) {
    return QStringLiteral("с ") + fmt::DateToStr(from) + QStringLiteral(" по ") + fmt::DateToStr(to);
}

QString NameFilterPattern(const QString &typed) {
    return ReplaceAll(ReplaceAll(typed, QStringLiteral("?"), QStringLiteral("_")), QStringLiteral("*"),
                      QStringLiteral("%")) +
           QLatin1Char('%');
}

QString PadLeftWith(QChar c, const QString &s, int n) {
    return n > s.size() ? RepeatChar(c, n - int(s.size())) + s : s;
}

QString RepeatChar(QChar c, int n) {
    return n < 1 ? QString() : QString(n, c);
}

QString RemoveChar(const QString &s, QChar c) {
    QString result = s;
    result.remove(c);
    return result;
}

QString TrimLeadingSpaces(const QString &s) {
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

QString TrimTrailingSpaces(const QString &s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

QString TrimBothSpaces(const QString &s) {
    return TrimLeadingSpaces(TrimTrailingSpaces(s));
}

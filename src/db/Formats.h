#pragma once
// Process-wide number and date formats, and the conversions every form, field and
// report goes through. The decimal separator is set by the main window from the
// settings ("-" after start-up, or "." or ","), so a sum shows, prints and is typed
// with the same separator everywhere.
#include "db/Currency.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace fmt {

struct FormatSettings {
    QChar decimalSeparator = QLatin1Char('-');
    QChar thousandSeparator = QLatin1Char(' ');
    QString shortDateFormat = QStringLiteral("dd.mm.yyyy");
    QString longDateFormat = QStringLiteral("dd.mm.yyyy");
    int currencyDecimals = 2;
    QString currencyString; // empty: money shows without a currency sign
};

FormatSettings &Settings();
inline QChar DecimalSeparator() { return Settings().decimalSeparator; }
void SetDecimalSeparator(QChar separator);

// The settings' separator names: "Тире" "-", "Точка" ".", "Запятая" ",".
// Any other name leaves the separator as it is; returns whether it changed.
bool ApplySeparatorName(const QString &name);

// Number masks: "0" a digit, "#" an optional digit, "." the decimal
// separator, "," anywhere in the integer part turns on thousands grouping, quoted
// text and any other character are literals, up to three sections "pos;neg;zero".
// A negative value printed through its own section gets no sign. Literals standing
// before the first digit of the integer part are dropped, so "### ### ##0.00" gives
// "12-50", not "   12-50". Rounding is half away from zero on the value's 15
// significant decimal digits, the money rule of RoundToKopecks.
QString FormatFloat(const QString &mask, double value);
// The figure FormatFloat prints for `value` under `mask`, as an exact amount: the value
// rounded as FormatFloat rounds it, to the decimals of the section it prints through.
// None for an empty mask, a section of literal text, more than four decimals, and a
// value that is not finite or has more than fourteen digits before the point.
std::optional<Currency> AmountAsPrinted(const QString &mask, double value);
// The mask of sums in lists and printed forms: grouped thousands, two decimals.
inline const QString MoneyMask = QStringLiteral("### ### ##0.00");

// Shortest decimal form with up to 15 significant digits: 15.0 -> "15", 12.5 -> "12-5".
QString FloatToStr(double value);
// Money as shown by default: grouped thousands and two decimals ("1 234-50").
QString MoneyToStr(double value);
// Money under the mask "### ### ##0.00" with every blank of the mask kept, also where
// no digit stands before it, as a text line writes a sum ("в т.ч. НДС", the tax lines
// of the printed documents): 180 gives "  180-00", 1234.5 gives " 1 234-50".
QString MoneyWithMaskBlanks(double value);

// Parses a typed number. The decimal point may be the current separator, "." or ","
// (one of them, once), so "1234567,89" and "1234567.89" read alike under every setting.
// Blanks are ignored; a leading "-" is the sign even when the separator is "-" ("-5-12"
// is -5.12). A number too large for a double is refused.
bool TryStrToFloat(const QString &text, double &value);
double StrToFloat(const QString &text); // throws EConvertError
bool TryStrToInt(const QString &text, qint64 &value);
qint64 StrToInt(const QString &text); // throws EConvertError
// A typed amount of money: a number as above, kept in whole kopecks by the money rule
// (RoundToKopecks), so a pasted 10.005 is 10.01 and the amount is the one it shows, with
// no more than twelve rouble digits (the most the printed forms hold in figures and in
// words).
bool TryStrToMoney(const QString &text, double &value);
double StrToMoney(const QString &text); // throws EConvertError

// The zero date: an empty date reads as 30.12.1899.
QDate ZeroDate();
inline bool IsZeroDate(const QDate &d) { return !d.isValid() || d == ZeroDate(); }

// Date patterns: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss,
// "/" the platform's date separator (".") and quoted literals. Month names are in the
// genitive after a day ("07 декабря 2026 г."), in the nominative otherwise. "m" and
// "mm" right after an hour ("hh:mm") are minutes.
QString FormatDateTime(const QString &pattern, const QDateTime &value);
QString FormatDateTime(const QString &pattern, const QDate &value);
QString DateToStr(const QDate &value); // "dd.mm.yyyy"; the zero date gives ""

// Parses "d.m.yyyy", "dd.mm.yy" and the like (two-digit years fall in 1950..2049).
// Years run from 1 to 9999: a date outside them is refused.
bool TryStrToDate(const QString &text, QDate &value);
QDate StrToDate(const QString &text); // throws EConvertError
inline bool IsDateInRange(const QDate &d) {
    return d.isValid() && d.year() >= 1 && d.year() <= 9999;
}

// The conversion messages the controls show.
QString InvalidFloatMessage(const QString &text);
QString InvalidDateMessage(const QString &text);
QString InvalidIntegerMessage(const QString &text);
QString InvalidMoneyMessage(const QString &text); // a number of more than twelve rouble digits
QString MoneyRangeMessage(double value);          // an amount no money value may hold
QString DateRangeMessage(const QDate &value);     // a year outside 1..9999

} // namespace fmt

#include "db/Formats.h"

#include "db/Currency.h"
#include "db/Errors.h"

#include <QRegularExpression>
#include <QVarLengthArray>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace fmt {

FormatSettings &Settings() {
    static FormatSettings settings;
    return settings;
}

void SetDecimalSeparator(QChar separator) {
    Settings().decimalSeparator = separator;
}

bool ApplySeparatorName(const QString &name) {
    const QString n = name.trimmed();
    QChar sep;
    if (n == QStringLiteral("Тире"))
        sep = QLatin1Char('-');
    else if (n == QStringLiteral("Точка"))
        sep = QLatin1Char('.');
    else if (n == QStringLiteral("Запятая"))
        sep = QLatin1Char(',');
    else
        return false;
    SetDecimalSeparator(sep);
    return true;
}

namespace {

// The decimal digits of |value| rounded half away from zero to `decimals` places, from
// the decimal amount the double stands for (its fifteen significant digits, as
// RoundToKopecks reads money, so 240.07499999999999 prints as 240.08): the digits hold
// no leading zeros (none for zero) and `intDigits` tells how many of them stand before
// the point (may be <= 0 for 0.00x values). Kept in place: a report formats every
// amount it prints.
struct Decimal {
    char digits[24];
    int size = 0;
    int intDigits = 0;
    bool negative = false;
};

Decimal toDecimal(double value, int decimals) {
    Decimal d;
    d.negative = std::signbit(value) && value != 0.0;
    if (!std::isfinite(value)) return d;
    // 15 significant digits, then the rounding.
    char buf[64];
    // As "%.14e" prints it, without going through printf for every amount of a report.
    const auto written =
        std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific, 14);
    *written.ptr = '\0';
    // buf: d.ddddddddddddddddde±XX; the mantissa's digits go to d.digits from index 1,
    // leaving room for a carry into a new first digit.
    char *mant = d.digits + 1;
    int n = 0;
    mant[n++] = buf[0];
    int i = 2;
    while (buf[i] != 'e')
        mant[n++] = buf[i++];
    const int exp = std::atoi(buf + i + 1);
    int point = exp + 1; // digits before the decimal point
    // Round at position point + decimals.
    const int keep = point + decimals;
    if (keep < 0) return Decimal{};
    if (keep < n) {
        const bool up = mant[keep] >= '5';
        n = keep;
        if (up) {
            int j = keep - 1;
            while (j >= 0) {
                if (mant[j] == '9') {
                    mant[j] = '0';
                    --j;
                } else {
                    ++mant[j];
                    break;
                }
            }
            if (j < 0) {
                --mant;
                mant[0] = '1';
                ++n;
                ++point;
            }
        }
    }
    // Strip leading zeros.
    int lead = 0;
    while (lead < n && mant[lead] == '0')
        ++lead;
    point -= lead;
    n -= lead;
    if (n == 0) {
        d.negative = false;
        return d;
    }
    std::memmove(d.digits, mant + lead, size_t(n));
    d.size = n;
    d.intDigits = point;
    return d;
}

char16_t digitAt(const Decimal &d, int pos) {
    // pos: 0 = first digit after the point, -1 = units, -2 = tens ... as power of ten
    // index counted from the point: power p gives digit index intDigits - 1 - p.
    const int idx = d.intDigits - 1 - pos;
    if (idx < 0 || idx >= d.size) return u'0';
    return char16_t(d.digits[idx]);
}

QString applySection(QStringView mask, double absValue, bool showMinus) {
    // Analyse the mask: placeholders before and after the point, thousands flag.
    int intPlaceholders = 0, fracZeros = 0, fracAll = 0, intZeros = 0;
    bool thousands = false, seenPoint = false, firstZeroSeen = false;
    char16_t quote = 0;
    for (const QChar qc : mask) {
        const char16_t c = qc.unicode();
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'.') {
            seenPoint = true;
        } else if (c == u',') {
            if (!seenPoint) thousands = true;
        } else if (c == u'0' || c == u'#') {
            if (seenPoint) {
                ++fracAll;
                if (c == u'0') fracZeros = fracAll;
            } else {
                ++intPlaceholders;
                if (c == u'0') firstZeroSeen = true;
                if (firstZeroSeen) ++intZeros;
            }
        }
    }
    if (intPlaceholders == 0 && fracAll == 0) {
        // A mask without placeholders prints its literal text.
        QString literal;
        char16_t q = 0;
        for (const QChar c : mask) {
            if (q) {
                if (c.unicode() == q)
                    q = 0;
                else
                    literal += c;
            } else if (c == u'"' || c == u'\'') {
                q = c.unicode();
            } else {
                literal += c;
            }
        }
        return literal;
    }
    const Decimal d = toDecimal(absValue, fracAll);
    const int valueIntDigits = std::max(d.intDigits, 0);
    const int shownInt = std::max(valueIntDigits, intZeros);

    QVarLengthArray<char16_t, 64> out;
    QVarLengthArray<char16_t, 32> fracOut;
    const FormatSettings &s = Settings();
    const char16_t thousandSeparator = s.thousandSeparator.unicode();
    // Integer digits go out as placeholders are met; the first placeholder also takes
    // every surplus digit of a value longer than the mask.
    const int intLeft = shownInt; // digits to print in the integer part
    int placeholdersLeft = intPlaceholders;
    bool started = false;
    seenPoint = false;
    int fracPos = 0;
    quote = 0;
    auto putIntDigit = [&](int power) {
        out.append(digitAt(d, power));
        if (thousands && power > 0 && power % 3 == 0 && thousandSeparator != 0) out.append(thousandSeparator);
        started = true;
    };
    for (const QChar qc : mask) {
        const char16_t c = qc.unicode();
        if (quote) {
            if (c == quote)
                quote = 0;
            else if (seenPoint)
                fracOut.append(c);
            else if (started)
                out.append(c);
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            continue;
        }
        if (!seenPoint && (c == u'0' || c == u'#')) {
            // This placeholder stands for power `placeholdersLeft - 1`.
            const int power = placeholdersLeft - 1;
            if (placeholdersLeft == intPlaceholders) {
                // First placeholder: print every digit above its power too.
                for (int p = intLeft - 1; p > power; --p)
                    putIntDigit(p);
            }
            if (power < intLeft) putIntDigit(power);
            --placeholdersLeft;
            continue;
        }
        if (c == u'.') {
            if (!seenPoint) {
                seenPoint = true;
                if (intPlaceholders == 0) {
                    for (int p = intLeft - 1; p >= 0; --p)
                        putIntDigit(p);
                }
            }
            continue;
        }
        if (c == u',') continue;
        if (seenPoint && (c == u'0' || c == u'#')) {
            const int power = -1 - fracPos;
            const char16_t digit = digitAt(d, power);
            ++fracPos;
            if (fracPos <= fracZeros || digit != u'0' || fracOut.size() > 0) fracOut.append(digit);
            continue;
        }
        // Literal character; blanks before the first digit are dropped.
        if (seenPoint)
            fracOut.append(c);
        else if (started || !qc.isSpace())
            out.append(c);
    }
    // Trailing '#' digits that are zero are dropped.
    if (fracAll > fracZeros) {
        qsizetype keep = fracOut.size();
        // remove trailing zeros beyond the mandatory ones
        int digitsSeen = 0;
        for (const char16_t c : fracOut)
            if (QChar(c).isDigit()) ++digitsSeen;
        while (keep > 0 && digitsSeen > fracZeros && fracOut[keep - 1] == u'0') {
            --keep;
            --digitsSeen;
        }
        fracOut.resize(keep);
    }
    const bool minus = showMinus && d.size > 0;
    const qsizetype length = (minus ? 1 : 0) + out.size() + (fracOut.isEmpty() ? 0 : 1 + fracOut.size());
    if (length == 0) return QString();
    QString result(length, Qt::Uninitialized);
    char16_t *p = reinterpret_cast<char16_t *>(result.data());
    if (minus) *p++ = u'-';
    p = std::copy(out.begin(), out.end(), p);
    if (!fracOut.isEmpty()) {
        *p++ = s.decimalSeparator.unicode();
        std::copy(fracOut.begin(), fracOut.end(), p);
    }
    return result;
}

// The mask's sections "pos;neg;zero" (quoted ';' belong to their section). The last
// few masks are remembered: a report prints every amount of a column through one.
struct Sections {
    QString mask;
    std::vector<QString> items;
};

const std::vector<QString> &splitSections(const QString &mask) {
    thread_local std::array<Sections, 8> cache;
    thread_local size_t nextSlot = 0;
    for (const Sections &known : cache)
        if (!known.items.empty() && known.mask == mask) return known.items;
    Sections &slot = cache[nextSlot];
    nextSlot = (nextSlot + 1) % cache.size();
    slot.mask = mask;
    slot.items.clear();
    QString cur;
    QChar quote;
    for (const QChar c : mask) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            cur.append(c);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            cur.append(c);
        } else if (c == QLatin1Char(';')) {
            slot.items.push_back(cur);
            cur.clear();
        } else {
            cur.append(c);
        }
    }
    slot.items.push_back(cur);
    return slot.items;
}

// The decimals a mask's section prints: its placeholders after the point; none for a
// section of literal text alone.
std::optional<int> sectionDecimals(QStringView section) {
    int placeholders = 0, decimals = 0;
    bool seenPoint = false;
    char16_t quote = 0;
    for (const QChar qc : section) {
        const char16_t c = qc.unicode();
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'.') {
            seenPoint = true;
        } else if (c == u'0' || c == u'#') {
            ++placeholders;
            if (seenPoint) ++decimals;
        }
    }
    if (placeholders == 0) return std::nullopt;
    return decimals;
}

} // namespace

QString FormatFloat(const QString &mask, double value) {
    if (mask.isEmpty()) return FloatToStr(value);
    const std::vector<QString> &sections = splitSections(mask);
    // Which section: the zero section only for a value that rounds to zero in the
    // first section's precision.
    if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return applySection(sections[1], std::fabs(value), false);
    if (sections.size() >= 3 && !sections[2].isEmpty()) {
        const QString first = applySection(sections[0], std::fabs(value), false);
        bool anyNonZero = false;
        for (const QChar c : first)
            if (c.isDigit() && c != QLatin1Char('0')) anyNonZero = true;
        if (!anyNonZero) return applySection(sections[2], 0.0, false);
    }
    return applySection(sections[0], std::fabs(value), value < 0);
}

std::optional<Currency> AmountAsPrinted(const QString &mask, double value) {
    if (mask.isEmpty() || !std::isfinite(value)) return std::nullopt;
    // The section FormatFloat prints the value through (a zero section only ever
    // prints an amount that rounds to nothing).
    const std::vector<QString> &sections = splitSections(mask);
    const bool negative = value < 0 && sections.size() >= 2 && !sections[1].isEmpty();
    const std::optional<int> decimals = sectionDecimals(negative ? sections[1] : sections[0]);
    if (!decimals || *decimals > 4) return std::nullopt;
    const Decimal d = toDecimal(std::fabs(value), *decimals);
    if (d.intDigits > 14) return std::nullopt; // beyond what ten-thousandths hold
    qint64 raw = 0;
    for (int power = std::max(d.intDigits, 0) - 1; power >= -4; --power)
        raw = raw * 10 + (power >= -*decimals ? digitAt(d, power) - u'0' : 0);
    return Currency::fromRaw(value < 0 ? -raw : raw);
}

QString FloatToStr(double value) {
    if (!std::isfinite(value)) return QString::number(value);
    char buf[64];
    // As "%.15g" prints it.
    const auto written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    const qsizetype length = written.ptr - buf;
    if (length == 2 && buf[0] == '-' && buf[1] == '0') return QStringLiteral("0");
    QString s(length, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(s.data());
    const char16_t separator = Settings().decimalSeparator.unicode();
    for (qsizetype i = 0; i < length; ++i)
        // The exponent form in capitals with the separator: 1-5E+20
        out[i] = buf[i] == '.' ? separator : (buf[i] == 'e' ? u'E' : char16_t(buf[i]));
    return s;
}

QString MoneyToStr(double value) {
    return FormatFloat(QStringLiteral(",0.00"), value);
}

QString MoneyWithMaskBlanks(double value) {
    static const QString mask = QStringLiteral("### ### ##0");
    const QString fixed = FormatFloat(QStringLiteral("0.00"), std::fabs(value));
    const int point = int(fixed.size()) - 3;
    const QString digits = fixed.left(point);
    int left = int(digits.size());
    QString out;
    for (int i = int(mask.size()) - 1; i >= 0; --i) {
        if (mask[i] == QLatin1Char(' '))
            out.prepend(QLatin1Char(' '));
        else if (left > 0)
            out.prepend(digits[--left]);
    }
    out.prepend(digits.left(left)); // digits beyond the mask's nine
    if (value < 0 && fixed != QStringLiteral("0") + DecimalSeparator() + QStringLiteral("00")) {
        const int first = int(out.indexOf(QRegularExpression(QStringLiteral("\\d"))));
        out.insert(first, QLatin1Char('-'));
    }
    return out + fixed.mid(point);
}

bool TryStrToFloat(const QString &text, double &value) {
    QString t;
    t.reserve(text.size());
    for (const QChar c : text)
        if (!c.isSpace() && c != QChar(0x00A0)) t.append(c);
    if (t.isEmpty()) return false;
    const QChar sep = Settings().decimalSeparator;
    QString norm;
    int i = 0;
    if (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) {
        norm.append(t[0]);
        i = 1;
    }
    bool seenSep = false, seenDigit = false, seenExp = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            norm.append(c);
            seenDigit = true;
        } else if ((c == sep || c == QLatin1Char('.') || c == QLatin1Char(',')) && !seenSep && !seenExp) {
            norm.append(QLatin1Char('.'));
            seenSep = true;
        } else if ((c == QLatin1Char('e') || c == QLatin1Char('E')) && seenDigit && !seenExp) {
            norm.append(QLatin1Char('e'));
            seenExp = true;
            if (i + 1 < t.size() && (t[i + 1] == QLatin1Char('-') || t[i + 1] == QLatin1Char('+')))
                norm.append(t[++i]);
        } else {
            return false;
        }
    }
    if (!seenDigit) return false;
    bool ok = false;
    const double v = norm.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    value = v;
    return true;
}

double StrToFloat(const QString &text) {
    double v = 0;
    if (!TryStrToFloat(text, v)) throw EConvertError(InvalidFloatMessage(text));
    return v;
}

// The limit holds for the amount as kept: 999999999999.995 would keep a thirteenth
// rouble digit.
bool TryStrToMoney(const QString &text, double &value) {
    double v = 0;
    if (!TryStrToFloat(text, v)) return false;
    v = RoundToKopecks(v);
    if (std::fabs(v) > Currency::MaxPrintable) return false;
    value = v;
    return true;
}

double StrToMoney(const QString &text) {
    double v = 0;
    if (!TryStrToFloat(text, v)) throw EConvertError(InvalidFloatMessage(text));
    v = RoundToKopecks(v);
    if (std::fabs(v) > Currency::MaxPrintable) throw EConvertError(InvalidMoneyMessage(text));
    return v;
}

bool TryStrToInt(const QString &text, qint64 &value) {
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok) return false;
    value = v;
    return true;
}

qint64 StrToInt(const QString &text) {
    qint64 v = 0;
    if (!TryStrToInt(text, v)) throw EConvertError(InvalidIntegerMessage(text));
    return v;
}

QDate ZeroDate() {
    return QDate(1899, 12, 30);
}

namespace {

const char *const kMonthsNominative[12] = {"Январь", "Февраль", "Март",     "Апрель",  "Май",    "Июнь",
                                           "Июль",   "Август",  "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
const char *const kMonthsGenitive[12] = {"января", "февраля", "марта",    "апреля",  "мая",    "июня",
                                         "июля",   "августа", "сентября", "октября", "ноября", "декабря"};
const char *const kMonthsShort[12] = {"янв", "фев", "мар", "апр", "май", "июн",
                                      "июл", "авг", "сен", "окт", "ноя", "дек"};
const char *const kDaysShort[7] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
const char *const kDaysLong[7] = {"понедельник", "вторник", "среда",      "четверг",
                                  "пятница",     "суббота", "воскресенье"};

int countRun(const QString &p, int i, QChar c) {
    int n = 0;
    while (i + n < p.size() && p[i + n].toLower() == c)
        ++n;
    return n;
}

} // namespace

namespace {

void appendTwoDigits(QString &out, int value) {
    out += QLatin1Char(char('0' + value / 10 % 10));
    out += QLatin1Char(char('0' + value % 10));
}

// A date and a time of day by a pattern, read as they are: no time zone is consulted.
QString formatDateTime(const QString &pattern, const QDate &date, const QTime &time) {
    QString out;
    out.reserve(pattern.size() + 8);
    int year = 0, month = 0, day = 0; // of the date, worked out once
    date.getDate(&year, &month, &day);
    bool afterDay = false;  // a month name right after a day number takes the genitive
    bool afterHour = false; // "m" after an hour is minutes
    for (int i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        const QChar lc = c.toLower();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int end = pattern.indexOf(c, i + 1);
            const int stop = end < 0 ? int(pattern.size()) : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        if (lc == QLatin1Char('d')) {
            const int n = countRun(pattern, i, QLatin1Char('d'));
            if (n == 1)
                out += QString::number(day);
            else if (n == 2)
                appendTwoDigits(out, day);
            else if (date.isValid()) // an invalid date has no day of the week
                out += QString::fromUtf8(n == 3 ? kDaysShort[date.dayOfWeek() - 1]
                                                : kDaysLong[date.dayOfWeek() - 1]);
            afterDay = n <= 2;
            afterHour = false;
            i += n;
            continue;
        }
        if (lc == QLatin1Char('m')) {
            const int n = countRun(pattern, i, QLatin1Char('m'));
            if (afterHour && n <= 2) {
                out += n == 1 ? QString::number(time.minute())
                              : QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0'));
                afterHour = false;
                i += n;
                continue;
            }
            const int m = month;
            if (n == 1)
                out += QString::number(m);
            else if (n == 2)
                appendTwoDigits(out, m);
            else if (n == 3)
                out += QString::fromUtf8(kMonthsShort[m - 1]);
            else
                out += QString::fromUtf8(afterDay ? kMonthsGenitive[m - 1] : kMonthsNominative[m - 1]);
            afterDay = false;
            i += n;
            continue;
        }
        if (lc == QLatin1Char('y')) {
            const int n = countRun(pattern, i, QLatin1Char('y'));
            if (year >= 0 && year <= 9999) {
                if (n > 2) appendTwoDigits(out, year / 100);
                appendTwoDigits(out, year % 100);
            } else if (n <= 2) {
                out += QStringLiteral("%1").arg(year % 100, 2, 10, QLatin1Char('0'));
            } else {
                out += QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
            }
            afterDay = false;
            afterHour = false;
            i += n;
            continue;
        }
        if (lc == QLatin1Char('h')) {
            const int n = countRun(pattern, i, QLatin1Char('h'));
            out += n == 1 ? QString::number(time.hour())
                          : QStringLiteral("%1").arg(time.hour(), 2, 10, QLatin1Char('0'));
            afterHour = true;
            i += n;
            continue;
        }
        if (lc == QLatin1Char('n')) {
            const int n = countRun(pattern, i, QLatin1Char('n'));
            out += n == 1 ? QString::number(time.minute())
                          : QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0'));
            afterHour = false;
            i += n;
            continue;
        }
        if (lc == QLatin1Char('s')) {
            const int n = countRun(pattern, i, QLatin1Char('s'));
            out += n == 1 ? QString::number(time.second())
                          : QStringLiteral("%1").arg(time.second(), 2, 10, QLatin1Char('0'));
            i += n;
            continue;
        }
        if (c == QLatin1Char('/')) {
            out += QLatin1Char('.');
            ++i;
            continue;
        }
        // A blank keeps the genitive for "dd mmmm"; anything else ends it.
        if (!c.isSpace()) afterDay = false;
        out += c;
        ++i;
    }
    return out;
}

} // namespace

QString FormatDateTime(const QString &pattern, const QDateTime &value) {
    return formatDateTime(pattern, value.date(), value.time());
}

QString FormatDateTime(const QString &pattern, const QDate &value) {
    return formatDateTime(pattern, value, QTime(0, 0));
}

QString DateToStr(const QDate &value) {
    if (IsZeroDate(value)) return QString();
    return FormatDateTime(Settings().shortDateFormat, value);
}

bool TryStrToDate(const QString &text, QDate &value) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    const QStringList parts = t.split(QRegularExpression(QStringLiteral("[./\\-]")));
    if (parts.size() != 3) return false;
    bool okD = false, okM = false, okY = false;
    const int d = parts[0].trimmed().toInt(&okD);
    const int m = parts[1].trimmed().toInt(&okM);
    int y = parts[2].trimmed().toInt(&okY);
    if (!okD || !okM || !okY) return false;
    if (parts[2].trimmed().size() <= 2) y += y < 50 ? 2000 : 1900;
    const QDate date(y, m, d);
    if (!IsDateInRange(date)) return false;
    value = date;
    return true;
}

QDate StrToDate(const QString &text) {
    QDate d;
    if (!TryStrToDate(text, d)) throw EConvertError(InvalidDateMessage(text));
    return d;
}

QString DateRangeMessage(const QDate &value) {
    return QStringLiteral("Год %1 вне допустимых пределов: от 1 до 9999").arg(value.year());
}

QString InvalidFloatMessage(const QString &text) {
    return QStringLiteral("«%1» не является правильным числом").arg(text);
}

QString InvalidDateMessage(const QString &text) {
    return QStringLiteral("«%1» не является правильной датой").arg(text);
}

QString InvalidIntegerMessage(const QString &text) {
    return QStringLiteral("«%1» не является правильным целым числом").arg(text);
}

QString InvalidMoneyMessage(const QString &text) {
    return QStringLiteral("«%1» не является правильной суммой: в сумме не больше двенадцати цифр рублей")
        .arg(text);
}

QString MoneyRangeMessage(double value) {
    if (std::isnan(value)) return QStringLiteral("Сумма не является числом");
    // A figure past fifteen digits would read in exponent form ("9-99E+23"), which tells a
    // bookkeeper nothing: such an amount is refused without quoting it.
    const QString shown = !(std::fabs(value) < 1e15) ? QString() : QLatin1Char(' ') + MoneyToStr(value);
    return QStringLiteral("Сумма%1 вне допустимых пределов: в сумме не больше двенадцати цифр рублей")
        .arg(shown);
}

} // namespace fmt

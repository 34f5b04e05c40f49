#include "db/Currency.h"

#include "db/Formats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

__extension__ typedef __int128 Wide;

// Kopecks of twelve rouble digits, and the raw value of the type's whole range.
constexpr long double MaxPrintableKopecks = 99'999'999'999'999.0L;
constexpr long double MaxRaw = static_cast<long double>(std::numeric_limits<qint64>::max());

[[noreturn]] void refuse(double value) {
    throw EConvertError(fmt::MoneyRangeMessage(value));
}

// n ÷ d rounded to the nearest integer, an exact half to the even one.
Wide divideRoundingHalfEven(Wide n, Wide d) {
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const bool negative = n < 0;
    if (negative) n = -n;
    Wide q = n / d;
    const Wide twiceRest = (n % d) * 2;
    if (twiceRest > d || (twiceRest == d && q % 2 != 0)) ++q;
    return negative ? -q : q;
}

} // namespace

Currency Currency::fromDouble(double value) {
    const long double scaled = static_cast<long double>(value) * Scale;
    if (!(std::fabs(scaled) <= MaxRaw)) refuse(value); // also infinity and not-a-number
    // The shortest decimal that reads back as this double is the one that was typed:
    // 828298390926.19 is stored a little below .19, and its binary value times 10 000
    // would round to .1899. Its digits d.ddd and exponent give digits × 10^shift
    // ten-thousandths.
    char buf[32];
    const auto written =
        std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific);
    *written.ptr = '\0';
    Wide digits = 0;
    int count = 0;
    const char *p = buf;
    for (; *p != 'e'; ++p)
        if (*p != '.') {
            digits = digits * 10 + (*p - '0');
            ++count;
        }
    const int shift = std::atoi(p + 1) - (count - 1) + 4;
    Wide power = 1;
    for (int i = std::min(std::abs(shift), 18); i > 0; --i)
        power *= 10;
    // Seventeen digits at most: a power of more than eighteen leaves less than a half.
    const Wide raw = shift >= 0 ? digits * power : shift < -18 ? 0 : divideRoundingHalfEven(digits, power);
    if (raw > std::numeric_limits<qint64>::max()) refuse(value);
    return fromRaw(static_cast<qint64>(value < 0 ? -raw : raw));
}

Currency Currency::fromDoubleKopecks(double value) {
    // A double has at most 53 significant bits; times 100 needs 7 more, so the product
    // fits the 64-bit mantissa of the extended type exactly and the tie test is exact.
    const long double kopecks = std::nearbyint(static_cast<long double>(value) * 100.0L);
    if (!(std::fabs(kopecks) <= MaxPrintableKopecks)) refuse(value);
    return fromRaw(static_cast<qint64>(kopecks) * (Scale / 100));
}

Currency Currency::MulDiv(Currency value, Currency numerator, Currency denominator) {
    if (denominator.m_raw == 0) throw EConvertError(QStringLiteral("Деление на ноль"));
    // raw(value) × raw(numerator) ÷ raw(denominator) is the result in ten-thousandths;
    // a hundred of these make a kopeck. Both products fit 128 bits.
    const Wide kopecks =
        divideRoundingHalfEven(Wide(value.m_raw) * numerator.m_raw, Wide(denominator.m_raw) * (Scale / 100));
    const Wide raw = kopecks * (Scale / 100);
    if (raw > std::numeric_limits<qint64>::max() || raw < -std::numeric_limits<qint64>::max())
        refuse(static_cast<double>(raw) / Scale);
    return fromRaw(static_cast<qint64>(raw));
}

Currency Currency::abs() const {
    if (m_raw == std::numeric_limits<qint64>::min()) return fromRaw(std::numeric_limits<qint64>::max());
    return fromRaw(m_raw < 0 ? -m_raw : m_raw);
}

bool Currency::isPrintable() const {
    constexpr qint64 limit = 1'000'000'000'000 * Scale; // a thirteenth rouble digit
    return m_raw > -limit && m_raw < limit;
}

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

// n ÷ d rounded to the nearest integer, an exact half away from zero.
Wide divideRoundingHalfAway(Wide n, Wide d) {
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const bool negative = n < 0;
    if (negative) n = -n;
    Wide q = n / d;
    if ((n % d) * 2 >= d) ++q;
    return negative ? -q : q;
}

// |value| written as a decimal, rounded half away from zero to `places` decimal places,
// as a whole number of units of the last place. The decimal is the shortest one that
// reads back as the double when `significant` is 0, else the double to `significant`
// significant digits. Its digits d.ddd and exponent give digits × 10^shift units; the
// callers' ranges keep that within 128 bits.
Wide decimalUnits(double value, int significant, int places) {
    char buf[32];
    const double magnitude = std::fabs(value);
    const auto written =
        significant > 0
            ? std::to_chars(buf, buf + sizeof buf - 1, magnitude, std::chars_format::scientific, significant - 1)
            : std::to_chars(buf, buf + sizeof buf - 1, magnitude, std::chars_format::scientific);
    *written.ptr = '\0';
    Wide digits = 0;
    int count = 0;
    const char *p = buf;
    for (; *p != 'e'; ++p)
        if (*p != '.') {
            digits = digits * 10 + (*p - '0');
            ++count;
        }
    const int shift = std::atoi(p + 1) - (count - 1) + places;
    Wide power = 1;
    for (int i = std::min(std::abs(shift), 18); i > 0; --i)
        power *= 10;
    // Seventeen digits at most: a power of more than eighteen leaves less than a half.
    return shift >= 0 ? digits * power : shift < -18 ? 0 : divideRoundingHalfAway(digits, power);
}

// |value| in whole kopecks by the money rule (see RoundToKopecks), as an exact integer
// in a long double; |value| below 10^13.
long double roundedKopecks(double value) {
    // The product fits the 64-bit mantissa exactly (53 bits times 7), so `rest` is the
    // exact fraction of a kopeck the double holds.
    const long double kopecks = std::fabs(static_cast<long double>(value)) * 100.0L;
    const long double whole = std::floor(kopecks);
    const long double rest = kopecks - whole;
    // Rounding to fifteen significant digits moves the value by at most half a unit of
    // the fifteenth digit, 5e-15 of it: a rest further than twice that from a half lands
    // on the same side of it either way, and most amounts are decided here.
    if (std::fabs(rest - 0.5L) > kopecks * 1e-14L) return rest < 0.5L ? whole : whole + 1;
    // Near a half: the value read to fifteen significant digits decides.
    return static_cast<long double>(decimalUnits(value, 15, 2));
}

} // namespace

Currency Currency::fromDouble(double value) {
    const long double scaled = static_cast<long double>(value) * Scale;
    if (!(std::fabs(scaled) <= MaxRaw)) refuse(value); // also infinity and not-a-number
    // The shortest decimal that reads back as this double is the one that was typed:
    // 828298390926.19 is stored a little below .19, and its binary value times 10 000
    // would round to .1899.
    const Wide raw = decimalUnits(value, 0, 4);
    if (raw > std::numeric_limits<qint64>::max()) refuse(value);
    return fromRaw(static_cast<qint64>(value < 0 ? -raw : raw));
}

double RoundToKopecks(double value) {
    if (!std::isfinite(value)) return value;
    // Most amounts are whole kopecks or close to them (the reports round every stored
    // amount they sum): value × 100 within a quarter of a kopeck of a whole number rounds
    // to it however the value is read, as under 10^13 the product is off by a sixteenth
    // of a kopeck at most, and fifteen digits either resolve a tenth of a kopeck or are
    // whole kopecks themselves.
    const double hundredfold = value * 100, whole = std::nearbyint(hundredfold);
    if (std::fabs(value) < 1e13 && std::fabs(hundredfold - whole) < 0.25)
        return whole == 0 ? 0.0 : whole / 100;
    // Beyond 10^13 fifteen digits no longer reach the kopecks: the binary value rounds.
    const long double kopecks = std::fabs(value) < 1e13
                                    ? roundedKopecks(value)
                                    : std::round(std::fabs(static_cast<long double>(value)) * 100.0L);
    if (kopecks == 0) return 0.0;
    // A whole number of kopecks below 2^53 is a double exactly, and one division gives
    // the double nearest the decimal amount, as reading "240.08" would.
    const double result = static_cast<double>(kopecks) / 100.0;
    return value < 0 ? -result : result;
}

Currency Currency::fromDoubleKopecks(double value) {
    if (!(std::fabs(value) < 1e13)) refuse(value); // also infinity and not-a-number
    const long double kopecks = roundedKopecks(value);
    if (kopecks > MaxPrintableKopecks) refuse(value);
    const qint64 raw = static_cast<qint64>(kopecks) * (Scale / 100);
    return fromRaw(value < 0 ? -raw : raw);
}

Currency Currency::MulDiv(Currency value, Currency numerator, Currency denominator) {
    if (denominator.m_raw == 0) throw EConvertError(QStringLiteral("Деление на ноль"));
    // raw(value) × raw(numerator) ÷ raw(denominator) is the result in ten-thousandths;
    // a hundred of these make a kopeck. Both products fit 128 bits.
    const Wide kopecks =
        divideRoundingHalfAway(Wide(value.m_raw) * numerator.m_raw, Wide(denominator.m_raw) * (Scale / 100));
    const Wide raw = kopecks * (Scale / 100);
    if (raw > std::numeric_limits<qint64>::max() || raw < -std::numeric_limits<qint64>::max())
        refuse(static_cast<double>(raw) / Scale);
    return fromRaw(static_cast<qint64>(raw));
}

Currency Currency::abs() const {
    if (m_raw == std::numeric_limits<qint64>::min()) return fromRaw(std::numeric_limits<qint64>::max());
    return fromRaw(m_raw < 0 ? -m_raw : m_raw);
}

Currency Currency::roundedToKopecks() const {
    return fromRaw(static_cast<qint64>(divideRoundingHalfAway(m_raw, Scale / 100) * (Scale / 100)));
}

bool Currency::isPrintable() const {
    constexpr qint64 limit = 1'000'000'000'000 * Scale; // a thirteenth rouble digit
    return m_raw > -limit && m_raw < limit;
}

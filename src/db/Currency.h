#pragma once
// A money value with four decimal places, held as a scaled 64-bit integer. Amounts in
// words, printed figures and money arithmetic that must come out exact (VAT worked
// out of a kopeck amount) go through it rather than through binary fractions.
//
// Nothing that reaches the type wraps or overflows: a double that is infinite, not a
// number or beyond the type's range (about 9.2e14) is refused with EConvertError.
#include "db/Errors.h"

#include <QtGlobal>

// The money rounding of the whole program: the decimal amount the double stands for
// (its value to fifteen significant digits, which a double holds for every amount of up
// to twelve rouble digits with kopecks, so 240.07499999999999 is read as 240.075),
// rounded to whole kopecks with half a kopeck and more going away from zero, as a
// bookkeeper rounds by hand: 240.075 gives 240.08, 2.675 gives 2.68, -0.125 gives
// -0.13, 0.004999 gives 0. The result is the double nearest to that kopeck amount,
// never -0. Amounts of 10^13 and more, which no form prints, are rounded by their
// binary value; infinity and not-a-number come back unchanged.
double RoundToKopecks(double value);

class Currency {
public:
    static constexpr qint64 Scale = 10000;
    // The largest amount the program prints in figures and in words: twelve rouble
    // digits and kopecks.
    static constexpr double MaxPrintable = 999999999999.99;

    Currency() = default;
    // The shortest decimal that reads back as the double, rounded to four places (half
    // away from zero): every amount of up to twelve rouble digits comes back with the
    // kopecks it was typed with, and 0.125 stays 0.125. Throws EConvertError for
    // infinity, not-a-number and a value out of range.
    static Currency fromDouble(double value);
    // The double rounded once to whole kopecks by RoundToKopecks. This is the amount a
    // printed form shows, so its figures and words agree, and it keeps the typed kopecks
    // of every amount of up to twelve rouble digits. Throws EConvertError for infinity,
    // not-a-number and more than twelve rouble digits.
    static Currency fromDoubleKopecks(double value);
    static Currency fromRaw(qint64 raw) {
        Currency c;
        c.m_raw = raw;
        return c;
    }
    // value × numerator ÷ denominator worked out exactly and rounded once to whole
    // kopecks (half a kopeck away from zero). Throws EConvertError for a zero
    // denominator and for a result out of range.
    static Currency MulDiv(Currency value, Currency numerator, Currency denominator);

    qint64 raw() const { return m_raw; }
    double toDouble() const { return static_cast<double>(static_cast<long double>(m_raw) / Scale); }
    // Whole units, cut toward zero, and the four decimals as 0..9999 (sign dropped).
    qint64 units() const { return m_raw / Scale; }
    int fraction() const { return static_cast<int>(m_raw < 0 ? -(m_raw % Scale) : m_raw % Scale); }
    bool isNegative() const { return m_raw < 0; }
    // The lowest raw value, which no conversion makes, saturates instead of wrapping.
    Currency abs() const;
    // Does the amount print: no more than twelve rouble digits?
    bool isPrintable() const;
    // The amount rounded to whole kopecks, half a kopeck away from zero: the kopecks
    // an amount in four decimals prints with (12.3456 gives 12.35).
    Currency roundedToKopecks() const;

    friend bool operator==(Currency a, Currency b) { return a.m_raw == b.m_raw; }
    friend bool operator<(Currency a, Currency b) { return a.m_raw < b.m_raw; }

private:
    qint64 m_raw = 0;
};

#pragma once
// A money value with four decimal places, held as a scaled 64-bit integer. Amounts in
// words, printed figures and money arithmetic that must come out exact (VAT worked
// out of a kopeck amount) go through it rather than through binary fractions.
//
// Nothing that reaches the type wraps or overflows: a double that is infinite, not a
// number or beyond the type's range (about 9.2e14) is refused with EConvertError.
#include "db/Errors.h"

#include <QtGlobal>

class Currency {
public:
    static constexpr qint64 Scale = 10000;
    // The largest amount the program prints in figures and in words: twelve rouble
    // digits and kopecks.
    static constexpr double MaxPrintable = 999999999999.99;

    Currency() = default;
    // The shortest decimal that reads back as the double, rounded to four places (an
    // exact half to the even one): every amount of up to twelve rouble digits comes back
    // with the kopecks it was typed with, and 0.125 stays 0.125. Throws EConvertError
    // for infinity, not-a-number and a value out of range.
    static Currency fromDouble(double value);
    // The double rounded once to whole kopecks: times 100 in extended precision (exact
    // for every double), an exact half to the even kopeck, as Okrugl rounds. This is
    // the amount a printed form shows, so its figures and words agree, and it keeps
    // the typed kopecks of every amount of up to twelve rouble digits. Throws
    // EConvertError for infinity, not-a-number and more than twelve rouble digits.
    static Currency fromDoubleKopecks(double value);
    static Currency fromRaw(qint64 raw) {
        Currency c;
        c.m_raw = raw;
        return c;
    }
    // value × numerator ÷ denominator worked out exactly and rounded once to whole
    // kopecks (an exact half to the even kopeck). Throws EConvertError for a zero
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

    friend bool operator==(Currency a, Currency b) { return a.m_raw == b.m_raw; }
    friend bool operator<(Currency a, Currency b) { return a.m_raw < b.m_raw; }

private:
    qint64 m_raw = 0;
};

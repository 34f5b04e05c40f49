#pragma once
// A money value with four decimal places, held as a scaled 64-bit integer, as the
// original's currency type: a double becomes a currency by rounding to the nearest
// ten-thousandth (half to even, as the processor rounds).
#include <QtGlobal>
#include <cmath>

class Currency {
public:
    static constexpr qint64 Scale = 10000;

    Currency() = default;
    static Currency fromDouble(double value) {
        Currency c;
        c.m_raw = static_cast<qint64>(std::nearbyint(static_cast<long double>(value) * Scale));
        return c;
    }
    static Currency fromRaw(qint64 raw) {
        Currency c;
        c.m_raw = raw;
        return c;
    }
    qint64 raw() const { return m_raw; }
    double toDouble() const { return static_cast<double>(static_cast<long double>(m_raw) / Scale); }
    // Whole units, cut toward zero, and the four decimals as 0..9999 (sign dropped).
    qint64 units() const { return m_raw / Scale; }
    int fraction() const { return static_cast<int>(std::llabs(m_raw % Scale)); }
    bool isNegative() const { return m_raw < 0; }
    Currency abs() const { return fromRaw(std::llabs(m_raw)); }

    friend bool operator==(Currency a, Currency b) { return a.m_raw == b.m_raw; }
    friend bool operator<(Currency a, Currency b) { return a.m_raw < b.m_raw; }

private:
    qint64 m_raw = 0;
};

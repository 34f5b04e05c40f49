// Number masks, dates and the parsing of typed numbers under the three separators.
#include "db/Currency.h"
#include "db/Errors.h"
#include "db/Formats.h"

#include <QtTest>

#include <limits>

class TestFormats : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { fmt::SetDecimalSeparator('-'); }

    void formatFloat_data() {
        QTest::addColumn<QString>("sep");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("money mask, dash") << "-" << "### ### ##0.00" << 1234567.891 << "1 234 567-89";
        QTest::newRow("money mask small") << "-" << "### ### ##0.00" << 12.5 << "12-50";
        QTest::newRow("money mask zero") << "." << "### ### ##0.00" << 0.0 << "0.00";
        QTest::newRow("money mask negative") << "." << "### ### ##0.00" << -1500.0 << "-1 500.00";
        QTest::newRow("money rounding half up") << "." << "### ### ##0.00" << 0.125 << "0.13";
        QTest::newRow("2.675 as typed, not as stored") << "." << "0.00" << 2.675 << "2.68";
        QTest::newRow("240.075 one unit below") << "." << "0.00" << std::nextafter(240.075, 0.0) << "240.08";
        QTest::newRow("-1.005 in its own section") << "." << "0.00;(0.00)" << -1.005 << "(1.01)";
        QTest::newRow("percent") << "," << "0.00" << 22.0 << "22,00";
        QTest::newRow("grouping flag") << "." << ",0.00;-,0.00" << -1234.5 << "-1 234.50";
        QTest::newRow("grouping positive") << "." << ",0.00;-,0.00" << 1234567.0 << "1 234 567.00";
        QTest::newRow("negative section without sign") << "." << "### ### ##0.00;### ### ##0.00" << -75.3
                                                       << "75.30";
        QTest::newRow("zero section") << "." << "0.00;-0.00;\"нет\"" << 0.0 << "нет";
        QTest::newRow("optional decimals") << "." << "0.##" << 1.5 << "1.5";
        QTest::newRow("optional decimals whole") << "." << "0.##" << 3.0 << "3";
        QTest::newRow("longer than mask") << "." << "0.00" << 123456.0 << "123456.00";
        QTest::newRow("carry") << "." << "0.00" << 9.999 << "10.00";
    }

    void formatFloat() {
        QFETCH(QString, sep);
        QFETCH(QString, mask);
        QFETCH(double, value);
        QFETCH(QString, expected);
        fmt::SetDecimalSeparator(sep[0]);
        QCOMPARE(fmt::FormatFloat(mask, value), expected);
    }

    void floatToStrAndMoney() {
        QCOMPARE(fmt::FloatToStr(15.0), QString("15"));
        QCOMPARE(fmt::FloatToStr(12.5), QString("12-5"));
        QCOMPARE(fmt::MoneyToStr(1234.5), QString("1 234-50"));
        fmt::SetDecimalSeparator('.');
        QCOMPARE(fmt::FloatToStr(0.1 + 0.2), QString("0.3"));
    }

    void parseTyped_data() {
        QTest::addColumn<QString>("sep");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("dash decimal") << "-" << "12-50" << true << 12.5;
        QTest::newRow("dash leading minus is the sign") << "-" << "-123" << true << -123.0;
        QTest::newRow("dash negative decimal") << "-" << "-5-12" << true << -5.12;
        // Every setting takes "," and "." as well as its own separator.
        QTest::newRow("dash takes point") << "-"
                                          << "1234567.89" << true << 1234567.89;
        QTest::newRow("dash takes comma") << "-"
                                          << "1234567,89" << true << 1234567.89;
        QTest::newRow("dash, negative with comma") << "-"
                                                   << "-5,5" << true << -5.5;
        QTest::newRow("point") << "." << "1 234.56" << true << 1234.56;
        QTest::newRow("comma") << "," << "0,5" << true << 0.5;
        QTest::newRow("comma takes point") << ","
                                           << "0.5" << true << 0.5;
        QTest::newRow("point takes comma") << "."
                                           << "1 234,56" << true << 1234.56;
        QTest::newRow("point and comma") << "."
                                         << "1.234,5" << false << 0.0;
        QTest::newRow("too large for a double") << "."
                                                << "1e400" << false << 0.0;
        QTest::newRow("letters") << "." << "12x" << false << 0.0;
        QTest::newRow("empty") << "." << "" << false << 0.0;
        QTest::newRow("two separators") << "." << "1.2.3" << false << 0.0;
    }

    void parseTyped() {
        QFETCH(QString, sep);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        fmt::SetDecimalSeparator(sep[0]);
        double v = 0;
        QCOMPARE(fmt::TryStrToFloat(text, v), ok);
        if (ok) QCOMPARE(v, value);
        if (!ok) QVERIFY_THROWS_EXCEPTION(EConvertError, fmt::StrToFloat(text));
    }

    void separatorNames() {
        QVERIFY(fmt::ApplySeparatorName("Точка"));
        QCOMPARE(fmt::DecimalSeparator(), QChar('.'));
        QVERIFY(fmt::ApplySeparatorName("Запятая"));
        QCOMPARE(fmt::DecimalSeparator(), QChar(','));
        QVERIFY(!fmt::ApplySeparatorName("Пробел"));
        QVERIFY(!fmt::ApplySeparatorName(""));
        QCOMPARE(fmt::DecimalSeparator(), QChar(','));
    }

    void dates() {
        const QDate d(2026, 12, 7);
        QCOMPARE(fmt::FormatDateTime("dd.mm.yyyy", d), QString("07.12.2026"));
        QCOMPARE(fmt::FormatDateTime("dd mmmm yyyy г.", d), QString("07 декабря 2026 г."));
        QCOMPARE(fmt::FormatDateTime("dd mmmm yy", QDate(2026, 3, 1)), QString("01 марта 26"));
        QCOMPARE(fmt::FormatDateTime("dd.mm.yy", d), QString("07.12.26"));
        QCOMPARE(fmt::FormatDateTime("mmmm yyyy", d), QString("Декабрь 2026"));
        QCOMPARE(fmt::DateToStr(fmt::ZeroDate()), QString());
        QCOMPARE(fmt::FormatDateTime("ddd dd.mm.yyyy", QDate(1, 1, 5)), QString("Пт 05.01.0001"));
        QCOMPARE(fmt::FormatDateTime("dddd dd", QDate()), QString(" 00")); // no day of the week
        QCOMPARE(fmt::StrToDate("07.12.2026"), d);
        QCOMPARE(fmt::StrToDate("7.1.26"), QDate(2026, 1, 7));
        QDate out;
        QVERIFY(!fmt::TryStrToDate("31.02.2026", out));
        QVERIFY(!fmt::TryStrToDate("  .  .    ", out));
        QVERIFY_THROWS_EXCEPTION(EConvertError, fmt::StrToDate("завтра"));
    }

    // A money input is kept in whole kopecks by the money rule, and refuses more than
    // twelve rouble digits (a 20-digit account pasted into the amount, or an amount that
    // rounds up to a thirteenth) with a Russian message.
    void moneyInputs() {
        double v = 0;
        QVERIFY(fmt::TryStrToMoney(QStringLiteral("999999999999,99"), v));
        QCOMPARE(v, 999999999999.99);
        QVERIFY(!fmt::TryStrToMoney(QStringLiteral("1000000000000"), v));
        QVERIFY(!fmt::TryStrToMoney(QStringLiteral("-1000000000000"), v));
        QVERIFY(!fmt::TryStrToMoney(QStringLiteral("999999999999.995"), v));
        QVERIFY(fmt::StrToMoney(QStringLiteral("0.125")) == 0.13);
        QVERIFY(fmt::StrToMoney(QStringLiteral("1000.045")) == 1000.05);
        QVERIFY(fmt::StrToMoney(QStringLiteral("-10,005")) == -10.01);
        try {
            fmt::StrToMoney(QStringLiteral("40702810000000000001"));
            QFAIL("a 20-digit number taken as money");
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), fmt::InvalidMoneyMessage(QStringLiteral("40702810000000000001")));
            QVERIFY(e.message().contains(QStringLiteral("двенадцати цифр рублей")));
        }
    }

    void currencyKeepsFourDecimals() {
        QCOMPARE(Currency::fromDouble(4.35).fraction(), 3500);
        QCOMPARE(Currency::fromDouble(1234.5678).raw(), qint64(12345678));
        QCOMPARE(Currency::fromDouble(-2.5).units(), qint64(-2));
        QCOMPARE(Currency::fromDouble(-0.1234).raw(), qint64(-1234));
        QCOMPARE(Currency::fromDouble(-0.1234).fraction(), 1234);
        // As typed, though stored just below it (...926.18994).
        QCOMPARE(Currency::fromDouble(828298390926.19).raw(), qint64(8282983909261900));
    }

    // Rounding once to kopecks keeps the typed kopecks of every amount of up to twelve
    // rouble digits (a four-decimal conversion has no digit to spare there), and rounds
    // the decimal amount a value stands for, half a kopeck away from zero.
    void currencyToKopecks_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("raw");
        QTest::newRow("828 298 390 926.19") << 828298390926.19 << qint64(8282983909261900);
        QTest::newRow("999 999 999 999.99") << 999999999999.99 << qint64(9999999999999900);
        QTest::newRow("0.125") << 0.125 << qint64(1300);
        QTest::newRow("-0.125") << -0.125 << qint64(-1300);
        QTest::newRow("2.675") << 2.675 << qint64(26800);
        QTest::newRow("240.075 one unit above") << std::nextafter(240.075, 241.0) << qint64(2400800);
        QTest::newRow("0.004999") << 0.004999 << qint64(0);
    }
    void currencyToKopecks() {
        QFETCH(double, value);
        QFETCH(qint64, raw);
        QCOMPARE(Currency::fromDoubleKopecks(value).raw(), raw);
    }

    // Whatever reaches the money type is refused with a Russian message, never wrapped.
    void currencyRefusesWhatItCannotHold() {
        for (const double v : {9.3e14, -9.3e14, 1e300, qInf(), -qInf(), qQNaN()}) {
            QVERIFY_THROWS_EXCEPTION(EConvertError, Currency::fromDouble(v));
            QVERIFY_THROWS_EXCEPTION(EConvertError, Currency::fromDoubleKopecks(v));
        }
        QVERIFY_THROWS_EXCEPTION(EConvertError, Currency::fromDoubleKopecks(1e12));
        QCOMPARE(Currency::fromDouble(9.2e14).units(), qint64(920000000000000));
        QCOMPARE(fmt::MoneyRangeMessage(qQNaN()), QStringLiteral("Сумма не является числом"));
        QVERIFY(fmt::MoneyRangeMessage(qInf()).startsWith(QStringLiteral("Сумма вне допустимых пределов")));
        QVERIFY(fmt::MoneyRangeMessage(9.99e23).startsWith(QStringLiteral("Сумма вне допустимых пределов")));
        // An amount quoted reads as money, to the kopeck.
        QVERIFY(
            fmt::MoneyRangeMessage(1e12 + 0.5).startsWith(QStringLiteral("Сумма 1 000 000 000 000-50 вне")));
        QCOMPARE(Currency::fromRaw(std::numeric_limits<qint64>::min()).abs().raw(),
                 std::numeric_limits<qint64>::max());
    }

    // Amounts derived from kopecks come out as exact decimal arithmetic rounds them.
    void currencyMulDiv() {
        const auto vatOf = [](double summa, double percent) {
            return Currency::MulDiv(Currency::fromDoubleKopecks(summa), Currency::fromDouble(percent),
                                    Currency::fromDouble(percent + 100));
        };
        QCOMPARE(vatOf(1234567.89, 20).raw(), qint64(2057613200)); // 205 761.315 -> .32
        QCOMPARE(vatOf(1180, 18).raw(), qint64(1800000));
        QCOMPARE(vatOf(0.21, 10).raw(), qint64(200)); // 0.0190909 -> 0.02
        QCOMPARE(vatOf(-1180, 18).raw(), qint64(-1800000));
        QCOMPARE(
            Currency::MulDiv(Currency::fromDouble(0.25), Currency::fromDouble(1), Currency::fromDouble(10))
                .raw(),
            qint64(300)); // 0.025, a tie, away from zero
        QVERIFY_THROWS_EXCEPTION(EConvertError, vatOf(100, -100));
    }

    // "mm" after an hour is minutes; a year outside 1..9999 is no date.
    void timesAndYears() {
        const QDateTime t(QDate(2026, 12, 7), QTime(9, 5));
        QCOMPARE(fmt::FormatDateTime("hh:mm", t), QString("09:05"));
        QCOMPARE(fmt::FormatDateTime("h:m", t), QString("9:5"));
        QCOMPARE(fmt::FormatDateTime("dd.mm.yyyy hh:mm", t), QString("07.12.2026 09:05"));
        QCOMPARE(fmt::FormatDateTime("hh:mm dd.mm", t), QString("09:05 07.12"));
        QDate out;
        QVERIFY(!fmt::TryStrToDate("01.01.0000", out));
        QVERIFY(!fmt::TryStrToDate("01.01.10000", out));
        QVERIFY(fmt::TryStrToDate("31.12.9999", out));
        QVERIFY(fmt::TryStrToDate("01.01.0001", out));
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"

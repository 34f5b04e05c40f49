// Number masks, dates and the parsing of typed numbers under the three separators.
#include "db/Currency.h"
#include "db/Errors.h"
#include "db/Formats.h"

#include <QtTest>

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
        QTest::newRow("binary 2.675 stays below half") << "." << "0.00" << 2.675 << "2.67";
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
        QTest::newRow("dash refuses point") << "-" << "12.5" << false << 0.0;
        QTest::newRow("point") << "." << "1 234.56" << true << 1234.56;
        QTest::newRow("comma") << "," << "0,5" << true << 0.5;
        QTest::newRow("comma refuses point") << "," << "0.5" << false << 0.0;
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
        QCOMPARE(fmt::StrToDate("07.12.2026"), d);
        QCOMPARE(fmt::StrToDate("7.1.26"), QDate(2026, 1, 7));
        QDate out;
        QVERIFY(!fmt::TryStrToDate("31.02.2026", out));
        QVERIFY(!fmt::TryStrToDate("  .  .    ", out));
        QVERIFY_THROWS_EXCEPTION(EConvertError, fmt::StrToDate("завтра"));
    }

    void currencyKeepsFourDecimals() {
        QCOMPARE(Currency::fromDouble(4.35).fraction(), 3500);
        QCOMPARE(Currency::fromDouble(1234.5678).raw(), qint64(12345678));
        QCOMPARE(Currency::fromDouble(-2.5).units(), qint64(-2));
        QCOMPARE(Currency::fromDouble(-0.1234).raw(), qint64(-1234));
        QCOMPARE(Currency::fromDouble(-0.1234).fraction(), 1234);
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"

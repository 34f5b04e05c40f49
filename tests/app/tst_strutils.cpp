#include "app/StrUtils.h"
#include "db/Database.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

class TestStrUtils : public QObject {
    Q_OBJECT
  private slots:
    void begPeriod_data();
    void begPeriod();
    void begPeriodReadsTheSetting_data();
    void begPeriodReadsTheSetting();
    void okrugl_data();
    void okrugl();
    void replaceAll_data();
    void replaceAll();
    void padding_data();
    void padding();
    void trimming_data();
    void trimming();
};

void TestStrUtils::begPeriod_data() {
    QTest::addColumn<QString>("period");
    QTest::addColumn<QDateTime>("day");
    QTest::addColumn<QDateTime>("expected");
    const QDateTime day(QDate(2001, 3, 15), QTime(10, 30));
    const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0));
    QTest::newRow("Год") << "Год" << day << QDateTime(QDate(2001, 1, 1), QTime(0, 0));
    QTest::newRow("Месяц") << "Месяц" << day << QDateTime(QDate(2001, 3, 1), QTime(0, 0));
    QTest::newRow("День keeps the time") << "День" << day << day;
    QTest::newRow("empty") << "" << day << zero;
    QTest::newRow("other letter case") << "год" << day << zero;
    QTest::newRow("Месяц on the last day of the year")
        << "Месяц" << QDateTime(QDate(2001, 12, 31), QTime(23, 59))
        << QDateTime(QDate(2001, 12, 1), QTime(0, 0));
}

void TestStrUtils::begPeriod() {
    QFETCH(QString, period);
    QFETCH(QDateTime, day);
    QFETCH(QDateTime, expected);
    QCOMPARE(BegPeriod(day, period), expected);
    QCOMPARE(BegPeriod(day.date(), period), expected.date());
}

void TestStrUtils::begPeriodReadsTheSetting_data() {
    QTest::addColumn<QString>("period");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("Год") << "Год" << QDate(2001, 1, 1);
    QTest::newRow("Месяц") << "Месяц" << QDate(2001, 3, 1);
    QTest::newRow("День") << "День" << QDate(2001, 3, 15);
    QTest::newRow("empty") << "" << QDate(1899, 12, 30);
}

void TestStrUtils::begPeriodReadsTheSetting() {
    QFETCH(QString, period);
    QFETCH(QDate, expected);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    db::Database::Open(folder.path());
    db::Database::Exec(QStringLiteral("update Config set Period = ?"),
                       {period.isEmpty() ? QVariant() : QVariant(period)});
    QCOMPARE(CurrentPeriodSetting(), period);
    QCOMPARE(BegPeriod(QDate(2001, 3, 15)), expected);
    QCOMPARE(BegPeriod(QDateTime(QDate(2001, 3, 15), QTime(9, 0))).date(), expected);
    db::Database::Close();
}

void TestStrUtils::okrugl_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("expected");
    // The decimal amount the value stands for, half a kopeck and more away from zero,
    // whatever its binary form; a value one unit in the last place either side of a
    // half is read as that half.
    const auto around = [](const char *name, double half, double expected) {
        QTest::addRow("%s", name) << half << expected;
        QTest::addRow("%s, one unit below", name) << std::nextafter(half, 0.0) << expected;
        QTest::addRow("%s, one unit above", name) << std::nextafter(half, half * 2) << expected;
    };
    around("1 091.25 x 22 %", 1091.25 * 22 / 100, 240.08);
    around("2.675", 2.675, 2.68);
    around("1.005", 1.005, 1.01);
    around("0.125", 0.125, 0.13);
    around("0.625", 0.625, 0.63);
    around("12.345", 12.345, 12.35);
    around("1.05 x 10 %", 1.05 * 10 / 100, 0.11);
    around("-2.675", -2.675, -2.68);
    around("0.015", 0.015, 0.02);
    around("999 999 999 999.995", 999999999999.995, 1e12);
    QTest::newRow("12.5 x 87.30") << double(12.5L * 87.30) << 1091.25;
    QTest::newRow("0.004999") << 0.004999 << 0.0;
    QTest::newRow("0.00499999999 stays below") << 0.00499999999 << 0.0;
    QTest::newRow("999 999 999 999.99 stays") << 999999999999.99 << 999999999999.99;
    QTest::newRow("2.5") << 2.5 << 2.5;
    QTest::newRow("-0.001 is plain zero") << -0.001 << 0.0;
}

void TestStrUtils::okrugl() {
    QFETCH(double, x);
    QFETCH(double, expected);
    const double actual = Okrugl(x);
    // Exact comparison: a result one bit off would show as a wrong kopeck in a sum.
    QVERIFY2(actual == expected, qPrintable(QString::number(actual, 'g', 17)));
    QCOMPARE(std::signbit(actual), std::signbit(expected));
}

void TestStrUtils::replaceAll_data() {
    QTest::addColumn<QString>("s");
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("expected");
    QTest::newRow("query text") << "select * from FAKTUR_ZAG where DATE_FAKT >= :d1 and DATE_FAKT <= :d2"
                                << "DATE_FAKT"
                                << "DATE_SCHET"
                                << "select * from FAKTUR_ZAG where DATE_SCHET >= :d1 and DATE_SCHET <= :d2";
    QTest::newRow("case-sensitive") << "DATE_FAKT, Date_Fakt"
                                    << "DATE_FAKT"
                                    << "DATE_SCHET"
                                    << "DATE_SCHET, Date_Fakt";
    QTest::newRow("a by aa ends") << "banana"
                                  << "a"
                                  << "aa"
                                  << "baanaanaa";
    QTest::newRow("left to right") << "aaa"
                                   << "aa"
                                   << "b"
                                   << "ba";
    QTest::newRow("empty old") << "abc"
                               << ""
                               << "x"
                               << "abc";
}

void TestStrUtils::replaceAll() {
    QFETCH(QString, s);
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QString, expected);
    QCOMPARE(ReplaceAll(s, oldText, newText), expected);
}

// PadLeftWith, RepeatChar and RemoveChar: the result of the routine named in the row.
void TestStrUtils::padding_data() {
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    QTest::newRow("pad 5 to 2") << PadLeftWith(u'0', QStringLiteral("5"), 2) << "05";
    QTest::newRow("pad 123 to 2 keeps it") << PadLeftWith(u'0', QStringLiteral("123"), 2) << "123";
    QTest::newRow("pad empty") << PadLeftWith(u' ', QString(), 3) << "   ";
    QTest::newRow("repeat 3") << RepeatChar(u'*', 3) << "***";
    QTest::newRow("repeat 0") << RepeatChar(u'*', 0) << "";
    QTest::newRow("repeat -1") << RepeatChar(u'*', -1) << "";
    QTest::newRow("remove blanks") << RemoveChar(QStringLiteral(" 1 234 567 "), u' ') << "1234567";
}

void TestStrUtils::padding() {
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestStrUtils::trimming_data() {
    QTest::addColumn<QString>("s");
    QTest::addColumn<QString>("leading");
    QTest::addColumn<QString>("trailing");
    QTest::addColumn<QString>("both");
    QTest::newRow("blanks around") << "  a b  "
                                   << "a b  "
                                   << "  a b"
                                   << "a b";
    QTest::newRow("blanks only") << "    "
                                 << ""
                                 << ""
                                 << "";
    QTest::newRow("tabs stay") << " \ta\t "
                               << "\ta\t "
                               << " \ta\t"
                               << "\ta\t";
}

void TestStrUtils::trimming() {
    QFETCH(QString, s);
    QFETCH(QString, leading);
    QFETCH(QString, trailing);
    QFETCH(QString, both);
    QCOMPARE(TrimLeadingSpaces(s), leading);
    QCOMPARE(TrimTrailingSpaces(s), trailing);
    QCOMPARE(TrimBothSpaces(s), both);
}

QTEST_GUILESS_MAIN(TestStrUtils)
#include "tst_strutils.moc"

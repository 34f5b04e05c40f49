#include "app/Words.h"

#include <QtTest>

#include <limits>

class TestWords : public QObject {
    Q_OBJECT
  private slots:
    void sumToWords_data();
    void sumToWords();
    void triadToWords_data();
    void triadToWords();
    void sumToRubKop_data();
    void sumToRubKop();
    void refusesWhatItCannotSay();
    void amountForPrint_data();
    void amountForPrint();
    void contractSumForPrint_data();
    void contractSumForPrint();
};

void TestWords::sumToWords_data() {
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1234.56") << 1234.56 << "Одна тысяча двести тридцать четыре рубля 56 копеек";
    QTest::newRow("0") << 0.0 << "Ноль рублей 00 копеек";
    QTest::newRow("0.5") << 0.5 << "Ноль рублей 50 копеек";
    QTest::newRow("21") << 21.0 << "Двадцать один рубль 00 копеек";
    QTest::newRow("2001.02") << 2001.02 << "Две тысячи один рубль 02 копейки";
    QTest::newRow("111.11") << 111.11 << "Сто одиннадцать рублей 11 копеек";
    QTest::newRow("1 000 000") << 1e6 << "Один миллион рублей 00 копеек";
    QTest::newRow("12.3456 rounded") << 12.3456 << "Двенадцать рублей 35 копеек";
    QTest::newRow("240.075") << 1091.25 * 22 / 100 << "Двести сорок рублей 08 копеек";
    QTest::newRow("0.995 makes a rouble") << 0.995 << "Один рубль 00 копеек";
    QTest::newRow("largest") << 999999999999.99
                             << "Девятьсот девяносто девять миллиардов девятьсот девяносто девять "
                                "миллионов девятьсот девяносто девять тысяч девятьсот девяносто "
                                "девять рублей 99 копеек";
    // 4.35 is stored as 4.3499999...; the four-decimal value still has 35 kopecks.
    QTest::newRow("4.35") << 4.35 << "Четыре рубля 35 копеек";
    QTest::newRow("genders per group")
        << 2002002002.22 << "Два миллиарда два миллиона две тысячи два рубля 22 копейки";
    QTest::newRow("teens in thousands")
        << 1011011.01 << "Один миллион одиннадцать тысяч одиннадцать рублей 01 копейка";
    QTest::newRow("negative") << -5.5 << "Минус пять рублей 50 копеек";
    QTest::newRow("negative below one") << -0.07 << "Минус ноль рублей 07 копеек";
}

void TestWords::sumToWords() {
    QFETCH(double, amount);
    QFETCH(QString, expected);
    QCOMPARE(SumToWords(amount), expected);
}

void TestWords::triadToWords_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("masculine");
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("expected");
    QTest::newRow("2 kopecks") << 2 << true << 5 << 0.02 << "02 копейки ";
    QTest::newRow("21 kopecks") << 21 << true << 5 << 0.21 << "21 копейка ";
    QTest::newRow("56 kopecks") << 56 << true << 5 << 0.56 << "56 копеек ";
    QTest::newRow("no kopecks") << 0 << true << 5 << 3.0 << "00 копеек ";
    QTest::newRow("no thousands") << 0 << false << 3 << 3.0 << "";
    QTest::newRow("no roubles of a larger sum") << 0 << true << 4 << 1000.0 << "рублей ";
    QTest::newRow("no roubles below one") << 0 << true << 4 << 0.99 << "Ноль рублей ";
    QTest::newRow("feminine thousand") << 1 << false << 3 << 1000.0 << "одна тысяча ";
    QTest::newRow("twelve roubles") << 12 << true << 4 << 12.0 << "двенадцать рублей ";
    QTest::newRow("hundred ten millions") << 110 << true << 2 << 110e6 << "сто десять миллионов ";
}

void TestWords::triadToWords() {
    QFETCH(int, n);
    QFETCH(bool, masculine);
    QFETCH(int, kind);
    QFETCH(double, amount);
    QFETCH(QString, expected);
    QCOMPARE(TriadToWords(n, masculine, kind, Currency::fromDouble(amount)), expected);
}

void TestWords::sumToRubKop_data() {
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("expected");
    QTest::newRow("125.5") << 125.5 << "125 руб. 50 коп. ";
    QTest::newRow("kopecks rounded") << 12.3456 << "12 руб. 35 коп. ";
    QTest::newRow("2.675") << 2.675 << "2 руб. 68 коп. ";
    QTest::newRow("no grouping") << 1234567.0 << "1234567 руб. 00 коп. ";
    QTest::newRow("negative below one") << -0.5 << "-0 руб. 50 коп. ";
}

void TestWords::sumToRubKop() {
    QFETCH(double, amount);
    QFETCH(QString, expected);
    QCOMPARE(SumToRubKop(amount), expected);
}

// More than twelve rouble digits is refused, never spoken short or wrapped; the
// extremes of the money type neither crash nor recurse.
void TestWords::refusesWhatItCannotSay() {
    for (const double amount : {1e12, -1e12, 9.3e14, 1e300, qInf(), qQNaN()}) {
        QVERIFY_THROWS_EXCEPTION(EConvertError, SumToWords(amount));
        QVERIFY_THROWS_EXCEPTION(EConvertError, AmountForPrint(amount));
    }
    for (const qint64 raw : {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()})
        QVERIFY_THROWS_EXCEPTION(EConvertError, SumToWords(Currency::fromRaw(raw)));
}

// The printed figure and words come from one value rounded once to kopecks, half a
// kopeck away from zero, so they always agree.
void TestWords::amountForPrint_data() {
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("figure");
    QTest::addColumn<QString>("words");
    QTest::newRow("0.125") << 0.125 << "0-13"
                           << "Ноль рублей 13 копеек";
    QTest::newRow("0.135") << 0.135 << "0-14"
                           << "Ноль рублей 14 копеек";
    QTest::newRow("99.9999") << 99.9999 << "100-00"
                             << "Сто рублей 00 копеек";
    QTest::newRow("828 298 390 926.19")
        << 828298390926.19 << "828298390926-19"
        << "Восемьсот двадцать восемь миллиардов двести девяносто восемь миллионов триста девяносто "
           "тысяч девятьсот двадцать шесть рублей 19 копеек";
    QTest::newRow("negative") << -12.5 << "-12-50"
                              << "Минус двенадцать рублей 50 копеек";
}

void TestWords::amountForPrint() {
    QFETCH(double, stored);
    QFETCH(QString, figure);
    QFETCH(QString, words);
    const PrintedAmount printed = AmountForPrint(stored);
    QCOMPARE(printed.figure, figure);
    QCOMPARE(printed.words, words);
}

// The contract sum of a contract document: both kopeck digits when it has kopecks, the
// roubles alone when it has none; the words of the same kopeck amount.
void TestWords::contractSumForPrint_data() {
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("figure");
    QTest::newRow("1500.5") << 1500.5 << "1500-50";
    QTest::newRow("1000.05") << 1000.05 << "1000-05";
    QTest::newRow("1500") << 1500.0 << "1500";
}

void TestWords::contractSumForPrint() {
    QFETCH(double, stored);
    QFETCH(QString, figure);
    QCOMPARE(ContractSumForPrint(stored).figure, figure);
    QCOMPARE(ContractSumForPrint(stored).words, AmountForPrint(stored).words);
}

QTEST_GUILESS_MAIN(TestWords)
#include "tst_words.moc"

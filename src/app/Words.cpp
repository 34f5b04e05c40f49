#include "app/Words.h"

#include "app/StrUtils.h"
#include "db/Formats.h"

#include <QStringView>

namespace {

enum Kind { Milliards = 1, Millions = 2, Thousands = 3, Roubles = 4, Kopecks = 5 };

// Every word carries its trailing blank, so the groups simply concatenate.
// clang-format off
constexpr QStringView HundredWords[10] = {
    u"", u"сто ", u"двести ", u"триста ", u"четыреста ",
    u"пятьсот ", u"шестьсот ", u"семьсот ", u"восемьсот ", u"девятьсот "};
constexpr QStringView TenWords[10] = {
    u"", u"", u"двадцать ", u"тридцать ", u"сорок ",
    u"пятьдесят ", u"шестьдесят ", u"семьдесят ", u"восемьдесят ", u"девяносто "};
constexpr QStringView UnitWordsMasculine[10] = {
    u"", u"один ", u"два ", u"три ", u"четыре ",
    u"пять ", u"шесть ", u"семь ", u"восемь ", u"девять "};
constexpr QStringView UnitWordsFeminine[10] = {
    u"", u"одна ", u"две ", u"три ", u"четыре ",
    u"пять ", u"шесть ", u"семь ", u"восемь ", u"девять "};
constexpr QStringView TeenWords[10] = {
    u"десять ", u"одиннадцать ", u"двенадцать ", u"тринадцать ", u"четырнадцать ",
    u"пятнадцать ", u"шестнадцать ", u"семнадцать ", u"восемнадцать ", u"девятнадцать "};

// Nouns by kind and number form (1: "один рубль", 2: "два рубля", 3: "пять рублей").
// The kopeck nouns follow digits, hence their leading blank.
constexpr QStringView Nouns[5][3] = {
    {u"миллиард ", u"миллиарда ", u"миллиардов "},
    {u"миллион ",  u"миллиона ",  u"миллионов "},
    {u"тысяча ",   u"тысячи ",    u"тысяч "},
    {u"рубль ",    u"рубля ",     u"рублей "},
    {u" копейка ", u" копейки ",  u" копеек "},
};
// clang-format on

int NumberForm(int n) {
    const int lastTwo = n % 100;
    if (lastTwo >= 10 && lastTwo <= 19) return 3;
    const int last = n % 10;
    if (last == 1) return 1;
    if (last >= 2 && last <= 4) return 2;
    return 3;
}

QString GroupWords(int n, bool masculine) {
    QString words = HundredWords[n / 100].toString();
    const int lastTwo = n % 100;
    if (lastTwo >= 10 && lastTwo <= 19) {
        words += TeenWords[lastTwo - 10];
    } else {
        words += TenWords[lastTwo / 10];
        words += (masculine ? UnitWordsMasculine : UnitWordsFeminine)[lastTwo % 10];
    }
    return words;
}

} // namespace

QString TriadToWords(int n, bool masculine, int kind, Currency amount) {
    if (n < 0 || n > 999 || kind < Milliards || kind > Kopecks)
        throw EConvertError(QStringLiteral("Группа %1 вида %2 не выражается словами").arg(n).arg(kind));
    // An empty group of milliards, millions or thousands is not spoken at all; the
    // roubles and kopecks always are.
    if (n == 0 && kind != Roubles && kind != Kopecks) return QString();
    const QString noun = Nouns[kind - 1][NumberForm(n) - 1].toString();
    if (kind == Kopecks) return PadLeftWith(QLatin1Char('0'), QString::number(n), 2) + noun;
    if (kind == Roubles && n == 0 && amount < Currency::fromRaw(Currency::Scale))
        return QStringLiteral("Ноль ") + noun;
    return GroupWords(n, masculine) + noun;
}

QString SumToWords(Currency exact) {
    const Currency amount = exact.roundedToKopecks();
    if (!amount.isPrintable()) throw EConvertError(fmt::MoneyRangeMessage(exact.toDouble()));
    if (amount.isNegative()) {
        QString words = SumToWords(amount.abs());
        words[0] = words[0].toLower();
        return QStringLiteral("Минус ") + words;
    }
    // Twelve rouble digits at most (checked above), and whole kopecks.
    const qint64 roubles = amount.units();
    const int kopecks = amount.fraction() / 100;
    QString s = TriadToWords(int(roubles / 1'000'000'000), true, Milliards, amount);
    s += TriadToWords(int(roubles / 1'000'000 % 1000), true, Millions, amount);
    s += TriadToWords(int(roubles / 1000 % 1000), false, Thousands, amount);
    s += TriadToWords(int(roubles % 1000), true, Roubles, amount);
    s += TriadToWords(kopecks, true, Kopecks, amount);
    s = s.trimmed();
    s[0] = s[0].toUpper();
    return s;
}

namespace {

// The roubles, `between`, then the kopecks in two digits, rounded to whole kopecks. The
// sign is written once in front, so -0.50 does not print as "0 руб. 50 коп.".
QString roublesAndKopecks(Currency exact, const QString &between) {
    const Currency amount = exact.roundedToKopecks();
    const Currency value = amount.abs();
    return (amount.isNegative() ? QStringLiteral("-") : QString()) + QString::number(value.units()) +
           between + PadLeftWith(QLatin1Char('0'), QString::number(value.fraction() / 100), 2);
}

} // namespace

QString SumToRubKop(Currency amount) {
    return roublesAndKopecks(amount, QStringLiteral(" руб. ")) + QStringLiteral(" коп. ");
}

PrintedAmount AmountForPrint(double stored) {
    const Currency value = Currency::fromDoubleKopecks(stored);
    return {roublesAndKopecks(value, QString(fmt::DecimalSeparator())), SumToWords(value)};
}

PrintedAmount ContractSumForPrint(double stored) {
    const Currency value = Currency::fromDoubleKopecks(stored);
    const QString figure = value.fraction() == 0 ? QString::number(value.units())
                                                 : roublesAndKopecks(value, QString(fmt::DecimalSeparator()));
    return {figure, SumToWords(value)};
}

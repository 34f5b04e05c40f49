#pragma once
// Amounts in Russian words and in roubles and kopecks, for the printed payment
// orders, bills, invoices, contract documents and cash orders.
#include "db/Currency.h"

#include <QString>

// The amount as printed under "Сумма прописью": roubles in words with "рубль" in the
// right form, kopecks as two digits ("Одна тысяча двести тридцать четыре рубля 56
// копеек"). The amount is rounded to kopecks as all money is (12.3456 gives "35
// копеек", 0.995 gives "Один рубль 00 копеек"); only the lowest twelve rouble digits
// are spoken. A negative amount gives "Минус " and the words of its absolute value.
QString SumToWords(Currency amount);
inline QString SumToWords(double amount) {
    return SumToWords(Currency::fromDoubleKopecks(amount));
}

// A stored amount as a printed form shows it: rounded once to kopecks (as Okrugl
// rounds), the figure with two decimals under the process separator and no grouping
// ("1234-50"), and the words of that same value, so the two always agree. Throws
// EConvertError for an amount the forms cannot print (more than twelve rouble digits,
// infinity, not-a-number).
struct PrintedAmount {
    QString figure;
    QString words;
};
PrintedAmount AmountForPrint(double stored);
// A contract's sum as its documents write it: the figure as AmountForPrint gives it
// ("1500-50", "1000-05"), without the kopecks when it has none ("1500"), and the words
// of the same value. Throws as AmountForPrint.
PrintedAmount ContractSumForPrint(double stored);

// One three-digit group n (0..999) with the noun of its kind (1 milliards, 2 millions,
// 3 thousands, 4 roubles, 5 kopecks), each word followed by a blank:
// units masculine ("один", "два") or feminine ("одна", "две"). Kopecks come as two
// digits ("02 копейки "); an empty group gives "" except for roubles ("рублей ", or
// "Ноль рублей " when the whole amount is below one rouble) and kopecks ("00 копеек ").
QString TriadToWords(int n, bool masculine, int kind, Currency amount);

// The amount in digits as the cash orders print it: "125 руб. 50 коп. " (trailing
// blank included), rounded to kopecks as all money is (587.889 gives "587 руб. 89 коп. ").
QString SumToRubKop(Currency amount);
inline QString SumToRubKop(double amount) {
    return SumToRubKop(Currency::fromDoubleKopecks(amount));
}

#pragma once
// What the balance, the turnover-balance sheet, the turnover by account and the
// accounting balance sheet share: the turnover of each account of the own organisation
// over a period, read by one grouped query per side over the journal, and the day from
// which every saldo counts, so that one account shows one saldo in every report.
#include "db/Currency.h"
#include "db/Query.h"

#include <QDate>

#include <vector>

// Every saldo counts the entries from this day to the report date.
inline QDate SaldoStart() {
    return QDate(1998, 1, 1);
}

// The turnovers of one side, "debet" or "Kredit": one row per account code, with the
// code and the sum of its entries, each counted as the kopecks it prints as (so the
// journal's print and every report over it agree), for the parameters datVx, datIs
// (dates) and org.
void SetTurnoverSQL(TQuery *query, const QString &side);

// Re-opens the query for the entries of organisation `org` dated from `from` to `to`,
// both whole days included.
void OpenTurnovers(TQuery *query, const QDate &from, const QDate &to, double org);

// The rows of an open turnover query. A sum is taken to the ten-thousandth of a rouble,
// so saldos made of kopeck amounts come out exact: turnovers that cancel give 0.
struct AccountSum {
    QString code; // empty for entries without an account on that side
    Currency sum;
};
std::vector<AccountSum> ReadTurnovers(TQuery *query);

// The saldo of every account code of organisation `org` on `to`: its credit turnover
// less its debit turnover from SaldoStart(), read through the turnover queries of the
// two sides, exactly. One row per code as the journal stores it, in the order the codes
// first come (the debit side's first); the code is empty for entries without an account.
struct AccountSaldo {
    QString code;
    Currency saldo;
};
std::vector<AccountSaldo> ReadSaldos(TQuery *debet, TQuery *kredit, const QDate &to, double org);

// a + b and a - b exactly.
inline Currency operator+(Currency a, Currency b) {
    return Currency::fromRaw(a.raw() + b.raw());
}
inline Currency operator-(Currency a, Currency b) {
    return Currency::fromRaw(a.raw() - b.raw());
}

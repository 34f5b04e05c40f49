#include "ledger/Turnovers.h"

#include <QHash>

void SetTurnoverSQL(TQuery *query, const QString &side) {
    query->SetSQL({QStringLiteral("Select max(%1) %1, sum(okrugl(Summa)) summa from Provodka").arg(side),
                   QStringLiteral("Where DateProv <= :datIs and DateProv >= :datVx"),
                   QStringLiteral("and Organis = :org"), QStringLiteral("Group by %1").arg(side)});
    query->ParamByName(QStringLiteral("datIs"))->SetDataType(TFieldType::ftDate);
    query->ParamByName(QStringLiteral("datVx"))->SetDataType(TFieldType::ftDate);
    query->ParamByName(QStringLiteral("org"))->SetDataType(TFieldType::ftFloat);
    // Declared, so a first row without an account does not make the codes numbers.
    query->AddField(side, TFieldType::ftString, 20);
    query->AddField(QStringLiteral("summa"), TFieldType::ftFloat);
}

void OpenTurnovers(TQuery *query, const QDate &from, const QDate &to, double org) {
    query->Close();
    query->ParamByName(QStringLiteral("datVx"))->SetAsDate(from);
    query->ParamByName(QStringLiteral("datIs"))->SetAsDate(to);
    query->ParamByName(QStringLiteral("org"))->SetAsFloat(org);
    query->Open();
}

std::vector<AccountSum> ReadTurnovers(TQuery *query) {
    std::vector<AccountSum> rows;
    TField *code = query->Fields(0);
    TField *sum = query->Fields(1);
    for (query->First(); !query->Eof(); query->Next())
        rows.push_back({code->AsString(), Currency::fromDouble(sum->AsFloat())});
    return rows;
}

std::vector<AccountSaldo> ReadSaldos(TQuery *debet, TQuery *kredit, const QDate &to, double org) {
    std::vector<AccountSaldo> saldos;
    QHash<QString, size_t> byCode;
    const auto add = [&](TQuery *side, bool credit) {
        OpenTurnovers(side, SaldoStart(), to, org);
        for (const AccountSum &s : ReadTurnovers(side)) {
            auto it = byCode.constFind(s.code);
            if (it == byCode.constEnd()) {
                it = byCode.insert(s.code, saldos.size());
                saldos.push_back({s.code, Currency()});
            }
            Currency &saldo = saldos[*it].saldo;
            saldo = credit ? saldo + s.sum : saldo - s.sum;
        }
    };
    add(debet, false);
    add(kredit, true);
    return saldos;
}

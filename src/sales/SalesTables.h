#pragma once
// What the sales-document forms share about their tables: the update statements of a query over one table,
// and the two party blocks of a document header with what fills them from the reference books.
#include "controls/TableUtils.h"

#include <QString>

class TDataSet;
class TUpdateSQL;

// Modify: every field but the key set in the row whose key equals the old key; insert:
// every field but the key, in physical order; delete: the row with the old key.
void SetUpdateStatements(TUpdateSQL *update, const QString &table);

// The two party blocks of a header: the counterparty (*_POK, the buyer of an issued
// document, the supplier of a received one) and the own organisation (*_POST).
enum class TPartyBlock { Counterparty, Own };

// The header's field of a block: "NAME", "ID", "ADRESS", "TEL", "SCHET", "KSCHET",
// "MFO" (the BIK), "BANK", "CYTI", "INN", "OKPO", "OKONX".
QString PartyField(TPartyBlock block, const QString &part);

// The organisation at the current row of the partners list into a block of the header
// (in edit): name, id, address, telephone, city, OKPO, OKONX, and the INN unless
// `keepInn`; then its last bank account (empty fields when it has none).
void TakeParty(TDataSet *header, TPartyBlock block, bool keepInn = false);
// The account at the current row of the bank-accounts list into a block.
void TakeAccount(TDataSet *header, TPartyBlock block);

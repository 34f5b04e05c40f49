#pragma once
// Remembering the counterparty of a saved document in the reference books: a payment
// order's recipient or a sales document's buyer or supplier that Klient.DB does not
// hold yet becomes a partner (group "F") with its bank account; a known one gets the
// document's account when it has not got it yet. The caller runs it inside the
// transaction of its save, so the partner, its account and the document are written
// together or not at all.
#include <QString>

// The counterparty block of a document as it was saved.
struct TCounterparty {
    QString Name; // full name; may hold line breaks
    QString Inn;
    QString Adress, Telephon, Cyti, Okpo, Okonx;
    QString Schet, NameBank, KorSchet, Bik;
};

// What differs between the two kinds of document.
struct TCounterpartyRules {
    // A known partner without an address takes the document's address, telephone,
    // city, OKPO and OKONX (its name and INN stay).
    bool CompleteKnownPartner = false;
    // A new account's bank name and correspondent account come from the bank directory
    // by its BIK; for a BIK the directory lacks the document's are kept (the caller
    // warns of it first, with WarnOfUnknownBik).
    bool BankFromDirectory = false;
};

// Warns "Проверте БИК Вашего банка!" when remembering the counterparty will add an
// account whose BIK the bank directory lacks. Called before the save's transaction
// opens, so that nothing stays locked while the box waits for the user. Throws what
// the table engine throws.
void WarnOfUnknownBik(const TCounterparty &party);

// Finds the counterparty by INN among own organisations and partners alike; one
// without INN is the organisation without INN of the same cleaned name (line breaks
// made blanks), so one partner's account is never attached to another. Not found, it
// is added as a partner with the cleaned name. Returns its Klient_id. Throws what the
// table engine throws.
double RememberCounterparty(const TCounterparty &party, const TCounterpartyRules &rules = {});

// A name or bank as the reference books keep it: one line, each carriage return turned
// into a blank and each line feed dropped.
QString CleanedName(const QString &text);

#include "refbooks/Counterparty.h"

#include "app/StrUtils.h"
#include "controls/Dialogs.h"
#include "db/Table.h"
#include "refbooks/UAllBank.h"

#include <QVariantList>

QString CleanedName(const QString &text) {
    return ReplaceAll(ReplaceAll(text, QStringLiteral("\r"), QStringLiteral(" ")), QStringLiteral("\n"),
                      QString());
}

namespace {

// A document's value is written over the partner's only when it says something: an
// empty box of the document never wipes what the reference book knows.
void setIfGiven(TTable &table, const char *field, const QString &value) {
    if (!value.isEmpty()) table.FieldByName(QString::fromLatin1(field))->SetAsString(value);
}

void appendAccount(TTable &accounts, const TCounterparty &party, double owner,
                   const TCounterpartyRules &rules) {
    accounts.Append();
    accounts.FieldByName(QStringLiteral("Schet"))->SetAsString(party.Schet);
    accounts.FieldByName(QStringLiteral("NameBank"))->SetAsString(CleanedName(party.NameBank));
    accounts.FieldByName(QStringLiteral("KorSchet"))->SetAsString(party.KorSchet);
    accounts.FieldByName(QStringLiteral("Bik"))->SetAsString(party.Bik);
    if (rules.BankFromDirectory && AllBank->LocateBik(party.Bik)) {
        accounts.FieldByName(QStringLiteral("NameBank"))->SetAsString(AllBank->BankText());
        accounts.FieldByName(QStringLiteral("KorSchet"))->SetAsString(AllBank->Table1KSNP->AsString());
    }
    accounts.FieldByName(QStringLiteral("Klient_id"))->SetAsFloat(owner);
    accounts.Post();
}

// Opens the partners on the counterparty's row; false when there is none. Opened
// within a range, so that only the rows looked at are read.
bool openOnPartner(TTable &partners, const TCounterparty &party) {
    partners.SetIndexName(QStringLiteral("InnKli"));
    if (!party.Inn.isEmpty()) partners.SetRange({party.Inn}, {party.Inn});
    partners.Open();
    if (!party.Inn.isEmpty()) return !partners.IsEmpty();
    // The name as it is stored, cut at the field's size, compared whole.
    const QString stored =
        CleanedName(party.Name).left(partners.FieldByName(QStringLiteral("FullName"))->Size());
    return partners.Locate(QStringLiteral("Inn;FullName"), QVariantList{QString(), stored});
}

// Opens the accounts of `owner`; whether the document's account and BIK is among them.
bool openOnAccount(TTable &accounts, double owner, const TCounterparty &party) {
    accounts.SetRange({owner}, {owner + 0.5});
    accounts.Open();
    return accounts.Locate(QStringLiteral("Schet;Bik"), QVariantList{party.Schet, party.Bik});
}

} // namespace

void WarnOfUnknownBik(const TCounterparty &party) {
    TTable partners(nullptr, QStringLiteral("Klient.DB"));
    bool addsAccount = !openOnPartner(partners, party);
    if (!addsAccount) {
        TTable accounts(nullptr, QStringLiteral("Bank.db"));
        accounts.SetIndexName(QStringLiteral("Klient"));
        addsAccount =
            !openOnAccount(accounts, partners.FieldByName(QStringLiteral("Klient_id"))->AsFloat(), party);
    }
    if (addsAccount && !AllBank->LocateBik(party.Bik))
        MessageDlg(QStringLiteral("Проверте БИК Вашего банка!"), mtError, mbOK);
}

double RememberCounterparty(const TCounterparty &party, const TCounterpartyRules &rules) {
    // Klient.DB and Bank.db apart from the pickers' cursors, so that their ranges and
    // positions stay as the user left them.
    TTable partners(nullptr, QStringLiteral("Klient.DB"));
    TTable accounts(nullptr, QStringLiteral("Bank.db"));
    accounts.SetIndexName(QStringLiteral("Klient"));
    const QString name = CleanedName(party.Name);

    if (!openOnPartner(partners, party)) {
        partners.Append();
        partners.FieldByName(QStringLiteral("Name"))->SetAsString(name);
        partners.FieldByName(QStringLiteral("FullName"))->SetAsString(name);
        partners.FieldByName(QStringLiteral("Inn"))->SetAsString(party.Inn);
        setIfGiven(partners, "Okonx", party.Okonx);
        setIfGiven(partners, "Okpo", party.Okpo);
        setIfGiven(partners, "Cyti", party.Cyti);
        setIfGiven(partners, "Adress", party.Adress);
        setIfGiven(partners, "Telephon", party.Telephon);
        // A partner, so that the partners list and picker show it.
        partners.FieldByName(QStringLiteral("FlSvoy"))->SetAsString(QStringLiteral("F"));
        partners.Post();
        const double owner = partners.FieldByName(QStringLiteral("Klient_id"))->AsFloat();
        accounts.Open();
        appendAccount(accounts, party, owner, rules);
        return owner;
    }
    const double owner = partners.FieldByName(QStringLiteral("Klient_id"))->AsFloat();
    if (rules.CompleteKnownPartner && partners.FieldByName(QStringLiteral("Adress"))->AsString().isEmpty()) {
        partners.Edit();
        setIfGiven(partners, "Okonx", party.Okonx);
        setIfGiven(partners, "Okpo", party.Okpo);
        setIfGiven(partners, "Cyti", party.Cyti);
        setIfGiven(partners, "Adress", party.Adress);
        setIfGiven(partners, "Telephon", party.Telephon);
        partners.CheckBrowseMode();
    }
    if (!openOnAccount(accounts, owner, party)) appendAccount(accounts, party, owner, rules);
    return owner;
}

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
    if (rules.BankFromDirectory) {
        if (AllBank->LocateBik(party.Bik)) {
            accounts.FieldByName(QStringLiteral("NameBank"))->SetAsString(AllBank->BankText());
            accounts.FieldByName(QStringLiteral("KorSchet"))->SetAsString(AllBank->Table1KSNP->AsString());
        } else {
            MessageDlg(QStringLiteral("Проверте БИК Вашего банка!"), mtError, mbOK);
        }
    }
    accounts.FieldByName(QStringLiteral("Klient_id"))->SetAsFloat(owner);
    accounts.Post();
}

} // namespace

double RememberCounterparty(const TCounterparty &party, const TCounterpartyRules &rules) {
    // Klient.DB and Bank.db apart from the pickers' cursors, so that their ranges and
    // positions stay as the user left them.
    TTable partners(nullptr, QStringLiteral("Klient.DB"));
    partners.SetIndexName(QStringLiteral("InnKli"));
    TTable accounts(nullptr, QStringLiteral("Bank.db"));
    accounts.SetIndexName(QStringLiteral("Klient"));
    const QString name = CleanedName(party.Name);

    // Opened within their ranges, so that only the rows looked at are read.
    if (!party.Inn.isEmpty()) partners.SetRange({party.Inn}, {party.Inn});
    partners.Open();
    bool found;
    if (!party.Inn.isEmpty()) {
        found = !partners.IsEmpty();
    } else {
        // The name as it is stored, cut at the field's size, compared whole.
        const QString stored = name.left(partners.FieldByName(QStringLiteral("FullName"))->Size());
        found = partners.Locate(QStringLiteral("Inn;FullName"), QVariantList{QString(), stored});
    }
    if (!found) {
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
    accounts.SetRange({owner}, {owner + 0.5});
    accounts.Open();
    if (!accounts.Locate(QStringLiteral("Schet;Bik"), QVariantList{party.Schet, party.Bik}))
        appendAccount(accounts, party, owner, rules);
    return owner;
}

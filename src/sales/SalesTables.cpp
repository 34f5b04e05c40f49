#include "sales/SalesTables.h"

#include "db/FieldTypes.h"
#include "db/Query.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"

namespace {

const db::TableDef &tableDef(const QString &table) {
    const db::TableDef *def = db::FindTable(table);
    if (!def) throw EDatabaseError(QStringLiteral("Таблица «%1» не описана").arg(table));
    return *def;
}

bool isKey(const db::FieldDef &f) {
    return QLatin1String(f.type) == QLatin1String("+");
}

QStringList writtenFields(const db::TableDef &def) {
    QStringList names;
    for (const db::FieldDef &f : def.fields)
        if (!isKey(f)) names << QString::fromLatin1(f.name);
    return names;
}

} // namespace

void SetUpdateStatements(TUpdateSQL *update, const QString &table) {
    const db::TableDef &def = tableDef(table);
    const QString name = QString::fromLatin1(def.sqlName);
    const QString key = QString::fromLatin1(def.primaryKey);
    const QStringList fields = writtenFields(def);
    QStringList sets;
    for (const QString &f : fields)
        sets << QStringLiteral("  %1 = :%1").arg(f);
    update->ModifySQL = {QStringLiteral("update ") + name, QStringLiteral("set"),
                         sets.join(QStringLiteral(",\n")), QStringLiteral("where"),
                         QStringLiteral("  %1 = :OLD_%1").arg(key)};
    update->InsertSQL = {QStringLiteral("insert into ") + name,
                         QStringLiteral("  (") + fields.join(QStringLiteral(", ")) + QLatin1Char(')'),
                         QStringLiteral("values"),
                         QStringLiteral("  (:") + fields.join(QStringLiteral(", :")) + QLatin1Char(')')};
    update->DeleteSQL = {QStringLiteral("delete from ") + name, QStringLiteral("where"),
                         QStringLiteral("  %1 = :OLD_%1").arg(key)};
}

QString PartyField(TPartyBlock block, const QString &part) {
    const bool own = block == TPartyBlock::Own;
    if (part == QLatin1String("NAME"))
        return own ? QStringLiteral("NAME_POST") : QStringLiteral("NAME_POKUPAT");
    if (part == QLatin1String("ID")) return own ? QStringLiteral("ID_POST") : QStringLiteral("ID_POKUPAT");
    return part + (own ? QStringLiteral("_POST") : QStringLiteral("_POK"));
}

void TakeParty(TDataSet *header, TPartyBlock block, bool keepInn) {
    TTable *Klient = SlPoluch->Klient;
    const auto set = [&](const char *part, const char *from) {
        header->FieldByName(PartyField(block, QString::fromLatin1(part)))
            ->SetAsString(Klient->FieldByName(QString::fromLatin1(from))->AsString());
    };
    header->Edit();
    set("NAME", "FullName");
    const double id = SlPoluch->KlientKlient_id->AsFloat();
    header->FieldByName(PartyField(block, QStringLiteral("ID")))->SetAsFloat(id);
    set("ADRESS", "Adress");
    set("TEL", "Telephon");
    set("CYTI", "Cyti");
    if (!keepInn) set("INN", "Inn");
    set("OKPO", "Okpo");
    set("OKONX", "Okonx");
    SelectClientBanks(id);
    SlBankP->RekvPol->Last();
    TakeAccount(header, block);
}

void TakeAccount(TDataSet *header, TPartyBlock block) {
    TTable *RekvPol = SlBankP->RekvPol;
    const auto set = [&](const char *part, const char *from) {
        header->FieldByName(PartyField(block, QString::fromLatin1(part)))
            ->SetAsString(RekvPol->FieldByName(QString::fromLatin1(from))->AsString());
    };
    header->Edit();
    set("SCHET", "Schet");
    set("KSCHET", "KorSchet");
    set("MFO", "Bik");
    set("BANK", "NameBank");
}

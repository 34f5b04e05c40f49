#include "maintenance/Import20.h"

#include "app/LogoMain.h"
#include "controls/Dialogs.h"
#include "controls/OpenDialog.h"
#include "db/Database.h"
#include "maintenance/DbfReader.h"
#include "maintenance/LegacyImport.h"
#include "maintenance/UCopyProgress.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <array>
#include <set>

namespace {

// The fields read from MISSION.DBF, in this order.
const QStringList MissionFields = {
    QStringLiteral("Date"),       QStringLiteral("Number"),     QStringLiteral("Summa"),
    QStringLiteral("Vid_pay"),    QStringLiteral("Code"),       QStringLiteral("Remark"),
    QStringLiteral("Naz_pay"),    QStringLiteral("Type_pay"),   QStringLiteral("P_INN"),
    QStringLiteral("P_NAME"),     QStringLiteral("P_ACCOUNT"),  QStringLiteral("P_BANK"),
    QStringLiteral("P_BANK_BIC"), QStringLiteral("P_BANK_ACC"), QStringLiteral("R_INN"),
    QStringLiteral("R_NAME"),     QStringLiteral("R_ACCOUNT"),  QStringLiteral("R_BANK"),
    QStringLiteral("R_BANK_BIC"), QStringLiteral("R_BANK_ACC"),
};
enum MissionField {
    mDate,
    mNumber,
    mSumma,
    mVidPay,
    mCode,
    mRemark,
    mNazPay,
    mTypePay,
    mPayer,
    mRecipient = mPayer + 6
};
// Within a party's block: INN, name, account, bank, BIK, correspondent account.
enum PartyField { pInn, pName, pAccount, pBank, pBik, pKorSchet };

// Where they go in PlatPor.DB, in the same order, and the payer's key.
const QStringList PlatPorFields = {
    QStringLiteral("DATE_PLAT"),  QStringLiteral("NUMBER"),     QStringLiteral("SUMMA"),
    QStringLiteral("VID_PAY"),    QStringLiteral("CODE"),       QStringLiteral("REMARK"),
    QStringLiteral("NAZ_PAY"),    QStringLiteral("TYPE_PAY"),   QStringLiteral("P_Inn"),
    QStringLiteral("P_NAME"),     QStringLiteral("P_ACCOUNT"),  QStringLiteral("P_BANK"),
    QStringLiteral("P_BANK_BIK"), QStringLiteral("P_BANK_ACC"), QStringLiteral("R_Inn"),
    QStringLiteral("R_NAME"),     QStringLiteral("R_ACCOUNT"),  QStringLiteral("R_BANK"),
    QStringLiteral("R_BANK_BIK"), QStringLiteral("R_BANK_ACC"), QStringLiteral("Id_Post"),
};

const QStringList PartnerFields = {
    QStringLiteral("INN"),      QStringLiteral("NAME"),     QStringLiteral("ADDRESS"),
    QStringLiteral("Phone"),    QStringLiteral("Town"),     QStringLiteral("OKONX"),
    QStringLiteral("OKPO"),     QStringLiteral("BANK"),     QStringLiteral("ACCOUNT"),
    QStringLiteral("BANK_ACC"), QStringLiteral("BANK_BIC"),
};
enum PartnerField {
    ptInn,
    ptName,
    ptAddress,
    ptPhone,
    ptTown,
    ptOkonx,
    ptOkpo,
    ptBank,
    ptAccount,
    ptKorSchet,
    ptBik
};

const QStringList KlientFields = {
    QStringLiteral("Inn"),    QStringLiteral("Name"),     QStringLiteral("FullName"),
    QStringLiteral("Adress"), QStringLiteral("Telephon"), QStringLiteral("Cyti"),
    QStringLiteral("Okonx"),  QStringLiteral("Okpo"),     QStringLiteral("FlSvoy"),
};
const QStringList BankFields = {QStringLiteral("Klient_id"), QStringLiteral("NameBank"),
                                QStringLiteral("Schet"), QStringLiteral("KorSchet"), QStringLiteral("Bik")};

using Party = std::array<QString, 6>;

// The distinct payers or recipients of the orders (the block starting at `first`) in
// the order of their INN.
std::vector<Party> distinctParties(TDbfTable &mission, const std::vector<int> &fields, int first) {
    std::set<Party> seen;
    while (mission.Next()) {
        Party p;
        for (int i = 0; i < 6; ++i)
            p[size_t(i)] = LegacyText(mission, fields[size_t(first + i)]);
        seen.insert(p);
    }
    std::vector<Party> parties(seen.begin(), seen.end());
    std::stable_sort(parties.begin(), parties.end(), [](const Party &a, const Party &b) {
        return db::Database::CompareText(a[pInn], b[pInn]) < 0;
    });
    return parties;
}

// One organisation of group `group` per distinct non-empty INN, named after the first
// row of its INN, with one account per distinct non-empty account. Returns how many
// organisations and accounts were added.
std::pair<int, int> addParties(const std::vector<Party> &parties, const QString &group, TTableWriter &klient,
                               TTableWriter &bank) {
    int organisations = 0, accounts = 0;
    for (size_t i = 0; i < parties.size();) {
        const QString inn = parties[i][pInn];
        size_t end = i;
        while (end < parties.size() && parties[end][pInn] == inn)
            ++end;
        if (inn.isEmpty()) { // no INN: neither the organisation nor its accounts
            i = end;
            continue;
        }
        const Party &first = parties[i];
        klient.Set(0, inn);
        klient.Set(1, first[pName]);
        klient.Set(2, first[pName]);
        klient.Set(8, group);
        const qint64 id = klient.Insert();
        ++organisations;
        std::set<std::array<QString, 4>> added;
        for (size_t j = i; j < end; ++j) {
            const Party &p = parties[j];
            if (p[pAccount].isEmpty()) continue;
            if (!added.insert({p[pAccount], p[pBank], p[pBik], p[pKorSchet]}).second) continue;
            bank.Set(0, double(id));
            bank.Set(1, p[pBank]);
            bank.Set(2, p[pAccount]);
            bank.Set(3, p[pKorSchet]);
            bank.Set(4, p[pBik]);
            bank.Insert();
            ++accounts;
        }
        i = end;
    }
    return {organisations, accounts};
}

} // namespace

TImport20Counts ImportVersion20(const QString &folder, const std::function<void(const QString &)> &step) {
    const auto say = [&step](const QString &what) {
        if (step) step(what);
    };
    CheckFolderExists(folder);
    QString missionPath = FindFileNoCase(folder, QStringLiteral("MISSION.DBF"));
    QString partnersPath = FindFileNoCase(folder, QStringLiteral("PARTNERS.DBF"));
    for (const auto &[path, name] :
         {std::pair{missionPath, "MISSION.DBF"}, std::pair{partnersPath, "PARTNERS.DBF"}})
        if (path.isEmpty())
            throw EOrbekError(QStringLiteral("В папке «%1» нет файла %2")
                                  .arg(QDir::toNativeSeparators(folder), QLatin1String(name)));
    // Both files and their fields are checked before anything is written.
    TDbfTable mission(missionPath);
    TDbfTable partners(partnersPath);
    const std::vector<int> m = LegacyFields(mission, MissionFields);
    const std::vector<int> pf = LegacyFields(partners, PartnerFields);

    TImport20Counts counts;
    TTransaction transaction;
    TTableWriter klient("Klient", KlientFields);
    TTableWriter bank("Bank", BankFields);

    say(QStringLiteral("Плательщики"));
    auto [own, ownAccounts] =
        addParties(distinctParties(mission, m, mPayer), QStringLiteral("T"), klient, bank);
    say(QStringLiteral("Получатели"));
    TDbfTable missionAgain(missionPath);
    auto [recipients, recipientAccounts] =
        addParties(distinctParties(missionAgain, m, mRecipient), QStringLiteral("F"), klient, bank);
    counts.ownOrganisations = own;
    counts.recipients = recipients;
    counts.accounts = ownAccounts + recipientAccounts;

    // The payer of an order: the own organisation with its INN first in key order; an
    // order without a payer INN has no payer.
    QHash<QString, double> payers;
    db::PreparedStatement ownOrganisations(QStringLiteral(
        "SELECT Inn, Klient_id FROM Klient WHERE FlSvoy = 'T' AND Inn IS NOT NULL ORDER BY Klient_id DESC"));
    while (ownOrganisations.Next())
        payers.insert(ownOrganisations.Value(0).toString(), ownOrganisations.Value(1).toDouble());
    const db::FieldDef &innDef = SchemaField("PlatPor", QStringLiteral("P_Inn"));
    const int innSize = QString::fromLatin1(innDef.type).mid(1).toInt();

    say(QStringLiteral("Платежные поручения"));
    TTableWriter order("PlatPor", PlatPorFields);
    TDbfTable orders(missionPath);
    while (orders.Next()) {
        order.Set(0, LegacyDate(orders, m[mDate]));
        order.Set(1, LegacyNumber(orders, m[mNumber]));
        order.Set(2, LegacyNumber(orders, m[mSumma]));
        for (int i = mVidPay; i < mRecipient + 6; ++i)
            order.Set(i, LegacyText(orders, m[size_t(i)]));
        const QString inn = LegacyText(orders, m[mPayer]).left(innSize); // the INN heads the payer block
        order.Set(20, inn.isEmpty() ? 0.0 : payers.value(inn, 0.0));
        order.Insert();
        if (++counts.orders % 5000 == 0) say(QStringLiteral("Платежные поручения: %1").arg(counts.orders));
    }

    say(QStringLiteral("Партнеры"));
    while (partners.Next()) {
        const auto text = [&](int f) { return LegacyText(partners, pf[size_t(f)]); };
        klient.Set(0, text(ptInn));
        klient.Set(1, text(ptName));
        klient.Set(2, text(ptName));
        klient.Set(3, text(ptAddress));
        klient.Set(4, text(ptPhone));
        klient.Set(5, text(ptTown));
        klient.Set(6, text(ptOkonx));
        klient.Set(7, text(ptOkpo));
        klient.Set(8, QStringLiteral("F"));
        const qint64 id = klient.Insert();
        bank.Set(0, double(id));
        bank.Set(1, text(ptBank));
        bank.Set(2, text(ptAccount));
        bank.Set(3, text(ptKorSchet));
        bank.Set(4, text(ptBik));
        bank.Insert();
        ++counts.partners;
        ++counts.accounts;
    }
    transaction.Commit();
    return counts;
}

void ImportVersion20Command() {
    const KeepCurrentDirectory keep;
    const QString &base = keep.Path();
    TOpenDialog OpDir;
    OpDir.Filter = QStringLiteral("Файл плат. поручений|Mission.dbf");
    OpDir.InitialDir = base;
    if (!OpDir.Execute()) return;
    // The folder of the chosen file, however long its name.
    const QString folder = QFileInfo(OpDir.FileName).absolutePath();
    QDir::setCurrent(base);
    if (MessageDlg(QStringLiteral("Подкачать данные?"), mtConfirmation, mbYesNo) != mrYes) return;
    const bool hadOwnOrganisation = LogoAppForm->SvoyKlientId != 0;
    TCopyProgress *window = CopyProgressWindow();
    window->Begin(QStringLiteral("Подкачка платежек из версии 2.0"));
    try {
        ImportVersion20(folder, [window](const QString &what) { window->Step(what); });
    } catch (...) {
        window->End();
        throw;
    }
    window->End();
    // A data folder that had no own organisation takes the first imported one, so the
    // registers show the imported orders at once.
    if (!hadOwnOrganisation) LogoAppForm->FormShow();
}

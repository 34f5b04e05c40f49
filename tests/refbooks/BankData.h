#pragma once
// What the bank tests share: a small bank directory of their own (the program ships
// none), accounts of a few owners, the setting AppBank, and the start-up forms of the
// bank reference books over a fresh data folder.
#include "app/UConfig.h"
#include "db/Database.h"
#include "refbooks/UAllBank.h"
#include "refbooks/USlBankP.h"
#include "support/TestSupport.h"

#include <QString>

struct DirectoryBank {
    const char *bik;
    const char *namePr;
    const char *name;
    const char *city;
    const char *korSchet;
};

// Five banks as the national directory lists them; the Siberian one has no prefix.
inline const DirectoryBank Banks[] = {
    {"044525225", "ПАО", "СБЕРБАНК", "МОСКВА", "30101810400000000225"},
    {"044030653", "ПАО", "СЕВЕРО-ЗАПАДНЫЙ БАНК ПАО СБЕРБАНК", "САНКТ-ПЕТЕРБУРГ", "30101810500000000653"},
    {"044525593", "АО", "АЛЬФА-БАНК", "МОСКВА", "30101810200000000593"},
    {"046577674", "ПАО", "УРАЛЬСКИЙ БАНК ПАО СБЕРБАНК", "ЕКАТЕРИНБУРГ", "30101810500000000674"},
    {"045004641", "", "СИБИРСКИЙ БАНК ПАО СБЕРБАНК", "НОВОСИБИРСК", "30101810500000000641"},
};

inline void AddDirectory() {
    for (const DirectoryBank &b : Banks)
        db::Database::Exec(QStringLiteral("insert into Bnkseek (NEWNUM, NamePr, NAMEP, NNP, KSNP) "
                                          "values (?, nullif(?, ''), ?, ?, ?)"),
                           {QString::fromUtf8(b.bik), QString::fromUtf8(b.namePr), QString::fromUtf8(b.name),
                            QString::fromUtf8(b.city), QString::fromUtf8(b.korSchet)});
}

// As the settings dialog sets it.
inline void SetAppBank(bool on) {
    Config->Conf->Edit();
    Config->ConfAppBank->SetAsBoolean(on);
    Config->Conf->Post();
}

// Stores an account and returns its key; a key of 0 lets the table choose it.
inline qint64 AddAccount(double owner, const QString &schet, const QString &bik = QString(), qint64 key = 0) {
    db::Database::Exec(QStringLiteral("insert into Bank (Bank_id, Klient_id, NameBank, Schet, Bik) "
                                      "values (nullif(?, 0), ?, ?, ?, nullif(?, ''))"),
                       {key, owner, QStringLiteral("Банк ") + schet, schet, bik});
    return db::Database::LastInsertRowId();
}

inline int CountAccounts(const QString &where = QStringLiteral("1 = 1")) {
    return db::Database::ScalarValue(QStringLiteral("select count(*) from Bank where ") + where).toInt();
}

// A fresh data folder with the directory, and the settings and the bank forms as the
// start-up creates them, the directory open as after the main window's first show.
struct BankForms {
    BankForms() {
        AddDirectory();
        Config = new TConfig;
        AllBank = new TAllBank;
        SlBankP = new TSlBankP;
        AllBank->Table1->Open();
    }
    ~BankForms() {
        delete SlBankP;
        delete AllBank;
        delete Config;
        SlBankP = nullptr;
        AllBank = nullptr;
    }
    BankForms(const BankForms &) = delete;
    BankForms &operator=(const BankForms &) = delete;
    TempDataFolder folder; // first in, last out
};

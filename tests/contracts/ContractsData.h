#pragma once
// Rows the contract tests start from, written straight into the data folder.
#include "db/Database.h"

#include <QDate>
#include <QString>
#include <QVariant>

// A partner ("F") or own organisation ("T"); returns its Klient_id.
inline double addKlient(const QString &fullName, const QString &flSvoy, const QString &inn = QString(),
                        const QString &adress = QString()) {
    db::Database::Exec(
        QStringLiteral("insert into Klient (Name, FullName, Inn, Adress, FlSvoy) values (?, ?, ?, ?, ?)"),
        {fullName.left(30), fullName, inn, adress, flSvoy});
    return double(db::Database::LastInsertRowId());
}

// A contract of `organ` with `partner`; flClose may be a null QVariant (never set).
inline double addContract(const QString &numbDog, const QDate &dateDog, double partner, double organ,
                          const QVariant &flClose = false, double sostDog = 0) {
    db::Database::Exec(
        QStringLiteral("insert into Dogovor (NumbDog, DateDog, NameDog, Klient_id, Organ_id, SostDog, "
                       "FlClose) values (?, ?, ?, ?, ?, ?, ?)"),
        {numbDog, dateDog.isValid() ? QVariant(dateDog) : QVariant(), QStringLiteral("Договор ") + numbDog,
         partner, organ, sostDog, flClose});
    return double(db::Database::LastInsertRowId());
}

inline double addState(const QString &name) {
    db::Database::Exec(QStringLiteral("insert into Sostoyn (NameSost) values (?)"), {name});
    return double(db::Database::LastInsertRowId());
}

inline int countRows(const QString &sql, const QVariantList &binds = {}) {
    return db::Database::ScalarValue(sql, binds).toInt();
}

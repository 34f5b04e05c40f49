#pragma once
// What the benchmarks over payment orders share: 100 000 orders of payer 1 to
// recipient 2 in one year, and the register's SELECT done on bare SQLite (every
// column of every row read by its type, as a cursor keeps a row).
#include "BareSqlite.h"
#include "Timing.h"
#include "db/Database.h"

#include <QByteArray>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <sqlite3.h>

namespace bench {

// `rows` orders numbered 1.. of payer 1 to recipient 2, dated through `year`.
inline void FillPaymentOrders(int rows, int year) {
    sqlite3 *h = db::Database::handle();
    exec("BEGIN");
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(
        h,
        "insert into PlatPor (NUMBER, DATE_PLAT, TYPE_PAY, Id_Pol, P_NAME, P_Inn, P_ACCOUNT, P_BANK, "
        "P_BANK_BIK, P_BANK_ACC, Id_Post, R_NAME, R_Inn, R_ACCOUNT, R_BANK, R_BANK_BIK, R_BANK_ACC, "
        "SUMMA, VID_PAY, REMARK, Dogovor_id) values (?, ?, 'электронно', 2, 'ООО \"Вереск\"', "
        "'7701234567', '40702810400000012345', 'ПАО Сбербанк г.Москва', '044525225', "
        "'30101810400000000225', 1, ?, '7709876543', '40702810900000054321', "
        "'АО Альфа-Банк г.Москва', '044525593', '30101810200000000593', ?, '01', "
        "'Оплата по счету за товары, в т.ч. НДС 22%', 0)",
        -1, &ins, nullptr);
    const QDate start(year, 1, 1);
    for (int i = 0; i < rows; ++i) {
        const QByteArray date = start.addDays(i % 350).toString(Qt::ISODate).toUtf8();
        const QByteArray name = QByteArrayLiteral("АО \"Альфа\"");
        sqlite3_bind_double(ins, 1, i + 1);
        sqlite3_bind_text(ins, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 3, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(ins, 4, 1000 + i % 977);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    exec("COMMIT");
}

// The register's query for payer 1 over the year with the recipient's name pattern
// `name`, stepped to its last row; returns ms.
inline double BareRegisterWalk(int year, const QString &name = QStringLiteral("%")) {
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db::Database::handle(),
                       "select * from PLATPOR where DATE_PLAT >= ?1 and DATE_PLAT <= ?2 and Id_Post = ?3 "
                       "and R_NAME like ?4 and (Dogovor_id = ?5 or ?5 = 0) and Summa >= ?6 and Summa <= ?7 "
                       "order by NUMBER",
                       -1, &st, nullptr);
    const QByteArray from = QDate(year, 1, 1).toString(Qt::ISODate).toUtf8();
    const QByteArray to = QDate(year, 12, 31).toString(Qt::ISODate).toUtf8();
    sqlite3_bind_text(st, 1, from.constData(), int(from.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, to.constData(), int(to.size()), SQLITE_TRANSIENT);
    sqlite3_bind_double(st, 3, 1);
    const QByteArray pattern = name.toUtf8();
    sqlite3_bind_text(st, 4, pattern.constData(), int(pattern.size()), SQLITE_TRANSIENT);
    sqlite3_bind_double(st, 5, 0);
    sqlite3_bind_double(st, 6, 0);
    sqlite3_bind_double(st, 7, 999999999);
    ReadEveryRow(st);
    sqlite3_finalize(st);
    return ms(t);
}

// The process's peak resident memory (VmHWM) in MiB.
inline double PeakMemoryMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

} // namespace bench

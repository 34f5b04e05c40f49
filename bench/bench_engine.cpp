// The table engine beside bare SQLite on the register's work: 100 000 payment orders
// of one payer; open the register query and walk every row; find the last row by
// key; append, post and apply 1 000 orders. Prints each figure and the ratio.
#include "db/Database.h"
#include "db/Query.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

namespace {

const char *const kRegister[] = {"select * from PLATPOR", "where DATE_PLAT >= :Datv", "and DATE_PLAT <= :DatI",
                                 "and Id_Post = :Kli",    "and R_NAME like :rnam",    "and (Dogovor_id = :dog or :dog = 0)",
                                 "and Summa >= :SumMn",   "and Summa <= :SumMx",      "order by NUMBER"};

double ms(QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

void report(const char *what, double ours, double bare) {
    std::printf("%-44s %9.1f ms   bare SQLite %9.1f ms   ratio %.2f\n", what, ours, bare, ours / bare);
}

void fill(int rows) {
    sqlite3 *h = db::Database::handle();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(h,
                       "insert into PlatPor (NUMBER, DATE_PLAT, TYPE_PAY, Id_Pol, P_NAME, P_Inn, P_ACCOUNT, P_BANK, "
                       "P_BANK_BIK, P_BANK_ACC, Id_Post, R_NAME, R_Inn, R_ACCOUNT, R_BANK, R_BANK_BIK, R_BANK_ACC, "
                       "SUMMA, VID_PAY, REMARK, Dogovor_id) values (?, ?, 'электронно', 7, 'ООО \"Вереск\"', "
                       "'7701234567', '40702810400000012345', 'ПАО Сбербанк г. Москва', '044525225', "
                       "'30101810400000000225', 1, ?, '7709876543', '40702810900000054321', "
                       "'АО Альфа-Банк г. Москва', '044525593', '30101810200000000593', ?, '01', "
                       "'Оплата по счету за товары, в т.ч. НДС 22%', 0)",
                       -1, &ins, nullptr);
    const QDate start(2026, 1, 1);
    for (int i = 0; i < rows; ++i) {
        const QByteArray date = start.addDays(i % 360).toString(Qt::ISODate).toUtf8();
        const QByteArray name = QStringLiteral("Получатель № %1").arg(i % 5000).toUtf8();
        sqlite3_bind_double(ins, 1, i + 1);
        sqlite3_bind_text(ins, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 3, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(ins, 4, 1000 + i % 977);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
}

double bareWalk() {
    QElapsedTimer t;
    t.start();
    sqlite3 *h = db::Database::handle();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h,
                       "select * from PLATPOR where DATE_PLAT >= ?1 and DATE_PLAT <= ?2 and Id_Post = ?3 "
                       "and R_NAME like ?4 and (Dogovor_id = ?5 or ?5 = 0) and Summa >= ?6 and Summa <= ?7 "
                       "order by NUMBER",
                       -1, &st, nullptr);
    sqlite3_bind_text(st, 1, "2026-01-01", -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, "2026-12-31", -1, SQLITE_STATIC);
    sqlite3_bind_double(st, 3, 1);
    sqlite3_bind_text(st, 4, "%", -1, SQLITE_STATIC);
    sqlite3_bind_double(st, 5, 0);
    sqlite3_bind_double(st, 6, 0);
    sqlite3_bind_double(st, 7, 999999999);
    long long sink = 0;
    int n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        // Copy what a cursor keeps of a row: every column.
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                sink += sqlite3_column_int64(st, c);
                break;
            case SQLITE_FLOAT:
                sink += (long long)sqlite3_column_double(st, c);
                break;
            case SQLITE_NULL:
                break;
            default:
                sink += sqlite3_column_bytes(st, c);
            }
        }
        ++n;
    }
    sqlite3_finalize(st);
    std::fprintf(stderr, "bare rows %d (%lld bytes)\n", n, sink);
    return ms(t);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    db::Database::Open(dir.path() + QStringLiteral("/dat"));
    const int rows = 100000;
    fill(rows);

    // Open the register query and walk every row.
    const double bare = bareWalk();
    QElapsedTimer t;
    t.start();
    TQuery plat;
    for (const char *line : kRegister) plat.SQL() << QString::fromUtf8(line);
    plat.ParamByName("Datv")->SetAsDate(QDate(2026, 1, 1));
    plat.ParamByName("DatI")->SetAsDate(QDate(2026, 12, 31));
    plat.ParamByName("Kli")->SetAsFloat(1);
    plat.ParamByName("rnam")->SetAsString(QStringLiteral("%"));
    plat.ParamByName("dog")->SetAsFloat(0);
    plat.ParamByName("SumMn")->SetAsFloat(0);
    plat.ParamByName("SumMx")->SetAsFloat(999999999);
    plat.Open();
    int walked = 0;
    while (!plat.Eof()) {
        ++walked;
        plat.Next();
    }
    const double ours = ms(t);
    std::printf("rows walked: %d\n", walked);
    report("open the register and walk 100 000 rows", ours, bare);

    // Locate the last row by its key.
    plat.Last();
    const double lastKey = plat.FieldByName("PlatPor_id")->AsFloat();
    plat.First();
    t.restart();
    plat.Locate(QStringLiteral("PlatPor_id"), lastKey);
    const double locate = ms(t);
    t.restart();
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db::Database::handle(), "select * from PlatPor where PlatPor_id = ?", -1, &st, nullptr);
        sqlite3_bind_double(st, 1, lastKey);
        sqlite3_step(st);
        sqlite3_finalize(st);
    }
    report("Locate the last row (bare: select by key)", locate, ms(t));

    // Append, post and apply 1 000 orders, each saved on its own as the editor does.
    TUpdateSQL upd;
    upd.InsertSQL << QStringLiteral("insert into PLATPOR (NUMBER, DATE_PLAT, Id_Post, R_NAME, SUMMA, VID_PAY)")
                  << QStringLiteral("values (:NUMBER, :DATE_PLAT, :Id_Post, :R_NAME, :SUMMA, :VID_PAY)");
    TQuery add;
    add.CachedUpdates = true;
    add.UpdateObject = &upd;
    add.SQL() << QStringLiteral("select * from PLATPOR where PlatPor_id = 0");
    add.Open();
    t.restart();
    for (int i = 0; i < 1000; ++i) {
        add.Append();
        add.FieldByName("NUMBER")->SetAsFloat(rows + i + 1);
        add.FieldByName("DATE_PLAT")->SetAsDate(QDate(2026, 12, 7));
        add.FieldByName("Id_Post")->SetAsFloat(1);
        add.FieldByName("R_NAME")->SetAsString(QStringLiteral("Новый получатель"));
        add.FieldByName("SUMMA")->SetAsFloat(1500.5);
        add.FieldByName("VID_PAY")->SetAsString(QStringLiteral("01"));
        add.Post();
        add.ApplyUpdates();
        add.CommitUpdates();
    }
    const double appended = ms(t);
    t.restart();
    {
        sqlite3 *h = db::Database::handle();
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(h,
                           "insert into PLATPOR (NUMBER, DATE_PLAT, Id_Post, R_NAME, SUMMA, VID_PAY) values "
                           "(?, '2026-12-07', 1, 'Новый получатель', 1500.5, '01')",
                           -1, &st, nullptr);
        for (int i = 0; i < 1000; ++i) {
            sqlite3_exec(h, "SAVEPOINT s", nullptr, nullptr, nullptr);
            sqlite3_bind_double(st, 1, rows + 1001 + i);
            sqlite3_step(st);
            sqlite3_reset(st);
            sqlite3_exec(h, "RELEASE s", nullptr, nullptr, nullptr);
        }
        sqlite3_finalize(st);
    }
    report("append, post and apply 1 000 orders", appended, ms(t));
    db::Database::Close();
    return 0;
}

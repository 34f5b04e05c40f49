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

#include "PayOrderBench.h"

namespace {

const char *const kRegister[] = {"select * from PLATPOR", "where DATE_PLAT >= :Datv", "and DATE_PLAT <= :DatI",
                                 "and Id_Post = :Kli",    "and R_NAME like :rnam",    "and (Dogovor_id = :dog or :dog = 0)",
                                 "and Summa >= :SumMn",   "and Summa <= :SumMx",      "order by NUMBER"};

using bench::ms;

void report(const char *what, double ours, double bare) {
    std::printf("%-44s %9.1f ms   bare SQLite %9.1f ms   ratio %.2f\n", what, ours, bare, ours / bare);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    db::Database::Open(dir.path() + QStringLiteral("/dat"));
    const int rows = 100000;
    bench::FillPaymentOrders(rows, 2026);

    // Open the register query and walk every row.
    const double bare = bench::BareRegisterWalk(2026);
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

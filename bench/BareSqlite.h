#pragma once
// The bare-SQLite side of the benchmarks: statements run and prepared straight on the
// data folder's handle, and rows stepped with every column read by its type, as a
// cursor keeps a row.
#include "db/Database.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <sqlite3.h>

namespace bench {

inline void exec(const char *sql) {
    sqlite3_exec(db::Database::handle(), sql, nullptr, nullptr, nullptr);
}

// A statement prepared on the data folder's handle; says so when SQLite refuses it.
inline sqlite3_stmt *Prepare(const char *sql) {
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db::Database::handle(), sql, -1, &st, nullptr) != SQLITE_OK)
        std::printf("bare SQL failed: %s\n", sqlite3_errmsg(db::Database::handle()));
    return st;
}
inline sqlite3_stmt *Prepare(const QString &sql) {
    return Prepare(sql.toUtf8().constData());
}

// Steps a bound statement to its end reading every column of every row by its type,
// as a cursor keeps a row; returns the rows read.
inline int ReadEveryRow(sqlite3_stmt *st) {
    long long sink = 0;
    double fsink = 0;
    int rows = 0;
    for (; sqlite3_step(st) == SQLITE_ROW; ++rows)
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                sink += sqlite3_column_int64(st, c);
                break;
            case SQLITE_FLOAT:
                fsink += sqlite3_column_double(st, c);
                break;
            case SQLITE_TEXT: {
                const QByteArray text(reinterpret_cast<const char *>(sqlite3_column_text(st, c)),
                                      sqlite3_column_bytes(st, c));
                sink += text.size();
                break;
            }
            default:
                break;
            }
    if (sink == 0 && fsink == 0) std::printf("(no rows)\n");
    return rows;
}

} // namespace bench

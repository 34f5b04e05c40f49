// The data-folder maintenance beside the plain tools doing the same work in the same run:
//  - archive of a data folder of about 1 GB (the database closed, copied, flushed and
//    renamed into place, reopened and checked as at start-up) beside `cp` of the same
//    file, and beside `cp` followed by `sync` of the copy (the archive flushes what it
//    writes);
//  - restore of that archive (its database checked in full first, then copied back,
//    flushed, renamed, reopened) beside the same two;
//  - the import of 100 000 payment orders of version 2.0 (MISSION.DBF read and decoded,
//    payers and recipients found, orders, partners and accounts inserted, in one
//    transaction) beside bare SQLite inserting the same orders already decoded;
//  - the replacement from an earlier version's folder with 100 000 orders in
//    PlatPor.DB read through pxlib, beside the same bare inserts.
// Arguments: the size of the data folder in MB (default 1024), the number of orders
// (default 100 000).
#include "BareSqlite.h"
#include "Timing.h"
#include "db/Database.h"
#include "maintenance/DataFolder.h"
#include "maintenance/Import20.h"
#include "maintenance/UExpOld.h"
#include "support/LegacyWriters.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sqlite3.h>

namespace {

using bench::exec;
using bench::median;

double seconds(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e9;
}

// Orders with remarks of 1900 characters, two to a page, until the file has about
// `megabytes`.
void fillTo(int megabytes) {
    const int rows = megabytes * 1024 / 2;
    const QByteArray sql = "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
                           QByteArray::number(rows) +
                           ") insert into PlatPor (NUMBER, Id_Post, SUMMA, REMARK) "
                           "select i, 1, i % 977, printf('%01900d', i) from n";
    exec("BEGIN");
    exec(sql.constData());
    exec("COMMIT");
}

double timedProcess(const QString &program, const QStringList &args) {
    QElapsedTimer t;
    t.start();
    QProcess::execute(program, args);
    return seconds(t);
}

void dropCaches(const QString &file) {
    // Every copy starts with the source in the page cache, as the program's would.
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    while (!f.read(1 << 20).isEmpty()) {
    }
}

void row(const char *what, double ours, double cp, double cpSync) {
    std::printf("%-34s %8.2f s   cp %6.2f s (%.2fx)   cp+sync %6.2f s (%.2fx)\n", what, ours, cp, ours / cp,
                cpSync, ours / cpSync);
}

const QStringList Payer = {"7701234567",   "ООО \"Вереск\"", "40702810400000012345",
                           "ПАО Сбербанк", "044525225",      "30101810400000000225"};

QStringList recipient(int i) {
    return {QString::number(7709000000LL + i % 500),
            QStringLiteral("Получатель %1").arg(i % 500),
            QStringLiteral("407028109000%1").arg(i % 500, 8, 10, QLatin1Char('0')),
            "АО Альфа-Банк",
            "044525593",
            "30101810200000000593"};
}

void writeMission(const QString &folder, int orders) {
    legacy::DbfWriter m = legacy::Version20Orders();
    for (int i = 0; i < orders; ++i) {
        m.Add(legacy::Version20Order(QDate(2000, 1, 1).addDays(i % 365), i + 1, 1000 + i % 977,
                                     QStringLiteral("Оплата по счету %1 за товары").arg(i), Payer,
                                     recipient(i)));
    }
    m.Save(folder + "/MISSION.DBF");
    legacy::DbfWriter p = legacy::Version20Partners();
    for (int i = 0; i < 100; ++i)
        p.Add({QString::number(7800000000LL + i), QStringLiteral("Партнер %1").arg(i), "", "", "", "", "",
               "Банк", QString::number(40702810000000000LL + i), "", "044525000"});
    p.Save(folder + "/PARTNERS.DBF");
}

void writeEarlier(const QString &folder, int orders) {
    legacy::WriteParadox(
        folder + "/Bank.db", legacy::EarlierBankFields(),
        {{1, 1, "ПАО Сбербанк", "40702810400000012345", "30101810400000000225", "044525225"}});
    legacy::WriteParadox(folder + "/Klient.DB",
                         {{"Klient_id", pxfAutoInc, 4},
                          {"Name", pxfAlpha, 30},
                          {"FullName", pxfAlpha, 150},
                          {"Adress", pxfAlpha, 150},
                          {"Telephon", pxfAlpha, 20},
                          {"Cyti", pxfAlpha, 50},
                          {"Inn", pxfAlpha, 15},
                          {"Okonx", pxfAlpha, 15},
                          {"Okpo", pxfAlpha, 15},
                          {"FlSvoy", pxfAlpha, 1}},
                         {{1, "Вереск", "ООО \"Вереск\"", "", "", "", "7701234567", "", "", "T"}});
    std::vector<legacy::PxField> f = {
        {"PlatPor_id", pxfAutoInc, 4}, {"NUMBER", pxfNumber, 8},     {"DATE_PLAT", pxfDate, 4},
        {"TYPE_PAY", pxfAlpha, 20},    {"Id_Pol", pxfNumber, 8},     {"P_NAME", pxfAlpha, 150},
        {"P_Inn", pxfAlpha, 15},       {"P_ACCOUNT", pxfAlpha, 25},  {"P_BANK", pxfAlpha, 100},
        {"P_BANK_BIK", pxfAlpha, 20},  {"P_BANK_ACC", pxfAlpha, 20}, {"Id_Post", pxfNumber, 8},
        {"R_NAME", pxfAlpha, 150},     {"R_Inn", pxfAlpha, 15},      {"R_ACCOUNT", pxfAlpha, 25},
        {"R_BANK", pxfAlpha, 100},     {"R_BANK_BIK", pxfAlpha, 20}, {"R_BANK_ACC", pxfAlpha, 20},
        {"SUMMA", pxfNumber, 8},       {"VID_PAY", pxfAlpha, 20},    {"NAZ_PAY", pxfAlpha, 20},
        {"CODE", pxfAlpha, 7},         {"OcherPlat", pxfAlpha, 10},  {"ResPole", pxfAlpha, 10},
        {"REMARK", pxfAlpha, 250},
    };
    QList<QVariantList> rows;
    for (int i = 0; i < orders; ++i) {
        const QStringList r = recipient(i);
        rows << QVariantList{i + 1,
                             i + 1,
                             QDate(2000, 1, 1).addDays(i % 365),
                             "электронно",
                             0,
                             Payer[1],
                             Payer[0],
                             Payer[2],
                             Payer[3],
                             Payer[4],
                             Payer[5],
                             1,
                             r[1],
                             r[0],
                             r[2],
                             r[3],
                             r[4],
                             r[5],
                             1000 + i % 977,
                             "01",
                             "",
                             "",
                             "",
                             "",
                             QStringLiteral("Оплата по счету %1 за товары").arg(i)};
    }
    legacy::WriteParadox(folder + "/PlatPor.DB", f, rows);
}

// The same orders inserted by bare SQLite, already decoded, in one transaction.
double bareInserts(int orders) {
    QElapsedTimer t;
    t.start();
    sqlite3 *h = db::Database::handle();
    exec("BEGIN IMMEDIATE");
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(
        h,
        "insert into PlatPor (DATE_PLAT, NUMBER, SUMMA, VID_PAY, REMARK, TYPE_PAY, P_Inn, P_NAME, "
        "P_ACCOUNT, P_BANK, P_BANK_BIK, P_BANK_ACC, R_Inn, R_NAME, R_ACCOUNT, R_BANK, R_BANK_BIK, "
        "R_BANK_ACC, Id_Post) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
        -1, &ins, nullptr);
    auto text = [ins](int at, const QString &s) {
        const QByteArray b = s.toUtf8();
        sqlite3_bind_text(ins, at, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    };
    for (int i = 0; i < orders; ++i) {
        text(1, QDate(2000, 1, 1).addDays(i % 365).toString(Qt::ISODate));
        sqlite3_bind_double(ins, 2, i + 1);
        sqlite3_bind_double(ins, 3, 1000 + i % 977);
        text(4, "01");
        text(5, QStringLiteral("Оплата по счету %1 за товары").arg(i));
        text(6, QStringLiteral("электронно"));
        for (int k = 0; k < 6; ++k)
            text(7 + k, Payer[k]);
        const QStringList r = recipient(i);
        for (int k = 0; k < 6; ++k)
            text(13 + k, r[k]);
        sqlite3_bind_double(ins, 19, 1);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    exec("COMMIT");
    return seconds(t);
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? atoi(argv[1]) : 1024;
    const int orders = argc > 2 ? atoi(argv[2]) : 100000;
    QTemporaryDir dir(QDir::currentPath() + "/bench-maintenance-XXXXXX");
    const QString dat = dir.filePath("dat"), db = dat + "/orbek.db";

    db::Database::Open(dat);
    fillTo(megabytes);
    db::Database::Close();
    db::Database::Open(dat);
    std::printf("data folder: %.0f MB\n", double(QFileInfo(db).size()) / (1 << 20));

    // Each figure is the median of three runs, taken in turns.
    const QString copy = dir.filePath("copy.db");
    dropCaches(db);
    std::vector<double> cp, cpSync, archive, restore;
    for (int run = 0; run < 3; ++run) {
        cp.push_back(timedProcess("cp", {db, copy}));
        QFile::remove(copy);
        cpSync.push_back(
            timedProcess("sh", {"-c", QStringLiteral("cp '%1' '%2' && sync '%2'").arg(db, copy)}));
        QFile::remove(copy);
        QElapsedTimer t;
        t.start();
        ArchiveDataFolder();
        archive.push_back(seconds(t));
        t.start();
        RestoreDataFolder();
        restore.push_back(seconds(t));
    }
    row("archive", median(archive), median(cp), median(cpSync));
    row("restore (full integrity check)", median(restore), median(cp), median(cpSync));
    db::Database::Close();

    QDir(dat).removeRecursively();
    QDir(ArchiveFolder()).removeRecursively();
    const QString old = dir.filePath("old");
    QDir().mkpath(old);
    writeMission(old, orders);
    writeEarlier(old, orders);

    db::Database::Open(dat);
    const double bare = bareInserts(orders);
    exec("delete from PlatPor");
    QElapsedTimer t;
    t.start();
    const TImport20Counts counts = ImportVersion20(old);
    const double import20 = seconds(t);
    std::printf("%-34s %8.2f s   bare SQLite %6.2f s (%.2fx)   %d orders\n", "import from version 2.0",
                import20, bare, import20 / bare, counts.orders);
    t.start();
    const TExpOldCounts replaced = ReplaceFromEarlierVersion(old);
    const double expOld = seconds(t);
    std::printf("%-34s %8.2f s   bare SQLite %6.2f s (%.2fx)   %d orders\n",
                "replacement from an earlier version", expOld, bare, expOld / bare, replaced.orders);
    db::Database::Close();
    return 0;
}

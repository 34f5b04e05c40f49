// The data file checked before it is used, and the database's failures in words: a
// file that is not ours, newer, incomplete or damaged is refused and left byte for
// byte as it was; one of ours is completed and marked; engine failures read as Russian
// sentences with the statement kept for the detail.
#include "db/Database.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using db::Database;

namespace {

QStringList listing(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A data folder of this program holding a partner and enough payment orders to fill
// several pages, closed.
void fillOwnFolder(const QString &folder) {
    Database::Open(folder);
    TTransaction transaction;
    Database::Exec(QStringLiteral("insert into Klient (Name, FlSvoy) values ('Ромашка', 'F')"));
    for (int n = 1; n <= 200; ++n)
        Database::Exec(QStringLiteral("insert into PlatPor (NUMBER, REMARK) values (?, ?)"),
                       {n, QString(100, QChar(0x0416))});
    transaction.Commit();
    Database::Close();
}

void runShell(const QString &file, const QString &sql) {
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {file, sql});
    if (!shell.waitForStarted()) QSKIP("the sqlite3 shell is not installed");
    QVERIFY(shell.waitForFinished());
    QCOMPARE(shell.exitCode(), 0);
}

// The main text of an error box: no statement, no engine's English.
bool plainRussian(const QString &text) {
    return !text.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
}

} // namespace

class TestDataFile : public QObject {
    Q_OBJECT
  private slots:
    void refusedFileIsLeftAsItWas_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("newer version") << "newer"
                                       << "записан более новой версией программы (версия данных 2";
        QTest::newRow("field dropped") << "dropped"
                                       << "в таблице «PlatPor» нет поля «REMARK»";
        QTest::newRow("damaged page") << "damaged"
                                      << "dat/orbek.db» повреждён.";
        QTest::newRow("another program's database") << "foreign"
                                                    << "не является базой данных программы";
        QTest::newRow("another program's mark") << "marked"
                                                << "не является базой данных программы";
        QTest::newRow("not a database") << "text"
                                        << "не является базой данных программы";
    }
    void refusedFileIsLeftAsItWas() {
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("dat"));
        const QString file = folder + QStringLiteral("/orbek.db");
        if (kind == QLatin1String("foreign") || kind == QLatin1String("marked")) {
            QDir().mkpath(folder);
            // Another program's file, in the journal mode it chose; with the same table
            // names as ours beside one of its own.
            runShell(file, QStringLiteral("%1 CREATE TABLE Klient (id INTEGER PRIMARY KEY, name TEXT); "
                                          "CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('x');")
                               .arg(kind == QLatin1String("marked") ? "PRAGMA application_id = 42;" : ""));
        } else if (kind == QLatin1String("text")) {
            QDir().mkpath(folder);
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        } else {
            fillOwnFolder(folder);
            int page = 0, pageSize = 0;
            Database::Open(folder);
            if (kind == QLatin1String("newer")) Database::Exec(QStringLiteral("PRAGMA user_version = 2"));
            if (kind == QLatin1String("dropped"))
                Database::Exec(QStringLiteral("ALTER TABLE PlatPor DROP COLUMN REMARK"));
            page = Database::ScalarValue(
                       QStringLiteral("select rootpage from sqlite_master where name = 'PlatPor'"))
                       .toInt();
            pageSize = Database::ScalarValue(QStringLiteral("PRAGMA page_size")).toInt();
            Database::Close();
            if (kind == QLatin1String("damaged")) {
                QFile f(file);
                QVERIFY(f.open(QIODevice::ReadWrite));
                f.seek(qint64(page - 1) * pageSize);
                f.write(QByteArray(pageSize, char(0x55)));
            }
        }
        const QByteArray before = bytesOf(file);
        const QStringList filesBefore = listing(folder);
        try {
            Database::Open(folder);
            QFAIL("the file was accepted");
        } catch (const EDatabaseError &e) {
            QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("Файл оставлен без изменений")),
                     qPrintable(e.message()));
        }
        QVERIFY(!Database::IsOpen());
        QCOMPARE(listing(folder), filesBefore); // no journal beside it either
        QVERIFY(bytesOf(file) == before);
    }

    // A file of ours written before files were marked, lacking two tables and an
    // index: the tables are created as in a new folder (the settings with their row),
    // the index is rebuilt, the file is marked, and what it held stays.
    void ownFileIsCompletedAndMarked() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("dat"));
        fillOwnFolder(folder);
        Database::Open(folder);
        for (const char *sql : {"PRAGMA application_id = 0", "PRAGMA user_version = 0", "DROP TABLE Bnkseek",
                                "DROP TABLE Config", "DROP INDEX Klient_Nam"})
            Database::Exec(QString::fromLatin1(sql));
        Database::Close();

        Database::Open(folder);
        QCOMPARE(Database::ReadOnlyNotice(), QString());
        QCOMPARE(Database::ScalarValue(QStringLiteral("select count(*) from Bnkseek")).toInt(), 0);
        QCOMPARE(Database::ScalarValue(QStringLiteral("select Rasdel from Config")).toString(),
                 QStringLiteral("Тире"));
        QCOMPARE(Database::ScalarValue(
                     QStringLiteral("select count(*) from sqlite_master where name = 'Klient_Nam'"))
                     .toInt(),
                 1);
        QCOMPARE(Database::ScalarValue(QStringLiteral("PRAGMA user_version")).toInt(),
                 Database::SchemaVersion);
        QCOMPARE(Database::ScalarValue(QStringLiteral("PRAGMA application_id")).toLongLong(),
                 qint64(Database::ApplicationId));
        QCOMPARE(Database::ScalarValue(QStringLiteral("select Name from Klient")).toString(),
                 QStringLiteral("Ромашка"));
        QCOMPARE(Database::ScalarValue(QStringLiteral("select count(*) from PlatPor")).toInt(), 200);
        Database::Close();
    }

    // A key taken twice and a disk that takes no more: Russian sentences without the
    // statement, the savepoint or the engine's English, which stay in the detail; the
    // failed write leaves nothing behind.
    void failuresReadAsRussianSentences() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("dat"));
        fillOwnFolder(folder);
        Database::Open(folder);
        try {
            TTransaction outer;
            TTransaction inner;
            Database::Exec(QStringLiteral("insert into Klient (Klient_id, Name) values (1, 'Дубль')"));
            QFAIL("a key was taken twice");
        } catch (const EDatabaseError &e) {
            QCOMPARE(e.message(), QStringLiteral("Запись с таким ключом уже есть, изменения не сохранены."));
            QVERIFY2(e.detail().contains(QStringLiteral("insert into Klient")) &&
                         e.detail().contains(QStringLiteral("UNIQUE constraint failed")),
                     qPrintable(e.detail()));
        }

        // The file may grow no further than it is: each write into the journal fails.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit full = saved;
        full.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &full);
        QString message;
        try {
            TTransaction transaction;
            Database::Exec(QStringLiteral("insert into PlatPor (NUMBER, REMARK) values (201, ?)"),
                           {QString(20000, QChar(0x0416))});
            transaction.Commit();
        } catch (const EDatabaseError &e) {
            message = e.message();
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY2(message.contains(QStringLiteral("Проверьте, что на диске есть свободное место")),
                 qPrintable(message));
        QVERIFY2(plainRussian(message), qPrintable(message));
        QCOMPARE(Database::ScalarValue(QStringLiteral("select count(*) from PlatPor")).toInt(), 200);
        QCOMPARE(Database::ScalarValue(QStringLiteral("PRAGMA quick_check")).toString(),
                 QStringLiteral("ok"));
        Database::Close();
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_datafile.moc"

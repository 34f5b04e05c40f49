// Archive, restore and reindex of the data folder through the main window's commands:
// a day's work lost and brought back, the archive refused when it is damaged, a copy
// killed midway, the datasets open again afterwards whatever happened.
#include "app/LogoMain.h"
#include "app/UConfig.h"
#include "controls/FileUtil.h"
#include "controls/ProgressCtl.h"
#include "controls/UiScript.h"
#include "db/Database.h"
#include "db/FieldTypes.h"
#include "db/Table.h"
#include "ledger/UProvodka.h"
#include "maintenance/DataFolder.h"
#include "maintenance/UCopyProgress.h"
#include "refbooks/UAllBank.h"
#include "refbooks/USlPoluch.h"
#include "support/FileBytes.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QVariant scalar(const QString &sql) {
    return db::Database::ScalarValue(sql);
}

const char *ChildArgument = "--archive-child";

// Whether another program could take the data folder now.
bool folderFree(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

} // namespace

class DataFolderTest : public ScriptedTestCase {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString dat() const { return m_dir->filePath("dat"); }
    QString arhiv() const { return m_dir->filePath("arhiv"); }
    QString dbFile() const { return dat() + "/orbek.db"; }

    void start(bool fresh = true) {
        ShutDown();
        if (fresh) {
            m_dir = std::make_unique<QTemporaryDir>();
            db::Database::Open(dat());
            db::Database::Exec("insert into Klient (Name, FullName, Inn, FlSvoy) values "
                               "('Вереск', 'ООО \"Вереск\"', '7701', 'T')");
            db::Database::Close();
        }
        QVERIFY(StartUp(dat()));
    }

    static int partners(const QString &name) {
        return scalar(QStringLiteral("select count(*) from Klient where Name = '%1'").arg(name)).toInt();
    }

    void checkSharedOpen() {
        QVERIFY(Config->Conf->Active());
        QVERIFY(AllBank->Table1->Active());
        QVERIFY(SlPoluch->Klient->Active());
        QVERIFY(Provodka->PlSch->Active());
    }

  private slots:
    void cleanupTestCase() { ShutDown(); }

    void dayLostAndRestoredFromTheArchive() {
        start();
        db::Database::Exec(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 40000) "
            "insert into PlatPor (NUMBER, Id_Post, REMARK) select i, 1, printf('%0250d', i) from n");
        // A file large enough that its copy takes a while: the window must repaint meanwhile.
        QFile big(dat() + "/big.bin");
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(QByteArray(48 << 20, 'x'));
        big.close();
        TTable orders(nullptr, QStringLiteral("PlatPor.DB"));
        orders.Open();
        TCopyProgress *window = CopyProgressWindow();
        std::atomic<bool> closedWhileCopying{true}, sidecarWhileCopying{false}, freeWhileCopying{false};
        connect(
            window, &TCopyProgress::fileNameShown, this,
            [&](const QString &) {
                closedWhileCopying = closedWhileCopying && !db::Database::IsOpen();
                freeWhileCopying = freeWhileCopying || folderFree(dat());
                for (const char *s : {"-wal", "-shm", "-journal"})
                    sidecarWhileCopying = sidecarWhileCopying || QFileInfo::exists(dbFile() + s);
            },
            Qt::DirectConnection);
        QList<int> seen;
        QStringList names;
        connect(window->Gauge1, &QProgressBar::valueChanged, this, [&](int v) {
            if (window->Label1->text() == QLatin1String("big.bin")) seen << v;
        });
        connect(window, &TCopyProgress::fileNameShown, this, [&](const QString &name) { names << name; });
        // The window as the user sees it while the copy of the database is checked.
        QStringList shown;
        QTimer look;
        connect(&look, &QTimer::timeout, this, [&] {
            if (!window->isVisible()) return;
            const QString state = window->Label1->text() +
                                  (window->Gauge1->maximum() == 0 ? QStringLiteral(" (busy)") : QString());
            if (shown.isEmpty() || shown.constLast() != state) shown << state;
        });
        look.start(0);

        UiScript::Answer(mrYes, QStringLiteral("Создать архив?"));
        LogoAppForm->MenuItem("N15")->trigger();
        look.stop();
        QCOMPARE(shown.constLast(), QStringLiteral("Проверка копии базы данных (busy)"));
        QVERIFY(QFileInfo::exists(arhiv() + "/orbek.db"));
        QVERIFY(closedWhileCopying);
        QVERIFY(!sidecarWhileCopying);
        QVERIFY(!freeWhileCopying); // the folder stays this program's
        QVERIFY2(std::any_of(seen.begin(), seen.end(), [](int v) { return v > 0 && v < (48 << 20); }),
                 "the gauge moved while the file was copied");
        QCOMPARE(names, QStringList({"big.bin", "orbek.db"}));
        QCOMPARE(QFileInfo(arhiv() + "/big.bin").size(), qint64(48) << 20);
        QVERIFY(!window->isVisible());
        // Every dataset that was open is open again.
        checkSharedOpen();
        QVERIFY(orders.Active());
        QCOMPARE(orders.RecordCount(), 40000);

        // A day's work lost by mistake...
        db::Database::Exec("delete from PlatPor where NUMBER > 100");
        db::Database::Exec("insert into Klient (Name, FlSvoy) values ('Лишний', 'F')");
        UiScript::Answer(mrYes, QStringLiteral("Восстанавливать данные из архива?"));
        LogoAppForm->MenuItem("N16")->trigger();
        QCOMPARE(scalar("select count(*) from PlatPor").toInt(), 40000);
        QCOMPARE(partners("Лишний"), 0);
        checkSharedOpen();
        QVERIFY(!folderFree(dat()));
        QVERIFY(orders.Active());
        orders.Close();

        // ...and the whole database file lost: the archive's files come back.
        QVERIFY(QFile::remove(dbFile()));
        UiScript::Answer(mrYes);
        LogoAppForm->MenuItem("N16")->trigger();
        QVERIFY(QFileInfo::exists(dbFile()));
        QCOMPARE(partners("Вереск"), 1);
        QCOMPARE(scalar("select count(*) from PlatPor").toInt(), 40000);

        // Answering No to either question changes nothing.
        db::Database::Exec("insert into Klient (Name, FlSvoy) values ('Новый', 'F')");
        const QByteArray archived = bytesOf(arhiv() + "/orbek.db");
        UiScript::Answer(mrNo, QStringLiteral("Создать архив?"));
        LogoAppForm->MenuItem("N15")->trigger();
        UiScript::Answer(mrNo, QStringLiteral("Восстанавливать данные из архива?"));
        LogoAppForm->MenuItem("N16")->trigger();
        QCOMPARE(partners("Новый"), 1);
        QCOMPARE(bytesOf(arhiv() + "/orbek.db"), archived);
        checkSharedOpen();
    }

    void archiveReplacesItsCopiesAndLeavesOthers() {
        start();
        QDir().mkpath(arhiv());
        QFile stale(arhiv() + "/old-notes.txt");
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        QFile note(dat() + "/notes.txt");
        QVERIFY(note.open(QIODevice::WriteOnly));
        note.write("first");
        note.close();
        ArchiveDataFolder();
        QVERIFY(note.open(QIODevice::WriteOnly | QIODevice::Truncate));
        note.write("second");
        note.close();
        ArchiveDataFolder();
        QCOMPARE(bytesOf(arhiv() + "/notes.txt"), QByteArray("second"));
        QVERIFY(QFileInfo::exists(arhiv() + "/old-notes.txt"));
        QCOMPARE(QDir(arhiv()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList({"notes.txt", "old-notes.txt", "orbek.db"}));
    }

    // An index whose entries no longer match its table: the start-up check does not read
    // that far. A first archive leaves no folder and claims no previous one.
    void damagedDataKeepsTheGoodArchive_data() {
        QTest::addColumn<bool>("archived");
        QTest::addColumn<QString>("message");
        QTest::newRow("previous archive")
            << true
            << QStringLiteral("Архив не создан, прежний архив не изменен.\nКопия базы данных «%1» не прошла "
                              "проверку: база данных повреждена. Восстановите данные из архива командой "
                              "«Восстановление из архива».");
        QTest::newRow("first archive")
            << false
            << QStringLiteral("Архив не создан.\nКопия базы данных «%1» не прошла "
                              "проверку: база данных повреждена. Обратитесь к тому, "
                              "кто обслуживает программу.");
    }
    void damagedDataKeepsTheGoodArchive() {
        QFETCH(bool, archived);
        QFETCH(QString, message);
        start();
        if (archived) ArchiveDataFolder();
        const QByteArray good = bytesOf(arhiv() + "/orbek.db");
        db::Database::Exec("pragma writable_schema = on");
        db::Database::Exec(
            "update sqlite_master set sql = replace(sql, '\"Inn\"', '\"Name\"') where name = ?",
            {db::IndexSqlName("Klient", "InnKli")});
        start(false);
        UiScript::Answer(mrYes, QStringLiteral("Создать архив?"));
        UiScript::ExpectError(message.arg(dbFile()));
        LogoAppForm->MenuItem("N15")->trigger();
        QCOMPARE(bytesOf(arhiv() + "/orbek.db"), good);
        QVERIFY(!QFileInfo::exists(archived ? arhiv() + "/.orbek-copy" : arhiv()));
    }

    void damagedOrMissingArchiveRefusedAndNothingChanged_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no archive") << "none"
                                    << "Архива нет";
        QTest::newRow("no database in it") << "no database"
                                           << "нет файла базы данных orbek.db";
        QTest::newRow("truncated") << "truncated"
                                   << "Архив не годится";
        QTest::newRow("another program's database") << "foreign"
                                                    << "не является базой данных программы";
    }
    void damagedOrMissingArchiveRefusedAndNothingChanged() {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        start();
        ArchiveDataFolder();
        const QString archived = arhiv() + "/orbek.db";
        if (damage == "none") {
            QVERIFY(QDir(arhiv()).removeRecursively());
        } else if (damage == "no database") {
            QFile::remove(archived);
        } else if (damage == "truncated") {
            QFile f(archived);
            QVERIFY(f.resize(f.size() / 2));
        } else {
            QFile::remove(archived);
            QProcess::execute("sqlite3", {archived, "create table t(x); insert into t values (1);"});
        }
        db::Database::Exec("insert into Klient (Name, FlSvoy) values ('После архива', 'F')");
        const QByteArray before = bytesOf(dbFile()) + bytesOf(dbFile() + "-wal");
        UiScript::Answer(mrYes);
        UiScript::ExpectError();
        LogoAppForm->MenuItem("N16")->trigger();
        const QString shown = UiScript::Messages().constLast().text;
        QVERIFY2(shown.startsWith(QStringLiteral("Данные не восстановлены, папка данных не изменена.")),
                 qPrintable(shown));
        QVERIFY2(shown.contains(reason), qPrintable(shown));
        // The refused archive is no way back: the box does not send the user to it.
        QVERIFY2(!shown.contains(QStringLiteral("Восстановите данные из архива")), qPrintable(shown));
        QCOMPARE(bytesOf(dbFile()) + bytesOf(dbFile() + "-wal"), before);
        QVERIFY(!QFileInfo::exists(dat() + "/.orbek-copy"));
        QCOMPARE(partners("После архива"), 1);
        checkSharedOpen();
    }

    // The archive copied by a second program, killed in the middle of a large file.
    void archiveKilledMidwayKeepsThePreviousArchive() {
        start();
        ArchiveDataFolder();
        const QByteArray previous = bytesOf(arhiv() + "/orbek.db");
        db::Database::Exec("insert into Klient (Name, FlSvoy) values ('Второй день', 'F')");
        // A large file sorting before the database is copied first.
        QFile big(dat() + "/big.bin");
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(qint64(4) << 30));
        big.close();
        ShutDown();

        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {ChildArgument, dat()});
        QVERIFY(child.waitForStarted());
        const QString partial = arhiv() + "/.orbek-copy/.big.bin.part";
        QElapsedTimer waited;
        waited.start();
        while (QFileInfo(partial).size() < (1 << 20) && waited.elapsed() < 20000)
            QThread::usleep(200);
        QVERIFY2(QFileInfo(partial).size() >= (1 << 20), "the child copies the large file");
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());

        QCOMPARE(bytesOf(arhiv() + "/orbek.db"), previous);
        QVERIFY(!QFileInfo::exists(arhiv() + "/big.bin"));
        // The next archive clears what the killed one left.
        QFile::remove(dat() + "/big.bin");
        start(false);
        QCOMPARE(partners("Второй день"), 1);
        ArchiveDataFolder();
        QVERIFY(!QFileInfo::exists(arhiv() + "/.orbek-copy"));
        QVERIFY(bytesOf(arhiv() + "/orbek.db") != previous);
    }

    void reindexKeepsDataAndReopensAlsoAfterAnError() {
        start();
        db::Database::Exec("insert into Bank (Klient_id, Schet) values (1, '40702')");
        LogoAppForm->MenuItem("N7")->trigger();
        checkSharedOpen();
        QCOMPARE(scalar("select count(*) from Bank where Klient_id = 1").toInt(), 1);
        QCOMPARE(scalar("pragma integrity_check").toString(), QStringLiteral("ok"));
        // A table gone from the database: the error, and the program usable.
        db::Database::Exec("drop table Sostoyn");
        UiScript::ExpectError();
        LogoAppForm->MenuItem("N7")->trigger();
        QVERIFY(!CopyProgress->isVisible());
        checkSharedOpen();
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], ChildArgument) == 0) {
        db::Database::Open(QString::fromLocal8Bit(argv[2]));
        ArchiveDataFolder();
        return 0;
    }
    DataFolderTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_datafolder.moc"

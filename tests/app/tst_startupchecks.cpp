// The program's start on a data folder it must not use as it is: a refused file ends
// the start with the error box; a read-only file or folder is said so, is read, and a
// write to it is refused in Russian; a second program on a folder already open ends
// without touching the data until the first one is gone, however it ended.
#include "app/LogoMain.h"
#include "controls/Application.h"
#include "controls/Dialogs.h"
#include "controls/UiScript.h"
#include "db/Database.h"
#include "support/FileBytes.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A data folder with one own organisation, closed.
QString prepareFolder(const QTemporaryDir &dir) {
    const QString folder = dir.filePath(QStringLiteral("dat"));
    db::Database::Open(folder);
    db::Database::Exec(QStringLiteral("insert into Klient (Name, FullName, FlSvoy) values ('Ромашка', "
                                      "'ООО \"Ромашка\"', 'T')"));
    db::Database::Close();
    return folder;
}

// Root writes whatever the permission bits say: while this lives, a test run as root
// has the rights of the user "nobody" (real and effective ids, so access() agrees).
struct OrdinaryUser {
    const bool switched = ::geteuid() == 0;
    OrdinaryUser() {
        if (switched && (::setresgid(65534, 65534, 0) != 0 || ::setresuid(65534, 65534, 0) != 0))
            qFatal("cannot take the rights of the user nobody");
    }
    ~OrdinaryUser() {
        if (switched && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0))
            qFatal("cannot be root again");
    }
};

// The first program: started on the folder, it waits until its input closes.
int runFirstProgram(const QString &folder) {
    if (!StartUp(folder)) return 1;
    std::printf("started\n");
    std::fflush(stdout);
    std::getchar();
    ShutDown();
    return 0;
}

} // namespace

class StartUpChecksTest : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void refusedFileEndsTheStart() {
        QTemporaryDir dir;
        const QString folder = prepareFolder(dir);
        db::Database::Open(folder);
        db::Database::Exec(QStringLiteral("PRAGMA user_version = 7"));
        db::Database::Close();
        const QByteArray before = bytesOf(folder + QStringLiteral("/orbek.db"));

        UiScript::ExpectError();
        QVERIFY(!StartUp(folder));
        const UiScript::Message &box = UiScript::Messages().constLast();
        QCOMPARE(box.caption, AppTitle());
        QCOMPARE(box.kind, int(mtError));
        QVERIFY2(box.text.contains(QStringLiteral("записан более новой версией программы (версия данных 7")),
                 qPrintable(box.text));
        QVERIFY(!LogoAppForm && !db::Database::IsOpen());
        QVERIFY(bytesOf(folder + QStringLiteral("/orbek.db")) == before);
    }

    void readOnlyFileOrFolder_data() {
        QTest::addColumn<bool>("folderReadOnly");
        QTest::addColumn<QString>("notice");
        QTest::newRow("file") << false << "Файл базы данных «";
        QTest::newRow("folder") << true << "Папка данных «";
    }
    void readOnlyFileOrFolder() {
        QFETCH(bool, folderReadOnly);
        QFETCH(QString, notice);
        QTemporaryDir dir;
        const QString folder = prepareFolder(dir);
        const QString file = folder + QStringLiteral("/orbek.db");
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        ::chmod(QFile::encodeName(folder).constData(), folderReadOnly ? 0555 : 0777);
        ::chmod(QFile::encodeName(file).constData(), folderReadOnly ? 0666 : 0444);
        const QByteArray before = bytesOf(file);
        const QStringList files = QDir(folder).entryList(QDir::Files);
        {
            OrdinaryUser user;
            UiScript::Answer(mrOk);
            QVERIFY(StartUp(folder));
            const UiScript::Message &warning = UiScript::Messages().constFirst();
            QCOMPARE(warning.kind, int(mtWarning));
            QVERIFY2(
                warning.text.startsWith(notice) &&
                    warning.text.contains(QStringLiteral(
                        "только для чтения: данные можно просматривать и печатать, но изменения сохранить")),
                qPrintable(warning.text));
            QCOMPARE(LogoAppForm->OrganisationName(), QStringLiteral("ООО \"Ромашка\""));
            UiScript::ExpectError(
                QStringLiteral("Данные открыты только для чтения, изменения не сохранены. Чтобы "
                               "сохранять изменения, разрешите запись в папку данных и в файл "
                               "orbek.db и запустите программу снова."));
            QVERIFY(!Guarded([] {
                TTransaction transaction;
                db::Database::Exec(QStringLiteral("update Klient set Name = 'Лютик'"));
                transaction.Commit();
            }));
            ShutDown();
        }
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        QVERIFY(bytesOf(file) == before);
        if (folderReadOnly) QCOMPARE(QDir(folder).entryList(QDir::Files), files);
    }

    // A restore killed midway leaves its copy of the archive hidden in the data folder.
    void startRemovesTheCopyOfAKilledRestore() {
        QTemporaryDir dir;
        const QString folder = prepareFolder(dir), left = folder + QStringLiteral("/.orbek-copy");
        QVERIFY(QDir().mkpath(left) && QFile::copy(folder + "/orbek.db", left + "/.orbek.db.part"));
        QVERIFY(StartUp(folder));
        QVERIFY(!QFileInfo::exists(left));
        ShutDown();
    }

    // An export's copy of the data (or a first archive) killed midway leaves its folder
    // holding only the hidden staging folder; what a copy has put in place stays.
    void startRemovesTheFoldersOfKilledCopies() {
        QTemporaryDir dir;
        const QString folder = prepareFolder(dir), killed = dir.filePath("arhiv-2024-03-20-09-15-30");
        const QString renaming = killed + "-2", left = "/.orbek-copy/.orbek.db.part";
        for (const QString &copy : {killed, renaming, dir.filePath("arhiv")})
            QVERIFY(QDir().mkpath(copy + "/.orbek-copy") && QFile::copy(folder + "/orbek.db", copy + left));
        QVERIFY(QFile::copy(folder + "/orbek.db", renaming + "/orbek.db"));
        QVERIFY(StartUp(folder));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 (QStringList{"arhiv-2024-03-20-09-15-30-2", "dat"}));
        QCOMPARE(QDir(renaming).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"orbek.db"});
        ShutDown();
    }

    void secondProgramOnTheFolder() {
        QTemporaryDir dir;
        const QString folder = prepareFolder(dir);
        QProcess first;
        first.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--first"), folder});
        QVERIFY(first.waitForReadyRead(20000));
        QCOMPARE(first.readLine().trimmed(), QByteArray("started"));
        const QStringList files = QDir(folder).entryList(QDir::Files);
        const QByteArray before = bytesOf(folder + QStringLiteral("/orbek.db"));

        UiScript::ExpectError();
        QVERIFY(!StartUp(folder));
        QVERIFY2(UiScript::Messages().constLast().text.contains(
                     QStringLiteral("уже открыта другой копией программы. Работайте в ней или закройте её")),
                 qPrintable(UiScript::Messages().constLast().text));
        QCOMPARE(QDir(folder).entryList(QDir::Files), files);
        QVERIFY(bytesOf(folder + QStringLiteral("/orbek.db")) == before);

        // Killed, the first program leaves the folder free.
        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished());
        QVERIFY(StartUp(folder));
        QCOMPARE(LogoAppForm->OrganisationName(), QStringLiteral("ООО \"Ромашка\""));
        ShutDown();
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--first")
        return runFirstProgram(QString::fromLocal8Bit(argv[2]));
    StartUpChecksTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startupchecks.moc"

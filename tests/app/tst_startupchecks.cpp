// The program's start on a data folder it must not use as it is: a file it refuses
// ends the start with the error box, a read-only file is said so and the program runs,
// and a second program on a folder already open ends without touching the data until
// the first one is gone, however it ended.
#include "app/LogoMain.h"
#include "controls/Application.h"
#include "controls/Dialogs.h"
#include "controls/UiScript.h"
#include "db/Database.h"
#include "support/OrdinaryUser.h"
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

namespace {

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A data folder with one partner, closed.
QString prepareFolder(const QTemporaryDir &dir) {
    const QString folder = dir.filePath(QStringLiteral("dat"));
    db::Database::Open(folder);
    db::Database::Exec(QStringLiteral("insert into Klient (Name, FullName, FlSvoy) values ('Ромашка', "
                                      "'ООО \"Ромашка\"', 'T')"));
    db::Database::Close();
    return folder;
}

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
        QVERIFY(!LogoAppForm);
        QVERIFY(!db::Database::IsOpen());
        QVERIFY(bytesOf(folder + QStringLiteral("/orbek.db")) == before);
    }

    void readOnlyFileIsSaidAtStart() {
        QTemporaryDir dir;
        const QString folder = prepareFolder(dir);
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        ::chmod(QFile::encodeName(folder).constData(), 0777);
        ::chmod(QFile::encodeName(folder + QStringLiteral("/orbek.db")).constData(), 0444);
        OrdinaryUser user;
        UiScript::Answer(mrOk);
        QVERIFY(StartUp(folder));
        QCOMPARE(UiScript::Messages().size(), 1);
        QCOMPARE(UiScript::Messages()[0].kind, int(mtWarning));
        QVERIFY2(
            UiScript::Messages()[0].text.contains(QStringLiteral("доступен только для чтения: данные можно "
                                                                 "просматривать и печатать")),
            qPrintable(UiScript::Messages()[0].text));
        QCOMPARE(LogoAppForm->OrganisationName(), QStringLiteral("ООО \"Ромашка\""));
        ShutDown();
    }

    void secondProgramOnTheFolder() {
        QTemporaryDir dir;
        const QString folder = prepareFolder(dir);
        QProcess first;
        first.setProgram(QCoreApplication::applicationFilePath());
        first.setArguments({QStringLiteral("--first"), folder});
        first.start();
        QVERIFY(first.waitForStarted());
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

// A process killed in the middle of writing leaves a sound database holding every
// row it reported as saved.
#include "db/Database.h"
#include "db/Query.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>

namespace {

// The child: saves payment orders one by one and reports each saved number.
int runWriter(const QString &folder) {
    db::Database::Open(folder);
    TUpdateSQL upd;
    upd.InsertSQL << "insert into PlatPor (NUMBER, R_NAME, REMARK) values (:NUMBER, :R_NAME, :REMARK)";
    TQuery plat;
    plat.CachedUpdates = true;
    plat.UpdateObject = &upd;
    plat.SQL() << "select * from PlatPor where PlatPor_id = 0";
    plat.Open();
    const QString remark = QString(200, QChar(0x0416));
    for (int n = 1;; ++n) {
        plat.Append();
        plat.FieldByName("NUMBER")->SetAsFloat(n);
        plat.FieldByName("R_NAME")->SetAsString(QStringLiteral("Получатель %1").arg(n));
        plat.FieldByName("REMARK")->SetAsString(remark);
        plat.Post();
        plat.ApplyUpdates();
        plat.CommitUpdates();
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}

} // namespace

class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void killedWriterLeavesSoundDatabase() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/dat");
        db::Database::Open(folder); // create it first, so the child only writes
        db::Database::Close();
        for (int round = 0; round < 3; ++round) {
            QProcess child;
            child.setProgram(QCoreApplication::applicationFilePath());
            child.setArguments({QStringLiteral("--writer"), folder});
            child.start();
            QVERIFY(child.waitForStarted());
            int reported = 0;
            while (reported < 40 * (round + 1)) {
                QVERIFY(child.waitForReadyRead(20000));
                while (child.canReadLine()) reported = child.readLine().trimmed().toInt();
            }
            ::kill(pid_t(child.processId()), SIGKILL);
            child.waitForFinished();

            db::Database::Open(folder);
            QCOMPARE(db::Database::ScalarValue("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
            const int rows = db::Database::ScalarValue("select count(*) from PlatPor").toInt();
            QVERIFY2(rows >= reported, qPrintable(QStringLiteral("%1 rows, %2 reported").arg(rows).arg(reported)));
            // Every stored row is whole.
            QCOMPARE(db::Database::ScalarValue("select count(*) from PlatPor where length(REMARK) <> 200").toInt(), 0);
            db::Database::Exec("delete from PlatPor");
            db::Database::Close();
        }
    }
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--writer") return runWriter(QString::fromLocal8Bit(argv[2]));
    TestCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"

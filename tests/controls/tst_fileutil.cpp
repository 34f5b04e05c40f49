// The file copy with progress, the progress controls driven by property name and the
// reindex of a table: what the archive and restore of the data folder rest on.
#include "controls/FileUtil.h"
#include "controls/ProgressCtl.h"
#include "controls/TableUtils.h"
#include "db/Database.h"
#include "db/Table.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

QByteArray pattern(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 251);
    return bytes;
}

void write(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray read(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A gauge of a class derived from a registered one, remembering what it was set to.
class TWatchedGauge : public TGauge {
    Q_OBJECT
  public:
    using TGauge::TGauge;
    QList<int> positions;
    TWatchedGauge() {
        connect(this, &QProgressBar::valueChanged, this, [this](int v) { positions << v; });
    }
};

} // namespace

class FileUtilTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

  private slots:
    void copyKeepsBytesDateAndShowsProgress_data() {
        QTest::addColumn<qint64>("size");
        QTest::newRow("empty") << qint64(0);
        QTest::newRow("one block exactly") << qint64(CopyBlockSize);
        QTest::newRow("three blocks and a bit") << qint64(3 * CopyBlockSize + 17);
    }
    void copyKeepsBytesDateAndShowsProgress() {
        QFETCH(qint64, size);
        const QByteArray bytes = pattern(size);
        write(path("src.db"), bytes);
        const QDateTime stamp(QDate(2001, 2, 3), QTime(4, 5, 6));
        {
            QFile f(path("src.db"));
            f.open(QIODevice::ReadWrite);
            f.setFileTime(stamp, QFileDevice::FileModificationTime);
        }
        TWatchedGauge gauge;
        gauge.setValue(5);
        gauge.positions.clear();
        // The target's folders are made on the way.
        const QString target = path(QStringLiteral("new/deeper/copy-%1.db").arg(size));
        CopyFileWithProgress(path("src.db"), target, &gauge);
        QCOMPARE(read(target), bytes);
        QCOMPARE(QFileInfo(target).lastModified(), stamp);
        QCOMPARE(gauge.maximum(), int(size));
        QCOMPARE(gauge.value(), 0);
        if (size > 0) QVERIFY(gauge.positions.contains(int(size)));
        QCOMPARE(gauge.positions.constLast(), 0);
        // No temporary file is left beside it.
        QVERIFY(!QFileInfo::exists(CopyTemporaryName(target)));
    }

    void destinationFolderTakesTheSourceName() {
        write(path("Klient.DB"), "partners");
        QDir().mkpath(path("into"));
        CopyFileWithProgress(path("Klient.DB"), path("into"), nullptr);
        QCOMPARE(read(path("into/Klient.DB")), QByteArray("partners"));
    }

    void failuresNameTheFileAndKeepTheTarget() {
        write(path("old.db"), "old contents");
        // A missing source: nothing made.
        try {
            CopyFileWithProgress(path("missing.db"), path("old.db"), nullptr);
            QFAIL("copied a missing file");
        } catch (const EFOpenError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot open file %1").arg(path("missing.db")));
        }
        QCOMPARE(read(path("old.db")), QByteArray("old contents"));
        // A target whose folder cannot be made (a file stands in its way).
        write(path("src.db"), "new contents");
        try {
            CopyFileWithProgress(path("src.db"), path("old.db/inside.db"), nullptr);
            QFAIL("copied under a file");
        } catch (const EFCreateError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot create file %1").arg(path("old.db/inside.db")));
        }
        // A read-only target stays unless overwriting it is asked for.
        QFile::setPermissions(path("old.db"), QFileDevice::ReadOwner);
        QVERIFY_THROWS_EXCEPTION(EFCreateError,
                                 CopyFileWithProgress(path("src.db"), path("old.db"), nullptr));
        QCOMPARE(read(path("old.db")), QByteArray("old contents"));
        CopyFileWithOptions(path("src.db"), path("old.db"), true, nullptr);
        QCOMPARE(read(path("old.db")), QByteArray("new contents"));
    }

    void progressByRegisteredPropertyNames() {
        TProgressBar bar;
        TGauge gauge;
        QProgressBar plain;
        QLabel label;
        QVERIFY(ProgressSetMax(&bar, 100) && ProgressSetPosition(&bar, 40));
        QCOMPARE(bar.value(), 40);
        QVERIFY(ProgressSetMax(&gauge, 10) && ProgressSetMin(&gauge, 2) && ProgressSetPosition(&gauge, 7));
        QCOMPARE(gauge.minimum(), 2);
        QCOMPARE(gauge.value(), 7);
        // Neither registered nor derived from a registered class: not moved, and the
        // copy with it still runs.
        QVERIFY(!ProgressSetPosition(&plain, 3));
        QVERIFY(!ProgressSetMax(&label, 3));
        QVERIFY(!ProgressSetMax(nullptr, 3));
        write(path("p.db"), pattern(20000));
        CopyFileWithProgress(path("p.db"), path("p2.db"), &label);
        QCOMPARE(read(path("p2.db")).size(), 20000);
    }

    void progressFromAWorkerThreadReachesTheControlsThread() {
        TWatchedGauge gauge;
        QThread *worker = QThread::create([&gauge] {
            ProgressSetMax(&gauge, 1000);
            for (int i = 1; i <= 1000; ++i)
                ProgressSetPosition(&gauge, i);
        });
        worker->start();
        worker->wait();
        delete worker;
        QVERIFY(gauge.positions.isEmpty()); // nothing touched the control from the worker
        QCoreApplication::sendPostedEvents(&gauge);
        QCOMPARE(gauge.maximum(), 1000);
        QCOMPARE(gauge.value(), 1000);
    }

    void reindexLeavesTheTableAsItFoundIt() {
        QTemporaryDir dir;
        db::Database::Open(dir.filePath("dat"));
        db::Database::Exec("insert into Sostoyn (NameSost) values ('б'), ('а')");
        TTable closed(nullptr, QStringLiteral("Sostoyn.db"));
        ReindexTableFile(&closed);
        QVERIFY(!closed.Active());
        QVERIFY(!closed.Exclusive);

        TTable open(nullptr, QStringLiteral("Sostoyn.db"));
        open.Open();
        open.Last();
        int changes = 0;
        connect(&open, &TDataSet::dataChanged, this, [&changes] { ++changes; });
        ReindexTableFile(&open);
        QVERIFY(open.Active());
        QVERIFY(!open.ControlsDisabled());
        QCOMPARE(open.RecNo(), 0);
        QCOMPARE(changes, 1); // told once, when the controls were enabled again

        // A table that is not there: the error, with the controls enabled again.
        TTable missing(nullptr, QStringLiteral("Nothing.db"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ReindexTableFile(&missing));
        QVERIFY(!missing.ControlsDisabled());
        db::Database::Close();
    }
};

QTEST_MAIN(FileUtilTest)
#include "tst_fileutil.moc"

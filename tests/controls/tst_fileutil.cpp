// The file copy with progress, the progress controls driven by property name and the
// reindex of a table: what the archive and restore of the data folder rest on.
#include "controls/FileUtil.h"
#include "controls/ProgressCtl.h"
#include "controls/TableUtils.h"
#include "controls/UiScript.h"
#include "db/Database.h"
#include "db/Table.h"

#include <QLabel>
#include <QPushButton>
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

    QString sub(const QString &folder, const QString &name) const { return path(folder + '/' + name); }
    // A silent operation: no progress window to drive.
    static bool run(TFileOperation operation, const QString &source, const QString &destination,
                    TFileOperFlags options = flAllowUndo | flNoConfirmMkDir | flSilent) {
        TFileOperator op;
        op.Operation = operation;
        op.Source = source;
        op.Destination = destination;
        op.Options = options;
        return op.Execute();
    }

    // The next progress windows run to their end.
    static void letRun(int windows = 1) {
        for (int i = 0; i < windows; ++i)
            UiScript::OnShow<TFileOperProgress>([](TFileOperProgress *w) { w->Run(); });
    }

  private slots:
    void init() { UiScript::Reset(); }
    void cleanup() { QVERIFY2(UiScript::Clean(), qPrintable(UiScript::Problems())); }

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
            QCOMPARE(e.message(), QStringLiteral("Не удалось открыть файл «%1».").arg(path("missing.db")));
        }
        QCOMPARE(read(path("old.db")), QByteArray("old contents"));
        // A target whose folder cannot be made (a file stands in its way).
        write(path("src.db"), "new contents");
        try {
            CopyFileWithProgress(path("src.db"), path("old.db/inside.db"), nullptr);
            QFAIL("copied under a file");
        } catch (const EFCreateError &e) {
            QCOMPARE(e.message(),
                     QStringLiteral("Не удалось создать файл «%1».").arg(path("old.db/inside.db")));
        }
        // A read-only target stays unless overwriting it is asked for.
        QFile::setPermissions(path("old.db"), QFileDevice::ReadOwner);
        QVERIFY_THROWS_EXCEPTION(EFCreateError,
                                 CopyFileWithProgress(path("src.db"), path("old.db"), nullptr));
        QCOMPARE(read(path("old.db")), QByteArray("old contents"));
        CopyFileWithOptions(path("src.db"), path("old.db"), true, nullptr);
        QCOMPARE(read(path("old.db")), QByteArray("new contents"));
    }

    // The copy written where every write finds the disk full.
    void fullDiskSaysSo() {
        write(path("big.db"), pattern(3 * CopyBlockSize));
        QVERIFY(QFile::link("/dev/full", CopyTemporaryName(path("full.db"))));
        try {
            CopyFileWithProgress(path("big.db"), path("full.db"), nullptr);
            QFAIL("copied onto a full disk");
        } catch (const EWriteError &e) {
            QCOMPARE(e.message(), QStringLiteral("Не удалось записать файл «%1»: на диске не осталось места. "
                                                 "Освободите место на диске и повторите.")
                                      .arg(path("full.db")));
        }
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

    void copyAsksBeforeReplacingAndMakingFolders() {
        QDir().mkpath(path("c"));
        write(sub("c", "a.db"), "a");
        write(sub("c", "b.db"), "b");
        // Two names by ";" into a folder made without asking, in the titled window.
        UiScript::OnShow<TFileOperProgress>([this](TFileOperProgress *w) {
            QCOMPARE(w->windowTitle(), QStringLiteral("Архив"));
            QCOMPARE(w->FileName->text(), sub("c", "a.db"));
            w->Run();
        });
        TFileOperator op;
        op.Source = sub("c", "a.db") + ';' + sub("c", "b.db");
        op.Destination = path("out/new");
        op.ProgressTitle = QStringLiteral("Архив");
        QVERIFY(op.Execute() && !op.Aborted());
        QCOMPARE(read(sub("out/new", "a.db")) + read(sub("out/new", "b.db")), QByteArray("ab"));

        // "Нет" to the replace question keeps the old file; the next one is still replaced.
        write(sub("out/new", "a.db"), "old");
        write(sub("c", "b.db"), "b2");
        UiScript::Answer(mrNo,
                         QStringLiteral("Файл «%1» уже есть. Заменить его?").arg(sub("out/new", "a.db")));
        UiScript::Answer(mrYes);
        QVERIFY(!run(foCopy, path("c/*.db"), path("out/new")));
        QCOMPARE(read(sub("out/new", "a.db")), QByteArray("old"));
        QCOMPARE(read(sub("out/new", "b.db")), QByteArray("b2"));
        // A free name instead: nothing asked, nothing replaced.
        QVERIFY(run(foCopy, sub("c", "a.db"), path("out/new"), flRenameOnCollision | flSilent));
        QCOMPARE(read(sub("out/new", "a.db")), QByteArray("old"));
        QCOMPARE(read(sub("out/new", "a (2).db")), QByteArray("a"));
        // Without flNoConfirmMkDir the missing folder is asked for; "Нет" makes nothing.
        UiScript::Answer(mrNo, QStringLiteral("Папки «%1» нет. Создать её?").arg(path("out/asked")));
        QVERIFY(!run(foCopy, sub("c", "a.db") + '|' + sub("c", "b.db"), path("out/asked"), flSilent));
        QVERIFY(!QFileInfo::exists(path("out/asked")));
        // A missing source is told in the error box.
        UiScript::ExpectError(QStringLiteral("Не найден файл или папка «%1».").arg(sub("c", "none.db")));
        QVERIFY(!run(foCopy, sub("c", "none.db"), path("out")));
    }

    void moveRenamesInItsFolderAndDeleteGoesToTheTrash() {
        // Across folders, a folder with what is in it; in the same folder, a new name.
        QDir().mkpath(path("m/tree/inner"));
        write(sub("m/tree/inner", "x.db"), "x");
        write(sub("m", "y.db"), "y");
        letRun(2);
        ShellCopyMoveFile(path("m/tree"), path("moved/tree"), true, false, true);
        QCOMPARE(read(sub("moved/tree/inner", "x.db")), QByteArray("x"));
        QVERIFY(!QFileInfo::exists(path("m/tree")));
        ShellCopyMoveFile(sub("m", "y.db"), sub("m", "Y2.db"), true, false, true);
        QCOMPARE(read(sub("m", "Y2.db")), QByteArray("y"));
        QVERIFY(!QFileInfo::exists(sub("m", "y.db")));
        // A replace question answered "Отмена": the silent abort, both files as they were.
        write(sub("m", "z.db"), "z");
        UiScript::Answer(mrCancel);
        letRun();
        QVERIFY_THROWS_EXCEPTION(EAbort,
                                 ShellCopyMoveFile(sub("m", "z.db"), sub("m", "Y2.db"), true, false, true));
        QCOMPARE(read(sub("m", "z.db")) + read(sub("m", "Y2.db")), QByteArray("zy"));

        // To the trash, asked first; a trash that cannot be made keeps the file.
        QDir().mkpath(path("data"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        UiScript::Answer(mrYes, QStringLiteral("Переместить «z.db» в корзину?"));
        letRun();
        QVERIFY(run(foDelete, sub("m", "z.db"), QString(), flAllowUndo));
        QVERIFY(!QFileInfo::exists(sub("m", "z.db")));
        QCOMPARE(read(sub("data/Trash/files", "z.db")), QByteArray("z"));
        // (the current folder is where such a file would land)
        write(path("blocker"), "a file where the trash would be");
        const QString current = QDir::currentPath();
        QDir::setCurrent(path("m"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("blocker/data")));
        UiScript::ExpectError(
            QStringLiteral("Не удалось переместить «%1» в корзину.").arg(sub("m", "Y2.db")));
        QVERIFY(!run(foDelete, sub("m", "Y2.db"), QString(), flAllowUndo | flNoConfirmation | flSilent));
        QVERIFY(!run(foDelete, sub("m", "Y2.db"), QString(),
                     flAllowUndo | flNoConfirmation | flSilent | flNoErrorUI));
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(read(sub("m", "Y2.db")), QByteArray("y"));
        QVERIFY(!QFileInfo::exists(sub("m", "files")) && !QFileInfo::exists(sub("m", "info")));
        QDir::setCurrent(current);
        // Without undo the folder goes with what is in it.
        QVERIFY(run(foDelete, path("moved"), QString(), flNoConfirmation | flSilent));
        QVERIFY(!QFileInfo::exists(path("moved")));
    }

    void cancelInTheProgressWindowLeavesTheRestAlone() {
        QDir().mkpath(path("k"));
        for (const char *name : {"1.db", "2.db", "3.db"})
            write(sub("k", name), name);
        UiScript::OnShow<TFileOperProgress>([](TFileOperProgress *w) {
            QVERIFY(w->FileName->isHidden()); // simple progress: no names
            QVERIFY(w->Step());
            QCOMPARE(w->Gauge->value(), 1);
            w->CancelButton->click();
        });
        TFileOperator op;
        op.Operation = foMove;
        op.Source = path("k/*.db");
        op.Destination = path("to");
        op.Options |= flSimpleProgress;
        QVERIFY(!op.Execute());
        QVERIFY(op.Aborted());
        QCOMPARE(read(sub("to", "1.db")), QByteArray("1.db"));
        QCOMPARE(read(sub("k", "2.db")) + read(sub("k", "3.db")), QByteArray("2.db3.db"));
        QVERIFY(!QFileInfo::exists(sub("to", "2.db")));
        // Shown for real, the window runs the rest by itself and closes.
        UiScript::Activate(false);
        const bool done = op.Execute();
        UiScript::Activate(true);
        QVERIFY(done && !op.Aborted());
        QCOMPARE(read(sub("to", "3.db")), QByteArray("3.db"));
        QVERIFY(!QFileInfo::exists(sub("k", "2.db")));
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

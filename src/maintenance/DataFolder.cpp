#include "maintenance/DataFolder.h"

#include "app/LogoMain.h"
#include "app/UConfig.h"
#include "controls/Dialogs.h"
#include "controls/FileUtil.h"
#include "controls/OpenDialog.h"
#include "controls/ProgressCtl.h"
#include "controls/TableUtils.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "ledger/UProvodka.h"
#include "maintenance/UCopyProgress.h"
#include "refbooks/UAllBank.h"
#include "refbooks/USlPoluch.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

// Where a copy of several files is gathered before it replaces anything.
const QString StagingName = QStringLiteral(".orbek-copy");
// What the name of a copy made before a command replaces data adds to the archive's.
const QString SafetyCopySuffix = QStringLiteral("-yyyy-MM-dd-HH-mm-ss");

QString dataFolder() {
    return QFileInfo(QDir::cleanPath(db::Database::Folder())).absoluteFilePath();
}

QString native(const QString &path) {
    return QDir::toNativeSeparators(path);
}

// The shared datasets that exist, in the order they are reopened: bank directory, chart
// of accounts, partners, settings.
QList<TDataSet *> sharedInReopenOrder() {
    const QList<TDataSet *> shared = SharedDataSets();
    QList<TDataSet *> order;
    for (int i : {0, 3, 2, 1})
        if (i < shared.size() && shared[i]) order << shared[i];
    return order;
}

// Opens each dataset in turn: every one is tried, the first error is thrown afterwards.
void openEach(const QList<TDataSet *> &dataSets) {
    std::exception_ptr first;
    for (TDataSet *ds : dataSets) {
        try {
            ds->Open();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

// The database closed for copying: every dataset that was open is reopened with it,
// the shared ones first, in their order, and masters before their details.
class ClosedDatabase {
  public:
    ClosedDatabase() {
        for (TDataSet *ds : db::Database::Suspend())
            m_open << ds;
    }
    ~ClosedDatabase() {
        if (m_reopened) return;
        // Already on the way out with an error: a failure to reopen is shown beside it.
        Guarded([this] { Reopen(); });
    }
    ClosedDatabase(const ClosedDatabase &) = delete;
    ClosedDatabase &operator=(const ClosedDatabase &) = delete;

    // The database file is about to be replaced by one whose pages were checked.
    void Replacing() { m_check = db::Database::ReopenCheck::TablesOnly; }

    void Reopen() {
        m_reopened = true;
        db::Database::Resume(m_check);
        QList<TDataSet *> order = sharedInReopenOrder();
        QList<TDataSet *> rest;
        for (const QPointer<TDataSet> &ds : std::as_const(m_open))
            if (ds && !order.contains(ds.data())) rest << ds.data();
        // Masters first: a detail waits for its master when the master is still to come.
        while (!rest.isEmpty()) {
            bool moved = false;
            for (int i = 0; i < rest.size(); ++i) {
                TDataSet *master = rest[i]->MasterSource() ? rest[i]->MasterSource()->DataSet() : nullptr;
                if (!master || !rest.contains(master)) {
                    order << rest.takeAt(i);
                    moved = true;
                    break;
                }
            }
            if (!moved) order << rest.takeFirst();
        }
        QList<TDataSet *> closed;
        for (TDataSet *ds : order) {
            bool wasOpen = false;
            for (const QPointer<TDataSet> &open : std::as_const(m_open))
                wasOpen |= open.data() == ds;
            if (wasOpen && !ds->Active()) closed << ds;
        }
        openEach(closed);
    }

  private:
    QList<QPointer<TDataSet>> m_open;
    bool m_reopened = false;
    db::Database::ReopenCheck m_check = db::Database::ReopenCheck::None;
};

// The hidden folder inside `to` where copies are gathered before they replace anything;
// what a killed run left there is cleared first.
QString makeStaging(const QString &to) {
    const QString staging = QDir(to).filePath(StagingName);
    QDir(staging).removeRecursively();
    if (!QDir().mkpath(staging))
        throw EOrbekError(QStringLiteral("Не удалось создать папку «%1»").arg(native(to)));
    return staging;
}

// On the progress window's worker: copies the files from one folder into the staging
// folder, showing each name.
void copyInto(const QString &from, const QStringList &files, const QString &staging, TCopyProgress *window) {
    for (const QString &name : files) {
        window->ShowFileName(name);
        CopyFileWithProgress(QDir(from).filePath(name), QDir(staging).filePath(name), window->Gauge1);
    }
}

// Renames the staged files over those of the folder, then removes the staging folder.
void moveIntoPlace(const QString &staging, const QStringList &files, const QString &folder) {
    for (const QString &name : files) {
        const QByteArray from = QFile::encodeName(QDir(staging).filePath(name));
        const QByteArray to = QFile::encodeName(QDir(folder).filePath(name));
        if (std::rename(from.constData(), to.constData()) != 0)
            throw EOrbekError(
                QStringLiteral("Не удалось записать файл «%1»").arg(native(QDir(folder).filePath(name))));
    }
    SyncFolder(folder);
    QDir(staging).removeRecursively();
}

// Runs a copy step and puts the lead of the command's failure before its message.
template <class F> void failingWith(const QString &lead, F step) {
    try {
        step();
    } catch (const EAbort &) {
        throw;
    } catch (const EOrbekError &e) {
        throw EOrbekError(lead + e.message(), e.detail());
    }
}

// The copy of the data folder's database failed its check: the database itself is
// damaged, and a copy of it must not take the place of a good one.
[[noreturn]] void refuseDamagedCopy(const QString &folder, const QString &fault) {
    const QString previous = QDir(ArchiveFolder()).filePath(db::Database::fileName());
    throw EOrbekError(
        QStringLiteral("Копия базы данных «%1» не прошла проверку: база данных повреждена. ")
                .arg(native(QDir(folder).filePath(db::Database::fileName()))) +
            (QFileInfo(previous).isFile()
                 ? QStringLiteral("Восстановите данные из архива командой «Восстановление из архива».")
                 : QStringLiteral("Обратитесь к тому, кто обслуживает программу.")),
        fault);
}

// Copies every file of the data folder into `target` behind the progress window: the
// files are gathered in a staging folder inside it, the copy of the database must pass
// the full integrity check, and only then do they replace those of `target`. A failure
// leaves `target` as it was (no folder, when there was none) and heads its message
// with `lead`.
void copyDataFolderInto(const QString &target, const QString &caption, const QString &lead) {
    KeepCurrentDirectory keep;
    const QString folder = dataFolder();
    ClosedDatabase closed;
    const QStringList files = DataFiles(folder);
    const bool made = !QFileInfo::exists(target);
    failingWith(lead, [&] {
        if (!QDir().mkpath(target))
            throw EOrbekError(QStringLiteral("Не удалось создать папку «%1»").arg(native(target)));
        const QString staging = makeStaging(target);
        TCopyProgress *window = CopyProgressWindow();
        QString fault;
        try {
            window->Run(caption, [&] {
                copyInto(folder, files, staging, window);
                window->ShowChecking(QStringLiteral("Проверка копии базы данных"));
                fault = db::Database::CheckFile(QDir(staging).filePath(db::Database::fileName()));
            });
            if (!fault.isEmpty()) refuseDamagedCopy(folder, fault);
            moveIntoPlace(staging, files, target);
        } catch (...) {
            QDir(made ? target : staging).removeRecursively();
            throw;
        }
    });
    closed.Reopen();
}

// Removes the staging folder a killed copy left in `folder`, and `folder` itself when
// nothing else is in it (the copy had made it); a finished copy stays as it is.
void removeUnfinishedCopy(const QString &folder) {
    QDir staging(QDir(folder).filePath(StagingName));
    if (!staging.exists()) return;
    staging.removeRecursively();
    QDir().rmdir(folder); // only when empty
}

} // namespace

// ---- The shared datasets ---------------------------------------------------------------

QList<TDataSet *> SharedDataSets() {
    QList<TDataSet *> shared;
    shared << (AllBank ? AllBank->Table1 : nullptr);
    shared << (Config ? Config->Conf : nullptr);
    shared << (SlPoluch ? SlPoluch->Klient : nullptr);
    shared << (Provodka ? Provodka->PlSch : nullptr);
    return shared;
}

void CloseSharedDataSets() {
    for (TDataSet *ds : SharedDataSets())
        if (ds) ds->Close();
}

void ReopenSharedDataSets() {
    openEach(sharedInReopenOrder());
}

// ---- Files ---------------------------------------------------------------------------------

QString ArchiveFolder() {
    return QFileInfo(dataFolder()).absolutePath() + QStringLiteral("/arhiv");
}

QStringList DataFiles(const QString &folder) {
    QStringList files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        if (!db::Database::IsServiceFile(name)) files << name;
    return files;
}

// ---- Archive and restore -------------------------------------------------------------------

void ArchiveDataFolder() {
    const bool previous = !DataFiles(ArchiveFolder()).isEmpty();
    copyDataFolderInto(ArchiveFolder(), QStringLiteral("Создание архива"),
                       previous ? QStringLiteral("Архив не создан, прежний архив не изменен.\n")
                                : QStringLiteral("Архив не создан.\n"));
}

QString SafetyCopyFolder() {
    const QString base = ArchiveFolder() + Clock::now().toString(SafetyCopySuffix);
    QString folder = base;
    for (int n = 2; QFileInfo::exists(folder); ++n)
        folder = base + QStringLiteral("-%1").arg(n);
    return folder;
}

void SafetyCopyDataFolder(const QString &folder) {
    copyDataFolderInto(folder, QStringLiteral("Копия данных"),
                       QStringLiteral("Копия данных не сделана, данные не изменены.\n"));
}

void RemoveUnfinishedCopies() {
    QDir(QDir(dataFolder()).filePath(StagingName)).removeRecursively();
    removeUnfinishedCopy(ArchiveFolder());
    // The copies made before a command replaced data: "arhiv-" and a date and time,
    // "-2", "-3"... after it when the name was taken.
    const QFileInfo archive(ArchiveFolder());
    const QRegularExpression dated(QLatin1Char('^') + QRegularExpression::escape(archive.fileName()) +
                                   QStringLiteral("-\\d{4}(-\\d\\d){5}(-\\d+)?$"));
    const QDir beside = archive.absoluteDir();
    for (const QString &name : beside.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (dated.match(name).hasMatch()) removeUnfinishedCopy(beside.filePath(name));
}

void RestoreDataFolder() {
    KeepCurrentDirectory keep;
    const QString folder = dataFolder(), archive = ArchiveFolder();
    const QString lead = QStringLiteral("Данные не восстановлены, папка данных не изменена.\n");
    const QStringList files = DataFiles(archive);
    if (!QFileInfo(archive).isDir())
        throw EOrbekError(lead + QStringLiteral("Архива нет: папка «%1» не найдена").arg(native(archive)));
    if (!files.contains(db::Database::fileName()))
        throw EOrbekError(lead + QStringLiteral("В архиве «%1» нет файла базы данных %2")
                                     .arg(native(archive), db::Database::fileName()));
    // The archive is copied beside the data while its database is checked; the data
    // and the program stay as they are until both have ended well.
    QString staging, fault;
    failingWith(lead, [&] {
        staging = makeStaging(folder);
        TCopyProgress *window = CopyProgressWindow();
        try {
            window->Run(QStringLiteral("Восстановление из архива"), [&] {
                std::atomic<bool> checked = false;
                std::jthread check([&] {
                    try {
                        fault = db::Database::CheckFile(QDir(archive).filePath(db::Database::fileName()));
                    } catch (...) {
                        fault = QStringLiteral("Архив не читается.");
                    }
                    checked = true;
                });
                copyInto(archive, files, staging, window);
                if (!checked) window->ShowChecking(QStringLiteral("Проверка архива"));
            });
        } catch (...) {
            QDir(staging).removeRecursively();
            throw;
        }
    });
    if (!fault.isEmpty()) {
        QDir(staging).removeRecursively();
        throw EOrbekError(lead + QStringLiteral("Архив не годится: %1 Продолжайте работу с текущими данными "
                                                "и создайте новый архив командой «Создание архива».")
                                     .arg(fault));
    }

    ClosedDatabase closed;
    closed.Replacing();
    failingWith(lead, [&] {
        // Nothing of the replaced database may stay beside the restored one.
        for (const char *suffix : {"-wal", "-shm", "-journal"})
            QFile::remove(QDir(folder).filePath(db::Database::fileName() + QLatin1String(suffix)));
        moveIntoPlace(staging, files, folder);
    });
    closed.Reopen();
}

void ReindexDataFolder() {
    const QList<TTable *> tables = {LogoAppForm->Table1,  LogoAppForm->Table2,  LogoAppForm->Table3,
                                    LogoAppForm->Table4,  LogoAppForm->Table5,  LogoAppForm->Table6,
                                    LogoAppForm->Table7,  LogoAppForm->Table8,  LogoAppForm->Table9,
                                    LogoAppForm->Table10, LogoAppForm->Table11, LogoAppForm->Table12,
                                    LogoAppForm->Table13, LogoAppForm->Table14};
    TCopyProgress *window = CopyProgressWindow();
    window->Begin(QStringLiteral("Переиндексация"));
    window->Gauge1->setRange(0, int(tables.size()));
    CloseSharedDataSets();
    try {
        for (TTable *table : tables) {
            window->Step(table->TableName());
            ReindexTableFile(table);
            window->Gauge1->setValue(window->Gauge1->value() + 1);
        }
    } catch (...) {
        window->End();
        Guarded([] { ReopenSharedDataSets(); });
        throw;
    }
    window->End();
    ReopenSharedDataSets();
}

// ---- Commands -------------------------------------------------------------------------------

void ArchiveCommand() {
    if (MessageDlg(QStringLiteral("Создать архив?"), mtConfirmation, mbYesNo) != mrYes) return;
    ArchiveDataFolder();
}

void RestoreCommand() {
    if (MessageDlg(QStringLiteral("Восстанавливать данные из архива?"), mtConfirmation, mbYesNo) != mrYes)
        return;
    RestoreDataFolder();
    // The own organisation of the restored data, as the main window takes it at start.
    LogoAppForm->FormShow();
}

void ReindexCommand() {
    ReindexDataFolder();
}

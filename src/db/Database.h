#pragma once
// The program's one database: a single SQLite file in dat/ below the current
// directory holding every table of the data folder. Opened at start-up (created from
// the schema when missing), closed and reopened by the maintenance commands. Its SQL
// texts may use okrugl(amount), the amount rounded to whole kopecks by RoundToKopecks:
// the reports sum stored money through it, so a sum adds the figures as they print.
#include "db/Errors.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

struct sqlite3;
class TDataSet;

namespace db {

class Statement;

class Database {
public:
    // The file inside the data folder.
    static QString fileName() { return QStringLiteral("orbek.db"); }

    // The schema this program reads and writes, recorded in the file (user_version)
    // beside the program's mark (application_id). A file of a higher version is
    // refused; a file without the mark is one written before files were marked and is
    // marked when opened for writing. When a table's fields change, raise the version
    // and add the step that brings a file of the version before up to it.
    static constexpr int SchemaVersion = 1;
    static constexpr quint32 ApplicationId = 0x4F52424B; // "ORBK"

    // Opens the database of the folder (default: dat/ below the current directory).
    // A missing folder or database is created with every table and the settings row.
    // Before anything is written: the folder is locked for this process (a second
    // program on it is refused; the lock goes with the process), and an existing file
    // is checked: not this program's database, from a newer version, a table lacking
    // a field, or a failed integrity check are refused with a Russian sentence and the
    // file is left byte for byte as it was. A table missing from a file that is
    // otherwise ours is created. A file or folder that cannot be written is opened
    // read-only (see ReadOnlyNotice). Throws EDatabaseError.
    static void Open(const QString &folder = QStringLiteral("dat"));
    // Closes every open dataset first (their datasets can be reopened afterwards), and
    // lets go of the folder.
    static void Close();
    static bool IsOpen();
    static QString Folder();
    // Open for reading only: the sentence to tell the user at start-up; empty when the
    // data can be written.
    static QString ReadOnlyNotice();
    static sqlite3 *handle(); // throws when closed

    // The data folder as files, for archive and restore. Suspend finishes every reader,
    // writes the write-ahead log into the database file, closes every open dataset and
    // the connection, and returns the datasets that were open: the folder then holds one
    // closed database file that may be copied or replaced, and stays locked by this
    // program. It throws EDatabaseError, with the database left open, inside a
    // transaction or when another program keeps the log from being emptied. Resume
    // opens the folder's file again, checked as the caller says; reopening the datasets
    // is the caller's.
    static QList<TDataSet *> Suspend();
    enum class ReopenCheck {
        AsAtStartUp, // a file put in place from elsewhere
        TablesOnly,  // a file whose every page passed CheckFile: its tables completed as at start-up
        None,        // the very file Suspend closed, unchanged
    };
    static void Resume(ReopenCheck check = ReopenCheck::AsAtStartUp);
    // Files of the data folder that belong to an open database rather than to the data:
    // the write-ahead log, its shared memory, a rollback journal. Never archived or
    // restored.
    static bool IsServiceFile(const QString &fileName);
    // Checks a database file that is not open, without changing it: that it is this
    // program's database, of a version this program reads, and passes SQLite's full
    // integrity check. Returns an empty text when it does, else the Russian sentence of
    // what is wrong with the file, without advice: the caller says what to do. Safe on
    // any thread.
    static QString CheckFile(const QString &path);

    // Runs a statement with positional values (for the engine and maintenance code).
    static void Exec(const QString &sql, const QVariantList &binds = {});
    static QVariant ScalarValue(const QString &sql, const QVariantList &binds = {});
    static qint64 LastInsertRowId();
    static bool InTransaction();

    // Russian text order used by indexes, ORDER BY, FindNearest and SetRange:
    // Cyrillic alphabet order (Ё after Е), case after the letter (lower first),
    // other characters by code. Returns <0, 0, >0.
    static int CompareText(const QString &a, const QString &b);

    // A dataset reading forwards from an offset keeps its statement open between
    // batches; before any write it lets go of it (and later resumes at its offset), so
    // no statement runs across a write and a write never waits for a read.
    static void registerReader(TDataSet *dataSet, std::function<void()> suspend);
    static void unregisterReader(TDataSet *dataSet);
    static void suspendReaders();
    // Grows with every row written or rolled back: a dataset whose rows were read at
    // another value re-reads what lies beyond the rows it holds.
    static qint64 DataGeneration();
    static void registerDataSet(TDataSet *dataSet);
    static void unregisterDataSet(TDataSet *dataSet);

    // Exclusive use of a table within the process: Acquire throws EDatabaseError with a
    // Russian message when another dataset holds the table in a conflicting way.
    static void AcquireTable(const QString &sqlName, TDataSet *user, bool exclusive);
    static void ReleaseTable(const QString &sqlName, TDataSet *user);

    // Datasets whose cached rows were applied inside the running transaction, so a
    // rollback can return them to "not applied".
    static void noteAppliedInTransaction(TDataSet *dataSet);
};

// Groups several writes into one transaction: everything or nothing. Destroyed
// without Commit it rolls back, and datasets that applied cached rows inside it get
// them back as pending. The outermost one takes the write lock first (a write that
// starts as a read could not wait for another writer), waiting a few seconds while
// another program holds it; inner ones nest as savepoints.
class TTransaction {
public:
    TTransaction();
    ~TTransaction();
    TTransaction(const TTransaction &) = delete;
    TTransaction &operator=(const TTransaction &) = delete;
    void Commit();

private:
  QString m_savepoint; // empty for the outermost transaction
  bool m_done = false;
};

} // namespace db

using db::TTransaction;

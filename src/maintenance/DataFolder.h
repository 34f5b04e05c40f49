#pragma once
// The data folder as a whole: its archive in "arhiv" beside it, the restore from that
// archive, the rebuilding of the tables' indexes, and the datasets that stay open while
// the program runs, which these commands close and reopen.
#include <QList>
#include <QString>
#include <QStringList>

class TDataSet;

// ---- The datasets open for the whole run ------------------------------------------
// The bank directory, the settings, the partners and the chart of accounts, in the
// order they are closed. The one place that names them.
QList<TDataSet *> SharedDataSets();
// Reopened in the order: bank directory, chart of accounts, partners, settings. Every
// one is tried; the first error is thrown afterwards.
void ReopenSharedDataSets();
void CloseSharedDataSets();

// ---- Files ---------------------------------------------------------------------------
// The archive folder: "arhiv" beside the data folder.
QString ArchiveFolder();
// The files of a folder that archive and restore copy: ordinary files (not hidden, no
// folders, none that belongs to a running program, see Database::IsServiceFile) in
// name order.
QStringList DataFiles(const QString &folder);

// ---- The work of the commands ------------------------------------------------------
// Copies every file of the data folder into the archive folder, behind the progress
// window. Every connection to the database is closed meanwhile and reopened with every
// dataset that was open, also after an error. The archive is replaced only when every
// file has been copied and flushed and the copy of the database has passed the full
// integrity check: a damaged database, an error or a killed program leaves the previous
// archive as it was. Throws EOrbekError with a Russian message.
void ArchiveDataFolder();
// The copy of the data made before a command replaces some of them goes to a folder of
// its own beside the archive, never over the archive: "arhiv-" and the date and time
// of the clock, "-2", "-3"... added when that name is taken. The name is given before
// the copy, so the command's question can say where it goes.
QString SafetyCopyFolder();
// Copies the data folder into that folder as the archive is made, checked alike; a
// failure leaves no such folder behind. Throws EOrbekError.
void SafetyCopyDataFolder(const QString &folder);
// What a copy killed midway left hidden in the data folder or the archive folder (the
// staging folder of a restore or an archive): removed at start-up, once the data folder
// is this program's.
void RemoveUnfinishedCopies();
// Restores the archive's files into the data folder, all or nothing: first it checks
// that the archive holds the database and that the archived database opens and passes
// an integrity check, and says what is wrong, changing nothing, when it does not;
// then it copies the files beside the data and renames them over it. Connections and
// datasets as for the archive. Throws EOrbekError.
void RestoreDataFolder();
// Rebuilds the indexes of the main window's Table1 to Table14 with the shared datasets
// closed; they are reopened also after an error.
void ReindexDataFolder();

// ---- The commands of the menu "Администратор" -------------------------------------
void ArchiveCommand(); // "Создание архива"
void RestoreCommand(); // "Восстановление из архива"
void ReindexCommand(); // "Переиндексация"

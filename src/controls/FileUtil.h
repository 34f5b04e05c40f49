#pragma once
// Copying one file in blocks while a progress control shows how far it got, and the
// file operation (copy, move, rename, delete of files and folders) with its own
// progress window and questions.
//
// A copy never destroys what it replaces: the target is written beside it under a
// hidden temporary name, flushed to the disk, given the source's modification time and
// only then renamed over the old file. A copy that fails midway, or a process killed
// in the middle of one, leaves the old target as it was.
#include "controls/Forms.h"
#include "db/Errors.h"

#include <QFlags>

#include <functional>

class QLabel;
class QObject;
class QPushButton;
class TProgressBar;

// The failures of a copy, each with its own text.
class EFOpenError : public EOrbekError {
  public:
    using EOrbekError::EOrbekError;
};
class EFCreateError : public EOrbekError {
  public:
    using EOrbekError::EOrbekError;
};
class EReadError : public EOrbekError {
  public:
    using EOrbekError::EOrbekError;
};
class EWriteError : public EOrbekError {
  public:
    using EOrbekError::EOrbekError;
};

// Bytes read and written at a time.
inline constexpr int CopyBlockSize = 8192;

// CopyFileWithOptions without overwriting a read-only target.
void CopyFileWithProgress(const QString &source, const QString &destination, QObject *progress);

// Copies `source` to `destination`, or into it under the source's name when it names
// an existing folder; the target's missing folders are made first. A read-only target
// is replaced only when `overwriteReadOnly` (its flag is cleared), else the copy fails
// as a target that cannot be made. The progress control (see ProgressCtl; nullptr for
// none, any thread) runs from 0 to the source's size and returns to 0 at the end, also
// after an error. Throws, each with a Russian sentence naming the file and the system's
// words as detail: EFOpenError (the source cannot be opened), EFCreateError (the target
// cannot be made), EReadError or EWriteError; a full disk is said so.
// With `useShellDialog` the copy is a TFileOperator run instead (ShellCopyMoveFile, no
// undo, the replace question unless read-only targets may be overwritten) with its own
// progress window; `progress` is not used then. The program's commands use the block copy.
void CopyFileWithOptions(const QString &source, const QString &destination, bool overwriteReadOnly,
                         QObject *progress, bool useShellDialog = false);

// The hidden temporary name beside `target` that a copy writes before renaming.
QString CopyTemporaryName(const QString &target);

// Flushes the entries of `folder` to the disk, so that a rename in it survives a power cut.
void SyncFolder(const QString &folder);

// ---- The file operation ------------------------------------------------------------
enum TFileOperation { foCopy, foDelete, foMove, foRename };
enum TFileOperFlag {
    flAllowUndo = 0x40,        // delete moves to the desktop's trash
    flConfirmMouse = 0x2,      // kept for stored settings; changes nothing
    flFilesOnly = 0x80,        // a wildcard takes files only, not folders
    flMultiDest = 0x1,         // the n-th destination is the target of the n-th source
    flNoConfirmation = 0x10,   // replace and delete without asking
    flNoConfirmMkDir = 0x200,  // make missing destination folders without asking
    flRenameOnCollision = 0x8, // a target in the way: the copy takes a free name "name (2).ext"
    flSilent = 0x4,            // no progress window
    flSimpleProgress = 0x100,  // the progress window without the file names
    flNoErrorUI = 0x400,       // a failure only makes Execute return false
};
Q_DECLARE_FLAGS(TFileOperFlags, TFileOperFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFileOperFlags)

// Copies, moves, renames or deletes the files and folders named in Source (names
// separated by ";" or "|", wildcards allowed in the last part of a name) into the
// Destination (the same kind of list). One destination takes every source: it is a
// folder when it exists as one, ends in "/", or takes several sources or a wildcard;
// else it is the new name of the one source. With flMultiDest the n-th destination is
// the n-th source's target. A rename is a move. Folders are done file by file; a folder
// moved or deleted goes once it is empty, so nothing is lost when the run stops midway.
class TFileOperator : public QObject {
    Q_OBJECT
  public:
    explicit TFileOperator(QObject *owner = nullptr) : QObject(owner) {}

    QString Destination;
    TFileOperation Operation = foCopy;
    TFileOperFlags Options = flAllowUndo | flNoConfirmMkDir;
    QString ProgressTitle;
    QString Source;

    // Runs the operation: true when every file was done. A failure stops the run and is
    // shown in the error box (not with flNoErrorUI); the user's "No", "Отмена" or the
    // progress window's "Отмена" stops it too and sets Aborted. What was done stays done.
    bool Execute();
    // The last run was stopped by the user.
    bool Aborted() const { return m_aborted; }

  private:
    bool m_aborted = false;
};

// The window of a running file operation: the title, the name of the file in hand
// (not with flSimpleProgress), a gauge of the files done and "Отмена", which stops the
// run before its next file. Shown through ShowModal, so a test drives it by Step/Run.
class TFileOperProgress : public TForm {
    Q_OBJECT
  public:
    // `nextName`: the name of the next file, a null text when none is left; `doNext`
    // does that file, false when the run must stop.
    TFileOperProgress(const QString &title, int count, bool showNames, std::function<QString()> nextName,
                      std::function<bool()> doNext, QWidget *parent = nullptr);
    QLabel *FileName;
    TProgressBar *Gauge;
    QPushButton *CancelButton;

    // Does the next file; when the run is over closes the window with mrOk and
    // returns false.
    bool Step();
    void Run();

  protected:
    void FormShow() override;

  private:
    void showNext();
    std::function<QString()> m_nextName;
    std::function<bool()> m_doNext;
};

// Copies, or moves, one file or folder to `target` through a TFileOperator (a move in
// the same folder is a rename), asking before a target is replaced when `askOverwrite`;
// `allowUndo` keeps flAllowUndo (which only a delete uses). A run that failed (after its error box)
// or that the user stopped throws EAbort.
void ShellCopyMoveFile(const QString &source, const QString &target, bool askOverwrite, bool allowUndo,
                       bool move);

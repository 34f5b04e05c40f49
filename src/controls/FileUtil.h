#pragma once
// Copying one file in blocks while a progress control shows how far it got.
//
// A copy never destroys what it replaces: the target is written beside it under a
// hidden temporary name, flushed to the disk, given the source's modification time and
// only then renamed over the old file. A copy that fails midway, or a process killed
// in the middle of one, leaves the old target as it was.
#include "db/Errors.h"

class QObject;

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
// after an error. Throws EFOpenError "Cannot open file %s" (the source),
// EFCreateError "Cannot create file %s" (the target), EReadError "Stream read error"
// or EWriteError "Stream write error".
void CopyFileWithOptions(const QString &source, const QString &destination, bool overwriteReadOnly,
                         QObject *progress);

// The hidden temporary name beside `target` that a copy writes before renaming.
QString CopyTemporaryName(const QString &target);

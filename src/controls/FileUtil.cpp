#include "controls/FileUtil.h"

#include "controls/ProgressCtl.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <unistd.h>
#include <vector>

namespace {

// Positions in units small enough that a file above 2 GB still fits the control's range.
struct ProgressScale {
    qint64 unit = 1;
    explicit ProgressScale(qint64 size) {
        const qint64 limit = std::numeric_limits<int>::max();
        if (size > limit) unit = size / limit + 1;
    }
    int operator()(qint64 bytes) const { return int(bytes / unit); }
};

// Makes a rename in `folder` survive a power cut.
void syncFolder(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QString CopyTemporaryName(const QString &target) {
    const QFileInfo info(target);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".part"));
}

void CopyFileWithProgress(const QString &source, const QString &destination, QObject *progress) {
    CopyFileWithOptions(source, destination, false, progress);
}

void CopyFileWithOptions(const QString &source, const QString &destination, bool overwriteReadOnly,
                         QObject *progress) {
    QString target = destination;
    if (QFileInfo(destination).isDir()) target = QDir(destination).filePath(QFileInfo(source).fileName());

    QFile in(source);
    if (QFileInfo(source).isDir() || !in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw EFOpenError(QStringLiteral("Cannot open file %1").arg(QDir::toNativeSeparators(source)));
    const qint64 size = in.size();
    const ProgressScale scale(size);
    ProgressSetMax(progress, scale(size));
    ProgressSetMin(progress, 0);
    ProgressSetPosition(progress, 0);
    struct PositionBack {
        QObject *progress;
        ~PositionBack() { ProgressSetPosition(progress, 0); }
    } positionBack{progress};

    const QFileInfo targetInfo(target);
    QDir().mkpath(targetInfo.absolutePath());
    // The read-only flag is the owner's write permission, as the file manager shows it.
    if (targetInfo.exists() && !(QFile::permissions(target) & QFileDevice::WriteOwner)) {
        if (!overwriteReadOnly || targetInfo.isDir())
            throw EFCreateError(
                QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(target)));
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    const QString temporary = CopyTemporaryName(target);
    QFile out(temporary);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw EFCreateError(QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(target)));
    struct DropUnfinished {
        QFile &out;
        bool done = false;
        ~DropUnfinished() {
            if (done) return;
            out.close();
            out.remove();
        }
    } unfinished{out};

    std::vector<char> buffer(CopyBlockSize);
    qint64 total = 0, shown = 0;
    // The position moves by a thousandth of the file at least: a gauge shows no finer
    // steps, and a large file is not slowed by a hundred thousand of them.
    const qint64 step = qMax(qint64(CopyBlockSize), size / 1000);
    for (;;) {
        const qint64 got = in.read(buffer.data(), CopyBlockSize);
        if (got < 0) throw EReadError(QStringLiteral("Stream read error"));
        total += got;
        if (got > 0 && out.write(buffer.data(), got) != got)
            throw EWriteError(QStringLiteral("Stream write error"));
        if (total - shown >= step || got < CopyBlockSize) {
            ProgressSetPosition(progress, scale(total));
            shown = total;
        }
        if (got < CopyBlockSize) break;
    }
    // On the disk, with the source's date, before it takes the target's name.
    if (!out.flush() || ::fsync(out.handle()) != 0) throw EWriteError(QStringLiteral("Stream write error"));
    out.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    out.close();
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        throw EFCreateError(QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(target)));
    unfinished.done = true;
    syncFolder(targetInfo.absolutePath());
}

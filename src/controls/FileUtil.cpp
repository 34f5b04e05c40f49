#include "controls/FileUtil.h"

#include "controls/ProgressCtl.h"
#include "controls/StdCtrls.h"
#include "controls/UiScript.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// A file of the copy that could not be opened, made, read or written, as the error box
// says it: `action` is the verb ("записать"); a full disk is said so, since freeing room
// is then all it takes.
QString failureText(const QString &action, const QString &file, bool diskFull = false) {
    const QString text =
        QStringLiteral("Не удалось %1 файл «%2»").arg(action, QDir::toNativeSeparators(file));
    if (diskFull)
        return text + QStringLiteral(": на диске не осталось места. Освободите место на диске и повторите.");
    return text + QLatin1Char('.');
}

bool diskFull(int error) {
    return error == ENOSPC || error == EDQUOT;
}

} // namespace

void SyncFolder(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

QString CopyTemporaryName(const QString &target) {
    const QFileInfo info(target);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".part"));
}

void CopyFileWithProgress(const QString &source, const QString &destination, QObject *progress) {
    CopyFileWithOptions(source, destination, false, progress);
}

void CopyFileWithOptions(const QString &source, const QString &destination, bool overwriteReadOnly,
                         QObject *progress, bool useShellDialog) {
    if (useShellDialog) {
        ShellCopyMoveFile(source, destination, !overwriteReadOnly, false, false);
        return;
    }
    QString target = destination;
    if (QFileInfo(destination).isDir()) target = QDir(destination).filePath(QFileInfo(source).fileName());

    QFile in(source);
    if (QFileInfo(source).isDir() || !in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw EFOpenError(failureText(QStringLiteral("открыть"), source), in.errorString());
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
            throw EFCreateError(failureText(QStringLiteral("создать"), target),
                                QStringLiteral("Файл только для чтения."));
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    const QString temporary = CopyTemporaryName(target);
    QFile out(temporary);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        const bool full = diskFull(errno);
        throw EFCreateError(failureText(QStringLiteral("создать"), target, full), out.errorString());
    }
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
        if (got < 0) throw EReadError(failureText(QStringLiteral("прочитать"), source), in.errorString());
        total += got;
        if (got > 0 && out.write(buffer.data(), got) != got) {
            const bool full = diskFull(errno) || out.error() == QFileDevice::ResourceError;
            throw EWriteError(failureText(QStringLiteral("записать"), target, full), out.errorString());
        }
        if (total - shown >= step || got < CopyBlockSize) {
            ProgressSetPosition(progress, scale(total));
            shown = total;
        }
        if (got < CopyBlockSize) break;
    }
    // On the disk, with the source's date, before it takes the target's name.
    if (!out.flush() || ::fsync(out.handle()) != 0) {
        const int error = errno;
        throw EWriteError(failureText(QStringLiteral("записать"), target, diskFull(error)),
                          QString::fromLocal8Bit(std::strerror(error)));
    }
    out.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    out.close();
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        throw EFCreateError(failureText(QStringLiteral("создать"), target, diskFull(error)),
                            QString::fromLocal8Bit(std::strerror(error)));
    }
    unfinished.done = true;
    SyncFolder(targetInfo.absolutePath());
}

// ---- The file operation ------------------------------------------------------------

namespace {

QStringList nameList(const QString &text) {
    QString names = text;
    return names.replace(QLatin1Char('|'), QLatin1Char(';')).split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

bool hasWildcard(const QString &path) {
    const QString name = QFileInfo(path).fileName();
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// Also a link whose target is gone.
bool present(const QString &path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool isFolder(const QFileInfo &info) {
    return info.isDir() && !info.isSymLink();
}

// "name (2).ext", "name (3).ext"...: the first of them free in the target's folder.
QString freeName(const QString &target) {
    const QFileInfo info(target);
    const bool plain = isFolder(info) || info.suffix().isEmpty() || info.completeBaseName().isEmpty();
    const QString base = plain ? info.fileName() : info.completeBaseName();
    const QString suffix = plain ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 2;; ++n) {
        const QString candidate =
            info.dir().filePath(QStringLiteral("%1 (%2)%3").arg(base, QString::number(n), suffix));
        if (!present(candidate)) return candidate;
    }
}

// One run of a TFileOperator: the list of steps, made before anything is touched (a
// folder gives a step per file in it), then done one step at a time.
class OperationRun {
  public:
    explicit OperationRun(const TFileOperator &op) : m_op(op) {}
    bool plan();
    int count() const { return int(m_steps.size()); }
    QString nextName() const {
        return m_next < m_steps.size() ? QDir::toNativeSeparators(m_steps[m_next].from) : QString();
    }
    // Does the next step: false when none is left or the run must stop.
    bool doNext() { return m_next < m_steps.size() && doStep(m_steps[m_next++]); }
    bool failed = false, aborted = false;

  private:
    enum Act { Copy, Move, MakeFolder, DropEmptyFolder, Delete, Trash };
    struct Step {
        Act act;
        QString from, to;
    };
    void addTree(const QFileInfo &from, const QString &to);
    bool doStep(Step step);
    bool makeParent(const QString &target);
    bool has(TFileOperFlag flag) const { return m_op.Options.testFlag(flag); }
    bool fail(const QString &text, const QString &detail = QString()) {
        failed = true;
        if (!has(flNoErrorUI)) ShowError(text, detail);
        return false;
    }
    bool declined() {
        aborted = true;
        return false;
    }

    const TFileOperator &m_op;
    std::vector<Step> m_steps;
    size_t m_next = 0;
};

bool OperationRun::plan() {
    const bool remove = m_op.Operation == foDelete, multi = has(flMultiDest);
    const QStringList sources = nameList(m_op.Source), targets = nameList(m_op.Destination);
    if (sources.isEmpty()) return fail(QStringLiteral("Не указаны файлы"));
    if (!remove && (targets.isEmpty() || (multi && targets.size() != sources.size())))
        return fail(QStringLiteral("Не указано, куда помещать файлы"));
    QStringList top;
    for (int i = 0; i < sources.size(); ++i) {
        const QString &source = sources[i];
        QFileInfoList found;
        if (hasWildcard(source)) {
            QDir::Filters filters = QDir::Files | QDir::Hidden | QDir::System;
            if (!has(flFilesOnly)) filters |= QDir::Dirs | QDir::NoDotAndDotDot;
            found =
                QFileInfo(source).dir().entryInfoList({QFileInfo(source).fileName()}, filters, QDir::Name);
        } else if (present(source)) {
            found << QFileInfo(source);
        } else {
            return fail(
                QStringLiteral("Не найден файл или папка «%1»").arg(QDir::toNativeSeparators(source)));
        }
        const QString target = multi ? targets[i] : targets.value(0);
        const bool into = QFileInfo(target).isDir() || target.endsWith(QLatin1Char('/')) ||
                          hasWildcard(source) || (!multi && sources.size() > 1);
        for (const QFileInfo &from : found) {
            top << from.fileName();
            QString to = into ? QDir(target).filePath(from.fileName()) : target;
            if (!remove && has(flRenameOnCollision) && present(to)) to = freeName(to);
            addTree(from, to);
        }
    }
    if (remove && !top.isEmpty() && !has(flNoConfirmation)) {
        const QString what = top.size() == 1 ? QStringLiteral("«%1»").arg(top.first())
                                             : QStringLiteral("эти объекты (%1)").arg(top.size());
        const QString question = has(flAllowUndo) ? QStringLiteral("Переместить %1 в корзину?").arg(what)
                                                  : QStringLiteral("Удалить %1?").arg(what);
        if (MessageDlg(question, mtConfirmation, mbYesNo) != mrYes) return declined();
    }
    return true;
}

void OperationRun::addTree(const QFileInfo &from, const QString &to) {
    const bool folder = isFolder(from), remove = m_op.Operation == foDelete;
    const bool move = m_op.Operation == foMove || m_op.Operation == foRename;
    if (remove && has(flAllowUndo)) {
        m_steps.push_back({Trash, from.filePath(), {}});
        return;
    }
    if (folder && !remove) m_steps.push_back({MakeFolder, from.filePath(), to});
    if (folder) {
        const QDir dir(from.filePath());
        const auto filters = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        for (const QFileInfo &child : dir.entryInfoList(filters, QDir::Name))
            addTree(child, remove ? QString() : QDir(to).filePath(child.fileName()));
    }
    if (remove)
        m_steps.push_back({Delete, from.filePath(), {}});
    else if (folder && move)
        m_steps.push_back({DropEmptyFolder, from.filePath(), {}});
    else if (!folder)
        m_steps.push_back({move ? Move : Copy, from.filePath(), to});
}

bool OperationRun::makeParent(const QString &target) {
    const QString folder = QFileInfo(target).absolutePath();
    if (QFileInfo(folder).isDir()) return true;
    if (!has(flNoConfirmMkDir) &&
        MessageDlg(QStringLiteral("Папки «%1» нет. Создать её?").arg(QDir::toNativeSeparators(folder)),
                   mtConfirmation, mbYesNo) != mrYes)
        return declined();
    return QDir().mkpath(folder) ||
           fail(QStringLiteral("Не удалось создать папку «%1»").arg(QDir::toNativeSeparators(folder)));
}

bool OperationRun::doStep(Step step) {
    const QString from = QDir::toNativeSeparators(step.from);
    switch (step.act) {
    case Trash: {
        QString inTrash;
        if (QFile::moveToTrash(step.from, &inTrash) && QFileInfo(inTrash).isAbsolute()) return true;
        // When the trash folder cannot be made, the file may land in "files" of the
        // current folder (the data folder, as likely as not): it goes back, and the
        // delete is a failure.
        if (!inTrash.isEmpty() && QFile::rename(inTrash, step.from)) {
            const QDir files = QFileInfo(inTrash).dir();
            QFile::remove(files.filePath(QStringLiteral("../info/") + QFileInfo(inTrash).fileName() +
                                         QStringLiteral(".trashinfo")));
            QDir().rmdir(files.filePath(QStringLiteral("../info")));
            QDir().rmdir(files.path());
        }
        return fail(QStringLiteral("Не удалось переместить «%1» в корзину").arg(from));
    }
    case Delete:
        return (isFolder(QFileInfo(step.from)) ? QDir().rmdir(step.from) : QFile::remove(step.from)) ||
               fail(QStringLiteral("Не удалось удалить «%1»").arg(from));
    case DropEmptyFolder: // a file left in it (the user's "No") keeps it
        QDir().rmdir(step.from);
        return true;
    case MakeFolder:
        return makeParent(step.to) &&
               (QFileInfo(step.to).isDir() || QDir().mkdir(step.to) ||
                fail(QStringLiteral("Не удалось создать папку «%1»").arg(QDir::toNativeSeparators(step.to))));
    case Copy:
    case Move:
        break;
    }
    const bool move = step.act == Move;
    const QString failure = move ? QStringLiteral("Не удалось переместить «%1» в «%2»")
                                 : QStringLiteral("Не удалось скопировать «%1» в «%2»");
    const QString same = QFileInfo(step.from).canonicalFilePath();
    if (!same.isEmpty() && same == QFileInfo(step.to).canonicalFilePath()) return true; // onto itself
    if (!makeParent(step.to)) return false;
    if (present(step.to)) {
        if (isFolder(QFileInfo(step.to)))
            return fail(failure.arg(from, QDir::toNativeSeparators(step.to)),
                        QStringLiteral("На месте файла стоит папка с тем же именем."));
        if (has(flRenameOnCollision)) {
            step.to = freeName(step.to);
        } else if (!has(flNoConfirmation)) {
            const int answer = MessageDlg(
                QStringLiteral("Файл «%1» уже есть. Заменить его?").arg(QDir::toNativeSeparators(step.to)),
                mtConfirmation, mbYesNoCancel);
            if (answer != mrYes) { // "Нет" skips the file, "Отмена" stops the run
                aborted = true;
                return answer == mrNo;
            }
        }
    }
    const QString to = QDir::toNativeSeparators(step.to);
    if (move) {
        // Within one disk a move is a rename; across disks, a copy and then the removal.
        if (std::rename(QFile::encodeName(step.from).constData(), QFile::encodeName(step.to).constData()) ==
            0)
            return true;
        if (errno != EXDEV) return fail(failure.arg(from, to), QString::fromLocal8Bit(std::strerror(errno)));
    }
    try {
        CopyFileWithOptions(step.from, step.to, true, nullptr);
    } catch (const EOrbekError &e) {
        return fail(failure.arg(from, to), e.message());
    }
    return !move || QFile::remove(step.from) ||
           fail(QStringLiteral("Файл «%1» скопирован в «%2», но не удалён на старом месте").arg(from, to));
}

} // namespace

bool TFileOperator::Execute() {
    m_aborted = false;
    OperationRun run(*this);
    if (run.plan() && run.count() > 0) {
        if (Options.testFlag(flSilent)) {
            while (run.doNext()) {
            }
        } else {
            static const char *const titles[] = {"Копирование", "Удаление", "Перемещение", "Переименование"};
            const QString title =
                ProgressTitle.isEmpty() ? QString::fromUtf8(titles[Operation]) : ProgressTitle;
            TFileOperProgress progress(
                title, run.count(), !Options.testFlag(flSimpleProgress), [&run] { return run.nextName(); },
                [&run] { return run.doNext(); }, QApplication::activeWindow());
            if (ShowModal(&progress) != mrOk) run.aborted = true;
        }
    }
    m_aborted = run.aborted;
    return !run.failed && !run.aborted;
}

TFileOperProgress::TFileOperProgress(const QString &title, int count, bool showNames,
                                     std::function<QString()> nextName, std::function<bool()> doNext,
                                     QWidget *parent)
    : TForm(parent), m_nextName(std::move(nextName)), m_doNext(std::move(doNext)) {
    SetCaption(title);
    FileName = new QLabel(this);
    FileName->setHidden(!showNames);
    Gauge = new TProgressBar(this);
    Gauge->setRange(0, count);
    Gauge->setValue(0);
    CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    SetCancelButton(CancelButton);
    TForm::SetModalResult(CancelButton, mrCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(FileName);
    layout->addWidget(Gauge);
    layout->addLayout(ButtonRow({CancelButton}));
    setMinimumWidth(420);
}

void TFileOperProgress::FormShow() {
    showNext();
    // The steps start once the window is up and let the events through between files,
    // so "Отмена" is seen; a test drives them itself.
    if (!UiScript::Active())
        QMetaObject::invokeMethod(
            this, [this] { Run(); }, Qt::QueuedConnection);
}

bool TFileOperProgress::Step() {
    if (!isVisible()) return false;
    if (m_nextName().isNull() || !m_doNext() || m_nextName().isNull()) {
        done(mrOk);
        return false;
    }
    Gauge->setValue(Gauge->value() + 1);
    showNext();
    return true;
}

void TFileOperProgress::Run() {
    while (Step()) {
        if (!UiScript::Active()) QCoreApplication::processEvents();
    }
}

void TFileOperProgress::showNext() {
    FileName->setText(m_nextName());
}

void ShellCopyMoveFile(const QString &source, const QString &target, bool askOverwrite, bool allowUndo,
                       bool move) {
    TFileOperator op;
    op.Source = source;
    op.Destination = target;
    const bool sameFolder =
        QFileInfo(source).absolutePath().compare(QFileInfo(target).absolutePath(), Qt::CaseInsensitive) == 0;
    op.Operation = !move ? foCopy : sameFolder ? foRename : foMove;
    op.Options.setFlag(flAllowUndo, allowUndo);
    if (!askOverwrite) op.Options |= flNoConfirmation;
    if (!op.Execute() || op.Aborted()) throw EAbort();
}

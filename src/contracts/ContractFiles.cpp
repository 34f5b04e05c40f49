#include "contracts/ContractFiles.h"

#include "controls/Dialogs.h"
#include "controls/Forms.h"
#include "db/CodePage.h"
#include "db/Errors.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

// The desktop opens a file through xdg-open, which starts in the background and, when no
// application is associated with the file's type, fails there with a line on its own
// error output that the program never sees. Ask xdg-mime first, by the same steps
// xdg-open takes (the file's type from its content, then that type's application), so
// that a document nothing can open is reported. Where xdg-mime is missing or does not
// answer, the desktop is left to try.
bool desktopHasApplicationFor(const QString &path) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return true;
    const auto ask = [&xdgMime](const QStringList &args, QString &answer) {
        QProcess process;
        process.start(xdgMime, args);
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished();
            return false;
        }
        answer = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    };
    QString type, application;
    if (!ask({QStringLiteral("query"), QStringLiteral("filetype"), path}, type) || type.isEmpty())
        return true;
    type = type.section(QLatin1Char(';'), 0, 0).trimmed();
    if (!ask({QStringLiteral("query"), QStringLiteral("default"), type}, application)) return true;
    return !application.isEmpty();
#else
    Q_UNUSED(path);
    return true;
#endif
}

const db::TCodePage &cp1251() {
    const db::TCodePage *page = db::TCodePage::Find(1251);
    if (!page) throw EOrbekError(QStringLiteral("Кодовая страница 1251 недоступна в системе"));
    return *page;
}

QString shown(const QString &storedName) {
    return QStringLiteral("«") + storedName + QStringLiteral("»");
}

// Creates the file only when it does not exist yet, and the folder it goes into when
// that is missing (a fresh working folder has no "dog" until its first document).
void createNew(QFile &file, const QString &storedName) {
    const QString folder = QFileInfo(file.fileName()).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw EOrbekError(QStringLiteral("Не удалось создать папку «%1» для файла %2")
                              .arg(QDir::toNativeSeparators(folder), shown(storedName)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw EOrbekError(QStringLiteral("Не удалось создать файл ") + shown(storedName) +
                          QStringLiteral(": ") + file.errorString());
}

void writeAll(QFile &file, const QByteArray &bytes, const QString &storedName) {
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.close();
        file.remove();
        throw EOrbekError(QStringLiteral("Не удалось записать файл ") + shown(storedName) +
                          QStringLiteral(": ") + reason);
    }
    file.close();
}

} // namespace

std::function<bool(const QUrl &url)> DocumentOpener = [](const QUrl &url) {
    return desktopHasApplicationFor(url.toLocalFile()) && QDesktopServices::openUrl(url);
};

void OpenDocument(const QString &storedName) {
    const QString path = QFileInfo(LocalPath(storedName)).absoluteFilePath();
    if (!DocumentOpener(QUrl::fromLocalFile(path)))
        MessageDlg(QStringLiteral("Не удалось открыть документ «%1»: не найдена программа, которая "
                                  "открывает файлы этого типа. Откройте его сами.")
                       .arg(QDir::toNativeSeparators(path)),
                   mtError, mbOK);
}

QString LocalPath(const QString &storedName) {
    const QString path = QString(storedName).replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'));
    QString found = path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    for (int i = 0; i < parts.size(); ++i) {
        const QString &part = parts[i];
        if (part.isEmpty()) continue;
        QString next = found.isEmpty() || found.endsWith(QLatin1Char('/')) ? found + part
                                                                           : found + QLatin1Char('/') + part;
        if (!QFileInfo::exists(next)) {
            const QDir dir(found.isEmpty() ? QStringLiteral(".") : found);
            const QStringList entries =
                dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            for (const QString &entry : entries)
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    next = found.isEmpty() || found.endsWith(QLatin1Char('/'))
                               ? found + entry
                               : found + QLatin1Char('/') + entry;
                    break;
                }
        }
        found = next;
    }
    return found;
}

bool DocumentExists(const QString &storedName) {
    return !storedName.isEmpty() && QFileInfo(LocalPath(storedName)).isFile();
}

QString FileNamePart(const QString &text) {
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    QString part = text;
    for (QChar &c : part)
        if (forbidden.contains(c)) c = QLatin1Char('_');
    return part;
}

QString FreeName(const QString &storedName, const std::function<bool(const QString &)> &taken) {
    if (!taken(storedName)) return storedName;
    // The suffix goes before the extension of the file part, not of a folder.
    const qsizetype slash =
        std::max(storedName.lastIndexOf(QLatin1Char('\\')), storedName.lastIndexOf(QLatin1Char('/')));
    qsizetype dot = storedName.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash) dot = storedName.size();
    for (int n = 1;; ++n) {
        const QString name =
            storedName.left(dot) + QLatin1Char('_') + QString::number(n) + storedName.mid(dot);
        if (!taken(name)) return name;
    }
}

bool SameDocument(const QString &a, const QString &b) {
    const auto normal = [](const QString &s) {
        return QString(s).replace(QLatin1Char('\\'), QLatin1Char('/'));
    };
    return normal(a).compare(normal(b), Qt::CaseInsensitive) == 0;
}

QString RtfText(const QString &value) {
    const db::TCodePage &page = cp1251();
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}')) {
            text += QLatin1Char('\\');
            text += c;
        } else if (c == QLatin1Char('\r')) {
            text += QStringLiteral("\\line ");
            if (i + 1 < value.size() && value[i + 1] == QLatin1Char('\n')) ++i;
        } else if (c == QLatin1Char('\n')) {
            text += QStringLiteral("\\line ");
        } else if (!page.CanEncode(QString(c))) {
            text += QStringLiteral("\\u%1?").arg(qint16(c.unicode()));
        } else {
            text += c;
        }
    }
    return text;
}

QString FillLine(QStringView line, const TPlaceholders &values) {
    QString filled;
    qsizetype copied = 0; // the line up to here is in `filled`
    for (qsizetype i = 0; i < line.size(); ++i) {
        for (const auto &[placeholder, value] : values) {
            // The first letter alone rules out nearly every place cheaply.
            if (placeholder.isEmpty() || line[i] != placeholder.front() ||
                !line.sliced(i).startsWith(placeholder))
                continue;
            filled += line.sliced(copied, i - copied);
            filled += value;
            copied = i + placeholder.size();
            i = copied - 1;
            break;
        }
    }
    if (copied == 0) return line.toString();
    filled += line.sliced(copied);
    return filled;
}

void WriteFromTemplate(const QString &templateName, const QString &documentName,
                       const TPlaceholders &values) {
    const db::TCodePage &page = cp1251();
    if (templateName.isEmpty()) throw EOrbekError(QStringLiteral("У образца договора не указан файл"));
    QFile source(LocalPath(templateName));
    const auto unreadable = [&](const QString &reason) {
        return EOrbekError(QStringLiteral("Не удалось прочитать образец договора ") + shown(templateName) +
                           QStringLiteral(": ") + reason);
    };
    if (!source.open(QIODevice::ReadOnly)) throw unreadable(source.errorString());
    // At most one byte over the limit is read, whatever the file claims its size is.
    const QByteArray bytes = source.read(MaxTemplateSize + 1);
    if (source.error() != QFileDevice::NoError) throw unreadable(source.errorString());
    source.close();
    if (bytes.size() > MaxTemplateSize)
        throw EOrbekError(QStringLiteral("Образец договора %1 слишком велик: программа заполняет образцы "
                                         "не больше %2 МБ")
                              .arg(shown(templateName))
                              .arg(MaxTemplateSize / (1024 * 1024)));
    // Text in CP1251 and RTF never hold a zero byte; a binary .doc file or a text in
    // UTF-16 always do, and would come out as rubbish.
    if (bytes.contains('\0'))
        throw EOrbekError(QStringLiteral("Образец договора %1 не текстовый файл. Программа заполняет образцы "
                                         "в формате RTF или простого текста: сохраните образец в формате RTF")
                              .arg(shown(templateName)));

    TPlaceholders ready = values;
    if (bytes.startsWith("{\\rtf"))
        for (auto &placeholder : ready)
            placeholder.second = RtfText(placeholder.second);
    const QString text = page.Decode(bytes);
    QString filled;
    filled.reserve(text.size() + 1024);
    QStringView lines(text);
    if (lines.endsWith(u'\n')) lines.chop(1); // the last line's break
    if (!text.isEmpty())
        for (QStringView line : lines.split(u'\n')) {
            if (line.endsWith(u'\r')) line.chop(1);
            filled += FillLine(line, ready);
            filled += QStringLiteral("\r\n");
        }
    QFile document(LocalPath(documentName));
    createNew(document, documentName);
    writeAll(document, page.Encode(filled), documentName);
}

void WriteBlankDocument(const QString &documentName) {
    QFile document(LocalPath(documentName));
    createNew(document, documentName);
    writeAll(document, QByteArrayLiteral(" \r\n"), documentName);
}

QString ChooseDocumentFile(QWidget *parent, const QString &caption) {
    const QString current = QDir::currentPath();
    QFileDialog dialog(parent, caption, QDir(current).filePath(LocalPath(QStringLiteral("dog"))));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails, false);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Dog*.doc"), QStringLiteral("*.doc")});
    const int answer = ShowModal(&dialog);
    QDir::setCurrent(current);
    if (answer != mrOk || dialog.selectedFiles().isEmpty()) return QString();
    const QString chosen = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
    const QString relative = QDir(current).relativeFilePath(chosen);
    const QString stored = relative.startsWith(QStringLiteral("../")) ? chosen : relative;
    return QString(stored).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QString FittingName(const QString &storedName, int size) {
    if (storedName.size() > size)
        throw EOrbekError(QStringLiteral("Имя файла длиннее %1 символов: ").arg(size) + storedName);
    return storedName;
}

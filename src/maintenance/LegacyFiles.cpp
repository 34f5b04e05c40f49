#include "maintenance/LegacyFiles.h"

#include <QDir>

ELegacyFileError::ELegacyFileError(const QString &path, const QString &what)
    : EOrbekError(QStringLiteral("Файл «%1»: %2").arg(QDir::toNativeSeparators(path), what)) {}

int TLegacyTable::FindField(const QString &name) const {
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (m_fieldNames[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TLegacyTable::Fail(const QString &what) const {
    throw ELegacyFileError(m_path, what);
}

QString FindFileNoCase(const QString &folder, const QString &name) {
    const QDir dir(folder);
    if (dir.exists(name) && QFileInfo(dir.filePath(name)).isFile()) return dir.filePath(name);
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return QString();
}

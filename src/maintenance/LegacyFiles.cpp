#include "maintenance/LegacyFiles.h"

#include <QDir>
#include <QMutex>

#include <iconv.h>
#include <map>

ELegacyFileError::ELegacyFileError(const QString &path, const QString &what)
    : EOrbekError(QStringLiteral("Файл «%1»: %2").arg(QDir::toNativeSeparators(path), what)) {}

const TCodePage *TCodePage::Find(int number) {
    static QMutex mutex;
    static std::map<int, std::unique_ptr<TCodePage>> made;
    QMutexLocker lock(&mutex);
    auto it = made.find(number);
    if (it != made.end()) return it->second.get();
    const QByteArray name = "CP" + QByteArray::number(number);
    iconv_t cd = iconv_open("UTF-16LE", name.constData());
    if (cd == iconv_t(-1)) return nullptr;
    auto page = std::unique_ptr<TCodePage>(new TCodePage(number));
    for (int b = 0; b < 256; ++b) {
        char in = char(b);
        char out[4] = {};
        char *inPtr = &in, *outPtr = out;
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && outLeft == 2;
        page->m_chars[b] = done ? char16_t(uchar(out[0]) | uchar(out[1]) << 8) : char16_t(0xFFFD);
    }
    iconv_close(cd);
    return made.emplace(number, std::move(page)).first->second.get();
}

QString TCodePage::Decode(const char *data, qsizetype length) const {
    QString text(length, Qt::Uninitialized);
    QChar *out = text.data();
    qsizetype n = 0;
    for (; n < length && data[n] != 0; ++n)
        out[n] = QChar(m_chars[uchar(data[n])]);
    text.truncate(n);
    return text;
}

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

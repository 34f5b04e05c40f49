#include "maintenance/DbfReader.h"

#include <QDate>
#include <QtEndian>

#include <cstring>

namespace {

// The first byte of the header: the dBase and FoxPro table versions.
bool knownVersion(uchar v) {
    switch (v) {
    case 0x02: // FoxBase
    case 0x03: // dBase III and later, no memo
    case 0x04: // dBase IV
    case 0x05: // dBase V
    case 0x30: // Visual FoxPro
    case 0x31:
    case 0x32:
    case 0x43: // dBase IV with SQL table
    case 0x63:
    case 0x83: // dBase III with memo
    case 0x8B: // dBase IV with memo
    case 0x8E:
    case 0xCB:
    case 0xF5: // FoxPro with memo
    case 0xFB:
        return true;
    default:
        return false;
    }
}

// The code page of the language byte; CP866 when it names none or one unknown here.
int codePageOfLanguage(uchar id) {
    switch (id) {
    case 0x01:
        return 437;
    case 0x02:
        return 850;
    case 0x03:
    case 0x57:
    case 0x58:
    case 0x59:
        return 1252;
    case 0x64:
        return 852;
    case 0x66:
        return 865;
    case 0x67:
        return 861;
    case 0x6A:
        return 737;
    case 0x6B:
        return 857;
    case 0xC8:
        return 1250;
    case 0xC9:
        return 1251;
    case 0xCA:
        return 1254;
    case 0xCB:
        return 1253;
    default: // 0x00, 0x26, 0x65 and the rest
        return 866;
    }
}

bool blank(const uchar *p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != 0) return false;
    return true;
}

} // namespace

TDbfTable::TDbfTable(const QString &path) : TLegacyTable(path), m_file(path) {
    if (!m_file.open(QIODevice::ReadOnly)) Fail(QStringLiteral("не открывается"));
    m_size = m_file.size();
    if (m_size > 0) m_data = m_file.map(0, m_size);
    if (!m_data) {
        m_bytes = m_file.readAll();
        m_data = reinterpret_cast<const uchar *>(m_bytes.constData());
        m_size = m_bytes.size();
    }
    if (m_size < 32) Fail(QStringLiteral("файл обрезан или не является таблицей dBase"));
    if (!knownVersion(m_data[0])) Fail(QStringLiteral("не является таблицей dBase"));
    m_recordCount = qFromLittleEndian<quint32>(m_data + 4);
    m_headerLength = qFromLittleEndian<quint16>(m_data + 8);
    m_recordLength = qFromLittleEndian<quint16>(m_data + 10);
    if (m_headerLength < 33 || m_headerLength > m_size || m_recordLength < 2)
        Fail(QStringLiteral("заголовок таблицы поврежден"));

    // Field descriptors of 32 bytes each, up to the terminator 0x0D.
    int offset = 1;
    qint64 pos = 32;
    for (; pos < m_headerLength && m_data[pos] != 0x0D; pos += 32) {
        if (pos + 32 > m_headerLength) Fail(QStringLiteral("заголовок таблицы поврежден"));
        const uchar *d = m_data + pos;
        int nameLength = 0;
        while (nameLength < 11 && d[nameLength] != 0)
            ++nameLength;
        const QString name = QString::fromLatin1(reinterpret_cast<const char *>(d), nameLength).trimmed();
        if (name.isEmpty()) Fail(QStringLiteral("заголовок таблицы поврежден: поле без имени"));
        for (QChar c : name)
            if (c.unicode() < 0x21 || c.unicode() > 0x7E)
                Fail(QStringLiteral("заголовок таблицы поврежден: имя поля «%1»").arg(name));
        const char type = char(d[11]);
        const int length = d[16];
        bool lengthFits = length > 0;
        switch (type) {
        case 'C':
        case 'N':
        case 'F':
            break;
        case 'D':
            lengthFits = length == 8;
            break;
        case 'L':
            lengthFits = length == 1;
            break;
        default: // other types are skipped unless a caller reads them
            break;
        }
        if (!lengthFits) Fail(QStringLiteral("поле «%1» неверной длины %2").arg(name).arg(length));
        m_fields.push_back({type, offset, length});
        m_fieldNames << name;
        offset += length;
    }
    if (pos >= m_headerLength || m_fields.empty()) Fail(QStringLiteral("заголовок таблицы поврежден"));
    if (offset != m_recordLength) Fail(QStringLiteral("длина записи не сходится с полями"));
    if (m_headerLength + m_recordCount * m_recordLength > m_size)
        Fail(QStringLiteral("файл обрезан: в нем нет всех %1 записей").arg(m_recordCount));
    m_codePage = db::TCodePage::Find(codePageOfLanguage(m_data[29]));
    if (!m_codePage) m_codePage = db::TCodePage::Find(866);
    if (!m_codePage) Fail(QStringLiteral("кодовая страница не поддерживается системой"));
}

TDbfTable::~TDbfTable() = default;

QString TDbfTable::FieldType(int field) const {
    return QString(QLatin1Char(m_fields[size_t(field)].type));
}

bool TDbfTable::Next() {
    while (m_index + 1 < m_recordCount) {
        ++m_index;
        m_recordNumber = int(m_index + 1);
        const uchar flag = m_data[m_headerLength + m_index * m_recordLength];
        if (flag == ' ') return true;
        if (flag != '*') Fail(QStringLiteral("запись %1 повреждена").arg(m_recordNumber));
    }
    m_index = m_recordCount;
    return false;
}

QVariant TDbfTable::Value(int index) const {
    if (m_index < 0 || m_index >= m_recordCount) return QVariant();
    const Field &field = m_fields[size_t(index)];
    const uchar *p = m_data + m_headerLength + m_index * m_recordLength + field.offset;
    switch (field.type) {
    case 'C': {
        int n = field.length;
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        return m_codePage->Decode(reinterpret_cast<const char *>(p), n);
    }
    case 'N':
    case 'F': {
        if (blank(p, field.length)) return QVariant();
        bool ok = false;
        const double v = QByteArray(reinterpret_cast<const char *>(p), field.length).trimmed().toDouble(&ok);
        if (!ok || !qIsFinite(v)) FailValue(index, QStringLiteral("не число"));
        return v;
    }
    case 'D': {
        if (blank(p, 8) || memcmp(p, "00000000", 8) == 0) return QVariant();
        const QDate d = QDate::fromString(QString::fromLatin1(reinterpret_cast<const char *>(p), 8),
                                          QStringLiteral("yyyyMMdd"));
        if (!d.isValid()) FailValue(index, QStringLiteral("не дата"));
        return d;
    }
    case 'L':
        switch (p[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return true;
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return false;
        case '?':
        case ' ':
            return QVariant();
        default:
            FailValue(index, QStringLiteral("не логическое значение"));
        }
    default:
        break;
    }
    FailValue(index, QStringLiteral("неподдерживаемого типа «%1»").arg(QLatin1Char(field.type)));
}

void TDbfTable::FailValue(int field, const QString &what) const {
    Fail(QStringLiteral("в записи %1 поле «%2» %3").arg(m_recordNumber).arg(m_fieldNames[field], what));
}

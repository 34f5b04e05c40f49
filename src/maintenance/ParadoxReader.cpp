#include "maintenance/ParadoxReader.h"

#include "maintenance/Pxlib.h"

#include <QDate>
#include <QFile>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

// The header of a table file, at the offsets its format fixes.
constexpr int RecordSizeAt = 0x00, HeaderSizeAt = 0x02, FileTypeAt = 0x04, MaxTableSizeAt = 0x05,
              NumRecordsAt = 0x06, FileBlocksAt = 0x0C, FirstBlockAt = 0x0E, NumFieldsAt = 0x21,
              VersionAt = 0x39, CodePageAt = 0x6A, EncryptionAt = 0x25, Encryption2At = 0x5C;
// The first encryption word of a table that is not encrypted: 0, or this mark in the
// versions that keep the real word in the extended header.
constexpr quint32 NotEncrypted = 0xFF00FF00;
// Each data block starts with the next and previous block numbers and the offset of
// its last record.
constexpr int BlockHeaderSize = 6;

// The length a field of that type must have; 0 when any length from 1 to 255 is fine,
// -1 for a type that is not one of the format's.
int requiredLength(int type) {
    switch (type) {
    case pxfAlpha:
    case pxfBytes:
        return 0;
    case pxfDate:
    case pxfLong:
    case pxfTime:
    case pxfAutoInc:
        return 4;
    case pxfShort:
        return 2;
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp:
        return 8;
    case pxfLogical:
        return 1;
    case pxfBCD:
        return 17;
    case pxfMemoBLOb:
    case pxfBLOb:
    case pxfFmtMemoBLOb:
    case pxfOLE:
    case pxfGraphic:
        return 0;
    default:
        return -1;
    }
}

QString typeCode(int type) {
    switch (type) {
    case pxfAlpha:
        return QStringLiteral("A");
    case pxfDate:
        return QStringLiteral("D");
    case pxfShort:
        return QStringLiteral("S");
    case pxfLong:
        return QStringLiteral("I");
    case pxfCurrency:
        return QStringLiteral("$");
    case pxfNumber:
        return QStringLiteral("N");
    case pxfLogical:
        return QStringLiteral("L");
    case pxfAutoInc:
        return QStringLiteral("+");
    case pxfTime:
        return QStringLiteral("T");
    case pxfTimestamp:
        return QStringLiteral("@");
    case pxfBCD:
        return QStringLiteral("#");
    case pxfBytes:
        return QStringLiteral("Y");
    default:
        return QStringLiteral("M");
    }
}

// The library reports through this; the reader turns the last report into its error.
void libraryError(pxdoc_t *, int, const char *message, void *data) {
    *static_cast<QString *>(data) = QString::fromLocal8Bit(message);
}

// Julian day of the library's day 0 (31.12.0000): dates are kept as days since then.
constexpr qint64 DayZero = 1721425;

} // namespace

TParadoxTable::TParadoxTable(const QString &path) : TLegacyTable(path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) Fail(QStringLiteral("не открывается"));
    const qint64 size = file.size();
    const QByteArray start = file.read(0x78);
    if (start.size() < 0x58) Fail(QStringLiteral("файл обрезан или не является таблицей Paradox"));
    const int headerSize = qFromLittleEndian<quint16>(start.constData() + HeaderSizeAt);
    if (headerSize < 0x58 || headerSize > size) Fail(QStringLiteral("заголовок таблицы поврежден"));
    file.seek(0);
    const QByteArray header = file.read(headerSize);
    if (header.size() != headerSize) Fail(QStringLiteral("не читается"));
    CheckStructure(header, size);
    file.close();

    pxdoc_t *doc = PX_new3(libraryError, nullptr, nullptr, nullptr, &m_libraryError);
    if (!doc) Fail(QStringLiteral("недостаточно памяти"));
    if (PX_open_file(doc, QFile::encodeName(path).constData()) < 0) {
        PX_delete(doc);
        Fail(QStringLiteral("не читается как таблица Paradox (%1)").arg(m_libraryError));
    }
    m_doc.reset(doc);
    // What the library read must be what was checked.
    const pxhead_t *head = m_doc->px_head;
    if (head && head->px_encryption != 0) Fail(QStringLiteral("таблица защищена паролем"));
    if (!head || head->px_numfields != int(m_fields.size()) || head->px_numrecords != m_recordCount ||
        head->px_recordsize != int(m_record.size()))
        Fail(QStringLiteral("заголовок таблицы поврежден"));
    for (int i = 0; i < head->px_numfields; ++i) {
        const pxfield_t &f = head->px_fields[i];
        if (f.px_ftype != m_fields[size_t(i)].type || f.px_flen != m_fields[size_t(i)].length || !f.px_fname)
            Fail(QStringLiteral("заголовок таблицы поврежден"));
        m_fieldNames << m_codePage->Decode(f.px_fname, qsizetype(strnlen(f.px_fname, 256)));
    }
}

void TParadoxTable::CheckStructure(const QByteArray &bytes, qint64 fileSize) {
    const auto *h = reinterpret_cast<const uchar *>(bytes.constData());
    const int headerSize = bytes.size();
    const int version = h[VersionAt];
    if (version < 3 || version > 12) Fail(QStringLiteral("не является таблицей Paradox"));
    if (h[FileTypeAt] != pxfFileTypIndexDB && h[FileTypeAt] != pxfFileTypNonIndexDB)
        Fail(QStringLiteral("не является таблицей Paradox"));
    // The library decrypts a table with a password without end on a damaged word.
    const quint32 encryption = qFromLittleEndian<quint32>(h + EncryptionAt);
    if ((encryption != 0 && encryption != NotEncrypted) ||
        (version >= 5 && qFromLittleEndian<quint32>(h + Encryption2At) != 0))
        Fail(QStringLiteral("таблица защищена паролем или ее заголовок поврежден"));
    const int maxTableSize = h[MaxTableSizeAt];
    if (maxTableSize < 1 || maxTableSize > 32 || (maxTableSize > 4 && maxTableSize % 8 != 0))
        Fail(QStringLiteral("заголовок таблицы поврежден"));
    const int blockSize = maxTableSize * 0x400;
    const int fieldCount = qFromLittleEndian<quint16>(h + NumFieldsAt);
    // Versions from 4.0 on carry an extended header before the field list.
    const int fieldInfoAt = version >= 5 ? 0x78 : 0x58;
    if (fieldCount < 1 || fieldCount > 255 || fieldInfoAt + fieldCount * 6 + 4 > headerSize)
        Fail(QStringLiteral("заголовок таблицы поврежден"));
    int recordSize = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const int type = h[fieldInfoAt + 2 * i], length = h[fieldInfoAt + 2 * i + 1];
        const int required = requiredLength(type);
        if (required < 0) Fail(QStringLiteral("поле %1 неизвестного типа").arg(i + 1));
        if (length == 0 || (required > 0 && length != required))
            Fail(QStringLiteral("поле %1 неверной длины %2").arg(i + 1).arg(length));
        m_fields.push_back({type, recordSize, length});
        recordSize += length;
    }
    if (recordSize != qFromLittleEndian<quint16>(h + RecordSizeAt) ||
        recordSize > blockSize - BlockHeaderSize)
        Fail(QStringLiteral("длина записи не сходится с полями"));
    // The table name and every field name end within the header.
    const int namesAt = fieldInfoAt + fieldCount * 6 + 4;
    int ends = 0;
    for (int i = namesAt; i < headerSize; ++i)
        ends += h[i] == 0;
    if (ends < fieldCount + 1) Fail(QStringLiteral("заголовок таблицы поврежден: имена полей"));

    // The chain of data blocks: inside the file, without loops, holding the records
    // the header counts.
    const int fileBlocks = qFromLittleEndian<quint16>(h + FileBlocksAt);
    const qint64 blocksInFile = (fileSize - headerSize) / blockSize;
    if (fileBlocks > blocksInFile) Fail(QStringLiteral("файл обрезан"));
    const qint64 records = qFromLittleEndian<quint32>(h + NumRecordsAt);
    QFile file(Path());
    file.open(QIODevice::ReadOnly);
    qint64 counted = 0;
    QSet<int> seen;
    for (int block = qFromLittleEndian<quint16>(h + FirstBlockAt); block != 0;) {
        if (block > fileBlocks || seen.contains(block))
            Fail(QStringLiteral("цепочка блоков данных повреждена"));
        seen.insert(block);
        uchar blockHeader[BlockHeaderSize];
        file.seek(headerSize + qint64(block - 1) * blockSize);
        if (file.read(reinterpret_cast<char *>(blockHeader), BlockHeaderSize) != BlockHeaderSize)
            Fail(QStringLiteral("файл обрезан"));
        const int lastRecordAt = qFromLittleEndian<qint16>(blockHeader + 4);
        if (lastRecordAt < -recordSize || lastRecordAt > blockSize - BlockHeaderSize - recordSize ||
            (lastRecordAt + recordSize) % recordSize != 0)
            Fail(QStringLiteral("блок данных %1 поврежден").arg(block));
        counted += (lastRecordAt + recordSize) / recordSize;
        block = qFromLittleEndian<quint16>(blockHeader);
    }
    if (counted != records) Fail(QStringLiteral("число записей не сходится с блоками данных"));
    m_recordCount = int(records);
    m_record.resize(size_t(recordSize));

    const int codePage = version >= 5 ? qFromLittleEndian<quint16>(h + CodePageAt) : 0;
    m_codePage = db::TCodePage::Find(codePage > 0 ? codePage : 1251);
    if (!m_codePage) m_codePage = db::TCodePage::Find(1251);
    if (!m_codePage) Fail(QStringLiteral("кодовая страница не поддерживается системой"));
}

void TParadoxTable::CloseDoc::operator()(px_doc *doc) const {
    PX_close(doc);
    PX_delete(doc);
}

TParadoxTable::~TParadoxTable() = default;

QString TParadoxTable::FieldType(int field) const {
    return typeCode(m_fields[size_t(field)].type);
}

bool TParadoxTable::Next() {
    if (m_index + 1 >= m_recordCount) {
        m_index = m_recordCount;
        return false;
    }
    ++m_index;
    m_recordNumber = m_index + 1;
    if (!PX_get_record(m_doc.get(), m_index, m_record.data()))
        Fail(QStringLiteral("запись %1 не читается (%2)").arg(m_recordNumber).arg(m_libraryError));
    return true;
}

QVariant TParadoxTable::Value(int index) const {
    if (m_index < 0 || m_index >= m_recordCount) return QVariant();
    const Field &field = m_fields[size_t(index)];
    char *data = const_cast<char *>(m_record.data()) + field.offset;
    // A blank field is all zero bytes, whatever its type.
    if (std::all_of(data, data + field.length, [](char c) { return c == 0; })) return QVariant();
    switch (field.type) {
    case pxfAlpha: {
        char *text = nullptr;
        if (PX_get_data_alpha(m_doc.get(), data, field.length, &text) <= 0 || !text) return QVariant();
        QString value = m_codePage->Decode(text, qsizetype(strnlen(text, size_t(field.length))));
        m_doc->free(m_doc.get(), text);
        while (value.endsWith(QLatin1Char(' ')))
            value.chop(1);
        return value;
    }
    case pxfDate: {
        long days = 0;
        if (PX_get_data_long(m_doc.get(), data, field.length, &days) <= 0) return QVariant();
        const QDate date = QDate::fromJulianDay(days + DayZero);
        if (!date.isValid() || date.year() < 1 || date.year() > 9999) break;
        return date;
    }
    case pxfShort: {
        short value = 0;
        if (PX_get_data_short(m_doc.get(), data, field.length, &value) <= 0) return QVariant();
        return qint64(value);
    }
    case pxfLong:
    case pxfAutoInc: {
        long value = 0;
        if (PX_get_data_long(m_doc.get(), data, field.length, &value) <= 0) return QVariant();
        return qint64(value);
    }
    case pxfNumber:
    case pxfCurrency: {
        double value = 0;
        if (PX_get_data_double(m_doc.get(), data, field.length, &value) <= 0) return QVariant();
        if (!qIsFinite(value)) break;
        return value;
    }
    case pxfLogical: {
        char value = 0;
        if (PX_get_data_byte(m_doc.get(), data, field.length, &value) <= 0) return QVariant();
        return value != 0;
    }
    default:
        Fail(QStringLiteral("в записи %1 поле «%2» неподдерживаемого типа")
                 .arg(m_recordNumber)
                 .arg(m_fieldNames[index]));
    }
    Fail(QStringLiteral("в записи %1 поле «%2» повреждено").arg(m_recordNumber).arg(m_fieldNames[index]));
}

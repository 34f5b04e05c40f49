#include "db/RowStore.h"

#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace db {

// Layout: u32 column count, u32 offset of each cell, then the cells. A cell is a tag
// byte (0 null, 1 integer, 2 double, 3 text, 4 blob) and its payload (8 bytes for
// numbers, u32 length and the bytes for text and blobs; text is UTF-8).
namespace {

enum Tag : char { Null = 0, Int = 1, Real = 2, Text = 3, Blob = 4 };

template <typename T> void put(QByteArray &out, T value) {
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

template <typename T> T get(const char *p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

} // namespace

QByteArray RowCodec::fromStatement(sqlite3_stmt *stmt, int firstColumn, int columns) {
    // First pass: types and size, so the row is one allocation written in place.
    static thread_local std::vector<int> types, lengths;
    types.resize(size_t(columns));
    lengths.resize(size_t(columns));
    qsizetype size = 4 + 4 * qsizetype(columns);
    for (int c = 0; c < columns; ++c) {
        const int type = sqlite3_column_type(stmt, firstColumn + c);
        types[size_t(c)] = type;
        switch (type) {
        case SQLITE_NULL:
            size += 1;
            break;
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            size += 9;
            break;
        default:
            lengths[size_t(c)] = sqlite3_column_bytes(stmt, firstColumn + c);
            size += 5 + lengths[size_t(c)];
            break;
        }
    }
    QByteArray out(size, Qt::Uninitialized);
    char *base = out.data();
    const quint32 count = quint32(columns);
    std::memcpy(base, &count, 4);
    char *p = base + 4 + 4 * qsizetype(columns);
    for (int c = 0; c < columns; ++c) {
        const quint32 offset = quint32(p - base);
        std::memcpy(base + 4 + 4 * c, &offset, 4);
        const int col = firstColumn + c;
        switch (types[size_t(c)]) {
        case SQLITE_NULL:
            *p++ = char(Null);
            break;
        case SQLITE_INTEGER: {
            *p++ = char(Int);
            const qint64 v = sqlite3_column_int64(stmt, col);
            std::memcpy(p, &v, 8);
            p += 8;
            break;
        }
        case SQLITE_FLOAT: {
            *p++ = char(Real);
            const double v = sqlite3_column_double(stmt, col);
            std::memcpy(p, &v, 8);
            p += 8;
            break;
        }
        default: {
            const bool blob = types[size_t(c)] == SQLITE_BLOB;
            const void *src = blob ? sqlite3_column_blob(stmt, col) : static_cast<const void *>(sqlite3_column_text(stmt, col));
            const quint32 n = quint32(lengths[size_t(c)]);
            *p++ = char(blob ? Blob : Text);
            std::memcpy(p, &n, 4);
            p += 4;
            if (n) std::memcpy(p, src, n);
            p += n;
            break;
        }
        }
    }
    return out;
}

QByteArray RowCodec::fromValues(const std::vector<QVariant> &values) {
    QByteArray out;
    const int columns = int(values.size());
    put<quint32>(out, quint32(columns));
    const qsizetype offsetsAt = out.size();
    out.resize(offsetsAt + 4 * qsizetype(columns));
    for (int c = 0; c < columns; ++c) {
        const quint32 offset = quint32(out.size());
        std::memcpy(out.data() + offsetsAt + 4 * c, &offset, 4);
        const QVariant &v = values[size_t(c)];
        if (v.isNull()) {
            out.append(char(Null));
            continue;
        }
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            out.append(char(Int));
            put<qint64>(out, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            out.append(char(Real));
            put<double>(out, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            out.append(char(Blob));
            put<quint32>(out, quint32(b.size()));
            out.append(b);
            break;
        }
        default: {
            const QByteArray b = v.toString().toUtf8();
            out.append(char(Text));
            put<quint32>(out, quint32(b.size()));
            out.append(b);
            break;
        }
        }
    }
    return out;
}

int RowCodec::columnCount(const QByteArray &row) {
    if (row.size() < 4) return 0;
    return int(get<quint32>(row.constData()));
}

QVariant RowCodec::cell(const QByteArray &row, int column) {
    if (column < 0 || column >= columnCount(row)) return QVariant();
    const char *base = row.constData();
    const quint32 offset = get<quint32>(base + 4 + 4 * column);
    const char *p = base + offset;
    switch (Tag(*p)) {
    case Null:
        return QVariant();
    case Int:
        return QVariant(get<qint64>(p + 1));
    case Real:
        return QVariant(get<double>(p + 1));
    case Text: {
        const quint32 n = get<quint32>(p + 1);
        return QVariant(QString::fromUtf8(p + 5, qsizetype(n)));
    }
    case Blob: {
        const quint32 n = get<quint32>(p + 1);
        return QVariant(QByteArray(p + 5, qsizetype(n)));
    }
    }
    return QVariant();
}

QVariant RowCodec::typedCell(const QByteArray &row, int column, TFieldType type) {
    if (column < 0 || column >= columnCount(row)) return QVariant();
    const char *base = row.constData();
    const char *p = base + get<quint32>(base + 4 + 4 * column);
    switch (Tag(*p)) {
    case Null:
        return QVariant();
    case Int:
        switch (type) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftAutoInc:
            return QVariant(get<qint64>(p + 1));
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
            return QVariant(double(get<qint64>(p + 1)));
        case TFieldType::ftBoolean:
            return QVariant(get<qint64>(p + 1) != 0);
        default:
            break;
        }
        break;
    case Real:
        switch (type) {
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
            return QVariant(get<double>(p + 1));
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftAutoInc:
            return QVariant(qint64(std::llround(get<double>(p + 1))));
        default:
            break;
        }
        break;
    case Text:
        switch (type) {
        case TFieldType::ftString:
        case TFieldType::ftMemo:
            return QVariant(QString::fromUtf8(p + 5, qsizetype(get<quint32>(p + 1))));
        case TFieldType::ftDate: {
            const QDate d = IsoDate(p + 5, get<quint32>(p + 1));
            return d.isValid() ? QVariant(d) : QVariant();
        }
        default:
            break;
        }
        break;
    case Blob:
        break;
    }
    return FromStorage(type, cell(row, column));
}

std::vector<QVariant> RowCodec::values(const QByteArray &row) {
    const int n = columnCount(row);
    std::vector<QVariant> out;
    out.reserve(size_t(n));
    for (int c = 0; c < n; ++c) out.push_back(cell(row, c));
    return out;
}

int RowStore::columnIndex(const QString &name) const {
    // Names equal but for letter case have the same length: the length rules most out.
    for (size_t i = 0; i < columnNames.size(); ++i)
        if (columnNames[i].size() == name.size() && columnNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void RowStore::renumber(int by) {
    begin += by;
    first += by;
    end += by;
    spanBegin += by;
    spanEnd += by;
    std::map<int, QByteArray> moved;
    for (auto &[at, key] : checkpoints)
        moved.emplace(at + by, std::move(key));
    checkpoints = std::move(moved);
}

void RowStore::shiftFrom(int number, int by) {
    if (endKnown && end >= number) end += by;
    if (spanEnd >= number) spanEnd += by;
    if (startKnown && first > number) first += by;
    if (spanBegin > number) spanBegin += by;
    std::map<int, QByteArray> moved;
    for (auto &[at, key] : checkpoints)
        if (at < number)
            moved.emplace(at, std::move(key));
        else if (by > 0 || at >= number - by)
            moved.emplace(at + by, std::move(key));
    checkpoints = std::move(moved);
}

} // namespace db

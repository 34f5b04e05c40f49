#pragma once
// Legacy files written by the tests themselves: dBase tables byte by byte, as the
// version 2.0 program kept them, and Paradox tables through the Paradox library's own
// writing functions. Texts are encoded in the code page the file names.
#include "maintenance/Pxlib.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstring>
#include <iconv.h>
#include <stdexcept>
#include <vector>

namespace legacy {

inline QByteArray encode(const QString &text, int codePage) {
    const QByteArray utf8 = text.toUtf8();
    const QByteArray name = "CP" + QByteArray::number(codePage);
    iconv_t cd = iconv_open(name.constData(), "UTF-8");
    if (cd == iconv_t(-1)) throw std::runtime_error("iconv");
    QByteArray out(utf8.size() * 2 + 4, '\0');
    char *in = const_cast<char *>(utf8.constData()), *o = out.data();
    size_t inLeft = size_t(utf8.size()), outLeft = size_t(out.size());
    iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

// ---- dBase --------------------------------------------------------------------------

struct DbfField {
    QByteArray name;
    char type; // C, N, F, D, L
    int length;
    int decimals = 0;
};

// Language bytes: 0x26 CP866, 0xC9 CP1251, 0x00 none (CP866).
class DbfWriter {
  public:
    explicit DbfWriter(std::vector<DbfField> fields, uchar language = 0x26, int codePage = 866)
        : m_fields(std::move(fields)), m_language(language), m_codePage(codePage) {}

    // One record: one value per field (text, a number, a QDate, a bool, or null for blanks).
    DbfWriter &Add(const QVariantList &values, bool deleted = false) {
        QByteArray record(1, deleted ? '*' : ' ');
        for (size_t i = 0; i < m_fields.size(); ++i) {
            const DbfField &f = m_fields[i];
            const QVariant v = i < size_t(values.size()) ? values[qsizetype(i)] : QVariant();
            QByteArray cell;
            if (v.isNull()) {
                cell = QByteArray(f.length, ' ');
            } else if (f.type == 'C') {
                cell = encode(v.toString(), m_codePage).left(f.length);
                cell += QByteArray(f.length - cell.size(), ' ');
            } else if (f.type == 'N' || f.type == 'F') {
                cell = QByteArray::number(v.toDouble(), 'f', f.decimals).right(f.length);
                cell = QByteArray(f.length - cell.size(), ' ') + cell;
            } else if (f.type == 'D') {
                cell = v.toDate().toString(QStringLiteral("yyyyMMdd")).toLatin1();
            } else if (f.type == 'L') {
                cell = v.toBool() ? "T" : "F";
            }
            record += cell;
        }
        m_records << record;
        return *this;
    }

    QByteArray Bytes() const {
        int recordLength = 1;
        for (const DbfField &f : m_fields)
            recordLength += f.length;
        const int headerLength = 32 + 32 * int(m_fields.size()) + 1;
        QByteArray h(32, '\0');
        h[0] = 0x03;
        h[1] = char(124);
        h[2] = 5;
        h[3] = 17;
        const quint32 n = quint32(m_records.size());
        for (int i = 0; i < 4; ++i)
            h[4 + i] = char(n >> (8 * i));
        h[8] = char(headerLength & 0xFF);
        h[9] = char(headerLength >> 8);
        h[10] = char(recordLength & 0xFF);
        h[11] = char(recordLength >> 8);
        h[29] = char(m_language);
        for (const DbfField &f : m_fields) {
            QByteArray d(32, '\0');
            std::memcpy(d.data(), f.name.constData(), size_t(qMin(f.name.size(), qsizetype(10))));
            d[11] = f.type;
            d[16] = char(f.length);
            d[17] = char(f.decimals);
            h += d;
        }
        h += '\x0D';
        for (const QByteArray &r : m_records)
            h += r;
        h += '\x1A';
        return h;
    }

    void Save(const QString &path) const {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("dbf write");
        file.write(Bytes());
    }

  private:
    std::vector<DbfField> m_fields;
    uchar m_language;
    int m_codePage;
    QList<QByteArray> m_records;
};

// ---- The files of version 2.0 -----------------------------------------------------

// MISSION.DBF of version 2.0: the fields the import reads, in CP866; a row of it is
// made by Version20Order.
inline DbfWriter Version20Orders() {
    return DbfWriter(
        {{"DATE", 'D', 8},       {"NUMBER", 'N', 6},      {"SUMMA", 'N', 15, 2},  {"VID_PAY", 'C', 10},
         {"CODE", 'C', 7},       {"REMARK", 'C', 200},    {"NAZ_PAY", 'C', 20},   {"TYPE_PAY", 'C', 20},
         {"P_INN", 'C', 12},     {"P_NAME", 'C', 60},     {"P_ACCOUNT", 'C', 20}, {"P_BANK", 'C', 60},
         {"P_BANK_BIC", 'C', 9}, {"P_BANK_ACC", 'C', 20}, {"R_INN", 'C', 12},     {"R_NAME", 'C', 60},
         {"R_ACCOUNT", 'C', 20}, {"R_BANK", 'C', 60},     {"R_BANK_BIC", 'C', 9}, {"R_BANK_ACC", 'C', 20}},
        0x26, 866);
}

// One electronic order of MISSION.DBF, payment kind "01"; the payer and the recipient
// each given as INN, name, account, bank, BIC and correspondent account.
inline QVariantList Version20Order(const QDate &date, int number, double sum, const QString &remark,
                                   const QStringList &payer, const QStringList &recipient) {
    QVariantList row{date, number, sum, "01", "", remark, "", "электронно"};
    for (const QString &s : payer)
        row << s;
    for (const QString &s : recipient)
        row << s;
    return row;
}

// PARTNERS.DBF of version 2.0, in CP866.
inline DbfWriter Version20Partners() {
    return DbfWriter({{"INN", 'C', 12},
                      {"NAME", 'C', 60},
                      {"ADDRESS", 'C', 80},
                      {"PHONE", 'C', 20},
                      {"TOWN", 'C', 30},
                      {"OKONX", 'C', 10},
                      {"OKPO", 'C', 10},
                      {"BANK", 'C', 60},
                      {"ACCOUNT", 'C', 20},
                      {"BANK_ACC", 'C', 20},
                      {"BANK_BIC", 'C', 9}},
                     0x26, 866);
}

// ---- Paradox ------------------------------------------------------------------------

struct PxField {
    const char *name;
    int type; // pxfAlpha, pxfNumber, pxfAutoInc...
    int length;
};

// The fields of Bank.db of an earlier version.
inline std::vector<PxField> EarlierBankFields() {
    return {{"Bank_id", pxfAutoInc, 4}, {"Klient_id", pxfNumber, 8}, {"NameBank", pxfAlpha, 100},
            {"Schet", pxfAlpha, 30},    {"KorSchet", pxfAlpha, 30},  {"Bik", pxfAlpha, 30}};
}

// A Paradox table written by the library, its rows given one value per field (null
// for an empty value). Throws std::runtime_error when the library refuses.
inline void WriteParadox(const QString &path, const std::vector<PxField> &fields,
                         const QList<QVariantList> &rows, int codePage = 1251) {
    pxdoc_t *doc = PX_new();
    auto *pxf = static_cast<pxfield_t *>(doc->malloc(doc, fields.size() * sizeof(pxfield_t), "fields"));
    int recordSize = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        pxf[i].px_fname = PX_strdup(doc, fields[i].name);
        pxf[i].px_ftype = char(fields[i].type);
        pxf[i].px_flen = fields[i].length;
        pxf[i].px_fdc = 0;
        recordSize += fields[i].length;
    }
    QFile::remove(path);
    if (PX_create_file(doc, pxf, int(fields.size()), QFile::encodeName(path).constData(), pxfFileTypIndexDB) <
        0) {
        PX_delete(doc);
        throw std::runtime_error("paradox create");
    }
    PX_set_value(doc, "codepage", float(codePage));
    std::vector<char> record(static_cast<size_t>(recordSize));
    for (const QVariantList &row : rows) {
        std::fill(record.begin(), record.end(), '\0');
        int offset = 0;
        for (size_t i = 0; i < fields.size(); ++i) {
            const QVariant v = i < size_t(row.size()) ? row[qsizetype(i)] : QVariant();
            char *at = record.data() + offset;
            const int len = fields[i].length;
            offset += len;
            if (v.isNull()) continue;
            switch (fields[i].type) {
            case pxfAlpha: {
                QByteArray text = encode(v.toString(), codePage);
                PX_put_data_alpha(doc, at, len, text.data());
                break;
            }
            case pxfNumber:
            case pxfCurrency:
                PX_put_data_double(doc, at, len, v.toDouble());
                break;
            case pxfAutoInc:
            case pxfLong:
                PX_put_data_long(doc, at, len, v.toInt());
                break;
            case pxfShort:
                PX_put_data_short(doc, at, len, short(v.toInt()));
                break;
            case pxfDate:
                PX_put_data_long(
                    doc, at, len,
                    int(PX_GregorianToSdn(v.toDate().year(), v.toDate().month(), v.toDate().day()) -
                        1721425));
                break;
            case pxfLogical:
                PX_put_data_byte(doc, at, len, v.toBool() ? 1 : 0);
                break;
            default:
                break;
            }
        }
        if (PX_put_record(doc, record.data()) < 0) {
            PX_close(doc);
            PX_delete(doc);
            throw std::runtime_error("paradox record");
        }
    }
    PX_close(doc);
    PX_delete(doc);
}

} // namespace legacy

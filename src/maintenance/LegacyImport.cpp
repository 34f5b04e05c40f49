#include "maintenance/LegacyImport.h"

#include "db/Database.h"
#include "db/FieldTypes.h"
#include "db/Formats.h"
#include "maintenance/LegacyFiles.h"

#include <QDir>
#include <QFileInfo>

TTableWriter::TTableWriter(const char *table, const QStringList &fields)
    : m_insert(QStringLiteral("INSERT INTO \"%1\" (\"%2\") VALUES (%3)")
                   .arg(QLatin1String(table), fields.join(QStringLiteral("\", \"")),
                        QStringList(fields.size(), QStringLiteral("?")).join(QStringLiteral(", ")))) {
    for (const QString &name : fields) {
        const db::FieldDef &def = SchemaField(table, name);
        Column column;
        db::FieldTypeFromCode(QString::fromLatin1(def.type), column.type, column.size);
        m_columns.push_back(column);
    }
}

void TTableWriter::Set(int field, const QVariant &value) {
    const Column &c = m_columns[size_t(field)];
    m_insert.Bind(field + 1, db::ToStorage(c.type, c.size, value));
}

qint64 TTableWriter::Insert() {
    m_insert.Run();
    return db::Database::LastInsertRowId();
}

void CheckFolderExists(const QString &folder) {
    if (!QFileInfo(folder).isDir())
        throw EOrbekError(QStringLiteral("Папка «%1» не найдена").arg(QDir::toNativeSeparators(folder)));
}

const db::FieldDef &SchemaField(const char *table, const QString &field) {
    const db::FieldDef *def = db::FindFieldDef(db::FindTable(QLatin1String(table)), field);
    if (!def)
        throw EDatabaseError(QStringLiteral("В таблице %1 нет поля %2").arg(QLatin1String(table), field));
    return *def;
}

bool ConvertForField(const QVariant &value, TFieldType type, QVariant &converted) {
    converted = QVariant();
    if (value.isNull()) return true;
    const bool text = value.typeId() == QMetaType::QString;
    const QString s = text ? value.toString().trimmed() : QString();
    if (text && s.isEmpty() && !db::IsTextType(type)) return true;
    switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftMemo:
        if (value.typeId() == QMetaType::Double)
            converted = fmt::FloatToStr(value.toDouble());
        else if (value.typeId() == QMetaType::QDate)
            converted = fmt::DateToStr(value.toDate());
        else if (value.typeId() == QMetaType::Bool)
            converted = value.toBool() ? QStringLiteral("T") : QStringLiteral("F");
        else
            converted = value.toString();
        return true;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftInteger:
    case TFieldType::ftSmallint:
    case TFieldType::ftAutoInc: {
        if (!text) {
            if (value.typeId() == QMetaType::QDate) return false;
            converted = value.toDouble();
            return true;
        }
        double d = 0;
        bool ok = fmt::TryStrToFloat(s, d);
        if (!ok) d = s.toDouble(&ok);
        if (!ok || !qIsFinite(d)) return false;
        converted = d;
        return true;
    }
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: {
        if (value.typeId() == QMetaType::QDate) {
            converted = value;
            return true;
        }
        QDate d;
        if (!text || !fmt::TryStrToDate(s, d)) return false;
        converted = d;
        return true;
    }
    case TFieldType::ftBoolean:
        if (value.typeId() == QMetaType::Bool) {
            converted = value;
        } else if (text) {
            const QChar c = s.isEmpty() ? QLatin1Char('F') : s.at(0).toUpper();
            if (!QStringLiteral("TFYN10").contains(c)) return false;
            converted = QStringLiteral("TY1").contains(c);
        } else {
            converted = value.toDouble() != 0;
        }
        return true;
    default:
        return false;
    }
}

namespace {

[[noreturn]] void unreadable(const TLegacyTable &table, int field, const QString &as) {
    throw ELegacyFileError(table.Path(), QStringLiteral("в записи %1 значение поля «%2» не читается как %3")
                                             .arg(table.RecordNumber())
                                             .arg(table.FieldName(field), as));
}

} // namespace

QString LegacyText(const TLegacyTable &table, int field) {
    QVariant v;
    if (!ConvertForField(table.Value(field), TFieldType::ftString, v))
        unreadable(table, field, QStringLiteral("текст"));
    return v.toString();
}

QVariant LegacyNumber(const TLegacyTable &table, int field) {
    QVariant v;
    if (!ConvertForField(table.Value(field), TFieldType::ftFloat, v))
        unreadable(table, field, QStringLiteral("число"));
    return v;
}

QVariant LegacyDate(const TLegacyTable &table, int field) {
    QVariant v;
    if (!ConvertForField(table.Value(field), TFieldType::ftDate, v))
        unreadable(table, field, QStringLiteral("дата"));
    return v;
}

std::vector<int> LegacyFields(const TLegacyTable &table, const QStringList &names) {
    std::vector<int> positions;
    for (const QString &name : names) {
        const int at = table.FindField(name);
        if (at < 0) throw ELegacyFileError(table.Path(), QStringLiteral("в таблице нет поля «%1»").arg(name));
        positions.push_back(at);
    }
    return positions;
}

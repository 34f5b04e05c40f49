#include "db/FieldTypes.h"

namespace db {

QString StorageTypeName(const QString &code) {
    if (code.startsWith(QLatin1Char('A'))) return QStringLiteral("VARCHAR(%1)").arg(code.mid(1));
    if (code == QLatin1String("N")) return QStringLiteral("FLOAT");
    if (code == QLatin1String("$")) return QStringLiteral("MONEY");
    if (code == QLatin1String("D")) return QStringLiteral("DATE");
    if (code == QLatin1String("T")) return QStringLiteral("TIME");
    if (code == QLatin1String("@")) return QStringLiteral("TIMESTAMP");
    if (code == QLatin1String("L")) return QStringLiteral("BOOLEAN");
    if (code == QLatin1String("I") || code == QLatin1String("+")) return QStringLiteral("INTEGER");
    if (code == QLatin1String("S")) return QStringLiteral("SMALLINT");
    if (code == QLatin1String("M") || code == QLatin1String("F")) return QStringLiteral("TEXT");
    if (code == QLatin1String("B") || code == QLatin1String("G")) return QStringLiteral("BLOB");
    return QStringLiteral("TEXT");
}

void FieldTypeFromCode(const QString &code, TFieldType &type, int &size) {
    size = 0;
    if (code.startsWith(QLatin1Char('A'))) {
        type = TFieldType::ftString;
        size = code.mid(1).toInt();
    } else if (code == QLatin1String("N")) {
        type = TFieldType::ftFloat;
    } else if (code == QLatin1String("$")) {
        type = TFieldType::ftCurrency;
    } else if (code == QLatin1String("D")) {
        type = TFieldType::ftDate;
    } else if (code == QLatin1String("T")) {
        type = TFieldType::ftTime;
    } else if (code == QLatin1String("@")) {
        type = TFieldType::ftDateTime;
    } else if (code == QLatin1String("L")) {
        type = TFieldType::ftBoolean;
    } else if (code == QLatin1String("I")) {
        type = TFieldType::ftInteger;
    } else if (code == QLatin1String("S")) {
        type = TFieldType::ftSmallint;
    } else if (code == QLatin1String("+")) {
        type = TFieldType::ftAutoInc;
    } else if (code == QLatin1String("B") || code == QLatin1String("G")) {
        type = TFieldType::ftBlob;
    } else {
        type = TFieldType::ftMemo;
    }
}

bool FieldTypeFromDecl(const QString &declared, TFieldType &type, int &size) {
    const QString d = declared.trimmed().toUpper();
    size = 0;
    if (d.isEmpty()) return false;
    if (d.startsWith(QLatin1String("VARCHAR"))) {
        type = TFieldType::ftString;
        const int open = d.indexOf(QLatin1Char('(')), close = d.indexOf(QLatin1Char(')'));
        size = open > 0 && close > open ? d.mid(open + 1, close - open - 1).toInt() : 255;
        return true;
    }
    static const struct {
        const char *name;
        TFieldType type;
    } map[] = {{"FLOAT", TFieldType::ftFloat},       {"DOUBLE", TFieldType::ftFloat},
               {"REAL", TFieldType::ftFloat},        {"MONEY", TFieldType::ftCurrency},
               {"DATE", TFieldType::ftDate},         {"TIMESTAMP", TFieldType::ftDateTime},
               {"TIME", TFieldType::ftTime},         {"BOOLEAN", TFieldType::ftBoolean},
               {"SMALLINT", TFieldType::ftSmallint}, {"INTEGER", TFieldType::ftInteger},
               {"TEXT", TFieldType::ftMemo},         {"BLOB", TFieldType::ftBlob}};
    for (const auto &m : map)
        if (d == QLatin1String(m.name)) {
            type = m.type;
            return true;
        }
    return false;
}

QString IndexSqlName(const QString &table, const QString &index) { return table + QLatin1Char('_') + index; }

const FieldDef *FindFieldDef(const TableDef *table, const QString &name) {
    if (!table) return nullptr;
    // Compared where they stand: every opening of a table looks up each of its columns.
    for (const FieldDef &f : table->fields)
        if (QAnyStringView::compare(QUtf8StringView(f.name), name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

const FieldDef *AutoIncField(const TableDef *table) {
    if (!table) return nullptr;
    for (const FieldDef &f : table->fields)
        if (qstrcmp(f.type, "+") == 0) return &f;
    return nullptr;
}

} // namespace db

#pragma once
// Inside the engine: the table type codes of the schema ("A20", "N", "D"...), the
// column types SQLite stores them as, and the field types the datasets expose.
#include "db/DataSet.h"
#include "db/Schema.h"

namespace db {

// "A20" -> VARCHAR(20), "N" -> FLOAT, "$" -> MONEY, "D" -> DATE, "L" -> BOOLEAN ...
QString StorageTypeName(const QString &code);
// The field type and size of a schema type code.
void FieldTypeFromCode(const QString &code, TFieldType &type, int &size);
// The field type and size of a declared column type as SQLite reports it.
bool FieldTypeFromDecl(const QString &declared, TFieldType &type, int &size);
// The stored name of a named index of a table.
QString IndexSqlName(const QString &table, const QString &index);
// A field of a schema table by name (case-insensitive), or nullptr.
const FieldDef *FindFieldDef(const TableDef *table, const QString &name);
// The autoincrement field of a table, or nullptr.
const FieldDef *AutoIncField(const TableDef *table);

} // namespace db

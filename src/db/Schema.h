#pragma once
// The tables of the data folder, written once, in the words of their descriptions:
// each table's fields in physical order with their types, its key and its named
// indexes. The database is created from this when the data folder holds none.
//
// Field types: "A20" text of 20 characters, "N" 64-bit float, "$" money, "D" date,
// "T" time, "@" date and time, "L" logical, "I" long integer, "S" short integer,
// "+" autoincrement key, "M" memo (long text), "B" binary.
#include <QString>
#include <vector>

namespace db {

struct FieldDef {
    const char *name;
    const char *type;
};

struct IndexDef {
    const char *name;   // the index name the forms use ("Nam", "InnKli")
    const char *fields; // its fields, separated by ";"
};

struct TableDef {
    const char *sqlName;  // the name in SQL ("PlatPor", "FAKTUR_ZAG")
    const char *fileName; // the table file of the data folder ("PlatPor.DB")
    std::vector<FieldDef> fields;
    const char *primaryKey; // fields separated by ";"; "" for a table without a key
    std::vector<IndexDef> indexes;
};

const std::vector<TableDef> &Schema();

// Finds a table by its file name or SQL name, any letter case, with or without the
// extension ("Klient.DB", "klient", "KLIENT"); nullptr when there is none.
const TableDef *FindTable(const QString &name);

} // namespace db

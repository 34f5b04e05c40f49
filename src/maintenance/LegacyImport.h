#pragma once
// What both imports of earlier versions' data share: rows inserted into a table of the
// data folder through one prepared statement, and a legacy value carried into a field
// of the program's tables the way the field reads it.
#include "db/DataSet.h"
#include "db/PreparedStatement.h"
#include "db/Schema.h"

#include <QStringList>
#include <vector>

class TLegacyTable;

// Inserts rows into one table: the fields are named once, the values of each row set
// by position and stored as their fields store them (texts cut to size, empty texts
// and blanks as nulls). Throws EDatabaseError.
class TTableWriter {
  public:
    TTableWriter(const char *table, const QStringList &fields);
    void Set(int field, const QVariant &value);
    // Inserts the row set so far and returns its new key; the values are cleared.
    qint64 Insert();

  private:
    struct Column {
        TFieldType type;
        int size;
    };
    std::vector<Column> m_columns;
    db::PreparedStatement m_insert;
};

// Throws EOrbekError "Папка «...» не найдена" when `folder` is not a folder.
void CheckFolderExists(const QString &folder);

// The field definition of a table of the program; throws when there is none.
const db::FieldDef &SchemaField(const char *table, const QString &field);

// A legacy value read the way a field of `type` reads it: null stays null; text into a
// number, date or logical is parsed as typed into the program. Returns false when the
// value does not convert.
bool ConvertForField(const QVariant &value, TFieldType type, QVariant &converted);

// The value of a named field of the current row as text, number or date; the field
// must exist. Throws ELegacyFileError naming the file, the row and the field when the
// value cannot be read so.
QString LegacyText(const TLegacyTable &table, int field);
QVariant LegacyNumber(const TLegacyTable &table, int field);
QVariant LegacyDate(const TLegacyTable &table, int field);
// The positions of the fields of that name in the table; throws ELegacyFileError for a
// missing one.
std::vector<int> LegacyFields(const TLegacyTable &table, const QStringList &names);

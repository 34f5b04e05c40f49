#pragma once
// What the readers of earlier versions' files share: the error that names a damaged or
// foreign file and the table interface the imports read rows through. Texts are decoded
// once, by the readers, through the code pages of db::TCodePage: the imports get
// QString values.
#include "db/CodePage.h"
#include "db/Errors.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

// A legacy file that cannot be read: missing, truncated, damaged, of another format.
// The message names the file and says what is wrong, in Russian.
class ELegacyFileError : public EOrbekError {
  public:
    ELegacyFileError(const QString &path, const QString &what);
};

// One table of an earlier version, read row by row in its file order.
class TLegacyTable {
  public:
    virtual ~TLegacyTable() = default;

    const QString &Path() const { return m_path; }
    int FieldCount() const { return int(m_fieldNames.size()); }
    const QString &FieldName(int field) const { return m_fieldNames[field]; }
    // The field of that name without regard to case; -1 when there is none.
    int FindField(const QString &name) const;
    // The field's type as its format writes it ("C", "N", "A", "+"...).
    virtual QString FieldType(int field) const = 0;

    // Moves to the next row (the first on the first call): false after the last.
    virtual bool Next() = 0;
    // 1-based number of the current row in the file, for messages.
    int RecordNumber() const { return m_recordNumber; }
    // A value of the current row: null, QString (trailing blanks kept off), double,
    // qint64, QDate or bool. Throws ELegacyFileError for a value that is damaged or of
    // a type the program does not read.
    virtual QVariant Value(int field) const = 0;

  protected:
    explicit TLegacyTable(const QString &path) : m_path(path) {}
    [[noreturn]] void Fail(const QString &what) const;
    QStringList m_fieldNames;
    int m_recordNumber = 0;

  private:
    QString m_path;
};

// The file of that name in the folder, found without regard to case; empty when the
// folder holds none.
QString FindFileNoCase(const QString &folder, const QString &name);

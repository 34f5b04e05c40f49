#pragma once
// A dBase table (.DBF) of an earlier version, read by the program itself: fields of the
// types C, N, F, D and L, deleted records skipped, texts without their trailing blanks,
// decoded in the code page named by the file's language byte (CP866 when it names none).
#include "maintenance/LegacyFiles.h"

#include <QFile>

class TDbfTable : public TLegacyTable {
  public:
    // Opens and checks the file: its header, its fields and that it holds every record
    // it counts. Throws ELegacyFileError.
    explicit TDbfTable(const QString &path);
    ~TDbfTable() override;

    QString FieldType(int field) const override;
    bool Next() override;
    QVariant Value(int field) const override;

    const db::TCodePage &CodePage() const { return *m_codePage; }
    qint64 RecordCount() const { return m_recordCount; }

  private:
    [[noreturn]] void FailValue(int field, const QString &what) const;
    struct Field {
        char type;
        int offset; // in the record, after the deletion flag
        int length;
    };
    QFile m_file;
    const uchar *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_headerLength = 0;
    qint64 m_recordLength = 0;
    qint64 m_recordCount = 0;
    qint64 m_index = -1; // of the current record
    std::vector<Field> m_fields;
    const db::TCodePage *m_codePage = nullptr;
    QByteArray m_bytes; // a file that cannot be mapped is read whole
};

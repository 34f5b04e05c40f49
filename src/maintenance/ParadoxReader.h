#pragma once
// A Paradox table (.DB) of an earlier version, read through the Paradox file library.
// The file's structure is checked before the library reads it (the library trusts its
// input), and texts are decoded in the table's code page (CP1251 when it names none).
#include "maintenance/LegacyFiles.h"

#include <vector>

struct px_doc;

class TParadoxTable : public TLegacyTable {
  public:
    // Opens and checks the file. Throws ELegacyFileError.
    explicit TParadoxTable(const QString &path);
    ~TParadoxTable() override;

    QString FieldType(int field) const override;
    bool Next() override;
    QVariant Value(int field) const override;

    int RecordCount() const { return m_recordCount; }
    const db::TCodePage &CodePage() const { return *m_codePage; }

  private:
    void CheckStructure(const QByteArray &header, qint64 fileSize);
    struct Field {
        int type;
        int offset;
        int length;
    };
    struct CloseDoc {
        void operator()(px_doc *doc) const;
    };
    std::unique_ptr<px_doc, CloseDoc> m_doc;
    std::vector<Field> m_fields;
    std::vector<char> m_record;
    int m_recordCount = 0;
    int m_index = -1;
    const db::TCodePage *m_codePage = nullptr;
    QString m_libraryError; // the last complaint of the library
};

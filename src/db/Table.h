#pragma once
// A table dataset: the rows of one table of the data folder in the order of its
// current index (or of its key), optionally within a range. Posting writes at once.
#include "db/DataSet.h"

class TTable : public TDataSet {
    Q_OBJECT
public:
    explicit TTable(QObject *owner = nullptr, const QString &tableName = QString());

    // The table file or SQL name, any letter case, with or without extension.
    QString TableName() const { return m_tableName; }
    void SetTableName(const QString &name);

    // Only this dataset may have the table open while it is open; enforced within
    // the process. Set it while the table is closed.
    bool Exclusive = false;

    // The named index ("Nam") or the index fields ("Dogovor_id", "FlSvoy;Name") that
    // order the rows. Changing either re-reads an open table in the new order and
    // keeps the range only when it still fits. Empty: the key's order.
    QString IndexName() const { return m_indexName; }
    void SetIndexName(const QString &name);
    QString IndexFieldNames() const { return m_indexFieldNames; }
    void SetIndexFieldNames(const QString &fields);
    QStringList IndexFields() const; // the fields that order the rows now

    // An inclusive range over the first index fields (a prefix of them may be given).
    // Set on a closed table, it holds from the next opening, so only the rows within
    // it are read. Closing the table drops the range.
    void SetRange(const QVariantList &start, const QVariantList &end);
    void CancelRange();
    bool HasRange() const { return m_rangeActive; }
    QVariantList RangeStart() const { return m_rangeStart; }
    QVariantList RangeEnd() const { return m_rangeEnd; }

    // Moves to the first row whose index key is not below the values (a prefix of
    // the index fields may be given); to the last row when every key is below.
    void FindNearest(const QVariantList &values);
    // Moves to the row whose index key equals the values; false and unmoved otherwise.
    bool FindKey(const QVariantList &values);

    // Deletes every row of the table (the autoincrement counter goes on).
    void EmptyTable();
    // Rebuilds the table's indexes.
    void ReindexTable();

    ~TTable() override;

protected:
  std::vector<ColumnInfo> openCursor() override;
  void closeCursor() override;
  bool writesDirectly() const override { return true; }
  void writeInsert(db::Row &row, const QByteArray &data) override;
  void writeUpdate(db::Row &row, const QByteArray &data) override;
  void writeDelete(db::Row &row) override;
  void placePostedRow() override;
  void masterChanged() override;
  void closed() override;
  QStringList masterDetailFields() const override;
  void transactionRolledBack() override;

private:
    QString quotedName() const;
    QString selectSql(QVariantList &binds) const;
    QString whereClause(QVariantList &binds) const;
    QString orderClause() const;
    // SQL for the rows whose first index fields are not below (equal: equal to) values.
    QString keyCondition(const QVariantList &values, bool equal, QVariantList &binds) const;
    TFieldType fieldType(const QString &field) const;
    // The field as the index orders it: quoted, text by the Russian collation.
    QString orderedColumn(const QString &field) const;
    void rereadKeepingRow();
    void noteWrite();

    QString m_tableName;
    QString m_sqlName;
    QString m_indexName;
    QString m_indexFieldNames;
    bool m_rangeActive = false;
    QVariantList m_rangeStart, m_rangeEnd;
    bool m_holdsLock = false;
    std::vector<ColumnInfo> m_columns;
};

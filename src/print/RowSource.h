#pragma once
// The rows a report reads. The layout engine knows only this interface; the one
// adapter over the table engine's datasets lives in DataSetSource.cpp, so layouts
// over in-memory rows (the engine's own tests) link without the database.
#include <QString>
#include <QVariant>

#include <cstddef>
#include <memory>

class TDataSet;

class TRowSource {
  public:
    virtual ~TRowSource() = default;

    // The name that SUM(name.field) and "name.field" expressions use.
    virtual QString Name() const = 0;

    // Called once before a layout pass over the rows, which then reads them through
    // SelectRow as it lays them out; throws when they cannot be read.
    virtual void BeginPass() = 0;

    // Makes the fields read `row` (0-based) until the next call, reading further rows
    // as needed; false, with no row selected, when the rows end before it. -1 returns
    // the fields to the source's own current row. A pass asks for rows in ascending
    // order and looks back at most one row (a group footer reads its group's last
    // row), so a source needs only a few rows at hand. Never moves a cursor and never
    // posts.
    virtual bool SelectRow(int row) = 0;

    // -1 when the source has no such field (names compare case-insensitively).
    virtual int FieldIndex(const QString &name) const = 0;
    // Values of the selected row. A null reads as an invalid QVariant, 0 and "".
    virtual QVariant Value(int field) const = 0;
    virtual double Number(int field) const = 0;
    // The printed text: without a mask the field's own display text; with a mask a
    // number or date formatted by it. A null prints empty, mask or not.
    virtual QString Text(int field, const QString &mask) const = 0;
};

// Wraps a live dataset (DataSetSource.cpp).
std::unique_ptr<TRowSource> MakeDataSetSource(TDataSet *dataSet);

// What a report or a data-bound text reads: a dataset of the table engine or any
// other row source. Converting from a dataset stores the adapter's factory, so only
// code that actually binds a dataset pulls the table engine in.
class TDataRef {
  public:
    TDataRef() = default;
    TDataRef(std::nullptr_t) {}
    TDataRef(TRowSource *source) : m_source(source) {}
    TDataRef(TDataSet *dataSet) : m_dataSet(dataSet), m_adapt(dataSet ? &MakeDataSetSource : nullptr) {}

    bool IsNull() const { return !m_source && !m_dataSet; }
    explicit operator bool() const { return !IsNull(); }
    // Identifies the rows: two references to one dataset share one adapter per pass.
    const void *Key() const { return m_source ? static_cast<const void *>(m_source) : m_dataSet; }
    TRowSource *Source() const { return m_source; }
    TDataSet *DataSet() const { return m_dataSet; }
    // A new adapter for a dataset; nullptr for a plain row source (use Source()).
    std::unique_ptr<TRowSource> Adapt() const { return m_adapt ? m_adapt(m_dataSet) : nullptr; }

    friend bool operator==(const TDataRef &a, const TDataRef &b) { return a.Key() == b.Key(); }

  private:
    TRowSource *m_source = nullptr;
    TDataSet *m_dataSet = nullptr;
    std::unique_ptr<TRowSource> (*m_adapt)(TDataSet *) = nullptr;
};

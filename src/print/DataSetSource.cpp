// The report's window on a live dataset: it reads the dataset's rows, cached rows not
// yet applied and the row under edit included, one after another as the layout
// reaches them, without moving the cursor. Which of them the dataset keeps in memory
// is the dataset's affair.
#include "print/RowSource.h"

#include "db/DataSet.h"
#include "db/Formats.h"

#include <optional>

namespace {

constexpr int ReadAhead = 768;

class DataSetSource : public TRowSource {
  public:
    explicit DataSetSource(TDataSet *dataSet) : m_dataSet(dataSet) {}

    QString Name() const override { return m_dataSet->Name(); }

    // The rows' numbers must be their positions from the first: a dataset standing on
    // its last row may number them otherwise, and FetchAll renumbers them (it counts
    // the rows too, which for a grouping query means running it twice, so a dataset
    // numbered from its first row is left as it is).
    void BeginPass() override {
        if (!m_dataSet->Active())
            throw EDatabaseError(QStringLiteral("Набор данных %1 не открыт").arg(m_dataSet->Name()));
        if (!m_dataSet->RowsBeginKnown() || m_dataSet->RowsBegin() != 0) m_dataSet->FetchAll();
    }

    // Rows are read ahead in runs well inside what a dataset keeps at once, so a long
    // report re-reads a keyed dataset once a run rather than once every few rows, and
    // the row before (a group footer's) is still at hand.
    bool SelectRow(int row) override {
        m_scope.reset();
        if (row < 0) return false;
        if (row >= m_dataSet->FetchedRowCount()) m_dataSet->FetchMore(row + ReadAhead);
        if (row >= m_dataSet->FetchedRowCount()) return false;
        m_scope.emplace(m_dataSet, row);
        return true;
    }

    int FieldIndex(const QString &name) const override {
        const TField *field = m_dataSet->FindField(name);
        return field ? field->Index() : -1;
    }

    QVariant Value(int field) const override { return m_dataSet->Fields(field)->Value(); }
    double Number(int field) const override { return m_dataSet->Fields(field)->AsFloat(); }

    QString Text(int index, const QString &mask) const override {
        const TField *field = m_dataSet->Fields(index);
        if (mask.isEmpty()) return field->DisplayText();
        if (field->IsNull()) return QString();
        switch (field->DataType()) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftAutoInc:
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
            return fmt::FormatFloat(mask, field->AsFloat());
        case TFieldType::ftDate:
            return fmt::FormatDateTime(mask, field->AsDate());
        case TFieldType::ftTime:
        case TFieldType::ftDateTime:
            return fmt::FormatDateTime(mask, field->AsDateTime());
        default:
            return field->DisplayText();
        }
    }

  private:
    TDataSet *m_dataSet;
    std::optional<ActiveRowScope> m_scope;
};

} // namespace

std::unique_ptr<TRowSource> MakeDataSetSource(TDataSet *dataSet) {
    return std::make_unique<DataSetSource>(dataSet);
}

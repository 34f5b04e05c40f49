// The report's window on a live dataset: it reads the dataset's rows, cached rows not
// yet applied and the row under edit included, one after another as the layout
// reaches them, without moving the cursor. Which of them the dataset keeps in memory
// is the dataset's affair.
#include "print/RowSource.h"

#include "db/DataSet.h"
#include "db/Formats.h"

#include <optional>

namespace {

class DataSetSource : public TRowSource {
  public:
    explicit DataSetSource(TDataSet *dataSet) : m_dataSet(dataSet) {}

    QString Name() const override { return m_dataSet->Name(); }

    // FetchAll makes the rows' numbers their positions from the first (a dataset
    // standing on its last row may number them otherwise) and tells how many there are.
    void BeginPass() override {
        if (!m_dataSet->Active())
            throw EDatabaseError(QStringLiteral("Набор данных %1 не открыт").arg(m_dataSet->Name()));
        m_dataSet->FetchAll();
    }

    bool SelectRow(int row) override {
        m_scope.reset();
        if (row < 0 || row >= m_dataSet->FetchedRowCount()) return false;
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

#include "controls/DBUtils.h"

#include "db/DataSet.h"
#include "db/Database.h"
#include "print/WaitCursor.h"

#include <QApplication>
#include <QLocale>

void TLocateObject::SetDataSet(TDataSet *dataSet) {
    if (dataSet == m_dataSet) return;
    m_dataSet = dataSet;
    m_lookupField = nullptr;
    ActiveChanged();
}

bool TLocateObject::MatchesLookupValue(const TField *field) const {
    QString text = field->Text();
    if (!m_exact) text.truncate(m_lookupValue.size());
    if (m_caseSensitive) return db::Database::CompareText(text, m_lookupValue) == 0;
    const QLocale locale;
    return db::Database::CompareText(locale.toUpper(text), locale.toUpper(m_lookupValue)) == 0;
}

bool TLocateObject::CanUseEngineSearch() {
    return m_lookupField->FieldKind() != TFieldKind::fkLookup;
}

bool TLocateObject::LocateByEngine() {
    WaitCursor wait;
    TLocateOptions options = 0;
    if (!m_exact) options |= int(TLocateOption::loPartialKey);
    if (!m_caseSensitive) options |= int(TLocateOption::loCaseInsensitive);
    // An empty value: an empty field, or for a partial search any start at all.
    const QVariant value = m_exact && m_lookupValue.isEmpty() ? QVariant() : QVariant(m_lookupValue);
    return m_dataSet->Locate(m_lookupField->FieldName(), value, options);
}

bool TLocateObject::LocateByScan() {
    m_dataSet->First();
    for (; !m_dataSet->Eof(); m_dataSet->Next())
        if (MatchesLookupValue(m_lookupField)) return true;
    return false;
}

bool TLocateObject::Locate(const QString &fieldName, const QString &value, bool exact, bool caseSensitive) {
    if (!m_dataSet || !m_dataSet->Active())
        throw EDatabaseError(QStringLiteral("Поиск записи: набор данных не открыт"));
    m_lookupField = m_dataSet->FieldByName(fieldName);
    m_lookupValue = value;
    m_exact = exact;
    m_caseSensitive = caseSensitive;
    ValidateLookupField();
    if (CanUseIndex()) return LocateByIndex();
    if (CanUseEngineSearch()) return LocateByEngine();
    return ScanKeepingPosition();
}

bool TLocateObject::ScanKeepingPosition() {
    m_dataSet->CheckBrowseMode();
    const qint64 rowId = m_dataSet->RowId();
    const int recNo = rowId ? -1 : m_dataSet->RecNo();
    m_dataSet->DisableControls();
    try {
        const bool found = LocateByScan();
        if (!found && !(rowId && m_dataSet->GotoRowId(rowId)) && recNo >= 0) m_dataSet->SetRecNo(recNo);
        m_dataSet->EnableControls();
        return found;
    } catch (...) {
        m_dataSet->EnableControls();
        throw;
    }
}

namespace {
std::function<std::unique_ptr<TLocateObject>()> &factory() {
    static std::function<std::unique_ptr<TLocateObject>()> f;
    return f;
}
} // namespace

std::unique_ptr<TLocateObject> CreateLocateObject() {
    return factory() ? factory()() : std::make_unique<TLocateObject>();
}

void SetLocateObjectFactory(std::function<std::unique_ptr<TLocateObject>()> f) {
    factory() = std::move(f);
}

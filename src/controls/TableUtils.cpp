#include "controls/TableUtils.h"

#include "db/FieldTypes.h"
#include "db/Formats.h"
#include "db/Schema.h"
#include "db/Table.h"
#include "print/WaitCursor.h"

#include <QCoreApplication>
#include <QLocale>

void AddTableFields(TDataSet *dataSet, const QString &table, const QStringList &except) {
    const db::TableDef *def = db::FindTable(table);
    if (!def) throw EDatabaseError(QStringLiteral("Таблица «%1» не описана").arg(table));
    for (const db::FieldDef &f : def->fields) {
        const QString name = QString::fromLatin1(f.name);
        if (except.contains(name, Qt::CaseInsensitive)) continue;
        TFieldType type;
        int size = 0;
        db::FieldTypeFromCode(QString::fromLatin1(f.type), type, size);
        TField *field = dataSet->AddField(name, type, size);
        if (type == TFieldType::ftDate) field->EditMask = QStringLiteral("!99/99/0000;1;_");
    }
}

int TextSizeOf(const QString &table, const QString &field) {
    const db::FieldDef *def = db::FindFieldDef(db::FindTable(table), field);
    if (!def) return 0;
    TFieldType type;
    int size = 0;
    db::FieldTypeFromCode(QString::fromLatin1(def->type), type, size);
    return type == TFieldType::ftString ? size : 0;
}

void ReindexTableFile(TTable *table) {
    const bool wasActive = table->Active();
    table->DisableControls();
    try {
        if (wasActive) table->Close();
        table->ReindexTable();
    } catch (...) {
        // The rebuild's error is the one the caller hears of; the table is back as it was
        // as far as it reopens.
        try {
            if (wasActive && !table->Active()) table->Open();
        } catch (...) {
        }
        table->EnableControls();
        throw;
    }
    try {
        if (wasActive) table->Open();
    } catch (...) {
        table->EnableControls();
        throw;
    }
    table->EnableControls();
}

void ApplyCachedUpdates(TDataSet *dataSet) {
    try {
        dataSet->ApplyUpdates();
    } catch (...) {
        dataSet->CancelUpdates();
        throw;
    }
    dataSet->CommitUpdates();
}

double StoreNewRow(TDataSet *dataSet, const QString &keyField, const QString &notFound) {
    dataSet->Post();
    ApplyCachedUpdates(dataSet);
    const double key = dataSet->FieldByName(keyField)->AsFloat();
    if (key == 0 || !dataSet->Locate(keyField, key)) throw EDatabaseError(notFound);
    return key;
}

// ---- Second cursors --------------------------------------------------------------------------

void TCloneTable::InitFromTable(TTable *source, bool reset) {
    Close();
    SetTableName(source->TableName());
    if (reset)
        SetIndexFieldNames(QString());
    else if (!source->IndexName().isEmpty())
        SetIndexName(source->IndexName());
    else
        SetIndexFieldNames(source->IndexFieldNames());
    m_reset = reset;
    SetSourceTable(source);
}

void TCloneTable::SetSourceTable(TTable *source) {
    Close();
    m_sourceTable = source;
    if (source) Open();
}

void TCloneTable::SetReadOnly(bool readOnly) {
    Close();
    ReadOnly = readOnly;
}

void TCloneTable::Open() {
    if (Active()) return;
    TTable::Open();
    if (!m_sourceTable || m_reset || !m_sourceTable->Active()) return;
    if (m_sourceTable->HasRange()) SetRange(m_sourceTable->RangeStart(), m_sourceTable->RangeEnd());
    GotoRowId(m_sourceTable->RowId());
}

TCloneDbDataset::~TCloneDbDataset() {
    DisableControls();
    try {
        Close();
    } catch (...) {
    }
}

void TCloneDbDataset::InitFromDataset(TDataSet *source, bool reset) {
    m_reset = reset;
    SetSourceDataSet(source);
}

void TCloneDbDataset::SetSourceDataSet(TDataSet *source) {
    Close();
    m_sourceDataSet = source;
    if (source) Open();
}

void TCloneDbDataset::SetReadOnly(bool readOnly) {
    Close();
    ReadOnly = readOnly;
}

void TCloneDbDataset::Open() {
    if (Active()) return;
    TDataSet::Open();
    if (!m_reset) GotoRowId(m_sourceDataSet->RowId());
}

std::vector<TDataSet::ColumnInfo> TCloneDbDataset::openCursor() {
    if (!m_sourceDataSet)
        throw EDatabaseError(QStringLiteral("Не задан набор данных, копию которого открывают"));
    return cloneCursorOf(*m_sourceDataSet);
}

// ---- Locate --------------------------------------------------------------------------------

void TDBLocate::ValidateLookupField() {
    // The value as the field holds it: text the field cannot hold fails here, before
    // anything moves. Dates and times are left as typed; a blank means an empty field.
    const QString &value = LookupValue();
    m_key = value.isEmpty() ? QVariant() : QVariant(value);
    if (value.isEmpty()) return;
    switch (LookupField()->DataType()) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc: {
        const qint64 n = fmt::StrToInt(value);
        if (LookupField()->DataType() == TFieldType::ftSmallint && (n < -32768 || n > 32767))
            throw EConvertError(fmt::InvalidIntegerMessage(value));
        m_key = n;
        break;
    }
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
        m_key = fmt::StrToFloat(value);
        break;
    case TFieldType::ftBoolean:
        m_key = QStringLiteral("1TYty").contains(value.front());
        break;
    default:
        break;
    }
}

namespace {

bool isOnly(const QStringList &fields, const QString &name) {
    return fields.size() == 1 && fields[0].trimmed().compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

bool TDBLocate::CanUseIndex() {
    auto *table = qobject_cast<TTable *>(DataSet());
    const TField *field = LookupField();
    if (!table || field->FieldKind() != TFieldKind::fkData) return false;
    const QString &name = field->FieldName();
    const QStringList current = table->IndexFields();
    if (!current.contains(name, Qt::CaseInsensitive) && !AllowNonIndexed) return false;
    if (!LookupExact() && !db::IsTextType(field->DataType())) return false;
    if (isOnly(current, name)) return true;
    // The search runs on a second cursor, which cannot open beside an exclusive one.
    if (table->Exclusive) return false;
    const db::TableDef *def = db::FindTable(table->TableName());
    if (!def) return false;
    auto fieldsOf = [](const char *fields) { return QString::fromLatin1(fields).split(QLatin1Char(';')); };
    if (isOnly(fieldsOf(def->primaryKey), name)) return true;
    for (const db::IndexDef &index : def->indexes)
        if (isOnly(fieldsOf(index.fields), name)) return true;
    return false;
}

bool TDBLocate::seekOn(TTable *table) {
    const QString &value = LookupValue();
    const TField *field = table->FieldByName(LookupField()->FieldName());
    if (LookupExact() && (CaseSensitive() || !db::IsTextType(field->DataType())))
        return table->FindKey({m_key});
    // Text in the Russian order keeps rows that differ only in case together, lower
    // case first: the search starts at the value in lower case and walks that run.
    const qint64 saved = table->RowId();
    table->DisableControls();
    bool found = false;
    try {
        table->FindNearest({QLocale().toLower(value)});
        for (; !table->Eof() && !table->IsEmpty(); table->Next()) {
            if (QString::compare(field->Text().left(value.size()), value, Qt::CaseInsensitive) != 0) break;
            if ((found = MatchesLookupValue(field))) break;
        }
        if (!found && saved) table->GotoRowId(saved);
    } catch (...) {
        table->EnableControls();
        throw;
    }
    table->EnableControls();
    return found;
}

bool TDBLocate::LocateByIndex() {
    auto *table = static_cast<TTable *>(DataSet());
    table->CheckBrowseMode();
    const QString &name = LookupField()->FieldName();
    if (isOnly(table->IndexFields(), name)) return seekOn(table);
    TCloneTable clone;
    clone.SetReadOnly(true);
    clone.InitFromTable(table, true);
    clone.SetIndexFieldNames(name);
    if (!seekOn(&clone)) return false;
    if (table->GotoRowId(clone.RowId())) return true;
    // The row lies outside the table's range: a later one within it may still match.
    return ScanKeepingPosition();
}

bool TDBLocate::LocateByEngine() {
    TDataSet *dataSet = DataSet();
    const TField *field = LookupField();
    if (LookupExact() || db::IsTextType(field->DataType()) || field->FieldKind() != TFieldKind::fkData)
        return TLocateObject::LocateByEngine();
    WaitCursor wait;
    dataSet->CheckBrowseMode();
    TCloneDbDataset clone;
    clone.SetReadOnly(true);
    clone.InitFromDataset(dataSet, true);
    const TField *copy = clone.FieldByName(field->FieldName());
    clone.OnFilterRecord = [this, copy](TDataSet *) { return MatchesLookupValue(copy); };
    clone.SetFiltered(true);
    if (clone.IsEmpty()) return false;
    if (dataSet->GotoRowId(clone.RowId())) return true;
    // Rows without an identity (a join) or hidden by the dataset's own filter: the
    // dataset is searched row by row.
    return ScanKeepingPosition();
}

namespace {

void installLocateObject() {
    SetLocateObjectFactory([] { return std::make_unique<TDBLocate>(); });
}

} // namespace

// Code asking for a locate object gets this program's from the start.
Q_COREAPP_STARTUP_FUNCTION(installLocateObject)

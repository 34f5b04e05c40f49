#include "controls/TableUtils.h"

#include "db/FieldTypes.h"
#include "db/Schema.h"
#include "db/Table.h"

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

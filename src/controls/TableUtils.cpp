#include "controls/TableUtils.h"

#include "db/Table.h"

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

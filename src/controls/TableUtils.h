#pragma once
// Table-level routines over the table engine.
class TTable;

// Rebuilds every index of the table's file. The table may be open or closed: its bound
// controls are told nothing meanwhile, and it is left as it was found, an open table
// reopened on its first row. Throws the engine's EDatabaseError; the controls are
// enabled and the table's open state restored also then.
void ReindexTableFile(TTable *table);

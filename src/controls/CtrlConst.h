#pragma once
// Shared constants of the input controls: the two screen cursors the library
// registers at start-up.
#include <QCursor>

// Screen cursor numbers: a pointing hand and a hand dragging a sheet.
constexpr int crHand = 14000;
constexpr int crDragHand = 14001;

// Builds both cursors (drawn here, no image files) and registers them under their
// numbers. Safe to call more than once; needs a running QGuiApplication.
void RegisterControlCursors();
// A registered cursor by number; the arrow for a number nobody registered.
QCursor ScreenCursor(int id);

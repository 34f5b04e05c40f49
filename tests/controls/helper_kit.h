#pragma once
// A fresh data folder for one test, and what the kit's tests share over it.
#include "db/Database.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>

class TempDataFolder {
public:
    TempDataFolder() { db::Database::Open(m_dir.path() + QStringLiteral("/dat")); }
    ~TempDataFolder() { db::Database::Close(); }
    TempDataFolder(const TempDataFolder &) = delete;
    TempDataFolder &operator=(const TempDataFolder &) = delete;

private:
    QTemporaryDir m_dir;
};

// Shows a window and makes it the active one at once, so focus moves within it the way
// the user's Tab and clicks move it.
inline void showActive(QWidget *window) {
    window->show();
    window->activateWindow();
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
}

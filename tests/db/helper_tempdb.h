#pragma once
// A fresh data folder for one test: created empty, opened, closed and removed.
#include "db/Database.h"

#include <QTemporaryDir>

class TempDataFolder {
public:
    TempDataFolder() {
        db::Database::Open(m_dir.path() + QStringLiteral("/dat"));
    }
    ~TempDataFolder() { db::Database::Close(); }
    QString path() const { return m_dir.path() + QStringLiteral("/dat"); }

private:
    QTemporaryDir m_dir;
};

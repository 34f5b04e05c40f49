#pragma once
// A file's whole contents, for tests that check what was or was not written.
#include <QByteArray>
#include <QFile>
#include <QString>

// The bytes of the file at `path`; empty when it cannot be read.
inline QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

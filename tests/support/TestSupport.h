#pragma once
// What the form tests share: a fresh data folder, a window that takes the focus, and a
// test case whose every function runs with scripted answers and fails on anything the
// script did not foresee.
#include <QObject>
#include <QString>
#include <QTemporaryDir>

class QWidget;

class TempDataFolder {
public:
    TempDataFolder();
    ~TempDataFolder();
    TempDataFolder(const TempDataFolder &) = delete;
    TempDataFolder &operator=(const TempDataFolder &) = delete;

private:
    QTemporaryDir m_dir;
};

// A text of exactly `length` characters made of `words` repeated, its last word cut and
// a blank at its end made a dot: a field filled to its size.
QString sized(const QString &words, int length);

// Shows a window and makes it the active one at once, so focus moves within it the way
// the user's Tab and clicks move it.
void showActive(QWidget *window);

class ScriptedTestCase : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
};

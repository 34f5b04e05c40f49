#pragma once
// What the form tests share: a fresh data folder, a window that takes the focus, and a
// test case whose every function runs with scripted answers and fails on anything the
// script did not foresee.
#include <QObject>
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

// Shows a window and makes it the active one at once, so focus moves within it the way
// the user's Tab and clicks move it.
void showActive(QWidget *window);

class ScriptedTestCase : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
};

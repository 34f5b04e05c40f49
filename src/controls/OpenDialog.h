#pragma once
// The open-file dialog: a filter of "description|pattern" pairs, a start folder and the
// chosen file. Under UiScript the chosen file comes from the test's script
// (UiScript::ChooseFile) instead of a window. And the current directory kept across a
// command that shows dialogs.
#include <QDir>
#include <QObject>
#include <QString>

class TOpenDialog : public QObject {
    Q_OBJECT
  public:
    explicit TOpenDialog(QObject *owner = nullptr) : QObject(owner) {}

    QString Title;
    QString Filter;     // "Базы|PlatPor.db"; names match without regard to case
    QString InitialDir; // empty: the current directory
    QString FileName;   // the chosen file, absolute

    // Shows the dialog modally: true when a file was chosen (FileName then holds it).
    bool Execute();
};

// The current directory as it was when a command started, made current again at its
// end: dialogs and file lists may change it.
class KeepCurrentDirectory {
  public:
    KeepCurrentDirectory() = default;
    ~KeepCurrentDirectory() { QDir::setCurrent(m_dir); }
    KeepCurrentDirectory(const KeepCurrentDirectory &) = delete;
    KeepCurrentDirectory &operator=(const KeepCurrentDirectory &) = delete;
    const QString &Path() const { return m_dir; }

  private:
    QString m_dir = QDir::currentPath();
};

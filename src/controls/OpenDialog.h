#pragma once
// The open-file dialog: a filter of "description|pattern" pairs, a start folder and the
// chosen file. Under UiScript the chosen file comes from the test's script
// (UiScript::ChooseFile) instead of a window.
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

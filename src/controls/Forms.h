#pragma once
// The form base and what every window of the program shares: caption, help topic,
// keys that reach the form before its controls, handlers run through the error guard,
// and the one way to show a form modally.
//
// A form is created once and lives for the whole run; closing it hides it and keeps
// its fields. Its module reads as: the layout in the constructor, then the handlers:
//
//     TSpPlat::TSpPlat() {
//         SetCaption("Платежные поручения");
//         SetHelpContext(2);
//         ...layout...
//         OnClick(SpeedButton6, [this] { SpeedButton6Click(); });
//         OnKeyDown(SortGrid1, [this](int &Key, Qt::KeyboardModifiers) { SortGrid1KeyDown(Key); });
//     }
//     void TSpPlat::FormShow() { ... }            // declared `void FormShow() override;`
//
// and a caller writes `if (ShowModal(PlatPor) == mrOk) ...`. Keys meant for the whole
// form go to its FormKeyDown override; OnKeyDown(control, ...) is for one control.
#include "controls/Dialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>

#include <functional>
#include <initializer_list>

class QWidget;

// ---- Keys -----------------------------------------------------------------------
// A key handler gets the key code (Qt::Key_F10, Qt::Key_Return...) and the modifiers;
// setting Key to 0 consumes the key, so the control never sees it. A character handler
// gets the typed character; setting it to 0 consumes it.
using KeyHandler = std::function<void(int &Key, Qt::KeyboardModifiers Shift)>;
using KeyPressHandler = std::function<void(QChar &Key)>;

// Runs `handler` for the keys pressed in `control` or in any widget inside it (the
// edit line of a combo box, a grid's cell editor) before the control handles them.
// On a window the handler sees every key of the window first (key preview). Handlers
// run through the error guard; a handler that throws consumes its key.
void OnKeyDown(QWidget *control, KeyHandler handler);
void OnKeyDown(std::initializer_list<QWidget *> controls, const KeyHandler &handler);
void OnKeyPress(QWidget *control, KeyPressHandler handler);

// Makes a window one of the program's forms: its own keys come first, and F1 opens
// the help topic of its help context (TForm does this itself; the main window calls it).
void InstallFormKeys(QWidget *window);
void SetHelpContext(QWidget *window, int topic);
int HelpContextOf(QWidget *widget); // the nearest help context set on it or its parents

// ---- Buttons, actions, signals --------------------------------------------------
// The click runs `handler` through the error guard; a button given a modal result
// (SetModalResult) then closes its form with that result, unless the handler threw.
void OnClick(QAbstractButton *button, std::function<void()> handler);
void OnTriggered(QAction *action, std::function<void()> handler);
// Any signal to a guarded handler: Connect(DatV, &TDateTimePicker::closeUp, [this] {...}).
template <class Sender, class Signal, class F>
QMetaObject::Connection Connect(Sender *sender, Signal signal, F handler) {
    return QObject::connect(sender, signal, sender, guarded(std::move(handler)));
}

// ---- Leaving without keeping the input ----------------------------------------
// Esc and a form's cancel buttons leave the form, or the row, without keeping what was
// typed. While they run, a bound control whose text does not convert (31.02.2026, a
// letter in an amount) drops the text instead of holding the user with its error, so
// the leaving can go on. The form's Esc key handlers run in such a scope, and so do
// the handlers of a button marked here; the focus moving onto such a button drops a
// bad text too. TForm::SetCancelButton marks its button.
void SetDropsBadInput(QAbstractButton *button);
bool DropsBadInput(const QWidget *widget);
bool DroppingBadInput();
class DropBadInputScope {
public:
    DropBadInputScope();
    ~DropBadInputScope();
    DropBadInputScope(const DropBadInputScope &) = delete;
    DropBadInputScope &operator=(const DropBadInputScope &) = delete;
};

// ---- Forms ----------------------------------------------------------------------
class TForm : public QDialog {
    Q_OBJECT
public:
    explicit TForm(QWidget *parent = nullptr);

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString &caption) { setWindowTitle(caption); }
    int HelpContext() const;
    void SetHelpContext(int topic);

    // The modal result: setting one other than mrNone closes a shown form with it.
    int ModalResult() const { return result(); }
    void SetModalResult(int modalResult);
    // Closes the form; a modal form returns mrCancel unless a result was set.
    void Close();

    // Clicking the button closes the form with `modalResult` after its handler.
    static void SetModalResult(QAbstractButton *button, int modalResult);
    // Enter presses the default button, Esc the cancel button; without a cancel button
    // Esc does nothing of its own (the form's key handler may still use it), unless the
    // form closes with Esc as with its close box (SetEscCloses).
    void SetDefaultButton(QAbstractButton *button);
    void SetCancelButton(QAbstractButton *button);
    void SetEscCloses(bool closes) { m_escCloses = closes; }

    void done(int modalResult) override;
    void reject() override { done(mrCancel); }
    void accept() override { done(mrOk); }

protected:
    // Hooks: every time the form is shown, every time it closes (also with Esc or the
    // window's close box), and every key pressed in the form before its controls see it.
    virtual void FormShow() {}
    virtual void FormClose() {}
    virtual void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift) {}
    // Asked before the window's close box, QWidget::close() or Esc (SetEscCloses) closes
    // the shown form; false (or a throw) keeps it open. Close(), the cancel button and a
    // modal result close without asking.
    virtual bool FormCloseQuery() { return true; }

    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    friend int ShowModal(QDialog *form);
    void showChecked();
    QAbstractButton *m_cancelButton = nullptr;
    bool m_escCloses = false;
    bool m_showingModal = false;
    std::exception_ptr m_showError;
};

// Shows the form modally and returns its modal result when it closes; the calling
// command goes on from there. Forms nest (the main window, a register, an editor, a
// picker...). An exception thrown by the form's FormShow leaves the form hidden and
// propagates to the caller. Under UiScript the form is shown, handed to the script the
// test registered for it, and its result returned once the script has closed it.
int ShowModal(QDialog *form);
// How many forms are shown modally right now.
int ModalDepth();

// Makes `window` the active window: the program's keys and shortcuts go to it at once,
// and the window system is asked to give it the keyboard.
void ActivateWindow(QWidget *window);

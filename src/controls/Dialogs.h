#pragma once
// The message box every form speaks through, the application's one error box, and the
// guard that runs a command, a key or a button handler and shows what it throws.
#include <QString>

class QDialog;
class QMessageBox;
class QWidget;

#include <exception>
#include <functional>
#include <utility>

// Modal results: what a message box answers and how a modal form was closed.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

enum TMsgDlgType : int { mtWarning, mtError, mtInformation, mtConfirmation };
enum TMsgDlgButtons : int { mbOK, mbYesNo, mbYesNoCancel };

// Shows `text` with the icon of `kind` and the buttons of `buttons` ("Да", "Нет",
// "Отмена", "OK") and returns mrYes, mrNo, mrCancel or mrOk. Esc answers mrCancel,
// or mrNo when there is no Cancel button; Enter takes the first button.
int MessageDlg(const QString &text, TMsgDlgType kind, TMsgDlgButtons buttons);

// The message box as MessageDlg runs it, built but not shown: over MessageOwner(), as
// wide as its title needs. Each button holds its answer in the property "ModalResult".
QMessageBox *CreateMessageBox(const QString &text, TMsgDlgType kind, TMsgDlgButtons buttons);
// The window a message box or the error box stands over, centred and in front: the
// modal form on top, which the user works in whichever window the window system holds
// active at the moment; without one the active window, else the main window.
QWidget *MessageOwner();

// Asks whether to keep what an editor holds, with "Да", "Нет" and "Отмена": "Да" runs
// `save`, "Нет" runs `discard`, "Отмена" (or Esc) neither, and the editor stays as it is.
void AskToSave(const QString &question, const std::function<void()> &save,
               const std::function<void()> &discard);

// The error text as the error box shows it: a "." is appended when the last character
// sorts after "." (so "Ошибка" gets one, "Проверьте!" does not).
QString ErrorBoxText(const QString &text);
// The error box: stop icon, OK, the application title as caption. A technical detail
// (a statement, the engine's own words) is kept out of the text, behind the toggle
// "Подробнее".
void ShowError(const QString &text, const QString &detail = QString());
// The error box as ShowError runs it, built but not shown.
QDialog *CreateErrorBox(const QString &text, const QString &detail, QWidget *parent = nullptr);
// Shows an exception in the error box with its detail; EAbort is silent.
void ShowException(std::exception_ptr error);

// Runs a command: an exception ends it and is shown in the error box (EAbort ends it
// silently); what the command changed before it threw stays as it is. Returns true
// when the command ran to its end.
bool Guarded(const std::function<void()> &command);

// Wraps a handler for a signal connection: the handler runs through Guarded.
template <class F> auto guarded(F handler) {
    return [handler = std::move(handler)](auto &&...args) {
        Guarded([&] { handler(std::forward<decltype(args)>(args)...); });
    };
}

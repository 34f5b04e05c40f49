#pragma once
// Scripted answers for the user's side of a dialogue, so that tests run the program's
// commands headless and without timers. While the script is active (always under the
// "offscreen" platform, or after Activate), every message box takes its answer from a
// queue, every form shown modally is handed to the function the test registered for
// it, and help requests are recorded instead of opening a window. Anything the test
// did not foresee (a message nobody answers, a form nobody drives, an answer left
// over) is recorded as a problem and printed as a warning; a test checks
//     QVERIFY2(UiScript::Clean(), qPrintable(UiScript::Problems()));
// in its cleanup() and calls UiScript::Reset() before the next case.
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;

class UiScript {
public:
    // One message box as it was shown.
    struct Message {
        QString text;    // the text as shown (the error box's after its "." rule)
        QString caption; // the window caption
        int kind = 0;    // TMsgDlgType
        int buttons = 0; // TMsgDlgButtons
        int answer = 0;  // the modal result handed back
        QString detail;  // the error box's technical detail, behind its toggle
    };
    using FormScript = std::function<void(QDialog *)>;

    static bool Active();
    static void Activate(bool on = true);
    // Forgets answers, form scripts, records and problems.
    static void Reset();

    // ---- Messages ---------------------------------------------------------------
    // Queues the answer to the next message box; a non-empty text must equal the text
    // shown (a mismatch is a problem, the answer is still given). `whileShown` runs
    // when the box is up, to look at what the program holds while the user reads it.
    static void Answer(int modalResult, const QString &expectedText = QString(),
                       const std::function<void()> &whileShown = {});
    // The error box, expected with this text (after its "." rule); answered OK.
    static void ExpectError(const QString &text = QString());
    static const QList<Message> &Messages();
    static QStringList MessageTexts();

    // ---- Modal forms ------------------------------------------------------------
    // The next showing of the form whose class name or object name is `formName` runs
    // `script` instead of waiting for the user: the form is shown, the script sets its
    // controls or calls its handlers and closes it. Scripts queue per form.
    static void OnShow(const QString &formName, FormScript script);
    template <class Form, class F> static void OnShow(F &&script) {
        OnShow(QString::fromLatin1(Form::staticMetaObject.className()),
               [script](QDialog *form) { script(static_cast<Form *>(form)); });
    }
    // Class names of the forms shown modally, in order.
    static const QStringList &FormsShown();

    // ---- Open-file dialogs --------------------------------------------------------
    // The file the next open-file dialog returns; an empty name cancels it.
    static void ChooseFile(const QString &path);

    // ---- Help -------------------------------------------------------------------
    // Topics asked for (0 = the contents).
    static const QList<int> &HelpShown();

    // ---- Problems ---------------------------------------------------------------
    static bool Clean(); // no problem recorded and nothing left unconsumed
    static QString Problems();

    // ---- For the kit --------------------------------------------------------------
    static int answerMessage(const QString &text, const QString &caption, int kind, int buttons,
                             int unexpectedAnswer, const QString &detail = QString());
    static FormScript takeFormScript(QDialog *form);
    static bool takeChosenFile(QString &path); // false, a problem recorded, when none was queued
    static void recordHelp(int topic);
    static void problem(const QString &text);
};

#include "controls/UiScript.h"

#include <QDialog>
#include <QGuiApplication>
#include <QHash>
#include <QQueue>
#include <QtDebug>

namespace {

struct QueuedAnswer {
    int result;
    QString text;
    std::function<void()> whileShown;
};

struct ScriptState {
    bool forcedOn = false;
    bool forcedOff = false;
    QQueue<QueuedAnswer> answers;
    QList<UiScript::Message> messages;
    QHash<QString, QQueue<UiScript::FormScript>> forms;
    QStringList formsShown;
    QQueue<QString> chosenFiles;
    QList<int> help;
    QStringList problems;
};

ScriptState &state() {
    static ScriptState s;
    return s;
}

} // namespace

bool UiScript::Active() {
    const ScriptState &s = state();
    if (s.forcedOn) return true;
    if (s.forcedOff) return false;
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

void UiScript::Activate(bool on) {
    state().forcedOn = on;
    state().forcedOff = !on;
}

void UiScript::Reset() {
    ScriptState &s = state();
    s.answers.clear();
    s.messages.clear();
    s.forms.clear();
    s.formsShown.clear();
    s.chosenFiles.clear();
    s.help.clear();
    s.problems.clear();
}

void UiScript::Answer(int modalResult, const QString &expectedText, const std::function<void()> &whileShown) {
    state().answers.enqueue({modalResult, expectedText, whileShown});
}

void UiScript::ExpectError(const QString &text) {
    // mrOk; the value is spelled out to keep this header free of the dialogs'.
    Answer(1, text);
}

const QList<UiScript::Message> &UiScript::Messages() {
    return state().messages;
}

QStringList UiScript::MessageTexts() {
    QStringList texts;
    for (const Message &m : state().messages)
        texts << m.text;
    return texts;
}

void UiScript::OnShow(const QString &formName, FormScript script) {
    state().forms[formName].enqueue(std::move(script));
}

const QStringList &UiScript::FormsShown() {
    return state().formsShown;
}

void UiScript::ChooseFile(const QString &path) {
    state().chosenFiles.enqueue(path);
}

bool UiScript::takeChosenFile(QString &path) {
    ScriptState &s = state();
    if (s.chosenFiles.isEmpty()) {
        problem(QStringLiteral("open-file dialog shown without a file to choose"));
        return false;
    }
    path = s.chosenFiles.dequeue();
    return true;
}

const QList<int> &UiScript::HelpShown() {
    return state().help;
}

bool UiScript::Clean() {
    const ScriptState &s = state();
    if (!s.problems.isEmpty() || !s.answers.isEmpty() || !s.chosenFiles.isEmpty()) return false;
    for (const auto &queue : s.forms)
        if (!queue.isEmpty()) return false;
    return true;
}

QString UiScript::Problems() {
    const ScriptState &s = state();
    QStringList all = s.problems;
    for (const QueuedAnswer &a : s.answers)
        all << QStringLiteral("answer %1 was never asked for (expected text \"%2\")")
                   .arg(a.result)
                   .arg(a.text);
    for (const QString &path : s.chosenFiles)
        all << QStringLiteral("file \"%1\" was never chosen").arg(path);
    for (auto it = s.forms.cbegin(); it != s.forms.cend(); ++it)
        if (!it.value().isEmpty())
            all << QStringLiteral("form %1 was never shown (%2 script(s) left)")
                       .arg(it.key())
                       .arg(it.value().size());
    return all.join(QLatin1Char('\n'));
}

int UiScript::answerMessage(const QString &text, const QString &caption, int kind, int buttons,
                            int unexpectedAnswer, const QString &detail) {
    ScriptState &s = state();
    Message m{text, caption, kind, buttons, unexpectedAnswer, detail};
    if (s.answers.isEmpty()) {
        problem(QStringLiteral("unexpected message box \"%1\"").arg(text));
    } else {
        const QueuedAnswer a = s.answers.dequeue();
        if (!a.text.isEmpty() && a.text != text)
            problem(QStringLiteral("message box \"%1\" shown where \"%2\" was expected").arg(text, a.text));
        if (a.whileShown) a.whileShown();
        m.answer = a.result;
    }
    s.messages << m;
    return m.answer;
}

UiScript::FormScript UiScript::takeFormScript(QDialog *form) {
    ScriptState &s = state();
    const QString className = QString::fromLatin1(form->metaObject()->className());
    s.formsShown << className;
    for (const QString &name : {className, form->objectName()}) {
        auto it = s.forms.find(name);
        if (!name.isEmpty() && it != s.forms.end() && !it.value().isEmpty()) return it.value().dequeue();
    }
    problem(
        QStringLiteral("form %1 \"%2\" shown modally without a script").arg(className, form->windowTitle()));
    return {};
}

void UiScript::recordHelp(int topic) {
    state().help << topic;
}

void UiScript::problem(const QString &text) {
    state().problems << text;
    qWarning().noquote() << "UiScript:" << text;
}

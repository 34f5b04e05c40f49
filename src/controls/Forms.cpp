#include "controls/Forms.h"

#include "controls/HelpWindow.h"
#include "controls/UiScript.h"
#include "db/Errors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

#include <optional>

namespace {

// ---- Key routing -------------------------------------------------------------------
// One application-wide filter gives a form's key handlers each key before the focused
// control. Qt offers a key that a child ignores to its parents one after another, and
// the filter would see it once per parent; so the filter delivers a key itself, once,
// after the handlers, and tells Qt it is done.

struct Hooks {
    KeyHandler keyDown;
    KeyPressHandler keyPress;
    bool form = false; // a window of the program: preview and F1
};

class KeyRouter : public QObject {
  public:
    static KeyRouter &instance() {
        static QPointer<KeyRouter> router;
        if (!router) {
            router = new KeyRouter(qApp);
            qApp->installEventFilter(router);
        }
        return *router;
    }

    Hooks &hooks(QObject *object) {
        auto it = m_hooks.find(object);
        if (it == m_hooks.end()) {
            it = m_hooks.insert(object, Hooks());
            connect(object, &QObject::destroyed, this, [this, object] { m_hooks.remove(object); });
        }
        return it.value();
    }
    const Hooks *find(const QObject *object) const {
        auto it = m_hooks.constFind(object);
        return it == m_hooks.constEnd() ? nullptr : &it.value();
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::KeyPress || event == m_delivering || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        QWidget *window = widget->window();
        const Hooks *windowHooks = find(window);
        Hooks formHooks = windowHooks ? *windowHooks : Hooks();
        Hooks controlHooks;
        for (QWidget *w = widget; w && w != window; w = w->parentWidget()) {
            if (const Hooks *h = find(w)) {
                controlHooks = *h;
                break;
            }
        }
        if (!formHooks.form && !formHooks.keyDown && !controlHooks.keyDown && !controlHooks.keyPress)
            return false;

        auto *keyEvent = static_cast<QKeyEvent *>(event);
        int key = keyEvent->key() == Qt::Key_Enter ? int(Qt::Key_Return) : keyEvent->key();
        const Qt::KeyboardModifiers shift = keyEvent->modifiers() & ~Qt::KeypadModifier;
        QPointer<QWidget> receiver(widget);

        {
            // Esc leaves: a text that does not convert is dropped, not reported.
            std::optional<DropBadInputScope> leaving;
            if (key == Qt::Key_Escape && shift == Qt::NoModifier) leaving.emplace();
            for (const KeyHandler *handler : {&formHooks.keyDown, &controlHooks.keyDown}) {
                if (key != 0 && *handler && !Guarded([&] { (*handler)(key, shift); })) key = 0;
            }
        }
        const QString text = keyEvent->text();
        if (key != 0 && !text.isEmpty() && text.at(0) != QChar(0x7f)) {
            QChar ch = text.at(0);
            for (const KeyPressHandler *handler : {&formHooks.keyPress, &controlHooks.keyPress}) {
                if (!ch.isNull() && *handler && !Guarded([&] { (*handler)(ch); })) ch = QChar();
            }
            if (ch.isNull()) key = 0;
        }
        if (key == Qt::Key_F1 && shift == Qt::NoModifier && formHooks.form) {
            if (receiver) {
                const int topic = HelpContextOf(receiver);
                if (topic > 0) Guarded([&] { Help::ShowTopic(topic); });
            }
            key = 0;
        }
        if (key == 0 || !receiver) {
            keyEvent->accept();
            return true;
        }
        QEvent *outer = m_delivering;
        m_delivering = event;
        qApp->notify(receiver, event);
        m_delivering = outer;
        keyEvent->accept();
        return true;
    }

  private:
    using QObject::QObject;
    QHash<const QObject *, Hooks> m_hooks;
    QEvent *m_delivering = nullptr;
};

// ---- Buttons -----------------------------------------------------------------------

class ButtonBinding : public QObject {
  public:
    static ButtonBinding *of(QAbstractButton *button) {
        auto *binding = button->findChild<ButtonBinding *>(QString(), Qt::FindDirectChildrenOnly);
        if (!binding) {
            binding = new ButtonBinding(button);
            QObject::connect(button, &QAbstractButton::clicked, binding,
                             [binding, button] { binding->click(button); });
        }
        return binding;
    }

    std::vector<std::function<void()>> handlers;
    int modalResult = mrNone;

  private:
    using QObject::QObject;

    // The button's result is set before its handlers run, so a handler may clear it
    // (SetModalResult(mrNone)) to keep the form open; a handler that throws keeps the
    // form open too.
    void click(QAbstractButton *button) {
        auto *dialog = qobject_cast<QDialog *>(button->window());
        if (dialog && modalResult != mrNone) dialog->setResult(modalResult);
        std::optional<DropBadInputScope> leaving;
        if (DropsBadInput(button)) leaving.emplace();
        const auto run = handlers;
        for (const auto &handler : run) {
            if (!Guarded(handler)) {
                if (dialog && modalResult != mrNone) dialog->setResult(mrNone);
                return;
            }
        }
        if (dialog && modalResult != mrNone && dialog->isVisible() && dialog->result() != mrNone)
            dialog->done(dialog->result());
    }
};

int g_modalDepth = 0;
int g_droppingBadInput = 0;
const char *const DropsBadInputProperty = "orbekDropsBadInput";

} // namespace

// ---- Keys ----------------------------------------------------------------------------

void OnKeyDown(QWidget *control, KeyHandler handler) {
    KeyRouter::instance().hooks(control).keyDown = std::move(handler);
}

void OnKeyDown(std::initializer_list<QWidget *> controls, const KeyHandler &handler) {
    for (QWidget *control : controls)
        OnKeyDown(control, handler);
}

void OnKeyPress(QWidget *control, KeyPressHandler handler) {
    KeyRouter::instance().hooks(control).keyPress = std::move(handler);
}

void InstallFormKeys(QWidget *window) {
    KeyRouter::instance().hooks(window).form = true;
}

void SetHelpContext(QWidget *window, int topic) {
    window->setProperty("HelpContext", topic);
}

int HelpContextOf(QWidget *widget) {
    for (QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const int topic = w->property("HelpContext").toInt();
        if (topic > 0) return topic;
    }
    return 0;
}

// ---- Leaving without keeping the input ---------------------------------------------------

void SetDropsBadInput(QAbstractButton *button) {
    button->setProperty(DropsBadInputProperty, true);
}

bool DropsBadInput(const QWidget *widget) {
    return widget && widget->property(DropsBadInputProperty).toBool();
}

bool DroppingBadInput() {
    return g_droppingBadInput > 0;
}

DropBadInputScope::DropBadInputScope() {
    ++g_droppingBadInput;
}

DropBadInputScope::~DropBadInputScope() {
    --g_droppingBadInput;
}

// ---- Buttons and actions ----------------------------------------------------------------

void OnClick(QAbstractButton *button, std::function<void()> handler) {
    ButtonBinding::of(button)->handlers.push_back(std::move(handler));
}

void OnTriggered(QAction *action, std::function<void()> handler) {
    QObject::connect(action, &QAction::triggered, action,
                     [handler = std::move(handler)] { Guarded(handler); });
}

// ---- TForm -------------------------------------------------------------------------------

TForm::TForm(QWidget *parent) : QDialog(parent) {
    InstallFormKeys(this);
    ::OnKeyDown(this, [this](int &Key, Qt::KeyboardModifiers Shift) { FormKeyDown(Key, Shift); });
}

int TForm::HelpContext() const {
    return property("HelpContext").toInt();
}

void TForm::SetHelpContext(int topic) {
    ::SetHelpContext(this, topic);
}

void TForm::SetModalResult(int modalResult) {
    if (modalResult != mrNone && isVisible())
        done(modalResult);
    else
        setResult(modalResult);
}

void TForm::Close() {
    done(mrCancel);
}

void TForm::SetModalResult(QAbstractButton *button, int modalResult) {
    ButtonBinding::of(button)->modalResult = modalResult;
}

void TForm::SetCancelButton(QAbstractButton *button) {
    m_cancelButton = button;
    SetDropsBadInput(button);
}

void TForm::SetDefaultButton(QAbstractButton *button) {
    if (auto *push = qobject_cast<QPushButton *>(button)) push->setDefault(true);
}

void TForm::done(int modalResult) {
    if (!isVisible()) {
        setResult(modalResult);
        return;
    }
    if (!Guarded([this] { FormClose(); })) {
        setResult(mrNone);
        return;
    }
    QDialog::done(modalResult);
}

void TForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    try {
        FormShow();
    } catch (...) {
        if (m_showingModal)
            m_showError = std::current_exception();
        else
            ShowException(std::current_exception());
    }
}

void TForm::showChecked() {
    m_showingModal = true;
    m_showError = nullptr;
    show();
    m_showingModal = false;
    if (std::exception_ptr error = std::exchange(m_showError, nullptr)) {
        hide();
        std::rethrow_exception(error);
    }
}

void TForm::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (m_cancelButton && m_cancelButton->isVisible() && m_cancelButton->isEnabled())
            m_cancelButton->click();
        else if (!m_cancelButton && m_escCloses)
            close();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm::closeEvent(QCloseEvent *event) {
    bool mayClose = true;
    if (isVisible() && !Guarded([&] { mayClose = FormCloseQuery(); })) mayClose = false;
    if (!mayClose) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// ---- Modal showing ------------------------------------------------------------------------

int ShowModal(QDialog *form) {
    if (form->isVisible())
        throw EOrbekError(QStringLiteral("Окно \"%1\" уже открыто").arg(form->windowTitle()));
    // Shows the form and runs its FormShow; an exception from it hides the form again
    // and goes to the caller.
    const auto showForModal = [](QDialog *shown) {
        shown->setWindowModality(Qt::ApplicationModal);
        shown->setResult(mrNone);
        if (auto *tform = qobject_cast<TForm *>(shown))
            tform->showChecked();
        else
            shown->show();
    };
    struct Depth {
        Depth() { ++g_modalDepth; }
        ~Depth() { --g_modalDepth; }
    } depth;

    if (!UiScript::Active()) {
        showForModal(form);
        // A form that closed itself while being shown is done already.
        return form->isVisible() ? form->exec() : form->result();
    }

    UiScript::FormScript script = UiScript::takeFormScript(form);
    if (!script) return mrCancel;
    QPointer<QWidget> previous = QApplication::activeWindow();
    showForModal(form);
    ActivateWindow(form);
    Guarded([&] { script(form); });
    if (form->isVisible()) {
        UiScript::problem(
            QStringLiteral("form %1 left open by its script").arg(form->metaObject()->className()));
        form->hide();
        form->setResult(mrCancel);
    }
    if (previous && previous->isVisible()) ActivateWindow(previous);
    return form->result();
}

int ModalDepth() {
    return g_modalDepth;
}

void ActivateWindow(QWidget *window) {
    window->activateWindow();
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
}

#include "controls/Dialogs.h"

#include "controls/Application.h"
#include "controls/UiScript.h"
#include "db/Errors.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString kindCaption(TMsgDlgType kind) {
    switch (kind) {
    case mtWarning:
        return QStringLiteral("Предупреждение");
    case mtError:
        return QStringLiteral("Ошибка");
    case mtInformation:
        return QStringLiteral("Информация");
    case mtConfirmation:
        return QStringLiteral("Подтверждение");
    }
    return QString();
}

QMessageBox::Icon kindIcon(TMsgDlgType kind) {
    switch (kind) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The answer of a message box closed without a choice (Esc, the window's close box).
int escapeAnswer(TMsgDlgButtons buttons) {
    switch (buttons) {
    case mbOK:
        return mrOk;
    case mbYesNo:
        return mrNo;
    case mbYesNoCancel:
        return mrCancel;
    }
    return mrCancel;
}

int showBox(const QString &text, const QString &caption, QMessageBox::Icon icon, TMsgDlgButtons buttons) {
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    struct Choice {
        const char *text;
        QMessageBox::ButtonRole role;
        int result;
    };
    std::vector<Choice> choices;
    switch (buttons) {
    case mbOK:
        choices = {{"OK", QMessageBox::AcceptRole, mrOk}};
        break;
    case mbYesNo:
        choices = {{"Да", QMessageBox::YesRole, mrYes}, {"Нет", QMessageBox::NoRole, mrNo}};
        break;
    case mbYesNoCancel:
        choices = {{"Да", QMessageBox::YesRole, mrYes},
                   {"Нет", QMessageBox::NoRole, mrNo},
                   {"Отмена", QMessageBox::RejectRole, mrCancel}};
        break;
    }
    std::vector<std::pair<QAbstractButton *, int>> made;
    for (const Choice &c : choices)
        made.emplace_back(box.addButton(QString::fromUtf8(c.text), c.role), c.result);
    box.setDefaultButton(static_cast<QPushButton *>(made.front().first));
    box.setEscapeButton(made.back().first);
    box.exec();
    for (const auto &[button, result] : made)
        if (box.clickedButton() == button) return result;
    return escapeAnswer(buttons);
}

} // namespace

int MessageDlg(const QString &text, TMsgDlgType kind, TMsgDlgButtons buttons) {
    const QString caption = kindCaption(kind);
    if (UiScript::Active())
        return UiScript::answerMessage(text, caption, kind, buttons, escapeAnswer(buttons));
    return showBox(text, caption, kindIcon(kind), buttons);
}

QString ErrorBoxText(const QString &text) {
    if (!text.isEmpty() && text.back() > QLatin1Char('.')) return text + QLatin1Char('.');
    return text;
}

void ShowError(const QString &text) {
    const QString shown = ErrorBoxText(text);
    if (UiScript::Active()) {
        UiScript::answerMessage(shown, AppTitle(), mtError, mbOK, mrOk);
        return;
    }
    showBox(shown, AppTitle(), QMessageBox::Critical, mbOK);
}

void ShowException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort &) {
    } catch (const EOrbekError &e) {
        ShowError(e.message());
    } catch (const std::bad_alloc &) {
        ShowError(QStringLiteral("Недостаточно памяти"));
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Непредвиденная ошибка"));
    }
}

bool Guarded(const std::function<void()> &command) {
    try {
        command();
        return true;
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

// ---- TApplication -----------------------------------------------------------------

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {
    setApplicationDisplayName(AppTitle());
}

bool TApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

#include "controls/Dialogs.h"

#include "controls/Application.h"
#include "controls/UiScript.h"
#include "db/Errors.h"
#include "print/PreviewWindow.h"

#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTranslator>

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

// The window system writes a box's title in its title bar between the window's icon and
// its buttons, and cuts a title the box is too narrow for ("Подт… ение"). The room is
// reckoned in the system's title font, bold as title bars write it, with six times its
// height for the icon, three buttons and the margins.
int titleBarWidth(const QString &title) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + 6 * metrics.height();
}

const char *const ModalResultProperty = "ModalResult";

} // namespace

QWidget *MessageOwner() {
    if (QWidget *modal = QApplication::activeModalWidget()) return modal;
    if (QWidget *active = QApplication::activeWindow()) return active;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible() && qobject_cast<QMainWindow *>(window)) return window;
    return nullptr;
}

QMessageBox *CreateMessageBox(const QString &text, TMsgDlgType kind, TMsgDlgButtons buttons) {
    auto *box =
        new QMessageBox(kindIcon(kind), kindCaption(kind), text, QMessageBox::NoButton, MessageOwner());
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
    QPushButton *last = nullptr;
    for (const Choice &c : choices) {
        last = box->addButton(QString::fromUtf8(c.text), c.role);
        last->setProperty(ModalResultProperty, c.result);
        if (!box->defaultButton()) box->setDefaultButton(last);
    }
    box->setEscapeButton(last);
    // The box sizes itself to its layout as it shows: a row as wide as the title bar needs
    // keeps it from growing narrower.
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout()))
        grid->addItem(new QSpacerItem(titleBarWidth(box->windowTitle()), 0, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

int MessageDlg(const QString &text, TMsgDlgType kind, TMsgDlgButtons buttons) {
    const QString caption = kindCaption(kind);
    if (UiScript::Active())
        return UiScript::answerMessage(text, caption, kind, buttons, escapeAnswer(buttons));
    // The box goes with its owner, should the owner go while the box is up.
    const QPointer<QMessageBox> box = CreateMessageBox(text, kind, buttons);
    box->exec();
    const QAbstractButton *clicked = box ? box->clickedButton() : nullptr;
    const int answer = clicked ? clicked->property(ModalResultProperty).toInt() : escapeAnswer(buttons);
    delete box;
    return answer;
}

void AskToSave(const QString &question, const std::function<void()> &save,
               const std::function<void()> &discard) {
    switch (MessageDlg(question, mtConfirmation, mbYesNoCancel)) {
    case mrYes:
        save();
        break;
    case mrNo:
        discard();
        break;
    default:
        break;
    }
}

QString ErrorBoxText(const QString &text) {
    if (!text.isEmpty() && text.back() > QLatin1Char('.')) return text + QLatin1Char('.');
    return text;
}

QDialog *CreateErrorBox(const QString &text, const QString &detail, QWidget *parent) {
    auto *box = new QDialog(parent);
    box->setObjectName(QStringLiteral("ErrorBox"));
    box->setWindowTitle(AppTitle());
    auto *icon = new QLabel(box);
    const int side = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box);
    icon->setPixmap(
        box->style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, box).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    auto *label = new QLabel(ErrorBoxText(text), box);
    label->setObjectName(QStringLiteral("Text"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setMinimumWidth(420);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *ok = new QPushButton(QStringLiteral("OK"), box);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, box, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *layout = new QGridLayout(box);
    layout->addWidget(icon, 0, 0);
    layout->addWidget(label, 0, 1);
    layout->addLayout(buttons, 1, 0, 1, 2);
    if (!detail.isEmpty()) {
        auto *more = new QPushButton(QStringLiteral("Подробнее"), box);
        more->setObjectName(QStringLiteral("More"));
        more->setCheckable(true);
        more->setAutoDefault(false);
        auto *shown = new QPlainTextEdit(detail, box);
        shown->setObjectName(QStringLiteral("Detail"));
        shown->setReadOnly(true);
        shown->setVisible(false);
        layout->addWidget(shown, 2, 0, 1, 2);
        QObject::connect(more, &QPushButton::toggled, box, [box, shown](bool on) {
            shown->setVisible(on);
            box->adjustSize();
        });
        buttons->addWidget(more);
    }
    buttons->addWidget(ok);
    ok->setFocus();
    return box;
}

void ShowError(const QString &text, const QString &detail) {
    const QString shown = ErrorBoxText(text);
    if (UiScript::Active()) {
        UiScript::answerMessage(shown, AppTitle(), mtError, mbOK, mrOk, detail);
        return;
    }
    QDialog *box = CreateErrorBox(text, detail, MessageOwner());
    box->exec();
    delete box;
}

void ShowException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort &) {
    } catch (const EOrbekError &e) {
        ShowError(e.message(), e.detail());
    } catch (const std::bad_alloc &) {
        ShowError(QStringLiteral("Недостаточно памяти"));
    } catch (const std::exception &e) {
        ShowError(QStringLiteral("Непредвиденная ошибка"), QString::fromUtf8(e.what()));
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

// The title is not the application's display name: the window system would add it to
// every window's caption, and each form's caption is its own.
TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

namespace {

// The few toolkit texts the toolkit's own Russian translations leave in English (the
// file dialog's kinds of entry). Asked after them.
class MissingToolkitTexts : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override {
        const QLatin1String ctx(context), text(sourceText);
        if (ctx == QLatin1String("QAbstractFileIconProvider")) {
            if (text == QLatin1String("Folder")) return QStringLiteral("Папка");
            if (text == QLatin1String("Drive")) return QStringLiteral("Диск");
            if (text == QLatin1String("File")) return QStringLiteral("Файл");
            if (text == QLatin1String("%1 File")) return QStringLiteral("Файл %1");
        }
        return QString();
    }
};

} // namespace

void UseRussianInterface() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Translators are asked last installed first: the toolkit's own, then the gaps.
    QCoreApplication::installTranslator(new MissingToolkitTexts(QCoreApplication::instance()));
    auto *translator = new QTranslator(QCoreApplication::instance());
    for (const QString &folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  QStringLiteral("/usr/share/qt6/translations")}) {
        if (translator->load(QStringLiteral("qtbase_ru"), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    delete translator;
}

// Every application object of the program and of its tests speaks Russian from the
// moment it exists.
Q_COREAPP_STARTUP_FUNCTION(UseRussianInterface)

namespace {

// The report preview sits below the form kit: what goes wrong in it once it shows
// reaches the user in the one error box, with its detail behind "Подробнее".
void routePreviewErrors() {
    rep::SetErrorReporter(&ShowException);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(routePreviewErrors)

bool TApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

#include "controls/HelpWindow.h"

#include "controls/Application.h"
#include "controls/UiScript.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

// The pages are compiled into the kit's library; a static library drops them unless
// something refers to them, so the help window does.
static void loadHelpPages() {
#if __has_include("help.qrc")
    Q_INIT_RESOURCE(help);
#endif
}

THelpWindow::THelpWindow(QWidget *parent) : QWidget(parent, Qt::Window) {
    loadHelpPages();
    setWindowTitle(QStringLiteral("Справка - %1").arg(AppTitle()));
    resize(720, 560);

    auto *contents = new QPushButton(QStringLiteral("Содержание"), this);
    auto *back = new QPushButton(QStringLiteral("Назад"), this);
    auto *forward = new QPushButton(QStringLiteral("Вперед"), this);
    Browser = new QTextBrowser(this);
    Browser->setOpenExternalLinks(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(Browser);

    connect(contents, &QPushButton::clicked, this, [this] { ShowTopic(0); });
    connect(back, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, Browser, &QTextBrowser::forward);
    connect(Browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
}

void THelpWindow::ShowTopic(int topic) {
    const QString file = Help::TopicFile(topic);
    if (QFile::exists(file))
        Browser->setSource(QUrl(QStringLiteral("qrc") + file));
    else
        Browser->setHtml(QStringLiteral("<p>Раздел справки %1 не найден.</p>").arg(topic));
}

void THelpWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

QUrl THelpWindow::Source() const {
    return Browser->source();
}

namespace Help {

QString TopicFile(int topic) {
    return topic == 0 ? QStringLiteral(":/help/contents.html")
                      : QStringLiteral(":/help/topic%1.html").arg(topic);
}

THelpWindow *Window() {
    static QPointer<THelpWindow> window;
    if (!window) window = new THelpWindow;
    return window;
}

void ShowTopic(int topic) {
    if (UiScript::Active()) {
        UiScript::recordHelp(topic);
        return;
    }
    THelpWindow *window = Window();
    // A window outside the modal form in front would not take the user's clicks, so
    // the help window goes with that form.
    QWidget *owner = QApplication::activeModalWidget();
    if (window->parentWidget() != owner) {
        // The window keeps its size and, once it has been on the screen, its place, its
        // frame where it stood; its inner corner set as the place would push the title
        // bar off the top of the screen.
        const bool placed = window->testAttribute(Qt::WA_WState_Created);
        const QPoint place = window->pos();
        const QSize size = window->size();
        window->setParent(owner, Qt::Window);
        window->resize(size);
        if (placed) window->move(place);
    }
    window->ShowTopic(topic);
    window->show();
    window->raise();
    window->activateWindow();
}

void ShowContents() {
    ShowTopic(0);
}

} // namespace Help

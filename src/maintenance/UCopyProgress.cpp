#include "maintenance/UCopyProgress.h"

#include "app/LogoMain.h"
#include "controls/Animate.h"
#include "controls/ProgressCtl.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QThread>
#include <QVBoxLayout>

TCopyProgress *CopyProgress = nullptr;

TCopyProgress *CopyProgressWindow() {
    if (!CopyProgress) {
        CopyProgress = new TCopyProgress(LogoAppForm);
        QObject::connect(CopyProgress, &QObject::destroyed, [] { CopyProgress = nullptr; });
    }
    return CopyProgress;
}

TCopyProgress::TCopyProgress(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("CopyProgress"));
    // A small data folder is copied in a split second: the window goes before the window
    // manager has even mapped it. A window that took the activation (a modal one does, as
    // it shows) would have it granted after it had gone, and the program would be left with
    // no active window, or with this hidden one, while the keyboard stays with the main
    // window: its shortcuts dead, and a click into it no cure. So the window is not modal
    // and never takes the activation; the user's input waits until the work ends anyway.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    Label1 = new QLabel(QStringLiteral("Копирование файлов"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Gauge1 = new TGauge(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setTextVisible(true);
    Anim = new TAnimate(this, TCommonAVI::aviCopyFiles);
    Anim->setObjectName(QStringLiteral("Anim"));
    Anim->SetStopFrame(34);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Anim, 0, Qt::AlignHCenter);
    layout->addWidget(Label1);
    layout->addWidget(Gauge1);
    setMinimumWidth(420);

    // The name reaches the label on the window's thread, whichever thread sent it.
    connect(this, &TCopyProgress::fileNameShown, Label1, &QLabel::setText, Qt::QueuedConnection);
    connect(
        this, &TCopyProgress::checkingShown, this,
        [this](const QString &what) {
            Label1->setText(what);
            Gauge1->setRange(0, 0);
        },
        Qt::QueuedConnection);
}

void TCopyProgress::ShowFileName(const QString &name) {
    emit fileNameShown(name);
}

void TCopyProgress::ShowChecking(const QString &what) {
    emit checkingShown(what);
}

void TCopyProgress::done(int modalResult) {
    if (m_running) return; // the copy goes on to its end
    TForm::done(modalResult);
}

// Shows the window over the program, the animation playing, the gauge at its start.
void TCopyProgress::start(const QString &caption, const QString &label) {
    SetCaption(caption);
    Label1->setText(label);
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    // Over the form in front (the export form), else over the main window; as the
    // window's owner, so that the window manager keeps it above that window although
    // the activation stays there.
    QWidget *modal = QApplication::activeModalWidget();
    m_over = modal ? modal : LogoAppForm;
    if (m_over && parentWidget() != m_over) setParent(m_over, windowFlags());
    m_running = true;
    show();
    Anim->Play();
}

void TCopyProgress::Run(const QString &caption, const std::function<void()> &work) {
    std::exception_ptr error;
    QEventLoop loop;
    QThread *worker = QThread::create([&work, &error] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
    });
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    start(caption, QStringLiteral("Копирование файлов"));
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    delete worker;
    // Names and positions still on their way belong to the work that ended.
    QCoreApplication::sendPostedEvents(Label1);
    QCoreApplication::sendPostedEvents(Gauge1);
    QCoreApplication::sendPostedEvents(this);
    End();
    if (error) std::rethrow_exception(error);
}

void TCopyProgress::Begin(const QString &caption) {
    start(caption, QString());
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TCopyProgress::Step(const QString &name) {
    Label1->setText(name);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TCopyProgress::End() {
    m_running = false;
    Anim->Stop();
    // Where the window system activates every window shown all the same, the activation
    // goes back to the window this one stood over.
    const bool wasActive = isActiveWindow();
    hide();
    if (wasActive && m_over && m_over->isVisible()) ActivateWindow(m_over);
}

#pragma once
// The window that shows a long copy of the data folder: the file being copied, a gauge
// of its bytes and the copy animation. The copy itself runs on a worker thread, so the
// window repaints and the animation runs while a large file is copied; the user's input
// waits meanwhile, and the window cannot be closed until the work ends. It never takes
// the activation: the window it stands over keeps it, and keeps its shortcuts, when it
// goes.
#include "controls/Forms.h"

#include <QPointer>

#include <functional>

class QLabel;
class TAnimate;
class TGauge;

class TCopyProgress : public TForm {
    Q_OBJECT
  public:
    explicit TCopyProgress(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr; // "Копирование файлов", then the file being copied
    TGauge *Gauge1 = nullptr; // the bytes of the file copied so far, busy while checked
    TAnimate *Anim = nullptr; // papers flying from folder to folder

    // Shows the window with this caption and runs `work` on a worker thread until it
    // ends; the work's exception is thrown here, on the calling thread.
    void Run(const QString &caption, const std::function<void()> &work);
    // The name shown under the caption; callable from the work's thread.
    void ShowFileName(const QString &name);
    // The copy is being checked: `what` under the caption and the gauge running to and
    // fro, since the check cannot say how far it has come; callable from the work's
    // thread. The next Run or Begin sets the gauge back to counting.
    void ShowChecking(const QString &what);
    // Work that must run on the window's own thread (the datasets' work): Begin shows
    // the window, Step shows the next name and lets the window repaint, End hides it.
    void Begin(const QString &caption);
    void Step(const QString &name);
    void End();
    bool Running() const { return m_running; }

    void done(int modalResult) override;

  signals:
    void fileNameShown(const QString &name);
    void checkingShown(const QString &what);

  private:
    void start(const QString &caption, const QString &label);
    bool m_running = false;
    QPointer<QWidget> m_over; // the window it stands over
};

extern TCopyProgress *CopyProgress;
// The one progress window, made on first use as a child of the main window; while it
// shows, it belongs to the window it stands over.
TCopyProgress *CopyProgressWindow();

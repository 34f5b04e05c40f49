#pragma once
// The small animations of the program, drawn by itself: a magnifying glass sweeping
// over a computer (the splash while the program starts) and papers flying from
// folder to folder (the copy progress of archive and restore).
#include <QTimer>
#include <QWidget>

enum class TCommonAVI { aviNone, aviFindComputer, aviCopyFiles };

class TAnimate : public QWidget {
    Q_OBJECT
public:
    explicit TAnimate(QWidget *parent = nullptr, TCommonAVI avi = TCommonAVI::aviNone);

    TCommonAVI CommonAVI() const { return m_avi; }
    void SetCommonAVI(TCommonAVI avi);

    // Frames run from 1 to StopFrame and start again; a stopped animation shows the
    // frame it stopped at.
    int FrameCount() const;
    int StopFrame() const { return m_stopFrame; }
    void SetStopFrame(int frame);
    int Frame() const { return m_frame; }
    void NextFrame();

    bool Active() const { return m_timer.isActive(); }
    void SetActive(bool active);
    void Play() { SetActive(true); }
    void Stop() { SetActive(false); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawFindComputer(QPainter &p, double phase);
    void drawCopyFiles(QPainter &p, double phase);

    TCommonAVI m_avi;
    int m_stopFrame = 0;
    int m_frame = 1;
    QTimer m_timer;
};

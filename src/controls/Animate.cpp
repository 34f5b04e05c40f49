#include "controls/Animate.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {
constexpr int FrameInterval = 80; // ms: a dozen frames a second
}

TAnimate::TAnimate(QWidget *parent, TCommonAVI avi) : QWidget(parent), m_avi(avi) {
    m_stopFrame = FrameCount();
    m_timer.setInterval(FrameInterval);
    connect(&m_timer, &QTimer::timeout, this, &TAnimate::NextFrame);
}

void TAnimate::SetCommonAVI(TCommonAVI avi) {
    m_avi = avi;
    m_stopFrame = FrameCount();
    m_frame = 1;
    updateGeometry();
    update();
}

int TAnimate::FrameCount() const {
    switch (m_avi) {
    case TCommonAVI::aviFindComputer:
        return 8;
    case TCommonAVI::aviCopyFiles:
        return 34;
    case TCommonAVI::aviNone:
        break;
    }
    return 1;
}

void TAnimate::SetStopFrame(int frame) {
    m_stopFrame = qBound(1, frame, FrameCount());
    m_frame = qMin(m_frame, m_stopFrame);
}

void TAnimate::NextFrame() {
    m_frame = m_frame >= m_stopFrame ? 1 : m_frame + 1;
    update();
}

void TAnimate::SetActive(bool active) {
    if (active && m_avi != TCommonAVI::aviNone)
        m_timer.start();
    else
        m_timer.stop();
}

QSize TAnimate::sizeHint() const {
    switch (m_avi) {
    case TCommonAVI::aviFindComputer:
        return QSize(80, 60);
    case TCommonAVI::aviCopyFiles:
        return QSize(272, 60);
    case TCommonAVI::aviNone:
        break;
    }
    return QSize(16, 16);
}

void TAnimate::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double phase = double(m_frame - 1) / FrameCount();
    switch (m_avi) {
    case TCommonAVI::aviFindComputer:
        drawFindComputer(p, phase);
        break;
    case TCommonAVI::aviCopyFiles:
        drawCopyFiles(p, phase);
        break;
    case TCommonAVI::aviNone:
        break;
    }
}

// A monitor on its stand, and a magnifying glass circling over its screen.
void TAnimate::drawFindComputer(QPainter &p, double phase) {
    const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
    const double s = qMin(area.width() / 80.0, area.height() / 60.0);
    p.translate(area.center() - QPointF(40 * s, 30 * s));
    p.scale(s, s);

    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(QRectF(18, 6, 44, 34)); // case
    p.setBrush(QColor(0, 96, 128));
    p.drawRect(QRectF(22, 10, 36, 26)); // screen
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(32, 40, 16, 4)); // neck
    p.drawRect(QRectF(22, 44, 36, 6)); // base

    const double angle = 2 * M_PI * phase;
    const QPointF lens(40 + 16 * qCos(angle), 24 + 8 * qSin(angle));
    p.setPen(QPen(QColor(96, 64, 32), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(lens + QPointF(7, 7), lens + QPointF(15, 15)); // handle
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(200, 230, 255, 170));
    p.drawEllipse(lens, 9, 9);
}

// Two folders; a sheet of paper flies in an arc from the left one to the right one.
void TAnimate::drawCopyFiles(QPainter &p, double phase) {
    const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
    const double s = qMin(area.width() / 272.0, area.height() / 60.0);
    p.translate(area.center() - QPointF(136 * s, 30 * s));
    p.scale(s, s);

    const auto folder = [&p](double x) {
        QPainterPath path;
        path.moveTo(x, 26);
        path.lineTo(x + 12, 26);
        path.lineTo(x + 16, 30);
        path.lineTo(x + 40, 30);
        path.lineTo(x + 40, 56);
        path.lineTo(x, 56);
        path.closeSubpath();
        p.setPen(QPen(QColor(128, 96, 0), 1));
        p.setBrush(QColor(255, 216, 96));
        p.drawPath(path);
    };
    folder(8);
    folder(224);

    const double t = phase;
    const QPointF from(28, 34), to(244, 34);
    const QPointF at(from.x() + (to.x() - from.x()) * t, from.y() - 30 * 4 * t * (1 - t));
    p.save();
    p.translate(at);
    p.rotate(360 * t);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(-8, -10, 16, 20));
    p.setPen(QPen(Qt::gray, 1));
    for (int line = 0; line < 4; ++line)
        p.drawLine(QPointF(-5, -6 + 4 * line), QPointF(5, -6 + 4 * line));
    p.restore();
}

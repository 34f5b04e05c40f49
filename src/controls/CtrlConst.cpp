#include "CtrlConst.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {

QHash<int, QCursor> &cursorTable() {
    static QHash<int, QCursor> table;
    return table;
}

// A 32 by 32 cursor on a see-through ground, drawn by `draw` with smooth edges.
QCursor paintCursor(QPoint hotSpot, const std::function<void(QPainter &)> &draw) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return QCursor(pm, hotSpot.x(), hotSpot.y());
}

// A pointing hand, the index finger up: the hot spot is the finger tip.
QCursor drawHandCursor() {
    return paintCursor(QPoint(9, 1), [](QPainter &p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        QPainterPath thumb;
        thumb.moveTo(8, 15);
        thumb.lineTo(3.5, 11.5);
        thumb.lineTo(1.5, 13.5);
        thumb.lineTo(8, 22);
        p.drawPath(thumb);
        p.drawRoundedRect(QRectF(7.5, 13.5, 15.5, 10), 3, 3);    // palm
        p.drawRoundedRect(QRectF(19.5, 10.5, 3.5, 7), 1.5, 1.5); // little finger
        p.drawRoundedRect(QRectF(15.5, 9.5, 4, 8), 2, 2);        // ring finger
        p.drawRoundedRect(QRectF(11.5, 8.5, 4, 9), 2, 2);        // middle finger
        p.drawRoundedRect(QRectF(7.5, 1.5, 4, 16), 2, 2);        // index finger
    });
}

// An arrow carrying a sheet: shown while something is dragged.
QCursor drawDragCursor() {
    return paintCursor(QPoint(1, 1), [](QPainter &p) {
        QPainterPath arrow;
        arrow.moveTo(1.5, 1.5);
        arrow.lineTo(1.5, 17);
        arrow.lineTo(5.5, 13);
        arrow.lineTo(8.5, 19.5);
        arrow.lineTo(11, 18.5);
        arrow.lineTo(8, 12);
        arrow.lineTo(13.5, 12);
        arrow.closeSubpath();
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::black);
        p.drawPath(arrow);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(14.5, 18.5, 12, 10));
        p.drawLine(QPointF(16.5, 21.5), QPointF(24.5, 21.5));
        p.drawLine(QPointF(16.5, 24.5), QPointF(24.5, 24.5));
    });
}

} // namespace

void RegisterControlCursors() {
    auto &table = cursorTable();
    if (!table.contains(crHand)) table.insert(crHand, drawHandCursor());
    if (!table.contains(crDragHand)) table.insert(crDragHand, drawDragCursor());
}

QCursor ScreenCursor(int id) {
    return cursorTable().value(id, QCursor(Qt::ArrowCursor));
}

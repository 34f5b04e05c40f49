#pragma once
// The floor the print benchmarks stand beside: QPdfWriter drawing texts, boxes and
// lines at given millimetres on A4 at 1200 dpi, as plainly as Qt allows, with the
// fonts the report engine prints with.
#include "print/Fonts.h"

#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace bench {

class PdfFloor {
  public:
    PdfFloor(const QString &fileName, QPageLayout::Orientation orientation) : m_writer(fileName) {
        m_writer.setResolution(1200);
        m_writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF()));
        m_painter.begin(&m_writer);
        QPen pen = m_painter.pen();
        pen.setWidthF(0.2 * Dots);
        m_painter.setPen(pen);
    }

    void SetFont(double points, bool bold = false) {
        QFont font(rep::ResolveFamily(QStringLiteral("Arial")));
        font.setPointSizeF(points);
        font.setBold(bold);
        m_painter.setFont(font);
    }
    // A text in a box from its top; `flags` add alignment and Qt::TextWordWrap.
    void Text(double left, double top, double width, double height, int flags, const QString &text) {
        m_painter.drawText(box(left, top, width, height), flags | Qt::AlignTop, text);
    }
    // The height in mm a text wrapped in `width` mm takes in the current font.
    double WrappedHeight(double width, const QString &text) {
        const QRectF need = m_painter.boundingRect(box(0, 0, width, 1000), Qt::TextWordWrap, text);
        return need.height() / Dots;
    }
    void Box(double left, double top, double width, double height) {
        m_painter.drawRect(box(left, top, width, height));
    }
    void Line(double x1, double y1, double x2, double y2) {
        m_painter.drawLine(QPointF(x1 * Dots, y1 * Dots), QPointF(x2 * Dots, y2 * Dots));
    }
    void NewPage() { m_writer.newPage(); }

  private:
    static constexpr double Dots = 1200 / 25.4;
    static QRectF box(double left, double top, double width, double height) {
        return QRectF(left * Dots, top * Dots, width * Dots, height * Dots);
    }
    QPdfWriter m_writer;
    QPainter m_painter;
};

} // namespace bench

#include "print/PagePainter.h"

#include "db/Errors.h"
#include "print/Fonts.h"

#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <functional>

namespace rep {

namespace {

QPageLayout a4Layout(TPageOrientation orientation) {
    return QPageLayout(QPageSize(QPageSize::A4),
                       orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void paintPages(QPainter &painter, const TPreparedReport &report, int copies,
                const std::function<bool()> &newPage) {
    const double dotsPerMm = painter.device()->logicalDpiX() / 25.4;
    bool first = true;
    for (int copy = 0; copy < copies; ++copy)
        for (const TPage &page : report.Pages) {
            if (!first && !newPage()) throw EOrbekError(QStringLiteral("Не удалось начать новую страницу"));
            first = false;
            PaintPage(painter, page, dotsPerMm);
        }
}

} // namespace

void PaintPage(QPainter &painter, const TPage &page, double dotsPerMm) {
    painter.save();
    const double deviceDpi = painter.device()->logicalDpiY();
    auto at = [dotsPerMm](QPointF mm) { return mm * dotsPerMm; };
    auto pen = [dotsPerMm](double widthMm) {
        return QPen(Qt::black, qMax(widthMm * dotsPerMm, 0.5), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    };

    for (const TPageFrame &frame : page.Frames) {
        painter.setPen(pen(frame.Sides.Width));
        const QRectF r = frame.Rect;
        if (frame.Sides.Top) painter.drawLine(at(r.topLeft()), at(r.topRight()));
        if (frame.Sides.Bottom) painter.drawLine(at(r.bottomLeft()), at(r.bottomRight()));
        if (frame.Sides.Left) painter.drawLine(at(r.topLeft()), at(r.bottomLeft()));
        if (frame.Sides.Right) painter.drawLine(at(r.topRight()), at(r.bottomRight()));
    }
    for (const TPageLine &line : page.Lines) {
        painter.setPen(pen(line.Width));
        painter.drawLine(at(line.From), at(line.To));
    }

    painter.setPen(Qt::black);
    const TRepFont *current = nullptr;
    for (const TPageText &text : page.Texts) {
        if (!current || !(*current == text.Font)) {
            painter.setFont(DeviceFont(text.Font, dotsPerMm, deviceDpi));
            current = &text.Font;
        }
        const bool clip = !text.ClipRect.isNull();
        if (clip) painter.setClipRect(QRectF(at(text.ClipRect.topLeft()), at(text.ClipRect.bottomRight())));
        painter.drawText(at(text.Origin), text.Text);
        if (clip) painter.setClipping(false);
    }
    painter.restore();
}

void SetUpPrinter(QPrinter &printer, const TPreparedReport &report) {
    printer.setFullPage(true);
    printer.setPageLayout(a4Layout(report.Orientation));
    printer.setCopyCount(report.Copies);
    if (report.FirstTray) printer.setPaperSource(QPrinter::Upper);
}

void PrintPages(const TPreparedReport &report, QPrinter &printer) {
    if (report.Pages.empty()) throw EOrbekError(QStringLiteral("Отчет не содержит страниц"));
    printer.setFullPage(true);
    printer.setPageLayout(a4Layout(report.Orientation));
    // A PDF "printer" and printers without copy support get the pages once per copy.
    const int requested = qMax(1, printer.copyCount());
    const bool byHand = printer.outputFormat() == QPrinter::PdfFormat || !printer.supportsMultipleCopies();
    if (byHand) printer.setCopyCount(1);
    QPainter painter;
    const bool started = painter.begin(&printer);
    if (started) {
        paintPages(painter, report, byHand ? requested : 1, [&printer] { return printer.newPage(); });
        painter.end();
    }
    printer.setCopyCount(requested);
    if (!started)
        throw EOrbekError(
            QStringLiteral("Не удалось начать печать на принтере %1").arg(printer.printerName()));
}

void WritePdf(const TPreparedReport &report, const QString &fileName) {
    if (report.Pages.empty()) throw EOrbekError(QStringLiteral("Отчет не содержит страниц"));
    QPdfWriter writer(fileName);
    writer.setResolution(1200);
    writer.setPageLayout(a4Layout(report.Orientation));
    writer.setCreator(QStringLiteral("ОРБЕК \"Вереск\""));
    writer.setTitle(QFileInfo(fileName).completeBaseName());
    QPainter painter;
    if (!painter.begin(&writer))
        throw EOrbekError(QStringLiteral("Не удалось записать файл %1").arg(fileName));
    paintPages(painter, report, 1, [&writer] { return writer.newPage(); });
    if (!painter.end()) throw EOrbekError(QStringLiteral("Не удалось записать файл %1").arg(fileName));
}

} // namespace rep

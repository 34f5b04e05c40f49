#include "print/PagePainter.h"

#include "db/Errors.h"
#include "print/Fonts.h"

#include <QFile>
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

// Paints the source's pages `copies` times, starting each copy from its first page.
// `page` holds the first page, already read; it takes each next one in turn.
void paintPages(QPainter &painter, TPageSource &pages, TPage &page, int copies,
                const std::function<bool()> &newPage) {
    const double dotsPerMm = painter.device()->logicalDpiX() / 25.4;
    bool first = true;
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0) {
            pages.Rewind();
            if (!pages.NextPage(page)) break;
        }
        do {
            if (!first && !newPage()) throw EOrbekError(QStringLiteral("Не удалось начать новую страницу"));
            first = false;
            PaintPage(painter, page, dotsPerMm);
        } while (pages.NextPage(page));
    }
}

// The source's first page, or an error when it has none.
void readFirstPage(TPageSource &pages, TPage &page) {
    pages.Rewind();
    if (!pages.NextPage(page)) throw EOrbekError(QStringLiteral("Отчет не содержит страниц"));
}

} // namespace

void PaintPage(QPainter &painter, const TPage &page, double dotsPerMm) {
    painter.save();
    const double deviceDpi = painter.device()->logicalDpiY();
    auto at = [dotsPerMm](QPointF mm) { return mm * dotsPerMm; };
    auto pen = [dotsPerMm](double widthMm) {
        return QPen(Qt::black, qMax(widthMm * dotsPerMm, 0.5), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    };

    // The pen changes only with the width; a frame of four sides is one rectangle.
    double penWidth = -1;
    const auto usePen = [&](double width) {
        if (width == penWidth) return;
        painter.setPen(pen(width));
        penWidth = width;
    };
    painter.setBrush(Qt::NoBrush);
    for (const TPageFrame &frame : page.Frames) {
        usePen(frame.Sides.Width);
        const QRectF r = frame.Rect;
        if (frame.Sides.Top && frame.Sides.Bottom && frame.Sides.Left && frame.Sides.Right) {
            painter.drawRect(QRectF(at(r.topLeft()), at(r.bottomRight())));
            continue;
        }
        if (frame.Sides.Top) painter.drawLine(at(r.topLeft()), at(r.topRight()));
        if (frame.Sides.Bottom) painter.drawLine(at(r.bottomLeft()), at(r.bottomRight()));
        if (frame.Sides.Left) painter.drawLine(at(r.topLeft()), at(r.bottomLeft()));
        if (frame.Sides.Right) painter.drawLine(at(r.topRight()), at(r.bottomRight()));
    }
    for (const TPageLine &line : page.Lines) {
        usePen(line.Width);
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

void SetUpPrinter(QPrinter &printer, const TPrintSettings &settings) {
    printer.setFullPage(true);
    printer.setPageLayout(a4Layout(settings.Orientation));
    printer.setCopyCount(settings.Copies);
    if (settings.FirstTray) printer.setPaperSource(QPrinter::Upper);
}

void PrintPages(TPageSource &pages, QPrinter &printer) {
    TPage page;
    readFirstPage(pages, page);
    printer.setFullPage(true);
    printer.setPageLayout(a4Layout(pages.Settings().Orientation));
    // A PDF "printer" and printers without copy support get the pages once per copy.
    const int requested = qMax(1, printer.copyCount());
    const bool byHand = printer.outputFormat() == QPrinter::PdfFormat || !printer.supportsMultipleCopies();
    if (byHand) printer.setCopyCount(1);
    QPainter painter;
    const bool started = painter.begin(&printer);
    if (started) {
        try {
            paintPages(painter, pages, page, byHand ? requested : 1,
                       [&printer] { return printer.newPage(); });
        } catch (...) {
            printer.abort();
            painter.end();
            printer.setCopyCount(requested);
            throw;
        }
        painter.end();
    }
    printer.setCopyCount(requested);
    if (!started)
        throw EOrbekError(
            QStringLiteral("Не удалось начать печать на принтере %1").arg(printer.printerName()));
}

void PrintPages(const TPreparedReport &report, QPrinter &printer) {
    TPreparedPages pages(report);
    PrintPages(pages, printer);
}

void WritePdf(TPageSource &pages, const QString &fileName) {
    TPage page;
    readFirstPage(pages, page);
    QPdfWriter writer(fileName);
    writer.setResolution(1200);
    writer.setPageLayout(a4Layout(pages.Settings().Orientation));
    writer.setCreator(QStringLiteral("ОРБЕК \"Вереск\""));
    writer.setTitle(QFileInfo(fileName).completeBaseName());
    QPainter painter;
    if (!painter.begin(&writer))
        throw EOrbekError(QStringLiteral("Не удалось записать файл %1").arg(fileName));
    try {
        paintPages(painter, pages, page, 1, [&writer] { return writer.newPage(); });
    } catch (...) {
        painter.end();
        QFile::remove(fileName); // a half-written file would pass for the report
        throw;
    }
    if (!painter.end()) {
        QFile::remove(fileName);
        throw EOrbekError(QStringLiteral("Не удалось записать файл %1").arg(fileName));
    }
}

void WritePdf(const TPreparedReport &report, const QString &fileName) {
    TPreparedPages pages(report);
    WritePdf(pages, fileName);
}

} // namespace rep

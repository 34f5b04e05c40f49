#pragma once
// Painting laid-out pages onto any device: the preview, a printer, a PDF file.
#include "print/Pages.h"

class QPainter;
class QPrinter;

namespace rep {

// Paints the page with the sheet's top-left corner at the painter's origin, at
// `dotsPerMm` painter units per millimetre.
void PaintPage(QPainter &painter, const TPage &page, double dotsPerMm);

// A4 in the report's orientation, the whole sheet addressable (no printer margins
// shifting the origin), the report's copies and paper tray.
void SetUpPrinter(QPrinter &printer, const TPrintSettings &settings);

// Prints every page from the source's first as many times as the printer's copy
// count asks; when the printer cannot make copies itself the pages are sent that
// many times, collated (the source rewinds for each). One page is at hand at a time.
// Throws EOrbekError when the printer cannot be opened, there is no page, or the
// source fails.
void PrintPages(TPageSource &pages, QPrinter &printer);
void PrintPages(const TPreparedReport &report, QPrinter &printer);

// Writes the pages from the source's first as a PDF file, painting each as it comes.
// Throws EOrbekError when the file cannot be written, there is no page, or the source
// fails; no file is left then.
void WritePdf(TPageSource &pages, const QString &fileName);
void WritePdf(const TPreparedReport &report, const QString &fileName);

} // namespace rep

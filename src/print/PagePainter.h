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
void SetUpPrinter(QPrinter &printer, const TPreparedReport &report);

// Prints every page as many times as the printer's copy count asks; when the
// printer cannot make copies itself the pages are sent that many times, collated.
// Throws EOrbekError when the printer cannot be opened.
void PrintPages(const TPreparedReport &report, QPrinter &printer);

// Writes the pages as a PDF file. Throws EOrbekError when the file cannot be written
// or there is no page.
void WritePdf(const TPreparedReport &report, const QString &fileName);

} // namespace rep

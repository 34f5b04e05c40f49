#pragma once
// Laid-out pages: everything a report prints, as positioned items in millimetres from
// the sheet's top-left corner. The preview, the printer and the PDF file all paint
// these same pages, and tests read them instead of pixels.
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

enum TAlignment { taLeftJustify, taCenter, taRightJustify };
enum TPageOrientation { poPortrait, poLandscape };

// A font as a layout names it. In elements and bands an empty Name or a Size of 0
// takes the enclosing band's or report's; on laid-out pages both are always set.
struct TRepFont {
    QString Name;
    double Size = 0; // points
    bool Bold = false;
    bool Italic = false;

    friend bool operator==(const TRepFont &, const TRepFont &) = default;
};

// Which sides of a box are drawn, and the line width in millimetres.
struct TRepFrame {
    bool Top = false;
    bool Bottom = false;
    bool Left = false;
    bool Right = false;
    double Width = 0.2;

    // From side letters as the layouts list them: "TBLR", "BL", "T"...
    static TRepFrame Sides(const QString &letters);
    static TRepFrame All() { return Sides(QStringLiteral("TBLR")); }
    bool Any() const { return Top || Bottom || Left || Right; }
};

// One line of text. Box is the element's box (a wrapped line's own slot within it);
// the text starts at Origin (left end of its baseline) and is Width long. ClipRect,
// when not null, is the area outside of which nothing of the text prints.
struct TPageText {
    QString Text;
    TRepFont Font;
    QRectF Box;
    TAlignment Alignment = taLeftJustify;
    QPointF Origin;
    double Width = 0;
    QRectF ClipRect;
};

struct TPageLine {
    QPointF From;
    QPointF To;
    double Width = 0.2;
};

struct TPageFrame {
    QRectF Rect;
    TRepFrame Sides;
};

struct TPage {
    QSizeF Size; // of the sheet, mm
    std::vector<TPageFrame> Frames;
    std::vector<TPageLine> Lines;
    std::vector<TPageText> Texts;
};

// A report after layout: its pages and how to print them.
struct TPreparedReport {
    std::vector<TPage> Pages;
    TPageOrientation Orientation = poPortrait;
    int Copies = 1;
    bool FirstTray = false;
};

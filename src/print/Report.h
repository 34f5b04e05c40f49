#pragma once
// The banded report every printed form and list of the program goes through.
//
// A report is an A4 sheet with margins, an optional dataset whose rows drive the
// detail band, and bands stacked from the top margin down. Elements inside a band are
// placed in millimetres from the band's top-left corner (the left margin); elements
// added to the report itself stand outside any band and print once, on the first
// page, in millimetres from the sheet's top-left corner.
//
//   TReport rep;
//   rep.DataSet = Plat;
//   auto *detail = rep.AddBand(rbDetail, 5);
//   detail->AddDBText(Plat, "SUMMA", 150, 0, 40, 5)->Alignment = taRightJustify;
//   rep.AddBand(rbSummary, 6)->AddExpr("SUM(Plat.SUMMA)", 150, 1, 40, 5);
//   rep.Preview();
//
// The layout pass. A pass reads the dataset's rows once, in order, and stacks bands
// one under the other:
//   - a page starts with the sheet's own elements (first page only), the page header
//     (on the first page only with Options.FirstPageHeader), the title (first page
//     only) and the column header;
//   - for each row: when a group's key differs from the previous row's, the footers
//     of that group and of the groups inside it close, innermost first, reading the
//     previous row; then the headers of those groups open, outermost first, reading
//     this row; then the detail band. The first row opens every group;
//   - after the last row every group footer closes, innermost first, then the summary;
//   - each page ends with the page footer at the bottom margin (on the last page only
//     with Options.LastPageFooter).
// A band that does not fit above the page footer starts a new page, unless nothing
// but the page's headers stands on it yet. The page header, title and column header
// never break.
//
// Sums: SUM(dataset.field) adds the field of every detail row printed so far (a
// detail hidden by its hook's printBand=false does not count; one of Height 0 does),
// across page breaks, from zero at the start of the pass. Each row counts as the sum's
// Mask prints it, rounded to the mask's decimals and added exactly, so a printed total
// is the sum of the figures its column prints to the same decimals (without a mask, or
// with more than four decimals, the values add as they are). ResetAfterPrint restarts
// a sum after its band prints, which makes a group footer's sum cover its group.
//
// Hooks: BeforePrint runs each time its band is about to print, OnPrint each time its
// text is; both see the dataset reading the row that band prints for. Each pass runs
// on copies of the hooks, so state kept in their captures starts afresh, and what
// hooks change on bands and sums (Height, ResetAfterPrint) is put back when the pass
// ends. State the form keeps in its own fields (the previous row's number, say) is
// set back by the report's BeforePass, which runs as every pass begins: a preview
// printed after it was shown prints the same pages. One pass at a time runs over a
// report.
//
// Elements are placed where the caller's expressions and data say at the moment a
// pass begins: a form may re-point the report, its data texts and its expressions at
// another dataset between two runs.
//
// Pages leave the pass as soon as they are full (StartLayout), so a report of any
// length holds one page and a few rows at a time; Layout() gathers every page of a
// small one.
#include "print/Pages.h"
#include "print/RowSource.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TReport;
class TRepBand;
class TRepContainer;

enum TBandType {
    rbTitle,
    rbPageHeader,
    rbColumnHeader,
    rbDetail,
    rbGroupHeader,
    rbGroupFooter,
    rbSummary,
    rbPageFooter,
};

enum TShapeType { stFrame, stHorLine, stVertLine };

// Where a text's lines stand in the height of its box.
enum TTextLayout { tlTop, tlCenter };

// ---- Printables --------------------------------------------------------------------

class TRepPrintable {
  public:
    virtual ~TRepPrintable() = default;
    TRepPrintable(const TRepPrintable &) = delete;
    TRepPrintable &operator=(const TRepPrintable &) = delete;

    // The band it lies on, or nullptr for an element placed on the sheet itself.
    TRepBand *Band() const { return m_band; }

    double Left = 0, Top = 0, Width = 0, Height = 0; // mm
    TRepFrame Frame;                                 // sides drawn around the box

  protected:
    explicit TRepPrintable(TRepBand *band) : m_band(band) {}

  private:
    TRepBand *m_band;
};

// What every text element shares. The text prints on one line from the top of its
// box, unless WordWrap breaks it into lines inside the box. A text that does not fit
// its box, a line wider than the box or more wrapped lines than its height holds,
// prints in the largest smaller size that fits (in quarter points): a figure, a code or
// a name is never cut; one line keeps the baseline of its own size, level with its
// row. Only what does not fit even at 2 pt is cut at the box's sides and the lines
// below it dropped. AutoSize makes the box exactly as wide as the text, growing to the
// right from Left. Padding keeps the text that far inside the box's left and right
// sides (a framed cell's rules); Layout tlCenter stands the lines in the middle of the
// box's height.
class TRepText : public TRepPrintable {
  public:
    TRepFont Font; // empty name / size 0: the band's, else the report's
    TAlignment Alignment = taLeftJustify;
    TTextLayout Layout = tlTop;
    double Padding = 0; // mm
    bool AutoSize = false;
    bool WordWrap = false;
    // Receives the text about to print and may replace it. Runs after the band's
    // BeforePrint; while it runs the report's dataset reads the row being printed.
    std::function<void(TRepText *sender, QString &text)> OnPrint;

  protected:
    using TRepPrintable::TRepPrintable;
};

// A fixed caption; a caller may change Caption or Font before the report runs.
class TRepLabel : public TRepText {
  public:
    explicit TRepLabel(TRepBand *band) : TRepText(band) {}
    QString Caption;
};

// The value of a field of a dataset: of the row being printed when the dataset is
// the report's own, of the dataset's current row otherwise. Mask is a number mask
// ("### ### ##0.00") or a date pattern; empty prints the field's own display text.
class TRepDBText : public TRepText {
  public:
    explicit TRepDBText(TRepBand *band) : TRepText(band) {}
    TDataRef DataSet;
    QString DataField;
    QString Mask;
};

// An expression: "SUM(dataset.field)", the running total of the field over the detail
// rows printed so far (each row as Mask prints it), or "dataset.field" / "field", a
// field's value. With
// ResetAfterPrint the total restarts after its band prints (a group footer's sum
// then covers one group). Mask formats the number; without it the shortest form.
class TRepExpr : public TRepText {
  public:
    explicit TRepExpr(TRepBand *band) : TRepText(band) {}
    QString Expression;
    QString Mask;
    bool ResetAfterPrint = false;
    // The number the expression stands at (a print hook reads it to spell a sum in
    // words): the running total, or the field's value as a number.
    double Value() const { return m_value; }

  private:
    friend class TReportLayout;
    double m_value = 0;
};

// A multi-line text, wrapped inside its box; line breaks in Lines start new lines.
class TRepMemo : public TRepText {
  public:
    explicit TRepMemo(TRepBand *band) : TRepText(band) { WordWrap = true; }
    QString Lines;
};

// A frame (the sides named by Frame), or a line across the middle of the box.
class TRepShape : public TRepPrintable {
  public:
    explicit TRepShape(TRepBand *band) : TRepPrintable(band) {}
    TShapeType Shape = stFrame;
    double PenWidth = 0.2; // mm, for the lines
};

// ---- Containers ------------------------------------------------------------------

// Holds elements: a band, or the report for elements placed on the sheet.
class TRepContainer {
  public:
    virtual ~TRepContainer();
    TRepLabel *AddLabel(const QString &caption, double left, double top, double width, double height);
    TRepDBText *AddDBText(TDataRef dataSet, const QString &field, double left, double top, double width,
                          double height);
    TRepExpr *AddExpr(const QString &expression, double left, double top, double width, double height);
    TRepMemo *AddMemo(const QString &lines, double left, double top, double width, double height);
    // A frame gets all four sides; a line gets none (set Frame to add some).
    TRepShape *AddShape(TShapeType shape, double left, double top, double width, double height);

    const std::vector<std::unique_ptr<TRepPrintable>> &Elements() const { return m_elements; }

  protected:
    virtual TRepBand *asBand() { return nullptr; }

  private:
    template <class T>
    T *place(std::unique_ptr<T> element, double left, double top, double width, double height);
    std::vector<std::unique_ptr<TRepPrintable>> m_elements;
};

class TRepBand : public TRepContainer {
  public:
    TRepBand(TReport *report, TBandType type, double height);
    TReport *Report() const { return m_report; }

    TBandType BandType;
    double Height; // mm; what lies below it does not print; 0 takes no room
    TRepFrame Frame;
    TRepFont Font;
    // The band grows to show every line of its word-wrapped texts (a long goods name in
    // its column, an amount in words): a wrapped text whose lines need more room than
    // its box gets it, the elements lying wholly below a grown one move down with it,
    // the band grows to its lowest element, and the elements that reach the band's
    // bottom (column rules, framed cells) grow to its new bottom. The texts are worked
    // out, their hooks run, before the band is placed, so a grown band breaks to the
    // next page whole.
    bool Stretch = false;
    // Runs before the band's texts: may clear printBand, change Height (0 hides the
    // band) or switch a sum's ResetAfterPrint. Changes last until the layout pass ends.
    std::function<void(TRepBand *sender, bool &printBand)> BeforePrint;

  protected:
    TRepBand *asBand() override { return this; }

  private:
    TReport *m_report;
};

// A group header band: printed before the first row and whenever Expression
// ("dataset.field") changes value from one row to the next; its footer band prints
// after the group's last row. Groups nest in the order they were added.
class TRepGroup : public TRepBand {
  public:
    TRepGroup(TReport *report, const QString &expression, double height)
        : TRepBand(report, rbGroupHeader, height), Expression(expression) {}
    QString Expression;
    TRepBand *FooterBand = nullptr;
    TRepBand *AddFooter(double height);
};

// ---- The report ------------------------------------------------------------------

class TReport : public TRepContainer {
  public:
    TReport();
    ~TReport() override;

    TDataRef DataSet; // the rows of the detail band; none: one pass, one page

    struct PageSettings {
        TPageOrientation Orientation = poPortrait;
        double TopMargin = 10, BottomMargin = 10, LeftMargin = 10, RightMargin = 10; // mm
    } Page;
    struct Printer {
        int Copies = 1;
        bool FirstTray = false; // feed from the printer's first paper tray
    } PrinterSettings;
    struct ReportOptions {
        bool FirstPageHeader = true; // the page header prints on the first page too
        bool LastPageFooter = true;  // the page footer prints on the last page too
        bool PrintIfEmpty = true;    // a dataset without rows still gives a page
    } Options;

    TRepFont Font{QStringLiteral("Arial"), 10};
    TRepFrame Frame; // drawn around the area within the margins on every page

    // Runs as every layout pass begins, before any band: the form sets back the state
    // its hooks keep from row to row.
    std::function<void(TReport *sender)> BeforePass;

    TRepBand *AddBand(TBandType type, double height);
    TRepGroup *AddGroup(const QString &expression, double headerHeight);
    const std::vector<std::unique_ptr<TRepBand>> &Bands() const { return m_bands; }

    // Sheet size in mm for the orientation.
    double PageWidth() const { return Page.Orientation == poPortrait ? 210.0 : 297.0; }
    double PageHeight() const { return Page.Orientation == poPortrait ? 297.0 : 210.0; }

    // Starts a layout pass over the live rows: each NextPage lays out rows until a page
    // is full and hands it over (hooks run there); Rewind starts a new pass. The report
    // and its datasets must outlive the source and stay unchanged while it is used.
    // Throws EOrbekError with a Russian message for an expression or field the data
    // does not have; a dataset that is not open throws on the first page.
    std::unique_ptr<TPageSource> StartLayout();
    // One whole pass: every page at once (small reports, tests).
    TPreparedReport Layout();
    // One whole pass, keeping only page `index` (0-based); none when the report has
    // fewer pages.
    std::optional<TPage> LayoutPage(int index);

    // Shows the preview window (printing, printer set-up, saving as PDF) over a pass
    // that lays out pages as the window needs them, returning when the window closes.
    // With PreviewHook set the hook receives every page at once instead and no window
    // opens.
    void Preview();
    static std::function<void(TReport &report, const TPreparedReport &pages)> PreviewHook;

  private:
    std::vector<std::unique_ptr<TRepBand>> m_bands;
};

#pragma once
// Laid-out pages: everything a report prints, as positioned items in millimetres from
// the sheet's top-left corner. The preview, the printer and the PDF file all paint
// these same pages, and tests read them instead of pixels.
//
// Pages travel one at a time (TPageSource): a report hands each page out as soon as
// it is laid out, and the PDF writer and the printer paint it and let it go, so their
// memory does not grow with the report's length. TPreparedReport holds every page at
// once, for small reports and for tests.
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

// One line of text. Box is the element's box inside its padding (a wrapped line's own
// slot within it); the text starts at Origin (left end of its baseline), is Width long
// and prints in Font, which may be smaller than the element's when the text was shrunk
// to fit Box. ClipRect, when not null, is the area outside of which nothing of the text
// prints (a band's bottom cutting across it).
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

// Counts the pages alive in the program, and the most alive at once since ResetPeak():
// the engine's tests check with it that streamed output holds only the page at hand.
class TLivePages {
  public:
    // noexcept, so a vector of pages moves its pages when it grows instead of copying them.
    TLivePages() noexcept { up(); }
    TLivePages(const TLivePages &) noexcept { up(); }
    TLivePages &operator=(const TLivePages &) noexcept { return *this; }
    ~TLivePages() { --s_live; }

    static int Live() { return s_live; }
    static int Peak() { return s_peak; }
    static void ResetPeak() { s_peak = s_live; }

  private:
    static void up() noexcept {
        if (++s_live > s_peak) s_peak = s_live;
    }
    inline static int s_live = 0;
    inline static int s_peak = 0;
};

struct TPage {
    QSizeF Size; // of the sheet, mm
    std::vector<TPageFrame> Frames;
    std::vector<TPageLine> Lines;
    std::vector<TPageText> Texts;
    TLivePages Counted;
};

// How a report goes to paper: known before its first page is laid out.
struct TPrintSettings {
    TPageOrientation Orientation = poPortrait;
    int Copies = 1;
    bool FirstTray = false; // feed from the printer's first paper tray
};

// A report after layout, every page at once: small reports and tests.
struct TPreparedReport : TPrintSettings {
    std::vector<TPage> Pages;
};

// Pages handed out in order, one at a time.
class TPageSource {
  public:
    explicit TPageSource(const TPrintSettings &settings) : m_settings(settings) {}
    virtual ~TPageSource() = default;
    TPageSource(const TPageSource &) = delete;
    TPageSource &operator=(const TPageSource &) = delete;

    const TPrintSettings &Settings() const { return m_settings; }

    // Puts the next page into `page`; false when there is none left. A source that
    // lays the pages out throws EOrbekError when the layout fails.
    virtual bool NextPage(TPage &page) = 0;
    // Starts again before the first page (another copy): a report lays itself out
    // anew, running its hooks again.
    virtual void Rewind() = 0;

  private:
    TPrintSettings m_settings;
};

// The pages of a prepared report as a source; the report must outlive it.
class TPreparedPages : public TPageSource {
  public:
    explicit TPreparedPages(const TPreparedReport &report) : TPageSource(report), m_report(report) {}
    bool NextPage(TPage &page) override {
        if (m_next >= m_report.Pages.size()) return false;
        page = m_report.Pages[m_next++];
        return true;
    }
    void Rewind() override { m_next = 0; }

  private:
    const TPreparedReport &m_report;
    size_t m_next = 0;
};

#pragma once
// A push button without focus that shows a caption and a glyph in up to five looks,
// works as a toggle inside a group, repeats its click while held, drops a menu and
// can be drawn flat or see-through. The edit buttons of the button edits and the
// calculator keys are built on it.
#include <QColor>
#include <QImage>
#include <QWidget>
#include <array>
#include <functional>

class QFontMetrics;
class QMenu;
class QPainter;
class QTimer;

// The looks of a button, in the order of the glyph columns of its bitmap.
enum TButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3, bsInactive = 4 };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// Where a drop-down menu opens: below the button or beside it.
enum TMenuPosition { dmBelow = 0, dmBeside = 1 };
// A drop-down menu's own alignment against its point, read from the menu's dynamic
// property "Alignment" (left when the property is not set).
enum TMenuAlignment { maLeft = 0, maRight = 1, maCenter = 2 };

// Image routines shared by the buttons: disabled and grey pictures and captions
// that must fit a width.
namespace glyphdraw {

// The embossed picture of a disabled glyph: every pixel that is not the transparent
// colour is drawn in the shadow colour, with a highlight copy moved by (1, 1) under
// it when ctl3d is set, on a background of the given colour.
QImage MakeDisabledImage(const QImage &source, QRgb transparent, QColor background, bool ctl3d,
                         QColor highlight, QColor shadow);
// The same with the application's button-face, highlight and shadow colours.
QImage MakeDisabledImage(const QImage &source, QRgb transparent);
// Grey copy for the inactive look: pixels other than the transparent and the
// button-face colour become (g, g, g) with g = (77 red + 150 green + 29 blue) / 256.
QImage MakeGrayedImage(const QImage &source, QRgb transparent, QRgb buttonFace);
// One cell of a picture cut into columns and rows (an empty image when out of range).
QImage CopyImageCell(const QImage &source, int columns, int rows, int column, int row);
// The picture with every pixel of the transparent colour made see-through.
QImage MaskedImage(const QImage &source, QRgb transparent);
// The whole text when it fits; otherwise characters are dropped from the end and
// "..." appended until the result fits the width (in pixels).
QString ShortenTextToWidth(const QString &text, int width, const QFontMetrics &metrics);
// True when one of this program's windows is the active window.
bool IsAppWindowActive();

} // namespace glyphdraw

// Draws a button's glyph: the source bitmap holds up to five pictures side by side,
// one per look, and the pictures of the looks it lacks are made from the first.
class TButtonGlyph {
  public:
    static constexpr QRgb DefaultTransparentColor = 0xFFFF00FF;

    const QImage &Glyph() const { return m_glyph; }
    // A new bitmap: the transparent colour becomes its lower-left pixel, and a bitmap
    // whose width is a whole multiple of its height holds width / height pictures
    // (one when that exceeds five). Every built picture is dropped.
    void SetGlyph(const QImage &glyph);
    int NumGlyphs() const { return m_numGlyphs; }
    void SetNumGlyphs(int count); // 1..5
    QRgb TransparentColor() const { return m_transparentColor; }
    void SetTransparentColor(QRgb color);
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool wrap) { m_wordWrap = wrap; }
    std::function<void()> OnChange;

    // The picture of a look, built on first use; empty without a bitmap.
    QImage Image(TButtonState look);
    // Whether the picture of a look has been built since the last change.
    bool IsBuilt(TButtonState look) const { return m_built[look]; }
    QSize ImageSize() const;

  private:
    void Invalidate();

    QImage m_glyph;
    int m_numGlyphs = 1;
    QRgb m_transparentColor = DefaultTransparentColor;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    bool m_wordWrap = false;
    std::array<QImage, 5> m_images;
    std::array<bool, 5> m_built{};
};

class TGlyphSpeedButton : public QWidget {
    Q_OBJECT
  public:
    explicit TGlyphSpeedButton(QWidget *parent = nullptr);
    ~TGlyphSpeedButton() override;

    // The number of buttons alive in the process.
    static int ButtonCount();

    Qt::Alignment Alignment() const { return m_glyph.Alignment(); }
    void SetAlignment(Qt::Alignment alignment);
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool allow);
    bool AllowTimer() const { return m_allowTimer; }
    void SetAllowTimer(bool allow);
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int index);
    bool Down() const { return m_down; }
    // Ignored on a button outside a group, and for a down button that may not go
    // up (AllowAllUp False). Pressing one button of a group releases the others.
    void SetDown(bool down);
    QMenu *DropDownMenu() const { return m_dropDownMenu; }
    void SetDropDownMenu(QMenu *menu);
    int MenuPosition() const { return m_menuPosition; }
    void SetMenuPosition(int position);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
    bool Flat() const { return m_flat; }
    void SetFlat(bool flat);
    const QImage &Glyph() const { return m_glyph.Glyph(); }
    void SetGlyph(const QImage &glyph);
    int NumGlyphs() const { return m_glyph.NumGlyphs(); }
    void SetNumGlyphs(int count);
    bool GrayedInactive() const { return m_grayedInactive; }
    void SetGrayedInactive(bool grayed);
    int InitPause() const { return m_initPause; }
    void SetInitPause(int ms) { m_initPause = ms; }
    int RepeatInterval() const { return m_repeatInterval; }
    void SetRepeatInterval(int ms) { m_repeatInterval = ms; }
    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return m_margin; }
    void SetMargin(int margin);
    int Spacing() const { return m_spacing; }
    void SetSpacing(int spacing);
    bool MarkDropDown() const { return m_markDropDown; }
    void SetMarkDropDown(bool mark);
    int ModalResult() const { return m_modalResult; }
    void SetModalResult(int result) { m_modalResult = result; }
    int Style() const { return m_style; }
    void SetStyle(int style) { m_style = style; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);
    bool WordWrap() const { return m_glyph.WordWrap(); }
    void SetWordWrap(bool wrap);

    // The current look, and whether the mouse is over the button.
    TButtonState State() const { return m_state; }
    bool MouseInside() const { return m_mouseInside; }

    // Runs the click: the clicked signal, then the button's modal result closes its
    // dialog when it has one.
    virtual void Click();

    // Where a drop-down menu's corner goes, in button co-ordinates.
    static QPoint DropDownMenuPoint(QSize buttonSize, int menuPosition, TMenuAlignment alignment);

    QSize sizeHint() const override { return QSize(25, 25); }

  signals:
    void clicked();
    void doubleClicked();
    void mouseEntered();
    void mouseLeft();

  protected:
    // Draws the glyph and the caption (and the drop-down mark) into the rectangle.
    virtual void PaintGlyph(QPainter &painter, const QRect &rect, bool dropDownMark, TButtonState look);
    void SetState(TButtonState look);
    TButtonGlyph &GlyphPainter() { return m_glyph; }

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void changeEvent(QEvent *e) override;

  private:
    void PressButton();
    void ReleaseButton(bool inside);
    void DropDownAndRelease();
    void UpdateExclusive();
    void FollowEnabled();
    void TimerTick();

    TButtonGlyph m_glyph;
    QString m_caption;
    TButtonState m_state = bsUp;
    bool m_dragging = false;
    bool m_mouseInside = false;
    bool m_menuTracking = false;
    bool m_allowAllUp = false;
    bool m_allowTimer = false;
    int m_groupIndex = 0;
    bool m_down = false;
    QMenu *m_dropDownMenu = nullptr;
    int m_menuPosition = dmBelow;
    bool m_flat = false;
    bool m_grayedInactive = true;
    int m_initPause = 500;
    int m_repeatInterval = 100;
    TButtonLayout m_layout = blGlyphTop;
    int m_margin = -1;
    int m_spacing = 1;
    bool m_markDropDown = true;
    int m_modalResult = 0;
    int m_style = 0;
    bool m_transparent = false;
    int m_shortcutId = 0;
    QTimer *m_repeatTimer = nullptr;
};

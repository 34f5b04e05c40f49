#pragma once
// An edit field with a small push button at its right edge that runs an action or
// drops a popup window below the field; the popup hands a value back into the text
// when the user accepts it. The number and currency fields are built on it.
#include "GlyphCtrls.h"
#include "StdCtrls.h"

#include <QFrame>
#include <QKeySequence>
#include <QLineEdit>
#include <QVariant>

class TCustomComboEdit;

// What the edit button shows.
enum TGlyphKind { gkCustom = 0, gkDefault = 1, gkDropDown = 2, gkEllipsis = 3 };
// Which edge of the field the popup lines up with.
enum TPopupAlign { epaRight = 0, epaLeft = 1 };

// The base of the drop-down windows: a bordered top-level window that never takes
// the activation; the field keeps the focus and passes it the keys it wants.
class TPopupWindow : public QFrame {
    Q_OBJECT
  public:
    explicit TPopupWindow(TCustomComboEdit *editor);

    TCustomComboEdit *Editor() const { return m_editor; }
    virtual QVariant GetValue() = 0;
    virtual void SetValue(const QVariant &value) = 0;
    // Closes the popup through its editor, taking the value when accept is set.
    virtual void CloseUp(bool accept);
    // The text the field shows while the popup is open; empty in the base.
    virtual QString GetPopupText() const;
    // A key the field passes on while the popup is open.
    virtual void PopupKeyPress(QChar key);

  signals:
    void closeUp(TPopupWindow *sender, bool accept);

  protected:
    // A left release on the popup itself accepts; one outside it does not.
    void mouseReleaseEvent(QMouseEvent *e) override;

  private:
    TCustomComboEdit *m_editor;
};

// The push button of a button edit.
class TEditButton : public TGlyphSpeedButton {
    Q_OBJECT
  public:
    explicit TEditButton(TCustomComboEdit *editor, QWidget *parent);

  protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;

  private:
    void Clicked();

    TCustomComboEdit *m_editor;
    bool m_noAction = false; // the press only closed an open popup: its click does nothing
};

class TCustomComboEdit : public TLineEdit {
    Q_OBJECT
  public:
    explicit TCustomComboEdit(QWidget *parent = nullptr);
    ~TCustomComboEdit() override;

    // The button's width; below 2 the button is hidden (0 hides it entirely, and
    // the shortcut works only with a width above 0).
    int ButtonWidth() const;
    void SetButtonWidth(int width);
    TGlyphKind ButtonGlyphKind() const { return m_glyphKind; }
    void SetButtonGlyphKind(TGlyphKind kind);
    const QImage &Glyph() const;
    // A glyph of one's own: the kind becomes custom.
    void SetGlyph(const QImage &glyph);
    int NumGlyphs() const;
    void SetNumGlyphs(int count);
    QKeySequence ButtonShortCut() const { return m_buttonShortCut; }
    void SetButtonShortCut(const QKeySequence &shortcut) { m_buttonShortCut = shortcut; }
    TEditButton *Button() const { return m_button; }
    QString ButtonHint() const;
    void SetButtonHint(const QString &hint);

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    bool AllowTyping() const { return m_allowTyping; }
    void SetAllowTyping(bool allow);
    // The button works even on a read-only field.
    bool AlwaysEnable() const { return m_alwaysEnable; }
    void SetAlwaysEnable(bool enable) { m_alwaysEnable = enable; }
    Qt::Alignment TextAlignment() const { return m_textAlignment; }
    void SetTextAlignment(Qt::Alignment alignment);
    // Selects the whole text when the focus comes by keyboard.
    bool AutoSelect() const { return m_autoSelect; }
    void SetAutoSelect(bool select) { m_autoSelect = select; }

    TPopupAlign PopupSide() const { return m_popupSide; }
    void SetPopupSide(TPopupAlign side) { m_popupSide = side; }
    TPopupWindow *Popup() const { return m_popup; }
    // Gives the field a popup, which it then owns (nullptr removes and frees it).
    virtual void SetPopup(TPopupWindow *popup);
    bool PopupVisible() const { return m_popupVisible; }

    // Top-left corner of a popup of the given size for a field at editRect (screen
    // co-ordinates): below the field, or above it when it would pass the screen's
    // bottom; right edges together (side right) or left edges (side left), kept on
    // the screen.
    static QPoint PopupPosition(const QRect &editRect, QSize popupSize, const QRect &screen,
                                TPopupAlign side);

    // The button's action: OnButtonPress, then an open popup closes with its value
    // and a closed one opens with typing disabled.
    virtual void ButtonClick();
    // Closes an open popup, taking its value when accept is set and allowed.
    virtual void PopupCloseUp(TPopupWindow *sender, bool accept);
    virtual void PopupDropDown(bool disableEdit);

  signals:
    void buttonPress();
    // The text changed while no popup was open (changes under an open popup go to
    // PopupChange).
    void change();

  protected:
    virtual QImage GetDefaultBitmap();
    virtual int DefaultNumGlyphs() const { return 1; }
    virtual void ShowPopup(const QPoint &origin);
    virtual void HidePopup();
    virtual bool AcceptPopup(const QVariant &value);
    virtual void AcceptValue(const QVariant &value);
    virtual void SetPopupValue(const QVariant &value);
    virtual QVariant GetPopupValue();
    virtual void PopupChange() {}
    virtual bool GetReadOnly() const { return m_readOnly; }
    bool EditCanModify() const { return !GetReadOnly(); }

    // One typed character; setting key to 0 consumes it. The base closes an open
    // popup on Enter (accepting) and Esc (discarding).
    virtual void KeyPress(QChar &key);
    // Paints the field without the edit's own drawing: the frame and the given
    // text, aligned against the button.
    void PaintText(const QString &text, Qt::Alignment alignment);

    bool eventFilter(QObject *watched, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

  private:
    void ClosePopup(bool accept, bool takeFocus);
    void RebuildGlyph();
    void LayoutButton();
    void ApplyReadOnly();
    void TextChanged();
    bool IsPartOfField(QObject *object) const;

    QWidget *m_buttonHolder;
    TEditButton *m_button;
    QKeySequence m_buttonShortCut = QKeySequence(Qt::ALT | Qt::Key_Down);
    bool m_readOnly = false;
    bool m_allowTyping = true;
    bool m_alwaysEnable = false;
    bool m_autoSelect = true;
    Qt::Alignment m_textAlignment = Qt::AlignLeft;
    bool m_popupVisible = false;
    TPopupAlign m_popupSide = epaRight;
    TGlyphKind m_glyphKind = gkCustom;
    TPopupWindow *m_popup = nullptr;
    bool m_typingOffWhileOpen = false; // the popup was opened with typing disabled
};

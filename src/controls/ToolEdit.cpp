#include "ToolEdit.h"

#include "db/Formats.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

constexpr QChar KeyEnter(13);
constexpr QChar KeyEsc(27);
constexpr QChar KeyBackspace(8);

// The character a key press types, with Enter, Esc and Backspace as their control
// codes; a null character for keys that type nothing.
QChar typedChar(const QKeyEvent *e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyEnter;
    case Qt::Key_Escape:
        return KeyEsc;
    case Qt::Key_Backspace:
        return KeyBackspace;
    default:
        break;
    }
    const QString text = e->text();
    return text.size() == 1 ? text[0] : QChar();
}

// The text of a popup's value as the field shows it: numbers in the process format.
QString valueText(const QVariant &value) {
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return fmt::FloatToStr(value.toDouble());
    return value.toString();
}

// A one-picture arrow for the drop-down glyph kind.
QImage dropDownArrowImage() {
    QImage img(9, 6, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int row = 0; row < 4; ++row)
        for (int x = 1 + row; x <= 7 - row; ++x)
            img.setPixel(x, row + 1, qRgb(0, 0, 0));
    return img;
}

// Three 2 by 2 dots on row 1 of a 4-pixel-high picture, centred, for the ellipsis kind.
QImage ellipsisImage(int buttonWidth) {
    const int w = qMax(1, buttonWidth - 6);
    QImage img(w, 4, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    const int gap = qBound(1, (w - 6) / 2, 3);
    int x = (w - (3 * 2 + 2 * gap)) / 2;
    for (int dot = 0; dot < 3; ++dot, x += 2 + gap)
        for (int dx = 0; dx < 2; ++dx)
            for (int dy = 1; dy < 3; ++dy)
                if (x + dx >= 0 && x + dx < w) img.setPixel(x + dx, dy, qRgb(0, 0, 0));
    return img;
}

} // namespace

// ---------------------------------------------------------------------------------
// TPopupWindow

TPopupWindow::TPopupWindow(TCustomComboEdit *editor)
    : QFrame(editor,
             Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint),
      m_editor(editor) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    hide();
}

void TPopupWindow::CloseUp(bool accept) {
    emit closeUp(this, accept);
}

QString TPopupWindow::GetPopupText() const {
    return QString();
}

void TPopupWindow::PopupKeyPress(QChar) {}

void TPopupWindow::mouseReleaseEvent(QMouseEvent *e) {
    QFrame::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton) CloseUp(rect().contains(e->position().toPoint()));
}

// ---------------------------------------------------------------------------------
// TEditButton

TEditButton::TEditButton(TCustomComboEdit *editor, QWidget *parent)
    : TGlyphSpeedButton(parent), m_editor(editor) {
    setAttribute(Qt::WA_AlwaysShowToolTips, false);
    connect(this, &TGlyphSpeedButton::clicked, this, &TEditButton::Clicked);
}

void TEditButton::Clicked() {
    if (m_noAction) {
        m_noAction = false;
        return;
    }
    m_editor->ButtonClick();
}

void TEditButton::mousePressEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton) {
        m_noAction = false;
        if (m_editor->PopupVisible()) {
            m_editor->PopupCloseUp(m_editor->Popup(), true);
            m_noAction = true;
        } else if ((m_editor->focusPolicy() & Qt::TabFocus) && m_editor->isEnabled() &&
                   m_editor->isVisible()) {
            m_editor->setFocus(Qt::MouseFocusReason);
        }
    }
    TGlyphSpeedButton::mousePressEvent(e);
}

void TEditButton::paintEvent(QPaintEvent *e) {
    TGlyphSpeedButton::paintEvent(e);
    if (State() == bsDown || State() == bsExclusive) return;
    // A seam between the text and the button.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Button));
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(1, 1, 1, height() - 2);
}

// ---------------------------------------------------------------------------------
// TCustomComboEdit

TCustomComboEdit::TCustomComboEdit(QWidget *parent) : TLineEdit(parent) {
    m_buttonHolder = new QWidget(this);
    m_buttonHolder->setCursor(Qt::ArrowCursor);
    m_button = new TEditButton(this, m_buttonHolder);
    m_button->setGeometry(0, 0, 21, 17);
    m_buttonHolder->resize(21, 17);
    resize(width(), 21);
    setAlignment(m_textAlignment | Qt::AlignVCenter);
    connect(this, &QLineEdit::textChanged, this, &TCustomComboEdit::TextChanged);
    LayoutButton();
}

TCustomComboEdit::~TCustomComboEdit() {
    qApp->removeEventFilter(this);
    disconnect(m_button, nullptr, nullptr, nullptr);
    if (m_popup) {
        disconnect(m_popup, nullptr, this, nullptr);
        delete m_popup;
        m_popup = nullptr;
    }
}

int TCustomComboEdit::ButtonWidth() const {
    return m_buttonHolder->isHidden() ? 0 : m_button->width();
}

void TCustomComboEdit::SetButtonWidth(int width) {
    if (width == ButtonWidth()) return;
    // Until the field is first shown any width is taken; afterwards it must leave
    // room for the text.
    const bool constructing = !testAttribute(Qt::WA_WState_Polished);
    if (!constructing && width >= this->width()) return;
    m_buttonHolder->setHidden(width < 2);
    m_button->resize(qMax(0, width), m_button->height());
    m_buttonHolder->resize(qMax(0, width), m_buttonHolder->height());
    LayoutButton();
    if (!constructing) RebuildGlyph();
}

void TCustomComboEdit::SetButtonGlyphKind(TGlyphKind kind) {
    if (kind == m_glyphKind) return;
    m_glyphKind = kind;
    RebuildGlyph();
    if (kind == gkDefault && !Glyph().isNull())
        SetButtonWidth(qMax(Glyph().width() / NumGlyphs() + 6, ButtonWidth()));
    else if (kind == gkDropDown)
        SetButtonWidth(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
}

const QImage &TCustomComboEdit::Glyph() const {
    return m_button->Glyph();
}

void TCustomComboEdit::SetGlyph(const QImage &glyph) {
    m_button->SetGlyph(glyph);
    m_glyphKind = gkCustom;
}

int TCustomComboEdit::NumGlyphs() const {
    return m_button->NumGlyphs();
}

void TCustomComboEdit::SetNumGlyphs(int count) {
    if (m_glyphKind == gkDropDown || m_glyphKind == gkEllipsis)
        count = 1;
    else if (m_glyphKind == gkDefault)
        count = DefaultNumGlyphs();
    m_button->SetNumGlyphs(count);
}

QString TCustomComboEdit::ButtonHint() const {
    return m_button->toolTip();
}
void TCustomComboEdit::SetButtonHint(const QString &hint) {
    m_button->setToolTip(hint);
}

void TCustomComboEdit::RebuildGlyph() {
    switch (m_glyphKind) {
    case gkDefault:
        m_button->SetGlyph(GetDefaultBitmap());
        m_button->SetNumGlyphs(DefaultNumGlyphs());
        break;
    case gkDropDown:
        m_button->SetGlyph(dropDownArrowImage());
        m_button->SetNumGlyphs(1);
        break;
    case gkEllipsis:
        m_button->SetGlyph(ellipsisImage(ButtonWidth()));
        m_button->SetNumGlyphs(1);
        break;
    case gkCustom:
        break;
    }
}

QImage TCustomComboEdit::GetDefaultBitmap() {
    return QImage();
}

void TCustomComboEdit::SetReadOnly(bool readOnly) {
    if (readOnly == m_readOnly) return;
    m_readOnly = readOnly;
    ApplyReadOnly();
}

void TCustomComboEdit::SetAllowTyping(bool allow) {
    if (allow == m_allowTyping) return;
    m_allowTyping = allow;
    ApplyReadOnly();
}

void TCustomComboEdit::ApplyReadOnly() {
    setReadOnly(m_readOnly || !m_allowTyping || m_typingOffWhileOpen);
}

void TCustomComboEdit::SetTextAlignment(Qt::Alignment alignment) {
    alignment &= Qt::AlignHorizontal_Mask;
    if (alignment == m_textAlignment) return;
    m_textAlignment = alignment;
    setAlignment(alignment | Qt::AlignVCenter);
}

// The button sits at the right edge inside the frame; the text keeps clear of it.
void TCustomComboEdit::LayoutButton() {
    const int bw = m_button->width();
    const int inset = hasFrame() ? 2 : 0;
    m_buttonHolder->setGeometry(width() - bw - inset, inset, bw, qMax(0, height() - 2 * inset));
    m_button->setGeometry(0, 0, bw, m_buttonHolder->height());
    setTextMargins(0, 0, m_buttonHolder->isHidden() ? 0 : bw + 2, 0);
}

void TCustomComboEdit::resizeEvent(QResizeEvent *e) {
    QLineEdit::resizeEvent(e);
    LayoutButton();
}

void TCustomComboEdit::changeEvent(QEvent *e) {
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        LayoutButton();
    else if (e->type() == QEvent::LayoutDirectionChange && m_popup)
        m_popup->setLayoutDirection(layoutDirection());
}

void TCustomComboEdit::SetPopup(TPopupWindow *popup) {
    if (popup == m_popup) return;
    if (m_popup) {
        if (m_popupVisible) PopupCloseUp(m_popup, false);
        disconnect(m_popup, nullptr, this, nullptr);
        delete m_popup;
    }
    m_popup = popup;
    if (m_popup) {
        if (m_popup->parentWidget() != this) m_popup->setParent(this, m_popup->windowFlags());
        connect(m_popup, &TPopupWindow::closeUp, this, &TCustomComboEdit::PopupCloseUp);
    }
}

QPoint TCustomComboEdit::PopupPosition(const QRect &editRect, QSize popupSize, const QRect &screen,
                                       TPopupAlign side) {
    const int screenRight = screen.left() + screen.width();
    const int screenBottom = screen.top() + screen.height();
    const int editRight = editRect.left() + editRect.width();
    const int editBottom = editRect.top() + editRect.height();
    int top = editBottom;
    if (top + popupSize.height() > screenBottom) top = editRect.top() - popupSize.height();
    int left;
    if (side == epaRight) {
        left = editRight - popupSize.width();
        if (left < screen.left()) left = editRect.left();
    } else {
        left = editRect.left();
        if (left + popupSize.width() > screenRight) left = editRight - popupSize.width();
    }
    left = qMax(screen.left(), qMin(left, screenRight - popupSize.width()));
    return QPoint(left, top);
}

void TCustomComboEdit::ButtonClick() {
    if (GetReadOnly() && !m_alwaysEnable) return;
    emit buttonPress();
    if (!m_popup) return;
    if (m_popupVisible)
        PopupCloseUp(m_popup, true);
    else
        PopupDropDown(true);
}

void TCustomComboEdit::PopupDropDown(bool disableEdit) {
    if (!m_popup || GetReadOnly() || m_popupVisible) return;
    const QRect editRect(mapToGlobal(QPoint(0, 0)), size());
    const QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect screenRect = scr ? scr->geometry() : QRect(0, 0, 1024, 768);
    const QPoint at = PopupPosition(editRect, m_popup->size(), screenRect, m_popupSide);
    SetPopupValue(text().isEmpty() ? QVariant() : QVariant(text()));
    if (focusPolicy() != Qt::NoFocus && isEnabled() && isVisible()) setFocus(Qt::OtherFocusReason);
    ShowPopup(at);
    m_popupVisible = true;
    if (disableEdit) {
        m_typingOffWhileOpen = true;
        ApplyReadOnly();
    }
    qApp->installEventFilter(this);
}

void TCustomComboEdit::ShowPopup(const QPoint &origin) {
    m_popup->move(origin);
    m_popup->show();
    m_popup->raise();
}

void TCustomComboEdit::HidePopup() {
    m_popup->hide();
}

void TCustomComboEdit::PopupCloseUp(TPopupWindow *, bool accept) {
    ClosePopup(accept, true);
}

// Closing because the focus went elsewhere must not pull it back.
void TCustomComboEdit::ClosePopup(bool accept, bool takeFocus) {
    if (!m_popup || !m_popupVisible) return;
    qApp->removeEventFilter(this);
    if (QWidget *grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    const QVariant value = GetPopupValue();
    HidePopup();
    if (takeFocus && focusPolicy() != Qt::NoFocus && isEnabled() && isVisible() && !hasFocus())
        setFocus(Qt::OtherFocusReason);
    m_typingOffWhileOpen = false;
    ApplyReadOnly();
    update();
    if (accept && AcceptPopup(value) && EditCanModify()) {
        AcceptValue(value);
        if (hasFocus()) selectAll();
    }
    m_popupVisible = false;
}

bool TCustomComboEdit::AcceptPopup(const QVariant &) {
    return true;
}

void TCustomComboEdit::AcceptValue(const QVariant &value) {
    const QString t = valueText(value);
    if (t == text()) return;
    m_popupVisible = m_popup && m_popup->isVisible();
    setText(t);
    setModified(true);
}

void TCustomComboEdit::SetPopupValue(const QVariant &value) {
    m_popup->SetValue(value);
}

QVariant TCustomComboEdit::GetPopupValue() {
    return m_popup->GetValue();
}

void TCustomComboEdit::TextChanged() {
    if (m_popupVisible)
        PopupChange();
    else
        emit change();
}

void TCustomComboEdit::KeyPress(QChar &key) {
    if ((key == KeyEnter || key == KeyEsc) && m_popupVisible) {
        PopupCloseUp(m_popup, key == KeyEnter);
        key = QChar();
    }
}

void TCustomComboEdit::keyPressEvent(QKeyEvent *e) {
    if (ButtonWidth() > 0 && !m_buttonShortCut.isEmpty() &&
        QKeySequence(e->keyCombination()) == m_buttonShortCut) {
        ButtonClick();
        e->accept();
        return;
    }
    // Paste before the typed character: Ctrl+V types a control character of its own.
    if (e->matches(QKeySequence::Paste)) {
        TLineEdit::keyPressEvent(e);
        return;
    }
    QChar key = typedChar(e);
    if (!key.isNull()) {
        const QChar typed = key;
        // Without an open popup, Esc also reaches the form (its Cancel button).
        const bool escToForm = typed == KeyEsc && !m_popupVisible;
        KeyPress(key);
        if (key.isNull()) {
            e->setAccepted(!escToForm);
            return;
        }
        if (key != typed) {
            QKeyEvent replaced(e->type(), e->key(), e->modifiers(), QString(key), e->isAutoRepeat(),
                               ushort(e->count()));
            TLineEdit::keyPressEvent(&replaced);
            e->setAccepted(replaced.isAccepted());
            return;
        }
    }
    TLineEdit::keyPressEvent(e);
}

void TCustomComboEdit::mousePressEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton && m_popup) {
        if (!hasFocus()) setFocus(Qt::MouseFocusReason);
        if (!hasFocus()) return;
        if (m_popupVisible) PopupCloseUp(m_popup, false);
    }
    QLineEdit::mousePressEvent(e);
}

void TCustomComboEdit::focusInEvent(QFocusEvent *e) {
    QLineEdit::focusInEvent(e);
    if (m_autoSelect && m_allowTyping && e->reason() != Qt::MouseFocusReason) selectAll();
}

void TCustomComboEdit::focusOutEvent(QFocusEvent *e) {
    if (m_popupVisible && e->reason() != Qt::PopupFocusReason) ClosePopup(false, false);
    QLineEdit::focusOutEvent(e);
}

bool TCustomComboEdit::IsPartOfField(QObject *object) const {
    auto *w = qobject_cast<QWidget *>(object);
    if (!w) return true;
    return w == this || w == m_buttonHolder || m_buttonHolder->isAncestorOf(w) ||
           (m_popup && (w == m_popup || m_popup->isAncestorOf(w)));
}

// While the popup is open, a press anywhere outside the field, its button and its
// popup closes the popup without taking its value.
bool TCustomComboEdit::eventFilter(QObject *watched, QEvent *e) {
    if (m_popupVisible &&
        (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) &&
        watched->isWidgetType() && !IsPartOfField(watched))
        PopupCloseUp(m_popup, false);
    return QLineEdit::eventFilter(watched, e);
}

void TCustomComboEdit::PaintText(const QString &text, Qt::Alignment alignment) {
    QPainter p(this);
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &opt, &p, this);
    QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this);
    r = r.marginsRemoved(textMargins()).adjusted(2, 0, -2, 0);
    QString shown = text;
    if (echoMode() == QLineEdit::Password || echoMode() == QLineEdit::PasswordEchoOnEdit)
        shown = QString(text.size(),
                        QChar(style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &opt, this)));
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    p.setFont(font());
    p.drawText(r, int((alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter), shown);
}

#include "GlyphCtrls.h"

#include "MaxMin.h"

#include <QApplication>
#include <QDialog>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QTimer>
#include <qdrawutil.h>

namespace glyphdraw {

namespace {

QImage argb(const QImage &source) {
    return source.convertToFormat(QImage::Format_ARGB32);
}

// A pixel counts as background when it has the transparent colour or no opacity.
bool isTransparentPixel(QRgb pixel, QRgb transparent) {
    return pixel == transparent || qAlpha(pixel) == 0;
}

} // namespace

QImage MakeDisabledImage(const QImage &source, QRgb transparent, QColor background, bool ctl3d,
                         QColor highlight, QColor shadow) {
    const QImage src = argb(source);
    QImage result(src.size(), QImage::Format_ARGB32);
    result.fill(background);
    const QRgb hi = highlight.rgba();
    const QRgb sh = shadow.rgba();
    if (ctl3d) {
        for (int y = 0; y + 1 < src.height(); ++y)
            for (int x = 0; x + 1 < src.width(); ++x)
                if (!isTransparentPixel(src.pixel(x, y), transparent)) result.setPixel(x + 1, y + 1, hi);
    }
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (!isTransparentPixel(src.pixel(x, y), transparent)) result.setPixel(x, y, sh);
    return result;
}

QImage MakeDisabledImage(const QImage &source, QRgb transparent) {
    const QPalette pal = QApplication::palette();
    return MakeDisabledImage(source, transparent, pal.color(QPalette::Button), true,
                             pal.color(QPalette::Light), pal.color(QPalette::Dark));
}

QImage MakeGrayedImage(const QImage &source, QRgb transparent, QRgb buttonFace) {
    QImage result = argb(source);
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = result.pixel(x, y);
            if (isTransparentPixel(p, transparent) || p == buttonFace) continue;
            const int g = (77 * qRed(p) + 150 * qGreen(p) + 29 * qBlue(p)) / 256;
            result.setPixel(x, y, qRgba(g, g, g, qAlpha(p)));
        }
    return result;
}

QImage CopyImageCell(const QImage &source, int columns, int rows, int column, int row) {
    if (source.isNull() || columns < 1 || rows < 1 || column < 0 || row < 0 || column >= columns ||
        row >= rows)
        return QImage();
    const int w = source.width() / columns;
    const int h = source.height() / rows;
    return source.copy(column * w, row * h, w, h);
}

QImage MaskedImage(const QImage &source, QRgb transparent) {
    QImage result = argb(source);
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            if (isTransparentPixel(result.pixel(x, y), transparent)) result.setPixel(x, y, 0);
    return result;
}

QString ShortenTextToWidth(const QString &text, int width, const QFontMetrics &metrics) {
    if (metrics.horizontalAdvance(text) <= width) return text;
    const QString dots = QStringLiteral("...");
    QString cut = text;
    while (!cut.isEmpty()) {
        cut.chop(1);
        if (metrics.horizontalAdvance(cut + dots) <= width) break;
    }
    return cut + dots;
}

bool IsAppWindowActive() {
    return QApplication::activeWindow() != nullptr;
}

} // namespace glyphdraw

// ---------------------------------------------------------------------------------
// TButtonGlyph

void TButtonGlyph::SetGlyph(const QImage &glyph) {
    m_glyph = glyph.isNull() ? QImage() : glyph.convertToFormat(QImage::Format_ARGB32);
    if (!m_glyph.isNull()) {
        m_transparentColor = m_glyph.pixel(0, m_glyph.height() - 1);
        if (m_glyph.width() % m_glyph.height() == 0) {
            const int count = m_glyph.width() / m_glyph.height();
            m_numGlyphs = count > 5 ? 1 : count;
        }
    }
    Invalidate();
}

void TButtonGlyph::SetNumGlyphs(int count) {
    count = qBound(1, count, 5);
    if (count == m_numGlyphs) return;
    m_numGlyphs = count;
    Invalidate();
}

void TButtonGlyph::SetTransparentColor(QRgb color) {
    if (color == m_transparentColor) return;
    m_transparentColor = color;
    Invalidate();
}

void TButtonGlyph::Invalidate() {
    for (auto &img : m_images)
        img = QImage();
    m_built.fill(false);
    if (OnChange) OnChange();
}

QSize TButtonGlyph::ImageSize() const {
    if (m_glyph.isNull()) return QSize(0, 0);
    return QSize(m_glyph.width() / m_numGlyphs, m_glyph.height());
}

QImage TButtonGlyph::Image(TButtonState look) {
    if (m_glyph.isNull()) return QImage();
    if (m_built[look]) return m_images[look];
    const int count = m_numGlyphs;
    auto cell = [&](int column) { return glyphdraw::CopyImageCell(m_glyph, count, 1, column, 0); };
    const QRgb face = QApplication::palette().color(QPalette::Button).rgba();
    QImage img;
    switch (look) {
    case bsUp:
    case bsDown:
    case bsExclusive:
        img = glyphdraw::MaskedImage(cell(look < count ? look : 0), m_transparentColor);
        break;
    case bsDisabled:
        if (count < 2)
            img = glyphdraw::MaskedImage(glyphdraw::MakeDisabledImage(cell(0), m_transparentColor), face);
        else
            img = glyphdraw::MaskedImage(cell(1), m_transparentColor);
        break;
    case bsInactive:
        if (count == 5)
            img = glyphdraw::MaskedImage(cell(4), m_transparentColor);
        else
            img = glyphdraw::MaskedImage(glyphdraw::MakeGrayedImage(cell(0), m_transparentColor, face),
                                         m_transparentColor);
        break;
    }
    m_images[look] = img;
    m_built[look] = true;
    return img;
}

// ---------------------------------------------------------------------------------
// TGlyphSpeedButton

namespace {

int g_buttonCount = 0;

constexpr int DropDownMarkWidth = 7;
constexpr int DropDownMarkHeight = 4;

// Places the glyph and the caption block inside the client rectangle the way push
// buttons do: side by side or one above the other, centred when margin is -1,
// spacing -1 spreads them evenly.
void layoutGlyphAndText(const QRect &client, QSize glyph, QSize text, TButtonLayout layout, int margin,
                        int spacing, QPoint &glyphPos, QPoint &textPos) {
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    if (horizontal) {
        glyphPos.setY((client.height() - glyph.height() + 1) / 2);
        textPos.setY((client.height() - text.height() + 1) / 2);
    } else {
        glyphPos.setX((client.width() - glyph.width() + 1) / 2);
        textPos.setX((client.width() - text.width() + 1) / 2);
    }
    if (text.isEmpty() || glyph.isEmpty()) spacing = 0;
    const int clientSize = horizontal ? client.width() : client.height();
    const int glyphSize = horizontal ? glyph.width() : glyph.height();
    const int textSize = horizontal ? text.width() : text.height();
    if (margin == -1) {
        if (spacing == -1) {
            margin = (clientSize - glyphSize - textSize) / 3;
            spacing = margin;
        } else {
            margin = (clientSize - (glyphSize + spacing + textSize) + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (clientSize - (margin + glyphSize) - textSize) / 2;
    }
    switch (layout) {
    case blGlyphLeft:
        glyphPos.setX(margin);
        textPos.setX(glyphPos.x() + glyph.width() + spacing);
        break;
    case blGlyphRight:
        glyphPos.setX(client.width() - margin - glyph.width());
        textPos.setX(glyphPos.x() - spacing - text.width());
        break;
    case blGlyphTop:
        glyphPos.setY(margin);
        textPos.setY(glyphPos.y() + glyph.height() + spacing);
        break;
    case blGlyphBottom:
        glyphPos.setY(client.height() - margin - glyph.height());
        textPos.setY(glyphPos.y() - spacing - text.height());
        break;
    }
    glyphPos += client.topLeft();
    textPos += client.topLeft();
}

// Downward triangle of rows 7, 5, 3 and 1 pixels.
void drawDropDownMark(QPainter &p, QPoint at, const QColor &color) {
    p.setPen(color);
    for (int i = 0; i < DropDownMarkHeight; ++i)
        p.drawLine(at.x() + i, at.y() + i, at.x() + DropDownMarkWidth - 1 - i, at.y() + i);
}

} // namespace

TGlyphSpeedButton::TGlyphSpeedButton(QWidget *parent) : QWidget(parent) {
    ++g_buttonCount;
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_NoMouseReplay); // a click that closes our drop-down menu must not re-press us
    setAttribute(Qt::WA_Hover);
    resize(25, 25);
    m_glyph.OnChange = [this] { update(); };
}

TGlyphSpeedButton::~TGlyphSpeedButton() {
    m_glyph.OnChange = nullptr;
    --g_buttonCount;
}

int TGlyphSpeedButton::ButtonCount() {
    return g_buttonCount;
}

void TGlyphSpeedButton::SetAlignment(Qt::Alignment alignment) {
    m_glyph.SetAlignment(alignment);
    update();
}

void TGlyphSpeedButton::SetAllowAllUp(bool allow) {
    if (allow == m_allowAllUp) return;
    m_allowAllUp = allow;
    UpdateExclusive();
}

void TGlyphSpeedButton::SetAllowTimer(bool allow) {
    m_allowTimer = allow;
    if (!allow && m_repeatTimer) m_repeatTimer->stop();
}

void TGlyphSpeedButton::SetGroupIndex(int index) {
    if (index == m_groupIndex) return;
    m_groupIndex = index;
    UpdateExclusive();
}

void TGlyphSpeedButton::SetDown(bool down) {
    if (m_groupIndex == 0) down = false;
    if (down == m_down) return;
    if (m_down && !m_allowAllUp) return;
    m_down = down;
    if (isEnabled()) m_state = down ? bsExclusive : bsUp;
    update();
    UpdateExclusive();
}

// Tells the other buttons of the group: a down button releases theirs, and all of
// them share its AllowAllUp.
void TGlyphSpeedButton::UpdateExclusive() {
    if (m_groupIndex == 0 || !parentWidget()) return;
    const auto siblings = parentWidget()->findChildren<TGlyphSpeedButton *>(Qt::FindDirectChildrenOnly);
    for (TGlyphSpeedButton *other : siblings) {
        if (other == this || other->m_groupIndex != m_groupIndex) continue;
        if (m_down && other->m_down) {
            other->m_down = false;
            if (other->isEnabled()) other->m_state = bsUp;
            other->update();
        }
        other->m_allowAllUp = m_allowAllUp;
    }
}

void TGlyphSpeedButton::SetDropDownMenu(QMenu *menu) {
    m_dropDownMenu = menu;
    update();
}

void TGlyphSpeedButton::SetMenuPosition(int position) {
    m_menuPosition = position;
}

void TGlyphSpeedButton::SetCaption(const QString &caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    if (m_shortcutId) releaseShortcut(m_shortcutId);
    m_shortcutId = 0;
    const QKeySequence accel = QKeySequence::mnemonic(caption);
    if (!accel.isEmpty()) m_shortcutId = grabShortcut(accel);
    update();
}

void TGlyphSpeedButton::SetFlat(bool flat) {
    m_flat = flat;
    update();
}

void TGlyphSpeedButton::SetGlyph(const QImage &glyph) {
    m_glyph.SetGlyph(glyph);
}
void TGlyphSpeedButton::SetNumGlyphs(int count) {
    m_glyph.SetNumGlyphs(count);
}

void TGlyphSpeedButton::SetGrayedInactive(bool grayed) {
    m_grayedInactive = grayed;
    update();
}

void TGlyphSpeedButton::SetLayout(TButtonLayout layout) {
    m_layout = layout;
    update();
}

void TGlyphSpeedButton::SetMargin(int margin) {
    m_margin = qMax(-1, margin);
    update();
}

void TGlyphSpeedButton::SetSpacing(int spacing) {
    m_spacing = spacing;
    update();
}

void TGlyphSpeedButton::SetMarkDropDown(bool mark) {
    m_markDropDown = mark;
    update();
}

void TGlyphSpeedButton::SetTransparent(bool transparent) {
    m_transparent = transparent;
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    update();
}

void TGlyphSpeedButton::SetWordWrap(bool wrap) {
    m_glyph.SetWordWrap(wrap);
    update();
}

void TGlyphSpeedButton::SetState(TButtonState look) {
    m_state = look;
    repaint();
}

void TGlyphSpeedButton::Click() {
    emit clicked();
    if (m_modalResult != 0)
        if (auto *dialog = qobject_cast<QDialog *>(window())) dialog->done(m_modalResult);
}

QPoint TGlyphSpeedButton::DropDownMenuPoint(QSize size, int menuPosition, TMenuAlignment alignment) {
    if (menuPosition == dmBeside) {
        switch (alignment) {
        case maLeft:
            return QPoint(size.width(), -1);
        case maRight:
            return QPoint(-1, -1);
        case maCenter:
            return QPoint(size.width() / 2, size.height());
        }
    }
    switch (alignment) {
    case maLeft:
        return QPoint(-1, size.height());
    case maRight:
        return QPoint(size.width() + 1, size.height());
    case maCenter:
        break;
    }
    return QPoint(size.width() / 2, size.height());
}

// A disabled button shows the disabled look and stops dragging; coming back it
// shows whether it is stuck down in its group.
void TGlyphSpeedButton::FollowEnabled() {
    if (!isEnabled()) {
        m_state = bsDisabled;
        m_dragging = false;
    } else if (m_state == bsDisabled) {
        m_state = (m_down && m_groupIndex != 0) ? bsExclusive : bsUp;
    }
}

void TGlyphSpeedButton::changeEvent(QEvent *e) {
    if (e->type() == QEvent::EnabledChange) {
        FollowEnabled();
        update();
    } else if (e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange) {
        update();
    }
    QWidget::changeEvent(e);
}

bool TGlyphSpeedButton::event(QEvent *e) {
    if (e->type() == QEvent::Shortcut) {
        auto *se = static_cast<QShortcutEvent *>(e);
        if (se->shortcutId() == m_shortcutId && isEnabled()) {
            Click();
            return true;
        }
    }
    return QWidget::event(e);
}

void TGlyphSpeedButton::paintEvent(QPaintEvent *) {
    FollowEnabled();
    const bool inactive = m_flat && !m_mouseInside;
    const TButtonState painted = inactive ? bsInactive : m_state;
    const bool sunken = m_state == bsDown || m_state == bsExclusive;
    const QPalette &pal = palette();

    QPainter p(this);
    QRect r = rect();
    if (!m_transparent) p.fillRect(r, pal.color(QPalette::Button));
    if (painted != bsInactive || m_state == bsExclusive) {
        if (m_flat) {
            qDrawShadeRect(&p, r, pal, sunken, 1);
            r.adjust(1, 1, -1, -1);
        } else {
            qDrawWinButton(&p, r, pal, sunken, nullptr);
            r.adjust(2, 2, -2, -2);
        }
    } else if (m_flat) {
        r.adjust(2, 2, -2, -2);
    }
    if (m_state == bsExclusive && !m_transparent) {
        p.fillRect(r, pal.color(QPalette::Button));
        p.fillRect(r, QBrush(pal.color(QPalette::Light), Qt::Dense4Pattern));
    }
    if (sunken) r.translate(1, 1);
    TButtonState look = painted;
    if (m_state == bsDisabled)
        look = bsDisabled;
    else if (!m_grayedInactive)
        look = m_state;
    PaintGlyph(p, r, m_markDropDown && m_dropDownMenu, look);
}

void TGlyphSpeedButton::PaintGlyph(QPainter &p, const QRect &rect, bool dropDownMark, TButtonState look) {
    const QImage image = m_glyph.Image(look);
    const QSize glyphSize = image.isNull() ? QSize(0, 0) : image.size();
    const QFontMetrics fm(font());
    QRect client = rect;
    if (dropDownMark) client.setWidth(client.width() - (DropDownMarkWidth + 2));

    // The caption, cut line by line to the room left beside the glyph.
    const bool beside = m_layout == blGlyphLeft || m_layout == blGlyphRight;
    const int room = IntMax(0, client.width() - (beside ? glyphSize.width() + IntMax(0, m_spacing) : 0));
    QString caption = m_caption;
    int textFlags = Qt::TextShowMnemonic | int(m_glyph.Alignment() & Qt::AlignHorizontal_Mask);
    if (m_glyph.WordWrap()) {
        textFlags |= Qt::TextWordWrap;
    } else if (!caption.isEmpty()) {
        QStringList lines = caption.split(QLatin1Char('\n'));
        for (QString &line : lines) {
            line = glyphdraw::ShortenTextToWidth(line, room, fm);
            while (line.endsWith(QLatin1Char(' ')))
                line.chop(1);
        }
        caption = lines.join(QLatin1Char('\n'));
    }
    const QSize textSize = caption.isEmpty()
                               ? QSize(0, 0)
                               : fm.boundingRect(QRect(0, 0, room, 10000), textFlags, caption).size();

    QPoint glyphPos, textPos;
    layoutGlyphAndText(client, glyphSize, textSize, m_layout, m_margin, m_spacing, glyphPos, textPos);
    if (!image.isNull()) p.drawImage(glyphPos, image);

    const QPalette &pal = palette();
    const bool disabled = look == bsDisabled;
    const QRect textRect(textPos, textSize);
    if (!caption.isEmpty()) {
        p.setFont(font());
        if (disabled) {
            p.setPen(pal.color(QPalette::Light));
            p.drawText(textRect.translated(1, 1), textFlags, caption);
            p.setPen(pal.color(QPalette::Dark));
        } else {
            p.setPen(pal.color(QPalette::ButtonText));
        }
        p.drawText(textRect, textFlags, caption);
    }
    if (dropDownMark) {
        int right = client.left();
        if (!image.isNull()) right = IntMax(right, glyphPos.x() + glyphSize.width());
        if (!caption.isEmpty()) right = IntMax(right, textRect.right() + 1);
        const QPoint at(right + 2, rect.top() + (rect.height() - DropDownMarkHeight) / 2);
        if (disabled) {
            drawDropDownMark(p, at + QPoint(1, 1), pal.color(QPalette::Light));
            drawDropDownMark(p, at, pal.color(QPalette::Dark));
        } else {
            drawDropDownMark(p, at, pal.color(QPalette::ButtonText));
        }
    }
}

void TGlyphSpeedButton::mousePressEvent(QMouseEvent *e) {
    if (e->button() != Qt::LeftButton || m_menuTracking) {
        QWidget::mousePressEvent(e);
        return;
    }
    PressButton();
}

void TGlyphSpeedButton::mouseDoubleClickEvent(QMouseEvent *e) {
    if (e->button() != Qt::LeftButton || m_menuTracking) {
        QWidget::mouseDoubleClickEvent(e);
        return;
    }
    // The second press of a double click presses the button again.
    PressButton();
    if (m_down) emit doubleClicked();
}

void TGlyphSpeedButton::PressButton() {
    if (!isEnabled()) return;
    m_mouseInside = true;
    if (!m_down) {
        m_state = bsDown;
        repaint();
    }
    m_dragging = true;
    if (m_dropDownMenu) {
        DropDownAndRelease();
        return;
    }
    if (m_allowTimer) {
        if (!m_repeatTimer) {
            m_repeatTimer = new QTimer(this);
            connect(m_repeatTimer, &QTimer::timeout, this, &TGlyphSpeedButton::TimerTick);
        }
        m_repeatTimer->start(m_initPause);
    }
}

// Shows the drop-down menu at its point and, once it closes, ends the press as a
// release over the button.
void TGlyphSpeedButton::DropDownAndRelease() {
    QMenu *menu = m_dropDownMenu;
    const auto alignment = static_cast<TMenuAlignment>(menu->property("Alignment").toInt());
    QPoint at = DropDownMenuPoint(size(), m_menuPosition, alignment);
    const QSize menuSize = menu->sizeHint();
    if (alignment == maRight)
        at.rx() -= menuSize.width();
    else if (alignment == maCenter)
        at.rx() -= menuSize.width() / 2;
    if (QWidget *grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    m_menuTracking = true;
    menu->exec(mapToGlobal(at));
    m_menuTracking = false;
    ReleaseButton(true);
}

void TGlyphSpeedButton::mouseMoveEvent(QMouseEvent *e) {
    QWidget::mouseMoveEvent(e);
    if (!m_dragging) return;
    const bool inside = rect().contains(e->position().toPoint());
    TButtonState look;
    if (inside && !m_down)
        look = bsDown;
    else
        look = m_down ? bsExclusive : bsUp;
    if (look != m_state) {
        m_state = look;
        update();
    }
}

void TGlyphSpeedButton::mouseReleaseEvent(QMouseEvent *e) {
    if (e->button() != Qt::LeftButton || !m_dragging) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    ReleaseButton(rect().contains(e->position().toPoint()));
}

void TGlyphSpeedButton::ReleaseButton(bool inside) {
    m_dragging = false;
    if (m_repeatTimer) m_repeatTimer->stop();
    if (!isEnabled()) return;
    if (inside && m_groupIndex != 0) SetDown(!m_down);
    m_state = m_down ? bsExclusive : bsUp;
    update();
    if (inside) Click();
}

void TGlyphSpeedButton::TimerTick() {
    m_repeatTimer->setInterval(m_repeatInterval);
    if (m_state == bsDown && rect().contains(mapFromGlobal(QCursor::pos()))) Click();
}

void TGlyphSpeedButton::enterEvent(QEnterEvent *e) {
    QWidget::enterEvent(e);
    if (!glyphdraw::IsAppWindowActive()) return;
    m_mouseInside = true;
    if (m_flat) update();
    emit mouseEntered();
}

void TGlyphSpeedButton::leaveEvent(QEvent *e) {
    QWidget::leaveEvent(e);
    if (!glyphdraw::IsAppWindowActive()) return;
    m_mouseInside = false;
    if (m_flat) update();
    emit mouseLeft();
}

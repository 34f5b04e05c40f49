#include "CurrEdit.h"

#include "CalcPanel.h"
#include "Dialogs.h"
#include "StdCtrls.h"
#include "db/Currency.h"
#include "db/Formats.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSignalBlocker>

#include <cmath>

namespace {

// The process keeps no placement for the currency text; money reads number first,
// then a blank and the currency ("1 234,50 р.").
constexpr int NumberThenCurrency = 3;

// Drops control characters and blanks at both ends.
QString trimBlanks(const QString &text) {
    int from = 0, to = text.size();
    while (from < to && text[from].unicode() <= ' ')
        ++from;
    while (to > from && text[to - 1].unicode() <= ' ')
        --to;
    return text.mid(from, to - from);
}

bool isSign(QChar c) {
    return c == QLatin1Char('-') || c == QLatin1Char('+');
}
bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

// ---------------------------------------------------------------------------------
// NumEditCore

QString NumEditCore::DefaultDisplayFormat() {
    return QStringLiteral(",0.##");
}

QString NumEditCore::CurrencyDisplayFormat(int decimals, const QString &currency, int currencyFormat) {
    QString format = QStringLiteral(",0.") + QString(qMax(0, decimals), QLatin1Char('0'));
    QString symbol;
    for (const QChar c : currency) {
        if (c == QLatin1Char(',') || c == QLatin1Char('.'))
            symbol += QLatin1Char('\'') + c + QLatin1Char('\'');
        else
            symbol += c;
    }
    if (!symbol.isEmpty()) {
        switch (currencyFormat) {
        case 0:
            format = symbol + format;
            break;
        case 1:
            format = format + symbol;
            break;
        case 2:
            format = symbol + QLatin1Char(' ') + format;
            break;
        default:
            format = format + QLatin1Char(' ') + symbol;
            break;
        }
    }
    return format + QStringLiteral(";-") + format;
}

QString NumEditCore::NormalizeText(const QString &text) {
    const QChar dec = fmt::DecimalSeparator();
    const QChar thousands = fmt::Settings().thousandSeparator;
    QString s = trimBlanks(text);
    if (dec != thousands) s.remove(thousands);
    if (dec != QLatin1Char('.') && thousands != QLatin1Char('.')) s.replace(QLatin1Char('.'), dec);
    if (dec != QLatin1Char(',') && thousands != QLatin1Char(',')) s.replace(QLatin1Char(','), dec);
    if (s.isEmpty()) return QStringLiteral("0");
    if (s == QLatin1String("-")) return QStringLiteral("-0");
    return s;
}

double NumEditCore::TextToValue(const QString &text) {
    double v = 0;
    if (!fmt::TryStrToFloat(NormalizeText(text), v)) throw EConvertError(fmt::InvalidFloatMessage(text));
    return v;
}

double NumEditCore::TextToLimitedValue(const QString &text) const {
    const double v = TextToValue(text);
    if (maxMagnitude > 0 && std::fabs(v) > maxMagnitude) throw EConvertError(fmt::InvalidMoneyMessage(text));
    return v;
}

int NumEditCore::DecimalPos(const QString &text) {
    const int from = (!text.isEmpty() && isSign(text[0])) ? 1 : 0;
    return text.indexOf(fmt::DecimalSeparator(), from);
}

double NumEditCore::CheckValue(double v, bool raiseError) const {
    double result = v;
    if (minValue < maxValue) {
        if (v < minValue)
            result = minValue;
        else if (v > maxValue)
            result = maxValue;
    } else if (maxValue < minValue) {
        if (maxValue == 0) {
            if (v < minValue) result = minValue;
        } else if (minValue == 0) {
            if (v > maxValue) result = maxValue;
        }
    }
    if (raiseError && result != v) throw ERangeError(RangeErrorText());
    return result;
}

QString NumEditCore::RangeErrorText() const {
    const QString mask = decimalPlaces > 0 ? QStringLiteral("0.") + QString(decimalPlaces, QLatin1Char('0'))
                                           : QStringLiteral("0");
    return QStringLiteral("Value must be between %1 and %2")
        .arg(fmt::FormatFloat(mask, minValue), fmt::FormatFloat(mask, maxValue));
}

QString NumEditCore::EditFormat() const {
    if (decimalPlaces <= 0) return QStringLiteral("0");
    return QStringLiteral("0.") + QString(decimalPlaces, QLatin1Char('#'));
}

QString NumEditCore::EditText() const {
    if (value == 0 && zeroEmpty) return QString();
    return fmt::FormatFloat(EditFormat(), value);
}

QString NumEditCore::DisplayText() const {
    if (displayFormat.isEmpty()) return fmt::FloatToStr(value);
    return fmt::FormatFloat(displayFormat, value);
}

QString NumEditCore::TypedText(const QString &text, int selStart, int selLength, int caret,
                               const QString &typed) {
    QString s = text;
    int at = caret;
    if (selStart >= 0 && selLength > 0) {
        s.remove(selStart, selLength);
        at = selStart;
    }
    s.insert(qBound(0, at, int(s.size())), typed);
    return NormalizeText(s);
}

int NumEditCore::DecimalsOf(const QString &normalized) {
    const int d = DecimalPos(normalized);
    if (d < 0) return 0;
    const int e = normalized.toUpper().indexOf(QLatin1Char('E'));
    return e > d ? e - d - 1 : int(normalized.size()) - d - 1;
}

bool NumEditCore::IsValidChar(const QString &text, int selStart, int selLength, int caret, QChar key) const {
    const QString s = TypedText(text, selStart, selLength, caret, QString(key));
    if (DecimalsOf(s) > decimalPlaces) return false;
    const QChar dec = fmt::DecimalSeparator();
    for (const QChar c : s)
        if (!isSign(c) && !isAsciiDigit(c) && c != QLatin1Char('E') && c != QLatin1Char('e') && c != dec)
            return false;
    double v = 0;
    if (!fmt::TryStrToFloat(s.left(63), v)) return false;
    if (maxMagnitude > 0 && std::fabs(v) > maxMagnitude) return false;
    if (minValue >= 0 && maxValue > 0 && v < 0) return false;
    return true;
}

QString NumEditCore::ReformatText(const QString &text) const {
    if (text.isEmpty() || text == QLatin1String("-")) return text;
    QString s = NormalizeText(text);
    QString sign;
    if (isSign(s[0])) {
        sign = s.left(1);
        s.remove(0, 1);
    }
    int end = s.size();
    const int d = s.indexOf(fmt::DecimalSeparator());
    const int e = s.toUpper().indexOf(QLatin1Char('E'));
    if (d >= 0) end = qMin(end, d);
    if (e >= 0) end = qMin(end, e);
    QString integer = s.left(end);
    if (displayFormat.contains(QLatin1Char(','))) {
        const QChar thousands = fmt::Settings().thousandSeparator;
        for (int i = int(integer.size()) - 3; i > 0; i -= 3)
            integer.insert(i, thousands);
    }
    return sign + integer + s.mid(end);
}

// ---------------------------------------------------------------------------------
// Money typed into a line box

namespace {

constexpr int KopeckPlaces = 2;

class ThirdDecimalFilter : public QObject {
  public:
    ThirdDecimalFilter(QLineEdit *box, std::function<bool()> holdsMoney)
        : QObject(box), m_box(box), m_holdsMoney(std::move(holdsMoney)) {}

  protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        // Shortcuts (Ctrl+V pastes whole) and control characters are not typing.
        if (typed.isEmpty() || !typed.at(0).isPrint() ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        if (m_box->isReadOnly() || (m_holdsMoney && !m_holdsMoney())) return false;
        const QString after =
            NumEditCore::TypedText(m_box->text(), m_box->selectionStart(), int(m_box->selectedText().size()),
                                   m_box->cursorPosition(), typed);
        if (NumEditCore::DecimalsOf(after) <= KopeckPlaces) return false;
        QApplication::beep();
        return true;
    }

  private:
    QLineEdit *m_box;
    std::function<bool()> m_holdsMoney;
};

} // namespace

void RefuseThirdDecimal(QLineEdit *box, std::function<bool()> holdsMoney) {
    box->installEventFilter(new ThirdDecimalFilter(box, std::move(holdsMoney)));
}

// ---------------------------------------------------------------------------------
// TCustomNumEdit

TCustomNumEdit::TCustomNumEdit(QWidget *parent) : TCustomComboEdit(parent) {
    // Numbers need no input method, and dropped text would bypass the key check.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
    m_core.displayFormat = DefaultDisplayFormat();
    SetTextAlignment(Qt::AlignLeft);
    FormatValueText();
    SetButtonGlyphKind(gkDefault);
    SetButtonWidth(20);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!m_formatting && m_formatOnEditing && m_focused) ReformatEditText();
    });
}

TCustomNumEdit::~TCustomNumEdit() = default;

QString TCustomNumEdit::DefaultDisplayFormat() const {
    return NumEditCore::DefaultDisplayFormat();
}

void TCustomNumEdit::ReadValueFromText() {
    m_core.value = m_core.CheckValue(m_core.TextToLimitedValue(text()), false);
}

double TCustomNumEdit::Value() {
    try {
        ReadValueFromText();
    } catch (const EOrbekError &) {
        m_core.value = m_core.minValue;
    }
    return m_core.value;
}

void TCustomNumEdit::SetValue(double value) {
    m_core.value = m_core.CheckValue(value, false);
    FormatValueText();
    update();
}

void TCustomNumEdit::SetMinValue(double value) {
    if (value == m_core.minValue) return;
    m_core.minValue = value;
    SetValue(m_core.value);
}

void TCustomNumEdit::SetMaxValue(double value) {
    if (value == m_core.maxValue) return;
    m_core.maxValue = value;
    SetValue(m_core.value);
}

void TCustomNumEdit::SetDecimalPlaces(int places) {
    if (places == m_core.decimalPlaces) return;
    m_core.decimalPlaces = places;
    FormatValueText();
    update();
}

void TCustomNumEdit::SetDisplayFormat(const QString &format) {
    if (format == m_core.displayFormat) return;
    m_core.displayFormat = format;
    update();
    FormatValueText();
}

void TCustomNumEdit::SetZeroEmpty(bool zeroEmpty) {
    if (zeroEmpty == m_core.zeroEmpty) return;
    m_core.zeroEmpty = zeroEmpty;
    FormatValueText();
}

void TCustomNumEdit::SetBeepOnError(bool beep) {
    if (beep == m_beepOnError) return;
    m_beepOnError = beep;
    UpdatePopup();
}

void TCustomNumEdit::SetAlignment(Qt::Alignment alignment) {
    alignment &= Qt::AlignHorizontal_Mask;
    if (alignment == m_alignment) return;
    m_alignment = alignment;
    if (m_formatOnEditing) SetTextAlignment(alignment);
    update();
}

void TCustomNumEdit::SetFormatOnEditing(bool format) {
    if (format == m_formatOnEditing) return;
    m_formatOnEditing = format;
    SetTextAlignment(format ? m_alignment : Qt::AlignLeft);
    if (!m_focused) return;
    if (format) {
        ReformatEditText();
    } else {
        Value();
        FormatValueText();
    }
}

void TCustomNumEdit::SetText(const QString &text) {
    m_core.value = m_core.CheckValue(m_core.TextToLimitedValue(text), false);
    FormatValueText();
    update();
}

void TCustomNumEdit::Clear() {
    SetText(QString());
}

void TCustomNumEdit::Reset() {
    FormatValueText();
    if (AllowTyping()) selectAll();
}

void TCustomNumEdit::SetOwnText(const QString &text) {
    m_formatting = true;
    setText(text);
    m_formatting = false;
}

void TCustomNumEdit::FormatValueText() {
    SetOwnText(m_core.EditText());
    if (m_focused && m_formatOnEditing) ReformatEditText();
}

void TCustomNumEdit::ReformatEditText() {
    const QString before = text();
    const QString after = m_core.ReformatText(before);
    if (after == before) return;
    const int caret = cursorPosition();
    SetOwnText(after);
    if (hasFocus())
        setCursorPosition(qBound(0, caret + int(after.size() - before.size()), int(after.size())));
}

QString TCustomNumEdit::GetValueDisplayText() const {
    return m_core.DisplayText();
}

bool TCustomNumEdit::IsValidChar(QChar key) const {
    return m_core.IsValidChar(text(), selectionStart(), int(selectedText().size()), cursorPosition(), key);
}

void TCustomNumEdit::Beep() const {
    if (m_beepOnError) QApplication::beep();
}

QSize TCustomNumEdit::sizeHint() const {
    QSize hint = TCustomComboEdit::sizeHint();
    if (m_core.maxMagnitude <= 0) return hint;
    NumEditCore widest = m_core;
    widest.value = -m_core.maxMagnitude;
    hint.setWidth(LineBoxMargins(this) + fontMetrics().horizontalAdvance(widest.DisplayText()));
    return hint;
}

QSize TCustomNumEdit::minimumSizeHint() const {
    QSize hint = TCustomComboEdit::minimumSizeHint();
    if (m_core.maxMagnitude > 0) hint.setWidth(qMax(hint.width(), sizeHint().width()));
    return hint;
}

void TCustomNumEdit::SetPopup(TPopupWindow *popup) {
    TCustomComboEdit::SetPopup(popup);
    UpdatePopup();
}

void TCustomNumEdit::UpdatePopup() {
    if (auto *calc = qobject_cast<TPopupCalculator *>(Popup())) {
        calc->SetPrecision(15);
        calc->SetBeepOnError(m_beepOnError);
    }
}

void TCustomNumEdit::KeyPress(QChar &key) {
    static const QString calculatorKeys = QStringLiteral("%*+,-./0123456789=CQR_");
    const QChar upper = key.toUpper();
    if (PopupVisible() && Popup() &&
        (upper == QChar(8) || upper == QChar(13) || calculatorKeys.contains(upper) ||
         upper == fmt::DecimalSeparator())) {
        Popup()->PopupKeyPress(key);
        key = QChar();
        return;
    }
    if (key == QLatin1Char('.') || key == QLatin1Char(',')) key = fmt::DecimalSeparator();
    TCustomComboEdit::KeyPress(key);
    if (key.isNull()) return;
    if (key.isPrint() && !IsValidChar(key)) {
        Beep();
        key = QChar();
        return;
    }
    if (key == QChar(27)) {
        Reset();
        key = QChar();
    }
}

// A paste that does not leave a number behind is taken back.
void TCustomNumEdit::DoPaste() {
    const QString before = text();
    TCustomComboEdit::DoPaste();
    try {
        ReadValueFromText();
    } catch (const EOrbekError &) {
        SetOwnText(before);
        selectAll();
        if (focusPolicy() != Qt::NoFocus && isEnabled() && isVisible()) setFocus();
        Beep();
    }
}

void TCustomNumEdit::mouseReleaseEvent(QMouseEvent *e) {
    // The middle button would paste the selection unchecked.
    if (e->button() == Qt::MiddleButton) {
        e->accept();
        return;
    }
    TCustomComboEdit::mouseReleaseEvent(e);
}

void TCustomNumEdit::paintEvent(QPaintEvent *e) {
    if (m_focused && !PopupVisible()) {
        TCustomComboEdit::paintEvent(e);
        return;
    }
    PaintText(PopupVisible() && Popup() ? Popup()->GetPopupText() : GetValueDisplayText(), m_alignment);
}

void TCustomNumEdit::focusInEvent(QFocusEvent *e) {
    if (!m_focused) {
        m_focused = true;
        update();
        FormatValueText();
    }
    TCustomComboEdit::focusInEvent(e);
}

void TCustomNumEdit::focusOutEvent(QFocusEvent *e) {
    // Switching to another window or opening a menu leaves the field the form's
    // focused control: nothing to check yet.
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) {
        TCustomComboEdit::focusOutEvent(e);
        return;
    }
    try {
        if (m_checkOnExit) m_core.CheckValue(m_core.TextToLimitedValue(text()), true);
        ReadValueFromText();
    } catch (const EOrbekError &err) {
        // The field keeps the focus and the error box says why.
        selectAll();
        {
            const QSignalBlocker quiet(this); // no editing-finished for a refused value
            TCustomComboEdit::focusOutEvent(e);
        }
        const QString message = err.message();
        QPointer<TCustomNumEdit> self(this);
        QMetaObject::invokeMethod(
            this,
            [self, message] {
                if (self && self->isVisible() && self->isEnabled()) self->setFocus(Qt::OtherFocusReason);
                ShowError(message);
            },
            Qt::QueuedConnection);
        return;
    }
    m_focused = false;
    update();
    FormatValueText();
    setCursorPosition(0);
    TCustomComboEdit::focusOutEvent(e);
}

// The default button picture: a small calculator, enabled and disabled side by side.
QImage TCustomNumEdit::GetDefaultBitmap() {
    static const QImage bitmap = [] {
        const QRgb background = TButtonGlyph::DefaultTransparentColor;
        QImage img(28, 12, QImage::Format_ARGB32);
        img.fill(background);
        QPainter p(&img);
        const QColor ink[2] = {QColor(0, 0, 0), QColor(128, 128, 128)};
        for (int glyph = 0; glyph < 2; ++glyph) {
            const int x0 = glyph * 14 + 2;
            p.setPen(ink[glyph]);
            p.setBrush(Qt::NoBrush);
            p.drawRect(x0, 0, 9, 11);
            p.fillRect(x0 + 2, 2, 6, 2, ink[glyph]); // display
            for (int row = 0; row < 3; ++row)
                for (int col = 0; col < 3; ++col)
                    p.fillRect(x0 + 2 + col * 2, 5 + row * 2, 1, 1, ink[glyph]);
        }
        return img;
    }();
    return bitmap;
}

// ---------------------------------------------------------------------------------
// TCurrencyEdit

TCurrencyEdit::TCurrencyEdit(QWidget *parent) : TCustomNumEdit(parent) {
    SetMaxMagnitude(Currency::MaxPrintable);
    SetDisplayFormat(DefaultDisplayFormat());
    SetButtonWidth(0);
}

QString TCurrencyEdit::DefaultDisplayFormat() const {
    const fmt::FormatSettings &s = fmt::Settings();
    return NumEditCore::CurrencyDisplayFormat(s.currencyDecimals, s.currencyString, NumberThenCurrency);
}

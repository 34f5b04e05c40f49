#include "CalcPanel.h"

#include "db/Formats.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

QString CalcKeyChars() {
    return QStringLiteral("0123456789_./*-+Q%R=") + CalcEngine::Backspace + QLatin1Char('C');
}

namespace {

// The decimal point keys: "." and ",", and the process's separator unless that is
// the minus key.
bool isDecimalKey(QChar key) {
    const QChar dec = fmt::DecimalSeparator();
    return key == QLatin1Char('.') || key == QLatin1Char(',') || (key == dec && dec != QLatin1Char('-'));
}

bool isOperatorKey(QChar key) {
    return key == QLatin1Char('+') || key == QLatin1Char('-') || key == QLatin1Char('*') ||
           key == QLatin1Char('/') || key == QLatin1Char('%') || key == QLatin1Char('=') ||
           key == CalcEngine::Enter;
}

// Whether the display holds the decimal separator (a leading minus is the sign).
bool hasDecimalSeparator(const QString &display) {
    const int from = display.startsWith(QLatin1Char('-')) ? 1 : 0;
    return display.indexOf(fmt::DecimalSeparator(), from) >= 0;
}

} // namespace

// ---------------------------------------------------------------------------------
// CalcEngine

QString CalcEngine::FormatValue(double value, int digits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", qBound(2, digits, 30), value);
    QString s = QString::fromLatin1(buf);
    if (s == QLatin1String("-0")) s = QStringLiteral("0");
    s.replace(QLatin1Char('.'), fmt::DecimalSeparator());
    return s;
}

double CalcEngine::DisplayValue() const {
    if (m_status == csError) return 0;
    double v = 0;
    if (!fmt::TryStrToFloat(m_display.trimmed(), v)) return 0;
    return v;
}

void CalcEngine::SetText(const QString &text) {
    if (text == m_display) return;
    m_display = text;
    if (OnTextChange) OnTextChange();
}

void CalcEngine::SetDisplayValue(double value) {
    if (!std::isfinite(value)) {
        Error();
        return;
    }
    const QString text = FormatValue(value, m_precision);
    if (text == m_display) return;
    SetText(text);
    if (OnDisplayChange) OnDisplayChange();
}

void CalcEngine::StartWith(double value) {
    SetDisplayValue(std::isfinite(value) ? value : 0);
    m_status = csFirst;
    m_operator = QLatin1Char('=');
}

void CalcEngine::Beep() {
    if (m_beepOnError && OnBeep) OnBeep();
}

void CalcEngine::Error() {
    m_status = csError;
    SetText(QStringLiteral("Error"));
    Beep();
    if (OnError) OnError();
}

// The first key of a new number clears the display.
void CalcEngine::CheckFirst() {
    if (m_status == csFirst) {
        m_status = csValid;
        SetText(QStringLiteral("0"));
    }
}

void CalcEngine::Clear() {
    m_status = csFirst;
    SetDisplayValue(0);
    m_operator = QLatin1Char('=');
}

void CalcEngine::EnterCalcKey(QChar key) {
    key = key.toUpper();
    if (OnCalcKey) OnCalcKey(key);
    if (key.isNull()) return;
    if (m_status == csError && key != QLatin1Char('C') && key != Esc) return;

    if (isDecimalKey(key)) {
        CheckFirst();
        if (!hasDecimalSeparator(m_display)) SetText(m_display + fmt::DecimalSeparator());
    } else if (key >= QLatin1Char('0') && key <= QLatin1Char('9')) {
        CheckFirst();
        QString display = m_display;
        if (display == QLatin1String("0")) display.clear();
        if (display.contains(QLatin1Char('E'))) return;
        const int limit = qMax(2, m_precision) + (display.startsWith(QLatin1Char('-')) ? 1 : 0);
        if (display.size() < limit)
            SetText(display + key);
        else
            Beep();
    } else if (key == Backspace) {
        CheckFirst();
        if (m_display.size() == 1 || (m_display.size() == 2 && m_display.startsWith(QLatin1Char('-'))))
            SetText(QStringLiteral("0"));
        else
            SetText(m_display.left(m_display.size() - 1));
    } else if (key == Esc || key == QLatin1Char('C')) {
        Clear();
    } else if (key == QLatin1Char('Q')) {
        m_status = csFirst;
        const double v = DisplayValue();
        if (v < 0)
            Error();
        else
            SetDisplayValue(std::sqrt(v));
    } else if (key == QLatin1Char('R')) {
        m_status = csFirst;
        const double v = DisplayValue();
        if (v == 0)
            Error();
        else
            SetDisplayValue(1.0 / v);
    } else if (key == QLatin1Char('_')) {
        SetDisplayValue(-DisplayValue());
    } else if (isOperatorKey(key)) {
        ApplyOperator(key);
    }
}

// An operator key: a number just entered is combined with the pending operator
// ("%" first turns it into a percentage of the operand), then the key becomes the
// pending operator and the shown number its operand.
void CalcEngine::ApplyOperator(QChar key) {
    if (m_status == csValid) {
        m_status = csFirst;
        double r = DisplayValue();
        if (key == QLatin1Char('%')) {
            if (m_operator == QLatin1Char('+') || m_operator == QLatin1Char('-'))
                r = m_operand * r / 100;
            else if (m_operator == QLatin1Char('*') || m_operator == QLatin1Char('/'))
                r = r / 100;
        }
        switch (m_operator.unicode()) {
        case '+':
            r = m_operand + r;
            break;
        case '-':
            r = m_operand - r;
            break;
        case '*':
            r = m_operand * r;
            break;
        case '/':
            if (r == 0) {
                Error();
                return;
            }
            r = m_operand / r;
            break;
        default:
            break;
        }
        SetDisplayValue(r);
        if (m_status == csError) return;
    }
    m_operator = key == Enter ? QLatin1Char('=') : key;
    m_operand = DisplayValue();
    if (key == Enter || key == QLatin1Char('%') || key == QLatin1Char('=')) {
        if (OnResult) OnResult();
    }
}

void CalcEngine::MemoryPlus() {
    if (m_status == csError) return;
    m_status = csFirst;
    m_memory += DisplayValue();
    if (OnMemoryChange) OnMemoryChange();
}

void CalcEngine::MemoryStore() {
    if (m_status == csError) return;
    m_status = csFirst;
    m_memory = DisplayValue();
    if (OnMemoryChange) OnMemoryChange();
}

// The recalled number counts as typed: an operator key that follows applies to it.
void CalcEngine::MemoryRecall() {
    if (m_status == csError) return;
    CheckFirst();
    SetDisplayValue(m_memory);
}

void CalcEngine::MemoryClear() {
    m_memory = 0;
    if (OnMemoryChange) OnMemoryChange();
}

bool CalcEngine::Ok() {
    if (m_status == csError) {
        Beep();
        return false;
    }
    SetDisplayValue(DisplayValue());
    return true;
}

// A pasted number counts as typed, like a recalled one.
void CalcEngine::PasteText(const QString &text) {
    if (m_status == csError) return;
    QString t = text;
    const QString currency = fmt::Settings().currencyString;
    if (!currency.isEmpty()) t.remove(currency);
    double v = 0;
    if (!fmt::TryStrToFloat(t.trimmed(), v)) v = 0;
    CheckFirst();
    SetDisplayValue(v);
}

// ---------------------------------------------------------------------------------
// TCalcButton

namespace {

// The pictures of the OK and Cancel keys, drawn here: a green tick and a red cross.
QImage calcButtonGlyph(TCalcBtnKind kind) {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(TButtonGlyph::DefaultTransparentColor);
    QPainter p(&img);
    if (kind == cbOk) {
        p.setPen(QPen(QColor(0, 128, 0), 2));
        p.drawLine(3, 8, 6, 12);
        p.drawLine(6, 12, 13, 3);
    } else {
        p.setPen(QPen(QColor(128, 0, 0), 2));
        p.drawLine(4, 4, 12, 12);
        p.drawLine(12, 4, 4, 12);
    }
    return img;
}

QString keyCaption(TCalcBtnKind kind) {
    if (kind >= cb0 && kind <= cb9) return QString(QChar('0' + (kind - cb0)));
    switch (kind) {
    case cbSgn:
        return QString(QChar(0x00B1));
    case cbDcm:
        return QString(fmt::DecimalSeparator());
    case cbDiv:
        return QStringLiteral("/");
    case cbMul:
        return QStringLiteral("*");
    case cbSub:
        return QStringLiteral("-");
    case cbAdd:
        return QStringLiteral("+");
    case cbSqr:
        return QStringLiteral("sqrt");
    case cbPcnt:
        return QStringLiteral("%");
    case cbRev:
        return QStringLiteral("1/x");
    case cbEql:
        return QStringLiteral("=");
    case cbBck:
        return QStringLiteral("<-");
    case cbClr:
        return QStringLiteral("C");
    case cbMP:
        return QStringLiteral("MP");
    case cbMS:
        return QStringLiteral("MS");
    case cbMR:
        return QStringLiteral("MR");
    case cbMC:
        return QStringLiteral("MC");
    default:
        return QString();
    }
}

QColor keyColor(TCalcBtnKind kind) {
    switch (kind) {
    case cbDiv:
    case cbMul:
    case cbSub:
    case cbAdd:
    case cbEql:
        return QColor(128, 0, 128); // purple
    case cbSqr:
    case cbPcnt:
    case cbRev:
    case cbMP:
    case cbMS:
    case cbMR:
    case cbMC:
        return QColor(0, 0, 128); // navy
    case cbBck:
    case cbClr:
        return QColor(128, 0, 0); // maroon
    default:
        return QApplication::palette().color(QPalette::ButtonText);
    }
}

} // namespace

TCalcButton::TCalcButton(TCalcBtnKind kind, QWidget *parent)
    : TGlyphSpeedButton(parent), m_kind(kind), m_tag(kind >= cb0 && kind <= cbClr ? kind - 1 : -1) {
    QFont f = QApplication::font("QMessageBox");
    f.setBold(true);
    setFont(f);
    if (kind == cbOk || kind == cbCancel)
        SetGlyph(calcButtonGlyph(kind));
    else
        SetCaption(keyCaption(kind));
    ApplyKindColor();
}

void TCalcButton::ApplyKindColor() {
    QPalette pal = palette();
    pal.setColor(QPalette::ButtonText, keyColor(m_kind));
    setPalette(pal);
}

// The key's colour belongs to its kind; a new font from the parent keeps it bold.
void TCalcButton::changeEvent(QEvent *e) {
    if (e->type() == QEvent::FontChange && !font().bold()) {
        QFont f = font();
        f.setBold(true);
        setFont(f);
    }
    TGlyphSpeedButton::changeEvent(e);
}

void TCalcButton::PressVisibly() {
    SetState(bsDown);
    QTimer::singleShot(20, this,
                       [this] { SetState(isEnabled() ? (Down() ? bsExclusive : bsUp) : bsDisabled); });
}

// ---------------------------------------------------------------------------------
// TCalculatorPanel

namespace {

struct KeyPlace {
    TCalcBtnKind kind;
    int left, top, width, height;
};

QList<KeyPlace> dialogLayout() {
    constexpr int W = 36, H = 22;
    QList<KeyPlace> keys = {
        {cbOk, 47, 6, W, H},
        {cbCancel, 85, 6, W, H},
        {cbBck, 145, 6, 44, H},
        {cbClr, 191, 6, 44, H},
    };
    const int rows[4] = {32, 56, 80, 104};
    const TCalcBtnKind memory[4] = {cbMC, cbMR, cbMS, cbMP};
    const TCalcBtnKind digits[4][3] = {{TCalcBtnKind(cb0 + 7), TCalcBtnKind(cb0 + 8), cb9},
                                       {TCalcBtnKind(cb0 + 4), TCalcBtnKind(cb0 + 5), TCalcBtnKind(cb0 + 6)},
                                       {TCalcBtnKind(cb0 + 1), TCalcBtnKind(cb0 + 2), TCalcBtnKind(cb0 + 3)},
                                       {cb0, cbSgn, cbDcm}};
    const TCalcBtnKind operators[4] = {cbDiv, cbMul, cbSub, cbAdd};
    const TCalcBtnKind functions[4] = {cbSqr, cbPcnt, cbRev, cbEql};
    const int columns[3] = {47, 85, 123};
    for (int r = 0; r < 4; ++r) {
        keys.append({memory[r], 5, rows[r], W, H});
        for (int c = 0; c < 3; ++c)
            keys.append({digits[r][c], columns[c], rows[r], W, H});
        keys.append({operators[r], 161, rows[r], W, H});
        keys.append({functions[r], 199, rows[r], W, H});
    }
    return keys;
}

QList<KeyPlace> popupLayout() {
    constexpr int S = 21;
    const int rows[5] = {6, 29, 52, 75, 98};
    const int columns[3] = {6, 29, 52};
    const TCalcBtnKind grid[5][3] = {{TCalcBtnKind(cb0 + 7), TCalcBtnKind(cb0 + 8), cb9},
                                     {TCalcBtnKind(cb0 + 4), TCalcBtnKind(cb0 + 5), TCalcBtnKind(cb0 + 6)},
                                     {TCalcBtnKind(cb0 + 1), TCalcBtnKind(cb0 + 2), TCalcBtnKind(cb0 + 3)},
                                     {cb0, cbDcm, cbSgn},
                                     {cbClr, cbBck, cbEql}};
    const TCalcBtnKind operators[4] = {cbDiv, cbMul, cbSub, cbAdd};
    QList<KeyPlace> keys;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c)
            keys.append({grid[r][c], columns[c], rows[r], S, S});
    for (int r = 0; r < 4; ++r)
        keys.append({operators[r], 75, rows[r], S, S});
    return keys;
}

} // namespace

TCalculatorPanel::TCalculatorPanel(TCalcPanelLayout layout, QWidget *parent) : QFrame(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    if (layout == clDialog)
        setFixedSize(240, 129);
    else
        setFixedSize(98, 124);
    m_engine.OnBeep = [] { QApplication::beep(); };
    m_engine.OnResult = [this] { emit result(); };
    m_engine.OnError = [this] { emit error(); };
    m_engine.OnDisplayChange = [this] { emit displayChange(); };
    m_engine.OnTextChange = [this] {
        if (m_displayLabel) m_displayLabel->setText(m_engine.Display());
        emit textChange();
    };
    m_engine.OnMemoryChange = [this] { ShowMemoryMark(); };
    CreateKeys(layout);
}

void TCalculatorPanel::CreateKeys(TCalcPanelLayout layout) {
    for (const KeyPlace &place : layout == clDialog ? dialogLayout() : popupLayout()) {
        auto *button = new TCalcButton(place.kind, this);
        button->setGeometry(place.left, place.top, place.width, place.height);
        connect(button, &TGlyphSpeedButton::clicked, this, [this, button] { ButtonClicked(button); });
        m_buttons.append(button);
    }
}

TCalcButton *TCalculatorPanel::Button(TCalcBtnKind kind) const {
    for (TCalcButton *b : m_buttons)
        if (b->Kind() == kind) return b;
    return nullptr;
}

void TCalculatorPanel::SetDisplayLabel(QLabel *label) {
    m_displayLabel = label;
    if (label) label->setText(m_engine.Display());
}

void TCalculatorPanel::SetMemoryLabel(QLabel *label) {
    m_memoryLabel = label;
    ShowMemoryMark();
}

void TCalculatorPanel::ShowMemoryMark() {
    if (m_memoryLabel) m_memoryLabel->setText(m_engine.Memory() != 0 ? QStringLiteral("M") : QString());
}

void TCalculatorPanel::ButtonClicked(TCalcButton *button) {
    const TCalcBtnKind kind = button->Kind();
    if (button->Tag() >= 0) {
        m_engine.EnterCalcKey(CalcKeyChars().at(button->Tag()));
        return;
    }
    switch (kind) {
    case cbMP:
        m_engine.MemoryPlus();
        break;
    case cbMS:
        m_engine.MemoryStore();
        break;
    case cbMR:
        m_engine.MemoryRecall();
        break;
    case cbMC:
        m_engine.MemoryClear();
        break;
    case cbOk:
        if (m_engine.Ok()) emit ok();
        break;
    case cbCancel:
        emit cancel();
        break;
    default:
        break;
    }
}

void TCalculatorPanel::CalcKeyPress(QChar key) {
    QChar mapped = key.toUpper();
    if (isDecimalKey(mapped))
        mapped = QLatin1Char('.');
    else if (mapped == CalcEngine::Enter)
        mapped = QLatin1Char('=');
    else if (mapped == CalcEngine::Esc)
        mapped = QLatin1Char('C');
    const int tag = CalcKeyChars().indexOf(mapped);
    for (TCalcButton *b : m_buttons) {
        if (tag >= 0 && b->Tag() == tag) {
            b->PressVisibly();
            b->Click();
            return;
        }
    }
    m_engine.EnterCalcKey(key);
}

void TCalculatorPanel::Copy() {
    QApplication::clipboard()->setText(m_engine.Display());
}

void TCalculatorPanel::Paste() {
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty()) m_engine.PasteText(text);
}

void TCalculatorPanel::keyPressEvent(QKeyEvent *e) {
    if (e->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    if (e->matches(QKeySequence::Paste)) {
        Paste();
        return;
    }
    QChar key;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key = CalcEngine::Enter;
        break;
    case Qt::Key_Escape:
        key = CalcEngine::Esc;
        break;
    case Qt::Key_Backspace:
        key = CalcEngine::Backspace;
        break;
    default:
        if (e->text().size() == 1 && e->text()[0].isPrint()) key = e->text()[0];
        break;
    }
    if (key.isNull()) {
        QFrame::keyPressEvent(e);
        return;
    }
    CalcKeyPress(key);
}

// ---------------------------------------------------------------------------------
// TPopupCalculator

TPopupCalculator::TPopupCalculator(TCustomComboEdit *editor) : TPopupWindow(editor) {
    resize(104, 127);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    m_calculator = new TLocCalculator(this);
    m_calculator->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_calculator->setFocusPolicy(Qt::NoFocus);
    m_calculator->SetPrecision(15);
    layout->addWidget(m_calculator);
    connect(m_calculator, &TCalculatorPanel::ok, this, [this] { CloseUp(true); });
    // The field shows the calculator's display while the popup is open.
    connect(m_calculator, &TCalculatorPanel::textChange, this, [this] {
        if (Editor()) Editor()->update();
    });
}

QVariant TPopupCalculator::GetValue() {
    CalcEngine &engine = m_calculator->Engine();
    if (engine.Status() == csError) {
        if (engine.BeepOnError()) QApplication::beep();
        return 0.0;
    }
    engine.SetDisplayValue(engine.DisplayValue());
    return engine.DisplayValue();
}

void TPopupCalculator::SetValue(const QVariant &value) {
    double v = 0;
    if (!value.isNull()) {
        if (value.typeId() == QMetaType::QString) {
            if (!fmt::TryStrToFloat(value.toString(), v)) v = 0;
        } else {
            v = value.toDouble();
        }
    }
    m_calculator->Engine().StartWith(v);
}

QString TPopupCalculator::GetPopupText() const {
    return m_calculator->DisplayText();
}

void TPopupCalculator::PopupKeyPress(QChar key) {
    m_calculator->CalcKeyPress(key);
}

void TPopupCalculator::keyPressEvent(QKeyEvent *e) {
    if (e->text().size() == 1 && e->text()[0].isPrint()) {
        m_calculator->CalcKeyPress(e->text()[0]);
        return;
    }
    TPopupWindow::keyPressEvent(e);
}

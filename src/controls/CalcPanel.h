#pragma once
// A four-function pocket calculator: the arithmetic (CalcEngine), a keypad panel in
// a dialog or a compact layout, and a popup that drops below a number field and
// hands its result back as the field's value.
#include "ToolEdit.h"

#include <QFrame>
#include <functional>

class QLabel;

enum TCalcState { csFirst = 0, csValid = 1, csError = 2 };

// Key kinds: the tag of kinds 1 to 22 is kind - 1, the key's place in CalcKeyChars.
enum TCalcBtnKind {
    cbNone = 0,
    cb0 = 1, // cb0..cb9 = 1..10
    cb9 = 10,
    cbSgn = 11,
    cbDcm = 12,
    cbDiv = 13,
    cbMul = 14,
    cbSub = 15,
    cbAdd = 16,
    cbSqr = 17,
    cbPcnt = 18,
    cbRev = 19,
    cbEql = 20,
    cbBck = 21,
    cbClr = 22,
    cbMP = 23,
    cbMS = 24,
    cbMR = 25,
    cbMC = 26,
    cbOk = 27,
    cbCancel = 28
};

enum TCalcPanelLayout { clDialog, clPopup };

// The characters of the keys of tags 0 to 21: digits, "_" change sign, "." the
// decimal point, the operators, "Q" square root, "%", "R" reciprocal, "=",
// backspace and "C".
QString CalcKeyChars();

// The calculator's arithmetic, memory and display. Keys are characters: digits,
// "." or "," for the decimal point, "+", "-", "*", "/", "%", "=", "_" (change sign),
// "Q" (square root), "R" (reciprocal), "C", and the control codes 8 (backspace),
// 13 (Enter) and 27 (Esc). "-" is always subtraction, also when the process's
// decimal separator is "-"; the display writes numbers with that separator.
class CalcEngine {
  public:
    static constexpr QChar Backspace{8};
    static constexpr QChar Enter{13};
    static constexpr QChar Esc{27};

    const QString &Display() const { return m_display; }
    TCalcState Status() const { return m_status; }
    QChar Operator() const { return m_operator; }
    double Operand() const { return m_operand; }
    double Memory() const { return m_memory; }
    int Precision() const { return m_precision; }
    void SetPrecision(int precision) { m_precision = qMax(2, precision); }
    bool BeepOnError() const { return m_beepOnError; }
    void SetBeepOnError(bool beep) { m_beepOnError = beep; }

    // The shown number: 0 in the error state or when the display does not convert.
    double DisplayValue() const;
    // Shows a number with Precision significant digits ("Error" for one that is not
    // finite).
    void SetDisplayValue(double value);
    // Shows a number as a fresh start: the next digit begins a new number.
    void StartWith(double value);
    // The general number text with the given significant digits.
    static QString FormatValue(double value, int digits);

    void EnterCalcKey(QChar key);
    void Clear();
    void MemoryPlus();
    void MemoryStore();
    void MemoryRecall();
    void MemoryClear();
    // OK: false (with a beep) in the error state, else the display is normalised.
    bool Ok();
    // Clipboard text as a number: the currency text dropped, blanks trimmed; a text
    // that does not convert shows 0.
    void PasteText(const QString &text);

    std::function<void(QChar &key)> OnCalcKey; // may change the key, or drop it (null)
    std::function<void()> OnBeep;
    std::function<void()> OnResult;
    std::function<void()> OnError;
    std::function<void()> OnDisplayChange; // a shown number changed the display
    std::function<void()> OnTextChange;    // any change of the display text
    std::function<void()> OnMemoryChange;

  private:
    void CheckFirst();
    void SetText(const QString &text);
    void Error();
    void Beep();
    void ApplyOperator(QChar key);

    QString m_display = QStringLiteral("0");
    TCalcState m_status = csFirst;
    QChar m_operator = QLatin1Char('=');
    double m_operand = 0;
    double m_memory = 0;
    int m_precision = 15;
    bool m_beepOnError = true;
};

class TCalcButton : public TGlyphSpeedButton {
    Q_OBJECT
  public:
    TCalcButton(TCalcBtnKind kind, QWidget *parent);
    TCalcBtnKind Kind() const { return m_kind; }
    // Tag of kinds 1 to 22 (kind - 1), -1 for the others.
    int Tag() const { return m_tag; }
    // Shows the key down for a moment, as if pressed with the mouse.
    void PressVisibly();

  protected:
    void changeEvent(QEvent *e) override;

  private:
    void ApplyKindColor();

    TCalcBtnKind m_kind;
    int m_tag;
};

class TCalculatorPanel : public QFrame {
    Q_OBJECT
  public:
    explicit TCalculatorPanel(TCalcPanelLayout layout, QWidget *parent = nullptr);

    CalcEngine &Engine() { return m_engine; }
    const CalcEngine &Engine() const { return m_engine; }
    QString DisplayText() const { return m_engine.Display(); }
    double DisplayValue() const { return m_engine.DisplayValue(); }
    void SetDisplayValue(double value) { m_engine.SetDisplayValue(value); }
    int Precision() const { return m_engine.Precision(); }
    void SetPrecision(int precision) { m_engine.SetPrecision(precision); }
    bool BeepOnError() const { return m_engine.BeepOnError(); }
    void SetBeepOnError(bool beep) { m_engine.SetBeepOnError(beep); }
    // Labels of the owner that show the display and the memory mark "M".
    void SetDisplayLabel(QLabel *label);
    void SetMemoryLabel(QLabel *label);

    // A key from the keyboard: pressed on its key button when the panel has one,
    // else entered directly.
    void CalcKeyPress(QChar key);
    void EnterCalcKey(QChar key) { m_engine.EnterCalcKey(key); }
    void Copy();
    void Paste();
    TCalcButton *Button(TCalcBtnKind kind) const;

  signals:
    void ok();
    void cancel();
    void result();
    void error();
    void displayChange();
    void textChange();

  protected:
    void keyPressEvent(QKeyEvent *e) override;

  private:
    void CreateKeys(TCalcPanelLayout layout);
    void ButtonClicked(TCalcButton *button);
    void ShowMemoryMark();

    CalcEngine m_engine;
    QList<TCalcButton *> m_buttons;
    QLabel *m_displayLabel = nullptr;
    QLabel *m_memoryLabel = nullptr;
};

// The panel in its compact layout, as the popup holds it.
class TLocCalculator : public TCalculatorPanel {
    Q_OBJECT
  public:
    explicit TLocCalculator(QWidget *parent = nullptr) : TCalculatorPanel(clPopup, parent) {}
};

class TPopupCalculator : public TPopupWindow {
    Q_OBJECT
  public:
    explicit TPopupCalculator(TCustomComboEdit *editor);

    TLocCalculator *Calculator() const { return m_calculator; }
    void SetPrecision(int precision) { m_calculator->SetPrecision(precision); }
    void SetBeepOnError(bool beep) { m_calculator->SetBeepOnError(beep); }

    // The shown number (0, with a beep, in the error state).
    QVariant GetValue() override;
    // Shows the field's text as a number (0 for an empty value) as a fresh start.
    void SetValue(const QVariant &value) override;
    QString GetPopupText() const override;
    void PopupKeyPress(QChar key) override;

  protected:
    void keyPressEvent(QKeyEvent *e) override;

  private:
    TLocCalculator *m_calculator;
};

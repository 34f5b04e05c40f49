#pragma once
// A single-line field that holds a number instead of free text: it takes only the
// characters that keep the text a number, shows the number in a display format while
// it does not have the focus and in a plain edit format while the user types, and
// clamps (or, on leaving, refuses) values outside its range. TCurrencyEdit is the
// money field of the registers' sum filters.
#include "ToolEdit.h"
#include "db/Errors.h"

#include <functional>

// A value outside the field's range, refused when the focus leaves the field.
class ERangeError : public EOrbekError {
  public:
    using EOrbekError::EOrbekError;
};

// The number field's rules apart from the widget: value, range, decimals and the
// texts, under the process's decimal separator ("-", "." or ",") and thousands
// separator. A leading "-" is always the sign, also when the separator is "-":
// "-5-12" is -5.12.
class NumEditCore {
  public:
    double value = 0;
    double minValue = 0;
    double maxValue = 0;
    int decimalPlaces = 2;
    // The largest magnitude the field takes (0: no limit); a money field takes no more
    // than the printed forms hold. Unlike the range it is never clamped to: a key or a
    // text beyond it is refused.
    double maxMagnitude = 0;
    bool zeroEmpty = true;
    QString displayFormat = DefaultDisplayFormat();

    // ",0.##": grouped thousands, up to two decimals.
    static QString DefaultDisplayFormat();
    // The money format: ",0." with the currency decimals, the currency text placed by
    // currencyFormat (0 before, 1 after, 2 before with a blank, 3 after with a blank),
    // then ";-" and the same again.
    static QString CurrencyDisplayFormat(int decimals, const QString &currency, int currencyFormat);

    // Blanks trimmed, thousands separators dropped, "." and "," turned into the
    // decimal separator when neither separator is that character; "" gives "0" and a
    // lone "-" gives "-0".
    static QString NormalizeText(const QString &text);
    // The normalised text as a number; throws EConvertError for a text that is not one.
    static double TextToValue(const QString &text);
    // TextToValue, refusing (EConvertError) a number beyond maxMagnitude.
    double TextToLimitedValue(const QString &text) const;
    // Where the decimal separator stands (-1: none), not counting a leading sign.
    static int DecimalPos(const QString &text);
    // The text that typing `typed` into `text` leaves, the selection replaced (or
    // inserted at the caret), normalised as NormalizeText does.
    static QString TypedText(const QString &text, int selStart, int selLength, int caret,
                             const QString &typed);
    // The digits a normalised text holds after its decimal separator, up to an exponent;
    // 0 without a separator.
    static int DecimalsOf(const QString &normalized);

    // The range rule: with equal bounds there is no range; with min < max the value is
    // clamped to both; with max < min only the lower bound holds when max is 0, only
    // the upper one when min is 0, and none otherwise. With raiseError a changed value
    // throws ERangeError instead.
    double CheckValue(double v, bool raiseError) const;
    // "Value must be between <min> and <max>", both with decimalPlaces decimals.
    QString RangeErrorText() const;

    // "0" without decimals, else "0." and one "#" per decimal place.
    QString EditFormat() const;
    // The text while typing: empty for 0 with zeroEmpty, else the edit format.
    QString EditText() const;
    // The text while the field does not have the focus.
    QString DisplayText() const;
    // May key be typed into text with the given selection and caret? The resulting
    // text must be a number with at most decimalPlaces decimals, and not negative
    // when the range starts at 0 or above and has an upper bound.
    bool IsValidChar(const QString &text, int selStart, int selLength, int caret, QChar key) const;
    // The text regrouped while typing: thousands separators in the integer part when
    // the display format groups; sign, decimals and exponent left as they are.
    QString ReformatText(const QString &text) const;
};

// A line box that holds money (a grid cell or a box over a money field) takes typed
// digits as the currency field does: a key that would leave a third decimal digit is
// refused with a beep, under each decimal separator. Text that arrives whole (a paste, a
// drop) goes in; the field keeps it in whole kopecks. `holdsMoney` says whether the box
// holds money at the moment (a bound box follows its field); without it, always.
void RefuseThirdDecimal(QLineEdit *box, std::function<bool()> holdsMoney = {});

class TCustomNumEdit : public TCustomComboEdit {
    Q_OBJECT
  public:
    explicit TCustomNumEdit(QWidget *parent = nullptr);
    ~TCustomNumEdit() override;

    // Reads the value from the text first; a text that is not a number gives MinValue.
    double Value();
    // The value clamped to the range; the text is rebuilt.
    void SetValue(double value);
    double MinValue() const { return m_core.minValue; }
    void SetMinValue(double value);
    double MaxValue() const { return m_core.maxValue; }
    void SetMaxValue(double value);
    // The largest magnitude typing may reach (0: none); see NumEditCore::maxMagnitude.
    double MaxMagnitude() const { return m_core.maxMagnitude; }
    void SetMaxMagnitude(double limit) { m_core.maxMagnitude = limit; }
    int DecimalPlaces() const { return m_core.decimalPlaces; }
    void SetDecimalPlaces(int places);
    QString DisplayFormat() const { return m_core.displayFormat; }
    void SetDisplayFormat(const QString &format);
    bool ZeroEmpty() const { return m_core.zeroEmpty; }
    void SetZeroEmpty(bool zeroEmpty);
    bool BeepOnError() const { return m_beepOnError; }
    void SetBeepOnError(bool beep);
    // Refuse an out-of-range value when the focus leaves (the error box shows it and
    // the field keeps the focus).
    bool CheckOnExit() const { return m_checkOnExit; }
    void SetCheckOnExit(bool check) { m_checkOnExit = check; }
    // While focused, keep thousands separators and the display alignment.
    bool FormatOnEditing() const { return m_formatOnEditing; }
    void SetFormatOnEditing(bool format);
    // Alignment of the shown number (right by default).
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);

    // The edit text; setting it converts it (throws EConvertError for a text that is
    // not a number) and clamps the value.
    QString Text() const { return text(); }
    void SetText(const QString &text);
    // Empty text, hence the value 0.
    void Clear();
    // Rebuilds the text from the value and selects it (Esc while typing).
    void Reset();
    // The text shown while the field does not have the focus.
    QString DisplayText() const { return GetValueDisplayText(); }
    const NumEditCore &Core() const { return m_core; }

    void SetPopup(TPopupWindow *popup) override;

    // A field with a largest magnitude is wide enough to show it, negative, in the
    // display format ("-999 999 999 999-99" for money).
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    virtual void FormatValueText();
    virtual QString DefaultDisplayFormat() const;
    virtual bool IsValidChar(QChar key) const;
    virtual QString GetValueDisplayText() const;
    virtual void UpdatePopup();

    QImage GetDefaultBitmap() override;
    int DefaultNumGlyphs() const override { return 2; }
    void KeyPress(QChar &key) override;
    void DoPaste() override;

    void paintEvent(QPaintEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

  private:
    // Converts the text and clamps it into the value; throws EConvertError.
    void ReadValueFromText();
    void ReformatEditText();
    void SetOwnText(const QString &text);
    void Beep() const;

    NumEditCore m_core;
    Qt::Alignment m_alignment = Qt::AlignRight;
    bool m_focused = false;
    bool m_beepOnError = true;
    bool m_checkOnExit = false;
    bool m_formatOnEditing = false;
    bool m_formatting = false; // the field is rewriting its own text
};

// The money field: grouped thousands and the process's currency decimals, no button;
// no more than twelve rouble digits.
class TCurrencyEdit : public TCustomNumEdit {
    Q_OBJECT
  public:
    explicit TCurrencyEdit(QWidget *parent = nullptr);

  protected:
    QString DefaultDisplayFormat() const override;
};

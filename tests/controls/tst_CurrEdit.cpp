// The number and currency field: its rules under each decimal separator, and the
// field as the user types, pastes and leaves it.
#include "DecimalSeparatorScope.h"
#include "EditForm.h"
#include "controls/CurrEdit.h"
#include "controls/UiScript.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QSignalSpy>
#include <QtTest>

namespace {

using FieldForm = EditForm<TCurrencyEdit>;

void typeText(QWidget *w, const QString &text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::KeyAction::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class TestCurrEdit : public QObject {
    Q_OBJECT
  private slots:
    void cleanup();

    void normalize_data();
    void normalize();
    void typedCharacter_data();
    void typedCharacter();
    void rangeRule_data();
    void rangeRule();
    void rangeErrorNamesBothBounds();
    void texts_data();
    void texts();
    void currencyFormat_data();
    void currencyFormat();
    void regroupWhileTyping_data();
    void regroupWhileTyping();

    void newFieldIsEmptyAndShowsZero();
    void typingUnderEachSeparator_data();
    void typingUnderEachSeparator();
    void lettersAndCyrillicAreRefused();
    void escRestoresStoredValue();
    void pasting_data();
    void pasting();
    void clampingOnSetAndOnLeave();
    void checkOnExitKeepsFocusAndShowsRangeError();
    void servesAsSumFilter();
    void formatOnEditingGroupsThousands();
    void escReachesDialogCancel();
};

void TestCurrEdit::cleanup() {
    QVERIFY2(UiScript::Clean(), qPrintable(UiScript::Problems()));
    UiScript::Reset();
}

// ---- The rules ------------------------------------------------------------------

void TestCurrEdit::normalize_data() {
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("dash: blanks and point") << "-"
                                            << " 1 234.5 "
                                            << "1234-5";
    QTest::newRow("dash: comma") << "-"
                                 << "12,5"
                                 << "12-5";
    QTest::newRow("dash: empty") << "-"
                                 << ""
                                 << "0";
    QTest::newRow("dash: lone minus") << "-"
                                      << "-"
                                      << "-0";
    QTest::newRow("point: comma") << "."
                                  << "1 234,50"
                                  << "1234.50";
    QTest::newRow("comma: point") << ","
                                  << "-12.5"
                                  << "-12,5";
}

void TestCurrEdit::normalize() {
    QFETCH(QString, sep);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    DecimalSeparatorScope scope(sep);
    QCOMPARE(NumEditCore::NormalizeText(text), expected);
}

void TestCurrEdit::typedCharacter_data() {
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("key");
    QTest::addColumn<double>("minValue");
    QTest::addColumn<double>("maxValue");
    QTest::addColumn<int>("places");
    QTest::addColumn<bool>("accepted");
    const QStringList seps = {"-", ".", ","};
    for (const QString &s : seps) {
        const QByteArray p = "'" + s.toLatin1() + "' ";
        QTest::newRow(p + "separator after digits")
            << s << "12" << 2 << -1 << 0 << s << 0.0 << 0.0 << 2 << true;
        QTest::newRow(p + "second decimal")
            << s << "12" + s + "3" << 4 << -1 << 0 << "4" << 0.0 << 0.0 << 2 << true;
        QTest::newRow(p + "third decimal")
            << s << "12" + s + "34" << 5 << -1 << 0 << "5" << 0.0 << 0.0 << 2 << false;
        QTest::newRow(p + "digit before the decimals")
            << s << "12" + s + "34" << 0 << -1 << 0 << "9" << 0.0 << 0.0 << 2 << true;
        QTest::newRow(p + "no decimals allowed")
            << s << "12" + s << 3 << -1 << 0 << "5" << 0.0 << 0.0 << 0 << false;
        QTest::newRow(p + "second separator")
            << s << "1" + s + "2" << 3 << -1 << 0 << s << 0.0 << 0.0 << 2 << false;
        QTest::newRow(p + "letter") << s << "12" << 2 << -1 << 0 << "a" << 0.0 << 0.0 << 2 << false;
        QTest::newRow(p + "cyrillic") << s << "12" << 2 << -1 << 0 << "б" << 0.0 << 0.0 << 2 << false;
        QTest::newRow(p + "selection replaced")
            << s << "1" + s + "23" << 0 << 0 << 4 << "7" << 0.0 << 0.0 << 2 << true;
        QTest::newRow(p + "lone minus in 0..100")
            << s << "" << 0 << -1 << 0 << "-" << 0.0 << 100.0 << 2 << true;
        QTest::newRow(p + "negative in 0..100")
            << s << "-" << 1 << -1 << 0 << "5" << 0.0 << 100.0 << 2 << false;
        QTest::newRow(p + "negative without range")
            << s << "-" << 1 << -1 << 0 << "5" << 0.0 << 0.0 << 2 << true;
    }
    // With the separator "-" a leading minus is the sign: "-5-12" is typed to the end.
    QTest::newRow("dash: separator after signed digit")
        << "-"
        << "-5" << 2 << -1 << 0 << "-" << 0.0 << 0.0 << 2 << true;
    QTest::newRow("dash: first signed decimal") << "-"
                                                << "-5-" << 3 << -1 << 0 << "1" << 0.0 << 0.0 << 2 << true;
    QTest::newRow("dash: second signed decimal") << "-"
                                                 << "-5-1" << 4 << -1 << 0 << "2" << 0.0 << 0.0 << 2 << true;
    QTest::newRow("dash: third signed decimal") << "-"
                                                << "-5-12" << 5 << -1 << 0 << "3" << 0.0 << 0.0 << 2 << false;
}

void TestCurrEdit::typedCharacter() {
    QFETCH(QString, sep);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, key);
    QFETCH(double, minValue);
    QFETCH(double, maxValue);
    QFETCH(int, places);
    QFETCH(bool, accepted);
    DecimalSeparatorScope scope(sep);
    NumEditCore core;
    core.minValue = minValue;
    core.maxValue = maxValue;
    core.decimalPlaces = places;
    QCOMPARE(core.IsValidChar(text, selStart, selLength, caret, key.at(0)), accepted);
}

void TestCurrEdit::rangeRule_data() {
    QTest::addColumn<double>("minValue");
    QTest::addColumn<double>("maxValue");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("no range") << 5.0 << 5.0 << 1e6 << 1e6;
    QTest::newRow("above max") << 0.0 << 100.0 << 150.0 << 100.0;
    QTest::newRow("below min") << 0.0 << 100.0 << -5.0 << 0.0;
    QTest::newRow("inside") << 0.0 << 100.0 << 42.5 << 42.5;
    QTest::newRow("lower bound only: below") << 10.0 << 0.0 << 5.0 << 10.0;
    QTest::newRow("lower bound only: far above") << 10.0 << 0.0 << 500.0 << 500.0;
    QTest::newRow("upper bound only: above") << 0.0 << -5.0 << 3.0 << -5.0;
    QTest::newRow("upper bound only: far below") << 0.0 << -5.0 << -10.0 << -10.0;
    QTest::newRow("crossed bounds: no range") << 10.0 << 1.0 << 5.0 << 5.0;
}

void TestCurrEdit::rangeRule() {
    QFETCH(double, minValue);
    QFETCH(double, maxValue);
    QFETCH(double, value);
    QFETCH(double, expected);
    NumEditCore core;
    core.minValue = minValue;
    core.maxValue = maxValue;
    QCOMPARE(core.CheckValue(value, false), expected);
    if (expected == value)
        QCOMPARE(core.CheckValue(value, true), expected);
    else
        QVERIFY_THROWS_EXCEPTION(ERangeError, core.CheckValue(value, true));
}

void TestCurrEdit::rangeErrorNamesBothBounds() {
    DecimalSeparatorScope scope(QChar('-'));
    NumEditCore core;
    core.maxValue = 100;
    QCOMPARE(core.RangeErrorText(), QStringLiteral("Value must be between 0-00 and 100-00"));
    core.decimalPlaces = 0;
    core.minValue = -5;
    QCOMPARE(core.RangeErrorText(), QStringLiteral("Value must be between -5 and 100"));
}

void TestCurrEdit::texts_data() {
    QTest::addColumn<QString>("sep");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("places");
    QTest::addColumn<bool>("zeroEmpty");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("editText");
    QTest::addColumn<QString>("displayText");
    const QString money = ",0.00;-,0.00";
    QTest::newRow("zero, empty") << "-" << 0.0 << 2 << true << money << ""
                                 << "0-00";
    QTest::newRow("zero, shown") << "-" << 0.0 << 2 << false << money << "0"
                                 << "0-00";
    QTest::newRow("dash money") << "-" << 1234.5 << 2 << true << money << "1234-5"
                                << "1 234-50";
    QTest::newRow("dash negative") << "-" << -1234.5 << 2 << true << money << "-1234-5"
                                   << "-1 234-50";
    QTest::newRow("point money") << "." << 1234567.25 << 2 << true << money << "1234567.25"
                                 << "1 234 567.25";
    QTest::newRow("comma money") << "," << 0.5 << 2 << true << money << "0,5"
                                 << "0,50";
    QTest::newRow("no decimals") << "," << 12.75 << 0 << true << money << "13"
                                 << "12,75";
    QTest::newRow("default format") << "." << 1234.5 << 2 << true << ",0.##"
                                    << "1234.5"
                                    << "1 234.5";
    QTest::newRow("no format") << "-" << 2.5 << 2 << true << ""
                               << "2-5"
                               << "2-5";
}

void TestCurrEdit::texts() {
    QFETCH(QString, sep);
    QFETCH(double, value);
    QFETCH(int, places);
    QFETCH(bool, zeroEmpty);
    QFETCH(QString, format);
    QFETCH(QString, editText);
    QFETCH(QString, displayText);
    DecimalSeparatorScope scope(sep);
    NumEditCore core;
    core.value = value;
    core.decimalPlaces = places;
    core.zeroEmpty = zeroEmpty;
    core.displayFormat = format;
    QCOMPARE(core.EditText(), editText);
    QCOMPARE(core.DisplayText(), displayText);
}

void TestCurrEdit::currencyFormat_data() {
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<int>("placement");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no currency text") << 2 << "" << 0 << ",0.00;-,0.00";
    QTest::newRow("before") << 2 << "$" << 0 << "$,0.00;-$,0.00";
    QTest::newRow("after") << 2 << "$" << 1 << ",0.00$;-,0.00$";
    QTest::newRow("before, blank") << 1 << "$" << 2 << "$ ,0.0;-$ ,0.0";
    QTest::newRow("after, blank, quoted point") << 2 << "р." << 3 << ",0.00 р'.';-,0.00 р'.'";
}

void TestCurrEdit::currencyFormat() {
    QFETCH(int, decimals);
    QFETCH(QString, currency);
    QFETCH(int, placement);
    QFETCH(QString, expected);
    QCOMPARE(NumEditCore::CurrencyDisplayFormat(decimals, currency, placement), expected);
}

void TestCurrEdit::regroupWhileTyping_data() {
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("dash, grouped") << "-"
                                   << ",0.##"
                                   << "1234567-5"
                                   << "1 234 567-5";
    QTest::newRow("dash, signed") << "-"
                                  << ",0.##"
                                  << "-1234-5"
                                  << "-1 234-5";
    QTest::newRow("regrouped") << "."
                               << ",0.##"
                               << "1 2345"
                               << "12 345";
    QTest::newRow("exponent ends the integer") << "."
                                               << ",0.##"
                                               << "12345E3"
                                               << "12 345E3";
    QTest::newRow("lone minus") << ","
                                << ",0.##"
                                << "-"
                                << "-";
    QTest::newRow("format without grouping") << ","
                                             << "0.##"
                                             << "1234,5"
                                             << "1234,5";
}

void TestCurrEdit::regroupWhileTyping() {
    QFETCH(QString, sep);
    QFETCH(QString, format);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    DecimalSeparatorScope scope(sep);
    NumEditCore core;
    core.displayFormat = format;
    QCOMPARE(core.ReformatText(text), expected);
}

// ---- The field ------------------------------------------------------------------

void TestCurrEdit::newFieldIsEmptyAndShowsZero() {
    DecimalSeparatorScope scope(QChar('-'));
    TCurrencyEdit edit;
    QCOMPARE(edit.Text(), QString());
    QCOMPARE(edit.Value(), 0.0);
    QCOMPARE(edit.DisplayText(), QStringLiteral("0-00"));
    QCOMPARE(edit.DisplayFormat(), QStringLiteral(",0.00;-,0.00"));
    QCOMPARE(edit.ButtonWidth(), 0);
    QCOMPARE(edit.Alignment(), Qt::AlignRight);
}

void TestCurrEdit::typingUnderEachSeparator_data() {
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    for (const QString s : {"-", ".", ","}) {
        const QByteArray p = "'" + s.toLatin1() + "' ";
        QTest::newRow(p + "point typed") << s << "1234.5"
                                         << "1234" + s + "5" << 1234.5 << "1 234" + s + "50";
        QTest::newRow(p + "comma typed") << s << "1234,5"
                                         << "1234" + s + "5" << 1234.5 << "1 234" + s + "50";
        QTest::newRow(p + "third decimal dropped") << s << "7.256"
                                                   << "7" + s + "25" << 7.25 << "7" + s + "25";
    }
    QTest::newRow("dash: negative") << "-"
                                    << "-123"
                                    << "-123" << -123.0 << "-123-00";
    QTest::newRow("dash: negative with decimals") << "-"
                                                  << "-5-12"
                                                  << "-5-12" << -5.12 << "-5-12";
    QTest::newRow("dash: decimals typed with point") << "-"
                                                     << "-5.12"
                                                     << "-5-12" << -5.12 << "-5-12";
    QTest::newRow("point: negative with decimals") << "."
                                                   << "-5.12"
                                                   << "-5.12" << -5.12 << "-5.12";
}

void TestCurrEdit::typingUnderEachSeparator() {
    QFETCH(QString, sep);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(QString, shown);
    DecimalSeparatorScope scope(sep);
    FieldForm form;
    QVERIFY(form.edit->hasFocus());
    QTest::keyClicks(form.edit, typed);
    QCOMPARE(form.edit->Text(), text);
    QCOMPARE(form.edit->Value(), value);
    form.leave();
    QCOMPARE(form.edit->DisplayText(), shown);
    // The text read back after leaving is the same number.
    QCOMPARE(NumEditCore::TextToValue(form.edit->Text()), value);
}

void TestCurrEdit::lettersAndCyrillicAreRefused() {
    DecimalSeparatorScope scope(QChar(','));
    FieldForm form;
    form.edit->SetBeepOnError(false);
    QTest::keyClicks(form.edit, "12");
    typeText(form.edit, QStringLiteral("бx"));
    QTest::keyClicks(form.edit, "e,");
    QCOMPARE(form.edit->Text(), QStringLiteral("12,"));
}

void TestCurrEdit::escRestoresStoredValue() {
    DecimalSeparatorScope scope(QChar('-'));
    FieldForm form;
    form.edit->SetValue(42.5);
    form.edit->selectAll();
    QTest::keyClicks(form.edit, "777");
    QCOMPARE(form.edit->Text(), QStringLiteral("777"));
    QTest::keyClick(form.edit, Qt::Key_Escape);
    QCOMPARE(form.edit->Text(), QStringLiteral("42-5"));
    QCOMPARE(form.edit->selectedText(), QStringLiteral("42-5"));
}

void TestCurrEdit::pasting_data() {
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<double>("maxValue");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("dash: point") << "-"
                                 << "12.50" << 0.0 << "12.50" << 12.5;
    QTest::newRow("dash: negative") << "-"
                                    << "-5-12" << 0.0 << "-5-12" << -5.12;
    QTest::newRow("point: grouped") << "."
                                    << "1 234.56" << 0.0 << "1 234.56" << 1234.56;
    QTest::newRow("comma: point") << ","
                                  << "7.5" << 0.0 << "7.5" << 7.5;
    QTest::newRow("comma: clamped") << ","
                                    << "150" << 100.0 << "150" << 100.0;
    QTest::newRow("not a number") << ","
                                  << "12 руб" << 0.0 << "3" << 3.0;
    QTest::newRow("two separators") << "."
                                    << "1,234.5" << 0.0 << "3" << 3.0;
}

void TestCurrEdit::pasting() {
    QFETCH(QString, sep);
    QFETCH(QString, clipboard);
    QFETCH(double, maxValue);
    QFETCH(QString, text);
    QFETCH(double, value);
    DecimalSeparatorScope scope(sep);
    FieldForm form;
    form.edit->SetBeepOnError(false);
    form.edit->SetMaxValue(maxValue);
    QTest::keyClicks(form.edit, "3");
    form.edit->selectAll();
    QApplication::clipboard()->setText(clipboard);
    QTest::keySequence(form.edit, QKeySequence::Paste);
    QCOMPARE(form.edit->Text(), text);
    QCOMPARE(form.edit->Value(), value);
}

void TestCurrEdit::clampingOnSetAndOnLeave() {
    DecimalSeparatorScope scope(QChar('.'));
    FieldForm form;
    form.edit->SetMaxValue(100);
    form.edit->SetValue(150);
    QCOMPARE(form.edit->Value(), 100.0);
    QCOMPARE(form.edit->Text(), QStringLiteral("100"));

    // Typing past the bound is allowed; leaving clamps and rebuilds the text.
    form.edit->selectAll();
    QTest::keyClicks(form.edit, "250.5");
    QCOMPARE(form.edit->Text(), QStringLiteral("250.5"));
    form.leave();
    QCOMPARE(form.edit->Value(), 100.0);
    QCOMPARE(form.edit->Text(), QStringLiteral("100"));
    QCOMPARE(form.edit->DisplayText(), QStringLiteral("100.00"));

    // A lower bound set later clamps at once.
    form.edit->SetValue(5);
    form.edit->SetMinValue(10);
    QCOMPARE(form.edit->Value(), 10.0);
}

void TestCurrEdit::checkOnExitKeepsFocusAndShowsRangeError() {
    DecimalSeparatorScope scope(QChar('-'));
    FieldForm form;
    form.edit->SetCheckOnExit(true);
    form.edit->SetMaxValue(100);
    QSignalSpy finished(form.edit, &QLineEdit::editingFinished);
    QTest::keyClicks(form.edit, "250");
    UiScript::ExpectError(QStringLiteral("Value must be between 0-00 and 100-00."));
    form.leave();
    QCoreApplication::processEvents();
    QVERIFY(form.edit->hasFocus());
    QCOMPARE(form.edit->Text(), QStringLiteral("250"));
    QCOMPARE(finished.count(), 0);
    QCOMPARE(UiScript::Messages().size(), 1);

    // Corrected, the field lets the focus go.
    form.edit->selectAll();
    QTest::keyClicks(form.edit, "99.5");
    form.leave();
    QCoreApplication::processEvents();
    QVERIFY(form.other->hasFocus());
    QCOMPARE(form.edit->Value(), 99.5);
}

// The register's sum filters read Value after the user has typed and left the field
// (or pressed Enter), and set it when the register opens.
void TestCurrEdit::servesAsSumFilter() {
    DecimalSeparatorScope scope(QChar('-'));
    FieldForm form;
    QSignalSpy finished(form.edit, &QLineEdit::editingFinished);
    QTest::keyClicks(form.edit, "1500.75");
    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(form.edit->Value(), 1500.75);
    form.leave();
    QCOMPARE(form.edit->DisplayText(), QStringLiteral("1 500-75"));

    form.edit->SetValue(0);
    QCOMPARE(form.edit->Text(), QString());
    QCOMPARE(form.edit->Value(), 0.0);
    form.edit->setText(QStringLiteral("-"));
    QCOMPARE(form.edit->Value(), 0.0);
}

void TestCurrEdit::formatOnEditingGroupsThousands() {
    DecimalSeparatorScope scope(QChar(','));
    FieldForm form;
    form.edit->SetFormatOnEditing(true);
    QTest::keyClicks(form.edit, "1234567,5");
    QCOMPARE(form.edit->Text(), QStringLiteral("1 234 567,5"));
    QCOMPARE(form.edit->cursorPosition(), int(form.edit->Text().size()));
    QCOMPARE(form.edit->Value(), 1234567.5);
}

void TestCurrEdit::escReachesDialogCancel() {
    DecimalSeparatorScope scope(QChar('-'));
    QDialog dialog;
    auto *edit = new TCurrencyEdit(&dialog);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    edit->setFocus();
    QTest::keyClicks(edit, "12");
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(edit->Text(), QString());
}

QTEST_MAIN(TestCurrEdit)
#include "tst_CurrEdit.moc"

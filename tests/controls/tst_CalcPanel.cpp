// The calculator: its arithmetic, memory and display, the keypad, and the popup that
// hands its result back to a number field.
#include "DecimalSeparatorScope.h"
#include "EditForm.h"
#include "controls/CalcPanel.h"
#include "controls/CurrEdit.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Enters each character of keys; "<" stands for backspace, "!" for Enter, "~" for Esc.
void enter(CalcEngine &engine, const QString &keys) {
    for (const QChar c : keys) {
        if (c == QLatin1Char('<'))
            engine.EnterCalcKey(CalcEngine::Backspace);
        else if (c == QLatin1Char('!'))
            engine.EnterCalcKey(CalcEngine::Enter);
        else if (c == QLatin1Char('~'))
            engine.EnterCalcKey(CalcEngine::Esc);
        else
            engine.EnterCalcKey(c);
    }
}

} // namespace

class TestCalcPanel : public QObject {
    Q_OBJECT
  private slots:
    void keys_data();
    void keys();
    void errorHoldsUntilClear();
    void precisionLimitsTheDisplay();
    void memory();
    void resultAndBeepEvents();
    void keyEventMayChangeOrDropKeys();
    void pastedText_data();
    void pastedText();
    void generalNumberText();

    void keyboardPressesKeyButtons();
    void layouts();
    void okAndLabels();

    void popupOpensAndHandsValueBack();
    void popupEscDiscards();
    void hiddenButtonOpensNothing();
};

void TestCalcPanel::keys_data() {
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("display");
    QTest::addColumn<double>("value");
    for (const QString s : {"-", ".", ","}) {
        const QByteArray p = "'" + s.toLatin1() + "' ";
        QTest::newRow(p + "2+3=") << s << "2+3="
                                  << "5" << 5.0;
        QTest::newRow(p + "200+10%") << s << "200+10%"
                                     << "220" << 220.0;
        QTest::newRow(p + "200-10%") << s << "200-10%"
                                     << "180" << 180.0;
        QTest::newRow(p + "50*10%") << s << "50*10%"
                                    << "5" << 5.0;
        QTest::newRow(p + "chained") << s << "2*3-1!"
                                     << "5" << 5.0;
        QTest::newRow(p + "operator replaced") << s << "8+*2="
                                               << "16" << 16.0;
        QTest::newRow(p + "decimals") << s << "1.5+1,25="
                                      << "2" + s + "75" << 2.75;
        QTest::newRow(p + "one decimal point") << s << "1..5"
                                               << "1" + s + "5" << 1.5;
        QTest::newRow(p + "leading point") << s << ".5"
                                           << "0" + s + "5" << 0.5;
        QTest::newRow(p + "square root") << s << "9Q"
                                         << "3" << 3.0;
        QTest::newRow(p + "reciprocal") << s << "4R"
                                        << "0" + s + "25" << 0.25;
        QTest::newRow(p + "change sign") << s << "5_"
                                         << "-5" << -5.0;
        QTest::newRow(p + "negative with decimals") << s << "3_.5"
                                                    << "-3" + s + "5" << -3.5;
        QTest::newRow(p + "backspace") << s << "123<"
                                       << "12" << 12.0;
        QTest::newRow(p + "backspace to zero") << s << "5_<"
                                               << "0" << 0.0;
        QTest::newRow(p + "clear") << s << "7+8C"
                                   << "0" << 0.0;
        QTest::newRow(p + "esc clears") << s << "7+8~"
                                        << "0" << 0.0;
        QTest::newRow(p + "new number after result") << s << "2+3=4"
                                                     << "4" << 4.0;
        QTest::newRow(p + "zero replaced") << s << "0007"
                                           << "7" << 7.0;
    }
    // With the separator "-" the minus key still subtracts.
    QTest::newRow("dash: subtraction") << "-"
                                       << "7-2="
                                       << "5" << 5.0;
    QTest::newRow("dash: negative result") << "-"
                                           << "2-7.5="
                                           << "-5-5" << -5.5;
}

void TestCalcPanel::keys() {
    QFETCH(QString, sep);
    QFETCH(QString, keys);
    QFETCH(QString, display);
    QFETCH(double, value);
    DecimalSeparatorScope scope(sep);
    CalcEngine engine;
    enter(engine, keys);
    QCOMPARE(engine.Display(), display);
    QCOMPARE(engine.DisplayValue(), value);
}

void TestCalcPanel::errorHoldsUntilClear() {
    CalcEngine engine;
    int errors = 0, beeps = 0;
    engine.OnError = [&] { ++errors; };
    engine.OnBeep = [&] { ++beeps; };
    enter(engine, "1/0=");
    QCOMPARE(engine.Display(), QStringLiteral("Error"));
    QCOMPARE(engine.Status(), csError);
    QCOMPARE(engine.DisplayValue(), 0.0);
    enter(engine, "5+Q_<=");
    engine.MemoryStore();
    QCOMPARE(engine.Display(), QStringLiteral("Error"));
    QVERIFY(!engine.Ok());
    QCOMPARE(errors, 1);
    QCOMPARE(beeps, 2);
    enter(engine, "C");
    QCOMPARE(engine.Display(), QStringLiteral("0"));
    enter(engine, "4_Q");
    QCOMPARE(engine.Display(), QStringLiteral("Error"));
    enter(engine, "~0R");
    QCOMPARE(engine.Display(), QStringLiteral("Error"));
    QCOMPARE(errors, 3);
}

void TestCalcPanel::precisionLimitsTheDisplay() {
    CalcEngine engine;
    int beeps = 0;
    engine.OnBeep = [&] { ++beeps; };
    enter(engine, QString(16, QLatin1Char('1')));
    QCOMPARE(engine.Display(), QString(15, QLatin1Char('1')));
    QCOMPARE(beeps, 1);
    // The sign does not count.
    enter(engine, "C7_");
    enter(engine, QString(15, QLatin1Char('2')));
    QCOMPARE(engine.Display().size(), 16);
    QCOMPARE(beeps, 2);
    // Precision is at least 2.
    engine.SetPrecision(1);
    QCOMPARE(engine.Precision(), 2);
    enter(engine, "C123");
    QCOMPARE(engine.Display(), QStringLiteral("12"));
}

void TestCalcPanel::memory() {
    CalcEngine engine;
    enter(engine, "5");
    engine.MemoryStore();
    enter(engine, "3"); // a new number after MS
    QCOMPARE(engine.Display(), QStringLiteral("3"));
    engine.MemoryPlus();
    QCOMPARE(engine.Memory(), 8.0);
    enter(engine, "C2+");
    engine.MemoryRecall();
    enter(engine, "=");
    QCOMPARE(engine.Display(), QStringLiteral("10"));
    engine.MemoryClear();
    QCOMPARE(engine.Memory(), 0.0);
}

void TestCalcPanel::resultAndBeepEvents() {
    CalcEngine engine;
    int results = 0, beeps = 0;
    engine.OnResult = [&] { ++results; };
    engine.OnBeep = [&] { ++beeps; };
    enter(engine, "2+3");
    QCOMPARE(results, 0);
    enter(engine, "=");
    enter(engine, "!");
    enter(engine, "%");
    QCOMPARE(results, 3);
    engine.SetBeepOnError(false);
    enter(engine, "1/0=");
    QCOMPARE(beeps, 0);
}

void TestCalcPanel::keyEventMayChangeOrDropKeys() {
    CalcEngine engine;
    engine.OnCalcKey = [](QChar &key) {
        if (key == QLatin1Char('X')) key = QLatin1Char('*');
        if (key == QLatin1Char('9')) key = QChar();
    };
    enter(engine, "6x79=");
    QCOMPARE(engine.Display(), QStringLiteral("42"));
}

void TestCalcPanel::pastedText_data() {
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("display");
    QTest::newRow("with currency") << ","
                                   << "р."
                                   << " 1 234,5 р. "
                                   << "1234,5";
    QTest::newRow("dash negative") << "-"
                                   << ""
                                   << "-12-25"
                                   << "-12-25";
    QTest::newRow("not a number") << "."
                                  << ""
                                  << "abc"
                                  << "0";
}

void TestCalcPanel::pastedText() {
    QFETCH(QString, sep);
    QFETCH(QString, currency);
    QFETCH(QString, text);
    QFETCH(QString, display);
    DecimalSeparatorScope scope(sep);
    const QString savedCurrency = fmt::Settings().currencyString;
    fmt::Settings().currencyString = currency;
    CalcEngine engine;
    enter(engine, "10+");
    engine.PasteText(text);
    fmt::Settings().currencyString = savedCurrency;
    QCOMPARE(engine.Display(), display);
    // A pasted number counts as typed: the pending operator applies to it.
    const double pasted = engine.DisplayValue();
    enter(engine, "=");
    QCOMPARE(engine.DisplayValue(), 10 + pasted);
}

void TestCalcPanel::generalNumberText() {
    DecimalSeparatorScope scope(QChar('-'));
    QCOMPARE(CalcEngine::FormatValue(1.0 / 3, 15), QStringLiteral("0-333333333333333"));
    QCOMPARE(CalcEngine::FormatValue(1.0 / 3, 4), QStringLiteral("0-3333"));
    QCOMPARE(CalcEngine::FormatValue(1e20, 15), QStringLiteral("1E+20"));
    QCOMPARE(CalcEngine::FormatValue(-0.0, 15), QStringLiteral("0"));
    CalcEngine engine;
    // An overflow shows "Error", not an infinity.
    enter(engine, QStringLiteral("999999999999999*").repeated(21) + QStringLiteral("="));
    QCOMPARE(engine.Display(), QStringLiteral("Error"));
}

// ---- The keypad -----------------------------------------------------------------

void TestCalcPanel::keyboardPressesKeyButtons() {
    DecimalSeparatorScope scope(QChar('-'));
    TCalculatorPanel panel(clDialog);
    QSignalSpy results(&panel, &TCalculatorPanel::result);
    QStringList clicked;
    for (TCalcBtnKind kind : {TCalcBtnKind(cb0 + 2), cbAdd, TCalcBtnKind(cb0 + 3), cbEql})
        connect(panel.Button(kind), &TGlyphSpeedButton::clicked, &panel,
                [&clicked, kind] { clicked << QString::number(kind); });
    panel.show();
    QTest::keyClicks(&panel, "2+3");
    QTest::keyClick(&panel, Qt::Key_Return);
    QCOMPARE(panel.DisplayText(), QStringLiteral("5"));
    QCOMPARE(clicked, QStringList({"3", "16", "4", "20"}));
    QCOMPARE(results.count(), 1);
    // "." and "," are the decimal point; "-" subtracts even with the separator "-".
    QTest::keyClicks(&panel, "7,5-0.5=");
    QCOMPARE(panel.DisplayText(), QStringLiteral("7"));
    QTest::keyClick(&panel, Qt::Key_Escape);
    QCOMPARE(panel.DisplayText(), QStringLiteral("0"));
    // Mouse clicks on the keys.
    QTest::mouseClick(panel.Button(TCalcBtnKind(cb0 + 9)), Qt::LeftButton);
    QTest::mouseClick(panel.Button(cbSqr), Qt::LeftButton);
    QCOMPARE(panel.DisplayText(), QStringLiteral("3"));
}

void TestCalcPanel::layouts() {
    TCalculatorPanel dialog(clDialog);
    QCOMPARE(dialog.size(), QSize(240, 129));
    QCOMPARE(dialog.Button(cbOk)->geometry(), QRect(47, 6, 36, 22));
    QCOMPARE(dialog.Button(cbMP)->geometry(), QRect(5, 104, 36, 22));
    QCOMPARE(dialog.Button(cbEql)->geometry(), QRect(199, 104, 36, 22));
    QCOMPARE(dialog.Button(cbDcm)->Caption(), QString(fmt::DecimalSeparator()));
    QCOMPARE(dialog.Button(cbSqr)->Tag(), 16);
    QCOMPARE(dialog.Button(cbMC)->Tag(), -1);
    for (const TCalcButton *b : dialog.findChildren<TCalcButton *>())
        QVERIFY2(dialog.rect().contains(b->geometry()), qPrintable(b->Caption()));

    TLocCalculator compact;
    QCOMPARE(compact.size(), QSize(98, 124));
    QCOMPARE(compact.findChildren<TCalcButton *>().size(), 19);
    QVERIFY(!compact.Button(cbSqr) && !compact.Button(cbMS) && !compact.Button(cbOk));
    QCOMPARE(compact.Button(cbEql)->geometry(), QRect(52, 98, 21, 21));
    QCOMPARE(compact.Button(cbAdd)->geometry(), QRect(75, 75, 21, 21));
    // Keys without a button still work from the keyboard.
    compact.CalcKeyPress(QLatin1Char('9'));
    compact.CalcKeyPress(QLatin1Char('q'));
    QCOMPARE(compact.DisplayText(), QStringLiteral("3"));
}

void TestCalcPanel::okAndLabels() {
    TCalculatorPanel panel(clDialog);
    QLabel display, memory;
    panel.SetDisplayLabel(&display);
    panel.SetMemoryLabel(&memory);
    QSignalSpy ok(&panel, &TCalculatorPanel::ok);
    QSignalSpy cancel(&panel, &TCalculatorPanel::cancel);
    panel.SetBeepOnError(false);
    panel.CalcKeyPress(QLatin1Char('4'));
    QCOMPARE(display.text(), QStringLiteral("4"));
    panel.Button(cbMS)->Click();
    QCOMPARE(memory.text(), QStringLiteral("M"));
    panel.Button(cbMC)->Click();
    QCOMPARE(memory.text(), QString());
    panel.Button(cbOk)->Click();
    QCOMPARE(ok.count(), 1);
    panel.EnterCalcKey(QLatin1Char('R'));
    panel.CalcKeyPress(QLatin1Char('0'));
    panel.CalcKeyPress(QLatin1Char('R'));
    QCOMPARE(display.text(), QStringLiteral("Error"));
    panel.Button(cbOk)->Click();
    QCOMPARE(ok.count(), 1);
    panel.Button(cbCancel)->Click();
    QCOMPARE(cancel.count(), 1);
}

// ---- The popup ------------------------------------------------------------------

namespace {

// A number field with a calculator popup.
struct PopupForm : EditForm<TCustomNumEdit> {
    TPopupCalculator *popup;
    PopupForm() : popup(new TPopupCalculator(edit)) { edit->SetPopup(popup); }
};

} // namespace

void TestCalcPanel::popupOpensAndHandsValueBack() {
    DecimalSeparatorScope scope(QChar('-'));
    PopupForm form;
    QCOMPARE(form.edit->ButtonWidth(), 20);
    QCOMPARE(form.popup->Calculator()->Precision(), 15);
    form.edit->SetValue(12.5);
    QTest::keyClick(form.edit, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(form.edit->PopupVisible());
    QVERIFY(form.popup->isVisible());
    QCOMPARE(form.popup->GetPopupText(), QStringLiteral("12-5"));
    QVERIFY(form.popup->geometry().top() >= form.edit->mapToGlobal(QPoint(0, form.edit->height())).y() ||
            form.popup->geometry().bottom() < form.edit->mapToGlobal(QPoint(0, 0)).y());

    // Keys typed into the field work the calculator; the field's text waits.
    QTest::keyClicks(form.edit, "+2.25");
    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(form.popup->GetPopupText(), QStringLiteral("14-75"));
    QCOMPARE(form.edit->Text(), QStringLiteral("12-5"));
    QVERIFY(form.edit->PopupVisible());

    // The shortcut again closes the popup and the field takes the result.
    QSignalSpy changes(form.edit, &TCustomComboEdit::change);
    QTest::keyClick(form.edit, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(!form.edit->PopupVisible());
    QVERIFY(!form.popup->isVisible());
    QCOMPARE(form.edit->Text(), QStringLiteral("14-75"));
    QCOMPARE(form.edit->Value(), 14.75);
    QCOMPARE(changes.count(), 1);

    // A click on the edit button opens it again, from the field's value.
    QTest::mouseClick(form.edit->Button(), Qt::LeftButton);
    QVERIFY(form.edit->PopupVisible());
    QCOMPARE(form.popup->GetPopupText(), QStringLiteral("14-75"));
    QTest::mouseClick(form.popup->Calculator()->Button(cbClr), Qt::LeftButton);
    QTest::mouseClick(form.popup->Calculator()->Button(TCalcBtnKind(cb0 + 8)), Qt::LeftButton);
    QCOMPARE(form.popup->GetPopupText(), QStringLiteral("8"));
    QTest::mouseClick(form.edit->Button(), Qt::LeftButton);
    QVERIFY(!form.edit->PopupVisible());
    QCOMPARE(form.edit->Value(), 8.0);
}

void TestCalcPanel::popupEscDiscards() {
    DecimalSeparatorScope scope(QChar(','));
    PopupForm form;
    form.edit->SetValue(3);
    form.edit->ButtonClick();
    QVERIFY(form.edit->PopupVisible());
    QTest::keyClicks(form.edit, "*7");
    QTest::keyClick(form.edit, Qt::Key_Escape);
    QVERIFY(!form.edit->PopupVisible());
    QCOMPARE(form.edit->Value(), 3.0);

    // Leaving the field closes the popup without taking its value.
    form.edit->ButtonClick();
    QTest::keyClicks(form.edit, "9");
    form.leave();
    QVERIFY(!form.edit->PopupVisible());
    QVERIFY(form.other->hasFocus());
    QCOMPARE(form.edit->Value(), 3.0);

    // A read-only field does not open it.
    form.edit->SetReadOnly(true);
    form.edit->ButtonClick();
    QVERIFY(!form.edit->PopupVisible());
}

// The currency field hides its button: the shortcut opens nothing.
void TestCalcPanel::hiddenButtonOpensNothing() {
    QWidget window;
    auto *edit = new TCurrencyEdit(&window);
    edit->SetPopup(new TPopupCalculator(edit));
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    QCOMPARE(edit->ButtonWidth(), 0);
    QVERIFY(edit->Button()->isHidden() || !edit->Button()->isVisibleTo(edit));
    QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(!edit->PopupVisible());
}

QTEST_MAIN(TestCalcPanel)
#include "tst_CalcPanel.moc"

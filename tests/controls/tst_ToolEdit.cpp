// The edit field with a button: where its popup opens, how the button and its
// shortcut work, and how a popup's value comes back into the text.
#include "EditForm.h"
#include "controls/ToolEdit.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStyle>
#include <QtTest>

namespace {

// A popup that offers one fixed text.
class TextPopup : public TPopupWindow {
  public:
    explicit TextPopup(TCustomComboEdit *editor) : TPopupWindow(editor) { resize(120, 60); }
    QVariant GetValue() override { return offered; }
    void SetValue(const QVariant &value) override { received = value; }
    QString offered = QStringLiteral("Выбрано");
    QVariant received;
};

// The field with a text popup.
struct ComboForm : EditForm<TCustomComboEdit> {
    TextPopup *popup;
    ComboForm() : popup(new TextPopup(edit)) { edit->SetPopup(popup); }
};

} // namespace

class TestToolEdit : public QObject {
    Q_OBJECT
  private slots:
    void popupPosition_data();
    void popupPosition();
    void buttonWidthHidesButton();
    void glyphKindsSetWidth();
    void readOnlyIgnoresButtonUnlessAlwaysEnabled();
    void popupTextComesBack();
    void pressOutsideDiscards();
    void typingDisabledWhileOpen();
};

void TestToolEdit::popupPosition_data() {
    QTest::addColumn<QRect>("edit");
    QTest::addColumn<QSize>("popup");
    QTest::addColumn<int>("side");
    QTest::addColumn<QPoint>("expected");
    const QSize p(200, 150);
    QTest::newRow("right edges together")
        << QRect(400, 100, 120, 21) << p << int(epaRight) << QPoint(320, 121);
    QTest::newRow("left edges together") << QRect(400, 100, 120, 21) << p << int(epaLeft) << QPoint(400, 121);
    QTest::newRow("right side past the left edge")
        << QRect(0, 100, 50, 21) << p << int(epaRight) << QPoint(0, 121);
    QTest::newRow("left side past the right edge")
        << QRect(900, 100, 120, 21) << p << int(epaLeft) << QPoint(820, 121);
    QTest::newRow("shifted back onto the screen")
        << QRect(1000, 100, 60, 21) << p << int(epaLeft) << QPoint(824, 121);
    QTest::newRow("opens above near the bottom")
        << QRect(400, 700, 120, 21) << p << int(epaRight) << QPoint(320, 550);
    QTest::newRow("wider than the screen")
        << QRect(400, 100, 120, 21) << QSize(1500, 150) << int(epaRight) << QPoint(0, 121);
}

void TestToolEdit::popupPosition() {
    QFETCH(QRect, edit);
    QFETCH(QSize, popup);
    QFETCH(int, side);
    QFETCH(QPoint, expected);
    const QRect screen(0, 0, 1024, 768);
    QCOMPARE(TCustomComboEdit::PopupPosition(edit, popup, screen, TPopupAlign(side)), expected);
}

void TestToolEdit::buttonWidthHidesButton() {
    ComboForm form;
    QSignalSpy presses(form.edit, &TCustomComboEdit::buttonPress);
    QTest::keyClick(form.edit, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(presses.count(), 1);
    QVERIFY(form.edit->PopupVisible());
    QTest::keyClick(form.edit, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(!form.edit->PopupVisible());

    for (int width : {1, 0}) {
        form.edit->SetButtonWidth(width);
        QVERIFY(!form.edit->Button()->isVisible());
        QTest::keyClick(form.edit, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(presses.count(), 2);
        QVERIFY(!form.edit->PopupVisible());
    }
    form.edit->SetButtonWidth(18);
    QVERIFY(form.edit->Button()->isVisible());
    QCOMPARE(form.edit->ButtonWidth(), 18);
    // The button sits at the right edge and the text keeps clear of it.
    QVERIFY(form.edit->Button()->mapTo(form.edit, QPoint(18, 0)).x() <= form.edit->width());
    QCOMPARE(form.edit->textMargins().right(), 20);
    // Never wider than the field once shown.
    form.edit->SetButtonWidth(form.edit->width() + 5);
    QCOMPARE(form.edit->ButtonWidth(), 18);
}

void TestToolEdit::glyphKindsSetWidth() {
    ComboForm form;
    form.edit->SetButtonGlyphKind(gkDropDown);
    QCOMPARE(form.edit->ButtonWidth(), form.edit->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    QCOMPARE(form.edit->NumGlyphs(), 1);
    form.edit->SetNumGlyphs(3);
    QCOMPARE(form.edit->NumGlyphs(), 1);

    form.edit->SetButtonWidth(22);
    form.edit->SetButtonGlyphKind(gkEllipsis);
    QCOMPARE(form.edit->Glyph().size(), QSize(16, 4));
    // Three dots on row 1, two pixels square: six drawn pixels per row.
    int dots = 0;
    for (int x = 0; x < 16; ++x)
        dots += qAlpha(form.edit->Glyph().pixel(x, 1)) != 0;
    QCOMPARE(dots, 6);
    QCOMPARE(qAlpha(form.edit->Glyph().pixel(7, 0)), 0);

    QImage own(10, 10, QImage::Format_ARGB32);
    own.fill(Qt::red);
    form.edit->SetGlyph(own);
    QCOMPARE(form.edit->ButtonGlyphKind(), gkCustom);
    form.edit->SetNumGlyphs(2);
    QCOMPARE(form.edit->NumGlyphs(), 2);
}

void TestToolEdit::readOnlyIgnoresButtonUnlessAlwaysEnabled() {
    ComboForm form;
    QSignalSpy presses(form.edit, &TCustomComboEdit::buttonPress);
    form.edit->SetReadOnly(true);
    QVERIFY(form.edit->isReadOnly());
    QTest::mouseClick(form.edit->Button(), Qt::LeftButton);
    QCOMPARE(presses.count(), 0);
    form.edit->SetAlwaysEnable(true);
    QTest::mouseClick(form.edit->Button(), Qt::LeftButton);
    QCOMPARE(presses.count(), 1);
    QVERIFY(!form.edit->PopupVisible()); // a read-only field still opens no popup
    form.edit->SetReadOnly(false);
    form.edit->SetAllowTyping(false);
    QVERIFY(form.edit->isReadOnly());
}

void TestToolEdit::popupTextComesBack() {
    ComboForm form;
    form.edit->setText(QStringLiteral("было"));
    QSignalSpy changes(form.edit, &TCustomComboEdit::change);
    form.edit->ButtonClick();
    QCOMPARE(form.popup->received.toString(), QStringLiteral("было"));
    // A release on the popup itself accepts.
    QTest::mouseClick(form.popup, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QVERIFY(!form.edit->PopupVisible());
    QCOMPARE(form.edit->text(), QStringLiteral("Выбрано"));
    QVERIFY(form.edit->isModified());
    QCOMPARE(form.edit->selectedText(), QStringLiteral("Выбрано"));
    QCOMPARE(changes.count(), 1);

    // Empty text goes to the popup as a null value; Enter accepts.
    form.edit->clear();
    form.popup->offered = QStringLiteral("снова");
    form.edit->ButtonClick();
    QVERIFY(form.popup->received.isNull());
    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(form.edit->text(), QStringLiteral("снова"));
}

void TestToolEdit::pressOutsideDiscards() {
    ComboForm form;
    form.edit->setText(QStringLiteral("было"));
    form.edit->ButtonClick();
    QVERIFY(form.edit->PopupVisible());
    QTest::mousePress(form.other, Qt::LeftButton);
    QVERIFY(!form.edit->PopupVisible());
    QCOMPARE(form.edit->text(), QStringLiteral("было"));

    form.edit->setFocus();
    form.edit->ButtonClick();
    QTest::mousePress(form.edit, Qt::LeftButton); // a press on the text discards too
    QVERIFY(!form.edit->PopupVisible());
    QCOMPARE(form.edit->text(), QStringLiteral("было"));
}

void TestToolEdit::typingDisabledWhileOpen() {
    ComboForm form;
    form.edit->ButtonClick();
    QVERIFY(form.edit->isReadOnly());
    QTest::keyClick(form.edit, Qt::Key_Escape);
    QVERIFY(!form.edit->PopupVisible());
    QVERIFY(!form.edit->isReadOnly());
    QCOMPARE(form.edit->text(), QString());
}

QTEST_MAIN(TestToolEdit)
#include "tst_ToolEdit.moc"

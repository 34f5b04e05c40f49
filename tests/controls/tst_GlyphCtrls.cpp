// The speed button: the pictures of its looks, and its up, down and exclusive states
// under the mouse, alone and in a group.
#include "controls/CtrlConst.h"
#include "controls/GlyphCtrls.h"

#include <QApplication>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr QRgb Fuchsia = 0xFFFF00FF;

// A bitmap of `count` square columns of `size` pixels on a fuchsia ground; column i
// has a filled square in the middle in colours[i].
QImage columns(int count, int size, const QList<QRgb> &colours) {
    QImage img(count * size, size, QImage::Format_ARGB32);
    img.fill(Fuchsia);
    for (int c = 0; c < count; ++c)
        for (int y = size / 4; y < size * 3 / 4; ++y)
            for (int x = size / 4; x < size * 3 / 4; ++x)
                img.setPixel(c * size + x, y, colours.value(c, 0xFF000000));
    return img;
}

QPoint centre(int size) {
    return QPoint(size / 2, size / 2);
}

} // namespace

class TestGlyphCtrls : public QObject {
    Q_OBJECT
  private slots:
    void glyphCount_data();
    void glyphCount();
    void looksFromColumns();
    void disabledAndInactiveMadeFromFirstColumn();
    void shortenedCaption();
    void dropDownMenuPoint_data();
    void dropDownMenuPoint();

    void buttonWithoutGroupClicks();
    void dragOutsideDoesNotClick();
    void groupIsExclusive();
    void allowAllUpLetsTheLastGoUp();
    void disabledLook();
    void buttonCount();
    void cursorsAreRegistered();
};

void TestGlyphCtrls::glyphCount_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("expected");
    QTest::newRow("64x16") << 64 << 16 << 4;
    QTest::newRow("96x16: six would exceed five") << 96 << 16 << 1;
    QTest::newRow("80x16") << 80 << 16 << 5;
    QTest::newRow("16x16") << 16 << 16 << 1;
    QTest::newRow("40x16: not a multiple, count kept") << 40 << 16 << 2;
}

void TestGlyphCtrls::glyphCount() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, expected);
    TButtonGlyph glyph;
    glyph.SetNumGlyphs(2);
    QImage img(width, height, QImage::Format_ARGB32);
    img.fill(Qt::white);
    img.setPixel(0, height - 1, qRgb(1, 2, 3));
    glyph.SetGlyph(img);
    QCOMPARE(glyph.NumGlyphs(), expected);
    QCOMPARE(glyph.TransparentColor(), qRgb(1, 2, 3));
    QCOMPARE(glyph.ImageSize(), QSize(width / expected, height));
}

void TestGlyphCtrls::looksFromColumns() {
    const QList<QRgb> colours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF};
    TButtonGlyph five;
    five.SetGlyph(columns(5, 16, colours));
    QCOMPARE(five.NumGlyphs(), 5);
    for (int look = bsUp; look <= bsInactive; ++look) {
        const QImage img = five.Image(TButtonState(look));
        QCOMPARE(img.size(), QSize(16, 16));
        QCOMPARE(img.pixel(centre(16)), colours[look]);
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0); // the fuchsia ground is see-through
    }

    // Two columns: disabled is the second, down and exclusive reuse the first.
    TButtonGlyph two;
    two.SetGlyph(columns(2, 16, colours));
    QCOMPARE(two.Image(bsDisabled).pixel(centre(16)), colours[1]);
    QCOMPARE(two.Image(bsDown).pixel(centre(16)), colours[0]);
    QCOMPARE(two.Image(bsExclusive).pixel(centre(16)), colours[0]);

    // Pictures are built on demand and dropped with a new bitmap.
    QVERIFY(two.IsBuilt(bsDown));
    QVERIFY(!two.IsBuilt(bsInactive));
    two.SetGlyph(columns(1, 16, colours));
    QVERIFY(!two.IsBuilt(bsDown));
    QVERIFY(TButtonGlyph().Image(bsUp).isNull());
}

void TestGlyphCtrls::disabledAndInactiveMadeFromFirstColumn() {
    TButtonGlyph glyph;
    glyph.SetGlyph(columns(1, 16, {0xFFFF0000}));
    const QPalette pal = QApplication::palette();

    // Disabled: the drawn square in the shadow colour, its highlight copy one pixel
    // down and right, the rest see-through.
    const QImage disabled = glyph.Image(bsDisabled);
    QCOMPARE(disabled.pixel(centre(16)), pal.color(QPalette::Dark).rgba());
    QCOMPARE(disabled.pixel(12, 12), pal.color(QPalette::Light).rgba());
    QCOMPARE(qAlpha(disabled.pixel(1, 1)), 0);

    // Inactive: grey by 77 red + 150 green + 29 blue over 256.
    const QImage inactive = glyph.Image(bsInactive);
    const int g = 77 * 255 / 256;
    QCOMPARE(inactive.pixel(centre(16)), qRgb(g, g, g));
    QCOMPARE(qAlpha(inactive.pixel(1, 1)), 0);
}

void TestGlyphCtrls::shortenedCaption() {
    const QFontMetrics fm(QApplication::font());
    const QString text = QStringLiteral("Платёжное поручение");
    QCOMPARE(glyphdraw::ShortenTextToWidth(text, 10000, fm), text);
    const int width = fm.horizontalAdvance(QStringLiteral("Платёж..."));
    const QString cut = glyphdraw::ShortenTextToWidth(text, width, fm);
    QVERIFY(cut.endsWith(QStringLiteral("...")));
    QVERIFY(fm.horizontalAdvance(cut) <= width);
    QVERIFY(text.startsWith(cut.chopped(3)));
}

void TestGlyphCtrls::dropDownMenuPoint_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("below, left") << int(dmBelow) << int(maLeft) << QPoint(-1, 25);
    QTest::newRow("below, right") << int(dmBelow) << int(maRight) << QPoint(41, 25);
    QTest::newRow("below, centre") << int(dmBelow) << int(maCenter) << QPoint(20, 25);
    QTest::newRow("beside, left") << int(dmBeside) << int(maLeft) << QPoint(40, -1);
    QTest::newRow("beside, right") << int(dmBeside) << int(maRight) << QPoint(-1, -1);
    QTest::newRow("beside, centre") << int(dmBeside) << int(maCenter) << QPoint(20, 25);
}

void TestGlyphCtrls::dropDownMenuPoint() {
    QFETCH(int, position);
    QFETCH(int, alignment);
    QFETCH(QPoint, expected);
    QCOMPARE(TGlyphSpeedButton::DropDownMenuPoint(QSize(40, 25), position, TMenuAlignment(alignment)),
             expected);
}

// ---- States under the mouse -------------------------------------------------------

void TestGlyphCtrls::buttonWithoutGroupClicks() {
    QWidget parent;
    auto *button = new TGlyphSpeedButton(&parent);
    QCOMPARE(button->size(), QSize(25, 25));
    parent.show();
    QSignalSpy clicks(button, &TGlyphSpeedButton::clicked);
    QTest::mousePress(button, Qt::LeftButton);
    QCOMPARE(button->State(), bsDown);
    QTest::mouseRelease(button, Qt::LeftButton);
    QCOMPARE(button->State(), bsUp);
    QCOMPARE(clicks.count(), 1);
    button->SetDown(true); // no group: stays up
    QVERIFY(!button->Down());
    QCOMPARE(button->State(), bsUp);
}

void TestGlyphCtrls::dragOutsideDoesNotClick() {
    QWidget parent;
    parent.resize(200, 100);
    auto *button = new TGlyphSpeedButton(&parent);
    parent.show();
    QSignalSpy clicks(button, &TGlyphSpeedButton::clicked);
    QTest::mousePress(button, Qt::LeftButton);
    QMouseEvent out(QEvent::MouseMove, QPointF(100, 60), button->mapToGlobal(QPointF(100, 60)), Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &out);
    QCOMPARE(button->State(), bsUp);
    QMouseEvent back(QEvent::MouseMove, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &back);
    QCOMPARE(button->State(), bsDown);
    QApplication::sendEvent(button, &out);
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(100, 60));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(button->State(), bsUp);
}

void TestGlyphCtrls::groupIsExclusive() {
    QWidget parent;
    TGlyphSpeedButton *b[3];
    for (int i = 0; i < 3; ++i) {
        b[i] = new TGlyphSpeedButton(&parent);
        b[i]->move(i * 30, 0);
        b[i]->SetGroupIndex(1);
    }
    auto *other = new TGlyphSpeedButton(&parent); // another group
    other->SetGroupIndex(2);
    other->SetDown(true);
    parent.show();
    QSignalSpy clicks(b[1], &TGlyphSpeedButton::clicked);

    QTest::mouseClick(b[0], Qt::LeftButton);
    QVERIFY(b[0]->Down());
    QCOMPARE(b[0]->State(), bsExclusive);

    QTest::mouseClick(b[1], Qt::LeftButton);
    QVERIFY(b[1]->Down());
    QVERIFY(!b[0]->Down());
    QCOMPARE(b[0]->State(), bsUp);
    QCOMPARE(b[1]->State(), bsExclusive);
    QVERIFY(other->Down());

    // Clicked again without AllowAllUp: stays down, and still clicks.
    QTest::mouseClick(b[1], Qt::LeftButton);
    QVERIFY(b[1]->Down());
    QCOMPARE(b[1]->State(), bsExclusive);
    QCOMPARE(clicks.count(), 2);
    b[1]->SetDown(false);
    QVERIFY(b[1]->Down());

    b[2]->SetDown(true);
    QVERIFY(!b[1]->Down());
    QVERIFY(b[2]->Down());
}

void TestGlyphCtrls::allowAllUpLetsTheLastGoUp() {
    QWidget parent;
    auto *a = new TGlyphSpeedButton(&parent);
    auto *b = new TGlyphSpeedButton(&parent);
    b->move(30, 0);
    a->SetGroupIndex(3);
    b->SetGroupIndex(3);
    parent.show();
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(b->Down());
    a->SetAllowAllUp(true); // the whole group takes it
    QVERIFY(b->AllowAllUp());
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(!b->Down());
    QCOMPARE(b->State(), bsUp);
    QVERIFY(!a->Down());
}

void TestGlyphCtrls::disabledLook() {
    QWidget parent;
    auto *button = new TGlyphSpeedButton(&parent);
    button->SetGroupIndex(1);
    button->SetDown(true);
    parent.show();
    button->setEnabled(false);
    QCOMPARE(button->State(), bsDisabled);
    QSignalSpy clicks(button, &TGlyphSpeedButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicks.count(), 0);
    button->setEnabled(true);
    QCOMPARE(button->State(), bsExclusive);
    button->grab(); // paints every look path without failing
}

void TestGlyphCtrls::buttonCount() {
    const int before = TGlyphSpeedButton::ButtonCount();
    {
        TGlyphSpeedButton a, b;
        QCOMPARE(TGlyphSpeedButton::ButtonCount(), before + 2);
    }
    QCOMPARE(TGlyphSpeedButton::ButtonCount(), before);
}

void TestGlyphCtrls::cursorsAreRegistered() {
    QCOMPARE(ScreenCursor(crHand).shape(), Qt::ArrowCursor);
    RegisterControlCursors();
    RegisterControlCursors();
    for (int id : {crHand, crDragHand}) {
        const QCursor cursor = ScreenCursor(id);
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
    }
    QCOMPARE(ScreenCursor(crHand).hotSpot(), QPoint(9, 1));
}

QTEST_MAIN(TestGlyphCtrls)
#include "tst_GlyphCtrls.moc"

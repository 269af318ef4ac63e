// The reusable controls: the spin arrows and the colour palette popup.
#include "app/ColourUtil.h"
#include "ui/controls/ColourPalette.h"
#include "ui/controls/SpinButtons.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class TstControls : public QObject {
    Q_OBJECT
private slots:
    void spinReportsOneClickWithDirection_data();
    void spinReportsOneClickWithDirection();
    void spinArrowsSitWhereTheyPoint_data();
    void spinArrowsSitWhereTheyPoint();
    void disabledSpinReportsNothing();

    void paletteHoldsStoredColours_data();
    void paletteHoldsStoredColours();
    void paletteStartsFromCurrentColour_data();
    void paletteStartsFromCurrentColour();
    void paletteShowsCurrentColourInStrip();
    void paletteClickChoosesAndCloses();
    void paletteKeyboardChooses_data();
    void paletteKeyboardChooses();
    void paletteEscapeClosesWithoutChoice();
};

void TstControls::spinReportsOneClickWithDirection_data() {
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<QString>("clicks"); // '+' increasing arrow, '-' decreasing arrow
    QTest::addColumn<QList<int>>("reported");
    QTest::newRow("vertical up") << Qt::Vertical << "+" << QList<int>{0};
    QTest::newRow("vertical down") << Qt::Vertical << "-" << QList<int>{1};
    QTest::newRow("vertical mixed") << Qt::Vertical << "+-+" << QList<int>{0, 1, 0};
    QTest::newRow("horizontal right") << Qt::Horizontal << "+" << QList<int>{0};
    QTest::newRow("horizontal left") << Qt::Horizontal << "-" << QList<int>{1};
    QTest::newRow("horizontal mixed") << Qt::Horizontal << "--+" << QList<int>{1, 1, 0};
}

void TstControls::spinReportsOneClickWithDirection() {
    QFETCH(Qt::Orientation, orientation);
    QFETCH(QString, clicks);
    QFETCH(QList<int>, reported);
    SpinButtons spin(orientation);
    spin.show();
    QSignalSpy spy(&spin, &SpinButtons::SpinClicked);
    for (QChar c : clicks)
        QTest::mouseClick(c == '+' ? spin.IncreaseButton() : spin.DecreaseButton(), Qt::LeftButton);
    QList<int> got;
    for (const QList<QVariant>& args : spy)
        got << args.at(0).toInt();
    QCOMPARE(got, reported);
}

void TstControls::spinArrowsSitWhereTheyPoint_data() {
    QTest::addColumn<bool>("switchOrientation");
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::newRow("vertical") << false << Qt::Vertical;
    QTest::newRow("horizontal") << false << Qt::Horizontal;
    QTest::newRow("vertical made horizontal") << true << Qt::Horizontal;
}

// The increasing arrow points up (on top) or right (on the right).
void TstControls::spinArrowsSitWhereTheyPoint() {
    QFETCH(bool, switchOrientation);
    QFETCH(Qt::Orientation, orientation);
    SpinButtons spin(switchOrientation ? Qt::Vertical : orientation);
    if (switchOrientation)
        spin.SetOrientation(orientation);
    spin.show();
    const QRect up = spin.IncreaseButton()->geometry();
    const QRect down = spin.DecreaseButton()->geometry();
    QVERIFY(!up.intersects(down));
    if (orientation == Qt::Vertical) {
        QCOMPARE(spin.IncreaseButton()->arrowType(), Qt::UpArrow);
        QCOMPARE(spin.DecreaseButton()->arrowType(), Qt::DownArrow);
        QVERIFY(up.bottom() < down.top());
        QVERIFY(spin.height() > spin.width());
    } else {
        QCOMPARE(spin.IncreaseButton()->arrowType(), Qt::RightArrow);
        QCOMPARE(spin.DecreaseButton()->arrowType(), Qt::LeftArrow);
        QVERIFY(down.right() < up.left());
        QVERIFY(spin.width() > spin.height());
    }
}

void TstControls::disabledSpinReportsNothing() {
    SpinButtons spin;
    spin.show();
    spin.setEnabled(false);
    QSignalSpy spy(&spin, &SpinButtons::SpinClicked);
    QTest::mouseClick(spin.IncreaseButton(), Qt::LeftButton);
    QTest::mouseClick(spin.DecreaseButton(), Qt::LeftButton);
    QCOMPARE(spy.count(), 0);
}

void TstControls::paletteHoldsStoredColours_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<qint32>("stored"); // red in the low byte
    QTest::newRow("white") << 0 << qint32(0xFFFFFF);
    QTest::newRow("black") << 5 << qint32(0x000000);
    QTest::newRow("pure red") << 8 << qint32(0x0000FF);
    QTest::newRow("orange FF8000") << 14 << qint32(0x0080FF);
    QTest::newRow("dark orange C04000") << 15 << qint32(0x0040C0);
    QTest::newRow("brown 804040") << 17 << qint32(0x404080);
    QTest::newRow("pure green") << 26 << qint32(0x00FF00);
    QTest::newRow("pure blue") << 38 << qint32(0xFF0000);
    QTest::newRow("light blue C0C0FF") << 36 << qint32(0xFFC0C0);
    QTest::newRow("last magenta 400040") << 47 << qint32(0x400040);
}

void TstControls::paletteHoldsStoredColours() {
    QFETCH(int, index);
    QFETCH(qint32, stored);
    QCOMPARE(ColourPalette::PaletteColour(index), stored);
    QCOMPARE(ColourPalette::IndexOf(stored), index);
    QSet<qint32> distinct;
    for (int i = 0; i < ColourPalette::Count; ++i)
        distinct.insert(ColourPalette::PaletteColour(i));
    QCOMPARE(distinct.size(), 48);
}

void TstControls::paletteStartsFromCurrentColour_data() {
    QTest::addColumn<qint32>("current");
    QTest::addColumn<int>("marked");
    QTest::newRow("pure red") << qint32(255) << 8;
    QTest::newRow("orange") << qint32(0x0080FF) << 14;
    QTest::newRow("red and blue swapped is another colour") << qint32(0xFF8000) << -1;
    QTest::newRow("not in the palette") << qint32(12345) << -1;
}

void TstControls::paletteStartsFromCurrentColour() {
    QFETCH(qint32, current);
    QFETCH(int, marked);
    ColourPalette palette;
    palette.SetColour(current);
    palette.ShowPalette(QPoint(10, 10));
    QVERIFY(palette.isVisible());
    QCOMPARE(palette.Colour(), current);
    QCOMPARE(palette.SelectedIndex(), marked);
}

void TstControls::paletteShowsCurrentColourInStrip() {
    ColourPalette palette;
    palette.SetColour(0x0080FF); // orange, stored with red in the low byte
    const QImage image = palette.grab().toImage();
    QCOMPARE(image.pixelColor(palette.CurrentStripRect().center()), QColor(255, 128, 0));
    QCOMPARE(image.pixelColor(palette.CellRect(38).center()), QColor(0, 0, 255));
}

void TstControls::paletteClickChoosesAndCloses() {
    QWidget anchor;
    anchor.resize(60, 20);
    anchor.show();
    ColourPalette palette;
    palette.SetColour(255);
    palette.ShowPalette(&anchor);
    QVERIFY(palette.isVisible());
    QSignalSpy spy(&palette, &ColourPalette::ColorClick);
    QTest::mouseClick(&palette, Qt::LeftButton, {}, palette.CellRect(38).center());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<qint32>(), qint32(0xFF0000));
    QVERIFY(!palette.isVisible());
    QCOMPARE(palette.Colour(), qint32(0xFF0000));
}

void TstControls::paletteKeyboardChooses_data() {
    QTest::addColumn<qint32>("current");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<qint32>("chosen");
    QTest::newRow("enter keeps red") << qint32(255) << QList<int>{Qt::Key_Return} << qint32(255);
    QTest::newRow("right of red") << qint32(255) << QList<int>{Qt::Key_Right, Qt::Key_Return}
                                  << qint32(0x0000C0);
    QTest::newRow("below red") << qint32(255) << QList<int>{Qt::Key_Down, Qt::Key_Space}
                               << qint32(0x0080FF);
    QTest::newRow("left edge stops")
        << qint32(0xFFFFFF) << QList<int>{Qt::Key_Left, Qt::Key_Up, Qt::Key_Return}
        << qint32(0xFFFFFF);
    QTest::newRow("foreign colour starts at first swatch")
        << qint32(12345) << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Return}
        << qint32(0xE0E0E0);
}

void TstControls::paletteKeyboardChooses() {
    QFETCH(qint32, current);
    QFETCH(QList<int>, keys);
    QFETCH(qint32, chosen);
    ColourPalette palette;
    palette.SetColour(current);
    palette.ShowPalette(QPoint(0, 0));
    QSignalSpy spy(&palette, &ColourPalette::ColorClick);
    for (int key : keys)
        QTest::keyClick(&palette, Qt::Key(key));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<qint32>(), chosen);
    QVERIFY(!palette.isVisible());
}

void TstControls::paletteEscapeClosesWithoutChoice() {
    ColourPalette palette;
    palette.SetColour(255);
    palette.ShowPalette(QPoint(0, 0));
    QSignalSpy spy(&palette, &ColourPalette::ColorClick);
    QTest::keyClick(&palette, Qt::Key_Right);
    QTest::keyClick(&palette, Qt::Key_Escape);
    QVERIFY(!palette.isVisible());
    QCOMPARE(spy.count(), 0);
    QCOMPARE(palette.Colour(), qint32(255));
}

QTEST_MAIN(TstControls)
#include "tst_controls.moc"

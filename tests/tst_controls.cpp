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

    void paletteHoldsStoredColours_data();
    void paletteHoldsStoredColours();
    void paletteShowsCurrentColourInStrip();
    void paletteClickChoosesAndCloses();
    void paletteKeyboardChooses_data();
    void paletteKeyboardChooses();
};

void TstControls::spinReportsOneClickWithDirection_data() {
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("clicks"); // '+' increasing arrow, '-' decreasing arrow
    QTest::addColumn<QList<int>>("reported");
    QTest::newRow("vertical") << Qt::Vertical << true << "+-+" << QList<int>{0, 1, 0};
    QTest::newRow("horizontal") << Qt::Horizontal << true << "--+" << QList<int>{1, 1, 0};
    QTest::newRow("disabled") << Qt::Vertical << false << "+-" << QList<int>{};
}

void TstControls::spinReportsOneClickWithDirection() {
    QFETCH(Qt::Orientation, orientation);
    QFETCH(bool, enabled);
    QFETCH(QString, clicks);
    QFETCH(QList<int>, reported);
    SpinButtons spin(orientation);
    spin.show();
    spin.setEnabled(enabled);
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

void TstControls::paletteHoldsStoredColours_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<qint32>("stored"); // red in the low byte
    // Stored in settings and appointment types: the first, the last, and
    // one whose red and blue differ.
    QTest::newRow("white") << 0 << qint32(0xFFFFFF);
    QTest::newRow("orange FF8000") << 14 << qint32(0x0080FF);
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
    QTest::addColumn<int>("marked"); // the swatch marked on opening
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<qint32>("chosen"); // -1: none
    QTest::newRow("right of red") << qint32(255) << 8 << QList<int>{Qt::Key_Right, Qt::Key_Return}
                                  << qint32(0x0000C0);
    QTest::newRow("below red") << qint32(255) << 8 << QList<int>{Qt::Key_Down, Qt::Key_Space}
                               << qint32(0x0080FF);
    QTest::newRow("left edge stops")
        << qint32(0xFFFFFF) << 0 << QList<int>{Qt::Key_Left, Qt::Key_Up, Qt::Key_Return}
        << qint32(0xFFFFFF);
    QTest::newRow("orange with red and blue swapped is foreign: from the first swatch")
        << qint32(0xFF8000) << -1 << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Return}
        << qint32(0xE0E0E0);
    QTest::newRow("escape closes without a choice")
        << qint32(0x0080FF) << 14 << QList<int>{Qt::Key_Right, Qt::Key_Escape} << qint32(-1);
}

void TstControls::paletteKeyboardChooses() {
    QFETCH(qint32, current);
    QFETCH(int, marked);
    QFETCH(QList<int>, keys);
    QFETCH(qint32, chosen);
    ColourPalette palette;
    palette.SetColour(current);
    palette.ShowPalette(QPoint(0, 0));
    QVERIFY(palette.isVisible());
    QCOMPARE(palette.SelectedIndex(), marked);
    QSignalSpy spy(&palette, &ColourPalette::ColorClick);
    for (int key : keys)
        QTest::keyClick(&palette, Qt::Key(key));
    QVERIFY(!palette.isVisible());
    QCOMPARE(spy.count(), chosen < 0 ? 0 : 1);
    QCOMPARE(chosen < 0 ? palette.Colour() : spy.at(0).at(0).value<qint32>(),
             chosen < 0 ? current : chosen);
}

QTEST_MAIN(TstControls)
#include "tst_controls.moc"

// The reusable controls: the spin arrows and the colour palette popup.
#include "ui/controls/ColourPalette.h"
#include "ui/controls/IconFactory.h"
#include "ui/controls/PaintedAccessible.h"
#include "ui/controls/SpinButtons.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class TstControls : public QObject {
    Q_OBJECT
private slots:
    void spinArrowsPointAndReportTheirDirection_data();
    void spinArrowsPointAndReportTheirDirection();

    void toolbarPicturesDiffer();

    void paletteIndexAndColourAgree();
    void paletteShowsCurrentColourInStrip();
    void paletteKeyboardChooses_data();
    void paletteKeyboardChooses();
};

void TstControls::spinArrowsPointAndReportTheirDirection_data() {
    QTest::addColumn<Qt::Orientation>("built");
    QTest::addColumn<Qt::Orientation>("orientation"); // set afterwards
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("clicks"); // '+' increasing arrow, '-' decreasing arrow
    QTest::addColumn<QList<int>>("reported");
    const auto V = Qt::Vertical;
    const auto H = Qt::Horizontal;
    QTest::newRow("vertical") << V << V << true << "+-+" << QList<int>{0, 1, 0};
    QTest::newRow("horizontal") << H << H << true << "--+" << QList<int>{1, 1, 0};
    QTest::newRow("vertical made horizontal") << V << H << true << "-+" << QList<int>{1, 0};
    QTest::newRow("disabled") << V << V << false << "+-" << QList<int>{};
}

// The increasing arrow points up (on top) or right (on the right) and
// reports 0, the decreasing one 1.
void TstControls::spinArrowsPointAndReportTheirDirection() {
    QFETCH(Qt::Orientation, built);
    QFETCH(Qt::Orientation, orientation);
    QFETCH(bool, enabled);
    QFETCH(QString, clicks);
    QFETCH(QList<int>, reported);
    SpinButtons spin(built);
    spin.SetOrientation(orientation);
    spin.show();
    const bool vertical = orientation == Qt::Vertical;
    QCOMPARE(spin.IncreaseButton()->arrowType(), vertical ? Qt::UpArrow : Qt::RightArrow);
    QCOMPARE(spin.DecreaseButton()->arrowType(), vertical ? Qt::DownArrow : Qt::LeftArrow);
    const QRect up = spin.IncreaseButton()->geometry();
    const QRect down = spin.DecreaseButton()->geometry();
    QVERIFY(vertical ? up.bottom() < down.top() : down.right() < up.left());

    spin.setEnabled(enabled);
    QSignalSpy spy(&spin, &SpinButtons::SpinClicked);
    for (QChar c : clicks)
        QTest::mouseClick(c == '+' ? spin.IncreaseButton() : spin.DecreaseButton(), Qt::LeftButton);
    QList<int> got;
    for (const QList<QVariant>& args : spy)
        got << args.at(0).toInt();
    QCOMPARE(got, reported);
}

// Every toolbar command has a picture of its own (Submit shares Write's pen, Calendar Watch's face).
void TstControls::toolbarPicturesDiffer() {
    const QStringList names = {"Exit", "Binocular", "Write", "Watch", "Today", "Config", "Group", "Resource",
                               "Print", "Screen", "Help", "Delete", "Move", "Repeat",
                               "Previous", "Next", "Task", "Customer"};
    QHash<QByteArray, QString> seen;
    for (const QString& name : names) {
        const QImage image = IconFactory::Icon(name).pixmap(32, 32).toImage();
        QVERIFY2(!image.isNull(), qPrintable(name));
        const QByteArray bits(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        QVERIFY2(!seen.contains(bits), qPrintable(name + " looks like " + seen.value(bits)));
        seen.insert(bits, name);
    }
}

// Stored colours (settings, appointment types) find their swatch again.
void TstControls::paletteIndexAndColourAgree() {
    QCOMPARE(ColourPalette::Count, 48);
    for (int i = 0; i < ColourPalette::Count; ++i)
        QCOMPARE(ColourPalette::IndexOf(ColourPalette::PaletteColour(i)), i);
}

void TstControls::paletteShowsCurrentColourInStrip() {
    ColourPalette palette;
    palette.SetColour(0x0080FF); // orange, stored with red in the low byte
    const QImage image = palette.grab().toImage();
    QCOMPARE(image.pixelColor(palette.CurrentStripRect().center()), QColor(255, 128, 0));
    QCOMPARE(image.pixelColor(palette.CellRect(38).center()), QColor(0, 0, 255));
}

// A step of the palette tables above a key code: assistive technology asks
// swatch n for its press action (kPress + n) or for another action (kOther + n).
constexpr int kPress = 0x10000;
constexpr int kOther = 0x20000;

void TstControls::paletteKeyboardChooses_data() {
    QTest::addColumn<qint32>("current");
    QTest::addColumn<int>("marked"); // the swatch marked on opening
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<qint32>("chosen"); // -1: none
    QTest::newRow("right of red") << qint32(255) << 8 << QList<int>{Qt::Key_Right, Qt::Key_Return}
                                  << qint32(0x0000C0);
    QTest::newRow("left of red") << qint32(255) << 8 << QList<int>{Qt::Key_Left, Qt::Key_Return}
                                 << qint32(0x8080FF);
    QTest::newRow("above orange") << qint32(0x0080FF) << 14 << QList<int>{Qt::Key_Up, Qt::Key_Return}
                                  << qint32(0x0000FF);
    QTest::newRow("bottom edge stops") << qint32(0x400040) << 47 << QList<int>{Qt::Key_Down, Qt::Key_Return}
                                       << qint32(0x400040);
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
    QTest::newRow("a screen reader presses a swatch")
        << qint32(255) << 8 << QList<int>{kPress + 38} << qint32(0xFF0000);
    QTest::newRow("another action chooses nothing")
        << qint32(255) << 8 << QList<int>{kOther + 38, Qt::Key_Escape} << qint32(-1);
}

void TstControls::paletteKeyboardChooses() {
    QFETCH(qint32, current);
    QFETCH(int, marked);
    QFETCH(QList<int>, keys);
    QFETCH(qint32, chosen);
    PaintedAccessible::Install();
    ColourPalette palette;
    palette.SetColour(current);
    palette.ShowPalette(QPoint(0, 0));
    QVERIFY(palette.isVisible());
    QCOMPARE(palette.SelectedIndex(), marked);
    QSignalSpy spy(&palette, &ColourPalette::ColorClick);
    for (int key : keys) {
        if (key < kPress || key >= kOther + ColourPalette::Count) {
            QTest::keyClick(&palette, Qt::Key(key));
            continue;
        }
        QAccessibleInterface* swatch = QAccessible::queryAccessibleInterface(&palette)->child(key % kPress);
        QVERIFY(swatch && swatch->actionInterface());
        swatch->actionInterface()->doAction(key < kOther ? QAccessibleActionInterface::pressAction()
                                                         : QAccessibleActionInterface::showMenuAction());
    }
    QVERIFY(!palette.isVisible());
    QCOMPARE(spy.count(), chosen < 0 ? 0 : 1);
    // The palette shows what was chosen (or still what it had) when it opens again.
    QCOMPARE(palette.Colour(), chosen < 0 ? current : chosen);
    if (chosen >= 0)
        QCOMPARE(spy.at(0).at(0).value<qint32>(), chosen);
}

QTEST_MAIN(TstControls)
#include "tst_controls.moc"

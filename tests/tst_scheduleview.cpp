// Tests of the schedule view, driven as a user drives it: pixels to rows and
// times and back, drops, hovering, double-clicks, the name column divider,
// scrolling, colours on the screen and printed pages read back from a PDF.

#include "app/ColourUtil.h"
#include "ui/controls/ScheduleMapper.h"
#include "ui/controls/SchedulePageLayout.h"
#include "ui/controls/ScheduleText.h"
#include "ui/controls/ScheduleView.h"

#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr qint32 kMonday = 46354; // Monday 30 November 2026
constexpr int kListWidth = 100;

// Date count the window shows in each resolution.
int LastOffset(int timeType) {
    return timeType == 0 ? 0 : (timeType == 1 ? 32 : 60);
}

// A view as the main window sets it up: settings first, then rows, shown.
std::unique_ptr<ScheduleView> MakeView(int timeType, int dayStart, int dayEnd, int timeDistance,
                                       int secondSpacing, int rows = 8) {
    auto view = std::make_unique<ScheduleView>();
    view->resize(900, 420);
    view->SetListWidth(kListWidth);
    view->SetDayStart(dayStart);
    view->SetDayEnd(dayEnd);
    view->SetTimeDistance(timeDistance);
    view->SetSecondSpacing(secondSpacing);
    view->SetTimeType(timeType);
    view->SetFirstDate(kMonday);
    view->SetLastDate(kMonday + LastOffset(timeType));
    view->SetTitle(QStringLiteral("Treatment rooms"));
    for (int i = 1; i <= rows; ++i) {
        const int row = view->AddRow(QStringLiteral("Room %1").arg(i));
        view->SetRowData(row, 100 + i);
    }
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        return nullptr;
    return view;
}

int RowY(const ScheduleView& view, int row) {
    return view.HeaderHeight() + (row - 1) * view.RowHeight() + view.RowHeight() / 2;
}

QPoint ToViewport(const ScheduleView& view, const QPoint& point) {
    return view.viewport()->mapFrom(&view, point);
}

// Prints the view on A4 into a PDF file and reads its text back; empty when
// the view could not print.
QString PrintedText(ScheduleView& view, QPageLayout::Orientation orientation) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("schedule.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientation);
    if (!view.PrintTo(&printer))
        return QString();
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool ImageHasColour(const QImage& image, const QColor& colour) {
    const QRgb wanted = colour.rgb();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] | 0xFF000000u) == wanted)
                return true;
        }
    }
    return false;
}

} // namespace

class TestScheduleView : public QObject {
    Q_OBJECT

private slots:
    void keyboardMovesTheCurrentRow_data();
    void keyboardMovesTheCurrentRow();
    void pageKeysKeepTheRowInView();
    void pixelToTime_data();
    void pixelToTime();
    void pointsOutsideTheRows_data();
    void pointsOutsideTheRows();
    void barUnderPoint_data();
    void barUnderPoint();
    void barIndexMatchesFullScan();
    void dropFromLegend_data();
    void dropFromLegend();
    void barPressAndDrag();
    void clickAndDoubleClickOnNames();
    void rowsAndBarsContract();
    void scrollingAndRefills();
    void paintsColours();
    void rulerTexts_data();
    void rulerTexts();
    void pageSpans_data();
    void pageSpans();
    void pageOrder();
    void printsEveryNameOnSeveralPages();
    void printedRulerFollowsClockSwitches_data();
    void printedRulerFollowsClockSwitches();
    void printColourSwitches_data();
    void printColourSwitches();
};

void TestScheduleView::pixelToTime_data() {
    QTest::addColumn<int>("timeType");
    QTest::addColumn<int>("dayStart");
    QTest::addColumn<int>("dayEnd");
    QTest::addColumn<int>("timeDistance");
    QTest::addColumn<int>("secondSpacing");
    QTest::addColumn<int>("dx"); // pixels right of the name column, not scrolled
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("dateOffset");
    QTest::addColumn<int>("minute");

    // Hours: one column per date, time distance pixels per hour.
    QTest::newRow("hours, 9:30") << 0 << 480 << 1080 << 60 << 5 << 90 << 3 << 0 << 570;
    QTest::newRow("hours, last pixel") << 0 << 480 << 1080 << 60 << 5 << 599 << 8 << 0 << 1079;
    QTest::newRow("hours, double scale") << 0 << 480 << 1080 << 120 << 10 << 30 << 2 << 0 << 495;
    QTest::newRow("hours, day from 7:15") << 0 << 435 << 1080 << 60 << 5 << 45 << 4 << 0 << 480;
    // Days: second spacing pixels per hour, the working day in each column.
    QTest::newRow("days, 4th date 13:00") << 1 << 480 << 1080 << 60 << 5 << 175 << 5 << 3 << 780;
    QTest::newRow("days, empty span shows whole day") << 1 << 600 << 600 << 60 << 5 << 180 << 6
                                                      << 1 << 720;
    // Weeks: half the day resolution's hour width.
    QTest::newRow("weeks, 11th date 10:00") << 2 << 480 << 1080 << 60 << 5 << 255 << 7 << 10 << 600;
}

void TestScheduleView::pixelToTime() {
    QFETCH(int, timeType);
    QFETCH(int, dayStart);
    QFETCH(int, dayEnd);
    QFETCH(int, timeDistance);
    QFETCH(int, secondSpacing);
    QFETCH(int, dx);
    QFETCH(int, row);
    QFETCH(int, dateOffset);
    QFETCH(int, minute);
    auto view = MakeView(timeType, dayStart, dayEnd, timeDistance, secondSpacing, 30);
    QVERIFY(view);

    const QPoint point(kListWidth + dx, RowY(*view, row));
    const ScheduleView::Hit hit = view->HitTest(point);
    QVERIFY(hit.onTime);
    QCOMPARE(hit.row, row);
    QCOMPARE(hit.date, kMonday + dateOffset);
    QCOMPARE(hit.minute, minute);
    // And back: the same time maps to the same pixel.
    QCOMPARE(view->PointForTime(row, kMonday + dateOffset, minute), point);

    // The last minute of the last date, scrolled into view with row 25.
    const qint32 last = kMonday + LastOffset(timeType);
    const int end = (dayEnd > dayStart ? dayEnd : 1440) - 1;
    view->SetCurrentRow(25);
    view->ShowTime(last, end);
    const QPoint far = view->PointForTime(25, last, end);
    const QRect grid(kListWidth, view->HeaderHeight(), view->viewport()->width() - kListWidth,
                     view->viewport()->height() - view->HeaderHeight());
    QVERIFY2(grid.contains(ToViewport(*view, far)), "the time is not in view");
    const ScheduleView::Hit farHit = view->HitTest(far);
    QCOMPARE(farHit.row, 25);
    QCOMPARE(farHit.date, last);
    // One pixel may hold several minutes; it holds this one.
    const double pixelsPerHour =
        timeType == 0 ? timeDistance : (timeType == 1 ? secondSpacing : secondSpacing / 2.0);
    QVERIFY2(farHit.minute <= end && end - farHit.minute < std::ceil(60 / pixelsPerHour),
             qPrintable(QStringLiteral("pixel starts at minute %1").arg(farHit.minute)));
}

void TestScheduleView::pointsOutsideTheRows_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("rowOrOffset"); // row, or -1 for the ruler, 99 below the rows
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("onTime");
    QTest::addColumn<bool>("onNames");

    QTest::newRow("name of row 2") << 40 << 2 << 2 << false << true;
    QTest::newRow("ruler") << 300 << -1 << 0 << false << false;
    QTest::newRow("title cell") << 40 << -1 << 0 << false << false;
    QTest::newRow("below the last row") << 300 << 99 << 0 << true << false;
    QTest::newRow("right of the working day") << kListWidth + 650 << 2 << 2 << false << false;
}

void TestScheduleView::pointsOutsideTheRows() {
    QFETCH(int, x);
    QFETCH(int, rowOrOffset);
    QFETCH(int, row);
    QFETCH(bool, onTime);
    QFETCH(bool, onNames);
    auto view = MakeView(0, 480, 1080, 60, 5, 3); // 600 pixels of time, three rows
    QVERIFY(view);
    int y = view->HeaderHeight() / 2;
    if (rowOrOffset == 99)
        y = RowY(*view, 3) + 2 * view->RowHeight();
    else if (rowOrOffset > 0)
        y = RowY(*view, rowOrOffset);
    const ScheduleView::Hit hit = view->HitTest(QPoint(x, y));
    QCOMPARE(hit.row, row);
    QCOMPARE(hit.onTime, onTime);
    QCOMPARE(hit.onNames, onNames);
    QCOMPARE(hit.bar, 0);
}

void TestScheduleView::barUnderPoint_data() {
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("bar");

    // Bars of row 2, added in this order (hours, 8:00 to 18:00, 1 pixel a
    // minute): 1 = 9:00-10:00, 2 = 10:00-11:00, 3 = 9:30-10:30 (added out of
    // order), 4 = 16:40-20:00, 5 = 7:00-8:20, 6 = 11:40 with no length,
    // 7 = 19:00-20:00 (after the working day).
    QTest::newRow("overlap: later start on top") << 575 << 3;
    QTest::newRow("second starts where third runs") << 600 << 2;
    QTest::newRow("end is not part of the bar") << 660 << 0;
    QTest::newRow("runs past the day end") << 1079 << 4;
    QTest::newRow("starts before the day start") << 480 << 5;
    QTest::newRow("no bar") << 500 << 0;
    QTest::newRow("no length, drawn two pixels") << 701 << 6;
    QTest::newRow("after the short bar") << 702 << 0;
}

void TestScheduleView::barUnderPoint() {
    QFETCH(int, minute);
    QFETCH(int, bar);
    auto view = MakeView(0, 480, 1080, 60, 5, 3);
    QVERIFY(view);
    const struct {
        int start, end;
    } bars[] = {{540, 600}, {600, 660}, {570, 630}, {1000, 1200}, {420, 500}, {700, 700}, {1140, 1200}};
    for (const auto& b : bars)
        view->AddBar(2, b.start, b.end, kMonday, kMonday, QStringLiteral("B"));
    const QPoint point = view->PointForTime(2, kMonday, minute);
    const ScheduleView::Hit hit = view->HitTest(point);
    QCOMPARE(hit.row, 2);
    QCOMPARE(hit.bar, bar);
    // Rows above and below have no bars.
    QCOMPARE(view->HitTest(point - QPoint(0, view->RowHeight())).bar, 0);
    QCOMPARE(view->HitTest(point + QPoint(0, view->RowHeight())).bar, 0);
}

void TestScheduleView::barIndexMatchesFullScan() {
    // Many overlapping bars of every length, some over several dates, in
    // random order; the indexed search must find what a scan of every bar
    // finds: the last one drawn (latest start, then highest number) whose
    // drawn extent covers the pixel.
    auto view = MakeView(2, 480, 1080, 60, 10, 2);
    QVERIFY(view);
    ScheduleMapper mapper;
    mapper.SetDates(kMonday, kMonday + 60);
    mapper.SetTimeType(2);
    mapper.SetDaySpan(480, 1080);
    mapper.SetScale(60, 10);
    QRandomGenerator random(20261130);
    struct B {
        qint32 first, last;
        int start, end;
    };
    std::vector<B> bars;
    for (int i = 0; i < 1500; ++i) {
        B b;
        b.first = kMonday + int(random.bounded(61));
        b.last = random.bounded(10) == 0 ? b.first + int(random.bounded(3)) : b.first;
        b.start = 420 + int(random.bounded(720));
        b.end = b.last > b.first ? int(random.bounded(1440)) : b.start + int(random.bounded(200)) - 5;
        bars.push_back(b);
        view->AddBar(1, b.start, b.end, b.first, b.last, QString());
    }
    const int y = RowY(*view, 1);
    int found = 0;
    for (int step = 0; step < 3000; ++step) {
        const int x = int(random.bounded(mapper.ContentWidth()));
        view->horizontalScrollBar()->setValue(std::max(0, x - 200));
        const int scroll = view->horizontalScrollBar()->value();
        int expected = 0;
        qint64 expectedStart = 0;
        for (size_t i = 0; i < bars.size(); ++i) {
            const B& b = bars[i];
            double left = 0;
            double width = 0;
            if (!mapper.BarExtent(b.first, b.start, b.last, b.end, &left, &width))
                continue;
            const double from = std::round(left);
            const double to = std::max(from + 1, std::round(left + width));
            const qint64 start = ScheduleMapper::TimeKey(b.first, b.start);
            if (x >= from && x < to && (expected == 0 || start >= expectedStart)) {
                expected = int(i) + 1;
                expectedStart = start;
            }
        }
        const ScheduleView::Hit hit = view->HitTest(QPoint(kListWidth + x - scroll, y));
        QCOMPARE(hit.bar, expected);
        found += expected != 0;
    }
    QVERIFY(found > 1000); // the pixels did land on bars
}

void TestScheduleView::dropFromLegend_data() {
    QTest::addColumn<int>("timeType");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("dateOffset");
    QTest::addColumn<int>("minute");

    QTest::newRow("hours") << 0 << 65 << 3 << 0 << 545;
    QTest::newRow("weeks, on a Sunday") << 2 << 152 << 1 << 6 << 528;
}

void TestScheduleView::dropFromLegend() {
    QFETCH(int, timeType);
    QFETCH(int, dx);
    QFETCH(int, row);
    QFETCH(int, dateOffset);
    QFETCH(int, minute);
    auto view = MakeView(timeType, 480, 1080, 60, 5);
    QVERIFY(view);
    QSignalSpy drops(view.get(), &ScheduleView::Sched_DropItem);
    std::unique_ptr<QMimeData> mime(ScheduleView::MakeTaskMimeData(17));
    qint32 taskId = 0;
    QVERIFY(ScheduleView::TaskIdFromMimeData(mime.get(), &taskId));
    QCOMPARE(taskId, 17);
    const QPoint onTime(kListWidth + dx, RowY(*view, row));
    const auto accepted = [&](QDropEvent&& event) {
        QApplication::sendEvent(view->viewport(), &event);
        return event.isAccepted();
    };

    // Text from elsewhere is not accepted.
    QMimeData text;
    text.setText(QStringLiteral("17"));
    QVERIFY(!accepted(QDragEnterEvent(ToViewport(*view, onTime), Qt::CopyAction, &text,
                                      Qt::LeftButton, Qt::NoModifier)));
    accepted(QDropEvent(ToViewport(*view, onTime), Qt::CopyAction, &text, Qt::LeftButton,
                        Qt::NoModifier));
    // A task over the names, the ruler or below the rows books nothing.
    for (const QPoint& p : {QPoint(30, RowY(*view, 2)), QPoint(300, 5),
                            QPoint(300, RowY(*view, 8) + view->RowHeight())}) {
        QVERIFY(!accepted(QDragMoveEvent(ToViewport(*view, p), Qt::CopyAction, mime.get(),
                                         Qt::LeftButton, Qt::NoModifier)));
        QVERIFY(!view->DropAtPoint(p.x(), p.y()));
    }
    QCOMPARE(drops.count(), 0);

    const QPoint point = ToViewport(*view, onTime);
    QVERIFY(accepted(QDragEnterEvent(point, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier)));
    QVERIFY(accepted(QDragMoveEvent(point, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier)));
    QVERIFY(accepted(QDropEvent(point, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier)));
    QCOMPARE(drops.count(), 1);
    const QList<QVariant> args = drops.takeFirst();
    QCOMPARE(args.at(0).toInt(), row);
    QCOMPARE(args.at(1).toInt(), minute);
    QCOMPARE(args.at(2).toInt(), kMonday + dateOffset);

    // The window forwards a drop point itself the same way.
    QVERIFY(view->DropAtPoint(onTime.x(), onTime.y()));
    QCOMPARE(drops.count(), 1);
    QCOMPARE(drops.takeFirst().at(1).toInt(), minute);
}

void TestScheduleView::barPressAndDrag() {
    auto view = MakeView(0, 480, 1080, 60, 5, 4);
    QVERIFY(view);
    for (int row = 2; row <= 4; ++row) {
        view->AddBar(row, 540, 600, kMonday, kMonday, QStringLiteral("B1"));
        if (row < 4)
            view->AddBar(row, 660, 720, kMonday, kMonday, QStringLiteral("B2"));
    }
    QSignalSpy moves(view.get(), &ScheduleView::Sched_ItemMove);
    QSignalSpy preSelects(view.get(), &ScheduleView::Sched_BarPreSelect);
    QSignalSpy preDrops(view.get(), &ScheduleView::Sched_BarPreDrop);
    QWidget* port = view->viewport();
    const auto at = [&](int row, int minute) {
        return ToViewport(*view, view->PointForTime(row, kMonday, minute));
    };

    // Hovering reports each bar once as the mouse comes onto it.
    const QList<QPair<int, int>> path = {{3, 550}, {3, 590}, {3, 630}, {3, 700}, {4, 560}, {3, 545}};
    for (const auto& [row, minute] : path)
        QTest::mouseMove(port, at(row, minute));
    QStringList hovered;
    for (const QList<QVariant>& move : moves)
        hovered << QStringLiteral("%1/%2").arg(move.at(0).toInt()).arg(move.at(1).toInt());
    QCOMPARE(hovered.join(' '), QStringLiteral("3/1 3/2 4/1 3/1"));

    // A click selects the bar and its row, after telling the window.
    QTest::mouseClick(port, Qt::LeftButton, {}, at(2, 560));
    QCOMPARE(preSelects.count(), 1);
    QCOMPARE(preDrops.count(), 0);
    QCOMPARE(view->SelectedRow(), 2);
    QCOMPARE(view->SelectedBar(), 1);
    QCOMPARE(view->CurrentRow(), 2);

    // A window that refuses the selection keeps the bar from being selected.
    auto refuse = connect(view.get(), &ScheduleView::Sched_BarPreSelect, view.get(),
                          [&view] { view->CancelBarAction(); });
    QTest::mouseClick(port, Qt::LeftButton, {}, at(2, 680));
    QCOMPARE(preSelects.count(), 2);
    QCOMPARE(view->SelectedBar(), 0);
    disconnect(refuse);

    // Dragging a bar and letting it go reports the drop; the bar stays put.
    QTest::mousePress(port, Qt::LeftButton, {}, at(2, 560));
    QTest::mouseMove(port, at(2, 620));
    QTest::mouseRelease(port, Qt::LeftButton, {}, at(2, 620));
    QCOMPARE(preDrops.count(), 1);
    QCOMPARE(view->HitTest(view->PointForTime(2, kMonday, 560)).bar, 1);
    QCOMPARE(view->BarCount(2), 2);

    // A click on empty time drops the selection.
    QTest::mouseClick(port, Qt::LeftButton, {}, at(2, 900));
    QCOMPARE(view->SelectedBar(), 0);
    QCOMPARE(preDrops.count(), 1);
}

void TestScheduleView::clickAndDoubleClickOnNames() {
    auto view = MakeView(1, 480, 1080, 60, 5, 5);
    QVERIFY(view);
    QSignalSpy doubleClicks(view.get(), &ScheduleView::Sched_ListDblClick);
    QSignalSpy widths(view.get(), &ScheduleView::ListWidthChanged);
    QWidget* port = view->viewport();
    const auto drag = [&](int from, int to, int y) {
        QTest::mousePress(port, Qt::LeftButton, {}, QPoint(from, y));
        QTest::mouseMove(port, QPoint(to, y));
        QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(to, y));
    };

    // The divider moves the name column, and the rows follow it.
    const int y = RowY(*view, 2);
    drag(kListWidth + 1, 180, y);
    QCOMPARE(view->ListWidth(), 180);
    QVERIFY(widths.count() >= 1);
    QCOMPARE(widths.last().at(0).toInt(), 180);
    QVERIFY(view->HitTest(QPoint(150, y)).onNames);
    QCOMPARE(view->HitTest(QPoint(180, y)).date, kMonday);
    QCOMPARE(view->HitTest(QPoint(180, y)).minute, 480);
    // Dragged far left it keeps a usable width; the press did not pick a row.
    drag(179, 2, y);
    QCOMPARE(view->ListWidth(), 24);
    QCOMPARE(view->CurrentRow(), -1);
    drag(25, kListWidth, y);
    QCOMPARE(view->ListWidth(), kListWidth);

    QTest::mouseClick(port, Qt::LeftButton, {}, ToViewport(*view, QPoint(30, RowY(*view, 3))));
    QCOMPARE(view->CurrentRow(), 3);
    QTest::mouseDClick(port, Qt::LeftButton, {}, ToViewport(*view, QPoint(30, RowY(*view, 4))));
    QCOMPARE(doubleClicks.count(), 1);
    QCOMPARE(doubleClicks.takeFirst().at(0).toInt(), 4);
    QCOMPARE(view->CurrentRow(), 4);
    // Double-clicks on the time area or below the names do not count.
    QTest::mouseDClick(port, Qt::LeftButton, {},
                       ToViewport(*view, QPoint(kListWidth + 80, RowY(*view, 2))));
    QTest::mouseDClick(port, Qt::LeftButton, {},
                       ToViewport(*view, QPoint(30, RowY(*view, 5) + 2 * view->RowHeight())));
    QCOMPARE(doubleClicks.count(), 0);
}

void TestScheduleView::rowsAndBarsContract() {
    // Row 0 is the title row: it holds no data and no bars; rows past the
    // last are refused the same way. The window reads rows 1 to RowCount() - 1.
    ScheduleView view;
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(view.AddRow(QStringLiteral("Room %1").arg(i)), i);
        view.SetRowData(i, 11 * i);
    }
    view.SetRowData(0, 99);
    QCOMPARE(view.RowData(0), 0);
    QCOMPARE(view.RowData(view.RowCount() - 1), 33);
    view.SetCurrentRow(2);
    view.SetCurrentRow(4);
    QCOMPARE(view.CurrentRow(), -1);
    QCOMPARE(view.AddBar(2, 540, 600, kMonday, kMonday, QStringLiteral("B501")), 1);
    QCOMPARE(view.AddBar(2, 600, 660, kMonday, kMonday, QStringLiteral("B502")), 2);
    QCOMPARE(view.AddBar(0, 600, 660, kMonday, kMonday, QStringLiteral("B0")), 0);
    QCOMPARE(view.AddBar(4, 600, 660, kMonday, kMonday, QStringLiteral("B0")), 0);
    view.SetBarData(2, 2, 502);
    QCOMPARE(view.BarData(2, 1), 0);
    QCOMPARE(view.BarKey(2, 2), QStringLiteral("B502"));
    // A resolution outside 0 to 2 is refused and the old one reads back.
    view.SetTimeType(1);
    view.SetTimeType(5);
    QCOMPARE(view.TimeType(), 1);
}

void TestScheduleView::scrollingAndRefills() {
    auto view = MakeView(1, 480, 1080, 60, 5, 40);
    QVERIFY(view);
    QSignalSpy tracks(view.get(), &ScheduleView::Sched_ScrollTrack);

    // Scrolling by program is not the user scrolling.
    view->ShowTime(kMonday + 20, 600);
    view->SetCurrentRow(30);
    QCOMPARE(tracks.count(), 0);
    QVERIFY(view->verticalScrollBar()->value() > 0);

    // A new scale keeps the time asked for in view.
    view->SetSecondSpacing(10);
    QCOMPARE(view->HitTest(view->PointForTime(30, kMonday + 20, 600)).date, kMonday + 20);
    QCOMPARE(tracks.count(), 0);

    view->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(tracks.count(), 1);
    view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(tracks.count(), 2);
    const QList<QVariant> args = tracks.last();
    QCOMPARE(args.at(0).toInt(), view->HitTest(QPoint(5, view->HeaderHeight())).row);

    // The wheel with Shift scrolls along the time axis, not through the rows.
    const int before = view->horizontalScrollBar()->value();
    const int rowsBefore = view->verticalScrollBar()->value();
    const QPointF inside(400, 200);
    QWheelEvent wheel(inside, view->viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    QVERIFY(view->horizontalScrollBar()->value() > before);
    QCOMPARE(view->verticalScrollBar()->value(), rowsBefore);
    QCOMPARE(tracks.count(), 3);

    // A rebuild (clear and refill, with events running in between) keeps the
    // place the user scrolled to.
    const int x = view->horizontalScrollBar()->value();
    const int y = view->verticalScrollBar()->value();
    view->Clear();
    QCoreApplication::processEvents();
    for (int i = 1; i <= 40; ++i)
        view->AddRow(QStringLiteral("Room %1").arg(i));
    QCOMPARE(view->horizontalScrollBar()->value(), x);
    QCOMPARE(view->verticalScrollBar()->value(), y);
    QCOMPARE(tracks.count(), 3);
}

void TestScheduleView::paintsColours() {
    // 30 Nov 2026 is a Monday: in the day resolution columns 5 and 6 are the
    // weekend.
    auto view = MakeView(1, 480, 1080, 60, 5, 4);
    QVERIFY(view);
    view->SetBackColour(ColourUtil::FromColor(QColor(250, 250, 250)));
    view->SetWeekendColour(ColourUtil::FromColor(QColor(240, 220, 180)));
    view->SetSelectBackColour(ColourUtil::FromColor(QColor(90, 160, 250)));
    view->SetListBackColour(ColourUtil::FromColor(QColor(230, 240, 230)));
    const int bar = view->AddBar(2, 540, 720, kMonday + 1, kMonday + 1, QStringLiteral("B1"));
    view->SetBarColour(2, bar, 0x0000FF); // red in the low byte
    view->SetCurrentRow(3);
    const QImage image = view->grab().toImage();

    auto pixel = [&](int dateOffset, int minute, int row) {
        return image.pixelColor(ToViewport(*view, view->PointForTime(row, kMonday + dateOffset, minute)));
    };
    QCOMPARE(pixel(1, 630, 2), QColor(255, 0, 0));
    QCOMPARE(pixel(2, 630, 2), QColor(250, 250, 250));
    QCOMPARE(pixel(5, 630, 1), QColor(240, 220, 180)); // Saturday
    QCOMPARE(pixel(6, 630, 4), QColor(240, 220, 180)); // Sunday
    QCOMPARE(image.pixelColor(ToViewport(*view, QPoint(kListWidth - 6, RowY(*view, 3) + 4))),
             QColor(90, 160, 250));
    QCOMPARE(image.pixelColor(ToViewport(*view, QPoint(kListWidth - 6, RowY(*view, 2) + 4))),
             QColor(230, 240, 230));
}

void TestScheduleView::rulerTexts_data() {
    QTest::addColumn<int>("date");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");

    QTest::newRow("hour ruler") << 46359 << "D, n M Y" << "Saturday, 5 December 2026";
    QTest::newRow("short forms") << 36583 << "d nn m y" << "Tue 29 Feb 00";
}

void TestScheduleView::rulerTexts() {
    QFETCH(int, date);
    QFETCH(QString, format);
    QFETCH(QString, text);
    QCOMPARE(ScheduleText::FormatDate(date, format), text);
    QCOMPARE(ScheduleText::IsWeekend(date), ScheduleText::DateOf(date).dayOfWeek() >= 6);
}

void TestScheduleView::pageSpans_data() {
    QTest::addColumn<double>("content");
    QTest::addColumn<double>("every"); // a break every so many pixels, 0 for none
    QTest::addColumn<double>("page");
    QTest::addColumn<QList<double>>("ends");

    QTest::newRow("ends on dates") << 1000.0 << 100.0 << 350.0 << QList<double>{300, 600, 900, 1000};
    QTest::newRow("exact fit") << 600.0 << 100.0 << 300.0 << QList<double>{300, 600};
    QTest::newRow("date wider than page") << 1000.0 << 400.0 << 300.0
                                          << QList<double>{300, 400, 700, 1000};
    QTest::newRow("no breaks") << 700.0 << 0.0 << 300.0 << QList<double>{300, 600, 700};
}

void TestScheduleView::pageSpans() {
    QFETCH(double, content);
    QFETCH(double, every);
    QFETCH(double, page);
    QFETCH(QList<double>, ends);
    std::vector<double> breaks;
    for (double x = every; every > 0 && x <= content; x += every)
        breaks.push_back(x);
    std::reverse(breaks.begin(), breaks.end()); // any order will do
    const auto spans = SchedulePageLayout::SplitSpan(content, breaks, page);
    QCOMPARE(int(spans.size()), int(ends.size()));
    double from = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        QCOMPARE(spans[i].from, from);
        QCOMPARE(spans[i].to, ends[qsizetype(i)]);
        QVERIFY(spans[i].to - spans[i].from <= page);
        from = spans[i].to;
    }
}

void TestScheduleView::pageOrder() {
    // Seven rows, three a page, two spans: every span of the first rows, then
    // the next rows. No rows still prints the ruler.
    const std::vector<SchedulePageLayout::Span> spans = {{0, 300}, {300, 500}};
    for (const int rows : {7, 0}) {
        QStringList got;
        for (const auto& page : SchedulePageLayout::Pages(rows, 3, spans))
            got << QStringLiteral("%1-%2@%3").arg(page.firstRow).arg(page.lastRow).arg(page.span.from);
        QCOMPARE(got.join(' '), rows ? QStringLiteral("1-3@0 1-3@300 4-6@0 4-6@300 7-7@0 7-7@300")
                                     : QStringLiteral("1-0@0 1-0@300"));
    }
}

void TestScheduleView::printsEveryNameOnSeveralPages() {
    auto view = MakeView(2, 480, 1080, 60, 6, 0);
    QVERIFY(view);
    view->SetRulerDateFormat(QStringLiteral("M Y"));
    QStringList names;
    for (int i = 1; i <= 70; ++i) {
        names << QStringLiteral("Resource %1 %2").arg(QChar('A' + i % 26)).arg(i);
        const int row = view->AddRow(names.last());
        view->AddBar(row, 540, 600, kMonday + i % 61, kMonday + i % 61, QStringLiteral("B"));
    }
    const QString heading = QStringLiteral("Tarvelo - Monday 30 November 2026");
    view->SetPrintHeading(heading);
    view->SetPrintFooter(QStringLiteral("Printed by the front desk"));
    view->SetPrintColourBars(true);
    view->SetPrintColourBack(true);

    const QString text = PrintedText(*view, QPageLayout::Portrait);
    QVERIFY2(!text.isEmpty(), "nothing printed");
    const int pages = int(text.count(QChar('\f')));
    QVERIFY2(pages >= 4, qPrintable(QStringLiteral("%1 pages").arg(pages)));
    QCOMPARE(int(text.count(heading)), pages);
    QCOMPARE(int(text.count(QStringLiteral("Printed by the front desk"))), pages);
    QVERIFY(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
    for (const QString& name : names)
        QVERIFY2(text.contains(name), qPrintable(name));
    QVERIFY(text.contains(QStringLiteral("Treatment rooms")));
    // The time axis is not cut off: the first and the last month are there.
    QVERIFY(text.contains(QStringLiteral("November 2026")));
    QVERIFY(text.contains(QStringLiteral("January 2027")));
}

void TestScheduleView::printedRulerFollowsClockSwitches_data() {
    QTest::addColumn<bool>("twelve");
    QTest::addColumn<bool>("twentyFour");
    QTest::addColumn<QString>("afternoon");
    QTest::addColumn<QString>("notShown");

    QTest::newRow("12-hour") << true << false << "1 pm" << "13:00";
    QTest::newRow("24-hour") << false << true << "13:00" << "1 pm";
}

void TestScheduleView::printedRulerFollowsClockSwitches() {
    QFETCH(bool, twelve);
    QFETCH(bool, twentyFour);
    QFETCH(QString, afternoon);
    QFETCH(QString, notShown);
    // An hour view wider than a page: the working day is split at hours and
    // every hour label is printed.
    auto view = MakeView(0, 480, 1080, 150, 12, 3);
    QVERIFY(view);
    view->SetRulerDateFormat(QStringLiteral("D, n M Y"));
    view->SetUse12Hour(twelve);
    view->SetUse24Hour(twentyFour);
    view->SetPrintHeading(QStringLiteral("Heading"));
    const QString text = PrintedText(*view, QPageLayout::Landscape);
    QVERIFY(text.count(QChar('\f')) >= 2);
    QVERIFY(text.contains(QStringLiteral("Monday, 30 November 2026")));
    QVERIFY2(text.contains(afternoon), qPrintable(text));
    QVERIFY(!text.contains(notShown));
    for (int row = 1; row <= 3; ++row)
        QVERIFY(text.contains(QStringLiteral("Room %1").arg(row)));
}

void TestScheduleView::printColourSwitches_data() {
    QTest::addColumn<bool>("colourBars");
    QTest::addColumn<bool>("colourBack");

    QTest::newRow("bars only") << true << false;
    QTest::newRow("background only") << false << true;
}

void TestScheduleView::printColourSwitches() {
    QFETCH(bool, colourBars);
    QFETCH(bool, colourBack);
    auto view = MakeView(1, 480, 1080, 60, 5, 3);
    QVERIFY(view);
    const QColor barColour(20, 140, 60);
    const QColor weekend(250, 210, 160);
    view->SetWeekendColour(ColourUtil::FromColor(weekend));
    const int bar = view->AddBar(2, 480, 1080, kMonday + 1, kMonday + 1, QStringLiteral("B"));
    view->SetBarColour(2, bar, ColourUtil::FromColor(barColour));
    view->SetPrintColourBars(colourBars);
    view->SetPrintColourBack(colourBack);

    const QSizeF page(1100, 760);
    QCOMPARE(view->PrintPageCount(page), 2);
    QImage image(page.toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    view->PaintPrintPage(painter, page, 0);
    painter.end();
    QCOMPARE(ImageHasColour(image, barColour), colourBars);
    QCOMPARE(ImageHasColour(image, weekend), colourBack);
}

void TestScheduleView::keyboardMovesTheCurrentRow_data() {
    QTest::addColumn<int>("start"); // the current row before; 0: none
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("opened"); // the row whose booking dialog opens; 0: none
    QTest::newRow("down from none") << 0 << int(Qt::Key_Down) << false << 1 << 0;
    QTest::newRow("down at the last row") << 30 << int(Qt::Key_Down) << false << 30 << 0;
    QTest::newRow("up at the first row") << 1 << int(Qt::Key_Up) << false << 1 << 0;
    QTest::newRow("up from none") << 0 << int(Qt::Key_Up) << false << 1 << 0;
    QTest::newRow("ctrl+end") << 3 << int(Qt::Key_End) << true << 30 << 0;
    QTest::newRow("ctrl+home") << 20 << int(Qt::Key_Home) << true << 1 << 0;
    QTest::newRow("home alone scrolls, keeps the row") << 20 << int(Qt::Key_Home) << false << 20
                                                       << 0;
    QTest::newRow("enter opens the row") << 7 << int(Qt::Key_Return) << false << 7 << 7;
    QTest::newRow("keypad enter opens the row") << 2 << int(Qt::Key_Enter) << false << 2 << 2;
    QTest::newRow("enter without a row opens nothing") << 0 << int(Qt::Key_Return) << false << -1
                                                       << 0;
}

void TestScheduleView::keyboardMovesTheCurrentRow() {
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(bool, ctrl);
    QFETCH(int, expected);
    QFETCH(int, opened);
    auto view = MakeView(0, 480, 1080, 60, 5, 30);
    QVERIFY(view);
    view->SetCurrentRow(start);
    QSignalSpy opens(view.get(), &ScheduleView::Sched_ListDblClick);
    QTest::keyClick(view.get(), Qt::Key(key), ctrl ? Qt::ControlModifier : Qt::NoModifier);
    QCOMPARE(view->CurrentRow(), expected);
    QCOMPARE(opens.size(), opened ? 1 : 0);
    if (opened)
        QCOMPARE(opens.at(0).at(0).toInt(), opened);
}

void TestScheduleView::pageKeysKeepTheRowInView() {
    auto view = MakeView(0, 480, 1080, 60, 5, 60);
    QVERIFY(view);
    view->SetCurrentRow(1);
    const auto visible = [&](int row) {
        const int top = view->HeaderHeight() + (row - 1) * view->RowHeight() -
                        view->verticalScrollBar()->value();
        return top >= view->HeaderHeight() && top + view->RowHeight() <= view->viewport()->height();
    };
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    const int down = view->CurrentRow();
    QVERIFY2(down > 2 && down < 60, qPrintable(QString::number(down)));
    QVERIFY(visible(down));
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    QCOMPARE(view->CurrentRow(), 60);
    QVERIFY(visible(60));
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    QCOMPARE(view->CurrentRow(), 60 - (down - 1));
    QVERIFY(visible(view->CurrentRow()));
}

QTEST_MAIN(TestScheduleView)
#include "tst_scheduleview.moc"

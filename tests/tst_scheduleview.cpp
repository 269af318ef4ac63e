// The schedule view driven as a user drives it: pixels to times and back,
// mouse and keys, scrolling, colours, and printed pages read back from a PDF.

#include "TestEnv.h"

#include "base/ColourUtil.h"
#include "ui/controls/ScheduleMapper.h"
#include "ui/controls/SchedulePageLayout.h"
#include "ui/controls/ScheduleText.h"
#include "ui/controls/ScheduleView.h"

#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr qint32 kMonday = 46354; // Monday 30 November 2026
constexpr int kListWidth = 100;

// The last date the window shows in each resolution: hours, days, weeks.
int LastOffset(int timeType) { return timeType == 0 ? 0 : (timeType == 1 ? 32 : 60); }

// A view as the main window sets it up: settings first, then rows, shown.
std::unique_ptr<ScheduleView> MakeView(int timeType, int rows, int dayStart = 480,
                                       int dayEnd = 1080, int timeDistance = 60,
                                       int secondSpacing = 5) {
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
    for (int i = 1; i <= rows; ++i)
        view->AddRow(QStringLiteral("Room %1").arg(i));
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
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("schedule.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientation);
    if (!view.PrintTo(&printer))
        return QString();
    return TestEnv::PdfText(printer.outputFileName());
}

// Sends a drag or drop event of `data` at `p` to the view; true when accepted.
template <class Event>
bool Send(ScheduleView& view, const QPoint& p, const QMimeData* data) {
    Event event(ToViewport(view, p), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &event);
    return event.isAccepted();
}

bool ImageHasColour(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) | 0xFF000000u) == colour.rgb())
                return true;
    return false;
}

} // namespace

class TestScheduleView : public QObject {
    Q_OBJECT

private slots:
    void pixelToTime_data();
    void pixelToTime();
    void barIndexMatchesFullScan();
    void dropFromLegend();
    void mouseOnBarsAndNames();
    void keysMoveTheCurrentRow();
    void rowsAndBarsContract();
    void scrollingAndRefills();
    void paintsColours();
    void nowLineInsideTheWorkingDay_data();
    void nowLineInsideTheWorkingDay();
    void rulerTexts();
    void pageSpans();
    void pageOrder();
    void printedPages();
};

void TestScheduleView::pixelToTime_data() {
    // Resolution, day start and end, time distance, second spacing.
    QTest::addColumn<QList<int>>("scale");
    QTest::addColumn<int>("dx"); // pixels right of the name column, not scrolled
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("dateOffset");
    QTest::addColumn<int>("minute");

    // Hours: one column per date, time distance pixels per hour.
    QTest::newRow("hours, double scale")
        << QList<int>{0, 480, 1080, 120, 10} << 30 << 2 << 0 << 495;
    QTest::newRow("hours, day from 7:15") << QList<int>{0, 435, 1080, 60, 5} << 45 << 4 << 0 << 480;
    // Days: second spacing pixels per hour, the working day in each column.
    QTest::newRow("days, 4th date 13:00")
        << QList<int>{1, 480, 1080, 60, 5} << 175 << 5 << 3 << 780;
    QTest::newRow("days, empty span shows whole day")
        << QList<int>{1, 600, 600, 60, 5} << 180 << 6 << 1 << 720;
    // Weeks: half the day resolution's hour width.
    QTest::newRow("weeks, 11th date 10:00")
        << QList<int>{2, 480, 1080, 60, 5} << 255 << 7 << 10 << 600;
}

void TestScheduleView::pixelToTime() {
    QFETCH(QList<int>, scale);
    QFETCH(int, dx);
    QFETCH(int, row);
    QFETCH(int, dateOffset);
    QFETCH(int, minute);
    const int timeType = scale[0], dayStart = scale[1], dayEnd = scale[2];
    auto view = MakeView(timeType, 30, dayStart, dayEnd, scale[3], scale[4]);
    QVERIFY(view);

    const QPoint point(kListWidth + dx, RowY(*view, row));
    const ScheduleView::Hit hit = view->HitTest(point);
    QVERIFY(hit.onTime);
    QCOMPARE(QStringLiteral("%1 %2 %3").arg(hit.row).arg(hit.date).arg(hit.minute),
             QStringLiteral("%1 %2 %3").arg(row).arg(kMonday + dateOffset).arg(minute));
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
        timeType == 0 ? scale[3] : (timeType == 1 ? scale[4] : scale[4] / 2.0);
    QVERIFY2(farHit.minute <= end && end - farHit.minute < std::ceil(60 / pixelsPerHour),
             qPrintable(QStringLiteral("pixel starts at minute %1").arg(farHit.minute)));
}

void TestScheduleView::barIndexMatchesFullScan() {
    // Overlapping bars of any length (or none), some over several dates or
    // outside the working day: the indexed search finds what a scan of every
    // bar finds, the last drawn (latest start, then number) under the pixel.
    auto view = MakeView(2, 2, 480, 1080, 60, 10);
    QVERIFY(view);
    ScheduleMapper mapper;
    mapper.SetDates(kMonday, kMonday + 60);
    mapper.SetTimeType(2);
    mapper.SetDaySpan(480, 1080);
    mapper.SetScale(60, 10);
    QRandomGenerator rng(20261130);
    struct B { qint32 first, last; int start, end; };
    std::vector<B> bars;
    for (int i = 0; i < 1500; ++i) {
        const qint32 first = kMonday + int(rng.bounded(61));
        const qint32 last = rng.bounded(10) == 0 ? first + int(rng.bounded(3)) : first;
        const int start = 420 + int(rng.bounded(720));
        const int end = last > first ? int(rng.bounded(1440)) : start + int(rng.bounded(200)) - 5;
        bars.push_back({first, last, start, end});
        view->AddBar(1, start, end, first, last, QString());
    }
    int found = 0;
    for (int step = 0; step < 3000; ++step) {
        const int x = int(rng.bounded(mapper.ContentWidth()));
        view->horizontalScrollBar()->setValue(std::max(0, x - 200));
        const int scroll = view->horizontalScrollBar()->value();
        int expected = 0;
        qint64 expectedStart = 0;
        for (size_t i = 0; i < bars.size(); ++i) {
            const B& b = bars[i];
            double left = 0, width = 0;
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
        QCOMPARE(view->HitTest(QPoint(kListWidth + x - scroll, RowY(*view, 1))).bar, expected);
        QCOMPARE(view->HitTest(QPoint(kListWidth + x - scroll, RowY(*view, 2))).bar, 0);
        found += expected != 0;
    }
    QVERIFY(found > 1000); // the pixels did land on bars
}

void TestScheduleView::dropFromLegend() {
    auto view = MakeView(0, 8); // 600 pixels of time
    QVERIFY(view);
    QSignalSpy drops(view.get(), &ScheduleView::Sched_DropItem);
    std::unique_ptr<QMimeData> mime(ScheduleView::MakeTaskMimeData(17));
    const QPoint onTime(kListWidth + 65, RowY(*view, 3));
    // Text from elsewhere is not accepted.
    QMimeData text;
    text.setText(QStringLiteral("17"));
    QVERIFY(!Send<QDragEnterEvent>(*view, onTime, &text));
    QVERIFY(!Send<QDropEvent>(*view, onTime, &text));
    // A task over the names, the ruler, below the rows or right of the
    // working day books nothing.
    for (const QPoint& p : {QPoint(30, RowY(*view, 2)), QPoint(300, 5),
                            QPoint(300, RowY(*view, 8) + view->RowHeight()),
                            QPoint(kListWidth + 650, RowY(*view, 2))}) {
        QVERIFY(!Send<QDragMoveEvent>(*view, p, mime.get()));
        Send<QDropEvent>(*view, p, mime.get());
    }
    QCOMPARE(drops.count(), 0);

    QVERIFY(Send<QDragEnterEvent>(*view, onTime, mime.get()));
    QVERIFY(Send<QDragMoveEvent>(*view, onTime, mime.get()));
    QVERIFY(Send<QDropEvent>(*view, onTime, mime.get()));
    QCOMPARE(drops.count(), 1);
    QCOMPARE(drops.takeFirst(), (QList<QVariant>{3, 545, kMonday})); // row, minute, date
}

void TestScheduleView::mouseOnBarsAndNames() {
    auto view = MakeView(0, 4);
    QVERIFY(view);
    for (int row = 2; row <= 4; ++row) // bar 1 from 9:00, bar 2 from 11:00 but on row 4
        for (const int start : row < 4 ? QList<int>{540, 660} : QList<int>{540})
            view->AddBar(row, start, start + 60, kMonday, kMonday, QStringLiteral("B"));
    QSignalSpy moves(view.get(), &ScheduleView::Sched_ItemMove);
    QSignalSpy preSelects(view.get(), &ScheduleView::Sched_BarPreSelect);
    QSignalSpy preDrops(view.get(), &ScheduleView::Sched_BarPreDrop);
    QWidget* port = view->viewport();
    const auto at = [&](int row, int minute) {
        return ToViewport(*view, view->PointForTime(row, kMonday, minute));
    };

    // Hovering reports each bar once as the mouse comes onto it.
    for (const auto& [row, minute] :
         {std::pair{3, 550}, {3, 590}, {3, 630}, {3, 700}, {4, 560}, {3, 545}})
        QTest::mouseMove(port, at(row, minute));
    QStringList hovered;
    for (const QList<QVariant>& move : moves)
        hovered << QStringLiteral("%1/%2").arg(move.at(0).toInt()).arg(move.at(1).toInt());
    QCOMPARE(hovered.join(' '), QStringLiteral("3/1 3/2 4/1 3/1"));

    // A click selects the bar and its row, after telling the window.
    QTest::mouseClick(port, Qt::LeftButton, {}, at(2, 560));
    QCOMPARE(preSelects.count(), 1);
    QCOMPARE(preDrops.count(), 0);
    QCOMPARE(QStringLiteral("%1 %2 %3").arg(view->SelectedRow()).arg(view->SelectedBar())
                 .arg(view->CurrentRow()),
             QStringLiteral("2 1 2"));

    // A window that refuses the selection keeps the bar from being selected.
    auto refuse = connect(view.get(), &ScheduleView::Sched_BarPreSelect, view.get(),
                          [&view] { view->CancelBarAction(); });
    QTest::mouseClick(port, Qt::LeftButton, {}, at(2, 680));
    QCOMPARE(preSelects.count(), 2);
    QCOMPARE(view->SelectedBar(), 0);
    disconnect(refuse);

    // Dragging a bar and letting it go reports the drop; the bar stays put.
    // A move by the platform's drag distance starts the drag; while it is
    // dragged its outline shows where it would go.
    const QColor empty = port->grab().toImage().pixelColor(at(2, 630));
    const QColor body = port->grab().toImage().pixelColor(at(2, 570));
    QTest::mousePress(port, Qt::LeftButton, {}, at(2, 560));
    QTest::mouseMove(port, at(2, 560) + QPoint(QApplication::startDragDistance(), 0));
    QVERIFY(port->grab().toImage().pixelColor(at(2, 570)) != body);
    QTest::mouseMove(port, at(2, 620));
    QVERIFY(port->grab().toImage().pixelColor(at(2, 630)) != empty);
    QTest::mouseRelease(port, Qt::LeftButton, {}, at(2, 620));
    QCOMPARE(preDrops.count(), 1);
    QCOMPARE(view->HitTest(view->PointForTime(2, kMonday, 560)).bar, 1);

    // A click on empty time drops the selection.
    QTest::mouseClick(port, Qt::LeftButton, {}, at(2, 900));
    QCOMPARE(view->SelectedBar(), 0);
    QCOMPARE(preDrops.count(), 1);

    // The divider moves the name column, and the rows follow it.
    QSignalSpy doubleClicks(view.get(), &ScheduleView::Sched_ListDblClick);
    const auto drag = [&](int from, int to, int y) {
        QTest::mousePress(port, Qt::LeftButton, {}, QPoint(from, y));
        QTest::mouseMove(port, QPoint(to, y));
        QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(to, y));
    };
    const auto name = [&](int row) { return ToViewport(*view, QPoint(30, RowY(*view, row))); };
    const int y = RowY(*view, 2);
    drag(kListWidth + 1, 180, y);
    QCOMPARE(view->ListWidth(), 180);
    QVERIFY(view->HitTest(QPoint(150, y)).onNames);
    QCOMPARE(view->HitTest(QPoint(180, y)).minute, 480);
    // Dragged far left it keeps a usable width; the press did not pick a row.
    view->SetCurrentRow(0);
    drag(179, 2, y);
    QCOMPARE(view->ListWidth(), 24);
    QCOMPARE(view->CurrentRow(), -1);
    drag(25, kListWidth, y);

    QTest::mouseClick(port, Qt::LeftButton, {}, name(3));
    QCOMPARE(view->CurrentRow(), 3);
    QTest::mouseDClick(port, Qt::LeftButton, {}, name(4));
    QCOMPARE(doubleClicks.count(), 1);
    QCOMPARE(doubleClicks.takeFirst().at(0).toInt(), 4);
    QCOMPARE(view->CurrentRow(), 4);
    // Double-clicks on the time area or below the names do not count.
    QTest::mouseDClick(port, Qt::LeftButton, {}, at(2, 900));
    QTest::mouseDClick(port, Qt::LeftButton, {}, name(7));
    QCOMPARE(doubleClicks.count(), 0);
}

void TestScheduleView::keysMoveTheCurrentRow() {
    auto view = MakeView(0, 60);
    QVERIFY(view);
    QSignalSpy opens(view.get(), &ScheduleView::Sched_DropItem);
    // The current row before (0: none), the key, the row after, and the row
    // whose free slot Enter books as a drop would (0: none).
    const struct { int start; QKeyCombination key; int expected, opened; } keys[] = {
        {0, Qt::Key_Down, 1, 0}, {60, Qt::Key_Down, 60, 0}, {1, Qt::Key_Up, 1, 0},
        {0, Qt::Key_Up, 1, 0}, {3, Qt::ControlModifier | Qt::Key_End, 60, 0},
        {20, Qt::ControlModifier | Qt::Key_Home, 1, 0},
        {20, Qt::Key_Home, 20, 0}, // scrolls the time, keeps the row
        {7, Qt::Key_Return, 7, 7}, {2, Qt::Key_Enter, 2, 2}, {0, Qt::Key_Return, -1, 1}};
    for (const auto& k : keys) {
        view->SetCurrentRow(k.start);
        QTest::keyClick(view.get(), k.key.key(), k.key.keyboardModifiers());
        QCOMPARE(view->CurrentRow(), k.expected);
        QCOMPARE(opens.isEmpty() ? 0 : opens.takeFirst().at(0).toInt(), k.opened);
    }

    // Page keys move by the rows in view and keep the current row in view.
    const auto visible = [&](int row) {
        const int top = view->HeaderHeight() + (row - 1) * view->RowHeight() -
                        view->verticalScrollBar()->value();
        return top >= view->HeaderHeight() && top + view->RowHeight() <= view->viewport()->height();
    };
    view->SetCurrentRow(1);
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    const int down = view->CurrentRow();
    QVERIFY2(down > 2 && down < 60 && visible(down), qPrintable(QString::number(down)));
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(view.get(), Qt::Key_PageDown);
    QCOMPARE(view->CurrentRow(), 60);
    QVERIFY(visible(60));
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    QCOMPARE(view->CurrentRow(), 60 - (down - 1));
    QVERIFY(visible(view->CurrentRow()));
}

void TestScheduleView::rowsAndBarsContract() {
    // Row 0 is the title row: it holds no data and no bars; rows past the
    // last are refused the same way. The window reads rows 1 to RowCount() - 1.
    ScheduleView view;
    for (int i = 1; i <= 3; ++i)
        view.SetRowData(view.AddRow(QStringLiteral("Room %1").arg(i)), 11 * i);
    view.SetRowData(0, 99);
    QCOMPARE(view.RowData(0), 0);
    QCOMPARE(view.RowData(view.RowCount() - 1), 33);
    view.SetCurrentRow(2);
    view.SetCurrentRow(4);
    QCOMPARE(view.CurrentRow(), -1);
    QCOMPARE(view.AddBar(0, 600, 660, kMonday, kMonday, "B0"), 0);
    QCOMPARE(view.AddBar(4, 600, 660, kMonday, kMonday, "B0"), 0);
    // A resolution outside 0 to 2 is refused and the old one stays.
    view.SetTimeType(1);
    view.SetTimeType(5);
    QCOMPARE(view.TimeType(), 1);
}

void TestScheduleView::scrollingAndRefills() {
    auto view = MakeView(1, 40);
    QVERIFY(view);
    QSignalSpy tracks(view.get(), &ScheduleView::Sched_ScrollTrack);
    QScrollBar* across = view->horizontalScrollBar();
    QScrollBar* down = view->verticalScrollBar();

    // Scrolling by program is not the user scrolling; a new scale keeps the
    // time asked for in view.
    view->ShowTime(kMonday + 20, 600);
    view->SetCurrentRow(30);
    QVERIFY(down->value() > 0);
    view->SetSecondSpacing(10);
    QCOMPARE(view->HitTest(view->PointForTime(30, kMonday + 20, 600)).date, kMonday + 20);
    QCOMPARE(tracks.count(), 0);

    // The wheel with Shift scrolls along the time axis, not through the rows,
    // and tells the window the user scrolled.
    const int before = across->value();
    const int rowsBefore = down->value();
    const QPointF inside(400, 200);
    QWheelEvent wheel(inside, view->viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    QVERIFY(across->value() > before);
    QCOMPARE(down->value(), rowsBefore);
    QCOMPARE(tracks.count(), 1);

    // A rebuild (clear and refill, with events running in between) keeps the
    // place the user scrolled to.
    const QPoint place(across->value(), down->value());
    view->Clear();
    QCoreApplication::processEvents();
    for (int i = 1; i <= 40; ++i)
        view->AddRow(QStringLiteral("Room %1").arg(i));
    QCOMPARE(QPoint(across->value(), down->value()), place);
    QCOMPARE(tracks.count(), 1);
}

void TestScheduleView::paintsColours() {
    // 30 Nov 2026 is a Monday: in the day resolution columns 5 and 6 are the
    // weekend.
    auto view = MakeView(1, 4);
    QVERIFY(view);
    view->SetBackColour(ColourUtil::FromColor(QColor(250, 250, 250)));
    view->SetWeekendColour(ColourUtil::FromColor(QColor(240, 220, 180)));
    view->SetSelectBackColour(ColourUtil::FromColor(QColor(90, 160, 250)));
    const int bar = view->AddBar(2, 540, 720, kMonday + 1, kMonday + 1, QStringLiteral("B1"));
    view->SetBarColour(2, bar, 0x0000FF); // red in the low byte
    // A booking wholly after the working day shows at the day's right edge.
    const int late = view->AddBar(4, 1200, 1260, kMonday + 2, kMonday + 2, QStringLiteral("B2"));
    view->SetBarColour(4, late, 0xFF0000);
    view->SetCurrentRow(3);
    const QImage image = view->grab().toImage();
    auto pixel = [&](int dateOffset, int minute, int row) {
        return image.pixelColor(
            ToViewport(*view, view->PointForTime(row, kMonday + dateOffset, minute)));
    };
    QCOMPARE(pixel(1, 630, 2), QColor(255, 0, 0));
    QCOMPARE(pixel(2, 630, 2), QColor(250, 250, 250));
    QCOMPARE(image.pixelColor(ToViewport(*view, view->PointForTime(4, kMonday + 3, 480)) -
                              QPoint(2, 0)),
             QColor(0, 0, 255));
    QCOMPARE(pixel(5, 630, 1), QColor(240, 220, 180)); // Saturday
    QCOMPARE(pixel(6, 630, 4), QColor(240, 220, 180)); // Sunday
    QCOMPARE(image.pixelColor(ToViewport(*view, QPoint(kListWidth - 6, RowY(*view, 3) + 4))),
             QColor(90, 160, 250));
    // With the keyboard's focus the current cell wears a dark ring around a light one.
    view->activateWindow();
    view->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(view.get()));
    QTRY_VERIFY(view->hasFocus());
    const ScheduleView::CellRef current = view->CurrentCell();
    const QRect cell = view->CellRect(current.row, current.cell);
    const QImage focused = view->viewport()->grab().toImage();
    QCOMPARE(focused.pixelColor(cell.left() + 1, cell.center().y()), QColor(Qt::black));
    QCOMPARE(focused.pixelColor(cell.left() + 3, cell.center().y()), QColor(Qt::white));
    // A clicked booking is outlined in black inside its edge; the others are not.
    const QPoint inside = ToViewport(*view, view->PointForTime(2, kMonday + 1, 540)) + QPoint(1, 0);
    QCOMPARE(focused.pixelColor(inside), QColor(255, 0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, ToViewport(*view, view->PointForTime(2, kMonday + 1, 630)));
    QCOMPARE(view->SelectedBar(), bar);
    QCOMPARE(view->viewport()->grab().toImage().pixelColor(inside), QColor(Qt::black));
}

void TestScheduleView::nowLineInsideTheWorkingDay_data() {
    // The working day shown today, from and to so many minutes from now.
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("line");
    QTest::newRow("now inside") << -120 << 120 << true;
    QTest::newRow("the day begins later") << 30 << 150 << false;
    QTest::newRow("the day is over") << -150 << -30 << false;
}

void TestScheduleView::nowLineInsideTheWorkingDay() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, line);
    const QTime now = QTime::currentTime();
    const int minute = now.hour() * 60 + now.minute();
    if (minute + from < 0 || minute + to > 1440 || minute > 1435)
        QSKIP("too near midnight for this working day");
    auto view = MakeView(0, 2, minute + from, minute + to);
    QVERIFY(view);
    const qint32 today = ScheduleText::DateNumber(QDate::currentDate());
    view->SetFirstDate(today);
    view->SetLastDate(today);
    QCOMPARE(ImageHasColour(view->viewport()->grab().toImage(), QColor(220, 40, 40)), line);
}

void TestScheduleView::rulerTexts() {
    // The long forms are read back from the printed ruler.
    QCOMPARE(ScheduleText::FormatDate(36583, QStringLiteral("d nn m y")),
             QStringLiteral("Tue 29 Feb 00"));
}

void TestScheduleView::pageSpans() {
    // Content width, a date break every so many pixels (0: none), page width,
    // and where the pages end.
    const struct { double content, every, page; QList<double> ends; } cases[] = {
        {1000, 100, 350, {300, 600, 900, 1000}}, // ends on dates
        {600, 100, 300, {300, 600}}, // exact fit, no empty page
        {1000, 400, 300, {300, 400, 700, 1000}}, // date wider than the page
        {700, 0, 300, {300, 600, 700}},
        {0, 0, 300, {0}}}; // nothing to show still gives a page
    for (const auto& c : cases) {
        std::vector<double> breaks;
        for (double x = c.every; c.every > 0 && x <= c.content; x += c.every)
            breaks.insert(breaks.begin(), x); // any order will do
        QList<double> ends;
        double from = 0;
        for (const auto& span : SchedulePageLayout::SplitSpan(c.content, breaks, c.page)) {
            QCOMPARE(span.from, from);
            QVERIFY(span.to - span.from <= c.page);
            ends << (from = span.to);
        }
        QCOMPARE(ends, c.ends);
    }
}

void TestScheduleView::pageOrder() {
    // Seven rows, three a page, two spans: every span of the first rows, then
    // the next rows. No rows still prints the ruler.
    const std::vector<SchedulePageLayout::Span> spans = {{0, 300}, {300, 500}};
    for (const int rows : {7, 0}) {
        QStringList got;
        for (const auto& page : SchedulePageLayout::Pages(rows, 3, spans))
            got << QStringLiteral("%1-%2@%3").arg(page.firstRow).arg(page.lastRow)
                       .arg(page.span.from);
        QCOMPARE(got.join(' '), rows ? QStringLiteral("1-3@0 1-3@300 4-6@0 4-6@300 7-7@0 7-7@300")
                                     : QStringLiteral("1-0@0 1-0@300"));
    }
}

void TestScheduleView::printedPages() {
    // Seventy rows over 61 dates: heading, footer and page number on every
    // page, every name, and the time axis not cut off.
    auto weeks = MakeView(2, 0, 480, 1080, 60, 6);
    QVERIFY(weeks);
    weeks->SetRulerDateFormat(QStringLiteral("M Y"));
    QStringList names;
    for (int i = 1; i <= 70; ++i) {
        names << QStringLiteral("Resource %1 %2").arg(QChar('A' + i % 26)).arg(i);
        weeks->AddBar(weeks->AddRow(names.last()), 540, 600, kMonday + i % 61, kMonday + i % 61,
                      QStringLiteral("B"));
    }
    const QString heading = QStringLiteral("Tarvelo - Monday 30 November 2026");
    weeks->SetPrintHeading(heading);
    weeks->SetPrintFooter(QStringLiteral("Printed by the front desk"));
    QString text = PrintedText(*weeks, QPageLayout::Portrait);
    const int pages = int(text.count(QChar('\f')));
    QVERIFY2(pages >= 4, qPrintable(QStringLiteral("%1 pages").arg(pages)));
    QCOMPARE(int(text.count(heading)), pages);
    QCOMPARE(int(text.count(QStringLiteral("Printed by the front desk"))), pages);
    QVERIFY(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
    for (const QString& name :
         names + QStringList{"Treatment rooms", "November 2026", "January 2027"})
        QVERIFY2(text.contains(name), qPrintable(name));
    // Bars and the weekend's background are printed in colour by switches of their own.
    const QColor barColour(20, 140, 60), weekend(250, 210, 160);
    weeks->SetWeekendColour(ColourUtil::FromColor(weekend));
    weeks->SetBarColour(1, 1, ColourUtil::FromColor(barColour));
    const QSizeF page(1100, 760);
    for (const bool colourBars : {true, false}) {
        weeks->SetPrintColourBars(colourBars);
        weeks->SetPrintColourBack(!colourBars);
        QImage image(page.toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        weeks->PaintPrintPage(painter, page, 0);
        painter.end();
        QCOMPARE(ImageHasColour(image, barColour), colourBars);
        QCOMPARE(ImageHasColour(image, weekend), !colourBars);
    }

    // An hour view wider than a page is split at hours, and every hour label
    // is printed in the clock the switches ask for.
    auto hours = MakeView(0, 3, 480, 1080, 150, 12);
    QVERIFY(hours);
    hours->SetRulerDateFormat(QStringLiteral("D, n M Y"));
    for (const bool twelve : {true, false}) {
        hours->SetUse12Hour(twelve);
        hours->SetUse24Hour(!twelve);
        text = PrintedText(*hours, QPageLayout::Landscape);
        QVERIFY(text.count(QChar('\f')) >= 2);
        QVERIFY(text.contains(QStringLiteral("Monday, 30 November 2026")));
        QVERIFY2(text.contains(twelve ? "1 pm" : "13:00"), qPrintable(text));
        QVERIFY(!text.contains(twelve ? "13:00" : "1 pm"));
    }
}

QTEST_MAIN(TestScheduleView)
#include "tst_scheduleview.moc"

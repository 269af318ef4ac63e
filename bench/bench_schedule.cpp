// Benchmark of the schedule view on a large group: 50 resources over 61 days
// with 30,000 bookings. Prints the time to fill the view, to repaint it whole
// at a typical window size in each resolution, to repaint a strip exposed by
// scrolling, to answer 10,000 hit tests and to print it to PDF.

#include "base/ColourUtil.h"
#include "ui/controls/ScheduleView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 50;
constexpr int kDates = 61;
constexpr int kBarsPerRow = 600; // 30,000 in all
constexpr qint32 kFirstDate = 46354; // Monday 30 November 2026
constexpr int kDayStart = 480;
constexpr int kDayEnd = 1080;
const QSize kWindow(1280, 800);

struct Booking {
    int row;
    qint32 date;
    int start;
    int end;
    qint32 id;
    qint32 colour;
};

std::vector<Booking> MakeBookings() {
    // Per resource and date nine or ten bookings in hour slots, 20 to 60
    // minutes long, in order of start as the window adds them.
    QRandomGenerator random(46354);
    const qint32 colours[] = {0xF48542, 0x3744DB, 0x00B4F4, 0x589D0F, 0xBC47AB, 0xC1AC00};
    std::vector<Booking> bookings;
    qint32 id = 1;
    for (int row = 1; row <= kRows; ++row) {
        for (int d = 0; d < kDates; ++d) {
            const int count = (d + 1) * kBarsPerRow / kDates - d * kBarsPerRow / kDates;
            for (int k = 0; k < count; ++k) {
                const int start = kDayStart + k * 60;
                const int length = 20 + int(random.bounded(41));
                bookings.push_back(
                    {row, kFirstDate + d, start, start + length, id++, colours[random.bounded(6)]});
            }
        }
    }
    return bookings;
}

void Fill(ScheduleView& view, const std::vector<Booking>& bookings) {
    view.Clear();
    size_t next = 0;
    for (int row = 1; row <= kRows; ++row) {
        view.AddRow(QStringLiteral("Resource %1").arg(row));
        view.SetRowData(row, 1000 + row);
        for (; next < bookings.size() && bookings[next].row == row; ++next) {
            const Booking& b = bookings[next];
            const int bar = view.AddBar(row, b.start, b.end, b.date, b.date,
                                        QStringLiteral("B%1").arg(b.id));
            view.SetBarData(row, bar, b.id);
            view.SetBarColour(row, bar, b.colour);
            view.SetBarSecondText(row, bar, QString::number(b.id));
            view.SetBarText(row, bar, QStringLiteral("Customer %1").arg(b.id % 997));
        }
    }
}

void SetResolution(ScheduleView& view, int timeType) {
    view.SetTimeType(timeType);
    view.SetFirstDate(kFirstDate);
    view.SetLastDate(kFirstDate + (timeType == 0 ? 0 : timeType == 1 ? 32 : 60));
    view.SetRulerDateFormat(timeType == 0 ? QStringLiteral("D, n M Y") : QStringLiteral("M Y"));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Milliseconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const std::vector<Booking> bookings = MakeBookings();
    ScheduleView view;
    view.resize(kWindow);
    view.SetDayStart(kDayStart);
    view.SetDayEnd(kDayEnd);
    view.SetTimeDistance(60);
    view.SetSecondSpacing(5);
    view.SetListWidth(140);
    view.SetTitle(QStringLiteral("Benchmark group"));
    SetResolution(view, 2);
    view.show();
    QCoreApplication::processEvents();

    std::printf("ScheduleView: %d rows, %d dates, %zu bars, window %dx%d\n", kRows, kDates,
                bookings.size(), kWindow.width(), kWindow.height());

    std::vector<double> fills;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        Fill(view, bookings);
        fills.push_back(Milliseconds(timer));
    }
    std::printf("fill (clear, 50 rows, 30000 bars with datum, colour and texts): %.2f ms median "
                "of 7\n",
                Median(fills));

    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const char* names[] = {"hours (1 date)", "days (33 dates)", "weeks (61 dates)"};
    for (int timeType : {2, 1, 0}) {
        SetResolution(view, timeType);
        view.ShowTime(kFirstDate + (timeType == 0 ? 0 : 10), 600);
        std::vector<double> times;
        for (int run = 0; run < 20; ++run) {
            QElapsedTimer timer;
            timer.start();
            view.viewport()->render(&image);
            times.push_back(Milliseconds(timer));
        }
        std::printf("full repaint %dx%d, %s: %.2f ms median, %.2f ms worst of 20\n",
                    image.width(), image.height(), names[timeType], Median(times),
                    *std::max_element(times.begin(), times.end()));
    }

    // What a scroll step costs: the viewport is moved and only the exposed
    // strip (here 40 pixels of the rows and the ruler) is painted again.
    SetResolution(view, 2);
    view.ShowTime(kFirstDate + 10, 600);
    {
        const QRect strip(view.viewport()->width() - 40, 0, 40, view.viewport()->height());
        std::vector<double> times;
        for (int run = 0; run < 50; ++run) {
            QElapsedTimer timer;
            timer.start();
            view.viewport()->render(&image, strip.topLeft(), QRegion(strip));
            times.push_back(Milliseconds(timer));
        }
        std::printf("repaint of a 40-pixel strip exposed by scrolling, weeks: %.3f ms median\n",
                    Median(times));
    }

    {
        QRandomGenerator random(7);
        std::vector<QPoint> points;
        const QRect grid(view.ListWidth(), view.HeaderHeight(),
                         view.viewport()->width() - view.ListWidth(),
                         view.viewport()->height() - view.HeaderHeight());
        for (int i = 0; i < 10000; ++i)
            points.emplace_back(grid.left() + int(random.bounded(grid.width())),
                                grid.top() + int(random.bounded(grid.height())));
        for (int timeType : {2, 1, 0}) {
            SetResolution(view, timeType);
            view.ShowTime(kFirstDate + (timeType == 0 ? 0 : 10), 600);
            int onBars = 0;
            QElapsedTimer timer;
            timer.start();
            for (const QPoint& point : points)
                onBars += view.HitTest(point).bar != 0;
            const double ms = Milliseconds(timer);
            std::printf("10000 hit tests (row, date, minute, bar), %s: %.2f ms, %.3f us each, "
                        "%d on bars\n",
                        names[timeType], ms, ms * 1000 / 10000, onBars);
        }
    }

    {
        SetResolution(view, 2);
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("bench.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        view.SetPrintHeading(QStringLiteral("Benchmark"));
        const double scale = printer.resolution() / 96.0;
        const int pages =
            view.PrintPageCount(QSizeF(printer.width() / scale, printer.height() / scale));
        QElapsedTimer timer;
        timer.start();
        view.PrintTo(&printer);
        std::printf("print to PDF, A4 landscape, weeks: %d pages in %.1f ms\n", pages,
                    Milliseconds(timer));
    }
    return 0;
}

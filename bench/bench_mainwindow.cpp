// Figures of the main window's schedule on the benchmark database, on the
// embedded engine and on a PostgreSQL server side by side: the rebuild
// (ShowResources, through the window) of a 20-resource group and of the
// 1,000-resource group in the week resolution, beside a bare read of the same
// rows with the loader's one query (every value read, nothing built), their
// ratio, the memory the view holds per bar, and on the embedded engine the
// paint of a full HD viewport at several scroll positions. On the large
// group: the redraw after another workstation changed one booking beside the
// full rebuild, and the timer's check of an unchanged database beside the
// booking signature scan.
//
//   bench_mainwindow [DATABASE-FILE] [--server URI | --no-server]
//
// Without a file the benchmark database is generated. The server database
// (re)created is URI, else TARVELO_BENCH_PG, else tarvelo_bench on the test
// server of scripts/pg-server.sh; the server form is left out when it cannot
// be reached.
#include "BenchData.h"
#include "BenchSetup.h"

#include "base/ProgramState.h"
#include "data/ClsDAO.h"
#include "data/Recordset.h"
#include "data/SqlDialect.h"
#include "frame/ModMain.h"
#include "model/ClsBooking.h"
#include "model/Records.h"
#include "model/RowUpdate.h"
#include "model/ScheduleData.h"
#include "model/StoredRow.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/DlgMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRuns = 5;

struct Case {
    const char* name;
    qint32 group;
    qint32 date;
    double goalMs;
};
const Case kCases[] = {
    {"20 resources, weeks (61 days)", BenchData::FirstGroupId, BenchData::YearFirstDate + 60, 10},
    {"1,000 resources, weeks (61 days)", BenchData::LargeGroupId, BenchData::LargeFirstDate, 250},
};

struct Figures {
    BenchSetup::Rebuild rebuild;
    double bare = 0;
    double paintMedian = 0;
    double paintWorst = 0;
    // Another workstation's change, on the large group only.
    double redraw = -1;   // the timer's check with the touched row read again
    double unchanged = 0; // the timer's check with nothing changed
    double scan = 0;      // the signature scan the check used to run
    bool allRebuilt = false;
};

// The loader's query on a connection of its own, every value of every row
// read: what any load of these rows costs at least.
double BareRead(const QString& dbName, const ScheduleData::Selection& selection) {
    const QString name = QStringLiteral("bare");
    double ms = 0;
    {
        QSqlDatabase db = SqlDialect::For(dbName)->AddConnection(name, dbName);
        if (!db.open())
            return -1;
        QElapsedTimer t;
        t.start();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(ScheduleData::Query(selection));
        const int columns = q.record().count();
        qint64 sink = 0;
        while (q.next())
            for (int c = 0; c < columns; ++c)
                sink += q.value(c).isNull() ? 0 : 1;
        ms = double(t.nsecsElapsed()) / 1e6;
        if (sink < 0)
            std::printf("%lld\n", static_cast<long long>(sink));
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ms;
}

void Paint(ScheduleView* sched, Figures& f) {
    sched->resize(1920, 1080);
    QImage image(sched->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> paints;
    QScrollBar* h = sched->horizontalScrollBar();
    QScrollBar* v = sched->verticalScrollBar();
    for (int i = 0; i <= 8; ++i) {
        h->setValue(h->minimum() + (h->maximum() - h->minimum()) * i / 8);
        v->setValue(v->minimum() + (v->maximum() - v->minimum()) * ((i * 3) % 9) / 8);
        QApplication::processEvents();
        QPainter painter(&image);
        QElapsedTimer t;
        t.start();
        sched->viewport()->render(&painter);
        paints.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    f.paintMedian = BenchSetup::Median(paints);
    f.paintWorst = *std::max_element(paints.begin(), paints.end());
}

// Another workstation ("other") changes one booking of the group in view,
// and the window's timer redraws it; then ticks on an unchanged database,
// beside the booking signature scan that used to decide a rebuild.
void MeasureRefresh(DlgMain& main, const QString& dbName, qint32 group, Figures& f) {
    ClsDAO other;
    if (other.DbOpen(dbName) != 0)
        return;
    ScheduleView* sched = main.Sched();
    const qint32 first = sched->FirstDate();
    const qint32 last = sched->LastDate();
    const Recordset rs = other.SqlQuery(
        QStringLiteral("select b.BookingId, b.BookingEnd from tblBookings b join tblResources r "
                       "on r.ResourceId = b.ResourceId where r.GroupId = %1 and b.BookingDate "
                       "between %2 and %3 order by b.BookingId limit 1")
            .arg(group).arg(first).arg(last));
    if (!rs.IsOpen() || rs.Eof())
        return;
    const qint32 id = rs.Fields(0).Value.toInt();
    const int end = rs.Fields(1).Value.toInt();
    main.Timer1_Timer(); // takes note of the other workstation's open
    int marked = 0;
    for (int row = 1; row < sched->RowCount(); ++row)
        marked += sched->BarCount(row) > 0 ? 1 : 0;
    for (int row = 1; row < sched->RowCount(); ++row)
        sched->SetBarText(row, 1, QStringLiteral("untouched"));
    std::vector<double> redraws;
    for (int run = 0; run < kRuns; ++run) {
        StoredRow row(QStringLiteral("tblBookings"), QStringLiteral("BookingId"));
        row.Reload(other, id);
        RowUpdate::Update(other, row, id,
                          QStringLiteral("update tblBookings set BookingEnd = %1 where "
                                         "BookingId = %2").arg(end - 5 * (run % 2 + 1)).arg(id));
        QElapsedTimer t;
        t.start();
        main.Timer1_Timer();
        QApplication::processEvents();
        redraws.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    f.redraw = BenchSetup::Median(redraws);
    int kept = 0;
    for (int row = 1; row < sched->RowCount(); ++row)
        kept += sched->BarText(row, 1) == QLatin1String("untouched") ? 1 : 0;
    f.allRebuilt = kept < marked - 1; // the changed booking's row alone is read again
    std::vector<double> ticks, scans;
    for (int run = 0; run < 50; ++run) {
        QElapsedTimer t;
        t.start();
        main.Timer1_Timer();
        ticks.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        Records::Booking().BookingCheck(first, last, group);
        scans.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    f.unchanged = BenchSetup::Median(ticks);
    f.scan = BenchSetup::Median(scans);
    other.DbClose();
}

// Both cases on one database; false when the window did not start.
bool Measure(BenchSetup& setup, const QString& dbName, bool paint, std::vector<Figures>& out) {
    setup.WriteWindowSettings(dbName);
    auto main = std::make_unique<DlgMain>();
    if (!main->Started())
        return false;
    main->resize(1920, 1080);
    for (const Case& c : kCases) {
        Figures f;
        // One rebuild first, so that both sides find the rows in the cache.
        BenchSetup::TimeRebuilds(*main, c.group, c.date, 1);
        f.rebuild = BenchSetup::TimeRebuilds(*main, c.group, c.date, kRuns);
        ScheduleData::Selection selection;
        selection.groupId = c.group;
        selection.firstDate = main->Sched()->FirstDate();
        selection.lastDate = main->Sched()->LastDate();
        selection.contactNames = true;
        std::vector<double> bare;
        for (int run = 0; run < kRuns; ++run)
            bare.push_back(BareRead(dbName, selection));
        f.bare = BenchSetup::Median(bare);
        if (paint)
            Paint(main->Sched(), f);
        if (c.group == BenchData::LargeGroupId)
            MeasureRefresh(*main, dbName, c.group, f);
        out.push_back(f);
    }
    main.reset();
    if (ProgramState::IsRunning())
        ModMain::Terminate();
    return true;
}

const char* Met(bool met) { return met ? "met" : "NOT met"; }

void Print(const std::vector<Figures>& lite, const std::vector<Figures>& server) {
    const bool both = !server.empty();
    std::printf("\n%-40s %14s %14s\n", "", "SQLite file", both ? "PostgreSQL" : "");
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const Figures& a = lite[i];
        const Figures* b = both ? &server[i] : nullptr;
        const double ratio = a.rebuild.ms / std::max(a.bare, 0.001);
        std::printf("%s: %d bars\n", kCases[i].name, a.rebuild.bars);
        std::printf("  %-38s %11.1f ms", "ShowResources, through the window", a.rebuild.ms);
        if (b)
            std::printf(" %11.1f ms", b->rebuild.ms);
        std::printf("   goal on SQLite at most %.0f ms: %s\n", kCases[i].goalMs,
                    Met(a.rebuild.ms <= kCases[i].goalMs));
        std::printf("  %-38s %11.1f ms", "bare read of the rows, one query", a.bare);
        if (b)
            std::printf(" %11.1f ms", b->bare);
        std::printf("\n  %-38s %14.2f", "ratio window / bare read", ratio);
        if (b)
            std::printf(" %14.2f", b->rebuild.ms / std::max(b->bare, 0.001));
        if (i == std::size(kCases) - 1)
            std::printf("   goal on SQLite at most 1.5: %s", Met(ratio <= 1.5));
        std::printf("\n  %-38s %8.0f bytes", "memory per bar", a.rebuild.bytesPerBar);
        if (b)
            std::printf(" %8.0f bytes", b->rebuild.bytesPerBar);
        std::printf("   goal at most 120: %s\n", Met(a.rebuild.bytesPerBar <= 120));
        if (b) {
            const double cost = b->rebuild.ms / std::max(a.rebuild.ms, 0.001);
            std::printf("  %-38s %14.2f   goal at most 2: %s\n", "PostgreSQL / SQLite, window",
                        cost, Met(cost <= 2));
        }
        std::printf("  %-38s %8.2f ms median, %.2f ms worst (goal under 16 ms)\n",
                    "paint 1920x1080", a.paintMedian, a.paintWorst);
        if (a.redraw < 0)
            continue;
        std::printf("  Another workstation changes one booking; the timer's check redraws it:\n");
        std::printf("  %-38s %11.2f ms", "rows it touched read again", a.redraw);
        if (b)
            std::printf(" %11.2f ms", b->redraw);
        std::printf("   goal on SQLite under 20 ms: %s%s\n", Met(a.redraw < 20),
                    a.allRebuilt || (b && b->allRebuilt) ? " (BUT every row was read again)" : "");
        std::printf("  %-38s %11.1f ms", "beside: the full rebuild", a.rebuild.ms);
        if (b)
            std::printf(" %11.1f ms", b->rebuild.ms);
        std::printf("\n  %-38s %11.3f ms", "timer's check, nothing changed", a.unchanged);
        if (b)
            std::printf(" %11.3f ms", b->unchanged);
        std::printf("   goal on SQLite under 1 ms: %s\n", Met(a.unchanged < 1));
        std::printf("  %-38s %11.2f ms", "beside: the booking signature scan", a.scan);
        if (b)
            std::printf(" %11.2f ms", b->scan);
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString source;
    QString uri = qEnvironmentVariable("TARVELO_BENCH_PG");
    bool server = true;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--server") && i + 1 < args.size())
            uri = args[++i];
        else if (args[i] == QLatin1String("--no-server"))
            server = false;
        else
            source = args[i];
    }
    if (uri.isEmpty())
        uri = QStringLiteral("postgresql://postgres@127.0.0.1:55432/tarvelo_bench");
    BenchSetup setup;
    if (!setup.PrepareDatabase(source))
        return 1;
    std::vector<Figures> lite;
    std::vector<Figures> onServer;
    if (!Measure(setup, setup.DbFile(), true, lite)) {
        std::fprintf(stderr, "The program did not start on the database file.\n");
        return 1;
    }
    // The file now has every index the program adds at its start; the
    // server copy is made with the schema.
    if (server && (!setup.CopyToServer(uri) || !Measure(setup, uri, false, onServer))) {
        std::fprintf(stderr, "The server form is left out.\n");
        onServer.clear();
    }
    Print(lite, onServer);
    return 0;
}

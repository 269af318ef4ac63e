// Figures of the main window's schedule on the benchmark database: the
// rebuild of a 20-resource group and of the 1,000-resource group in the week
// resolution beside the same queries only read, the paint of a full HD
// viewport at several scroll positions, and the memory held per bar.
#include "BenchData.h"

#include "app/ClsIni.h"
#include "app/ClsForms.h"
#include "app/ModMain.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/DlgMain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The rebuild's queries with their rows only read: the floor of any rebuild.
double BareQueries(const QString& dbPath, qint32 group, qint32 first, qint32 last) {
    const QString name = QStringLiteral("bare");
    double ms = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dbPath);
        db.open();
        QElapsedTimer t;
        t.start();
        QSqlQuery resources(db);
        resources.setForwardOnly(true);
        resources.exec(QStringLiteral("select ResourceName, ResourceId from tblResources where "
                                      "GroupId = %1 order by ResourceName").arg(group));
        qint64 sink = 0;
        while (resources.next()) {
            QSqlQuery bookings(db);
            bookings.setForwardOnly(true);
            bookings.exec(QStringLiteral(
                "select (select Colour from tblTasks where TaskId = tblBookings.TaskId), (select "
                "CustomerName from tblCustomers where CustomerId = tblBookings.CustomerId), * "
                "from tblBookings where ResourceId = %1 and BookingDate >= %2 and BookingDate <= "
                "%3 order by BookingStart").arg(resources.value(1).toInt()).arg(first).arg(last));
            const int columns = bookings.record().count();
            while (bookings.next())
                for (int c = 0; c < columns; ++c)
                    sink += bookings.value(c).isNull() ? 0 : 1;
        }
        ms = double(t.nsecsElapsed()) / 1e6;
        if (sink < 0)
            std::printf("%lld\n", static_cast<long long>(sink));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ms;
}

struct Figures {
    double rebuild = 0;
    double bare = 0;
    int bars = 0;
    double bytesPerBar = 0;
    double paintWorst = 0;
    double paintMedian = 0;
};

Figures Measure(DlgMain& main, const QString& dbPath, qint32 group, qint32 date) {
    Figures f;
    main.SetCurrentDate(date);
    ClsForms::SelectItemId(main.CbGroup(), group);
    ScheduleView* sched = main.Sched();
    std::vector<double> rebuilds;
    for (int run = 0; run < 3; ++run) {
        sched->Clear();
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        QElapsedTimer t;
        t.start();
        main.ShowResources(0);
        rebuilds.push_back(double(t.nsecsElapsed()) / 1e6);
        const size_t after = mallinfo2().uordblks;
        f.bars = 0;
        for (int row = 1; row <= sched->RowCount() - 1; ++row)
            f.bars += sched->BarCount(row);
        if (f.bars > 0)
            f.bytesPerBar = double(after - before) / f.bars;
    }
    f.rebuild = Median(rebuilds);
    std::vector<double> bare;
    for (int run = 0; run < 3; ++run)
        bare.push_back(BareQueries(dbPath, group, sched->FirstDate(), sched->LastDate()));
    f.bare = Median(bare);

    // Paint a full HD viewport at scroll positions across the whole view.
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
    f.paintMedian = Median(paints);
    f.paintWorst = *std::max_element(paints.begin(), paints.end());
    return f;
}

void Print(const char* what, const Figures& f, double rebuildGoalMs) {
    std::printf("%s\n", what);
    std::printf("  bars shown                 %d\n", f.bars);
    std::printf("  ShowResources              %.1f ms (goal under %.0f ms)\n", f.rebuild, rebuildGoalMs);
    std::printf("  same queries, rows read    %.1f ms\n", f.bare);
    std::printf("  ratio                      %.2f (goal at most 3)\n", f.rebuild / std::max(f.bare, 0.001));
    std::printf("  paint 1920x1080, median    %.2f ms, worst %.2f ms (goal under 16 ms)\n",
                f.paintMedian, f.paintWorst);
    std::printf("  memory per bar             %.0f bytes (goal under 200)\n", f.bytesPerBar);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    ModMain::SetProgramFolder(dir.path());
    ModMain::SetBoxHandler([](ModMain::BoxKind, const QString&, const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return false;
    });
    const QString dbPath = dir.filePath(QStringLiteral("Tarvelo.db"));
    QString source = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (source.isEmpty()) {
        std::printf("Generating the benchmark database...\n");
        const BenchDataCounts counts = GenerateBenchDatabase(dbPath, 1);
        if (!counts.error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(counts.error));
            return 1;
        }
    } else if (!QFile::copy(source, dbPath)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(source));
        return 1;
    }
    {
        ClsIni ini;
        ini.SetIniFile(dir.filePath(ModMain::ExecutableBaseName() + QStringLiteral(".ini")));
        ini.WriteValue(QStringLiteral("Config"), QStringLiteral("TimeType"), 2);
        ini.WriteValue(QStringLiteral("Config"), QStringLiteral("LastDate"), BenchData::LargeFirstDate);
        ini.WriteValue(QStringLiteral("Options"), QStringLiteral("DispCustomer"), 1);
    }
    auto* main = new DlgMain;
    if (!main->Started())
        return 1;
    main->resize(1920, 1080);
    Print("Group of 20 resources, weeks (61 days)",
          Measure(*main, dbPath, BenchData::FirstGroupId, BenchData::YearFirstDate + 60), 100);
    Print("Group of 1,000 resources, weeks (61 days)",
          Measure(*main, dbPath, BenchData::LargeGroupId, BenchData::LargeFirstDate), 1000);
    delete main;
    return 0;
}

// The two engines side by side in one run, on the same generated rows: the
// embedded SQLite file and a database on a PostgreSQL server (the benchmark
// database copied into it, identifiers and all).
//
//   - ShowResources of the 1,000-resource group in the week resolution
//     (61 days, 100,000 bars), median of three rebuilds;
//   - ClsBooking.Save of new bookings on free slots (clash test, insert,
//     identifier read-back and change marker in one write transaction),
//     bookings per second.
//
// The goal: the server path within 3 times the embedded one.
//
//   bench_engines [SERVER-URI]
//
// SERVER-URI names the database to (re)create on the server; without it,
// TARVELO_BENCH_PG, else the test server of scripts/pg-server.sh
// (postgresql://postgres@127.0.0.1:55432/tarvelo_bench). Start that server
// with TARVELO_PG_DURABLE=1 for a fair comparison: then it flushes every
// commit to disk as the embedded engine does.
#include "BenchData.h"
#include "BenchSetup.h"

#include "base/ProgramState.h"
#include "frame/ModMain.h"
#include "model/ClsBooking.h"
#include "model/Records.h"
#include "ui/main/DlgMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int kSaves = 400;
// Far after the generated bookings: every slot is free.
constexpr qint32 kSaveFirstDate = BenchData::YearFirstDate + 2 * BenchData::YearDays;

struct Figures {
    double rebuildMs = 0;
    int bars = 0;
    double savesPerSecond = 0;
    int refused = 0;
};

bool Measure(const BenchSetup& setup, const QString& dbName, Figures& f) {
    setup.WriteWindowSettings(dbName);
    auto main = std::make_unique<DlgMain>();
    if (!main->Started())
        return false;
    main->resize(1920, 1080);
    const BenchSetup::Rebuild rebuild = BenchSetup::TimeRebuilds(
        *main, BenchData::LargeGroupId, BenchData::LargeFirstDate, 3);
    f.rebuildMs = rebuild.ms;
    f.bars = rebuild.bars;

    // New bookings one after another, as the booking dialog saves them.
    ClsBooking& booking = Records::Booking();
    QElapsedTimer all;
    all.start();
    for (int i = 0; i < kSaves; ++i) {
        booking.InitBfr();
        booking.SetResourceId(1 + i % BenchData::ResourcesPerGroup);
        booking.SetTaskId(1);
        booking.SetBookingDate(kSaveFirstDate + i / BenchData::ResourcesPerGroup);
        booking.SetBookingStart(480);
        booking.SetBookingEnd(510);
        booking.SetComments(QStringLiteral("bench"));
        if (booking.Save() == 0)
            ++f.refused;
    }
    f.savesPerSecond = kSaves * 1000.0 / std::max(1.0, double(all.elapsed()));
    main.reset();
    if (ProgramState::IsRunning())
        ModMain::Terminate();
    return true;
}

void Row(const char* what, double embedded, double server, const char* unit, bool higherIsBetter) {
    const double ratio = higherIsBetter ? embedded / std::max(server, 1e-9)
                                        : server / std::max(embedded, 1e-9);
    std::printf("  %-34s %10.1f %-4s %10.1f %-4s  server/embedded cost %.2f (goal at most 3: %s)\n",
                what, embedded, unit, server, unit, ratio, ratio <= 3.0 ? "met" : "NOT met");
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString uri = argc > 1 ? QString::fromLocal8Bit(argv[1])
                           : qEnvironmentVariable("TARVELO_BENCH_PG");
    if (uri.isEmpty())
        uri = QStringLiteral("postgresql://postgres@127.0.0.1:55432/tarvelo_bench");
    BenchSetup setup;
    if (!setup.PrepareDatabase() || !setup.CopyToServer(uri))
        return 1;

    Figures embedded;
    Figures server;
    if (!Measure(setup, setup.DbFile(), embedded) || !Measure(setup, uri, server)) {
        std::fprintf(stderr, "The program did not start on one of the databases.\n");
        return 1;
    }
    std::printf("\n  %-34s %15s %15s\n", "", "SQLite file", "PostgreSQL");
    Row("ShowResources, 1,000 resources", embedded.rebuildMs, server.rebuildMs, "ms", false);
    std::printf("  %-34s %10d      %10d      bars shown\n", "", embedded.bars, server.bars);
    Row("ClsBooking.Save, new bookings", embedded.savesPerSecond, server.savesPerSecond, "/s", true);
    if (embedded.refused + server.refused != 0)
        std::printf("  refused saves: %d embedded, %d server (expected none)\n", embedded.refused,
                    server.refused);
    return embedded.bars == server.bars && embedded.refused + server.refused == 0 ? 0 : 1;
}

// The iCalendar export of the 1,000-resource group's 61 days (100,000
// bookings) beside the bare query that reads the same rows: bench_ics [PATH]
// Without PATH the benchmark database is generated in a temporary folder.
// The times are written in the zone of TZ, Europe/Berlin when TZ is not set,
// so that every event carries a TZID and the file a VTIMEZONE.
#include "BenchData.h"

#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "frame/ModMain.h"
#include "transfer/IcsExport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr int kRounds = 3;
constexpr double kGoalSeconds = 5;

volatile qint64 g_sink = 0;

// Exec, then every value of every row by column number.
qint64 BareQuery(const QString& sql, int& rows) {
    QElapsedTimer t;
    t.start();
    QSqlQuery q(Database::DAO().Connection());
    q.setForwardOnly(true);
    q.exec(sql);
    const int cols = q.record().count();
    qint64 sum = 0;
    rows = 0;
    while (q.next()) {
        for (int i = 0; i < cols; ++i)
            sum += q.value(i).isNull() ? 1 : 2;
        ++rows;
    }
    g_sink = g_sink + sum;
    return t.nsecsElapsed();
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", "Europe/Berlin");
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    ProgramFolder::Set(dir.path());
    Messages::SetBoxHandler([](Messages::BoxKind, const QString&, const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return false;
    });
    const QString dbPath = dir.filePath(QStringLiteral("Tarvelo.db"));
    if (argc > 1) {
        if (!QFile::copy(QString::fromLocal8Bit(argv[1]), dbPath)) {
            std::fprintf(stderr, "cannot copy %s\n", argv[1]);
            return 1;
        }
    } else {
        std::printf("Generating the benchmark database...\n");
        const BenchDataCounts counts = GenerateBenchDatabase(dbPath, 1);
        if (!counts.error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(counts.error));
            return 1;
        }
    }
    if (!ModMain::Initialise(ModMain::LogStart::Append)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(dbPath));
        return 1;
    }
    const IcsExport::Selection selection{IcsExport::Scope::Group, BenchData::LargeGroupId,
                                         BenchData::LargeFirstDate,
                                         BenchData::LargeFirstDate + BenchData::LargeDays - 1};
    const QString sql = IcsExport::Query(selection);
    const QString path = IcsExport::ExportPath(QStringLiteral("Hot Desks"));

    qint64 bestQuery = std::numeric_limits<qint64>::max();
    qint64 bestBuild = bestQuery;
    qint64 bestWrite = bestQuery;
    qint64 bestTotal = bestQuery;
    int rows = 0;
    int events = 0;
    qint64 bytes = 0;
    bool ok = true;
    // One warm-up round, then the rounds that count.
    for (int round = 0; round <= kRounds; ++round) {
        const qint64 query = BareQuery(sql, rows);
        IcsExport ics;
        QElapsedTimer t;
        t.start();
        ok = ics.Build(selection) && ok;
        const qint64 build = t.nsecsElapsed();
        ok = ics.Write(path) && ok;
        const qint64 total = t.nsecsElapsed();
        if (!ok) {
            std::fprintf(stderr, "export failed: %s\n", qPrintable(ics.Failure()));
            break;
        }
        events = ics.Events();
        bytes = QFileInfo(path).size();
        if (round == 0)
            continue;
        bestQuery = std::min(bestQuery, query);
        bestBuild = std::min(bestBuild, build);
        bestWrite = std::min(bestWrite, total - build);
        bestTotal = std::min(bestTotal, total);
    }
    ModMain::Terminate();
    if (!ok)
        return 1;

    const auto ms = [](qint64 ns) { return double(ns) / 1e6; };
    std::printf("Calendar export of group %d, %d days, zone %s (best of %d rounds)\n",
                BenchData::LargeGroupId, BenchData::LargeDays, qPrintable(IcsExport::ZoneId()),
                kRounds);
    std::printf("  bare query, every value read : %8.1f ms  (%d rows)\n", ms(bestQuery), rows);
    std::printf("  export: query and calendar   : %8.1f ms  (%d events)\n", ms(bestBuild), events);
    std::printf("  export: file written         : %8.1f ms  (%.1f MB)\n", ms(bestWrite),
                double(bytes) / 1e6);
    std::printf("  export in all                : %8.1f ms  = %.1f x the bare query\n",
                ms(bestTotal), double(bestTotal) / double(std::max<qint64>(bestQuery, 1)));
    const bool met = ms(bestTotal) < kGoalSeconds * 1000;
    std::printf("  goal: under %.0f s             : %s\n", kGoalSeconds, met ? "met" : "MISSED");
    return met ? 0 : 2;
}

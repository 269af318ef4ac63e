// ClsDAO::SqlQuery against a bare QSqlQuery loop over the same 20,000 booking
// rows, side by side in one run: bench_dao [PATH]
// Without PATH the benchmark database is generated in a temporary folder.
#include "BenchData.h"

#include "base/ProgramFolder.h"
#include "data/ClsDAO.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr int kRows = 20000;
constexpr int kRounds = 15;

// Keeps the compiler from dropping the reads.
volatile qint64 g_sink = 0;

qint64 Touch(const QVariant& v) { return v.isNull() ? 1 : qint64(v.typeId()); }

// The 20,000 newest bookings of the large group, with every column.
QString Query() {
    return QStringLiteral("select * from tblBookings where BookingId >= %1 and BookingId < %2")
        .arg(BenchData::FirstLargeBookingId)
        .arg(BenchData::FirstLargeBookingId + kRows);
}

// What the record classes would write by hand: exec, then every value of
// every row by column number.
qint64 BareLoop(ClsDAO& dao, int& rows) {
    QElapsedTimer t;
    t.start();
    QSqlQuery q(dao.Connection());
    q.setForwardOnly(true);
    q.exec(Query());
    const int cols = q.record().count();
    qint64 sum = 0;
    rows = 0;
    while (q.next()) {
        for (int i = 0; i < cols; ++i)
            sum += Touch(q.value(i));
        ++rows;
    }
    g_sink = g_sink + sum;
    return t.nsecsElapsed();
}

// The snapshot alone: the query run and every row copied out.
qint64 SnapshotOnly(ClsDAO& dao, int& rows) {
    QElapsedTimer t;
    t.start();
    Recordset rs = dao.SqlQuery(Query());
    rows = rs.RecordCount();
    return t.nsecsElapsed();
}

// How callers use it: the snapshot, then every field of every row by name.
qint64 SnapshotRead(ClsDAO& dao, const QStringList& names, int& rows) {
    QElapsedTimer t;
    t.start();
    Recordset rs = dao.SqlQuery(Query());
    qint64 sum = 0;
    rows = 0;
    while (!rs.Eof()) {
        for (const QString& name : names)
            sum += Touch(rs.Fields(name).Value);
        rs.MoveNext();
        ++rows;
    }
    g_sink = g_sink + sum;
    return t.nsecsElapsed();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    ProgramFolder::Set(folder.path()); // the error log goes there
    const QStringList args = QCoreApplication::arguments();
    QString path;
    if (args.size() > 1) {
        path = args.at(1);
    } else {
        path = folder.filePath(QStringLiteral("Bench.db"));
        const BenchDataCounts counts = GenerateBenchDatabase(path);
        if (!counts.error.isEmpty()) {
            std::fprintf(stderr, "generating failed: %s\n", qPrintable(counts.error));
            return 1;
        }
        std::printf("generated %d bookings in %.2f s\n", counts.bookings,
                    counts.milliseconds / 1000.0);
    }

    ClsDAO dao;
    if (dao.DbOpen(path) != 0) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    const QStringList names{"BookingId",   "ResourceId", "TaskId",   "CustomerId",
                            "BookingDate", "BookingStart", "BookingEnd", "RepeatId",
                            "Ref01",       "Ref02",      "Ref03",    "Comments"};

    qint64 bestBare = std::numeric_limits<qint64>::max();
    qint64 bestSnap = bestBare;
    qint64 bestRead = bestBare;
    int rowsBare = 0, rowsSnap = 0, rowsRead = 0;
    // One warm-up round, then the rounds that count, the three ways taking
    // turns so that the page cache and the clock treat them alike.
    for (int round = 0; round <= kRounds; ++round) {
        const qint64 bare = BareLoop(dao, rowsBare);
        const qint64 snap = SnapshotOnly(dao, rowsSnap);
        const qint64 read = SnapshotRead(dao, names, rowsRead);
        if (round == 0)
            continue;
        bestBare = std::min(bestBare, bare);
        bestSnap = std::min(bestSnap, snap);
        bestRead = std::min(bestRead, read);
    }
    if (rowsBare != kRows || rowsSnap != kRows || rowsRead != kRows) {
        std::fprintf(stderr, "expected %d rows, read %d / %d / %d\n", kRows, rowsBare, rowsSnap,
                     rowsRead);
        return 1;
    }

    const double ms = 1e6;
    std::printf("rows per query                         %d x %d columns, best of %d rounds\n",
                kRows, int(names.size()), kRounds);
    std::printf("bare QSqlQuery loop                    %8.2f ms\n", bestBare / ms);
    std::printf("SqlQuery (snapshot taken)              %8.2f ms   ratio %.2f\n", bestSnap / ms,
                double(bestSnap) / double(bestBare));
    std::printf("SqlQuery + Fields(name) of every cell  %8.2f ms   ratio %.2f\n", bestRead / ms,
                double(bestRead) / double(bestBare));
    const double ratio = double(bestRead) / double(bestBare);
    std::printf("goal: ratio at most 1.50               %s\n", ratio <= 1.5 ? "met" : "NOT MET");
    return 0;
}

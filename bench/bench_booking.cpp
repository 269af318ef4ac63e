// Benchmark of the booking record on the generated database (10 groups of 20
// resources over a year, one group of 1,000 resources with 100,000 bookings
// in 61 days):
//   - ClsBooking.Save of new bookings (clash test, insert, change marker and
//     identifier read-back in one write transaction), beside the same
//     statements run bare through QtSql, once as one transaction per booking
//     and once one statement at a time (each write its own commit);
//   - the journal's price: Save with the journal and with it switched off,
//     side by side, and the database's growth per 100,000 changes each way;
//   - ClsBooking.BookingCheck over one group and 61 days, for an ordinary
//     group and for the 1,000-resource group, beside the bare statement.
// Every write commits to disk, so the Save figures depend on the disk's
// flush time; the load average, one flush and the processor time per call
// are printed with them.
//
// Usage: bench_booking [bookings per run, default 2000]

#include "BenchData.h"

#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/Journal.h"
#include "frame/ModMain.h"
#include "model/ClsBooking.h"
#include "model/Records.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr double kSaveGoalPerSecond = 500;
constexpr double kCheckGoalMs = 5;
constexpr int kCheckRuns = 50;

struct Slot {
    qint32 resource;
    qint32 task;
    qint32 date;
    qint16 start;
    qint16 end;
};

// Processor time of this process, which the machine's load does not inflate.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Timing {
    int done = 0;
    int failed = 0;
    double totalMs = 0;
    double cpuMs = 0;
    std::vector<double> eachMs;

    double PerSecond() const { return totalMs > 0 ? done * 1000.0 / totalMs : 0; }
    double Percentile(double p) const {
        if (eachMs.empty())
            return 0;
        std::vector<double> sorted = eachMs;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size())))];
    }
};

QString Num(qint64 v) {
    return QString::number(v);
}

// A connection of its own on the database file, as the program opens it.
class BareConnection {
public:
    explicit BareConnection(const QString& path) {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        m_db.setDatabaseName(path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
        if (!m_db.open())
            std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
    }
    ~BareConnection() {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(kName);
    }
    // Runs one statement; returns the first column of the first row.
    QVariant Exec(const QString& sql, bool* ok = nullptr) {
        QSqlQuery q(m_db);
        const bool done = q.exec(sql);
        if (ok)
            *ok = done;
        if (!done) {
            std::fprintf(stderr, "failed: %s (%s)\n", qPrintable(q.lastError().text()),
                         qPrintable(sql.left(200)));
            return {};
        }
        return q.next() ? q.value(0) : QVariant();
    }
    QList<QList<QVariant>> Rows(const QString& sql) {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        QList<QList<QVariant>> rows;
        if (!q.exec(sql))
            return rows;
        while (q.next()) {
            QList<QVariant> row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            rows << row;
        }
        return rows;
    }

private:
    static inline const QString kName = QStringLiteral("bench-bare");
    QSqlDatabase m_db;
};

QString InsertSql(const Slot& s, const QString& comment) {
    return QStringLiteral("insert into tblBookings (TaskId, BookingDate, BookingStart, "
                          "BookingEnd, CustomerId, RepeatId, ResourceId, Ref01, Ref02, Ref03, "
                          "Comments) values (") +
           Num(s.task) + QStringLiteral(", ") + Num(s.date) + QStringLiteral(", ") + Num(s.start) +
           QStringLiteral(", ") + Num(s.end) + QStringLiteral(", 0, 0, ") + Num(s.resource) +
           QStringLiteral(", '', '', '', ") + ClsDAO::Quoted(comment) + QLatin1Char(')');
}

QString MaxIdSql(const Slot& s) {
    return QStringLiteral("select max(BookingId) from tblBookings where BookingDate = ") +
           Num(s.date) + QStringLiteral(" and BookingStart = ") + Num(s.start) +
           QStringLiteral(" and BookingEnd = ") + Num(s.end);
}

QString MarkerSql() {
    return QStringLiteral("insert or replace into tblProperties (PropName, PropValue) values "
                          "('LastUpdated', '") +
           Num(ClsDAO::TickCount()) + QStringLiteral("')");
}

// Free half-hour slots of the ordinary groups' resources, spread over the
// year, each checked against the bookings already there.
std::vector<Slot> FreeSlots(BareConnection& bare, qint32 bigGroup, size_t wanted) {
    std::vector<Slot> found;
    const auto resources = bare.Rows(
        QStringLiteral("select r.ResourceId, (select min(TaskId) from tblTasks t where t.GroupId "
                       "= r.GroupId), g.DayStart, g.DayEnd from tblResources r join tblGroups g "
                       "on g.GroupId = r.GroupId where r.GroupId <> ") +
        Num(bigGroup) + QStringLiteral(" order by r.ResourceId"));
    const qint32 firstDate = BenchData::YearFirstDate;
    if (resources.isEmpty())
        return found;
    for (size_t k = 0; found.size() < wanted && k < wanted * 40; ++k) {
        const auto& r = resources[int(k % size_t(resources.size()))];
        const int dayStart = r[2].toInt();
        const int dayEnd = std::max(r[3].toInt(), dayStart + 60);
        const int places = std::max(1, (dayEnd - dayStart) / 30);
        Slot s;
        s.resource = r[0].toInt();
        s.task = r[1].toInt();
        s.date = firstDate + qint32((k * 7919) % size_t(BenchData::YearDays));
        s.start = qint16(dayStart + 30 * int((k / size_t(resources.size())) % size_t(places)));
        s.end = qint16(s.start + 30);
        if (bare.Exec(ClsBooking::ClashQuery(s.resource, s.date, s.start, s.end, 0)).isNull() &&
            std::none_of(found.begin(), found.end(), [&](const Slot& o) {
                return o.resource == s.resource && o.date == s.date && o.start == s.start;
            }))
            found.push_back(s);
    }
    return found;
}

Timing TimeEach(const std::vector<Slot>& bookings, const std::function<bool(const Slot&)>& save) {
    Timing t;
    QElapsedTimer all;
    all.start();
    const double cpuStart = CpuMs();
    for (const Slot& s : bookings) {
        QElapsedTimer one;
        one.start();
        if (save(s))
            ++t.done;
        else
            ++t.failed;
        t.eachMs.push_back(double(one.nsecsElapsed()) / 1e6);
    }
    t.totalMs = double(all.nsecsElapsed()) / 1e6;
    t.cpuMs = CpuMs() - cpuStart;
    return t;
}

// New bookings through the shared ClsBooking, as the booking dialog saves them.
Timing SaveBookings(const std::vector<Slot>& bookings) {
    ClsBooking& booking = Records::Booking();
    return TimeEach(bookings, [&](const Slot& s) {
        booking.InitBfr();
        booking.SetResourceId(s.resource);
        booking.SetTaskId(s.task);
        booking.SetBookingDate(s.date);
        booking.SetBookingStart(s.start);
        booking.SetBookingEnd(s.end);
        booking.SetComments(QStringLiteral("bench"));
        return booking.Save() != 0;
    });
}

// The same new bookings saved with the journal and without it (switched
// off), in alternating turns of 100 so that the disk's and the machine's
// moods fall on both alike; each side's growth of the database file is
// summed over its turns.
struct JournalCost {
    Timing with;
    Timing without;
    qint64 grewWith = 0;
    qint64 grewWithout = 0;
};

void Add(Timing& sum, const Timing& part) {
    sum.done += part.done;
    sum.failed += part.failed;
    sum.totalMs += part.totalMs;
    sum.cpuMs += part.cpuMs;
    sum.eachMs.insert(sum.eachMs.end(), part.eachMs.begin(), part.eachMs.end());
}

JournalCost TimeJournal(const std::vector<Slot>& with, const std::vector<Slot>& without,
                        const QString& dbPath) {
    constexpr size_t kTurn = 100;
    JournalCost cost;
    // The running program always listens to the journal (its undo list):
    // an entry then also learns its number and is told after the commit.
    int told = 0;
    const int listener = Journal::AddListener([&](ClsDAO&, const Journal::Entry&) { ++told; });
    for (size_t from = 0; from < std::min(with.size(), without.size()); from += kTurn) {
        // Each side goes first in every other pair of turns: the log's
        // checkpoints and the disk's moods follow the order of the writes.
        const bool withFirst = (from / kTurn) % 2 == 0;
        for (const bool journal : {withFirst, !withFirst}) {
            const std::vector<Slot>& saves = journal ? with : without;
            const std::vector<Slot> turn(saves.begin() + long(from),
                                         saves.begin() + long(std::min(saves.size(), from + kTurn)));
            const qint64 before = QFileInfo(dbPath).size();
            Journal::SetOff(!journal);
            Add(journal ? cost.with : cost.without, SaveBookings(turn));
            Journal::SetOff(false);
            (journal ? cost.grewWith : cost.grewWithout) += QFileInfo(dbPath).size() - before;
        }
    }
    Journal::RemoveListener(listener);
    if (told != cost.with.done)
        std::printf("  the listener was told of %d entries, not %d\n", told, cost.with.done);
    return cost;
}

bool StartProgram(const QString& dbPath) {
    QFile ini(
        ProgramFolder::FilePath(ProgramFolder::ExecutableBaseName() + QStringLiteral(".ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    ini.write("[Config]\r\nDbName=" + dbPath.toUtf8() + "\r\n");
    ini.close();
    return ModMain::Initialise();
}

void PrintSave(const char* what, const Timing& t, bool withGoal) {
    std::printf("  %-44s %5d stored %3d refused %6.0f /s  median %6.2f ms  p99 %6.2f ms  "
                "cpu %5.2f ms%s\n",
                what, t.done, t.failed, t.PerSecond(), t.Percentile(0.5), t.Percentile(0.99),
                t.eachMs.empty() ? 0.0 : t.cpuMs / double(t.eachMs.size()),
                withGoal ? (t.PerSecond() >= kSaveGoalPerSecond ? "   (goal >= 500/s: met)"
                                                                : "   (goal >= 500/s: NOT met)")
                         : "");
}

void PrintJournalCost(const JournalCost& cost, bool growth) {
    PrintSave("ClsBooking.Save with the journal", cost.with, false);
    PrintSave("ClsBooking.Save without it", cost.without, false);
    const double ratio = cost.with.PerSecond() / std::max(cost.without.PerSecond(), 1e-9);
    std::printf("  with / without: %.3f, %.1f%% slower (goal at most 10%%: %s)\n", ratio,
                100 * (1 - ratio), ratio >= 0.9 ? "met" : "NOT met");
    const auto per100k = [](qint64 grew, const Timing& t) {
        return t.done > 0 ? double(grew) / t.done * 100000 / 1e6 : 0.0;
    };
    if (growth)
        std::printf("  database growth per 100,000 new bookings: %.1f MB with the journal, "
                    "%.1f MB without it: %.1f MB for the journal\n",
                    per100k(cost.grewWith, cost.with), per100k(cost.grewWithout, cost.without),
                    per100k(cost.grewWith, cost.with) - per100k(cost.grewWithout, cost.without));
}

struct CheckTiming {
    double meanMs = 0;
    double bestMs = 0;
    double cpuMs = 0;
    qint64 value = 0;
};

CheckTiming TimeCheck(const std::function<qint64()>& check) {
    for (int i = 0; i < 5; ++i)
        check();
    CheckTiming t;
    std::vector<double> each;
    const double cpuStart = CpuMs();
    for (int i = 0; i < kCheckRuns; ++i) {
        QElapsedTimer one;
        one.start();
        t.value = check();
        each.push_back(double(one.nsecsElapsed()) / 1e6);
    }
    t.cpuMs = (CpuMs() - cpuStart) / kCheckRuns;
    t.bestMs = *std::min_element(each.begin(), each.end());
    double sum = 0;
    for (double v : each)
        sum += v;
    t.meanMs = sum / double(each.size());
    return t;
}

// The time the disk takes to flush a small write, which bounds any commit.
double FlushMs(const QString& folder) {
    QFile file(QDir(folder).filePath(QStringLiteral("flush.probe")));
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return 0;
    std::vector<double> each;
    for (int i = 0; i < 50; ++i) {
        file.write("x", 1);
        file.flush();
        QElapsedTimer one;
        one.start();
        ::fsync(file.handle());
        each.push_back(double(one.nsecsElapsed()) / 1e6);
    }
    file.close();
    file.remove();
    std::sort(each.begin(), each.end());
    return each[each.size() / 2];
}

QString LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const size_t perRun = argc > 1 ? size_t(std::max(10, atoi(argv[1]))) : 2000;

    QTemporaryDir dir;
    const QString dbPath = QDir(dir.path()).filePath(QStringLiteral("Tarvelo.db"));
    const BenchDataCounts counts = GenerateBenchDatabase(dbPath, 1);
    if (!counts.error.isEmpty()) {
        std::fprintf(stderr, "no benchmark database: %s\n", qPrintable(counts.error));
        return 1;
    }
    std::printf("Generated database: %.1f s, %.1f MB, %d bookings, %d resources, %d groups\n",
                double(counts.milliseconds) / 1000.0, double(QFileInfo(dbPath).size()) / 1e6,
                counts.bookings, counts.resources, counts.groups);

    // The program as it runs on a workstation: its own folder and settings
    // file naming the database.
    ProgramFolder::Set(dir.path());
    Messages::SetBoxHandler(
        [](Messages::BoxKind, const QString&, const QString&) { return false; });
    if (!StartProgram(dbPath)) {
        std::fprintf(stderr, "the database does not open\n");
        return 1;
    }

    int result = 0;
    std::vector<Slot> forWal, forWalNormal, forWalJournal;
    {
        BareConnection bare(dbPath);
        std::printf("Journal mode %s, synchronous %d (the engine's defaults)\n",
                    qPrintable(bare.Exec(QStringLiteral("pragma journal_mode")).toString()),
                    bare.Exec(QStringLiteral("pragma synchronous")).toInt());
        const qint32 bigGroup = BenchData::LargeGroupId;
        const qint32 ordinaryGroup = BenchData::FirstGroupId;

        // ---- Save ----
        const std::vector<Slot> freeSlots = FreeSlots(bare, bigGroup, 9 * perRun);
        if (freeSlots.size() < 9 * perRun) {
            std::fprintf(stderr, "only %zu free slots freeSlots\n", freeSlots.size());
            result = 1;
        } else {
            const std::vector<Slot> forSave(freeSlots.begin(), freeSlots.begin() + long(perRun));
            const std::vector<Slot> forBareTxn(freeSlots.begin() + long(perRun),
                                               freeSlots.begin() + long(2 * perRun));
            const std::vector<Slot> forBareSingle(freeSlots.begin() + long(2 * perRun),
                                                  freeSlots.begin() + long(3 * perRun));
            forWal.assign(freeSlots.begin() + long(3 * perRun),
                          freeSlots.begin() + long(4 * perRun));
            forWalNormal.assign(freeSlots.begin() + long(4 * perRun),
                                freeSlots.begin() + long(5 * perRun));
            const std::vector<Slot> journalled(freeSlots.begin() + long(5 * perRun),
                                               freeSlots.begin() + long(6 * perRun));
            const std::vector<Slot> unjournalled(freeSlots.begin() + long(6 * perRun),
                                                 freeSlots.begin() + long(7 * perRun));
            forWalJournal.assign(freeSlots.begin() + long(7 * perRun), freeSlots.end());
            std::printf("\nNew bookings, %zu per run (load average %s; one disk flush takes "
                        "%.2f ms, a commit needs three or four)\n",
                        perRun, qPrintable(LoadAverage()), FlushMs(dir.path()));

            const Timing save = SaveBookings(forSave);
            PrintSave("ClsBooking.Save", save, true);

            const Timing bareTxn = TimeEach(forBareTxn, [&](const Slot& s) {
                bool ok = false;
                bare.Exec(QStringLiteral("begin immediate"), &ok);
                if (!ok)
                    return false;
                const bool free =
                    bare.Exec(ClsBooking::ClashQuery(s.resource, s.date, s.start, s.end, 0))
                        .isNull();
                bool inserted = false;
                if (free) {
                    bare.Exec(InsertSql(s, QStringLiteral("bare")), &inserted);
                    bare.Exec(MarkerSql());
                    bare.Exec(MaxIdSql(s));
                }
                bare.Exec(inserted ? QStringLiteral("commit") : QStringLiteral("rollback"));
                return inserted;
            });
            PrintSave("bare QtSql, one transaction per booking", bareTxn, false);

            const Timing bareSingle = TimeEach(forBareSingle, [&](const Slot& s) {
                if (!bare.Exec(ClsBooking::ClashQuery(s.resource, s.date, s.start, s.end, 0))
                         .isNull())
                    return false;
                bool inserted = false;
                bare.Exec(InsertSql(s, QStringLiteral("bare")), &inserted);
                bare.Exec(MarkerSql());
                bare.Exec(MaxIdSql(s));
                return inserted;
            });
            PrintSave("bare QtSql, statement at a time (2 commits)", bareSingle, false);
            std::printf("  Save does one commit per booking: the clash test, the insert, the "
                        "marker, the read-back and the journal entry share it.\n");
            // What the journal holds per change: its text, scaled to 100,000
            // changes (the engine adds a few bytes of its own per row).
            const QVariant entries = bare.Exec(QStringLiteral("select count(*) from tblJournal"));
            const QVariant text = bare.Exec(QStringLiteral(
                "select sum(length(ChangedAt) + length(Workstation) + length(UserName) + "
                "length(Action) + length(TableName) + length(Before) + length(After) + 8) "
                "from tblJournal"));
            if (entries.toLongLong() > 0)
                std::printf("  Journal: %lld entries, %.0f bytes each: %.1f MB per 100,000 "
                            "changes\n",
                            entries.toLongLong(), text.toDouble() / entries.toDouble(),
                            text.toDouble() / entries.toDouble() * 100000 / 1e6);

            // What the journal costs: the same saves with it and without it.
            std::printf("\nThe journal's price: %zu new bookings each way, in turns of 100\n",
                        perRun);
            PrintJournalCost(TimeJournal(journalled, unjournalled, dbPath), true);
            if (save.failed != 0 || save.PerSecond() < kSaveGoalPerSecond)
                result = 2;
        }

        // ---- BookingCheck ----
        // The 61 days of the large group, from the first (the span of the
        // schedule's week view).
        const qint32 from = BenchData::LargeFirstDate;
        const qint32 to = from + BenchData::LargeDays - 1;
        std::printf("\nBookingCheck over 61 days (%d runs each)\n", kCheckRuns);
        for (const qint32 group : {ordinaryGroup, bigGroup}) {
            const int resources =
                bare.Exec(QStringLiteral("select count(*) from tblResources where GroupId = ") +
                          Num(group))
                    .toInt();
            const int bookings =
                bare.Exec(QStringLiteral("select count(*) from tblBookings where BookingDate >= ") +
                          Num(from) + QStringLiteral(" and BookingDate <= ") + Num(to) +
                          QStringLiteral(" and ResourceId in (select ResourceId from "
                                         "tblResources where GroupId = ") +
                          Num(group) + QStringLiteral(")"))
                    .toInt();
            const CheckTiming mine =
                TimeCheck([&] { return qint64(Records::Booking().BookingCheck(from, to, group)); });
            const QString sql =
                QStringLiteral("select sum(BookingEnd - BookingStart), sum(BookingStart) from "
                               "tblBookings where BookingDate >= ") +
                Num(from) + QStringLiteral(" and BookingDate <= ") + Num(to) +
                QStringLiteral(" and ResourceId in (select ResourceId from tblResources where "
                               "GroupId = ") +
                Num(group) + QLatin1Char(')');
            const CheckTiming plain = TimeCheck([&] {
                const auto rows = bare.Rows(sql);
                return rows.isEmpty() ? 0 : rows[0][0].toLongLong() + rows[0][1].toLongLong();
            });
            const bool met = mine.meanMs < kCheckGoalMs;
            std::printf("  group %d (%d resources, %d bookings):\n", group, resources, bookings);
            std::printf(
                "    ClsBooking.BookingCheck  mean %7.2f ms  best %7.2f ms  cpu %6.2f ms%s\n",
                mine.meanMs, mine.bestMs, mine.cpuMs,
                met ? "   (goal < 5 ms: met)" : "   (goal < 5 ms: NOT met)");
            std::printf("    bare QtSql               mean %7.2f ms  best %7.2f ms  cpu %6.2f ms\n",
                        plain.meanMs, plain.bestMs, plain.cpuMs);
            if (qint32(plain.value) != qint32(mine.value)) {
                std::printf("    the two results differ: %lld and %lld\n", mine.value, plain.value);
                result = 3;
            }
        }
    }
    ModMain::Terminate();

    // For comparison only: the same Save on a copy of the database kept with
    // a write-ahead log, which commits with one flush, or none with
    // synchronous normal. The program does not use it: the log's index lives
    // in shared memory, so every workstation would have to run on the one
    // computer that holds the file; a database on a network share breaks.
    const QString walPath = QDir(dir.path()).filePath(QStringLiteral("Wal.db"));
    if (!forWal.empty() && QFile::copy(dbPath, walPath)) {
        {
            BareConnection wal(walPath);
            wal.Exec(QStringLiteral("pragma journal_mode = wal"));
        }
        if (StartProgram(walPath)) {
            std::printf("\nFor comparison, not used by the program (one computer only):\n");
            PrintSave("ClsBooking.Save, write-ahead log", SaveBookings(forWal), false);
            Database::DAO().SqlAction(QStringLiteral("pragma synchronous = normal"));
            PrintSave("  ... and synchronous normal", SaveBookings(forWalNormal), false);
            // Commits that wait for no disk leave the processor's work: the
            // journal's price where the disk is not what limits the saves.
            std::printf("  The journal's price there, %zu new bookings each way:\n",
                        forWalJournal.size() / 2);
            const size_t half = forWalJournal.size() / 2;
            PrintJournalCost(TimeJournal({forWalJournal.begin(), forWalJournal.begin() + long(half)},
                                         {forWalJournal.begin() + long(half), forWalJournal.end()},
                                         walPath),
                             false);
            ModMain::Terminate();
        }
    }
    return result;
}

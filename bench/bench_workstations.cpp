// Many workstations on one database for a while, then a check of what they
// left behind. The executable starts itself once per workstation with
// "--workstation"; each child has a program folder of its own whose settings
// name the shared database, runs the program's start-up and then, until its
// time is up, does a seeded random mix of what the windows do through the
// record classes: new bookings, moves and stretches, deletes, repeat series
// and their deletion, and edits, deletes and additions of appointment types,
// contacts and resources. Every operation is one line of the workstation's
// operations.log: written and flushed before the call with what it is about
// to store (and a token of its own in the Comments or the name, so that the
// row can be recognised), completed after it with the result the call
// reported. Meanwhile the first workstation is killed (SIGKILL) half-way
// through; on the server the second one's connections are ended several
// times, each time while it is inside a statement or a transaction if that
// can be caught, and it must carry on.
//
// At the end the logs are replayed against the database: no two bookings of
// one resource overlap, no booking refers to a missing resource or type,
// every operation reported as stored is stored as reported unless a later
// operation (one that may have committed after it) changed or deleted its
// row, nothing reported as failed was stored (found at the end, or found by
// a later operation: a row no insert reported, an edit that loaded what a
// failed save wrote), no repeat identifier was handed out twice, and the
// integrity check finds nothing to repair. The killed workstation's last,
// unreported operation may or may not have run.
// Exits 0 when all of that holds, 1 otherwise, 77 when the server is not
// reachable (outside CI).
//
//   bench_workstations [--seconds N] [--workstations N] [--engine sqlite|postgresql]
//                      [--server URI] [--seed N] [--keep DIR]
//
// The engine defaults to TARVELO_TEST_ENGINE, else sqlite; the server to
// TARVELO_TEST_PG, else the test server of scripts/pg-server.sh.
#include "ServerCopy.h"

#include "base/ClsIni.h"
#include "base/ErrorTrap.h"
#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "data/ClsDAO.h"
#include "data/ConnectionInfo.h"
#include "data/Database.h"
#include "data/DbSchema.h"
#include "data/SqlDialect.h"
#include "frame/ModMain.h"
#include "model/ClsBooking.h"
#include "model/ClsCustomer.h"
#include "model/ClsResource.h"
#include "model/ClsTask.h"
#include "model/Records.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <functional>
#include <random>
#include <span>

namespace {

constexpr qint32 kGroup = 1;
// The seeded resources, types and contacts are edited but never deleted, so
// that most bookings rest on rows that stay; the workstations delete only
// those they added.
constexpr int kSeedResources = 6;
constexpr int kSeedTypes = 6;
constexpr int kSeedContacts = 20;
constexpr qint32 kFirstDate = 46100;
constexpr int kDays = 12;
constexpr int kDayStart = 480;
constexpr int kDayEnd = 1080;
constexpr int kSkipCode = 77;

// Microseconds of the system's monotonic clock, which every process shares.
qint64 NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ---------------------------------------------------------------------------
// A workstation

class Workstation {
public:
    Workstation(int index, quint64 seed, QFile& log) : m_index(index), m_rng(seed), m_log(log) {}

    void Step() {
        if (m_steps++ % 8 == 0)
            Refresh();
        struct Mix {
            int weight;
            void (Workstation::*run)();
        };
        static const Mix mix[] = {
            {26, &Workstation::NewBooking},   {24, &Workstation::ChangeBooking},
            {9, &Workstation::DeleteBooking}, {5, &Workstation::NewSeries},
            {3, &Workstation::DeleteSeries},  {5, &Workstation::EditType},
            {2, &Workstation::NewType},       {2, &Workstation::DeleteType},
            {5, &Workstation::EditContact},   {3, &Workstation::NewContact},
            {3, &Workstation::DeleteContact}, {1, &Workstation::NewResource},
            {1, &Workstation::DeleteResource}};
        int total = 0;
        for (const Mix& m : mix)
            total += m.weight;
        int pick = Rnd(1, total);
        for (const Mix& m : mix)
            if ((pick -= m.weight) <= 0)
                return (this->*m.run)();
    }

private:
    int Rnd(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    bool Chance(int percent) { return Rnd(1, 100) <= percent; }
    // A user looking at an open form before saving it.
    void Think() {
        if (Chance(30))
            QThread::usleep(1000 * Rnd(1, 20));
    }

    static QList<qint32> Ids(const QString& sql) {
        QList<qint32> ids;
        TrapSilent([&] {
            for (Recordset rs = Database::DAO().SqlQuery(sql); !rs.Eof(); rs.MoveNext())
                ids << rs.Fields(0).Long();
        });
        return ids;
    }
    // The lists a window shows until its next refresh: they may name rows
    // that another workstation has deleted since.
    void Refresh() {
        m_resources = Ids(QStringLiteral("select ResourceId from tblResources"));
        m_types = Ids(QStringLiteral("select TaskId from tblTasks"));
        m_contacts = Ids(QStringLiteral("select CustomerId from tblCustomers"));
    }
    // With `seededShare` percent chance one of the seeded 1..`seeded`, else
    // one of the list; with `added`, only one added by a workstation (0 when
    // there is none).
    qint32 Pick(const QList<qint32>& ids, int seeded, int seededShare, bool added = false) {
        QList<qint32> from;
        for (qint32 id : ids)
            if (!added || id > seeded)
                from << id;
        if (from.isEmpty() || (!added && Chance(seededShare)))
            return added ? 0 : Rnd(1, seeded);
        return from[Rnd(0, int(from.size()) - 1)];
    }
    // A booking (or with `repeats`, a series) on a random date; 0 for none.
    qint32 PickBooking(bool repeats = false) {
        const QList<qint32> ids =
            Ids(QStringLiteral("select %1 from tblBookings where BookingDate = %2%3")
                    .arg(repeats ? "RepeatId" : "BookingId")
                    .arg(kFirstDate + Rnd(0, kDays - 1))
                    .arg(repeats ? " and RepeatId <> 0" : ""));
        return ids.isEmpty() ? 0 : ids[Rnd(0, int(ids.size()) - 1)];
    }

    // An operation's log line: its first half, with what is about to be
    // stored, before the call; the result and the time after it.
    QString Start() {
        m_t0 = NowUs();
        return QStringLiteral("w%1-%2").arg(m_index).arg(++m_op);
    }
    void Begin(const char* op, qint32 id, const QString& fields = QString()) {
        Write(QStringLiteral("n=%1 op=%2 t0=%3 ts=%4 id=%5 tok=w%6-%1 %7")
                  .arg(m_op).arg(QLatin1String(op)).arg(m_t0).arg(NowUs()).arg(id).arg(m_index)
                  .arg(fields));
    }
    void End(qint64 ret) { Write(QStringLiteral(" ret=%1 t1=%2\n").arg(ret).arg(NowUs())); }
    void Write(const QString& text) {
        m_log.write(text.toUtf8());
        m_log.flush();
    }
    void Run(const char* op, qint32 id, const QString& fields,
             const std::function<qint64()>& call) {
        Begin(op, id, fields);
        End(call());
    }

    static QString Fields(const ClsBooking& b) {
        return QStringLiteral("res=%1 task=%2 cust=%3 date=%4 start=%5 stop=%6 rep=%7")
            .arg(b.ResourceId()).arg(b.TaskId()).arg(b.CustomerId()).arg(b.BookingDate())
            .arg(b.BookingStart()).arg(b.BookingEnd()).arg(b.RepeatId());
    }

    void NewBooking() { NewBookings(0); }
    // One booking, or two to four of a series on every first, second or third day.
    void NewBookings(qint32 repeatId) {
        const int length = 5 * Rnd(3, 18);
        const int start = kDayStart + 5 * Rnd(0, (kDayEnd - kDayStart - length) / 5);
        const qint32 type = Pick(m_types, kSeedTypes, 70);
        const qint32 contact = Chance(50) ? Pick(m_contacts, kSeedContacts, 70) : 0;
        const qint32 resource = Pick(m_resources, kSeedResources, 85);
        const int count = repeatId ? Rnd(2, 4) : 1;
        const int step = Rnd(1, 3);
        const qint32 first = kFirstDate + Rnd(0, kDays - 1 - (count - 1) * step);
        for (int i = 0; i < count; ++i) {
            ClsBooking& b = Records::Booking();
            const QString tok = Start();
            b.InitBfr();
            b.SetResourceId(resource);
            b.SetTaskId(type);
            b.SetCustomerId(contact);
            b.SetBookingDate(first + i * step);
            b.SetBookingStart(qint16(start));
            b.SetBookingEnd(qint16(start + length));
            b.SetRepeatId(repeatId);
            b.SetComments(tok);
            Run("new", 0, Fields(b), [&] { return b.Save(); });
        }
    }
    void NewSeries() {
        Start();
        qint32 repeatId = 0;
        Run("repeat", 0, QString(), [&] { return repeatId = Records::Booking().NextRepeatId(); });
        if (repeatId != 0)
            NewBookings(repeatId);
    }
    // A move along the day, a stretch at one end, another resource or another date.
    void ChangeBooking() {
        const QString tok = Start();
        const qint32 id = PickBooking();
        ClsBooking& b = Records::Booking();
        if (id == 0 || !b.Load(id))
            return Run("look", id, QString(), [] { return 0; });
        const QString was = b.Comments();
        int start = b.BookingStart();
        int stop = b.BookingEnd();
        const int shift = 5 * Rnd(-12, 12);
        switch (Rnd(0, 3)) {
        case 0:
            if (start + shift >= kDayStart && stop + shift <= kDayEnd) {
                start += shift;
                stop += shift;
            }
            break;
        case 1:
            if (Chance(50))
                stop = std::clamp(stop + shift / 10 * 5, start + 5, kDayEnd);
            else
                start = std::clamp(start + shift / 10 * 5, kDayStart, stop - 5);
            break;
        case 2:
            b.SetResourceId(Pick(m_resources, kSeedResources, 85));
            break;
        default:
            b.SetBookingDate(std::clamp(b.BookingDate() + Rnd(-2, 2), kFirstDate,
                                        kFirstDate + kDays - 1));
        }
        b.SetBookingStart(qint16(start));
        b.SetBookingEnd(qint16(stop));
        b.SetComments(tok);
        Think();
        Run("move", id, Fields(b) + QStringLiteral(" was=") + was, [&] { return b.Save(); });
    }
    void DeleteBooking() {
        Start();
        const qint32 id = PickBooking();
        Run(id ? "del" : "look", id, QString(),
            [&] { return id && Records::Booking().Delete(id); });
    }
    void DeleteSeries() {
        Start();
        const qint32 repeatId = PickBooking(true);
        Run(repeatId ? "sdel" : "look", 0, QStringLiteral("rep=%1").arg(repeatId),
            [&] { return repeatId && Records::Booking().DeleteRepeats(repeatId); });
    }

    void EditType() {
        const QString tok = Start();
        const qint32 id = Pick(m_types, kSeedTypes, 50);
        ClsTask& t = Records::Task();
        if (!t.Load(id))
            return Run("tlook", id, QString(), [] { return 0; });
        const QString was = t.TaskName();
        const qint32 colour = Rnd(0, 0xffffff);
        t.SetTaskName(tok);
        t.SetColour(colour);
        Think();
        Run("tedit", id, QStringLiteral("colour=%1 was=%2").arg(colour).arg(was),
            [&] { return t.Save(); });
    }
    void NewType() {
        const QString tok = Start();
        ClsTask& t = Records::Task();
        const qint32 colour = Rnd(0, 0xffffff);
        t.InitBfr();
        t.SetGroupId(kGroup);
        t.SetTaskName(tok);
        t.SetColour(colour);
        Run("tnew", 0, QStringLiteral("colour=%1 grp=%2").arg(colour).arg(kGroup),
            [&] { return t.Save(); });
    }
    void EditContact() {
        const QString tok = Start();
        const qint32 id = Pick(m_contacts, kSeedContacts, 50);
        ClsCustomer& c = Records::Customer();
        if (!c.Load(id))
            return Run("clook", id, QString(), [] { return 0; });
        const QString was = c.CustomerName();
        c.SetCustomerName(tok);
        c.SetRef01(tok);
        Think();
        Run("cedit", id, QStringLiteral("ref=%1 was=%2").arg(tok, was), [&] { return c.Save(); });
    }
    void NewContact() {
        const QString tok = Start();
        ClsCustomer& c = Records::Customer();
        c.InitBfr();
        c.SetCustomerName(tok);
        c.SetRef01(tok);
        // The contact and its link to the group are stored together, as the
        // contact window stores them.
        Run("cnew", 0, QStringLiteral("ref=") + tok, [&] { return c.Save({{kGroup, true}}); });
    }
    void NewResource() {
        const QString tok = Start();
        ClsResource& r = Records::Resource();
        r.InitBfr();
        r.SetGroupId(kGroup);
        r.SetResourceName(tok);
        Run("rnew", 0, QString(), [&] { return r.Save(); });
    }
    // Deletes one the workstations added, else adds one.
    void DeleteAdded(const char* op, const QList<qint32>& ids, int seeded,
                     const std::function<bool(qint32)>& del, void (Workstation::*instead)()) {
        const qint32 id = Pick(ids, seeded, 0, true);
        if (id == 0)
            return (this->*instead)();
        Start();
        Run(op, id, QString(), [&] { return del(id); });
    }
    void DeleteType() {
        DeleteAdded("tdel", m_types, kSeedTypes,
                    [](qint32 id) { return Records::Task().Delete(id); }, &Workstation::NewType);
    }
    void DeleteContact() {
        DeleteAdded("cdel", m_contacts, kSeedContacts,
                    [](qint32 id) { return Records::Customer().Delete(id); },
                    &Workstation::NewContact);
    }
    void DeleteResource() {
        DeleteAdded("rdel", m_resources, kSeedResources,
                    [](qint32 id) { return Records::Resource().Delete(id); },
                    &Workstation::NewResource);
    }

    const int m_index;
    std::mt19937_64 m_rng;
    QFile& m_log;
    int m_op = 0;
    int m_steps = 0;
    qint64 m_t0 = 0; // when the current operation began
    QList<qint32> m_resources, m_types, m_contacts;
};

// The child: folder, index, seed, seconds.
int RunWorkstation(const QStringList& args) {
    if (args.size() != 4)
        return 2;
    ProgramFolder::Set(args[0]);
    Messages::SetBoxHandler(
        [](Messages::BoxKind, const QString&, const QString&) { return false; });
    if (!ModMain::Initialise())
        return 3;
    QFile log(ProgramFolder::FilePath(QStringLiteral("operations.log")));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return 3;
    QTextStream in(stdin);
    QTextStream out(stdout);
    out << "ready" << Qt::endl;
    if (in.readLine() != QLatin1String("go"))
        return 4;
    Workstation ws(args[1].toInt(), args[2].toULongLong(), log);
    const qint64 end = NowUs() + args[3].toLongLong() * 1000000;
    while (NowUs() < end)
        ws.Step();
    ModMain::Terminate();
    return 0;
}

// ---------------------------------------------------------------------------
// The checks

using Row = QHash<QString, QString>;

// One logged operation: its line as logged (a long soak logs hundreds of
// thousands; the other values are read from the line when needed) and what
// every check uses. `done` is false for the killed workstation's last one,
// which was never reported: it may or may not have run.
struct Op {
    QByteArray line;
    QString kind;
    qint64 ts = 0, t1 = 0, ret = 0;
    qint32 id = 0;
    bool done = false;

    explicit Op(const QByteArray& logged) : line(logged) {
        static QSet<QString> kinds; // one copy of each kind's name for all operations
        kind = *kinds.insert(F("op"));
        ts = F("ts").toLongLong();
        t1 = F("t1").toLongLong();
        ret = F("ret").toLongLong();
        id = F("id").toInt();
        done = Has("t1");
    }
    // The value logged under `key`; empty when there is none.
    QString F(const QString& key) const {
        const QByteArray k = ' ' + key.toLatin1() + '=';
        const qsizetype at = line.indexOf(k);
        if (at < 0)
            return QString();
        const qsizetype end = line.indexOf(' ', at + k.size());
        return QString::fromUtf8(line.mid(at + k.size(), end < 0 ? -1 : end - at - k.size()));
    }
    bool Has(const QString& key) const { return line.contains(' ' + key.toLatin1() + '='); }
    QString Line() const { return QString::fromUtf8(line); }
    bool Ok() const { return done && ret != 0; }
    bool MayHaveRun() const { return Ok() || !done; }
    qint64 End() const { return done ? t1 : LLONG_MAX; }
    // The row an insert reports is the identifier it returned.
    qint32 RowId() const { return kind.endsWith(QLatin1String("new")) ? qint32(ret) : id; }
};

// What one kind of record is in the logs and in the database: the kinds of
// operation that store it and that delete it, and the query whose column
// names are the log's keys.
struct Entity {
    const char* name;
    QStringList writes;
    QStringList deletes; // the first deletes by identifier; bookings also fall with the others
    QStringList seen;    // operations on an identifier read from the database
    QString select;
};

const Entity kEntities[] = {
    {"bookings",
     {"new", "move"},
     {"del", "sdel", "tdel", "cdel", "rdel"},
     {"move", "look", "del"},
     "select BookingId as id, ResourceId as res, TaskId as task, CustomerId as cust, BookingDate "
     "as date, BookingStart as start, BookingEnd as stop, RepeatId as rep, Comments as tok from "
     "tblBookings"},
    {"types",
     {"tnew", "tedit"},
     {"tdel"},
     {"tedit", "tlook", "tdel"},
     "select TaskId as id, TaskName as tok, Colour as colour, GroupId as grp from tblTasks"},
    {"contacts",
     {"cnew", "cedit"},
     {"cdel"},
     {"cedit", "clook", "cdel"},
     "select CustomerId as id, CustomerName as tok, Ref01 as ref from tblCustomers"},
    {"resources",
     {"rnew"},
     {"rdel"},
     {"rdel"},
     "select ResourceId as id, ResourceName as tok from tblResources"},
};

struct Findings {
    QMap<QString, int> count;
    QMap<QString, QStringList> examples;
    QSet<QString> seen; // an operation counts once under each check
    void Add(const QString& check, const QString& example) {
        if (seen.contains(check + example.section(QLatin1String(" ["), 0, 0)))
            return;
        seen << check + example.section(QLatin1String(" ["), 0, 0);
        ++count[check];
        if (examples[check].size() < 4)
            examples[check] << example;
    }
};

const QString kNotAsReported = QStringLiteral("reported saved, not stored as reported");
const QString kFailedStored = QStringLiteral("reported failed, stored all the same");

QString Show(const Row& row) {
    QStringList parts;
    for (auto it = row.begin(); it != row.end(); ++it)
        parts << it.key() + QLatin1Char('=') + it.value();
    parts.sort();
    return QStringLiteral("[stored: ") + parts.join(QLatin1Char(' ')) + QLatin1Char(']');
}

// Replays the operations on one kind of record against its rows at the end.
void CheckEntity(const Entity& e, const QList<Op>& ops, const QHash<qint32, Row>& rows,
                 Findings& out) {
    // A booking also falls with its series, type, contact or resource.
    static const QHash<QString, QString> cascadeKey{
        {"sdel", "rep"}, {"tdel", "task"}, {"cdel", "cust"}, {"rdel", "res"}};
    QHash<QString, const Op*> byToken;
    QHash<qint32, QList<const Op*>> writesOf; // writes that may have stored the row
    QHash<QString, QList<const Op*>> deletesBy; // by what they match: "id=5", "task=7"
    QList<const Op*> saved;
    for (const Op& op : ops) {
        if (e.writes.contains(op.kind)) {
            byToken.insert(op.F("tok"), &op);
            if (op.Ok())
                saved << &op;
            const qint32 id = op.done ? op.RowId() : op.id;
            if (op.MayHaveRun() && id != 0)
                writesOf[id] << &op;
        } else if (e.deletes.contains(op.kind)) {
            const QString key = op.kind == e.deletes.first() ? "id" : cascadeKey[op.kind];
            deletesBy[key + '=' + op.F(key == "rep" ? "rep" : "id")] << &op;
        }
    }
    // An insert never reported has its row only through its token.
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        const Op* owner = byToken.value(it->value("tok"));
        if (owner && !owner->done && owner->id == 0)
            writesOf[it.key()] << owner;
    }
    // The deletes that match a row by its identifier or by a value it held.
    const auto deletesOf = [&](qint32 id, const QList<Row>& held) {
        QList<const Op*> found = deletesBy.value(QStringLiteral("id=%1").arg(id));
        if (e.deletes.size() > 1)
            for (const Row& values : held)
                for (const QString& key : cascadeKey)
                    found += deletesBy.value(key + '=' + values.value(key));
        return found;
    };

    // Each stored row: written by an operation that reported it stored, as
    // reported, and not deleted by one that reported so after it was written.
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        const Row& row = it.value();
        const Op* owner = byToken.value(row.value("tok"));
        if (!owner) {
            out.Add(kFailedStored, QStringLiteral("%1 %2 stored by no logged operation %3")
                                       .arg(e.name).arg(it.key()).arg(Show(row)));
            continue;
        }
        if (!owner->done)
            continue; // the killed workstation's last operation ran
        if (!owner->Ok()) {
            out.Add(kFailedStored, owner->Line() + QLatin1Char(' ') + Show(row));
            continue;
        }
        bool same = owner->RowId() == it.key();
        for (auto f = row.begin(); f != row.end(); ++f)
            if (f.key() != QLatin1String("id") && owner->Has(f.key()))
                same = same && owner->F(f.key()) == f.value();
        if (!same)
            out.Add(kNotAsReported, owner->Line() + QLatin1Char(' ') + Show(row));
        for (const Op* d : deletesOf(it.key(), {row}))
            if (d->Ok() && (d->kind == e.deletes.first() || owner->End() < d->ts))
                out.Add(kNotAsReported, d->Line() + QStringLiteral(" but still ") + Show(row));
    }

    // Each row an operation found in the database was stored by an insert
    // that reported it, or perhaps by the killed workstation's last one.
    QSet<qint64> created;
    const Op* pending = nullptr;
    for (const Op& op : ops) {
        if (op.kind == e.writes.first() && op.Ok())
            created << op.ret;
        if (op.kind == e.writes.first() && !op.done)
            pending = &op;
    }
    QMap<qint64, const Op*> unknown; // the first operation on each
    for (const Op& op : ops)
        if (e.seen.contains(op.kind) && op.id != 0 && !created.contains(op.id) &&
            (!unknown.contains(op.id) || op.End() < unknown[op.id]->End()))
            unknown[op.id] = &op;
    bool pendingRow = false;
    for (const Op* op : unknown) {
        if (pending && !pendingRow && op->End() > pending->ts)
            pendingRow = true;
        else
            out.Add(kFailedStored, op->Line() + QStringLiteral(" [a row no operation reported "
                                                             "storing]"));
    }
    // What an edit loaded was stored by an operation that reported it so.
    for (const Op& op : ops) {
        const Op* was = e.seen.contains(op.kind) ? byToken.value(op.F("was")) : nullptr;
        if (was && was->done && !was->Ok())
            out.Add(kFailedStored, op.Line() + QStringLiteral(" [loaded what this stored: ") +
                                       was->Line() + QLatin1Char(']'));
    }

    // Each operation reported as stored: its row holds it, or an operation
    // that may have committed after it changed or deleted the row.
    for (const Op* s : saved) {
        const qint32 id = s->RowId();
        if (rows.contains(id) && rows[id].value("tok") == s->F("tok"))
            continue; // compared above
        const QList<const Op*> writes = writesOf.value(id);
        QList<const Op*> later;
        for (const Op* w : writes)
            if (w != s && w->End() > s->ts)
                later << w;
        QString gone;
        if (!rows.contains(id)) {
            QList<Row> held;
            for (const Op* w : writes) {
                Row values;
                for (const QString& key : cascadeKey)
                    values[key] = w->F(key);
                held << values;
            }
            const Op* before = nullptr; // the last delete that ended before this save began
            bool failedLater = false;
            for (const Op* d : deletesOf(id, held)) {
                if (d->End() > s->ts && d->MayHaveRun())
                    later << d;
                else if (d->End() > s->ts)
                    failedLater = true;
                else if (d->MayHaveRun() && (!before || d->End() > before->End()))
                    before = d;
            }
            if (later.isEmpty() && failedLater) {
                out.Add(kFailedStored, s->Line() + QStringLiteral(" [gone; only a delete reported "
                                                                "as failed came after it]"));
                continue;
            }
            gone = before ? QStringLiteral(" [gone; deleted before this save began by ") +
                                before->Line() + QLatin1Char(']')
                          : QStringLiteral(" [gone; deleted by no logged operation]");
        }
        if (later.isEmpty())
            out.Add(kNotAsReported,
                    s->Line() + (gone.isEmpty() ? QLatin1Char(' ') + Show(rows[id]) : gone));
    }
}

// ---------------------------------------------------------------------------
// The run

struct Options {
    int seconds = 600;
    int workstations = 3;
    bool server = false;
    QString serverUri;
    quint64 seed = 0;
    QString keep;
};

QSqlQuery Exec(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        std::fprintf(stderr, "%s: %s\n", qPrintable(sql.left(200)),
                     qPrintable(q.lastError().text()));
    return q;
}

qint64 Scalar(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q = Exec(db, sql);
    return q.next() ? q.value(0).toLongLong() : -1;
}

QHash<qint32, Row> ReadRows(QSqlDatabase& db, const QString& sql) {
    QHash<qint32, Row> rows;
    QSqlQuery q = Exec(db, sql);
    while (q.next()) {
        Row row;
        const QSqlRecord rec = q.record();
        for (int c = 0; c < rec.count(); ++c)
            row.insert(rec.fieldName(c).toLower(), q.value(c).toString());
        rows.insert(row.value("id").toInt(), row);
    }
    return rows;
}

// The first bookings matching `where`, each with the operation that stored
// it and the deletes of its resource, type or contact that reported success.
QStringList Explain(QSqlDatabase& db, const QString& where, const QList<Op>& ops) {
    QStringList lines;
    QSqlQuery q = Exec(db, QStringLiteral("select BookingId, Comments, ResourceId, TaskId, "
                                          "CustomerId from tblBookings where ") + where);
    while (q.next() && lines.size() < 4) {
        QString text = QStringLiteral("booking %1 (resource %2, type %3, contact %4)")
                           .arg(q.value(0).toInt()).arg(q.value(2).toInt())
                           .arg(q.value(3).toInt()).arg(q.value(4).toInt());
        for (const Op& op : ops) {
            const int link = op.kind == "rdel" ? 2 : op.kind == "tdel" ? 3 : op.kind == "cdel" ? 4
                                                                                            : 0;
            if ((op.kind == "new" || op.kind == "move") &&
                op.F("tok") == q.value(1).toString())
                text += QStringLiteral("\n        stored by ") + op.Line();
            else if (link && op.Ok() && op.id == q.value(link).toInt())
                text += QStringLiteral("\n        ") + op.Line();
        }
        lines << text;
    }
    return lines;
}

// What the program's integrity check would change: each of its repair
// statements read as a count of the rows it would touch, with the bookings
// it would delete.
QStringList IntegrityFindings(QSqlDatabase& db, const QList<Op>& ops, qint64& rows) {
    static const QRegularExpression repair(
        QStringLiteral("^(?:delete from (\\w+)|update (\\w+) set .*?) where (.*)$"));
    QStringList findings;
    for (const QString& sql : DbSchema::RepairStatements()) {
        const QRegularExpressionMatch m = repair.match(sql);
        const QString table = m.captured(1) + m.captured(2);
        const QString count = QStringLiteral("select count(*) from %1 where %2");
        const qint64 n = m.hasMatch() ? Scalar(db, count.arg(table, m.captured(3))) : -1;
        if (n == 0)
            continue;
        rows += n < 0 ? 1 : n;
        findings << QStringLiteral("%1 rows: %2").arg(n).arg(sql);
        if (table == QLatin1String("tblBookings"))
            findings += Explain(db, m.captured(3), ops);
    }
    return findings;
}

const char* const kSeedSql[] = {
    "insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values (1, 'Soak', "
    "480, 1080, 5)",
    "with recursive n(i) as (select 1 union all select i + 1 from n where i < 6) insert into "
    "tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, InitTime) select i, 1, "
    "'seed-res-' || i, 5, 600, 30 from n",
    "with recursive n(i) as (select 1 union all select i + 1 from n where i < 6) insert into "
    "tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) select i, 1, "
    "'seed-type-' || i, 255 * i, 5, 600, 30 from n",
    "with recursive n(i) as (select 1 union all select i + 1 from n where i < 20) insert into "
    "tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) select i, 'seed-contact-' || i, "
    "'', '', '' from n",
    "insert into tblCustomerGroups (CustomerId, GroupId) select CustomerId, 1 from tblCustomers",
};

struct Drop {
    qint64 at = 0;
    QStringList hit; // the connections ended: their state and last statement
};

class Soak {
public:
    explicit Soak(Options o) : m_o(std::move(o)) {}
    ~Soak() {
        if (!m_serverDb.isEmpty() && m_o.keep.isEmpty())
            DropServerDatabase(m_serverDb);
    }

    int Run() {
        std::unique_ptr<QTemporaryDir> temp;
        QString dir = m_o.keep;
        if (dir.isEmpty()) {
            temp = std::make_unique<QTemporaryDir>();
            dir = temp->path();
        }
        QDir().mkpath(dir);
        if (!Prepare(dir))
            return 1;
        QString why;
        if (!Work(dir, why)) {
            std::fprintf(stderr, "%s\n", qPrintable(why));
            return 1;
        }
        return Check(dir);
    }

    // Empty when the server answers, else why not.
    static QString ServerProblem(const QString& uri) {
        QString why;
        try {
            const ConnectionInfo info = ConnectionInfo::Parse(uri);
            QSqlDatabase db = SqlDialect::For(uri)->AddConnection(
                QStringLiteral("soak-probe"), info.WithDatabase(QStringLiteral("postgres")));
            if (!db.open())
                why = db.lastError().text().trimmed();
            db.close();
        } catch (const std::exception& e) {
            why = QString::fromStdString(e.what());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("soak-probe"));
        return why;
    }

private:
    // The shared database: an SQLite file with the seeded rows, copied to
    // the server for the server engine.
    bool Prepare(const QString& dir) {
        const QString file = QDir(dir).filePath(QStringLiteral("Tarvelo.db"));
        QFile::remove(file);
        QString error = DbSchema::CreateDatabase(file);
        if (error.isEmpty()) {
            {
                QSqlDatabase db = SqlDialect::For(file)->AddConnection("soak-seed", file);
                if (!db.open())
                    error = db.lastError().text();
                for (const char* sql : kSeedSql)
                    if (error.isEmpty() && !QSqlQuery(db).exec(QLatin1String(sql)))
                        error = db.lastError().text() + QLatin1String(sql);
                db.close();
            }
            QSqlDatabase::removeDatabase("soak-seed");
        }
        m_db = file;
        if (error.isEmpty() && m_o.server) {
            m_serverDb = ConnectionInfo::Parse(m_o.serverUri)
                             .WithDatabase(QStringLiteral("tarvelo_soak_%1")
                                               .arg(QCoreApplication::applicationPid()));
            m_db = m_serverDb;
            error = CopyDatabaseToServer(file, m_serverDb);
        }
        if (!error.isEmpty())
            std::fprintf(stderr, "Cannot make the database: %s\n", qPrintable(error));
        return error.isEmpty();
    }

    QString AppName(int ws) const {
        return QStringLiteral("tarvelo-soak-%1-ws%2")
            .arg(QCoreApplication::applicationPid())
            .arg(ws);
    }

    // Starts the workstations, kills the first half-way, ends the second's
    // server connections now and then, and waits for the others to finish.
    bool Work(const QString& dir, QString& why) {
        const int n = m_o.workstations;
        std::vector<std::unique_ptr<QProcess>> children;
        for (int ws = 1; ws <= n; ++ws) {
            const QString folder = QDir(dir).filePath(QStringLiteral("ws%1").arg(ws));
            QDir().mkpath(folder);
            m_folders << folder;
            QString name = m_db;
            if (m_o.server) // tells this workstation's connections apart on the server
                name += QLatin1Char(name.contains(QLatin1Char('?')) ? '&' : '?') +
                        QStringLiteral("application_name=") + AppName(ws);
            ClsIni ini; // the program's own settings file of this workstation
            ini.SetIniFile(QDir(folder).filePath(ProgramFolder::ExecutableBaseName() + ".ini"));
            ini.WriteValue(QStringLiteral("Config"), QStringLiteral("DbName"), name);
            auto child = std::make_unique<QProcess>();
            child->setStandardErrorFile(QDir(folder).filePath(QStringLiteral("stderr.txt")));
            child->start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--workstation"), folder, QString::number(ws),
                          QString::number(m_o.seed * 1000 + ws), QString::number(m_o.seconds)});
            children.push_back(std::move(child));
        }
        for (int ws = 0; ws < n; ++ws) {
            QProcess& c = *children[ws];
            while (!c.canReadLine() && c.waitForReadyRead(60000)) {
            }
            if (QString::fromUtf8(c.readLine()).trimmed() != QLatin1String("ready")) {
                why = QStringLiteral("workstation %1 did not start (see %2)")
                          .arg(ws + 1)
                          .arg(QDir(m_folders[ws]).filePath("Error.txt"));
                for (auto& other : children)
                    other->kill();
                return false;
            }
        }
        for (auto& c : children)
            c->write("go\n");
        for (auto& c : children)
            c->waitForBytesWritten(10000);
        m_start = NowUs();
        const qint64 span = qint64(m_o.seconds) * 1000000;
        const qint64 killAt = m_start + span * 45 / 100;
        QList<qint64> dropsAt;
        if (m_o.server)
            for (int i = 0; i < 8; ++i)
                dropsAt << m_start + span * (150 + 95 * i) / 1000;
        while (NowUs() < m_start + span) {
            if (m_killedAt == 0 && NowUs() >= killAt) {
                children[0]->kill(); // SIGKILL
                m_killedAt = NowUs();
            }
            if (!dropsAt.isEmpty() && NowUs() >= dropsAt.first()) {
                dropsAt.removeFirst();
                // In turn: just after a write transaction took the lock (twice),
                // between any two statements of a transaction, inside a statement.
                static const char* const lock =
                    "state = 'idle in transaction' and query like 'select pg_advisory_xact_lock%'";
                static const char* const aims[] = {lock, lock, "state = 'idle in transaction'",
                                                   "state = 'active'"};
                m_drops << DropConnections(2, QLatin1String(aims[m_drops.size() % 4]));
            }
            QThread::msleep(5);
        }
        for (int ws = 0; ws < n; ++ws) {
            QProcess& c = *children[ws];
            if (!c.waitForFinished(ws == 0 ? 10000 : 20000)) {
                c.kill();
                c.waitForFinished(5000);
                m_hung << ws + 1;
            } else if (ws > 0 && (c.exitStatus() != QProcess::NormalExit || c.exitCode() != 0)) {
                m_hung << ws + 1;
            }
        }
        m_end = NowUs();
        QSqlDatabase::removeDatabase(QStringLiteral("soak-admin"));
        return true;
    }

    // Ends the connections of workstation `ws`: for up to 1.5 seconds only
    // those matching `aim` (a condition on pg_stat_activity), then whatever
    // it holds.
    Drop DropConnections(int ws, const QString& aim) {
        Drop drop;
        const ConnectionInfo info = ConnectionInfo::Parse(m_serverDb);
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("soak-admin"), false);
        if (!db.isValid())
            db = SqlDialect::For(m_serverDb)->AddConnection(
                QStringLiteral("soak-admin"), info.WithDatabase(QStringLiteral("postgres")));
        if (!db.isOpen() && !db.open())
            return drop;
        const QString sql = QStringLiteral("select state, query, pg_terminate_backend(pid) from "
                                           "pg_stat_activity where datname = '%1' and "
                                           "application_name = '%2'")
                                .arg(info.Database(), AppName(ws));
        const qint64 until = NowUs() + 1500000;
        while (drop.hit.isEmpty()) {
            const bool aiming = NowUs() < until;
            QSqlQuery q = Exec(db, sql + (aiming ? QStringLiteral(" and ") + aim : QString()));
            while (q.next())
                if (q.value(2).toBool())
                    drop.hit << q.value(0).toString() + QStringLiteral(" after \"") +
                                    q.value(1).toString().left(70) + QLatin1Char('"');
            drop.at = NowUs();
            if (!aiming)
                break;
        }
        return drop;
    }

    void ReadLog(int ws, QList<Op>& ops) const {
        QFile file(QDir(m_folders[ws - 1]).filePath(QStringLiteral("operations.log")));
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QByteArray prefix = "ws" + QByteArray::number(ws) + ' ';
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            if (!line.isEmpty())
                ops << Op(prefix + line);
        }
    }

    int Check(const QString& dir) {
        const double seconds = double(m_end - m_start) / 1e6;
        QList<Op> ops;
        std::vector<std::span<const Op>> perWs;
        // The seeded rows, as if written before everything else.
        const std::pair<const char*, int> seeded[] = {
            {"type", kSeedTypes}, {"contact", kSeedContacts}, {"res", kSeedResources}};
        for (const auto& [what, count] : seeded)
            for (int id = 1; id <= count; ++id)
                ops << Op(QStringLiteral("seeded op=%1new ts=0 t1=0 ret=%2 tok=seed-%3-%2")
                              .arg(QLatin1Char(what[0])).arg(id).arg(what).toUtf8());

        QList<qsizetype> starts; // of each workstation's operations in `ops`
        int stray = 0; // unfinished lines other than the killed workstation's last
        for (int ws = 1; ws <= m_o.workstations; ++ws) {
            const qsizetype first = ops.size();
            ReadLog(ws, ops);
            for (qsizetype i = first; i < ops.size(); ++i)
                stray += !ops[i].done && (ws != 1 || i + 1 < ops.size());
            starts << first;
        }
        starts << ops.size();
        for (int ws = 1; ws <= m_o.workstations; ++ws)
            perWs.emplace_back(ops.constData() + starts[ws - 1], starts[ws] - starts[ws - 1]);
        const bool killedMidWork = m_killedAt != 0 && !perWs[0].empty() && perWs[0].front().done;
        Findings found;
        const QString name = QStringLiteral("soak-check");
        QStringList integrity;
        qint64 overlaps = -1, orphans = -1;
        QStringList stories; // the overlapping and orphaned bookings' histories
        qint64 repairs = 0;
        QMap<QString, int> counts;
        {
            QSqlDatabase db = SqlDialect::For(m_db)->AddConnection(name, m_db);
            if (!db.open()) {
                std::fprintf(stderr, "Cannot read the database: %s\n",
                             qPrintable(db.lastError().text()));
                return 1;
            }
            for (const Entity& e : kEntities) {
                const QHash<qint32, Row> rows = ReadRows(db, e.select);
                counts[e.name] = int(rows.size());
                CheckEntity(e, ops, rows, found);
            }
            overlaps = Scalar(db, "select count(*) from tblBookings a, tblBookings b where "
                                  "a.ResourceId = b.ResourceId and a.BookingDate = b.BookingDate "
                                  "and a.BookingId < b.BookingId and a.BookingStart < b.BookingEnd "
                                  "and b.BookingStart < a.BookingEnd");
            if (overlaps != 0)
                stories += Explain(db, "exists (select 1 from tblBookings b where b.ResourceId = "
                                       "tblBookings.ResourceId and b.BookingDate = tblBookings."
                                       "BookingDate and b.BookingId <> tblBookings.BookingId and "
                                       "b.BookingStart < tblBookings.BookingEnd and "
                                       "tblBookings.BookingStart < b.BookingEnd)", ops);
            const QString orphan = "ResourceId not in (select ResourceId from tblResources) or "
                                   "TaskId not in (select TaskId from tblTasks)";
            orphans = Scalar(db, "select count(*) from tblBookings where " + orphan);
            if (orphans != 0)
                stories += Explain(db, orphan, ops);
            integrity = IntegrityFindings(db, ops, repairs);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);

        // Repeat identifiers: each handed out once.
        QHash<qint64, int> repeats;
        int repeatTwice = 0;
        for (const Op& op : ops)
            if (op.kind == QLatin1String("repeat") && op.Ok() && ++repeats[op.ret] == 2)
                ++repeatTwice;

        // The dropped workstation carried on: it stored something after the last drop.
        int afterDrop = 0;
        if (!m_drops.isEmpty())
            for (const Op& op : perWs[1])
                afterDrop += op.Ok() && op.ts > m_drops.last().at ? 1 : 0;

        std::printf("\n%d workstations on %s for %.1f s, seed %llu\n", m_o.workstations,
                    m_o.server ? "a PostgreSQL server database" : "one SQLite file", seconds,
                    static_cast<unsigned long long>(m_o.seed));
        std::printf("  %-4s %8s %8s %8s %8s %8s %8s  %s\n", "ws", "ops", "ops/s", "saved",
                    "refused", "deleted", "not del", "");
        int total = 0;
        for (int ws = 1; ws <= m_o.workstations; ++ws) {
            int done = 0, saved = 0, refused = 0, deleted = 0, kept = 0;
            for (const Op& op : perWs[ws - 1]) {
                if (!op.done)
                    continue;
                ++done;
                if (op.kind.endsWith("new") || op.kind.endsWith("edit") || op.kind == "move")
                    ++(op.Ok() ? saved : refused);
                else if (op.kind.endsWith("del"))
                    ++(op.Ok() ? deleted : kept);
            }
            total += done;
            const double active =
                ws == 1 && m_killedAt ? double(m_killedAt - m_start) / 1e6 : seconds;
            QString note;
            if (ws == 1 && m_killedAt)
                note = QStringLiteral("killed at %1 s, %2 operation unreported")
                           .arg(active, 0, 'f', 1)
                           .arg(perWs[0].empty() || perWs[0].back().done ? "no" : "one");
            if (ws == 2 && !m_drops.isEmpty())
                note = QStringLiteral("connections ended %1 times; %2 stored after the last")
                           .arg(m_drops.size()).arg(afterDrop);
            std::printf("  %-4d %8d %8.1f %8d %8d %8d %8d  %s\n", ws, done, done / active, saved,
                        refused, deleted, kept, qPrintable(note));
        }
        std::printf("  %-4s %8d %8.1f\n", "all", total, total / seconds);
        std::printf("  at the end: %d bookings, %d types, %d contacts, %d resources\n",
                    counts["bookings"], counts["types"], counts["contacts"], counts["resources"]);
        if (m_killedAt && !perWs[0].empty() && !perWs[0].back().done)
            std::printf("  unreported at the kill: %s\n", perWs[0].back().line.constData());
        for (const Drop& d : m_drops) {
            std::printf("  ws2 connection ended at %4.1f s: %s\n", double(d.at - m_start) / 1e6,
                        qPrintable(d.hit.join(QStringLiteral("; "))));
            for (const Op& op : perWs[1])
                if (op.F("t0").toLongLong() <= d.at && d.at <= op.End())
                    std::printf("      in the middle of %s\n", op.line.constData());
        }

        int droppedMissed = 0;
        for (const Drop& d : m_drops)
            droppedMissed += d.hit.isEmpty() ? 1 : 0;
        const QList<QPair<QString, qint64>> checks{
            {"overlapping bookings of one resource", overlaps},
            {"bookings of a missing resource or type", orphans},
            {kNotAsReported, found.count.value(kNotAsReported)},
            {kFailedStored, found.count.value(kFailedStored)},
            {"rows the integrity check would repair", repairs},
            {"repeat identifiers handed out twice", repeatTwice},
            {"workstations hung, failed or not killed mid-work",
             m_hung.size() + stray + (killedMidWork ? 0 : 1)},
            {"connection drops that missed or stalled the workstation",
             m_drops.isEmpty() ? 0 : droppedMissed + (afterDrop == 0 ? 1 : 0)},
        };
        std::printf("\n  %-56s %s\n", "check (each must be 0)", "found");
        bool ok = true;
        for (const auto& [what, n] : checks) {
            std::printf("  %-56s %5lld\n", qPrintable(what), static_cast<long long>(n));
            ok = ok && n == 0;
        }
        for (auto it = found.examples.begin(); it != found.examples.end(); ++it)
            for (const QString& example : it.value())
                std::printf("    %s: %s\n", qPrintable(it.key()), qPrintable(example));
        for (const QString& story : stories)
            std::printf("    %s\n", qPrintable(story));
        for (const QString& finding : integrity)
            std::printf("    integrity: %s\n", qPrintable(finding));
        for (int ws : m_hung)
            std::printf("    workstation %d did not end normally (see %s)\n", ws,
                        qPrintable(QDir(m_folders[ws - 1]).filePath("stderr.txt")));
        if (!ok && !m_o.keep.isEmpty())
            std::printf("  logs and folders kept in %s\n", qPrintable(dir));
        std::printf("%s\n", ok ? "PASSED" : "FAILED");
        return ok ? 0 : 1;
    }

    Options m_o;
    QString m_db;       // what the workstations' settings name
    QString m_serverDb; // the server database, dropped at the end
    QStringList m_folders;
    qint64 m_start = 0, m_end = 0, m_killedAt = 0;
    QList<Drop> m_drops;
    QList<int> m_hung;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1 && args[1] == QLatin1String("--workstation"))
        return RunWorkstation(args.mid(2));

    QCommandLineParser parser;
    parser.setApplicationDescription("Many workstations booking on one database, then checked.");
    parser.addHelpOption();
    const QCommandLineOption seconds("seconds", "How long the workstations work (600).", "N",
                                     "600");
    const QCommandLineOption count("workstations", "How many workstations, at least 3 (3).", "N",
                                   "3");
    const QCommandLineOption engine("engine", "sqlite or postgresql.", "ENGINE");
    const QCommandLineOption server("server", "The server URI (a maintenance database).", "URI");
    const QCommandLineOption seed("seed", "The seed of the random mix.", "N");
    const QCommandLineOption keep("keep", "Work in DIR and keep it (logs, folders).", "DIR");
    parser.addOptions({seconds, count, engine, server, seed, keep});
    parser.process(app);

    Options o;
    o.seconds = std::max(1, parser.value(seconds).toInt());
    o.workstations = parser.value(count).toInt();
    const QString engineName = parser.isSet(engine) ? parser.value(engine)
                                                    : qEnvironmentVariable("TARVELO_TEST_ENGINE");
    o.server = engineName.compare("postgresql", Qt::CaseInsensitive) == 0;
    if (!o.server && !engineName.isEmpty() && engineName.compare("sqlite", Qt::CaseInsensitive)) {
        std::fprintf(stderr, "Unknown engine %s\n", qPrintable(engineName));
        return 2;
    }
    if (o.workstations < 3) {
        std::fprintf(stderr, "At least three workstations.\n");
        return 2;
    }
    o.seed = parser.isSet(seed) ? parser.value(seed).toULongLong()
                                : quint64(QDateTime::currentMSecsSinceEpoch() % 1000000);
    o.keep = parser.value(keep);
    if (o.server) {
        o.serverUri = parser.isSet(server) ? parser.value(server)
                                           : qEnvironmentVariable("TARVELO_TEST_PG");
        if (o.serverUri.isEmpty())
            o.serverUri = QStringLiteral("postgresql://postgres@127.0.0.1:55432/postgres");
        const QString why = Soak::ServerProblem(o.serverUri);
        if (!why.isEmpty()) {
            std::fprintf(stderr,
                         "No PostgreSQL server at %s (%s). Start one with \"bash "
                         "scripts/pg-server.sh start\" or set TARVELO_TEST_PG.\n",
                         qPrintable(o.serverUri), qPrintable(why.simplified()));
            return qEnvironmentVariableIsEmpty("CI") ? kSkipCode : 1;
        }
    }
    std::printf("seed %llu\n", static_cast<unsigned long long>(o.seed));
    std::fflush(stdout);
    return Soak(o).Run();
}

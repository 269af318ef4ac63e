// The record classes on a real database: what each operation leaves in the record and the tables.

#include "TestEnv.h"

#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/Journal.h"
#include "model/ClsBooking.h"
#include "model/ClsCustomer.h"
#include "model/ClsGroup.h"
#include "model/ClsResource.h"
#include "model/ClsTask.h"
#include "model/Records.h"
#include "model/StoredRow.h"

#include <QFile>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

using Scenario = std::function<QString()>;

// "Name=value" for each name in `names` and the value after it.
template <class... V> QString Fields(const char* names, const V&... values) {
    const QStringList n = QString(names).split(' ');
    QStringList out;
    int i = 0;
    ((out << n.at(i++) + '=' + QVariant(values).toString()), ...);
    return out.join(' ');
}

QString Describe(const ClsGroup& g) {
    return Fields("GroupId DayStart DayEnd Interval GroupName", g.GroupId(), g.DayStart(), g.DayEnd(),
                  g.Interval(), g.GroupName());
}
QString Describe(const ClsResource& r) {
    return Fields("ResourceId GroupId MinTime MaxTime InitTime Interval ResourceName", r.ResourceId(),
                  r.GroupId(), r.MinTime(), r.MaxTime(), r.InitTime(), r.Interval(), r.ResourceName());
}
QString Describe(const ClsTask& t) {
    return Fields("TaskId GroupId Colour MinTime MaxTime InitTime Interval TaskName", t.TaskId(), t.GroupId(),
                  t.Colour(), t.MinTime(), t.MaxTime(), t.InitTime(), t.Interval(), t.TaskName());
}
QString Describe(const ClsCustomer& c) {
    return Fields("CustomerId CustomerName Ref01 Ref02 Ref03", c.CustomerId(), c.CustomerName(), c.Ref01(),
                  c.Ref02(), c.Ref03());
}
QString Describe(const ClsBooking& b) {
    return Fields("BookingId RepeatId TaskId BookingDate BookingStart BookingEnd CustomerId ResourceId Ref01 "
                  "Ref02 Ref03 Comments", b.BookingId(), b.RepeatId(), b.TaskId(), b.BookingDate(),
                  b.BookingStart(), b.BookingEnd(), b.CustomerId(), b.ResourceId(), b.Ref01(), b.Ref02(),
                  b.Ref03(), b.Comments());
}

qint32 Id(const ClsGroup& r) { return r.GroupId(); }
qint32 Id(const ClsResource& r) { return r.ResourceId(); }
qint32 Id(const ClsTask& r) { return r.TaskId(); }
qint32 Id(const ClsCustomer& r) { return r.CustomerId(); }
void Rename(ClsGroup& r, const QString& name) { r.SetGroupName(name); }
void Rename(ClsResource& r, const QString& name) { r.SetResourceName(name); }
void Rename(ClsTask& r, const QString& name) { r.SetTaskName(name); }
void Rename(ClsCustomer& r, const QString& name) { r.SetCustomerName(name); }
// A contact is saved linked to group 7 as well.
template <class Record> qint32 SaveRecord(Record& r) { return r.Save(); }
qint32 SaveRecord(ClsCustomer& c) { return c.Save({{7, true}}); }
QString ProblemName(SaveProblem p) {
    return QStringList{"None", "Changed", "Deleted", "Failed"}.value(int(p));
}

// A new booking of type 1 on a resource, day and time.
void SetSlot(ClsBooking& b, qint32 resource, qint32 date, int start, int end) {
    b.InitBfr();
    b.SetResourceId(resource);
    b.SetTaskId(1);
    b.SetBookingDate(date);
    b.SetBookingStart(qint16(start));
    b.SetBookingEnd(qint16(end));
}

// The record after a Load or LoadByName that returned `found`.
template <class Record> QString Loaded(const Record& r, bool found) {
    return (found ? QStringLiteral("found ") : QStringLiteral("missing ")) + Describe(r);
}

const QString kBooking = QStringLiteral(
    "insert into tblBookings (ResourceId, TaskId, CustomerId, BookingDate, BookingStart, "
    "BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values ");

} // namespace

class TstRecords : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;

    void Exec(const QStringList& statements) {
        for (const QString& sql : statements)
            env->Sql(sql);
    }
    int Count(const QString& fromWhere) { return env->Count(fromWhere); }
    QStringList List(const QString& column, const QString& from) {
        return env->Sql("select coalesce(group_concat(x, ','), '') from (select " + column + " as x from " +
                        from + " order by 1) as listed").toString().split(',', Qt::SkipEmptyParts);
    }
    QStringList ErrorLines() const {
        return env->LogLines().filter(QRegularExpression(QStringLiteral("^Error in|failed")));
    }
    void RecordFixture();
    template <class Record>
    QStringList SaveAfter(Record& r, qint32 id, const QString& elsewhere, const QString& rows);
    void CascadeFixture();
    QStringList CascadeState();

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void init() {
        env = std::make_unique<TestEnv>();
        QVERIFY(env->Start());
    }
    void cleanup() { env.reset(); }

    void recordState_data();
    void recordState();
    void cascade_data();
    void cascade();
    void failedStatement_data();
    void failedStatement();
    void editedElsewhere_data();
    void editedElsewhere();
    void hostileText_data();
    void hostileText();
    void rowJson_data();
    void rowJson();
    void clash_data();
    void clash();
    void failedClashTestStoresNothing_data();
    void failedClashTestStoresNothing();
    void nextRepeatId();
    void workstationTag();
    void bookingCheck();
    void journal_data();
    void journal();
    void journalTime_data();
    void journalTime();
};

void TstRecords::RecordFixture() {
    Exec({
        "insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
        "(7, 'Rooms', 480, 1020, 15), (8, NULL, 420, 1200, 10), (9, 'Staff', 540, 960, 30)",
        "insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, InitTime) values "
        "(3, 9, 'Room 1', 30, 420, 60), (4, 9, NULL, 20, 300, 40)",
        "insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) values "
        "(2, 9, 'Visit', 65280, 30, 120, 45), (3, 9, NULL, 16711680, 10, 90, 20)",
        "insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) values "
        "(4, 'Zoë', 'r1', 'r2', 'r3'), (5, 'Nils', 'n1', NULL, 'n3')",
        "insert into tblCustomerGroups (CustomerId, GroupId) values (4, 9)",
        "insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, "
        "BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values "
        "(5, 3, 2, 4, 45000, 600, 660, 0, 'a1', 'a2', 'a3', 'first'), "
        "(6, 4, 3, 5, 45001, 700, 760, 12, 'b1', NULL, 'b3', 'second')",
    });
}

// What a record holds afterwards. A null text column makes Load fail after the fields before it
// were copied.
void TstRecords::recordState_data() {
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("logLine");
    const auto row = [](const char* name, Scenario s, const QString& expected, const QString& log = {}) {
        QTest::newRow(name) << s << expected << log;
    };
    const QString freshGroup = "GroupId=0 DayStart=0 DayEnd=1440 Interval=5 GroupName=";
    const QString rooms = "GroupId=7 DayStart=480 DayEnd=1020 Interval=15 GroupName=Rooms";
    const QString room1 =
        "ResourceId=3 GroupId=9 MinTime=30 MaxTime=420 InitTime=60 Interval=5 ResourceName=Room 1";
    const QString times15 = "MinTime=15 MaxTime=540 InitTime=15 Interval=15";
    const QString visit =
        "TaskId=2 GroupId=9 Colour=65280 MinTime=30 MaxTime=120 InitTime=45 Interval=5 TaskName=Visit";
    const QString zoe = QStringLiteral("CustomerId=4 CustomerName=Zoë Ref01=r1 Ref02=r2 Ref03=r3");
    const QString noCustomer = "CustomerId=0 CustomerName= Ref01= Ref02= Ref03=";
    const QString first = "BookingId=5 RepeatId=0 TaskId=2 BookingDate=45000 BookingStart=600 BookingEnd=660 "
                          "CustomerId=4 ResourceId=3 Ref01=a1 Ref02=a2 Ref03=a3 Comments=first";

    row("group InitBfr after Load", [] { ClsGroup g; g.Load(7); g.InitBfr(); return Describe(g); }, freshGroup);
    row("group Load of a missing row keeps the fields",
        [] { ClsGroup g; g.Load(7); return Loaded(g, g.Load(99)); }, "missing " + rooms);
    row("group null name", [] { ClsGroup g; g.Load(7); return Loaded(g, g.Load(8)); },
        "missing GroupId=8 DayStart=420 DayEnd=1200 Interval=10 GroupName=Rooms",
        "Error in ClsGroup.Load");
    row("group Delete resets the record",
        [] { ClsGroup g; g.Load(9); g.Delete(9); return Describe(g); }, freshGroup);

    // A resource's times come from the owning group set last.
    row("resource Let GroupId presets the times",
        [] { ClsResource r; r.SetGroupId(7); return Describe(r); },
        "ResourceId=0 GroupId=7 " + times15 + " ResourceName=");
    row("resource InitBfr keeps the owning group's times",
        [] { ClsResource r; r.SetGroupId(7); r.SetResourceName("x"); r.InitBfr(); return Describe(r); },
        "ResourceId=0 GroupId=0 " + times15 + " ResourceName=");
    row("resource Let GroupId of a missing group keeps the old group",
        [] { ClsResource r; r.SetGroupId(7); r.SetGroupId(99); return Describe(r); },
        "ResourceId=0 GroupId=99 " + times15 + " ResourceName=");
    row("resource Load does not load the owning group",
        [] { ClsResource r; r.SetGroupId(7); return Loaded(r, r.Load(3)); },
        "found " + QString(room1).replace("Interval=5", "Interval=15"));
    row("resource Load of a missing row resets",
        [] { ClsResource r; r.Load(3); return Loaded(r, r.Load(99)); },
        "missing ResourceId=0 GroupId=0 MinTime=5 MaxTime=1440 InitTime=5 Interval=5 ResourceName=");
    row("resource null name", [] { ClsResource r; r.Load(3); return Loaded(r, r.Load(4)); },
        "missing ResourceId=4 GroupId=9 MinTime=20 MaxTime=300 InitTime=40 Interval=5 ResourceName=",
        "Error in ClsResource.Load");
    row("resource LoadByName", [] { ClsResource r; return Loaded(r, r.LoadByName("room 1", 9)); },
        "found " + room1);
    row("resource LoadByName in another group leaves the record",
        [] { ClsResource r; r.Load(3); r.SetMinTime(1); return Loaded(r, r.LoadByName("Room 1", 7)); },
        "missing " + QString(room1).replace("MinTime=30", "MinTime=1"));

    row("task InitBfr then Let GroupId keeps the earlier group's times",
        [] { ClsTask t; t.InitBfr(); t.SetGroupId(7); return Describe(t); },
        "TaskId=0 GroupId=7 Colour=255 MinTime=5 MaxTime=1440 InitTime=5 Interval=15 TaskName=");
    row("task InitBfr after Let GroupId",
        [] { ClsTask t; t.SetGroupId(7); t.SetColour(1); t.InitBfr(); return Describe(t); },
        "TaskId=0 GroupId=0 Colour=255 " + times15 + " TaskName=");
    row("task Load of a missing row resets",
        [] { ClsTask t; t.Load(2); return Loaded(t, t.Load(99)); },
        "missing TaskId=0 GroupId=0 Colour=255 MinTime=5 MaxTime=1440 InitTime=5 Interval=5 TaskName=");
    row("task null name", [] { ClsTask t; t.Load(2); return Loaded(t, t.Load(3)); },
        "missing TaskId=3 GroupId=9 Colour=16711680 MinTime=10 MaxTime=90 InitTime=20 Interval=5 TaskName=",
        "Error in ClsTask.Load");
    row("task LoadByName ignores case", [] { ClsTask t; return Loaded(t, t.LoadByName("VISIT", 9)); },
        "found " + visit);
    row("task LoadByName in another group leaves the record",
        [] { ClsTask t; t.Load(2); return Loaded(t, t.LoadByName("Visit", 7)); }, "missing " + visit);

    row("customer Load of a missing row resets",
        [] { ClsCustomer c; c.Load(4); return Loaded(c, c.Load(99)); }, "missing " + noCustomer);
    row("customer null reference", [] { ClsCustomer c; c.Load(4); return Loaded(c, c.Load(5)); },
        "missing CustomerId=5 CustomerName=Nils Ref01=n1 Ref02= Ref03=",
        "Error in ClsCustomer.Load");
    row("customer LoadByName of a linked contact",
        [] { ClsCustomer c; return Loaded(c, c.LoadByName("ZOë", 9)); }, "found " + zoe);
    row("customer LoadByName in another group empties the record",
        [] { ClsCustomer c; c.Load(4); return Loaded(c, c.LoadByName("Zoë", 7)); },
        "missing " + noCustomer);

    row("booking InitBfr keeps the references",
        [] { ClsBooking b; b.Load(5); b.InitBfr(); return Describe(b); },
        "BookingId=0 RepeatId=0 TaskId=0 BookingDate=0 BookingStart=0 BookingEnd=0 CustomerId=0 ResourceId=0 "
        "Ref01=a1 Ref02=a2 Ref03=a3 Comments=");
    row("booking Load of a missing row keeps the fields",
        [] { ClsBooking b; b.Load(5); return Loaded(b, b.Load(99)); }, "missing " + first);
    row("booking null reference", [] { ClsBooking b; b.Load(5); return Loaded(b, b.Load(6)); },
        "missing BookingId=6 RepeatId=0 TaskId=2 BookingDate=45001 BookingStart=700 BookingEnd=760 "
        "CustomerId=4 ResourceId=3 Ref01=b1 Ref02=a2 Ref03=a3 Comments=first",
        "Error in ClsBooking.Load");
}

void TstRecords::recordState() {
    QFETCH(Scenario, scenario);
    QFETCH(QString, expected);
    QFETCH(QString, logLine);
    RecordFixture();
    QCOMPARE(scenario(), expected);
    QCOMPARE(ErrorLines(), logLine.isEmpty() ? QStringList() : QStringList{logLine});
}

// Groups A and B; contact c1 only in A, c2 in both, c3 only in B, c4 in none.
// Booking b5 uses a resource of A with a type of B, b6 the other way round;
// b8 and b9 form series 7, which has no row in tblRepeats any more.
void TstRecords::CascadeFixture() {
    Exec({
        "insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
        "(1, 'A', 0, 1440, 5), (2, 'B', 0, 1440, 5)",
        "insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, InitTime) values "
        "(1, 1, 'rA1', 5, 60, 5), (2, 1, 'rA2', 5, 60, 5), (3, 2, 'rB1', 5, 60, 5)",
        "insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
        "values (1, 1, 'tA', 255, 5, 60, 5), (2, 2, 'tB', 255, 5, 60, 5)",
        "insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) values "
        "(1, 'c1', '', '', ''), (2, 'c2', '', '', ''), (3, 'c3', '', '', ''), (4, 'c4', '', '', '')",
        "insert into tblCustomerGroups (CustomerId, GroupId) values (1, 1), (2, 1), (2, 2), (3, 2)",
        "insert into tblBookings (ResourceId, TaskId, CustomerId, BookingDate, BookingStart, BookingEnd, "
        "RepeatId, Comments) values (1, 1, 1, 45000, 600, 660, 0, 'b1'), (1, 1, 2, 45000, 660, 720, 0, 'b2'), "
        "(3, 2, 2, 45000, 600, 660, 0, 'b3'), (3, 2, 3, 45000, 660, 720, 0, 'b4'), (2, 2, 0, 45000, 600, 660, 0, "
        "'b5'), (3, 1, 3, 45000, 720, 780, 0, 'b6'), (3, 2, 1, 45000, 780, 840, 0, 'b7'), "
        "(3, 2, 0, 45001, 600, 660, 7, 'b8'), (2, 2, 0, 45002, 600, 660, 7, 'b9')",
    });
}

// Every name in the cascade fixture is unique across the tables; a link shows as contact:group.
QStringList TstRecords::CascadeState() {
    return List("GroupName", "tblGroups") + List("ResourceName", "tblResources") + List("TaskName", "tblTasks") +
           List("CustomerName", "tblCustomers") +
           List("coalesce((select CustomerName from tblCustomers c where c.CustomerId = l.CustomerId), '?') || "
                "':' || coalesce((select GroupName from tblGroups g where g.GroupId = l.GroupId), '?')",
                "tblCustomerGroups l") + List("Comments", "tblBookings");
}

void TstRecords::cascade_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("refused"); // the table whose deletes fail, if any
    QTest::addColumn<QString>("gone");    // what is no longer there afterwards
    const auto row = [](const char* name, const char* action, int id, const char* refused, const char* gone) {
        QTest::newRow(name) << QString(action) << id << QString(refused) << QString(gone);
    };
    row("group A: c2 stays for B, c1 and the groupless c4 go, b5 stays", "group", 1, "",
        "A rA1 rA2 tA c1 c4 c1:A c2:A b1 b2 b6 b7");
    row("group B: bookings of its types and of c3 go", "group", 2, "",
        "B rB1 tB c3 c4 c2:B c3:B b3 b4 b5 b6 b7 b8 b9");
    row("missing group: only the groupless contact goes", "group", 99, "", "c4");
    row("resource rA1: its bookings whatever their type", "resource", 1, "", "rA1 b1 b2");
    row("task tA: its bookings in every resource", "task", 1, "", "tA b1 b2 b6");
    row("contact c2: its bookings in every group and all its links", "customer", 2, "", "c2 c2:A c2:B b2 b3");
    row("booking b1", "booking", 1, "", "b1");
    row("series 7 without its tblRepeats row", "repeats", 7, "", "b8 b9");
    row("missing series", "repeats", 99, "", "");
    // A step that fails takes the whole delete back, whatever ran before it.
    row("group A, refused at its last contact", "group", 1, "tblCustomers", "");
    row("resource rA1, refused at its bookings", "resource", 1, "tblBookings", "");
    row("task tA, refused at its bookings", "task", 1, "tblBookings", "");
    row("contact c2, refused at its links", "customer", 2, "tblCustomerGroups", "");
}

void TstRecords::cascade() {
    QFETCH(QString, action);
    QFETCH(int, id);
    QFETCH(QString, refused);
    QFETCH(QString, gone);
    CascadeFixture();
    QStringList expected = CascadeState();
    QCOMPARE(expected.size(), 24);
    for (const QString& name : gone.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        QVERIFY2(expected.removeOne(name), qPrintable(name));
    if (!refused.isEmpty())
        env->RefuseWrites("delete", refused, "refused by the test");
    const QMap<QString, std::function<bool()>> del{
        {"group", [id] { return Records::Group().Delete(id); }},
        {"resource", [id] { return Records::Resource().Delete(id); }},
        {"task", [id] { return Records::Task().Delete(id); }},
        {"customer", [id] { return Records::Customer().Delete(id); }},
        {"booking", [id] { Records::Booking().Delete(id); return true; }},
        {"repeats", [id] { Records::Booking().DeleteRepeats(id); return true; }}};
    const bool deleted = del.value(action)();
    QCOMPARE(CascadeState(), expected);
    QCOMPARE(deleted, refused.isEmpty());
    if (refused.isEmpty())
        QCOMPARE(ErrorLines(), QStringList());
    else
        QVERIFY(env->LogContains(QStringLiteral("refused by the test")));
}

// A refused update keeps the record's identifier but reports 0; a refused insert reads back no
// identifier, so the existing row of the same name (or times) is not reported as the new one.
void TstRecords::failedStatement_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("statement");
    const QStringList tables{"tblGroups", "tblResources", "tblTasks", "tblCustomers", "tblBookings"};
    const QStringList records{"group", "resource", "task", "customer", "booking"};
    for (const char* statement : {"update", "insert"})
        for (int i = 0; i < tables.size(); ++i)
            QTest::newRow(qPrintable(records[i] + ' ' + statement)) << tables[i] << statement;
}

void TstRecords::failedStatement() {
    QFETCH(QString, table);
    QFETCH(QString, statement);
    // One stored row in every table, all named "Same" (bookings: same times on another date).
    Exec({
        "insert into tblGroups (GroupName, DayStart, DayEnd, Interval) values ('Same', 0, 1440, 5)",
        "insert into tblResources (GroupId, ResourceName, MinTime, MaxTime, InitTime) values "
        "(1, 'Same', 5, 60, 5)",
        "insert into tblTasks (GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) values "
        "(1, 'Same', 255, 5, 60, 5)",
        "insert into tblCustomers (CustomerName, Ref01, Ref02, Ref03) values ('Same', '', '', '')",
        kBooking + "(1, 1, 0, 45000, 600, 660, 0, '', '', '', 'Same')",
    });
    env->RefuseWrites(statement, table, "refused by the test");
    const bool update = statement == QLatin1String("update");
    // Loads the stored row or starts a new one, changes it, and saves.
    const auto save = [update](auto& record, auto change) {
        update ? void(record.Load(1)) : record.InitBfr();
        change(record);
        return record.Save();
    };
    qint32 result = -1, idField = -1;
    SaveProblem problem = SaveProblem::None;
    if (table == QLatin1String("tblGroups")) {
        result = save(Records::Group(), [](ClsGroup& g) {
            g.SetGroupName("Same");
            g.SetDayStart(60);
        });
        idField = Records::Group().GroupId();
        problem = Records::Group().LastSaveProblem();
    } else if (table == QLatin1String("tblResources")) {
        result = save(Records::Resource(), [](ClsResource& r) {
            r.SetResourceName("Same");
            r.SetMinTime(10);
        });
        idField = Records::Resource().ResourceId();
        problem = Records::Resource().LastSaveProblem();
    } else if (table == QLatin1String("tblTasks")) {
        result = save(Records::Task(), [](ClsTask& t) { t.SetTaskName("Same"); t.SetMinTime(10); });
        idField = Records::Task().TaskId();
        problem = Records::Task().LastSaveProblem();
    } else if (table == QLatin1String("tblCustomers")) {
        result = save(Records::Customer(),
                      [](ClsCustomer& c) { c.SetCustomerName("Same"); c.SetRef01("changed"); });
        idField = Records::Customer().CustomerId();
        problem = Records::Customer().LastSaveProblem();
    } else {
        result = save(Records::Booking(), [update](ClsBooking& b) {
            if (!update)
                SetSlot(b, 1, 45001, 600, 660);
            b.SetComments(QStringLiteral("changed"));
        });
        idField = Records::Booking().BookingId();
        problem = Records::Booking().LastSaveProblem();
    }
    QCOMPARE(result, 0);
    QCOMPARE(ProblemName(problem), QString("Failed"));
    QCOMPARE(idField, update ? 1 : 0);
    // Nothing was written; the access layer reported the refusal, the record class trapped nothing.
    QCOMPARE(Count(table), 1);
    QVERIFY(env->LogContains("refused by the test") && env->LogContains("SqlAction(" + statement));
    QVERIFY(!env->LogContains(QStringLiteral("Error in")));
    QCOMPARE(Count("tblGroups where DayStart = 60") + Count("tblResources where MinTime = 10") +
                 Count("tblTasks where MinTime = 10") + Count("tblCustomers where Ref01 = 'changed'") +
                 Count("tblBookings where Comments = 'changed'"), 0);
}

// Loads row `id` into the record, renames it "Ours", lets another workstation run `elsewhere`, and
// saves three times, the last time renamed "Again": each time what Save returned, why it stored
// nothing, the record's identifier ("same" as loaded, "new" for another) and the rows.
template <class Record>
QStringList TstRecords::SaveAfter(Record& r, qint32 id, const QString& elsewhere, const QString& rows) {
    if (!r.Load(id))
        return {"not loaded"};
    Rename(r, "Ours");
    Exec(elsewhere.split(';'));
    const auto named = [id](qint32 v) { return v == 0 ? QString("0") : v == id ? "same" : "new"; };
    QStringList outcomes;
    for (int i = 0; i < 3; ++i) {
        if (i == 2)
            Rename(r, "Again");
        const qint32 saved = SaveRecord(r);
        outcomes << named(saved) + ' ' + ProblemName(r.LastSaveProblem()) + ' ' + named(Id(r)) + " | " +
                        env->Sql("select group_concat(x, ',') from (select " + rows + ") as listed").toString();
    }
    return outcomes;
}

// The row a record loaded is changed or deleted at another workstation before the record is saved:
// nothing is stored over it (nor a contact's links) and Save says why. Saved again, the record goes
// over the change, or in as a new row; saved once more, its own last save is no change.
void TstRecords::editedElsewhere_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QStringList>("outcomes");
    const auto row = [](const char* name, const char* elsewhere, const QStringList& outcomes) {
        QTest::newRow(name) << QString(name).section(' ', 0, 0) << QString(elsewhere) << outcomes;
    };
    row("group changed", "update tblGroups set GroupName = 'Theirs', Interval = 30 where GroupId = 7",
        {"0 Changed same | -/10,Staff/30,Theirs/30", "same None same | -/10,Ours/15,Staff/30",
         "same None same | -/10,Again/15,Staff/30"});
    row("group deleted", "delete from tblGroups where GroupId = 7",
        {"0 Deleted 0 | -/10,Staff/30", "new None new | -/10,Ours/15,Staff/30",
         "new None new | -/10,Again/15,Staff/30"});
    row("group written with the values it had", "update tblGroups set Interval = 15 where GroupId = 7",
        {"same None same | -/10,Ours/15,Staff/30", "same None same | -/10,Ours/15,Staff/30",
         "same None same | -/10,Again/15,Staff/30"});
    row("resource changed in a column this workstation left alone",
        "update tblResources set MaxTime = 600 where ResourceId = 3",
        {"0 Changed same | -/300,Room 1/600", "same None same | -/300,Ours/420",
         "same None same | -/300,Again/420"});
    row("task deleted", "delete from tblTasks where TaskId = 2",
        {"0 Deleted 0 | -/16711680", "new None new | -/16711680,Ours/65280",
         "new None new | -/16711680,Again/65280"});
    row("customer changed", "update tblCustomers set Ref01 = 'theirs' where CustomerId = 4",
        {QStringLiteral("0 Changed same | Nils/n1,Zoë/theirs,Zoë:Staff"),
         "same None same | Nils/n1,Ours/r1,Ours:Rooms,Ours:Staff",
         "same None same | Again/r1,Again:Rooms,Again:Staff,Nils/n1"});
    row("customer deleted with its links",
        "delete from tblCustomers where CustomerId = 4; delete from tblCustomerGroups where CustomerId = 4",
        {"0 Deleted 0 | Nils/n1", "new None new | Nils/n1,Ours/r1,Ours:Rooms",
         "new None new | Again/r1,Again:Rooms,Nils/n1"});
}

void TstRecords::editedElsewhere() {
    QFETCH(QString, kind);
    QFETCH(QString, elsewhere);
    QFETCH(QStringList, outcomes);
    RecordFixture();
    // Each row of the table as name/another column; a contact's links as contact:group, '?' for a
    // link to no contact.
    const QString rows = "coalesce(%1, '-') || '/' || %2 as x from %3 order by 1";
    QStringList got;
    if (kind == "group")
        got = SaveAfter(Records::Group(), 7, elsewhere,
                        rows.arg("GroupName", "Interval", "tblGroups"));
    else if (kind == "resource")
        got = SaveAfter(Records::Resource(), 3, elsewhere,
                        rows.arg("ResourceName", "MaxTime", "tblResources"));
    else if (kind == "task")
        got = SaveAfter(Records::Task(), 2, elsewhere, rows.arg("TaskName", "Colour", "tblTasks"));
    else
        got = SaveAfter(Records::Customer(), 4, elsewhere,
                        "x from (select CustomerName || '/' || Ref01 as x from tblCustomers union all "
                        "select coalesce(c.CustomerName, '?') || ':' || g.GroupName from "
                        "tblCustomerGroups l left join tblCustomers c on c.CustomerId = l.CustomerId "
                        "join tblGroups g on g.GroupId = l.GroupId) as r order by 1");
    QCOMPARE(got, outcomes);
    QCOMPARE(ErrorLines(), QStringList());
}

void TstRecords::hostileText_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("apostrophes") << "'O''Neil'";
    QTest::newRow("statement break") << "x' or ''=''); delete from tblGroups; -- /*";
    QTest::newRow("quotes, backslashes, wildcards") << "say \"hi\" C:\\data\\'x'\\ 100% _sure_";
    QTest::newRow("line breaks and non-ASCII") << QStringLiteral("one\r\ntwo\nZoë Łódź 東京 🗓");
    QTest::newRow("blanks around") << "  padded  ";
    QTest::newRow("10,000 characters") << QString(9990, QLatin1Char('x')) + "'Łódź'end";
    QTest::newRow("empty") << "";
    QTest::newRow("control characters") << QString("tab\there bell\a \x01\x1f del\x7f / end");
}

// Every text field goes in and comes back exactly. An older row of each table has the same
// name in capitals: the identifier a Save reads back is the new row's.
void TstRecords::hostileText() {
    QFETCH(QString, text);
    const QString older = ClsDAO::Quoted(text.toUpper());
    Exec({"insert into tblGroups (GroupName) values (" + older + ")",
          "insert into tblResources (GroupId, ResourceName) values (99, " + older + ")",
          "insert into tblTasks (GroupId, TaskName) values (99, " + older + ")",
          "insert into tblCustomers (CustomerName, Ref01, Ref02, Ref03) values (" + older +
              ", '', '', '')"});
    ClsGroup& g = Records::Group();
    g.InitBfr();
    g.SetGroupName(text);
    QCOMPARE(g.Save(), 2);
    ClsResource& r = Records::Resource();
    r.InitBfr();
    r.SetGroupId(2);
    r.SetResourceName(text);
    QCOMPARE(r.Save(), 2);
    ClsTask& t = Records::Task();
    t.InitBfr();
    t.SetGroupId(2);
    t.SetTaskName(text);
    QCOMPARE(t.Save(), 2);
    ClsCustomer& c = Records::Customer();
    c.InitBfr();
    c.SetCustomerName(text);
    c.SetRef01(text + "1");
    c.SetRef02(text + "2");
    c.SetRef03(text + "3");
    QCOMPARE(c.Save(), 2);
    ClsBooking& b = Records::Booking();
    SetSlot(b, 2, 45000, 600, 660);
    b.SetTaskId(2);
    b.SetCustomerId(2);
    b.SetRef01(text + "a");
    b.SetRef02(text + "b");
    b.SetRef03(text + "c");
    b.SetComments(text + "d");
    QCOMPARE(b.Save(), 1);
    // A second update goes through the same quoting.
    g.SetGroupName(text + "!");
    QCOMPARE(g.Save(), 2);

    ClsGroup g2;
    QVERIFY(g2.Load(2));
    QCOMPARE(g2.GroupName(), text + "!");
    ClsResource r2;
    QVERIFY(r2.LoadByName(text, 2));
    QCOMPARE(Describe(r2), Describe(r));
    ClsTask t2;
    QVERIFY(t2.LoadByName(text, 2));
    QCOMPARE(Describe(t2), Describe(t));
    env->Sql("insert into tblCustomerGroups (CustomerId, GroupId) values (2, 2)");
    ClsCustomer c2;
    QVERIFY(c2.LoadByName(text, 2));
    QCOMPARE(Describe(c2), Describe(c));
    ClsBooking b2;
    QVERIFY(b2.Load(1));
    QCOMPARE(Describe(b2), Describe(b));

    // The last journal entry of each row holds the row as it is now, written as QJsonDocument
    // writes it.
    for (const QString& table : {"tblGroups", "tblResources", "tblTasks", "tblCustomers", "tblBookings"}) {
        const QString id = table == "tblBookings" ? "1" : "2";
        const Recordset rs = Database::DAO().SqlQuery("select * from " + table + " where " +
                                                       QString(table).mid(3).chopped(1) + "Id = " + id);
        QVERIFY(!rs.Eof());
        QJsonObject row;
        for (int i = 0; i < rs.ColumnCount(); ++i)
            row.insert(rs.ColumnName(i).toLower(), QJsonValue::fromVariant(rs.Fields(i).Value));
        QCOMPARE(env->Sql("select After from tblJournal where TableName = '" + table + "' and RowId = " + id +
                          " order by JournalId desc limit 1")
                     .toString(),
                 QString::fromUtf8(QJsonDocument(row).toJson(QJsonDocument::Compact)));
    }

    // Another workstation reads the same text, and nothing else was touched.
    QCOMPARE(env->Sql("select GroupName from tblGroups where GroupId = 2").toString(), text + "!");
    QCOMPARE(Count("tblGroups") + Count("tblBookings"), 3);
    QCOMPARE(ErrorLines(), QStringList());
}

// A row's journal text is written as QJsonDocument writes the same values: keys in lower case and
// in order, every kind of value and text.
void TstRecords::rowJson_data() {
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QVariantList>("values");
    const auto row = [](const char* name, const QString& columns, const QVariantList& values) {
        QTest::newRow(name) << columns.split(' ') << values;
    };
    QString controls;
    for (char16_t c = 0; c <= 0x20; ++c)
        controls += QChar(c);
    row("whole numbers, keys put in order", "BookingId ResourceId zeta Alpha ref02 Ref01",
        {qlonglong(5), 3, -7, qlonglong(-9000000000), uint(4000000000u), short(-2)});
    row("escaped text", "a b", {controls + "\"\\/\x7f", QString("line\r\nnext\ttab")});
    row("text beyond ASCII", "a b c", {QString("Zoë Łódź 東京"), QString(QChar(0x80)) + QChar(0x7ff) + QChar(0x800),
                                       QString(QChar(0xfffd)) + QChar(0xfffe) + QChar(0xffff)});
    row("characters outside the basic plane", "a b", {QStringLiteral("🗓 x"), QString(QChar(0xd800)) + "y"});
    row("empty text and no value", "a b", {QString(""), QVariant()});
    row("nulls of a type", "a b c", {QVariant(QMetaType::fromType<QString>()), QVariant(QMetaType::fromType<qlonglong>()),
                                     QVariant(QMetaType::fromType<int>())});
    row("a fraction", "n a", {1, 2.5});
    row("a whole number kept as a fraction", "n a", {1, 3.0});
    row("a truth value", "n a", {1, true});
    row("bytes", "n a", {1, QByteArray("bytes")});
    row("a date", "n a", {1, QDate(2026, 12, 7)});
    row("names alike but for case", "Name NAME", {1, 2});
    row("a name beyond ASCII", "Größe b", {1, 2});
}

void TstRecords::rowJson() {
    QFETCH(QStringList, columns);
    QFETCH(QVariantList, values);
    QJsonObject expected;
    for (int i = 0; i < columns.size(); ++i)
        expected.insert(columns[i].toLower(), QJsonValue::fromVariant(values[i]));
    StoredRow row("t", columns[0]);
    row.Take(Recordset(columns, QVector<QVariant>(values.begin(), values.end())));
    QCOMPARE(row.Json(), QString::fromUtf8(QJsonDocument(expected).toJson(QJsonDocument::Compact)));
    // The same columns again (their order is kept from the first row) with other values.
    QVariantList again = values;
    std::reverse(again.begin(), again.end());
    QJsonObject expectedAgain;
    for (int i = 0; i < columns.size(); ++i)
        expectedAgain.insert(columns[i].toLower(), QJsonValue::fromVariant(again[i]));
    row.Take(Recordset(columns, QVector<QVariant>(again.begin(), again.end())));
    QCOMPARE(row.Json(), QString::fromUtf8(QJsonDocument(expectedAgain).toJson(QJsonDocument::Compact)));
}

void TstRecords::clash_data() {
    QTest::addColumn<int>("resource");
    QTest::addColumn<int>("date");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("stored");
    // The booking to be saved is always resource 1, day 45000, 10:00 to 11:00.
    QTest::newRow("overlaps its end") << 1 << 45000 << 630 << 690 << false;
    QTest::newRow("overlaps its start") << 1 << 45000 << 570 << 630 << false;
    QTest::newRow("identical") << 1 << 45000 << 600 << 660 << false;
    QTest::newRow("inside it") << 1 << 45000 << 615 << 645 << false;
    QTest::newRow("encloses it") << 1 << 45000 << 540 << 720 << false;
    QTest::newRow("touches before") << 1 << 45000 << 540 << 600 << true;
    QTest::newRow("touches after") << 1 << 45000 << 660 << 720 << true;
    QTest::newRow("other resource") << 2 << 45000 << 600 << 660 << true;
    QTest::newRow("other date") << 1 << 45001 << 600 << 660 << true;
}

void TstRecords::clash() {
    QFETCH(int, resource);
    QFETCH(int, date);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(bool, stored);
    Exec({"insert into tblResources (GroupId, ResourceName) values (1, 'One'), (1, 'Two')",
          "insert into tblTasks (GroupId, TaskName) values (1, 'Visit')"});
    env->Sql(kBooking + QString("(%1, 1, 0, %2, %3, %4, 0, '', '', '', 'old')")
                            .arg(resource).arg(date).arg(start).arg(end));
    ClsBooking& b = Records::Booking();
    QCOMPARE(b.GetBookingId(1, 45000, 600, 660, 0), stored ? 0 : 1);
    // The existing booking never clashes with itself.
    QCOMPARE(b.GetBookingId(resource, date, qint16(start), qint16(end), 1), 0);

    SetSlot(b, 1, 45000, 600, 660);
    b.SetComments(QStringLiteral("new"));
    const qint32 id = b.Save();
    QCOMPARE(id, stored ? 2 : 0);
    QCOMPARE(b.BookingId(), id);
    QCOMPARE(Count("tblBookings where Comments = 'new'"), stored ? 1 : 0);

    // The same rule holds for a stored booking moved onto that time.
    env->Sql("delete from tblBookings where Comments = 'new'");
    env->Sql(kBooking + "(1, 1, 0, 45009, 600, 660, 0, '', '', '', 'moved')");
    const qint32 moved = env->Sql("select BookingId from tblBookings where Comments = 'moved'").toInt();
    QVERIFY(b.Load(moved));
    b.SetBookingDate(45000);
    QCOMPARE(b.Save(), stored ? moved : 0);
    QCOMPARE(env->Sql("select BookingDate from tblBookings where Comments = 'moved'").toInt(),
             stored ? 45000 : 45009);
    QCOMPARE(ErrorLines(), QStringList());
    QVERIFY(env->boxes.isEmpty());
}

void TstRecords::failedClashTestStoresNothing_data() {
    QTest::addColumn<bool>("existing");
    QTest::newRow("new booking") << false;
    QTest::newRow("stored booking moved") << true;
}

void TstRecords::failedClashTestStoresNothing() {
    QFETCH(bool, existing);
    env->Sql(kBooking + "(1, 1, 0, 45000, 600, 660, 0, '', '', '', 'old')");
    ClsBooking& b = Records::Booking();
    SetSlot(b, 1, 45001, 700, 760);
    if (existing) {
        QVERIFY(b.Load(1));
        b.SetBookingDate(45001);
        b.SetBookingStart(700);
        b.SetBookingEnd(760);
    }
    // The clash test fails as a damaged table would: the slot is free, but nothing may be stored.
    Database::DAO().SetFailingStatements([](const QString& sql) {
        return sql.startsWith(QStringLiteral("select BookingId from tblBookings where ResourceId"));
    });
    QCOMPARE(b.Save(), 0);
    Database::DAO().SetFailingStatements({});
    QCOMPARE(Count("tblBookings"), 1);
    QCOMPARE(env->Sql("select BookingDate from tblBookings").toInt(), 45000);
}

void TstRecords::nextRepeatId() {
    ClsBooking& b = Records::Booking();
    QList<qint32> ids;
    for (int i = 0; i < 14; ++i) {
        ids << b.NextRepeatId();
        if (i % 3 == 0) // another workstation takes numbers in between
            env->Sql("insert into tblRepeats (SerialNo) values ('12345')");
    }
    for (int i = 1; i < ids.size(); ++i)
        QVERIFY2(ids[i] > ids[i - 1], "repeat identifiers increase");
    const qint32 last = ids.last();
    // Each identifier is this workstation's own row.
    QCOMPARE(env->Sql(QString("select SerialNo from tblRepeats where RepeatId = %1").arg(last)).toString(),
             QString::number(ClsBooking::WorkstationTag()));
    // Only the newest rows stay: identifiers last - 10 to last.
    QCOMPARE(env->Sql("select min(RepeatId) from tblRepeats").toInt(), last - 10);
    QCOMPARE(Count("tblRepeats"), 11);
    QCOMPARE(ErrorLines(), QStringList());
}

// The tag is stored with each series number, and workstations of different builds share the
// table: a 32-bit FNV-1a hash of the machine identity, the same in every build.
void TstRecords::workstationTag() {
    QCOMPARE(ClsBooking::StableHash("foobar"), qint32(0xbf9cf968u));
    QFile file(QStringLiteral("/etc/machine-id"));
    const QByteArray id = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
    if (!id.isEmpty())
        QCOMPARE(ClsBooking::WorkstationTag(), ClsBooking::StableHash(id));
}

void TstRecords::bookingCheck() {
    Exec({
        "insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
        "InitTime) values (1, 1, 'r1', 5, 60, 5), (2, 1, 'r2', 5, 60, 5), (3, 2, 'r3', 5, 60, 5)",
        kBooking + "(1, 1, 0, 45000, 600, 660, 0, '', '', '', ''), (2, 1, 0, 45010, 480, 500, 0, '', '', '', ''), "
                   "(3, 1, 0, 45005, 100, 1000, 0, '', '', '', ''), (1, 1, 0, 45011, 100, 1000, 0, '', '', '', '')",
    });
    ClsBooking& b = Records::Booking();
    // The sum of the end times of group 1 from 45000 to 45010 inclusive.
    QCOMPARE(b.BookingCheck(45000, 45010, 1), 660 + 500);
    QCOMPARE(b.BookingCheck(45001, 45009, 1), 0);
    QCOMPARE(b.BookingCheck(45000, 45010, 3), 0);
    // Moving a booking by ten minutes changes the signature.
    env->Sql("update tblBookings set BookingStart = 610, BookingEnd = 670 where BookingId = 1");
    QCOMPARE(b.BookingCheck(45000, 45010, 1), 670 + 500);
}

// Each change appends one entry in its own transaction: the action, the row, and one column
// before and after ("-" where the row was not or is no more); a refused change appends none.
void TstRecords::journal_data() {
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, Scenario s, const char* column, const QString& expected) {
        QTest::newRow(name) << s << QString(column) << expected;
    };
    const auto edit = [](const std::function<void(ClsBooking&)>& change) {
        return [change] { ClsBooking b; b.Load(5); change(b); return QString::number(b.Save()); };
    };
    row("new booking", [] { ClsBooking b; SetSlot(b, 3, 45002, 600, 660), b.SetTaskId(2); return QString::number(b.Save()); },
        "bookingdate", "New tblBookings 7 ->45002");
    row("move", edit([](ClsBooking& b) { b.SetBookingStart(700), b.SetBookingEnd(760); }), "bookingstart",
        "Move tblBookings 5 600>700");
    row("move to another resource", edit([](ClsBooking& b) { b.SetResourceId(4); }), "resourceid",
        "Move tblBookings 5 3>4");
    row("stretch", edit([](ClsBooking& b) { b.SetBookingEnd(700); }), "bookingend", "Stretch tblBookings 5 660>700");
    row("comment", edit([](ClsBooking& b) { b.SetComments("later"); }), "comments", "Change tblBookings 5 first>later");
    row("clash refused: no entry", edit([](ClsBooking& b) { b.SetBookingDate(45001), b.SetResourceId(4), b.SetBookingEnd(720); }),
        "bookingid", "0");
    row("delete", [] { return QString::number(ClsBooking().Delete(5)); }, "ref01", "Delete tblBookings 5 a1>-");
    row("delete of a booking gone already: no entry", [] { return QString::number(ClsBooking().Delete(999) ? 0 : 1); },
        "bookingid", "0");
    row("series delete", [] { return QString::number(ClsBooking().DeleteRepeats(12)); }, "comments",
        "Delete series tblBookings 12 second>-");
    row("group renamed", [] { ClsGroup g; g.Load(7); g.SetGroupName("Halls"); return QString::number(g.Save()); },
        "groupname", "Change tblGroups 7 Rooms>Halls");
    row("resource deleted with its bookings", [] { return QString::number(ClsResource().Delete(3)); },
        "resourcename", "Delete tblResources 3 Room 1>-");
    row("new contact", [] { ClsCustomer c; c.SetCustomerName("Ada"); return QString::number(c.Save({{9, true}})); },
        "customername", "New tblCustomers 6 ->Ada");
    row("type deleted", [] { return QString::number(ClsTask().Delete(2)); }, "taskname", "Delete tblTasks 2 Visit>-");
    row("journal refused: the delete is not made", [this] {
            env->RefuseWrites("insert", "tblJournal", "disk full");
            return QString::number(ClsTask().Delete(2) + Count("tblTasks where TaskId = 2") - 1);
        }, "taskname", "0");
}

void TstRecords::journal() {
    QFETCH(Scenario, scenario);
    QFETCH(QString, column);
    QFETCH(QString, expected);
    RecordFixture();
    // A listener is told of the entry, with its number, once it is stored.
    qint64 told = -1;
    const int listener = Journal::AddListener([&](ClsDAO&, const Journal::Entry& e) { told = e.id; });
    const QString result = scenario();
    Journal::RemoveListener(listener);
    const int entries = Count("tblJournal");
    if (expected == "0") {
        QCOMPARE(result + '/' + QString::number(entries) + '/' + QString::number(told), QString("0/0/-1"));
        return;
    }
    QCOMPARE(entries, 1);
    QCOMPARE(told, env->Sql("select JournalId from tblJournal").toLongLong());
    const auto value = [&](const char* side) {
        const QJsonDocument doc = QJsonDocument::fromJson(env->Sql(QString("select %1 from tblJournal").arg(side)).toByteArray());
        const QJsonObject row = doc.isArray() ? doc.array().last().toObject() : doc.object();
        return row.isEmpty() ? QString("-") : row.value(column).toVariant().toString();
    };
    QCOMPARE(env->Sql("select Action || ' ' || TableName || ' ' || RowId from tblJournal").toString() + ' ' +
                 value("Before") + '>' + value("After"),
             expected);
    QCOMPARE(env->Sql("select UserName || '@' || Workstation from tblJournal").toString(),
             Journal::UserName() + '@' + QSysInfo::machineHostName());
}

// An entry's time is stored as QDateTime writes the same moment in UTC, so that entries sort and
// compare as text.
void TstRecords::journalTime_data() {
    QTest::addColumn<QDateTime>("when");
    const auto utc = [](int y, int mo, int d, int h, int mi, int s, int ms) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
    };
    QTest::newRow("a save today") << utc(2026, 12, 7, 9, 5, 3, 42);
    QTest::newRow("the start of 1970") << utc(1970, 1, 1, 0, 0, 0, 0);
    QTest::newRow("the last moment before 1970") << utc(1969, 12, 31, 23, 59, 59, 999);
    QTest::newRow("the last day before 1970") << utc(1969, 12, 31, 0, 0, 0, 0);
    QTest::newRow("a leap day's last moment") << utc(2024, 2, 29, 23, 59, 59, 999);
    QTest::newRow("the last year of four digits") << utc(9999, 12, 31, 23, 59, 59, 999);
    QTest::newRow("a year of five digits") << utc(10000, 1, 1, 0, 0, 0, 1);
    QTest::newRow("a year of three digits") << utc(999, 6, 1, 12, 0, 0, 0);
    QTest::newRow("a local time") << QDateTime(QDate(2026, 7, 1), QTime(1, 30), Qt::OffsetFromUTC, 7200);
}

void TstRecords::journalTime() {
    QFETCH(QDateTime, when);
    QCOMPARE(Journal::TimeText(when), when.toUTC().toString(Qt::ISODateWithMs));
}

QTEST_GUILESS_MAIN(TstRecords)
#include "tst_records.moc"

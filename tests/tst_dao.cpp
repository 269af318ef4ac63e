// The database layer, with two ClsDAO instances standing for two workstations.
#include "TestEnv.h"

#include "data/ClsDAO.h"
#include "data/DbSchema.h"
#include "model/ScheduleData.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

// A fresh database in a program folder of its own, opened by `dao`.
#define FRESH_DATABASE(env, dao) TestEnv env; QVERIFY(env.CreateDatabase()); ClsDAO dao; \
    QCOMPARE(dao.DbOpen(env.DbPath()), qint16(0))

namespace {

// The first column of every row, as text ("<null>" for a null).
QStringList Column(ClsDAO& dao, const QString& sql) {
    QStringList out;
    for (Recordset rs = dao.SqlQuery(sql); !rs.Eof(); rs.MoveNext()) {
        const QVariant v = rs.Fields(0).Value;
        out << (v.isNull() ? QStringLiteral("<null>") : v.toString());
    }
    return out;
}

QString Marker(const TestEnv& env) {
    return env.Sql("select PropValue from tblProperties where PropName = 'LastUpdated'").toString();
}

// An error-list line of LogDbErrors: the engine's error number (the server's
// is an SQLSTATE code), ": ", the text.
bool IsErrorLine(const QString& line) {
    static const QRegularExpression re(QStringLiteral("^-?[0-9A-Z]+: \\S.*$"));
    return re.match(line).hasMatch();
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TstDao : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void openCountAndLogLines();
    void badDatabaseFiles_data();
    void badDatabaseFiles();
    void markerBetweenTwoWorkstations();
    void markerStamping_data();
    void markerStamping();
    void writeTransactionStampsOnce();
    void stampsNeverComeRound();
    void preparedBinding_data();
    void preparedBinding();
    void preparedStatementRuns();
    void properties();
    void recordsetIsASnapshot();
    void recordsetNavigation();
    void fieldConversions_data();
    void fieldConversions();
    void failedStatementsAreLogged();
    void oneStatementPerCall();
    void schemaTables();
    void identifiersAreNeverReused();
    void textComparesIgnoringCase_data();
    void textComparesIgnoringCase();
    void indexesServeTheQueries_data();
    void indexesServeTheQueries();
    void olderDatabaseGetsIndexesAtOpen();
    void createDatabaseRefusesForeignDatabase();
    void integrityRepair();
    void compactDb();
    void compactDbWhenOpenedTwice();
};

void TstDao::openCountAndLogLines() {
    TestEnv env;
    QVERIFY(env.CreateDatabase());
    {
        ClsDAO dao;
        QCOMPARE(dao.DbOpen(env.DbPath()), qint16(0));
        QCOMPARE(dao.DbOpen(env.DbPath()), qint16(0));
        dao.DbClose();
        QCOMPARE(dao.OpenCount(), 1);
        QVERIFY(dao.IsOpen());
        QCOMPARE(Column(dao, QStringLiteral("select count(*) from tblGroups")), QStringList{"0"});
        dao.DbClose();
        QVERIFY(!dao.IsOpen());
        dao.DbClose(); // one close too many: the count stays at 0
        QCOMPARE(dao.OpenCount(), 0);
        QCOMPARE(dao.DbOpen(env.DbPath()), qint16(0));
        QCOMPARE(dao.DbOpen(env.DbPath()), qint16(0));
    } // releasing the instance closes once for each open
    const QString open = QStringLiteral("Open database [%1]   ") + env.DbPath();
    QCOMPARE(env.LogLines(), (QStringList{open.arg(1), open.arg(2), "Database close [1]", "Database close [0]",
                                          "Database close [0]", open.arg(1), open.arg(2),
                                          "Database close [1]", "Database close [0]"}));
}

// Text files and folders are refused at start-up (tst_startup); here the files
// an engine would take for a database.
void TstDao::badDatabaseFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("empty file") << "empty";
    QTest::newRow("damaged Tarvelo database") << "damaged";
    QTest::newRow("missing file") << "missing";
}

// Refused without writing anything; the next open of a good database really opens it.
void TstDao::badDatabaseFiles() {
    QFETCH(QString, kind);
    TestEnv env;
    QVERIFY(env.CreateDatabase());
    const QString path = env.Path(QStringLiteral("Bad.db"));
    QByteArray bytes;
    if (kind == "damaged") {
        QVERIFY(DbSchema::CreateDatabase(path).isEmpty());
        bytes = TestEnv::ReadFile(path);
        // The header promises pages that are not there.
        bytes = bytes.left(100) + QByteArray(1400, char(0xA5));
    }
    if (kind != "missing")
        QVERIFY(TestEnv::WriteFile(path, bytes));
    const QStringList filesBefore = FilesIn(env.Folder());
    env.ClearLog();
    ClsDAO dao;
    QCOMPARE(dao.DbOpen(path), qint16(2));
    QVERIFY(!dao.IsOpen());
    QCOMPARE(dao.OpenCount(), 1); // the count stays raised after a failure
    QVERIFY(!dao.SqlQuery(QStringLiteral("select * from tblGroups")).IsOpen());
    const QStringList log = env.LogLines();
    QVERIFY2(log.size() >= 2, qPrintable(log.join('|')));
    QCOMPARE(log.first(), QStringLiteral("DbOpen() failed!"));
    QVERIFY2(IsErrorLine(log.at(1)), qPrintable(log.at(1)));
    QCOMPARE(TestEnv::ReadFile(path), bytes); // no journal, and nothing created for a missing file
    QCOMPARE(QFileInfo::exists(path), kind != "missing");
    QStringList filesAfter = FilesIn(env.Folder());
    filesAfter.removeAll(QStringLiteral("Error.txt"));
    QCOMPARE(filesAfter, filesBefore);

    QCOMPARE(dao.DbOpen(env.DbPath()), qint16(0));
    QVERIFY(dao.SqlAction(QStringLiteral("insert into tblGroups (GroupName) values ('x')")));
    QCOMPARE(env.Count("tblGroups"), 1);
    dao.DbClose();
    dao.DbClose();
    QCOMPARE(env.LogLines().last(), QStringLiteral("Database close [0]"));
}

void TstDao::markerBetweenTwoWorkstations() {
    FRESH_DATABASE(env, a);
    QCOMPARE(Marker(env), QString::number(a.LastUpdatedStamp()));
    QVERIFY(!a.Updated()); // A's own open is no news to A
    ClsDAO b;
    QCOMPARE(b.DbOpen(env.DbPath()), qint16(0));
    QVERIFY(a.Updated()); // B's open tells A once
    QVERIFY(!a.Updated() && !b.Updated());
    env.ClearLog();

    QVERIFY(a.SqlAction(QStringLiteral("insert into tblGroups (GroupName) values ('G')")));
    QVERIFY(b.Updated());
    QVERIFY(!b.Updated() && !a.Updated());
    QCOMPARE(a.LastUpdatedStamp(), b.LastUpdatedStamp());

    QVERIFY(b.SqlAction(QStringLiteral("delete from tblGroups")));
    QVERIFY(!b.Updated() && a.Updated() && !a.Updated());
    QCOMPARE(env.LogLines(), (QStringList{"Database update noted", "Database update noted"}));
}

// A statement stamps the marker when its text holds a lower-case "insert" or
// "delete", whatever it changed.
void TstDao::markerStamping_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("ignoreUpdate");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("stamped");
    const auto row = [](const char* name, const char* sql, bool ignore, bool ok, bool stamped) {
        QTest::newRow(name) << QString(sql) << ignore << ok << stamped;
    };
    row("delete of no rows", "delete from tblBookings where BookingId = -5", false, true, true);
    row("update", "update tblGroups set Interval = 15", false, true, false);
    row("'delete' inside a name", "update tblGroups set GroupName = 'Undelete'", false, true, true);
    row("upper-case INSERT", "INSERT INTO tblRepeats (SerialNo) VALUES ('1')", false, true, false);
    row("ignore update asked", "insert into tblRepeats (SerialNo) values ('1')", true, true, false);
    row("failed insert", "insert into tblNowhere (x) values (1)", false, false, false);
}

void TstDao::markerStamping() {
    QFETCH(QString, sql);
    QFETCH(bool, ignoreUpdate);
    QFETCH(bool, ok);
    QFETCH(bool, stamped);
    FRESH_DATABASE(env, a);
    ClsDAO b;
    QCOMPARE(b.DbOpen(env.DbPath()), qint16(0));
    QVERIFY(a.Updated()); // in step with B's open
    const QString before = Marker(env);
    QCOMPARE(a.SqlAction(sql, ignoreUpdate), ok);
    QCOMPARE(Marker(env) != before, stamped);
    QCOMPARE(b.Updated(), stamped);
    QVERIFY(!a.Updated());
}

// The inserts and deletes of one write transaction move the marker once, and another workstation
// sees the change after the commit.
void TstDao::writeTransactionStampsOnce() {
    FRESH_DATABASE(env, a);
    ClsDAO b;
    QCOMPARE(b.DbOpen(env.DbPath()), qint16(0));
    QVERIFY(a.Updated());
    QVERIFY(a.BeginWrite());
    QVERIFY(a.SqlAction("insert into tblRepeats (SerialNo) values ('1')"));
    const QString first = a.PropertyGet("LastUpdated");
    QVERIFY(a.SqlAction("insert into tblRepeats (SerialNo) values ('2')"));
    QVERIFY(a.SqlAction("delete from tblRepeats where SerialNo = '1'"));
    QCOMPARE(a.PropertyGet("LastUpdated"), first);
    QVERIFY(a.CommitWrite());
    QCOMPARE(Marker(env), first);
    QVERIFY(b.Updated());
    // The next transaction stamps again.
    QVERIFY(a.BeginWrite());
    QVERIFY(a.SqlAction("insert into tblRepeats (SerialNo) values ('3')"));
    QVERIFY(a.CommitWrite());
    QVERIFY(Marker(env) != first);
    QVERIFY(b.Updated());
}

// Quick writes, several within one millisecond, each leave a marker value never seen before:
// another workstation that last read a value must not find it again after further changes.
void TstDao::stampsNeverComeRound() {
    FRESH_DATABASE(env, dao);
    QSet<qint32> seen;
    for (int i = 0; i < 60; ++i) {
        QVERIFY(dao.SqlAction("delete from tblBookings where BookingId = -5"));
        QVERIFY2(!seen.contains(dao.LastUpdatedStamp()), qPrintable(QString::number(i)));
        seen << dao.LastUpdatedStamp();
    }
    // Another instance of the program on this computer stamps from the same clock: the value it
    // set is never this one's next.
    for (int i = 0; i < 20; ++i) {
        const qint32 other = dao.LastUpdatedStamp() + 1;
        env.Sql("update tblProperties set PropValue = '" + QString::number(other) +
                "' where PropName = 'LastUpdated'");
        QVERIFY(dao.Updated());
        QVERIFY(dao.SqlAction("delete from tblBookings where BookingId = -5"));
        QVERIFY(dao.LastUpdatedStamp() != other);
    }
}

// A value bound to a statement prepared once is stored as Qt's own binding stores it.
void TstDao::preparedBinding_data() {
    QTest::addColumn<QVariant>("value");
    QTest::newRow("no value") << QVariant();
    QTest::newRow("a null text") << QVariant(QString());
    QTest::newRow("an empty text") << QVariant(QString(""));
    QTest::newRow("text with quotes and beyond ASCII") << QVariant(QStringLiteral("O'Neil; Zoë 東京 🗓"));
    QTest::newRow("a whole number") << QVariant(42);
    QTest::newRow("a large whole number") << QVariant(qlonglong(-9000000000));
    QTest::newRow("a truth value") << QVariant(true);
    QTest::newRow("a fraction") << QVariant(2.5);
    QTest::newRow("bytes") << QVariant(QByteArray("\x00\x01z", 3));
    QTest::newRow("a date") << QVariant(QDate(2026, 12, 7));
}

void TstDao::preparedBinding() {
    SQLITE_FILE_ONLY();
    QFETCH(QVariant, value);
    FRESH_DATABASE(env, dao);
    QVERIFY(dao.SqlAction("create table tmpBind (Id integer primary key, V)"));
    for (int i = 0; i < 2; ++i) // the second run reuses the statement
        QVERIFY(dao.SqlAction("insert into tmpBind (V) values (?)", {value}));
    QSqlDatabase qt = QSqlDatabase::addDatabase("QSQLITE", "qt-binding");
    {
        qt.setDatabaseName(env.DbPath());
        QVERIFY(qt.open());
        QSqlQuery q(qt);
        QVERIFY(q.prepare("insert into tmpBind (V) values (?)"));
        q.addBindValue(value);
        QVERIFY(q.exec());
        qt.close();
    }
    qt = QSqlDatabase();
    QSqlDatabase::removeDatabase("qt-binding");
    const QStringList stored = Column(dao, "select typeof(V) || ' ' || quote(V) from tmpBind order by Id");
    QCOMPARE(stored.size(), 3);
    QCOMPARE(stored[0], stored[2]);
    QCOMPARE(stored[1], stored[2]);
}

// A prepared statement tells an insert's row number, reports a failure and runs again after it,
// and is prepared afresh on a connection opened again.
void TstDao::preparedStatementRuns() {
    FRESH_DATABASE(env, dao);
    const QString insert = "insert into tblGroups (GroupName, DayStart, DayEnd, Interval) values (?, ?, ?, ?)";
    QVariant id;
    QVERIFY(dao.SqlAction(insert, {"Rooms", 480, 1020, 15}, false, &id));
    QCOMPARE(id.toLongLong(), env.Sql("select max(GroupId) from tblGroups").toLongLong());
    env.ClearLog();
    const QString property = "insert into tblProperties (PropName, PropValue) values (?, ?)";
    QVERIFY(!dao.SqlAction(property, {"LastUpdated", "1"}));
    QCOMPARE(env.LogLines().value(0), "SqlAction(" + property + ") failed! (" + property + ")");
    QVERIFY(dao.SqlAction(property, {"Other", "2"}));
    QCOMPARE(env.Sql("select PropValue from tblProperties where PropName = 'Other'").toString(), "2");
    dao.DbClose();
    QCOMPARE(dao.DbOpen(env.DbPath()), qint16(0));
    QVERIFY(dao.SqlAction(insert, {"Staff", 540, 960, 30}, false, &id));
    QCOMPARE(id.toLongLong(), env.Sql("select GroupId from tblGroups where GroupName = 'Staff'").toLongLong());
    QCOMPARE(env.Count("tblGroups"), 2);
}

// Properties are named case-blind; a marker that is not a number, or missing, is logged.
void TstDao::properties() {
    FRESH_DATABASE(env, dao);
    env.ClearLog();
    dao.PropertySet(QStringLiteral("Owner"), QStringLiteral("O'Neil; drop table tblGroups"));
    dao.PropertySet(QStringLiteral("owner"), QStringLiteral("second"));
    QCOMPARE(dao.PropertyGet(QStringLiteral("OWNER")), QStringLiteral("second"));
    QCOMPARE(env.Sql("select count(*) from tblProperties where PropName = 'Owner'").toInt(), 1);
    dao.PropertyDelete(QStringLiteral("Owner"));
    QCOMPARE(dao.PropertyGet(QStringLiteral("Owner")), QString());
    QCOMPARE(env.LogLines(), QStringList{"Error in ClsDAO.PropertyGet"});
    QCOMPARE(env.Count("tblGroups"), 0);

    env.Sql("update tblProperties set PropValue = 'abc' where PropName = 'LastUpdated'");
    env.ClearLog();
    QVERIFY(!dao.Updated());
    QCOMPARE(env.LogLines(), QStringList{"Error in ClsDAO.Updated"});
    env.Sql(QStringLiteral("delete from tblProperties"));
    env.ClearLog();
    QVERIFY(!dao.Updated());
    QCOMPARE(env.LogLines(), (QStringList{"Error in ClsDAO.PropertyGet", "Error in ClsDAO.Updated"}));
}

void TstDao::recordsetIsASnapshot() {
    FRESH_DATABASE(env, dao);
    env.Sql("insert into tblGroups (GroupName, Interval) values ('Alpha', 15), ('Beta', 15), ('Gamma', 15)");
    Recordset rs = dao.SqlQuery("select GroupName, Interval from tblGroups order by GroupName");
    QCOMPARE(rs.RecordCount(), 3);
    // Another workstation's changes neither wait for the snapshot nor show in it.
    env.Sql("update tblGroups set GroupName = 'Changed', Interval = 60");
    env.Sql("delete from tblGroups where GroupId = 1");
    env.Sql("insert into tblGroups (GroupName) values ('Delta')");
    QCOMPARE(env.Count("tblGroups"), 3);
    QStringList seen;
    for (; !rs.Eof(); rs.MoveNext())
        seen << rs.Fields("GroupName").Text() + "/" + QString::number(rs.Fields("Interval").Long());
    QCOMPARE(seen, (QStringList{"Alpha/15", "Beta/15", "Gamma/15"}));
    // A copy of a recordset reads on by itself.
    Recordset again = dao.SqlQuery("select GroupName from tblGroups order by GroupId");
    Recordset copy = again;
    again.MoveNext();
    again.MoveNext();
    QCOMPARE(again.Fields(0).Text(), QStringLiteral("Delta"));
    QCOMPARE(copy.Fields(0).Text(), QStringLiteral("Changed"));
}

void TstDao::recordsetNavigation() {
    FRESH_DATABASE(env, dao);
    env.Sql("insert into tblGroups (GroupName, DayStart) values ('Only', 480)");
    Recordset none = dao.SqlQuery(QStringLiteral("select * from tblGroups where GroupId = 99"));
    QVERIFY(none.IsOpen() && none.Eof() && none.Bof());
    QVERIFY_THROWS_EXCEPTION(std::exception, none.Fields(QStringLiteral("GroupName")));
    QVERIFY_THROWS_EXCEPTION(std::exception, none.MoveNext());
    Recordset one = dao.SqlQuery(QStringLiteral("select * from tblGroups"));
    QVERIFY(!one.Eof() && !one.Bof());
    QCOMPARE(one.Fields(QStringLiteral("groupname")).Text(), QStringLiteral("Only"));
    QCOMPARE(one.Fields(QStringLiteral("DAYSTART")).Int(), qint16(480));
    QVERIFY_THROWS_EXCEPTION(std::exception, one.Fields(QStringLiteral("NoSuchColumn")));
    QVERIFY_THROWS_EXCEPTION(std::exception, one.Fields(12));
    one.MoveNext();
    QVERIFY_THROWS_EXCEPTION(std::exception, one.Fields(0));
    QVERIFY_THROWS_EXCEPTION(std::exception, Recordset().Eof()); // what a failed query hands back
}

// A null never turns into text or a number; numbers out of range throw.
void TstDao::fieldConversions_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<QString>("text"); // "throws" when Text() must fail
    QTest::addColumn<QString>("asLong");
    QTest::addColumn<QString>("asInt");
    const auto row = [](const char* expr, bool null, const char* text, const char* l, const char* i) {
        QTest::newRow(expr) << QString(expr) << null << QString(text) << QString(l) << QString(i);
    };
    row("(select GroupName from tblGroups)", true, "throws", "throws", "throws");
    row("''", false, "", "throws", "throws");
    row("480", false, "480", "480", "480");
    row("-16777216", false, "-16777216", "-16777216", "throws");
    row("40000", false, "40000", "40000", "throws");
    row("3000000000", false, "3000000000", "throws", "throws");
    row("'1440'", false, "1440", "1440", "1440");
    row("'abc'", false, "abc", "throws", "throws");
}

void TstDao::fieldConversions() {
    QFETCH(QString, expression);
    QFETCH(bool, isNull);
    FRESH_DATABASE(env, dao);
    env.Sql(QStringLiteral("insert into tblGroups (GroupName) values (null)"));
    Recordset rs = dao.SqlQuery(QStringLiteral("select ") + expression + QStringLiteral(" as V"));
    QVERIFY(!rs.Eof());
    const FieldValue v = rs.Fields(QStringLiteral("V"));
    QCOMPARE(v.Value.isNull(), isNull);
    QCOMPARE(v.IsNull(), isNull);
    const auto attempt = [](auto f) {
        try { return QVariant(f()).toString(); } catch (const std::exception&) { return QString("throws"); }
    };
    QTEST(attempt([&] { return v.Text(); }), "text");
    QTEST(attempt([&] { return v.Long(); }), "asLong");
    QTEST(attempt([&] { return v.Int(); }), "asInt");
}

void TstDao::failedStatementsAreLogged() {
    FRESH_DATABASE(env, dao);
    env.ClearLog();
    const QString query = QStringLiteral("select * from tblNowhere");
    QVERIFY(!dao.SqlQuery(query).IsOpen());
    const QString action = QStringLiteral("delete from tblNowhere");
    QVERIFY(!dao.SqlAction(action));
    const QStringList log = env.LogLines();
    QCOMPARE(log.size(), 4);
    const QString reason = TestEnv::OnServer()
                               ? QStringLiteral("relation \"tblnowhere\" does not exist")
                               : QStringLiteral("no such table: tblNowhere");
    QCOMPARE(log.at(0), "SqlQuery(" + query + ") failed!  (" + query + ")");
    QVERIFY2(IsErrorLine(log.at(1)) && log.at(1).contains(reason), qPrintable(log.at(1)));
    QCOMPARE(log.at(2), "SqlAction(" + action + ") failed! (" + action + ")");
    QVERIFY2(IsErrorLine(log.at(3)) && log.at(3).contains(reason), qPrintable(log.at(3)));

    // A closed database fails the same way, never silently.
    dao.DbClose();
    env.ClearLog();
    QVERIFY(!dao.SqlAction(QStringLiteral("insert into tblGroups (GroupName) values ('x')")));
    QCOMPARE(env.LogLines().size(), 2);
    QVERIFY(IsErrorLine(env.LogLines().at(1)));
}

void TstDao::oneStatementPerCall() {
    FRESH_DATABASE(env, dao);
    QVERIFY(!dao.SqlAction("insert into tblGroups (GroupName) values ('a'); "
                           "insert into tblGroups (GroupName) values ('b')"));
    QCOMPARE(env.Count("tblGroups"), 0);
    // A text holding a NUL cannot end its literal early and run what follows.
    const QString nul = QStringLiteral("x") + QChar(0) + QStringLiteral("'); delete from tblGroups; --");
    env.Sql(QStringLiteral("insert into tblGroups (GroupName) values ('kept')"));
    dao.SqlAction("update tblGroups set GroupName = " + ClsDAO::Quoted(nul) + " where GroupId = 0");
    QCOMPARE(env.Count("tblGroups"), 1);
}

// Backups, other workstations and older versions read these columns by name and position.
void TstDao::schemaTables() {
    FRESH_DATABASE(env, dao);
    const bool server = TestEnv::OnServer(); // which folds unquoted names to lower case
    const QStringList tables{
        "tblGroups: GroupId GroupName DayStart DayEnd Interval",
        "tblResources: ResourceId GroupId ResourceName MinTime MaxTime InitTime",
        "tblTasks: TaskId GroupId TaskName Colour MinTime MaxTime InitTime",
        "tblCustomers: CustomerId CustomerName Ref01 Ref02 Ref03", "tblCustomerGroups: CustomerId GroupId",
        "tblBookings: BookingId ResourceId TaskId CustomerId BookingDate BookingStart BookingEnd "
        "RepeatId Ref01 Ref02 Ref03 Comments",
        "tblRepeats: RepeatId SerialNo", "tblProperties: PropName PropValue",
        "tblJournal: JournalId ChangedAt Workstation UserName Action TableName RowId Before After"};
    for (const QString& table : tables) {
        const QString name = table.section(": ", 0, 0);
        const QString sql = server ? "select column_name from information_schema.columns where table_schema = "
                                     "current_schema() and table_name = '" + name.toLower() +
                                         "' order by ordinal_position"
                                   : "select name from pragma_table_info('" + name + "') order by cid";
        const QString columns = table.section(": ", 1);
        QCOMPARE(name + ": " + Column(dao, sql).join(' '), name + ": " + (server ? columns.toLower() : columns));
    }
    QCOMPARE(Column(dao, server ? "select count(*) from information_schema.tables where "
                                  "table_schema = current_schema() and table_name like 'tbl%'"
                                : "select count(*) from sqlite_master where type = 'table' and name like 'tbl%'"),
             QStringList{"9"});
    // A database of an earlier version gets the journal when it is first opened.
    QVERIFY(dao.SqlAction("drop table tblJournal"));
    ClsDAO later;
    QCOMPARE(later.DbOpen(env.DbPath()), qint16(0));
    QVERIFY(env.LogContains("Database brought up to date: journal of changes added"));
    QCOMPARE(Column(later, "select count(*) from tblJournal"), QStringList{"0"});
}

void TstDao::identifiersAreNeverReused() {
    FRESH_DATABASE(env, dao);
    for (const char* t : {"tblGroups.GroupId", "tblResources.ResourceId", "tblTasks.TaskId",
                          "tblCustomers.CustomerId", "tblBookings.BookingId", "tblRepeats.RepeatId"}) {
        const QString table = QString(t).section('.', 0, 0), key = QString(t).section('.', 1);
        const QString insert = "insert into " + table + " default values";
        for (int i = 0; i < 3; ++i)
            QVERIFY(dao.SqlAction(insert));
        // The newest row goes; the next one still gets a fresh number.
        QVERIFY(dao.SqlAction("delete from " + table + " where " + key + " = 3"));
        QVERIFY(dao.SqlAction(insert));
        QCOMPARE(Column(dao, "select " + key + " from " + table + " order by 1"), (QStringList{"1", "2", "4"}));
        QVERIFY(dao.SqlAction("delete from " + table));
        QVERIFY(dao.SqlAction(insert));
        QCOMPARE(Column(dao, "select max(" + key + ") from " + table), QStringList{"5"});
    }
}

void TstDao::textComparesIgnoringCase_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    for (const char* c : {"tblGroups.GroupName", "tblResources.ResourceName", "tblTasks.TaskName",
                          "tblCustomers.CustomerName", "tblCustomers.Ref01", "tblCustomers.Ref02",
                          "tblCustomers.Ref03", "tblBookings.Ref01", "tblBookings.Ref02",
                          "tblBookings.Ref03", "tblBookings.Comments", "tblRepeats.SerialNo",
                          "tblProperties.PropName"})
        QTest::newRow(c) << QString(c).section('.', 0, 0) << QString(c).section('.', 1);
}

void TstDao::textComparesIgnoringCase() {
    QFETCH(QString, table);
    QFETCH(QString, column);
    FRESH_DATABASE(env, dao);
    // No marker stamps here: tblProperties is one of the tables looked at.
    QVERIFY(dao.SqlAction("delete from " + table, true));
    for (const char* v : {"banana", "Apple", "cherry", "BANANA split"})
        QVERIFY(dao.SqlAction("insert into " + table + " (" + column + ") values ('" +
                                  QLatin1String(v) + "')",
                              true));
    const QString count = "select count(*) from " + table + " where " + column;
    QCOMPARE(Column(dao, "select " + column + " from " + table + " order by " + column),
             (QStringList{"Apple", "banana", "BANANA split", "cherry"}));
    QCOMPARE(Column(dao, count + " = 'BaNaNa'"), QStringList{"1"});
    QCOMPARE(Column(dao, count + " in ('APPLE', 'CHERRY')"), QStringList{"2"});
    QCOMPARE(Column(dao, count + " < 'B'"), QStringList{"1"});
}

// One query per index the program relies on; sortFree: its order by needs no sorting step.
void TstDao::indexesServeTheQueries_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("sortFree");
    const auto row = [](const char* name, const char* sql, bool sortFree) {
        QTest::newRow(name) << QString(sql) << sortFree;
    };
    const QString bk = "select * from tblBookings where ";
    const QString dates = " and BookingDate >= 46000 order by BookingDate, BookingStart";
    QTest::newRow("bookings of a resource") << bk + "ResourceId = 5 order by BookingDate, BookingStart" << true;
    QTest::newRow("search by contact") << bk + "CustomerId = 3" + dates << true;
    QTest::newRow("search by appointment type") << bk + "TaskId = 3" + dates << true;
    row("change signature of a group",
        "select sum(BookingEnd - BookingStart), sum(BookingStart) from tblBookings where BookingDate "
        ">= 46000 and BookingDate <= 46060 and ResourceId in (select ResourceId from tblResources "
        "where GroupId = 3)", false);
    row("new booking identifier", "select max(BookingId) from tblBookings where BookingDate = 46000 "
        "and BookingStart = 600 and BookingEnd = 660", false);
    row("delete a series", "delete from tblBookings where RepeatId = 7", false);
    row("resources of a group", "select ResourceId, ResourceName from tblResources where GroupId = 1 "
        "order by ResourceName", true);
    QTest::newRow("schedule of a group")
        << ScheduleData::Query({1, 0, 46000, 46060, true, false}) << true;
    row("types of a group", "select TaskId, TaskName from tblTasks where GroupId = 1 order by TaskName", true);
    row("contacts of a group", "select CustomerId, CustomerName from tblCustomers where CustomerId in "
        "(select CustomerId from tblCustomerGroups where GroupId = 1) order by CustomerName", false);
}

void TstDao::indexesServeTheQueries() {
    QFETCH(QString, sql);
    QFETCH(bool, sortFree);
    FRESH_DATABASE(env, dao);
    const bool server = TestEnv::OnServer();
    // On a few rows the server would rather scan: with scans and sorts priced
    // out, a plan still holding one shows that no index serves.
    if (server)
        QVERIFY(dao.SqlAction("set enable_seqscan = off") && dao.SqlAction("set enable_sort = off"));
    QStringList plan;
    for (Recordset rs = dao.SqlQuery((server ? "explain " : "explain query plan ") + sql);
         !rs.Eof(); rs.MoveNext())
        plan << (server ? rs.Fields(0) : rs.Fields(QStringLiteral("detail"))).Text();
    QVERIFY(!plan.isEmpty());
    const QString steps = plan.join(" | ");
    if (server) {
        QVERIFY2(!steps.contains(QLatin1String("Seq Scan")), qPrintable(steps));
        // The server keeps no inner index order through a nested loop: it may
        // sort the rows within each outer row (an incremental sort), never all.
        QVERIFY2(!sortFree || !steps.contains(QRegularExpression("(?<!Incremental )Sort  \\(")),
                 qPrintable(steps));
        return;
    }
    for (const QString& step : plan)
        QVERIFY2(!step.startsWith(QLatin1String("SCAN")), qPrintable(steps));
    QVERIFY2(!sortFree || !steps.contains(QLatin1String("TEMP B-TREE")), qPrintable(steps));
}

// A database of an earlier version gets the schedule's index when it is
// opened, in place of the index it replaces, and loses the journal's index
// that every save paid for.
void TstDao::olderDatabaseGetsIndexesAtOpen() {
    TestEnv env;
    QVERIFY(env.CreateDatabase());
    env.Sql("drop index ixBookingsSchedule");
    env.Sql("create index ixBookingsResource on tblBookings (ResourceId, BookingDate, BookingStart, "
            "BookingEnd)");
    env.Sql("create index ixJournalRow on tblJournal (TableName, RowId, JournalId)");
    ClsDAO dao;
    QCOMPARE(dao.DbOpen(env.DbPath()), qint16(0));
    QCOMPARE(Column(dao, TestEnv::OnServer()
                             ? "select indexname from pg_indexes where schemaname = current_schema() "
                               "and (indexname like 'ixbookings%' or indexname like 'ixjournal%') "
                               "order by 1"
                             : "select lower(name) from sqlite_master where type = 'index' and "
                               "(name like 'ixBookings%' or name like 'ixJournal%') order by 1"),
             (QStringList{"ixbookingscustomer", "ixbookingsdate", "ixbookingsrepeat",
                          "ixbookingsschedule", "ixbookingstask"}));
}

// A database of another program is left as it was (other refusals: tst_startup).
void TstDao::createDatabaseRefusesForeignDatabase() {
    SQLITE_FILE_ONLY();
    TestEnv env;
    env.Sql(QStringLiteral("create table notes (body text)")); // Tarvelo.db holds only this
    const QByteArray bytes = TestEnv::ReadFile(env.DbPath());
    QVERIFY(!bytes.isEmpty());
    QVERIFY(!DbSchema::CreateDatabase(env.DbPath()).isEmpty());
    QCOMPARE(TestEnv::ReadFile(env.DbPath()), bytes);
}

// Every repair statement has its damage in one database: names and texts
// that are null, and rows whose group, resource, type or contact is gone.
// Then a table goes while in use.
void TstDao::integrityRepair() {
    FRESH_DATABASE(env, dao);
    const QString bk = "insert into tblBookings (ResourceId, TaskId, CustomerId, Ref01, Ref02, "
                       "Ref03, Comments) values ";
    for (const QString& sql : QStringList{
             "insert into tblGroups (GroupName) values ('G'), (null)",
             "insert into tblResources (GroupId, ResourceName) values (1, 'R'), (99, 'orphan'), "
             "(1, null)",
             "insert into tblTasks (GroupId, TaskName) values (1, 'T'), (42, 'stray'), (1, null)",
             "insert into tblCustomers (CustomerName, Ref01, Ref02, Ref03) values "
             "('C', '', '', ''), ('in no group', '', '', ''), (null, null, null, null)",
             "insert into tblCustomerGroups (CustomerId, GroupId) values (1, 1), (3, 1), (1, 42)",
             bk + "(1, 1, 0, '', '', '', 'no contact'), (1, 1, 1, '', '', '', 'C'), "
                  "(1, 1, 2, '', '', '', 'in no group'), (1, 1, 77, '', '', '', 'gone'), "
                  "(55, 1, 0, '', '', '', 'no resource'), (1, 55, 0, '', '', '', 'no type'), "
                  "(1, 1, 0, 'a', 'b', 'c', null), (1, 1, 0, null, null, null, 'refs'), "
                  "(1, 1, 0, 'set', null, 'c', 'Ref02'), (1, 0, 0, '', '', '', 'type none')"})
        env.Sql(sql);
    env.ClearLog();
    QVERIFY(dao.IntegrityCheck());
    QCOMPARE(env.LogLines(), QStringList{"Database integrity check"});
    const auto list = [&](const QStringList& columns, const QString& table, const QString& key) {
        const QString x = "coalesce(" + columns.join(", 'NULL') || ',' || coalesce(") + ", 'NULL')";
        return env.Sql("select group_concat(x, '|') from (select " + x + " as x from " + table +
                       " order by " + key + ") as listed").toString();
    };
    QCOMPARE(list({"GroupName"}, "tblGroups", "GroupId"), QStringLiteral("G|???"));
    // A resource of a missing group goes; a type of one stays.
    QCOMPARE(list({"ResourceName"}, "tblResources", "ResourceId"), QStringLiteral("R|???"));
    QCOMPARE(list({"TaskName"}, "tblTasks", "TaskId"), QStringLiteral("T|stray|???"));
    // A contact in no group goes with its bookings; texts are never null.
    QCOMPARE(list({"CustomerName", "Ref01", "Ref02", "Ref03"}, "tblCustomers", "CustomerId"),
             QStringLiteral("C,,,|???,,,"));
    QCOMPARE(env.Count("tblCustomerGroups"), 3);
    // Bookings of a missing resource, type or contact go; those without a contact or type stay.
    QCOMPARE(list({"Comments", "Ref01", "Ref02", "Ref03"}, "tblBookings", "BookingId"),
             QStringLiteral("no contact,,,|C,,,|,a,b,c|refs,,,|Ref02,set,,c|type none,,,"));

    // A failing statement does not stop the others: with tblGroups gone, its two fail.
    env.Sql("insert into tblResources (GroupId, ResourceName) values (1, null)");
    env.Sql("insert into tblTasks (GroupId, TaskName) values (1, null)");
    env.Sql(QStringLiteral("drop table tblGroups"));
    env.ClearLog();
    QVERIFY(!dao.IntegrityCheck());
    QCOMPARE(list({"ResourceName"}, "tblResources", "ResourceId"), QStringLiteral("R|???|???"));
    QCOMPARE(list({"TaskName"}, "tblTasks", "TaskId"), QStringLiteral("T|stray|???|???"));
    const QStringList log = env.LogLines();
    QCOMPARE(log.size(), 5);
    QCOMPARE(log.at(0), QStringLiteral("Database integrity check"));
    QVERIFY(log.at(1).startsWith(
        "SqlAction(update tblGroups set GroupName = '?\?\?' where GroupName is Null) failed! ("));
    QVERIFY(log.at(3).startsWith(
        "SqlAction(delete from tblResources where GroupId not in (select GroupId from tblGroups)) failed! ("));
}

// What another workstation connected through the compaction writes lands in the new file.
void TstDao::compactDb() {
    SQLITE_FILE_ONLY();
    FRESH_DATABASE(env, dao);
    ClsDAO other;
    QCOMPARE(other.DbOpen(env.DbPath()), qint16(0));
    QVERIFY(dao.SqlAction("insert into tblBookings (ResourceId, Comments) with recursive n(i) as (select 1 union "
                          "all select i + 1 from n where i < 300) select i % 3, printf('%.2000c', 'x') from n"));
    QVERIFY(dao.SqlAction("delete from tblBookings where ResourceId <> 0"));
    const qint64 before = QFileInfo(env.DbPath()).size();
    // A temporary file left behind by an earlier run does not get in the way.
    QVERIFY(TestEnv::WriteFile(env.Path(QStringLiteral("TempDb.db")), "left over"));
    env.ClearLog();

    QVERIFY(dao.CompactDb());
    QCOMPARE(env.LogLines(), (QStringList{"Compacting database", "Database close [0]",
                                          "Open database [1]   " + env.DbPath()}));
    QCOMPARE(dao.OpenCount(), 1);
    QVERIFY(dao.IsOpen() && QFileInfo(env.DbPath()).size() < before / 2);
    QVERIFY(!QFileInfo::exists(env.Path(QStringLiteral("TempDb.db"))));
    QCOMPARE(env.Count("tblBookings"), 100);
    QVERIFY(other.SqlAction("insert into tblGroups (GroupName) values ('after')"));
    QCOMPARE(Column(dao, "select GroupName from tblGroups"), QStringList{"after"});
    QVERIFY(dao.Updated()); // and hears of it

    // The database as it was before remains as OldDb.db.
    const QString old = env.Path(QStringLiteral("OldDb.db"));
    ClsDAO reader;
    QCOMPARE(reader.DbOpen(old), qint16(0));
    QCOMPARE(Column(reader, "select count(*) from tblBookings"), QStringList{"100"});
    QCOMPARE(Column(reader, "select count(*) from tblGroups"), QStringList{"0"});
    reader.DbClose();
    // The next compaction replaces it.
    QVERIFY(dao.CompactDb());
    QCOMPARE(reader.DbOpen(old), qint16(0));
    QCOMPARE(Column(reader, "select GroupName from tblGroups"), QStringList{"after"});
}

void TstDao::compactDbWhenOpenedTwice() {
    SQLITE_FILE_ONLY();
    FRESH_DATABASE(env, dao);
    QCOMPARE(dao.DbOpen(env.DbPath()), qint16(0));
    const QByteArray bytes = TestEnv::ReadFile(env.DbPath());
    env.ClearLog();
    QVERIFY(!dao.CompactDb());
    QCOMPARE(env.LogLines(), (QStringList{"Compacting database", "Database close [1]"}));
    QVERIFY(dao.OpenCount() == 1 && dao.IsOpen());
    QCOMPARE(TestEnv::ReadFile(env.DbPath()), bytes);
    QVERIFY(!QFileInfo::exists(env.Path("OldDb.db")) && !QFileInfo::exists(env.Path("TempDb.db")));
}

QTEST_MAIN(TstDao)
#include "tst_dao.moc"

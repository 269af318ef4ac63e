// The server engine: database URIs and statements (on both engines), then on the server only:
// bad names at start-up, two workstations, a lost connection and the main window's redraw.

#include "MainFixture.h"
#include "TestEnv.h"

#include "base/ClsIni.h"
#include "base/ProgramFolder.h"
#include "base/Settings.h"
#include "data/ClsDAO.h"
#include "data/ConnectionInfo.h"
#include "data/Database.h"
#include "data/DbSchema.h"
#include "data/SqlDialect.h"
#include "frame/ModMain.h"
#include "model/ClsBooking.h"
#include "model/Records.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/DlgMain.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

#define SERVER_ONLY() if (!TestEnv::OnServer()) QSKIP("server engine only")

void WriteDbName(const TestEnv& env, const QString& name) {
    QFile ini(env.IniPath());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Config]\r\nDbName=" + name.toUtf8() + "\r\n");
}

QString DatabaseOf(const QString& uri) { return ConnectionInfo::Parse(uri).Database(); }

// Ends every server connection to the database but the caller's, and waits until they are gone.
bool DropConnections(const QString& uri) {
    const QString others = "from pg_stat_activity where datname = '" + DatabaseOf(uri) + "'";
    if (!TestEnv::ServerAdmin("select pg_terminate_backend(pid) " + others + " and pid <> pg_backend_pid()"))
        return false;
    for (int wait = 0; wait < 200; ++wait, QTest::qWait(25))
        if (TestEnv::ServerAdmin("do $$ begin if (select count(*) " + others +
                                 ") > 0 then raise exception 'still there'; end if; end $$"))
            return true;
    return false;
}

bool RenameDatabase(const QString& from, const QString& to) {
    return TestEnv::ServerAdmin(QStringLiteral("alter database %1 rename to %2").arg(from, to));
}

} // namespace

class TstServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void connectionUris_data();
    void connectionUris();
    void oneStatementPerCall_data();
    void oneStatementPerCall();
    void badServerNamesAtStartUp_data();
    void badServerNamesAtStartUp();
    void createDatabaseMakesTheServerDatabase();
    void twoWorkstationsSeeEachOtherAtOnce();
    void lostConnectionReconnectsAtTheNextCommand();
    void lostConnectionInsideASaveStoresNothing_data();
    void lostConnectionInsideASaveStoresNothing();
    void mainWindowRedrawsOnAnnouncement();
    void mainWindowTellsOfAnUnreachableServerOnce();
};

void TstServer::connectionUris_data() {
    QTest::addColumn<QString>("uri");
    QTest::addColumn<QString>("error"); // part of the reason; empty: valid
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("password");
    const auto valid = [](const char* name, const char* uri, const char* user, const char* host, int port,
                          const char* database, const QStringList& options = {}, bool password = false) {
        QTest::newRow(name) << uri << "" << user << host << port << database << options << password;
    };
    const auto refused = [](const char* name, const char* uri, const char* error) {
        QTest::newRow(name) << uri << error << "" << "" << 0 << "" << QStringList() << false;
    };
    valid("full", "postgresql://clinic@db.example:5433/tarvelo", "clinic", "db.example", 5433, "tarvelo");
    valid("short scheme, upper case", "POSTGRES://db/tarvelo", "", "db", 0, "tarvelo");
    valid("local socket", "postgresql:///tarvelo", "", "", 0, "tarvelo");
    valid("local socket on a port", "postgresql://:5433/tarvelo", "", "", 5433, "tarvelo");
    valid("encoded names and socket folder", "postgresql://o%27brien@%2Fvar%2Frun%2Fpostgresql/my%20db",
          "o'brien", "/var/run/postgresql", 0, "my db");
    valid("ipv6 with port", "postgresql://u@[::1]:6000/d", "u", "::1", 6000, "d");
    valid("options", "postgresql://u@h/d?sslmode=require&application_name=a%26b", "u", "h", 0, "d",
          {"sslmode=require", "application_name=a&b"});
    valid("password noticed, not kept", "postgresql://u:secret@h/d", "u", "h", 0, "d", {}, true);
    valid("password option", "postgresql://u@h/d?password=x", "u", "h", 0, "d", {}, true);
    valid("surrounding blanks", "  postgresql://h/d  ", "", "h", 0, "d");
    refused("a file path", "/home/clinic/Tarvelo.db", "not a postgresql");
    refused("no database", "postgresql://h/", "no database");
    refused("port not a number", "postgresql://h:abc/d", "port");
    refused("port zero", "postgresql://h:0/d", "port");
    refused("port out of range", "postgresql://h:70000/d", "port");
    refused("text after the ipv6 address", "postgresql://[::1]x/d", "after the host");
    refused("unclosed bracket", "postgresql://[::1/d", "[");
    refused("slash in database", "postgresql://h/a/b", "\"/\"");
    refused("option without value", "postgresql://h/d?sslmode", "key=value");
    // The driver passes options on unquoted: another option must not get in.
    refused("option smuggling another", "postgresql://h/d?sslmode=a;host=evil", "key=value");
    refused("option smuggling by a blank", "postgresql://h/d?application_name=a%20host%3Devil", "key=value");
}

void TstServer::connectionUris() {
    QFETCH(QString, uri);
    QFETCH(QString, error);
    const ConnectionInfo info = ConnectionInfo::Parse(uri);
    if (!error.isEmpty()) {
        QVERIFY2(!info.Valid() && info.Error().contains(error), qPrintable(info.Error()));
        return;
    }
    QVERIFY2(info.Valid(), qPrintable(info.Error()));
    QVERIFY(ConnectionInfo::IsServerUri(uri));
    QTEST(info.User(), "user");
    QTEST(info.Host(), "host");
    QTEST(info.Port(), "port");
    QTEST(info.Database(), "database");
    QTEST(info.Options(), "options");
    QTEST(info.HasPassword(), "password");
    QVERIFY(ClsDAO::DatabaseExists(uri)); // any server name counts as there; opening it tells
    // The name of another database on the same server keeps all the rest.
    const ConnectionInfo other = ConnectionInfo::Parse(info.WithDatabase("my db"));
    QCOMPARE(other.Database(), QStringLiteral("my db"));
    const auto rest = [](const ConnectionInfo& i) {
        return QStringList{i.User(), i.Host(), QString::number(i.Port())} + i.Options();
    };
    QCOMPARE(rest(other), rest(info));
}

void TstServer::oneStatementPerCall_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("refused");
    QTest::newRow("one") << "select 1" << false;
    QTest::newRow("closing semicolon") << "select 1;  \n" << false;
    QTest::newRow("two") << "select 1; select 2" << true;
    QTest::newRow("in a literal") << "select 'a; delete from tblGroups'" << false;
    QTest::newRow("after a doubled quote") << "select 'it''s; fine'" << false;
    QTest::newRow("literal closed, then two") << "select 'it''s'; delete from x" << true;
    QTest::newRow("in a quoted name") << "select 1 as \"a;b\"" << false;
    QTest::newRow("in a line comment") << "select 1 -- ; delete\n" << false;
    QTest::newRow("comment hides no quote") << "select 1 -- '\n; delete from x" << true;
    QTest::newRow("in a block comment") << "select 1 /* ; */" << false;
    QTest::newRow("escape string") << "select E'\\'; x'" << false;
    QTest::newRow("escape string closed, then two") << "select E'\\''; delete from x" << true;
    QTest::newRow("plain literal ends at backslash quote") << "select '\\', ';'" << false;
    QTest::newRow("dollar quoted") << "select $$;$$" << false;
    QTest::newRow("tagged dollar quote") << "select $t$ $$; $t$" << false;
    QTest::newRow("parameter is no dollar quote") << "select $1; delete from x" << true;
    QTest::newRow("unterminated literal") << "select 'abc" << true;
    QTest::newRow("unterminated comment") << "select 1 /* x" << true;
}

void TstServer::oneStatementPerCall() {
    QFETCH(QString, sql);
    QFETCH(bool, refused);
    QCOMPARE(!SqlDialect::For("postgresql://h/d")->StatementProblem(sql).isEmpty(), refused);
}

void TstServer::badServerNamesAtStartUp_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("logged"); // the engine's reason, in the log
    QTest::newRow("nobody listens") << "postgresql://postgres@127.0.0.1:1/tarvelo" << "Connection refused";
    QTest::newRow("unknown database") << "" << "does not exist";
    QTest::newRow("database without the tables") << "" << "not a Tarvelo database";
    QTest::newRow("password in the name") << "postgresql://postgres:pw@127.0.0.1:1/tarvelo" << "password file";
    QTest::newRow("malformed") << "postgresql://127.0.0.1:port/tarvelo" << "bad database URI";
}

void TstServer::badServerNamesAtStartUp() {
    QFETCH(QString, name);
    QFETCH(QString, logged);
    TestEnv env;
    const ConnectionInfo server = ConnectionInfo::Parse(TestEnv::ServerUri());
    if (name.isEmpty()) {
        SERVER_ONLY();
        const QString database = QString("tarvelo_bad_%1").arg(QCoreApplication::applicationPid());
        name = server.WithDatabase(database);
        TestEnv::ServerAdmin("drop database if exists " + database);
        if (logged.startsWith(QStringLiteral("not a")))
            QVERIFY(TestEnv::ServerAdmin("create database " + database));
    }
    WriteDbName(env, name);
    QVERIFY(!ModMain::Initialise());
    QCOMPARE(env.boxes.size(), 1);
    // The name (without a password) and the engine's reason on one line.
    const QStringList box = env.boxes[0].text.split(QLatin1Char('\n'));
    QCOMPARE(box.value(0), QStringLiteral("Unable to open database!"));
    QVERIFY2(box.size() == 2 && box[1].startsWith(QString(name).remove(":pw") + ": ") && box[1].contains(logged),
             qPrintable(env.boxes[0].text));
    QVERIFY(env.LogContains(QStringLiteral("DbOpen() failed!")));
    QVERIFY2(env.LogContains(logged), qPrintable(env.LogLines().join('\n')));
    // The setting keeps the server's name, not the default file's.
    QCOMPARE(Settings::Ini().GetValue("Config", "DbName", ""), name);
    QVERIFY(!QFile::exists(ProgramFolder::DefaultDbPath()));
    ModMain::Terminate();
    TestEnv::ServerAdmin(QStringLiteral("drop database if exists ") + DatabaseOf(name));
}

// Made on the server when missing, completed when there with its data kept; another
// program's database is left alone.
void TstServer::createDatabaseMakesTheServerDatabase() {
    SERVER_ONLY();
    const ConnectionInfo server = ConnectionInfo::Parse(TestEnv::ServerUri());
    const QString database = QString("tarvelo_new_%1").arg(QCoreApplication::applicationPid());
    const QString foreign = database + "_other";
    for (const QString& name : {database, foreign})
        TestEnv::ServerAdmin("drop database if exists " + name);
    const QString uri = server.WithDatabase(database);
    QCOMPARE(DbSchema::CreateDatabase(uri), QString());
    {
        ClsDAO dao;
        QCOMPARE(dao.DbOpen(uri), qint16(0));
        QVERIFY(dao.IsServer());
        QVERIFY(dao.SqlAction("insert into tblGroups (GroupName) values ('Rooms')"));
        QCOMPARE(DbSchema::CreateDatabase(uri), QString());
        QCOMPARE(dao.SqlQuery("select GroupName from tblGroups").Fields(0).Text(), QStringLiteral("Rooms"));
        dao.DbClose();
    }
    QVERIFY(TestEnv::ServerAdmin("create database " + foreign));
    {
        QSqlDatabase db = SqlDialect::For(uri)->AddConnection("foreign-maker", server.WithDatabase(foreign));
        QVERIFY(db.open() && QSqlQuery(db).exec("create table invoices (id integer)"));
        db.close();
    }
    QSqlDatabase::removeDatabase("foreign-maker");
    QVERIFY(DbSchema::CreateDatabase(server.WithDatabase(foreign)).contains(QStringLiteral("another program")));
    for (const QString& name : {foreign, database})
        TestEnv::ServerAdmin(QString("drop database if exists %1 with (force)").arg(name));
}

void TstServer::twoWorkstationsSeeEachOtherAtOnce() {
    SERVER_ONLY();
    TestEnv env;
    QVERIFY(env.CreateDatabase());
    QVERIFY(TestEnv::ServerAdmin("alter database " + DatabaseOf(env.DbPath()) + " set standard_conforming_strings = off"));
    ClsDAO a, b;
    QCOMPARE(a.DbOpen(env.DbPath()), qint16(0));
    QCOMPARE(b.DbOpen(env.DbPath()), qint16(0));
    int toldA = 0, toldB = 0;
    a.SetChangeListener([&] { ++toldA; });
    b.SetChangeListener([&] { ++toldB; });
    a.Updated();
    b.Updated();

    // A change of A's is announced to B at once, not to A itself; a backslash does not end a quoted text.
    const QString text = "a\\'); delete from tblRepeats; --";
    QVERIFY(a.SqlAction("insert into tblRepeats (SerialNo) values (" + ClsDAO::Quoted(text) + ")"));
    QCOMPARE(env.Sql("select SerialNo from tblRepeats").toString(), text);
    QTRY_VERIFY_WITH_TIMEOUT(toldB == 1, 1000);
    QVERIFY(b.Updated() && !b.Updated());
    QCOMPARE(toldA, 0);

    // Statements that change nothing the marker watches announce nothing.
    QVERIFY(a.SqlAction("update tblRepeats set SerialNo = 'b'"));
    QTest::qWait(200);
    QCOMPARE(toldB, 1);
    QVERIFY(!b.Updated());

    // A write transaction announces at its commit, and not at all when it is rolled back.
    QVERIFY(b.BeginWrite());
    QVERIFY(b.SqlAction("delete from tblRepeats"));
    QTest::qWait(200);
    QCOMPARE(toldA, 0);
    b.RollbackWrite();
    QTest::qWait(200);
    QCOMPARE(toldA, 0);
    QCOMPARE(env.Sql("select count(*) from tblRepeats").toInt(), 1);
    QVERIFY(b.BeginWrite());
    QVERIFY(b.SqlAction("delete from tblRepeats"));
    QVERIFY(b.CommitWrite());
    QTRY_VERIFY_WITH_TIMEOUT(toldA == 1, 1000);
    QVERIFY(a.Updated());

    // A compaction on the server renames no files, and the other workstation works on through it.
    QVERIFY(a.CompactDb());
    QVERIFY(a.OpenCount() == 1 && a.IsOpen());
    QVERIFY(!QFile::exists(env.Path("OldDb.db")) && !QFile::exists(env.Path("TempDb.db")));
    QVERIFY(b.SqlAction("insert into tblRepeats (SerialNo) values ('y')"));
    QCOMPARE(a.SqlQuery("select count(*) from tblRepeats").Fields(0).Long(), 1);
}

void TstServer::lostConnectionReconnectsAtTheNextCommand() {
    SERVER_ONLY();
    TestEnv env;
    QVERIFY(env.Start());
    ClsDAO& dao = Database::DAO();
    int told = 0;
    dao.SetChangeListener([&] { ++told; });
    env.ClearLog();

    // A query is asked again on a new connection.
    QVERIFY(DropConnections(env.DbPath()));
    Recordset rs = dao.SqlQuery("select count(*) from tblGroups");
    QVERIFY(rs.IsOpen());
    QCOMPARE(rs.Fields(0).Long(), 0);
    QVERIFY(env.LogContains("Database connection lost") && env.LogContains("Database connection restored"));

    // A change either goes to a new connection, when the driver saw the loss
    // first, or fails loudly (it may or may not have reached the server); the
    // next command works.
    QVERIFY(DropConnections(env.DbPath()));
    env.ClearLog();
    if (dao.SqlAction("insert into tblRepeats (SerialNo) values ('x')"))
        QCOMPARE(env.Sql("select count(*) from tblRepeats where SerialNo = 'x'").toInt(), 1);
    else
        QVERIFY(env.LogContains("failed!"));
    QVERIFY2(dao.SqlAction("insert into tblRepeats (SerialNo) values ('y')"),
             qPrintable(env.LogLines().join('\n')));
    QCOMPARE(env.Sql("select count(*) from tblRepeats where SerialNo = 'y'").toInt(), 1);

    // So does a write transaction, whose lock and commit go with the connection.
    QVERIFY(DropConnections(env.DbPath()));
    if (dao.BeginWrite())
        dao.CommitWrite();
    QVERIFY(dao.BeginWrite() && dao.CommitWrite());
    // And a read transaction, the snapshot a backup reads in.
    QVERIFY(DropConnections(env.DbPath()));
    if (dao.BeginRead())
        dao.EndRead();
    QVERIFY(dao.BeginRead());
    dao.EndRead();

    // Announcements reach the new connection.
    ClsDAO other;
    QCOMPARE(other.DbOpen(env.DbPath()), qint16(0));
    QVERIFY(other.SqlAction("insert into tblRepeats (SerialNo) values ('z')"));
    QTRY_VERIFY_WITH_TIMEOUT(told >= 1, 1000);
    other.DbClose();
    // A connection closed on purpose is not a lost one: a statement on it just fails.
    QVERIFY(!other.SqlQuery("select count(*) from tblGroups").IsOpen());
    QVERIFY(!other.ConnectionLost());

    // While the database cannot be reached (renamed on the server), the first statement finds the
    // loss and tries once; the next ones, a moment later, fail at once without another attempt.
    dao.SetReconnectPause(300);
    const QString database = DatabaseOf(env.DbPath());
    const QString moved = database + QStringLiteral("_away");
    const auto attempts = [&] { return env.LogLines().count(QStringLiteral("Reconnect failed!")); };
    env.ClearLog();
    QVERIFY(DropConnections(env.DbPath()));
    QVERIFY(RenameDatabase(database, moved));
    QVERIFY(!dao.SqlQuery("select count(*) from tblGroups").IsOpen());
    QCOMPARE(attempts(), 1);
    for (int i = 0; i < 50; ++i)
        QVERIFY(!dao.SqlQuery("select count(*) from tblGroups").IsOpen());
    QCOMPARE(attempts(), 1);
    QTest::qWait(350);
    QVERIFY(!dao.SqlAction("insert into tblRepeats (SerialNo) values ('x')"));
    QCOMPARE(attempts(), 2);
    // Back again: the first command after the pause reconnects.
    QVERIFY(RenameDatabase(moved, database));
    QTest::qWait(350);
    QVERIFY(dao.SqlQuery("select count(*) from tblGroups").IsOpen() && !dao.ConnectionLost());
    ModMain::Terminate();
}

void TstServer::lostConnectionInsideASaveStoresNothing_data() {
    QTest::addColumn<QString>("at"); // the statement of the save the connection drops before
    QTest::newRow("the row check of a change") << "select * from tblBookings";
    QTest::newRow("the clash test of a new booking") << "select BookingId from tblBookings";
    QTest::newRow("the insert") << "insert into tblBookings";
    QTest::newRow("the update") << "update tblBookings";
    QTest::newRow("the read-back of the identifier") << "select max(BookingId)";
}

void TstServer::lostConnectionInsideASaveStoresNothing() {
    // Nothing of a save's transaction runs on a new connection: the save
    // fails as a whole, stores nothing and says so, and the next one works.
    SERVER_ONLY();
    QFETCH(QString, at);
    TestEnv env;
    QVERIFY(env.Start());
    env.Sql("insert into tblResources (ResourceId, GroupId, ResourceName) values (1, 1, 'Room')");
    env.Sql("insert into tblTasks (TaskId, GroupId, TaskName) values (1, 1, 'Visit')");
    env.Sql("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, "
            "BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values (100, 1, "
            "1, 0, 45000, 480, 540, 0, '', '', '', 'before')");
    const bool change = at.startsWith("update") || at.startsWith("select *");
    ClsBooking& b = Records::Booking();
    b.InitBfr();
    if (change)
        QVERIFY(b.Load(100));
    b.SetResourceId(1);
    b.SetTaskId(1);
    b.SetBookingDate(45000);
    b.SetBookingStart(600);
    b.SetBookingEnd(660);
    b.SetComments("after");
    bool dropped = false;
    Database::DAO().SetFailingStatements([&](const QString& sql) {
        if (!dropped && sql.startsWith(at)) {
            dropped = true;
            DropConnections(env.DbPath());
        }
        return false;
    });
    const auto stored = [&] {
        return env.Sql("select count(*) from tblBookings where Comments = 'after'").toInt();
    };
    QCOMPARE(b.Save(), 0);
    QVERIFY(dropped);
    QCOMPARE(b.LastSaveProblem(), SaveProblem::Failed);
    QCOMPARE(stored(), 0);
    QVERIFY(env.LogContains("Database connection lost"));
    // The next command reconnects and the same save goes through.
    QVERIFY(b.Save() != 0);
    QCOMPARE(stored(), 1);
    QCOMPARE(env.Count("tblBookings"), change ? 1 : 2);
    Database::DAO().SetFailingStatements({});
    ModMain::Terminate();
}

void TstServer::mainWindowRedrawsOnAnnouncement() {
    SERVER_ONLY();
    MainFixture f;
    f.Clinic();
    f.Open();
    ScheduleView* sched = f.Sched();
    int row = sched->RowCount() - 1;
    while (row > 0 && sched->RowData(row) != 10)
        --row;
    QVERIFY(row > 0);
    const int before = sched->BarCount(row);
    // The timer's next check is far away: only the announcement can redraw.
    f.main->Timer1()->setInterval(600000);
    f.main->Timer1()->start();

    ClsDAO other;
    QCOMPARE(other.DbOpen(f.env.DbPath()), qint16(0));
    QVERIFY(other.SqlAction(QString("insert into tblBookings (ResourceId, TaskId, CustomerId, BookingDate, "
                                    "BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) "
                                    "values (10, 20, 30, %1, 1000, 1030, 0, '', '', '', 'from B')")
                                .arg(MainFixture::kToday)));
    QTRY_COMPARE_WITH_TIMEOUT(sched->BarCount(row), before + 1, 1000);
    other.DbClose();
}

void TstServer::mainWindowTellsOfAnUnreachableServerOnce() {
    SERVER_ONLY();
    MainFixture f;
    f.Clinic();
    f.Open();
    Database::DAO().SetReconnectPause(0);
    const QString database = DatabaseOf(f.env.DbPath());
    const QString moved = database + QStringLiteral("_away");
    const auto warnings = [&] {
        return std::count_if(f.env.boxes.begin(), f.env.boxes.end(), [](const TestEnv::Box& box) {
            return box.text.startsWith(QStringLiteral("The connection to the database server"));
        });
    };
    // The database goes away under the program (renamed on the server).
    QVERIFY(DropConnections(f.env.DbPath()));
    QVERIFY(RenameDatabase(database, moved));
    f.main->Timer1_Timer();
    f.main->Timer1_Timer();
    QCOMPARE(warnings(), 1);
    QVERIFY(Database::DAO().ConnectionLost());
    QVERIFY(f.env.LogContains(QStringLiteral("Reconnect failed!")));
    // Back again: the next tick reconnects, and a later outage is told again.
    QVERIFY(RenameDatabase(moved, database));
    f.main->Timer1_Timer();
    QVERIFY(!Database::DAO().ConnectionLost());
    QVERIFY(f.env.LogContains(QStringLiteral("Database connection restored")));
    QVERIFY(DropConnections(f.env.DbPath()));
    QVERIFY(RenameDatabase(database, moved));
    f.main->Timer1_Timer();
    QCOMPARE(warnings(), 2);
    QVERIFY(RenameDatabase(moved, database));
    f.main->Timer1_Timer();
    QVERIFY(!Database::DAO().ConnectionLost());
}

QTEST_MAIN(TstServer)
#include "tst_server.moc"

// The command-line verbs, each run as a process of the program on a folder of
// its own without a display: what they print, exit codes, files, rows and log.

#include "SmallDisk.h"
#include "TestEnv.h"
#include "data/DbSchema.h"
#include "model/ClsDate.h"
#include "transfer/SampleDatabase.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>

namespace {

struct Run {
    int exitCode = -1;
    QString out, err;
};

} // namespace

class TstCli : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> home;

    QString Program() const { return QCoreApplication::applicationDirPath() + "/../tarvelo"; }
    QString Path(const QString& name) const { return home->filePath(name); }
    QString DbPath() const { return Path(QStringLiteral("Tarvelo.db")); }

    // Runs the program with no display at all: a verb that tried to open a
    // window would fail. `input` goes to its standard input.
    Run Tarvelo(const QStringList& args, const QByteArray& input = QByteArray()) const {
        QProcess p;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "TARVELO_HOME"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        p.setProcessEnvironment(environment);
        p.setWorkingDirectory(home->path());
        p.start(Program(), QStringList{"--home", home->path()} + args);
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(120000))
            return Run();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2,
                QString::fromLocal8Bit(p.readAllStandardOutput()),
                QString::fromLocal8Bit(p.readAllStandardError())};
    }
    // The first value a statement gives on the folder's database.
    QVariant Sql(const QString& sql) const {
        const QString name = QUuid::createUuid().toString();
        QVariant result;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(DbPath());
            QSqlQuery q(db.open() ? db : QSqlDatabase());
            if (q.exec(sql) && q.next())
                result = q.value(0);
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }
    QString Log() const { return QString::fromUtf8(TestEnv::ReadFile(Path(QStringLiteral("Error.txt")))); }
    QString TodaysBackup() const {
        return Path(QStringLiteral("Backup/") + QDate::currentDate().toString("yyyyMMdd") + ".txt");
    }
    void Booking(const QString& values) const {
        Sql("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, "
            "BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values " + values);
    }
    // Surgery %1: Room 1; Labs: Room 1 and Bench; LABS: ROOM 1; a booking of each but
    // ROOM 1 on 5 and 6 December 2026.
    void Fixture() {
        Sql("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
            "(1, 'Surgery %1', 480, 1080, 15), (2, 'Labs', 480, 1080, 15), (3, 'LABS', 480, 1080, 15)");
        Sql("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
            "InitTime) values (1, 1, 'Room 1', 15, 600, 15), (2, 2, 'Room 1', 15, 600, 15), "
            "(3, 2, 'Bench', 15, 600, 15), (4, 3, 'ROOM 1', 15, 600, 15)");
        Sql("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
            "values (1, 1, 'Visit', 255, 15, 60, 30), (2, 2, 'Test', 65280, 15, 60, 30)");
        Booking("(1, 1, 1, 0, 46359, 540, 570, 0, '', '', '', ''), "
                "(2, 2, 2, 0, 46359, 540, 570, 0, '', '', '', ''), "
                "(3, 3, 2, 0, 46360, 600, 630, 0, 'b', '', '', '')");
    }

private slots:
    void init() {
        home = std::make_unique<QTemporaryDir>();
        QVERIFY(QFileInfo::exists(Program()));
        QCOMPARE(DbSchema::CreateDatabase(DbPath()), QString());
    }
    void cleanup() { home.reset(); }

    void verbs_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed");  // lines of stdout (exit 0) or stderr, or their start
        QTest::addColumn<QString>("file");     // a file the verb must leave, or empty
        QTest::addColumn<int>("bookings");     // left in the database afterwards
        const auto row = [](const char* tag, const QStringList& args, int exitCode,
                            const QString& printed, const QString& file = QString(),
                            int bookings = 7) {
            QTest::newRow(tag) << args << exitCode << printed << file << bookings;
        };
        const QStringList ics = {"--export-ics", "--group", "Labs"};
        row("backup", {"--backup"}, 0, "Backup saved to %BACKUP%\nWarning: Group \"Surgery %1\": 1 appointments "
            "have no appointment type of this group and were written without one.", "%BACKUP%");
        row("export with its group named alike but for case", {"--export-csv", "ROOM 1", "--group", "LABS"},
            0, "Data exported to: %HOME%/Export/ROOM 1.csv", "Export/ROOM 1.csv");
        row("export of a shared name", {"--export-csv", "Room 1"}, 1, "Export FAILED! 3 resources are named "
            "\"Room 1\", in the groups \"LABS\", \"Labs\", \"Surgery %1\": name the group with --group.");
        row("integrity check", {"--integrity-check"}, 0,
            "Removed 1 resources, 0 contacts and 2 appointments that referred to missing records.\n"
            "2 appointments overlap another appointment of their resource; they were left as they are.\n"
            "1 appointments lie outside their group's day; they were left as they are.\n"
            "Labs, Bench, Sunday 6 December 2026, 10:15 am to 10:45 am: overlaps another appointment of its resource.\n"
            "Surgery %1, Room 1, Friday 3 January 5000, 06:10 pm to 06:40 pm: outside its group's day.",
            "", 5);
        row("calendar of a resource in its group named alike but for case",
            {"--export-ics", "--resource", "Room 1", "--group", "Labs", "--from", "2026-12-05",
             "--to", "2026-12-06"}, 0, "1 appointments from 2026-12-05 to 2026-12-06.", "Export/Room 1.ics");
        row("calendar with a booking in the year 5000",
            {"--export-ics", "--resource", "Room 1", "--group", "Surgery %1", "--from", "2026-12-05", "--to",
             "5000-12-31"}, 0, "1 appointments from 2026-12-05 to 5000-12-31.\nWarning: 1 appointments were left "
            "out: their date or times cannot be written in a calendar.", "Export/Room 1.ics");
        row("calendar to the standard output", {"--export-ics", "--resource", "Bench", "--output", "-"}, 0,
            "BEGIN:VCALENDAR\r\nCalendar exported to: -");
        row("calendar into a pipe", {"--export-ics", "--resource", "Bench", "--output", "/dev/stdout"}, 0,
            "BEGIN:VCALENDAR\r");
        row("calendar into a socket", {"--export-ics", "--resource", "Bench", "--output", "socket"}, 1,
            "Export FAILED! %HOME%/socket: is a socket, not a file.");
        row("calendar of a group to a file, range without bookings",
            ics + QStringList{"--from", "2026-12-07", "--to", "2026-12-07", "--output", "labs.ics"},
            0, "Calendar exported to: %HOME%/labs.ics\n0 appointments from 2026-12-07 to 2026-12-07.",
            "labs.ics");
        row("calendar of a group two share but for case", {"--export-ics", "--group", "labs"}, 1,
            "Export FAILED! 2 groups are named \"labs\": give the names in their exact letter case.");
        row("calendar of an unknown contact", {"--export-ics", "--contact", "Nobody"}, 1,
            "Export FAILED! There is no contact named \"Nobody\".");
        row("calendar of an empty range", ics + QStringList{"--from", "2026-12-06", "--to", "2026-12-05"},
            2, "The range is empty: --from 2026-12-06 comes after --to 2026-12-05.");
        row("calendar into a folder that cannot be written",
            ics + QStringList{"--output", "Tarvelo.db/labs.ics"}, 1,
            "Export FAILED! %HOME%/Tarvelo.db/labs.ics: Not a directory.");
        // A restore that fails changes nothing: a bad line, a missing file (a bare
        // name is one of the backups) and a file without a single record.
        row("restore of a bad line", {"--restore", "bad.txt"}, 1,
            "Restore FAILED! Line 2 of %HOME%/bad.txt: MaxTime (field 4) is \"six hundred\", not a "
            "whole number. The database was left as it was.");
        row("restore of a missing file", {"--restore", "missing.txt"}, 1,
            "Restore FAILED! %HOME%/Backup/missing.txt: No such file or directory. The database "
            "was left as it was.");
        row("restore of an empty file", {"--restore", "/dev/null"}, 1, "Restore FAILED! /dev/null: ");
        row("two verbs at once", {"--backup", "--integrity-check"}, 2,
            "Give one of --backup, --restore, --export-csv, --export-ics, --history, "
            "--integrity-check or --load-sample at a time.");
        // The journal holds a booking made on the Bench and one moved on the Labs' Room 1.
        const QString header = "\"When\",\"Workstation\",\"User\",\"What\"\r";
        row("history to the standard output", {"--history"}, 0, header + "\n\"05 Dec 2026 10:00 am\","
            "\"Desk 2\",\"ann\",\"moved from Room 1, 08:00 am to Room 1, 09:00 am\"\r\n\"05 Dec 2026 "
            "09:05 am\",\"Desk 2\",\"ann\",\"new: Bench, Sunday 6 December 2026, 10:00 am to 10:30 am, "
            "Test\"\r\n2 changes.");
        row("history of a resource in its group on a day, to a file", {"--history", "--resource", "Room 1",
            "--group", "Labs", "--from", "2026-12-05", "--to", "2026-12-05", "--output", "h.csv"}, 0,
            "History exported to: %HOME%/h.csv\n1 changes.", "h.csv");
        row("history of a day without changes", {"--history", "--from", "2026-12-07"}, 0, header + "\n0 changes.");
        row("history of an unknown resource", {"--history", "--resource", "Nobody"}, 1,
            "Export FAILED! There is no resource named \"Nobody\".");
        row("history of an empty range", {"--history", "--from", "2026-12-06", "--to", "2026-12-05"}, 2,
            "The range is empty: --from 2026-12-06 comes after --to 2026-12-05.");
        row("history of a group alone", {"--history", "--group", "Labs"}, 2,
            "--group names the group of --resource with --history.");
        row("history into a folder that cannot be written", {"--history", "--output", "Tarvelo.db/h.csv"}, 1,
            "History FAILED! %HOME%/Tarvelo.db/h.csv: Not a directory.");
    }

    void verbs() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        QFETCH(QString, file);
        QFETCH(int, bookings);
        Fixture();
        // For the integrity check: a resource of a deleted group with a booking,
        // and a booking of a deleted resource; one that overlaps booking 3; a
        // booking of the year 5000 past its group's day with a type of another
        // group; a socket.
        Sql("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
            "InitTime) values (9, 99, 'Lost', 15, 600, 15)");
        Booking("(8, 9, 1, 0, 46359, 600, 630, 0, '', '', '', ''), "
                "(9, 77, 1, 0, 46359, 600, 630, 0, '', '', '', ''), "
                "(10, 1, 2, 0, 1132254, 1090, 1120, 0, '', '', '', ''), "
                "(11, 3, 2, 0, 46360, 615, 645, 0, '', '', '', '')");
        Sql("insert into tblJournal (ChangedAt, Workstation, UserName, Action, TableName, RowId, Before, "
            "After) values ('2026-12-05T09:05:00.000Z', 'Desk 2', 'ann', 'New', 'tblBookings', 3, '', "
            "'{\"resourceid\":3,\"taskid\":2,\"bookingdate\":46360,\"bookingstart\":600,\"bookingend\":630}'), "
            "('2026-12-05T10:00:00.000Z', 'Desk 2', 'ann', 'Move', 'tblBookings', 2, '{\"resourceid\":2,"
            "\"bookingdate\":46359,\"bookingstart\":480,\"bookingend\":510}', '{\"resourceid\":2,"
            "\"bookingdate\":46359,\"bookingstart\":540,\"bookingend\":570}')");
        qputenv("TZ", "UTC"); // the zone the journal's times are shown in
        sockaddr_un address{AF_UNIX, {}};
        qstrncpy(address.sun_path, QFile::encodeName(Path("socket")).constData(), sizeof address.sun_path);
        QVERIFY(::bind(::socket(AF_UNIX, SOCK_STREAM, 0), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        const auto expand = [&](QString text) {
            return text.replace("%BACKUP%", TodaysBackup()).replace("%HOME%", home->path());
        };
        // The log of the workstation that shares the folder.
        QVERIFY(TestEnv::WriteFile(Path("Error.txt"), "05/12/26 16:31:13 Starting up\r\n"));
        QVERIFY(TestEnv::WriteFile(Path("bad.txt"), "G~Only~480~1080~15\r\nR~Room~15~six hundred~15\r\n"));

        const Run r = Tarvelo(args);
        QCOMPARE(r.exitCode, exitCode);
        // A CSV on the standard output comes alone there.
        QVERIFY(!printed.startsWith('"') || r.out.startsWith(printed.section('\n', 0, 0)));
        // Whole lines, or the start of one where the system's reason follows.
        const QString lines = '\n' + r.out + r.err + '\n';
        for (const QString& line : expand(printed).split('\n'))
            QVERIFY2(lines.contains('\n' + line + (line.endsWith(' ') ? "" : "\n")),
                     qPrintable(r.out + "|" + r.err));
        if (!file.isEmpty())
            QVERIFY2(QFileInfo::exists(QDir(home->path()).filePath(expand(file))),
                     qPrintable(file));
        QCOMPARE(Sql("select count(*) from tblBookings").toInt(), bookings);
        QCOMPARE(Sql("select count(*) from tblGroups").toInt(), 3);
        // The frame ran as for the main window, after the earlier log line.
        const QString log = Log();
        QVERIFY2(exitCode == 2 || (log.startsWith("05/12/26 16:31:13 Starting up\r\n") &&
                                   log.contains("Open database [1]   " + DbPath()) &&
                                   log.contains("Database close [0]") &&
                                   log.endsWith("Closing down\r\n")),
                 qPrintable(log));
        if (args.first() == "--integrity-check")
            QVERIFY(log.contains("Database integrity check\r\n"));
        if (args.last() == "bad.txt")
            QVERIFY(log.contains("Restore failed: Line 2 of "));
    }

    void backupAndRestore() {
        Fixture();
        QCOMPARE(Tarvelo({"--backup"}).exitCode, 0);
        const QByteArray backup = TestEnv::ReadFile(TodaysBackup());
        // The header, three groups, four resources, two types, three bookings with their
        // reference lines, the closing line.
        QCOMPARE(backup.count('\n'), 17);

        Sql("delete from tblBookings");
        Sql("update tblGroups set GroupName = 'Changed'");
        // A bare file name is one of the backups.
        Run r = Tarvelo({"--restore", QFileInfo(TodaysBackup()).fileName(), "--no-appointments"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("Database restored from " + TodaysBackup() + " without appointments"));
        QCOMPARE(Sql("select count(*) from tblBookings").toInt(), 0);
        QCOMPARE(Sql("select count(*) from tblGroups where GroupName <> 'Changed'").toInt(), 3);

        // From a pipe, as from a file.
        r = Tarvelo({"--restore", "/dev/stdin"}, backup);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(
            "3 groups, 4 resources, 2 appointment types, 0 contacts, 3 appointments."));
        QCOMPARE(Sql("select count(*) from tblBookings").toInt(), 3);
        // The same backup again, byte for byte.
        QVERIFY(QFile::remove(TodaysBackup()));
        QCOMPARE(Tarvelo({"--backup"}).exitCode, 0);
        QCOMPARE(TestEnv::ReadFile(TodaysBackup()), backup);
    }

    void backupOnFullDisk() {
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        Fixture();
        QVERIFY(QFile::link(disk.Path(), Path("Backup")));
        QCOMPARE(Tarvelo({"--backup"}).exitCode, 0);
        const QByteArray good = TestEnv::ReadFile(TodaysBackup());
        disk.Fill();
        const Run r = Tarvelo({"--backup"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("Backup FAILED! " + TodaysBackup() + ": No space left on device."));
        QCOMPARE(TestEnv::ReadFile(TodaysBackup()), good);
    }

    // The sample's appointments move by whole weeks: its first week becomes the
    // week before today's, whatever today is.
    void sampleMovesByWeeks_data() {
        QTest::addColumn<QByteArray>("backup");
        QTest::addColumn<qint32>("today");
        QTest::addColumn<QByteArray>("moved");
        const QByteArray g = "G~Clinic~480~1080~15\n";
        const QByteArray a = "A~Room 1~Visit~Ann~46356~540~570~~~~\nA~Room 1~Visit~Ann~46370~600~630~~~~\n";
        QTest::newRow("that very week") << g + a << 46361 << g + a;
        QTest::newRow("a Sunday two weeks on") << g + a << 46381 // Sunday 27 December 2026
            << g + "A~Room 1~Visit~Ann~46370~540~570~~~~\nA~Room 1~Visit~Ann~46384~600~630~~~~\n";
        QTest::newRow("no appointments") << g << 46381 << g;
    }
    void sampleMovesByWeeks() {
        QFETCH(QByteArray, backup);
        QFETCH(qint32, today);
        QFETCH(QByteArray, moved);
        QCOMPARE(SampleDatabase::MoveDates(backup, today), moved);
    }

    void loadSampleOnlyIntoEmptyDatabase() {
        Run r = Tarvelo({"--load-sample"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("Sample database loaded into " + DbPath()));
        // Bookings from last week to next week, each with its resource and type.
        const QDate today = QDate::currentDate();
        const qint32 monday = ClsDate::DateToLong(today.addDays(1 - today.dayOfWeek()));
        QCOMPARE(Sql("select min(BookingDate) || ' ' || max(BookingDate) || ' ' || "
                     "sum(ResourceId = 0 or TaskId = 0) from tblBookings").toString(),
                 QStringLiteral("%1 %2 0").arg(monday - 7).arg(monday + 13));
        // A database holding anything is left alone.
        const int bookings = Sql("select count(*) from tblBookings").toInt();
        Sql("delete from tblBookings where BookingId = (select min(BookingId) from tblBookings)");
        r = Tarvelo({"--load-sample"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("already holds data: the sample was not loaded."));
        QCOMPARE(Sql("select count(*) from tblBookings").toInt(), bookings - 1);
    }

    void missingDatabase_data() {
        QTest::addColumn<QString>("named"); // the database the settings name; empty: none
        QTest::addColumn<QString>("reason");
        QTest::newRow("no database file") << "" << "No such file or directory";
        QTest::newRow("settings name a directory") << "folder.db" << "is a folder";
        QTest::newRow("settings name a share that is not mounted")
            << "share/Office.db" << "No such file or directory";
    }

    void missingDatabase() {
        QFETCH(QString, named);
        QFETCH(QString, reason);
        const QByteArray ini = "[Config]\r\nDbName=" + Path(named).toUtf8() + "\r\n";
        if (named.isEmpty())
            QVERIFY(QFile::remove(DbPath()));
        else
            QVERIFY(TestEnv::WriteFile(Path("tarvelo.ini"), ini) &&
                    (named != "folder.db" || QDir().mkpath(Path(named))));
        const Run r = Tarvelo({"--backup"});
        QCOMPARE(r.exitCode, 1);
        const QString path = named.isEmpty() ? DbPath() : Path(named);
        QVERIFY2(r.err.split('\n').contains("Warning! Unable to open database! " + path + ": " +
                                            reason), qPrintable(r.err));
        // The setting stays, and none is written where there was none: the
        // windowed start that follows is still a first start and makes the database.
        QCOMPARE(TestEnv::ReadFile(Path("tarvelo.ini")), named.isEmpty() ? QByteArray() : ini);
        QVERIFY(!Log().contains("Open database"));
        QVERIFY(!QFileInfo::exists(Path("Backup")));
        QVERIFY(Log().contains("DbOpen() failed!"));
    }

    void integrityCheckOnReadOnlyDatabase() {
        Fixture();
        Booking("(9, 77, 1, 0, 46359, 600, 630, 0, '', '', '', '')");
        SmallDisk disk(4096);
        REQUIRE_SMALL_DISK(disk);
        const QString db = disk.Path() + "/Office.db";
        QVERIFY(QFile::copy(DbPath(), db));
        QCOMPARE(QProcess::execute("mount", {"-o", "remount,ro", disk.Path()}), 0);
        QVERIFY(TestEnv::WriteFile(Path("tarvelo.ini"), "[Config]\r\nDbName=" + db.toUtf8() + "\r\n"));
        const Run r = Tarvelo({"--integrity-check"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(!r.out.contains("Removed") && r.err.contains("Integrity check FAILED! " + db + ": ") &&
                     r.err.contains("readonly database"), qPrintable(r.out + "|" + r.err));
    }

    void help() {
        // The folder in use is the one --home names.
        const Run r = Tarvelo({"--help"});
        QVERIFY2(r.exitCode == 0 && r.out.contains("--export-ics") && r.out.contains("--home <DIR>") &&
                     r.out.contains("Program folder: " + home->path()), qPrintable(r.out));
    }
};

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"

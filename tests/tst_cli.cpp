// The maintenance verbs of the command line, each run as a real process of
// the program on a program folder of its own, without a display: what they
// print, their exit codes, and the files, database rows and log lines they
// leave.

#include "SmallDisk.h"
#include "data/DbSchema.h"
#include "model/ClsDate.h"

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

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class TstCli : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> home;

    QString Program() const {
        return QDir(QCoreApplication::applicationDirPath())
            .absoluteFilePath(QStringLiteral("../tarvelo"));
    }
    QString Path(const QString& name) const { return home->filePath(name); }
    QString DbPath() const { return Path(QStringLiteral("Tarvelo.db")); }

    // Runs the program with no display at all: a verb that tried to open a
    // window would fail. `input` goes to its standard input.
    Run Tarvelo(QStringList args, const QByteArray& input = QByteArray()) const {
        QProcess p;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("TARVELO_HOME"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        p.setProcessEnvironment(environment);
        p.setWorkingDirectory(home->path());
        args.prepend(home->path());
        args.prepend(QStringLiteral("--home"));
        p.start(Program(), args);
        p.write(input);
        p.closeWriteChannel();
        Run r;
        if (!p.waitForFinished(120000))
            return r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }
    QVariant Sql(const QString& sql) const {
        const QString name = QUuid::createUuid().toString();
        QVariant result;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(DbPath());
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(sql) && q.next())
                    result = q.value(0);
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }
    QString Log() const {
        QFile file(Path(QStringLiteral("Error.txt")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QString TodaysBackup() const {
        return Path(QStringLiteral("Backup/") + QDate::currentDate().toString("yyyyMMdd") + ".txt");
    }
    void Fixture() {
        Sql("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
            "(1, 'Surgery', 480, 1080, 15), (2, 'Labs', 480, 1080, 15)");
        Sql("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
            "InitTime) values (1, 1, 'Room 1', 15, 600, 15), (2, 2, 'Room 1', 15, 600, 15), "
            "(3, 2, 'Bench', 15, 600, 15)");
        Sql("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
            "values (1, 1, 'Visit', 255, 15, 60, 30), (2, 2, 'Test', 65280, 15, 60, 30)");
        Sql("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, "
            "BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values "
            "(1, 1, 1, 0, 46359, 540, 570, 0, '', '', '', ''), "
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
        QTest::addColumn<QString>("printed");  // a line of stdout (exit 0) or stderr
        QTest::addColumn<QString>("file");     // a file the verb must leave, or empty
        QTest::addColumn<QString>("rowCheck"); // "query=value" on the database afterwards
        const auto row = [](const char* tag, const QStringList& args, int exitCode,
                            const QString& printed, const QString& file = QString(),
                            const QString& rowCheck = QString()) {
            QTest::newRow(tag) << args << exitCode << printed << file << rowCheck;
        };
        const QString shared = "Export FAILED! 2 resources are named \"Room 1\", in the groups "
                               "\"Labs\", \"Surgery\": name the group with --group.";
        row("backup", {"--backup"}, 0, "Backup saved to %BACKUP%", "%BACKUP%",
            "select count(*) from tblBookings=5");
        row("export with its group", {"--export-csv", "room 1", "--group", "Labs"}, 0,
            "Data exported to: %HOME%/Export/Room 1.csv", "Export/Room 1.csv");
        row("export of a unique name", {"--export-csv", "Bench"}, 0, "1 appointments.",
            "Export/Bench.csv");
        row("export of a shared name", {"--export-csv", "Room 1"}, 1, shared);
        row("export of an unknown name", {"--export-csv", "Nowhere"}, 1,
            "Export FAILED! There is no resource named \"Nowhere\".");
        row("integrity check", {"--integrity-check"}, 0,
            "Removed 1 resources, 0 contacts and 2 appointments that referred to missing records.",
            "", "select count(*) from tblBookings=3");
        row("calendar of a resource in its group",
            {"--export-ics", "--resource", "room 1", "--group", "Labs", "--from", "2026-12-05",
             "--to", "2026-12-06"},
            0, "1 appointments from 2026-12-05 to 2026-12-06.", "Export/Room 1.ics");
        row("calendar of a group to a file",
            {"--export-ics", "--group", "Labs", "--from", "2026-12-05", "--to", "2026-12-06",
             "--output", "labs.ics"},
            0, "Calendar exported to: %HOME%/labs.ics", "labs.ics");
        row("calendar of a range without bookings",
            {"--export-ics", "--group", "Labs", "--from", "2026-12-07", "--to", "2026-12-07"}, 0,
            "0 appointments from 2026-12-07 to 2026-12-07.", "Export/Labs.ics");
        row("calendar of a shared resource name", {"--export-ics", "--resource", "Room 1"}, 1,
            shared);
        row("calendar of an unknown contact", {"--export-ics", "--contact", "Nobody"}, 1,
            "Export FAILED! There is no contact named \"Nobody\".");
        row("calendar of an empty range",
            {"--export-ics", "--group", "Labs", "--from", "2026-12-06", "--to", "2026-12-05"}, 2,
            "The range is empty: --from 2026-12-06 comes after --to 2026-12-05.");
        row("calendar into a folder that cannot be written",
            {"--export-ics", "--group", "Labs", "--output", "Tarvelo.db/labs.ics"}, 1,
            "Export FAILED! %HOME%/Tarvelo.db/labs.ics: Not a directory.");
        row("two verbs at once", {"--backup", "--integrity-check"}, 2,
            "Give one of --backup, --restore, --export-csv, --export-ics, --integrity-check or "
            "--load-sample at a time.",
            "", "select count(*) from tblBookings=5");
    }

    void verbs() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        QFETCH(QString, file);
        QFETCH(QString, rowCheck);
        Fixture();
        // For the integrity check: a resource of a deleted group with a booking,
        // and a booking of a deleted resource.
        Sql("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
            "InitTime) "
            "values (9, 99, 'Lost', 15, 600, 15)");
        Sql("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, "
            "BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values "
            "(8, 9, 1, 0, 46359, 600, 630, 0, '', '', '', ''), "
            "(9, 77, 1, 0, 46359, 600, 630, 0, '', '', '', '')");
        const auto expand = [&](QString text) {
            return text.replace("%BACKUP%", TodaysBackup()).replace("%HOME%", home->path());
        };
        // The log of the workstation that shares the folder.
        QFile earlier(Path("Error.txt"));
        QVERIFY(earlier.open(QIODevice::WriteOnly) &&
                earlier.write("05/12/26 16:31:13 Starting up\r\n"));
        earlier.close();

        const Run r = Tarvelo(args);
        QCOMPARE(r.exitCode, exitCode);
        const QStringList lines = (exitCode == 0 ? r.out : r.err).split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(expand(printed)), qPrintable(r.out + "|" + r.err));
        if (!file.isEmpty())
            QVERIFY2(QFileInfo::exists(QDir(home->path()).filePath(expand(file))),
                     qPrintable(file));
        if (!rowCheck.isEmpty())
            QCOMPARE(Sql(rowCheck.section('=', 0, 0)).toString(), rowCheck.section('=', 1));
        if (exitCode != 2) {
            // The frame ran as for the main window: started, opened, closed.
            const QString log = Log();
            QVERIFY(log.startsWith("05/12/26 16:31:13 Starting up\r\n"));
            QVERIFY(log.contains("Starting up\r\n"));
            QVERIFY(log.contains("Open database [1]   " + DbPath()));
            QVERIFY(log.contains("Database close [0]"));
            QVERIFY(log.endsWith("Closing down\r\n"));
            if (args.first() == "--integrity-check")
                QVERIFY(log.contains("Database integrity check\r\n"));
        }
    }

    void backupAndRestore() {
        Fixture();
        QCOMPARE(Tarvelo({"--backup"}).exitCode, 0);
        const QByteArray backup = [&] {
            QFile f(TodaysBackup());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        // Two groups, three resources, two types, three bookings, the closing line.
        QCOMPARE(backup.count('\n'), 11);

        Sql("delete from tblBookings");
        Sql("update tblGroups set GroupName = 'Changed'");
        // A bare file name is one of the backups.
        Run r = Tarvelo({"--restore", QFileInfo(TodaysBackup()).fileName(), "--no-appointments"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(
            r.out.contains("Database restored from " + TodaysBackup() + " without appointments"),
            qPrintable(r.out));
        QCOMPARE(Sql("select count(*) from tblBookings").toInt(), 0);
        QCOMPARE(
            Sql("select group_concat(GroupName) from (select GroupName from tblGroups order by 1)")
                .toString(),
            QStringLiteral("Labs,Surgery"));

        // From a pipe, as from a file.
        r = Tarvelo({"--restore", "/dev/stdin"}, backup);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(
            "2 groups, 3 resources, 2 appointment types, 0 contacts, 3 appointments."));
        QCOMPARE(Sql("select count(*) from tblBookings").toInt(), 3);
        // The same backup again, byte for byte.
        QVERIFY(QFile::remove(TodaysBackup()));
        QCOMPARE(Tarvelo({"--backup"}).exitCode, 0);
        QFile again(TodaysBackup());
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), backup);
    }

    void restoreFailureLeavesDatabase() {
        Fixture();
        QFile bad(Path("bad.txt"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("G~Only~480~1080~15\r\nR~Room~15~six hundred~15\r\n");
        bad.close();
        // A bad line, a missing file (a bare name is one of the backups), and a
        // file without a single record.
        const QList<QStringList> cases = {
            {"bad.txt",
             "Restore FAILED! Line 2 of " + Path("bad.txt") +
                 ": MaxTime (field 4) is \"six hundred\", not a whole number. The database "
                 "was left as it was."},
            {"missing.txt",
             "Restore FAILED! " + Path("Backup/missing.txt") + ": No such file or directory."},
            {"/dev/null", "Restore FAILED! /dev/null: "}};
        for (const QStringList& c : cases) {
            const Run r = Tarvelo({"--restore", c[0]});
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains(c[1]), qPrintable(r.err));
            QCOMPARE(Sql("select count(*) from tblBookings").toInt(), 3);
        }
        QCOMPARE(Sql("select count(*) from tblGroups where GroupName = 'Only'").toInt(), 0);
        QVERIFY(Log().contains("Restore failed: Line 2 of "));
    }

    void backupOnFullDisk() {
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        Fixture();
        QVERIFY(QFile::link(disk.Path(), Path("Backup")));
        QCOMPARE(Tarvelo({"--backup"}).exitCode, 0);
        const auto read = [&] {
            QFile f(TodaysBackup());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
        };
        const QByteArray good = read();
        disk.Fill();
        const Run r = Tarvelo({"--backup"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("Backup FAILED! " + TodaysBackup() + ": No space left on device."),
                 qPrintable(r.err));
        QVERIFY(!r.out.contains("Backup saved"));
        QCOMPARE(read(), good);
    }

    void loadSampleOnlyIntoEmptyDatabase() {
        Run r = Tarvelo({"--load-sample"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("Sample database loaded into " + DbPath()),
                 qPrintable(r.out + r.err));
        QCOMPARE(Sql("select count(*) from tblGroups").toInt(), 3);
        // The bookings lie in last week, this week and next week, whatever the
        // day, and each found its resource and type.
        const QDate today = QDate::currentDate();
        const qint32 monday = ClsDate::DateToLong(today.addDays(1 - today.dayOfWeek()));
        QCOMPARE(Sql("select min(BookingDate) from tblBookings").toInt(), monday - 7);
        QCOMPARE(Sql("select max(BookingDate) from tblBookings").toInt(), monday + 13);
        QCOMPARE(Sql("select count(*) from tblBookings where ResourceId = 0 or TaskId = 0").toInt(),
                 0);
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
        QTest::newRow("no database file") << ""
                                          << "No such file or directory";
        QTest::newRow("settings name a directory") << "folder.db"
                                                   << "is a folder";
        QTest::newRow("settings name a share that is not mounted") << "share/Office.db"
                                                                   << "No such file or directory";
    }

    void missingDatabase() {
        QFETCH(QString, named);
        QFETCH(QString, reason);
        QByteArray ini;
        if (named.isEmpty()) {
            QVERIFY(QFile::remove(DbPath()));
        } else {
            if (named == QLatin1String("folder.db"))
                QVERIFY(QDir().mkpath(Path(named)));
            QFile file(Path("tarvelo.ini"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            ini = "[Config]\r\nDbName=" + Path(named).toUtf8() + "\r\n";
            file.write(ini);
        }
        const Run r = Tarvelo({"--backup"});
        QCOMPARE(r.exitCode, 1);
        // One line: the path and the reason.
        QVERIFY2(r.err.split('\n').contains("Warning! Unable to open database! " +
                                            (named.isEmpty() ? DbPath() : Path(named)) + ": " +
                                            reason),
                 qPrintable(r.err));
        if (!named.isEmpty()) {
            // The setting stays, and the database beside the program is not used.
            QFile file(Path("tarvelo.ini"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), ini);
            QVERIFY(!Log().contains("Open database"));
        }
        QVERIFY(!QFileInfo::exists(Path("Backup")));
        QVERIFY(Log().contains("DbOpen() failed!"));
    }

    void integrityCheckOnReadOnlyDatabase() {
        Fixture();
        Sql("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, "
            "BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values "
            "(9, 77, 1, 0, 46359, 600, 630, 0, '', '', '', '')");
        SmallDisk disk(4096);
        REQUIRE_SMALL_DISK(disk);
        const QString db = disk.Path() + "/Office.db";
        QVERIFY(QFile::copy(DbPath(), db));
        QProcess remount;
        remount.start("mount", {"-o", "remount,ro", disk.Path()});
        QVERIFY(remount.waitForFinished() && remount.exitCode() == 0);
        QFile ini(Path("tarvelo.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Config]\r\nDbName=" + db.toUtf8() + "\r\n");
        ini.close();
        const Run r = Tarvelo({"--integrity-check"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(!r.out.contains("Removed") &&
                     r.err.contains("Integrity check FAILED! " + db + ": ") &&
                     r.err.contains("readonly database"),
                 qPrintable(r.out + "|" + r.err));
    }

    void help() {
        const Run r = Tarvelo({"--help"});
        QCOMPARE(r.exitCode, 0);
        for (const char* option :
             {"--backup", "--restore <FILE>", "--no-appointments", "--export-csv <RESOURCE-NAME>",
              "--integrity-check", "--load-sample", "--help", "--home <DIR>"})
            QVERIFY2(r.out.contains(QLatin1String(option)), option);
        // The folder in use: the one --home names.
        QVERIFY2(r.out.contains(QStringLiteral("Program folder: ") + home->path()),
                 qPrintable(r.out));
    }
};

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"

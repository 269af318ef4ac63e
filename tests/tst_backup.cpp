// Backup and restore: the file of a known database, round trips, restores that fail
// leaving the database (and the change marker) as it was, and the Transfer commands.

#include "SmallDisk.h"
#include "TestEnv.h"

#include "base/EventPump.h"
#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "base/ProgramState.h"
#include "base/StatusPanel.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "frame/ModMain.h"
#include "transfer/BackupFile.h"
#include "transfer/IntegrityReport.h"
#include "ui/main/DlgRestore.h"
#include "ui/main/TransferCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QtTest>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// The file older and newer versions read: one line per record, fields parted by "~",
// a tilde or line break inside a text escaped with DLE, between a header and a closing line.
const QByteArray kHeader = "H~Tarvelo backup~1\r\n";
const QByteArray kKnownBackup = kHeader +
    "G~Clinic~540~1020~30\r\nR~Desk~30~480~30\r\nT~Advice~30~60~30~65280\r\nC~Jane Doe~r1~r2~r3\r\n"
    "K~1~1~1~4\r\nA~Desk~Advice~Jane Doe~46360~540~600~~~~\r\n"
    "G~Surgery~480~1080~15\r\nR~Room 1~15~600~15\r\nR~Room 2~15~600~15\r\n"
    "T~Blood test~5~15~10~255\r\nT~Check-up~15~60~30~16711680\r\nC~Jane Doe~r1~r2~r3\r\nC~John Smith~~~\r\n"
    "K~2~2~2~3\r\nA~Room 2~Check-up~John Smith~46358~600~630~x~~~\r\nK~1~1~0~2\r\nA~Room 1~Blood test~~46359~480~490~~~~\r\n"
    "K~2~2~1~1\r\nA~Room 2~Check-up~Jane Doe~46359~540~570~a~b~c~x\x10Ty\x10R\x10Nz\r\n"
    "K~1~0~0~5\r\nA~Room 1~~~46361~500~520~~~~-5\r\nE~2~3~3~3~5\r\n";

// Every table with its columns, identifiers included.
const char* const kTables[] = {
    "tblGroups:GroupId, GroupName, DayStart, DayEnd, Interval",
    "tblResources:ResourceId, GroupId, ResourceName, MinTime, MaxTime, InitTime",
    "tblTasks:TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime",
    "tblCustomers:CustomerId, CustomerName, Ref01, Ref02, Ref03",
    "tblCustomerGroups:CustomerId, GroupId",
    "tblBookings:BookingId, ResourceId, TaskId, CustomerId, BookingDate, BookingStart, BookingEnd, RepeatId, "
    "Ref01, Ref02, Ref03, Comments",
    "tblRepeats:RepeatId, SerialNo"};

// "insert into <table> (<every column>) values " for the table numbered in kTables.
QString Into(int table) {
    const QString t = kTables[table];
    return "insert into " + t.section(':', 0, 0) + " (" + t.section(':', 1) + ") values ";
}
enum { Groups, Resources, Tasks, Customers, CustomerGroups, Bookings, Repeats };

// The lines, then the closing line counting groups, resources, types, contacts, appointments.
QByteArray Closed(const QByteArray& lines) {
    QByteArray closing = "E";
    for (const char kind : QByteArray("GRTCA"))
        closing += '~' + QByteArray::number(('\n' + lines).count('\n' + QByteArray(1, kind)));
    return kHeader + lines + closing + "\r\n";
}

// The record lines of a backup as older versions wrote them, unless asked without appointments.
QByteArray Lines(const QByteArray& backup, bool appointments) {
    QByteArray out;
    for (const QByteArray& line : backup.split('\n'))
        if (!line.isEmpty() && !QByteArray("EHK").contains(line[0]) && (appointments || !line.startsWith('A')))
            out += line + '\n';
    return out;
}

} // namespace

class TstBackup : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;

    void Exec(const QStringList& statements) { for (const QString& sql : statements) env->Sql(sql); }
    // Every row of every table as one text.
    QString Contents() const {
        QString all;
        for (const char* t : kTables) {
            const QString name = QString(t).section(':', 0, 0);
            const QString columns = QString(t).section(':', 1).replace(", ", ") || ',' || quote(");
            all += name + ':' + env->Sql(QStringLiteral("select coalesce(group_concat(r, ';'), '') from "
                                                        "(select quote(%1) as r from %2 order by 1) as listed")
                                             .arg(columns, name)).toString() + '\n';
        }
        return all;
    }
    void KnownDatabase() {
        Exec({Into(Groups) + "(1, 'Surgery', 480, 1080, 15), (2, 'Clinic', 540, 1020, 30)",
              Into(Resources) + "(1, 1, 'Room 2', 15, 600, 15), (2, 1, 'Room 1', 15, 600, 15), (3, 2, 'Desk', 30, 480, 30)",
              Into(Tasks) + "(1, 1, 'Check-up', 16711680, 15, 60, 30), (2, 1, 'Blood test', 255, 5, 15, 10), "
                            "(3, 2, 'Advice', 65280, 30, 60, 30)",
              Into(Customers) + "(1, 'Jane Doe', 'r1', 'r2', 'r3'), (2, 'John Smith', '', '', ''), (3, 'Nobody', '', '', '')",
              Into(CustomerGroups) + "(1, 1), (2, 1), (1, 2)",
              // Booking 1's comment holds a tilde and a line break; booking 5 names a deleted type,
              // booking 6 a deleted resource (it belongs to no group and is not written).
              Into(Bookings) + "(1, 1, 1, 1, 46359, 540, 570, 0, 'a', 'b', 'c', 'x~y\r\nz'), "
                               "(2, 2, 2, 0, 46359, 480, 490, 7, '', '', '', ''), (3, 1, 1, 2, 46358, 600, 630, 0, 'x', '', '', ''), "
                               "(4, 3, 3, 1, 46360, 540, 600, 0, '', '', '', ''), (5, 2, 99, 0, 46361, 500, 520, 0, '', '', '', '-5'), "
                               "(6, 99, 1, 1, 46361, 600, 620, 0, '', '', '', '')",
              Into(Repeats) + "(7, '123')"});
    }
    QByteArray BackupNow() {
        const QString path = env->Path(QStringLiteral("check.txt"));
        return BackupFile().BackupDb(path) ? TestEnv::ReadFile(path) : "<backup failed>";
    }
    // Restores the bytes written to a file; "@path" restores that path, "@FOLDER" the program folder.
    bool Restore(const QByteArray& bytes, bool appointments, BackupFile* result = nullptr) {
        QString path = env->Path(QStringLiteral("restore-me.txt"));
        if (bytes.startsWith('@'))
            path = bytes == "@FOLDER" ? env->Folder() : QString::fromUtf8(bytes.mid(1));
        else if (!TestEnv::WriteFile(path, bytes))
            return false;
        BackupFile local;
        return (result ? *result : local).RestoreDb(path, appointments);
    }
    // Another workstation on the same database, to see the change marker.
    std::unique_ptr<ClsDAO> Other() {
        auto other = std::make_unique<ClsDAO>();
        return other->DbOpen(env->DbPath()) == 0 && !other->Updated() ? std::move(other) : nullptr;
    }

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void init() { env = std::make_unique<TestEnv>(); QVERIFY(env->Start()); }
    void cleanup() { StatusPanel::SetHandler({}); env.reset(); }

    // The known database, written line for line; restored into a database that holds
    // something else, it replaces all of it and moves the change marker.
    void knownDatabaseRoundTrip() {
        KnownDatabase();
        const QByteArray first = BackupNow();
        QCOMPARE(first, kKnownBackup);
        Exec({"delete from tblBookings where BookingId = 1",
              "insert into tblGroups (GroupName, DayStart, DayEnd, Interval) values ('Old', 0, 1440, 5)"});
        const auto other = Other();
        QVERIFY(other);
        BackupFile result;
        QVERIFY(Restore(first, true, &result));
        QVERIFY(other->Updated());
        const BackupFile::Counts counts = result.LastCounts();
        QCOMPARE((QList<int>{counts.groups, counts.contacts, counts.bookings}), (QList<int>{2, 3, 5}));
        QCOMPARE(BackupNow(), first);
        QCOMPARE(env->Sql("select Action || ' ' || After from tblJournal").toString(),
                 "Restore {\"bookings\":5,\"contacts\":3,\"groups\":2,\"resources\":3,\"types\":3}");
        // Restored rows are new rows: a contact under two groups becomes two, no repeat survives.
        QCOMPARE(env->Sql("select count(*) from tblCustomers where CustomerName = 'Jane Doe'").toInt(), 2);
        QCOMPARE(env->Sql("select count(*) from tblRepeats").toInt(), 0);
        QCOMPARE(env->Sql("select count(*) from tblBookings where RepeatId <> 0").toInt(), 0);
        QCOMPARE(env->Sql("select count(*) from tblGroups where GroupName = 'Old'").toInt(), 0);
    }

    // Every text column of every kind of line, with texts that would break a line, a
    // field or a statement: one line per record, and each comes back.
    void hostileTextRoundTrips() {
        const QStringList texts = {"a~b~~c", "two\r\nlines", "lf\nonly", QString(QChar(0x10)) + "T", "O'Neil",
                                   "'); delete from tblBookings; --", "Zoë \"Z\" Ñ", "  padded  ",
                                   QString(100000, 'x')};
        const auto q = [&](int i) { return ClsDAO::Quoted(texts[i % texts.size()]); };
        Exec({Into(Groups) + "(1, " + q(0) + ", 0, 1440, 5)"});
        for (int i = 0; i < texts.size(); ++i) {
            const QString n = QString::number(i + 1);
            Exec({Into(Resources) + "(" + n + ", 1, " + q(i) + ", 5, 60, 5)",
                  Into(Tasks) + "(" + n + ", 1, " + q(i) + ", 255, 5, 60, 5)",
                  Into(Customers) + "(" + n + ", " + QStringList{q(i), q(i + 1), q(i + 2), q(i + 3)}.join(", ") + ")",
                  Into(CustomerGroups) + "(" + n + ", 1)",
                  Into(Bookings) + QStringLiteral("(%1, %1, %1, %1, 46359, %2, %3, 0, ").arg(n).arg(480 + i * 10).arg(490 + i * 10) +
                      QStringList{q(i + 4), q(i + 5), q(i + 6), q(i + 7)}.join(", ") + ")"});
        }
        const QByteArray first = BackupNow();
        QCOMPARE(first.count('\n'), 3 + 5 * int(texts.size()));
        QVERIFY(Restore(first, true));
        QCOMPARE(BackupNow(), first); // each booking found its own resource, type and contact again
        for (const QString& text : texts)
            for (const char* where : {"tblResources where ResourceName", "tblTasks where TaskName",
                                      "tblCustomers where Ref01", "tblBookings where Comments", "tblBookings where Ref03"})
                QVERIFY2(env->Sql(QStringLiteral("select count(*) from %1 = %2").arg(where, ClsDAO::Quoted(text)))
                                 .toInt() == 1, qPrintable(where + (": " + text.left(20))));
    }

    // Values that earlier versions stored and a restore refuses: the backup never takes a good
    // file's place with them, keeps its text under another name and lists the lines; the
    // integrity check lists the rows.
    void backupThatWouldNotRestore() {
        KnownDatabase();
        const QString path = env->Path(QStringLiteral("check.txt"));
        QCOMPARE(BackupNow(), kKnownBackup);
        Exec({"update tblGroups set Interval = 0 where GroupName = 'Clinic'",
              "update tblResources set MaxTime = 2000 where ResourceName = 'Room 2'"});
        BackupFile backup;
        QVERIFY(!backup.BackupDb(path));
        QCOMPARE(TestEnv::ReadFile(path), kKnownBackup);
        const QString kept = BackupFile::RefusedPath(path);
        QVERIFY2(backup.FailureText().contains("a restore would refuse 2 of its lines") &&
                     backup.FailureText().contains(kept), qPrintable(backup.FailureText()));
        QVERIFY(TestEnv::ReadFile(kept).contains("G~Clinic~540~1020~0\r\n"));
        const QStringList what{"group \"Clinic\": Interval (field 5) is 0, outside 1 to 1440.",
                               "group \"Surgery\", resource \"Room 2\": MaxTime (field 4) is 2000, outside 0 to 1440."};
        QCOMPARE(backup.Warnings().mid(1), (QStringList{"Line 2 (" + QString(what[0]).replace(":", "):"),
                                                        "Line 10 (" + QString(what[1]).replace("\":", "\"):")}));
        IntegrityReport report;
        QVERIFY(report.Run());
        QCOMPARE(report.Unrestorable(), 2);
        QCOMPARE(report.Summary().filter("overlap"), QStringList()); // none do: nothing said of it
        QCOMPARE(report.Details(), (QStringList{"A restore would refuse " + what[0], "A restore would refuse " + what[1]}));
    }

    void oddInputStillRestores_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("expected"); // the contents afterwards, as a backup
        QTest::addColumn<int>("withoutContact");  // bookings stored without their contact
        const auto row = [](const char* tag, const QByteArray& file, const QByteArray& expected, int without = 0) {
            QTest::newRow(tag) << file << expected << without;
        };
        const QByteArray rooms = "G~Rooms~480~1080~15\r\nR~Room 1~15~600~15\r\n";
        const QByteArray visit = rooms + "T~Visit~15~60~30~255\r\n";
        row("backup of an empty database empties it", "E~0~0~0~0~0\r\n", "");
        // Older readers skip line kinds they do not know; so does this one.
        row("unknown kinds, blank lines and a Latin-1 name",
            "; notes\r\nX~1~2\r\n\r\nG~R\xE9sidence~480~1080~15\r\nzzz\r\nR~Room 1~15~600~15\r\n",
            "G~Résidence~480~1080~15\r\nR~Room 1~15~600~15\r\n");
        row("byte order mark, LF line ends and no last line end",
            "\xEF\xBB\xBFG~Rooms~480~1080~15\nR~Room 1~15~600~15", rooms);
        row("appointment type longer than a day", rooms + "T~Seminar~1500~32767~2880~255\r\n",
            rooms + "T~Seminar~1500~32767~2880~255\r\n");
        // A day may start where it ends.
        row("missing texts are empty, extra fields ignored", "G~Rooms~480~480~15~junk\r\nC~Solo\r\n",
            "G~Rooms~480~480~15\r\nC~Solo~~~\r\n");
        // A contact not among the group's: the booking is kept, without it.
        row("unknown contact",
            visit + "C~Ann~~~\r\nA~Room 1~Visit~Nobody~46359~540~570~~~~\r\nA~Room 1~Visit~ann~46359~600~630~~~~\r\n",
            visit + "C~Ann~~~\r\nA~Room 1~Visit~~46359~540~570~~~~\r\nA~Room 1~Visit~Ann~46359~600~630~~~~\r\n", 1);
        // Overlaps in a backup are data (a moved booking), not new requests.
        const QByteArray overlap = visit + "A~Room 1~Visit~~46359~540~600~~~~\r\nA~Room 1~Visit~~46359~570~630~~~~\r\n";
        row("overlapping bookings", overlap, overlap);
    }
    void oddInputStillRestores() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, expected);
        QFETCH(int, withoutContact);
        KnownDatabase();
        BackupFile result;
        QVERIFY2(Restore(file, true, &result), qPrintable(result.FailureText()));
        QCOMPARE(QString::fromUtf8(Lines(BackupNow(), true)), QString::fromUtf8(expected));
        QCOMPARE(result.LastCounts().withoutContact, withoutContact);
    }

    void failedRestoreChangesNothing_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* tag, const QByteArray& file, int line, const char* reason) {
            QTest::newRow(tag) << file << line << QString::fromUtf8(reason);
        };
        const QByteArray g = "G~Rooms~480~1080~15\r\n";
        const QByteArray rooms = g + "R~Room 1~15~600~15\r\nT~Visit~15~60~30~255\r\n";
        const QByteArray appt = rooms + "A~Room 1~Visit~~"; // date, start, end follow
        row("a bad number on the last appointment", QByteArray(kKnownBackup).replace("46361", "4x361"), 22, "BookingDate (field 5)");
        row("missing numbers", g + "G~Lonely\r\n", 2, "DayStart (field 3)");
        QByteArray junk(4096, '\0');
        for (int i = 0; i < junk.size(); ++i)
            junk[i] = char((i * 7919 + 13) % 256);
        row("binary junk", junk, 1, "binary data");
        // Nothing to restore is no backup of an empty database.
        row("blank lines", "\r\n\r\n  \r\n\r\n", 0, "not a backup file");
        row("/dev/null", "@/dev/null", 0, "not a backup file");
        row("a note whose lines start like records", "Call Tom about the rooms\r\nAsk for keys\r\nRing Grace\r\n",
            0, "not a backup file");
        // The closing line: a file cut at a line end, inside a text or before it, and two files run together.
        row("appointment missing before the closing line", QByteArray(kKnownBackup).replace("K~1~0~0~5\r\nA~Room 1~~~46361~500~520~~~~-5\r\n", ""),
            21, "it counts 5 appointments, the file holds 4");
        row("cut before the closing line", kKnownBackup.left(kKnownBackup.indexOf("\r\nE~") - 1), 0, "cut short");
        row("lines after the closing line", kKnownBackup + g, 24, "after the closing line");
        row("cut closing line", kKnownBackup.chopped(4), 23, "(field 6)");
        row("unknown resource", rooms + "A~Nowhere~Visit~~46359~540~570~~~~\r\n", 4, "the resource \"Nowhere\"");
        row("unknown appointment type", "G~Rooms~480~1080~15\r\nT~Visit~15~60~30~255\r\nG~Other~480~1080~15\r\n"
            "R~Room 1~15~600~15\r\nA~Room 1~Visit~~46359~540~570~~~~\r\n", 5, "the appointment type \"Visit\"");
        row("a resource before the first group", "R~Orphan~15~600~15\r\n" + g, 1, "before the first group");
        row("a contact before the first group", "C~Orphan~~~\r\n" + g, 1, "before the first group");
        row("time above 1440", appt + "46359~540~1441~~~~\r\n", 4, "BookingEnd (field 7) is 1441");
        row("negative length", g + "R~Room 1~-15~600~15\r\n", 2, "MinTime (field 3)");
        row("end not after start", appt + "46359~540~540~~~~\r\n", 4, "BookingEnd (field 7) is 540, not after");
        row("cut number ending before the start", appt + "46359~540~57", 4, "BookingEnd (field 7) is 57");
        row("date before 1900", appt + "-1~540~570~~~~\r\n", 4, "BookingDate (field 5) is -1");
        row("date after 9999", appt + "2958464~540~570~~~~\r\n", 4, "BookingDate (field 5) is 2958464, after");
        row("interval of 0", "G~Rooms~480~1080~0\r\n", 1, "Interval (field 5)");
        row("day start after day end", "G~Rooms~1080~480~15\r\n", 1, "DayStart (field 3) is 1080, after");
        row("exponent", "G~Rooms~1e3~1080~15\r\n", 1, "not a whole number");
        row("decimal", appt + "46359~540~570.5~~~~\r\n", 4, "not a whole number");
        // The reasons are the system's, on one line.
        row("a folder", "@FOLDER", 0, "is a folder");
        row("carriage return inside a field", g + "R~Big~15~6\r0~15\r\n", 2, "MaxTime (field 4)");
    }

    void failedRestoreChangesNothing() {
        QFETCH(QByteArray, file);
        QFETCH(int, line);
        QFETCH(QString, reason);
        KnownDatabase();
        const QString before = Contents();
        const auto other = Other();
        QVERIFY(other);
        BackupFile result;
        QVERIFY(!Restore(file, true, &result));
        QCOMPARE(result.FailedLine(), line);
        QVERIFY2(result.Failure().contains(reason), qPrintable(result.Failure()));
        const QString text = result.FailureText();
        QVERIFY2(!text.contains('\r') && !text.contains('\n') && !text.contains("Unknown error"), qPrintable(text));
        QCOMPARE(Contents(), before);
        QVERIFY(!other->Updated());
        QVERIFY(env->LogContains(QStringLiteral("Restore failed: ") + result.FailureText()));
        // The program goes on working on its database.
        QCOMPARE(BackupNow(), kKnownBackup);
    }

    void programClosedMidway_data() {
        QTest::addColumn<bool>("restore");
        QTest::newRow("backup") << false;
        QTest::newRow("restore") << true;
    }
    // The main window's deferred close while the loop lets events run: the work stops
    // without touching the released database, and nothing of it is kept.
    void programClosedMidway() {
        QFETCH(bool, restore);
        KnownDatabase();
        const QString before = Contents();
        const QString file = env->Path(QStringLiteral("closing.txt"));
        if (restore)
            QVERIFY(TestEnv::WriteFile(file, "G~Other~480~1080~15\r\n"));
        EventPump::RunNow();
        QTest::qWait(30);
        QTimer::singleShot(0, [] { ModMain::Terminate(); });
        BackupFile backup;
        QVERIFY(restore ? !backup.RestoreDb(file, true) : !backup.BackupDb(file));
        QVERIFY(!ProgramState::IsRunning());
        QVERIFY2(restore ? backup.Failure() == "the program was closed during the restore" : !QFileInfo::exists(file),
                 qPrintable(backup.Failure()));
        QCOMPARE(Contents(), before);
    }

    void failedBackupKeepsEarlierFile_data() {
        QTest::addColumn<bool>("fullDisk"); // else the bookings cannot be read any more
        QTest::addColumn<QString>("reason");
        QTest::newRow("database read fails half-way") << false << "tblBookings";
        QTest::newRow("disk full") << true << "No space left on device";
    }
    void failedBackupKeepsEarlierFile() {
        QFETCH(bool, fullDisk);
        QFETCH(QString, reason);
        SmallDisk disk;
        if (fullDisk)
            REQUIRE_SMALL_DISK(disk);
        const QString folder = fullDisk ? disk.Path() : env->Folder();
        KnownDatabase();
        const QString path = QDir(folder).filePath(QStringLiteral("same-day.txt"));
        BackupFile backup;
        QVERIFY(backup.BackupDb(path));
        fullDisk ? disk.Fill() : void(env->Sql("alter table tblBookings rename to tblGone"));
        QVERIFY(!backup.BackupDb(path));
        QCOMPARE(TestEnv::ReadFile(path), kKnownBackup);
        QCOMPARE(QDir(folder).entryList({"same-day*"}, QDir::Files), QStringList{"same-day.txt"});
        const QString text = backup.FailureText(); // the file and the reason, on one line
        QVERIFY2(text.startsWith(path + ": ") && text.contains(reason, Qt::CaseInsensitive) && !text.contains('\n') &&
                     !text.contains('\r'), qPrintable(text));
    }

    void restoreFromPipe_data() {
        QTest::addColumn<bool>("named");  // a named pipe, else a pipe read as /dev/stdin is
        QTest::addColumn<bool>("writer"); // a program writes the backup into it
        QTest::newRow("pipe read as /dev/stdin") << false << true;
        QTest::newRow("named pipe") << true << true;
        QTest::newRow("named pipe without a writer") << true << false;
    }
    void restoreFromPipe() {
        QFETCH(bool, named);
        QFETCH(bool, writer);
        KnownDatabase();
        const QString before = Contents();
        const QByteArray file = "G~Piped~480~1080~15\r\nR~Room 1~15~600~15\r\n";
        int fds[2] = {-1, -1};
        QString path = env->Path(QStringLiteral("pipe"));
        if (named)
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (::pipe(fds) == 0)
            path = QStringLiteral("/proc/self/fd/%1").arg(fds[0]);
        // The writer starts a moment after the restore began to wait for it.
        std::thread feeder([&] {
            QThread::msleep(300);
            const int fd = !writer ? -1 : named ? ::open(QFile::encodeName(path).constData(), O_WRONLY) : fds[1];
            if (fd >= 0 && ::write(fd, file.constData(), size_t(file.size())) >= 0)
                ::close(fd);
        });
        BackupFile result;
        const bool ok = result.RestoreDb(path, true);
        feeder.join();
        ::close(fds[0]);
        QCOMPARE(ok, writer);
        if (writer)
            QCOMPARE(BackupNow(), Closed(file));
        else
            QVERIFY2(Contents() == before && result.FailureText().startsWith(path + ": nothing was written into the pipe"),
                     qPrintable(result.FailureText()));
    }

    // Resources, types and contacts of a group named alike (letter case aside), or empty: each booking
    // comes back to its own. A type or contact of another group cannot: the backup and the restore
    // count those, and the integrity check keeps the bookings.
    void everyBookingKeepsItsLinks() {
        Exec({Into(Groups) + "(1, 'Rooms', 480, 1080, 15), (2, 'Other', 480, 1080, 15)",
              Into(Resources) + "(1, 1, 'Room 1', 15, 600, 15), (2, 1, 'ROOM 1', 15, 600, 15)",
              Into(Tasks) + "(1, 1, 'Visit', 255, 15, 60, 30), (2, 1, 'visit', 65280, 15, 60, 30), "
                            "(3, 1, '', 0, 15, 60, 30), (4, 2, 'Elsewhere', 0, 15, 60, 30)",
              Into(Customers) + "(1, 'Alice Thornton', 'File 1', '', ''), (2, 'Alice Thornton', 'File 2', '', ''), "
                                "(3, '', 'File 3', '', ''), (4, 'Alice Thornton', 'File 4', '', '')",
              Into(CustomerGroups) + "(1, 1), (2, 1), (3, 1), (4, 2)",
              Into(Bookings) + "(1, 1, 2, 2, 46359, 540, 570, 0, '', '', '', 'one'), "
                               "(2, 2, 1, 1, 46359, 540, 570, 0, '', '', '', 'two'), "
                               "(3, 2, 2, 0, 46359, 600, 630, 0, '', '', '', 'three'), "
                               "(4, 1, 3, 3, 46359, 600, 630, 0, '', '', '', 'four'), "
                               "(5, 1, 4, 4, 46359, 660, 690, 0, '', '', '', 'five')"});
        const auto bookings = [&] {
            return env->Sql("select group_concat(x, ';') from (select Comments || '|' || ResourceName || '|' || "
                            "coalesce(TaskName, '-') || '|' || coalesce((select Ref01 from tblCustomers c where "
                            "c.CustomerId = b.CustomerId), '') as x from tblBookings b join tblResources r on "
                            "r.ResourceId = b.ResourceId left join tblTasks t on t.TaskId = b.TaskId order by "
                            "Comments) as listed").toString();
        };
        const QString expected = "five|Room 1|-|;four|Room 1||File 3;one|Room 1|visit|File 2;three|ROOM 1|visit|;"
                                 "two|ROOM 1|Visit|File 1";
        QCOMPARE(bookings(), QString(expected).replace("-|", "Elsewhere|File 4"));
        BackupFile backup;
        const QString path = env->Path(QStringLiteral("same.txt"));
        QVERIFY(backup.BackupDb(path));
        const QString warned = backup.Warnings().join('\n');
        QVERIFY2(warned.contains("\"Room 1\"") && warned.contains("\"Alice Thornton\"") && warned.contains("\"Visit\"") &&
                     warned.contains("1 appointments have no appointment type") && warned.contains("1 appointments have a contact"),
                 qPrintable(warned));
        BackupFile result;
        QVERIFY(Restore(TestEnv::ReadFile(path), true, &result) &&
                Database::DAO().IntegrityCheck());
        QCOMPARE((QList<int>{result.LastCounts().withoutType, result.LastCounts().withoutContact}), (QList<int>{1, 1}));
        QCOMPARE(bookings(), expected);
    }

    // A backup reads one snapshot: another workstation's restore during it is wholly in the file or not at all.
    void backupIsOneSnapshot() {
        KnownDatabase();
        const QByteArray old = BackupNow();
        const QString newFile = env->Path(QStringLiteral("new.txt"));
        QVERIFY(TestEnv::WriteFile(newFile, "G~Other~480~1080~15\r\nR~Solo~15~600~15\r\n"));
        QVERIFY(QDir().mkpath(env->Path("other")));
        QProcess other;
        other.setProcessChannelMode(QProcess::ForwardedChannels);
        bool started = false;
        // Once the groups are read, the other restores; the backup waits for it, at most three seconds.
        StatusPanel::SetHandler([&](const QString& panel, const QString& text) {
            if (started || panel != QStringLiteral("Task") || text.isEmpty())
                return;
            started = true;
            other.start(QCoreApplication::applicationFilePath(), {"--restore-child", env->Path("other"), env->DbPath(), newFile});
            if (other.waitForStarted())
                other.waitForFinished(3000);
        });
        const QString path = env->Path(QStringLiteral("snapshot.txt"));
        BackupFile backup;
        QVERIFY2(backup.BackupDb(path), qPrintable(backup.FailureText()));
        QVERIFY(started);
        QVERIFY(other.state() == QProcess::NotRunning || other.waitForFinished(60000));
        QCOMPARE(other.exitCode(), 0);
        QCOMPARE(TestEnv::ReadFile(path), old);
        QCOMPARE(env->Sql("select GroupName from tblGroups").toString(), QStringLiteral("Other"));
    }

    void backupCommand() {
        KnownDatabase();
        const QString expected =
            QDir(env->Folder()).filePath("Backup/" + QDate::currentDate().toString("yyyyMMdd") + ".txt");
        QVERIFY(TransferCommands::Backup());
        QCOMPARE(env->boxes.size(), 1);
        QCOMPARE(env->boxes[0].kind, Messages::BoxKind::Information);
        // The booking whose appointment type is gone is written without one, and the user hears of it.
        QVERIFY2(env->boxes[0].text.startsWith("Backup saved to " + expected) &&
                     env->boxes[0].text.count("\"Surgery\"") == 1, qPrintable(env->boxes[0].text));
        QCOMPARE(TestEnv::ReadFile(expected), kKnownBackup);
        // A second backup on the same day replaces the first.
        env->Sql("delete from tblBookings");
        QVERIFY(TransferCommands::Backup());
        QCOMPARE(TestEnv::ReadFile(expected), Closed(Lines(kKnownBackup, false)));
        QCOMPARE(QDir(env->Path("Backup")).entryList(QDir::Files).size(), 1);
        // The folder cannot be made (a file of that name is in the way).
        QDir(env->Path("Backup")).removeRecursively();
        QVERIFY(TestEnv::WriteFile(env->Path("Backup"), "in the way"));
        env->boxes.clear();
        QVERIFY(!TransferCommands::Backup());
        QCOMPARE(env->boxes.size(), 1);
        QCOMPARE(env->boxes[0].kind, Messages::BoxKind::Warning);
        QVERIFY2(env->boxes[0].text.startsWith("Backup FAILED!\r\n\r\n" + expected + ": Not a directory"),
                 qPrintable(env->boxes[0].text));
        QCOMPARE(TestEnv::ReadFile(env->Path("Backup")), QByteArray("in the way"));
    }

    // Transfer, Restore: the window offers the backups by name; its tick decides the
    // appointments; a confirmation comes before anything is replaced.
    void restoreCommand_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("tickAppointments");
        QTest::addColumn<int>("answer"); // to the confirmations; -1: the window is cancelled; 2: Yes, then No
        QTest::addColumn<QString>("lastBox");
        const QByteArray g = "G~New~0~1440~5\r\n";
        QTest::newRow("older file without appointments") << Lines(kKnownBackup, true) << false << 1
            << "Restore Complete!|Database restored!\r\n\r\n2 groups, 3 resources, 3 appointment types, 3 contacts, 0 appointments.";
        QTest::newRow("answered No") << g << true << 0 << "Confirm|" + TransferCommands::RestorePrompt();
        QTest::newRow("older file answered No") << g << true << 2 << "Confirm|" + TransferCommands::UnclosedPrompt();
        QTest::newRow("window cancelled") << g << true << -1 << "";
        QTest::newRow("failing file") << Closed(g + "R~Bad~1~2~three\r\n") << true << 2
                                      << "Warning!|Restore FAILED!\r\n\r\nLine 3 of %1: InitTime (field 5) is \"three\", "
                                         "not a whole number.\r\n\r\nThe database was left as it was.";
    }
    void restoreCommand() {
        QFETCH(QByteArray, file);
        QFETCH(bool, tickAppointments);
        QFETCH(int, answer);
        QFETCH(QString, lastBox);
        const bool restored = lastBox.startsWith("Restore Complete!");
        KnownDatabase();
        const QString before = Contents();
        QDir().mkpath(env->Path("Backup/20991231.txt")); // a folder is no backup
        for (const char* other : {"20261204.txt", "notes.txt", "2026.txt", "abc12345.txt", "00000000.txt", "20261207.csv"})
            QVERIFY(TestEnv::WriteFile(env->Path(QStringLiteral("Backup/") + other), "G~Older~0~1440~5\r\n"));
        const QString path = QDir(env->Folder()).filePath("Backup/20261205.txt");
        QVERIFY(TestEnv::WriteFile(path, file));
        QStringList offered;
        env->onModal = [&](QDialog* d) {
            auto* dialog = qobject_cast<DlgRestore*>(d);
            if (!dialog)
                return int(QDialog::Rejected);
            dialog->Form_Load();
            for (auto* list = dialog->findChild<QComboBox*>("CbFile"); offered.size() < list->count();)
                offered << list->itemText(offered.size());
            dialog->findChild<QCheckBox*>("Check1")->setChecked(tickAppointments);
            dialog->BtnRestore_Click(answer < 0 ? 1 : 0);
            return dialog->result();
        };
        env->confirmAnswers = {answer > 0, answer == 1};
        int refills = 0;
        QCOMPARE(TransferCommands::Restore(nullptr, [&] { ++refills; }), restored);
        QCOMPARE(env->modalsShown.size(), 1);
        QCOMPARE(offered, (QStringList{"20261204.txt", "20261205.txt"}));
        QCOMPARE(env->boxes.isEmpty(), answer < 0);
        if (answer >= 0) {
            QCOMPARE(env->boxes[0].kind, Messages::BoxKind::Confirm);
            QCOMPARE(env->boxes[0].text, TransferCommands::RestorePrompt());
            QCOMPARE(env->boxes.last().title + "|" + env->boxes.last().text, QString(lastBox).replace("%1", path));
        }
        QCOMPARE(refills, restored ? 1 : 0);
        if (restored)
            QCOMPARE(Lines(BackupNow(), true), Lines(file, tickAppointments));
        else
            QCOMPARE(Contents(), before);
    }
};

// The other workstation of backupIsOneSnapshot: restores the file into the database.
int RunRestoreChild(const QStringList& args) {
    if (args.size() != 3)
        return 2;
    ProgramFolder::Set(args[0]);
    Messages::SetBoxHandler(
        [](Messages::BoxKind, const QString&, const QString&) { return false; });
    QFile ini(
        ProgramFolder::FilePath(ProgramFolder::ExecutableBaseName() + QStringLiteral(".ini")));
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[Config]\r\nDbName=" + args[1].toUtf8() + "\r\n") < 0)
        return 2;
    ini.close();
    if (!ModMain::Initialise())
        return 3;
    BackupFile backup;
    const bool ok = backup.RestoreDb(args[2], true);
    if (!ok)
        std::fprintf(stderr, "%s\n", qPrintable(backup.FailureText()));
    ModMain::Terminate();
    return ok ? 0 : 4;
}

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "--restore-child") == 0) {
        QCoreApplication app(argc, argv);
        return RunRestoreChild(QCoreApplication::arguments().mid(2));
    }
    QApplication app(argc, argv);
    TstBackup test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_backup.moc"

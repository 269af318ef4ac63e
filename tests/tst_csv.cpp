// The CSV export of a resource: the file's bytes, names that are no file names, the messages.

#include "SmallDisk.h"
#include "TestEnv.h"

#include "base/ClsIni.h"
#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "base/Settings.h"
#include "data/ClsDAO.h"
#include "transfer/CsvExport.h"
#include "ui/main/TransferCommands.h"

#include <QtTest>
#include <cerrno>
#include <memory>

namespace {

const QByteArray kHeader = "\"BookingId\",\"Date\",\"Start\",\"End\",\"Minutes\",\"Customer\","
                           "\"Task\",\"Ref01\",\"Ref02\",\"Ref03\"\r\n";

} // namespace

class TstCsv : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;

    // One resource (3, "Room 1") with one contact and one appointment type.
    void Fixture(const QString& contactName = QStringLiteral("Jane Doe")) {
        env->Sql("insert into tblResources (ResourceId, GroupId, ResourceName) values (3, 1, 'Room 1')");
        env->Sql("insert into tblTasks (TaskId, GroupId, TaskName) values (4, 1, 'Check-up')");
        env->Sql("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) values (5, " +
                 ClsDAO::Quoted(contactName) + ", '', '', '')");
    }
    void Book(int id, int date, int start, int end, int customer, int task,
              const QString& refs = QStringLiteral("'', '', ''")) {
        env->Sql(QString("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, "
                         "BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values "
                         "(%1, 3, %2, %3, %4, %5, %6, 0, %7, 'comment')")
                     .arg(id).arg(task).arg(customer).arg(date).arg(start).arg(end).arg(refs));
    }
    QString ExportPath(const QString& name) const {
        return QDir(ProgramFolder::Path()).filePath("Export/" + name + ".csv");
    }

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void init() { env = std::make_unique<TestEnv>(); QVERIFY(env->Start()); }
    void cleanup() { env.reset(); }

    // Spreadsheets read the file as written: numbers between blanks, texts in quotes with a quote
    // inside doubled, CR LF after every line.
    void exampleLineByteForByte_data() {
        QTest::addColumn<int>("military");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("refs");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("12-hour") << 0 << 750 << 1440 << "Jane Doe" << "'', '', ''"
                                 << QByteArray(" 42 ,\"05 Dec 2026\",\"12:30 pm\",\"12:00 am\", 690 ,"
                                               "\"Jane Doe\",\"Check-up\",\"\",\"\",\"\"\r\n");
        QTest::newRow("24-hour") << 1 << 750 << 810 << "Jane Doe" << "'', '', ''"
                                 << QByteArray(" 42 ,\"05 Dec 2026\",\"12:30\",\"13:30\", 60 ,"
                                               "\"Jane Doe\",\"Check-up\",\"\",\"\",\"\"\r\n");
        QTest::newRow("quotes and commas")
            << 1 << 540 << 600 << "Doe, \"JD\" Jane" << "'say \"\"hi\"\"', ',', '\"'"
            << QByteArray(" 42 ,\"05 Dec 2026\",\"09:00\",\"10:00\", 60 ,\"Doe, \"\"JD\"\" Jane\","
                          "\"Check-up\",\"say \"\"\"\"hi\"\"\"\"\",\",\",\"\"\"\"\r\n");
    }

    void exampleLineByteForByte() {
        QFETCH(int, military);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, contact);
        QFETCH(QString, refs);
        QFETCH(QByteArray, line);
        Settings::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"),
                                   military);
        Fixture(contact);
        Book(42, 46359, start, end, 5, 4, refs);
        QVERIFY(TransferCommands::ExportCsv(1, 3, QStringLiteral("Room 1")));
        QCOMPARE(TestEnv::ReadFile(ExportPath("Room 1")), kHeader + line);
        QCOMPARE(env->boxes.size(), 1);
        QCOMPARE(env->boxes[0].kind, Messages::BoxKind::Information);
    }

    // Bookings of the resource only, by date and time; a missing contact, type or reference is an
    // empty text. A later export replaces the earlier file.
    void orderAndMissingValues() {
        Fixture();
        Book(1, 46360, 600, 630, 5, 4);
        Book(2, 46359, 700, 730, 0, 4, "'r1', NULL, 'r3'"); // no contact; a missing reference
        Book(3, 46359, 480, 500, 5, 99);                    // a deleted appointment type
        env->Sql("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, "
                 "BookingStart, BookingEnd) values (4, 7, 4, 5, 46359, 480, 500)"); // another resource
        CsvExport csv;
        QVERIFY(csv.Export(3, QStringLiteral("Room 1")));
        QCOMPARE(csv.Lines(), 3);
        QCOMPARE(TestEnv::ReadFile(csv.Path()), kHeader +
                     " 3 ,\"05 Dec 2026\",\"08:00 am\",\"08:20 am\", 20 ,\"Jane Doe\",\"\",\"\",\"\",\"\"\r\n"
                     " 2 ,\"05 Dec 2026\",\"11:40 am\",\"12:10 pm\", 30 ,\"\",\"Check-up\",\"r1\",\"\",\"r3\"\r\n"
                     " 1 ,\"06 Dec 2026\",\"10:00 am\",\"10:30 am\", 30 ,\"Jane Doe\",\"Check-up\",\"\",\"\",\"\"\r\n");

        // A resource without bookings gives the header only.
        env->Sql("delete from tblBookings where ResourceId = 3");
        QVERIFY(csv.Export(3, QStringLiteral("Room 1")));
        QCOMPARE(TestEnv::ReadFile(ExportPath("Room 1")), kHeader);
        QCOMPARE(QDir(env->Path("Export")).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // A "/" or a control character becomes "_": the file stays inside Export.
    void resourceNamesThatAreNoFileNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("climbing out") << "../../escaped" << ".._.._escaped.csv";
        QTest::newRow("control character") << QStringLiteral("tab\there") << "tab_here.csv";
    }

    void resourceNamesThatAreNoFileNames() {
        QFETCH(QString, name);
        QFETCH(QString, fileName);
        Fixture();
        Book(42, 46359, 540, 600, 5, 4);
        QVERIFY(TransferCommands::ExportCsv(1, 3, name));
        // The one file written lies in the Export folder, and the box names it.
        QCOMPARE(QDir(env->Path("Export")).entryList(QDir::Files | QDir::Hidden), QStringList{fileName});
        QCOMPARE(TestEnv::ReadFile(env->Path("Export/" + fileName)).count('\n'), 2);
        QCOMPARE(env->boxes.last().text, QStringLiteral("Data exported to:\r\n\r\n") +
                                             QDir(env->Folder()).filePath("Export/" + fileName));
    }

    void noCurrentRow() {
        Fixture();
        Book(42, 46359, 540, 600, 5, 4);
        QVERIFY(!TransferCommands::ExportCsv(0, 3, QStringLiteral("Room 1")));
        QCOMPARE(env->boxes.size(), 1);
        QCOMPARE(env->boxes[0].kind, Messages::BoxKind::Warning);
        QCOMPARE(env->boxes[0].text, QStringLiteral("Please click on the resource that you wish to export data for!"));
        QVERIFY(!QFileInfo::exists(env->Path("Export")));
    }

    // A full disk keeps the earlier file, and the box says why.
    void unwritableFileIsReported() {
        Fixture();
        Book(42, 46359, 540, 600, 5, 4);
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        const QByteArray earlier = kHeader + " 1 ,\"01 Dec 2026\"\r\n";
        // The database stays where it is; the program folder is on the full disk.
        ProgramFolder::Set(disk.Path());
        QVERIFY(QDir().mkpath(disk.Path() + "/Export") && TestEnv::WriteFile(ExportPath("Room 1"), earlier));
        disk.Fill();
        QVERIFY(!TransferCommands::ExportCsv(1, 3, QStringLiteral("Room 1")));
        QCOMPARE(env->boxes.size(), 1);
        QCOMPARE(env->boxes[0].kind, Messages::BoxKind::Warning);
        QCOMPARE(env->boxes[0].text, QStringLiteral("Export FAILED!\r\n\r\n") + ExportPath("Room 1") + ": " +
                                         qt_error_string(ENOSPC) + ".");
        QCOMPARE(TestEnv::ReadFile(ExportPath("Room 1")), earlier);
    }
};

QTEST_MAIN(TstCsv)
#include "tst_csv.moc"

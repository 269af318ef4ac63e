// The CSV export of a resource: the file's bytes (header, field forms, line
// ends, order), texts with quotes and commas read back by a CSV reader,
// resource names that are no file names, and the menu command's messages.

#include "SmallDisk.h"
#include "TestEnv.h"

#include "app/ClsIni.h"
#include "data/ClsDAO.h"
#include "data/CsvExport.h"
#include "ui/main/TransferCommands.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <cerrno>
#include <memory>

namespace {

const QByteArray kHeader =
    "\"BookingId\",\"Date\",\"Start\",\"End\",\"Minutes\",\"Customer\",\"Task\",\"Ref01\","
    "\"Ref02\",\"Ref03\"\r\n";

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A CSV reader as spreadsheet programs read: fields separated by commas,
// quoted fields with "" standing for one quote.
QList<QStringList> ParseCsv(const QString& text) {
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\r')) {
            continue;
        } else if (c == QLatin1Char('\n')) {
            row << field;
            rows << row;
            row.clear();
            field.clear();
        } else {
            field += c;
        }
    }
    return rows;
}

} // namespace

class TstCsv : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;

    // One resource (3, "Room 1") with one contact and one appointment type.
    void Fixture(const QString& contactName = QStringLiteral("Jane Doe")) {
        env->Sql("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
                 "(1, 'Surgery', 480, 1080, 15)");
        env->Sql("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
                 "InitTime) values (3, 1, 'Room 1', 15, 600, 15)");
        env->Sql("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, "
                 "InitTime) values (4, 1, 'Check-up', 255, 15, 60, 30)");
        env->Sql("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) values "
                 "(5, " +
                 ClsDAO::Quoted(contactName) + ", '', '', '')");
    }
    void Book(int id, int date, int start, int end, int customer, int task,
              const QString& refs = QStringLiteral("'', '', ''")) {
        env->Sql(QStringLiteral("insert into tblBookings (BookingId, ResourceId, TaskId, "
                                "CustomerId, BookingDate, BookingStart, BookingEnd, RepeatId, "
                                "Ref01, Ref02, Ref03, Comments) values (%1, 3, %2, %3, %4, %5, "
                                "%6, 0, %7, 'comment')")
                     .arg(id)
                     .arg(task)
                     .arg(customer)
                     .arg(date)
                     .arg(start)
                     .arg(end)
                     .arg(refs));
    }
    QString ExportPath(const QString& name) const {
        return QDir(ModMain::ProgramFolder())
            .filePath(QStringLiteral("Export/") + name + QStringLiteral(".csv"));
    }

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void init() {
        env = std::make_unique<TestEnv>();
        QVERIFY(env->Start());
    }
    void cleanup() { env.reset(); }

    void fieldForms_data();
    void fieldForms();
    void exampleLineByteForByte_data();
    void exampleLineByteForByte();
    void orderAndMissingValues();
    void quotesAndCommasReadBack();
    void resourceNamesThatAreNoFileNames_data();
    void resourceNamesThatAreNoFileNames();
    void noCurrentRow();
    void exportReplacesEarlierFile();
    void unwritableFileIsReported_data();
    void unwritableFileIsReported();
};

void TstCsv::fieldForms_data() {
    QTest::addColumn<bool>("number");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    QTest::newRow("number") << true << qint64(42) << QString() << " 42 ";
    QTest::newRow("zero") << true << qint64(0) << QString() << " 0 ";
    QTest::newRow("negative") << true << qint64(-5) << QString() << "-5 ";
    QTest::newRow("text") << false << qint64(0) << "Jane Doe"
                          << "\"Jane Doe\"";
    QTest::newRow("empty text") << false << qint64(0) << ""
                                << "\"\"";
    QTest::newRow("comma kept") << false << qint64(0) << "Doe, Jane"
                                << "\"Doe, Jane\"";
    QTest::newRow("quote doubled") << false << qint64(0) << "Jane \"JD\" Doe"
                                   << "\"Jane \"\"JD\"\" Doe\"";
}

void TstCsv::fieldForms() {
    QFETCH(bool, number);
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QFETCH(QString, written);
    QCOMPARE(number ? CsvExport::NumberField(value) : CsvExport::TextField(text), written);
}

void TstCsv::exampleLineByteForByte_data() {
    QTest::addColumn<int>("military");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("12-hour") << 0 << 540 << 600
                             << QByteArray(" 42 ,\"05 Dec 2026\",\"09:00 am\",\"10:00 am\", 60 ,"
                                           "\"Jane Doe\",\"Check-up\",\"\",\"\",\"\"\r\n");
    QTest::newRow("12-hour afternoon") << 0 << 750 << 1440
                                       << QByteArray(" 42 ,\"05 Dec 2026\",\"12:30 pm\",\"12:00 "
                                                     "am\", 690 ,\"Jane Doe\",\"Check-up\",\"\","
                                                     "\"\",\"\"\r\n");
    QTest::newRow("24-hour") << 1 << 750 << 810
                             << QByteArray(" 42 ,\"05 Dec 2026\",\"12:30\",\"13:30\", 60 ,"
                                           "\"Jane Doe\",\"Check-up\",\"\",\"\",\"\"\r\n");
}

void TstCsv::exampleLineByteForByte() {
    QFETCH(int, military);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QByteArray, line);
    ModMain::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"),
                              military);
    Fixture();
    Book(42, 46359, start, end, 5, 4);
    QVERIFY(TransferCommands::ExportCsv(1, 3, QStringLiteral("Room 1")));
    QCOMPARE(ReadFile(ExportPath("Room 1")), kHeader + line);
    QCOMPARE(env->boxes.size(), 1);
    QCOMPARE(env->boxes[0].kind, ModMain::BoxKind::Information);
    QCOMPARE(env->boxes[0].title, QStringLiteral("Data Exported!"));
    QCOMPARE(env->boxes[0].text,
             QStringLiteral("Data exported to:\r\n\r\n") + ExportPath("Room 1"));
}

void TstCsv::orderAndMissingValues() {
    Fixture();
    Book(1, 46360, 600, 630, 5, 4);
    Book(2, 46359, 700, 730, 0, 4, "'r1', NULL, 'r3'"); // no contact; a missing reference
    Book(3, 46359, 480, 500, 5, 99);                    // a deleted appointment type
    env->Sql("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, "
             "BookingStart, BookingEnd) values (4, 7, 4, 5, 46359, 480, 500)"); // another resource
    CsvExport csv;
    QVERIFY(csv.Export(3, QStringLiteral("Room 1")));
    QCOMPARE(csv.Lines(), 3);
    const QList<QStringList> rows = ParseCsv(QString::fromUtf8(ReadFile(csv.Path())));
    QCOMPARE(rows.size(), 4);
    QStringList ids;
    for (const QStringList& row : rows.mid(1))
        ids << row[0];
    QCOMPARE(ids, QStringList({" 3 ", " 2 ", " 1 "}));
    QCOMPARE(rows[1].mid(5), QStringList({"Jane Doe", "", "", "", ""}));
    QCOMPARE(rows[2].mid(5), QStringList({"", "Check-up", "r1", "", "r3"}));

    // A resource without bookings gives the header only.
    QVERIFY(csv.Export(8, QStringLiteral("Empty")));
    QCOMPARE(ReadFile(ExportPath("Empty")), kHeader);
}

void TstCsv::quotesAndCommasReadBack() {
    const QString name = QStringLiteral("Doe, \"JD\" Jane");
    Fixture(name);
    Book(42, 46359, 540, 600, 5, 4, "'say \"\"hi\"\"', ',', '\"'");
    QVERIFY(TransferCommands::ExportCsv(1, 3, QStringLiteral("Room 1")));
    const QList<QStringList> rows = ParseCsv(QString::fromUtf8(ReadFile(ExportPath("Room 1"))));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].size(), 10);
    QCOMPARE(rows[1][5], name);
    QCOMPARE(rows[1].mid(7), QStringList({"say \"\"hi\"\"", ",", "\""}));
}

void TstCsv::resourceNamesThatAreNoFileNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("slash") << "a/b"
                           << "a_b.csv";
    QTest::newRow("climbing out") << "../../escaped"
                                  << ".._.._escaped.csv";
    QTest::newRow("dot dot") << ".."
                             << "...csv";
    QTest::newRow("device name elsewhere") << "con"
                                           << "con.csv";
    QTest::newRow("control character") << QStringLiteral("tab\there") << "tab_here.csv";
    QTest::newRow("backslash and colon") << "c:\\x"
                                         << "c:\\x.csv";
}

void TstCsv::resourceNamesThatAreNoFileNames() {
    QFETCH(QString, name);
    QFETCH(QString, fileName);
    Fixture();
    Book(42, 46359, 540, 600, 5, 4);
    QVERIFY(TransferCommands::ExportCsv(1, 3, name));
    // The one file written lies in the Export folder, and the box names it.
    QCOMPARE(QDir(env->Path("Export")).entryList(QDir::Files | QDir::Hidden),
             QStringList{fileName});
    QCOMPARE(QDir(env->Folder()).entryList({"*.csv"}, QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(ReadFile(env->Path("Export/" + fileName)).count('\n'), 2);
    QCOMPARE(env->boxes.last().text, QStringLiteral("Data exported to:\r\n\r\n") +
                                         QDir(env->Folder()).filePath("Export/" + fileName));
}

void TstCsv::noCurrentRow() {
    Fixture();
    Book(42, 46359, 540, 600, 5, 4);
    QVERIFY(!TransferCommands::ExportCsv(0, 3, QStringLiteral("Room 1")));
    QCOMPARE(env->boxes.size(), 1);
    QCOMPARE(env->boxes[0].kind, ModMain::BoxKind::Warning);
    QCOMPARE(env->boxes[0].text,
             QStringLiteral("Please click on the resource that you wish to export data for!"));
    QVERIFY(!QFileInfo::exists(env->Path("Export")));
}

void TstCsv::exportReplacesEarlierFile() {
    Fixture();
    Book(42, 46359, 540, 600, 5, 4);
    Book(43, 46359, 600, 660, 5, 4);
    QVERIFY(TransferCommands::ExportCsv(1, 3, QStringLiteral("Room 1")));
    env->Sql("delete from tblBookings where BookingId = 43");
    QVERIFY(TransferCommands::ExportCsv(1, 3, QStringLiteral("Room 1")));
    QCOMPARE(ReadFile(ExportPath("Room 1")).count('\n'), 2);
    QCOMPARE(QDir(env->Path("Export")).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TstCsv::unwritableFileIsReported_data() {
    QTest::addColumn<QString>("where");
    QTest::newRow("a folder where the file would go") << "folder";
    QTest::newRow("full disk, the earlier file stays") << "full";
}

void TstCsv::unwritableFileIsReported() {
    QFETCH(QString, where);
    Fixture();
    Book(42, 46359, 540, 600, 5, 4);
    SmallDisk disk;
    const QByteArray earlier = kHeader + " 1 ,\"01 Dec 2026\"\r\n";
    QString reason = QStringLiteral("is a folder");
    if (where == QLatin1String("folder")) {
        QDir().mkpath(ExportPath("Room 1"));
    } else {
        REQUIRE_SMALL_DISK(disk);
        // The database stays where it is; the program folder is on the full disk.
        ModMain::SetProgramFolder(disk.Path());
        QVERIFY(QDir().mkpath(disk.Path() + QStringLiteral("/Export")));
        QFile file(ExportPath("Room 1"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
        file.close();
        disk.Fill();
        reason = qt_error_string(ENOSPC);
    }
    QVERIFY(!TransferCommands::ExportCsv(1, 3, QStringLiteral("Room 1")));
    QCOMPARE(env->boxes.size(), 1);
    QCOMPARE(env->boxes[0].kind, ModMain::BoxKind::Warning);
    QCOMPARE(env->boxes[0].text,
             QStringLiteral("Export FAILED!\r\n\r\n") + ExportPath("Room 1") + ": " + reason + ".");
    if (where == QLatin1String("folder"))
        QVERIFY(QFileInfo(ExportPath("Room 1")).isDir());
    else
        QCOMPARE(ReadFile(ExportPath("Room 1")), earlier);
}

QTEST_MAIN(TstCsv)
#include "tst_csv.moc"

// The appointment search: its queries against a real database, the result
// list, the settings it keeps, Goto on the main window's schedule and the
// printed list read back from a PDF file.
#include "TestEnv.h"

#include "app/ClsForms.h"
#include "app/ClsIni.h"
#include "app/ContextIDs.h"
#include "data/ClsDAO.h"
#include "model/ClsDate.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/booking/DlgSearch.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/DlgMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

namespace {
const qint32 kDay = 45631; // Saturday 7 December 2024

// The text of a PDF file, one string per page, blanks squeezed.
QStringList PdfPages(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    QStringList pages;
    for (const QString& page :
         QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f')))
        if (!page.trimmed().isEmpty())
            pages << page.simplified();
    return pages;
}

struct Fixture {
    TestEnv env;
    std::unique_ptr<DlgMain> main;
    QString pdf;
    int printDialogs = 0;

    Fixture() {
        QVERIFY(env.CreateDatabase());
        pdf = env.Path(QStringLiteral("list.pdf"));
        env.onModal = [this](QDialog* dialog) {
            auto* print = qobject_cast<QPrintDialog*>(dialog);
            if (!print)
                return int(QDialog::Rejected);
            ++printDialogs;
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        };
    }
    ~Fixture() {
        main.reset();
        DlgCalendar::Release();
    }

    void Exec(const QString& sql) { env.Sql(sql); }
    void Setting(const QString& section, const QString& key, const QVariant& value) {
        ClsIni ini;
        ini.SetIniFile(env.IniPath());
        ini.WriteValue(section, key, value);
    }
    QString Read(const QString& section, const QString& key) {
        ClsIni ini;
        ini.SetIniFile(env.IniPath());
        return ini.GetValue(section, key, QStringLiteral("none"));
    }
    void Group(int id, const QString& name) {
        Exec(QStringLiteral("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, "
                            "Interval) values (%1, '%2', 0, 1440, 15)")
                 .arg(id)
                 .arg(name));
    }
    void Resource(int id, int group, const QString& name) {
        Exec(QStringLiteral("insert into tblResources (ResourceId, GroupId, ResourceName, "
                            "MinTime, MaxTime, InitTime) values (%1, %2, '%3', 15, 600, 15)")
                 .arg(id)
                 .arg(group)
                 .arg(name));
    }
    void Task(int id, int group, const QString& name) {
        Exec(QStringLiteral("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, "
                            "MaxTime, InitTime) values (%1, %2, '%3', 65280, 15, 600, 30)")
                 .arg(id)
                 .arg(group)
                 .arg(name));
    }
    void Customer(int id, const QString& name, int group) {
        Exec(QStringLiteral("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, "
                            "Ref03) values (%1, '%2', '', '', '')")
                 .arg(id)
                 .arg(name));
        Exec(QStringLiteral("insert into tblCustomerGroups (CustomerId, GroupId) values (%1, %2)")
                 .arg(id)
                 .arg(group));
    }
    void Booking(int id, int resource, int task, int customer, qint32 date, int start, int end) {
        Exec(QStringLiteral("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, "
                            "BookingDate, BookingStart, BookingEnd, RepeatId, Ref01, Ref02, "
                            "Ref03, Comments) values (%1, %2, %3, %4, %5, %6, %7, 0, '', '', '', "
                            "'')")
                 .arg(id)
                 .arg(resource)
                 .arg(task)
                 .arg(customer)
                 .arg(date)
                 .arg(start)
                 .arg(end));
    }

    // Two rooms of a clinic and a second group whose records are never listed.
    void Clinic() {
        Group(1, QStringLiteral("Clinic"));
        Resource(10, 1, QStringLiteral("Room A"));
        Resource(11, 1, QStringLiteral("Room B"));
        Task(20, 1, QStringLiteral("Surgery"));
        Task(21, 1, QStringLiteral("Check-up"));
        Customer(30, QStringLiteral("Zoë O''Neil"), 1);
        Customer(31, QStringLiteral("Smith; John"), 1);
        Customer(32, QStringLiteral("Adam Nobody"), 1);
        Booking(100, 10, 20, 30, kDay + 2, 540, 600);
        Booking(101, 11, 21, 30, kDay, 810, 840);
        Booking(102, 10, 21, 30, kDay, 480, 510);
        Booking(103, 11, 20, 0, kDay + 1, 0, 15);
        Booking(104, 11, 21, 31, kDay + 7, 1425, 1440);
        Group(2, QStringLiteral("Elsewhere"));
        Resource(50, 2, QStringLiteral("Van"));
        Task(51, 2, QStringLiteral("Delivery"));
        Customer(52, QStringLiteral("Aaron Elsewhere"), 2);
        Booking(105, 50, 51, 30, kDay, 600, 660);
    }

    void OpenMain() {
        Setting(QStringLiteral("Config"), QStringLiteral("LastDate"), kDay);
        Setting(QStringLiteral("Group"), QStringLiteral("CbGroup"), 1);
        main = std::make_unique<DlgMain>();
        QVERIFY(main->Started());
    }
};

QStringList Entries(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

// The result rows as "cell|cell|...#BookingId".
QStringList Results(const DlgSearch& search) {
    QStringList rows;
    const QList<QStringList> cells = search.ResultRows();
    for (int r = 0; r < cells.size(); ++r)
        rows << cells[r].join(QLatin1Char('|')) + QLatin1Char('#') +
                    QString::number(search.LbResults()->RowValue(r));
    return rows;
}

void Choose(DlgSearch& search, int kind, const QString& entry) {
    search.BtnSearchBy(kind)->click();
    const int index = search.CbSearch()->findText(entry);
    QVERIFY2(index >= 0, qPrintable(entry));
    search.CbSearch()->setCurrentIndex(index);
    emit search.CbSearch()->activated(index);
}
} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void searchKinds_data();
    void searchKinds();
    void futureOnlyBoundary_data();
    void futureOnlyBoundary();
    void futureOnlyThroughTheWindow();
    void settingsReopenTheLastSearch_data();
    void settingsReopenTheLastSearch();
    void switchingTheKindSearchesAtOnce();
    void timeColumns_data();
    void timeColumns();
    void gotoShowsTheAppointment_data();
    void gotoShowsTheAppointment();
    void printedListReadsAsLaidOut();
    void helpAndCancel();
};

void TestSearch::searchKinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("contact, in date and time order, in every group")
        << 0 << QStringLiteral("Zoë O'Neil")
        << QStringList{
               QStringLiteral("07 Dec 24|Sat|08:00 am|08:30 am|Check-up|Zoë O'Neil|Room A#102"),
               QStringLiteral("07 Dec 24|Sat|10:00 am|11:00 am|Delivery|Zoë O'Neil|Van#105"),
               QStringLiteral("07 Dec 24|Sat|01:30 pm|02:00 pm|Check-up|Zoë O'Neil|Room B#101"),
               QStringLiteral("09 Dec 24|Mon|09:00 am|10:00 am|Surgery|Zoë O'Neil|Room A#100")};
    QTest::newRow("a semicolon stays inside its cell")
        << 0 << QStringLiteral("Smith; John")
        << QStringList{
               QStringLiteral("14 Dec 24|Sat|11:45 pm|12:00 am|Check-up|Smith; John|Room B#104")};
    QTest::newRow("contact without appointments")
        << 0 << QStringLiteral("Adam Nobody") << QStringList{};
    QTest::newRow("appointment type")
        << 1 << QStringLiteral("Surgery")
        << QStringList{
               QStringLiteral("08 Dec 24|Sun|00:00 am|00:15 am|Surgery||Room B#103"),
               QStringLiteral("09 Dec 24|Mon|09:00 am|10:00 am|Surgery|Zoë O'Neil|Room A#100")};
    QTest::newRow("all appointments of a resource, one without contact")
        << 2 << QStringLiteral("Room B")
        << QStringList{
               QStringLiteral("07 Dec 24|Sat|01:30 pm|02:00 pm|Check-up|Zoë O'Neil|Room B#101"),
               QStringLiteral("08 Dec 24|Sun|00:00 am|00:15 am|Surgery||Room B#103"),
               QStringLiteral("14 Dec 24|Sat|11:45 pm|12:00 am|Check-up|Smith; John|Room B#104")};
}

void TestSearch::searchKinds() {
    QFETCH(int, kind);
    QFETCH(QString, entry);
    QFETCH(QStringList, rows);
    Fixture f;
    f.Clinic();
    f.OpenMain();
    DlgSearch search(f.main.get());
    Choose(search, kind, entry);
    QCOMPARE(Results(search), rows);
    // The columns are there even for an empty list.
    QCOMPARE(search.LbResults()->ColumnCount(), 7);
    QCOMPARE(f.Read(QStringLiteral("Search"), QStringLiteral("SearchBy")), QString::number(kind));
}

void TestSearch::futureOnlyBoundary_data() {
    QTest::addColumn<qint32>("date");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("listed");
    // Searched on kDay at 10:00 (600).
    QTest::newRow("started one minute ago") << kDay << 599 << false;
    QTest::newRow("starting now") << kDay << 600 << true;
    QTest::newRow("earlier today") << kDay << 0 << false;
    QTest::newRow("later today") << kDay << 1439 << true;
    QTest::newRow("yesterday, late") << kDay - 1 << 1439 << false;
    QTest::newRow("tomorrow, early") << kDay + 1 << 0 << true;
}

void TestSearch::futureOnlyBoundary() {
    QFETCH(qint32, date);
    QFETCH(int, start);
    QFETCH(bool, listed);
    Fixture f;
    QVERIFY(f.env.Start());
    f.Booking(7, 10, 20, 30, date, start, start + 15);
    for (int kind : {DlgSearch::ByContact, DlgSearch::ByAppointmentType, DlgSearch::ByResource}) {
        const qint32 id = kind == DlgSearch::ByContact    ? 30
                          : kind == DlgSearch::ByResource ? 10
                                                          : 20;
        Recordset rs = ModMain::DAO().SqlQuery(DlgSearch::SearchSql(kind, id, true, kDay, 600));
        QVERIFY(rs.IsOpen());
        QCOMPARE(!rs.Eof(), listed);
        Recordset all = ModMain::DAO().SqlQuery(DlgSearch::SearchSql(kind, id, false, kDay, 600));
        QCOMPARE(all.RecordCount(), 1);
    }
}

void TestSearch::futureOnlyThroughTheWindow() {
    Fixture f;
    f.Group(1, QStringLiteral("Clinic"));
    f.Resource(10, 1, QStringLiteral("Room A"));
    f.Task(20, 1, QStringLiteral("Surgery"));
    const QDateTime now = QDateTime::currentDateTime();
    const qint32 today = ClsDate::DateToLong(now.date());
    const int minute = now.time().hour() * 60 + now.time().minute();
    f.Booking(1, 10, 20, 0, today - 1, 1400, 1420);
    f.Booking(2, 10, 20, 0, today + 1, 0, 15);
    // Today's bookings a few minutes either side of now, where the day has room.
    const bool room = minute >= 10 && minute <= 1420;
    if (room) {
        f.Booking(3, 10, 20, 0, today, minute - 5, minute - 4);
        f.Booking(4, 10, 20, 0, today, minute + 5, minute + 6);
    }
    f.Setting(QStringLiteral("Search"), QStringLiteral("SearchBy"), 2);
    f.OpenMain();
    DlgSearch search(f.main.get());
    auto ids = [&] {
        QList<qint32> values;
        for (int r = 0; r < search.LbResults()->RowCount(); ++r)
            values << search.LbResults()->RowValue(r);
        return values;
    };
    QCOMPARE(ids(), room ? (QList<qint32>{1, 3, 4, 2}) : (QList<qint32>{1, 2}));
    search.ChkSelection()->click();
    QCOMPARE(f.Read(QStringLiteral("Search"), QStringLiteral("Selection")), QStringLiteral("1"));
    QCOMPARE(ids(), room ? (QList<qint32>{4, 2}) : (QList<qint32>{2}));
    search.ChkSelection()->click();
    QCOMPARE(f.Read(QStringLiteral("Search"), QStringLiteral("Selection")), QStringLiteral("0"));
    QCOMPARE(ids().size(), room ? 4 : 2);
}

void TestSearch::settingsReopenTheLastSearch_data() {
    QTest::addColumn<QVariant>("searchBy");
    QTest::addColumn<QVariant>("selection");
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("results");
    const QStringList contacts = {QStringLiteral("Adam Nobody"), QStringLiteral("Smith; John"),
                                  QStringLiteral("Zoë O'Neil")};
    const QStringList types = {QStringLiteral("Check-up"), QStringLiteral("Surgery")};
    const QStringList rooms = {QStringLiteral("Room A"), QStringLiteral("Room B")};
    // The first entry is preselected and searched for at once.
    QTest::newRow("first time") << QVariant() << QVariant() << 0 << contacts << 0;
    QTest::newRow("appointment types") << QVariant(1) << QVariant(0) << 1 << types << 3;
    QTest::newRow("resources, future only") << QVariant(2) << QVariant(1) << 2 << rooms << 0;
    QTest::newRow("resources, all") << QVariant(2) << QVariant(0) << 2 << rooms << 2;
    QTest::newRow("unknown kind falls back to contacts")
        << QVariant(7) << QVariant(0) << 0 << contacts << 0;
}

void TestSearch::settingsReopenTheLastSearch() {
    QFETCH(QVariant, searchBy);
    QFETCH(QVariant, selection);
    QFETCH(int, button);
    QFETCH(QStringList, entries);
    QFETCH(int, results);
    Fixture f;
    f.Clinic();
    if (searchBy.isValid())
        f.Setting(QStringLiteral("Search"), QStringLiteral("SearchBy"), searchBy);
    if (selection.isValid())
        f.Setting(QStringLiteral("Search"), QStringLiteral("Selection"), selection);
    f.OpenMain();
    DlgSearch search(f.main.get());
    QVERIFY(!search.Loading());
    QVERIFY(search.BtnSearchBy(button)->isChecked());
    QCOMPARE(search.ChkSelection()->isChecked(), selection.toInt() == 1);
    QCOMPARE(Entries(search.CbSearch()), entries);
    QCOMPARE(search.CbSearch()->currentIndex(), 0);
    // Every booking lies in 2024: "future only" lists none of them.
    QCOMPARE(search.LbResults()->RowCount(), results);
    QCOMPARE(f.Read(QStringLiteral("Search"), QStringLiteral("SearchBy")), QString::number(button));
}

void TestSearch::switchingTheKindSearchesAtOnce() {
    Fixture f;
    f.Clinic();
    f.OpenMain();
    DlgSearch search(f.main.get());
    Choose(search, 0, QStringLiteral("Zoë O'Neil"));
    QCOMPARE(search.LbResults()->RowCount(), 4);
    search.BtnSearchBy(1)->click();
    QCOMPARE(f.Read(QStringLiteral("Search"), QStringLiteral("SearchBy")), QStringLiteral("1"));
    QCOMPARE(Entries(search.CbSearch()),
             (QStringList{QStringLiteral("Check-up"), QStringLiteral("Surgery")}));
    QCOMPARE(search.LbResults()->RowCount(), 3); // the Check-up bookings
    QCOMPARE(search.ResultRows().first().value(4), QStringLiteral("Check-up"));
    // A group without contacts: the list empties instead of keeping the
    // appointment types' results.
    f.Exec(QStringLiteral("delete from tblCustomerGroups where GroupId = 1"));
    search.BtnSearchBy(0)->click();
    QCOMPARE(search.CbSearch()->count(), 0);
    QCOMPARE(search.LbResults()->RowCount(), 0);
    QCOMPARE(search.LbResults()->ColumnCount(), 7);
}

void TestSearch::timeColumns_data() {
    QTest::addColumn<int>("military");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("12-hour") << 0 << 60 << "01:30 pm"
                             << "02:00 pm";
    QTest::newRow("24-hour") << 1 << 40 << "13:30"
                             << "14:00";
}

void TestSearch::timeColumns() {
    QFETCH(int, military);
    QFETCH(int, width);
    QFETCH(QString, from);
    QFETCH(QString, to);
    Fixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), military);
    f.OpenMain();
    DlgSearch search(f.main.get());
    // Created at their widths (an empty list keeps them)...
    Choose(search, 0, QStringLiteral("Adam Nobody"));
    QTreeWidget* tree = search.LbResults()->Tree();
    QCOMPARE(tree->columnWidth(0), 60);
    QCOMPARE(tree->columnWidth(2), width);
    QCOMPARE(tree->columnWidth(3), width);
    // ...and widened to show every date and time in full.
    Choose(search, 2, QStringLiteral("Room B"));
    QCOMPARE(search.ResultRows().first().value(2), from);
    QCOMPARE(search.ResultRows().first().value(3), to);
    const QFontMetrics metrics(tree->font());
    for (int column = 0; column < 4; ++column) {
        QVERIFY(tree->columnWidth(column) >= (column == 1 ? 40 : column == 0 ? 60 : width));
        for (int row = 0; row < search.LbResults()->RowCount(); ++row)
            QVERIFY(tree->columnWidth(column) >
                    metrics.horizontalAdvance(search.LbResults()->CellText(row, column)));
    }
}

void TestSearch::gotoShowsTheAppointment_data() {
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("Goto button") << false;
    QTest::newRow("double-click") << true;
}

void TestSearch::gotoShowsTheAppointment() {
    QFETCH(bool, doubleClick);
    Fixture f;
    f.Clinic();
    f.OpenMain();
    DlgSearch search(f.main.get());
    Choose(search, 0, QStringLiteral("Zoë O'Neil"));
    // Nothing chosen yet: a warning, and the window stays.
    search.BtnSearch(0)->click();
    QCOMPARE(f.env.boxes.size(), 1);
    QCOMPARE(f.env.boxes.first().text, QStringLiteral("Please select appointment first!"));
    QCOMPARE(search.result(), int(QDialog::Rejected));

    const int row = 3; // 9 December, Room A, booking 100
    QCOMPARE(search.LbResults()->RowValue(row), 100);
    search.LbResults()->SetSelectedRow(row);
    if (doubleClick) {
        QTreeWidget* tree = search.LbResults()->Tree();
        emit tree->itemDoubleClicked(tree->topLevelItem(row), 0);
    } else {
        search.BtnSearch(0)->click();
    }
    QCOMPARE(search.result(), int(QDialog::Accepted));
    QCOMPARE(f.main->CurrentDate(), kDay + 2);
    const int current = f.main->Sched()->CurrentRow();
    QVERIFY(current > 0);
    QCOMPARE(f.main->Sched()->RowData(current), 10);
    QCOMPARE(f.env.boxes.size(), 1);
}

void TestSearch::printedListReadsAsLaidOut() {
    Fixture f;
    f.Clinic();
    // Enough bookings for three pages, with names too long for their cells.
    f.Resource(12, 1, QString(300, QLatin1Char('R')));
    for (int i = 0; i < 140; ++i)
        f.Booking(1000 + i, 12, 20, 30, kDay + 10 + i / 20, (i % 20) * 60, (i % 20) * 60 + 30);
    f.OpenMain();
    DlgSearch search(f.main.get());
    Choose(search, 0, QStringLiteral("Zoë O'Neil"));
    const int rows = search.LbResults()->RowCount();
    QCOMPARE(rows, 144);
    search.BtnSearch(1)->click();
    QCOMPARE(f.printDialogs, 1);
    // The window is usable again after printing.
    QVERIFY(search.BtnSearch(1)->isEnabled() && search.ChkSelection()->isEnabled());
    const QStringList pages = PdfPages(f.pdf);
    QVERIFY(pages.size() >= 3);
    int dates = 0;
    for (int i = 0; i < pages.size(); ++i) {
        const QString& page = pages[i];
        QVERIFY2(page.contains(QStringLiteral("Date Day From To Type Contact Resource")),
                 qPrintable(page));
        QVERIFY(page.contains(QStringLiteral("Page: %1").arg(i + 1)));
        QVERIFY(page.contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size())));
        QVERIFY(page.contains(QStringLiteral("Appointment Search")));
        dates +=
            int(page.count(QRegularExpression(QStringLiteral("\\d\\d \\w\\w\\w 2\\d \\w\\w\\w "))));
    }
    QCOMPARE(dates, rows);
    QVERIFY(pages.first().contains(
        QStringLiteral("07 Dec 24 Sat 08:00 am 08:30 am Check-up Zoë O'Neil Room A")));
    // The long resource name is cut short inside its cell.
    QVERIFY(pages[1].contains(QStringLiteral("RRRR…")));
    QVERIFY(!pages[1].contains(QString(300, QLatin1Char('R'))));
}

void TestSearch::helpAndCancel() {
    Fixture f;
    f.Clinic();
    f.OpenMain();
    DlgSearch search(f.main.get());
    QList<int> shown;
    ContextIDs::SetHelpViewer([&](int context) { shown << context; }, {});
    search.BtnSearch(2)->click();
    ContextIDs::SetHelpViewer({}, {});
    QCOMPARE(shown, QList<int>{ContextIDs::HelpSearch});
    search.setResult(-1);
    search.BtnSearch(3)->click();
    QCOMPARE(search.result(), int(QDialog::Rejected));
    QCOMPARE(f.printDialogs, 0);
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"

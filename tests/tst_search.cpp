// The appointment search against a real database: its queries, the settings
// it keeps, and its buttons (Goto, Print read back from a PDF, Help, Cancel).
#include "MainFixture.h"

#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/ClsDate.h"
#include "ui/booking/DlgSearch.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/ScheduleView.h"
#include "ui/help/ContextIDs.h"
#include "ui/main/DlgMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

namespace {
const qint32 kDay = 45631; // Saturday 7 December 2024

// Two rooms of a clinic and a second group whose records are never listed;
// every booking lies in the past. The main window opens on the clinic.
void OpenClinic(MainFixture& f) {
    f.Group(1, QStringLiteral("Clinic"), 0, 1440);
    f.Resource(10, 1, QStringLiteral("Room A"));
    f.Resource(11, 1, QStringLiteral("Room B"));
    f.Task(20, 1, QStringLiteral("Surgery"), 0x00FF00);
    f.Task(21, 1, QStringLiteral("Check-up"), 0x00FF00);
    f.Customer(30, QStringLiteral("Zoë O''Neil"), 1);
    f.Customer(31, QStringLiteral("Smith; John"), 1);
    f.Customer(32, QStringLiteral("Adam Nobody"), 1);
    f.Booking(100, 10, 20, 30, kDay + 2, 540, 600);
    f.Booking(101, 11, 21, 30, kDay, 810, 840);
    f.Booking(102, 10, 21, 30, kDay, 480, 510);
    f.Booking(103, 11, 20, 0, kDay + 1, 0, 15);
    f.Booking(104, 11, 21, 31, kDay + 7, 1425, 1440);
    f.Group(2, QStringLiteral("Elsewhere"));
    f.Resource(50, 2, QStringLiteral("Van"));
    f.Task(51, 2, QStringLiteral("Delivery"), 0x00FF00);
    f.Customer(52, QStringLiteral("Aaron Elsewhere"), 2);
    f.Booking(105, 50, 51, 30, kDay, 600, 660);
    f.Open();
}

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
        rows << cells[r].join('|') + '#' + QString::number(search.LbResults()->RowValue(r));
    return rows;
}

void Choose(DlgSearch& search, int kind, const QString& entry) {
    search.BtnSearchBy(kind)->click();
    search.CbSearch()->setCurrentText(entry);
    emit search.CbSearch()->activated(search.CbSearch()->currentIndex());
}
} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void searchKinds_data();
    void searchKinds();
    void futureOnlyBoundary();
    void futureOnlyThroughTheWindow();
    void settingsReopenTheLastSearch_data();
    void settingsReopenTheLastSearch();
    void switchingTheKindSearchesAtOnce();
    void gotoPrintHelpAndCancel();
};

void TestSearch::searchKinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("military");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("contact, in date and time order, in every group")
        << 0 << "Zoë O'Neil" << 0
        << QStringList{"07 Dec 24|Sat|08:00 am|08:30 am|Check-up|Zoë O'Neil|Room A#102",
                       "07 Dec 24|Sat|10:00 am|11:00 am|Delivery|Zoë O'Neil|Van#105",
                       "07 Dec 24|Sat|01:30 pm|02:00 pm|Check-up|Zoë O'Neil|Room B#101",
                       "09 Dec 24|Mon|09:00 am|10:00 am|Surgery|Zoë O'Neil|Room A#100"};
    QTest::newRow("a semicolon stays inside its cell")
        << 0 << "Smith; John" << 0
        << QStringList{"14 Dec 24|Sat|11:45 pm|12:00 am|Check-up|Smith; John|Room B#104"};
    QTest::newRow("appointment type")
        << 1 << "Surgery" << 0
        << QStringList{"08 Dec 24|Sun|00:00 am|00:15 am|Surgery||Room B#103",
                       "09 Dec 24|Mon|09:00 am|10:00 am|Surgery|Zoë O'Neil|Room A#100"};
    QTest::newRow("a resource, one without contact, 24-hour times")
        << 2 << "Room B" << 1
        << QStringList{"07 Dec 24|Sat|13:30|14:00|Check-up|Zoë O'Neil|Room B#101",
                       "08 Dec 24|Sun|00:00|00:15|Surgery||Room B#103",
                       "14 Dec 24|Sat|23:45|24:00|Check-up|Smith; John|Room B#104"};
}

void TestSearch::searchKinds() {
    QFETCH(int, kind);
    QFETCH(QString, entry);
    QFETCH(int, military);
    QFETCH(QStringList, rows);
    MainFixture f;
    f.Setting(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), military);
    OpenClinic(f);
    DlgSearch search(f.main.get());
    Choose(search, kind, entry);
    QCOMPARE(Results(search), rows);
}

void TestSearch::futureOnlyBoundary() {
    // Searched on kDay at 10:00 for future bookings only; the same condition
    // is added whatever the search is by.
    MainFixture f;
    QVERIFY(f.env.Start());
    const struct { qint32 date; int start; bool listed; } bookings[] = {
        {kDay, 599, false}, // started one minute ago
        {kDay, 600, true}, // starting now
        {kDay - 1, 1439, false}, // yesterday, late
        {kDay + 1, 0, true}}; // tomorrow, early
    for (const auto& b : bookings) {
        f.Exec(QStringLiteral("delete from tblBookings"));
        f.Booking(7, 10, 20, 30, b.date, b.start, b.start + 15);
        Recordset rs = Database::DAO().SqlQuery(
            DlgSearch::SearchSql(DlgSearch::ByResource, 10, true, kDay, 600));
        QVERIFY(rs.IsOpen());
        QCOMPARE(!rs.Eof(), b.listed);
    }
}

void TestSearch::futureOnlyThroughTheWindow() {
    MainFixture f;
    f.Setting(QStringLiteral("Search"), QStringLiteral("SearchBy"), 2); // Room A first
    OpenClinic(f);
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
    DlgSearch search(f.main.get());
    const auto ids = [&] {
        QStringList listed;
        for (const QString& result : Results(search))
            listed << result.section('#', 1);
        return listed.join(' ');
    };
    QCOMPARE(ids(), room ? "102 100 1 3 4 2" : "102 100 1 2");
    search.ChkSelection()->click();
    QCOMPARE(f.IniValue("Search", "Selection"), QStringLiteral("1"));
    QCOMPARE(ids(), room ? "4 2" : "2");
}

void TestSearch::settingsReopenTheLastSearch_data() {
    QTest::addColumn<QVariant>("searchBy");
    QTest::addColumn<QVariant>("selection");
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("results");
    const QStringList contacts = {"Adam Nobody", "Smith; John", "Zoë O'Neil"};
    // The first entry is preselected and searched for at once.
    QTest::newRow("first time") << QVariant() << QVariant() << 0 << contacts << 0;
    QTest::newRow("appointment types")
        << QVariant(1) << QVariant(0) << 1 << QStringList{"Check-up", "Surgery"} << 3;
    QTest::newRow("resources, future only")
        << QVariant(2) << QVariant(1) << 2 << QStringList{"Room A", "Room B"} << 0;
    QTest::newRow("unknown kind falls back to contacts")
        << QVariant(7) << QVariant(0) << 0 << contacts << 0;
}

void TestSearch::settingsReopenTheLastSearch() {
    QFETCH(QVariant, searchBy);
    QFETCH(QVariant, selection);
    QFETCH(int, button);
    QFETCH(QStringList, entries);
    QFETCH(int, results);
    MainFixture f;
    if (searchBy.isValid())
        f.Setting(QStringLiteral("Search"), QStringLiteral("SearchBy"), searchBy);
    if (selection.isValid())
        f.Setting(QStringLiteral("Search"), QStringLiteral("Selection"), selection);
    OpenClinic(f);
    DlgSearch search(f.main.get());
    QVERIFY(search.BtnSearchBy(button)->isChecked());
    QCOMPARE(search.ChkSelection()->isChecked(), selection.toInt() == 1);
    QCOMPARE(Entries(search.CbSearch()), entries);
    QCOMPARE(search.CbSearch()->currentIndex(), 0);
    // Every booking lies in 2024: "future only" lists none of them.
    QCOMPARE(search.LbResults()->RowCount(), results);
    QCOMPARE(f.IniValue("Search", "SearchBy"), QString::number(button));
}

void TestSearch::switchingTheKindSearchesAtOnce() {
    MainFixture f;
    OpenClinic(f);
    DlgSearch search(f.main.get());
    Choose(search, 0, QStringLiteral("Zoë O'Neil"));
    QCOMPARE(search.LbResults()->RowCount(), 4);
    // Typing finds the contact by the start of the name, else by any part,
    // and searches at once.
    const struct { const char* keys; const char* contact; const char* count; } typed[] = {
        {"smi", "Smith; John", "1 appointment found."},
        {"x", "Smith; John", "No contact found for \"smix\"."},
        {"", "Zoë O'Neil", "4 appointments found."}, // "neil", typed afresh below
    };
    for (const auto& t : typed) {
        if (!*t.keys) {
            search.TxtFind()->clear();
            QTest::keyClicks(search.TxtFind(), QStringLiteral("NEIL"));
        }
        QTest::keyClicks(search.TxtFind(), QString::fromUtf8(t.keys));
        QCOMPARE(search.CbSearch()->currentText() + '|' + search.LblCount()->text(),
                 QString::fromUtf8(t.contact) + '|' + QString::fromUtf8(t.count));
    }
    QCOMPARE(search.LbResults()->RowCount(), 4);
    search.BtnSearchBy(1)->click();
    QCOMPARE(f.IniValue("Search", "SearchBy"), QStringLiteral("1"));
    QCOMPARE(Entries(search.CbSearch()), (QStringList{"Check-up", "Surgery"}));
    QCOMPARE(search.LbResults()->RowCount(), 3); // the Check-up bookings, not the two surgeries
    // A group without contacts: the list empties instead of keeping the
    // appointment types' results.
    f.Exec(QStringLiteral("delete from tblCustomerGroups where GroupId = 1"));
    search.BtnSearchBy(0)->click();
    QCOMPARE(search.CbSearch()->count(), 0);
    QCOMPARE(search.LbResults()->RowCount(), 0);
}

void TestSearch::gotoPrintHelpAndCancel() {
    MainFixture f;
    OpenClinic(f);
    DlgSearch search(f.main.get());
    Choose(search, 0, QStringLiteral("Zoë O'Neil"));
    // Goto with nothing chosen: a warning, and the window stays.
    search.BtnSearch(0)->click();
    QCOMPARE(f.env.boxes.value(0).text, QStringLiteral("Please select appointment first!"));
    QCOMPARE(search.result(), int(QDialog::Rejected));
    // Goto and a double-click show the chosen booking on the main window's
    // schedule, in its own group: the Van's booking in "Elsewhere", then
    // Room A's back in the clinic.
    struct Shown { qint32 booking, group, date, resource; };
    const QList<Shown> targets{{105, 2, kDay, 50}, {100, 1, kDay + 2, 10}};
    for (const bool doubleClick : {false, true}) {
        for (const Shown& want : targets) {
            f.main->SetCurrentDate(kDay + 5);
            f.main->Sched()->SetCurrentRow(-1);
            search.setResult(-1);
            int row = 0;
            while (search.LbResults()->RowValue(row) != want.booking)
                ++row;
            search.LbResults()->SetSelectedRow(row);
            QTreeWidget* tree = search.LbResults()->Tree();
            if (doubleClick)
                emit tree->itemDoubleClicked(tree->topLevelItem(row), 0);
            else
                search.BtnSearch(0)->click();
            QCOMPARE(search.result(), int(QDialog::Accepted));
            QCOMPARE(QList<qint32>({f.main->SelectedGroupId(), f.main->CurrentDate(),
                                    f.main->Sched()->RowData(f.main->Sched()->CurrentRow())}),
                     QList<qint32>({want.group, want.date, want.resource}));
        }
    }

    // Print, through the platform's print dialog, answered with a PDF file.
    const QString pdf = f.env.Path(QStringLiteral("list.pdf"));
    f.env.onModal = [&](QDialog* dialog) { return int(TestEnv::PrintToPdf(dialog, pdf)); };
    search.BtnSearch(1)->click();
    // The window is usable again after printing.
    QVERIFY(search.BtnSearch(1)->isEnabled() && search.ChkSelection()->isEnabled());
    QString text = TestEnv::PdfText(pdf);
    QCOMPARE(int(text.count(QChar('\f'))), 1); // one page
    text = text.simplified();
    for (const char* line :
         {"Appointment Search", "Date Day From To Type Contact Resource",
          "07 Dec 24 Sat 08:00 am 08:30 am Check-up Zoë O'Neil Room A",
          "09 Dec 24 Mon 09:00 am 10:00 am Surgery Zoë O'Neil Room A", "Page 1 of 1"})
        QVERIFY2(text.contains(QString::fromUtf8(line)), qPrintable(text));
    QCOMPARE(int(text.count(QRegularExpression(QStringLiteral("\\d\\d Dec 24 \\w\\w\\w ")))), 4);

    // Help and F1 open the search topic; Cancel closes the window.
    QList<int> shown;
    ContextIDs::SetHelpViewer([&](int context) { shown << context; }, {});
    search.BtnSearch(2)->click();
    search.show();
    QVERIFY(QTest::qWaitForWindowActive(&search));
    QTest::keyClick(&search, Qt::Key_F1);
    ContextIDs::SetHelpViewer({}, {});
    QCOMPARE(shown, (QList<int>{ContextIDs::HelpSearch, ContextIDs::HelpSearch}));
    search.setResult(-1);
    search.BtnSearch(3)->click();
    QCOMPARE(search.result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"

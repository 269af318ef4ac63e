// The appointment search: its queries against a real database, the result
// list, the settings it keeps, Goto on the main window's schedule and the
// printed list read back from a PDF file.
#include "MainFixture.h"

#include "app/ClsIni.h"
#include "app/ContextIDs.h"
#include "data/ClsDAO.h"
#include "model/ClsDate.h"
#include "ui/booking/DlgSearch.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/DlgMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QtTest>

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

// The main window's fixture on 7 December 2024 (every booking lies in the
// past), with the print dialog answered by a PDF file.
struct Fixture : MainFixture {
    QString pdf = env.Path(QStringLiteral("list.pdf"));
    int printDialogs = 0;

    Fixture() {
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
    QString Read(const QString& section, const QString& key) {
        ClsIni ini;
        ini.SetIniFile(env.IniPath());
        return ini.GetValue(section, key, QStringLiteral("none"));
    }
    // Two rooms of a clinic and a second group whose records are never listed.
    void Clinic() {
        Group(1, QStringLiteral("Clinic"), 0, 1440);
        Resource(10, 1, QStringLiteral("Room A"));
        Resource(11, 1, QStringLiteral("Room B"));
        Task(20, 1, QStringLiteral("Surgery"), 0x00FF00);
        Task(21, 1, QStringLiteral("Check-up"), 0x00FF00);
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
        Task(51, 2, QStringLiteral("Delivery"), 0x00FF00);
        Customer(52, QStringLiteral("Aaron Elsewhere"), 2);
        Booking(105, 50, 51, 30, kDay, 600, 660);
    }
    void OpenMain() {
        Setting(QStringLiteral("Group"), QStringLiteral("CbGroup"), 1);
        Open();
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
    void gotoShowsTheAppointment_data();
    void gotoShowsTheAppointment();
    void printedListReadsAsLaidOut();
    void helpAndCancel();
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
    QTest::newRow("contact without appointments") << 0 << "Adam Nobody" << 0 << QStringList{};
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
    Fixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), military);
    f.OpenMain();
    DlgSearch search(f.main.get());
    Choose(search, kind, entry);
    QCOMPARE(Results(search), rows);
    // The columns are there even for an empty list, and wide enough for
    // every date and time in full.
    QCOMPARE(search.LbResults()->ColumnCount(), 7);
    QCOMPARE(f.Read(QStringLiteral("Search"), QStringLiteral("SearchBy")), QString::number(kind));
    QTreeWidget* tree = search.LbResults()->Tree();
    const QFontMetrics metrics(tree->font());
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < search.LbResults()->RowCount(); ++row)
            QVERIFY(tree->columnWidth(column) >
                    metrics.horizontalAdvance(search.LbResults()->CellText(row, column)));
}

void TestSearch::futureOnlyBoundary_data() {
    QTest::addColumn<qint32>("date");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("listed");
    // Searched on kDay at 10:00 (600).
    QTest::newRow("started one minute ago") << kDay << 599 << false;
    QTest::newRow("starting now") << kDay << 600 << true;
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
    // The same condition is added whatever the search is by.
    for (const bool futureOnly : {true, false}) {
        Recordset rs = ModMain::DAO().SqlQuery(
            DlgSearch::SearchSql(DlgSearch::ByResource, 10, futureOnly, kDay, 600));
        QVERIFY(rs.IsOpen());
        QCOMPARE(!rs.Eof(), listed || !futureOnly);
    }
}

void TestSearch::futureOnlyThroughTheWindow() {
    Fixture f;
    f.Group(1, QStringLiteral("Clinic"));
    f.Resource(10, 1, QStringLiteral("Room A"));
    f.Task(20, 1, QStringLiteral("Surgery"), 0x00FF00);
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
    const QStringList contacts = {"Adam Nobody", "Smith; John", "Zoë O'Neil"};
    const QStringList types = {"Check-up", "Surgery"};
    const QStringList rooms = {"Room A", "Room B"};
    // The first entry is preselected and searched for at once.
    QTest::newRow("first time") << QVariant() << QVariant() << 0 << contacts << 0;
    QTest::newRow("appointment types") << QVariant(1) << QVariant(0) << 1 << types << 3;
    QTest::newRow("resources, future only") << QVariant(2) << QVariant(1) << 2 << rooms << 0;
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
    f.OpenMain();
    DlgSearch search(f.main.get());
    Choose(search, 0, QStringLiteral("Zoë O'Neil"));
    search.BtnSearch(1)->click();
    QCOMPARE(f.printDialogs, 1);
    // The window is usable again after printing.
    QVERIFY(search.BtnSearch(1)->isEnabled() && search.ChkSelection()->isEnabled());
    const QStringList pages = PdfPages(f.pdf);
    QCOMPARE(pages.size(), 1);
    for (const QString& text :
         {QStringLiteral("Appointment Search"), QStringLiteral("Date Day From To Type Contact Resource"),
          QStringLiteral("07 Dec 24 Sat 08:00 am 08:30 am Check-up Zoë O'Neil Room A"),
          QStringLiteral("09 Dec 24 Mon 09:00 am 10:00 am Surgery Zoë O'Neil Room A"),
          QStringLiteral("Page 1 of 1")})
        QVERIFY2(pages[0].contains(text), qPrintable(pages[0]));
    QCOMPARE(int(pages[0].count(QRegularExpression(QStringLiteral("\\d\\d Dec 24 \\w\\w\\w ")))), 4);
}

void TestSearch::helpAndCancel() {
    Fixture f;
    f.Clinic();
    f.OpenMain();
    DlgSearch search(f.main.get());
    QList<int> shown;
    ContextIDs::SetHelpViewer([&](int context) { shown << context; }, {});
    search.BtnSearch(2)->click();
    // F1 in the window opens the same topic.
    search.show();
    QVERIFY(QTest::qWaitForWindowActive(&search));
    QTest::keyClick(&search, Qt::Key_F1);
    ContextIDs::SetHelpViewer({}, {});
    QCOMPARE(shown, (QList<int>{ContextIDs::HelpSearch, ContextIDs::HelpSearch}));
    search.setResult(-1);
    search.BtnSearch(3)->click();
    QCOMPARE(search.result(), int(QDialog::Rejected));
    QCOMPARE(f.printDialogs, 0);
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"

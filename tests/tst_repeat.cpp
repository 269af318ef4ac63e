// Repeat appointments: the eight date patterns as tables over month ends,
// leap years and fifth weekdays, and the repeat window against a database
// (taken dates, ticks, saving a series, dates taken in the meantime).
#include "TestEnv.h"

#include "app/ClsIni.h"
#include "app/ColourUtil.h"
#include "model/ClsDate.h"
#include "model/RepeatPattern.h"
#include "ui/booking/DlgRepeat.h"
#include "ui/controls/ItemList.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
qint32 Day(int y, int m, int d) { return ClsDate::DateToLong(QDate(y, m, d)); }
QString Iso(qint32 day) { return ClsDate::LongToDate(day).toString(Qt::ISODate); }

const qint32 kSat5Dec2026 = 46359;
} // namespace

class TestRepeat : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void nextDates_data();
    void nextDates();
    void sameWeekdayKeepsOrdinalOrLast();

    void listsFiftyDatesAndMarksTakenOnes();
    void saveBooksTickedDatesAsOneSeries();
    void saveWarnsForDateTakenMeanwhile();
    void patternChoiceIsRememberedAndRebuilds();

private:
    struct Setup;
};

// ---------------------------------------------------------------------------
// Date patterns

void TestRepeat::nextDates_data() {
    QTest::addColumn<qint32>("start");
    QTest::addColumn<int>("pattern");
    QTest::addColumn<QStringList>("expected");

    // One row per pattern; the month patterns are checked for every day below.
    QTest::newRow("weekly from Monday 1 March")
        << Day(2027, 3, 1) << 0 << QStringList{"2027-03-08", "2027-03-15", "2027-03-22"};
    QTest::newRow("two weeks over the year end")
        << Day(2026, 12, 24) << 1 << QStringList{"2027-01-07", "2027-01-21", "2027-02-04"};
    QTest::newRow("three weeks")
        << Day(2026, 12, 5) << 2 << QStringList{"2026-12-26", "2027-01-16", "2027-02-06"};
    QTest::newRow("four weeks over 29 February")
        << Day(2028, 2, 10) << 3 << QStringList{"2028-03-09", "2028-04-06", "2028-05-04"};
    QTest::newRow("day 31 cut to February, then kept")
        << Day(2027, 1, 31) << 4 << QStringList{"2027-02-28", "2027-03-28", "2027-04-28"};
    QTest::newRow("fifth Friday, next month ends on Friday")
        << Day(2025, 1, 31) << 5 << QStringList{"2025-02-28", "2025-03-28", "2025-04-25"};
    QTest::newRow("weekdays from Friday")
        << Day(2027, 1, 29) << 6 << QStringList{"2027-02-01", "2027-02-02", "2027-02-03"};
    QTest::newRow("weekdays from Saturday")
        << Day(2026, 12, 5) << 6 << QStringList{"2026-12-07", "2026-12-08", "2026-12-09"};
    QTest::newRow("every day over a month end")
        << Day(2028, 2, 28) << 7 << QStringList{"2028-02-29", "2028-03-01", "2028-03-02"};
    QTest::newRow("unknown pattern stays")
        << Day(2026, 12, 5) << 8 << QStringList{"2026-12-05", "2026-12-05", "2026-12-05"};
}

void TestRepeat::nextDates() {
    QFETCH(qint32, start);
    QFETCH(int, pattern);
    QFETCH(QStringList, expected);
    QStringList got;
    qint32 d = start;
    for (int i = 0; i < expected.size(); ++i) {
        d = RepeatPattern::SetNextDate(d, pattern);
        got << Iso(d);
    }
    QCOMPARE(got, expected);
}

void TestRepeat::sameWeekdayKeepsOrdinalOrLast() {
    // Every day from 1900 (no leap year) to 2030. The same day of the month
    // is followed by that day of the next month, or its last day when shorter.
    // The first to fifth weekday of a month is followed by the same weekday of
    // the same rank in the next month, or by its last one when it has fewer.
    for (QDate date(1900, 1, 1); date <= QDate(2030, 12, 31); date = date.addDays(1)) {
        const qint32 day = ClsDate::DateToLong(date);
        const QDate first = date.addMonths(1).addDays(1 - date.addMonths(1).day());
        const QDate sameDay(first.year(), first.month(), qMin(date.day(), first.daysInMonth()));
        QDate weekday = first.addDays((date.dayOfWeek() - first.dayOfWeek() + 7) % 7 +
                                      7 * ((date.day() - 1) / 7));
        if (weekday.month() != first.month())
            weekday = weekday.addDays(-7);
        const QString got =
            ClsDate::LongToDate(RepeatPattern::SetNextDate(day, RepeatPattern::SameDayOfMonth))
                .toString(Qt::ISODate) + ' ' +
            ClsDate::LongToDate(RepeatPattern::SetNextDate(day, RepeatPattern::SameWeekdayOfMonth))
                .toString(Qt::ISODate);
        const QString expected =
            sameDay.toString(Qt::ISODate) + ' ' + weekday.toString(Qt::ISODate);
        if (got != expected)
            QCOMPARE(got + QStringLiteral(" from ") + date.toString(Qt::ISODate),
                     expected + QStringLiteral(" from ") + date.toString(Qt::ISODate));
    }
}

// ---------------------------------------------------------------------------
// The repeat window

// A group with two rooms, an appointment type and a contact; the window is
// loaded for 10:00 to 11:00 on Saturday 5 December 2026 in Room A.
struct TestRepeat::Setup {
    TestEnv env;
    std::unique_ptr<DlgRepeat> dlg;

    Setup() {
        if (!env.Start())
            qFatal("no database");
        env.Sql("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
                "(1, 'Clinic', 480, 1080, 30)");
        env.Sql("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
                "InitTime) values (10, 1, 'Room A', 30, 600, 30), (11, 1, 'Room B', 30, 600, 30)");
        env.Sql("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, "
                "InitTime) values (20, 1, 'Check-up', 49152, 30, 600, 60)");
        env.Sql("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) values "
                "(30, 'Zoë', '', '', '')");
    }
    void Book(int resource, qint32 date, int start, int end) {
        env.Sql(QStringLiteral("insert into tblBookings (ResourceId, TaskId, CustomerId, "
                               "BookingDate, BookingStart, BookingEnd, RepeatId, Ref01, Ref02, "
                               "Ref03, Comments) values (%1, 20, 0, %2, %3, %4, 0, '', '', '', '')")
                    .arg(resource).arg(date).arg(start).arg(end));
    }
    void Load(int pattern = 0) {
        ModMain::Ini().WriteValue(QStringLiteral("Repeat"), QStringLiteral("Type"), pattern);
        dlg = std::make_unique<DlgRepeat>();
        dlg->SetApptDate(kSat5Dec2026);
        dlg->SetGroupId(1);
        dlg->SetResourceId(10);
        dlg->SetStartTime(600);
        dlg->SetEndTime(660);
        dlg->SetTaskId(20);
        dlg->SetCustomerId(30);
        dlg->Form_Load();
    }
    ItemList* List() const { return dlg->LbTimeSlot(); }
    QString Ticks() const {
        QString ticks;
        for (int row = 0; row < List()->RowCount(); ++row)
            ticks += QString::number(List()->RowTick(row));
        return ticks;
    }
    int Count(const QString& where) const {
        return env.Sql(QStringLiteral("select count(*) from tblBookings where ") + where).toInt();
    }
};

void TestRepeat::listsFiftyDatesAndMarksTakenOnes() {
    Setup s;
    s.Book(10, kSat5Dec2026 + 14, 630, 690); // overlaps 10:00 to 11:00
    s.Book(10, kSat5Dec2026 + 21, 540, 600); // touches it only
    s.Book(11, kSat5Dec2026 + 28, 600, 660); // another room
    s.Load(0);
    ItemList* list = s.List();
    QCOMPARE(list->RowCount(), DlgRepeat::DateCount);
    QCOMPARE(list->CellText(0, 1) + QLatin1Char('|') + list->CellText(0, 2),
             QStringLiteral("Sat|05 December 2026"));
    QCOMPARE(list->CellText(49, 2), ClsDate::FormatDate(kSat5Dec2026 + 49 * 7, "dd mmmm yyyy"));
    QCOMPARE(s.dlg->LblStartTime()->text() + '|' + s.dlg->LblTask()->text() + '|' +
                 s.dlg->LblCustomer()->text(),
             QStringLiteral("10:00 am|Check-up|Zoë"));
    QCOMPARE(s.Ticks(), QStringLiteral("00200") + QString(45, QLatin1Char('0')));
    QCOMPARE(list->RowValue(1), kSat5Dec2026 + 7);
    QCOMPARE(list->RowValue(2), 0);
    QCOMPARE(list->RowValue(3), kSat5Dec2026 + 21);
    QCOMPARE(list->RowColour(2), ColourUtil::FromColor(s.dlg->palette().color(QPalette::Button)));
    QCOMPARE(list->RowColour(3), 0xFFFFFF);
    // Select All never ticks a taken date; Clear All clears the rest.
    s.dlg->BtnSelect_Click(0);
    QCOMPARE(s.Ticks(), QStringLiteral("112") + QString(47, QLatin1Char('1')));
    s.dlg->BtnSelect_Click(1);
    QCOMPARE(s.Ticks(), QStringLiteral("00200") + QString(45, QLatin1Char('0')));
    // A user's click on a taken date's box leaves its mark.
    list->Tree()->topLevelItem(2)->setCheckState(0, Qt::Checked);
    QCOMPARE(list->RowTick(2), int(ItemList::Unavailable));
    // Another room: the dates are looked up again and the ticks cleared.
    s.dlg->BtnSelect_Click(0);
    QComboBox* combo = s.dlg->CbResource();
    combo->setCurrentIndex(combo->findText(QStringLiteral("Room B")));
    emit combo->activated(combo->currentIndex());
    QCOMPARE(s.dlg->ResourceId(), 11);
    QCOMPARE(s.Ticks(), QStringLiteral("00002") + QString(45, QLatin1Char('0')));
}

void TestRepeat::saveBooksTickedDatesAsOneSeries() {
    Setup s;
    s.Load(4);
    const QString hostile = QStringLiteral("O'Brien; \"~\"\nzweite Zeile ÄÖÜ");
    s.dlg->SetRef01(hostile);
    s.dlg->SetRef02(QStringLiteral("~"));
    s.dlg->SetRef03(QStringLiteral("'; drop table tblBookings; --"));
    s.dlg->SetComments(QStringLiteral("line 1\r\nline 2"));
    s.List()->SetRowTick(1, ItemList::Ticked);
    s.List()->SetRowTick(3, ItemList::Ticked);
    s.dlg->BtnRepeat_Click(0);
    QVERIFY(s.env.boxes.isEmpty());
    const int repeatId = s.env.Sql("select max(RepeatId) from tblRepeats").toInt();
    QVERIFY(repeatId > 0);
    QCOMPARE(s.Count(QStringLiteral("RepeatId = %1").arg(repeatId)), 2);
    QCOMPARE(s.Count(QStringLiteral("1 = 1")), 2);
    // Pattern 4 from 5 December: 5 January and 5 March.
    QCOMPARE(s.env.Sql("select group_concat(BookingDate) from (select BookingDate from "
                       "tblBookings order by BookingDate) as listed")
                 .toString(),
             QStringLiteral("%1,%2").arg(Day(2027, 1, 5)).arg(Day(2027, 3, 5)));
    QCOMPARE(s.Count("BookingStart = 600 and BookingEnd = 660 and ResourceId = 10 and "
                     "TaskId = 20 and CustomerId = 30"),
             2);
    QCOMPARE(s.env.Sql("select Ref01 || '|' || Ref02 || '|' || Ref03 || '|' || Comments from "
                       "tblBookings limit 1")
                 .toString(),
             hostile + QStringLiteral("|~|'; drop table tblBookings; --|line 1\r\nline 2"));
}

void TestRepeat::saveWarnsForDateTakenMeanwhile() {
    Setup s;
    s.Load(0);
    // Nothing ticked: a series number is taken, nothing is booked or said.
    const int before = s.env.Sql("select count(*) from tblRepeats").toInt();
    s.dlg->SaveAppointments();
    QCOMPARE(s.env.Sql("select count(*) from tblRepeats").toInt(), before + 1);
    QCOMPARE(s.Count(QStringLiteral("1 = 1")), 0);
    QVERIFY(s.env.boxes.isEmpty());
    s.dlg->BtnSelect_Click(0);
    // Another workstation books the third date after the list was built.
    s.Book(10, kSat5Dec2026 + 14, 570, 630);
    s.dlg->SaveAppointments();
    QCOMPARE(s.env.boxes.size(), 1);
    QCOMPARE(s.env.boxes[0].kind, ModMain::BoxKind::Warning);
    QCOMPARE(s.env.boxes[0].text, QStringLiteral("Unable to save appointment for 19 Dec 2026!"));
    QCOMPARE(s.Count(QStringLiteral("RepeatId <> 0")), DlgRepeat::DateCount - 1);
}

void TestRepeat::patternChoiceIsRememberedAndRebuilds() {
    Setup s;
    s.Load(6);
    QVERIFY(s.dlg->Option1(6)->isChecked());
    QCOMPARE(s.List()->CellText(1, 2), QStringLiteral("07 December 2026"));
    s.dlg->Option1(7)->click();
    QCOMPARE(ModMain::Ini().GetValue("Repeat", "Type", -1).toInt(), 7);
    QCOMPARE(s.List()->CellText(1, 2), QStringLiteral("06 December 2026"));
    // A stored pattern that no option stands for falls back to the first.
    s.Load(12);
    QCOMPARE(s.dlg->RepeatType(), 0);
    QVERIFY(s.dlg->Option1(0)->isChecked());
    QCOMPARE(s.List()->RowCount(), DlgRepeat::DateCount);
}

QTEST_MAIN(TestRepeat)
#include "tst_repeat.moc"

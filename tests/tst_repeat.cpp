// Repeat appointments: the eight date patterns over month ends, leap years
// and fifth weekdays, and the repeat window against a database.
#include "MainFixture.h"

#include "base/ClsIni.h"
#include "base/Messages.h"
#include "base/Settings.h"
#include "model/ClsDate.h"
#include "model/RepeatPattern.h"
#include "ui/booking/DlgRepeat.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ItemList.h"

#include <QRadioButton>
#include <QTreeWidget>
#include <QLabel>
#include <QtTest>

namespace {
QString Iso(qint32 day) { return ClsDate::LongToDate(day).toString(Qt::ISODate); }

const qint32 kSat5Dec2026 = 46359;

// A group with two rooms, an appointment type and a contact; the window is
// loaded for 10:00 to 11:00 on Saturday 5 December 2026 in Room A.
struct Setup : MainFixture {
    std::unique_ptr<DlgRepeat> dlg;

    Setup() {
        if (!env.Start())
            qFatal("no database");
        Group(1, QStringLiteral("Clinic"), 480, 1080, 30);
        Resource(10, 1, QStringLiteral("Room A"));
        Resource(11, 1, QStringLiteral("Room B"));
        Task(20, 1, QStringLiteral("Check-up"), 49152);
        Customer(30, QStringLiteral("Zoë"));
    }
    void Load(int pattern = 0) {
        Settings::Ini().WriteValue("Repeat", "Type", pattern);
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
    int Count(const QString& where) const { return env.Count("tblBookings where " + where); }
};
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
};

void TestRepeat::nextDates_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("pattern");
    QTest::addColumn<QString>("expected");

    // One row per pattern and edge; the month patterns are checked for every day below.
    QTest::newRow("weekly from Monday 1 March") << "2027-03-01" << 0 << "2027-03-08 03-15 03-22";
    QTest::newRow("two weeks over the year end") << "2026-12-24" << 1 << "2027-01-07 01-21 02-04";
    QTest::newRow("three weeks") << "2026-12-05" << 2 << "2026-12-26 2027-01-16 02-06";
    QTest::newRow("four weeks over 29 February") << "2028-02-10" << 3 << "2028-03-09 04-06 05-04";
    QTest::newRow("fifth Friday, next month ends on Friday")
        << "2025-01-31" << 5 << "2025-02-28 03-28 04-25";
    QTest::newRow("weekdays from Friday") << "2027-01-29" << 6 << "2027-02-01 02-02 02-03";
    QTest::newRow("weekdays from Saturday") << "2026-12-05" << 6 << "2026-12-07 12-08 12-09";
    QTest::newRow("every day over a month end") << "2028-02-28" << 7 << "2028-02-29 03-01 03-02";
    QTest::newRow("unknown pattern stays") << "2026-12-05" << 8 << "2026-12-05 12-05 12-05";
}

void TestRepeat::nextDates() {
    QFETCH(QString, start);
    QFETCH(int, pattern);
    QFETCH(QString, expected);
    // Three dates in turn, the year written only where it changes.
    QStringList got;
    qint32 d = ClsDate::DateToLong(QDate::fromString(start, Qt::ISODate));
    for (QString year; got.size() < 3;) {
        d = RepeatPattern::SetNextDate(d, pattern);
        const QString iso = Iso(d);
        got << (iso.left(4) == year ? iso.mid(5) : iso);
        year = iso.left(4);
    }
    QCOMPARE(got.join(' '), expected);
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
            Iso(RepeatPattern::SetNextDate(day, RepeatPattern::SameDayOfMonth)) + ' ' +
            Iso(RepeatPattern::SetNextDate(day, RepeatPattern::SameWeekdayOfMonth));
        const QString expected =
            sameDay.toString(Qt::ISODate) + ' ' + weekday.toString(Qt::ISODate);
        if (got != expected)
            QCOMPARE(got + " from " + Iso(day), expected + " from " + Iso(day));
    }
}

void TestRepeat::listsFiftyDatesAndMarksTakenOnes() {
    Setup s;
    s.Booking(1, 10, 20, 0, kSat5Dec2026 + 14, 630, 690); // overlaps 10:00 to 11:00
    s.Booking(2, 10, 20, 0, kSat5Dec2026 + 21, 540, 600); // touches it only
    s.Booking(3, 11, 20, 0, kSat5Dec2026 + 28, 600, 660); // another room
    s.Load(0);
    // What is repeated, as the user chose it.
    QCOMPARE(QStringList({s.dlg->LblStartTime()->text(), s.dlg->LblEndTime()->text(), s.dlg->LblTask()->text(),
                          s.dlg->LblCustomer()->text()}).join('|'),
             QStringLiteral("10:00 am|11:00 am|Check-up|Zoë"));
    ItemList* list = s.List();
    QCOMPARE(list->CellText(0, 1) + '|' + list->CellText(0, 2),
             QStringLiteral("Sat|05 December 2026"));
    QCOMPARE(list->CellText(49, 2), ClsDate::FormatDate(kSat5Dec2026 + 49 * 7, "dd mmmm yyyy"));
    // The taken date holds no date to book.
    QCOMPARE(s.Ticks(), QStringLiteral("00200") + QString(45, QLatin1Char('0')));
    QCOMPARE((QList<qint32>{list->RowValue(1), list->RowValue(2), list->RowValue(3)}),
             (QList<qint32>{kSat5Dec2026 + 7, 0, kSat5Dec2026 + 21}));
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
    ClsForms::SelectItemId(s.dlg->CbResource(), 11);
    QCOMPARE(s.dlg->ResourceId(), 11);
    QCOMPARE(s.Ticks(), QStringLiteral("00002") + QString(45, QLatin1Char('0')));
}

void TestRepeat::saveBooksTickedDatesAsOneSeries() {
    Setup s;
    s.Load(4);
    s.dlg->SetRef01(QStringLiteral("r1"));
    s.dlg->SetRef02(QStringLiteral("r2"));
    s.dlg->SetRef03(QStringLiteral("r3"));
    s.dlg->SetComments(QStringLiteral("a\r\nb"));
    s.List()->SetRowTick(1, ItemList::Ticked);
    s.List()->SetRowTick(3, ItemList::Ticked);
    s.dlg->BtnRepeat_Click(0);
    QVERIFY(s.env.boxes.isEmpty());
    const int repeatId = s.env.Sql("select max(RepeatId) from tblRepeats").toInt();
    QVERIFY(repeatId > 0);
    QCOMPARE(s.Count(QStringLiteral("RepeatId = %1").arg(repeatId)), 2);
    // Pattern 4 from 5 December: 5 January and 5 March, and nothing else.
    QCOMPARE(s.env.Sql("select group_concat(BookingDate) from (select BookingDate from "
                       "tblBookings order by BookingDate) as listed")
                 .toString(),
             QStringLiteral("%1,%2").arg(kSat5Dec2026 + 31).arg(kSat5Dec2026 + 90));
    QCOMPARE(s.Count("BookingStart = 600 and BookingEnd = 660 and ResourceId = 10 and "
                     "TaskId = 20 and CustomerId = 30"),
             2);
    QCOMPARE(s.env.Sql("select Ref01 || '|' || Ref02 || '|' || Ref03 || '|' || Comments from "
                       "tblBookings limit 1")
                 .toString(),
             QStringLiteral("r1|r2|r3|a\r\nb"));
}

void TestRepeat::saveWarnsForDateTakenMeanwhile() {
    Setup s;
    s.Load(0);
    // Nothing ticked: nothing is booked or said.
    s.dlg->SaveAppointments();
    QCOMPARE(s.Count(QStringLiteral("1 = 1")), 0);
    QVERIFY(s.env.boxes.isEmpty());
    s.dlg->BtnSelect_Click(0);
    // Another workstation books the third date after the list was built.
    s.Booking(1, 10, 20, 0, kSat5Dec2026 + 14, 570, 630);
    s.dlg->SaveAppointments();
    QCOMPARE(s.env.boxes.size(), 1);
    QCOMPARE(s.env.boxes[0].kind, Messages::BoxKind::Warning);
    QCOMPARE(s.env.boxes[0].text, QStringLiteral("Unable to save appointment for 19 Dec 2026!"));
    QCOMPARE(s.Count(QStringLiteral("RepeatId <> 0")), DlgRepeat::DateCount - 1);
    // The appointment type deleted meanwhile: said once, and nothing stored.
    s.env.Sql("delete from tblBookings");
    s.env.Sql("delete from tblTasks where TaskId = 20");
    s.env.boxes.clear();
    s.dlg->SaveAppointments();
    QCOMPARE(s.env.boxes.size(), 1);
    QCOMPARE(s.env.boxes[0].text, QStringLiteral("Unable to save appointment for 5 Dec 2026!\r\n\r\n"
                                                 "The appointment type was deleted at another "
                                                 "workstation."));
    QCOMPARE(s.Count(QStringLiteral("1 = 1")), 0);
}

void TestRepeat::patternChoiceIsRememberedAndRebuilds() {
    Setup s;
    s.Load(6);
    QVERIFY(s.dlg->Option1(6)->isChecked());
    QCOMPARE(s.List()->CellText(1, 2), QStringLiteral("07 December 2026"));
    s.dlg->Option1(7)->click();
    QCOMPARE(Settings::Ini().GetValue("Repeat", "Type", -1).toInt(), 7);
    QCOMPARE(s.List()->CellText(1, 2), QStringLiteral("06 December 2026"));
    // A stored pattern that no option stands for falls back to the first.
    s.Load(12);
    QCOMPARE(s.dlg->RepeatType(), 0);
    QVERIFY(s.dlg->Option1(0)->isChecked());
    QCOMPARE(s.List()->RowCount(), DlgRepeat::DateCount);
}

QTEST_MAIN(TestRepeat)
#include "tst_repeat.moc"

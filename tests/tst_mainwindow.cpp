// The main window's schedule, legend, day spinner and calendar, driven as a
// user does and checked against the database and the settings file.
#include "MainFixture.h"

#include "base/ColourUtil.h"
#include "model/ClsBooking.h"
#include "model/ClsDate.h"
#include "model/Records.h"
#include "model/ScheduleData.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/booking/DlgRepeat.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/MarkedCalendar.h"
#include "ui/controls/ScheduleView.h"
#include "ui/controls/SpinButtons.h"
#include "ui/main/DlgExportCalendar.h"
#include "ui/main/DlgMain.h"
#include "ui/main/LegendLabel.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QScrollBar>
#include <QtTest>

namespace {
constexpr qint32 kToday = MainFixture::kToday;

// Rows as "name id:", each bar as "id day+start-end colour|text" (the day
// counted from kToday) ...
QStringList LoadedRows(const ScheduleData& data) {
    QStringList rows;
    for (const ScheduleData::Row& r : data.Rows()) {
        QStringList bars;
        for (const ScheduleData::Bar& b : data.Bars(r))
            bars << QStringLiteral("%1 %2+%3-%4 %5|%6").arg(b.bookingId).arg(b.date - kToday)
                        .arg(b.start).arg(b.end).arg(b.colour, 0, 16).arg(ScheduleData::Caption(b));
        rows << (r.name + ' ' + QString::number(r.resourceId) + ": " + bars.join("; ")).trimmed();
    }
    return rows;
}

// ... and as the window shows them, which tells no times.
QStringList ShownRows(ScheduleView* s) {
    QStringList rows;
    for (int row = 1; row < s->RowCount(); ++row) {
        QStringList bars;
        for (int bar = 1; bar <= s->BarCount(row); ++bar) {
            const QString id = QString::number(s->BarData(row, bar));
            bars << (s->BarKey(row, bar) == 'B' + id && s->BarSecondText(row, bar) == id
                         ? id : QStringLiteral("key?")) +
                        QStringLiteral(" %1|%2").arg(s->BarColour(row, bar), 0, 16)
                            .arg(s->BarText(row, bar));
        }
        rows << (s->CellText(row, 1) + ' ' + QString::number(s->RowData(row)) + ": " +
                 bars.join("; ")).trimmed();
    }
    return rows;
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void rebuildFollowsDatabase();
    void rowsAndBars_data();
    void rowsAndBars();
    void resolutionsAndDaySpinner();
    void legendLabelsAreReused();
    void emptyDatabaseExplainsHowToBegin();
    void viewSettingsAreReadAndSaved();
    void calendarMarksAndCancel();
    void datesStayWithinShownYears_data();
    void datesStayWithinShownYears();
    void dragOnSchedule_data();
    void dragOnSchedule();
    void doubleClickOpensBooking_data();
    void doubleClickOpensBooking();
};

void TestMainWindow::rebuildFollowsDatabase() {
    MainFixture f;
    f.Clinic();
    // The last slot the booking dialog offers starts at the day end (18:00).
    f.Booking(105, 10, 20, 0, kToday, 1080, 1095);
    f.Setting(QStringLiteral("Options"), QStringLiteral("DispCustomer"), 1);
    f.Open();
    ScheduleView* sched = f.Sched();
    QCOMPARE(f.main->CurrentDate(), kToday);
    QCOMPARE(sched->FirstDate(), kToday);
    QCOMPARE(QStringLiteral("%1 %2-%3").arg(sched->Title()).arg(sched->DayStart())
                 .arg(sched->DayEnd()),
             QStringLiteral("Clinic 480-1095"));
    QCOMPARE(sched->BarCount(1), 3);
    QVERIFY(!f.env.LogContains(QStringLiteral("Error in")));
    // Selecting a resource by identifier makes its row current.
    QVERIFY(sched->CurrentRow() < 1);
    f.main->SelectResource(11);
    QCOMPARE(sched->CurrentRow(), 2);
    f.main->ShowResources(10);
    QCOMPARE(sched->CurrentRow(), 1);
}

// The clinic with its edge cases: Room C (9) without bookings, a booking of
// the type of another group (40, "Lab", which has no resources), one across
// the end of the working day (18:00), one of a type and a contact that are
// gone, and in Room B one on each of three dates whose starts run the other
// way. The rows one query loads are the rows the window shows.
void TestMainWindow::rowsAndBars_data() {
    QTest::addColumn<int>("timeType"); // 0 hours (one date), 1 days (33), 2 weeks (61)
    QTest::addColumn<int>("group");
    QTest::addColumn<bool>("names");
    QTest::addColumn<QStringList>("rows");
    // A bar names its contact and type, or either one alone; without
    // contact names it still names its type.
    const QString roomA = "Room A 10: 101 0+540-570 ff|Surgery; 100 0+600-660 c000|Zoë O'Neil, "
                          "Check-up; 105 0+700-730 808080|Sample; 106 0+1070-1100 c000|Zoë "
                          "O'Neil, Check-up";
    const QString roomB = "Room B 11: 107 0+1000-1030 c0c0c0|";
    const QString later = "; 102 32+480-510 ff|Zoë O'Neil, Surgery";
    QTest::newRow("hours") << 0 << 1 << true << QStringList{roomA, roomB, "Room C 9:"};
    QTest::newRow("days") << 1 << 1 << true << QStringList{roomA, roomB + later, "Room C 9:"};
    QTest::newRow("weeks") << 2 << 1 << true
                           << QStringList{roomA, roomB + later + "; 103 60+480-510 c000|Check-up",
                                          "Room C 9:"};
    QTest::newRow("weeks without contact names")
        << 2 << 1 << false
        << QStringList{QString(roomA).remove("Zoë O'Neil, "),
                       QString(roomB + later + "; 103 60+480-510 c000|Check-up").remove("Zoë O'Neil, "),
                       "Room C 9:"};
    QTest::newRow("empty group") << 2 << 2 << true << QStringList();
}

void TestMainWindow::rowsAndBars() {
    QFETCH(int, timeType);
    QFETCH(int, group);
    QFETCH(bool, names);
    QFETCH(QStringList, rows);
    MainFixture f;
    f.Clinic();
    f.Resource(9, 1, QStringLiteral("Room C"));
    f.Group(2, QStringLiteral("Lab"));
    f.Task(40, 2, QStringLiteral("Sample"), 0x808080);
    f.Booking(105, 10, 40, 0, kToday, 700, 730);
    f.Booking(106, 10, 20, 30, kToday, 1070, 1100);
    f.Booking(107, 11, 99, 31, kToday, 1000, 1030);
    f.Setting(QStringLiteral("Config"), QStringLiteral("TimeType"), timeType);
    f.Setting(QStringLiteral("Options"), QStringLiteral("DispCustomer"), int(names));
    f.Open();
    ClsForms::SelectItemId(f.main->CbGroup(), group);
    ScheduleData data;
    const qint32 last = f.Sched()->LastDate();
    QVERIFY(data.Load({group, 0, kToday, last, names, false, true, {}}));
    QCOMPARE(LoadedRows(data), rows);
    QCOMPARE(ShownRows(f.Sched()), rows.replaceInStrings(QRegularExpression(" -?\\d+\\+\\d+-\\d+"), ""));
    QCOMPARE(f.main->BookingSignature(), Records::Booking().BookingCheck(kToday, last, group));
}

void TestMainWindow::resolutionsAndDaySpinner() {
    MainFixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Config"), QStringLiteral("TimeType"), 2);
    f.Open();
    QCOMPARE(f.Sched()->TimeType(), 2); // as the settings say
    QVERIFY(f.main->MenuEntry(QStringLiteral("mnuViewWeeks"))->isChecked());
    // Each menu entry shows its dates, the last one included, and is kept.
    const struct { const char* menu; int type, lastOffset; const char* format; }
        views[] = {{"mnuViewHours", 0, 0, "D, n M Y"},
                   {"mnuViewDays", 1, 32, "M Y"},
                   {"mnuViewWeeks", 2, 60, "M Y"}};
    for (const auto& v : views) {
        f.main->MenuEntry(QLatin1String(v.menu))->trigger();
        QCOMPARE(f.Sched()->TimeType(), v.type);
        QCOMPARE(f.IniValue("Config", "TimeType").toInt(), v.type);
        QCOMPARE(f.Sched()->LastDate(), kToday + v.lastOffset);
        QCOMPARE(f.Sched()->RulerDateFormat(), QLatin1String(v.format));
        // The View menu ticks the resolution shown, and only that one.
        for (const auto& w : views)
            QCOMPARE(f.main->MenuEntry(QLatin1String(w.menu))->isChecked(), &w == &v);
    }
    // The day spinner moves one day at a time even when the view shows weeks.
    f.main->SpinDate()->DecreaseButton()->click();
    QCOMPARE(f.Sched()->FirstDate(), kToday - 1);
    f.main->SpinDate()->IncreaseButton()->click();
    f.main->SpinDate()->IncreaseButton()->click();
    QCOMPARE(f.main->CurrentDate(), kToday + 1);
    QCOMPARE(f.IniValue("Config", "LastDate").toInt(), kToday + 1);
    // A new date is shown at the time of day it is now, wherever the view was.
    f.main->MenuEntry(QStringLiteral("mnuViewHours"))->trigger();
    QScrollBar* across = f.Sched()->horizontalScrollBar();
    QVERIFY(across->maximum() > 0);
    int shown[2];
    for (int end : {0, 1}) {
        across->setValue(end * across->maximum());
        f.main->SpinDate()->IncreaseButton()->click();
        shown[end] = across->value();
    }
    QVERIFY(qAbs(shown[0] - shown[1]) < across->maximum() / 4); // a minute may pass

    // The width slider keeps the time at the middle of the view there.
    f.main->show();
    QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
    ScheduleView* s = f.Sched();
    const auto timeAt = [&](int x) { // minutes from kToday's midnight
        const ScheduleView::Hit hit = s->HitTest(s->viewport()->mapTo(s, QPoint(x, s->HeaderHeight() + 2)));
        return hit.onTime ? (hit.date - kToday) * 1440 + hit.minute : -1;
    };
    const int middleX = (s->ListWidth() + s->viewport()->width()) / 2;
    across->setValue(across->maximum() / 3);
    const int middle = timeAt(middleX);
    QVERIFY(middle > 0);
    f.main->Scroll()->setValue(f.main->Scroll()->maximum());
    QVERIFY2(qAbs(timeAt(middleX) - middle) <= 2, qPrintable(QString::number(timeAt(middleX) - middle)));
    // Today, by its shortcut: today's date with the present time in view.
    QTest::keyClick(f.main.get(), Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(f.main->CurrentDate(), ClsDate::Today());
    const QTime now = QTime::currentTime();
    // (Outside the working day the view shows the day's nearest end.)
    const int present = (ClsDate::Today() - kToday) * 1440 +
                        qBound(480, now.hour() * 60 + now.minute(), 1095);
    QVERIFY(timeAt(s->ListWidth() + 1) <= present && present <= timeAt(s->viewport()->width() - 2) + 1);
}

void TestMainWindow::legendLabelsAreReused() {
    // Two groups without resources: the legend is shown on its own.
    MainFixture f;
    f.Group(1, QStringLiteral("A Ten types"));
    f.Group(2, QStringLiteral("B Three types"));
    for (int i = 0; i < 10; ++i)
        f.Task(100 + i, 1, QStringLiteral("Type %1").arg(i), 0x010101 * i);
    for (int i = 0; i < 3; ++i)
        f.Task(200 + i, 2, QStringLiteral("Kind %1").arg(i), 0x0000FF);
    f.Open();
    QCOMPARE(f.Sched()->RowCount(), 1);
    QCOMPARE(f.main->LblColor().size(), 10);
    QCOMPARE(f.main->LblLegend()[9]->text(), QStringLiteral("Type 9"));
    const auto shown = [&] {
        QStringList texts;
        for (int i = 0; i < f.main->LblLegend().size(); ++i)
            if (f.main->LblLegend()[i]->isVisibleTo(f.main.get()) &&
                f.main->LblColor()[i]->isVisibleTo(f.main.get()))
                texts << f.main->LblLegend()[i]->text();
        return texts;
    };
    ClsForms::SelectItemId(f.main->CbGroup(), 2);
    QCOMPARE(f.main->LblColor().size(), 10);
    QCOMPARE(shown(), (QStringList{"Kind 0", "Kind 1", "Kind 2"}));
    QCOMPARE(ColourUtil::FromColor(f.main->LblColor()[2]->palette().color(QPalette::Window)),
             0x0000FF);

    // Another group chosen while the legend is being rebuilt: only its labels stay.
    ClsForms::SelectItemId(f.main->CbGroup(), 1);
    QTimer::singleShot(0, f.main.get(), [&] { ClsForms::SelectItemId(f.main->CbGroup(), 2); });
    QTest::qSleep(20); // the rebuild lets events run at its first label
    f.main->ShowLegends();
    QCOMPARE(shown(), (QStringList{"Kind 0", "Kind 1", "Kind 2"}));
}

void TestMainWindow::emptyDatabaseExplainsHowToBegin() {
    MainFixture f;
    f.Open();
    f.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
    QVERIFY(f.main->EmptyHint()->isVisible());
    QVERIFY(!f.Sched()->isVisible());
    QVERIFY(f.main->EmptyHint()->text().contains(QStringLiteral("New Group")));
    // Once there is a group, its schedule takes the place of the hint.
    f.Group(1, QStringLiteral("First"));
    f.main->ShowGroups(1);
    QVERIFY(f.Sched()->isVisible());
    QVERIFY(!f.main->EmptyHint()->isVisible());
}

void TestMainWindow::viewSettingsAreReadAndSaved() {
    MainFixture f;
    f.Clinic();
    for (const auto& [section, key, value] :
         {std::tuple{"Config", "ChkLegend", 0}, {"Sched", "TimeDistance", 96},
          {"Sched", "ListWidth", 140}, {"Colours", "WeekendColor", 0x123456},
          {"Options", "UseMilitaryTime", 1}})
        f.Setting(QLatin1String(section), QLatin1String(key), value);
    f.Open();
    QCOMPARE(f.Sched()->WeekendColour(), 0x123456);
    // Keys that are absent leave the view's own colours.
    QCOMPARE(f.Sched()->BackColour(), ScheduleView::kPlatformColour);
    QVERIFY(f.Sched()->Use24Hour() && !f.Sched()->Use12Hour());
    QCOMPARE(f.Sched()->TimeDistance(), 96);
    QCOMPARE(f.Sched()->ListWidth(), 140);
    f.main->Scroll()->setValue(150);
    QCOMPARE(f.Sched()->TimeDistance() + f.Sched()->SecondSpacing() * 1000, 150 + 12000);
    QCOMPARE(f.IniValue("Sched", "TimeDistance"), QStringLiteral("150"));
    QVERIFY(!f.main->Frame1()->isVisibleTo(f.main.get()));
    f.main->ChkLegend()->click();
    QVERIFY(f.main->Frame1()->isVisibleTo(f.main.get()));
    QCOMPARE(f.IniValue("Config", "ChkLegend"), QStringLiteral("1"));
}

void TestMainWindow::calendarMarksAndCancel() {
    MainFixture f;
    f.Clinic();
    f.Open();
    DlgCalendar& cal = DlgCalendar::Instance();
    cal.SetResourceId(10);
    cal.Form_Load();
    cal.Form_Activate();
    QCOMPARE(cal.ChkResource().size(), 2);
    // Only Room A is ticked, which has bookings only on the shown date;
    // Room B's days are marked once it is ticked as well.
    QVERIFY(cal.Cal()->IsMarked(kToday));
    QVERIFY(!cal.Cal()->IsMarked(kToday - 1));
    for (QCheckBox* box : cal.ChkResource())
        box->click();
    QVERIFY(!cal.Cal()->IsMarked(kToday));
    QVERIFY(cal.Cal()->IsMarked(kToday - 1));
    // The next page is marked after the page change.
    cal.Cal()->showNextMonth();
    QVERIFY(cal.Cal()->IsMarked(kToday + 32));

    // A date chosen on another page, then Cancel, keeps the date; Select takes it.
    for (const int button : {2, 0}) {
        f.env.onModal = [button](QDialog* dialog) {
            auto* shown = qobject_cast<DlgCalendar*>(dialog);
            shown->Cal()->showNextMonth();
            shown->Cal()->setSelectedDate(ClsDate::LongToDate(kToday + 40));
            shown->BtnCalendar_Click(button);
            return int(shown->result());
        };
        QCOMPARE(DlgCalendar::Choose(0), button == 0);
        QCOMPARE(cal.SelDate(), button == 0 ? kToday + 40 : kToday);
    }
}

void TestMainWindow::datesStayWithinShownYears_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("step"); // -1: before 1 January 1900, 1: after 31 December 9999
    QTest::newRow("main window, previous day") << "spinner" << -1;
    QTest::newRow("main window, next day") << "spinner" << 1;
    QTest::newRow("main window, weeks view") << "schedule" << 1;
    QTest::newRow("Change Date, a day before") << "calendar" << -1;
    QTest::newRow("booking window, previous day") << "booking" << -1;
    QTest::newRow("booking window, next day") << "booking" << 1;
    QTest::newRow("Export Calendar, a day before") << "export" << -1;
    QTest::newRow("Repeat Appointment, dates listed") << "repeat" << 1;
}

// Each way a user steps to, picks or types a date, tried past either end of
// the years the program shows: the date stays at that end.
void TestMainWindow::datesStayWithinShownYears() {
    QFETCH(QString, path);
    QFETCH(int, step);
    const qint32 end = step < 0 ? ClsDate::FirstDay : ClsDate::LastDay;
    MainFixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Config"), QStringLiteral("TimeType"), 2); // 60 days shown
    f.Open();
    f.main->SetCurrentDate(end);
    qint32 reached = end + step; // as when a path did not run
    f.env.onModal = [&](QDialog* dialog) {
        if (auto* cal = qobject_cast<DlgCalendar*>(dialog)) {
            cal->Cal()->setSelectedDate(ClsDate::LongToDate(end + step));
            reached = cal->Cal()->DayNumber();
            cal->BtnCalendar_Click(0);
        } else if (auto* appt = qobject_cast<DlgAppt*>(dialog)) {
            appt->SpinDate_Click(step > 0);
            reached = appt->ApptDate();
        }
        return int(dialog->result());
    };
    SpinButtons* spin = f.main->SpinDate();
    if (path == QLatin1String("spinner")) {
        (step < 0 ? spin->DecreaseButton() : spin->IncreaseButton())->click();
        reached = f.main->CurrentDate();
    } else if (path == QLatin1String("schedule")) {
        reached = f.Sched()->LastDate();
    } else if (path == QLatin1String("calendar")) {
        f.main->MenuEntry(QStringLiteral("mnuBookingChange"))->trigger();
    } else if (path == QLatin1String("booking")) {
        f.main->MenuEntry(QStringLiteral("mnuBookingEdit"))->trigger();
    } else if (path == QLatin1String("export")) {
        DlgExportCalendar dlg(f.main.get(), 1, 10, QStringLiteral("Room A"));
        dlg.DtFrom()->setDate(ClsDate::LongToDate(end + step));
        reached = dlg.Selection().from;
    } else {
        DlgRepeat repeat;
        repeat.SetApptDate(end);
        repeat.SetGroupId(1);
        repeat.SetResourceId(10);
        repeat.SetEndTime(60);
        repeat.Form_Load();
        reached = repeat.LbTimeSlot()->RowValue(repeat.LbTimeSlot()->RowCount() - 1);
    }
    QCOMPARE(reached, end);
}

// The clinic shown in hours at 60 pixels an hour, without the legend; points
// on the schedule by row, minute and day (minute -1: on the row's name).
struct ShownClinic : MainFixture {
    explicit ShownClinic(int timeType) {
        Clinic();
        Setting(QStringLiteral("Config"), QStringLiteral("TimeType"), timeType);
        Setting(QStringLiteral("Config"), QStringLiteral("ChkLegend"), 0);
        Setting(QStringLiteral("Sched"), QStringLiteral("TimeDistance"), 60);
        Open();
        main->show();
        QTest::qWaitForWindowExposed(main.get());
        // Qt drops a move to where the last one went: each case starts aside.
        QTest::mouseMove(Sched()->viewport(), QPoint(1, 1));
    }
    QPoint At(int row, int minute, int day = 0) const {
        const QPoint p = Sched()->PointForTime(row, kToday + day, minute < 0 ? 600 : minute);
        return Sched()->viewport()->mapFrom(Sched(), minute < 0 ? QPoint(30, p.y()) : p);
    }
    QString Stored(int id) const {
        return env.Sql(QStringLiteral("select ResourceId || ' ' || (BookingDate - %1) || '+' || "
                                      "BookingStart || '-' || BookingEnd from tblBookings where "
                                      "BookingId = %2").arg(kToday).arg(id)).toString();
    }
};

// Booking 100 (Room A, row 1, 10:00 to 11:00) pressed at a minute (600 its
// start, 659 its end, else its body) and let go elsewhere, with what another
// workstation stores in the meantime.
void TestMainWindow::dragOnSchedule_data() {
    QTest::addColumn<int>("timeType");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("toRow");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("box"); // after "Unable to ... appointment!\r\n\r\n"
    const QString move = "move: ", save = "save: ", same = "10 0+600-660";
    QTest::newRow("to another room and time") << 0 << 630 << 2 << 870 << 0 << "" << "11 0+840-900" << "";
    QTest::newRow("snaps to the nearest slot") << 0 << 630 << 1 << 639 << 0 << "" << "10 0+615-675" << "";
    QTest::newRow("end stretched") << 0 << 659 << 1 << 690 << 0 << "" << "10 0+600-690" << "";
    QTest::newRow("start stretched up to the booking before") << 0 << 600 << 2 << 570 << 0 << "" << "10 0+570-660" << "";
    QTest::newRow("days view: another date and room") << 1 << 630 << 2 << 630 << 3 << "" << "11 3+600-660" << "";
    QTest::newRow("onto the booking before") << 0 << 630 << 1 << 560 << 0 << "" << same << move + "Conflict with another appointment!";
    QTest::newRow("slot taken meanwhile") << 0 << 630 << 2 << 870 << 0
        << "insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, BookingStart, "
           "BookingEnd, RepeatId) values (200, 11, 20, 0, %1, 840, 845, 0)" << same
        << move + "Conflict with another appointment!";
    QTest::newRow("moved meanwhile") << 0 << 630 << 2 << 870 << 0
        << "update tblBookings set BookingStart = 605 where BookingId = 100" << "10 0+605-660"
        << move + "This appointment was changed at another workstation.";
    QTest::newRow("past the day's end") << 0 << 630 << 1 << 1080 << 0 << "" << same
        << move + "The day of the group runs from 08:00 am to 06:15 pm.";
    QTest::newRow("longer than its type allows") << 0 << 659 << 1 << 690 << 0
        << "update tblTasks set MaxTime = 75" << same << save + "Its type allows no more than 75 minutes.";
    QTest::newRow("shorter than its type allows") << 0 << 659 << 1 << 630 << 0
        << "update tblTasks set MinTime = 45" << same << save + "Its type allows no less than 45 minutes.";
    QTest::newRow("on the names") << 0 << 630 << 2 << -1 << 0 << "" << same
        << move + "It was let go outside the rows of the schedule.";
    QTest::newRow("below the rows") << 0 << 630 << 6 << 870 << 0 << "" << same
        << move + "It was let go outside the rows of the schedule.";
    QTest::newRow("Escape") << 0 << 630 << 2 << 870 << 0 << "escape" << same << "";
}

void TestMainWindow::dragOnSchedule() {
    QFETCH(int, timeType);
    QFETCH(int, from);
    QFETCH(int, toRow);
    QFETCH(int, to);
    QFETCH(int, day);
    QFETCH(QString, meanwhile);
    QFETCH(QString, stored);
    QFETCH(QString, box);
    ShownClinic f(timeType);
    QWidget* port = f.Sched()->viewport();
    // The cursor tells a move from a stretch.
    QTest::mouseMove(port, f.At(1, from));
    QCOMPARE(port->cursor().shape(), from == 600 || from == 659 ? Qt::SizeHorCursor : Qt::SizeAllCursor);
    QTest::mousePress(port, Qt::LeftButton, {}, f.At(1, from));
    QTest::mouseMove(port, f.At(2, 900));
    QTest::mouseMove(port, f.At(toRow, to, day));
    if (meanwhile == "escape")
        QTest::keyClick(f.Sched(), Qt::Key_Escape);
    else if (!meanwhile.isEmpty())
        f.Exec(meanwhile.replace("%1", QString::number(kToday)));
    QTest::mouseRelease(port, Qt::LeftButton, {}, f.At(toRow, to, day));
    QCOMPARE(f.Stored(100), stored);
    QCOMPARE(f.env.boxes.size(), int(!box.isEmpty()));
    if (!box.isEmpty())
        QCOMPARE(f.env.boxes[0].text, "Unable to " + box.replace(": ", " appointment!\r\n\r\n"));
    // Undo takes a change back as it takes back a move in the booking dialog.
    const bool changed = meanwhile.isEmpty() && box.isEmpty();
    QCOMPARE(f.main->MenuEntry(QStringLiteral("mnuBookingUndo"))->isEnabled(), changed);
    f.main->mnuBookingUndo_Click();
    QCOMPARE(f.Stored(100), meanwhile.startsWith("update tblB") ? stored : QStringLiteral("10 0+600-660"));
}

void TestMainWindow::doubleClickOpensBooking_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("minute");
    QTest::addColumn<QString>("opened"); // resource, selected slot, its booking
    QTest::newRow("free slot") << 2 << 550 << "11 540 0";
    QTest::newRow("booking") << 1 << 630 << "10 600 100";
    QTest::newRow("booking from inside a slot") << 2 << 720 << "11 705 105";
    QTest::newRow("free time of a slot it shares") << 2 << 692 << "";
    QTest::newRow("booking inside one slot, ending on the next: that slot") << 2 << 745 << "11 735 0";
}

void TestMainWindow::doubleClickOpensBooking() {
    QFETCH(int, row);
    QFETCH(int, minute);
    QFETCH(QString, opened);
    ShownClinic f(0);
    f.Booking(105, 11, 20, 0, kToday, 700, 730);
    f.Booking(106, 11, 20, 0, kToday, 740, 750);
    f.main->ShowResources(0);
    QString shown;
    f.env.onModal = [&shown](QDialog* dialog) {
        auto* appt = qobject_cast<DlgAppt*>(dialog);
        appt->Form_Activate();
        const int sel = appt->LbTimeSlot()->SelectedRow();
        shown = QStringLiteral("%1 %2 %3").arg(appt->ResourceId()).arg(appt->LbTimeSlot()->RowTag(sel))
                    .arg(appt->LbTimeSlot()->RowValue(sel));
        return int(QDialog::Rejected);
    };
    QTest::mouseDClick(f.Sched()->viewport(), Qt::LeftButton, {}, f.At(row, minute));
    QCOMPARE(shown, opened);
    // A slot another booking reaches into is refused, as for a drop.
    QCOMPARE(f.env.boxes.size(), int(opened.isEmpty()));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

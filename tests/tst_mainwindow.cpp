// The main window's schedule, legend, day spinner and calendar, driven as a
// user does and checked against the database and the settings file.
#include "MainFixture.h"

#include "app/ClsForms.h"
#include "app/ClsIni.h"
#include "app/ColourUtil.h"
#include "model/ClsDate.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/controls/MarkedCalendar.h"
#include "ui/controls/ScheduleView.h"
#include "ui/controls/SpinButtons.h"
#include "ui/main/DlgMain.h"
#include "ui/main/LegendLabel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {
constexpr qint32 kToday = MainFixture::kToday;
using Fixture = MainFixture;

QStringList RowNames(ScheduleView* sched) {
    QStringList names;
    for (int row = 1; row <= sched->RowCount() - 1; ++row)
        names << sched->CellText(row, 1);
    return names;
}

QStringList BarKeys(ScheduleView* sched) {
    QStringList keys;
    for (int row = 1; row <= sched->RowCount() - 1; ++row)
        for (int bar = 1; bar <= sched->BarCount(row); ++bar)
            keys << sched->BarKey(row, bar);
    return keys;
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void rebuildFollowsDatabase();
    void resolutionsShowInclusiveDateRanges_data();
    void resolutionsShowInclusiveDateRanges();
    void contactNamesOnBars();
    void legendLabelsAreReused();
    void daySpinnerMovesOneDay();
    void emptyDatabaseExplainsHowToBegin();
    void viewSettingsAreReadAndSaved();
    void calendarMarksTickedResourcesOnly();
    void calendarCancelKeepsDate();
};

void TestMainWindow::rebuildFollowsDatabase() {
    Fixture f;
    f.Clinic();
    f.Open();
    ScheduleView* sched = f.Sched();
    QCOMPARE(f.main->CurrentDate(), kToday);
    QCOMPARE(sched->FirstDate(), kToday);
    QCOMPARE(sched->Title(), QStringLiteral("Clinic"));
    QCOMPARE(sched->DayStart(), 480);
    QCOMPARE(sched->DayEnd(), 1080);
    QCOMPARE(RowNames(sched), (QStringList{QStringLiteral("Room A"), QStringLiteral("Room B")}));
    QCOMPARE(sched->RowData(1), 10);
    QCOMPARE(sched->RowData(2), 11);
    // Bars of a row come in order of their start.
    QCOMPARE(sched->BarCount(1), 2);
    QCOMPARE(sched->BarKey(1, 1), QStringLiteral("B101"));
    QCOMPARE(sched->BarKey(1, 2), QStringLiteral("B100"));
    QCOMPARE(sched->BarData(1, 2), 100);
    QCOMPARE(sched->BarSecondText(1, 2), QStringLiteral("100"));
    QCOMPARE(sched->BarColour(1, 1), 0x0000FF);
    QCOMPARE(sched->BarColour(1, 2), 0x00C000);
    QVERIFY(sched->CurrentRow() < 1);
    QCOMPARE(f.main->BookingSignature(), 570 + 660);

    // Selecting a resource by identifier makes its row current.
    f.main->SelectResource(11);
    QCOMPARE(sched->CurrentRow(), 2);
    f.main->ShowResources(10);
    QCOMPARE(sched->CurrentRow(), 1);
}

void TestMainWindow::resolutionsShowInclusiveDateRanges_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<int>("timeType");
    QTest::addColumn<int>("lastOffset");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("bars");
    QTest::newRow("hours: the current date only")
        << "mnuViewHours" << 0 << 0 << "D, n M Y" << QStringList{"B101", "B100"};
    QTest::newRow("days: 32 days on")
        << "mnuViewDays" << 1 << 32 << "M Y" << QStringList{"B101", "B100", "B102"};
    QTest::newRow("weeks: 60 days on")
        << "mnuViewWeeks" << 2 << 60 << "M Y" << QStringList{"B101", "B100", "B102", "B103"};
}

void TestMainWindow::resolutionsShowInclusiveDateRanges() {
    QFETCH(QString, menu);
    QFETCH(int, timeType);
    QFETCH(int, lastOffset);
    QFETCH(QString, format);
    QFETCH(QStringList, bars);
    // Opened with the resolution from the settings, then switched by the menu
    // to another one and back: the menu writes the setting.
    Fixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Config"), QStringLiteral("TimeType"), timeType);
    f.Open();
    for (int pass = 0; pass < 2; ++pass) {
        QCOMPARE(f.Sched()->TimeType(), timeType);
        QCOMPARE(f.Sched()->LastDate(), kToday + lastOffset);
        QCOMPARE(f.Sched()->RulerDateFormat(), format);
        QCOMPARE(BarKeys(f.Sched()), bars);
        f.main->MenuEntry(timeType == 0 ? QStringLiteral("mnuViewWeeks")
                                        : QStringLiteral("mnuViewHours"))
            ->trigger();
        QCOMPARE(f.IniValue(QStringLiteral("Config"), QStringLiteral("TimeType")).toInt(),
                 timeType == 0 ? 2 : 0);
        f.main->MenuEntry(menu)->trigger();
        QCOMPARE(f.IniValue(QStringLiteral("Config"), QStringLiteral("TimeType")).toInt(),
                 timeType);
    }
}

void TestMainWindow::contactNamesOnBars() {
    Fixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Options"), QStringLiteral("DispCustomer"), 1);
    f.Setting(QStringLiteral("Config"), QStringLiteral("TimeType"), 1);
    f.Open();
    ScheduleView* sched = f.Sched();
    // A booking without a contact shows no name, and the rest of the schedule
    // is still built.
    QCOMPARE(sched->BarText(1, 1), QString());
    QCOMPARE(sched->BarText(1, 2), QStringLiteral("Zoë O'Neil"));
    QCOMPARE(sched->BarText(2, 1), QStringLiteral("Zoë O'Neil"));
    QVERIFY(!f.env.LogContains(QStringLiteral("Error in DlgMain.ShowResources")));
}

void TestMainWindow::legendLabelsAreReused() {
    // Two groups without resources: the legend is shown on its own.
    Fixture f;
    f.Group(1, QStringLiteral("A Ten types"));
    f.Group(2, QStringLiteral("B Three types"));
    for (int i = 0; i < 10; ++i)
        f.Task(100 + i, 1, QStringLiteral("Type %1").arg(i), 0x010101 * i);
    for (int i = 0; i < 3; ++i)
        f.Task(200 + i, 2, QStringLiteral("Kind %1").arg(i), 0x0000FF);
    f.Open();
    QCOMPARE(RowNames(f.Sched()), QStringList());
    QCOMPARE(f.main->LblColor().size(), 10);
    QCOMPARE(f.main->LblLegend()[9]->text(), QStringLiteral("Type 9"));
    QCOMPARE(f.main->LblColor()[9]->Tag(), 109);
    ClsForms::SelectItemId(f.main->CbGroup(), 2);
    QCOMPARE(f.main->LblColor().size(), 10);
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(f.main->LblColor()[i]->isVisibleTo(f.main.get()), i < 3);
        QCOMPARE(f.main->LblLegend()[i]->isVisibleTo(f.main.get()), i < 3);
    }
    QCOMPARE(f.main->LblLegend()[2]->text(), QStringLiteral("Kind 2"));
    QCOMPARE(f.main->LblLegend()[2]->Tag(), 202);
    QCOMPARE(ColourUtil::FromColor(f.main->LblColor()[2]->palette().color(QPalette::Window)),
             0x0000FF);

    // Another group chosen while the legend is being rebuilt: only its labels stay.
    ClsForms::SelectItemId(f.main->CbGroup(), 1);
    QTimer::singleShot(0, f.main.get(), [&] { ClsForms::SelectItemId(f.main->CbGroup(), 2); });
    QTest::qSleep(20); // the rebuild lets events run at its first label
    f.main->ShowLegends();
    QStringList shown;
    for (const LegendLabel* label : f.main->LblLegend())
        if (label->isVisibleTo(f.main.get()))
            shown << label->text();
    QCOMPARE(shown, (QStringList{"Kind 0", "Kind 1", "Kind 2"}));
}

void TestMainWindow::daySpinnerMovesOneDay() {
    // One day at a time even when the view shows weeks.
    Fixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Config"), QStringLiteral("TimeType"), 2);
    f.Open();
    f.main->SpinDate()->DecreaseButton()->click();
    QCOMPARE(f.main->CurrentDate(), kToday - 1);
    QCOMPARE(f.Sched()->FirstDate(), kToday - 1);
    f.main->SpinDate()->IncreaseButton()->click();
    f.main->SpinDate()->IncreaseButton()->click();
    QCOMPARE(f.main->CurrentDate(), kToday + 1);
    QCOMPARE(f.IniValue(QStringLiteral("Config"), QStringLiteral("LastDate")).toInt(), kToday + 1);
    QCOMPARE(DlgCalendar::Instance().SelDate(), kToday + 1);
}

void TestMainWindow::emptyDatabaseExplainsHowToBegin() {
    Fixture f;
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
    Fixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Config"), QStringLiteral("ChkLegend"), 0);
    f.Setting(QStringLiteral("Sched"), QStringLiteral("TimeDistance"), 96);
    f.Setting(QStringLiteral("Sched"), QStringLiteral("ListWidth"), 140);
    f.Setting(QStringLiteral("Colours"), QStringLiteral("WeekendColor"), 0x123456);
    f.Setting(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 1);
    f.Open();
    QCOMPARE(f.Sched()->WeekendColour(), 0x123456);
    // Keys that are absent leave the view's own colours.
    QCOMPARE(f.Sched()->BackColour(), ScheduleView::kDefaultBackColour);
    QVERIFY(f.Sched()->Use24Hour());
    QVERIFY(!f.Sched()->Use12Hour());
    QCOMPARE(f.Sched()->TimeDistance(), 96);
    QCOMPARE(f.Sched()->ListWidth(), 140);
    f.main->Scroll()->setValue(150);
    QCOMPARE(f.Sched()->TimeDistance(), 150);
    QCOMPARE(f.Sched()->SecondSpacing(), 12);
    QCOMPARE(f.IniValue(QStringLiteral("Sched"), QStringLiteral("TimeDistance")), QStringLiteral("150"));
    QVERIFY(!f.main->ChkLegend()->isChecked());
    QVERIFY(!f.main->Frame1()->isVisibleTo(f.main.get()));
    f.main->ChkLegend()->click();
    QVERIFY(f.main->Frame1()->isVisibleTo(f.main.get()));
    QCOMPARE(f.IniValue(QStringLiteral("Config"), QStringLiteral("ChkLegend")), QStringLiteral("1"));
}

void TestMainWindow::calendarMarksTickedResourcesOnly() {
    Fixture f;
    f.Clinic();
    f.Open();
    DlgCalendar& cal = DlgCalendar::Instance();
    cal.SetResourceId(10);
    cal.Form_Load();
    cal.Form_Activate();
    QCOMPARE(cal.ChkResource().size(), 2);
    int ticked = 0;
    for (QCheckBox* box : cal.ChkResource())
        ticked += box->isChecked() ? 1 : 0;
    QCOMPARE(ticked, 1);
    // Room A has bookings only on the shown date; Room B's days stay unmarked.
    QVERIFY(cal.Cal()->IsMarked(kToday));
    QVERIFY(!cal.Cal()->IsMarked(kToday - 1));
    for (QCheckBox* box : cal.ChkResource())
        if (box->isChecked())
            box->click();
    QVERIFY(!cal.Cal()->IsMarked(kToday));
    for (QCheckBox* box : cal.ChkResource())
        box->click();
    QVERIFY(cal.Cal()->IsMarked(kToday - 1));
    // The next page is marked after the page change.
    cal.Cal()->showNextMonth();
    QVERIFY(cal.Cal()->IsMarked(kToday + 32));
}

void TestMainWindow::calendarCancelKeepsDate() {
    Fixture f;
    f.Clinic();
    f.Open();
    // A date chosen on another page, then Cancel; then a date and Select.
    for (const int button : {2, 0}) {
        f.env.onModal = [button](QDialog* dialog) {
            auto* cal = qobject_cast<DlgCalendar*>(dialog);
            cal->Cal()->showNextMonth();
            cal->Cal()->setSelectedDate(ClsDate::LongToDate(kToday + 40));
            cal->BtnCalendar_Click(button);
            return int(cal->result());
        };
        QCOMPARE(DlgCalendar::Choose(0), button == 0);
        QCOMPARE(DlgCalendar::Instance().SelDate(), button == 0 ? kToday + 40 : kToday);
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

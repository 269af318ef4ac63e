// The main window at work: drops from the legend, double-clicks, bar details,
// commands, the timer, and closing.
#include "MainFixture.h"

#include "base/ProgramState.h"
#include "data/ClsDAO.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "model/Records.h"
#include "ui/booking/DlgAppt.h"
#include "ui/common/ClsForms.h"
#include "ui/config/DlgConfig.h"
#include "ui/controls/ScheduleView.h"
#include "ui/definitions/DlgGroup.h"
#include "ui/main/DlgMain.h"
#include "ui/main/LegendLabel.h"

#include <QAction>
#include <QComboBox>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

namespace {
constexpr qint32 kToday = MainFixture::kToday;

int Count(const MainFixture& f, const QString& table, const QString& where) {
    return f.env.Count(table + " where " + where);
}

// Answers the booking dialog by noting how it was prepared:
// "group start resource task date", with the date counted from kToday.
void RecordBookingDialog(MainFixture& f, QString& opened) {
    f.env.onModal = [&opened](QDialog* dialog) {
        if (auto* a = qobject_cast<DlgAppt*>(dialog))
            opened = QStringLiteral("%1 %2 %3 %4 %5").arg(a->GroupId()).arg(a->StartTime())
                         .arg(a->ResourceId()).arg(a->TaskId()).arg(a->ApptDate() - kToday);
        return int(QDialog::Rejected);
    };
}

} // namespace

class TestMainCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void dropSnapsToSlot_data();
    void dropSnapsToSlot();
    void hoverFillsPanels_data();
    void hoverFillsPanels();
    void resourceCommandsNeedCurrentRow();
    void timerRebuildsOnOtherWorkstationsChange();
    void timerReloadsTheRowsTheJournalNames_data();
    void timerReloadsTheRowsTheJournalNames();
    void commandsRearmTimerAndAutoscroll();
    void closeIsDeferredAndSavesPlacement();
    void commandsOpenTheirWindows();
    void closeDuringRebuildWaitsForIt_data();
    void closeDuringRebuildWaitsForIt();
};

void TestMainCommands::dropSnapsToSlot_data() {
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("from"); // a booking of the room on the dropped date, if any
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("start"); // of the slot the dialog opens on; -1: refused
    QTest::addColumn<bool>("cancelledGroup"); // New Group was opened and cancelled first
    QTest::newRow("last minute of a slot") << 569 << 0 << 0 << 540 << false;
    QTest::newRow("before the working day") << 470 << 0 << 0 << 450 << false;
    // The same overlap rule as a save's (the whole table is in the record
    // tests): touching the slot is no clash.
    QTest::newRow("ends at the slot start") << 545 << 510 << 540 << 540 << false;
    QTest::newRow("strictly inside") << 545 << 545 << 565 << -1 << false;
    QTest::newRow("encloses the slot") << 545 << 500 << 600 << -1 << false;
    // The shown group's slots, not the empty record a cancelled dialog left.
    QTest::newRow("after New Group was cancelled") << 569 << 0 << 0 << 540 << true;
}

void TestMainCommands::dropSnapsToSlot() {
    QFETCH(int, minute);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, start);
    QFETCH(bool, cancelledGroup);
    MainFixture f;
    f.Group(1, QStringLiteral("Half hours"), 480, 1080, 30);
    f.Resource(10, 1, QStringLiteral("Room A"));
    f.Task(20, 1, QStringLiteral("Visit"), 0x00FF00);
    if (from < to)
        f.Booking(500, 10, 20, 0, kToday + 3, from, to);
    // The view shows 32 days: the drop lands on another date than the current one.
    f.Setting(QStringLiteral("Config"), QStringLiteral("TimeType"), 1);
    f.Open();
    if (cancelledGroup)
        f.main->Toolbar1_ButtonMenuClick(QStringLiteral("AddGroup"));
    QTest::mouseClick(f.main->LblColor()[0], Qt::LeftButton); // the first type armed
    QString opened;
    RecordBookingDialog(f, opened);
    f.main->Sched_DropItem(1, minute, kToday + 3);
    if (start < 0) {
        QCOMPARE(opened, QString());
        QCOMPARE(f.env.boxes.size(), 1);
        QCOMPARE(f.env.boxes[0].text,
                 QStringLiteral("Requested event overlaps previously defined event!"));
        return;
    }
    QVERIFY(f.env.boxes.isEmpty());
    QCOMPARE(opened, QStringLiteral("1 %1 10 20 3").arg(start));
    // The view and the current date stay where they were.
    QCOMPARE(f.main->CurrentDate(), kToday);
    QCOMPARE(f.Sched()->FirstDate(), kToday);
    // A double-click on the room opens its day at the start of the working day.
    f.main->Sched_ListDblClick(1);
    QCOMPARE(opened, QStringLiteral("1 480 10 0 0"));
}

void TestMainCommands::hoverFillsPanels_data() {
    QTest::addColumn<int>("popups");
    QTest::addColumn<int>("booking");
    QTest::addColumn<QString>("panels"); // Start|End|Task|Person
    QTest::addColumn<QString>("tip");
    QTest::newRow("with contact and comment")
        << 1 << 100 << "10:00 am|11:00 am|Check-up|Zoë O'Neil"
        << "Check-up\r\n10:00 am to 11:00 am\r\n  bring notes \r\nZoë O'Neil";
    QTest::newRow("no pop-ups: panels only")
        << 0 << 100 << "10:00 am|11:00 am|Check-up|Zoë O'Neil" << "";
    QTest::newRow("no contact, blank comment")
        << 1 << 101 << "09:00 am|09:30 am|Surgery|" << "Surgery\r\n09:00 am to 09:30 am";
    QTest::newRow("deleted by another workstation") << 1 << 999 << "|||" << "";
}

void TestMainCommands::hoverFillsPanels() {
    QFETCH(int, popups);
    QFETCH(int, booking);
    QFETCH(QString, panels);
    QFETCH(QString, tip);
    MainFixture f;
    f.Clinic();
    f.Exec("update tblBookings set Comments = '  bring notes ' where BookingId = 100");
    f.Exec(QStringLiteral("update tblBookings set Comments = '   ' where BookingId = 101"));
    f.Setting(QStringLiteral("Options"), QStringLiteral("PopupReminders"), popups);
    f.Open();
    // Row 1 is Room A: bar 1 is booking 101, bar 2 booking 100.
    if (booking == 999)
        f.Exec(QStringLiteral("delete from tblBookings where BookingId = 100"));
    f.main->Sched_ItemMove(1, booking == 101 ? 1 : 2);
    QStringList shown;
    for (const char* key : {"Start", "End", "Task", "Person"})
        shown << f.main->PanelText(QString::fromLatin1(key));
    QCOMPARE(shown.join('|'), panels);
    QCOMPARE(f.main->TipText(), tip);
}

void TestMainCommands::resourceCommandsNeedCurrentRow() {
    MainFixture f;
    f.Clinic();
    f.Group(2, QStringLiteral("Dental"));
    f.Open();
    // A double-click on a name, or "Write", opens the booking dialog for that
    // row; "Write" without a current row opens it for none.
    QString opened;
    RecordBookingDialog(f, opened);
    emit f.Sched()->Sched_ListDblClick(2);
    QCOMPARE(opened, QStringLiteral("1 480 11 0 0"));
    f.Sched()->SetCurrentRow(-1);
    f.main->Toolbar1_ButtonClick(QStringLiteral("Write"));
    QCOMPARE(opened, QStringLiteral("1 480 0 0 0"));
    f.main->SelectResource(11);
    f.main->ToolbarButton(QStringLiteral("Write"))->trigger();
    QCOMPARE(opened, QStringLiteral("1 480 11 0 0"));
    // Editing or deleting a resource needs a current row.
    f.Sched()->SetCurrentRow(-1);
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("EditRes"));
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteRes"));
    QCOMPARE(f.env.boxes.size(), 2);
    for (const TestEnv::Box& box : f.env.boxes)
        QCOMPARE(box.text, QStringLiteral("No resource selected!"));
    f.main->SelectResource(10);
    f.env.confirmAnswers = {true, true};
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteRes"));
    QCOMPARE(Count(f, QStringLiteral("tblBookings"), QStringLiteral("ResourceId = 10")), 0);
    QCOMPARE(f.Sched()->RowCount() - 1, 1);
    // A delete the database refuses half-way is taken back whole, and said so.
    f.env.RefuseWrites("delete", "tblResources", "disk full");
    f.main->SelectResource(11);
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteRes"));
    QCOMPARE(f.env.boxes.last().text, QStringLiteral("Unable to delete resource!"));
    QCOMPARE(Count(f, QStringLiteral("tblBookings"), QStringLiteral("ResourceId = 11")), 3);
    QCOMPARE(f.Sched()->RowCount() - 1, 1);

    // The "Group" button itself adds a group: the dialog sees a reset record.
    f.env.onModal = [](QDialog* dialog) {
        ClsGroup& group = Records::Group();
        if (!qobject_cast<DlgGroup*>(dialog) || group.GroupId() != 0)
            return int(QDialog::Rejected);
        group.SetGroupName(QStringLiteral("Added"));
        group.Save();
        return int(QDialog::Accepted);
    };
    f.main->Toolbar1_ButtonClick(QStringLiteral("Group"));
    QCOMPARE(f.main->CbGroup()->currentText(), QStringLiteral("Added"));
    QCOMPARE(f.main->CbGroup()->count(), 3);
    // Deleting a group asks first; No keeps it.
    ClsForms::SelectItemId(f.main->CbGroup(), 2);
    f.env.confirmAnswers = {false, true};
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteGroup"));
    QCOMPARE(Count(f, "tblGroups", "GroupId = 2"), 1);
    f.main->MenuEntry(QStringLiteral("mnuResourceDeleteGroup"))->trigger();
    QCOMPARE(f.env.boxes.last().text, QStringLiteral("Confirm delete selected group?"));
    QCOMPARE(Count(f, "tblGroups", "GroupId = 2"), 0);
    QCOMPARE(f.main->CbGroup()->count(), 2);
}

void TestMainCommands::timerRebuildsOnOtherWorkstationsChange() {
    MainFixture f;
    f.Clinic();
    f.Open();
    ClsDAO other;
    QCOMPARE(other.DbOpen(f.env.DbPath()), qint16(0));
    f.main->Timer1_Timer(); // takes note of the other workstation's open
    const auto book = [&](qint32 date) {
        QVERIFY(other.SqlAction(QStringLiteral(
            "insert into tblBookings (ResourceId, TaskId, CustomerId, BookingDate, BookingStart, "
            "BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values (11, 20, 0, %1, 700, "
            "760, 0, '', '', '', '')").arg(date)));
    };
    // A booking on a date the view does not show leaves the view alone.
    book(kToday + 41);
    f.Sched()->SetBarText(1, 1, QStringLiteral("marker"));
    f.main->Timer1_Timer();
    QCOMPARE(f.Sched()->BarText(1, 1), QStringLiteral("marker")); // not rebuilt
    // Another workstation books Room B today and stamps the change marker.
    QCOMPARE(f.Sched()->BarCount(2), 0);
    book(kToday);
    f.main->Timer1_Timer();
    QCOMPARE(f.Sched()->BarCount(2), 1);
    QCOMPARE(f.main->BookingSignature(), 570 + 660 + 760);
}

void TestMainCommands::timerReloadsTheRowsTheJournalNames_data() {
    QTest::addColumn<QString>("table"); // journalled; empty: written as an earlier version does
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("rows"); // "name bars", * for a row read again
    const QString all = "Room A 2*, Room B 1*, Room C 1*";
    QTest::newRow("comment") << "tblBookings" << 100
        << "update tblBookings set Comments = 'x' where BookingId = 100"
        << "Room A 2*, Room B 1, Room C 1";
    QTest::newRow("move to another room")
        << "tblBookings" << 100 << "update tblBookings set ResourceId = 11 where BookingId = 100"
        << "Room A 1*, Room B 2*, Room C 1";
    QTest::newRow("new") << "tblBookings" << 107
        << QString("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, "
                   "BookingDate, BookingStart, BookingEnd, RepeatId) values (107, 9, 20, 0, %1, "
                   "900, 930, 0)").arg(kToday)
        << "Room A 2, Room B 1, Room C 2*";
    QTest::newRow("delete") << "tblBookings" << 106
        << "delete from tblBookings where BookingId = 106" << "Room A 2, Room B 0*, Room C 1";
    QTest::newRow("another day") << "tblBookings" << 104
        << "update tblBookings set BookingStart = 500 where BookingId = 104"
        << "Room A 2, Room B 1, Room C 1";
    QTest::newRow("into the day shown") << "tblBookings" << 102
        << QString("update tblBookings set BookingDate = %1 where BookingId = 102").arg(kToday)
        << "Room A 2, Room B 2*, Room C 1";
    QTest::newRow("type") << "tblTasks" << 20 << "update tblTasks set Colour = 1 where TaskId = 20"
                          << all;
    QTest::newRow("earlier version") << ""  << 0
        << "update tblBookings set BookingEnd = 665 where BookingId = 100" << all;
    QTest::newRow("no journal") << "drop" << 0
        << "update tblBookings set BookingEnd = 665 where BookingId = 100" << all;
}

void TestMainCommands::timerReloadsTheRowsTheJournalNames() {
    // Another workstation's change reads again only the rows the journal
    // names; without an entry, the bookings' signature rebuilds everything.
    QFETCH(QString, table);
    QFETCH(int, id);
    QFETCH(QString, sql);
    QFETCH(QString, rows);
    MainFixture f;
    f.Clinic();
    f.Resource(9, 1, QStringLiteral("Room C"));
    f.Booking(105, 9, 21, 0, kToday, 700, 730);
    f.Booking(106, 11, 21, 0, kToday, 800, 830);
    f.Open();
    ScheduleView* sched = f.Sched();
    const auto shown = [&] {
        QStringList out;
        for (int row = 1; row < sched->RowCount(); ++row)
            out << QStringLiteral("%1 %2%3").arg(sched->CellText(row, 1)).arg(sched->BarCount(row))
                       .arg(sched->BarText(row, 1) == "kept" ? "" : "*");
        return out.join(", ");
    };
    for (int row = 1; row < sched->RowCount(); ++row)
        sched->SetBarText(row, 1, QStringLiteral("kept"));
    if (table == "drop")
        f.Exec("drop table tblJournal");
    if (table.startsWith("tbl")) {
        f.Journalled(table, id, sql);
    } else {
        ClsDAO other;
        QCOMPARE(other.DbOpen(f.env.DbPath()), qint16(0));
        QVERIFY(other.SqlAction(sql)); // stamps the change marker
    }
    f.main->Timer1_Timer();
    QCOMPARE(shown(), rows);
    QCOMPARE(f.main->BookingSignature(),
             Records::Booking().BookingCheck(kToday, kToday, f.main->SelectedGroupId()));
}

void TestMainCommands::commandsRearmTimerAndAutoscroll() {
    MainFixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Options"), QStringLiteral("Autoscroll"), 1);
    f.Open();
    f.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
    // The first start with autoscroll already shows today.
    const qint32 today = ClsDate::Today();
    QCOMPARE(f.main->CurrentDate(), today);
    QTimer* timer = f.main->Timer1();
    QCOMPARE(timer->interval(), 15000);
    // Without "UpdateCheck" the interval stays as it was; an interval the
    // timer cannot take (above 65,535 ms) leaves the previous one.
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("Days"));
    QCOMPARE(timer->interval(), 15000);
    QVERIFY(f.main->ToolbarButton(QStringLiteral("Write"))->isEnabled()); // the toolbar works again
    f.Setting(QStringLiteral("Config"), QStringLiteral("UpdateCheck"), 5);
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("Hours"));
    QCOMPARE(timer->interval(), 5000);
    f.Setting(QStringLiteral("Config"), QStringLiteral("UpdateCheck"), 100);
    f.main->Toolbar1_ButtonClick(QStringLiteral("Screen"));
    QCOMPARE(timer->interval(), 5000);
    QVERIFY(timer->isActive());
    // Twenty ticks after the last rebuild the view goes back to today.
    f.main->SetCurrentDate(kToday);
    for (int tick = 0; tick < 19; ++tick)
        f.main->Timer1_Timer();
    QCOMPARE(f.main->CurrentDate(), kToday);
    f.main->Timer1_Timer();
    QCOMPARE(f.main->CurrentDate(), today);
    QCOMPARE(f.main->AutoscrollHoldOff(), 20);
}

void TestMainCommands::closeIsDeferredAndSavesPlacement() {
    MainFixture f;
    f.Clinic();
    // Placed on a larger display or a monitor that is gone: opened on this screen.
    for (const auto& [key, value] :
         {std::pair{"Left", 5000}, {"Top", -3000}, {"Width", 3000}, {"Height", 2000}})
        f.Setting(QStringLiteral("DlgMain"), QLatin1String(key), value);
    f.Open();
    f.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
    QVERIFY(f.main->screen()->availableGeometry().contains(f.main->frameGeometry()));
    f.main->resize(700, 500);
    f.main->close();
    // The user's close waits for the next tick of the timer.
    QVERIFY(f.main->isVisible() && ProgramState::IsRunning());
    QTRY_VERIFY(!ProgramState::IsRunning());
    QCOMPARE(f.IniValue("DlgMain", "Width") + ' ' + f.IniValue("DlgMain", "Height") + ' ' +
                 f.IniValue("DlgMain", "WindowState"),
             QStringLiteral("700 500 0"));
    const QStringList log = f.env.LogLines();
    QCOMPARE(log.mid(log.size() - 2), (QStringList{"Database close [0]", "Closing down"}));
}

void TestMainCommands::commandsOpenTheirWindows() {
    MainFixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Options"), QStringLiteral("DispCustomer"), 1);
    f.Booking(107, 11, 21, 30, kToday, 720, 960);
    f.Open();
    const QString pdf = f.env.Path(QStringLiteral("schedule.pdf"));
    QStringList shown;
    f.env.onModal = [&](QDialog* dialog) {
        if (TestEnv::PrintToPdf(dialog, pdf)) {
            shown << QStringLiteral("print");
        } else if (qobject_cast<DlgConfig*>(dialog)) {
            shown << QStringLiteral("config");
            f.Setting(QStringLiteral("Colours"), QStringLiteral("WeekendColor"), 0x224466);
            f.Setting(QStringLiteral("Config"), QStringLiteral("TimeType"), 1);
        } else {
            shown << QString::fromLatin1(dialog->metaObject()->className());
            return int(QDialog::Rejected);
        }
        return int(QDialog::Accepted);
    };
    // Print, with the heading and the footer of the printed schedule.
    f.main->Toolbar1_ButtonClick(QStringLiteral("Print"));
    const QString text = TestEnv::PdfText(pdf);
    for (const char* line :
         {"Tarvelo - Saturday 5 December 2026", "Room A", "Room B", "Printed by Tarvelo",
          "Zoë O'Neil, Surgery"}) // a bar wide enough carries its text on paper too
        QVERIFY2(text.contains(QString::fromUtf8(line)), qPrintable(text));
    // The configuration's new settings are applied when it closes.
    f.main->Toolbar1_ButtonClick(QStringLiteral("Config"));
    f.main->Toolbar1_ButtonClick(QStringLiteral("Binocular"));
    f.main->MenuEntry(QStringLiteral("mnuResourceEditGroup"))->trigger();
    QCOMPARE(shown, (QStringList{"print", "config", "DlgSearch", "DlgGroup"}));
    QCOMPARE(f.Sched()->WeekendColour(), 0x224466);
    QCOMPARE(f.Sched()->LastDate(), kToday + 32); // the days view

    // Backup and export from the Transfer menu; the window is usable after.
    f.main->MenuEntry(QStringLiteral("mnuTransferBackup"))->trigger();
    QFile file(f.env.Path(QDate::currentDate().toString("'Backup/'yyyyMMdd'.txt'")));
    QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll().contains("\nG~Clinic~480~1080~15"));
    QCOMPARE(f.env.boxes.last().title, QStringLiteral("Backup Complete!"));
    QVERIFY(f.main->Toolbar1()->actions().first()->isEnabled() && f.Sched()->isEnabled());
    f.main->SelectResource(10);
    f.main->MenuEntry(QStringLiteral("mnuTransferExport"))->trigger();
    QVERIFY(QFile::exists(f.env.Path(QStringLiteral("Export/Room A.csv"))));

    // File, Exit keeps the width of the name column.
    f.Sched()->SetListWidth(173);
    f.main->MenuEntry(QStringLiteral("mnuFileExit"))->trigger();
    QVERIFY(!ProgramState::IsRunning());
    QCOMPARE(f.IniValue("Sched", "ListWidth"), QStringLiteral("173"));
}

void TestMainCommands::closeDuringRebuildWaitsForIt_data() {
    QTest::addColumn<QString>("close");
    QTest::newRow("File, Exit") << "exit";
    QTest::newRow("close button, tick during the rebuild") << "button";
    QTest::newRow("close button while a command's window is open") << "command";
}

void TestMainCommands::closeDuringRebuildWaitsForIt() {
    QFETCH(QString, close);
    MainFixture f;
    f.Clinic();
    // A large group: many bookings on today's schedule.
    f.Exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i "
                          "< 600) insert into tblBookings (ResourceId, TaskId, CustomerId, "
                          "BookingDate, BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, "
                          "Comments) select 10 + i % 2, 20, 0, %1, 480 + i, 481 + i, 0, '', '', "
                          "'', '' from n")
               .arg(kToday));
    f.Open();
    f.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
    bool running = false;
    if (close == QLatin1String("command")) {
        // The events that run while the command's window is open must not end
        // the program under the command.
        f.env.onModal = [&](QDialog*) {
            f.main->close();
            QTest::qWait(300);
            running = ProgramState::IsRunning();
            return int(QDialog::Rejected);
        };
        f.main->Toolbar1_ButtonClick(QStringLiteral("Config"));
    } else {
        // A rebuild that no command started (the day spinner, the group box,
        // the timer) lets events run; the user closes the window meanwhile.
        bool closeAsked = false;
        QTimer::singleShot(0, f.main.get(), [&] {
            closeAsked = true;
            if (close == QLatin1String("exit")) {
                f.main->Toolbar1_ButtonClick(QStringLiteral("Exit"));
            } else {
                f.main->close();
                f.main->Timer1_Timer();
            }
        });
        QTest::qSleep(20); // the rebuild lets events run at its first row
        f.main->ShowResources(0);
        QVERIFY(closeAsked);
        running = ProgramState::IsRunning();
    }
    // The program was not ended under the command or the rebuild, and closes after it.
    QVERIFY(running);
    QTRY_VERIFY(!ProgramState::IsRunning());
    QVERIFY(!f.main->isVisible());
    QVERIFY(!f.env.LogContains(QStringLiteral("Error in")));
}

QTEST_MAIN(TestMainCommands)
#include "tst_maincommands.moc"

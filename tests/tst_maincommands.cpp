// The main window at work: drops from the legend, double-clicks, bar details,
// toolbar and menu commands, the timer and the window placement.
#include "MainFixture.h"

#include "app/ClsForms.h"
#include "data/ClsDAO.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgSearch.h"
#include "ui/config/DlgConfig.h"
#include "ui/controls/ScheduleView.h"
#include "ui/definitions/DlgGroup.h"
#include "ui/main/DlgMain.h"

#include <QAction>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QProcess>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

namespace {
constexpr qint32 kToday = MainFixture::kToday;

int Count(const MainFixture& f, const QString& table, const QString& where) {
    return f.env.Sql(QStringLiteral("select count(*) from %1 where %2").arg(table, where)).toInt();
}

// Answers the booking dialog by noting how it was prepared:
// "group start resource task date", with the date counted from kToday.
void RecordBookingDialog(MainFixture& f, QString& opened) {
    f.env.onModal = [&opened](QDialog* dialog) {
        if (auto* appt = qobject_cast<DlgAppt*>(dialog))
            opened = QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(appt->GroupId())
                         .arg(appt->StartTime())
                         .arg(appt->ResourceId())
                         .arg(appt->TaskId())
                         .arg(appt->ApptDate() - kToday);
        return int(QDialog::Rejected);
    };
}

QString PdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

class TestMainCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void dropSnapsToSlot_data();
    void dropSnapsToSlot();
    void doubleClickOpensBookingForRow();
    void hoverFillsPanels_data();
    void hoverFillsPanels();
    void groupCommands();
    void resourceCommandsNeedCurrentRow();
    void commandsRearmTimer();
    void timerRebuildsOnOtherWorkstationsChange();
    void autoscrollReturnsToToday();
    void closeIsDeferredAndSavesPlacement_data();
    void closeIsDeferredAndSavesPlacement();
    void exitSavesListWidth();
    void commandsOpenTheirWindows();
    void closeDuringCommandWaitsForIt();
    void closeDuringRebuildWaitsForIt_data();
    void closeDuringRebuildWaitsForIt();
};

void TestMainCommands::dropSnapsToSlot_data() {
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("resource"); // of a booking on the dropped date; 0: none
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("start"); // of the slot the dialog opens on; -1: refused
    QTest::newRow("on a slot start") << 540 << 0 << 0 << 0 << 540;
    QTest::newRow("last minute of a slot") << 569 << 0 << 0 << 0 << 540;
    QTest::newRow("before the working day") << 470 << 0 << 0 << 0 << 450;
    // The same overlap rule as a save's (the whole table is in the record
    // tests): touching the slot is no clash.
    QTest::newRow("ends at the slot start") << 545 << 10 << 510 << 540 << 540;
    QTest::newRow("strictly inside") << 545 << 10 << 545 << 565 << -1;
    QTest::newRow("encloses the slot") << 545 << 10 << 500 << 600 << -1;
    QTest::newRow("other resource") << 545 << 11 << 540 << 570 << 540;
}

void TestMainCommands::dropSnapsToSlot() {
    QFETCH(int, minute);
    QFETCH(int, resource);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, start);
    MainFixture f;
    f.Group(1, QStringLiteral("Half hours"), 480, 1080, 30);
    f.Resource(10, 1, QStringLiteral("Room A"));
    f.Resource(11, 1, QStringLiteral("Room B"));
    f.Task(20, 1, QStringLiteral("Visit"), 0x00FF00);
    if (resource)
        f.Booking(500, resource, 20, 0, kToday + 3, from, to);
    // The view shows 32 days: the drop lands on another date than the current one.
    f.Setting(QStringLiteral("Config"), QStringLiteral("TimeType"), 1);
    f.Open();
    f.main->LblColor_MouseDown(0);
    QCOMPARE(f.main->DraggedTask(), 20);
    QString opened;
    RecordBookingDialog(f, opened);
    f.main->Sched_DropItem(1, minute, kToday + 3);
    if (start < 0) {
        QCOMPARE(opened, QString());
        QCOMPARE(f.env.boxes.size(), 1);
        QCOMPARE(f.env.boxes[0].kind, ModMain::BoxKind::Warning);
        QCOMPARE(f.env.boxes[0].text,
                 QStringLiteral("Requested event overlaps previously defined event!"));
        return;
    }
    QCOMPARE(f.env.boxes.size(), 0);
    QCOMPARE(opened, QStringLiteral("1 %1 10 20 3").arg(start));
    // The view and the current date stay where they were.
    QCOMPARE(f.main->CurrentDate(), kToday);
    QCOMPARE(f.Sched()->FirstDate(), kToday);
}

void TestMainCommands::doubleClickOpensBookingForRow() {
    MainFixture f;
    f.Clinic();
    f.Open();
    QString opened;
    RecordBookingDialog(f, opened);
    emit f.Sched()->Sched_ListDblClick(2);
    QCOMPARE(opened, QStringLiteral("1 480 11 0 0"));
    // "Write" opens it for the current row, or for row 0 when there is none.
    f.main->Sched()->SetCurrentRow(-1);
    f.main->Toolbar1_ButtonClick(QStringLiteral("Write"));
    QCOMPARE(opened, QStringLiteral("1 480 0 0 0"));
    f.main->SelectResource(11);
    f.main->ToolbarButton(QStringLiteral("Write"))->trigger();
    QCOMPARE(opened, QStringLiteral("1 480 11 0 0"));
}

void TestMainCommands::hoverFillsPanels_data() {
    QTest::addColumn<int>("popups");
    QTest::addColumn<int>("booking");
    QTest::addColumn<QString>("panels"); // Start|End|Task|Person
    QTest::addColumn<QString>("tip");
    QTest::newRow("with contact and comment")
        << 1 << 100 << "10:00 am|11:00 am|Check-up|Zoë O'Neil"
        << "10:00 am to 11:00 am\r\n  bring notes \r\nZoë O'Neil";
    QTest::newRow("no pop-ups: panels only")
        << 0 << 100 << "10:00 am|11:00 am|Check-up|Zoë O'Neil" << "";
    QTest::newRow("no contact, blank comment")
        << 1 << 101 << "09:00 am|09:30 am|Surgery|" << "09:00 am to 09:30 am";
    QTest::newRow("deleted by another workstation") << 1 << 999 << "|||" << "";
}

void TestMainCommands::hoverFillsPanels() {
    QFETCH(int, popups);
    QFETCH(int, booking);
    QFETCH(QString, panels);
    QFETCH(QString, tip);
    MainFixture f;
    f.Clinic();
    f.Exec(QStringLiteral("update tblBookings set Comments = '  bring notes ' where BookingId = 100"));
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

void TestMainCommands::groupCommands() {
    MainFixture f;
    f.Clinic();
    f.Group(2, QStringLiteral("Dental"));
    f.Resource(40, 2, QStringLiteral("Chair"));
    f.Customer(31, QStringLiteral("Only dental"), 2);
    f.Open();
    // The "Group" button itself adds a group: the dialog sees a reset record.
    f.env.onModal = [](QDialog* dialog) {
        if (qobject_cast<DlgGroup*>(dialog)) {
            ClsGroup& group = ModMain::Group();
            if (group.GroupId() != 0)
                return int(QDialog::Rejected);
            group.SetGroupName(QStringLiteral("Added"));
            group.Save();
        }
        return int(QDialog::Accepted);
    };
    f.main->Toolbar1_ButtonClick(QStringLiteral("Group"));
    QCOMPARE(f.main->CbGroup()->currentText(), QStringLiteral("Added"));
    QCOMPARE(f.main->CbGroup()->count(), 3);

    // Delete asks first; No keeps the group.
    ClsForms::SelectItemId(f.main->CbGroup(), 2);
    f.env.confirmAnswers = {false};
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteGroup"));
    QCOMPARE(f.env.boxes.last().text, QStringLiteral("Confirm delete selected group?"));
    QCOMPARE(Count(f, QStringLiteral("tblGroups"), QStringLiteral("GroupId = 2")), 1);
    f.env.confirmAnswers = {true};
    f.main->MenuEntry(QStringLiteral("mnuResourceDeleteGroup"))->trigger();
    QCOMPARE(Count(f, QStringLiteral("tblGroups"), QStringLiteral("GroupId = 2")), 0);
    QCOMPARE(Count(f, QStringLiteral("tblCustomers"), QStringLiteral("CustomerId = 31")), 0);
    QCOMPARE(f.main->CbGroup()->count(), 2);
}

void TestMainCommands::resourceCommandsNeedCurrentRow() {
    MainFixture f;
    f.Clinic();
    f.Open();
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("EditRes"));
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteRes"));
    QCOMPARE(f.env.boxes.size(), 2);
    for (const TestEnv::Box& box : f.env.boxes)
        QCOMPARE(box.text, QStringLiteral("No resource selected!"));
    f.main->SelectResource(10);
    f.env.confirmAnswers = {true};
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteRes"));
    QCOMPARE(Count(f, QStringLiteral("tblBookings"), QStringLiteral("ResourceId = 10")), 0);
    QCOMPARE(f.Sched()->RowCount() - 1, 1);
    // A delete the database refuses half-way is taken back whole, and said so.
    f.env.RefuseWrites(QStringLiteral("delete"), QStringLiteral("tblResources"),
                       QStringLiteral("disk full"));
    f.main->SelectResource(11);
    f.env.confirmAnswers = {true};
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteRes"));
    QCOMPARE(f.env.boxes.last().text, QStringLiteral("Unable to delete resource!"));
    QCOMPARE(Count(f, QStringLiteral("tblBookings"), QStringLiteral("ResourceId = 11")), 3);
    QCOMPARE(f.Sched()->RowCount() - 1, 1);
}

void TestMainCommands::commandsRearmTimer() {
    MainFixture f;
    f.Clinic();
    f.Open();
    f.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
    QCOMPARE(f.main->Timer1()->interval(), 15000);
    QVERIFY(f.main->Timer1()->isActive());
    // Without "UpdateCheck" the interval stays as it was.
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("Days"));
    QCOMPARE(f.main->Timer1()->interval(), 15000);
    f.Setting(QStringLiteral("Config"), QStringLiteral("UpdateCheck"), 5);
    f.main->Toolbar1_ButtonMenuClick(QStringLiteral("Hours"));
    QCOMPARE(f.main->Timer1()->interval(), 5000);
    QVERIFY(f.main->Timer1()->isActive());
    // An interval the timer cannot take leaves the previous one.
    f.Setting(QStringLiteral("Config"), QStringLiteral("UpdateCheck"), 100);
    f.main->Toolbar1_ButtonClick(QStringLiteral("Screen"));
    QCOMPARE(f.main->Timer1()->interval(), 5000);
    QVERIFY(f.main->Timer1()->isActive());
}

void TestMainCommands::timerRebuildsOnOtherWorkstationsChange() {
    MainFixture f;
    f.Clinic();
    f.Open();
    const qint32 signature = f.main->BookingSignature();
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
    QCOMPARE(f.main->BookingSignature(), signature);
    QCOMPARE(f.Sched()->BarText(1, 1), QStringLiteral("marker")); // not rebuilt
    // Another workstation books Room B today and stamps the change marker.
    QCOMPARE(f.Sched()->BarCount(2), 0);
    book(kToday);
    f.main->Timer1_Timer();
    QCOMPARE(f.Sched()->BarCount(2), 1);
    QCOMPARE(f.main->BookingSignature(), 570 + 660 + 760);
}

void TestMainCommands::autoscrollReturnsToToday() {
    MainFixture f;
    f.Clinic();
    f.Setting(QStringLiteral("Options"), QStringLiteral("Autoscroll"), 1);
    f.Open();
    // The first start with autoscroll already shows today.
    const qint32 today = ClsDate::Today();
    QCOMPARE(f.main->CurrentDate(), today);
    f.main->SetCurrentDate(kToday);
    for (int tick = 0; tick < 19; ++tick)
        f.main->Timer1_Timer();
    QCOMPARE(f.main->CurrentDate(), kToday);
    f.main->Timer1_Timer();
    QCOMPARE(f.main->CurrentDate(), today);
    QCOMPARE(f.main->AutoscrollHoldOff(), 20);
}

void TestMainCommands::closeIsDeferredAndSavesPlacement_data() {
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<bool>("kept");
    QTest::newRow("on the screen") << QRect(40, 30, 640, 480) << true;
    // Saved on a larger display or a monitor that is gone.
    QTest::newRow("off a smaller screen") << QRect(5000, -3000, 3000, 2000) << false;
}

void TestMainCommands::closeIsDeferredAndSavesPlacement() {
    QFETCH(QRect, saved);
    QFETCH(bool, kept);
    MainFixture f;
    f.Clinic();
    f.Setting(QStringLiteral("DlgMain"), QStringLiteral("Left"), saved.x());
    f.Setting(QStringLiteral("DlgMain"), QStringLiteral("Top"), saved.y());
    f.Setting(QStringLiteral("DlgMain"), QStringLiteral("Width"), saved.width());
    f.Setting(QStringLiteral("DlgMain"), QStringLiteral("Height"), saved.height());
    f.Open();
    f.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
    const QRect screen = f.main->screen()->availableGeometry();
    QVERIFY(screen.contains(f.main->frameGeometry()));
    if (kept)
        QCOMPARE(f.main->geometry().size(), saved.size());
    f.main->resize(700, 500);
    f.main->close();
    // The user's close waits for the next tick of the timer.
    QVERIFY(f.main->isVisible());
    QVERIFY(f.main->CloseRequested());
    QCOMPARE(f.main->Timer1()->interval(), 100);
    QVERIFY(ModMain::IsRunning());
    QTRY_VERIFY(!ModMain::IsRunning());
    QCOMPARE(f.IniValue(QStringLiteral("DlgMain"), QStringLiteral("Width")) + ' ' +
                 f.IniValue(QStringLiteral("DlgMain"), QStringLiteral("Height")) + ' ' +
                 f.IniValue(QStringLiteral("DlgMain"), QStringLiteral("WindowState")),
             QStringLiteral("700 500 0"));
    QCOMPARE(f.IniValue(QStringLiteral("Config"), QStringLiteral("LastDate")).toInt(), kToday);
    const QStringList log = f.env.LogLines();
    QCOMPARE(log.last(), QStringLiteral("Closing down"));
    QCOMPARE(log.at(log.size() - 2), QStringLiteral("Database close [0]"));
}

void TestMainCommands::exitSavesListWidth() {
    MainFixture f;
    f.Clinic();
    f.Open();
    f.Sched()->SetListWidth(173);
    f.main->MenuEntry(QStringLiteral("mnuFileExit"))->trigger();
    QVERIFY(!ModMain::IsRunning());
    QCOMPARE(f.IniValue(QStringLiteral("Sched"), QStringLiteral("ListWidth")), QStringLiteral("173"));
}

void TestMainCommands::commandsOpenTheirWindows() {
    MainFixture f;
    f.Clinic();
    f.Open();
    const QString pdf = f.env.Path(QStringLiteral("schedule.pdf"));
    QStringList shown;
    f.env.onModal = [&](QDialog* dialog) {
        if (auto* print = qobject_cast<QPrintDialog*>(dialog)) {
            shown << QStringLiteral("print");
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(pdf);
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
    const QString text = PdfText(pdf);
    QVERIFY2(text.contains(QStringLiteral("Tarvelo - Saturday 5 December 2026")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Room A")));
    QVERIFY(text.contains(QStringLiteral("Room B")));
    QVERIFY(text.contains(QStringLiteral("Printed by Tarvelo")));
    // The configuration's new settings are applied when it closes.
    f.main->Toolbar1_ButtonClick(QStringLiteral("Config"));
    f.main->Toolbar1_ButtonClick(QStringLiteral("Binocular"));
    QCOMPARE(shown, (QStringList{"print", "config", "DlgSearch"}));
    QCOMPARE(f.Sched()->WeekendColour(), 0x224466);
    QCOMPARE(f.Sched()->TimeType(), 1);
    QCOMPARE(f.Sched()->LastDate(), kToday + 32);
    QVERIFY(f.main->Timer1()->isActive() || !f.main->isVisible());

    // Backup and export from the Transfer menu; the window is usable after.
    f.main->MenuEntry(QStringLiteral("mnuTransferBackup"))->trigger();
    QFile file(f.env.Path(QStringLiteral("Backup/") +
                          QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                          QStringLiteral(".txt")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readLine().startsWith("G~Clinic~480~1080~15"));
    QCOMPARE(f.env.boxes.last().title, QStringLiteral("Backup Complete!"));
    QVERIFY(f.main->Toolbar1()->actions().first()->isEnabled());
    QVERIFY(f.Sched()->isEnabled());
    f.main->SelectResource(10);
    f.main->MenuEntry(QStringLiteral("mnuTransferExport"))->trigger();
    QVERIFY(QFile::exists(f.env.Path(QStringLiteral("Export/Room A.csv"))));
}

void TestMainCommands::closeDuringCommandWaitsForIt() {
    MainFixture f;
    f.Clinic();
    f.Open();
    f.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
    bool stillRunningAfterTicks = false;
    f.env.onModal = [&](QDialog*) {
        // The user closes the window while the command's dialog is open; the
        // events that run meanwhile must not end the program under the command.
        f.main->close();
        QTest::qWait(300);
        stillRunningAfterTicks = ModMain::IsRunning();
        return int(QDialog::Rejected);
    };
    f.main->Toolbar1_ButtonClick(QStringLiteral("Config"));
    QVERIFY(stillRunningAfterTicks);
    QTRY_VERIFY(!ModMain::IsRunning());
}

void TestMainCommands::closeDuringRebuildWaitsForIt_data() {
    QTest::addColumn<bool>("exitCommand");
    QTest::newRow("File, Exit") << true;
    QTest::newRow("close button, tick during the rebuild") << false;
}

void TestMainCommands::closeDuringRebuildWaitsForIt() {
    QFETCH(bool, exitCommand);
    MainFixture f;
    f.Clinic();
    // A large group: many bookings on today's schedule.
    f.Exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i "
                          "< 600) insert into tblBookings (ResourceId, TaskId, CustomerId, "
                          "BookingDate, BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, "
                          "Comments) select 10 + i % 2, 20, 0, %1, 480 + i, 481 + i, 0, '', '', '', "
                          "'' from n")
               .arg(kToday));
    f.Open();
    f.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
    bool closeAsked = false;
    // A rebuild that no command started (the day spinner, the group box, the
    // timer) lets events run; the user closes the window meanwhile.
    QTimer::singleShot(0, f.main.get(), [&] {
        closeAsked = true;
        if (exitCommand) {
            f.main->Toolbar1_ButtonClick(QStringLiteral("Exit"));
        } else {
            f.main->close();
            f.main->Timer1_Timer();
        }
    });
    QTest::qSleep(20); // the rebuild lets events run at its first row
    f.main->ShowResources(0);
    QVERIFY(closeAsked);
    // The program was not ended under the running rebuild, and closes after it.
    QVERIFY(ModMain::IsRunning());
    QTRY_VERIFY(!ModMain::IsRunning());
    QVERIFY(!f.main->isVisible());
    QVERIFY(!f.env.LogContains(QStringLiteral("Error in")));
}

QTEST_MAIN(TestMainCommands)
#include "tst_maincommands.moc"

// The booking dialog driven as a user does, every command checked against the
// database with the message seam answering the questions.
#include "MainFixture.h"

#include "base/ClsIni.h"
#include "base/Settings.h"
#include "model/ClsBooking.h"
#include "model/ClsCustomer.h"
#include "model/ClsDate.h"
#include "model/ClsTask.h"
#include "model/Records.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/booking/DlgRepeat.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/MarkedCalendar.h"
#include "ui/controls/ScheduleView.h"
#include "ui/controls/SpinButtons.h"
#include "ui/definitions/DlgApptType.h"
#include "ui/definitions/DlgContact.h"
#include "ui/main/DlgMain.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
const qint32 kDay = 46359; // Saturday 5 December 2026

// The clinic: working day 09:00 to 17:00 in 30-minute slots, two rooms, two
// appointment types (Check-up, green, 30 to 120 minutes; Surgery, red, 30 to
// 240 starting with 60) and two contacts of the group.
struct Clinic {
    TestEnv env;
    DlgAppt* dlg = nullptr;

    explicit Clinic(bool military = false) {
        if (!env.Start())
            qFatal("no database");
        Settings::Ini().WriteValue("Options", "UseMilitaryTime", int(military));
        Sql("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
            "(1, 'Clinic', 540, 1020, 30)");
        Sql("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
            "InitTime) values (10, 1, 'Room A', 30, 480, 30), (11, 1, 'Room B', 30, 480, 30)");
        Sql("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
            "values (20, 1, 'Check-up', 49152, 30, 120, 30), (21, 1, 'Surgery', 255, 30, 240, 60)");
        Sql("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) values "
            "(30, 'Zoë O''Neil', 'Z1', 'Z2', 'Z3'), (31, 'Ben', 'B1', '', '')");
        Sql("insert into tblCustomerGroups (CustomerId, GroupId) values (30, 1), (31, 1)");
        Records::Group().Load(1); // the main window holds its group in the shared record
    }
    ~Clinic() { DlgAppt::Release(); DlgCalendar::Release(); }
    QVariant Sql(const QString& sql) { return env.Sql(sql); }
    void Book(int id, int resource, int task, int customer, qint32 date, int start, int end,
              int repeat = 0, const QString& refs = QStringLiteral("'', '', ''")) {
        Sql(QStringLiteral("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, "
                           "BookingDate, BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, "
                           "Comments) values (%1, %2, %3, %4, %5, %6, %7, %8, %9, 'note')")
                .arg(id).arg(resource).arg(task).arg(customer).arg(date).arg(start).arg(end)
                .arg(repeat).arg(refs));
    }
    // The opening sequence of the main window, then the first activation.
    void Open(int start = 540, int task = 0, qint32 date = kDay) {
        dlg = &DlgAppt::Instance();
        dlg->SetGroupId(1);
        dlg->SetStartTime(qint16(start));
        dlg->SetResourceId(10);
        dlg->SetTaskId(task);
        dlg->SetApptDate(date);
        dlg->Form_Activate();
    }
    ItemList* List() const { return dlg->LbTimeSlot(); }
    int RowOf(int minutes) const {
        for (int row = 0; row < List()->RowCount(); ++row)
            if (List()->RowTag(row).toInt() == minutes)
                return row;
        return -1;
    }
    void Click(int minutes) { dlg->LbTimeslot_ItemClick(RowOf(minutes), 1); }
    QString Row(int row) const { // cells #tag vvalue ccolour
        QStringList cells;
        for (int column = 0; column < 6; ++column)
            cells << List()->CellText(row, column);
        return cells.join('|') + QStringLiteral(" #%1 v%2 c%3")
                                     .arg(List()->RowTag(row))
                                     .arg(List()->RowValue(row))
                                     .arg(List()->RowColour(row), 0, 16);
    }
    // The form: type|contact|three references|comments.
    QString Form() const {
        return QStringList{dlg->CbTask()->currentText(), dlg->CbCustomer()->currentText(),
                           dlg->TxtRef01()->text(), dlg->TxtRef02()->text(),
                           dlg->TxtRef03()->text(), dlg->TxtComments()->toPlainText()}
            .join(QLatin1Char('|'));
    }
    QString Times() const {
        const ClsBooking& b = Records::Booking();
        return QStringLiteral("%1-%2").arg(b.BookingStart()).arg(b.BookingEnd());
    }
    QString Stored(int id) { // resource date start-end
        return Sql(QStringLiteral("select ResourceId || ' ' || BookingDate || ' ' || BookingStart "
                                  "|| '-' || BookingEnd from tblBookings where BookingId = %1")
                       .arg(id))
            .toString();
    }
    int Count() { return Sql("select count(*) from tblBookings").toInt(); }
    QStringList BoxTexts() const {
        QStringList texts;
        for (const TestEnv::Box& box : env.boxes)
            texts << box.title + QStringLiteral(": ") + box.text;
        return texts;
    }
};
} // namespace

class TestBooking : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void slotList_data();
    void slotList();
    void clickFillsFormAndSubmitUpdatesBooking();
    void submitRefusals_data();
    void submitRefusals();
    void changesElsewhereNeverOverwritten_data();
    void changesElsewhereNeverOverwritten();
    void highlightAndFormAgree();
    void deleteCommand_data();
    void deleteCommand();
    void moveShortensOrWarns_data();
    void moveShortensOrWarns();
    void spins_data();
    void spins();
    void dateCommandsAndRefresh();
    void nextFreeSlot_data();
    void nextFreeSlot();
    void enablingRule_data();
    void enablingRule();
    void repeatHandsOverTheAppointment();
    void typesAndContactsFromTheDialog();
    void windowStateKeptInSettings();
    void timerNeverMovesAnOpenDialog_data();
    void timerNeverMovesAnOpenDialog();
};

void TestBooking::slotList_data() {
    QTest::addColumn<bool>("military");
    QTest::addColumn<QStringList>("bookings"); // id#resource#task#customer#day#start#end#refs
    QTest::addColumn<int>("start"); // the dialog opens at this time
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("rows"); // from row 0

    const QString free = QStringLiteral("|||||");
    QTest::newRow("90-minute booking over three rows; other room and day leave slots free")
        << false
        << QStringList{"100#10#20#30#0#540#630#'a', 'b', 'c'", "101#11#20#30#0#630#660#'', '', ''",
                       "102#10#20#30#1#630#660#'', '', ''"}
        << 630 << 3
        << QStringList{"09:00 am|Check-up|Zoë O'Neil|a|b|c #540 v100 cc000",
                       "09:30 am|~|~||| #570 v100 cc000", "10:00 am|~|~||| #600 v100 cc000",
                       "10:30 am" + free + " #630 v0 cffffff"};
    QTest::newRow("adjacent bookings each start a full row; opened before the working day")
        << false
        << QStringList{"100#10#20#31#0#540#570#'x', '', ''", "101#10#20#0#0#570#600#'y', '', ''"}
        << 500 << -1
        << QStringList{"09:00 am|Check-up|Ben|x|| #540 v100 cc000",
                       "09:30 am|Check-up|?|y|| #570 v101 cc000",
                       "10:00 am" + free + " #600 v0 cffffff"};
    QTest::newRow("24-hour, texts with separators, opened inside a slot")
        << true << QStringList{"100#10#21#30#0#600#630#'a;b', '~', 'x\ny'"} << 640 << 3
        << QStringList{"09:00 to 09:30" + free + " #540 v0 cffffff",
                       "09:30 to 10:00" + free + " #570 v0 cffffff",
                       "10:00 to 10:30|Surgery|Zoë O'Neil|a;b|~|x\ny #600 v100 cff",
                       "10:30 to 11:00" + free + " #630 v0 cffffff"};
}

void TestBooking::slotList() {
    QFETCH(bool, military);
    QFETCH(QStringList, bookings);
    QFETCH(int, start);
    QFETCH(int, selected);
    QFETCH(QStringList, rows);
    Clinic c(military);
    for (const QString& b : bookings) {
        const QStringList f = b.split(QLatin1Char('#'));
        c.Book(f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3].toInt(), kDay + f[4].toInt(),
               f[5].toInt(), f[6].toInt(), 0, f[7]);
    }
    Records::Booking().InitBfr();
    // With a large font too the time column shows its times whole.
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPixelSize(28);
    if (military)
        QApplication::setFont(large);
    c.Open(start, 21);
    QApplication::setFont(before);
    QTreeWidget* tree = c.List()->Tree();
    QVERIFY(tree->columnWidth(0) >= tree->fontMetrics().horizontalAdvance(tree->topLevelItem(0)->text(0)));
    QCOMPARE(c.List()->RowCount(), 17); // 09:00 to the slot that starts at 17:00
    QCOMPARE(c.List()->Heading(), QStringLiteral("Saturday 5 December 2026"));
    QStringList got;
    for (int row = 0; row < rows.size(); ++row)
        got << c.Row(row);
    QCOMPARE(got, rows);
    // The opening time picks the slot by its start, with a one-slot booking
    // of the preset type; before the working day nothing is picked.
    QCOMPARE(c.List()->SelectedRow(), selected);
    const int slot = selected < 0 ? 0 : c.List()->RowTag(selected).toInt();
    QCOMPARE(c.Times(), QStringLiteral("%1-%2").arg(slot).arg(selected < 0 ? 0 : slot + 30));
    QCOMPARE(ClsForms::GetItemId(c.dlg->CbTask()), selected < 0 ? 0 : 21);
}

void TestBooking::clickFillsFormAndSubmitUpdatesBooking() {
    Clinic c;
    c.Book(100, 10, 21, 30, kDay, 540, 630, 0, QStringLiteral("'own 1', 'own 2', ''"));
    c.Sql(QStringLiteral("update tblBookings set Comments = 'a\r\nb'")); // as written elsewhere
    c.Open();
    ClsForms::SelectItemId(c.dlg->CbCustomer(), 31);
    c.Click(570); // a continuation row of the booking
    QCOMPARE(Records::Booking().BookingId(), 100);
    QCOMPARE(c.dlg->LblStart()->text() + " " + c.dlg->LblEnd()->text(),
             QStringLiteral("09:00 am 10:30 am"));
    QCOMPARE(c.Form(), QStringLiteral("Surgery|Zoë O'Neil|own 1|own 2||a\nb"));
    // Submit stores the changes in the same booking: the references trimmed
    // and otherwise as typed, the comment nobody edited with its CR LF.
    const QString ref = QStringLiteral("O'Brien \"Ltd\"; x\ny ~ Ærø");
    const auto stored = [&] {
        return c.Sql("select TaskId || '|' || Ref01 || '|' || Ref02 || '|' || Ref03 || '|' || "
                     "Comments from tblBookings where BookingId = 100")
            .toString();
    };
    ClsForms::SelectItemId(c.dlg->CbTask(), 20);
    c.dlg->TxtRef01()->setText("  " + ref + "  ");
    c.dlg->TxtRef02()->setText(QStringLiteral("~"));
    c.dlg->BtnTask_Click(0);
    QCOMPARE(c.BoxTexts(), QStringList());
    QCOMPARE(c.Count(), 1);
    QCOMPARE(stored(), "20|" + ref + "|~||a\r\nb");
    QCOMPARE(c.Row(0), "09:00 am|Check-up|Zoë O'Neil|" + ref + "|~| #540 v100 cc000");
    c.Click(540);
    c.dlg->TxtComments()->setPlainText(QStringLiteral("line 1\nline 2"));
    c.dlg->BtnTask_Click(0);
    QCOMPARE(stored(), "20|" + ref + "|~||line 1\nline 2");
    // A free slot takes the chosen type's initial length, and the buttons follow.
    ClsForms::SelectItemId(c.dlg->CbTask(), 21);
    c.Click(660);
    QCOMPARE(c.Times(), QStringLiteral("660-720"));
    QVERIFY(c.dlg->BtnTask(0)->isEnabled());
}

void TestBooking::submitRefusals_data() {
    QTest::addColumn<int>("command"); // 0: Submit, 1: Repeat
    QTest::addColumn<int>("task");
    QTest::addColumn<QString>("missing"); // "slot": none selected; "span": the booking has none
    QTest::addColumn<QString>("box");

    const QString noSlot = QStringLiteral("Information: Please select the timeslot!");
    const QString noTask = QStringLiteral("Error!: No task selected!");
    QTest::newRow("Submit, no slot selected") << 0 << 20 << "slot" << noSlot;
    QTest::newRow("Submit, no appointment type") << 0 << 0 << "" << noTask;
    QTest::newRow("Submit, empty span") << 0 << 20 << "span" << noSlot;
    QTest::newRow("Repeat, no appointment type") << 1 << 0 << "" << noTask;
    QTest::newRow("Repeat, empty span") << 1 << 20 << "span" << noSlot;
}

void TestBooking::submitRefusals() {
    QFETCH(int, command);
    QFETCH(int, task);
    QFETCH(QString, missing);
    QFETCH(QString, box);
    Clinic c;
    c.Open(540, task);
    if (missing == QLatin1String("slot"))
        c.List()->SetSelectedRow(-1);
    if (missing == QLatin1String("span"))
        Records::Booking().InitBfr();
    c.dlg->BtnTask_Click(command);
    QCOMPARE(c.BoxTexts(), QStringList{box});
    QVERIFY(c.env.modalsShown.isEmpty());
    QCOMPARE(c.Count(), 0);
}

void TestBooking::changesElsewhereNeverOverwritten_data() {
    QTest::addColumn<bool>("stored"); // booking 100 at 09:00 is edited; else a new one at 10:00
    QTest::addColumn<QString>("elsewhere"); // another workstation's statement meanwhile
    QTest::addColumn<bool>("answer"); // to the question, where one is asked
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("rows"); // resource:type:contact:start-end:comments after Submit
    QTest::addColumn<QString>("form"); // the form afterwards
    QTest::addColumn<QString>("again"); // the rows after a second Submit; empty: none

    const QString changed = QStringLiteral(
        "Confirm: This appointment was changed at another workstation.\r\n\r\nNothing was "
        "saved. Show the appointment as it is stored now?\r\n\r\nNo keeps what you typed; "
        "Submit then saves it over the other workstation's change.");
    const QString deleted = QStringLiteral(
        "Confirm: This appointment was deleted at another workstation.\r\n\r\nNothing was "
        "saved. Book it anew with what you typed?");
    const QString gone = QStringLiteral("Warning!: Unable to save appointment!\r\n\r\nThe %1 "
                                        "was deleted at another workstation.");
    const QString change = QStringLiteral(
        "update tblBookings set CustomerId = 31, Comments = 'other' where BookingId = 100");
    const QString typed = QStringLiteral("Surgery|Zoë O'Neil|r1|||typed");
    QTest::newRow("changed; kept, then stored over it on purpose")
        << true << change << false << changed << "10:21:31:540-600:other" << typed
        << "10:21:30:540-600:typed";
    QTest::newRow("changed; the stored values shown")
        << true << change << true << changed << "10:21:31:540-600:other"
        << "Surgery|Ben|r1|||other" << "";
    QTest::newRow("deleted; the form kept")
        << true << "delete from tblBookings" << false << deleted << "" << typed << "";
    QTest::newRow("deleted; booked anew")
        << true << "delete from tblBookings" << true << deleted << "10:21:30:540-600:typed"
        << typed << "";
    QTest::newRow("new booking; its type deleted")
        << false << "delete from tblTasks where TaskId = 21" << false
        << gone.arg("appointment type") << "" << "< No Booking >|< No Customer >||||typed" << "";
    QTest::newRow("stored booking; its contact deleted")
        << true << "delete from tblCustomers where CustomerId = 30" << false
        << gone.arg("contact") << "10:21:30:540-600:note" << "Surgery|< No Customer >|r1|||typed"
        << "";
    QTest::newRow("new booking; the time taken meanwhile")
        << false
        << "insert into tblBookings (ResourceId, TaskId, CustomerId, BookingDate, BookingStart, "
           "BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values (10, 21, 31, 46359, 630, "
           "690, 0, '', '', '', 'theirs')"
        << false
        << "Warning!: Unable to save appointment!\r\n\r\nConflict with another appointment: "
           "Surgery from 10:30 am to 11:30 am (Ben)"
        << "10:21:31:630-690:theirs" << "Surgery|< No Customer >||||typed" << "";
    QTest::newRow("new booking; its resource deleted")
        << false << "delete from tblResources where ResourceId = 10" << false
        << gone.arg("resource") << "" << "Surgery|< No Customer >||||typed" << "";
}

void TestBooking::changesElsewhereNeverOverwritten() {
    QFETCH(bool, stored);
    QFETCH(QString, elsewhere);
    QFETCH(bool, answer);
    QFETCH(QString, box);
    QFETCH(QString, rows);
    QFETCH(QString, form);
    QFETCH(QString, again);
    Clinic c;
    if (stored)
        c.Book(100, 10, 21, 30, kDay, 540, 600, 0, QStringLiteral("'r1', '', ''"));
    c.Open(540, 21);
    if (!stored)
        c.Click(600);
    c.dlg->TxtComments()->setPlainText(QStringLiteral("typed"));
    c.Sql(elsewhere);
    c.env.confirmAnswers = {answer};
    const auto listed = [&] {
        return c.Sql("select group_concat(ResourceId || ':' || TaskId || ':' || CustomerId || ':' "
                     "|| BookingStart || '-' || BookingEnd || ':' || Comments) from (select * "
                     "from tblBookings order by BookingStart) as listed")
            .toString();
    };
    c.dlg->BtnTask_Click(0);
    QCOMPARE(c.BoxTexts(), QStringList{box});
    QCOMPARE(listed(), rows);
    QCOMPARE(c.Form(), form);
    if (!again.isEmpty()) {
        c.dlg->BtnTask_Click(0);
        QCOMPARE(c.BoxTexts().size(), 1);
        QCOMPARE(listed(), again);
    }
}

void TestBooking::highlightAndFormAgree() {
    Clinic c;
    c.Book(100, 10, 20, 0, kDay, 540, 600);
    c.Book(101, 10, 21, 0, kDay, 660, 690);
    c.Open();
    c.Click(540);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(c.List()->Tree(), Qt::Key_Down);
    QCOMPARE(c.List()->SelectedRow(), c.RowOf(660));
    QCOMPARE(Records::Booking().BookingId(), 101);
    QCOMPARE(c.dlg->CbTask()->currentText(), QStringLiteral("Surgery"));
    // While moving, the keys only choose the slot; Enter moves the booking there.
    c.dlg->BtnTask_Click(3);
    QTest::keyClick(c.List()->Tree(), Qt::Key_Down);
    QCOMPARE(c.Stored(101), QStringLiteral("10 46359 660-690"));
    QTest::keyClick(c.List()->Tree(), Qt::Key_Return);
    QCOMPARE(c.Stored(101), QStringLiteral("10 46359 690-720"));
    // Delete acts on the highlighted booking.
    c.Click(540);
    QTest::keyClick(c.List()->Tree(), Qt::Key_Down);
    QTest::keyClick(c.List()->Tree(), Qt::Key_Down);
    c.env.confirmAnswers = {true};
    c.dlg->BtnTask_Click(2);
    QCOMPARE(c.Stored(100), QStringLiteral("10 46359 540-600"));
    QCOMPARE(c.Count(), 2);
    // The mouse pressed on one booking and released on another: the form
    // shows the row that ends up highlighted.
    c.dlg->show();
    QTreeWidget* tree = c.List()->Tree();
    const auto at = [&](int minutes) {
        return tree->visualItemRect(tree->topLevelItem(c.RowOf(minutes))).center();
    };
    QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, at(690));
    QMouseEvent drag(QEvent::MouseMove, at(540), tree->viewport()->mapToGlobal(at(540)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &drag);
    QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at(540));
    QCOMPARE(c.List()->SelectedRow(), c.RowOf(540));
    QCOMPARE(Records::Booking().BookingId(), 100);
    QCOMPARE(c.dlg->CbTask()->currentText(), QStringLiteral("Check-up"));
}

void TestBooking::deleteCommand_data() {
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("refused"); // the database refuses the delete
    QTest::addColumn<QString>("remaining");

    // As many questions as answers.
    QTest::newRow("single booking, answered no")
        << 0 << 540 << false << QList<bool>{false} << false << "100,101,102,103";
    QTest::newRow("whole series") << 7 << 540 << false << QList<bool>{true, true} << false << "101";
    QTest::newRow("one booking of a series")
        << 7 << 540 << false << QList<bool>{true, false} << false << "101,102,103";
    QTest::newRow("single booking, by the menu entry Delete Booking")
        << 0 << 540 << true << QList<bool>{true} << false << "101,102,103";
    QTest::newRow("free slot, nothing asked")
        << 7 << 660 << false << QList<bool>{} << false << "100,101,102,103";
    QTest::newRow("single booking, refused by the database")
        << 0 << 540 << false << QList<bool>{true} << true << "100,101,102,103";
    QTest::newRow("whole series, refused by the database")
        << 7 << 540 << false << QList<bool>{true, true} << true << "100,101,102,103";
}

void TestBooking::deleteCommand() {
    QFETCH(int, repeat);
    QFETCH(int, slot);
    QFETCH(bool, viaMenu);
    QFETCH(QList<bool>, answers);
    QFETCH(bool, refused);
    QFETCH(QString, remaining);
    Clinic c;
    c.Book(100, 10, 20, 30, kDay, 540, 600, repeat);
    c.Book(101, 10, 20, 0, kDay, 600, 630);
    c.Book(102, 10, 20, 0, kDay + 7, 540, 600, repeat);
    c.Book(103, 11, 20, 0, kDay + 14, 540, 600, repeat);
    c.Open();
    c.Click(slot);
    c.env.confirmAnswers = answers;
    if (refused)
        c.env.RefuseWrites("delete", "tblBookings", "database is busy");
    if (viaMenu)
        c.dlg->MenuAction(QStringLiteral("mnuBookingDelete"))->trigger();
    else
        c.dlg->BtnTask_Click(2);
    const QStringList questionTexts = {
        "Confirm: Do you wish to delete this appointment?\r\n\r\nCheck-up for Zoë O'Neil on "
        "Saturday 5 December 2026, 09:00 am to 10:00 am.",
        "Confirm: This appointment is part of a repeated sequence.\r\nDo you wish to delete all "
        "repeated appointments?"};
    QStringList boxes = questionTexts.mid(0, answers.size());
    if (refused)
        boxes << (repeat != 0 ? "Warning!: Unable to delete the repeated appointments!"
                              : "Warning!: Unable to delete appointment!");
    QCOMPARE(c.BoxTexts(), boxes);
    QVERIFY(c.env.modalsShown.isEmpty());
    QCOMPARE(c.Sql("select group_concat(BookingId) from (select BookingId from tblBookings order "
                   "by BookingId) as listed")
                 .toString(),
             remaining);
    QCOMPARE(c.List()->RowValue(0), remaining.startsWith("100") ? 100 : 0);
}

void TestBooking::moveShortensOrWarns_data() {
    QTest::addColumn<int>("target"); // -1: Move pressed again, then a click at 11:00
    QTest::addColumn<bool>("elsewhere"); // Room B and the next day chosen after Move
    QTest::addColumn<QString>("stored"); // booking 100 afterwards; unchanged when refused

    // Booking 100 lasts 60 minutes; booking 101 runs from 11:30 to 12:00.
    QTest::newRow("room for the whole length") << 600 << false << "10 46359 600-660";
    QTest::newRow("shortened before the next booking") << 660 << false << "10 46359 660-690";
    QTest::newRow("no room at all, refused") << 690 << false << "10 46359 540-600";
    QTest::newRow("cut at the end of the working day") << 1020 << false << "10 46359 1020-1050";
    QTest::newRow("room and date shown at the click") << 570 << true << "11 46360 570-630";
    QTest::newRow("cancelled") << -1 << false << "10 46359 540-600";
    QTest::newRow("deleted at another workstation meanwhile") << 600 << false << "";
}

void TestBooking::moveShortensOrWarns() {
    QFETCH(int, target);
    QFETCH(bool, elsewhere);
    QFETCH(QString, stored);
    Clinic c;
    c.Book(100, 10, 20, 0, kDay, 540, 600);
    c.Book(101, 10, 20, 0, kDay, 690, 720);
    c.Open();
    c.Click(540);
    c.dlg->BtnTask_Click(3);
    QVERIFY(c.dlg->MoveMode());
    QVERIFY(!c.dlg->LblMove()->isHidden() && c.dlg->LblMove()->text().contains("click its new time slot"));
    const bool cancelled = target < 0;
    if (elsewhere) {
        ClsForms::SelectItemId(c.dlg->CbResource(), 11);
        c.dlg->SpinDate_Click(1);
    }
    if (target < 0) {
        c.dlg->BtnTask_Click(3);
        QVERIFY(!c.dlg->MoveMode());
        target = 660;
    }
    if (stored.isEmpty())
        c.Sql("delete from tblBookings where BookingId = 100");
    c.Click(target);
    const QString refused = QStringLiteral("Warning!: Unable to move appointment!\r\n\r\n"
                                           "Conflict with another appointment!");
    const QString gone = QStringLiteral("Warning!: Unable to move appointment!\r\n\r\n"
                                        "This appointment was deleted at another workstation.");
    QCOMPARE(c.BoxTexts(), target == 690        ? QStringList{refused}
                           : stored.isEmpty() ? QStringList{gone}
                                              : QStringList());
    QCOMPARE(c.Stored(100), stored);
    if (stored.isEmpty())
        return;
    QCOMPARE(c.Stored(101), QStringLiteral("10 46359 690-720"));
    QVERIFY(!c.dlg->MoveMode());
    // The form tells where the booking went.
    const QStringList times = stored.section(' ', 2).split('-');
    QVERIFY(cancelled || c.dlg->LblStart()->text() + '-' + c.dlg->LblEnd()->text() ==
                             ClsDate::ShowTime(times[0].toInt(), true) + '-' +
                                 ClsDate::ShowTime(times[1].toInt(), true));
    // The list shows the booking where it went.
    QCOMPARE(c.List()->RowValue(c.RowOf(stored.section('-', 0, 0).section(' ', 2).toInt())), 100);
}

void TestBooking::spins_data() {
    QTest::addColumn<int>("task");
    QTest::addColumn<QString>("neighbour"); // start-end of another booking, or empty
    QTest::addColumn<QString>("spin"); // "600-630 end+ 600-660": the end spun later

    QTest::newRow("end later") << 20 << "" << "600-630 end+ 600-660";
    QTest::newRow("end later stops at next booking") << 20 << "645-700" << "600-630 end+ 600-645";
    QTest::newRow("end later held by the longest length") << 20 << "" << "600-720 end+ 600-720";
    QTest::newRow("end earlier") << 20 << "" << "600-690 end- 600-660";
    QTest::newRow("end earlier at one slot stays") << 20 << "" << "600-630 end- 600-630";
    QTest::newRow("end never passes midnight") << 20 << "" << "1410-1440 end+ 1410-1440";
    QTest::newRow("start earlier") << 20 << "" << "600-630 start- 570-630";
    QTest::newRow("start earlier stops at previous booking")
        << 20 << "500-580" << "600-630 start- 580-630";
    QTest::newRow("start earlier held by longest length") << 20 << "" << "600-720 start- 600-720";
    QTest::newRow("start later") << 20 << "" << "600-690 start+ 630-690";
    QTest::newRow("start later at one slot stays") << 20 << "" << "600-630 start+ 600-630";
    QTest::newRow("start never before midnight") << 20 << "" << "0-30 start- 0-30";
    QTest::newRow("end raised to the shortest length stops at the next booking")
        << 23 << "645-700" << "600-640 end- 600-645";
    QTest::newRow("start lowered to the shortest length stops at the previous booking")
        << 23 << "540-585" << "590-640 start+ 585-640";
    QTest::newRow("zero longest length, never empty") << 22 << "" << "600-630 end+ 600-630";
    QTest::newRow("zero shortest length, never empty") << 22 << "" << "600-630 start+ 600-630";
}

void TestBooking::spins() {
    QFETCH(int, task);
    QFETCH(QString, neighbour);
    QFETCH(QString, spin);
    const QStringList move = spin.split(' '); // before, spin, after
    Clinic c;
    c.Sql("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
          "values (22, 1, 'Odd', 0, 0, 0, 30), (23, 1, 'Long', 0, 60, 240, 60)");
    if (!neighbour.isEmpty())
        c.Book(100, 10, 20, 0, kDay, neighbour.section('-', 0, 0).toInt(),
               neighbour.section('-', 1, 1).toInt());
    c.Open(540, task);
    ClsBooking& booking = Records::Booking();
    booking.SetBookingStart(qint16(move[0].section('-', 0, 0).toInt()));
    booking.SetBookingEnd(qint16(move[0].section('-', 1, 1).toInt()));
    const int direction = move[1].endsWith('+') ? 0 : 1;
    const bool end = move[1].startsWith(QLatin1String("end"));
    if (end)
        c.dlg->SpinEnd_Click(direction);
    else
        c.dlg->SpinStart_Click(direction);
    QCOMPARE(c.Times(), move[2]);
    QCOMPARE((end ? c.dlg->LblEnd() : c.dlg->LblStart())->text(),
             ClsDate::ShowTime(end ? booking.BookingEnd() : booking.BookingStart(), true));
    QCOMPARE(c.Count(), neighbour.isEmpty() ? 0 : 1);
}

void TestBooking::dateCommandsAndRefresh() {
    Clinic c;
    c.Book(100, 10, 20, 0, kDay - 1, 540, 570);
    c.Book(101, 10, 20, 0, kDay + 3, 540, 570);
    c.Open();
    c.dlg->SpinDate()->IncreaseButton()->click();
    QCOMPARE(c.dlg->ApptDate(), kDay + 1);
    c.dlg->SpinDate_Click(0);
    c.dlg->SpinDate_Click(0);
    QCOMPARE(c.dlg->ApptDate(), kDay - 1);
    QCOMPARE(c.List()->RowValue(0), 100);
    c.env.onModal = [&](QDialog* dialog) {
        auto* calendar = qobject_cast<DlgCalendar*>(dialog);
        if (!calendar)
            return int(QDialog::Rejected);
        calendar->Cal()->SetDayNumber(kDay + 3);
        calendar->BtnCalendar_Click(0);
        return int(QDialog::Accepted);
    };
    c.dlg->MenuAction(QStringLiteral("mnuBookingChangeDate"))->trigger();
    QVERIFY(c.dlg->ToolbarAction(QStringLiteral("Calendar"))->isEnabled());
    QCOMPARE(c.dlg->ApptDate(), kDay + 3);
    QCOMPARE(c.List()->RowValue(0), 101);
    // The main window's timer has the lists read again: another workstation's
    // booking and type show, its deleted contact goes, and the highlighted
    // booking and what was typed stay.
    c.Click(540);
    ClsForms::SelectItemId(c.dlg->CbCustomer(), 30);
    c.dlg->TxtComments()->setPlainText(QStringLiteral("typed"));
    c.dlg->TxtRef02()->setText(QStringLiteral("r2"));
    c.Book(102, 10, 20, 0, kDay + 3, 600, 630);
    c.Sql("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
          "values (22, 1, 'Massage', 0, 30, 60, 30)");
    c.Sql("delete from tblCustomers where CustomerId = 31");
    c.dlg->Refresh();
    QCOMPARE(c.List()->RowValue(c.RowOf(600)), 102);
    QCOMPARE(c.List()->SelectedRow(), c.RowOf(540));
    QCOMPARE(c.Form(), QStringLiteral("Check-up|Zoë O'Neil|Z1|r2|Z3|typed"));
    QCOMPARE(c.dlg->CbTask()->findText(QStringLiteral("Massage")) > 0, true);
    QCOMPARE(c.dlg->CbCustomer()->findText(QStringLiteral("Ben")), -1);
    // A free slot stays highlighted too, and Submit stores what was typed.
    c.Click(660);
    c.dlg->TxtComments()->setPlainText(QStringLiteral("typed"));
    c.dlg->Refresh();
    QCOMPARE(c.List()->SelectedRow(), c.RowOf(660));
    c.dlg->BtnTask_Click(0);
    QCOMPARE(c.Sql("select Comments from tblBookings where BookingStart = 660").toString(),
             QStringLiteral("typed"));
}

// Today both rooms are full; tomorrow Room A has 10:00 to 10:30 free and
// Room B everything from 09:30 on; the day after is free.
void TestBooking::nextFreeSlot_data() {
    QTest::addColumn<int>("task");
    QTest::addColumn<bool>("anyResource");
    QTest::addColumn<bool>("roomAFull"); // Room A booked for all 61 days searched
    QTest::addColumn<QString>("found");  // "resource +days start-end", or the message
    QTest::newRow("30 minutes, shown room") << 20 << false << false << "10 +1 600-630";
    QTest::newRow("60 minutes, shown room") << 21 << false << false << "10 +2 540-600";
    QTest::newRow("60 minutes, any room") << 21 << true << false << "11 +1 570-630";
    QTest::newRow("nothing free in the shown room") << 21 << false << true
        << "Information: No free timeslot of 60 minutes from now to %1!";
}

void TestBooking::nextFreeSlot() {
    QFETCH(int, task);
    QFETCH(bool, anyResource);
    QFETCH(bool, roomAFull);
    QFETCH(QString, found);
    Clinic c;
    const qint32 today = ClsDate::Today();
    c.Book(200, 10, 20, 0, today, 540, 1050);
    c.Book(201, 11, 20, 0, today, 540, 1050);
    c.Book(202, 10, 20, 0, today + 1, 540, 600);
    c.Book(203, 10, 20, 0, today + 1, 630, 1050);
    c.Book(204, 11, 20, 0, today + 1, 540, 570);
    if (roomAFull)
        c.Sql(QStringLiteral("with recursive d(n) as (select 2 union all select n + 1 from d where "
                             "n < 60) insert into tblBookings (BookingId, ResourceId, TaskId, "
                             "BookingDate, BookingStart, BookingEnd) select 300 + n, 10, 20, %1 + "
                             "n, 540, 1050 from d").arg(today));
    c.Open();
    QVERIFY(!c.dlg->BtnFreeSlot()->isEnabled()); // no type chosen yet
    ClsForms::SelectItemId(c.dlg->CbTask(), task);
    if (anyResource)
        c.dlg->ChkAnyResource()->click();
    c.dlg->BtnFreeSlot()->click();
    const int row = c.List()->SelectedRow();
    const QString shown =
        c.env.boxes.isEmpty()
            ? QStringLiteral("%1 +%2 %3").arg(ClsForms::GetItemId(c.dlg->CbResource()))
                  .arg(c.dlg->ApptDate() - today).arg(c.Times())
            : c.BoxTexts().join('\n');
    QCOMPARE(shown, found.arg(ClsDate::FormatDate(today + 60, "dddd d mmmm yyyy")));
    QVERIFY(!c.env.boxes.isEmpty() || c.List()->RowTag(row) == c.Times().section('-', 0, 0));
    // Submit books it there.
    if (c.env.boxes.isEmpty()) {
        c.dlg->BtnTask(0)->click();
        QCOMPARE(c.Sql(QStringLiteral("select count(*) from tblBookings where ResourceId = %1 and "
                                      "BookingDate = %2 and BookingStart = %3 and TaskId = %4")
                           .arg(ClsForms::GetItemId(c.dlg->CbResource())).arg(c.dlg->ApptDate())
                           .arg(c.Times().section('-', 0, 0)).arg(task)).toInt(), 1);
    }
}

void TestBooking::enablingRule_data() {
    QTest::addColumn<int>("required");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("task");
    QTest::addColumn<int>("customer");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("slot and type") << 0 << true << 21 << 0 << true;
    QTest::newRow("slot without type") << 0 << true << 0 << 30 << false;
    QTest::newRow("no slot, type only") << 0 << false << 21 << 0 << false;
    QTest::newRow("no slot, type and contact") << 0 << false << 21 << 30 << true;
    QTest::newRow("contact required, missing") << 1 << true << 21 << 0 << false;
    QTest::newRow("contact required, given") << 1 << true << 21 << 30 << true;
}

void TestBooking::enablingRule() {
    QFETCH(int, required);
    QFETCH(bool, selected);
    QFETCH(int, task);
    QFETCH(int, customer);
    QFETCH(bool, enabled);
    Clinic c;
    Settings::Ini().WriteValue("Options", "CustomerRequired", required);
    c.Open();
    if (!selected)
        c.List()->SetSelectedRow(-1);
    ClsForms::SelectItemId(c.dlg->CbTask(), task);
    ClsForms::SelectItemId(c.dlg->CbCustomer(), customer);
    for (QWidget* w : std::initializer_list<QWidget*>{c.dlg->BtnTask(0), c.dlg->BtnTask(1),
                                                      c.dlg->BtnTask(2), c.dlg->BtnTask(3),
                                                      c.dlg->SpinStart(), c.dlg->SpinEnd()})
        QCOMPARE(w->isEnabled(), enabled);
    // A move under way can always be cancelled, whatever the rule says.
    c.List()->SetSelectedRow(0);
    c.dlg->BtnTask_Click(3);
    c.List()->SetSelectedRow(-1);
    ClsForms::SelectItemId(c.dlg->CbCustomer(), 0);
    QVERIFY(!c.dlg->BtnTask(0)->isEnabled());
    QVERIFY(c.dlg->BtnTask(3)->isEnabled());
}

void TestBooking::repeatHandsOverTheAppointment() {
    // The form's booking of Room B is repeated weekly; the date a week on is taken.
    Clinic c;
    c.Book(100, 11, 20, 0, kDay + 7, 600, 630);
    c.Open(540, 21);
    ClsForms::SelectItemId(c.dlg->CbResource(), 11);
    ClsForms::SelectItemId(c.dlg->CbCustomer(), 31);
    c.Click(600);
    c.dlg->TxtRef02()->setText(QStringLiteral("  r2 "));
    c.env.onModal = [&](QDialog* dialog) {
        auto* repeat = qobject_cast<DlgRepeat*>(dialog);
        if (!repeat)
            return int(QDialog::Rejected);
        repeat->BtnSelect_Click(0);
        repeat->BtnRepeat_Click(0);
        return int(QDialog::Accepted);
    };
    c.dlg->BtnTask_Click(1);
    QCOMPARE(c.Sql("select count(*) from tblBookings where RepeatId > 0 and BookingStart = 600 "
                   "and BookingEnd = 660 and TaskId = 21 and CustomerId = 31 and Ref01 = 'B1' and "
                   "Ref02 = 'r2' and ResourceId = 11")
                 .toInt(),
             49);
    QVERIFY(c.List()->RowValue(c.RowOf(600)) != 0);
}

void TestBooking::typesAndContactsFromTheDialog() {
    Clinic c;
    c.Book(100, 10, 21, 0, kDay, 540, 600);
    c.Book(101, 10, 20, 31, kDay, 600, 630);
    c.Open();
    c.env.onModal = [&](QDialog* dialog) {
        if (auto* type = qobject_cast<DlgApptType*>(dialog)) {
            Records::Task().SetTaskName(QStringLiteral("Massage"));
            type->Form_Load();
            type->BtnTask_Click(0);
        } else if (auto* contact = qobject_cast<DlgContact*>(dialog)) {
            Records::Customer().SetCustomerName(QStringLiteral("Ann"));
            Records::Customer().SetRef01(QStringLiteral("A-1"));
            contact->Form_Load();
            contact->BtnCustomer_Click(0);
        }
        return int(QDialog::Accepted);
    };
    // A new type or contact is in the group's lists and chosen in the form.
    c.dlg->ToolbarAction(QStringLiteral("TaskDef"))->trigger();
    c.dlg->ToolbarAction(QStringLiteral("People"))->trigger();
    QCOMPARE(c.Form().section('|', 0, 2), QStringLiteral("Massage|Ann|A-1"));
    // Deleting Surgery and Ben takes their bookings out of the database and the list.
    ClsForms::SelectItemId(c.dlg->CbTask(), 21);
    c.env.confirmAnswers = {true, true};
    c.dlg->MenuAction(QStringLiteral("mnuTaskDelete"))->trigger();
    QCOMPARE(c.dlg->CbTask()->currentIndex(), 0);
    QCOMPARE(c.List()->RowValue(0), 0);
    ClsForms::SelectItemId(c.dlg->CbCustomer(), 31);
    c.dlg->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteCustomer"));
    QCOMPARE(c.BoxTexts(), (QStringList{"Confirm: Confirm delete selected task?",
                                        "Confirm: Confirm selected customer?\r\n\r\nBen will be "
                                        "deleted with the 1 appointment booked for them."}));
    QCOMPARE(c.dlg->CbCustomer()->currentText(), QStringLiteral("< No Customer >"));
    QCOMPARE(c.Count(), 0);
    QCOMPARE(c.List()->RowValue(c.RowOf(600)), 0);
}

void TestBooking::windowStateKeptInSettings() {
    // Exit keeps the state in section "DlgAppt"; a maximised one is restored.
    Clinic c;
    c.Open();
    c.dlg->resize(700, 520);
    const QRect frame = c.dlg->frameGeometry();
    c.dlg->ToolbarAction(QStringLiteral("Exit"))->trigger();
    QVERIFY(!c.dlg->IsLoaded());
    QCOMPARE(Settings::Ini().GetValue("DlgAppt", "WindowState", -1).toInt(), 0);
    QCOMPARE(QRect(Settings::Ini().GetValue("DlgAppt", "Left", -1).toInt(),
                   Settings::Ini().GetValue("DlgAppt", "Top", -1).toInt(),
                   Settings::Ini().GetValue("DlgAppt", "Width", -1).toInt(),
                   Settings::Ini().GetValue("DlgAppt", "Height", -1).toInt()),
             frame);
    Settings::Ini().WriteValue("DlgAppt", "WindowState", 2);
    c.Open();
    QVERIFY(c.dlg->windowState() & Qt::WindowMaximized);
}

void TestBooking::timerNeverMovesAnOpenDialog_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("toolbar") << "toolbar";
    QTest::newRow("menu") << "menu";
    QTest::newRow("double-click") << "double-click";
    QTest::newRow("Enter") << "Enter";
    QTest::newRow("drop") << "drop";
}

void TestBooking::timerNeverMovesAnOpenDialog() {
    // However the dialog was opened, the timer keeps its list current while
    // the user steps to the next day (the main window follows), picks a slot
    // and types, and never takes the date, the slot or the text away, even
    // with autoscroll on. Submit stores it and redraws the main window.
    QFETCH(QString, path);
    MainFixture f;
    f.Clinic();
    f.Open();
    f.Setting("Options", "Autoscroll", 1);
    f.main->Timer1()->start(); // as after the window's first activation
    QStringList seen;
    f.env.onModal = [&](QDialog* dialog) {
        auto* dlg = qobject_cast<DlgAppt*>(dialog);
        if (!dlg)
            return int(QDialog::Rejected);
        dlg->show();
        dlg->SpinDate_Click(1);
        ItemList* list = dlg->LbTimeSlot();
        const auto rowOf = [&](int minutes) {
            for (int row = 0; row < list->RowCount(); ++row)
                if (list->RowTag(row).toInt() == minutes)
                    return row;
            return -1;
        };
        dlg->LbTimeslot_ItemClick(rowOf(600), 1);
        ClsForms::SelectItemId(dlg->CbTask(), 20);
        dlg->TxtComments()->setPlainText(QStringLiteral("typed"));
        // Another workstation books; one of an earlier version leaves no journal entry.
        if (path == QLatin1String("drop")) {
            f.Booking(200, 10, 21, 0, MainFixture::kToday + 1, 660, 690);
            f.Exec("update tblProperties set PropValue = '7' where PropName = 'LastUpdated'");
        } else {
            f.Journalled("tblBookings", 200, QString("insert into tblBookings (BookingId, ResourceId, TaskId, "
                         "BookingDate, BookingStart, BookingEnd) values (200, 10, 21, %1, 660, 690)")
                                                 .arg(MainFixture::kToday + 1));
        }
        seen << QString::number(f.main->Timer1()->isActive());
        for (int tick = 0; tick < 25; ++tick)
            f.main->Timer1_Timer();
        seen << QString::number(dlg->ApptDate() - MainFixture::kToday) << list->Heading()
             << list->RowTag(list->SelectedRow()) << dlg->TxtComments()->toPlainText()
             << QString::number(list->RowValue(rowOf(660)))
             << QString::number(f.main->CurrentDate() - MainFixture::kToday)
             << f.IniValue("Config", "LastDate");
        dlg->BtnTask_Click(0);
        seen << f.Sched()->BarKey(1, 1);
        dlg->hide();
        return int(QDialog::Accepted);
    };
    if (path == QLatin1String("toolbar")) {
        f.main->ToolbarButton(QStringLiteral("Write"))->trigger();
    } else if (path == QLatin1String("menu")) {
        f.main->MenuEntry(QStringLiteral("mnuBookingEdit"))->trigger();
    } else if (path == QLatin1String("double-click")) {
        f.main->Sched_ListDblClick(1);
    } else if (path == QLatin1String("Enter")) {
        f.Sched()->SetCurrentRow(1);
        QTest::keyClick(f.Sched(), Qt::Key_Return);
    } else {
        f.main->Sched_DropItem(1, 720, MainFixture::kToday);
    }
    const int id = f.env.Sql("select max(BookingId) from tblBookings").toInt();
    QCOMPARE(seen, (QStringList{"1", "1", "Sunday 6 December 2026", "600", "typed", "200", "1",
                                QString::number(MainFixture::kToday + 1), "B" + QString::number(id)}));
    QCOMPARE(f.env.Sql(QStringLiteral("select count(*) from tblBookings where BookingDate = %1 "
                                      "and BookingStart = 600 and Comments = 'typed'")
                           .arg(MainFixture::kToday + 1))
                 .toInt(),
             1);
    QCOMPARE(f.env.boxes.size(), 0);
}

QTEST_MAIN(TestBooking)
#include "tst_booking.moc"

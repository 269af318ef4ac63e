// The history of appointments: the wording of every kind of journal entry,
// the entries the History window lists for an appointment, a resource's day
// and a range of days after real changes, its CSV export, its print, and
// the menu entries that open it.
#include "MainFixture.h"

#include "transfer/BookingHistory.h"
#include "model/ClsBooking.h"
#include "model/Records.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgHistory.h"
#include "ui/controls/ItemList.h"
#include "ui/help/HelpSystem.h"
#include "ui/help/HelpWindow.h"
#include "ui/controls/SpinButtons.h"
#include "ui/preview/DlgPreview.h"
#include "ui/main/DlgMain.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const qint32 kToday = MainFixture::kToday; // Saturday 5 December 2026
const QString kAt = QStringLiteral("05 Dec 2026 10:05 am"); // 09:05 UTC in Berlin

// Booking 7 of Room A on kToday, 10:00 to 10:30, a check-up of Zoë, with changes.
QString Row(const QJsonObject& changes = {}) {
    QJsonObject row{{"bookingid", 7}, {"resourceid", 10}, {"taskid", 20}, {"customerid", 30}, {"bookingdate", kToday},
                    {"bookingstart", 600}, {"bookingend", 630}, {"repeatid", 0}, {"ref01", ""}, {"comments", ""}};
    for (auto it = changes.begin(); it != changes.end(); ++it)
        row[it.key()] = it.value();
    return QString::fromUtf8(QJsonDocument(row).toJson(QJsonDocument::Compact));
}
} // namespace

class TstHistory : public QObject {
    Q_OBJECT
    std::unique_ptr<MainFixture> f;
    qint32 seriesFirst = 0;

private slots:
    // The clinic, then changes through the record classes, oldest first, and
    // a restore journalled by another workstation.
    void initTestCase() {
        REQUIRE_TEST_ENGINE();
        f = std::make_unique<MainFixture>(), f->Clinic(), f->Setting("Config", "Workstation", "Desk 1");
        QVERIFY(f->env.Start());
        ClsBooking& b = Records::Booking();
        b.InitBfr(), b.SetResourceId(10), b.SetTaskId(20), b.SetCustomerId(30), b.SetBookingDate(kToday);
        b.SetBookingStart(660), b.SetBookingEnd(690);
        QVERIFY(b.Save() && b.Load(100));
        b.SetResourceId(11), b.SetBookingStart(720), b.SetBookingEnd(780);
        QVERIFY(b.Save() && b.Load(101));
        b.SetComments("call first"), b.SetRef01("A-7");
        QVERIFY(b.Save() && b.Load(102));
        b.SetBookingEnd(540);
        QVERIFY(b.Save() && b.Delete(103));
        const qint32 series = b.NextRepeatId();
        for (const qint32 day : {kToday + 1, kToday + 8}) {
            b.InitBfr(), b.SetResourceId(10), b.SetTaskId(20), b.SetRepeatId(series), b.SetBookingDate(day);
            b.SetBookingStart(480), b.SetBookingEnd(510);
            QVERIFY(b.Save());
            seriesFirst = seriesFirst ? seriesFirst : b.BookingId();
        }
        QVERIFY(b.DeleteRepeats(series));
        f->Exec("insert into tblJournal (ChangedAt, Workstation, UserName, Action, TableName, RowId, Before, After) "
                "values ('2026-12-05T09:05:00.000Z', 'Desk 2', 'ann', 'Restore', '', 0, '', '{\"bookings\":5}')");
    }
    void cleanupTestCase() { HelpSystem::Quit(), f.reset(); }

    void wording_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("what");
        const QString row = Row();
        const QString appointment = "Room A, Saturday 5 December 2026, 10:00 am to 10:30 am, Check-up, Zoë O'Neil";
        const auto add = [](const char* tag, const char* action, const QString& before, const QString& after,
                            const QString& what) { QTest::newRow(tag) << action << before << after << what; };
        add("new", "New", "", row, "new: " + appointment);
        add("new, its resource and type deleted since, no contact", "New", "",
            Row({{"resourceid", 12}, {"taskid", 29}, {"customerid", 0}}),
            "new: resource 12 (deleted), Saturday 5 December 2026, 10:00 am to 10:30 am, type 29 (deleted)");
        add("moved to another room and time", "Move", row,
            Row({{"resourceid", 11}, {"bookingstart", 660}, {"bookingend", 690}}),
            "moved from Room A, 10:00 am to Room B, 11:00 am");
        add("moved to another day", "Move", row, Row({{"bookingdate", kToday + 1}}),
            "moved from Room A, Saturday 5 December 2026, 10:00 am to Room A, Sunday 6 December 2026, 10:00 am");
        add("stretched at the end", "Stretch", row, Row({{"bookingend", 690}}), "stretched to 11:30 am");
        add("stretched at the start", "Stretch", row, Row({{"bookingstart", 570}}), "stretched to start at 09:30 am");
        add("stretched at both ends", "Stretch", row, Row({{"bookingstart", 570}, {"bookingend", 700}}),
            "stretched to run from 09:30 am to 11:40 am");
        add("moved and stretched", "Stretch", row, Row({{"resourceid", 11}, {"bookingstart", 660}, {"bookingend", 720}}),
            "moved from Room A, 10:00 am to Room B, 11:00 am; stretched to 12:00 pm");
        add("type, contact, a reference and the comment changed", "Change", row,
            Row({{"taskid", 21}, {"customerid", 0}, {"ref02", "A-7"}, {"comments", "x"}}),
            "type changed from Check-up to Surgery; contact changed from Zoë O'Neil to none; Ref02 changed to "
            "\"A-7\"; comment changed");
        add("made part of a series", "Change", row, Row({{"repeatid", 4}}), "made part of a series");
        add("taken out of its series", "Change", Row({{"repeatid", 4}}), row, "taken out of its series");
        add("deleted", "Delete", row, "", "deleted: " + appointment);
        add("series deleted", "Delete series", "[" + row + "," + row + "," + row + "]", "",
            "series deleted (3 appointments)");
        add("restore", "Restore", "", R"({"groups":1,"resources":2,"types":2,"contacts":1,"bookings":5})",
            "database restored from a backup: 1 groups, 2 resources, 2 appointment types, 1 contacts, 5 appointments");
        add("purge", "Purge", "", R"({"bookings":30})", "30 old appointments purged");
    }

    void wording() {
        QFETCH(QString, action);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, what);
        const BookingHistory::Line line = BookingHistory().Describe(
            {1, QDateTime(QDate(2026, 12, 5), QTime(9, 5), Qt::UTC), "Desk 2", "ann", action, "tblBookings", 7, before,
             after});
        QCOMPARE(line.what, what);
        QCOMPARE(line.when, kAt);
    }

    // What the window lists, newest first: booking -1 is the first of the
    // series; a range is set in the date fields.
    void scopes_data() {
        QTest::addColumn<qint32>("booking");
        QTest::addColumn<qint32>("resource");
        QTest::addColumn<qint32>("from");
        QTest::addColumn<qint32>("to");
        QTest::addColumn<QStringList>("whats");
        const QString made = "new: Room A, Saturday 5 December 2026, 11:00 am to 11:30 am, Check-up, Zoë O'Neil";
        const QString moved = "moved from Room A, 10:00 am to Room B, 12:00 pm";
        const QString changed = "Ref01 changed to \"A-7\"; comment changed";
        const QString series = "series deleted (2 appointments)";
        const QString first = "new: Room A, Sunday 6 December 2026, 08:00 am to 08:30 am, Check-up";
        const QString restored = "database restored from a backup: 0 groups, 0 resources, 0 appointment types, 0 "
                                 "contacts, 5 appointments";
        QTest::newRow("an appointment") << 100 << 0 << 0 << 0 << QStringList{moved};
        QTest::newRow("an appointment of a series deleted since") << -1 << 0 << 0 << 0 << QStringList{series, first};
        QTest::newRow("a resource's day, a move away from it included")
            << 0 << 10 << 0 << 0 << QStringList{changed, moved, made};
        QTest::newRow("the day of the resource moved to") << 0 << 11 << 0 << 0 << QStringList{moved};
        QTest::newRow("a range of two days, with the restore made in it")
            << 0 << 0 << kToday << kToday + 1 << QStringList{restored, series, first, changed, moved, made};
        QTest::newRow("a range a month on") << 0 << 0 << kToday + 30 << kToday + 60
            << QStringList{"deleted: Room B, Wednesday 3 February 2027, 08:00 am to 08:30 am, Check-up",
                           "stretched to 09:00 am"};
        QTest::newRow("a range that ends before it starts") << 0 << 0 << kToday + 1 << kToday << QStringList{};
    }

    void scopes() {
        QFETCH(qint32, booking);
        QFETCH(qint32, resource);
        QFETCH(qint32, from);
        QFETCH(qint32, to);
        QFETCH(QStringList, whats);
        DlgHistory dlg(nullptr, booking < 0 ? seriesFirst : booking, resource, kToday);
        if (from != 0)
            dlg.DtFrom()->setDate(ClsDate::LongToDate(from)), dlg.DtTo()->setDate(ClsDate::LongToDate(to));
        for (int r = 0; r < dlg.LbHistory()->RowCount(); ++r)
            QCOMPARE(dlg.LbHistory()->CellText(r, 3), whats.value(r));
        QCOMPARE(dlg.LbHistory()->RowCount(), whats.size());
        QCOMPARE(dlg.BtnExport()->isEnabled(), from <= to);
        QCOMPARE(dlg.DtFrom()->isEnabled(), from != 0);
    }

    // Export and Print of every appointment of kToday, and Help.
    void exportPrintAndHelp() {
        DlgHistory dlg(nullptr, 0, 0, kToday);
        dlg.DtFrom()->setDate(ClsDate::LongToDate(kToday)), dlg.DtTo()->setDate(ClsDate::LongToDate(kToday));
        QCOMPARE(dlg.LbHistory()->RowCount(), 4);
        QVERIFY(dlg.BtnExport_Click());
        const QString path = f->env.Path("Export/History 2026-12-05 to 2026-12-05.csv");
        QCOMPARE(f->env.boxes.value(0).text, "4 changes exported to:\r\n\r\n" + path);
        const QString csv = QString::fromUtf8(TestEnv::ReadFile(path));
        QVERIFY2(csv.startsWith("\"When\",\"Workstation\",\"User\",\"What\"\r\n\"" + kAt +
                                "\",\"Desk 2\",\"ann\",\"database restored from a backup: 0 groups,") &&
                     csv.contains(",\"Desk 1\",\"" + Journal::UserName() +
                                  "\",\"Ref01 changed to \"\"A-7\"\"; comment changed\"\r\n"),
                 qPrintable(csv));
        QCOMPARE(csv.count("\r\n"), 5);

        const QString pdf = f->env.Path("history.pdf");
        // The print preview shows the list alone; its Print prints it.
        bool choices = true;
        f->env.onModal = [&](QDialog* d) {
            auto* preview = qobject_cast<DlgPreview*>(d);
            if (!preview)
                return int(TestEnv::PrintToPdf(d, pdf));
            preview->Form_Activate();
            choices = preview->Option1(0)->isVisibleTo(preview) || preview->SpinDate()->isVisibleTo(preview);
            preview->ToolbarAction("Print")->trigger();
            return int(QDialog::Rejected);
        };
        dlg.BtnPrint()->click();
        QVERIFY(!choices);
        const QString text = TestEnv::PdfText(pdf).simplified();
        // The long restore line wraps onto a second line of its row, whole.
        for (const QString& line : QStringList{"All appointments, Saturday 5 December 2026 to Saturday 5 December 2026",
                                               "When Workstation User What", "Appointment History", "Page 1 of 1",
                                               kAt + " Desk 2 ann database restored from a backup: 0 groups, 0 "
                                                     "resources, 0 appointment types, 0 contacts, 5 appointments",
                                               "Ref01 changed to \"A-7\"; comment changed"})
            QVERIFY2(text.contains(line), qPrintable(text));

        dlg.BtnHelp()->click();
        QVERIFY(HelpSystem::Window() && HelpSystem::Window()->CurrentTopic() == "history.html");
    }

    // The main window opens on its current resource's day; the booking dialog
    // on its selected appointment, or on a free slot on the resource's day.
    void openedFromTheMenus_data() {
        QTest::addColumn<int>("slot"); // -1: the main window
        QTest::addColumn<QString>("heading");
        const QString day = "Room A, Saturday 5 December 2026 (3 changes)";
        QTest::newRow("main window") << -1 << day;
        QTest::newRow("booking dialog, an appointment selected") << 540
            << "Appointment: Room A, Saturday 5 December 2026, 09:00 am to 09:30 am, Surgery (1 changes)";
        QTest::newRow("booking dialog, a free slot") << 480 << day;
    }

    void openedFromTheMenus() {
        QFETCH(int, slot);
        QFETCH(QString, heading);
        if (!f->main)
            f->Open();
        QString shown;
        f->env.onModal = [&](QDialog* d) {
            if (auto* history = qobject_cast<DlgHistory*>(d))
                shown = history->LbHistory()->Heading();
            return int(QDialog::Rejected);
        };
        if (slot < 0) {
            f->main->SelectResource(10);
            f->main->MenuEntry("mnuBookingHistory")->trigger();
        } else {
            DlgAppt& dlg = DlgAppt::Instance();
            dlg.SetGroupId(1), dlg.SetStartTime(qint16(slot)), dlg.SetResourceId(10), dlg.SetApptDate(kToday);
            dlg.Form_Activate();
            for (int row = 0; row < dlg.LbTimeSlot()->RowCount(); ++row)
                if (dlg.LbTimeSlot()->RowTag(row).toInt() == slot)
                    dlg.LbTimeslot_ItemClick(row, 1);
            dlg.MenuAction("mnuBookingHistory")->trigger();
            dlg.Form_Unload();
        }
        QCOMPARE(shown, heading);
    }
};

int main(int argc, char* argv[]) {
    // The workstation's zone, before anything reads it: the journal's UTC
    // times show an hour later.
    qputenv("TZ", "Europe/Berlin");
    QApplication app(argc, argv);
    TstHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_history.moc"

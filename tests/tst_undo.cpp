// Undo and redo of this run's own booking changes: what they store and
// journal, what they refuse, and the Appointment menu that offers them.
#include "MainFixture.h"

#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/Journal.h"
#include "model/BookingUndo.h"
#include "model/ClsBooking.h"
#include "model/StoredRow.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/DlgMain.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

namespace {
// The clinic with references and a comment on booking 100, and bookings 102
// and 103 one series (7).
void Clinic(MainFixture& f) {
    f.Clinic();
    f.Exec("update tblBookings set Ref01 = 'a''b', Ref02 = 'x', Ref03 = 'y', "
           "Comments = 'bring; notes' where BookingId = 100");
    f.Exec("update tblBookings set RepeatId = 7, Ref01 = 'r' where BookingId in (102, 103)");
}

// Every column of every booking, then the actions journalled after entry
// `mark`, oldest first; the mark moves on to the newest entry.
QString Stored(qint64& mark) {
    QStringList rows;
    Recordset rs = Database::DAO().SqlQuery("select * from tblBookings order by BookingId");
    for (StoredRow row("tblBookings", "BookingId"); !rs.Eof(); rs.MoveNext()) {
        row.Take(rs);
        rows << row.Json();
    }
    QStringList actions;
    for (const Journal::Entry& e :
         Journal::Read(Database::DAO(), "JournalId > " + QString::number(mark))) {
        actions.prepend(e.action);
        mark = qMax(mark, e.id);
    }
    return rows.join('\n') + "\njournalled: " + actions.join(',');
}

// A change of a booking as the booking dialog stores it ("create" copies
// booking 100 to Room B).
void Change(const QString& what) {
    ClsBooking b;
    if (what == "delete" || what == "series") {
        QVERIFY(what == "delete" ? b.Delete(100) : b.DeleteRepeats(7));
        return;
    }
    QVERIFY(b.Load(100));
    b.SetBookingId(what == "create" ? 0 : 100);
    b.SetResourceId(what == "create" ? 11 : 10);
    b.SetComments(what == "change" ? "other" : b.Comments());
    b.SetBookingStart(b.BookingStart() + (what == "move" ? 100 : 0));
    b.SetBookingEnd(b.BookingEnd() + (what == "move" ? 100 : what == "stretch" ? 30 : 0));
    QVERIFY(b.Save() != 0);
}
} // namespace

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void undoRedo_data();
    void undoRedo();
    void menuEntries_data();
    void menuEntries();
};

void TestUndo::undoRedo_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("redo");      // whether Undo has taken it back before
    QTest::addColumn<QString>("meddle"); // another workstation's statement before
    // Done: the menu's name of the change, then what undo and redo journal.
    // Refused: the message.
    QTest::addColumn<QString>("outcome");
    // clang-format off
    QTest::newRow("new") << "create" << false << "" << "New|Delete|New";
    QTest::newRow("change") << "change" << false << "" << "Change|Change|Change";
    QTest::newRow("move") << "move" << false << "" << "Move|Move|Move";
    QTest::newRow("stretch") << "stretch" << false << "" << "Stretch|Stretch|Stretch";
    QTest::newRow("delete") << "delete" << false << "" << "Delete|New|Delete";
    QTest::newRow("delete series") << "series" << false << "" << "Delete Series|New,New|Delete series";
    QTest::newRow("changed since") << "move" << false << "update tblBookings set Comments = 'x' where BookingId = 100"
        << "Cannot undo Move: booking 100 was changed at another workstation since.";
    QTest::newRow("deleted since") << "change" << false << "delete from tblBookings where BookingId = 100"
        << "Cannot undo Change: booking 100 was deleted at another workstation since.";
    QTest::newRow("old slot taken") << "move" << false << "insert into tblBookings values (900, 10, 20, 0, 46359, 630, 640, 0, '', '', '', '')"
        << "Cannot undo Move: the time of booking 100 is now taken by booking 900.";
    QTest::newRow("identifier taken") << "delete" << false << "insert into tblBookings values (100, 11, 20, 0, 46359, 900, 930, 0, '', '', '', '')"
        << "Cannot undo Delete: booking number 100 is now used by another booking.";
    QTest::newRow("contact gone") << "delete" << false << "delete from tblCustomers where CustomerId = 30"
        << "Cannot undo Delete: the contact of booking 100 no longer exists.";
    QTest::newRow("series: one slot taken") << "series" << false << "insert into tblBookings values (900, 11, 20, 0, 46419, 490, 500, 0, '', '', '', '')"
        << "Cannot undo Delete Series: the time of booking 103 is now taken by booking 900.";
    QTest::newRow("redo: changed since") << "stretch" << true << "update tblBookings set BookingStart = 610 where BookingId = 100"
        << "Cannot redo Stretch: booking 100 was changed at another workstation since.";
    QTest::newRow("redo series: one added") << "series" << true << "insert into tblBookings values (900, 11, 20, 0, 46359, 900, 930, 7, '', '', '', '')"
        << "Cannot redo Delete Series: booking 900 was changed at another workstation since.";
    // clang-format on
}

void TestUndo::undoRedo() {
    QFETCH(QString, change);
    QFETCH(bool, redo);
    QFETCH(QString, meddle);
    QFETCH(QString, outcome);
    MainFixture f;
    Clinic(f);
    QVERIFY(f.env.Start());
    BookingUndo undo;
    const auto lists = [&] { return undo.UndoAction() + '|' + undo.RedoAction(); };
    qint64 mark = 0;
    const QString before = Stored(mark).section("journalled", 0, 0);
    Change(change);
    const QString after = Stored(mark).section("journalled", 0, 0);
    if (!meddle.isEmpty()) {
        QVERIFY(!redo || undo.Undo());
        f.Exec(meddle);
        const QString stored = Stored(mark);
        QVERIFY(!(redo ? undo.Redo() : undo.Undo()));
        QCOMPARE(undo.Problem(), outcome);
        // Nothing was stored or journalled, and the refused step is dropped.
        QCOMPARE(Stored(mark), stored.section("journalled", 0, 0) + "journalled: ");
        QCOMPARE(lists(), "|");
        return;
    }
    const QStringList named = outcome.split('|');
    QCOMPARE(lists(), named[0] + '|');
    QVERIFY(undo.Undo());
    QCOMPARE(Stored(mark), before + "journalled: " + named[1]);
    QCOMPARE(lists(), '|' + named[0]);
    QVERIFY(undo.Redo());
    QCOMPARE(Stored(mark), after + "journalled: " + named[2]);
    QCOMPARE(lists(), named[0] + '|');
}

void TestUndo::menuEntries_data() {
    QTest::addColumn<QString>("steps"); // changes, keys, another workstation's change
    QTest::addColumn<QString>("menu");  // the Undo and Redo entries
    QTest::addColumn<QString>("shown"); // the bookings on the schedule
    QTest::addColumn<QString>("warning");
    // clang-format off
    QTest::newRow("deleted, undone") << "delete Ctrl+Z" << "&Undo (off) &Redo Delete" << "B101 B100" << "";
    QTest::newRow("undone, redone") << "delete Ctrl+Z Ctrl+Y" << "&Undo Delete &Redo (off)" << "B101" << "";
    QTest::newRow("two deep") << "move delete Ctrl+Z" << "&Undo Move &Redo Delete" << "B101 B100" << "";
    QTest::newRow("redo by ctrl+shift+z") << "delete Ctrl+Z Ctrl+Shift+Z" << "&Undo Delete &Redo (off)" << "B101" << "";
    QTest::newRow("a new change clears redo") << "delete Ctrl+Z move" << "&Undo Move &Redo (off)" << "B101 B100" << "";
    QTest::newRow("rolled back") << "rolledback" << "&Undo (off) &Redo (off)" << "B101 B100" << "";
    QTest::newRow("refused") << "move elsewhere Ctrl+Z" << "&Undo (off) &Redo (off)" << "B101 B100"
        << "Cannot undo Move: booking 100 was changed at another workstation since.";
    QTest::newRow("refused: a number emptied elsewhere") << "move emptied Ctrl+Z" << "&Undo (off) &Redo (off)" << "B101 B100"
        << "Cannot undo Move: booking 100 was changed at another workstation since.";
    QTest::newRow("another database opened") << "delete otherdb menu" << "&Undo (off) &Redo (off)" << "B101" << "";
    // clang-format on
}

void TestUndo::menuEntries() {
    QFETCH(QString, steps);
    QFETCH(QString, menu);
    QFETCH(QString, shown);
    QFETCH(QString, warning);
    MainFixture f;
    Clinic(f);
    f.Open();
    f.main->show();
    QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
    for (const QString& step : steps.split(' ')) {
        if (step.startsWith("Ctrl")) {
            QTest::keySequence(f.main->windowHandle(), QKeySequence(step));
        } else if (step == "otherdb") {
            // Another database file, opened by this program while the window stays.
            if (TestEnv::OnServer())
                QSKIP("another database file is a file engine's matter");
            const QString copy = f.env.Path("other.db");
            QVERIFY(QFile::copy(f.env.DbPath(), copy));
            QCOMPARE(Database::DAO().DbOpen(copy), qint16(0));
        } else if (step == "menu") {
            // The menu that holds the Undo entry opens.
            QMenu* menu = nullptr;
            for (QObject* o : f.main->MenuEntry("mnuBookingUndo")->associatedObjects())
                menu = menu ? menu : qobject_cast<QMenu*>(o);
            QVERIFY(menu);
            menu->popup(QPoint());
            menu->hide();
        } else if (step == "emptied" && TestEnv::OnServer()) {
            QSKIP("the server engine cannot load a booking whose number is empty");
        } else if (step == "elsewhere" || step == "emptied") {
            f.Exec(step == "elsewhere" ? "update tblBookings set Comments = 'x' where BookingId = 100"
                                       : "update tblBookings set RepeatId = null where BookingId = 100");
        } else {
            // A change inside a transaction that is then rolled back.
            QVERIFY(step != "rolledback" || Database::DAO().BeginWrite());
            Change(step == "rolledback" ? "move" : step);
            Database::DAO().RollbackWrite();
            f.main->ShowResources(0);
        }
    }
    QStringList bars;
    for (int bar = 1; bar <= f.Sched()->BarCount(1); ++bar)
        bars << f.Sched()->BarKey(1, bar);
    QCOMPARE(bars.join(' '), shown);
    QCOMPARE(f.env.boxes.isEmpty() ? QString() : f.env.boxes.last().text, warning);
    const auto entry = [&](const char* key) {
        const QAction* a = f.main->MenuEntry(key);
        return a->text() + (a->isEnabled() ? "" : " (off)");
    };
    QCOMPARE(entry("mnuBookingUndo") + ' ' + entry("mnuBookingRedo"), menu);
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"

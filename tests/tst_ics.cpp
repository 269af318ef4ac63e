// The iCalendar export, read back by python3-icalendar and by libical's parser:
// which bookings, times across a daylight-saving change, hostile texts, stable
// UIDs, a series' RELATED-TO; "Export Calendar" and "Send to Calendar".

#include "MainFixture.h"

#include "data/ClsDAO.h"
#include "model/ClsDate.h"
#include "transfer/BackupFile.h"
#include "transfer/IcsExport.h"
#include "ui/booking/DlgAppt.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/DlgExportCalendar.h"
#include "ui/main/DlgMain.h"

#include <QLineEdit>
#include <QtTest>
#include <QtWidgets>
#include <ctime>

extern "C" {
#include <libical/ical.h>
}

namespace {

const char* const kZone = "Europe/Berlin";
// Saturday 28 March 2026, the day before Europe's clocks go forward.
const qint32 kSat = ClsDate::DateToLong(QDate(2026, 3, 28));

// Every event as python3-icalendar reads it, times in UTC. Its VTIMEZONE reader
// (4.0) rejects a UTC UNTIL, so a zone it cannot read falls back to its name.
const char* const kPythonReader = R"(
import sys, json, datetime, pytz, icalendar, icalendar.cal as cal
to_tz = cal.Timezone.to_tz
def lenient(self):
    try:
        return to_tz(self)
    except ValueError:
        return pytz.timezone(str(self['X-LIC-LOCATION']))
cal.Timezone.to_tz = lenient
c = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
def utc(e, name):
    d = e.decoded(name)
    if d.tzinfo is None:
        return 'floating'
    return d.astimezone(datetime.timezone.utc).strftime('%Y%m%dT%H%MZ')
names = ['uid', 'summary', 'location', 'description', 'color', 'related-to']
# Every event must carry its DTSTAMP: decoding a missing one fails the reader.
print(json.dumps([dict({n: str(e.get(n, '')) for n in names}, start=utc(e, 'DTSTART'), stamp=utc(e, 'DTSTAMP'),
                       end=utc(e, 'DTEND'), tzid=str(e['DTSTART'].params.get('TZID', '')))
                  for e in c.walk('VEVENT')]))
)";

QJsonArray PythonEvents(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {"-c", kPythonReader, path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return {QStringLiteral("python3-icalendar could not read the file")};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

// The first event as libical's parser reads it: "start end" in UTC (through
// the file's own VTIMEZONE), SUMMARY, LOCATION, DESCRIPTION and CATEGORIES.
QStringList LibicalEvent(const QByteArray& text) {
    icalcomponent* calendar = icalparser_parse_string(text.constData());
    icalcomponent* e = calendar ? icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT) : nullptr;
    if (!e)
        return {QStringLiteral("libical could not read the file")};
    const auto utc = [](icaltimetype t) {
        const icaltimetype u = icaltime_convert_to_zone(t, icaltimezone_get_utc_timezone());
        return QString::asprintf("%04d%02d%02dT%02d%02dZ", u.year, u.month, u.day, u.hour, u.minute);
    };
    QStringList event{utc(icalcomponent_get_dtstart(e)) + ' ' + utc(icalcomponent_get_dtend(e))};
    for (icalproperty_kind kind : {ICAL_SUMMARY_PROPERTY, ICAL_LOCATION_PROPERTY,
                                   ICAL_DESCRIPTION_PROPERTY, ICAL_CATEGORIES_PROPERTY}) {
        icalproperty* p = icalcomponent_get_first_property(e, kind);
        event << (p ? QString::fromUtf8(icalvalue_get_text(icalproperty_get_value(p))) : QString());
    }
    icalcomponent_free(calendar);
    return event;
}

} // namespace

class TstIcs : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainFixture> f;

    // Clinic (group 1): Room A (10), Room B (11), type 20 "Check-up" in red,
    // contact 30; Labs (group 2): Bench (12). Bookings 100 to 104 around the
    // night of 29 March 2026; 102 and 103 are one series. 108 to 110 make no
    // valid event: a negative start, an end before the start, the year 5000.
    void Data() {
        f->Group(1, QStringLiteral("Clinic"));
        f->Group(2, QStringLiteral("Labs"));
        f->Resource(10, 1, QStringLiteral("Room A"));
        f->Resource(11, 1, QStringLiteral("Room B"));
        f->Resource(12, 2, QStringLiteral("Bench"));
        f->Task(20, 1, QStringLiteral("Check-up"), 0x0000FF);
        f->Task(22, 2, QStringLiteral("Test"), 0xFF0000);
        f->Customer(30, QStringLiteral("Zoë"), 1);
        f->Booking(100, 10, 20, 30, kSat, 600, 660);
        f->Booking(101, 10, 20, 0, kSat + 1, 60, 240);
        f->Booking(102, 11, 20, 30, kSat + 2, 600, 1440);
        f->Booking(103, 11, 20, 30, kSat + 3, 600, 660);
        f->Booking(104, 12, 22, 0, kSat + 1, 600, 660);
        f->Exec("update tblBookings set RepeatId = 7 where BookingId in (102, 103)");
        f->Booking(108, 10, 20, 30, kSat, -60, 30);
        f->Booking(109, 10, 20, 30, kSat + 1, 600, 540);
        f->Booking(110, 10, 20, 30, ClsDate::DateToLong(QDate(5000, 1, 1)), 600, 660);
    }
    QString Export(IcsExport::Scope scope, qint32 id, qint32 from, qint32 to) {
        IcsExport ics;
        const QString path = IcsExport::ExportPath(QStringLiteral("out"));
        if (!ics.Export({scope, id, from, to}, path))
            qWarning() << ics.Failure();
        return path;
    }
    static QString Ids(const QJsonArray& events) {
        QStringList ids;
        for (const QJsonValue& e : events)
            ids << e[QStringLiteral("uid")].toString().section('@', 0, 0).remove("booking-");
        return ids.join(',');
    }

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void init() { f = std::make_unique<MainFixture>(), Data(), f->Open(); }
    void cleanup() { f.reset(), qputenv("TZ", kZone); }

    void selections_data() {
        QTest::addColumn<int>("scope");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("ids");
        using S = IcsExport::Scope;
        QTest::newRow("resource") << int(S::Resource) << 10 << kSat << kSat + 3 << "100,101";
        QTest::newRow("group") << int(S::Group) << 1 << kSat << kSat + 3 << "100,101,102,103";
        QTest::newRow("contact") << int(S::Contact) << 30 << kSat << kSat + 3 << "100,102,103";
        QTest::newRow("range past the year 5000") << int(S::Resource) << 10 << kSat << kSat + 2000000 << "100,101";
        QTest::newRow("range of one day") << int(S::Group) << 1 << kSat + 2 << kSat + 2 << "102";
        QTest::newRow("range without bookings") << int(S::Group) << 1 << kSat + 4 << kSat + 30 << "";
    }

    void selections() {
        QFETCH(int, scope);
        QFETCH(int, id);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, ids);
        QCOMPARE(Ids(PythonEvents(Export(IcsExport::Scope(scope), id, from, to))), ids);
    }

    void zones_data() {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<int>("booking");
        QTest::addColumn<QString>("startEnd"); // in UTC
        QTest::addColumn<QString>("tzid");     // the TZID, empty for UTC times
        const auto row = [](const char* tag, const char* tz, int booking, const char* startEnd) {
            QTest::newRow(tag) << QByteArray(tz) << booking << QString(startEnd)
                               << QString(qstrcmp(tz, kZone) == 0 ? "Europe/Berlin" : "");
        };
        row("winter time", kZone, 100, "20260328T0900Z 20260328T1000Z");
        row("across the change", kZone, 101, "20260329T0000Z 20260329T0200Z");
        row("summer time to midnight", kZone, 102, "20260330T0800Z 20260330T2200Z");
        row("UTC", "UTC", 101, "20260329T0100Z 20260329T0400Z");
        row("zone libical does not know", "<+0330>-03:30", 101, "20260328T2130Z 20260329T0030Z");
    }

    void zones() {
        QFETCH(QByteArray, tz);
        QFETCH(int, booking);
        QFETCH(QString, startEnd);
        QFETCH(QString, tzid);
        qputenv("TZ", tz);
        tzset();
        const QString path = Export(IcsExport::Scope::Booking, booking, 0, 0);
        const QJsonArray events = PythonEvents(path);
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0]["start"].toString() + ' ' + events[0]["end"].toString(), startEnd);
        QCOMPARE(events[0]["tzid"].toString(), tzid);
        // Local times carry their zone, UTC times their Z: never floating.
        QCOMPARE(TestEnv::ReadFile(path).contains("BEGIN:VTIMEZONE\r\nTZID:" + tzid.toUtf8() + "\r\n"), !tzid.isEmpty());
        QCOMPARE(LibicalEvent(TestEnv::ReadFile(path)).value(0), startEnd);
    }

    void hostileTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read"); // as a calendar reads it back, if not as typed
        QTest::newRow("quotes") << "Zoë \"JD\" O'Neil" << "";
        QTest::newRow("commas and semicolons") << "Doe, Jane; Room 1, 2; x" << "";
        QTest::newRow("backslashes") << "C:\\temp\\n \\, \\;" << "";
        QTest::newRow("line breaks") << "first line\r\nsecond line\nthird" << "first line\nsecond line\nthird";
        QTest::newRow("control characters") << "a\tb\x01" "c\x1b[0md\x7f" "e" << "a\tb c [0md e";
        QTest::newRow("accents and emoji") << "Ærø Ünïcødé 😀🎉 日本語" << "";
        QTest::newRow("long, folded inside characters")
            << QString("é😀,;\\").repeated(30) + QStringLiteral("\nend") << "";
    }

    void hostileTexts() {
        QFETCH(QString, text);
        QFETCH(QString, read);
        for (const char* column : {"tblCustomers set CustomerName", "tblResources set ResourceName",
                                   "tblTasks set TaskName", "tblBookings set Comments"})
            f->Exec(QStringLiteral("update %1 = %2").arg(column, ClsDAO::Quoted(text)));
        const QString path = Export(IcsExport::Scope::Booking, 100, 0, 0);
        const QString expected = read.isEmpty() ? text : read;
        const QStringList written = {expected + " - " + expected, expected + " (Clinic)", expected, expected};
        QCOMPARE(LibicalEvent(TestEnv::ReadFile(path)).mid(1), written);
        // TEXT escapes every "\", ";" and "," and holds no control character but the tab.
        const QRegularExpression valid(R"(^(?!SUMMARY|LOCATION|DESCRIPTION|CATEGORIES).*|^\w+:([^\\;,\x00-\x08\x0a-\x1f\x7f]|\\[\\;,n])*$)");
        for (const QByteArray& line : TestEnv::ReadFile(path).replace("\r\n ", "").split('\n'))
            QVERIFY2(valid.match(QString::fromUtf8(line).remove('\r')).hasMatch(), line.constData());
        // python3-icalendar 4.0 undoes "\\" after "\," and "\n" and so misreads
        // backslashes; every other text it must read as written.
        if (!text.contains('\\')) {
            const QJsonObject e = PythonEvents(path).first().toObject();
            QCOMPARE((QStringList{e["summary"].toString(), e["location"].toString(),
                                  e["description"].toString()}),
                     written.mid(0, 3));
        }

        // Lines of at most 75 octets, each whole UTF-8, each ended by CR LF.
        QVERIFY(TestEnv::ReadFile(path).endsWith("\r\n"));
        for (const QByteArray& line : TestEnv::ReadFile(path).split('\n')) {
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString decoded = utf8(line); // sets hasError()
            QVERIFY2(line.isEmpty() || (line.endsWith('\r') && line.size() <= 76 && !utf8.hasError()),
                     line.constData());
        }
    }

    void uidsStableAndSeriesRelated() {
        const QJsonArray first = PythonEvents(Export(IcsExport::Scope::Group, 1, kSat, kSat + 3));
        QVERIFY(QFile::remove(IcsExport::ExportPath(QStringLiteral("out"))));
        const QJsonArray second = PythonEvents(Export(IcsExport::Scope::Group, 1, kSat, kSat + 3));
        const QString id =
            f->env.Sql("select PropValue from tblProperties where PropName = 'CalendarId'").toString();
        QVERIFY(!QUuid::fromString(id).isNull());
        QCOMPARE(first.size(), 4);
        QCOMPARE(first[0]["uid"].toString(), "booking-100@" + id);
        // 102 and 103 are one series; 100 and 101 stand alone.
        QStringList related;
        for (int i = 0; i < first.size(); ++i) {
            QCOMPARE(second[i]["uid"].toString(), first[i]["uid"].toString());
            related << first[i]["related-to"].toString();
        }
        QCOMPARE(related, (QStringList{"", "", "series-7@" + id, "series-7@" + id}));
        // A backup restored here, or where the database never had an identity, keeps every UID.
        f->Exec("delete from tblBookings where BookingId >= 108");
        const QString backup = f->env.Path("uids.txt");
        QVERIFY(BackupFile().BackupDb(backup));
        f->Exec("delete from tblProperties where PropName = 'CalendarId'");
        QVERIFY(BackupFile().RestoreDb(backup, true));
        const qint32 clinic = f->env.Sql("select GroupId from tblGroups where GroupName = 'Clinic'").toInt();
        const QJsonArray restored = PythonEvents(Export(IcsExport::Scope::Group, clinic, kSat, kSat + 3));
        QCOMPARE(restored.size(), first.size());
        for (int i = 0; i < first.size(); ++i)
            QCOMPARE(restored[i]["uid"].toString(), first[i]["uid"].toString());
        // The type's colour (red, stored with red in the low byte), its name and
        // the resource with its group.
        QCOMPARE(first[0]["color"].toString() + '/' + first[0]["summary"].toString() + '/' +
                     first[0]["location"].toString(),
                 QStringLiteral("red/Check-up - Zoë/Room A (Clinic)"));
    }

    void exportCalendarMenu_data() {
        QTest::addColumn<int>("scope");
        QTest::addColumn<QString>("picked"); // a file chosen with Browse
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("how"); // 1: no current row, 2: times and types only
        QTest::newRow("current resource") << 0 << "" << "Export/Room A.ics" << "2 appointments exported to:" << 0;
        QTest::newRow("no current row: the group's first resource, kept for next time")
            << 0 << "" << "Export/Room A.ics" << "2 appointments exported to:" << 1;
        QTest::newRow("contact") << 2 << "" << "Export/Zoë.ics" << "3 appointments exported to:" << 0;
        QTest::newRow("file picked") << 1 << "mine.ics" << "mine.ics" << "4 appointments exported to:" << 0;
        QTest::newRow("times and types only") << 1 << "" << "Export/Clinic.ics" << "4 appointments exported to:" << 2;
        QTest::newRow("file cannot be written") << 1 << "" << "Export/Clinic.ics/" << "Export FAILED!" << 0;
    }

    void exportCalendarMenu() {
        QFETCH(int, scope);
        QFETCH(QString, picked);
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(int, how);
        const bool failing = file.endsWith('/'); // a folder where the file would go
        QVERIFY(!failing || QDir().mkpath(f->env.Path(file)));
        QString startedOn;
        bool typed = false;
        for (int row = 1; row < f->Sched()->RowCount() && how != 1; ++row)
            if (f->Sched()->RowData(row) == 10)
                f->Sched()->SetCurrentRow(row);
        f->env.onModal = [&](QDialog* d) -> int {
            if (auto* files = qobject_cast<QFileDialog*>(d)) {
                files->selectFile(f->env.Path(picked));
                return QDialog::Accepted;
            }
            auto* dlg = qobject_cast<DlgExportCalendar*>(d);
            if (!dlg)
                return QDialog::Rejected;
            startedOn = dlg->CbScope()->currentText();
            // The file is chosen through Browse; its box takes no typing.
            auto* file = dlg->findChild<QLineEdit*>(QStringLiteral("TxtFile"));
            const QString shown = file->text();
            QTest::keyClicks(file, QStringLiteral("x"));
            typed = file->text() != shown;
            dlg->CbScope()->setCurrentIndex(scope);
            if (how == 2)
                dlg->ChkTimesOnly()->click();
            dlg->DtFrom()->setDate(ClsDate::LongToDate(kSat)), dlg->DtTo()->setDate(ClsDate::LongToDate(kSat + 3));
            if (!picked.isEmpty())
                dlg->BtnBrowse_Click();
            return dlg->BtnOk()->isEnabled() ? QDialog::Accepted : QDialog::Rejected;
        };
        f->main->MenuEntry(QStringLiteral("mnuTransferExportCalendar"))->trigger();
        QCOMPARE(startedOn, QStringLiteral("Resource: Room A"));
        QVERIFY(!typed);
        QCOMPARE(f->env.boxes.size(), 1);
        const QString text = f->env.boxes.first().text;
        QVERIFY2(text.startsWith(message) &&
                     (failing || text.endsWith(QDir::toNativeSeparators(f->env.Path(file)) + "\r\n\r\n2 appointments "
                                               "were left out: their date or times cannot be written in a calendar.")),
                 qPrintable(text));
        if (failing)
            return;
        const QJsonArray events = PythonEvents(f->env.Path(file));
        QCOMPARE(events.size(), message.section(' ', 0, 0).toInt());
        // A calendar shared beyond the desk names no contact and holds no notes.
        for (const QJsonValue& e : events)
            QVERIFY(how != 2 || (e["summary"].toString() == "Check-up" && e["description"].toString().isEmpty()));
        QCOMPARE(f->IniValue("Export", "CalendarResource"), QString(scope == 0 ? "10" : ""));
    }

    void sendToCalendar_data() {
        QTest::addColumn<int>("slot");    // the slot clicked (minutes)
        QTest::addColumn<int>("contact"); // chosen in the contact box
        QTest::addColumn<QString>("ids"); // the bookings written, "-" for no file
        QTest::newRow("booked slot") << 600 << 0 << "100";
        QTest::newRow("free slot, contact's future bookings") << 480 << 30 << "105,106";
        QTest::newRow("free slot, no contact") << 480 << 0 << "-";
    }

    void sendToCalendar() {
        QFETCH(int, slot);
        QFETCH(int, contact);
        QFETCH(QString, ids);
        // Bookings of the contact from today on, and one of yesterday.
        f->Booking(105, 10, 20, 30, ClsDate::Today(), 600, 660);
        f->Booking(106, 11, 20, 30, ClsDate::Today() + 200, 600, 660);
        f->Booking(107, 11, 20, 30, ClsDate::Today() - 1, 600, 660);
        int dialogs = 0;
        const QString path = f->env.Path(QStringLiteral("sent.ics"));
        f->env.onModal = [&](QDialog* d) -> int {
            auto* files = qobject_cast<QFileDialog*>(d);
            return files ? (++dialogs, files->selectFile(path), QDialog::Accepted) : QDialog::Rejected;
        };
        DlgAppt& dlg = DlgAppt::Instance();
        dlg.SetGroupId(1), dlg.SetStartTime(qint16(slot)), dlg.SetResourceId(10);
        dlg.SetTaskId(0), dlg.SetApptDate(kSat), dlg.Form_Activate();
        if (contact != 0)
            ClsForms::SelectItemId(dlg.CbCustomer(), contact);
        for (int row = 0; row < dlg.LbTimeSlot()->RowCount(); ++row)
            if (dlg.LbTimeSlot()->RowTag(row).toInt() == slot)
                dlg.LbTimeslot_ItemClick(row, 1);
        dlg.MenuAction(QStringLiteral("mnuBookingSendToCalendar"))->trigger();
        // Nothing to send: a message, no file dialog and no file.
        QCOMPARE(f->env.boxes.size(), 1);
        QCOMPARE(dialogs, ids == "-" ? 0 : 1);
        QCOMPARE(QFileInfo::exists(path) ? Ids(PythonEvents(path)) : QString("-"), ids);
    }
};

int main(int argc, char* argv[]) {
    // The workstation's zone, before anything reads it.
    qputenv("TZ", kZone);
    QApplication app(argc, argv);
    TstIcs test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ics.moc"

#include "transfer/IcsExport.h"

#include "base/ColourUtil.h"
#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "base/FileWriter.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/ClsDate.h"
#include "transfer/ExportFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTimeZone>
#include <QUuid>
#include <cstdlib>
#include <ctime>
#include <memory>

extern "C" {
#include <libical/ical.h>
}

namespace {

const QString kCalendarIdProperty = QStringLiteral("CalendarId");

// A calendar component freed with its children when it goes out of scope.
struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

QString TextOf(const FieldValue& f) {
    return f.IsNull() ? QString() : f.Value.toString();
}
qint32 NumberOf(const FieldValue& f) {
    return f.IsNull() ? 0 : f.Value.toInt();
}

// Stands for the backslash of "\;" and "\," in CATEGORIES, whose commas and
// semicolons libical writes unescaped; the written text swaps it back. A
// noncharacter, which Utf8 keeps out of every user text.
const QChar kCategoryEscape(0xFDD0);

// A user's text as iCalendar TEXT takes it: line breaks as one "\n" each,
// which libical writes as the escape "\n"; the other control characters,
// which TEXT may not hold, and noncharacters as blanks.
QByteArray Utf8(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QChar& c : text)
        if ((c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\t')) ||
            c.unicode() == 0x7F || c.isNonCharacter())
            c = QLatin1Char(' ');
    return text.toUtf8();
}

// One category: its commas and semicolons escaped, so that it stays one.
QByteArray Category(const QString& text) {
    QString escaped = QString::fromUtf8(Utf8(text));
    escaped.replace(QLatin1Char(';'), QString(kCategoryEscape) + QLatin1Char(';'));
    escaped.replace(QLatin1Char(','), QString(kCategoryEscape) + QLatin1Char(','));
    return escaped.toUtf8();
}

bool IsUtcName(const QString& id) {
    static const QStringList names = {
        "UTC",       "Etc/UTC",  "Etc/UCT", "UCT",       "Etc/GMT",   "GMT",  "Etc/Universal",
        "Universal", "Etc/Zulu", "Zulu",    "Etc/GMT+0", "Etc/GMT-0", "GMT0", "Etc/GMT0"};
    return names.contains(id);
}

// The workstation's zone as libical knows it; null for UTC or a zone that
// libical's database does not hold, whose times are then written in UTC.
icaltimezone* WorkstationZone() {
    const QString id = QString::fromUtf8(QTimeZone::systemTimeZoneId());
    if (id.isEmpty() || IsUtcName(id))
        return nullptr;
    return icaltimezone_get_builtin_timezone(id.toUtf8().constData());
}

// A booking's day number and minute (up to 1440, the midnight ending the
// day) as a time of the zone, or in UTC without one.
icaltimetype TimeOf(qint32 day, int minutes, icaltimezone* zone) {
    const QDate date = ClsDate::LongToDate(day).addDays(minutes / 1440);
    const QTime time(minutes % 1440 / 60, minutes % 60);
    icaltimetype t = icaltime_null_time();
    t.is_date = 0;
    if (zone) {
        t.year = date.year();
        t.month = date.month();
        t.day = date.day();
        t.hour = time.hour();
        t.minute = time.minute();
        t.zone = zone;
        return t;
    }
    const QDateTime utc = QDateTime(date, time, Qt::LocalTime).toUTC();
    return icaltime_from_timet_with_zone(time_t(utc.toSecsSinceEpoch()), 0,
                                         icaltimezone_get_utc_timezone());
}

// The zone's IANA name ("Europe/Berlin"), which calendar programs know; the
// TZID libical gives its zones carries a prefix of its own in front of it.
QByteArray ZoneName(icaltimezone* zone) {
    return QByteArray(icaltimezone_get_location(zone));
}

// The last year libical writes: it writes a time after it as zeros.
constexpr int kLastYear = 3000;

// Whether a booking's times make a valid event: a start from midnight on, an
// end after it, and both in a year from 1 to kLastYear.
bool Writable(const icaltimetype& start, const icaltimetype& end, int startMinutes,
              int endMinutes) {
    const auto inRange = [](const icaltimetype& t) {
        return icaltime_is_valid_time(t) && t.year >= 1 && t.year <= kLastYear;
    };
    return startMinutes >= 0 && endMinutes > startMinutes && inRange(start) && inRange(end);
}

// DTSTART or DTEND with the zone's TZID.
icalproperty* WithZone(icalproperty* property, icaltimezone* zone) {
    if (zone && !icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER))
        icalproperty_add_parameter(property, icalparameter_new_tzid(ZoneName(zone).constData()));
    return property;
}

QString Where(const IcsExport::Selection& s) {
    const QString id = QString::number(s.id);
    const QString range =
        QStringLiteral(" and b.BookingDate >= %1 and b.BookingDate <= %2").arg(s.from).arg(s.to);
    switch (s.scope) {
    case IcsExport::Scope::Resource:
        return QStringLiteral("b.ResourceId = ") + id + range;
    case IcsExport::Scope::Group:
        return QStringLiteral("b.ResourceId in (select ResourceId from tblResources where "
                              "GroupId = ") +
               id + QLatin1Char(')') + range;
    case IcsExport::Scope::Contact:
        return QStringLiteral("b.CustomerId = ") + id + range;
    case IcsExport::Scope::Booking:
        break;
    }
    return QStringLiteral("b.BookingId = ") + id;
}

} // namespace

QString IcsExport::ExportPath(const QString& name) {
    return ExportFiles::PathFor(name, QStringLiteral(".ics"));
}

QString IcsExport::Query(const Selection& selection) {
    return QStringLiteral(
               "select b.BookingId, b.BookingDate, b.BookingStart, b.BookingEnd, b.RepeatId, "
               "b.Ref01, b.Ref02, b.Ref03, b.Comments, r.ResourceName, g.GroupName, t.TaskName, "
               "t.Colour, c.CustomerName from tblBookings b "
               "left join tblResources r on r.ResourceId = b.ResourceId "
               "left join tblGroups g on g.GroupId = r.GroupId "
               "left join tblTasks t on t.TaskId = b.TaskId "
               "left join tblCustomers c on c.CustomerId = b.CustomerId where ") +
           Where(selection) +
           QStringLiteral(" order by b.BookingDate, b.BookingStart, b.BookingId");
}

QString IcsExport::ZoneId() {
    icaltimezone* zone = WorkstationZone();
    return zone ? QString::fromUtf8(ZoneName(zone)) : QStringLiteral("UTC");
}

QString IcsExport::StoredCalendarId() {
    QString id;
    TrapSilent([&] {
        const Recordset rs = Database::DAO().SqlQuery(
            QStringLiteral("select PropValue from tblProperties where PropName = ") +
            ClsDAO::Quoted(kCalendarIdProperty));
        if (rs.IsOpen() && !rs.Eof())
            id = TextOf(rs.Fields(0));
    });
    return id;
}

bool IcsExport::IsCalendarId(const QString& id) {
    static const QRegularExpression form(QStringLiteral("^[A-Za-z0-9.-]{1,64}$"));
    return form.match(id).hasMatch();
}

bool IcsExport::KeepCalendarId(const QString& id) {
    ClsDAO& dao = Database::DAO();
    return dao.SqlAction(QStringLiteral("delete from tblProperties where PropName = ") +
                         ClsDAO::Quoted(kCalendarIdProperty)) &&
           dao.SqlAction(
               QStringLiteral("insert into tblProperties (PropName, PropValue) values (") +
               ClsDAO::Quoted(kCalendarIdProperty) + QStringLiteral(", ") + ClsDAO::Quoted(id) +
               QLatin1Char(')'));
}

QString IcsExport::CalendarId() {
    QString id = StoredCalendarId();
    if (!id.isEmpty())
        return id;
    TrapSilent([&] {
        // Another workstation may create it at the same moment: only the
        // first insert stands, and both read back the one that does.
        Database::DAO().SqlAction(
            QStringLiteral("insert into tblProperties (PropName, PropValue) select ") +
                ClsDAO::Quoted(kCalendarIdProperty) + QStringLiteral(", ") +
                ClsDAO::Quoted(QUuid::createUuid().toString(QUuid::WithoutBraces)) +
                QStringLiteral(" where not exists (select PropName from tblProperties "
                               "where PropName = ") +
                ClsDAO::Quoted(kCalendarIdProperty) + QLatin1Char(')'),
            true);
    });
    id = StoredCalendarId();
    // A database that cannot be written still gives stable identifiers: one
    // derived from where it is.
    if (id.isEmpty())
        id = QUuid::createUuidV5(QUuid(), Database::DAO().DbPath()).toString(QUuid::WithoutBraces);
    return id;
}

bool IcsExport::Build(const Selection& selection) {
    m_text.clear();
    m_events = 0;
    m_skipped = 0;
    m_failure.clear();
    bool ok = false;
    Trap("IcsExport.Build", [&] {
        Recordset rs = Database::DAO().SqlQuery(Query(selection));
        if (!rs.IsOpen()) {
            m_failure = QStringLiteral("the bookings cannot be read");
            return;
        }
        const QByteArray domain = QByteArrayLiteral("@") + CalendarId().toUtf8();
        icaltimezone* zone = WorkstationZone();

        Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
        icalcomponent_add_property(calendar.get(),
                                   icalproperty_new_prodid("-//Tarvelo//Tarvelo//EN"));
        icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
        icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
        icalcomponent_add_property(calendar.get(), icalproperty_new_method(ICAL_METHOD_PUBLISH));
        if (zone) {
            // The zone's rules from the day before the first booking on: a
            // few lines instead of its whole history since the 1890s.
            icalcomponent* vtimezone = icalcomponent_new_clone(icaltimezone_get_component(zone));
            icalproperty_set_tzid(icalcomponent_get_first_property(vtimezone, ICAL_TZID_PROPERTY),
                                  ZoneName(zone).constData());
            const qint32 first = rs.Eof() ? selection.from : NumberOf(rs.Fields(1));
            const QDateTime since(
                ClsDate::LongToDate(qMin(first, ClsDate::DateToLong(QDate(kLastYear, 1, 1))) - 1),
                QTime(0, 0), Qt::UTC);
            icaltimezone_truncate_vtimezone(
                vtimezone,
                icaltime_from_timet_with_zone(time_t(since.toSecsSinceEpoch()), 0,
                                              icaltimezone_get_utc_timezone()),
                icaltime_null_time(), 0);
            icalcomponent_add_component(calendar.get(), vtimezone);
        }

        const icaltimetype stamp =
            icaltime_from_timet_with_zone(std::time(nullptr), 0, icaltimezone_get_utc_timezone());
        // The colour names of the appointment types, worked out once each.
        QHash<qint32, QByteArray> colourNames;
        for (; !rs.Eof(); rs.MoveNext()) {
            EventPump::Run();
            const qint32 bookingId = NumberOf(rs.Fields(0));
            const qint32 date = NumberOf(rs.Fields(1));
            const qint32 repeatId = NumberOf(rs.Fields(4));
            const int startMinutes = NumberOf(rs.Fields(2));
            const int endMinutes = NumberOf(rs.Fields(3));
            const icaltimetype start = TimeOf(date, startMinutes, zone);
            const icaltimetype end = TimeOf(date, endMinutes, zone);
            // An event libical would write with a broken time is left out and counted.
            if (!Writable(start, end, startMinutes, endMinutes)) {
                ++m_skipped;
                continue;
            }
            const QString task = TextOf(rs.Fields(11));
            // A calendar shared beyond the desk tells no names or notes.
            const QString contact = selection.timesOnly ? QString() : TextOf(rs.Fields(13));
            const QString resource = TextOf(rs.Fields(9));
            const QString group = TextOf(rs.Fields(10));

            icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
            icalcomponent_add_component(calendar.get(), event);
            icalcomponent_add_property(event, icalproperty_new_uid(QByteArrayLiteral("booking-") +
                                                                   QByteArray::number(bookingId) +
                                                                   domain));
            icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
            icalcomponent_add_property(event, WithZone(icalproperty_new_dtstart(start), zone));
            icalcomponent_add_property(event, WithZone(icalproperty_new_dtend(end), zone));
            icalcomponent_add_property(
                event, icalproperty_new_summary(Utf8(
                           contact.isEmpty() ? task : task + QStringLiteral(" - ") + contact)));
            icalcomponent_add_property(
                event,
                icalproperty_new_location(Utf8(group.isEmpty() ? resource
                                                               : resource + QStringLiteral(" (") +
                                                                     group + QLatin1Char(')'))));
            QStringList lines;
            for (int i = 0; i < 3 && !selection.timesOnly; ++i) {
                const QString ref = TextOf(rs.Fields(5 + i));
                if (!ref.isEmpty())
                    lines << QStringLiteral("Ref %1: %2")
                                 .arg(i + 1, 2, 10, QLatin1Char('0'))
                                 .arg(ref);
            }
            const QString comments = selection.timesOnly ? QString() : TextOf(rs.Fields(8));
            if (!comments.isEmpty())
                lines << (lines.isEmpty() ? comments : QStringLiteral("\n") + comments);
            if (!lines.isEmpty())
                icalcomponent_add_property(
                    event, icalproperty_new_description(Utf8(lines.join(QLatin1Char('\n')))));
            if (!task.isEmpty()) {
                icalcomponent_add_property(event, icalproperty_new_categories(Category(task)));
                if (!rs.Fields(12).IsNull()) {
                    const qint32 colour = NumberOf(rs.Fields(12));
                    auto name = colourNames.find(colour);
                    if (name == colourNames.end())
                        name =
                            colourNames.insert(colour, ColourUtil::NearestCssName(colour).toUtf8());
                    icalcomponent_add_property(event, icalproperty_new_color(name->constData()));
                }
            }
            if (repeatId != 0)
                icalcomponent_add_property(
                    event, icalproperty_new_relatedto(QByteArrayLiteral("series-") +
                                                      QByteArray::number(repeatId) + domain));
            ++m_events;
        }
        char* text = icalcomponent_as_ical_string_r(calendar.get());
        if (!text) {
            m_failure = QStringLiteral("the calendar cannot be written out");
            return;
        }
        m_text = QByteArray(text);
        std::free(text);
        m_text.replace(QString(kCategoryEscape).toUtf8(), QByteArrayLiteral("\\"));
        ok = true;
    });
    if (!ok && m_failure.isEmpty())
        m_failure = QStringLiteral("the export failed");
    return ok;
}

QString IcsExport::SkippedNote() const {
    return m_skipped == 0 ? QString()
                          : QString::number(m_skipped) +
                                QStringLiteral(" appointments were left out: their date or times "
                                               "cannot be written in a calendar.");
}

bool IcsExport::Write(const QString& path) {
    m_path = path;
    bool ok = false;
    Trap("IcsExport.Write", [&] {
        QDir().mkpath(QFileInfo(path).absolutePath()); // an existing folder is no error
        FileWriter file(path);
        ok = file.Open() && file.Write(m_text) && file.Commit();
        if (!ok)
            m_failure = file.Reason();
    });
    if (!ok && m_failure.isEmpty())
        m_failure = QStringLiteral("the file cannot be written");
    return ok;
}

bool IcsExport::Export(const Selection& selection, const QString& path) {
    m_path = path;
    return Build(selection) && Write(path);
}

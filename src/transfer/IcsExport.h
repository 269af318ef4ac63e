#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The iCalendar export (RFC 5545) of bookings: one VEVENT per booking, its
// times in the workstation's time zone (a VTIMEZONE from libical's zone
// database; UTC when the zone is UTC or unknown to libical), built, escaped
// and folded by libical.
//
// Each event's UID joins the BookingId with an identity of the database,
// generated once and kept in tblProperties, so that a calendar program that
// imports the file again updates its events instead of doubling them. The
// bookings of one repeat series share a RELATED-TO naming the series.
class IcsExport {
public:
    enum class Scope { Resource, Group, Contact, Booking };
    // Which bookings: those of one resource, of every resource of a group,
    // of a contact, from `from` to `to` (day numbers, both included); or the
    // one booking `id` (the range then does not apply).
    struct Selection {
        Scope scope = Scope::Resource;
        qint32 id = 0;
        qint32 from = 0;
        qint32 to = 0;
        // Times, appointment types and resources only: no contact names,
        // references or comments.
        bool timesOnly = false;
    };
    // The range offered when none is given: today and the next 90 days.
    static constexpr qint32 DefaultDays = 90;

    // Builds the calendar; false (Failure says why) when the bookings cannot
    // be read. A selection without bookings gives a calendar without events;
    // a booking whose date or times cannot be written is left out and counted.
    bool Build(const Selection& selection);
    // Writes what Build made to `path` whole or not at all, creating its
    // folder; an earlier file there is replaced only by a complete one.
    bool Write(const QString& path);
    // Build, then Write.
    bool Export(const Selection& selection, const QString& path);

    // Export/<name>.ics in the program folder, the name made safe as for
    // the CSV export.
    static QString ExportPath(const QString& name);
    // The statement that reads the selected bookings with their names.
    static QString Query(const Selection& selection);
    // The database's identity in the UIDs, created on first use.
    static QString CalendarId();
    // The identity as stored; empty when none was made yet.
    static QString StoredCalendarId();
    // A text that can stand as an identity: 1 to 64 letters, digits, "-"
    // and ".".
    static bool IsCalendarId(const QString& id);
    // Stores id as the identity, in the caller's transaction.
    static bool KeepCalendarId(const QString& id);
    // The zone the times are written in: the system zone's name, or "UTC".
    static QString ZoneId();

    QByteArray Text() const { return m_text; }
    int Events() const { return m_events; }
    // The bookings left out because their date or times make no valid event.
    int Skipped() const { return m_skipped; }
    // What the user is told of them; empty when none was left out.
    QString SkippedNote() const;
    QString Path() const { return m_path; }
    QString Failure() const { return m_failure; }

private:
    QByteArray m_text;
    int m_events = 0;
    int m_skipped = 0;
    QString m_path;
    QString m_failure;
};

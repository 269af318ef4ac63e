#pragma once

#include "data/Journal.h"
#include "model/ClsDate.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// The journal of the appointments in words, for the history window, its
// print, its CSV export and the command line alike. It picks the entries of
// one appointment, of one resource's day or of the appointments of a range
// of days, and turns each into a line: when it happened (local time), on
// which workstation, by whom, and what changed ("moved from Room 1, 10:00 am
// to Room 2, 11:00 am"), the resources, types and contacts named as the
// database now holds them (a record since deleted says so).
class BookingHistory {
public:
    // Which entries: those of appointments that lay (before or after the
    // change) on a day from `from` to `to`, of resource `resourceId` unless
    // that is 0, and of appointment `bookingId` unless that is 0. A restore
    // or a purge concerns every appointment: it is listed when neither an
    // appointment nor a resource is asked for and it was made on a day of
    // the range.
    struct Scope {
        qint32 bookingId = 0;
        qint32 resourceId = 0;
        qint32 from = ClsDate::FirstDay;
        qint32 to = ClsDate::LastDay;
    };
    struct Line {
        QString when;
        QString workstation;
        QString user;
        QString what;
    };

    // The lines of the entries in the scope, newest first.
    QList<Line> Lines(const Scope& scope);
    static bool InScope(const Journal::Entry& entry, const Scope& scope);
    Line Describe(const Journal::Entry& entry);
    // What an appointment is: "Room 1, Saturday 5 December 2026, 10:00 am to
    // 10:30 am, Check-up, Jane Smith" (the type and contact where it has them).
    QString Appointment(const QJsonObject& row);
    // The appointment as now stored, else "appointment 12 (deleted)".
    QString Appointment(qint32 bookingId);
    // The name of a "resource", "type" or "contact" as now stored, looked up
    // once; "resource 9 (deleted)" for one that no longer exists.
    QString Name(const QString& kind, qint32 id);
    // "dd mmm yyyy" and the time of day, in this computer's time zone.
    static QString WhenText(const QDateTime& utc);

    static QStringList Headings();
    // The CSV text: the headings, then one line per entry, each ending in CR LF.
    static QByteArray Csv(const QList<Line>& lines);
    // Writes the CSV text whole or not at all ("-" is the standard output);
    // false with the file and the reason in `error` when it could not.
    static bool WriteCsv(const QString& path, const QList<Line>& lines, QString* error);

private:
    QString What(const Journal::Entry& entry);
    QString Changes(const QJsonObject& before, const QJsonObject& after);

    QHash<QString, QString> m_names;
};

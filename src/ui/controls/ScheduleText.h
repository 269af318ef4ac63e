#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>

// Texts shown on the schedule's ruler and the conversions between the
// program's date numbers (days since 1 January 1900) and calendar dates.
//
// Ruler date formats use the schedule's own short notation; every other
// character is copied as it stands:
//   D  full weekday name (Saturday)      d  short weekday name (Sat)
//   n  day of the month (5)              nn day of the month, two digits (05)
//   M  full month name (December)        m  short month name (Dec)
//   Y  year, four digits (2026)          y  year, two digits (26)
// Names are English whatever the system locale, like the rest of the program.
class ScheduleText {
public:
    static QDate DateOf(qint32 dateNumber);
    static qint32 DateNumber(const QDate& date);
    static bool IsWeekend(qint32 dateNumber);

    static QString FormatDate(qint32 dateNumber, const QString& format);

    // Hour label for the ruler: "9 am", "12 pm" in 12-hour form, "09:00" in
    // 24-hour form. minute is a time of day (0..1440).
    static QString HourLabel(int minute, bool twelveHour);
    // Label of a mark inside an hour, ":15", ":30".
    static QString MinuteLabel(int minute);
};

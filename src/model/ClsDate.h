#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>
#include <algorithm>

// Dates are stored as day numbers (days since 1 January 1900) and times as
// minutes since midnight. ClsDate converts them and formats them for display.
class ClsDate {
public:
    static QDate Epoch() { return QDate(1900, 1, 1); }

    // The days the program shows and prints, day 0 (1 January 1900) to 31
    // December 9999: a year has four digits on screen and on paper, and a
    // day before day 0 would stop a backup from being restored.
    static constexpr qint32 FirstDay = 0;
    static constexpr qint32 LastDay = 2958463;
    // The day within FirstDay to LastDay nearest to dayNumber: a step past
    // either end stays at it.
    static qint32 WithinShown(qint64 dayNumber) {
        return qint32(std::clamp<qint64>(dayNumber, FirstDay, LastDay));
    }
    // Keeps a date control (QCalendarWidget, QDateEdit) to those days.
    template <class DateControl> static void LimitToShown(DateControl* control) {
        control->setDateRange(LongToDate(FirstDay), LongToDate(LastDay));
    }

    static qint32 DateToLong(const QDate& date);
    static QDate LongToDate(qint32 dayNumber);
    static qint32 Today();
    static qint32 MonthStart(qint32 dayNumber);
    static qint32 MonthEnd(qint32 dayNumber);
    static qint32 MonthLength(qint32 dayNumber);
    static QString ShowTime(int minutes, bool withAmPm);
    static QString ShowMinutes(int minutes);
    static qint16 GetTime(const QString& text);

    // Display forms of a day number, in English whatever the locale:
    // "d mmmm yyyy" (5 December 2026), "dddd d mmmm yyyy" (Saturday 5 December
    // 2026), "dd mmm yyyy" (05 Dec 2026) and so on; letters as in the pattern.
    static QString FormatDate(qint32 dayNumber, const QString& pattern);
    static bool UseMilitaryTime();
};

#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>

// Dates are stored as day numbers (days since 1 January 1900) and times as
// minutes since midnight. ClsDate converts them and formats them for display.
class ClsDate {
public:
    static QDate Epoch() { return QDate(1900, 1, 1); }

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

#pragma once

#include <QString>
#include <QtGlobal>

// The eight patterns by which an appointment is repeated, and the date that
// follows a given date in each. Dates are day numbers (day 0, 1 January 1900,
// is a Monday).
class RepeatPattern {
public:
    enum Type {
        EveryWeek = 0,
        Every2Weeks = 1,
        Every3Weeks = 2,
        Every4Weeks = 3,
        SameDayOfMonth = 4,
        SameWeekdayOfMonth = 5,
        Weekdays = 6,
        EveryDay = 7,
    };
    static constexpr int Count = 8;

    // The caption of a pattern's option button; empty for an unknown index.
    static QString Caption(int repeatType);

    // The date after d in the pattern; d itself for an unknown pattern.
    static qint32 SetNextDate(qint32 d, int repeatType);

    // 0 Monday ... 5 Saturday, 6 Sunday.
    static int Weekday(qint32 d);

private:
    static qint32 SameDayNextMonth(qint32 d);
    static qint32 SameWeekdayNextMonth(qint32 d);
};

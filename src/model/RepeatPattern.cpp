#include "model/RepeatPattern.h"

#include "model/ClsDate.h"

QString RepeatPattern::Caption(int repeatType) {
    switch (repeatType) {
    case EveryWeek:
        return QStringLiteral("Repeat on same day each week");
    case Every2Weeks:
        return QStringLiteral("Repeat every 2 weeks");
    case Every3Weeks:
        return QStringLiteral("Repeat every 3 weeks");
    case Every4Weeks:
        return QStringLiteral("Repeat every 4 weeks");
    case SameDayOfMonth:
        return QStringLiteral("Same day # each month");
    case SameWeekdayOfMonth:
        return QStringLiteral("Same relative weekday each month");
    case Weekdays:
        return QStringLiteral("Every day - exclude weekends");
    case EveryDay:
        return QStringLiteral("Every day - include weekends");
    default:
        return QString();
    }
}

int RepeatPattern::Weekday(qint32 d) { return ((d % 7) + 7) % 7; }

qint32 RepeatPattern::SetNextDate(qint32 d, int repeatType) {
    switch (repeatType) {
    case EveryWeek:
        return d + 7;
    case Every2Weeks:
        return d + 14;
    case Every3Weeks:
        return d + 21;
    case Every4Weeks:
        return d + 28;
    case SameDayOfMonth:
        return SameDayNextMonth(d);
    case SameWeekdayOfMonth:
        return SameWeekdayNextMonth(d);
    case Weekdays: {
        qint32 n = d + 1;
        while (Weekday(n) == 5 || Weekday(n) == 6)
            ++n;
        return n;
    }
    case EveryDay:
        return d + 1;
    default:
        return d;
    }
}

qint32 RepeatPattern::SameDayNextMonth(qint32 d) {
    // The same day of the month in the next month, cut to that month's last
    // day; the next date is computed from this result, so a cut day stays cut.
    const qint32 day = d - ClsDate::MonthStart(d) + 1;
    const qint32 first = ClsDate::MonthEnd(d) + 1;
    return first + qMin(day, ClsDate::MonthLength(first)) - 1;
}

qint32 RepeatPattern::SameWeekdayNextMonth(qint32 d) {
    // d is the k-th weekday W of its month: the k-th W of the next month, or
    // its last W when it has fewer. The next date is computed from this
    // result, so a fifth W cut to a fourth stays the fourth.
    const int w = Weekday(d);
    const int k = (d - ClsDate::MonthStart(d)) / 7 + 1;
    const qint32 first = ClsDate::MonthEnd(d) + 1;
    const qint32 last = ClsDate::MonthEnd(first);
    qint32 n = first + (w - Weekday(first) + 7) % 7 + 7 * (k - 1);
    while (n > last)
        n -= 7;
    return n;
}

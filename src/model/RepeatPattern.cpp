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
    // d is the k-th weekday W of its month; walk the next month counting the
    // days that fall on W down to the k-th. Running past the month's end steps
    // back eight days into its last week, so a fifth weekday that the month
    // lacks becomes one of its last ones.
    const int w = Weekday(d);
    int k = (d - ClsDate::MonthStart(d)) / 7 + 1;
    qint32 n = ClsDate::MonthEnd(d) + 1;
    if (Weekday(n) == w)
        --k;
    // Every pass either meets W (and counts k down) within a week or steps
    // back once; the bound only guards against a broken calendar.
    for (int guard = 0; (Weekday(n) != w || k >= 1) && guard < 400; ++guard) {
        ++n;
        if (ClsDate::MonthStart(n) == n)
            n -= 8;
        if (Weekday(n) == w)
            --k;
    }
    return n;
}

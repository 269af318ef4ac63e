#include "ui/controls/ScheduleText.h"

#include <QLocale>

namespace {
const QDate kDayZero(1900, 1, 1);
}

QDate ScheduleText::DateOf(qint32 dateNumber) {
    return kDayZero.addDays(dateNumber);
}

qint32 ScheduleText::DateNumber(const QDate& date) {
    return static_cast<qint32>(kDayZero.daysTo(date));
}

bool ScheduleText::IsWeekend(qint32 dateNumber) {
    // 1 January 1900 was a Monday, so the weekday follows from the number
    // alone; this runs for every shown date on every paint.
    int weekday = dateNumber % 7;
    if (weekday < 0)
        weekday += 7;
    return weekday >= 5;
}

QString ScheduleText::FormatDate(qint32 dateNumber, const QString& format) {
    const QDate date = DateOf(dateNumber);
    const QLocale english(QLocale::English, QLocale::UnitedKingdom);
    QString out;
    out.reserve(format.size() * 4);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        const bool doubled = i + 1 < format.size() && format.at(i + 1) == c;
        switch (c.unicode()) {
        case 'D':
            out += english.dayName(date.dayOfWeek(), QLocale::LongFormat);
            break;
        case 'd':
            out += english.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            break;
        case 'n':
            if (doubled) {
                out += QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
                ++i;
            } else {
                out += QString::number(date.day());
            }
            break;
        case 'M':
            out += english.monthName(date.month(), QLocale::LongFormat);
            break;
        case 'm':
            out += english.monthName(date.month(), QLocale::ShortFormat);
            break;
        case 'Y':
            out += QString::number(date.year());
            break;
        case 'y':
            out += QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString ScheduleText::HourLabel(int minute, bool twelveHour) {
    const int hour = (minute / 60) % 24;
    if (!twelveHour)
        return QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
    const int shown = hour % 12 == 0 ? 12 : hour % 12;
    return QString::number(shown) + (hour < 12 ? QStringLiteral(" am") : QStringLiteral(" pm"));
}

QString ScheduleText::MinuteLabel(int minute) {
    return QStringLiteral(":%1").arg(minute % 60, 2, 10, QLatin1Char('0'));
}

#include "model/ClsDate.h"

#include "base/ClsIni.h"
#include "base/ErrorTrap.h"
#include "base/ProgramState.h"
#include "base/Settings.h"

#include <cmath>

namespace {

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};
const char* const kDays[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                             "Friday", "Saturday", "Sunday"};

QString TwoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

// Reads the leading decimal number of a text: blanks skipped, stops at the
// first character that cannot continue the number, 0 when there is none.
double LeadingNumber(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    QString digits;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        digits += text[i++];
    bool dot = false;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128)
            digits += c;
        else if (c == QLatin1Char('.') && !dot) {
            dot = true;
            digits += c;
        } else
            break;
        ++i;
    }
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok ? v : 0.0;
}

} // namespace

qint32 ClsDate::DateToLong(const QDate& date) {
    qint32 result = 0;
    Trap("ClsDate.DateToLong", [&] {
        if (!date.isValid())
            throw TarveloError(QStringLiteral("invalid date"));
        result = static_cast<qint32>(Epoch().daysTo(date));
    });
    return result;
}

QDate ClsDate::LongToDate(qint32 dayNumber) {
    QDate result = Epoch();
    Trap("ClsDate.LongToDate", [&] { result = Epoch().addDays(dayNumber); });
    return result;
}

qint32 ClsDate::Today() { return DateToLong(QDate::currentDate()); }

qint32 ClsDate::MonthStart(qint32 dayNumber) {
    const QDate d = Epoch().addDays(dayNumber);
    if (!d.isValid())
        return 0;
    return static_cast<qint32>(Epoch().daysTo(QDate(d.year(), d.month(), 1)));
}

qint32 ClsDate::MonthEnd(qint32 dayNumber) { return MonthStart(MonthStart(dayNumber) + 32) - 1; }

qint32 ClsDate::MonthLength(qint32 dayNumber) {
    return MonthEnd(dayNumber) - MonthStart(dayNumber) + 1;
}

bool ClsDate::UseMilitaryTime() {
    if (!ProgramState::IsRunning())
        return false;
    return Settings::Ini().GetValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 0)
               .toInt() != 0;
}

QString ClsDate::ShowMinutes(int minutes) {
    const int hours = minutes / 60;
    return TwoDigits(hours) + QLatin1Char(':') + TwoDigits(minutes - 60 * hours);
}

QString ClsDate::ShowTime(int minutes, bool withAmPm) {
    QString result;
    Trap("ClsDate.ShowTime", [&] {
        if (UseMilitaryTime()) {
            result = ShowMinutes(minutes);
            return;
        }
        const int h = minutes >= 780 ? minutes - 720 : minutes;
        result = TwoDigits(h / 60) + QLatin1Char(':') + TwoDigits(minutes - 60 * (minutes / 60));
        if (withAmPm)
            result += (minutes >= 720 && minutes != 1440) ? QStringLiteral(" pm")
                                                          : QStringLiteral(" am");
    });
    return result;
}

qint16 ClsDate::GetTime(const QString& text) {
    qint16 result = 0;
    Trap("ClsDate.GetTime", [&] {
        const int colon = text.indexOf(QLatin1Char(':'));
        if (colon < 0)
            return;
        const double hours = LeadingNumber(text.left(colon));
        const double mins = LeadingNumber(text.mid(colon + 1));
        const double total = std::nearbyint(hours * 60.0 + mins);
        if (total < -32768 || total > 32767)
            throw TarveloError(QStringLiteral("time out of range"));
        result = static_cast<qint16>(total);
    });
    return result;
}

QString ClsDate::FormatDate(qint32 dayNumber, const QString& pattern) {
    const QDate d = Epoch().addDays(dayNumber);
    QString out;
    int i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern[i].toLower();
        int run = 1;
        while (i + run < pattern.size() && pattern[i + run].toLower() == c)
            ++run;
        if (c == QLatin1Char('d')) {
            if (run == 1)
                out += QString::number(d.day());
            else if (run == 2)
                out += TwoDigits(d.day());
            else if (run == 3)
                out += QString::fromLatin1(kDays[d.dayOfWeek() - 1]).left(3);
            else
                out += QString::fromLatin1(kDays[d.dayOfWeek() - 1]);
        } else if (c == QLatin1Char('m')) {
            if (run == 1)
                out += QString::number(d.month());
            else if (run == 2)
                out += TwoDigits(d.month());
            else if (run == 3)
                out += QString::fromLatin1(kMonths[d.month() - 1]).left(3);
            else
                out += QString::fromLatin1(kMonths[d.month() - 1]);
        } else if (c == QLatin1Char('y')) {
            if (run <= 2)
                out += TwoDigits(d.year() % 100);
            else
                out += QString::number(d.year());
        } else {
            out += pattern.mid(i, run);
        }
        i += run;
    }
    return out;
}

#include "ui/controls/ScheduleMapper.h"

#include <algorithm>
#include <cmath>

void ScheduleMapper::SetDates(qint32 firstDate, qint32 lastDate) {
    m_firstDate = firstDate;
    // A last date before the first shows the first date alone.
    const qint64 count = qint64(lastDate) - firstDate + 1;
    m_dateCount = int(std::clamp<qint64>(count, 1, kMaxDates));
    Recompute();
}

void ScheduleMapper::SetTimeType(int timeType) {
    m_timeType = timeType;
    Recompute();
}

void ScheduleMapper::SetDaySpan(int dayStart, int dayEnd) {
    dayStart = std::clamp(dayStart, 0, kMinutesPerDay);
    dayEnd = std::clamp(dayEnd, 0, kMinutesPerDay);
    if (dayEnd <= dayStart) {
        dayStart = 0;
        dayEnd = kMinutesPerDay;
    }
    m_dayStart = dayStart;
    m_dayEnd = dayEnd;
    Recompute();
}

void ScheduleMapper::SetScale(int timeDistance, int secondSpacing) {
    m_timeDistance = timeDistance;
    m_secondSpacing = secondSpacing;
    Recompute();
}

void ScheduleMapper::SetRowHeight(int rowHeight) {
    m_rowHeight = std::max(1, rowHeight);
}

void ScheduleMapper::Recompute() {
    const int span = m_dayEnd - m_dayStart;
    double hourWidth = 0;
    int minimum = 1;
    switch (m_timeType) {
    case Days:
        hourWidth = m_secondSpacing;
        minimum = kMinDateWidthDays;
        break;
    case Weeks:
        hourWidth = m_secondSpacing / 2.0;
        minimum = kMinDateWidthWeeks;
        break;
    default:
        hourWidth = std::max(m_timeDistance, kMinHourWidth);
        minimum = kMinHourWidth;
        break;
    }
    const double width = std::round(hourWidth * span / 60.0);
    m_dateWidth = std::max(minimum, int(std::min(width, double(kMaxDateWidth))));
}

double ScheduleMapper::XForTime(qint32 date, int minute) const {
    const int held = std::clamp(minute, m_dayStart, m_dayEnd);
    return double(date - m_firstDate) * m_dateWidth +
           double(held - m_dayStart) * m_dateWidth / (m_dayEnd - m_dayStart);
}

bool ScheduleMapper::BarExtent(qint32 firstDate, int startMinute, qint32 lastDate, int endMinute,
                               double* x, double* width) const {
    const double left = XForTime(firstDate, startMinute);
    const double right = XForTime(lastDate, endMinute);
    if (right - left >= 1) {
        *x = left;
        *width = right - left;
    } else {
        // A bar too short to see, or lying wholly outside the working day
        // shown, is drawn two pixels wide at its place or at the nearest edge
        // of its day: a booking is never hidden.
        *x = std::min(left, XForTime(firstDate, m_dayEnd) - kMinBarWidth);
        *width = kMinBarWidth;
    }
    return *x < ContentWidth() && *x + *width > 0;
}

bool ScheduleMapper::TimeAtX(double x, qint32* date, int* minute) const {
    if (!(x >= 0) || x >= ContentWidth())
        return false;
    const int index = int(x / m_dateWidth);
    const double inside = x - double(index) * m_dateWidth;
    const int span = m_dayEnd - m_dayStart;
    // A small allowance keeps the x of a whole minute on that minute despite
    // rounding in XForTime.
    int m = m_dayStart + int(std::floor(inside * span / m_dateWidth + 1e-6));
    m = std::clamp(m, m_dayStart, m_dayEnd - 1);
    if (date)
        *date = m_firstDate + index;
    if (minute)
        *minute = m;
    return true;
}

int ScheduleMapper::RowAtY(double y, int rows) const {
    if (!(y >= 0))
        return 0;
    const int row = int(y / m_rowHeight) + 1;
    return row <= rows ? row : 0;
}

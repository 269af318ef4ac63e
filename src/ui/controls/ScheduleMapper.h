#pragma once

#include <QtGlobal>

// The one mapping between schedule time and content pixels, used by painting,
// hit testing, scrolling and printing alike.
//
// Content coordinates start at the first shown date (x = 0) and the first row
// (y = 0); the widget adds the name column, the ruler and the scroll offsets.
// Every shown date gets a column of the same whole-pixel width that holds the
// working day (day start to day end). In the hour resolution the column is as
// wide as the working day at "time distance" pixels per hour; in the day
// resolution one hour takes "second spacing" pixels, in the week resolution
// half of that, so that about two months fit where one month did.
class ScheduleMapper {
public:
    enum TimeType { Hours = 0, Days = 1, Weeks = 2 };

    static constexpr int kMinutesPerDay = 1440;
    static constexpr int kMinDateWidthDays = 16;
    static constexpr int kMinDateWidthWeeks = 10;
    static constexpr int kMinHourWidth = 6;
    static constexpr int kMinBarWidth = 2;
    // Bounds that keep every content coordinate inside an int.
    static constexpr int kMaxDates = 3700;
    static constexpr int kMaxDateWidth = 100000;

    // Position on the time axis that orders bars and hit tests: minutes since
    // the start of day 0. Minutes outside the working day are kept as they are.
    static qint64 TimeKey(qint32 date, int minute) {
        return qint64(date) * kMinutesPerDay + minute;
    }

    void SetDates(qint32 firstDate, qint32 lastDate);
    void SetTimeType(int timeType);
    void SetDaySpan(int dayStart, int dayEnd);
    void SetScale(int timeDistance, int secondSpacing);
    void SetRowHeight(int rowHeight);

    qint32 FirstDate() const { return m_firstDate; }
    // Last shown date; never before the first.
    qint32 LastDate() const { return m_firstDate + m_dateCount - 1; }
    int DateCount() const { return m_dateCount; }
    int TimeType() const { return m_timeType; }
    // Working day actually shown (a day end not after the start shows the
    // whole day).
    int DayStart() const { return m_dayStart; }
    int DayEnd() const { return m_dayEnd; }
    int DateWidth() const { return m_dateWidth; }
    int RowHeight() const { return m_rowHeight; }
    // Width of one hour of the working day in pixels (fractional in the day
    // and week resolutions).
    double HourWidth() const { return m_dateWidth * 60.0 / (m_dayEnd - m_dayStart); }
    int ContentWidth() const { return m_dateWidth * m_dateCount; }
    int ContentHeight(int rows) const { return rows * m_rowHeight; }

    // Time to content x. The minute is held to the working day; dates outside
    // the shown range map beyond either end.
    double XForTime(qint32 date, int minute) const;
    // Content x and width of a bar. False when nothing of it falls inside the
    // dates shown. A bar shorter than a pixel (or ending before it starts, or
    // lying outside the working day) is given two pixels at its place or at
    // the nearest edge of its day.
    bool BarExtent(qint32 firstDate, int startMinute, qint32 lastDate, int endMinute, double* x,
                   double* width) const;
    int DateLeft(qint32 date) const { return (date - m_firstDate) * m_dateWidth; }

    // Content x to time; false when x lies outside the shown dates.
    bool TimeAtX(double x, qint32* date, int* minute) const;
    // Content y to row number (rows count from 1); 0 when outside rows 1..rows.
    int RowAtY(double y, int rows) const;
    int RowTop(int row) const { return (row - 1) * m_rowHeight; }

private:
    void Recompute();

    qint32 m_firstDate = 0;
    int m_dateCount = 1;
    int m_timeType = Hours;
    int m_dayStart = 0;
    int m_dayEnd = kMinutesPerDay;
    int m_timeDistance = 60;
    int m_secondSpacing = 5;
    int m_rowHeight = 24;
    int m_dateWidth = 1;
};

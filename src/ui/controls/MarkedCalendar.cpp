#include "ui/controls/MarkedCalendar.h"

#include "model/ClsDate.h"

#include <QTextCharFormat>

namespace {
constexpr int kPageDays = 42;
}

MarkedCalendar::MarkedCalendar(QWidget* parent) : QCalendarWidget(parent) {
    setGridVisible(true);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setFirstDayOfWeek(Qt::Sunday);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    ClsDate::LimitToShown(this);
}

qint32 MarkedCalendar::DayNumber() const { return ClsDate::DateToLong(selectedDate()); }

void MarkedCalendar::SetDayNumber(qint32 day) {
    const QDate date = ClsDate::LongToDate(day);
    setSelectedDate(date);
    setCurrentPage(date.year(), date.month());
}

QDate MarkedCalendar::PageFirstDate() const {
    const QDate first(yearShown(), monthShown(), 1);
    int back = (first.dayOfWeek() - int(firstDayOfWeek()) + 7) % 7;
    // Like the calendar itself, a month that starts on the first column
    // shows the whole previous week above it.
    if (back == 0)
        back = 7;
    return first.addDays(-back);
}

qint32 MarkedCalendar::PageFirstDay() const { return ClsDate::DateToLong(PageFirstDate()); }
qint32 MarkedCalendar::PageLastDay() const { return PageFirstDay() + kPageDays - 1; }

void MarkedCalendar::ClearMarks() { setDateTextFormat(QDate(), QTextCharFormat()); }

void MarkedCalendar::MarkDay(qint32 day) {
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setBackground(QColor(255, 214, 140));
    format.setForeground(QColor(120, 40, 0));
    setDateTextFormat(ClsDate::LongToDate(day), format);
}

bool MarkedCalendar::IsMarked(qint32 day) const {
    return dateTextFormat(ClsDate::LongToDate(day)).fontWeight() == QFont::Bold;
}

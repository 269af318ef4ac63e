#pragma once

#include <QCalendarWidget>
#include <QtGlobal>

// A month calendar that works in day numbers and marks chosen days of the
// displayed page (booked days) in bold on a tinted background.
class MarkedCalendar : public QCalendarWidget {
    Q_OBJECT
public:
    explicit MarkedCalendar(QWidget* parent = nullptr);

    qint32 DayNumber() const;
    void SetDayNumber(qint32 day);
    // First and last day of the six weeks the page shows.
    qint32 PageFirstDay() const;
    qint32 PageLastDay() const;
    void ClearMarks();
    void MarkDay(qint32 day);
    bool IsMarked(qint32 day) const;

private:
    QDate PageFirstDate() const;
};

#pragma once

#include "ui/controls/PaintedItems.h"

#include <QCalendarWidget>
#include <QtGlobal>

class QAbstractItemView;

// A month calendar that works in day numbers and marks chosen days of the
// displayed page (booked days) in bold on a tinted background. To assistive
// technology each day of the page is an item named by its full date, with
// "booked" after a marked day.
class MarkedCalendar : public QCalendarWidget, public PaintedItems {
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

    const QWidget* ItemsWidget() const override;
    int ItemCount() const override;
    QString ItemName(int index) const override;
    QRect ItemRect(int index) const override;
    bool ItemCurrent(int index) const override;
    void PressItem(int index) override;
    QAccessible::Role ContainerRole() const override { return QAccessible::List; }
    QAccessible::Role ItemRole() const override { return QAccessible::ListItem; }

private:
    QDate PageFirstDate() const;
    QAbstractItemView* m_days = nullptr;
};

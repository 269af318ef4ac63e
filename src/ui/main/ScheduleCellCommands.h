#pragma once

#include <QObject>
#include <QPointer>

class DlgMain;
class QMenu;
class QPoint;
class ScheduleView;

// What the keyboard does to the schedule's current cell in the main window:
// Enter opens the booking dialog on a booking as a double-click on it does
// (on a free slot the schedule reports a drop), Delete deletes it after the
// booking dialog's confirmation, and the menu keys offer these commands as a
// menu. It also gives the schedule the words assistive technology reads
// first for a booking: its appointment type and contact. After each command
// the resource's row stays the current row.
class ScheduleCellCommands : public QObject {
    Q_OBJECT
public:
    ScheduleCellCommands(DlgMain* main, ScheduleView* view);

    void OpenBar(int row, int bar, int minute, qint32 date);
    void DeleteBar(int row, int bar);
    // A menu of these commands for the current cell, at that point.
    void ShowMenu(const QPoint& globalPos);

private:
    void KeepRow(qint32 resourceId);

    DlgMain* m_main;
    ScheduleView* m_view;
    QPointer<QMenu> m_menu;
};

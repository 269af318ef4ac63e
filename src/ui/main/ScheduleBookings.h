#pragma once

#include <QtGlobal>

class DlgMain;

// What a drop, a double-click or a dragged bar on the main window's schedule
// does to bookings: a free slot opens the booking dialog there, a booking
// opens it with that booking selected, and a bar let go elsewhere is moved
// or stretched through the booking's one save, or springs back with the
// warning the booking dialog gives.
class ScheduleBookings {
public:
    // The booking dialog on the slot of the group's day that holds minute,
    // with taskId chosen (0 for none); refused with a warning when a booking
    // already reaches into that slot.
    static void OpenSlot(DlgMain& main, int row, int minute, qint32 date, qint32 taskId);
    // A double-click at a row's time: on bar (0 for none) the booking, else
    // the free slot.
    static void OpenBar(DlgMain& main, int row, int bar, int minute, qint32 date);
    // A bar let go at toRow (0 outside the rows), date, start and end; the
    // schedule then shows what the database holds.
    static void DropBar(DlgMain& main, int row, int bar, int toRow, qint32 date, int start, int end);
};

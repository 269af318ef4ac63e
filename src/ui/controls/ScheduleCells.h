#pragma once

#include "ui/controls/ScheduleMapper.h"
#include "ui/controls/ScheduleModel.h"

#include <QtGlobal>

#include <vector>

// A row of the schedule as the keyboard and assistive technology walk it: its
// bookings and the free slots between them, in time order, over the shown
// dates. Free time of each shown working day is cut into slots that start at
// the day start and every slot length after it; a slot that a booking covers
// in part is no cell (nothing could be booked there). A slot length of 0
// leaves each stretch of free time whole.
class ScheduleCells {
public:
    struct Cell {
        int bar = 0; // the bar's number in its row; 0 for a free slot
        qint64 startKey = 0; // ScheduleMapper::TimeKey
        qint64 endKey = 0;

        qint32 Date() const { return qint32(startKey / ScheduleMapper::kMinutesPerDay); }
        int StartMinute() const { return int(startKey - qint64(Date()) * ScheduleMapper::kMinutesPerDay); }
        // Minutes since the start of the cell's date (1440 for midnight).
        int EndMinute() const { return int(endKey - qint64(Date()) * ScheduleMapper::kMinutesPerDay); }
        bool operator==(const Cell& other) const = default;
    };

    static std::vector<Cell> Row(const ScheduleModel& model, const ScheduleMapper& mapper, int row,
                                 int slotMinutes);
    // The cell that holds the time key; else the first one after it; else
    // the last one. -1 for no cells.
    static int IndexAt(const std::vector<Cell>& cells, qint64 key);
};

#include "ui/controls/ScheduleCells.h"

#include <algorithm>

namespace {
// Appends the free slots of [from, to) of a working day that starts at dayStart.
void AddFree(std::vector<ScheduleCells::Cell>* cells, qint64 dayStart, qint64 from, qint64 to,
             int slotMinutes) {
    if (from >= to)
        return;
    if (slotMinutes <= 0) {
        cells->push_back({0, from, to});
        return;
    }
    // First slot boundary at or after `from`.
    qint64 slot = dayStart + (std::max<qint64>(from - dayStart, 0) + slotMinutes - 1) / slotMinutes *
                                 slotMinutes;
    for (; slot + slotMinutes <= to; slot += slotMinutes)
        cells->push_back({0, slot, slot + slotMinutes});
}
} // namespace

std::vector<ScheduleCells::Cell> ScheduleCells::Row(const ScheduleModel& model,
                                                    const ScheduleMapper& mapper, int row,
                                                    int slotMinutes) {
    std::vector<Cell> cells;
    if (!model.IsRow(row))
        return cells;
    const qint64 rangeStart = ScheduleMapper::TimeKey(mapper.FirstDate(), 0);
    const qint64 rangeEnd = ScheduleMapper::TimeKey(mapper.LastDate() + 1, 0);
    std::vector<int> bars;
    model.BarsInRange(row, rangeStart, rangeEnd, &bars);
    // Drawing order is start order, with equal starts by number.
    std::vector<Cell> booked;
    booked.reserve(bars.size());
    for (const int bar : bars) {
        const ScheduleModel::Bar& b = model.BarAt(row, bar);
        if (b.EndKey() > rangeStart && b.StartKey() < rangeEnd)
            booked.push_back({bar, b.StartKey(), b.EndKey()});
    }
    std::stable_sort(booked.begin(), booked.end(),
                     [](const Cell& a, const Cell& b) { return a.startKey < b.startKey; });

    size_t next = 0;
    qint64 busyUntil = rangeStart; // end of the bookings listed so far
    for (qint32 date = mapper.FirstDate(); date <= mapper.LastDate(); ++date) {
        const qint64 dayStart = ScheduleMapper::TimeKey(date, mapper.DayStart());
        const qint64 dayEnd = ScheduleMapper::TimeKey(date, mapper.DayEnd());
        qint64 cursor = std::max(dayStart, busyUntil);
        for (; next < booked.size() && booked[next].startKey < dayEnd; ++next) {
            AddFree(&cells, dayStart, cursor, std::min(booked[next].startKey, dayEnd), slotMinutes);
            cells.push_back(booked[next]);
            busyUntil = std::max(busyUntil, booked[next].endKey);
            cursor = std::max(cursor, busyUntil);
        }
        AddFree(&cells, dayStart, cursor, dayEnd, slotMinutes);
    }
    // Bookings after the last working day's end.
    cells.insert(cells.end(), booked.begin() + qsizetype(next), booked.end());
    return cells;
}

int ScheduleCells::IndexAt(const std::vector<Cell>& cells, qint64 key) {
    if (cells.empty())
        return -1;
    // Cells are in start order; the last one starting at or before the key
    // holds it when it reaches past it.
    const auto after = std::upper_bound(cells.begin(), cells.end(), key,
                                        [](qint64 k, const Cell& c) { return k < c.startKey; });
    if (after != cells.begin() && std::prev(after)->endKey > key)
        return int(std::prev(after) - cells.begin());
    return after == cells.end() ? int(cells.size()) - 1 : int(after - cells.begin());
}

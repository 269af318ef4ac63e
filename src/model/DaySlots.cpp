#include "model/DaySlots.h"

#include "base/ErrorTrap.h"
#include "model/ClsDate.h"
#include "model/ScheduleData.h"

#include <algorithm>
#include <span>

int DaySlots::FirstSlotOf(int dayStart, int interval, int start, int end) {
    if (interval < 1)
        return start;
    const int taken = start <= dayStart ? 0 : (start - dayStart + interval - 1) / interval;
    const int first = dayStart + taken * interval;
    return first < end ? first : start;
}

std::vector<DaySlots::Slot> DaySlots::Load(qint32 resourceId, qint32 date, int dayStart,
                                           int dayEnd, int interval, bool militaryTime) {
    if (interval < 1)
        throw TarveloError(QStringLiteral("group without a slot length"));
    ScheduleData data;
    ScheduleData::Selection selection;
    selection.resourceId = resourceId;
    selection.firstDate = date;
    selection.lastDate = date;
    selection.contactNames = true;
    selection.details = true;
    if (!data.Load(selection))
        throw TarveloError(QStringLiteral("the bookings cannot be read"));
    // The day's bookings in order of start: the first that holds a slot is its booking.
    const std::span<const ScheduleData::Bar> bars =
        data.Rows().empty() ? std::span<const ScheduleData::Bar>() : data.Bars(data.Rows().front());
    std::vector<Slot> result;
    qint32 previous = 0;
    for (int t = dayStart; t <= dayEnd; t += interval) {
        Slot slot;
        slot.start = t;
        slot.cells << (militaryTime ? ClsDate::ShowTime(t, true) + QStringLiteral(" to ") +
                                          ClsDate::ShowTime(t + interval, true)
                                    : ClsDate::ShowTime(t, true));
        const auto held = std::find_if(bars.begin(), bars.end(), [t](const ScheduleData::Bar& b) {
            return b.start <= t && b.end > t;
        });
        if (held == bars.end()) {
            slot.cells << QString() << QString() << QString() << QString() << QString();
        } else {
            slot.bookingId = held->bookingId;
            slot.colour = held->colour;
            if (slot.bookingId != previous) {
                const ScheduleData::Details& d = data.DetailsOf(*held);
                slot.cells << d.taskName << (d.contactFound ? held->text : QStringLiteral("?"))
                           << d.ref01 << d.ref02 << d.ref03;
            } else {
                slot.cells << QStringLiteral("~") << QStringLiteral("~") << QString() << QString()
                           << QString();
            }
        }
        previous = slot.bookingId;
        result.push_back(std::move(slot));
    }
    return result;
}

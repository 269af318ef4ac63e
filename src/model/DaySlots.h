#pragma once

#include <QStringList>
#include <QtGlobal>

#include <vector>

// The time slots of one resource's day as the booking dialog lists them: one
// per slot of the group's working day, from its start up to the slot that
// starts at its end. A slot inside a booking (the earliest one that holds
// it) belongs to that booking: the booking's first slot shows its type, its
// contact ("?" when the contact is gone or there is none) and its
// references, and the slots after it, "~". A free slot shows its time alone.
class DaySlots {
public:
    static constexpr qint32 kFreeColour = 0xFFFFFF;

    struct Slot {
        int start = 0;         // minutes since midnight
        qint32 bookingId = 0;  // 0: a free slot
        qint32 colour = kFreeColour;
        QStringList cells;     // time, type, contact, Ref01, Ref02, Ref03
    };

    // Reads the day's bookings with the schedule's query and lays them on
    // the slots. The time is "09:00 to 09:30" in 24-hour display, "09:00 am"
    // otherwise. Throws TarveloError for a slot length below one minute or
    // when the bookings cannot be read.
    static std::vector<Slot> Load(qint32 resourceId, qint32 date, int dayStart, int dayEnd,
                                  int interval, bool militaryTime);
    // The start of the first slot that belongs to a booking from start to
    // end; for a booking that holds no slot start, `start` itself.
    static int FirstSlotOf(int dayStart, int interval, int start, int end);
};

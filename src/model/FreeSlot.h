#pragma once

#include <QList>
#include <QtGlobal>

// The next free time slot from a moment on: the first slot of a group's day
// (DayStart, DayStart + Interval, ... up to DayEnd) where an appointment of
// the given length fits on one of the given resources without touching a
// booking and without running past the last slot of the day. Earlier dates
// and times win; at the same time the resource listed first wins. The
// bookings are read with one query.
class FreeSlot {
public:
    struct Search {
        QList<qint32> resources; // in order of preference
        qint32 fromDate = 0;
        int fromMinute = 0; // no slot of fromDate that starts earlier
        qint32 lastDate = 0;
        int dayStart = 0;
        int dayEnd = 0;
        int interval = 0;
        int length = 0;
    };
    struct Found {
        bool found = false;
        qint32 resourceId = 0;
        qint32 date = 0;
        int start = 0;
    };

    // Throws TarveloError when the bookings cannot be read or the group
    // has no slot length.
    static Found Find(const Search& search);
};

#pragma once

#include <QSet>
#include <QtGlobal>

class ClsDAO;

// Follows the journal of changes for the schedule: which resources' rows the
// entries written since the last look touched, or that the whole schedule
// must be read again. Reading it costs one query on the journal's key.
class JournalWatch {
public:
    // More entries than this at one look rebuild the schedule.
    static constexpr int kMostEntries = 500;

    struct Changes {
        int entries = 0;
        // Something other than a booking changed (a group, resource, type or
        // contact, a restore, a purge): every row must be read again.
        bool rebuild = false;
        // The resources with a booking in the dates looked at before or after
        // the change; a move between resources touches both.
        QSet<qint32> resources;
    };

    // The newest entry now in the journal becomes the last one seen: what
    // is read next is what was written from now on. Without a journal in the
    // database the watch stays off.
    void Start(ClsDAO& dao);
    // The entries since the last one seen, for the bookings from firstDate
    // to lastDate, and the newest of them becomes the last one seen. False
    // when the journal could not be read (the watch is off, or the database
    // lost it): the caller has to find out some other way.
    bool Read(ClsDAO& dao, qint32 firstDate, qint32 lastDate, Changes* changes);

private:
    qint64 m_lastSeen = -1; // -1: off
};

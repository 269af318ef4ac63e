#pragma once

#include <QString>
#include <QtGlobal>

class ClsDAO;
class QDateTime;

// The journal of changes, tblJournal: one entry per change, written in the
// change's own write transaction, so that an entry stands exactly for what
// was stored. An entry gives when (UTC), which workstation and user, the
// action, the table and row, and the row's values before and after as JSON
// objects (column names in lower case, as every engine gives them; empty
// for a new or a deleted row). A restore and a purge are one entry each,
// their counts in `After`.
class Journal {
public:
    // Appends an entry inside the caller's write transaction; an empty
    // action is the one ActionOf gives. False when it could not be written:
    // the caller then stores nothing.
    static bool Append(ClsDAO& dao, const QString& action, const QString& table, qint32 rowId,
                       const QString& before, const QString& after);
    // A purge: one entry with the count of bookings deleted, and the entries
    // older than `before` go. In the caller's write transaction.
    static bool Purged(ClsDAO& dao, int bookings, const QDateTime& before);
    // The action of a change of a row: "New", "Delete", and for a booking
    // "Move" (another resource, date or start, the same length), "Stretch"
    // (another start or end) or "Change" (anything else).
    static QString ActionOf(const QString& table, const QString& before, const QString& after);
    // This workstation's name: the one set in the configuration, else the
    // host name.
    static QString Workstation();
    // The login name of the user.
    static QString UserName();
};

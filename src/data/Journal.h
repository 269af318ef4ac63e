#pragma once

#include <QString>
#include <QtGlobal>

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <functional>

class ClsDAO;

// The journal of changes, tblJournal: one entry per change, written in the
// change's own write transaction, so that an entry stands exactly for what
// was stored. An entry gives when (UTC), which workstation and user, the
// action, the table and row, and the row's values before and after as JSON
// objects (column names in lower case, as every engine gives them; empty
// for a new or a deleted row). A restore and a purge are one entry each,
// their counts in `After`.
class Journal {
public:
    // One entry as read back.
    struct Entry {
        qint64 id = 0;
        QDateTime when; // UTC
        QString workstation;
        QString user;
        QString action;
        QString table;
        qint32 rowId = 0;
        QString before;
        QString after;
    };

    // Appends an entry inside the caller's write transaction; an empty
    // action is the one ActionOf gives. False when it could not be written:
    // the caller then stores nothing.
    static bool Append(ClsDAO& dao, const QString& action, const QString& table, qint32 rowId,
                       const QString& before, const QString& after);
    // Switched off, Append stores nothing and answers true: what a save
    // costs without the journal, for the benchmark that weighs its price.
    static void SetOff(bool off);
    static bool Off();
    // A purge: one entry with the count of bookings deleted, and the entries
    // older than `before` go. In the caller's write transaction.
    static bool Purged(ClsDAO& dao, int bookings, const QDateTime& before);
    // Tells `listener` of every entry appended, through whichever
    // connection, once the transaction that wrote it has committed (at once
    // outside one); an entry that was rolled back is never told. The key
    // returned removes the listener again.
    using Listener = std::function<void(ClsDAO& dao, const Entry& entry)>;
    static int AddListener(Listener listener);
    static void RemoveListener(int key);
    // The entries that a condition on tblJournal's columns selects (every
    // entry for an empty one), newest first; at most `limit` of them when
    // it is above 0. Empty when they cannot be read.
    static QList<Entry> Read(ClsDAO& dao, const QString& where, int limit = 0);
    // The rows an entry's `before` or `after` holds: none, one, or (a series
    // deleted) several; each column name in lower case.
    static QList<QJsonObject> Rows(const QString& json);
    // The action of a change of a row: "New", "Delete", and for a booking
    // "Move" (another resource, date or start, the same length), "Stretch"
    // (another start or end) or "Change" (anything else).
    static QString ActionOf(const QString& table, const QString& before, const QString& after);
    // This workstation's name: the one set in the configuration, else the
    // host name.
    static QString Workstation();
    // A time as ChangedAt holds it: in UTC, ISO form with milliseconds
    // ("2026-12-07T09:05:03.042Z").
    static QString TimeText(const QDateTime& when);
    // The login name of the user.
    static QString UserName();
};

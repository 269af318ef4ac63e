#pragma once

#include "model/SaveProblem.h"
#include "model/StoredRow.h"

#include <QString>
#include <QtGlobal>

// One row of tblBookings: an appointment of one resource, one appointment
// type and optionally one contact on one date between a start and an end.
class ClsBooking {
public:
    ClsBooking();

    qint32 BookingDate() const { return m_bookingDate; }
    qint16 BookingEnd() const { return m_bookingEnd; }
    qint32 BookingId() const { return m_bookingId; }
    qint16 BookingStart() const { return m_bookingStart; }
    QString Comments() const { return m_comments; }
    qint32 CustomerId() const { return m_customerId; }
    QString Ref01() const { return m_ref01; }
    QString Ref02() const { return m_ref02; }
    QString Ref03() const { return m_ref03; }
    qint32 RepeatId() const { return m_repeatId; }
    qint32 ResourceId() const { return m_resourceId; }
    qint32 TaskId() const { return m_taskId; }
    void SetBookingId(qint32 v) { m_bookingId = v; }
    void SetBookingDate(qint32 v) { m_bookingDate = v; }
    void SetBookingEnd(qint16 v) { m_bookingEnd = v; }
    void SetBookingStart(qint16 v) { m_bookingStart = v; }
    void SetComments(const QString& v) { m_comments = v; }
    void SetCustomerId(qint32 v) { m_customerId = v; }
    void SetRef01(const QString& v) { m_ref01 = v; }
    void SetRef02(const QString& v) { m_ref02 = v; }
    void SetRef03(const QString& v) { m_ref03 = v; }
    void SetRepeatId(qint32 v) { m_repeatId = v; }
    void SetResourceId(qint32 v) { m_resourceId = v; }
    void SetTaskId(qint32 v) { m_taskId = v; }

    // Identifier of a booking of the resource on the date that overlaps
    // [start, end), other than bookingId; 0 when there is none.
    qint32 GetBookingId(qint32 resourceId, qint32 bookingDate, qint16 bookingStart,
                        qint16 bookingEnd, qint32 bookingId);
    // True when the delete statement ran (a booking already gone counts as deleted).
    // Deletes the booking and journals it in one write transaction; a purge
    // deletes without an entry of each booking (it journals itself once).
    bool Delete(qint32 bookingId, bool journal = true);
    // Deletes every booking of the series: one journal entry holds them all.
    bool DeleteRepeats(qint32 repeatId);
    void InitBfr();
    bool Load(qint32 bookingId);
    qint32 NextRepeatId();
    // Stores the fields. A stored booking is updated only while its row is
    // still as Load found it; a new or moved one only onto free time; either
    // only while its resource, type and (non-zero) contact exist. All of that
    // is tested in the save's own write transaction. 0 when nothing was
    // stored; LastSaveProblem then tells why.
    qint32 Save();
    // After a refusal because the row was changed elsewhere, the record
    // takes the row as it now is: a second Save deliberately stores the
    // fields over that change.
    SaveProblem LastSaveProblem() const { return m_saveProblem; }
    // Stores the fields as a new row under the record's own identifier (a
    // deleted booking brought back), tested as a new booking of Save is;
    // refused (IdTaken) while another row holds the identifier.
    qint32 Recreate();
    // The change signature of a group's bookings between two dates: the sum
    // of their end times, 0 without bookings.
    qint32 BookingCheck(qint32 fromDate, qint32 toDate, qint32 groupId);
    // The signature of bookings whose end times add up to sumOfEnds: a total
    // beyond 32 bits wraps around rather than failing, so the signature still
    // changes with every change.
    static qint32 Signature(qint64 sumOfEnds);

    // As GetBookingId, into clashId; false when the test could not be run.
    static bool FindClash(qint32 resourceId, qint32 bookingDate, qint16 bookingStart,
                          qint16 bookingEnd, qint32 bookingId, qint32& clashId);
    static QString ClashQuery(qint32 resourceId, qint32 bookingDate, qint16 bookingStart,
                              qint16 bookingEnd, qint32 bookingId);
    // A number that tells this workstation from the others, stable across runs.
    static qint32 WorkstationTag();
    static qint32 StableHash(const QByteArray& bytes);

private:
    // True when no other booking of the resource overlaps this one's time
    // and the test could be run.
    bool SlotIsFree();
    // True when the resource, the type and a non-zero contact exist; sets
    // the save problem otherwise.
    bool LinksExist();
    // Save's insert: a new identifier when `id` is 0, else `id` itself.
    qint32 Insert(qint32 id);

    qint32 m_bookingId = 0;
    qint32 m_repeatId = 0;
    qint32 m_taskId = 0;
    qint32 m_bookingDate = 0;
    qint16 m_bookingStart = 0;
    qint16 m_bookingEnd = 0;
    qint32 m_customerId = 0;
    qint32 m_resourceId = 0;
    QString m_ref01;
    QString m_ref02;
    QString m_ref03;
    QString m_comments;
    StoredRow m_stored{QStringLiteral("tblBookings"), QStringLiteral("BookingId")};
    SaveProblem m_saveProblem = SaveProblem::None;
};

#pragma once

#include "model/SaveProblem.h"

#include <QString>
#include <QtGlobal>

// A booking moved to another time, date or resource, or stretched by one of
// its ends, where the schedule shows it. Everything is tested and stored in
// one write transaction: the booking must still be where the schedule showed
// it, the resource must belong to the shown group, the new time must lie
// within the group's day and, when the length changes, within the lengths its
// appointment type allows. The clash test, the write and the journal entry
// are those of the booking's one save, ClsBooking::Save.
class BookingChange {
public:
    struct Place {
        qint32 resourceId = 0; // 0: let go outside the schedule's rows
        qint32 date = 0;
        int start = 0; // minutes since midnight
        int end = 0;
        bool operator==(const Place&) const = default;
    };

    enum class Refusal {
        None,
        OffSchedule, // let go outside the rows of the shown group
        OtherGroup,  // the resource is not (or no longer) in the shown group
        OutsideDay,  // it would begin before the group's day or end after it
        TooShort,    // shorter than its appointment type allows
        TooLong,     // longer than its appointment type allows
        Saving       // the booking's save refused it: Problem() says why
    };

    // Takes the booking, shown in group groupId at `shown`, to `wanted`. True
    // when stored, or when there was nothing to change; false when refused,
    // and then nothing was stored.
    bool Apply(qint32 groupId, qint32 bookingId, const Place& shown, const Place& wanted);
    Refusal Refused() const { return m_refusal; }
    SaveProblem Problem() const { return m_problem; }
    // The reason of a refusal other than Saving, as one sentence.
    QString Why() const { return m_why; }

private:
    bool Refuse(Refusal refusal, const QString& why);

    Refusal m_refusal = Refusal::None;
    SaveProblem m_problem = SaveProblem::None;
    QString m_why;
};

#include "model/BookingChange.h"

#include "base/ErrorTrap.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/DbTransaction.h"
#include "data/Recordset.h"
#include "model/ClsBooking.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "model/ClsTask.h"
#include "model/GroupLimits.h"
#include "model/StoredRow.h"

#include <algorithm>

bool BookingChange::Refuse(Refusal refusal, const QString& why) {
    m_refusal = refusal;
    m_problem = SaveProblem::None;
    m_why = why;
    return false;
}

bool BookingChange::Apply(qint32 groupId, qint32 bookingId, const Place& shown,
                          const Place& wanted) {
    m_refusal = Refusal::None;
    m_problem = SaveProblem::None;
    m_why.clear();
    if (wanted == shown)
        return true;
    if (wanted.resourceId == 0)
        return Refuse(Refusal::OffSchedule,
                      QStringLiteral("It was let go outside the rows of the schedule."));
    m_refusal = Refusal::Saving;
    m_problem = SaveProblem::Failed;
    bool stored = false;
    Trap("BookingChange.Apply", [&] {
        ClsDAO& dao = Database::DAO();
        // The tests below and the booking's save (which joins this
        // transaction) see one state of the database: another workstation
        // cannot write between them.
        DbTransaction txn(dao);
        if (!dao.InWrite())
            return;
        ClsBooking booking;
        if (!booking.Load(bookingId)) {
            if (StoredRow::Lookup(dao, QStringLiteral("tblBookings"), QStringLiteral("BookingId"),
                                  bookingId) == StoredRow::State::Gone)
                m_problem = SaveProblem::Deleted;
            return;
        }
        // The user moved what the schedule showed; another workstation may
        // have moved the booking since.
        if (Place{booking.ResourceId(), booking.BookingDate(), booking.BookingStart(),
                  booking.BookingEnd()} != shown) {
            m_problem = SaveProblem::Changed;
            return;
        }
        const Recordset rs = dao.SqlQuery(
            QStringLiteral("select GroupId from tblResources where ResourceId = ") +
            QString::number(wanted.resourceId));
        if (!rs.IsOpen())
            return;
        if (rs.Eof()) {
            m_problem = SaveProblem::ResourceGone;
            return;
        }
        ClsGroup group;
        if (rs.Fields(0).Long() != groupId || !group.Load(groupId)) {
            Refuse(Refusal::OtherGroup, QStringLiteral("The resource is not in this group."));
            return;
        }
        // The last slot of the day starts at its end, as the booking dialog
        // offers it.
        const int dayEnd = std::min(group.DayEnd() + std::max<int>(group.Interval(), 0),
                                    int(GroupLimits::DayMinutes));
        if (wanted.start < group.DayStart() || wanted.end > dayEnd) {
            Refuse(Refusal::OutsideDay,
                   QStringLiteral("The day of the group runs from %1 to %2.")
                       .arg(ClsDate::ShowTime(group.DayStart(), true),
                            ClsDate::ShowTime(dayEnd, true)));
            return;
        }
        // A move keeps the length the booking has; a new length must suit
        // its type (a booking whose type is gone only needs some length).
        const int length = wanted.end - wanted.start;
        if (length != shown.end - shown.start) {
            ClsTask task;
            const bool typed = task.Load(booking.TaskId());
            const int shortest = typed ? std::max<int>(task.MinTime(), 1) : 1;
            if (length < shortest) {
                Refuse(Refusal::TooShort,
                       QStringLiteral("Its type allows no less than %1 minutes.").arg(shortest));
                return;
            }
            if (typed && length > task.MaxTime()) {
                Refuse(Refusal::TooLong,
                       QStringLiteral("Its type allows no more than %1 minutes.")
                           .arg(task.MaxTime()));
                return;
            }
        }
        booking.SetResourceId(wanted.resourceId);
        booking.SetBookingDate(wanted.date);
        booking.SetBookingStart(qint16(wanted.start));
        booking.SetBookingEnd(qint16(wanted.end));
        if (booking.Save() == 0) {
            m_problem = booking.LastSaveProblem();
            return;
        }
        if (!txn.Commit())
            return;
        m_refusal = Refusal::None;
        m_problem = SaveProblem::None;
        stored = true;
    });
    return stored;
}

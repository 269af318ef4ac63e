#include "ui/main/ScheduleBookings.h"

#include "base/ErrorTrap.h"
#include "base/Messages.h"
#include "model/BookingChange.h"
#include "model/ClsBooking.h"
#include "model/ClsGroup.h"
#include "model/DaySlots.h"
#include "ui/booking/DlgAppt.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/DlgMain.h"

void ScheduleBookings::OpenSlot(DlgMain& main, int row, int minute, qint32 date, qint32 taskId) {
    const ClsGroup& group = main.ShownGroup();
    const int interval = group.Interval();
    if (interval <= 0)
        throw TarveloError(QStringLiteral("group without a slot length"));
    int start = group.DayStart();
    while (start <= minute)
        start += interval;
    start -= interval;
    const int end = start + interval;
    const qint32 resourceId = main.Sched()->RowData(row);
    // The same overlap rule as a save's: touching the slot is no clash, and
    // a test that could not run books nothing.
    qint32 clash = 0;
    if (!ClsBooking::FindClash(resourceId, date, qint16(start), qint16(end), 0, clash))
        return;
    if (clash != 0) {
        Messages::Warning(QStringLiteral("Requested event overlaps previously defined event!"));
        return;
    }
    main.OpenBooking(start, resourceId, taskId, date);
}

void ScheduleBookings::OpenBar(DlgMain& main, int row, int bar, int minute, qint32 date) {
    qint32 shownDate = 0;
    int start = 0;
    int end = 0;
    if (!main.Sched()->BarTimes(row, bar, &shownDate, &start, &end)) {
        OpenSlot(main, row, minute, date, 0);
        return;
    }
    // The dialog selects the slot of the start time: the booking's own.
    const ClsGroup& group = main.ShownGroup();
    main.OpenBooking(DaySlots::FirstSlotOf(group.DayStart(), group.Interval(), start, end),
                     main.Sched()->RowData(row), 0, shownDate);
}

void ScheduleBookings::DropBar(DlgMain& main, int row, int bar, int toRow, qint32 date, int start,
                               int end) {
    ScheduleView* sched = main.Sched();
    BookingChange::Place shown;
    if (!sched->BarTimes(row, bar, &shown.date, &shown.start, &shown.end))
        return;
    shown.resourceId = sched->RowData(row);
    const BookingChange::Place wanted{toRow > 0 ? sched->RowData(toRow) : 0, date, start, end};
    // A new length is the booking dialog's change of times; anything
    // else is its move.
    const bool stretched = end - start != shown.end - shown.start;
    BookingChange change;
    if (!change.Apply(main.SelectedGroupId(), sched->BarData(row, bar), shown, wanted)) {
        const QString why = change.Refused() == BookingChange::Refusal::Saving
                                ? DlgAppt::SaveProblemText(change.Problem())
                                : QStringLiteral("\r\n\r\n") + change.Why();
        Messages::Warning((stretched ? QStringLiteral("Unable to save appointment!")
                                     : QStringLiteral("Unable to move appointment!")) +
                          why);
    }
    // What the database now holds: the change, or whatever another
    // workstation stored meanwhile.
    const int current = sched->CurrentRow();
    main.ShowResources(current > 0 ? sched->RowData(current) : 0);
}

#pragma once

#include <QString>
#include <QtGlobal>

#include <span>
#include <vector>

// The rows and bars of a schedule, read with one query: the resources of a
// group (or one resource) in name order, each with its bookings in a date
// range in order of date and start, joined to what a bar shows: the type's
// colour and, when asked for, the contact's and the type's names. The database answers it
// with one index range scan per resource (ixBookingsSchedule holds every
// booking column the bars need), and the rows and bars are built in one pass
// over the result, without letting events run.
//
// The schedule window, the booking dialog's time slots and the CSV export
// read their bookings through it.
class ScheduleData {
public:
    // A booking whose appointment type is gone shows grey.
    static constexpr qint32 kNoTypeColour = 0xC0C0C0;

    struct Selection {
        qint32 groupId = 0;
        qint32 resourceId = 0; // not 0: this resource alone, whatever the group
        qint32 firstDate = 0;
        qint32 lastDate = 0;
        bool contactNames = false; // the bars' texts: the contact's and the type's names
        bool details = false;      // the type's name, the references, the contact's existence
        // The bars' texts name the type where no contact's name is shown, so
        // that colour is not the only sign of a booking's type.
        bool typeNames = false;
        // Not empty: these resources of the group alone (the rows a change
        // touched, read again).
        std::vector<qint32> resources;
    };
    struct Bar {
        qint32 bookingId = 0;
        qint32 date = 0;
        int start = 0; // minutes since midnight
        int end = 0;
        qint32 colour = kNoTypeColour;
        QString text; // the contact's name; empty without a contact or when not asked for
        QString type; // the type's name; empty when the type is gone or when not asked for
    };
    struct Details {
        QString taskName; // empty when the type is gone
        bool contactFound = false;
        QString ref01;
        QString ref02;
        QString ref03;
    };
    struct Row {
        qint32 resourceId = 0;
        QString name;
        int firstBar = 0; // index of its first bar in the schedule's bars
        int barCount = 0;
    };

    // What a bar wide enough shows: who comes first, then for what, so that
    // a bar too narrow for both keeps the contact's name ("Ann, Check-up";
    // either alone when the other is missing).
    static QString Caption(const Bar& bar);

    // The one query of a selection, as the loader runs it.
    static QString Query(const Selection& selection);

    // Reads the selection; false (and empty) when the query failed, which
    // ClsDAO has logged.
    bool Load(const Selection& selection);

    const std::vector<Row>& Rows() const { return m_rows; }
    std::span<const Bar> Bars(const Row& row) const {
        return std::span<const Bar>(m_bars).subspan(size_t(row.firstBar), size_t(row.barCount));
    }
    // The details of one of the bars; only when the selection asked for them.
    const Details& DetailsOf(const Bar& bar) const {
        return m_details[size_t(&bar - m_bars.data())];
    }
    int TotalBars() const { return int(m_bars.size()); }
    // The change signature of the bookings read, as ClsBooking::BookingCheck
    // computes it for the same group and dates.
    qint32 Signature() const;

private:
    std::vector<Row> m_rows;
    std::vector<Bar> m_bars;
    std::vector<Details> m_details;
    qint64 m_endSum = 0;
};

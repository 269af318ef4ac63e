#pragma once

#include <QString>
#include <QtGlobal>

// What the main window tells about the booking under the mouse: its times,
// type and contact for the status bar, and the text of its tip. Read with
// one query; a booking deleted meanwhile leaves every text empty.
class BookingSummary {
public:
    // False when the booking is gone or cannot be read.
    bool Load(qint32 bookingId);

    QString Start() const { return m_start; } // "10:00 am"
    QString End() const { return m_end; }
    QString Task() const { return m_task; }       // empty when the type is gone
    QString Contact() const { return m_contact; } // empty without a contact
    // The type's name (when the type exists) on a line of its own, then
    // "10:00 am to 11:00 am", then on lines of their own the comment (when
    // it holds more than blanks) and the contact's name (when there is a
    // contact); lines end in CR LF. Empty when the booking is gone.
    QString Tip() const { return m_tip; }
    // One sentence that names it before it is deleted: "Check-up for Ann on
    // Monday 7 December 2026, 10:00 am to 11:00 am." Empty when it is gone.
    QString Line() const { return m_line; }

private:
    QString m_start;
    QString m_end;
    QString m_task;
    QString m_contact;
    QString m_tip;
    QString m_line;
};

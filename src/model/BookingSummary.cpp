#include "model/BookingSummary.h"

#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/ClsDate.h"

bool BookingSummary::Load(qint32 bookingId) {
    *this = BookingSummary();
    const Recordset rs = Database::DAO().SqlQuery(
        QStringLiteral("select b.BookingStart, b.BookingEnd, b.Comments, t.TaskName, c.CustomerId, "
                       "c.CustomerName, b.BookingDate from tblBookings b left join tblTasks t on t.TaskId = "
                       "b.TaskId left join tblCustomers c on c.CustomerId = b.CustomerId where "
                       "b.BookingId = ") +
        QString::number(bookingId));
    if (!rs.IsOpen() || rs.Eof())
        return false;
    const auto text = [&rs](int column) {
        return rs.Fields(column).IsNull() ? QString() : rs.Fields(column).Text();
    };
    m_start = ClsDate::ShowTime(rs.Fields(0).Int(), true);
    m_end = ClsDate::ShowTime(rs.Fields(1).Int(), true);
    m_task = text(3);
    m_contact = text(5);
    // The type first: the tip tells what the bar's colour shows.
    if (!m_task.isEmpty())
        m_tip = m_task + QStringLiteral("\r\n");
    m_tip += m_start + QStringLiteral(" to ") + m_end;
    const QString day = ClsDate::FormatDate(rs.Fields(6).Long(), QStringLiteral("dddd d mmmm yyyy"));
    m_line = (m_task.isEmpty() ? QStringLiteral("An appointment") : m_task) +
             (m_contact.isEmpty() ? QStringLiteral(" without a contact")
                                  : QStringLiteral(" for ") + m_contact) +
             QStringLiteral(" on ") + day + QStringLiteral(", ") + m_start + QStringLiteral(" to ") +
             m_end + QLatin1Char('.');
    if (!text(2).trimmed().isEmpty())
        m_tip += QStringLiteral("\r\n") + text(2);
    if (!rs.Fields(4).IsNull())
        m_tip += QStringLiteral("\r\n") + m_contact;
    return true;
}

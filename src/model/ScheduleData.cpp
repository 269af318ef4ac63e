#include "model/ScheduleData.h"

#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/ClsBooking.h"

#include <QSqlQuery>
#include <QStringList>

namespace {
// Columns of the query, in its order.
enum Column { ResourceId, ResourceName, BookingId, BookingDate, BookingStart, BookingEnd, Colour,
              ContactName, TaskName, ContactId, Ref01, Ref02, Ref03 };

QString Num(qint64 v) { return QString::number(v); }
} // namespace

QString ScheduleData::Query(const Selection& s) {
    const bool contacts = s.contactNames || s.details;
    const bool typeNames = s.typeNames || s.details;
    QString sql = QStringLiteral(
        "select r.ResourceId, r.ResourceName, b.BookingId, b.BookingDate, b.BookingStart, "
        "b.BookingEnd, t.Colour");
    if (contacts)
        sql += QStringLiteral(", c.CustomerName, t.TaskName");
    else if (typeNames)
        sql += QStringLiteral(", null, t.TaskName");
    if (s.details)
        sql += QStringLiteral(", c.CustomerId, b.Ref01, b.Ref02, b.Ref03");
    sql += QStringLiteral(" from tblResources r left join tblBookings b on b.ResourceId = "
                          "r.ResourceId and b.BookingDate >= ") +
           Num(s.firstDate) + QStringLiteral(" and b.BookingDate <= ") + Num(s.lastDate) +
           QStringLiteral(" left join tblTasks t on t.TaskId = b.TaskId");
    if (contacts)
        sql += QStringLiteral(" left join tblCustomers c on c.CustomerId = b.CustomerId");
    sql += s.resourceId != 0 ? QStringLiteral(" where r.ResourceId = ") + Num(s.resourceId)
                             : QStringLiteral(" where r.GroupId = ") + Num(s.groupId);
    if (s.resourceId == 0 && !s.resources.empty()) {
        QStringList ids;
        for (const qint32 id : s.resources)
            ids << Num(id);
        sql += QStringLiteral(" and r.ResourceId in (") + ids.join(QLatin1Char(',')) +
               QLatin1Char(')');
    }
    // The order of the rows is the order of the resources by name and of
    // the booking index within each; the identifier settles a tie of names.
    sql += QStringLiteral(" order by r.ResourceName, r.ResourceId, b.BookingDate, "
                          "b.BookingStart, b.BookingEnd, b.BookingId");
    return sql;
}

bool ScheduleData::Load(const Selection& selection) {
    m_rows.clear();
    m_bars.clear();
    m_details.clear();
    m_endSum = 0;
    const bool read = Database::DAO().SqlRead(Query(selection), [&](QSqlQuery& q) {
        while (q.next()) {
            const qint32 resourceId = qint32(q.value(ResourceId).toLongLong());
            if (m_rows.empty() || m_rows.back().resourceId != resourceId)
                m_rows.push_back({resourceId, q.value(ResourceName).toString(),
                                  int(m_bars.size()), 0});
            const QVariant date = q.value(BookingDate);
            const QVariant start = q.value(BookingStart);
            const QVariant end = q.value(BookingEnd);
            // A resource without bookings in range has one row without a
            // booking; a booking without a date or time cannot be placed.
            if (date.isNull() || start.isNull() || end.isNull())
                continue;
            Bar bar;
            bar.bookingId = qint32(q.value(BookingId).toLongLong());
            bar.date = qint32(date.toLongLong());
            bar.start = int(start.toLongLong());
            bar.end = int(end.toLongLong());
            const QVariant colour = q.value(Colour);
            if (!colour.isNull())
                bar.colour = qint32(colour.toLongLong());
            if (selection.contactNames) {
                bar.text = q.value(ContactName).toString();
                bar.type = q.value(TaskName).toString();
            } else if (selection.typeNames) {
                bar.type = q.value(TaskName).toString();
            }
            m_bars.push_back(std::move(bar));
            ++m_rows.back().barCount;
            m_endSum += m_bars.back().end;
            if (selection.details)
                m_details.push_back({q.value(TaskName).toString(),
                                     !q.value(ContactId).isNull(),
                                     q.value(Ref01).toString(), q.value(Ref02).toString(),
                                     q.value(Ref03).toString()});
        }
    });
    if (!read) {
        m_rows.clear();
        m_bars.clear();
        m_details.clear();
        m_endSum = 0;
    }
    return read;
}

QString ScheduleData::Caption(const Bar& bar) {
    if (bar.text.isEmpty() || bar.type.isEmpty())
        return bar.text + bar.type;
    return bar.text + QStringLiteral(", ") + bar.type;
}

qint32 ScheduleData::Signature() const {
    return m_bars.empty() ? 0 : ClsBooking::Signature(m_endSum);
}

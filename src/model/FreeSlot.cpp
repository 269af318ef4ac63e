#include "model/FreeSlot.h"

#include "base/ErrorTrap.h"
#include "data/ClsDAO.h"
#include "data/Database.h"

#include <QHash>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <utility>
#include <vector>

namespace {
constexpr int kMinutesPerDay = 1440;
struct Span {
    int start;
    int end;
};
} // namespace

FreeSlot::Found FreeSlot::Find(const Search& search) {
    if (search.interval < 1)
        throw TarveloError(QStringLiteral("group without a slot length"));
    Found result;
    if (search.resources.isEmpty() || search.lastDate < search.fromDate)
        return result;
    QStringList ids;
    for (const qint32 id : search.resources)
        ids << QString::number(id);
    // The bookings of every resource and date searched, by resource and date.
    QHash<QPair<qint32, qint32>, std::vector<Span>> booked;
    const bool read = Database::DAO().SqlRead(
        QStringLiteral("select ResourceId, BookingDate, BookingStart, BookingEnd from "
                       "tblBookings where ResourceId in (") +
            ids.join(QLatin1Char(',')) + QStringLiteral(") and BookingDate >= ") +
            QString::number(search.fromDate) + QStringLiteral(" and BookingDate <= ") +
            QString::number(search.lastDate),
        [&](QSqlQuery& q) {
            while (q.next())
                booked[{qint32(q.value(0).toLongLong()), qint32(q.value(1).toLongLong())}]
                    .push_back({q.value(2).toInt(), q.value(3).toInt()});
        });
    if (!read)
        throw TarveloError(QStringLiteral("the bookings cannot be read"));
    const int length = std::max(search.length, 1);
    // The last slot starts at the day end; nothing runs past its end.
    const int latestEnd = std::min(search.dayEnd + search.interval, kMinutesPerDay);
    for (qint32 date = search.fromDate; date <= search.lastDate; ++date) {
        for (int t = search.dayStart; t <= search.dayEnd && t + length <= latestEnd;
             t += search.interval) {
            if (date == search.fromDate && t < search.fromMinute)
                continue;
            for (const qint32 resource : search.resources) {
                const std::vector<Span>& spans = booked.value({resource, date});
                // Spans that only touch do not overlap, as in the clash test.
                const bool taken = std::any_of(spans.begin(), spans.end(), [&](const Span& s) {
                    return s.start < t + length && s.end > t;
                });
                if (!taken)
                    return {true, resource, date, t};
            }
        }
    }
    return result;
}

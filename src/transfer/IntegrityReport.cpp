#include "transfer/IntegrityReport.h"

#include "base/ErrorTrap.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "model/ClsDate.h"
#include "transfer/BackupFile.h"

#include <QDir>

namespace {

// The rows the repair deletes: resources, contacts, appointments.
bool CountRows(int counts[3]) {
    return TrapSilent([&] {
        const Recordset rs = Database::DAO().SqlQuery(
            QStringLiteral("select (select count(*) from tblResources), (select count(*) from "
                           "tblCustomers), (select count(*) from tblBookings)"));
        if (!rs.IsOpen() || rs.Eof())
            throw TarveloError(QStringLiteral("counts not read"));
        for (int i = 0; i < 3; ++i)
            counts[i] = rs.Fields(i).Long();
    });
}

// The appointments of a where clause over tblBookings b, its resource r and
// group g, in the order a user looks them up.
const QString kBookingsOf = QStringLiteral(
    "select g.GroupName, r.ResourceName, b.BookingDate, b.BookingStart, b.BookingEnd from "
    "tblBookings b join tblResources r on r.ResourceId = b.ResourceId join tblGroups g on "
    "g.GroupId = r.GroupId where %1 order by g.GroupName, r.ResourceName, b.BookingDate, "
    "b.BookingStart");

// A booking that shares time with another of its resource on its day.
const QString kOverlapping = QStringLiteral(
    "exists (select 1 from tblBookings o where o.ResourceId = b.ResourceId and o.BookingDate = "
    "b.BookingDate and o.BookingId <> b.BookingId and o.BookingStart < b.BookingEnd and "
    "b.BookingStart < o.BookingEnd)");

// A booking that starts before its group's day or ends after its last slot.
const QString kOutsideDay = QStringLiteral(
    "b.BookingStart < g.DayStart or b.BookingEnd > case when g.DayEnd + g.Interval > 1440 then "
    "1440 else g.DayEnd + g.Interval end");

} // namespace

bool IntegrityReport::Run() {
    *this = IntegrityReport();
    ClsDAO& dao = Database::DAO();
    int before[3] = {0, 0, 0};
    int after[3] = {0, 0, 0};
    const bool counted = CountRows(before);
    const bool repaired = dao.IntegrityCheck();
    const QString repairFailure = dao.LastFailure();
    if (!counted || !CountRows(after)) {
        m_failure = QStringLiteral("The database cannot be read.");
        return false;
    }
    if (!repaired) {
        // A database that cannot be written repairs nothing: its counts
        // would read as those of a sound one.
        m_failure = QDir::toNativeSeparators(dao.DbPath()) + QStringLiteral(": ") + repairFailure +
                    QStringLiteral(". Not every repair could be made.");
        return false;
    }
    for (int i = 0; i < 3; ++i)
        m_removed[i] = before[i] - after[i];
    if (!Conflicts()) {
        m_failure = QStringLiteral("The database cannot be read.");
        return false;
    }
    // What a backup of the database would hold that its restore refuses.
    BackupFile backup;
    QByteArray text;
    if (!backup.BackupText(&text)) {
        m_failure = backup.FailureText();
        return false;
    }
    const QList<BackupFile::Problem> problems = BackupFile::Check(text);
    m_unrestorable = int(problems.size());
    for (const BackupFile::Problem& p : problems)
        m_details << QStringLiteral("A restore would refuse %1: %2.").arg(p.subject, p.reason);
    return true;
}

bool IntegrityReport::Conflicts() {
    return TrapSilent([&] {
        const auto list = [&](const QString& where, const QString& what) {
            Recordset rs = Database::DAO().SqlQuery(kBookingsOf.arg(where));
            if (!rs.IsOpen())
                throw TarveloError(QStringLiteral("conflicts not read"));
            int count = 0;
            for (; !rs.Eof(); rs.MoveNext(), ++count)
                m_details << QStringLiteral("%1, %2, %3, %4 to %5: %6.")
                                 .arg(rs.Fields(0).Value.toString(), rs.Fields(1).Value.toString(),
                                      ClsDate::FormatDate(rs.Fields(2).Long(),
                                                          QStringLiteral("dddd d mmmm yyyy")),
                                      ClsDate::ShowTime(rs.Fields(3).Int(), true),
                                      ClsDate::ShowTime(rs.Fields(4).Int(), true), what);
            return count;
        };
        m_overlaps = list(kOverlapping, QStringLiteral("overlaps another appointment of its "
                                                       "resource"));
        m_outsideDay = list(kOutsideDay, QStringLiteral("outside its group's day"));
    });
}

QString IntegrityReport::RemovedText() const {
    return QStringLiteral("Removed %1 resources, %2 contacts and %3 appointments that referred to "
                          "missing records.")
        .arg(m_removed[0])
        .arg(m_removed[1])
        .arg(m_removed[2]);
}

QStringList IntegrityReport::Summary() const {
    QStringList lines;
    if (m_overlaps > 0)
        lines << QStringLiteral("%1 appointments overlap another appointment of their resource; "
                                "they were left as they are.")
                     .arg(m_overlaps);
    if (m_outsideDay > 0)
        lines << QStringLiteral("%1 appointments lie outside their group's day; they were left as "
                                "they are.")
                     .arg(m_outsideDay);
    if (m_unrestorable > 0)
        lines << QStringLiteral("%1 rows hold values that a restore of a backup would refuse: "
                                "mend them in their windows, or backups cannot be made.")
                     .arg(m_unrestorable);
    return lines;
}

#include "model/ClsBooking.h"

#include "base/ErrorTrap.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/DbTransaction.h"
#include "data/Journal.h"
#include "model/RowDelete.h"
#include "model/RowInsert.h"
#include "model/RowUpdate.h"
#include "model/StoredRow.h"

#include <QFile>
#include <QSysInfo>

namespace {
ClsDAO& Dao() {
    return Database::DAO();
}
QString Num(qint64 v) {
    return QString::number(v);
}
} // namespace

ClsBooking::ClsBooking() {
    InitBfr();
}

void ClsBooking::InitBfr() {
    // The three reference texts are kept: a new booking starts with the
    // references of the one held before.
    Trap("ClsBooking.InitBfr", [&] {
        m_bookingDate = 0;
        m_bookingEnd = 0;
        m_bookingId = 0;
        m_bookingStart = 0;
        m_comments.clear();
        m_customerId = 0;
        m_repeatId = 0;
        m_resourceId = 0;
        m_taskId = 0;
        m_stored.Clear();
    });
}

bool ClsBooking::Load(qint32 bookingId) {
    bool found = false;
    Trap("ClsBooking.Load", [&] {
        Recordset rs = Dao().SqlQuery(
            QStringLiteral("select * from tblBookings where BookingId = ") + Num(bookingId));
        if (rs.Eof())
            return;
        m_bookingDate = rs.Fields(QStringLiteral("BookingDate")).Long();
        m_bookingEnd = rs.Fields(QStringLiteral("BookingEnd")).Int();
        m_bookingId = rs.Fields(QStringLiteral("BookingId")).Long();
        m_bookingStart = rs.Fields(QStringLiteral("BookingStart")).Int();
        m_ref01 = rs.Fields(QStringLiteral("Ref01")).Text();
        m_ref02 = rs.Fields(QStringLiteral("Ref02")).Text();
        m_ref03 = rs.Fields(QStringLiteral("Ref03")).Text();
        m_comments = rs.Fields(QStringLiteral("Comments")).Text();
        m_customerId = rs.Fields(QStringLiteral("CustomerId")).Long();
        m_repeatId = rs.Fields(QStringLiteral("RepeatId")).Long();
        m_resourceId = rs.Fields(QStringLiteral("ResourceId")).Long();
        m_taskId = rs.Fields(QStringLiteral("TaskId")).Long();
        m_stored.Take(rs);
        found = true;
    });
    return found;
}

QString ClsBooking::ClashQuery(qint32 resourceId, qint32 bookingDate, qint16 bookingStart,
                               qint16 bookingEnd, qint32 bookingId) {
    // Two spans [s1, e1) and [s2, e2) overlap when each starts before the
    // other ends; this also finds a booking that encloses the tested span.
    // Spans that only touch do not overlap.
    return QStringLiteral("select BookingId from tblBookings where ResourceId = ") +
           Num(resourceId) + QStringLiteral(" and BookingDate = ") + Num(bookingDate) +
           QStringLiteral(" and BookingStart < ") + Num(bookingEnd) +
           QStringLiteral(" and BookingEnd > ") + Num(bookingStart) +
           QStringLiteral(" and BookingId <> ") + Num(bookingId);
}

bool ClsBooking::FindClash(qint32 resourceId, qint32 bookingDate, qint16 bookingStart,
                           qint16 bookingEnd, qint32 bookingId, qint32& clashId) {
    clashId = 0;
    const Recordset rs =
        Dao().SqlQuery(ClashQuery(resourceId, bookingDate, bookingStart, bookingEnd, bookingId));
    if (!rs.IsOpen())
        return false;
    if (!rs.Eof())
        clashId = rs.Fields(QStringLiteral("BookingId")).Long();
    return true;
}

qint32 ClsBooking::GetBookingId(qint32 resourceId, qint32 bookingDate, qint16 bookingStart,
                                qint16 bookingEnd, qint32 bookingId) {
    qint32 result = 0;
    TrapSilent(
        [&] { FindClash(resourceId, bookingDate, bookingStart, bookingEnd, bookingId, result); });
    return result;
}

bool ClsBooking::SlotIsFree() {
    qint32 clash = 0;
    // A clash test that could not run counts as a clash: nothing is stored.
    if (!FindClash(m_resourceId, m_bookingDate, m_bookingStart, m_bookingEnd, m_bookingId, clash)) {
        m_saveProblem = SaveProblem::Failed;
        return false;
    }
    if (clash != 0) {
        m_saveProblem = SaveProblem::Clash;
        return false;
    }
    return true;
}

bool ClsBooking::LinksExist() {
    ClsDAO& dao = Dao();
    // A link that cannot be read fails the save as a whole.
    const auto missing = [&](const QString& table, const QString& column, qint32 id,
                             SaveProblem problem) {
        const StoredRow::State state = StoredRow::Lookup(dao, table, column, id);
        if (state == StoredRow::State::Same)
            return false;
        m_saveProblem = state == StoredRow::State::Gone ? problem : SaveProblem::Failed;
        return true;
    };
    if (missing(QStringLiteral("tblResources"), QStringLiteral("ResourceId"), m_resourceId,
                SaveProblem::ResourceGone))
        return false;
    if (m_taskId != 0 && missing(QStringLiteral("tblTasks"), QStringLiteral("TaskId"), m_taskId,
                                 SaveProblem::TypeGone))
        return false;
    return m_customerId == 0 ||
           !missing(QStringLiteral("tblCustomers"), QStringLiteral("CustomerId"), m_customerId,
                    SaveProblem::ContactGone);
}

qint32 ClsBooking::Save() {
    qint32 result = 0;
    m_saveProblem = SaveProblem::Failed;
    Trap("ClsBooking.Save", [&] {
        ClsDAO& dao = Dao();
        if (m_bookingId != 0) {
            // The row must still be as loaded, its links must exist and the
            // new time must be free: tested and updated in one write
            // transaction, so two workstations changing one booking, or
            // moving into one slot, cannot both succeed. (The tests after the
            // update see what they would see before it: the clash test leaves
            // out the booking itself.)
            const SaveProblem problem = RowUpdate::Update(
                dao, m_stored, m_bookingId,
                QStringLiteral("update tblBookings set TaskId = ") + Num(m_taskId) +
                    QStringLiteral(", BookingDate = ") + Num(m_bookingDate) +
                    QStringLiteral(", BookingStart = ") + Num(m_bookingStart) +
                    QStringLiteral(", BookingEnd = ") + Num(m_bookingEnd) +
                    QStringLiteral(", CustomerId = ") + Num(m_customerId) +
                    QStringLiteral(", ResourceId = ") + Num(m_resourceId) +
                    QStringLiteral(", Ref01 = ") + ClsDAO::Quoted(m_ref01) +
                    QStringLiteral(", Ref02 = ") + ClsDAO::Quoted(m_ref02) +
                    QStringLiteral(", Ref03 = ") + ClsDAO::Quoted(m_ref03) +
                    QStringLiteral(", RepeatId = ") + Num(m_repeatId) +
                    QStringLiteral(", Comments = ") + ClsDAO::Quoted(m_comments) +
                    QStringLiteral(" where BookingId = ") + Num(m_bookingId),
                [&] { return LinksExist() && SlotIsFree(); });
            // A refusal of the link or clash test keeps its own reason.
            if (problem != SaveProblem::Failed || m_saveProblem == SaveProblem::Failed)
                m_saveProblem = problem;
            if (problem == SaveProblem::None)
                result = m_bookingId;
            return;
        }
        result = Insert(0);
    });
    return result;
}

qint32 ClsBooking::Recreate() {
    qint32 result = 0;
    m_saveProblem = SaveProblem::Failed;
    Trap("ClsBooking.Recreate", [&] {
        if (m_bookingId != 0)
            result = Insert(m_bookingId);
    });
    return result;
}

qint32 ClsBooking::Insert(qint32 id) {
    ClsDAO& dao = Dao();
    // The link and clash tests, the insert, the read-back of the
    // identifier and of the stored row run in one write transaction: of
    // two workstations racing for one slot the second waits, then sees the
    // first one's booking and stores nothing, and the highest identifier
    // with this date, start and end is this row's own.
    DbTransaction txn(dao);
    if (!dao.InWrite())
        return 0;
    const QString kept = id != 0 ? Num(id) + QStringLiteral(", ") : QString();
    StoredRow row(QStringLiteral("tblBookings"), QStringLiteral("BookingId"));
    const qint32 stored = RowInsert::Insert(
        dao, QStringLiteral("tblBookings"), QStringLiteral("BookingId"),
        QStringLiteral("insert into tblBookings (") +
            (id != 0 ? QStringLiteral("BookingId, ") : QString()) +
            QStringLiteral("TaskId, BookingDate, BookingStart, BookingEnd, CustomerId, RepeatId, "
                           "ResourceId, Ref01, Ref02, Ref03, Comments) values (") +
            kept + Num(m_taskId) + QStringLiteral(", ") + Num(m_bookingDate) +
            QStringLiteral(", ") + Num(m_bookingStart) + QStringLiteral(", ") + Num(m_bookingEnd) +
            QStringLiteral(", ") + Num(m_customerId) + QStringLiteral(", ") + Num(m_repeatId) +
            QStringLiteral(", ") + Num(m_resourceId) + QStringLiteral(", ") +
            ClsDAO::Quoted(m_ref01) + QStringLiteral(", ") + ClsDAO::Quoted(m_ref02) +
            QStringLiteral(", ") + ClsDAO::Quoted(m_ref03) + QStringLiteral(", ") +
            ClsDAO::Quoted(m_comments) + QLatin1Char(')'),
        id != 0 ? QStringLiteral("select BookingId from tblBookings where BookingId = ") + Num(id)
                : QStringLiteral("select max(BookingId) from tblBookings where ") +
                      QStringLiteral("BookingDate = ") + Num(m_bookingDate) +
                      QStringLiteral(" and BookingStart = ") + Num(m_bookingStart) +
                      QStringLiteral(" and BookingEnd = ") + Num(m_bookingEnd),
        [&] {
            if (id != 0) {
                const StoredRow::State taken = StoredRow::Lookup(dao, QStringLiteral("tblBookings"),
                                                                 QStringLiteral("BookingId"), id);
                if (taken != StoredRow::State::Gone) {
                    m_saveProblem = taken == StoredRow::State::Same ? SaveProblem::IdTaken
                                                                    : SaveProblem::Failed;
                    return false;
                }
            }
            if (!LinksExist() || !SlotIsFree())
                return false;
            m_saveProblem = SaveProblem::Failed;
            return true;
        },
        &row);
    if (stored == 0 || !txn.Commit())
        return 0;
    // What was stored is what a later save of this record expects.
    m_stored = row;
    m_bookingId = stored;
    m_saveProblem = SaveProblem::None;
    return stored;
}

bool ClsBooking::Delete(qint32 bookingId, bool journal) {
    bool ok = false;
    Trap("ClsBooking.Delete", [&] {
        ClsDAO& dao = Dao();
        if (!journal) {
            ok = dao.SqlAction(QStringLiteral("delete from tblBookings where BookingId = ") +
                               Num(bookingId));
            return;
        }
        ok = RowDelete::Cascade(
            dao, QStringLiteral("tblBookings"), QStringLiteral("BookingId"), bookingId,
            {QStringLiteral("delete from tblBookings where BookingId = ") + Num(bookingId)});
    });
    return ok;
}

bool ClsBooking::DeleteRepeats(qint32 repeatId) {
    bool ok = false;
    TrapSilent([&] {
        ClsDAO& dao = Dao();
        DbTransaction txn(dao);
        if (!dao.InWrite())
            return;
        // The entry holds every booking of the series as it was, so that the
        // series can be told and brought back whole.
        Recordset rs = dao.SqlQuery(QStringLiteral("select * from tblBookings where RepeatId = ") +
                                    Num(repeatId) + QStringLiteral(" order by BookingId"));
        QStringList rows;
        for (; !rs.Eof(); rs.MoveNext()) {
            StoredRow row(QStringLiteral("tblBookings"), QStringLiteral("BookingId"));
            row.Take(rs);
            rows << row.Json();
        }
        ok = dao.SqlAction(QStringLiteral("delete from tblBookings where RepeatId = ") +
                           Num(repeatId)) &&
             (rows.isEmpty() ||
              Journal::Append(
                  dao, QStringLiteral("Delete series"), QStringLiteral("tblBookings"), repeatId,
                  QLatin1Char('[') + rows.join(QLatin1Char(',')) + QLatin1Char(']'), {})) &&
             txn.Commit();
    });
    return ok;
}

qint32 ClsBooking::StableHash(const QByteArray& bytes) {
    // 32-bit FNV-1a: the same bytes give the same number in every run.
    quint32 h = 2166136261u;
    for (const char c : bytes) {
        h ^= static_cast<quint8>(c);
        h *= 16777619u;
    }
    return static_cast<qint32>(h);
}

qint32 ClsBooking::WorkstationTag() {
    QByteArray id;
    QFile file(QStringLiteral("/etc/machine-id"));
    if (file.open(QIODevice::ReadOnly))
        id = file.readAll().trimmed();
    if (id.isEmpty())
        id = QSysInfo::machineHostName().toUtf8();
    return StableHash(id);
}

qint32 ClsBooking::NextRepeatId() {
    qint32 result = 0;
    TrapSilent([&] {
        ClsDAO& dao = Dao();
        const QString tag = ClsDAO::Quoted(Num(WorkstationTag()));
        // The workstation tag keeps apart the rows of different machines; the
        // transaction also keeps apart two program instances on one machine.
        result = RowInsert::Insert(
            dao, QString(), QString(),
            QStringLiteral("insert into tblRepeats (SerialNo) values (") + tag + QLatin1Char(')'),
            QStringLiteral("select max(RepeatId) from tblRepeats where SerialNo = ") + tag);
        if (result == 0)
            return;
        // Only the newest rows are kept; bookings keep their series number
        // after its row has gone.
        dao.SqlAction(QStringLiteral("delete from tblRepeats where RepeatId < ") +
                      Num(qint64(result) - 10));
    });
    return result;
}

qint32 ClsBooking::BookingCheck(qint32 fromDate, qint32 toDate, qint32 groupId) {
    qint32 result = 0;
    TrapSilent([&] {
        Recordset rs = Dao().SqlQuery(
            QStringLiteral("select sum(BookingEnd - BookingStart), sum(BookingStart) from "
                           "tblBookings where BookingDate >= ") +
            Num(fromDate) + QStringLiteral(" and BookingDate <= ") + Num(toDate) +
            QStringLiteral(" and ResourceId in (select ResourceId from tblResources where "
                           "GroupId = ") +
            Num(groupId) + QLatin1Char(')'));
        if (rs.Eof() || rs.Fields(0).IsNull() || rs.Fields(1).IsNull())
            return;
        result = Signature(rs.Fields(0).Value.toLongLong() + rs.Fields(1).Value.toLongLong());
    });
    return result;
}

qint32 ClsBooking::Signature(qint64 sumOfEnds) {
    return static_cast<qint32>(static_cast<quint32>(static_cast<quint64>(sumOfEnds)));
}

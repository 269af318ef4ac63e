#include "model/ClsTask.h"

#include "base/ErrorTrap.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/RowDelete.h"
#include "model/RowInsert.h"
#include "model/RowUpdate.h"

namespace {
ClsDAO& Dao() {
    return Database::DAO();
}
QString Num(qint64 v) {
    return QString::number(v);
}
} // namespace

ClsTask::ClsTask() {
    InitBfr();
}
ClsTask::~ClsTask() = default;

ClsGroup& ClsTask::OwningGroup() {
    if (!m_group)
        m_group = std::make_unique<ClsGroup>();
    return *m_group;
}

qint16 ClsTask::Interval() const {
    return m_group ? m_group->Interval() : qint16(5);
}

void ClsTask::SetGroupId(qint32 groupId) {
    m_groupId = groupId;
    OwningGroup().Load(groupId);
}

void ClsTask::InitBfr() {
    Trap("ClsTask.InitBfr", [&] {
        ClsGroup& group = OwningGroup();
        m_colour = 255;
        m_groupId = 0;
        m_initTime = group.Interval();
        m_maxTime = static_cast<qint16>(group.DayEnd() - group.DayStart());
        m_minTime = group.Interval();
        m_taskId = 0;
        m_taskName.clear();
        m_row.Clear();
    });
}

bool ClsTask::Load(qint32 taskId) {
    bool found = false;
    Trap("ClsTask.Load", [&] {
        InitBfr();
        Recordset rs =
            Dao().SqlQuery(QStringLiteral("select * from tblTasks where TaskId = ") + Num(taskId));
        if (rs.Eof())
            return;
        m_colour = rs.Fields(QStringLiteral("Colour")).Long();
        m_groupId = rs.Fields(QStringLiteral("GroupId")).Long();
        m_initTime = rs.Fields(QStringLiteral("InitTime")).Int();
        m_maxTime = rs.Fields(QStringLiteral("MaxTime")).Int();
        m_minTime = rs.Fields(QStringLiteral("MinTime")).Int();
        m_taskId = rs.Fields(QStringLiteral("TaskId")).Long();
        m_taskName = rs.Fields(QStringLiteral("TaskName")).Text();
        m_row.Take(rs);
        found = true;
    });
    return found;
}

bool ClsTask::LoadByName(const QString& taskName, qint32 groupId) {
    bool found = false;
    TrapSilent([&] {
        Recordset rs = Dao().SqlQuery(
            QStringLiteral("select TaskId from tblTasks where TaskName = ") +
            ClsDAO::Quoted(taskName) + QStringLiteral(" and GroupId = ") + Num(groupId));
        if (!rs.Eof())
            found = Load(rs.Fields(QStringLiteral("TaskId")).Long());
    });
    return found;
}

qint32 ClsTask::Save() {
    qint32 result = 0;
    m_saveProblem = SaveProblem::Failed;
    Trap("ClsTask.Save", [&] {
        ClsDAO& dao = Dao();
        if (m_taskId != 0) {
            // Nothing is stored when the update is refused (the record keeps
            // its identifier) or another workstation changed or deleted the
            // appointment type since it was loaded (a deleted one is stored as new next).
            m_saveProblem =
                RowUpdate::Update(dao, m_row, m_taskId,
                                  QStringLiteral("update tblTasks set Colour = ") + Num(m_colour) +
                                      QStringLiteral(", GroupId = ") + Num(m_groupId) +
                                      QStringLiteral(", MinTime = ") + Num(m_minTime) +
                                      QStringLiteral(", MaxTime = ") + Num(m_maxTime) +
                                      QStringLiteral(", InitTime = ") + Num(m_initTime) +
                                      QStringLiteral(", TaskName = ") + ClsDAO::Quoted(m_taskName) +
                                      QStringLiteral(" where TaskId = ") + Num(m_taskId));
            if (m_saveProblem == SaveProblem::Deleted)
                m_taskId = 0;
            if (m_saveProblem == SaveProblem::None)
                result = m_taskId;
            return;
        }
        // Read back by name across all groups, in the insert's own transaction.
        const qint32 id = RowInsert::Insert(
            dao, QStringLiteral("tblTasks"), QStringLiteral("TaskId"),
            QStringLiteral("insert into tblTasks (Colour, GroupId, MinTime, MaxTime, InitTime, "
                           "TaskName) values (") +
                Num(m_colour) + QStringLiteral(", ") + Num(m_groupId) + QStringLiteral(", ") +
                Num(m_minTime) + QStringLiteral(", ") + Num(m_maxTime) + QStringLiteral(", ") +
                Num(m_initTime) + QStringLiteral(", ") + ClsDAO::Quoted(m_taskName) +
                QLatin1Char(')'),
            QStringLiteral("select max(TaskId) from tblTasks where TaskName = ") +
                ClsDAO::Quoted(m_taskName));
        if (id != 0) {
            // A later save of the new appointment type checks only that it still exists.
            m_row.Clear();
            m_taskId = id;
            result = id;
            m_saveProblem = SaveProblem::None;
        }
    });
    return result;
}

bool ClsTask::Delete(qint32 taskId) {
    bool deleted = false;
    Trap("ClsTask.Delete", [&] {
        deleted = RowDelete::Cascade(
            Dao(), QStringLiteral("tblTasks"), QStringLiteral("TaskId"), taskId,
            {QStringLiteral("delete from tblTasks where TaskId = ") + Num(taskId),
             QStringLiteral("delete from tblBookings where TaskId = ") + Num(taskId)});
    });
    return deleted;
}

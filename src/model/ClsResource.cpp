#include "model/ClsResource.h"

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

ClsResource::ClsResource() {
    InitBfr();
}
ClsResource::~ClsResource() = default;

ClsGroup& ClsResource::OwningGroup() {
    if (!m_group)
        m_group = std::make_unique<ClsGroup>();
    return *m_group;
}

qint16 ClsResource::Interval() const {
    return m_group ? m_group->Interval() : qint16(5);
}

void ClsResource::SetGroupId(qint32 groupId) {
    ClsGroup& group = OwningGroup();
    group.Load(groupId);
    m_groupId = groupId;
    m_minTime = group.Interval();
    m_maxTime = static_cast<qint16>(group.DayEnd() - group.DayStart());
    m_initTime = group.Interval();
}

void ClsResource::InitBfr() {
    Trap("ClsResource.InitBfr", [&] {
        ClsGroup& group = OwningGroup();
        m_groupId = 0;
        m_minTime = group.Interval();
        m_maxTime = static_cast<qint16>(group.DayEnd() - group.DayStart());
        m_initTime = group.Interval();
        m_resourceId = 0;
        m_resourceName.clear();
        m_row.Clear();
    });
}

bool ClsResource::Load(qint32 resourceId) {
    bool found = false;
    Trap("ClsResource.Load", [&] {
        InitBfr();
        Recordset rs = Dao().SqlQuery(
            QStringLiteral("select * from tblResources where ResourceId = ") + Num(resourceId));
        if (rs.Eof())
            return;
        m_groupId = rs.Fields(QStringLiteral("GroupId")).Long();
        m_minTime = rs.Fields(QStringLiteral("MinTime")).Int();
        m_maxTime = rs.Fields(QStringLiteral("MaxTime")).Int();
        m_initTime = rs.Fields(QStringLiteral("InitTime")).Int();
        m_resourceId = rs.Fields(QStringLiteral("ResourceId")).Long();
        m_resourceName = rs.Fields(QStringLiteral("ResourceName")).Text();
        m_row.Take(rs);
        found = true;
    });
    return found;
}

bool ClsResource::LoadByName(const QString& resourceName, qint32 groupId) {
    bool found = false;
    TrapSilent([&] {
        Recordset rs = Dao().SqlQuery(
            QStringLiteral("select ResourceId from tblResources where ResourceName = ") +
            ClsDAO::Quoted(resourceName) + QStringLiteral(" and GroupId = ") + Num(groupId));
        if (!rs.Eof())
            found = Load(rs.Fields(QStringLiteral("ResourceId")).Long());
    });
    return found;
}

qint32 ClsResource::Save() {
    qint32 result = 0;
    m_saveProblem = SaveProblem::Failed;
    Trap("ClsResource.Save", [&] {
        ClsDAO& dao = Dao();
        if (m_resourceId != 0) {
            // Nothing is stored when the update is refused (the record keeps
            // its identifier) or another workstation changed or deleted the
            // resource since it was loaded (a deleted one is stored as new next).
            m_saveProblem = RowUpdate::Update(
                dao, m_row, m_resourceId,
                QStringLiteral("update tblResources set GroupId = ") + Num(m_groupId) +
                    QStringLiteral(", MinTime = ") + Num(m_minTime) +
                    QStringLiteral(", MaxTime = ") + Num(m_maxTime) +
                    QStringLiteral(", InitTime = ") + Num(m_initTime) +
                    QStringLiteral(", ResourceName = ") + ClsDAO::Quoted(m_resourceName) +
                    QStringLiteral(" where ResourceId = ") + Num(m_resourceId));
            if (m_saveProblem == SaveProblem::Deleted)
                m_resourceId = 0;
            if (m_saveProblem == SaveProblem::None)
                result = m_resourceId;
            return;
        }
        // Read back by name across all groups, in the insert's own transaction.
        const qint32 id = RowInsert::Insert(
            dao, QStringLiteral("tblResources"), QStringLiteral("ResourceId"),
            QStringLiteral("insert into tblResources (GroupId, MinTime, MaxTime, InitTime, "
                           "ResourceName) values (") +
                Num(m_groupId) + QStringLiteral(", ") + Num(m_minTime) + QStringLiteral(", ") +
                Num(m_maxTime) + QStringLiteral(", ") + Num(m_initTime) + QStringLiteral(", ") +
                ClsDAO::Quoted(m_resourceName) + QLatin1Char(')'),
            QStringLiteral("select max(ResourceId) from tblResources where ") +
                QStringLiteral("ResourceName = ") + ClsDAO::Quoted(m_resourceName));
        if (id != 0) {
            // A later save of the new resource checks only that it still exists.
            m_row.Clear();
            m_resourceId = id;
            result = id;
            m_saveProblem = SaveProblem::None;
        }
    });
    return result;
}

bool ClsResource::Delete(qint32 resourceId) {
    bool deleted = false;
    Trap("ClsResource.Delete", [&] {
        deleted = RowDelete::Cascade(
            Dao(), QStringLiteral("tblResources"), QStringLiteral("ResourceId"), resourceId,
            {QStringLiteral("delete from tblResources where ResourceId = ") + Num(resourceId),
             QStringLiteral("delete from tblBookings where ResourceId = ") + Num(resourceId)});
    });
    return deleted;
}

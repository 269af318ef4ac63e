#pragma once

#include "model/ClsGroup.h"
#include "model/SaveProblem.h"
#include "model/StoredRow.h"

#include <QString>
#include <memory>

// One row of tblResources: a bookable row of the schedule in one group.
class ClsResource {
public:
    ClsResource();
    ~ClsResource();

    qint32 GroupId() const { return m_groupId; }
    qint16 InitTime() const { return m_initTime; }
    qint16 Interval() const;
    qint16 MaxTime() const { return m_maxTime; }
    qint16 MinTime() const { return m_minTime; }
    qint32 ResourceId() const { return m_resourceId; }
    QString ResourceName() const { return m_resourceName; }
    // Loads the owning group and presets the three times from it.
    void SetGroupId(qint32 groupId);
    void SetInitTime(qint16 v) { m_initTime = v; }
    void SetMaxTime(qint16 v) { m_maxTime = v; }
    void SetMinTime(qint16 v) { m_minTime = v; }
    void SetResourceId(qint32 v) { m_resourceId = v; }
    void SetResourceName(const QString& v) { m_resourceName = v; }

    bool Delete(qint32 resourceId);
    void InitBfr();
    bool Load(qint32 resourceId);
    bool LoadByName(const QString& resourceName, qint32 groupId);
    // The resource's identifier when it was stored; 0 when nothing was stored,
    // and LastSaveProblem says why. A stored resource is only updated while its
    // row is as Load found it.
    qint32 Save();
    SaveProblem LastSaveProblem() const { return m_saveProblem; }

private:
    ClsGroup& OwningGroup();

    std::unique_ptr<ClsGroup> m_group;
    qint32 m_resourceId = 0;
    qint32 m_groupId = 0;
    qint16 m_minTime = 5;
    qint16 m_maxTime = 1440;
    qint16 m_initTime = 5;
    QString m_resourceName;
    StoredRow m_row{QStringLiteral("tblResources"), QStringLiteral("ResourceId")};
    SaveProblem m_saveProblem = SaveProblem::None;
};

#pragma once

#include "model/ClsGroup.h"
#include "model/SaveProblem.h"
#include "model/StoredRow.h"

#include <QString>
#include <memory>

// One row of tblTasks: an appointment type of one group with its colour and
// its shortest, longest and initial length.
class ClsTask {
public:
    ClsTask();
    ~ClsTask();

    qint32 Colour() const { return m_colour; }
    qint32 GroupId() const { return m_groupId; }
    qint16 InitTime() const { return m_initTime; }
    qint16 Interval() const;
    qint16 MaxTime() const { return m_maxTime; }
    qint16 MinTime() const { return m_minTime; }
    qint32 TaskId() const { return m_taskId; }
    QString TaskName() const { return m_taskName; }
    void SetColour(qint32 v) { m_colour = v; }
    // Sets the group and loads the owning group (the times stay as they are).
    void SetGroupId(qint32 groupId);
    void SetInitTime(qint16 v) { m_initTime = v; }
    void SetMaxTime(qint16 v) { m_maxTime = v; }
    void SetMinTime(qint16 v) { m_minTime = v; }
    void SetTaskName(const QString& v) { m_taskName = v; }

    bool Delete(qint32 taskId);
    void InitBfr();
    bool Load(qint32 taskId);
    bool LoadByName(const QString& taskName, qint32 groupId);
    // The appointment type's identifier when it was stored; 0 when nothing was stored,
    // and LastSaveProblem says why. A stored appointment type is only updated while its
    // row is as Load found it.
    qint32 Save();
    SaveProblem LastSaveProblem() const { return m_saveProblem; }

private:
    ClsGroup& OwningGroup();

    std::unique_ptr<ClsGroup> m_group;
    qint32 m_taskId = 0;
    qint32 m_groupId = 0;
    QString m_taskName;
    qint16 m_minTime = 5;
    qint16 m_maxTime = 1440;
    qint16 m_initTime = 5;
    qint32 m_colour = 255;
    StoredRow m_row{QStringLiteral("tblTasks"), QStringLiteral("TaskId")};
    SaveProblem m_saveProblem = SaveProblem::None;
};

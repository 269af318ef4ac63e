#pragma once

#include "model/SaveProblem.h"
#include "model/StoredRow.h"

#include <QString>
#include <QtGlobal>

// One row of tblGroups: a set of resources with its working day and slot length.
class ClsGroup {
public:
    ClsGroup();

    qint16 DayEnd() const { return m_dayEnd; }
    qint16 DayStart() const { return m_dayStart; }
    qint32 GroupId() const { return m_groupId; }
    QString GroupName() const { return m_groupName; }
    qint16 Interval() const { return m_interval; }
    void SetDayEnd(qint16 v) { m_dayEnd = v; }
    void SetDayStart(qint16 v) { m_dayStart = v; }
    void SetGroupName(const QString& v) { m_groupName = v; }
    void SetInterval(qint16 v) { m_interval = v; }

    bool Delete(qint32 groupId);
    void InitBfr();
    bool Load(qint32 groupId);
    // The group's identifier when it was stored; 0 when nothing was stored,
    // and LastSaveProblem says why. A stored group is only updated while its
    // row is as Load found it.
    qint32 Save();
    SaveProblem LastSaveProblem() const { return m_saveProblem; }
    // At most this many resources are made from one template: a damaged
    // file asking for 32,767 would otherwise stall the program.
    static constexpr int MaxTemplateResources = 1000;
    // True when the group and all its resources were stored; on a failure
    // nothing is stored and a message says why.
    bool LoadTemplate(const QString& sectionName);
    void SaveTemplate(qint32 groupId);

    static QString TemplateFile();
    static QString TemplateKey(const char* stem, int n); // "ResName" + "001"

private:
    qint32 m_groupId = 0;
    qint16 m_dayStart = 0;
    qint16 m_dayEnd = 1440;
    qint16 m_interval = 5;
    QString m_groupName;
    StoredRow m_row{QStringLiteral("tblGroups"), QStringLiteral("GroupId")};
    SaveProblem m_saveProblem = SaveProblem::None;
};

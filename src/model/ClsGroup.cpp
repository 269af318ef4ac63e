#include "model/ClsGroup.h"

#include "base/ClsIni.h"
#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "base/ProgramState.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/DbTransaction.h"
#include "model/ClsCustomer.h"
#include "model/ClsResource.h"
#include "model/GroupLimits.h"
#include "model/RecordValue.h"
#include "model/Records.h"
#include "model/RowDelete.h"
#include "model/RowInsert.h"
#include "model/RowUpdate.h"

#include <QDir>

namespace {
ClsDAO& Dao() {
    return Database::DAO();
}
QString Num(qint64 v) {
    return QString::number(v);
}
} // namespace

ClsGroup::ClsGroup() {
    InitBfr();
}

void ClsGroup::InitBfr() {
    Trap("ClsGroup.InitBfr", [&] {
        m_groupId = 0;
        m_dayStart = 0;
        m_dayEnd = 1440;
        m_interval = 5;
        m_groupName.clear();
        m_row.Clear();
    });
}

bool ClsGroup::Load(qint32 groupId) {
    bool found = false;
    Trap("ClsGroup.Load", [&] {
        Recordset rs = Dao().SqlQuery(QStringLiteral("select * from tblGroups where GroupId = ") +
                                      Num(groupId));
        if (rs.Eof())
            return;
        m_row.Clear();
        m_dayStart = rs.Fields(QStringLiteral("DayStart")).Int();
        m_dayEnd = rs.Fields(QStringLiteral("DayEnd")).Int();
        m_interval = rs.Fields(QStringLiteral("Interval")).Int();
        m_groupId = rs.Fields(QStringLiteral("GroupId")).Long();
        m_groupName = rs.Fields(QStringLiteral("GroupName")).Text();
        m_row.Take(rs);
        found = true;
    });
    return found;
}

qint32 ClsGroup::Save() {
    qint32 result = 0;
    m_saveProblem = SaveProblem::Failed;
    Trap("ClsGroup.Save", [&] {
        ClsDAO& dao = Dao();
        if (m_groupId != 0) {
            // Nothing is stored when the update is refused (the record keeps
            // its identifier) or another workstation changed or deleted the
            // group since it was loaded (a deleted one is stored as new next).
            m_saveProblem = RowUpdate::Update(
                dao, m_row, m_groupId,
                QStringLiteral("update tblGroups set DayStart = ") + Num(m_dayStart) +
                    QStringLiteral(", DayEnd = ") + Num(m_dayEnd) +
                    QStringLiteral(", Interval = ") + Num(m_interval) +
                    QStringLiteral(", GroupName = ") + ClsDAO::Quoted(m_groupName) +
                    QStringLiteral(" where GroupId = ") + Num(m_groupId));
            if (m_saveProblem == SaveProblem::Deleted)
                m_groupId = 0;
            if (m_saveProblem == SaveProblem::None)
                result = m_groupId;
            return;
        }
        // The identifier is the highest among the groups of this name, read in
        // the same write transaction as the insert: it is this row's own even
        // when another workstation adds a group of the same name meanwhile.
        const qint32 id = RowInsert::Insert(
            dao, QStringLiteral("tblGroups"), QStringLiteral("GroupId"),
            QStringLiteral(
                "insert into tblGroups (DayStart, DayEnd, Interval, GroupName) values (") +
                Num(m_dayStart) + QStringLiteral(", ") + Num(m_dayEnd) + QStringLiteral(", ") +
                Num(m_interval) + QStringLiteral(", ") + ClsDAO::Quoted(m_groupName) +
                QLatin1Char(')'),
            QStringLiteral("select max(GroupId) from tblGroups where ") +
                QStringLiteral("GroupName = ") + ClsDAO::Quoted(m_groupName));
        if (id != 0) {
            // A later save of the new group checks only that it still exists.
            m_row.Clear();
            m_groupId = id;
            result = id;
            m_saveProblem = SaveProblem::None;
        }
    });
    return result;
}

bool ClsGroup::Delete(qint32 groupId) {
    bool deleted = false;
    Trap("ClsGroup.Delete", [&] {
        InitBfr();
        ClsDAO& dao = Dao();
        const QString id = Num(groupId);
        // The bookings of the group's types go before the types that select them.
        const QStringList statements{
            QStringLiteral("delete from tblGroups where GroupId = ") + id,
            QStringLiteral("delete from tblResources where GroupId = ") + id,
            QStringLiteral("delete from tblBookings where TaskId in (select TaskId from ") +
                QStringLiteral("tblTasks where GroupId = ") + id + QLatin1Char(')'),
            QStringLiteral("delete from tblTasks where GroupId = ") + id,
            QStringLiteral("delete from tblCustomerGroups where GroupId = ") + id,
        };
        // Contacts left without any group go too, each through the contact's own
        // delete, which joins this transaction. No window events run in
        // between: the transaction holds the write lock, and an event could
        // write into it or close the database under it.
        deleted = RowDelete::Cascade(dao, QStringLiteral("tblGroups"), QStringLiteral("GroupId"),
                                     groupId, statements, [&] {
            Recordset rs = dao.SqlQuery(
                QStringLiteral("select (select count(*) from tblCustomerGroups where CustomerId = "
                               "tblCustomers.CustomerId), CustomerId from tblCustomers"));
            for (; !rs.Eof(); rs.MoveNext()) {
                if (rs.Fields(0).Long() == 0 &&
                    !Records::Customer().Delete(rs.Fields(QStringLiteral("CustomerId")).Long()))
                    return false;
            }
            return true;
        });
    });
    return deleted;
}

QString ClsGroup::TemplateFile() {
    return ProgramFolder::FilePath(QStringLiteral("Groups.ini"));
}

QString ClsGroup::TemplateKey(const char* stem, int n) {
    return QString::fromLatin1(stem) + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

void ClsGroup::SaveTemplate(qint32 groupId) {
    TrapSilent([&] {
        ClsIni ini;
        ini.SetIniFile(TemplateFile());
        if (!Load(groupId))
            return;
        const QString section = m_groupName;
        // A template that could not be loaded again is not written.
        const qint64 resources =
            Dao()
                .SqlQuery(QStringLiteral("select count(*) from tblResources where GroupId = ") +
                          Num(groupId))
                .Fields(0)
                .Long();
        if (resources > MaxTemplateResources) {
            Messages::Warning(QStringLiteral("Group NOT saved!\nIt holds %1 resources; a template "
                                             "holds at most %2.")
                                  .arg(resources)
                                  .arg(MaxTemplateResources));
            return;
        }
        ClsIni::Entries entries{{QStringLiteral("DayStart"), m_dayStart},
                                {QStringLiteral("DayEnd"), m_dayEnd},
                                {QStringLiteral("Interval"), m_interval}};
        Recordset rs = Dao().SqlQuery(
            QStringLiteral("select ResourceId from tblResources where GroupId = ") + Num(groupId));
        int n = 0;
        while (!rs.Eof()) {
            // Through the pump the main window's close waits for (it checks
            // EventPump::Depth()); should the program end all the same, the
            // shared records are gone and no part of the template is written.
            EventPump::Run();
            if (!ProgramState::IsRunning()) {
                Messages::Warning(QStringLiteral("Group NOT saved!\nThe program was closed during "
                                                 "the save."));
                return;
            }
            ClsResource& res = Records::Resource();
            if (res.Load(rs.Fields(QStringLiteral("ResourceId")).Long())) {
                ++n;
                entries << qMakePair(TemplateKey("ResName", n), QVariant(res.ResourceName()))
                        << qMakePair(TemplateKey("ResMin", n), QVariant(res.MinTime()))
                        << qMakePair(TemplateKey("ResMax", n), QVariant(res.MaxTime()))
                        << qMakePair(TemplateKey("ResInit", n), QVariant(res.InitTime()));
            }
            rs.MoveNext();
        }
        entries << qMakePair(QStringLiteral("Resources"), QVariant(n));
        // One rewrite of the file: the whole template is saved, or none of it.
        if (ini.WriteValues(section, entries))
            Messages::Information(QStringLiteral("Saved!"), QStringLiteral("Group saved!"));
        else
            Messages::Warning(QStringLiteral("Group NOT saved!\n") + ini.Error());
    });
}

bool ClsGroup::LoadTemplate(const QString& sectionName) {
    bool loaded = false;
    ClsResource& res = Records::Resource();
    // Shown once the transaction is over: a box must not hold the write lock.
    QString failure;
    const bool ran = TrapSilent([&] {
        ClsIni ini;
        ini.SetIniFile(TemplateFile());
        InitBfr();
        const QString problem = ini.Hold();
        if (!problem.isEmpty()) {
            failure = problem;
            return;
        }
        // Every value is read and checked before anything is stored: what a
        // restore would refuse is refused here too, with the line holding it.
        const QString file = QDir::toNativeSeparators(TemplateFile());
        const auto at = [&](const QString& key) {
            return file + QStringLiteral(", line %1: ").arg(ini.LineOf(sectionName, key));
        };
        const auto minutes = [&](const QString& key, int fallback, int lowest = 0) {
            const qint16 v = RecordValue::ToInt16(ini.GetValue(sectionName, key, fallback));
            if (failure.isEmpty() && (v < lowest || v > GroupLimits::DayMinutes))
                failure = at(key) + QStringLiteral("%1 is %2, outside %3 to %4.")
                                        .arg(key)
                                        .arg(v)
                                        .arg(lowest)
                                        .arg(GroupLimits::DayMinutes);
            return v;
        };
        const qint16 dayStart = minutes(QStringLiteral("DayStart"), 0);
        const qint16 dayEnd = minutes(QStringLiteral("DayEnd"), GroupLimits::DayMinutes);
        const qint16 interval = minutes(QStringLiteral("Interval"), 5, GroupLimits::MinInterval);
        if (failure.isEmpty() && dayStart > dayEnd)
            failure = at(QStringLiteral("DayStart")) +
                      QStringLiteral("DayStart is %1, after DayEnd %2 (line %3).")
                          .arg(dayStart)
                          .arg(dayEnd)
                          .arg(ini.LineOf(sectionName, QStringLiteral("DayEnd")));
        const int count =
            RecordValue::ToInt16(ini.GetValue(sectionName, QStringLiteral("Resources"), 0));
        if (failure.isEmpty() && count > MaxTemplateResources)
            failure = QStringLiteral("It asks for %1 resources; a template holds at most %2.")
                          .arg(count)
                          .arg(MaxTemplateResources);
        struct Entry {
            QString name;
            qint16 min, max, init;
        };
        QVector<Entry> entries;
        for (int i = 1; failure.isEmpty() && i <= count; ++i)
            entries.push_back(
                {ini.GetValue(sectionName, TemplateKey("ResName", i), QStringLiteral("???")),
                 minutes(TemplateKey("ResMin", i), 5), minutes(TemplateKey("ResMax", i), 60),
                 minutes(TemplateKey("ResInit", i), 5)});
        if (!failure.isEmpty())
            return;
        failure = QStringLiteral("The database refused it: ");
        // The group and its resources are stored in one write transaction:
        // all of them, or (a failure, a program that ends half-way) none.
        DbTransaction txn(Dao());
        if (!Dao().InWrite())
            return;
        m_groupName = sectionName;
        m_dayStart = dayStart;
        m_dayEnd = dayEnd;
        m_interval = interval;
        if (Save() == 0)
            return;
        m_groupName = m_groupName + QStringLiteral(" [") + Num(m_groupId) + QLatin1Char(']');
        if (Save() == 0)
            return;
        for (const Entry& entry : entries) {
            res.InitBfr();
            res.SetGroupId(m_groupId);
            res.SetResourceName(entry.name);
            res.SetMinTime(entry.min);
            res.SetMaxTime(entry.max);
            res.SetInitTime(entry.init);
            if (res.Save() == 0)
                return;
        }
        loaded = txn.Commit();
    });
    if (loaded)
        return true;
    // Nothing was stored: the shared records hold no identifier of it.
    InitBfr();
    res.InitBfr();
    if (!ran)
        failure = QDir::toNativeSeparators(TemplateFile()) +
                  QStringLiteral(": a value is not a number in range.");
    else if (failure.endsWith(QStringLiteral(": ")))
        failure += Dao().LastFailure();
    Messages::Warning(
        QStringLiteral("Group template \"%1\" NOT loaded!\n").arg(sectionName.simplified()) +
        failure + QStringLiteral("\nNothing was stored."));
    return false;
}

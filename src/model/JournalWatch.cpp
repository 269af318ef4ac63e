#include "model/JournalWatch.h"

#include "data/ClsDAO.h"
#include "data/Journal.h"
#include "data/Recordset.h"

#include <QJsonObject>
#include <QSqlQuery>

void JournalWatch::Start(ClsDAO& dao) {
    m_lastSeen = -1;
    if (!dao.HasJournal())
        return;
    const Recordset rs = dao.SqlQuery(QStringLiteral("select max(JournalId) from tblJournal"));
    if (rs.IsOpen() && !rs.Eof())
        m_lastSeen = rs.Fields(0).IsNull() ? 0 : rs.Fields(0).Value.toLongLong();
}

bool JournalWatch::Read(ClsDAO& dao, qint32 firstDate, qint32 lastDate, Changes* changes) {
    *changes = Changes();
    if (m_lastSeen < 0)
        return false;
    qint64 newest = m_lastSeen;
    const bool read = dao.SqlRead(
        QStringLiteral("select JournalId, TableName, Action, Before, After from tblJournal "
                       "where JournalId > ") +
            QString::number(m_lastSeen) + QStringLiteral(" order by JournalId limit ") +
            QString::number(kMostEntries + 1),
        [&](QSqlQuery& q) {
            while (q.next()) {
                newest = q.value(0).toLongLong();
                ++changes->entries;
                if (changes->rebuild)
                    continue;
                if (q.value(1).toString().compare(QLatin1String("tblBookings"),
                                                  Qt::CaseInsensitive) != 0 ||
                    q.value(2).toString() == QLatin1String("Purge")) {
                    changes->rebuild = true;
                    continue;
                }
                for (const int side : {3, 4}) {
                    for (const QJsonObject& row : Journal::Rows(q.value(side).toString())) {
                        const qint64 date = row.value(QLatin1String("bookingdate")).toInteger();
                        if (date >= firstDate && date <= lastDate)
                            changes->resources.insert(
                                qint32(row.value(QLatin1String("resourceid")).toInteger()));
                    }
                }
            }
        });
    if (!read) {
        m_lastSeen = -1;
        return false;
    }
    m_lastSeen = newest;
    if (changes->entries > kMostEntries)
        changes->rebuild = true;
    return true;
}

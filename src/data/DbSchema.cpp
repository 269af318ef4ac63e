#include "data/DbSchema.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

QStringList DbSchema::CreateStatements() {
    // Identifiers are never reused (autoincrement); every text column compares
    // and sorts without regard to letter case.
    return {
        QStringLiteral("create table if not exists tblGroups (GroupId integer primary key "
                       "autoincrement, GroupName text collate nocase, DayStart integer, "
                       "DayEnd integer, Interval integer)"),
        QStringLiteral("create table if not exists tblResources (ResourceId integer primary key "
                       "autoincrement, GroupId integer, ResourceName text collate nocase, "
                       "MinTime integer, MaxTime integer, InitTime integer)"),
        QStringLiteral("create table if not exists tblTasks (TaskId integer primary key "
                       "autoincrement, GroupId integer, TaskName text collate nocase, "
                       "Colour integer, MinTime integer, MaxTime integer, InitTime integer)"),
        QStringLiteral("create table if not exists tblCustomers (CustomerId integer primary key "
                       "autoincrement, CustomerName text collate nocase, Ref01 text collate "
                       "nocase, Ref02 text collate nocase, Ref03 text collate nocase)"),
        QStringLiteral("create table if not exists tblCustomerGroups (CustomerId integer, "
                       "GroupId integer)"),
        QStringLiteral("create table if not exists tblBookings (BookingId integer primary key "
                       "autoincrement, ResourceId integer, TaskId integer, CustomerId integer, "
                       "BookingDate integer, BookingStart integer, BookingEnd integer, "
                       "RepeatId integer, Ref01 text collate nocase, Ref02 text collate nocase, "
                       "Ref03 text collate nocase, Comments text collate nocase)"),
        QStringLiteral("create table if not exists tblRepeats (RepeatId integer primary key "
                       "autoincrement, SerialNo text collate nocase)"),
        QStringLiteral("create table if not exists tblProperties (PropName text primary key "
                       "collate nocase, PropValue text)"),
        QStringLiteral("create index if not exists ixGroupsName on tblGroups (GroupName)"),
        QStringLiteral("create index if not exists ixResourcesGroup on tblResources "
                       "(GroupId, ResourceName)"),
        QStringLiteral("create index if not exists ixResourcesName on tblResources (ResourceName)"),
        QStringLiteral("create index if not exists ixTasksGroup on tblTasks (GroupId, TaskName)"),
        QStringLiteral("create index if not exists ixTasksName on tblTasks (TaskName)"),
        QStringLiteral("create index if not exists ixCustomersName on tblCustomers (CustomerName)"),
        QStringLiteral("create index if not exists ixLinksCustomer on tblCustomerGroups "
                       "(CustomerId, GroupId)"),
        QStringLiteral("create index if not exists ixLinksGroup on tblCustomerGroups "
                       "(GroupId, CustomerId)"),
        // Schedule, clash tests and a resource's list: resource, then day and time.
        QStringLiteral("create index if not exists ixBookingsResource on tblBookings "
                       "(ResourceId, BookingDate, BookingStart, BookingEnd)"),
        QStringLiteral("create index if not exists ixBookingsDate on tblBookings "
                       "(BookingDate, BookingStart, BookingEnd)"),
        // The searches by type and by contact list from a date on, in date and time order.
        QStringLiteral("create index if not exists ixBookingsTask on tblBookings "
                       "(TaskId, BookingDate, BookingStart)"),
        QStringLiteral("create index if not exists ixBookingsCustomer on tblBookings "
                       "(CustomerId, BookingDate, BookingStart)"),
        QStringLiteral("create index if not exists ixBookingsRepeat on tblBookings (RepeatId)"),
        QStringLiteral("create index if not exists ixRepeatsSerial on tblRepeats (SerialNo)"),
    };
}

QStringList DbSchema::RepairStatements() {
    return {
        QStringLiteral("update tblGroups set GroupName = '?\?\?' where GroupName is Null"),
        QStringLiteral("delete from tblResources where GroupId not in ") +
            QStringLiteral("(select GroupId from tblGroups)"),
        QStringLiteral("update tblResources set ResourceName = '?\?\?' where ResourceName is Null"),
        QStringLiteral("delete from tblCustomers where CustomerId not in ") +
            QStringLiteral("(select CustomerId from tblCustomerGroups)"),
        QStringLiteral("update tblCustomers set CustomerName = '?\?\?' where CustomerName is Null"),
        QStringLiteral("update tblCustomers set Ref01 = '' where Ref01 is Null"),
        QStringLiteral("update tblCustomers set Ref02 = '' where Ref02 is Null"),
        QStringLiteral("update tblCustomers set Ref03 = '' where Ref03 is Null"),
        QStringLiteral("delete from tblBookings where ResourceId not in ") +
            QStringLiteral("(select ResourceId from tblResources)"),
        QStringLiteral("delete from tblBookings where TaskId not in ") +
            QStringLiteral("(select TaskId from tblTasks)"),
        QStringLiteral("delete from tblBookings where CustomerId not in ") +
            QStringLiteral("(select CustomerId from tblCustomers)") +
            QStringLiteral(" and CustomerId <> 0"),
        QStringLiteral("update tblBookings set Comments = '' where Comments is Null"),
        QStringLiteral("update tblBookings set Ref01 = '' where Ref01 is Null"),
        QStringLiteral("update tblBookings set Ref02 = '' where Ref02 is Null"),
        QStringLiteral("update tblBookings set Ref03 = '' where Ref03 is Null"),
        QStringLiteral("update tblTasks set TaskName = '?\?\?' where TaskName is Null"),
    };
}

bool DbSchema::HasSchema(QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select count(*) from sqlite_master where type = 'table' and "
                               "name in ('tblGroups', 'tblResources', 'tblTasks', "
                               "'tblCustomers', 'tblCustomerGroups', 'tblBookings', "
                               "'tblRepeats', 'tblProperties')")))
        return false;
    return q.next() && q.value(0).toInt() == 8;
}

QString DbSchema::CreateDatabase(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("%1 is not a file").arg(path);
    const bool existed = info.exists();
    const QString name = QStringLiteral("tarvelo-create-") + QUuid::createUuid().toString();
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            // An existing file must already be a database, and not one of
            // another program: anything else is left exactly as it is.
            if (!q.exec(QStringLiteral("select count(*), sum(name in ('tblGroups', "
                                       "'tblResources', 'tblTasks', 'tblCustomers', "
                                       "'tblCustomerGroups', 'tblBookings', 'tblRepeats', "
                                       "'tblProperties')) from sqlite_master where type = "
                                       "'table'")) ||
                !q.next())
                error = q.lastError().text();
            else if (q.value(0).toInt() > 0 && q.value(1).toInt() == 0)
                error = QStringLiteral("%1 holds the tables of another program").arg(path);
            q.finish();
            // All or nothing: a failure half-way leaves no half-made schema.
            if (error.isEmpty() && !q.exec(QStringLiteral("begin immediate")))
                error = q.lastError().text();
            for (const QString& sql : CreateStatements()) {
                if (!error.isEmpty())
                    break;
                if (!q.exec(sql))
                    error = q.lastError().text() + QStringLiteral(" (") + sql + QLatin1Char(')');
            }
            if (error.isEmpty() && !q.exec(QStringLiteral("commit")))
                error = q.lastError().text();
            if (!error.isEmpty())
                q.exec(QStringLiteral("rollback"));
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty() && !existed)
        QFile::remove(path);
    return error;
}

#include "data/DbSchema.h"

#include "data/SqlDialect.h"

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
        // The journal of changes, newest last.
        QStringLiteral("create table if not exists tblJournal (JournalId integer primary key "
                       "autoincrement, ChangedAt text, Workstation text, UserName text, "
                       "Action text, TableName text, RowId integer, Before text, After text)"),
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
        // Schedule, clash tests and a resource's list: resource, then day and
        // time. It holds every column a schedule bar needs, so the schedule
        // reads a resource's bookings from the index alone.
        QStringLiteral("create index if not exists ixBookingsSchedule on tblBookings "
                       "(ResourceId, BookingDate, BookingStart, BookingEnd, BookingId, TaskId, "
                       "CustomerId)"),
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

QStringList DbSchema::ReplacedIndexes() {
    // ixBookingsSchedule starts with the same columns. The journal is read
    // in one pass from its end (nearly every entry is a booking's, so an
    // index on the table's name narrowed nothing), and every save would
    // write one more page for an index of it.
    return {QStringLiteral("ixBookingsResource"), QStringLiteral("ixJournalRow")};
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
        // Type 0 is "none", as the program and its restore store it: such a
        // booking is kept, as one without a contact is.
        QStringLiteral("delete from tblBookings where TaskId not in ") +
            QStringLiteral("(select TaskId from tblTasks) and TaskId <> 0"),
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

QString DbSchema::CreateDatabase(const QString& connStr) {
    return SqlDialect::For(connStr)->CreateDatabase(connStr);
}

#include "MainFixture.h"

#include "base/ClsIni.h"
#include "data/ClsDAO.h"
#include "data/Journal.h"
#include "model/StoredRow.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/main/DlgMain.h"

#include <QtTest>

MainFixture::MainFixture() {
    if (!env.CreateDatabase())
        qFatal("cannot create the test database");
}

MainFixture::~MainFixture() {
    main.reset();
    DlgAppt::Release();
    DlgCalendar::Release();
}

void MainFixture::Exec(const QString& sql) { env.Sql(sql); }

void MainFixture::Group(int id, const QString& name, int start, int end, int interval) {
    Exec(QStringLiteral("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) "
                        "values (%1, '%2', %3, %4, %5)")
             .arg(id).arg(name).arg(start).arg(end).arg(interval));
}

void MainFixture::Resource(int id, int group, const QString& name) {
    Exec(QStringLiteral("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, "
                        "MaxTime, InitTime) values (%1, %2, '%3', 15, 600, 15)")
             .arg(id).arg(group).arg(name));
}

void MainFixture::Task(int id, int group, const QString& name, qint32 colour) {
    Exec(QStringLiteral("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, "
                        "MaxTime, InitTime) values (%1, %2, '%3', %4, 15, 600, 30)")
             .arg(id).arg(group).arg(name).arg(colour));
}

void MainFixture::Customer(int id, const QString& name, int group) {
    Exec(QStringLiteral("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) "
                        "values (%1, '%2', '', '', '')")
             .arg(id).arg(name));
    if (group != 0)
        Exec(QStringLiteral("insert into tblCustomerGroups (CustomerId, GroupId) values (%1, %2)")
                 .arg(id).arg(group));
}

void MainFixture::Booking(int id, int resource, int task, int customer, qint32 date, int start,
                          int end, const QString& comments) {
    QString quoted = comments;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    Exec(QStringLiteral("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, "
                        "BookingDate, BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, "
                        "Comments) values (%1, %2, %3, %4, %5, %6, %7, 0, '', '', '', '%8')")
             .arg(id).arg(resource).arg(task).arg(customer).arg(date).arg(start).arg(end)
             .arg(quoted));
}

void MainFixture::Journalled(const QString& table, qint32 id, const QString& sql) {
    ClsDAO other;
    const QString idColumn = table.mid(3).chopped(1) + QStringLiteral("Id"); // tblTasks: TaskId
    StoredRow before(table, idColumn), after(table, idColumn);
    if (other.DbOpen(env.DbPath()) != 0 || !other.BeginWrite())
        qFatal("the other workstation cannot write");
    before.Reload(other, id); // none for a new row, none after a delete
    const bool changed = other.SqlAction(sql);
    after.Reload(other, id);
    if (!changed || !Journal::Append(other, {}, table, id, before.Json(), after.Json()) ||
        !other.CommitWrite())
        qFatal("the other workstation's change failed");
    other.DbClose();
}

void MainFixture::Setting(const QString& section, const QString& key, const QVariant& value) {
    ClsIni ini;
    ini.SetIniFile(env.IniPath());
    ini.WriteValue(section, key, value);
}

QString MainFixture::IniValue(const QString& section, const QString& key) const {
    ClsIni ini;
    ini.SetIniFile(env.IniPath());
    return ini.GetValue(section, key);
}

void MainFixture::Open() {
    Setting(QStringLiteral("Config"), QStringLiteral("LastDate"), kToday);
    main = std::make_unique<DlgMain>();
    if (!main->Started())
        qFatal("the main window did not start");
}

ScheduleView* MainFixture::Sched() const { return main->Sched(); }

void MainFixture::Clinic() {
    Group(1, QStringLiteral("Clinic"));
    Resource(11, 1, QStringLiteral("Room B"));
    Resource(10, 1, QStringLiteral("Room A"));
    Task(20, 1, QStringLiteral("Check-up"), 0x00C000);
    Task(21, 1, QStringLiteral("Surgery"), 0x0000FF);
    Customer(30, QStringLiteral("Zoë O''Neil"), 1);
    Booking(100, 10, 20, 30, kToday, 600, 660);
    Booking(101, 10, 21, 0, kToday, 540, 570);
    Booking(102, 11, 21, 30, kToday + 32, 480, 510);
    Booking(103, 11, 20, 0, kToday + 60, 480, 510);
    Booking(104, 11, 20, 0, kToday - 1, 480, 510);
}

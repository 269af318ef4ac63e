#include "data/Journal.h"

#include "app/ClsIni.h"
#include "app/ModMain.h"
#include "data/ClsDAO.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>

namespace {

QJsonObject Row(const QString& json) {
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

} // namespace

bool Journal::Append(ClsDAO& dao, const QString& action, const QString& table, qint32 rowId,
                     const QString& before, const QString& after) {
    const QString what = action.isEmpty() ? ActionOf(table, before, after) : action;
    return dao.SqlAction(
        QStringLiteral("insert into tblJournal (ChangedAt, Workstation, UserName, Action, "
                       "TableName, RowId, Before, After) values (") +
        ClsDAO::Quoted(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)) +
        QStringLiteral(", ") + ClsDAO::Quoted(Workstation()) + QStringLiteral(", ") +
        ClsDAO::Quoted(UserName()) + QStringLiteral(", ") + ClsDAO::Quoted(what) +
        QStringLiteral(", ") + ClsDAO::Quoted(table) + QStringLiteral(", ") +
        QString::number(rowId) + QStringLiteral(", ") + ClsDAO::Quoted(before) +
        QStringLiteral(", ") + ClsDAO::Quoted(after) + QLatin1Char(')'));
}

bool Journal::Purged(ClsDAO& dao, int bookings, const QDateTime& before) {
    const QJsonObject counts{{QStringLiteral("bookings"), bookings}};
    return Append(dao, QStringLiteral("Purge"), QStringLiteral("tblBookings"), 0, {},
                  QString::fromUtf8(QJsonDocument(counts).toJson(QJsonDocument::Compact))) &&
           dao.SqlAction(QStringLiteral("delete from tblJournal where ChangedAt < ") +
                         ClsDAO::Quoted(before.toUTC().toString(Qt::ISODateWithMs)));
}

QString Journal::ActionOf(const QString& table, const QString& before, const QString& after) {
    if (before.isEmpty())
        return QStringLiteral("New");
    if (after.isEmpty())
        return QStringLiteral("Delete");
    if (table.compare(QStringLiteral("tblBookings"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("Change");
    const QJsonObject a = Row(before);
    const QJsonObject b = Row(after);
    const auto same = [&](const char* column) {
        return a.value(QLatin1String(column)) == b.value(QLatin1String(column));
    };
    const auto length = [](const QJsonObject& row) {
        return row.value(QStringLiteral("bookingend")).toInt() -
               row.value(QStringLiteral("bookingstart")).toInt();
    };
    const bool placed = same("resourceid") && same("bookingdate") && same("bookingstart");
    if (!placed && length(a) == length(b))
        return QStringLiteral("Move");
    if (!same("bookingstart") || !same("bookingend"))
        return QStringLiteral("Stretch");
    return QStringLiteral("Change");
}

QString Journal::Workstation() {
    const QString name = ModMain::Ini()
                             .GetValue(QStringLiteral("Config"), QStringLiteral("Workstation"),
                                       QString())
                             .trimmed();
    return name.isEmpty() ? QSysInfo::machineHostName() : name;
}

QString Journal::UserName() {
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

#include "transfer/BookingHistory.h"

#include "base/FileWriter.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/StoredRow.h"
#include "transfer/BackupFile.h"
#include "transfer/CsvExport.h"

#include <QJsonDocument>

namespace {
const QString kBookings = QStringLiteral("tblBookings");

// Both engines hand numbers back in types of their own, and a value may be
// null: every number of a row is read through its variant.
qint64 Num(const QJsonObject& row, const char* column) {
    return row.value(QLatin1String(column)).toVariant().toLongLong();
}
QString Text(const QJsonObject& row, const char* column) {
    const QJsonValue v = row.value(QLatin1String(column));
    return v.isNull() || v.isUndefined() ? QString() : v.toVariant().toString();
}
QString Time(const QJsonObject& row, const char* column) {
    return ClsDate::ShowTime(int(Num(row, column)), true);
}
QString Day(const QJsonObject& row) {
    return ClsDate::FormatDate(qint32(Num(row, "bookingdate")), QStringLiteral("dddd d mmmm yyyy"));
}
int Length(const QJsonObject& row) {
    return int(Num(row, "bookingend") - Num(row, "bookingstart"));
}
bool WholeDatabase(const Journal::Entry& entry) {
    return entry.action == QLatin1String("Restore") || entry.action == QLatin1String("Purge");
}
} // namespace

QList<BookingHistory::Line> BookingHistory::Lines(const Scope& scope) {
    // The index on TableName and RowId finds one appointment's entries; the
    // other scopes look into the rows the entries hold.
    const QString bookings = QStringLiteral("TableName = ") + ClsDAO::Quoted(kBookings);
    const QString where = scope.bookingId != 0 ? bookings + QStringLiteral(" and (RowId = ") +
                                                     QString::number(scope.bookingId) +
                                                     QStringLiteral(" or Action = 'Delete series')")
                          : scope.resourceId != 0
                              ? bookings
                              : bookings + QStringLiteral(" or Action = 'Restore'");
    QList<Line> lines;
    for (const Journal::Entry& entry : Journal::Read(Database::DAO(), where))
        if (InScope(entry, scope))
            lines << Describe(entry);
    return lines;
}

bool BookingHistory::InScope(const Journal::Entry& entry, const Scope& scope) {
    if (WholeDatabase(entry)) {
        const qint32 day = ClsDate::DateToLong(entry.when.toLocalTime().date());
        return scope.bookingId == 0 && scope.resourceId == 0 && day >= scope.from &&
               day <= scope.to;
    }
    if (entry.table.compare(kBookings, Qt::CaseInsensitive) != 0)
        return false;
    // A series deleted is one entry under the series' number, holding every
    // appointment of it.
    const bool series = entry.action == QLatin1String("Delete series");
    if (scope.bookingId != 0 && !series && entry.rowId != scope.bookingId)
        return false;
    for (const QJsonObject& row : Journal::Rows(entry.before) + Journal::Rows(entry.after)) {
        const qint64 day = Num(row, "bookingdate");
        if ((scope.bookingId == 0 || Num(row, "bookingid") == scope.bookingId) &&
            (scope.resourceId == 0 || Num(row, "resourceid") == scope.resourceId) &&
            day >= scope.from && day <= scope.to)
            return true;
    }
    return false;
}

BookingHistory::Line BookingHistory::Describe(const Journal::Entry& entry) {
    return {WhenText(entry.when), entry.workstation, entry.user, What(entry)};
}

QString BookingHistory::What(const Journal::Entry& entry) {
    const QJsonObject before = Journal::Rows(entry.before).value(0);
    const QJsonObject after = Journal::Rows(entry.after).value(0);
    const QString& action = entry.action;
    if (action == QLatin1String("Restore")) {
        BackupFile::Counts counts;
        counts.groups = int(Num(after, "groups"));
        counts.resources = int(Num(after, "resources"));
        counts.tasks = int(Num(after, "types"));
        counts.contacts = int(Num(after, "contacts"));
        counts.bookings = int(Num(after, "bookings"));
        return QStringLiteral("database restored from a backup: ") +
               BackupFile::DescribeCounts(counts);
    }
    if (action == QLatin1String("Purge"))
        return QStringLiteral("%1 old appointments purged").arg(Num(after, "bookings"));
    if (action == QLatin1String("Delete series"))
        return QStringLiteral("series deleted (%1 appointments)")
            .arg(Journal::Rows(entry.before).size());
    if (action == QLatin1String("New"))
        return QStringLiteral("new: ") + Appointment(after);
    if (action == QLatin1String("Delete"))
        return QStringLiteral("deleted: ") + Appointment(before);
    if (before.isEmpty() || after.isEmpty())
        return action.toLower();
    return Changes(before, after);
}

QString BookingHistory::Changes(const QJsonObject& before, const QJsonObject& after) {
    const auto differs = [&](const char* column) {
        return Num(before, column) != Num(after, column);
    };
    QStringList parts;
    const bool placed = differs("resourceid") || differs("bookingdate");
    const bool started = differs("bookingstart");
    const bool stretched = Length(before) != Length(after);
    // A move names where from and where to: the resource, the day where it
    // changed, and the start.
    if (placed || (started && !stretched)) {
        const bool days = differs("bookingdate");
        const auto where = [&](const QJsonObject& row) {
            return Name(QStringLiteral("resource"), qint32(Num(row, "resourceid"))) +
                   (days ? QStringLiteral(", ") + Day(row) : QString()) + QStringLiteral(", ") +
                   Time(row, "bookingstart");
        };
        parts << QStringLiteral("moved from ") + where(before) + QStringLiteral(" to ") +
                     where(after);
    }
    if (stretched) {
        if (placed || !started)
            parts << QStringLiteral("stretched to ") + Time(after, "bookingend");
        else if (!differs("bookingend"))
            parts << QStringLiteral("stretched to start at ") + Time(after, "bookingstart");
        else
            parts << QStringLiteral("stretched to run from ") + Time(after, "bookingstart") +
                         QStringLiteral(" to ") + Time(after, "bookingend");
    }
    const auto renamed = [&](const char* column, const QString& kind) {
        if (!differs(column))
            return;
        const auto name = [&](const QJsonObject& row) {
            const qint32 id = qint32(Num(row, column));
            return id == 0 ? QStringLiteral("none") : Name(kind, id);
        };
        parts << kind + QStringLiteral(" changed from ") + name(before) + QStringLiteral(" to ") +
                     name(after);
    };
    renamed("taskid", QStringLiteral("type"));
    renamed("customerid", QStringLiteral("contact"));
    for (const char* ref : {"ref01", "ref02", "ref03"})
        if (Text(before, ref) != Text(after, ref))
            parts << QStringLiteral("Ref%1 changed to \"%2\"")
                         .arg(QLatin1String(ref + 3), Text(after, ref));
    if (Text(before, "comments") != Text(after, "comments"))
        parts << QStringLiteral("comment changed");
    if (differs("repeatid"))
        parts << (Num(after, "repeatid") != 0 ? QStringLiteral("made part of a series")
                                              : QStringLiteral("taken out of its series"));
    return parts.isEmpty() ? QStringLiteral("changed") : parts.join(QStringLiteral("; "));
}

QString BookingHistory::Appointment(const QJsonObject& row) {
    QString text = Name(QStringLiteral("resource"), qint32(Num(row, "resourceid"))) +
                   QStringLiteral(", ") + Day(row) + QStringLiteral(", ") +
                   Time(row, "bookingstart") + QStringLiteral(" to ") + Time(row, "bookingend");
    if (const qint32 task = qint32(Num(row, "taskid")); task != 0)
        text += QStringLiteral(", ") + Name(QStringLiteral("type"), task);
    if (const qint32 contact = qint32(Num(row, "customerid")); contact != 0)
        text += QStringLiteral(", ") + Name(QStringLiteral("contact"), contact);
    return text;
}

QString BookingHistory::Appointment(qint32 bookingId) {
    StoredRow row(kBookings, QStringLiteral("BookingId"));
    if (!row.Reload(Database::DAO(), bookingId))
        return QStringLiteral("appointment %1 (deleted)").arg(bookingId);
    return Appointment(QJsonDocument::fromJson(row.Json().toUtf8()).object());
}

QString BookingHistory::Name(const QString& kind, qint32 id) {
    const QString key = kind + QString::number(id);
    if (const auto found = m_names.constFind(key); found != m_names.constEnd())
        return *found;
    const QString sql =
        kind == QLatin1String("resource")
            ? QStringLiteral("select ResourceName from tblResources where ResourceId = ")
        : kind == QLatin1String("type")
            ? QStringLiteral("select TaskName from tblTasks where TaskId = ")
            : QStringLiteral("select CustomerName from tblCustomers where CustomerId = ");
    const Recordset rs = Database::DAO().SqlQuery(sql + QString::number(id));
    QString name = kind + QLatin1Char(' ') + QString::number(id);
    if (rs.IsOpen() && rs.Eof())
        name += QStringLiteral(" (deleted)");
    else if (rs.IsOpen() && !rs.Fields(0).IsNull())
        name = rs.Fields(0).Value.toString();
    m_names.insert(key, name);
    return name;
}

QString BookingHistory::WhenText(const QDateTime& utc) {
    if (!utc.isValid())
        return QString();
    const QDateTime local = utc.toLocalTime();
    return ClsDate::FormatDate(ClsDate::DateToLong(local.date()), QStringLiteral("dd mmm yyyy")) +
           QLatin1Char(' ') +
           ClsDate::ShowTime(local.time().hour() * 60 + local.time().minute(), true);
}

QStringList BookingHistory::Headings() {
    return {QStringLiteral("When"), QStringLiteral("Workstation"), QStringLiteral("User"),
            QStringLiteral("What")};
}

QByteArray BookingHistory::Csv(const QList<Line>& lines) {
    QByteArray out;
    const auto add = [&](const QStringList& cells) {
        QStringList fields;
        for (const QString& cell : cells)
            fields << CsvExport::TextField(cell);
        out += (fields.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8();
    };
    add(Headings());
    for (const Line& line : lines)
        add({line.when, line.workstation, line.user, line.what});
    return out;
}

bool BookingHistory::WriteCsv(const QString& path, const QList<Line>& lines, QString* error) {
    return FileWriter::WriteAll(path, Csv(lines), error);
}

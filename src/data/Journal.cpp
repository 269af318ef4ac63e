#include "data/Journal.h"

#include "base/ClsIni.h"
#include "base/Settings.h"
#include "data/ClsDAO.h"
#include "data/Recordset.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>

namespace {

QJsonObject Row(const QString& json) {
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

QMap<int, Journal::Listener>& Listeners() {
    static QMap<int, Journal::Listener> listeners;
    return listeners;
}

bool g_off = false;

} // namespace

void Journal::SetOff(bool off) { g_off = off; }

bool Journal::Off() { return g_off; }

bool Journal::Append(ClsDAO& dao, const QString& action, const QString& table, qint32 rowId,
                     const QString& before, const QString& after) {
    if (g_off)
        return true;
    Entry e;
    e.when = QDateTime::currentDateTimeUtc();
    e.workstation = Workstation();
    e.user = UserName();
    e.action = action.isEmpty() ? ActionOf(table, before, after) : action;
    e.table = table;
    e.rowId = rowId;
    e.before = before;
    e.after = after;
    // Every save writes one entry: the statement is prepared once. A text
    // is bound as text even when empty (never as a null), as a literal is.
    const auto text = [](const QString& s) { return s.isNull() ? QStringLiteral("") : s; };
    const bool told = !Listeners().isEmpty();
    QVariant inserted;
    if (!dao.SqlAction(QStringLiteral("insert into tblJournal (ChangedAt, Workstation, UserName, "
                                      "Action, TableName, RowId, Before, After) values "
                                      "(?, ?, ?, ?, ?, ?, ?, ?)"),
                       {TimeText(e.when), text(e.workstation), text(e.user), text(e.action),
                        text(table), rowId, text(before), text(after)},
                       false, told ? &inserted : nullptr))
        return false;
    if (!told)
        return true;
    // Both engines tell the new row's number (the server from its sequence,
    // in this session).
    e.id = inserted.toLongLong();
    dao.AfterCommit([&dao, e] {
        // A listener may remove itself (or another) while being told.
        const QMap<int, Listener> listeners = Listeners();
        for (const Listener& listener : listeners)
            listener(dao, e);
    });
    return true;
}

QString Journal::TimeText(const QDateTime& when) {
    // Every save stamps an entry: the text is put together here, without
    // the time zone work QDateTime::toString does on the way.
    const qint64 ms = when.toMSecsSinceEpoch();
    const qint64 day = ms >= 0 ? ms / 86400000 : (ms - 86399999) / 86400000;
    const QDate date = QDate(1970, 1, 1).addDays(day);
    if (date.year() < 1000 || date.year() > 9999)
        return when.toUTC().toString(Qt::ISODateWithMs);
    const int inDay = int(ms - day * 86400000);
    char text[25];
    const auto put = [&](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            text[at + i] = char('0' + value % 10);
    };
    put(0, date.year(), 4);
    text[4] = '-';
    put(5, date.month(), 2);
    text[7] = '-';
    put(8, date.day(), 2);
    text[10] = 'T';
    put(11, inDay / 3600000, 2);
    text[13] = ':';
    put(14, inDay / 60000 % 60, 2);
    text[16] = ':';
    put(17, inDay / 1000 % 60, 2);
    text[19] = '.';
    put(20, inDay % 1000, 3);
    text[23] = 'Z';
    text[24] = 0;
    return QString::fromLatin1(text, 24);
}

int Journal::AddListener(Listener listener) {
    QMap<int, Listener>& listeners = Listeners();
    const int key = listeners.isEmpty() ? 1 : listeners.lastKey() + 1;
    listeners.insert(key, std::move(listener));
    return key;
}

void Journal::RemoveListener(int key) {
    Listeners().remove(key);
}

bool Journal::Purged(ClsDAO& dao, int bookings, const QDateTime& before) {
    const QJsonObject counts{{QStringLiteral("bookings"), bookings}};
    return Append(dao, QStringLiteral("Purge"), QStringLiteral("tblBookings"), 0, {},
                  QString::fromUtf8(QJsonDocument(counts).toJson(QJsonDocument::Compact))) &&
           dao.SqlAction(QStringLiteral("delete from tblJournal where ChangedAt < ") +
                         ClsDAO::Quoted(TimeText(before)));
}

QList<Journal::Entry> Journal::Read(ClsDAO& dao, const QString& where, int limit) {
    QList<Entry> entries;
    Recordset rs = dao.SqlQuery(
        QStringLiteral("select JournalId, ChangedAt, Workstation, UserName, Action, TableName, "
                       "RowId, Before, After from tblJournal") +
        (where.isEmpty() ? QString() : QStringLiteral(" where ") + where) +
        QStringLiteral(" order by JournalId desc") +
        (limit > 0 ? QStringLiteral(" limit ") + QString::number(limit) : QString()));
    for (; rs.IsOpen() && !rs.Eof(); rs.MoveNext()) {
        const auto text = [&](int i) {
            return rs.Fields(i).IsNull() ? QString() : rs.Fields(i).Value.toString();
        };
        Entry e;
        e.id = rs.Fields(0).Value.toLongLong();
        e.when = QDateTime::fromString(text(1), Qt::ISODateWithMs);
        e.workstation = text(2);
        e.user = text(3);
        e.action = text(4);
        e.table = text(5);
        e.rowId = qint32(rs.Fields(6).Value.toLongLong());
        e.before = text(7);
        e.after = text(8);
        entries << e;
    }
    return entries;
}

QList<QJsonObject> Journal::Rows(const QString& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8());
    if (doc.isObject())
        return {doc.object()};
    QList<QJsonObject> rows;
    for (const QJsonValue& v : doc.array())
        rows << v.toObject();
    return rows;
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
    // Every save asks, and a save should cost no file access: the name is
    // taken again when this program wrote its settings, and otherwise the
    // file is looked at no more than once a second (another program on this
    // computer may have changed it). It is read again only when it changed,
    // or changed so lately that a file system keeping whole seconds could
    // not tell a second change.
    static QString file;
    static quint64 writes = 0;
    static QElapsedTimer sinceLooked;
    static QDateTime stamp;
    static QString name;
    const QString path = Settings::Ini().IniFile();
    const bool wrote = path != file || writes != ClsIni::Writes();
    if (wrote || !sinceLooked.isValid() || sinceLooked.hasExpired(1000)) {
        const QDateTime modified = QFileInfo(path).lastModified();
        if (wrote || modified != stamp || !modified.isValid() ||
            modified.secsTo(QDateTime::currentDateTime()) < 2) {
            file = path;
            writes = ClsIni::Writes();
            stamp = modified;
            name = Settings::Ini()
                       .GetValue(QStringLiteral("Config"), QStringLiteral("Workstation"), QString())
                       .trimmed();
            if (name.isEmpty())
                name = QSysInfo::machineHostName();
        }
        sinceLooked.start();
    }
    return name;
}

QString Journal::UserName() {
    // The login name does not change while the program runs.
    static const QString name = [] {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name)
            return QString::fromLocal8Bit(pw->pw_name);
        return qEnvironmentVariable("USER");
    }();
    return name;
}

#include "transfer/BackupFile.h"

#include "base/ErrorLog.h"
#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "base/FileWriter.h"
#include "base/ProgramFolder.h"
#include "base/ProgramState.h"
#include "base/StatusPanel.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/DbTransaction.h"
#include "data/Journal.h"
#include "model/ClsBooking.h"
#include "model/ClsCustomer.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "model/ClsResource.h"
#include "model/ClsTask.h"
#include "model/GroupLimits.h"
#include "model/RecordValue.h"
#include "model/Records.h"
#include "transfer/IcsExport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <memory>
#include <poll.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QChar kSeparator = QLatin1Char('~');
constexpr QChar kEscape = QChar(0x10); // DLE
const QString kTask = QStringLiteral("Task");
const QString kPerson = QStringLiteral("Person");
// How long a restore waits for a program to write into a pipe.
constexpr int kPipeWaitMs = 3000;
// How many refused lines a message lists.
constexpr int kShownProblems = 20;

QString Num(qint64 v) {
    return QString::number(v);
}

// Column values of a snapshot row as the backup writes them: a missing text
// is an empty text and a missing number 0, so that every row can be written
// and read back.
QString TextOf(const Recordset& rs, const QString& column) {
    const FieldValue f = rs.Fields(column);
    return f.IsNull() ? QString() : f.Value.toString();
}

QString NumberOf(const Recordset& rs, const QString& column) {
    const FieldValue f = rs.Fields(column);
    return f.IsNull() ? QStringLiteral("0") : Num(f.Value.toLongLong());
}

qint32 IdOf(const Recordset& rs, const QString& column) {
    const FieldValue f = rs.Fields(column);
    return f.IsNull() ? 0 : qint32(f.Value.toLongLong());
}

// A text for a one-line message: control characters (a carriage return in
// a field) become blanks.
QString OneLine(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return text;
}

// Writes the lines of a backup, group by group, from one snapshot of the
// database, and ends them with the closing line that counts the records.
//
// Names stand for records, and names of one group may differ only in letter
// case or not at all ("Room 1" and "ROOM 1", two contacts "Alice Thornton"),
// and a name may be empty. Each appointment is preceded by a reference line
// "K" that gives its resource, appointment type and contact by their places
// among the group's "R", "T" and "C" lines (1 for the first, 0 for none),
// and its identifier. The file starts with a header line "H" and ends with
// the closing line "E"; older versions skip "H", "K" and "E" lines as lines
// of an unknown kind.
class BackupWriter {
public:
    using FailFn = std::function<void(const QString&)>;

    BackupWriter(QByteArray& out, ClsDAO& dao, BackupFile::Counts& counts, QStringList& warnings,
                 FailFn fail)
        : m_out(out), m_dao(dao), m_counts(counts), m_warnings(warnings), m_fail(std::move(fail)) {}

    void Run() {
        // The header carries the database's calendar identity, so that a
        // restore keeps every booking's calendar UID.
        QStringList header{QStringLiteral("H"), QStringLiteral("Tarvelo backup"),
                           QStringLiteral("1")};
        const QString calendarId = IcsExport::StoredCalendarId();
        if (!calendarId.isEmpty())
            header << calendarId;
        Write(header);
        Recordset groups = Query(
            QStringLiteral("select GroupId, GroupName, DayStart, DayEnd, Interval from tblGroups "
                           "order by GroupName"));
        while (!groups.Eof()) {
            Pump();
            const QString id = NumberOf(groups, QStringLiteral("GroupId"));
            m_groupName = TextOf(groups, QStringLiteral("GroupName"));
            StatusPanel::Show(kTask, m_groupName);
            Write({QStringLiteral("G"), BackupFile::EncodeText(m_groupName),
                   NumberOf(groups, QStringLiteral("DayStart")),
                   NumberOf(groups, QStringLiteral("DayEnd")),
                   NumberOf(groups, QStringLiteral("Interval"))});
            ++m_counts.groups;
            WriteResources(id);
            WriteTasks(id);
            WriteContacts(id);
            WriteBookings(id);
            groups.MoveNext();
        }
        Write({QStringLiteral("E"), Num(m_counts.groups), Num(m_counts.resources),
               Num(m_counts.tasks), Num(m_counts.contacts), Num(m_counts.bookings)});
    }

private:
    // The records of one group that appointments refer to: by identifier,
    // their place among the group's lines and their name.
    struct Record {
        int place = 0;
        QString name;
    };
    // The records of one kind in the current group, and their names that
    // are not unique (case folded).
    struct RecordIndex {
        QHash<qint32, Record> byId;
        QHash<QString, QString> firstName; // by case-folded name
        QSet<QString> ambiguous;
        void Clear() { *this = RecordIndex(); }
    };

    Recordset Query(const QString& sql) {
        Recordset rs = m_dao.SqlQuery(sql);
        if (!rs.IsOpen())
            m_fail(QStringLiteral("the database could not be read (%1)").arg(m_dao.LastFailure()));
        return rs;
    }

    // Notes the record and its place; warns once per name that the group
    // holds twice, letter case aside.
    void Add(RecordIndex& records, qint32 id, const QString& name, const char* what) {
        records.byId.insert(id, Record{int(records.byId.size()) + 1, name});
        const QString key = name.toCaseFolded();
        const auto first = records.firstName.constFind(key);
        if (first == records.firstName.constEnd()) {
            records.firstName.insert(key, name);
        } else if (!records.ambiguous.contains(key)) {
            records.ambiguous.insert(key);
            m_warnings << QStringLiteral("Group \"%1\": the %2 \"%3\" and \"%4\" differ only in "
                                         "letter case or not at all. This backup restores each "
                                         "appointment to its own; older versions of the program "
                                         "give them all to one.")
                              .arg(OneLine(m_groupName), QString::fromLatin1(what),
                                   OneLine(first.value()), OneLine(name));
        }
    }

    void WriteResources(const QString& groupId) {
        m_resources.Clear();
        Recordset rs = Query(
            QStringLiteral("select ResourceId, ResourceName, MinTime, MaxTime, InitTime from "
                           "tblResources where ") +
            QStringLiteral("GroupId = ") + groupId + QStringLiteral(" order by ResourceName"));
        for (; !rs.Eof(); rs.MoveNext()) {
            Pump();
            const QString name = TextOf(rs, QStringLiteral("ResourceName"));
            StatusPanel::Show(kPerson, name);
            Write({QStringLiteral("R"), BackupFile::EncodeText(name),
                   NumberOf(rs, QStringLiteral("MinTime")), NumberOf(rs, QStringLiteral("MaxTime")),
                   NumberOf(rs, QStringLiteral("InitTime"))});
            ++m_counts.resources;
            Add(m_resources, IdOf(rs, QStringLiteral("ResourceId")), name, "resources");
        }
    }

    void WriteTasks(const QString& groupId) {
        m_tasks.Clear();
        Recordset rs =
            Query(QStringLiteral("select TaskId, TaskName, MinTime, MaxTime, InitTime, Colour from "
                                 "tblTasks where ") +
                  QStringLiteral("GroupId = ") + groupId + QStringLiteral(" order by TaskName"));
        for (; !rs.Eof(); rs.MoveNext()) {
            Pump();
            const QString name = TextOf(rs, QStringLiteral("TaskName"));
            StatusPanel::Show(kPerson, name);
            Write({QStringLiteral("T"), BackupFile::EncodeText(name),
                   NumberOf(rs, QStringLiteral("MinTime")), NumberOf(rs, QStringLiteral("MaxTime")),
                   NumberOf(rs, QStringLiteral("InitTime")),
                   NumberOf(rs, QStringLiteral("Colour"))});
            ++m_counts.tasks;
            Add(m_tasks, IdOf(rs, QStringLiteral("TaskId")), name, "appointment types");
        }
    }

    void WriteContacts(const QString& groupId) {
        m_contacts.Clear();
        Recordset rs =
            Query(QStringLiteral("select CustomerId, CustomerName, Ref01, Ref02, Ref03 from "
                                 "tblCustomers where ") +
                  QStringLiteral("CustomerId in (select CustomerId from tblCustomerGroups where ") +
                  QStringLiteral("GroupId = ") + groupId + QLatin1Char(')'));
        for (; !rs.Eof(); rs.MoveNext()) {
            Pump();
            const QString name = TextOf(rs, QStringLiteral("CustomerName"));
            StatusPanel::Show(kPerson, name);
            Write({QStringLiteral("C"), BackupFile::EncodeText(name),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Ref01"))),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Ref02"))),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Ref03")))});
            ++m_counts.contacts;
            Add(m_contacts, IdOf(rs, QStringLiteral("CustomerId")), name, "contacts");
        }
    }

    void WriteBookings(const QString& groupId) {
        // The contact's name comes with each row: a contact that is not
        // linked to the group is written by name as before (the restore
        // stores such a booking without a contact and says so); a booking
        // without a contact has contact 0, which names no row.
        Recordset rs =
            Query(QStringLiteral(
                      "select BookingId, ResourceId, TaskId, CustomerId, (select CustomerName from "
                      "tblCustomers where CustomerId = tblBookings.CustomerId) as "
                      "CustomerName, BookingDate, BookingStart, BookingEnd, Ref01, Ref02, "
                      "Ref03, Comments from tblBookings where ") +
                  QStringLiteral("ResourceId in (select ResourceId from tblResources where ") +
                  QStringLiteral("GroupId = ") + groupId +
                  QStringLiteral(") order by BookingDate, BookingStart"));
        int withoutType = 0;
        int withoutContact = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            Pump();
            const FieldValue date = rs.Fields(QStringLiteral("BookingDate"));
            if (!date.IsNull())
                StatusPanel::Show(kPerson, ClsDate::FormatDate(date.Value.toInt(),
                                                               QStringLiteral("d mmmm yyyy")));
            const Record resource = m_resources.byId.value(IdOf(rs, QStringLiteral("ResourceId")));
            // A type that is gone, or one of another group, cannot be named
            // within this group: the booking is written without one.
            const Record task = m_tasks.byId.value(IdOf(rs, QStringLiteral("TaskId")));
            if (task.place == 0 && IdOf(rs, QStringLiteral("TaskId")) != 0)
                ++withoutType;
            const Record contact = m_contacts.byId.value(IdOf(rs, QStringLiteral("CustomerId")));
            const QString contactName =
                contact.place != 0 ? contact.name : TextOf(rs, QStringLiteral("CustomerName"));
            // A contact not linked to the group cannot be given by its place:
            // the reference line says "none", so that a namesake of the group
            // does not take the booking.
            const bool lostContact = contact.place == 0 && !contactName.isEmpty();
            if (lostContact)
                ++withoutContact;
            // Every appointment has its reference line: it finds the records
            // again whatever their names, and carries the appointment's
            // identifier, which its calendar UID is made of.
            Write({QStringLiteral("K"), Num(resource.place), Num(task.place), Num(contact.place),
                   NumberOf(rs, QStringLiteral("BookingId"))});
            Write({QStringLiteral("A"), BackupFile::EncodeText(resource.name),
                   BackupFile::EncodeText(task.name), BackupFile::EncodeText(contactName),
                   NumberOf(rs, QStringLiteral("BookingDate")),
                   NumberOf(rs, QStringLiteral("BookingStart")),
                   NumberOf(rs, QStringLiteral("BookingEnd")),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Ref01"))),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Ref02"))),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Ref03"))),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Comments")))});
            ++m_counts.bookings;
        }
        if (withoutType > 0)
            m_warnings << QStringLiteral("Group \"%1\": %2 appointments have no appointment type "
                                         "of this group and were written without one.")
                              .arg(OneLine(m_groupName), QString::number(withoutType));
        if (withoutContact > 0)
            m_warnings << QStringLiteral("Group \"%1\": %2 appointments have a contact that is not "
                                         "linked to this group and were written without one.")
                              .arg(OneLine(m_groupName), QString::number(withoutContact));
    }

    // Lets window events run. Should they close the program, the database
    // is gone and the backup ends here.
    void Pump() {
        EventPump::Run();
        if (!ProgramState::IsRunning())
            m_fail(QStringLiteral("the program was closed during the backup"));
    }

    void Write(const QStringList& fields) {
        m_out += fields.join(kSeparator).toUtf8();
        m_out += "\r\n";
    }

    QByteArray& m_out;
    ClsDAO& m_dao;
    BackupFile::Counts& m_counts;
    QStringList& m_warnings;
    FailFn m_fail;
    QString m_groupName;
    RecordIndex m_resources;
    RecordIndex m_tasks;
    RecordIndex m_contacts;
};

// Loads the lines of a backup file into the emptied database. Each method
// returns an empty text when its line was taken, otherwise the reason.
//
// Without a database (dao null) it only reads: every line is tested as a
// restore would test it, and nothing is stored, so that a backup can be
// read back before it replaces an earlier one.
class Restorer {
public:
    Restorer(ClsDAO* dao, bool addAppointments, BackupFile::Counts& counts)
        : m_dao(dao), m_addAppointments(addAppointments), m_counts(counts) {}

    // After the last line: empty when the file as a whole is a backup,
    // otherwise the reason; line takes the line it concerns (0: the file).
    QString Finish(int* line) const {
        *line = m_pendingLine;
        if (m_pendingLine > 0)
            return QStringLiteral("the reference line is not followed by its appointment");
        *line = 0;
        // A file that starts with a header is written with its closing line:
        // without it, the file was cut short and holds only part of a backup.
        if (m_headed && !m_ended)
            return QStringLiteral("the file ends before its closing line: it was cut short and "
                                  "holds only part of a backup");
        // Nothing to restore is no backup of an empty database: that one
        // holds its closing line.
        if (!m_sawRecord && !m_ended)
            return QStringLiteral("it holds no backup record: this is not a backup file");
        return {};
    }

    QString Line(const QString& line, int lineNo) {
        m_fields.clear();
        if (line.isEmpty())
            return {};
        if (line.contains(QChar(0)))
            return QStringLiteral("the line holds binary data: this is not a backup file");
        if (m_ended)
            return QStringLiteral("a line after the closing line: the file holds more than one "
                                  "backup, or was changed");
        m_fields = line.split(kSeparator);
        // The kind is the first field, one letter; anything else (a note
        // whose line happens to start with a record's letter) is skipped, as
        // are lines of kinds this version does not know.
        const QString kind = m_fields.first();
        const QChar letter = kind.size() == 1 ? kind.at(0) : QChar();
        if (m_pendingLine > 0 && letter != QLatin1Char('A')) {
            const int pending = m_pendingLine;
            m_pendingLine = 0;
            return QStringLiteral("the reference line %1 is not followed by its appointment")
                .arg(pending);
        }
        const bool needsGroup = QStringLiteral("RTCAK").contains(letter) && !letter.isNull();
        if (needsGroup && !m_inGroup)
            return QStringLiteral("a \"%1\" line before the first group line").arg(letter);
        switch (letter.unicode()) {
        case 'G':
            return Group();
        case 'R':
            return Resource();
        case 'T':
            return Task();
        case 'C':
            return Contact();
        case 'K':
            return References(lineNo);
        case 'A':
            m_sawRecord = true;
            ++m_inFile.bookings;
            m_pendingLine = 0;
            if (!m_addAppointments)
                ClearPending();
            return m_addAppointments ? Booking() : QString();
        case 'E':
            return Closing();
        case 'H':
            return Header();
        default:
            return {};
        }
    }

    // What the line just read holds, for a message that lists refused lines
    // without the file at hand: its group and record.
    QString Subject() const {
        const QChar letter = m_fields.value(0).size() == 1 ? m_fields.value(0).at(0) : QChar();
        const QString group = QStringLiteral("group \"%1\"").arg(OneLine(m_groupName.left(40)));
        const auto named = [&](const char* what) {
            return group + QStringLiteral(", %1 \"%2\"")
                               .arg(QString::fromLatin1(what), OneLine(Text(2).left(40)));
        };
        switch (letter.unicode()) {
        case 'G':
            return QStringLiteral("group \"%1\"").arg(OneLine(Text(2).left(40)));
        case 'R':
            return named("resource");
        case 'T':
            return named("appointment type");
        case 'C':
            return named("contact");
        case 'K':
            return group + QStringLiteral(", a reference line");
        case 'A': {
            bool ok = false;
            const qint32 date = m_fields.value(4).toInt(&ok);
            const bool shown = ok && date >= ClsDate::FirstDay && date <= ClsDate::LastDay;
            return named("appointment of") +
                   QStringLiteral(" on %1 at %2")
                       .arg(shown ? ClsDate::FormatDate(date, QStringLiteral("d mmmm yyyy"))
                                  : OneLine(m_fields.value(4).left(20)),
                            OneLine(m_fields.value(5).left(20)));
        }
        default:
            return QStringLiteral("the file");
        }
    }

    // The identity of the calendar the file's appointments belong to, as
    // its header gives it; empty for a file without one.
    QString CalendarId() const { return m_calendarId; }

private:
    bool Checking() const { return m_dao == nullptr; }
    QString Text(int n) const { return BackupFile::DecodeText(m_fields.value(n - 1)); }
    void ClearPending() { m_pending[0] = m_pending[1] = m_pending[2] = m_pendingId = 0; }

    // Field n as a whole number within min to max; on failure the reason is
    // stored in m_error (the first one of the line).
    qint64 Whole(int n, const char* what, qint64 min, qint64 max) {
        const QString text = m_fields.value(n - 1);
        static const QRegularExpression digits(QStringLiteral("^-?[0-9]{1,12}$"));
        if (!digits.match(text).hasMatch()) {
            Error(QStringLiteral("%1 (field %2) is \"%3\", not a whole number")
                      .arg(QString::fromLatin1(what))
                      .arg(n)
                      .arg(OneLine(text.left(40))));
            return 0;
        }
        const qint64 value = text.toLongLong();
        if (value < min || value > max)
            Error(QStringLiteral("%1 (field %2) is %3, outside %4 to %5")
                      .arg(QString::fromLatin1(what))
                      .arg(n)
                      .arg(value)
                      .arg(min)
                      .arg(max));
        return value;
    }
    qint16 Minutes(int n, const char* what, qint64 min = 0) {
        return qint16(Whole(n, what, min, GroupLimits::DayMinutes));
    }
    void Error(const QString& reason) {
        if (m_error.isEmpty())
            m_error = reason;
    }
    QString Stored(const char* what) const {
        return QStringLiteral("the %1 could not be stored (%2)")
            .arg(QString::fromLatin1(what), m_dao->LastFailure());
    }
    // A record of kind 0 (resource), 1 (type) or 2 (contact) taken: its
    // place, and its name for a read without a database.
    void Taken(int kind, qint32 id, const QString& name) {
        m_places[kind] << Place{id, name};
        m_byName[kind].clear();
        if (Checking() && !m_names[kind].contains(name.toCaseFolded()))
            m_names[kind].insert(name.toCaseFolded(), id);
    }

    QString Header() {
        // The first line of a file of this version; anywhere else it is the
        // start of another backup run into this one. Any other "H" line is
        // of a kind this version does not know.
        if (Text(2) != QStringLiteral("Tarvelo backup"))
            return {};
        if (m_headed || m_sawRecord)
            return QStringLiteral("a header line inside the file: the file holds more than "
                                  "one backup, or was changed");
        m_headed = true;
        // A calendar identity that is not one is ignored: the database's own
        // one stays.
        if (IcsExport::IsCalendarId(Text(4)))
            m_calendarId = Text(4);
        return {};
    }

    QString Group() {
        m_sawRecord = true;
        m_inGroup = true;
        ++m_inFile.groups;
        for (int kind = 0; kind < 3; ++kind) {
            m_byName[kind].clear();
            m_names[kind].clear();
            m_places[kind].clear();
        }
        m_groupName = Text(2);
        m_error.clear();
        const qint16 start = Minutes(3, "DayStart");
        const qint16 end = Minutes(4, "DayEnd");
        const qint16 interval = Minutes(5, "Interval", GroupLimits::MinInterval);
        if (m_error.isEmpty() && start > end)
            Error(QStringLiteral("DayStart (field 3) is %1, after DayEnd (field 4) %2")
                      .arg(start)
                      .arg(end));
        if (!m_error.isEmpty())
            return m_error;
        if (!Checking()) {
            ClsGroup& g = Records::Group();
            g.InitBfr();
            g.SetGroupName(m_groupName);
            StatusPanel::Show(kTask, g.GroupName());
            g.SetDayStart(start);
            g.SetDayEnd(end);
            g.SetInterval(interval);
            if (g.Save() == 0)
                return Stored("group");
        }
        ++m_counts.groups;
        return {};
    }

    QString Resource() {
        m_sawRecord = true;
        ++m_inFile.resources;
        m_error.clear();
        const qint16 minTime = Minutes(3, "MinTime");
        const qint16 maxTime = Minutes(4, "MaxTime");
        const qint16 initTime = Minutes(5, "InitTime");
        qint32 id = m_places[0].size() + 1;
        // Read without a database, a refused record still takes its place:
        // its appointments are not refused again for it.
        if (!m_error.isEmpty() && Checking())
            Taken(0, id, Text(2));
        if (!m_error.isEmpty())
            return m_error;
        if (!Checking()) {
            ClsResource& r = Records::Resource();
            r.InitBfr();
            r.SetGroupId(Records::Group().GroupId());
            r.SetResourceName(Text(2));
            StatusPanel::Show(kPerson, r.ResourceName());
            r.SetMinTime(minTime);
            r.SetMaxTime(maxTime);
            r.SetInitTime(initTime);
            if ((id = r.Save()) == 0)
                return Stored("resource");
        }
        Taken(0, id, Text(2));
        ++m_counts.resources;
        return {};
    }

    QString Task() {
        m_sawRecord = true;
        ++m_inFile.tasks;
        m_error.clear();
        // An appointment type's lengths may exceed a day: its window lets
        // them grow to the largest length a record holds.
        const qint64 longest = std::numeric_limits<qint16>::max();
        const qint16 minTime = qint16(Whole(3, "MinTime", 0, longest));
        const qint16 maxTime = qint16(Whole(4, "MaxTime", 0, longest));
        const qint16 initTime = qint16(Whole(5, "InitTime", 0, longest));
        const qint32 colour = qint32(Whole(6, "Colour", std::numeric_limits<qint32>::min(),
                                           std::numeric_limits<qint32>::max()));
        qint32 id = m_places[1].size() + 1;
        if (!m_error.isEmpty() && Checking())
            Taken(1, id, Text(2));
        if (!m_error.isEmpty())
            return m_error;
        if (!Checking()) {
            ClsTask& t = Records::Task();
            t.InitBfr();
            t.SetGroupId(Records::Group().GroupId());
            t.SetTaskName(Text(2));
            StatusPanel::Show(kPerson, t.TaskName());
            t.SetMinTime(minTime);
            t.SetMaxTime(maxTime);
            t.SetInitTime(initTime);
            t.SetColour(colour);
            if ((id = t.Save()) == 0)
                return Stored("appointment type");
        }
        Taken(1, id, Text(2));
        ++m_counts.tasks;
        return {};
    }

    QString Contact() {
        m_sawRecord = true;
        ++m_inFile.contacts;
        qint32 id = m_places[2].size() + 1;
        if (!Checking()) {
            ClsCustomer& c = Records::Customer();
            c.InitBfr();
            c.SetCustomerName(Text(2));
            StatusPanel::Show(kPerson, c.CustomerName());
            c.SetRef01(Text(3));
            c.SetRef02(Text(4));
            c.SetRef03(Text(5));
            if ((id = c.Save()) == 0)
                return Stored("contact");
            // Each "C" line is a contact of its own, linked to the current group.
            if (!m_dao->SqlAction(
                    QStringLiteral("insert into tblCustomerGroups (GroupId, CustomerId) values (") +
                    Num(Records::Group().GroupId()) + QStringLiteral(", ") + Num(id) +
                    QLatin1Char(')')))
                return QStringLiteral("the contact could not be linked to its group (%1)")
                    .arg(m_dao->LastFailure());
        }
        Taken(2, id, Text(2));
        ++m_counts.contacts;
        return {};
    }

    // "K": the next appointment's resource, appointment type and contact by
    // their places among the group's lines, and the appointment's own
    // identifier when the line gives one.
    QString References(int lineNo) {
        m_error.clear();
        const char* what[] = {"resource", "appointment type", "contact"};
        for (int i = 0; i < 3; ++i)
            m_pending[i] = int(Whole(i + 2, what[i], i == 0 ? 1 : 0, m_places[i].size()));
        if (!m_error.isEmpty()) {
            ClearPending();
            return m_error + QStringLiteral(" of this group's lines");
        }
        if (m_fields.size() >= 5)
            m_pendingId = qint32(Whole(5, "BookingId", 1, std::numeric_limits<qint32>::max()));
        if (!m_error.isEmpty()) {
            ClearPending();
            return m_error;
        }
        m_pendingLine = lineNo;
        return {};
    }

    // "E": the closing line counts the records of each kind in the file.
    QString Closing() {
        m_error.clear();
        const int inFile[] = {m_inFile.groups, m_inFile.resources, m_inFile.tasks,
                              m_inFile.contacts, m_inFile.bookings};
        const char* names[] = {"groups", "resources", "appointment types", "contacts",
                               "appointments"};
        qint64 counted[5];
        for (int i = 0; i < 5; ++i)
            counted[i] = Whole(i + 2, names[i], 0, std::numeric_limits<qint32>::max());
        if (!m_error.isEmpty())
            return m_error;
        for (int i = 0; i < 5; ++i)
            if (counted[i] != inFile[i])
                return QStringLiteral("the closing line does not match: it counts %1 %2, the file "
                                      "holds %3")
                    .arg(counted[i])
                    .arg(QString::fromLatin1(names[i]))
                    .arg(inFile[i]);
        m_ended = true;
        return {};
    }

    // The identifier that a name of kind 0 (resource), 1 (type) or 2
    // (contact) stands for in the current group; 0 when there is none.
    // The database is asked through the record's LoadByName, once per name:
    // the tables do not change between two "R", "T" or "C" lines.
    qint32 ByName(int kind, const QString& name) {
        if (name.isEmpty())
            return 0;
        if (Checking())
            return m_names[kind].value(name.toCaseFolded());
        const auto it = m_byName[kind].constFind(name);
        if (it != m_byName[kind].constEnd())
            return it.value();
        const qint32 groupId = Records::Group().GroupId();
        qint32 id = 0;
        if (kind == 0 && Records::Resource().LoadByName(name, groupId))
            id = Records::Resource().ResourceId();
        else if (kind == 1 && Records::Task().LoadByName(name, groupId))
            id = Records::Task().TaskId();
        else if (kind == 2 && Records::Customer().LoadByName(name, groupId))
            id = Records::Customer().CustomerId();
        m_byName[kind].insert(name, id);
        return id;
    }

    // The record at a place given by a reference line, checked against the
    // name the appointment gives (letter case aside); 0 for place 0.
    QString ByPlace(int kind, int place, const QString& name, qint32* id) const {
        *id = 0;
        if (place == 0)
            return {};
        const Place& p = m_places[kind].at(place - 1);
        if (p.name.compare(name, Qt::CaseInsensitive) != 0)
            return QStringLiteral("the appointment names \"%1\", its reference line \"%2\"")
                .arg(OneLine(name.left(40)), OneLine(p.name.left(40)));
        *id = p.id;
        return {};
    }

    QString Booking() {
        const QString resourceName = Text(2);
        const QString taskName = Text(3);
        const QString contactName = Text(4);
        qint32 resourceId = 0;
        qint32 taskId = 0;
        qint32 customerId = 0;
        qint32 bookingId = m_pendingId;
        if (m_pending[0] > 0) {
            QString why = ByPlace(0, m_pending[0], resourceName, &resourceId);
            if (why.isEmpty())
                why = ByPlace(1, m_pending[1], taskName, &taskId);
            if (why.isEmpty())
                why = ByPlace(2, m_pending[2], contactName, &customerId);
            ClearPending();
            if (!why.isEmpty())
                return why;
        } else {
            // An empty type is how a backup writes a booking whose type was
            // gone: it stays without one.
            resourceId = ByName(0, resourceName);
            taskId = ByName(1, taskName);
            customerId = ByName(2, contactName);
        }
        // A booking of a resource or type that is not in the file would
        // belong nowhere and vanish; one whose contact is missing keeps
        // everything else and is counted.
        if (resourceId == 0)
            return QStringLiteral("the resource \"%1\" is not in this group of the file")
                .arg(OneLine(resourceName.left(40)));
        if (taskId == 0 && !taskName.isEmpty())
            return QStringLiteral("the appointment type \"%1\" is not in this group of the file")
                .arg(OneLine(taskName.left(40)));
        m_error.clear();
        // The dates the program can show and print: 1900 to 9999.
        const qint64 date = Whole(5, "BookingDate", std::numeric_limits<qint32>::min(),
                                  std::numeric_limits<qint32>::max());
        if (m_error.isEmpty() && date < ClsDate::FirstDay)
            Error(QStringLiteral("BookingDate (field 5) is %1, before 1 January 1900").arg(date));
        if (m_error.isEmpty() && date > ClsDate::LastDay)
            Error(QStringLiteral("BookingDate (field 5) is %1, after 31 December 9999").arg(date));
        const qint16 start = Minutes(6, "BookingStart");
        const qint16 end = Minutes(7, "BookingEnd");
        if (m_error.isEmpty() && end <= start)
            Error(QStringLiteral("BookingEnd (field 7) is %1, not after BookingStart (field 6) %2")
                      .arg(end)
                      .arg(start));
        if (!m_error.isEmpty())
            return m_error;
        if (customerId == 0 && !contactName.isEmpty())
            ++m_counts.withoutContact;
        if (taskId == 0)
            ++m_counts.withoutType;
        // An identifier given twice (a file put together by hand) is used
        // once; the second appointment gets a new one.
        if (bookingId > 0 && m_usedIds.contains(bookingId))
            bookingId = 0;
        if (bookingId > 0)
            m_usedIds.insert(bookingId);
        if (Checking()) {
            ++m_counts.bookings;
            return {};
        }
        StatusPanel::Show(kPerson,
                          ClsDate::FormatDate(qint32(date), QStringLiteral("d mmmm yyyy")));
        // Stored as it stands in the file, without the clash test of a new
        // booking: a restore brings back every booking that was backed up,
        // also one that overlaps another (a moved booking). The identifier
        // the booking had keeps its calendar UID.
        const QString sql =
            QStringLiteral("insert into tblBookings (") +
            (bookingId > 0 ? QStringLiteral("BookingId, ") : QString()) +
            QStringLiteral("TaskId, BookingDate, BookingStart, BookingEnd, CustomerId, RepeatId, "
                           "ResourceId, Ref01, Ref02, Ref03, Comments) values (") +
            (bookingId > 0 ? Num(bookingId) + QStringLiteral(", ") : QString()) + Num(taskId) +
            QStringLiteral(", ") + Num(date) + QStringLiteral(", ") + Num(start) +
            QStringLiteral(", ") + Num(end) + QStringLiteral(", ") + Num(customerId) +
            QStringLiteral(", 0, ") + Num(resourceId) + QStringLiteral(", ") +
            ClsDAO::Quoted(Text(8)) + QStringLiteral(", ") + ClsDAO::Quoted(Text(9)) +
            QStringLiteral(", ") + ClsDAO::Quoted(Text(10)) + QStringLiteral(", ") +
            ClsDAO::Quoted(Text(11)) + QLatin1Char(')');
        if (!m_dao->SqlAction(sql))
            return Stored("appointment");
        ++m_counts.bookings;
        return {};
    }

    struct Place {
        qint32 id = 0;
        QString name;
    };

    ClsDAO* m_dao;
    bool m_addAppointments;
    BackupFile::Counts& m_counts;
    BackupFile::Counts m_inFile; // the lines of each kind read so far
    QStringList m_fields;
    QString m_error;
    QString m_groupName;
    QString m_calendarId;
    bool m_sawRecord = false;
    bool m_inGroup = false;
    bool m_ended = false;
    bool m_headed = false;
    // The group's resources, appointment types and contacts in file order.
    QList<Place> m_places[3];
    // A reference line waiting for its appointment: its line, places and
    // the appointment's identifier.
    int m_pendingLine = 0;
    int m_pending[3] = {0, 0, 0};
    qint32 m_pendingId = 0;
    QSet<qint32> m_usedIds;
    // Names looked up in the database (by the exact name), and without one
    // the group's names so far (case folded).
    QHash<QString, qint32> m_byName[3];
    QHash<QString, qint32> m_names[3];
};

// One line of the file as text: without its line end, UTF-8 where it is
// valid UTF-8 and Latin-1 otherwise.
QString DecodeLine(QByteArray raw, bool first) {
    if (raw.endsWith('\n'))
        raw.chop(1);
    if (raw.endsWith('\r'))
        raw.chop(1);
    if (first && raw.startsWith("\xEF\xBB\xBF"))
        raw.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(raw);
    if (utf8.hasError())
        text = QString::fromLatin1(raw);
    return text;
}

const char* const kEmptyTables[] = {
    "delete from tblBookings", "delete from tblCustomerGroups", "delete from tblCustomers",
    "delete from tblGroups",   "delete from tblRepeats",        "delete from tblResources",
    "delete from tblTasks",
};

} // namespace

QString BackupFile::GetField(const QString& line, int n) {
    if (n <= 0)
        return {};
    return line.split(kSeparator).value(n - 1);
}

QString BackupFile::EncodeText(const QString& text) {
    const auto special = [](QChar c) {
        return c == kSeparator || c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == kEscape;
    };
    if (std::none_of(text.begin(), text.end(), special))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (!special(c)) {
            out += c;
            continue;
        }
        out += kEscape;
        if (c == kSeparator)
            out += QLatin1Char('T');
        else if (c == QLatin1Char('\r'))
            out += QLatin1Char('R');
        else if (c == QLatin1Char('\n'))
            out += QLatin1Char('N');
        else
            out += QLatin1Char('D');
    }
    return out;
}

QString BackupFile::DecodeText(const QString& field) {
    if (!field.contains(kEscape))
        return field;
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c != kEscape || i + 1 >= field.size()) {
            out += c;
            continue;
        }
        // An escape character followed by anything else stands for itself.
        switch (field.at(i + 1).unicode()) {
        case 'T':
            out += kSeparator;
            break;
        case 'R':
            out += QLatin1Char('\r');
            break;
        case 'N':
            out += QLatin1Char('\n');
            break;
        case 'D':
            out += kEscape;
            break;
        default:
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

QString BackupFile::BackupFolder() {
    return ProgramFolder::FilePath(QStringLiteral("Backup"));
}

QString BackupFile::BackupPath(qint32 dayNumber) {
    return QDir(BackupFolder())
        .filePath(ClsDate::FormatDate(dayNumber, QStringLiteral("yyyymmdd")) +
                  QStringLiteral(".txt"));
}

void BackupFile::Start(const QString& sourceName) {
    m_failedLine = 0;
    m_failure.clear();
    m_source = sourceName;
    m_counts = Counts();
    m_warnings.clear();
}

void BackupFile::Fail(int line, const QString& reason) {
    m_failedLine = line;
    m_failure = reason;
    throw TarveloError(reason);
}

QString BackupFile::FailureText() const {
    if (m_failure.isEmpty())
        return {};
    const QString source = QDir::toNativeSeparators(m_source);
    if (m_failedLine > 0)
        return OneLine(
            QStringLiteral("Line %1 of %2: %3.").arg(m_failedLine).arg(source, m_failure));
    return OneLine(QStringLiteral("%1: %2.").arg(source, m_failure));
}

QString BackupFile::DescribeCounts(const Counts& c) {
    return QStringLiteral("%1 groups, %2 resources, %3 appointment types, %4 contacts, "
                          "%5 appointments")
        .arg(c.groups)
        .arg(c.resources)
        .arg(c.tasks)
        .arg(c.contacts)
        .arg(c.bookings);
}

QString BackupFile::RestoreNote(const Counts& c) {
    QStringList notes;
    if (c.withoutType > 0)
        notes << QStringLiteral("%1 appointments were restored without an appointment type.")
                     .arg(c.withoutType);
    if (c.withoutContact > 0)
        notes << QStringLiteral("%1 appointments name a contact that is not in their group of the "
                                "file and were restored without one.")
                     .arg(c.withoutContact);
    return notes.join(QLatin1Char(' '));
}

bool BackupFile::BackupToday(QString* path) {
    QDir().mkpath(BackupFolder());
    const QString file = BackupPath(ClsDate::Today());
    if (path)
        *path = file;
    return BackupDb(file);
}

bool BackupFile::BackupText(QByteArray* text) {
    Start(QStringLiteral("the database"));
    text->clear();
    bool ok = false;
    bool reading = false;
    Trap("BackupFile.BackupText", [&] {
        // One snapshot: a restore on another workstation meanwhile is either
        // wholly in the text or not at all.
        ClsDAO& dao = Database::DAO();
        if (!dao.BeginRead())
            Fail(0, QStringLiteral("the database could not be read (%1)").arg(dao.LastFailure()));
        reading = true;
        BackupWriter(*text, dao, m_counts, m_warnings, [&](const QString& reason) {
            Fail(0, reason);
        }).Run();
        ok = true;
    });
    // A program closed under the backup took its connection, and the read
    // transaction, with it.
    if (reading && ProgramState::IsRunning())
        Database::DAO().EndRead();
    if (!ok) {
        text->clear();
        m_counts = Counts();
    }
    StatusPanel::Show(kTask, QString());
    StatusPanel::Show(kPerson, QString());
    return ok;
}

QString BackupFile::RefusedPath(const QString& path) {
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".refused.") +
                               (info.suffix().isEmpty() ? QStringLiteral("txt") : info.suffix()));
}

QString BackupFile::DescribeProblem(const Problem& problem) {
    const QString where = problem.line > 0 ? QStringLiteral("Line %1 (%2)").arg(problem.line)
                                           : QStringLiteral("The file (%1)");
    return OneLine(where.arg(problem.subject) + QStringLiteral(": ") + problem.reason +
                   QLatin1Char('.'));
}

QStringList BackupFile::DescribeProblems(const QList<Problem>& problems, int shown) {
    QStringList lines;
    for (const Problem& p : problems.mid(0, shown))
        lines << DescribeProblem(p);
    if (problems.size() > shown)
        lines << QStringLiteral("And %1 more.").arg(problems.size() - shown);
    return lines;
}

bool BackupFile::BackupDb(const QString& path) {
    QByteArray text;
    if (!BackupText(&text)) {
        m_source = path;
        return false;
    }
    m_source = path;
    bool ok = false;
    Trap("BackupFile.BackupDb", [&] {
        // Read back as a restore reads it before it takes the place of an
        // earlier file: one the restore would refuse is no backup.
        const QList<Problem> problems = Check(text);
        QString error;
        // Written beside an old file and put in its place once complete;
        // error takes the reason alone.
        const auto write = [&](const QString& file) {
            FileWriter writer(file);
            const bool written = writer.Open() && writer.Write(text) && writer.Commit();
            error = writer.Reason();
            return written;
        };
        if (!problems.isEmpty()) {
            const QString kept = RefusedPath(path);
            const bool keptOk = write(kept);
            m_warnings << DescribeProblems(problems, kShownProblems);
            Fail(0, QStringLiteral("a restore would refuse %1 of its lines, so it did not replace "
                                   "an earlier backup; ")
                            .arg(problems.size()) +
                        (keptOk ? QStringLiteral("it was kept as %1 (the lines are listed below; "
                                                 "the integrity check lists them too)")
                                      .arg(QDir::toNativeSeparators(kept))
                                : QStringLiteral("it could not be kept as %1 either (%2)")
                                      .arg(QDir::toNativeSeparators(kept), error)));
        }
        if (!write(path))
            Fail(0, error);
        ok = true;
    });
    if (!ok) {
        if (m_failure.isEmpty())
            m_failure = QStringLiteral("the backup failed");
        m_counts = Counts();
    }
    return ok;
}

namespace {

// Reads a whole file. A pipe (a named pipe, or /dev/stdin fed by another
// program) is read to its end like a file; one that nobody writes into is
// not waited for longer than kPipeWaitMs. Returns the reason on failure.
QString ReadWhole(const QString& path, QByteArray* data) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return qt_error_string(errno);
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("is a folder");
    // Opened without waiting: opening a named pipe otherwise blocks until a
    // program opens it for writing.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return qt_error_string(errno);
    const bool stream = !S_ISREG(info.st_mode);
    QString error;
    char chunk[1 << 16];
    int waitedMs = 0; // without a writer
    bool any = false;
    while (true) {
        bool ready = true;
        if (stream) {
            pollfd p{fd, POLLIN, 0};
            const int n = ::poll(&p, 1, 100);
            if (n < 0 && errno != EINTR) {
                error = qt_error_string(errno);
                break;
            }
            ready = n > 0;
        }
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got > 0) {
            data->append(chunk, got);
            any = true;
            // Binary data (a device of zeros) is no backup: enough is read
            // to say so.
            if (stream && std::memchr(chunk, 0, size_t(got)))
                break;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno != EAGAIN) {
            error = qt_error_string(errno);
            break;
        }
        // The end of a file, or of a pipe whose writer has closed it.
        if (got == 0 && (!stream || ready || any))
            break;
        // A writer is there and has not written yet: it is waited for.
        if (got < 0)
            continue;
        // Nobody has opened the pipe for writing (yet): a writer is given a
        // moment to come, not more.
        waitedMs += 100;
        if (waitedMs >= kPipeWaitMs) {
            error = QStringLiteral("nothing was written into the pipe within %1 seconds")
                        .arg(kPipeWaitMs / 1000);
            break;
        }
    }
    ::close(fd);
    return error;
}

} // namespace

bool BackupFile::HasClosingLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The closing line is short: the end of the file is enough to find it.
    constexpr qint64 kTail = 4096;
    if (file.size() > kTail)
        file.seek(file.size() - kTail);
    const QByteArray tail = file.readAll().trimmed();
    return tail.mid(tail.lastIndexOf('\n') + 1).startsWith("E~");
}

bool BackupFile::RestoreDb(const QString& path, bool addAppointments) {
    // The whole file is read before anything is deleted: a file that cannot
    // be read leaves the database as it is.
    QByteArray data;
    const QString error = ReadWhole(path, &data);
    if (!error.isEmpty()) {
        Start(path);
        m_failure = error;
        ErrorLog::Write(QStringLiteral("Restore failed: ") + FailureText());
        return false;
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return Restore(buffer, addAppointments, path);
}

namespace {

// Gives each line of a backup's text to `take` with its number (1 for the
// first), decoded; stops when `take` says false.
void ReadLines(const QByteArray& data, const std::function<bool(int, const QString&)>& take) {
    int lineNo = 0;
    qsizetype pos = 0;
    while (pos < data.size()) {
        qsizetype end = data.indexOf('\n', pos);
        if (end < 0)
            end = data.size() - 1;
        const QByteArray raw = data.mid(pos, end - pos + 1);
        pos = end + 1;
        ++lineNo;
        if (!take(lineNo, DecodeLine(raw, lineNo == 1)))
            return;
    }
}

} // namespace

QList<BackupFile::Problem> BackupFile::Check(const QByteArray& data) {
    QList<Problem> problems;
    Counts counts;
    Restorer reader(nullptr, true, counts);
    ReadLines(data, [&](int lineNo, const QString& line) {
        const QString error = reader.Line(line, lineNo);
        if (!error.isEmpty())
            problems << Problem{lineNo, reader.Subject(), error};
        return true;
    });
    int line = 0;
    const QString error = reader.Finish(&line);
    if (!error.isEmpty())
        problems << Problem{line, QStringLiteral("the file"), error};
    return problems;
}

bool BackupFile::Restore(QIODevice& in, bool addAppointments, const QString& sourceName) {
    Start(sourceName);
    ClsDAO& dao = Database::DAO();
    bool ok = false;
    Trap("BackupFile.RestoreDb", [&] {
        const QByteArray data = in.readAll();
        // One write transaction for the whole restore: other workstations see
        // the old contents until the commit, then all of the new ones, and
        // the change marker stamped by the inserts and deletes moves with it.
        auto txn = std::make_unique<DbTransaction>(dao);
        if (!txn->Active())
            Fail(0, QStringLiteral("the database cannot be locked for writing (%1)")
                        .arg(dao.LastFailure()));
        const Recordset last =
            dao.SqlQuery(QStringLiteral("select max(JournalId) from tblJournal"));
        const qint64 journalEnd = last.Eof() ? 0 : last.Fields(0).Value.toLongLong();
        for (const char* sql : kEmptyTables)
            if (!dao.SqlAction(QString::fromLatin1(sql)))
                Fail(0,
                     QStringLiteral("the database cannot be emptied (%1)").arg(dao.LastFailure()));
        Records::Group().InitBfr();
        Restorer restorer(&dao, addAppointments, m_counts);
        ReadLines(data, [&](int lineNo, const QString& line) {
            EventPump::Run();
            if (!ProgramState::IsRunning()) {
                // The program was closed under the restore: closing the
                // connection rolled the transaction back, and the guard must
                // not touch the database that is gone.
                (void)txn.release();
                Fail(lineNo - 1, QStringLiteral("the program was closed during the restore"));
            }
            const QString error = restorer.Line(line, lineNo);
            if (!error.isEmpty())
                Fail(lineNo, error);
            return true;
        });
        int line = 0;
        const QString error = restorer.Finish(&line);
        if (!error.isEmpty())
            Fail(line, error);
        // The calendar identity the file carries keeps its bookings' UIDs.
        if (!restorer.CalendarId().isEmpty() && !IcsExport::KeepCalendarId(restorer.CalendarId()))
            Fail(0, QStringLiteral("the calendar identity could not be stored (%1)")
                        .arg(dao.LastFailure()));
        // The restore is one entry of the journal, which it keeps: the
        // entries of the records it stored go.
        if (!dao.SqlAction(QStringLiteral("delete from tblJournal where JournalId > ") +
                           Num(journalEnd)))
            Fail(0, QStringLiteral("the journal could not be written (%1)").arg(dao.LastFailure()));
        const QJsonObject counts{{QStringLiteral("groups"), m_counts.groups},
                                 {QStringLiteral("resources"), m_counts.resources},
                                 {QStringLiteral("types"), m_counts.tasks},
                                 {QStringLiteral("contacts"), m_counts.contacts},
                                 {QStringLiteral("bookings"), m_counts.bookings}};
        if (!Journal::Append(
                dao, QStringLiteral("Restore"), QString(), 0, {},
                QString::fromUtf8(QJsonDocument(counts).toJson(QJsonDocument::Compact))))
            Fail(0,
                 QStringLiteral("the restore could not be journalled (%1)").arg(dao.LastFailure()));
        if (!txn->Commit())
            Fail(0, QStringLiteral("the restored data could not be stored (%1)")
                        .arg(dao.LastFailure()));
        ok = true;
    });
    if (!ok) {
        if (m_failure.isEmpty())
            m_failure = QStringLiteral("the restore failed");
        ErrorLog::Write(QStringLiteral("Restore failed: ") + FailureText());
        // Nothing of the restore was kept: the shared records must not go on
        // holding rows that were rolled back.
        TrapSilent([] {
            Records::Group().InitBfr();
            Records::Resource().InitBfr();
            Records::Task().InitBfr();
            Records::Customer().InitBfr();
            Records::Booking().InitBfr();
        });
        m_counts = Counts();
    }
    StatusPanel::Show(kTask, QString());
    StatusPanel::Show(kPerson, QString());
    return ok;
}

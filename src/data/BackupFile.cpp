#include "data/BackupFile.h"

#include "app/ErrorTrap.h"
#include "app/EventPump.h"
#include "app/FileWriter.h"
#include "app/ModMain.h"
#include "data/ClsDAO.h"
#include "data/DbTransaction.h"
#include "model/ClsBooking.h"
#include "model/ClsCustomer.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "model/ClsResource.h"
#include "model/ClsTask.h"
#include "model/RecordValue.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
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
// The minutes of a day: times of day and the lengths of resources lie within
// 0 to 1440.
constexpr qint64 kDayMinutes = 1440;
// How long a restore waits for a program to write into a pipe.
constexpr int kPipeWaitMs = 3000;

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
// and a name may be empty. An appointment that names such a record, or a
// contact outside the group, is preceded by a reference line "K" that gives
// its resource, appointment type and contact by their places among the
// group's "R", "T" and "C" lines (1 for the first, 0 for none). The file
// starts with a header line "H" and ends with the closing line "E"; older
// versions skip "H", "K" and "E" lines as lines of an unknown kind.
class BackupWriter {
public:
    using FailFn = std::function<void(const QString&)>;

    BackupWriter(FileWriter& out, ClsDAO& dao, BackupFile::Counts& counts, QStringList& warnings,
                 FailFn fail)
        : m_out(out), m_dao(dao), m_counts(counts), m_warnings(warnings), m_fail(std::move(fail)) {}

    void Run() {
        Write({QStringLiteral("H"), QStringLiteral("Tarvelo backup"), QStringLiteral("1")});
        Recordset groups = Query(
            QStringLiteral("select GroupId, GroupName, DayStart, DayEnd, Interval from tblGroups "
                           "order by GroupName"));
        while (!groups.Eof()) {
            Pump();
            const QString id = NumberOf(groups, QStringLiteral("GroupId"));
            m_groupName = TextOf(groups, QStringLiteral("GroupName"));
            ModMain::ShowStatus(kTask, m_groupName);
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
        Flush();
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
    struct Records {
        QHash<qint32, Record> byId;
        QHash<QString, QString> firstName; // by case-folded name
        QSet<QString> ambiguous;
        void Clear() { *this = Records(); }
        // A name that does not find the record again: one the group holds
        // twice, or an empty one (which a restore by name reads as "none").
        bool Ambiguous(const Record& r) const {
            return r.place != 0 && (r.name.isEmpty() || ambiguous.contains(r.name.toCaseFolded()));
        }
    };

    Recordset Query(const QString& sql) {
        Recordset rs = m_dao.SqlQuery(sql);
        if (!rs.IsOpen())
            m_fail(QStringLiteral("the database could not be read (%1)").arg(m_dao.LastFailure()));
        return rs;
    }

    // Notes the record and its place; warns once per name that the group
    // holds twice, letter case aside.
    void Add(Records& records, qint32 id, const QString& name, const char* what) {
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
            ModMain::ShowStatus(kPerson, name);
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
            ModMain::ShowStatus(kPerson, name);
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
            ModMain::ShowStatus(kPerson, name);
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
        Recordset rs = Query(
            QStringLiteral("select ResourceId, TaskId, CustomerId, (select CustomerName from "
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
                ModMain::ShowStatus(kPerson, ClsDate::FormatDate(date.Value.toInt(),
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
            if (m_resources.Ambiguous(resource) || m_tasks.Ambiguous(task) ||
                m_contacts.Ambiguous(contact) || lostContact)
                Write({QStringLiteral("K"), Num(resource.place), Num(task.place),
                       Num(contact.place)});
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
        if (!ModMain::IsRunning())
            m_fail(QStringLiteral("the program was closed during the backup"));
    }

    void Write(const QStringList& fields) {
        m_buffer += fields.join(kSeparator).toUtf8();
        m_buffer += "\r\n";
        if (m_buffer.size() >= (1 << 16))
            Flush();
    }

    void Flush() {
        if (!m_out.Write(m_buffer))
            m_fail(QString()); // the writer's own reason
        m_buffer.clear();
    }

    FileWriter& m_out;
    ClsDAO& m_dao;
    BackupFile::Counts& m_counts;
    QStringList& m_warnings;
    FailFn m_fail;
    QByteArray m_buffer;
    QString m_groupName;
    Records m_resources;
    Records m_tasks;
    Records m_contacts;
};

// Loads the lines of a backup file into the emptied database. Each method
// returns an empty text when its line was taken, otherwise the reason.
class Restorer {
public:
    Restorer(ClsDAO& dao, bool addAppointments, BackupFile::Counts& counts)
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
        if (m_pendingLine > 0 && letter != QLatin1Char('A'))
            return QStringLiteral("the reference line %1 is not followed by its appointment")
                .arg(m_pendingLine);
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
                m_pending[0] = m_pending[1] = m_pending[2] = 0;
            return m_addAppointments ? Booking() : QString();
        case 'E':
            return Closing();
        case 'H':
            // The first line of a file of this version; anywhere else it is
            // the start of another backup run into this one. Any other "H"
            // line is of a kind this version does not know.
            if (Text(2) != QStringLiteral("Tarvelo backup"))
                return {};
            if (m_headed || m_sawRecord)
                return QStringLiteral("a header line inside the file: the file holds more than "
                                      "one backup, or was changed");
            m_headed = true;
            return {};
        default:
            return {};
        }
    }

private:
    QString Text(int n) const { return BackupFile::DecodeText(m_fields.value(n - 1)); }

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
        if (value < min && min == 0 && std::string_view(what) == "BookingDate")
            Error(QStringLiteral("%1 (field %2) is %3, before 1 January 1900")
                      .arg(QString::fromLatin1(what))
                      .arg(n)
                      .arg(value));
        else if (value < min || value > max)
            Error(QStringLiteral("%1 (field %2) is %3, outside %4 to %5")
                      .arg(QString::fromLatin1(what))
                      .arg(n)
                      .arg(value)
                      .arg(min)
                      .arg(max));
        return value;
    }
    qint16 Minutes(int n, const char* what, qint64 min = 0) {
        return qint16(Whole(n, what, min, kDayMinutes));
    }
    void Error(const QString& reason) {
        if (m_error.isEmpty())
            m_error = reason;
    }
    QString Stored(const char* what) const {
        return QStringLiteral("the %1 could not be stored (%2)")
            .arg(QString::fromLatin1(what), m_dao.LastFailure());
    }

    QString Group() {
        m_sawRecord = true;
        m_inGroup = true;
        ++m_inFile.groups;
        m_resources.clear();
        m_tasks.clear();
        m_contacts.clear();
        m_places[0].clear();
        m_places[1].clear();
        m_places[2].clear();
        ClsGroup& g = ModMain::Group();
        g.InitBfr();
        g.SetGroupName(Text(2));
        ModMain::ShowStatus(kTask, g.GroupName());
        m_error.clear();
        const qint16 start = Minutes(3, "DayStart");
        const qint16 end = Minutes(4, "DayEnd");
        g.SetDayStart(start);
        g.SetDayEnd(end);
        g.SetInterval(Minutes(5, "Interval", 1));
        if (m_error.isEmpty() && start > end)
            Error(QStringLiteral("DayStart (field 3) is %1, after DayEnd (field 4) %2")
                      .arg(start)
                      .arg(end));
        if (!m_error.isEmpty())
            return m_error;
        if (g.Save() == 0)
            return Stored("group");
        ++m_counts.groups;
        return {};
    }

    QString Resource() {
        m_sawRecord = true;
        ++m_inFile.resources;
        m_resources.clear();
        ClsResource& r = ModMain::Resource();
        r.InitBfr();
        r.SetGroupId(ModMain::Group().GroupId());
        r.SetResourceName(Text(2));
        ModMain::ShowStatus(kPerson, r.ResourceName());
        m_error.clear();
        r.SetMinTime(Minutes(3, "MinTime"));
        r.SetMaxTime(Minutes(4, "MaxTime"));
        r.SetInitTime(Minutes(5, "InitTime"));
        if (!m_error.isEmpty())
            return m_error;
        const qint32 id = r.Save();
        if (id == 0)
            return Stored("resource");
        m_places[0] << Place{id, r.ResourceName()};
        ++m_counts.resources;
        return {};
    }

    QString Task() {
        m_sawRecord = true;
        ++m_inFile.tasks;
        m_tasks.clear();
        ClsTask& t = ModMain::Task();
        t.InitBfr();
        t.SetGroupId(ModMain::Group().GroupId());
        t.SetTaskName(Text(2));
        ModMain::ShowStatus(kPerson, t.TaskName());
        m_error.clear();
        // An appointment type's lengths may exceed a day: its window lets
        // them grow to the largest length a record holds.
        const qint64 longest = std::numeric_limits<qint16>::max();
        t.SetMinTime(qint16(Whole(3, "MinTime", 0, longest)));
        t.SetMaxTime(qint16(Whole(4, "MaxTime", 0, longest)));
        t.SetInitTime(qint16(Whole(5, "InitTime", 0, longest)));
        t.SetColour(qint32(Whole(6, "Colour", std::numeric_limits<qint32>::min(),
                                 std::numeric_limits<qint32>::max())));
        if (!m_error.isEmpty())
            return m_error;
        const qint32 id = t.Save();
        if (id == 0)
            return Stored("appointment type");
        m_places[1] << Place{id, t.TaskName()};
        ++m_counts.tasks;
        return {};
    }

    QString Contact() {
        m_sawRecord = true;
        ++m_inFile.contacts;
        m_contacts.clear();
        ClsCustomer& c = ModMain::Customer();
        c.InitBfr();
        c.SetCustomerName(Text(2));
        ModMain::ShowStatus(kPerson, c.CustomerName());
        c.SetRef01(Text(3));
        c.SetRef02(Text(4));
        c.SetRef03(Text(5));
        const qint32 id = c.Save();
        if (id == 0)
            return Stored("contact");
        // Each "C" line is a contact of its own, linked to the current group.
        if (!m_dao.SqlAction(QStringLiteral("insert into tblCustomerGroups (GroupId, CustomerId) "
                                            "values (") +
                             Num(ModMain::Group().GroupId()) + QStringLiteral(", ") + Num(id) +
                             QLatin1Char(')')))
            return QStringLiteral("the contact could not be linked to its group (%1)")
                .arg(m_dao.LastFailure());
        m_places[2] << Place{id, c.CustomerName()};
        ++m_counts.contacts;
        return {};
    }

    // "K": the next appointment's resource, appointment type and contact by
    // their places among the group's lines.
    QString References(int lineNo) {
        m_error.clear();
        const char* what[] = {"resource", "appointment type", "contact"};
        for (int i = 0; i < 3; ++i)
            m_pending[i] = int(Whole(i + 2, what[i], i == 0 ? 1 : 0, m_places[i].size()));
        if (!m_error.isEmpty())
            return m_error + QStringLiteral(" of this group's lines");
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

    // The identifier that a name stands for in the current group, through the
    // record's LoadByName; 0 when there is none. The tables do not change
    // between two "R", "T" or "C" lines, so each name is looked up once.
    static qint32 Lookup(QHash<QString, qint32>& cache, const QString& name,
                         const std::function<qint32()>& find) {
        const auto it = cache.constFind(name);
        if (it != cache.constEnd())
            return it.value();
        const qint32 id = find();
        cache.insert(name, id);
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
        const qint32 groupId = ModMain::Group().GroupId();
        const QString resourceName = Text(2);
        const QString taskName = Text(3);
        const QString contactName = Text(4);
        qint32 resourceId = 0;
        qint32 taskId = 0;
        qint32 customerId = 0;
        const bool referenced = m_pending[0] > 0;
        if (referenced) {
            QString why = ByPlace(0, m_pending[0], resourceName, &resourceId);
            if (why.isEmpty())
                why = ByPlace(1, m_pending[1], taskName, &taskId);
            if (why.isEmpty())
                why = ByPlace(2, m_pending[2], contactName, &customerId);
            m_pending[0] = m_pending[1] = m_pending[2] = 0;
            if (!why.isEmpty())
                return why;
        } else {
            resourceId = Lookup(m_resources, resourceName, [&] {
                ClsResource& r = ModMain::Resource();
                return r.LoadByName(resourceName, groupId) ? r.ResourceId() : 0;
            });
            // An empty type is how a backup writes a booking whose type was
            // gone: it stays without one.
            taskId = taskName.isEmpty() ? 0 : Lookup(m_tasks, taskName, [&] {
                ClsTask& t = ModMain::Task();
                return t.LoadByName(taskName, groupId) ? t.TaskId() : 0;
            });
            customerId = contactName.isEmpty() ? 0 : Lookup(m_contacts, contactName, [&] {
                ClsCustomer& c = ModMain::Customer();
                return c.LoadByName(contactName, groupId) ? c.CustomerId() : 0;
            });
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
        if (customerId == 0 && !contactName.isEmpty())
            ++m_counts.withoutContact;
        if (taskId == 0)
            ++m_counts.withoutType;
        m_error.clear();
        const qint32 date = qint32(Whole(5, "BookingDate", 0, std::numeric_limits<qint32>::max()));
        const qint16 start = Minutes(6, "BookingStart");
        const qint16 end = Minutes(7, "BookingEnd");
        if (m_error.isEmpty() && end <= start)
            Error(QStringLiteral("BookingEnd (field 7) is %1, not after BookingStart (field 6) %2")
                      .arg(end)
                      .arg(start));
        if (!m_error.isEmpty())
            return m_error;
        if (ClsDate::LongToDate(date).isValid())
            ModMain::ShowStatus(kPerson, ClsDate::FormatDate(date, QStringLiteral("d mmmm yyyy")));
        // Stored as it stands in the file, without the clash test of a new
        // booking: a restore brings back every booking that was backed up,
        // also one that overlaps another (a moved booking).
        const QString sql =
            QStringLiteral(
                "insert into tblBookings (TaskId, BookingDate, BookingStart, BookingEnd, "
                "CustomerId, RepeatId, ResourceId, Ref01, Ref02, Ref03, Comments) "
                "values (") +
            Num(taskId) + QStringLiteral(", ") + Num(date) + QStringLiteral(", ") + Num(start) +
            QStringLiteral(", ") + Num(end) + QStringLiteral(", ") + Num(customerId) +
            QStringLiteral(", 0, ") + Num(resourceId) + QStringLiteral(", ") +
            ClsDAO::Quoted(Text(8)) + QStringLiteral(", ") + ClsDAO::Quoted(Text(9)) +
            QStringLiteral(", ") + ClsDAO::Quoted(Text(10)) + QStringLiteral(", ") +
            ClsDAO::Quoted(Text(11)) + QLatin1Char(')');
        if (!m_dao.SqlAction(sql))
            return Stored("appointment");
        ++m_counts.bookings;
        return {};
    }

    struct Place {
        qint32 id = 0;
        QString name;
    };

    ClsDAO& m_dao;
    bool m_addAppointments;
    BackupFile::Counts& m_counts;
    BackupFile::Counts m_inFile; // the lines of each kind read so far
    QStringList m_fields;
    QString m_error;
    bool m_sawRecord = false;
    bool m_inGroup = false;
    bool m_ended = false;
    bool m_headed = false;
    // The group's resources, appointment types and contacts in file order.
    QList<Place> m_places[3];
    // A reference line waiting for its appointment: its line and places.
    int m_pendingLine = 0;
    int m_pending[3] = {0, 0, 0};
    QHash<QString, qint32> m_resources;
    QHash<QString, qint32> m_tasks;
    QHash<QString, qint32> m_contacts;
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
    return ModMain::ProgramPath(QStringLiteral("Backup"));
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

bool BackupFile::BackupDb(const QString& path) {
    Start(path);
    bool ok = false;
    bool reading = false;
    Trap("BackupFile.BackupDb", [&] {
        // Written beside the old file and put in its place once complete.
        FileWriter file(path);
        const auto fileFailed = [&] {
            // The writer names the file; the reason is what follows.
            const QString prefix = QDir::toNativeSeparators(path) + QStringLiteral(": ");
            const QString error = file.Error();
            Fail(0, error.startsWith(prefix) ? error.mid(prefix.size()) : error);
        };
        if (!file.Open())
            fileFailed();
        // One snapshot: a restore on another workstation meanwhile is either
        // wholly in the file or not at all.
        ClsDAO& dao = ModMain::DAO();
        if (!dao.BeginRead())
            Fail(0, QStringLiteral("the database could not be read (%1)").arg(dao.LastFailure()));
        reading = true;
        BackupWriter(file, dao, m_counts, m_warnings, [&](const QString& reason) {
            if (reason.isEmpty())
                fileFailed();
            Fail(0, reason);
        }).Run();
        if (!file.Commit())
            fileFailed();
        ok = true;
    });
    // A program closed under the backup took its connection, and the read
    // transaction, with it.
    if (reading && ModMain::IsRunning())
        ModMain::DAO().EndRead();
    if (!ok && m_failure.isEmpty())
        m_failure = QStringLiteral("the backup failed");
    if (!ok)
        m_counts = Counts();
    ModMain::ShowStatus(kTask, QString());
    ModMain::ShowStatus(kPerson, QString());
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
        ModMain::WriteLog(QStringLiteral("Restore failed: ") + FailureText());
        return false;
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return Restore(buffer, addAppointments, path);
}

bool BackupFile::Restore(QIODevice& in, bool addAppointments, const QString& sourceName) {
    Start(sourceName);
    ClsDAO& dao = ModMain::DAO();
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
        for (const char* sql : kEmptyTables)
            if (!dao.SqlAction(QString::fromLatin1(sql)))
                Fail(0,
                     QStringLiteral("the database cannot be emptied (%1)").arg(dao.LastFailure()));
        ModMain::Group().InitBfr();
        Restorer restorer(dao, addAppointments, m_counts);
        int lineNo = 0;
        qsizetype pos = 0;
        while (pos < data.size()) {
            EventPump::Run();
            if (!ModMain::IsRunning()) {
                // The program was closed under the restore: closing the
                // connection rolled the transaction back, and the guard must
                // not touch the database that is gone.
                (void)txn.release();
                Fail(lineNo, QStringLiteral("the program was closed during the restore"));
            }
            qsizetype end = data.indexOf('\n', pos);
            if (end < 0)
                end = data.size() - 1;
            const QByteArray raw = data.mid(pos, end - pos + 1);
            pos = end + 1;
            ++lineNo;
            const QString error = restorer.Line(DecodeLine(raw, lineNo == 1), lineNo);
            if (!error.isEmpty())
                Fail(lineNo, error);
        }
        int line = 0;
        const QString error = restorer.Finish(&line);
        if (!error.isEmpty())
            Fail(line, error);
        if (!txn->Commit())
            Fail(0, QStringLiteral("the restored data could not be stored (%1)")
                        .arg(dao.LastFailure()));
        ok = true;
    });
    if (!ok) {
        if (m_failure.isEmpty())
            m_failure = QStringLiteral("the restore failed");
        ModMain::WriteLog(QStringLiteral("Restore failed: ") + FailureText());
        // Nothing of the restore was kept: the shared records must not go on
        // holding rows that were rolled back.
        TrapSilent([] {
            ModMain::Group().InitBfr();
            ModMain::Resource().InitBfr();
            ModMain::Task().InitBfr();
            ModMain::Customer().InitBfr();
            ModMain::Booking().InitBfr();
        });
        m_counts = Counts();
    }
    ModMain::ShowStatus(kTask, QString());
    ModMain::ShowStatus(kPerson, QString());
    return ok;
}

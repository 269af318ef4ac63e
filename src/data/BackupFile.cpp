#include "data/BackupFile.h"

#include "app/ErrorTrap.h"
#include "app/EventPump.h"
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

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <memory>

namespace {

constexpr QChar kSeparator = QLatin1Char('~');
constexpr QChar kEscape = QChar(0x10); // DLE
const QString kTask = QStringLiteral("Task");
const QString kPerson = QStringLiteral("Person");

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

// Writes the lines of a backup, group by group.
class BackupWriter {
public:
    BackupWriter(QIODevice& out, ClsDAO& dao, BackupFile::Counts& counts)
        : m_out(out), m_dao(dao), m_counts(counts) {}

    void Run() {
        Recordset groups = m_dao.SqlQuery(
            QStringLiteral("select GroupId, GroupName, DayStart, DayEnd, Interval from tblGroups "
                           "order by GroupName"));
        while (!groups.Eof()) {
            Pump();
            const QString id = NumberOf(groups, QStringLiteral("GroupId"));
            const QString name = TextOf(groups, QStringLiteral("GroupName"));
            ModMain::ShowStatus(kTask, name);
            Write({QStringLiteral("G"), BackupFile::EncodeText(name),
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
        Flush();
    }

private:
    void WriteResources(const QString& groupId) {
        Recordset rs = m_dao.SqlQuery(
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
        }
    }

    void WriteTasks(const QString& groupId) {
        Recordset rs = m_dao.SqlQuery(
            QStringLiteral("select TaskId, TaskName, MinTime, MaxTime, InitTime, Colour from "
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
        }
    }

    void WriteContacts(const QString& groupId) {
        Recordset rs = m_dao.SqlQuery(
            QStringLiteral("select CustomerId, CustomerName, Ref01, Ref02, Ref03 from "
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
        }
    }

    void WriteBookings(const QString& groupId) {
        // The names of the booking's resource, appointment type and contact
        // come with each row; one that is missing gives an empty name (a
        // booking without a contact has contact 0, which names no row).
        Recordset rs = m_dao.SqlQuery(
            QStringLiteral("select (select ResourceName from tblResources where ResourceId = "
                           "tblBookings.ResourceId) as ResourceName, (select TaskName from "
                           "tblTasks where TaskId = tblBookings.TaskId) as TaskName, (select "
                           "CustomerName from tblCustomers where CustomerId = "
                           "tblBookings.CustomerId) as CustomerName, BookingDate, BookingStart, "
                           "BookingEnd, Ref01, Ref02, Ref03, Comments from tblBookings where ") +
            QStringLiteral("ResourceId in (select ResourceId from tblResources where ") +
            QStringLiteral("GroupId = ") + groupId +
            QStringLiteral(") order by BookingDate, BookingStart"));
        for (; !rs.Eof(); rs.MoveNext()) {
            Pump();
            const FieldValue date = rs.Fields(QStringLiteral("BookingDate"));
            if (!date.IsNull())
                ModMain::ShowStatus(kPerson, ClsDate::FormatDate(date.Value.toInt(),
                                                                 QStringLiteral("d mmmm yyyy")));
            Write({QStringLiteral("A"),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("ResourceName"))),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("TaskName"))),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("CustomerName"))),
                   NumberOf(rs, QStringLiteral("BookingDate")),
                   NumberOf(rs, QStringLiteral("BookingStart")),
                   NumberOf(rs, QStringLiteral("BookingEnd")),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Ref01"))),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Ref02"))),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Ref03"))),
                   BackupFile::EncodeText(TextOf(rs, QStringLiteral("Comments")))});
            ++m_counts.bookings;
        }
    }

    // Lets window events run. Should they close the program, the database
    // is gone and the backup ends here.
    static void Pump() {
        EventPump::Run();
        if (!ModMain::IsRunning())
            throw TarveloError(QStringLiteral("the program was closed"));
    }

    void Write(const QStringList& fields) {
        m_buffer += fields.join(kSeparator).toUtf8();
        m_buffer += "\r\n";
        if (m_buffer.size() >= (1 << 16))
            Flush();
    }

    void Flush() {
        if (m_out.write(m_buffer) != m_buffer.size())
            throw TarveloError(m_out.errorString());
        m_buffer.clear();
    }

    QIODevice& m_out;
    ClsDAO& m_dao;
    BackupFile::Counts& m_counts;
    QByteArray m_buffer;
};

// Loads the lines of a backup file into the emptied database. Each method
// returns an empty text when its line was stored, otherwise the reason.
class Restorer {
public:
    Restorer(ClsDAO& dao, bool addAppointments, BackupFile::Counts& counts)
        : m_dao(dao), m_addAppointments(addAppointments), m_counts(counts) {}

    // Whether the file held any text, and any record of a known kind.
    bool SawText() const { return m_sawText; }
    bool SawRecord() const { return m_sawRecord; }

    QString Line(const QString& line) {
        if (line.isEmpty())
            return {};
        m_sawText = true;
        if (line.contains(QChar(0)))
            return QStringLiteral("the line holds binary data: this is not a backup file");
        m_fields = line.split(kSeparator);
        switch (line.at(0).unicode()) {
        case 'G':
            return Group();
        case 'R':
            return Resource();
        case 'T':
            return Task();
        case 'C':
            return Contact();
        case 'A':
            m_sawRecord = true;
            return m_addAppointments ? Booking() : QString();
        default:
            return {}; // lines of any other kind are skipped
        }
    }

private:
    QString Text(int n) const { return BackupFile::DecodeText(m_fields.value(n - 1)); }

    // Field n as a number; on failure the reason is stored in m_error.
    template <typename T> T Number(int n, const char* what, T (*convert)(const QString&)) {
        T value = 0;
        const QString text = m_fields.value(n - 1);
        if (!TrapSilent([&] { value = convert(text); }) && m_error.isEmpty())
            m_error = QStringLiteral("%1 (field %2) is \"%3\", not a number in range")
                          .arg(QString::fromLatin1(what))
                          .arg(n)
                          .arg(text.left(40));
        return value;
    }
    qint16 Int16(int n, const char* what) { return Number<qint16>(n, what, RecordValue::ToInt16); }
    qint32 Int32(int n, const char* what) { return Number<qint32>(n, what, RecordValue::ToInt32); }

    QString Group() {
        m_sawRecord = true;
        m_resources.clear();
        m_tasks.clear();
        m_contacts.clear();
        ClsGroup& g = ModMain::Group();
        g.InitBfr();
        g.SetGroupName(Text(2));
        ModMain::ShowStatus(kTask, g.GroupName());
        m_error.clear();
        g.SetDayStart(Int16(3, "DayStart"));
        g.SetDayEnd(Int16(4, "DayEnd"));
        g.SetInterval(Int16(5, "Interval"));
        if (!m_error.isEmpty())
            return m_error;
        if (g.Save() == 0)
            return QStringLiteral("the group could not be stored");
        ++m_counts.groups;
        return {};
    }

    QString Resource() {
        m_sawRecord = true;
        m_resources.clear();
        ClsResource& r = ModMain::Resource();
        r.InitBfr();
        r.SetGroupId(ModMain::Group().GroupId());
        r.SetResourceName(Text(2));
        ModMain::ShowStatus(kPerson, r.ResourceName());
        m_error.clear();
        r.SetMinTime(Int16(3, "MinTime"));
        r.SetMaxTime(Int16(4, "MaxTime"));
        r.SetInitTime(Int16(5, "InitTime"));
        if (!m_error.isEmpty())
            return m_error;
        if (r.Save() == 0)
            return QStringLiteral("the resource could not be stored");
        ++m_counts.resources;
        return {};
    }

    QString Task() {
        m_sawRecord = true;
        m_tasks.clear();
        ClsTask& t = ModMain::Task();
        t.InitBfr();
        t.SetGroupId(ModMain::Group().GroupId());
        t.SetTaskName(Text(2));
        ModMain::ShowStatus(kPerson, t.TaskName());
        m_error.clear();
        t.SetMinTime(Int16(3, "MinTime"));
        t.SetMaxTime(Int16(4, "MaxTime"));
        t.SetInitTime(Int16(5, "InitTime"));
        t.SetColour(Int32(6, "Colour"));
        if (!m_error.isEmpty())
            return m_error;
        if (t.Save() == 0)
            return QStringLiteral("the appointment type could not be stored");
        ++m_counts.tasks;
        return {};
    }

    QString Contact() {
        m_sawRecord = true;
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
            return QStringLiteral("the contact could not be stored");
        // Each "C" line is a contact of its own, linked to the current group.
        if (!m_dao.SqlAction(QStringLiteral("insert into tblCustomerGroups (GroupId, CustomerId) "
                                            "values (") +
                             Num(ModMain::Group().GroupId()) + QStringLiteral(", ") + Num(id) +
                             QLatin1Char(')')))
            return QStringLiteral("the contact could not be linked to its group");
        ++m_counts.contacts;
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

    QString Booking() {
        const qint32 groupId = ModMain::Group().GroupId();
        const QString resourceName = Text(2);
        const QString taskName = Text(3);
        const QString contactName = Text(4);
        const qint32 resourceId = Lookup(m_resources, resourceName, [&] {
            ClsResource& r = ModMain::Resource();
            return r.LoadByName(resourceName, groupId) ? r.ResourceId() : 0;
        });
        const qint32 taskId = Lookup(m_tasks, taskName, [&] {
            ClsTask& t = ModMain::Task();
            return t.LoadByName(taskName, groupId) ? t.TaskId() : 0;
        });
        // An empty name is a booking without a contact.
        const qint32 customerId = contactName.isEmpty() ? 0 : Lookup(m_contacts, contactName, [&] {
            ClsCustomer& c = ModMain::Customer();
            return c.LoadByName(contactName, groupId) ? c.CustomerId() : 0;
        });
        m_error.clear();
        const qint32 date = Int32(5, "BookingDate");
        const qint16 start = Int16(6, "BookingStart");
        const qint16 end = Int16(7, "BookingEnd");
        if (!m_error.isEmpty())
            return m_error;
        if (ClsDate::LongToDate(date).isValid())
            ModMain::ShowStatus(kPerson, ClsDate::FormatDate(date, QStringLiteral("d mmmm yyyy")));
        // Stored as it stands in the file, without the clash test of a new
        // booking: a restore brings back every booking that was backed up,
        // also one that overlaps another (a moved booking, or one whose
        // resource name matched no restored resource).
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
            return QStringLiteral("the appointment could not be stored");
        ++m_counts.bookings;
        return {};
    }

    ClsDAO& m_dao;
    bool m_addAppointments;
    BackupFile::Counts& m_counts;
    QStringList m_fields;
    QString m_error;
    bool m_sawText = false;
    bool m_sawRecord = false;
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
}

void BackupFile::Fail(int line, const QString& reason) {
    m_failedLine = line;
    m_failure = reason;
    throw TarveloError(reason);
}

QString BackupFile::FailureText() const {
    if (m_failure.isEmpty())
        return {};
    if (m_failedLine > 0)
        return QStringLiteral("Line %1 of %2: %3.").arg(m_failedLine).arg(m_source, m_failure);
    return QStringLiteral("%1: %2.").arg(m_source, m_failure);
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
    Trap("BackupFile.BackupDb", [&] {
        // Written beside the old file and put in its place once complete.
        QSaveFile file(path);
        if (QFileInfo(path).isDir() || !file.open(QIODevice::WriteOnly))
            Fail(0, QStringLiteral("the file cannot be written (%1)").arg(file.errorString()));
        BackupWriter(file, ModMain::DAO(), m_counts).Run();
        if (!file.commit())
            Fail(0, QStringLiteral("the file cannot be written (%1)").arg(file.errorString()));
        ok = true;
    });
    if (!ok && m_failure.isEmpty())
        m_failure = QStringLiteral("the database could not be read");
    ModMain::ShowStatus(kTask, QString());
    ModMain::ShowStatus(kPerson, QString());
    return ok;
}

bool BackupFile::RestoreDb(const QString& path, bool addAppointments) {
    // The file is opened before anything is deleted: a file that cannot be
    // read leaves the database as it is.
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        Start(path);
        m_failure = QStringLiteral("the file cannot be opened (%1)").arg(file.errorString());
        ModMain::WriteLog(QStringLiteral("Restore failed: ") + FailureText());
        return false;
    }
    return Restore(file, addAppointments, path);
}

bool BackupFile::Restore(QIODevice& in, bool addAppointments, const QString& sourceName) {
    Start(sourceName);
    ClsDAO& dao = ModMain::DAO();
    bool ok = false;
    Trap("BackupFile.RestoreDb", [&] {
        // One write transaction for the whole restore: other workstations see
        // the old contents until the commit, then all of the new ones, and
        // the change marker stamped by the inserts and deletes moves with it.
        auto txn = std::make_unique<DbTransaction>(dao);
        if (!txn->Active())
            Fail(0, QStringLiteral("the database cannot be locked for writing"));
        for (const char* sql : kEmptyTables)
            if (!dao.SqlAction(QString::fromLatin1(sql)))
                Fail(0, QStringLiteral("the database cannot be emptied"));
        ModMain::Group().InitBfr(); // lines before the first "G" belong to group 0
        Restorer restorer(dao, addAppointments, m_counts);
        int lineNo = 0;
        while (!in.atEnd()) {
            EventPump::Run();
            if (!ModMain::IsRunning()) {
                // The program was closed under the restore: closing the
                // connection rolled the transaction back, and the guard must
                // not touch the database that is gone.
                (void)txn.release();
                Fail(lineNo, QStringLiteral("the program was closed during the restore"));
            }
            const QByteArray raw = in.readLine();
            ++lineNo;
            if (raw.isEmpty() && !in.atEnd())
                Fail(lineNo, QStringLiteral("the file cannot be read (%1)").arg(in.errorString()));
            const QString error = restorer.Line(DecodeLine(raw, lineNo == 1));
            if (!error.isEmpty())
                Fail(lineNo, error);
        }
        // An empty file is the backup of an empty database; a file with lines
        // but not one record is something else and must not empty the database.
        if (restorer.SawText() && !restorer.SawRecord())
            Fail(0, QStringLiteral("no line is a backup record: this is not a backup file"));
        if (!txn->Commit())
            Fail(0, QStringLiteral("the restored data could not be stored"));
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

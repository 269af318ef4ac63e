// Backup and restore with appointments on the benchmark database (300,000
// bookings), each beside its bare baseline: the same rows written to a file
// straight from QSqlQuery, and the same rows inserted through prepared
// QSqlQuery statements in one transaction. bench_backup [PATH]
// Without PATH the benchmark database is generated in a temporary folder;
// a given database is copied first and never changed.
#include "BenchData.h"

#include "base/ProgramFolder.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/DbSchema.h"
#include "frame/ModMain.h"
#include "transfer/BackupFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The backup's rows, read with forward-only queries and written as they
// come: no snapshot, no escapes, no progress, no event loop.
qint64 BareBackup(QSqlDatabase db, const QString& path) {
    QElapsedTimer t;
    t.start();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    QByteArray out;
    // One line per row of q, of the columns after the first.
    const auto lines = [&](QSqlQuery& q, const char* kind) {
        const int columns = q.record().count();
        while (q.next()) {
            out += kind;
            for (int i = 1; i < columns; ++i) {
                out += '~';
                out += q.value(i).toString().toUtf8();
            }
            out += "\r\n";
            if (out.size() > (1 << 16)) {
                file.write(out);
                out.clear();
            }
        }
    };
    QSqlQuery groups(db);
    groups.setForwardOnly(true);
    groups.exec("select GroupId, GroupName, DayStart, DayEnd, Interval from tblGroups order by "
                "GroupName");
    QStringList ids;
    while (groups.next())
        ids << groups.value(0).toString();
    for (const QString& id : ids) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec("select GroupId, GroupName, DayStart, DayEnd, Interval from tblGroups where "
               "GroupId = " +
               id);
        lines(q, "G");
        q.exec("select ResourceId, ResourceName, MinTime, MaxTime, InitTime from tblResources "
               "where GroupId = " +
               id + " order by ResourceName");
        lines(q, "R");
        q.exec("select TaskId, TaskName, MinTime, MaxTime, InitTime, Colour from tblTasks where "
               "GroupId = " +
               id + " order by TaskName");
        lines(q, "T");
        q.exec("select CustomerId, CustomerName, Ref01, Ref02, Ref03 from tblCustomers where "
               "CustomerId in (select CustomerId from tblCustomerGroups where GroupId = " +
               id + ")");
        lines(q, "C");
        q.exec("select 0, coalesce((select ResourceName from tblResources where ResourceId = "
               "b.ResourceId), ''), coalesce((select TaskName from tblTasks where TaskId = "
               "b.TaskId), ''), coalesce((select CustomerName from tblCustomers where CustomerId "
               "= b.CustomerId), ''), BookingDate, BookingStart, BookingEnd, Ref01, Ref02, Ref03, "
               "Comments from tblBookings b where ResourceId in (select ResourceId from "
               "tblResources where GroupId = " +
               id + ") order by BookingDate, BookingStart");
        lines(q, "A");
    }
    file.write(out);
    file.close();
    return t.nsecsElapsed();
}

// The backup's rows inserted into an empty database through prepared
// statements with bound values, in one transaction.
qint64 BareRestore(const QString& dbPath, const QByteArray& backup) {
    qint64 elapsed = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bare-restore");
        db.setDatabaseName(dbPath);
        if (!db.open())
            return -1;
        QElapsedTimer t;
        t.start();
        QSqlQuery group(db), resource(db), task(db), contact(db), link(db), booking(db);
        group.prepare("insert into tblGroups (GroupName, DayStart, DayEnd, Interval) values "
                      "(?, ?, ?, ?)");
        resource.prepare("insert into tblResources (GroupId, ResourceName, MinTime, MaxTime, "
                         "InitTime) values (?, ?, ?, ?, ?)");
        task.prepare("insert into tblTasks (GroupId, TaskName, MinTime, MaxTime, InitTime, Colour) "
                     "values (?, ?, ?, ?, ?, ?)");
        contact.prepare("insert into tblCustomers (CustomerName, Ref01, Ref02, Ref03) values (?, "
                        "?, ?, ?)");
        link.prepare("insert into tblCustomerGroups (GroupId, CustomerId) values (?, ?)");
        booking.prepare("insert into tblBookings (TaskId, BookingDate, BookingStart, BookingEnd, "
                        "CustomerId, RepeatId, ResourceId, Ref01, Ref02, Ref03, Comments) values "
                        "(?, ?, ?, ?, ?, 0, ?, ?, ?, ?, ?)");
        db.transaction();
        qint64 groupId = 0;
        QHash<QString, qint64> resources, tasks, contacts;
        const auto run = [](QSqlQuery& q, const QList<QByteArray>& f, std::initializer_list<int> at,
                            const QVariant& first = QVariant()) {
            int i = 0;
            if (first.isValid())
                q.bindValue(i++, first);
            for (int n : at)
                q.bindValue(i++, QString::fromUtf8(f.value(n - 1)));
            q.exec();
            return q.lastInsertId().toLongLong();
        };
        for (QByteArray raw : backup.split('\n')) {
            if (raw.endsWith('\r'))
                raw.chop(1);
            if (raw.isEmpty())
                continue;
            const QList<QByteArray> f = raw.split('~');
            const QString name = QString::fromUtf8(f.value(1));
            switch (raw.at(0)) {
            case 'G':
                groupId = run(group, f, {2, 3, 4, 5});
                resources.clear();
                tasks.clear();
                contacts.clear();
                break;
            case 'R':
                resources.insert(name, run(resource, f, {2, 3, 4, 5}, groupId));
                break;
            case 'T':
                tasks.insert(name, run(task, f, {2, 3, 4, 5, 6}, groupId));
                break;
            case 'C': {
                const qint64 id = run(contact, f, {2, 3, 4, 5});
                contacts.insert(name, id);
                link.bindValue(0, groupId);
                link.bindValue(1, id);
                link.exec();
                break;
            }
            case 'A':
                booking.bindValue(0, tasks.value(QString::fromUtf8(f.value(2))));
                booking.bindValue(1, f.value(4).toInt());
                booking.bindValue(2, f.value(5).toInt());
                booking.bindValue(3, f.value(6).toInt());
                booking.bindValue(4, contacts.value(QString::fromUtf8(f.value(3))));
                booking.bindValue(5, resources.value(name));
                for (int i = 0; i < 4; ++i)
                    booking.bindValue(6 + i, QString::fromUtf8(f.value(7 + i)));
                booking.exec();
                break;
            default:
                break;
            }
        }
        db.commit();
        elapsed = t.nsecsElapsed();
        db.close();
    }
    QSqlDatabase::removeDatabase("bare-restore");
    return elapsed;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    ProgramFolder::Set(folder.path());
    const QString dbPath = folder.filePath("Tarvelo.db");
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1) {
        if (!QFile::copy(args.at(1), dbPath)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(args.at(1)));
            return 1;
        }
    } else {
        const BenchDataCounts counts = GenerateBenchDatabase(dbPath);
        if (!counts.error.isEmpty()) {
            std::fprintf(stderr, "generating failed: %s\n", qPrintable(counts.error));
            return 1;
        }
        std::printf("generated %d bookings in %.2f s\n", counts.bookings,
                    counts.milliseconds / 1000.0);
    }
    const QString barePath = folder.filePath("Bare.db");
    if (!DbSchema::CreateDatabase(barePath).isEmpty() || !ModMain::Initialise()) {
        std::fprintf(stderr, "cannot open the databases\n");
        return 1;
    }

    const QString backupPath = folder.filePath("backup.txt");
    const QString bareBackupPath = folder.filePath("bare.txt");
    // Baselines first each time, so that neither side finds a warmer cache.
    const qint64 bareBackup = BareBackup(Database::DAO().Connection(), bareBackupPath);
    BackupFile backup;
    QElapsedTimer t;
    t.start();
    const bool backedUp = backup.BackupDb(backupPath);
    const qint64 backupTime = t.nsecsElapsed();
    const QByteArray first = ReadAll(backupPath);

    const qint64 bareRestore = BareRestore(barePath, first);
    t.restart();
    const bool restored = backup.RestoreDb(backupPath, true);
    const qint64 restoreTime = t.nsecsElapsed();
    const BackupFile::Counts counts = backup.LastCounts();

    BackupFile again;
    const QString againPath = folder.filePath("again.txt");
    const bool sameAgain = again.BackupDb(againPath) && ReadAll(againPath) == first;
    const bool sameBare = ReadAll(bareBackupPath) == first;
    ModMain::Terminate();

    if (!backedUp || !restored || bareBackup < 0 || bareRestore < 0) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(backup.FailureText()));
        return 1;
    }
    const double s = 1e9;
    std::printf("backup file                    %.1f MB, %s\n", first.size() / 1e6,
                qPrintable(BackupFile::DescribeCounts(counts)));
    std::printf("                               BackupFile   bare QtSql   ratio\n");
    std::printf("backup                         %8.2f s   %8.2f s   %5.2f   goal < 10 s and "
                "ratio < 5: %s\n",
                backupTime / s, bareBackup / s, double(backupTime) / double(bareBackup),
                backupTime < 10 * s && backupTime < 5 * bareBackup ? "met" : "NOT MET");
    std::printf("restore with appointments      %8.2f s   %8.2f s   %5.2f   goal < 60 s and "
                "ratio < 5: %s\n",
                restoreTime / s, bareRestore / s, double(restoreTime) / double(bareRestore),
                restoreTime < 60 * s && restoreTime < 5 * bareRestore ? "met" : "NOT MET");
    std::printf("bare backup identical          %s\n", sameBare ? "yes" : "NO");
    std::printf("backup after restore identical %s\n", sameAgain ? "yes" : "NO");
    return 0;
}

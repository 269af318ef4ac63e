#include "transfer/SampleDatabase.h"

#include "base/ErrorLog.h"
#include "base/ErrorTrap.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/ClsDate.h"
#include "model/RecordValue.h"
#include "transfer/BackupFile.h"

#include <QBuffer>
#include <QFile>
#include <QList>
#include <limits>

// The resource lives in this static library: it is registered on first use.
static void RegisterSampleResource() {
    Q_INIT_RESOURCE(sample);
}

namespace {

constexpr int kDateField = 5; // BookingDate in an "A" line

// The Monday on or before a day.
qint32 MondayOf(qint32 day) {
    return day - (ClsDate::LongToDate(day).dayOfWeek() - 1);
}

} // namespace

QByteArray SampleDatabase::SampleBackup() {
    RegisterSampleResource();
    QFile file(QStringLiteral(":/sample/sample.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray SampleDatabase::MoveDates(const QByteArray& backup, qint32 today) {
    QList<QByteArray> lines = backup.split('\n');
    qint32 first = std::numeric_limits<qint32>::max();
    for (const QByteArray& line : lines) {
        if (!line.startsWith('A'))
            continue;
        qint32 day = 0;
        const QString field = BackupFile::GetField(QString::fromUtf8(line.trimmed()), kDateField);
        if (TrapSilent([&] { day = RecordValue::ToInt32(field); }))
            first = std::min(first, day);
    }
    if (first == std::numeric_limits<qint32>::max())
        return backup;
    const qint32 shift = (MondayOf(today) - 7) - MondayOf(first);
    for (QByteArray& line : lines) {
        if (!line.startsWith('A'))
            continue;
        QList<QByteArray> fields = line.split('~');
        if (fields.size() < kDateField)
            continue;
        bool ok = false;
        const qint32 day = fields[kDateField - 1].toInt(&ok);
        if (ok)
            fields[kDateField - 1] = QByteArray::number(day + shift);
        line = fields.join('~');
    }
    return lines.join('\n');
}

bool SampleDatabase::DatabaseIsEmpty() {
    bool empty = false;
    TrapSilent([&] {
        const Recordset rs = Database::DAO().SqlQuery(QStringLiteral(
            "select (select count(*) from tblGroups) + (select count(*) from tblResources) + "
            "(select count(*) from tblTasks) + (select count(*) from tblCustomers) + "
            "(select count(*) from tblBookings)"));
        empty = !rs.Eof() && rs.Fields(0).Long() == 0;
    });
    return empty;
}

bool SampleDatabase::Load(QString* message) {
    QString text;
    bool ok = false;
    if (!DatabaseIsEmpty()) {
        text = QStringLiteral("The database %1 already holds data: the sample was not loaded.")
                   .arg(Database::DAO().DbPath());
    } else {
        QByteArray data = MoveDates(SampleBackup(), ClsDate::Today());
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        BackupFile backup;
        ok = !data.isEmpty() && backup.Restore(buffer, true, QStringLiteral("The sample database"));
        if (ok)
            text =
                QStringLiteral("Sample database loaded into %1: %2.")
                    .arg(Database::DAO().DbPath(), BackupFile::DescribeCounts(backup.LastCounts()));
        else
            text =
                QStringLiteral("The sample database could not be loaded. ") + backup.FailureText();
    }
    ErrorLog::Write(text);
    if (message)
        *message = text;
    return ok;
}

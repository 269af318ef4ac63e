#include "transfer/CsvExport.h"

#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "base/FileWriter.h"
#include "model/ClsDate.h"
#include "model/ScheduleData.h"
#include "transfer/ExportFiles.h"

#include <QDir>
#include <limits>

namespace {
// The writer names the file before its reason; the callers name it themselves.
QString ReasonOf(const FileWriter& file, const QString& path) {
    const QString prefix = QDir::toNativeSeparators(path) + QStringLiteral(": ");
    const QString error = file.Error();
    return error.startsWith(prefix) ? error.mid(prefix.size()) : error;
}
} // namespace

QString CsvExport::Header() {
    return QStringLiteral("\"BookingId\",\"Date\",\"Start\",\"End\",\"Minutes\",\"Customer\","
                          "\"Task\",\"Ref01\",\"Ref02\",\"Ref03\"");
}

QString CsvExport::NumberField(qint64 value) {
    return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + QString::number(qAbs(value)) +
           QLatin1Char(' ');
}

QString CsvExport::TextField(const QString& text) {
    QString inner = text;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString CsvExport::ExportFolder() {
    return ExportFiles::Folder();
}

QString CsvExport::ExportPath(const QString& resourceName) {
    return ExportFiles::PathFor(resourceName, QStringLiteral(".csv"));
}

bool CsvExport::Export(qint32 resourceId, const QString& resourceName) {
    m_path = ExportPath(resourceName);
    m_lines = 0;
    m_failure.clear();
    bool ok = false;
    Trap("CsvExport.Export", [&] {
        QDir().mkpath(ExportFolder()); // an existing folder is no error
        FileWriter file(m_path);
        if (!file.Open()) {
            m_failure = ReasonOf(file, m_path);
            return;
        }
        QByteArray out = (Header() + QStringLiteral("\r\n")).toUtf8();
        // Every date of the resource, through the schedule's query; a
        // missing contact, type or reference is an empty text.
        ScheduleData data;
        ScheduleData::Selection selection;
        selection.resourceId = resourceId;
        selection.firstDate = std::numeric_limits<qint32>::min();
        selection.lastDate = std::numeric_limits<qint32>::max();
        selection.contactNames = true;
        selection.details = true;
        if (!data.Load(selection)) {
            m_failure = QStringLiteral("the bookings cannot be read");
            return;
        }
        for (const ScheduleData::Row& row : data.Rows()) {
            for (const ScheduleData::Bar& bar : data.Bars(row)) {
                EventPump::Run();
                const ScheduleData::Details& details = data.DetailsOf(bar);
                const QStringList fields = {
                    NumberField(bar.bookingId),
                    TextField(ClsDate::FormatDate(bar.date, QStringLiteral("dd mmm yyyy"))),
                    TextField(ClsDate::ShowTime(bar.start, true)),
                    TextField(ClsDate::ShowTime(bar.end, true)),
                    NumberField(qint64(bar.end) - bar.start),
                    TextField(bar.text),
                    TextField(details.taskName),
                    TextField(details.ref01),
                    TextField(details.ref02),
                    TextField(details.ref03),
                };
                out += (fields.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8();
                ++m_lines;
            }
        }
        // A full disk keeps the earlier file, and the failure says why.
        if (!file.Write(out) || !file.Commit()) {
            m_failure = ReasonOf(file, m_path);
            return;
        }
        ok = true;
    });
    if (!ok && m_failure.isEmpty())
        m_failure = QStringLiteral("the export failed");
    return ok;
}

#include "data/CsvExport.h"

#include "app/ErrorTrap.h"
#include "app/EventPump.h"
#include "app/FileWriter.h"
#include "app/ModMain.h"
#include "data/ClsDAO.h"
#include "data/ExportFiles.h"
#include "model/ClsDate.h"

#include <QDir>

namespace {
QString TextOf(const FieldValue& f) {
    return f.IsNull() ? QString() : f.Value.toString();
}
qint64 NumberOf(const FieldValue& f) {
    return f.IsNull() ? 0 : f.Value.toLongLong();
}
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
        // "||" joins texts in SQLite; a missing contact or type stays null.
        Recordset rs = ModMain::DAO().SqlQuery(
            QStringLiteral("select (select CustomerName from tblCustomers where CustomerId = "
                           "tblBookings.CustomerId) || '', (select TaskName from tblTasks where "
                           "TaskId = tblBookings.TaskId) || '', * from tblBookings where "
                           "ResourceId = ") +
            QString::number(resourceId) + QStringLiteral(" order by BookingDate, BookingStart"));
        if (!rs.IsOpen()) {
            m_failure = QStringLiteral("the bookings cannot be read");
            return;
        }
        for (; !rs.Eof(); rs.MoveNext()) {
            EventPump::Run();
            const qint64 start = NumberOf(rs.Fields(QStringLiteral("BookingStart")));
            const qint64 end = NumberOf(rs.Fields(QStringLiteral("BookingEnd")));
            const QStringList fields = {
                NumberField(NumberOf(rs.Fields(QStringLiteral("BookingId")))),
                TextField(
                    ClsDate::FormatDate(qint32(NumberOf(rs.Fields(QStringLiteral("BookingDate")))),
                                        QStringLiteral("dd mmm yyyy"))),
                TextField(ClsDate::ShowTime(int(start), true)),
                TextField(ClsDate::ShowTime(int(end), true)),
                NumberField(end - start),
                TextField(TextOf(rs.Fields(0))),
                TextField(TextOf(rs.Fields(1))),
                TextField(TextOf(rs.Fields(QStringLiteral("Ref01")))),
                TextField(TextOf(rs.Fields(QStringLiteral("Ref02")))),
                TextField(TextOf(rs.Fields(QStringLiteral("Ref03")))),
            };
            out += (fields.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8();
            ++m_lines;
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

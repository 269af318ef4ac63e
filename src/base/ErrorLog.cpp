#include "base/ErrorLog.h"

#include "base/ErrorTrap.h"
#include "base/ProgramFolder.h"

#include <QDateTime>
#include <QFile>

namespace {

QString LogLinePrefix() {
    return QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yy HH:mm:ss"));
}

} // namespace

void ErrorTrap::LogTrapped(const char* where) {
    ErrorLog::Write(QStringLiteral("Error in ") + QString::fromUtf8(where));
}

void ErrorLog::Write(const QString& message) {
    try {
        QFile file(Path());
        if (!file.open(QIODevice::Append | QIODevice::WriteOnly))
            return;
        QString text = message.size() > MaxMessage
                           ? message.left(MaxMessage) + QStringLiteral("\u2026")
                           : message;
        // One line per entry: a line break inside a name would start a new one.
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
            .replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        file.write((LogLinePrefix() + QLatin1Char(' ') + text + QStringLiteral("\r\n")).toUtf8());
        file.close();
    } catch (...) {
    }
}

QString ErrorLog::Path() { return ProgramFolder::FilePath(QStringLiteral("Error.txt")); }

#include "base/ProgramVersion.h"

QString ProgramVersion::Format(int major, int minor, int revision) {
    return QStringLiteral("%1.%2.%3")
        .arg(major)
        .arg(minor, 2, 10, QLatin1Char('0'))
        .arg(revision, 2, 10, QLatin1Char('0'));
}

QString ProgramVersion::Number() {
    return Format(TARVELO_VERSION_MAJOR, TARVELO_VERSION_MINOR, TARVELO_VERSION_PATCH);
}

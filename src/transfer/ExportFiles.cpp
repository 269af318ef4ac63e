#include "transfer/ExportFiles.h"

#include "base/ProgramFolder.h"

#include <QDir>

namespace ExportFiles {

QString Folder() {
    return ProgramFolder::FilePath(QStringLiteral("Export"));
}

QString SafeName(const QString& name) {
    QString safe = name;
    for (QChar& c : safe)
        if (c == QLatin1Char('/') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    return safe;
}

QString PathFor(const QString& name, const QString& suffix) {
    return QDir(Folder()).filePath(SafeName(name) + suffix);
}

} // namespace ExportFiles

#include "app/FirstStart.h"

#include "base/ProgramFolder.h"
#include "data/DbSchema.h"

#include <QDir>
#include <QFileInfo>

namespace FirstStart {

bool IsNewInstallation() {
    return !QFileInfo::exists(ProgramFolder::FilePath(ProgramFolder::ExecutableBaseName() +
                                                       QStringLiteral(".ini"))) &&
           !QFileInfo::exists(ProgramFolder::DefaultDbPath());
}

QString Prepare() {
    const QString folder = ProgramFolder::Path();
    if (!QDir().mkpath(folder))
        return QDir::toNativeSeparators(folder) + QStringLiteral(": the folder cannot be made");
    if (!QFileInfo(folder).isWritable())
        return QDir::toNativeSeparators(folder) + QStringLiteral(": the folder cannot be written");
    const QString problem = DbSchema::CreateDatabase(ProgramFolder::DefaultDbPath());
    if (!problem.isEmpty())
        return QDir::toNativeSeparators(ProgramFolder::DefaultDbPath()) + QStringLiteral(": ") +
               problem;
    return QString();
}

} // namespace FirstStart

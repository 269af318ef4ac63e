#include "app/FirstStart.h"

#include "app/ModMain.h"
#include "data/DbSchema.h"

#include <QDir>
#include <QFileInfo>

namespace FirstStart {

bool IsNewInstallation() {
    return !QFileInfo::exists(
               ModMain::ProgramPath(ModMain::ExecutableBaseName() + QStringLiteral(".ini"))) &&
           !QFileInfo::exists(ModMain::DefaultDbPath());
}

QString Prepare() {
    const QString folder = ModMain::ProgramFolder();
    if (!QDir().mkpath(folder))
        return QDir::toNativeSeparators(folder) + QStringLiteral(": the folder cannot be made");
    if (!QFileInfo(folder).isWritable())
        return QDir::toNativeSeparators(folder) + QStringLiteral(": the folder cannot be written");
    const QString problem = DbSchema::CreateDatabase(ModMain::DefaultDbPath());
    if (!problem.isEmpty())
        return QDir::toNativeSeparators(ModMain::DefaultDbPath()) + QStringLiteral(": ") + problem;
    return QString();
}

QString ChooseProgramFolder(const QString& executableFolder, const QString& settingsName,
                            const QString& dataFolder) {
    // Only a settings file someone put there makes the executable's folder the
    // program folder: a folder that may merely be written (/usr/bin for root)
    // would otherwise gain a settings file that every later user then shares.
    if (QFileInfo::exists(QDir(executableFolder).filePath(settingsName)))
        return executableFolder;
    return dataFolder;
}

} // namespace FirstStart

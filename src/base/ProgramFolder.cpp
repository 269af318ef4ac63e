#include "base/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString g_programFolder;

// Where the program keeps its files when neither --home nor TARVELO_HOME
// names a folder. Only a settings file someone put there makes the
// executable's folder the program folder: a folder that may merely be
// written (/usr/bin for root) would otherwise gain a settings file that every
// later user then shares.
QString ChooseProgramFolder(const QString& executableFolder, const QString& settingsName,
                            const QString& dataFolder) {
    if (QFileInfo::exists(QDir(executableFolder).filePath(settingsName)))
        return executableFolder;
    return dataFolder;
}

} // namespace

QString ProgramFolder::Path() {
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    const QString env = qEnvironmentVariable("TARVELO_HOME");
    if (!env.isEmpty())
        return QDir::cleanPath(QDir(env).absolutePath());
    static const QString chosen = ChooseProgramFolder(
        QCoreApplication::applicationDirPath(), ExecutableBaseName() + QStringLiteral(".ini"),
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/Tarvelo")));
    return chosen;
}

void ProgramFolder::Set(const QString& folder) {
    g_programFolder = folder.isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
}

QString ProgramFolder::FilePath(const QString& fileName) {
    return QDir(Path()).filePath(fileName);
}

QString ProgramFolder::ExecutableBaseName() {
    const QString path = QCoreApplication::applicationFilePath();
    const QString base = QFileInfo(path).completeBaseName();
    return base.isEmpty() ? QStringLiteral("tarvelo") : base;
}

QString ProgramFolder::DefaultDbPath() { return FilePath(QStringLiteral("Tarvelo.db")); }

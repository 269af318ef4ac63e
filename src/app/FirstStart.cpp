#include "app/FirstStart.h"

#include "base/ClsIni.h"
#include "base/ProgramFolder.h"
#include "data/DbSchema.h"
#include "print/PageSizes.h"

#include <QDir>
#include <QFileInfo>

namespace FirstStart {

namespace {
QString IniPath() {
    return ProgramFolder::FilePath(ProgramFolder::ExecutableBaseName() + QStringLiteral(".ini"));
}
} // namespace

bool IsNewInstallation() {
    return !QFileInfo::exists(IniPath()) && !QFileInfo::exists(ProgramFolder::DefaultDbPath());
}

bool WriteFirstSettings(const QString& iniPath, const QLocale& locale) {
    ClsIni ini;
    ini.SetIniFile(iniPath);
    return ini.WriteValues(QStringLiteral("Options"),
                           {{QStringLiteral("DispCustomer"), 1},
                            {QStringLiteral("PopupReminders"), 1},
                            {QStringLiteral("ColourPrint"), 1},
                            {QStringLiteral("PageSize"), PageSizes::LocaleCode(locale)}});
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
    // Settings that cannot be written leave the old defaults: the program
    // runs as well without them, and the log says why at the next write.
    WriteFirstSettings(IniPath(), QLocale());
    return QString();
}

} // namespace FirstStart

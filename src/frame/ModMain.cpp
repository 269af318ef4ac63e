#include "frame/ModMain.h"

#include "base/ClsIni.h"
#include "base/ErrorLog.h"
#include "base/ErrorTrap.h"
#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "base/ProgramState.h"
#include "base/Settings.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/Records.h"

#include <QFile>

bool ModMain::Initialise(LogStart logStart) {
    bool result = false;
    const bool created = Trap("ModMain.Initialise", [] {
        Database::Create();
        Settings::Create();
        Records::Create();
    });
    if (!created)
        return false;
    ProgramState::SetRunning(true);

    // From here a failing step is skipped; only the open decides the result.
    if (logStart == LogStart::Restart)
        TrapSilent([] { QFile::remove(ErrorLog::Path()); });
    ErrorLog::Write(QStringLiteral("Starting up"));
    TrapSilent([] {
        Settings::Ini().SetIniFile(
            ProgramFolder::FilePath(ProgramFolder::ExecutableBaseName() + QStringLiteral(".ini")));
    });
    // A settings file that is there but cannot be read may name a shared
    // database: starting on the default one instead would book where no
    // other workstation sees it.
    QString settingsProblem;
    TrapSilent([&] { settingsProblem = Settings::Ini().ReadProblem(); });
    if (!settingsProblem.isEmpty()) {
        ErrorLog::Write(settingsProblem);
        Messages::Warning(QStringLiteral("Unable to read the settings file!\n") + settingsProblem);
        return false;
    }
    // Only a new installation, whose settings name no database yet, gets the
    // default one, written down once it has opened: a start that fails (a
    // command-line verb run before the first windowed start) leaves the
    // settings without a name, so that the next start is still a new
    // installation and creates the database. A database the settings name is
    // used as it is, however long its name, and never written over: when it
    // cannot be found (a share that is not mounted) the start says so
    // instead of booking into a local database nobody else sees.
    QString dbPath = ProgramFolder::DefaultDbPath();
    bool named = false;
    TrapSilent([&] {
        const QString configured =
            Settings::Ini().GetWholeValue(QStringLiteral("Config"), QStringLiteral("DbName"));
        named = !configured.isEmpty();
        if (named)
            dbPath = configured;
    });
    TrapSilent([&] {
        const int status = Database::DAO().DbOpen(dbPath);
        if (status == 0)
            result = true;
        else
            Messages::Warning(QStringLiteral("Unable to open database!\n") +
                              Database::Problem(dbPath));
    });
    if (result && !named)
        TrapSilent([&] {
            Settings::Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("DbName"), dbPath);
        });
    return result;
}

void ModMain::Terminate() {
    Trap("ModMain.Terminate", [] {
        ProgramState::SetRunning(false);
        Records::Release();
        Settings::Release();
        Database::Release();
        ErrorLog::Write(QStringLiteral("Closing down"));
    });
}

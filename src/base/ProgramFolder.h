#pragma once

#include <QString>

// The program folder holds the settings file, error log, default database,
// Backup/, Export/ and Groups.ini. It is the folder Set names (--home DIR),
// else TARVELO_HOME, else the executable's folder when it already holds the
// settings file (a portable copy someone set up on purpose), else the user's
// data folder (an installed program). Nothing is ever created beside the
// executable.
class ProgramFolder {
public:
    static QString Path();
    // An empty name goes back to the search above.
    static void Set(const QString& folder);
    // A file in the program folder.
    static QString FilePath(const QString& fileName);
    static QString ExecutableBaseName();
    static QString DefaultDbPath();
};

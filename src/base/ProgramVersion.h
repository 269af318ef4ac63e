#pragma once

#include <QString>

// The program's version as the windows, reports and settings show it:
// major.minor.revision with two digits for the last two ("1.00.00").
class ProgramVersion {
public:
    static QString Number();
    static QString Format(int major, int minor, int revision);
};

#pragma once

#include <QPageSize>
#include <QString>

// The twelve printer page sizes a workstation can choose, by the code stored
// as "Options"/"PageSize" (1 to 12). The configuration dialog lists them and
// the print preview sets its paper from them; a stored code outside 1..12
// (or no number at all) stands for the first size, Letter.
class PageSizes {
public:
    static constexpr int First = 1;
    static constexpr int Last = 12;

    // The code itself when it is one of the twelve, otherwise First.
    static int ValidCode(int code);
    // The text shown in lists ("A4 210x297mm").
    static QString Text(int code);
    // The paper of a code, as a printer takes it.
    static QPageSize ToPageSize(int code);
    // The code stored in the settings file, made valid.
    static int StoredCode();
};

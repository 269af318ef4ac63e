#pragma once

#include <QLocale>
#include <QPageSize>
#include <QString>

// The twelve printer page sizes a workstation can choose, by the code stored
// as "Options"/"PageSize" (1 to 12). The configuration dialog lists them and
// the print preview and the printed lists set their paper from them; a code
// outside 1..12 (or a stored text that is no number) stands for Default,
// Letter.
class PageSizes {
public:
    static constexpr int First = 1;
    static constexpr int Last = 12;
    static constexpr int Default = First;

    static bool IsValid(int code);
    // The text shown in lists ("A4 210x297mm").
    static QString Text(int code);
    // The paper of a code, as a printer takes it.
    static QPageSize Size(int code);
    // The code stored in the settings file, read now; Default when invalid.
    static int CurrentCode();
    // The paper of the user's country: Letter in North and Central America
    // and the few other countries that use it, A4 everywhere else.
    static int LocaleCode(const QLocale& locale);
};

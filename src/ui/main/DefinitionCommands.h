#pragma once

#include <QString>

class DlgMain;

// The Group and Resource commands of the main window's toolbar menus: New,
// Edit and Delete of the shown group and of the selected resource, with
// their dialogs, questions and warnings. Afterwards the main window shows
// the group or resource that was saved (or what is left after a delete).
class DefinitionCommands {
public:
    // Runs the command of a button-menu key ("AddGroup", "EditGroup",
    // "DeleteGroup", "AddRes", "EditRes", "DeleteRes"). False for any other
    // key, which the caller then handles itself.
    static bool Run(DlgMain& main, const QString& key);
};

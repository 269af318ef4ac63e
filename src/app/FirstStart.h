#pragma once

#include <QString>

// The first start of a new installation: the program folder holds neither a
// settings file nor a database at the default path. The program then makes
// the folder and an empty database there, and the main window offers the
// sample clinic once. A workstation whose settings name a database is never
// given a new one in its place.
namespace FirstStart {
bool IsNewInstallation();
// Makes the program folder and an empty database at the default path.
// Returns an empty text, or why it could not (the folder and the reason).
QString Prepare();
} // namespace FirstStart

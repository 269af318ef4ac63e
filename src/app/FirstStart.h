#pragma once

#include <QLocale>
#include <QString>

// The first start of a new installation: the program folder holds neither a
// settings file nor a database at the default path. The program then makes
// the folder and an empty database there, and the main window offers the
// sample clinic once. A workstation whose settings name a database is never
// given a new one in its place.
//
// The settings file it writes turns on what a new user reads the schedule
// by: the contact and type on the bars, the details over a bar, printing in
// colour, and the paper of the user's country. A settings file without
// these keys keeps the old defaults (all off, Letter).
namespace FirstStart {
bool IsNewInstallation();
// Makes the program folder and an empty database at the default path.
// Returns an empty text, or why it could not (the folder and the reason).
// Then writes the first settings (WriteFirstSettings).
QString Prepare();
// Writes the options of a new installation to the settings file at `iniPath`,
// the paper by `locale`. False when the file could not be written.
bool WriteFirstSettings(const QString& iniPath, const QLocale& locale);
} // namespace FirstStart

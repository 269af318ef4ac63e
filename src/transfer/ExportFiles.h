#pragma once

#include <QString>

// The folder "Export" in the program folder, where the CSV and calendar
// exports write, and the file names they write there.
namespace ExportFiles {
QString Folder();
// A name as a file name: a character that cannot stand in a file name ("/"
// and control characters) becomes "_", so the file always lies in the folder.
QString SafeName(const QString& name);
// Folder()/SafeName(name) + suffix (".csv", ".ics").
QString PathFor(const QString& name, const QString& suffix);
} // namespace ExportFiles

#pragma once

#include <QString>

// The error log: Error.txt in the program folder, one line per entry with the
// date and time before it. Whoever writes it carries on whether or not the
// line could be written.
class ErrorLog {
public:
    // A log line carries at most this many characters of its message (a
    // name of a megabyte is not copied whole), and never a line break.
    static constexpr int MaxMessage = 2000;
    static void Write(const QString& message);
    static QString Path();
};

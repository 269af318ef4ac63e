#pragma once

// The program frame: start-up and shutdown, for the main window and the
// command-line verbs alike. Initialise makes the shared objects of the layers
// below (the database connection, the settings file, the record classes),
// starts the error log, names the settings file and opens the database the
// settings name; Terminate ends them in the reverse order.
class ModMain {
public:
    // The windowed start begins a new error log; the command-line verbs add
    // to it, so that a nightly backup keeps the log of the workstation that
    // shares the program folder.
    enum class LogStart { Restart, Append };
    static bool Initialise(LogStart logStart = LogStart::Restart);
    static void Terminate();
};

#pragma once

class QCommandLineParser;

// Maintenance from the command line, for a workstation or a server without a
// screen: backup, restore, CSV export, integrity check and the sample
// database, on the database named in the program folder's settings. Each
// verb starts the program frame without a window, prints what it did (the
// message boxes go to stderr), writes the same files and log lines as the
// menu command and returns a non-zero exit code on failure.
class MaintenanceVerbs {
public:
    // True when the command line asks for work that needs no window (these
    // verbs, creating a database, help or version), so that no display is
    // needed.
    static bool IsConsoleRun(int argc, char* argv[]);
    static void AddOptions(QCommandLineParser& parser);
    static bool HasVerb(const QCommandLineParser& parser);
    // Runs the verb named on the command line; returns the exit code.
    static int Run(const QCommandLineParser& parser);
};

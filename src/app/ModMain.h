#pragma once

#include <QString>
#include <functional>

class QDialog;
class QWidget;
class ClsDAO;
class ClsForms;
class ClsIni;
class ClsDate;
class ClsGroup;
class ClsResource;
class ClsTask;
class ClsCustomer;
class ClsBooking;

// The program frame: the shared instances, start-up and shutdown, the error
// log, the standard message boxes and the modal-window seam.
class ModMain {
public:
    enum class BoxKind { Confirm, Warning, Critical, Information };
    // A test replaces the message boxes with a handler; its result is the
    // answer of a Confirm box (true for Yes) and ignored for the others.
    using BoxHandler =
        std::function<bool(BoxKind kind, const QString& title, const QString& text)>;
    // A test replaces exec() of modal windows; the handler returns the result code.
    using ModalHandler = std::function<int(QDialog* dialog)>;

    // The windowed start begins a new error log; the command-line verbs add
    // to it, so that a nightly backup keeps the log of the workstation that
    // shares the program folder.
    enum class LogStart { Restart, Append };
    static bool Initialise(LogStart logStart = LogStart::Restart);
    static void Terminate();
    static bool IsRunning();

    // A log line carries at most this many characters of its message (a
    // name of a megabyte is not copied whole), and never a line break.
    static constexpr int MaxLogMessage = 2000;
    static void WriteLog(const QString& message);
    static bool Confirm(const QString& prompt);
    static void Warning(const QString& prompt);
    static void CriticalError(const QString& prompt);
    static void Information(const QString& title, const QString& text);
    // An OK box with an exclamation icon and a title of the caller's choice.
    static void Exclamation(const QString& title, const QString& text);
    static QString VersionNumber();
    static QString FormatVersion(int major, int minor, int revision);

    // Shows a window modally through the seam; returns the dialog's result code.
    static int ShowModal(QDialog* dialog);

    static void SetBoxHandler(BoxHandler handler);
    static void SetModalHandler(ModalHandler handler);

    // Progress shown in a status bar panel of the main window ("Task",
    // "Person", ...) by work below the windows; the main window registers the
    // handler, and without one the text goes nowhere.
    using StatusHandler = std::function<void(const QString& panel, const QString& text)>;
    static void ShowStatus(const QString& panel, const QString& text);
    static void SetStatusHandler(StatusHandler handler);

    // The program folder holds the settings file, error log, default database,
    // Backup/, Export/ and Groups.ini.
    static QString ProgramFolder();
    static void SetProgramFolder(const QString& folder);
    static QString ProgramPath(const QString& fileName);
    static QString ExecutableBaseName();
    static QString LogFilePath();
    static QString DefaultDbPath();
    // "path: reason" on one line, for a database that could not be opened.
    static QString DatabaseProblem(const QString& path);

    static ClsDAO& DAO();
    static ClsForms& Forms();
    static ClsIni& Ini();
    static ClsDate& Date();
    static ClsGroup& Group();
    static ClsResource& Resource();
    static ClsTask& Task();
    static ClsCustomer& Customer();
    static ClsBooking& Booking();

};

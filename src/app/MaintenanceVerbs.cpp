#include "app/MaintenanceVerbs.h"

#include "app/CalendarVerb.h"
#include "app/HistoryVerb.h"
#include "base/ErrorTrap.h"
#include "base/Messages.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "frame/ModMain.h"
#include "transfer/BackupFile.h"
#include "transfer/CsvExport.h"
#include "transfer/IntegrityReport.h"
#include "transfer/SampleDatabase.h"

#include <QByteArray>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>

namespace {

const QCommandLineOption& BackupOption() {
    static const QCommandLineOption o(
        QStringLiteral("backup"),
        QStringLiteral("Back the database up to Backup/yyyymmdd.txt in the program folder."));
    return o;
}
const QCommandLineOption& RestoreOption() {
    static const QCommandLineOption o(
        QStringLiteral("restore"),
        QStringLiteral("Replace the whole database with the backup FILE (a bare file name is also "
                       "looked for in the Backup folder)."),
        QStringLiteral("FILE"));
    return o;
}
const QCommandLineOption& NoAppointmentsOption() {
    static const QCommandLineOption o(
        QStringLiteral("no-appointments"),
        QStringLiteral("With --restore: leave the appointments out."));
    return o;
}
const QCommandLineOption& ExportOption() {
    static const QCommandLineOption o(
        QStringLiteral("export-csv"),
        QStringLiteral("Export the bookings of the resource RESOURCE-NAME to Export/<name>.csv."),
        QStringLiteral("RESOURCE-NAME"));
    return o;
}
const QCommandLineOption& GroupOption() {
    static const QCommandLineOption o(
        QStringLiteral("group"),
        QStringLiteral("With --export-csv, --export-ics or --history: the group of the resource "
                       "or contact, where several share its name; alone with --export-ics: the "
                       "group to export."),
        QStringLiteral("GROUP-NAME"));
    return o;
}
const QCommandLineOption& IntegrityOption() {
    static const QCommandLineOption o(
        QStringLiteral("integrity-check"),
        QStringLiteral("Repair the database: fill missing names and remove rows that refer to "
                       "missing records; count the appointments that overlap another."));
    return o;
}
const QCommandLineOption& SampleOption() {
    static const QCommandLineOption o(
        QStringLiteral("load-sample"),
        QStringLiteral("Fill an empty database with the sample clinic, its bookings around today. "
                       "A database holding data is left alone."));
    return o;
}

const char* const kConsoleWords[] = {"--create-database",
                                     "--backup",
                                     "--restore",
                                     "--export-csv",
                                     "--export-ics",
                                     "--history",
                                     "--integrity-check",
                                     "--load-sample",
                                     "--help",
                                     "-h",
                                     "-?",
                                     "--version",
                                     "-v"};

void Print(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

// The program's message boxes, without a screen.
bool PrintBox(Messages::BoxKind kind, const QString& title, const QString& text) {
    // One line on the terminal: the paragraphs of a box join with a blank.
    const QString flat = QString(text).replace(
        QRegularExpression(QStringLiteral("\\s*[\r\n]+\\s*")), QStringLiteral(" "));
    Print(stderr, title + QLatin1Char(' ') + flat);
    // Nobody is there to answer: a question is answered No.
    Q_UNUSED(kind);
    return false;
}

int RunBackup() {
    BackupFile backup;
    QString path;
    const bool ok = backup.BackupToday(&path);
    if (!ok) {
        Print(stderr, QStringLiteral("Backup FAILED! ") + backup.FailureText());
    } else {
        Print(stdout, QStringLiteral("Backup saved to ") + path);
        Print(stdout, BackupFile::DescribeCounts(backup.LastCounts()) + QLatin1Char('.'));
    }
    for (const QString& warning : backup.Warnings())
        Print(stderr, QStringLiteral("Warning: ") + warning);
    return ok ? 0 : 1;
}

int RunRestore(const QCommandLineParser& parser) {
    QString path = parser.value(RestoreOption());
    // A bare file name that is not in the current folder is one of the backups.
    if (!QFileInfo::exists(path) && !path.contains(QLatin1Char('/')))
        path = QDir(BackupFile::BackupFolder()).filePath(path);
    path = QFileInfo(path).absoluteFilePath();
    const bool appointments = !parser.isSet(NoAppointmentsOption());
    BackupFile backup;
    if (!backup.RestoreDb(path, appointments)) {
        Print(stderr, QStringLiteral("Restore FAILED! ") + backup.FailureText() +
                          QStringLiteral(" The database was left as it was."));
        return 1;
    }
    Print(stdout, QStringLiteral("Database restored from ") + path +
                      (appointments ? QString() : QStringLiteral(" without appointments")));
    Print(stdout, BackupFile::DescribeCounts(backup.LastCounts()) + QLatin1Char('.'));
    const QString note = BackupFile::RestoreNote(backup.LastCounts());
    if (!note.isEmpty())
        Print(stdout, note);
    return 0;
}

int RunExport(const QCommandLineParser& parser) {
    qint32 id = 0;
    QString resourceName;
    if (!CalendarVerb::FindResource(parser.value(ExportOption()),
                                    parser.isSet(GroupOption()) ? parser.value(GroupOption())
                                                                : QString(),
                                    Print, &id, &resourceName))
        return 1;
    CsvExport csv;
    if (!csv.Export(id, resourceName)) {
        Print(stderr, QStringLiteral("Export FAILED! ") + csv.Path() + QStringLiteral(": ") +
                          csv.Failure() + QLatin1Char('.'));
        return 1;
    }
    Print(stdout, QStringLiteral("Data exported to: ") + csv.Path());
    Print(stdout, QStringLiteral("%1 appointments.").arg(csv.Lines()));
    return 0;
}

int RunIntegrityCheck() {
    IntegrityReport report;
    if (!report.Run()) {
        Print(stderr, QStringLiteral("Integrity check FAILED! ") + report.Failure());
        return 1;
    }
    Print(stdout, QStringLiteral("Database integrity check done on ") + Database::DAO().DbPath());
    Print(stdout, report.RemovedText());
    // What the check leaves to the user, each row with where and when it is.
    for (const QString& line : report.Summary() + report.Details())
        Print(stdout, line);
    return 0;
}

int RunLoadSample() {
    QString message;
    const bool ok = SampleDatabase::Load(&message);
    Print(ok ? stdout : stderr, message);
    return ok ? 0 : 1;
}

} // namespace

bool MaintenanceVerbs::IsConsoleRun(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        for (const char* word : kConsoleWords)
            if (arg == word || arg.startsWith(QByteArray(word) + '=') || arg == "--help-all")
                return true;
    }
    return false;
}

void MaintenanceVerbs::AddOptions(QCommandLineParser& parser) {
    parser.addOption(BackupOption());
    parser.addOption(RestoreOption());
    parser.addOption(NoAppointmentsOption());
    parser.addOption(ExportOption());
    parser.addOption(GroupOption());
    parser.addOption(IntegrityOption());
    parser.addOption(SampleOption());
    CalendarVerb::AddOptions(parser);
    parser.addOption(HistoryVerb::Option());
}

bool MaintenanceVerbs::HasVerb(const QCommandLineParser& parser) {
    return parser.isSet(BackupOption()) || parser.isSet(RestoreOption()) ||
           parser.isSet(ExportOption()) || parser.isSet(IntegrityOption()) ||
           parser.isSet(SampleOption()) || parser.isSet(CalendarVerb::Option()) ||
           parser.isSet(HistoryVerb::Option());
}

int MaintenanceVerbs::Run(const QCommandLineParser& parser) {
    const int verbs = int(parser.isSet(BackupOption())) + int(parser.isSet(RestoreOption())) +
                      int(parser.isSet(ExportOption())) + int(parser.isSet(IntegrityOption())) +
                      int(parser.isSet(SampleOption())) + int(parser.isSet(CalendarVerb::Option())) +
                      int(parser.isSet(HistoryVerb::Option()));
    if (verbs != 1) {
        Print(stderr, QStringLiteral("Give one of --backup, --restore, --export-csv, --export-ics, "
                                     "--history, --integrity-check or --load-sample at a time."));
        return 2;
    }
    Messages::SetBoxHandler(PrintBox);
    if (!ModMain::Initialise(ModMain::LogStart::Append)) {
        ModMain::Terminate();
        return 1;
    }
    Print(CalendarVerb::ToStandardOutput(parser) || HistoryVerb::ToStandardOutput(parser) ? stderr
                                                                                         : stdout,
          QStringLiteral("Database ") + Database::DAO().DbPath());
    int code = 1;
    Trap("MaintenanceVerbs.Run", [&] {
        if (parser.isSet(BackupOption()))
            code = RunBackup();
        else if (parser.isSet(RestoreOption()))
            code = RunRestore(parser);
        else if (parser.isSet(ExportOption()))
            code = RunExport(parser);
        else if (parser.isSet(IntegrityOption()))
            code = RunIntegrityCheck();
        else if (parser.isSet(CalendarVerb::Option()))
            code = CalendarVerb::Run(parser, GroupOption(), Print);
        else if (parser.isSet(HistoryVerb::Option()))
            code = HistoryVerb::Run(parser, GroupOption(), Print);
        else
            code = RunLoadSample();
    });
    ModMain::Terminate();
    return code;
}

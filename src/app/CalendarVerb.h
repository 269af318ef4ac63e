#pragma once

#include <QString>
#include <cstdio>
#include <functional>

class QCommandLineOption;
class QCommandLineParser;

// The command-line verb "--export-ics": the bookings of a resource, a group
// or a contact over a date range written as an iCalendar file, by default
// Export/<name>.ics in the program folder. The maintenance verbs add its
// options and run it once the program frame has started.
namespace CalendarVerb {
const QCommandLineOption& Option();
// --export-ics and the options only it takes (--resource, --contact, --from,
// --to, --output); --group is shared with --export-csv.
void AddOptions(QCommandLineParser& parser);
using Printer = std::function<void(std::FILE* stream, const QString& text)>;
// Exit code 0 when the file was written; 1 when a name is unknown or names
// several records, or the file cannot be written; 2 when the arguments do
// not make sense (no or several of --resource, --group, --contact; a date
// that is no date; a range whose first day comes after its last).
// Whether the calendar goes to the standard output ("--output -"), which
// then carries it alone: the verb's other lines go to the standard error.
bool ToStandardOutput(const QCommandLineParser& parser);
// The resource a name stands for, within the group named `group` unless
// that is null; names compare blind to letter case, and of several the one
// named in the exact letter case is taken. False, the reason printed, when
// none or several are.
bool FindResource(const QString& name, const QString& group, const Printer& print, qint32* id,
                  QString* resourceName);
int Run(const QCommandLineParser& parser, const QCommandLineOption& group, const Printer& print);
// --resource and --output, which --history takes too.
const QCommandLineOption& ResourceOption();
const QCommandLineOption& OutputOption();
// The days of --from and --to: without them the first day is `firstDay`
// and the last `days` after the first (within the days shown). False, the
// reason printed, for a date that is no date or a first day after the last.
bool ReadRange(const QCommandLineParser& parser, qint32 firstDay, qint64 days, const Printer& print,
               qint32* from, qint32* to);
} // namespace CalendarVerb

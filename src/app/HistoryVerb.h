#pragma once

#include "app/CalendarVerb.h"

// The command-line verb "--history": the journal of changes of the
// appointments, as the history window lists it, written as CSV to the
// standard output or to --output FILE. --from and --to limit it to the
// appointments of those days, --resource (in --group) to one resource's.
namespace HistoryVerb {
const QCommandLineOption& Option();
// Whether the CSV goes to the standard output (no --output, or "-"), which
// then carries it alone: the verb's other lines go to the standard error.
bool ToStandardOutput(const QCommandLineParser& parser);
// Exit code 0 when the CSV was written; 1 when the resource is unknown or
// names several, or the file cannot be written; 2 when the arguments do not
// make sense (--group without --resource, a date that is no date, a range
// whose first day comes after its last).
int Run(const QCommandLineParser& parser, const QCommandLineOption& group,
        const CalendarVerb::Printer& print);
} // namespace HistoryVerb

#include "app/HistoryVerb.h"

#include "transfer/BookingHistory.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

const QCommandLineOption& HistoryVerb::Option() {
    static const QCommandLineOption o(
        QStringLiteral("history"),
        QStringLiteral("Write the journal of changes of the appointments as CSV, newest first: "
                       "of those from --from to --to, of --resource only when given (default "
                       "the standard output, or --output FILE)."));
    return o;
}

bool HistoryVerb::ToStandardOutput(const QCommandLineParser& parser) {
    const QString output = parser.value(CalendarVerb::OutputOption());
    return parser.isSet(Option()) &&
           (!parser.isSet(CalendarVerb::OutputOption()) || output == QLatin1String("-") ||
            output == QLatin1String("/dev/stdout"));
}

int HistoryVerb::Run(const QCommandLineParser& parser, const QCommandLineOption& group,
                     const CalendarVerb::Printer& print) {
    const bool byResource = parser.isSet(CalendarVerb::ResourceOption());
    if (parser.isSet(group) && !byResource) {
        print(stderr, QStringLiteral("--group names the group of --resource with --history."));
        return 2;
    }
    BookingHistory::Scope scope;
    if (!CalendarVerb::ReadRange(parser, ClsDate::FirstDay, ClsDate::LastDay, print, &scope.from,
                                 &scope.to))
        return 2;
    QString resourceName;
    if (byResource &&
        !CalendarVerb::FindResource(parser.value(CalendarVerb::ResourceOption()),
                                    parser.isSet(group) ? parser.value(group) : QString(), print,
                                    &scope.resourceId, &resourceName))
        return 1;

    const QString output = parser.value(CalendarVerb::OutputOption());
    const QString path = !parser.isSet(CalendarVerb::OutputOption()) || output == QLatin1String("-")
                             ? QStringLiteral("-")
                             : QFileInfo(output).absoluteFilePath();
    const QList<BookingHistory::Line> lines = BookingHistory().Lines(scope);
    QString error;
    if (!BookingHistory::WriteCsv(path, lines, &error)) {
        print(stderr, QStringLiteral("History FAILED! ") + error + QLatin1Char('.'));
        return 1;
    }
    std::FILE* report = ToStandardOutput(parser) ? stderr : stdout;
    print(report, QStringLiteral("History exported to: ") + QDir::toNativeSeparators(path));
    print(report, QStringLiteral("%1 changes.").arg(lines.size()));
    return 0;
}

#include "app/CalendarVerb.h"

#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/ClsDate.h"
#include "transfer/IcsExport.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

// The options that --history takes too are declared in the header.
namespace CalendarVerb {

const QCommandLineOption& ResourceOption() {
    static const QCommandLineOption o(
        QStringLiteral("resource"),
        QStringLiteral("With --export-ics or --history: the resource to export."),
        QStringLiteral("NAME"));
    return o;
}
const QCommandLineOption& ContactOption() {
    static const QCommandLineOption o(QStringLiteral("contact"),
                                      QStringLiteral("With --export-ics: the contact to export."),
                                      QStringLiteral("NAME"));
    return o;
}
const QCommandLineOption& FromOption() {
    static const QCommandLineOption o(
        QStringLiteral("from"),
        QStringLiteral("With --export-ics: the first day (default today); with --history: the "
                       "first day of the appointments (default the earliest)."),
        QStringLiteral("yyyy-mm-dd"));
    return o;
}
const QCommandLineOption& ToOption() {
    static const QCommandLineOption o(
        QStringLiteral("to"),
        QStringLiteral("With --export-ics: the last day (default 90 days after the first); with "
                       "--history: the last day of the appointments (default the latest)."),
        QStringLiteral("yyyy-mm-dd"));
    return o;
}
const QCommandLineOption& OutputOption() {
    static const QCommandLineOption o(
        QStringLiteral("output"),
        QStringLiteral("With --export-ics: the file to write (default Export/<name>.ics; "
                       "- for the standard output); with --history: the CSV file (default the "
                       "standard output)."),
        QStringLiteral("FILE"));
    return o;
}

} // namespace CalendarVerb

namespace {

struct Match {
    qint32 id = 0;
    QString name;
};

// The records a name stands for: rows of (id, name, group) from `sql`, which
// compares names blind to letter case. One is the answer; of several, the
// one whose name and group (where `group` is given) match in their exact
// letter case. None or several end the verb with the reason.
bool Resolve(const QString& sql, const QString& kind, const QString& name, const QString& group,
             const QString& within, const CalendarVerb::Printer& print, Match* match) {
    Recordset rs = Database::DAO().SqlQuery(sql);
    if (!rs.IsOpen()) {
        print(stderr, QStringLiteral("Export FAILED! The %1s cannot be read.").arg(kind));
        return false;
    }
    QList<Match> found;
    QList<Match> exact;
    QStringList places;
    for (; !rs.Eof(); rs.MoveNext()) {
        const Match m{rs.Fields(0).Long(), rs.Fields(1).Value.toString()};
        const QString place = rs.Fields(2).Value.toString();
        found << m;
        places << place;
        if (m.name == name && (group.isNull() || place == group))
            exact << m;
    }
    if (found.size() == 1 || exact.size() == 1) {
        *match = found.size() == 1 ? found.first() : exact.first();
        return true;
    }
    if (found.isEmpty())
        print(stderr, QStringLiteral("Export FAILED! There is no %1 named \"%2\"%3.")
                          .arg(kind, name, within));
    else if (kind == QLatin1String("group") || !within.isEmpty())
        print(stderr, QStringLiteral("Export FAILED! %1 %2s are named \"%3\"%4: give the names in "
                                     "their exact letter case.")
                          .arg(QString::number(found.size()), kind, name, within));
    else
        print(stderr, QStringLiteral("Export FAILED! %1 %2s are named \"%3\", in the groups "
                                     "\"%4\": name the group with --group.")
                          .arg(QString::number(found.size()), kind, name,
                               places.join(QStringLiteral("\", \""))));
    return false;
}

QString InGroup(const QString& group) {
    return QStringLiteral(" in the group \"") + group + QLatin1Char('"');
}

bool DayOf(const QCommandLineParser& parser, const QCommandLineOption& option, qint32 fallback,
           const CalendarVerb::Printer& print, qint32* day) {
    if (!parser.isSet(option)) {
        *day = fallback;
        return true;
    }
    const QDate date = QDate::fromString(parser.value(option), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid()) {
        print(stderr, QStringLiteral("--%1 %2 is no date of the form yyyy-mm-dd.")
                          .arg(option.names().first(), parser.value(option)));
        return false;
    }
    *day = ClsDate::DateToLong(date);
    return true;
}

} // namespace

const QCommandLineOption& CalendarVerb::Option() {
    static const QCommandLineOption o(
        QStringLiteral("export-ics"),
        QStringLiteral("Export the bookings of --resource, --group or --contact from --from to "
                       "--to as an iCalendar file (default Export/<name>.ics)."));
    return o;
}

void CalendarVerb::AddOptions(QCommandLineParser& parser) {
    parser.addOption(Option());
    parser.addOption(ResourceOption());
    parser.addOption(ContactOption());
    parser.addOption(FromOption());
    parser.addOption(ToOption());
    parser.addOption(OutputOption());
}

bool CalendarVerb::ToStandardOutput(const QCommandLineParser& parser) {
    const QString output = parser.value(OutputOption());
    return parser.isSet(Option()) &&
           (output == QLatin1String("-") || output == QLatin1String("/dev/stdout"));
}

bool CalendarVerb::FindResource(const QString& name, const QString& group, const Printer& print,
                                qint32* id, QString* resourceName) {
    Match match;
    const bool found = Resolve(
        QStringLiteral("select ResourceId, ResourceName, (select GroupName from tblGroups where "
                       "GroupId = tblResources.GroupId) as GroupName from tblResources where "
                       "ResourceName = ") +
            ClsDAO::Quoted(name) +
            (group.isNull() ? QString()
                            : QStringLiteral(" and GroupId in (select GroupId from tblGroups "
                                             "where GroupName = ") +
                                  ClsDAO::Quoted(group) + QLatin1Char(')')) +
            QStringLiteral(" order by 3, 1"),
        QStringLiteral("resource"), name, group, group.isNull() ? QString() : InGroup(group), print,
        &match);
    *id = match.id;
    *resourceName = match.name;
    return found;
}

bool CalendarVerb::ReadRange(const QCommandLineParser& parser, qint32 firstDay, qint64 days,
                             const Printer& print, qint32* from, qint32* to) {
    if (!DayOf(parser, FromOption(), firstDay, print, from) ||
        !DayOf(parser, ToOption(), ClsDate::WithinShown(*from + days), print, to))
        return false;
    if (*from > *to) {
        print(stderr, QStringLiteral("The range is empty: --from %1 comes after --to %2.")
                          .arg(ClsDate::LongToDate(*from).toString(Qt::ISODate),
                               ClsDate::LongToDate(*to).toString(Qt::ISODate)));
        return false;
    }
    return true;
}

int CalendarVerb::Run(const QCommandLineParser& parser, const QCommandLineOption& group,
                      const Printer& print) {
    const bool byResource = parser.isSet(ResourceOption());
    const bool byContact = parser.isSet(ContactOption());
    const bool byGroup = parser.isSet(group);
    if (int(byResource) + int(byContact) > 1 || (!byResource && !byContact && !byGroup)) {
        print(stderr, QStringLiteral("Give one of --resource, --group or --contact with "
                                     "--export-ics (--group may narrow --resource or --contact)."));
        return 2;
    }
    IcsExport::Selection selection;
    if (!ReadRange(parser, ClsDate::Today(), IcsExport::DefaultDays, print, &selection.from,
                   &selection.to))
        return 2;

    const QString groupName = parser.value(group);
    const QString inGroup =
        byGroup ? QStringLiteral(" and GroupId in (select GroupId from tblGroups where GroupName "
                                 "= ") +
                      ClsDAO::Quoted(groupName) + QLatin1Char(')')
                : QString();
    const QString within = byGroup && (byResource || byContact) ? InGroup(groupName) : QString();
    Match match;
    bool found = false;
    if (byResource) {
        selection.scope = IcsExport::Scope::Resource;
        found = FindResource(parser.value(ResourceOption()), byGroup ? groupName : QString(), print,
                             &match.id, &match.name);
    } else if (byContact) {
        const QString name = parser.value(ContactOption());
        selection.scope = IcsExport::Scope::Contact;
        // A contact belongs to several groups or none; --group keeps those of one.
        found = Resolve(
            QStringLiteral("select CustomerId, CustomerName, (select min(GroupName) from tblGroups "
                           "where GroupId in (select GroupId from tblCustomerGroups where "
                           "CustomerId = tblCustomers.CustomerId)) from tblCustomers where "
                           "CustomerName = ") +
                ClsDAO::Quoted(name) +
                (byGroup ? QStringLiteral(" and CustomerId in (select CustomerId from "
                                          "tblCustomerGroups where 1 = 1") +
                               inGroup + QLatin1Char(')')
                         : QString()) +
                QStringLiteral(" order by 3, 1"),
            QStringLiteral("contact"), name, QString(), within, print, &match);
    } else {
        selection.scope = IcsExport::Scope::Group;
        found = Resolve(QStringLiteral("select GroupId, GroupName, GroupName from tblGroups where "
                                       "GroupName = ") +
                            ClsDAO::Quoted(groupName),
                        QStringLiteral("group"), groupName, groupName, QString(), print, &match);
    }
    if (!found)
        return 1;
    selection.id = match.id;

    // "-" is the standard output, which then carries the calendar alone.
    const QString output = parser.value(OutputOption());
    const QString path = output == QLatin1String("-") ? output
                         : parser.isSet(OutputOption()) ? QFileInfo(output).absoluteFilePath()
                                                         : IcsExport::ExportPath(match.name);
    std::FILE* report = ToStandardOutput(parser) ? stderr : stdout;
    IcsExport ics;
    if (!ics.Export(selection, path)) {
        print(stderr, QStringLiteral("Export FAILED! ") + QDir::toNativeSeparators(path) +
                          QStringLiteral(": ") + ics.Failure() + QLatin1Char('.'));
        return 1;
    }
    print(report, QStringLiteral("Calendar exported to: ") + QDir::toNativeSeparators(path));
    print(report, QStringLiteral("%1 appointments from %2 to %3.")
                      .arg(ics.Events())
                      .arg(ClsDate::LongToDate(selection.from).toString(Qt::ISODate),
                           ClsDate::LongToDate(selection.to).toString(Qt::ISODate)));
    if (ics.Skipped() > 0)
        print(stderr, QStringLiteral("Warning: ") + ics.SkippedNote());
    return 0;
}

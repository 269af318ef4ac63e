#include "ui/help/HelpLibrary.h"

#include "base/ProgramFolder.h"
#include "ui/help/ContextIDs.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocument>
#include <algorithm>

// The topics are compiled into the program library; a static library needs its
// resources registered by hand.
static void RegisterBuiltInHelp() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(help);
        return true;
    }();
    (void)registered;
}

namespace {
const char* const kBuiltInFolder = ":/help/topics/";

struct ContextTopic {
    int context;
    const char* topic;
};

// One topic per help context number. The main window and the template window
// share 50: the main window's topic also covers group templates.
const ContextTopic kContextTopics[] = {
    {ContextIDs::HelpApptType, "appttype.html"}, {ContextIDs::HelpPreview, "preview.html"},
    {ContextIDs::HelpMain, "main.html"},         {ContextIDs::HelpGroup, "group.html"},
    {ContextIDs::HelpContact, "contact.html"},   {ContextIDs::HelpConfig, "config.html"},
    {ContextIDs::HelpCalendar, "calendar.html"}, {ContextIDs::HelpAppt, "booking.html"},
    {ContextIDs::HelpResource, "resource.html"}, {ContextIDs::HelpRepeat, "repeat.html"},
    {ContextIDs::HelpSearch, "search.html"},
};

// A help file name is a relative path inside the help folder: no drive, no
// leading slash and no step up out of the folder.
bool IsHelpName(const QString& name) {
    if (name.isEmpty() || QDir::isAbsolutePath(name) || name.startsWith(QLatin1Char(':')))
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    return std::none_of(parts.begin(), parts.end(), [](const QString& part) {
        return part.isEmpty() || part == QLatin1String("..") || part == QLatin1String(".");
    });
}

bool IsTopicName(const QString& name) {
    return name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive);
}

QString HtmlText(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}

// The title of a laid-out topic; the file name when it has none.
QString DocumentTitle(const QTextDocument& document, const QString& topic) {
    const QString title = document.metaInformation(QTextDocument::DocumentTitle).simplified();
    return title.isEmpty() ? topic : title;
}
} // namespace

QString HelpLibrary::ContentsTopic() {
    return QStringLiteral("contents.html");
}

QString HelpLibrary::TopicForContext(int context) {
    for (const ContextTopic& entry : kContextTopics)
        if (entry.context == context)
            return QString::fromLatin1(entry.topic);
    return QString();
}

QList<int> HelpLibrary::ContextNumbers() {
    QList<int> numbers;
    for (const ContextTopic& entry : kContextTopics)
        if (!numbers.contains(entry.context))
            numbers << entry.context;
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

QString HelpLibrary::OverrideFolder() {
    return ProgramFolder::FilePath(QStringLiteral("Help"));
}

QString HelpLibrary::BuiltInPath(const QString& name) {
    RegisterBuiltInHelp();
    return QString::fromLatin1(kBuiltInFolder) + name;
}

QString HelpLibrary::OverridePath(const QString& name) {
    return QDir(OverrideFolder()).filePath(name);
}

QStringList HelpLibrary::Topics() {
    RegisterBuiltInHelp();
    QStringList topics;
    const QStringList filters = {QStringLiteral("*.html"), QStringLiteral("*.htm")};
    for (const QString& folder : {QString::fromLatin1(kBuiltInFolder), OverrideFolder()}) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(filters, QDir::Files, QDir::Name))
            if (!topics.contains(name))
                topics << name;
    }
    return topics;
}

bool HelpLibrary::Exists(const QString& name) {
    if (!IsHelpName(name))
        return false;
    return QFileInfo(OverridePath(name)).isFile() || QFileInfo(BuiltInPath(name)).isFile();
}

QByteArray HelpLibrary::Load(const QString& name) {
    if (!IsHelpName(name))
        return QByteArray();
    for (const QString& path : {OverridePath(name), BuiltInPath(name)}) {
        if (!QFileInfo(path).isFile())
            continue;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
    }
    return QByteArray();
}

QString HelpLibrary::Title(const QString& topic) {
    QTextDocument document;
    document.setHtml(HtmlText(Load(topic)));
    return DocumentTitle(document, topic);
}

QString HelpLibrary::BodyText(const QString& topic) {
    QTextDocument document;
    document.setHtml(HtmlText(Load(topic)));
    return document.toPlainText();
}

QStringList HelpLibrary::QueryWords(const QString& query) {
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    QStringList words;
    for (const QString& word : query.split(separators, Qt::SkipEmptyParts))
        if (!words.contains(word, Qt::CaseInsensitive))
            words << word;
    return words;
}

QStringList HelpLibrary::Search(const QString& query) {
    const QStringList words = QueryWords(query);
    if (words.isEmpty())
        return QStringList();
    struct Hit {
        QString topic;
        QString title;
        bool inTitle;
        qsizetype count;
    };
    QList<Hit> hits;
    for (const QString& topic : Topics()) {
        if (!IsTopicName(topic))
            continue;
        QTextDocument document;
        document.setHtml(HtmlText(Load(topic)));
        const QString text = document.toPlainText();
        qsizetype total = 0;
        bool all = true;
        for (const QString& word : words) {
            const qsizetype n = text.count(word, Qt::CaseInsensitive);
            if (n == 0) {
                all = false;
                break;
            }
            total += n;
        }
        if (!all)
            continue;
        const QString title = DocumentTitle(document, topic);
        const bool inTitle = std::all_of(words.begin(), words.end(), [&](const QString& word) {
            return title.contains(word, Qt::CaseInsensitive);
        });
        hits.append({topic, title, inTitle, total});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        if (a.inTitle != b.inTitle)
            return a.inTitle;
        if (a.count != b.count)
            return a.count > b.count;
        return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
    });
    QStringList result;
    for (const Hit& hit : hits)
        result << hit.topic;
    return result;
}

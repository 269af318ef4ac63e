#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The help topics: HTML files built into the program (":/help/topics/") that a
// site may replace one by one with a file of the same name in the "Help"
// folder of the program folder. Maps each help context number to its topic,
// reads a topic's title and text, and searches the text of every topic.
class HelpLibrary {
public:
    // The page that links to every topic.
    static QString ContentsTopic();
    // The topic of a help context number; empty text for a number without one.
    static QString TopicForContext(int context);
    // Every help context number that has a topic, in ascending order.
    static QList<int> ContextNumbers();

    // Folder whose files replace the built-in ones of the same name.
    static QString OverrideFolder();
    // Every topic (built in, or only in the override folder), by file name.
    static QStringList Topics();
    // True when a help file of that name exists, built in or in the override folder.
    static bool Exists(const QString& name);
    // The bytes of a help file (topic or picture), the override folder's copy
    // first; empty when there is none.
    static QByteArray Load(const QString& name);

    // The text of the topic's <title>; the file name when it has none.
    static QString Title(const QString& topic);
    // The text a reader sees in the topic's body, without markup.
    static QString BodyText(const QString& topic);

    // The topics whose body contains every word of the query, case-blind:
    // first those whose title holds every word too, then by the number of
    // occurrences, then by title. Empty for a query without words.
    static QStringList Search(const QString& query);
    // The words of a query, as Search splits them.
    static QStringList QueryWords(const QString& query);

private:
    static QString BuiltInPath(const QString& name);
    static QString OverridePath(const QString& name);
};

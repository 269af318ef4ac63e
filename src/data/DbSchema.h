#pragma once

#include <QString>
#include <QStringList>

// The tables, indexes and marker table of a Tarvelo database, written for
// the embedded engine; the server engine takes them over in its own terms.
class DbSchema {
public:
    static QStringList CreateStatements();
    // Indexes of earlier versions that an index of CreateStatements stands in
    // for; an existing database loses them once it has the new one.
    static QStringList ReplacedIndexes();
    static QStringList RepairStatements();
    // Creates the database (a file, or a database on a server named by a
    // "postgresql://" URI), or completes an existing Tarvelo database, with
    // every table and index in one transaction. A file that is not a
    // database, or a database of another program, is refused and left as it
    // was. Returns an empty text on success, otherwise the reason.
    static QString CreateDatabase(const QString& connStr);
};

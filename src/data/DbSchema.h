#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;

// The tables, indexes and marker table of a Tarvelo database.
class DbSchema {
public:
    static QStringList CreateStatements();
    static QStringList RepairStatements();
    // Creates the database file (or completes an existing Tarvelo database)
    // with every table and index, in one transaction. A file that is not a
    // database, or a database of another program, is refused and left as it
    // was. Returns an empty text on success, otherwise the reason.
    static QString CreateDatabase(const QString& path);
    static bool HasSchema(QSqlDatabase& db);
};

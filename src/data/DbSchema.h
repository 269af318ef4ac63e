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
    // with every table and index. Returns an empty text on success, otherwise
    // the reason.
    static QString CreateDatabase(const QString& path);
    static bool HasSchema(QSqlDatabase& db);
};

#pragma once

#include <QString>

// Copies an SQLite Tarvelo database, identifiers and all, into a fresh
// database on a PostgreSQL server (dropped first when it is there), so that
// both engines can be measured on the same rows. Returns an empty text on
// success, otherwise the reason.
QString CopyDatabaseToServer(const QString& sqlitePath, const QString& serverUri);

// Drops the database the URI names from its server, ending the connections
// still open on it. Returns an empty text on success (also when there was no
// such database), otherwise the reason.
QString DropServerDatabase(const QString& serverUri);

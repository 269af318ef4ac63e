#pragma once

#include <QString>

// Copies an SQLite Tarvelo database, identifiers and all, into a fresh
// database on a PostgreSQL server (dropped first when it is there), so that
// both engines can be measured on the same rows. Returns an empty text on
// success, otherwise the reason.
QString CopyDatabaseToServer(const QString& sqlitePath, const QString& serverUri);

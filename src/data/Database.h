#pragma once

#include <QString>

class ClsDAO;

// The database connection the whole program shares: made at start-up,
// opened on the database the settings name, ended at shutdown.
class Database {
public:
    static ClsDAO& DAO();
    static void Create();
    static void Release();
    // "path: reason" on one line, for a database that could not be opened.
    static QString Problem(const QString& path);
};

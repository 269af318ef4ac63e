#pragma once

#include <QString>
#include <QStringList>

// A database name as the settings hold it: a path to an SQLite file, or a
// PostgreSQL connection URI "postgresql://user@host:port/dbname?option=value".
// The password never travels in the name: libpq takes it from the password
// file (~/.pgpass, PGPASSFILE) or from PGPASSWORD.
class ConnectionInfo {
public:
    // True for "postgresql://..." and "postgres://..." (any letter case).
    static bool IsServerUri(const QString& name);
    // Reads a server URI. On a malformed URI, Valid() is false and Error()
    // says why.
    static ConnectionInfo Parse(const QString& uri);

    bool Valid() const { return m_error.isEmpty(); }
    QString Error() const { return m_error; }
    bool HasPassword() const { return m_hasPassword; }

    QString User() const { return m_user; }
    QString Host() const { return m_host; } // empty: the local socket
    int Port() const { return m_port; }     // 0: the default port
    QString Database() const { return m_database; }
    // libpq options given after "?", as "key=value" (sslmode, connect_timeout, ...).
    QStringList Options() const { return m_options; }

    // The same server with another database on it.
    QString WithDatabase(const QString& database) const;

private:
    QString m_error;
    bool m_hasPassword = false;
    QString m_user;
    QString m_host;
    int m_port = 0;
    QString m_database;
    QStringList m_options;
};

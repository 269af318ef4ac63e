#pragma once

#include "data/SqlDialect.h"

class ConnectionInfo;

// A database on a PostgreSQL server, for offices with many workstations.
// Text columns are citext with the byte-order collation, so that names
// compare, match (like) and sort without regard to letter case exactly as on
// the embedded engine; identifiers come from identity columns kept ahead of
// any identifier inserted explicitly, so that none is ever handed out twice;
// writers that test before they write serialise on one advisory lock; every
// stamp of the change marker is announced on a notification channel.
class PostgresDialect : public SqlDialect {
public:
    bool IsServer() const override { return true; }
    QSqlDatabase AddConnection(const QString& name, const QString& connStr) const override;
    // The server would run a list of statements in one call; the text is
    // read as the server reads it (literals, quoted names, comments) and a
    // ";" followed by anything but blanks is refused.
    QString StatementProblem(const QString& sql) const override;
    // Sets standard_conforming_strings on for the connection, and refuses a
    // connection where it does not hold.
    QString Opened(QSqlDatabase& db) const override;
    QString SchemaProblem(QSqlDatabase& db) const override;
    QString CreateDatabase(const QString& connStr) const override;
    QString PropertySetSql() const override;
    QStringList BeginWriteSql() const override;
    QString BeginReadSql() const override;
    void Compact(const QString& connStr, QSqlError& failure,
                 QSqlError& inPlaceFailure) const override;
    void AnnounceStamp(QSqlDatabase& db, qint32 stamp) const override;
    bool Listen(QSqlDatabase& db) const override;
    bool ConnectionLost(QSqlDatabase& db) const override;

    // The schema statements of the embedded engine, in this engine's terms.
    static QStringList CreateStatements();
    // The key of the advisory lock every write transaction takes.
    static constexpr qint64 WriterLockKey = 0x54617276656c6fLL;

protected:
    QString IndexListSql() const override;
    QStringList SchemaStatements() const override;

private:
    static QSqlDatabase AddServerConnection(const QString& name, const ConnectionInfo& info);
};

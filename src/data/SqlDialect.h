#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class PreparedStatement;
class QSqlDatabase;
class QSqlError;

// What differs between the database engines behind ClsDAO: how a connection
// is made, how the schema is created and recognised, the marker table's
// upsert, the write lock, compaction, change notices and a lost connection.
// Every statement built above the data layer runs unchanged on each engine.
class SqlDialect {
public:
    virtual ~SqlDialect() = default;

    // The engine's own words for an error (the driver's where the engine
    // gave none), on one line.
    static QString ErrorText(const QSqlError& error);

    // The engine for a database name: a "postgresql://" URI is a server
    // database, anything else an SQLite file.
    static std::unique_ptr<SqlDialect> For(const QString& connStr);

    virtual bool IsServer() const = 0;
    // Registers connection `name` for the database, configured but not open.
    // Throws TarveloError when the name cannot be used (no such file, a
    // malformed URI).
    virtual QSqlDatabase AddConnection(const QString& name, const QString& connStr) const = 0;
    // Empty when the text is one statement the connection may run, else the
    // reason for refusing it. A call runs one statement, never a list.
    virtual QString StatementProblem(const QString& sql) const;
    // Settles a newly opened connection: empty when it is fit to work on,
    // else the reason for refusing it.
    virtual QString Opened(QSqlDatabase& db) const;
    // Empty when the open database holds all eight tables, else the reason.
    virtual QString SchemaProblem(QSqlDatabase& db) const = 0;
    // Creates the database (or completes an existing Tarvelo database) with
    // every table and index, all or nothing. Returns the reason on failure.
    virtual QString CreateDatabase(const QString& connStr) const = 0;
    // Inserts or replaces a property: binds name, then value.
    virtual QString PropertySetSql() const = 0;
    // The statements that open a write transaction holding the write lock.
    virtual QStringList BeginWriteSql() const = 0;
    // The statement that opens a read transaction whose queries all see one
    // snapshot of the database.
    virtual QString BeginReadSql() const;
    // Compacts the database while this program holds no connection to it.
    // `failure` reports what left the database untouched, `inPlaceFailure`
    // a compaction that could not finish.
    virtual void Compact(const QString& connStr, QSqlError& failure,
                         QSqlError& inPlaceFailure) const = 0;
    // Tells the other workstations at once that the marker moved (nothing
    // where the engine has no such channel; they notice at their next poll).
    virtual void AnnounceStamp(QSqlDatabase& db, qint32 stamp) const;
    // Starts listening for the other workstations' announcements.
    virtual bool Listen(QSqlDatabase& db) const;
    // After a failed statement: true when the connection itself is gone.
    virtual bool ConnectionLost(QSqlDatabase& db) const;
    // A statement prepared on the open connection, to be run many times;
    // null, with the engine's error in `error`, when it cannot be prepared.
    virtual std::unique_ptr<PreparedStatement> Prepare(QSqlDatabase& db, const QString& sql,
                                                       QSqlError& error) const;

    // The channel of the change announcements.
    static QString ChangeChannel() { return QStringLiteral("tarvelo_changed"); }

    // Brings the indexes of an open database up to the schema: creates those
    // it lacks (a database made by an earlier version) and drops those they
    // replaced. Empty on success, else the reason; the database is then used
    // as it is (a file that cannot be written, a user without the right).
    QString CompleteIndexes(QSqlDatabase& db) const;

protected:
    // A query for the names of the indexes the open database holds.
    virtual QString IndexListSql() const = 0;
    // The schema's statements in this engine's terms.
    virtual QStringList SchemaStatements() const = 0;
};

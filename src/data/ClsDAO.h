#pragma once

#include "data/Recordset.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QSqlError;
class PreparedStatement;
class QSqlQuery;
class SqlDialect;

// The only door to the database: open and close with an open count, SQL
// queries (snapshots) and actions, the named properties of the database and
// the "LastUpdated" change marker through which workstations sharing one
// database notice each other's inserts and deletes. The database is an
// SQLite file or, named by a "postgresql://" URI, a database on a server;
// what differs between the two lives in SqlDialect.
class ClsDAO {
public:
    ClsDAO();
    ~ClsDAO();
    ClsDAO(const ClsDAO&) = delete;
    ClsDAO& operator=(const ClsDAO&) = delete;

    qint16 DbOpen(const QString& connStr);
    void DbClose();
    // Closes, compacts and reopens the database. Returns true when it was
    // compacted; whatever failed, the database is opened again when it can
    // be, so that a failed compaction never leaves the program without one.
    bool CompactDb();
    Recordset SqlQuery(const QString& sqlStr);
    // Runs a query and hands it to `read` before its first row; `read` steps
    // through the rows itself (forward only) and copies out what it needs.
    // For loaders that build their own result in one pass: no snapshot is
    // made, and `read` must not let events run. False (and logged as
    // SqlQuery's failures are) when the query could not be run or read.
    bool SqlRead(const QString& sqlStr, const std::function<void(QSqlQuery&)>& read);
    bool SqlAction(const QString& sqlStr, bool ignoreUpdate = false);
    // As SqlAction, for a statement whose `?` placeholders take `values` in
    // turn. It is prepared once per connection and kept: for a statement
    // that every save runs. An insert's new row number goes to `inserted`
    // when asked for (invalid when the engine does not tell it).
    bool SqlAction(const QString& sqlStr, const QVariantList& values, bool ignoreUpdate = false,
                   QVariant* inserted = nullptr);
    static QString Quoted(const QString& src);
    QString PropertyGet(const QString& propName);
    void PropertySet(const QString& propName, const QString& newVal);
    void PropertyDelete(const QString& propName);
    bool Updated();

    // Runs the sixteen repair statements of the integrity check; false when
    // any of them failed (a database that cannot be written).
    bool IntegrityCheck();
    // The engine's reason for the last failure this instance logged (an
    // open, a statement), on one line.
    QString LastFailure() const { return m_lastFailure; }

    // One write transaction that other workstations wait for (used where a
    // test and the write that depends on it must not be separated).
    bool BeginWrite();
    bool CommitWrite();
    void RollbackWrite();
    bool InWrite() const { return m_inWrite; }
    // Runs `step` once the write transaction under way has committed (at
    // once when none is under way); a rollback or a failed commit drops it.
    void AfterCommit(std::function<void()> step);

    // One read transaction: every query until EndRead sees the database as
    // the first of them found it (a snapshot), whatever other workstations
    // commit meanwhile. False when it cannot be started (also inside a write).
    bool BeginRead();
    void EndRead();

    int OpenCount() const { return m_openCount; }
    QString DbPath() const { return m_dbPath; }
    qint32 LastUpdatedStamp() const { return m_lastUpdated; }
    bool IsOpen() const;
    QSqlDatabase Connection() const { return m_db; }

    // True when the open database has the journal of changes (false for a
    // database of an earlier version that could not be brought up to date).
    bool HasJournal() const { return m_hasJournal; }
    // True when the open database is on a server.
    bool IsServer() const;
    // True while the server connection is lost and could not be opened again.
    bool ConnectionLost() const { return m_lost; }
    // After a failed reconnect, the commands of the next `ms` milliseconds
    // fail at once instead of each waiting for the server again (a rebuild
    // runs hundreds of statements).
    void SetReconnectPause(int ms) { m_reconnectPauseMs = ms; }
    // Called (from the event loop) when another workstation announces a
    // change; only a server database announces changes, an SQLite file is
    // polled with Updated().
    void SetChangeListener(std::function<void()> listener);

    // Makes every statement for which `failWhen` answers true fail as a
    // refused statement would (a damaged table, a full disk); empty: none.
    void SetFailingStatements(std::function<bool(const QString&)> failWhen) {
        m_failWhen = std::move(failWhen);
    }

    static qint32 TickCount();
    // True for an existing file or folder, and for any server URI (whether
    // the server answers is learned by opening it).
    static bool DatabaseExists(const QString& path);

private:
    void LogDbErrors(const QString& message, const QSqlError& error);
    // Why a statement may not run; empty when it may.
    QString StatementProblem(const QString& sqlStr) const;
    void OpenConnection();
    void CloseConnection();
    qint32 NextStamp();
    static qint64 SteadyMs(); // milliseconds of the steady clock
    // After a failed statement: notes a lost server connection.
    void NoteFailure();
    // Before a statement: reconnects after a lost connection. False when the
    // database cannot be reached.
    bool EnsureConnection();
    // SqlAction's frame: `run` executes the statement (false, with the
    // engine's error, when it failed); the change marker follows an insert
    // or a delete.
    bool Act(const QString& sqlStr, bool ignoreUpdate, const std::function<bool(QSqlError&)>& run);

    QString m_connectionName;
    QSqlDatabase m_db;
    qint16 m_openCount = 0;
    QString m_dbPath;
    QString m_lastFailure;
    qint32 m_lastUpdated = 0;
    bool m_inWrite = false;
    // The write transaction under way has stamped the change marker.
    bool m_stampedInWrite = false;
    bool m_inRead = false;
    bool m_lost = false;
    bool m_hasJournal = false;
    int m_reconnectPauseMs = 3000;
    qint64 m_reconnectFailedAt = 0; // steady clock, ms; 0: no failed attempt
    std::unique_ptr<SqlDialect> m_dialect;
    std::function<void()> m_changeListener;
    std::function<bool(const QString&)> m_failWhen;
    std::vector<std::function<void()>> m_afterCommit;
    // The statements kept prepared for this connection.
    std::unordered_map<QString, std::unique_ptr<PreparedStatement>> m_prepared;
};

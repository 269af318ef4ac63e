#include "data/ClsDAO.h"

#include "base/ErrorLog.h"
#include "base/ErrorTrap.h"
#include "data/ConnectionInfo.h"
#include "data/DbSchema.h"
#include "data/PreparedStatement.h"
#include "data/SqlDialect.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <chrono>
#include <utility>

namespace {

QAtomicInt g_connectionSerial;
// The last stamp issued in this process; it starts just behind the tick.
std::atomic<qint32> g_lastStamp{
    static_cast<qint32>(static_cast<quint32>(ClsDAO::TickCount()) - 1u)};

QSqlError PlainError(const QString& text) {
    return QSqlError(QString(), text, QSqlError::UnknownError, QStringLiteral("0"));
}

} // namespace

qint64 ClsDAO::SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint32 ClsDAO::TickCount() {
    return static_cast<qint32>(static_cast<quint32>(static_cast<quint64>(SteadyMs())));
}

qint32 ClsDAO::NextStamp() {
    // The millisecond tick, but always ahead of this program's last stamp:
    // several stamps fall in one millisecond, and a stamp raised past the
    // tick must not come round again a moment later, or a workstation that
    // read it before would take the marker for unchanged. Nor is it this
    // connection's last value (which another workstation may have set).
    const quint32 tick = static_cast<quint32>(TickCount());
    qint32 last = g_lastStamp.load();
    while (true) {
        quint32 stamp = tick;
        if (static_cast<qint32>(stamp - static_cast<quint32>(last)) <= 0)
            stamp = static_cast<quint32>(last) + 1u;
        if (static_cast<qint32>(stamp) == m_lastUpdated)
            ++stamp;
        if (g_lastStamp.compare_exchange_weak(last, static_cast<qint32>(stamp)))
            return static_cast<qint32>(stamp);
    }
}

bool ClsDAO::DatabaseExists(const QString& path) {
    // Anything at the path counts: a folder or a file of another kind is
    // then refused by DbOpen, instead of silently opening another database.
    if (ConnectionInfo::IsServerUri(path))
        return true;
    return !path.isEmpty() && QFileInfo::exists(path);
}

ClsDAO::ClsDAO()
    : m_connectionName(QStringLiteral("tarvelo-%1").arg(g_connectionSerial.fetchAndAddOrdered(1))),
      m_lastUpdated(NextStamp()) {}

ClsDAO::~ClsDAO() {
    try {
        while (m_openCount > 0)
            DbClose();
        CloseConnection();
        m_db = QSqlDatabase(); // the last handle must go before the connection is removed
        QSqlDatabase::removeDatabase(m_connectionName);
    } catch (...) {
    }
}

bool ClsDAO::IsOpen() const {
    return m_db.isValid() && m_db.isOpen();
}

bool ClsDAO::IsServer() const {
    return m_dialect && m_dialect->IsServer();
}

void ClsDAO::SetChangeListener(std::function<void()> listener) {
    m_changeListener = std::move(listener);
}

void ClsDAO::OpenConnection() {
    // A connection of its own each time: the engine may differ from the last
    // database's, and a server connection that was lost starts afresh.
    m_prepared.clear();
    m_db = QSqlDatabase();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
    m_lost = false;
    m_dialect = SqlDialect::For(m_dbPath);
    m_db = m_dialect->AddConnection(m_connectionName, m_dbPath);
    if (!m_db.open())
        throw m_db.lastError();
    const QString unfit = m_dialect->Opened(m_db);
    if (!unfit.isEmpty()) {
        m_db.close();
        throw PlainError(unfit);
    }
    // A database without our tables is refused before anything is written
    // to it.
    const QString problem = m_dialect->SchemaProblem(m_db);
    if (!problem.isEmpty()) {
        m_db.close();
        throw PlainError(problem);
    }
    // A database made by an earlier version gets the tables and indexes it
    // lacks (the journal) in one transaction; that version still works on it.
    m_hasJournal = QSqlQuery(m_db).exec(
        QStringLiteral("select JournalId from tblJournal where JournalId = 0"));
    if (!m_hasJournal) {
        // One that cannot be written stays as it is: it is read, and a save
        // on it fails as any other write does.
        const QString failure = m_dialect->CreateDatabase(m_dbPath);
        m_hasJournal = failure.isEmpty();
        ErrorLog::Write(
            failure.isEmpty()
                ? QStringLiteral("Database brought up to date: journal of changes added")
                : QStringLiteral("Database could not be brought up to date: ") + failure);
    }
    // A database of an earlier version gets the indexes this one relies on.
    const QString indexes = m_dialect->CompleteIndexes(m_db);
    if (!indexes.isEmpty())
        ErrorLog::Write(QStringLiteral("Indexes not brought up to date: ") + indexes);
    if (m_dialect->Listen(m_db)) {
        QObject::connect(
            m_db.driver(), &QSqlDriver::notification, m_db.driver(),
            [this](const QString&, QSqlDriver::NotificationSource source, const QVariant&) {
                if (source != QSqlDriver::SelfSource && m_changeListener)
                    m_changeListener();
            });
    }
}

void ClsDAO::CloseConnection() {
    m_prepared.clear();
    if (m_db.isValid() && m_db.isOpen())
        m_db.close();
    m_inWrite = false;
    m_inRead = false;
    m_afterCommit.clear();
}

void ClsDAO::NoteFailure() {
    // A database closed on purpose is not lost.
    if (m_lost || !m_dialect || !m_dialect->IsServer() || m_openCount <= 0 || !m_db.isValid())
        return;
    if (m_dialect->ConnectionLost(m_db)) {
        ErrorLog::Write(QStringLiteral("Database connection lost"));
        // A transaction under way stays open in name until its owner ends
        // it: every statement of it fails from here on, and the connection
        // is opened again only after the rollback, so that nothing of it can
        // run on a new connection outside the transaction.
        m_lost = true;
    }
}

bool ClsDAO::EnsureConnection() {
    // The server engine's driver may close a connection whose server went
    // away; while the program holds the database open, that is a loss too.
    if (!m_lost && !IsOpen() && m_openCount > 0 && IsServer() && m_db.isValid()) {
        ErrorLog::Write(QStringLiteral("Database connection lost"));
        m_lost = true;
    }
    if (!m_lost)
        return IsOpen();
    if (m_inWrite || m_inRead)
        return false;
    if (m_reconnectFailedAt != 0 && SteadyMs() - m_reconnectFailedAt < m_reconnectPauseMs)
        return false;
    try {
        CloseConnection();
        OpenConnection();
        m_reconnectFailedAt = 0;
        ErrorLog::Write(QStringLiteral("Database connection restored"));
        return true;
    } catch (const QSqlError& error) {
        LogDbErrors(QStringLiteral("Reconnect failed!"), error);
    } catch (const std::exception& e) {
        LogDbErrors(QStringLiteral("Reconnect failed!"),
                    PlainError(QString::fromStdString(e.what())));
    }
    m_lost = true;
    m_reconnectFailedAt = SteadyMs();
    return false;
}

void ClsDAO::LogDbErrors(const QString& message, const QSqlError& error) {
    ErrorLog::Write(message);
    if (error.type() != QSqlError::NoError || !error.text().isEmpty()) {
        QString number = error.nativeErrorCode();
        if (number.isEmpty())
            number = QStringLiteral("0");
        m_lastFailure = SqlDialect::ErrorText(error);
        ErrorLog::Write(number + QStringLiteral(": ") + m_lastFailure);
    }
}

qint16 ClsDAO::DbOpen(const QString& connStr) {
    try {
        ++m_openCount;
        m_dbPath = connStr;
        // A raised count without a connection (an earlier open failed) has
        // nothing to share: open the file now.
        if (m_openCount == 1 || !IsOpen())
            OpenConnection();
        PropertySet(QStringLiteral("LastUpdated"), QString::number(m_lastUpdated));
        ErrorLog::Write(QStringLiteral("Open database [%1]   %2").arg(m_openCount).arg(connStr));
        return 0;
    } catch (const QSqlError& error) {
        LogDbErrors(QStringLiteral("DbOpen() failed!"), error);
    } catch (const std::exception& e) {
        LogDbErrors(QStringLiteral("DbOpen() failed!"),
                    PlainError(QString::fromStdString(e.what())));
    }
    return 2;
}

void ClsDAO::DbClose() {
    try {
        --m_openCount;
        if (m_openCount == 0)
            CloseConnection();
        if (m_openCount < 0)
            m_openCount = 0;
        ErrorLog::Write(QStringLiteral("Database close [%1]").arg(m_openCount));
    } catch (...) {
        LogDbErrors(QStringLiteral("DbClose() failed!"), m_db.lastError());
    }
}

bool ClsDAO::CompactDb() {
    ErrorLog::Write(QStringLiteral("Compacting database"));
    DbClose();
    if (m_openCount != 0)
        return false;
    QSqlError failure;
    QSqlError inPlaceFailure;
    SqlDialect::For(m_dbPath)->Compact(m_dbPath, failure, inPlaceFailure);
    if (failure.type() != QSqlError::NoError) {
        LogDbErrors(QStringLiteral("CompactDatabase() failed!"), failure);
        // The file is untouched: work goes on with it as it was.
        DbOpen(m_dbPath);
        return false;
    }
    // The database is whole either way; a compaction that could not run is
    // reported and the database opened again.
    if (inPlaceFailure.type() != QSqlError::NoError)
        LogDbErrors(QStringLiteral("CompactDatabase() failed!"), inPlaceFailure);
    return DbOpen(m_dbPath) == 0 && inPlaceFailure.type() == QSqlError::NoError;
}

QString ClsDAO::StatementProblem(const QString& sqlStr) const {
    if (m_failWhen && m_failWhen(sqlStr))
        return QStringLiteral("statement refused");
    return m_dialect->StatementProblem(sqlStr);
}

Recordset ClsDAO::SqlQuery(const QString& sqlStr) {
    QStringList names;
    QVector<QVariant> cells;
    const bool read = SqlRead(sqlStr, [&](QSqlQuery& q) {
        const QSqlRecord rec = q.record();
        const int cols = rec.count();
        names.reserve(cols);
        for (int i = 0; i < cols; ++i)
            names << rec.fieldName(i);
        while (q.next())
            for (int i = 0; i < cols; ++i)
                cells.append(q.value(i));
    });
    return read ? Recordset(std::move(names), std::move(cells)) : Recordset();
}

bool ClsDAO::SqlRead(const QString& sqlStr, const std::function<void(QSqlQuery&)>& read) {
    QSqlError error;
    try {
        if (!EnsureConnection())
            throw PlainError(m_lost ? QStringLiteral("database connection lost")
                                    : QStringLiteral("database not open"));
        const QString problem = StatementProblem(sqlStr);
        if (!problem.isEmpty())
            throw PlainError(problem);
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (!q.exec(sqlStr)) {
            // A query outside a transaction is simply asked again on a new
            // connection when the server connection was lost; never one inside
            // a transaction, whose snapshot or writes a new connection would
            // not have.
            const QSqlError first = q.lastError();
            NoteFailure();
            if (!m_lost || m_inWrite || m_inRead || !EnsureConnection())
                throw first;
            q = QSqlQuery(m_db);
            q.setForwardOnly(true);
            if (!q.exec(sqlStr))
                throw q.lastError();
        }
        read(q);
        if (q.lastError().type() != QSqlError::NoError)
            throw q.lastError();
        return true;
    } catch (const QSqlError& e) {
        error = e;
        NoteFailure();
    } catch (const std::exception& e) {
        error = PlainError(QString::fromStdString(e.what()));
    }
    LogDbErrors(QStringLiteral("SqlQuery(") + sqlStr + QStringLiteral(") failed!  (") + sqlStr +
                    QLatin1Char(')'),
                error);
    return false;
}

bool ClsDAO::SqlAction(const QString& sqlStr, bool ignoreUpdate) {
    return Act(sqlStr, ignoreUpdate, [&](QSqlError& error) {
        QSqlQuery q(m_db);
        if (q.exec(sqlStr))
            return true;
        error = q.lastError();
        return false;
    });
}

bool ClsDAO::SqlAction(const QString& sqlStr, const QVariantList& values, bool ignoreUpdate,
                       QVariant* inserted) {
    return Act(sqlStr, ignoreUpdate, [&](QSqlError& error) {
        std::unique_ptr<PreparedStatement>& statement = m_prepared[sqlStr];
        if (!statement)
            statement = m_dialect->Prepare(m_db, sqlStr, error);
        return statement && statement->Run(values, inserted, error);
    });
}

bool ClsDAO::Act(const QString& sqlStr, bool ignoreUpdate,
                 const std::function<bool(QSqlError&)>& run) {
    QSqlError error;
    try {
        if (!EnsureConnection())
            throw PlainError(m_lost ? QStringLiteral("database connection lost")
                                    : QStringLiteral("database not open"));
        const QString problem = StatementProblem(sqlStr);
        if (!problem.isEmpty())
            throw PlainError(problem);
        if (QSqlError failed; !run(failed))
            throw failed;
        // One stamp per write transaction is enough: its later inserts and
        // deletes commit together with it.
        if (!ignoreUpdate && !(m_inWrite && m_stampedInWrite) &&
            (sqlStr.contains(QStringLiteral("insert"), Qt::CaseSensitive) ||
             sqlStr.contains(QStringLiteral("delete"), Qt::CaseSensitive))) {
            m_lastUpdated = NextStamp();
            PropertySet(QStringLiteral("LastUpdated"), QString::number(m_lastUpdated));
            m_dialect->AnnounceStamp(m_db, m_lastUpdated);
            m_stampedInWrite = m_inWrite;
        }
        return true;
    } catch (const QSqlError& e) {
        error = e;
        NoteFailure();
    } catch (const std::exception& e) {
        error = PlainError(QString::fromStdString(e.what()));
    }
    LogDbErrors(QStringLiteral("SqlAction(") + sqlStr + QStringLiteral(") failed! (") + sqlStr +
                    QLatin1Char(')'),
                error);
    return false;
}

QString ClsDAO::Quoted(const QString& src) {
    QString out = src;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

QString ClsDAO::PropertyGet(const QString& propName) {
    QString value;
    Trap("ClsDAO.PropertyGet", [&] {
        if (!EnsureConnection())
            throw TarveloError(QStringLiteral("database not open"));
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("select PropValue from tblProperties where PropName = ?"));
        q.addBindValue(propName);
        if (!q.exec()) {
            NoteFailure();
            throw TarveloError(q.lastError().text());
        }
        if (!q.next())
            throw TarveloError(QStringLiteral("no property ") + propName);
        value = q.value(0).toString();
    });
    return value;
}

void ClsDAO::PropertySet(const QString& propName, const QString& newVal) {
    Trap("ClsDAO.PropertySet", [&] {
        if (!EnsureConnection())
            throw TarveloError(QStringLiteral("database not open"));
        QSqlQuery q(m_db);
        q.prepare(m_dialect->PropertySetSql());
        q.addBindValue(propName);
        q.addBindValue(newVal);
        if (!q.exec()) {
            const QString text = q.lastError().text();
            NoteFailure();
            throw TarveloError(text);
        }
    });
}

void ClsDAO::PropertyDelete(const QString& propName) {
    Trap("ClsDAO.PropertyDelete", [&] {
        if (!EnsureConnection())
            throw TarveloError(QStringLiteral("database not open"));
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("delete from tblProperties where PropName = ?"));
        q.addBindValue(propName);
        if (!q.exec())
            throw TarveloError(q.lastError().text());
    });
}

bool ClsDAO::Updated() {
    bool result = false;
    Trap("ClsDAO.Updated", [&] {
        bool ok = false;
        const qint32 marker = PropertyGet(QStringLiteral("LastUpdated")).toInt(&ok);
        if (!ok)
            throw TarveloError(QStringLiteral("marker is not a number"));
        if (marker == m_lastUpdated)
            return;
        const qint32 again = PropertyGet(QStringLiteral("LastUpdated")).toInt(&ok);
        if (!ok)
            throw TarveloError(QStringLiteral("marker is not a number"));
        m_lastUpdated = again;
        ErrorLog::Write(QStringLiteral("Database update noted"));
        result = true;
    });
    return result;
}

bool ClsDAO::IntegrityCheck() {
    ErrorLog::Write(QStringLiteral("Database integrity check"));
    bool ok = true;
    for (const QString& sql : DbSchema::RepairStatements())
        ok = SqlAction(sql) && ok;
    return ok;
}

bool ClsDAO::BeginWrite() {
    if (m_inWrite || m_inRead || !EnsureConnection())
        return false;
    QSqlQuery q(m_db);
    // The write lock is taken at the start, so that a competing workstation
    // waits instead of failing half-way through.
    const QStringList statements = m_dialect->BeginWriteSql();
    for (int i = 0; i < statements.size(); ++i) {
        if (!q.exec(statements[i])) {
            LogDbErrors(QStringLiteral("BeginWrite() failed!"), q.lastError());
            if (i > 0)
                QSqlQuery(m_db).exec(QStringLiteral("rollback"));
            NoteFailure();
            return false;
        }
    }
    m_inWrite = true;
    m_stampedInWrite = false;
    return true;
}

bool ClsDAO::CommitWrite() {
    if (!m_inWrite)
        return false;
    if (m_lost) {
        // The connection went during the transaction: nothing of it was stored.
        LogDbErrors(QStringLiteral("CommitWrite() failed!"),
                    PlainError(QStringLiteral("database connection lost")));
        m_inWrite = false;
        m_afterCommit.clear();
        return false;
    }
    QSqlQuery q(m_db);
    const bool ok = q.exec(QStringLiteral("commit"));
    if (!ok) {
        LogDbErrors(QStringLiteral("CommitWrite() failed!"), q.lastError());
        QSqlQuery(m_db).exec(QStringLiteral("rollback"));
        NoteFailure();
    }
    m_inWrite = false;
    // A step may begin a transaction of its own: the list is taken first.
    const std::vector<std::function<void()>> steps = std::exchange(m_afterCommit, {});
    if (ok)
        for (const auto& step : steps)
            step();
    return ok;
}

void ClsDAO::AfterCommit(std::function<void()> step) {
    if (m_inWrite)
        m_afterCommit.push_back(std::move(step));
    else
        step();
}

bool ClsDAO::BeginRead() {
    if (m_inWrite || m_inRead || !EnsureConnection())
        return false;
    QSqlQuery q(m_db);
    if (!q.exec(m_dialect->BeginReadSql())) {
        LogDbErrors(QStringLiteral("BeginRead() failed!"), q.lastError());
        NoteFailure();
        return false;
    }
    m_inRead = true;
    return true;
}

void ClsDAO::EndRead() {
    if (!m_inRead)
        return;
    m_inRead = false;
    if (m_lost)
        return;
    // Commit, not rollback: a statement that events ran on this connection
    // meanwhile is kept.
    QSqlQuery(m_db).exec(QStringLiteral("commit"));
}

void ClsDAO::RollbackWrite() {
    if (!m_inWrite)
        return;
    m_inWrite = false;
    m_afterCommit.clear();
    if (!m_lost)
        QSqlQuery(m_db).exec(QStringLiteral("rollback"));
}

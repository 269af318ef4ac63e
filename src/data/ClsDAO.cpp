#include "data/ClsDAO.h"

#include "app/ErrorTrap.h"
#include "app/ModMain.h"
#include "data/DbSchema.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <chrono>

namespace {

QAtomicInt g_connectionSerial;
// Stamps issued in this process, so two stamps taken in one millisecond differ.
std::atomic<qint32> g_lastStamp{0};

constexpr int kBusyTimeoutMs = 15000;

QSqlError PlainError(const QString& text) {
    return QSqlError(QString(), text, QSqlError::UnknownError, QStringLiteral("0"));
}

} // namespace

qint32 ClsDAO::TickCount() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    return static_cast<qint32>(static_cast<quint32>(static_cast<quint64>(ms)));
}

qint32 ClsDAO::NextStamp() {
    qint32 stamp = TickCount();
    qint32 last = g_lastStamp.load();
    while (true) {
        if (stamp == last || stamp == m_lastUpdated)
            stamp = static_cast<qint32>(static_cast<quint32>(std::max(stamp, last)) + 1u);
        if (g_lastStamp.compare_exchange_weak(last, stamp))
            return stamp;
    }
}

bool ClsDAO::DatabaseExists(const QString& path) {
    // Anything at the path counts: a folder or a file of another kind is
    // then refused by DbOpen, instead of silently opening another database.
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

bool ClsDAO::IsOpen() const { return m_db.isValid() && m_db.isOpen(); }

void ClsDAO::OpenConnection() {
    // Only an existing file is opened: a missing path is never created here.
    const QFileInfo info(m_dbPath);
    if (!info.exists() || !info.isFile())
        throw TarveloError(QStringLiteral("no database file at ") + m_dbPath);
    if (!QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db = QSqlDatabase::database(m_connectionName, false);
    m_db.setDatabaseName(m_dbPath);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!m_db.open())
        throw m_db.lastError();
    // Reading the schema fails for a file that is not a database; a database
    // without our tables is refused before anything is written to it.
    if (!DbSchema::HasSchema(m_db)) {
        QSqlQuery probe(m_db);
        QSqlError error = probe.exec(QStringLiteral("select count(*) from sqlite_master"))
                              ? PlainError(QStringLiteral("not a Tarvelo database"))
                              : probe.lastError();
        m_db.close();
        throw error;
    }
}

void ClsDAO::CloseConnection() {
    if (m_db.isValid() && m_db.isOpen())
        m_db.close();
    m_inWrite = false;
}

void ClsDAO::LogDbErrors(const QString& message, const QSqlError& error) {
    ModMain::WriteLog(message);
    if (error.type() != QSqlError::NoError || !error.text().isEmpty()) {
        QString number = error.nativeErrorCode();
        if (number.isEmpty())
            number = QStringLiteral("0");
        const QString text =
            error.databaseText().isEmpty() ? error.text() : error.databaseText();
        ModMain::WriteLog(number + QStringLiteral(": ") + text);
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
        ModMain::WriteLog(QStringLiteral("Open database [%1]   %2").arg(m_openCount).arg(connStr));
        return 0;
    } catch (const QSqlError& error) {
        LogDbErrors(QStringLiteral("DbOpen() failed!"), error);
    } catch (const std::exception& e) {
        LogDbErrors(QStringLiteral("DbOpen() failed!"), PlainError(QString::fromStdString(e.what())));
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
        ModMain::WriteLog(QStringLiteral("Database close [%1]").arg(m_openCount));
    } catch (...) {
        LogDbErrors(QStringLiteral("DbClose() failed!"), m_db.lastError());
    }
}

bool ClsDAO::CompactDb() {
    ModMain::WriteLog(QStringLiteral("Compacting database"));
    DbClose();
    if (m_openCount != 0)
        return false;
    const QString temp = ModMain::ProgramPath(QStringLiteral("TempDb.db"));
    const QString old = ModMain::ProgramPath(QStringLiteral("OldDb.db"));
    const QString name = m_connectionName + QStringLiteral("-compact");
    QSqlError failure;
    QSqlError inPlaceFailure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(m_dbPath);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (!QFileInfo(m_dbPath).isFile()) {
            failure = PlainError(QStringLiteral("no database file at ") + m_dbPath);
        } else if (!db.open()) {
            failure = db.lastError();
        } else {
            // The compacted copy of the database as it is now.
            QFile::remove(temp);
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("vacuum into ") + Quoted(temp))) {
                failure = q.lastError();
            } else {
                // That copy is kept as OldDb, replacing the one of the last
                // compaction. The database file itself is compacted where it
                // lies, under the engine's locks: other workstations that hold
                // it open go on working on the same file, where renaming a
                // new file into its place would leave them writing to the old
                // one.
                QFile::remove(old);
                if (!QFile::rename(temp, old))
                    QFile::remove(temp);
                if (!q.exec(QStringLiteral("vacuum")))
                    inPlaceFailure = q.lastError();
            }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
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

Recordset ClsDAO::SqlQuery(const QString& sqlStr) {
    QSqlError error;
    try {
        if (!IsOpen())
            throw PlainError(QStringLiteral("database not open"));
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (!q.exec(sqlStr))
            throw q.lastError();
        const QSqlRecord rec = q.record();
        const int cols = rec.count();
        QStringList names;
        names.reserve(cols);
        for (int i = 0; i < cols; ++i)
            names << rec.fieldName(i);
        QVector<QVariant> cells;
        while (q.next())
            for (int i = 0; i < cols; ++i)
                cells.append(q.value(i));
        if (q.lastError().type() != QSqlError::NoError)
            throw q.lastError();
        return Recordset(std::move(names), std::move(cells));
    } catch (const QSqlError& e) {
        error = e;
    } catch (const std::exception& e) {
        error = PlainError(QString::fromStdString(e.what()));
    }
    LogDbErrors(QStringLiteral("SqlQuery(") + sqlStr + QStringLiteral(") failed!  (") + sqlStr +
                    QLatin1Char(')'),
                error);
    return Recordset();
}

bool ClsDAO::SqlAction(const QString& sqlStr, bool ignoreUpdate) {
    QSqlError error;
    try {
        if (!IsOpen())
            throw PlainError(QStringLiteral("database not open"));
        QSqlQuery q(m_db);
        if (!q.exec(sqlStr))
            throw q.lastError();
        if (!ignoreUpdate && (sqlStr.contains(QStringLiteral("insert"), Qt::CaseSensitive) ||
                              sqlStr.contains(QStringLiteral("delete"), Qt::CaseSensitive))) {
            m_lastUpdated = NextStamp();
            PropertySet(QStringLiteral("LastUpdated"), QString::number(m_lastUpdated));
        }
        return true;
    } catch (const QSqlError& e) {
        error = e;
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
        if (!IsOpen())
            throw TarveloError(QStringLiteral("database not open"));
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("select PropValue from tblProperties where PropName = ?"));
        q.addBindValue(propName);
        if (!q.exec() || !q.next())
            throw TarveloError(QStringLiteral("no property ") + propName);
        value = q.value(0).toString();
    });
    return value;
}

void ClsDAO::PropertySet(const QString& propName, const QString& newVal) {
    Trap("ClsDAO.PropertySet", [&] {
        if (!IsOpen())
            throw TarveloError(QStringLiteral("database not open"));
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("insert or replace into tblProperties (PropName, PropValue) "
                                 "values (?, ?)"));
        q.addBindValue(propName);
        q.addBindValue(newVal);
        if (!q.exec())
            throw TarveloError(q.lastError().text());
    });
}

void ClsDAO::PropertyDelete(const QString& propName) {
    Trap("ClsDAO.PropertyDelete", [&] {
        if (!IsOpen())
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
        ModMain::WriteLog(QStringLiteral("Database update noted"));
        result = true;
    });
    return result;
}

void ClsDAO::IntegrityCheck() {
    ModMain::WriteLog(QStringLiteral("Database integrity check"));
    for (const QString& sql : DbSchema::RepairStatements())
        SqlAction(sql);
}

bool ClsDAO::BeginWrite() {
    if (!IsOpen() || m_inWrite)
        return false;
    QSqlQuery q(m_db);
    // Taking the write lock at the start makes a competing workstation wait
    // (busy timeout) instead of failing half-way through.
    if (!q.exec(QStringLiteral("begin immediate"))) {
        LogDbErrors(QStringLiteral("BeginWrite() failed!"), q.lastError());
        return false;
    }
    m_inWrite = true;
    return true;
}

bool ClsDAO::CommitWrite() {
    if (!m_inWrite)
        return false;
    QSqlQuery q(m_db);
    const bool ok = q.exec(QStringLiteral("commit"));
    if (!ok) {
        LogDbErrors(QStringLiteral("CommitWrite() failed!"), q.lastError());
        QSqlQuery(m_db).exec(QStringLiteral("rollback"));
    }
    m_inWrite = false;
    return ok;
}

void ClsDAO::RollbackWrite() {
    if (!m_inWrite)
        return;
    QSqlQuery(m_db).exec(QStringLiteral("rollback"));
    m_inWrite = false;
}

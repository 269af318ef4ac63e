#include "data/SqliteDialect.h"

#include "base/ErrorTrap.h"
#include "base/ProgramFolder.h"
#include "data/ClsDAO.h"
#include "data/DbSchema.h"
#include "data/SqlitePreparedStatement.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

constexpr int kBusyTimeoutMs = 15000;

QString TableList() {
    return QStringLiteral("('tblGroups', 'tblResources', 'tblTasks', 'tblCustomers', "
                          "'tblCustomerGroups', 'tblBookings', 'tblRepeats', 'tblProperties')");
}

QSqlDatabase AddFileConnection(const QString& name, const QString& path) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    return db;
}

} // namespace

QSqlDatabase SqliteDialect::AddConnection(const QString& name, const QString& connStr) const {
    // Only an existing file is opened: a missing path is never created here.
    const QFileInfo info(connStr);
    if (!info.exists() || !info.isFile())
        throw TarveloError(QStringLiteral("no database file at ") + connStr);
    return AddFileConnection(name, connStr);
}

QString SqliteDialect::SchemaProblem(QSqlDatabase& db) const {
    QSqlQuery q(db);
    // Reading the schema fails for a file that is not a database at all.
    if (!q.exec(QStringLiteral("select count(*) from sqlite_master where type = 'table' and "
                               "name in ") +
                TableList()))
        return q.lastError().text();
    if (q.next() && q.value(0).toInt() == 8)
        return QString();
    return QStringLiteral("not a Tarvelo database");
}

QString SqliteDialect::CreateDatabase(const QString& path) const {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("%1 is not a file").arg(path);
    const bool existed = info.exists();
    const QString name = QStringLiteral("tarvelo-create-") + QUuid::createUuid().toString();
    QString error;
    {
        QSqlDatabase db = AddFileConnection(name, path);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            // An existing file must already be a database, and not one of
            // another program: anything else is left exactly as it is.
            if (!q.exec(QStringLiteral("select count(*), sum(name in ") + TableList() +
                        QStringLiteral(") from sqlite_master where type = 'table'")) ||
                !q.next())
                error = q.lastError().text();
            else if (q.value(0).toInt() > 0 && q.value(1).toInt() == 0)
                error = QStringLiteral("%1 holds the tables of another program").arg(path);
            q.finish();
            // All or nothing: a failure half-way leaves no half-made schema.
            if (error.isEmpty() && !q.exec(QStringLiteral("begin immediate")))
                error = q.lastError().text();
            for (const QString& sql : DbSchema::CreateStatements()) {
                if (!error.isEmpty())
                    break;
                if (!q.exec(sql))
                    error = q.lastError().text() + QStringLiteral(" (") + sql + QLatin1Char(')');
            }
            if (error.isEmpty() && !q.exec(QStringLiteral("commit")))
                error = q.lastError().text();
            if (!error.isEmpty())
                q.exec(QStringLiteral("rollback"));
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty() && !existed)
        QFile::remove(path);
    return error;
}

QString SqliteDialect::PropertySetSql() const {
    return QStringLiteral("insert or replace into tblProperties (PropName, PropValue) values (?, ?)");
}

QStringList SqliteDialect::BeginWriteSql() const {
    // Taking the write lock at the start makes a competing workstation wait
    // (busy timeout) instead of failing half-way through.
    return {QStringLiteral("begin immediate")};
}

void SqliteDialect::Compact(const QString& path, QSqlError& failure,
                            QSqlError& inPlaceFailure) const {
    const QString temp = ProgramFolder::FilePath(QStringLiteral("TempDb.db"));
    const QString old = ProgramFolder::FilePath(QStringLiteral("OldDb.db"));
    const QString name = QStringLiteral("tarvelo-compact-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = AddFileConnection(name, path);
        if (!QFileInfo(path).isFile()) {
            failure = QSqlError(QString(), QStringLiteral("no database file at ") + path,
                                QSqlError::UnknownError, QStringLiteral("0"));
        } else if (!db.open()) {
            failure = db.lastError();
        } else {
            // The compacted copy of the database as it is now.
            QFile::remove(temp);
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("vacuum into ") + ClsDAO::Quoted(temp))) {
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
}

QString SqliteDialect::IndexListSql() const {
    return QStringLiteral("select name from sqlite_master where type = 'index'");
}

QStringList SqliteDialect::SchemaStatements() const { return DbSchema::CreateStatements(); }

std::unique_ptr<PreparedStatement> SqliteDialect::Prepare(QSqlDatabase& db, const QString& sql,
                                                          QSqlError& error) const {
    return SqlitePreparedStatement::Prepare(db, sql, error);
}

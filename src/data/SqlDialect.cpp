#include "data/SqlDialect.h"

#include "data/ConnectionInfo.h"
#include "data/PostgresDialect.h"
#include "data/SqliteDialect.h"

#include <QSqlDatabase>
#include <QSqlError>

std::unique_ptr<SqlDialect> SqlDialect::For(const QString& connStr) {
    if (ConnectionInfo::IsServerUri(connStr))
        return std::make_unique<PostgresDialect>();
    return std::make_unique<SqliteDialect>();
}

QString SqlDialect::BeginReadSql() const {
    // SQLite: a deferred transaction takes its snapshot at the first read
    // and holds it until the end; writers wait to commit until then.
    return QStringLiteral("begin");
}

QString SqlDialect::StatementProblem(const QString&) const { return QString(); }

QString SqlDialect::Opened(QSqlDatabase&) const {
    return {};
}

QString SqlDialect::ErrorText(const QSqlError& error) {
    return (error.databaseText().isEmpty() ? error.text() : error.databaseText()).simplified();
}

void SqlDialect::AnnounceStamp(QSqlDatabase&, qint32) const {}

bool SqlDialect::Listen(QSqlDatabase&) const { return false; }

bool SqlDialect::ConnectionLost(QSqlDatabase&) const { return false; }

#include "data/SqlDialect.h"

#include "data/ConnectionInfo.h"
#include "data/PostgresDialect.h"
#include "data/SqliteDialect.h"

#include <QSqlDatabase>

std::unique_ptr<SqlDialect> SqlDialect::For(const QString& connStr) {
    if (ConnectionInfo::IsServerUri(connStr))
        return std::make_unique<PostgresDialect>();
    return std::make_unique<SqliteDialect>();
}

QString SqlDialect::StatementProblem(const QString&) const { return QString(); }

void SqlDialect::Opened(QSqlDatabase&) const {}

void SqlDialect::AnnounceStamp(QSqlDatabase&, qint32) const {}

bool SqlDialect::Listen(QSqlDatabase&) const { return false; }

bool SqlDialect::ConnectionLost(QSqlDatabase&) const { return false; }

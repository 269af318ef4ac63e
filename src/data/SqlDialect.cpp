#include "data/SqlDialect.h"

#include "data/PreparedStatement.h"

#include "data/ConnectionInfo.h"
#include "data/PostgresDialect.h"
#include "data/SqliteDialect.h"

#include "data/DbSchema.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

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

std::unique_ptr<PreparedStatement> SqlDialect::Prepare(QSqlDatabase& db, const QString& sql,
                                                       QSqlError& error) const {
    return PreparedStatement::Prepare(db, sql, error);
}

QString SqlDialect::CompleteIndexes(QSqlDatabase& db) const {
    QSqlQuery q(db);
    if (!q.exec(IndexListSql()))
        return ErrorText(q.lastError());
    QSet<QString> present; // a server folds unquoted names to lower case
    while (q.next())
        present << q.value(0).toString().toLower();
    // Only missing indexes are created: creating one takes a lock that other
    // workstations' writes would wait for.
    static const QRegularExpression index(
        QStringLiteral("^create index if not exists (\\w+) on "));
    for (const QString& sql : SchemaStatements()) {
        const QRegularExpressionMatch m = index.match(sql);
        if (!m.hasMatch() || present.contains(m.captured(1).toLower()))
            continue;
        if (!q.exec(sql))
            return ErrorText(q.lastError());
    }
    for (const QString& name : DbSchema::ReplacedIndexes())
        if (present.contains(name.toLower()) && !q.exec(QStringLiteral("drop index ") + name))
            return ErrorText(q.lastError());
    return {};
}

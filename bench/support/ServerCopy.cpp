#include "ServerCopy.h"

#include "data/ConnectionInfo.h"
#include "data/DbSchema.h"
#include "data/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

namespace {

constexpr int kRowsPerStatement = 500;

QString Literal(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("null");
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toString();
    default:
        break;
    }
    QString text = value.toString();
    text.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

bool Run(QSqlDatabase& db, const QString& sql, QString& error) {
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    error = q.lastError().text() + QStringLiteral(" (") + sql.left(200) + QLatin1Char(')');
    return false;
}

} // namespace

QString DropServerDatabase(const QString& serverUri) {
    const ConnectionInfo info = ConnectionInfo::Parse(serverUri);
    if (!info.Valid())
        return info.Error();
    const QString adminName = QStringLiteral("copy-admin");
    QString error;
    {
        QSqlDatabase admin = SqlDialect::For(serverUri)->AddConnection(
            adminName, info.WithDatabase(QStringLiteral("postgres")));
        if (!admin.open())
            error = admin.lastError().text();
        else
            Run(admin,
                QStringLiteral("drop database if exists \"%1\" with (force)").arg(info.Database()),
                error);
        admin.close();
    }
    QSqlDatabase::removeDatabase(adminName);
    return error;
}

QString CopyDatabaseToServer(const QString& sqlitePath, const QString& serverUri) {
    const QString sourceName = QStringLiteral("copy-source");
    const QString targetName = QStringLiteral("copy-target");
    QString error = DropServerDatabase(serverUri);
    if (!error.isEmpty())
        return error;
    error = DbSchema::CreateDatabase(serverUri);
    if (!error.isEmpty())
        return error;
    {
        QSqlDatabase source = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sourceName);
        source.setDatabaseName(sqlitePath);
        QSqlDatabase target = SqlDialect::For(serverUri)->AddConnection(targetName, serverUri);
        if (!source.open())
            error = source.lastError().text();
        else if (!target.open())
            error = target.lastError().text();
        else if (Run(target, QStringLiteral("begin"), error)) {
            for (const char* table : {"tblGroups", "tblResources", "tblTasks", "tblCustomers",
                                      "tblCustomerGroups", "tblBookings", "tblRepeats",
                                      "tblProperties"}) {
                if (!error.isEmpty())
                    break;
                QSqlQuery rows(source);
                rows.setForwardOnly(true);
                if (!rows.exec(QStringLiteral("select * from ") + QLatin1String(table))) {
                    error = rows.lastError().text();
                    break;
                }
                const QSqlRecord record = rows.record();
                QStringList columns;
                for (int c = 0; c < record.count(); ++c)
                    columns << record.fieldName(c);
                const QString head = QStringLiteral("insert into %1 (%2) values ")
                                         .arg(QLatin1String(table), columns.join(QStringLiteral(", ")));
                QStringList batch;
                const auto flush = [&] {
                    if (!batch.isEmpty() && error.isEmpty())
                        Run(target, head + batch.join(QStringLiteral(", ")), error);
                    batch.clear();
                };
                while (rows.next() && error.isEmpty()) {
                    QStringList values;
                    for (int c = 0; c < columns.size(); ++c)
                        values << Literal(rows.value(c));
                    batch << QLatin1Char('(') + values.join(QStringLiteral(", ")) + QLatin1Char(')');
                    if (batch.size() == kRowsPerStatement)
                        flush();
                }
                flush();
            }
            if (error.isEmpty())
                Run(target, QStringLiteral("commit"), error);
            else
                QSqlQuery(target).exec(QStringLiteral("rollback"));
            // As the server's autovacuum leaves a database in use within a
            // minute: statistics, and the pages marked all-visible, so that
            // the planner prices index-only scans as they run.
            if (error.isEmpty())
                Run(target, QStringLiteral("vacuum analyze"), error);
        }
        source.close();
        target.close();
    }
    QSqlDatabase::removeDatabase(sourceName);
    QSqlDatabase::removeDatabase(targetName);
    return error;
}

#pragma once

#include "data/SqlDialect.h"

// The embedded engine: one database file, shared by the workstations through
// the file system, with the engine's own file locks.
class SqliteDialect : public SqlDialect {
public:
    bool IsServer() const override { return false; }
    QSqlDatabase AddConnection(const QString& name, const QString& connStr) const override;
    QString SchemaProblem(QSqlDatabase& db) const override;
    QString CreateDatabase(const QString& connStr) const override;
    QString PropertySetSql() const override;
    QStringList BeginWriteSql() const override;
    std::unique_ptr<PreparedStatement> Prepare(QSqlDatabase& db, const QString& sql,
                                               QSqlError& error) const override;
    void Compact(const QString& connStr, QSqlError& failure,
                 QSqlError& inPlaceFailure) const override;

protected:
    QString IndexListSql() const override;
    QStringList SchemaStatements() const override;
};

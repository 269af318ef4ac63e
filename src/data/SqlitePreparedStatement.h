#pragma once

#include "data/PreparedStatement.h"

struct sqlite3;
struct sqlite3_stmt;

// A prepared statement run on the SQLite library directly, through the
// handle of the connection Qt opened: binding a value costs a call, where
// Qt's binding costs about as much as the statement's own work.
class SqlitePreparedStatement final : public PreparedStatement {
public:
    // Null, with the engine's error in `error`, when the connection is not
    // an SQLite one or the statement cannot be prepared.
    static std::unique_ptr<PreparedStatement> Prepare(QSqlDatabase& db, const QString& sql,
                                                      QSqlError& error);
    ~SqlitePreparedStatement() override;
    SqlitePreparedStatement(const SqlitePreparedStatement&) = delete;
    SqlitePreparedStatement& operator=(const SqlitePreparedStatement&) = delete;

    bool Run(const QVariantList& values, QVariant* inserted, QSqlError& error) override;

private:
    SqlitePreparedStatement(sqlite3* db, sqlite3_stmt* statement)
        : m_db(db), m_statement(statement) {}
    QSqlError Failure(int code) const;

    sqlite3* m_db;
    sqlite3_stmt* m_statement;
};

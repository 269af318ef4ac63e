#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

class QSqlDatabase;
class QSqlError;

// A statement prepared once on a connection and run many times, its `?`
// placeholders taking values in turn: for a statement every save runs. It
// must go before its connection closes.
class PreparedStatement {
public:
    virtual ~PreparedStatement() = default;

    // Through the connection's Qt driver; null, with the engine's error in
    // `error`, when the statement cannot be prepared.
    static std::unique_ptr<PreparedStatement> Prepare(QSqlDatabase& db, const QString& sql,
                                                      QSqlError& error);

    // Runs the statement with `values` (a null value or a null text binds a
    // NULL). False, with the engine's error in `error`, when it failed. An
    // insert's new row number goes to `inserted` when it is given (invalid
    // when the engine does not tell it).
    virtual bool Run(const QVariantList& values, QVariant* inserted, QSqlError& error) = 0;
};

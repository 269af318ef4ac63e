#include "data/SqlitePreparedStatement.h"

#include "data/Recordset.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QStringList>

#include <sqlite3.h>

std::unique_ptr<PreparedStatement>
SqlitePreparedStatement::Prepare(QSqlDatabase& db, const QString& sql, QSqlError& error) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0 || !handle.data()) {
        error = QSqlError(QStringLiteral("Unable to prepare statement"),
                          QStringLiteral("not an SQLite connection"), QSqlError::StatementError);
        return nullptr;
    }
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.data());
    sqlite3_stmt* statement = nullptr;
    const int code = sqlite3_prepare16_v3(connection, sql.utf16(), int(sql.size() * 2),
                                          SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (code != SQLITE_OK || !statement) {
        error = QSqlError(QStringLiteral("Unable to prepare statement"),
                          QString::fromUtf8(sqlite3_errmsg(connection)), QSqlError::StatementError,
                          QString::number(code));
        sqlite3_finalize(statement);
        return nullptr;
    }
    return std::unique_ptr<PreparedStatement>(new SqlitePreparedStatement(connection, statement));
}

SqlitePreparedStatement::~SqlitePreparedStatement() {
    sqlite3_finalize(m_statement);
}

QSqlError SqlitePreparedStatement::Failure(int code) const {
    return QSqlError(QStringLiteral("Unable to fetch row"), QString::fromUtf8(sqlite3_errmsg(m_db)),
                     QSqlError::StatementError, QString::number(code));
}

bool SqlitePreparedStatement::Run(const QVariantList& values, QVariant* inserted,
                                  QSqlError& error) {
    // Texts of other kinds of value, kept alive until the statement ran.
    QStringList texts;
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& value = values[i];
        const int at = i + 1;
        int code = SQLITE_OK;
        if (value.isNull() || (value.typeId() == QMetaType::QString &&
                               static_cast<const QString*>(value.constData())->isNull())) {
            code = sqlite3_bind_null(m_statement, at);
        } else if (FieldValue::IsWhole(value) || value.typeId() == QMetaType::Bool) {
            code = sqlite3_bind_int64(m_statement, at, value.toLongLong());
        } else {
            switch (value.typeId()) {
            case QMetaType::Double:
                code = sqlite3_bind_double(m_statement, at, value.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray& bytes = *static_cast<const QByteArray*>(value.constData());
                code = sqlite3_bind_blob(m_statement, at, bytes.constData(), int(bytes.size()),
                                         SQLITE_STATIC);
                break;
            }
            default: {
                const QString& text = value.typeId() == QMetaType::QString
                                          ? *static_cast<const QString*>(value.constData())
                                          : (texts << value.toString()).last();
                code = sqlite3_bind_text16(m_statement, at, text.utf16(), int(text.size() * 2),
                                           SQLITE_STATIC);
                break;
            }
            }
        }
        if (code != SQLITE_OK) {
            error = Failure(code);
            return false;
        }
    }
    const int code = sqlite3_step(m_statement);
    const bool ok = code == SQLITE_DONE || code == SQLITE_ROW;
    if (!ok)
        error = Failure(code);
    else if (inserted)
        *inserted = qint64(sqlite3_last_insert_rowid(m_db));
    // Done with: the statement holds nothing until its next run, and the
    // values bound (kept by the caller only for this call) are let go.
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    return ok;
}

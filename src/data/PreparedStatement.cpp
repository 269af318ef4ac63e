#include "data/PreparedStatement.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

class QtPreparedStatement final : public PreparedStatement {
public:
    explicit QtPreparedStatement(QSqlQuery query) : m_query(std::move(query)) {}

    bool Run(const QVariantList& values, QVariant* inserted, QSqlError& error) override {
        for (int i = 0; i < values.size(); ++i)
            m_query.bindValue(i, values[i]);
        const bool ok = m_query.exec();
        if (!ok)
            error = m_query.lastError();
        else if (inserted)
            *inserted = m_query.lastInsertId();
        // Done with: the statement holds nothing until its next run.
        m_query.finish();
        return ok;
    }

private:
    QSqlQuery m_query;
};

} // namespace

std::unique_ptr<PreparedStatement> PreparedStatement::Prepare(QSqlDatabase& db, const QString& sql,
                                                              QSqlError& error) {
    QSqlQuery query(db);
    if (!query.prepare(sql)) {
        error = query.lastError();
        return nullptr;
    }
    return std::make_unique<QtPreparedStatement>(std::move(query));
}

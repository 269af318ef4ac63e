#include "model/StoredRow.h"

#include "data/ClsDAO.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
// Both engines hand numbers back in types of their own (a 64-bit integer, a
// 32-bit one); the text of a value compares them alike.
bool SameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.toString() == b.toString();
}
} // namespace

StoredRow::StoredRow(QString table, QString idColumn)
    : m_table(std::move(table)), m_idColumn(std::move(idColumn)) {}

QString StoredRow::SelectSql(qint32 id) const {
    return QStringLiteral("select * from ") + m_table + QStringLiteral(" where ") + m_idColumn +
           QStringLiteral(" = ") + QString::number(id);
}

void StoredRow::Take(const Recordset& rs) {
    Clear();
    if (!rs.IsOpen() || rs.Eof())
        return;
    for (int i = 0; i < rs.ColumnCount(); ++i) {
        m_columns << rs.ColumnName(i);
        m_values << rs.Fields(i).Value;
    }
    m_id = rs.Fields(m_idColumn).Value.toInt();
}

QString StoredRow::Json() const {
    if (m_columns.isEmpty())
        return {};
    QJsonObject row;
    for (int i = 0; i < m_columns.size(); ++i)
        row.insert(m_columns[i].toLower(), QJsonValue::fromVariant(m_values[i]));
    return QString::fromUtf8(QJsonDocument(row).toJson(QJsonDocument::Compact));
}

void StoredRow::Clear() {
    m_id = 0;
    m_columns.clear();
    m_values.clear();
}

StoredRow::State StoredRow::Check(ClsDAO& dao, qint32 id) const {
    const Recordset rs = dao.SqlQuery(SelectSql(id));
    if (!rs.IsOpen())
        return State::Unknown;
    if (rs.Eof())
        return State::Gone;
    if (id != m_id)
        return State::Same;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (!SameValue(rs.Fields(m_columns[i]).Value, m_values[i]))
            return State::Changed;
    }
    return State::Same;
}

bool StoredRow::Reload(ClsDAO& dao, qint32 id) {
    const Recordset rs = dao.SqlQuery(SelectSql(id));
    if (!rs.IsOpen() || rs.Eof())
        return false;
    Take(rs);
    return true;
}

StoredRow::State StoredRow::Lookup(ClsDAO& dao, const QString& table, const QString& idColumn,
                                   qint32 id) {
    const Recordset rs = dao.SqlQuery(QStringLiteral("select ") + idColumn +
                                      QStringLiteral(" from ") + table + QStringLiteral(" where ") +
                                      idColumn + QStringLiteral(" = ") + QString::number(id));
    if (!rs.IsOpen())
        return State::Unknown;
    return rs.Eof() ? State::Gone : State::Same;
}

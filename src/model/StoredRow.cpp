#include "model/StoredRow.h"

#include "data/ClsDAO.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {
// Both engines hand numbers back in types of their own (a 64-bit integer, a
// 32-bit one); the text of a value compares them alike.
bool SameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.toString() == b.toString();
}

// Appends `text` as a JSON string. False for text holding a surrogate (a
// character outside the basic plane, or a broken one), left to QJsonDocument.
bool AppendString(QByteArray& out, QStringView text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'"':
            out += "\\\"";
            continue;
        case u'\\':
            out += "\\\\";
            continue;
        case u'\b':
            out += "\\b";
            continue;
        case u'\f':
            out += "\\f";
            continue;
        case u'\n':
            out += "\\n";
            continue;
        case u'\r':
            out += "\\r";
            continue;
        case u'\t':
            out += "\\t";
            continue;
        default:
            break;
        }
        if (u < 0x20) {
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else if (u < 0x80) {
            out += char(u);
        } else if (c.isSurrogate()) {
            return false;
        } else if (u < 0x800) {
            out += char(0xc0 | (u >> 6));
            out += char(0x80 | (u & 0x3f));
        } else {
            out += char(0xe0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3f));
            out += char(0x80 | (u & 0x3f));
        }
    }
    out += '"';
    return true;
}

// Appends a value of a row: none, a whole number or a text. False for
// any other kind, left to QJsonDocument.
bool AppendValue(QByteArray& out, const QVariant& value) {
    // No value is a JSON null; a null of a type (an engine's NULL column)
    // is that type's empty value, as QJsonDocument writes it.
    if (!value.isValid()) {
        out += "null";
        return true;
    }
    if (FieldValue::IsWhole(value)) {
        out += QByteArray::number(value.toLongLong());
        return true;
    }
    if (value.typeId() == QMetaType::QString)
        return AppendString(out, *static_cast<const QString*>(value.constData()));
    return false;
}

// The row as a compact JSON object, keys in lower case and in order; empty
// when a key or a value is of a kind left to QJsonDocument, or two columns
// share a name.
QByteArray RowJson(const QStringList& columns, const QVector<QVariant>& values) {
    // The columns of one table come back alike with every row: their order
    // and keys are worked out once.
    struct Keys {
        QStringList columns;
        QList<int> order;
        QList<QByteArray> keys; // each written as a JSON string
    };
    thread_local Keys cached;
    if (cached.columns != columns) {
        Keys made;
        QStringList lower;
        for (const QString& column : columns) {
            lower << column.toLower();
            made.order << int(made.order.size());
        }
        std::sort(made.order.begin(), made.order.end(),
                  [&](int a, int b) { return lower[a] < lower[b]; });
        for (int i = 0; i < made.order.size(); ++i) {
            if (i > 0 && lower[made.order[i]] == lower[made.order[i - 1]])
                return {};
            QByteArray key;
            AppendString(key, lower[made.order[i]]);
            made.keys << key;
        }
        made.columns = columns;
        cached = std::move(made);
    }
    QByteArray out;
    out.reserve(256);
    out += '{';
    for (int i = 0; i < cached.order.size(); ++i) {
        if (i > 0)
            out += ',';
        out += cached.keys[i];
        out += ':';
        if (!AppendValue(out, values[cached.order[i]]))
            return {};
    }
    out += '}';
    return out;
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
    // Every save journals a row: it is written directly, byte for byte as
    // QJsonDocument writes it (keys sorted, compact), which also writes
    // whatever the direct way leaves to it.
    if (const QByteArray json = RowJson(m_columns, m_values); !json.isEmpty())
        return QString::fromUtf8(json);
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

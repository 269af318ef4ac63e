#include "data/Recordset.h"

#include "base/ErrorTrap.h"

#include <cmath>
#include <limits>

namespace {
qint64 WholeNumber(const QVariant& v) {
    if (v.isNull())
        throw TarveloError(QStringLiteral("null value used as a number"));
    bool ok = false;
    if (FieldValue::IsWhole(v))
        return v.toLongLong();
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        throw TarveloError(QStringLiteral("value is not a number"));
    return static_cast<qint64>(std::nearbyint(d));
}
} // namespace

bool FieldValue::IsWhole(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

QString FieldValue::Text() const {
    if (Value.isNull())
        throw TarveloError(QStringLiteral("null value used as text"));
    return Value.toString();
}

qint32 FieldValue::Long() const {
    const qint64 v = WholeNumber(Value);
    if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        throw TarveloError(QStringLiteral("overflow"));
    return static_cast<qint32>(v);
}

qint16 FieldValue::Int() const {
    const qint64 v = WholeNumber(Value);
    if (v < std::numeric_limits<qint16>::min() || v > std::numeric_limits<qint16>::max())
        throw TarveloError(QStringLiteral("overflow"));
    return static_cast<qint16>(v);
}

double FieldValue::Double() const {
    if (Value.isNull())
        throw TarveloError(QStringLiteral("null value used as a number"));
    bool ok = false;
    const double d = Value.toDouble(&ok);
    if (!ok)
        throw TarveloError(QStringLiteral("value is not a number"));
    return d;
}

Recordset::Recordset(QStringList columns, QVector<QVariant> cells)
    : m_open(true), m_columns(std::move(columns)), m_cells(std::move(cells)),
      m_rowCount(m_columns.isEmpty() ? 0 : int(m_cells.size() / m_columns.size())) {}

void Recordset::RequireOpen() const {
    if (!m_open)
        throw TarveloError(QStringLiteral("no recordset"));
}

void Recordset::RequireRow() const {
    if (Eof())
        throw TarveloError(QStringLiteral("no current record"));
}

int Recordset::RecordCount() const {
    RequireOpen();
    return m_rowCount;
}

bool Recordset::Eof() const {
    RequireOpen();
    return m_row >= m_rowCount;
}
bool Recordset::Bof() const {
    RequireOpen();
    return m_row < 0 || RecordCount() == 0;
}

void Recordset::MoveNext() {
    RequireRow();
    ++m_row;
}

FieldValue Recordset::Fields(int column) const {
    RequireRow();
    if (column < 0 || column >= m_columns.size())
        throw TarveloError(QStringLiteral("no column %1").arg(column));
    return FieldValue(m_cells.at(qsizetype(m_row) * m_columns.size() + column));
}

int Recordset::ColumnIndex(const QString& column) const {
    const int n = int(m_columns.size());
    // The name as the query spells it, starting after the last one found...
    for (int k = 0; k < n; ++k) {
        const int i = (m_nextColumn + k) % n;
        if (m_columns.at(i) == column) {
            m_nextColumn = i + 1 < n ? i + 1 : 0;
            return i;
        }
    }
    // ...then in any letter case, as the database itself matches names.
    for (int i = 0; i < n; ++i)
        if (m_columns.at(i).compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

FieldValue Recordset::Fields(const QString& column) const {
    RequireRow();
    const int i = ColumnIndex(column);
    if (i < 0)
        throw TarveloError(QStringLiteral("no column ") + column);
    return FieldValue(m_cells.at(qsizetype(m_row) * m_columns.size() + i));
}

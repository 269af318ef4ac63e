#include "data/Recordset.h"

#include "app/ErrorTrap.h"

#include <cmath>
#include <limits>

namespace {
qint64 WholeNumber(const QVariant& v) {
    if (v.isNull())
        throw TarveloError(QStringLiteral("null value used as a number"));
    bool ok = false;
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int) {
        return v.toLongLong();
    }
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        throw TarveloError(QStringLiteral("value is not a number"));
    return static_cast<qint64>(std::nearbyint(d));
}
} // namespace

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
    : m_open(true), m_columns(std::move(columns)), m_cells(std::move(cells)) {}

void Recordset::RequireOpen() const {
    if (!m_open)
        throw TarveloError(QStringLiteral("no recordset"));
}

void Recordset::RequireRow() const {
    RequireOpen();
    if (Eof())
        throw TarveloError(QStringLiteral("no current record"));
}

int Recordset::RecordCount() const {
    RequireOpen();
    return m_columns.isEmpty() ? 0 : int(m_cells.size() / m_columns.size());
}

bool Recordset::Eof() const { return m_row >= RecordCount(); }
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

FieldValue Recordset::Fields(const QString& column) const {
    RequireOpen();
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).compare(column, Qt::CaseInsensitive) == 0)
            return Fields(i);
    throw TarveloError(QStringLiteral("no column ") + column);
}

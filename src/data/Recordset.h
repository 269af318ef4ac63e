#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// One value of a snapshot row. Value is null for a database null; reading a
// null as text or as a number throws, which ends the reader in its error trap.
class FieldValue {
public:
    explicit FieldValue(QVariant value) : Value(std::move(value)) {}
    bool IsNull() const { return Value.isNull(); }
    QString Text() const;
    qint32 Long() const;  // 32-bit integer
    qint16 Int() const;   // 16-bit integer
    double Double() const;
    // Whether a value is held as a whole number, of any width an engine
    // hands back.
    static bool IsWhole(const QVariant& value);

    QVariant Value;
};

// The snapshot result of a query: rows copied out when the query ran, read
// forward. A Recordset that holds no result (the query failed) throws on use.
class Recordset {
public:
    Recordset() = default; // no result
    Recordset(QStringList columns, QVector<QVariant> cells);

    bool IsOpen() const { return m_open; }
    bool Eof() const;
    bool Bof() const;
    void MoveNext();
    FieldValue Fields(const QString& column) const;
    FieldValue Fields(int column) const;
    int RecordCount() const;
    int ColumnCount() const { return int(m_columns.size()); }
    QString ColumnName(int column) const { return m_columns.value(column); }

private:
    void RequireOpen() const;
    void RequireRow() const;
    int ColumnIndex(const QString& column) const;

    bool m_open = false;
    QStringList m_columns;
    QVector<QVariant> m_cells; // row-major
    int m_rowCount = 0;
    int m_row = 0;
    // Where the search for the next column name starts: callers mostly read
    // the fields of a row in the order of the query's columns.
    mutable int m_nextColumn = 0;
};

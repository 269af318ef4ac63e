#pragma once

#include "data/Recordset.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class ClsDAO;

// What a record saw of its row when it loaded it: the identifier and the
// values of the row's columns. A save of a stored record checks, inside its
// own write transaction, that the row is still as loaded, so that an edit
// never silently overwrites another workstation's edit, nor is stored against
// a row that another workstation deleted meanwhile.
class StoredRow {
public:
    enum class State {
        Same,    // the row is as loaded
        Changed, // another workstation changed it since
        Gone,    // another workstation deleted it since
        Unknown  // the row could not be read (the save must not go on)
    };

    StoredRow(QString table, QString idColumn);

    // Takes the current row of rs (a "select * ..." of this table) as loaded.
    void Take(const Recordset& rs);
    void Clear();
    // Identifier of the row taken; 0 when none was.
    qint32 Id() const { return m_id; }
    QString Table() const { return m_table; }
    QString IdColumn() const { return m_idColumn; }
    // The row taken as a JSON object, column names in lower case; empty
    // when none was taken.
    QString Json() const;

    // Compares the stored row `id` with what was taken. A record whose
    // identifier differs from the one taken (set by hand, never loaded) has
    // nothing to compare: only its existence is checked.
    State Check(ClsDAO& dao, qint32 id) const;
    // After a save: takes the row as it now is, inside the same transaction.
    // False when it cannot be read.
    bool Reload(ClsDAO& dao, qint32 id);

    // Whether the row `id` of `table` exists: Same when it does, Gone when
    // it does not, Unknown when it cannot be read.
    static State Lookup(ClsDAO& dao, const QString& table, const QString& idColumn, qint32 id);

private:
    QString SelectSql(qint32 id) const;

    QString m_table;
    QString m_idColumn;
    qint32 m_id = 0;
    QStringList m_columns;
    QVector<QVariant> m_values;
};

#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class ClsDAO;
class StoredRow;

// Stores one new row and reads its identifier back as one write transaction,
// so that neither another workstation's insert nor its read-back can come in
// between: the identifier returned is always this row's own.
namespace RowInsert {
// Runs insertSql and then idSql (a "select max(...)" over the values just
// inserted) and returns the first column of its row; the new row of `table`
// (its identifier in idColumn) goes into the journal in the same
// transaction (nothing is journalled for an empty table name). When mayInsert is given
// it runs first, inside the same transaction, and a false result stores
// nothing. Returns 0, with nothing stored, when the transaction cannot be
// opened, mayInsert refuses, the insert fails, the read-back finds no row or
// the commit fails. A failing read-back throws (into the caller's trap) after
// the transaction was rolled back. When `stored` is given, the new row is
// read back into it (journal or not), once, for the journal and the caller
// alike; it is left as it was when nothing is stored.
qint32 Insert(ClsDAO& dao, const QString& table, const QString& idColumn, const QString& insertSql,
              const QString& idSql, const std::function<bool()>& mayInsert = {},
              StoredRow* stored = nullptr);
} // namespace RowInsert

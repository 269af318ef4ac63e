#pragma once

#include <QStringList>
#include <functional>

class ClsDAO;

// Deletes a record together with everything that hangs from it as one write
// transaction: all of it or none of it. A failure half-way would otherwise
// leave rows that nothing shows or reaches any more (bookings of a deleted
// resource, links of a deleted contact), and another workstation could book
// on a record between two of the steps.
namespace RowDelete {
// Runs the statements in order and then, when given, `more` (the further
// steps of the cascade; a record delete called from there joins the same
// transaction). Stops at the first step that fails. Returns true when every
// step succeeded and the transaction was committed (or, when one was already
// open, joined); otherwise rolls everything back and returns false, also when
// the write lock could not be taken. A step that throws is rolled back too,
// and the exception goes on into the caller's trap.
// The row `id` of `table` (its identifier in idColumn) goes into the journal
// as deleted, in the same transaction.
bool Cascade(ClsDAO& dao, const QString& table, const QString& idColumn, qint32 id,
             const QStringList& statements, const std::function<bool()>& more = {});
} // namespace RowDelete

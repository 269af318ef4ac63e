#pragma once

#include "model/SaveProblem.h"

#include <QString>
#include <QtGlobal>
#include <functional>

class ClsDAO;
class StoredRow;

// Stores the changes of a loaded record as one write transaction (joined
// when one is already open), so that no other workstation's edit is silently
// overwritten and nothing is stored against a row deleted meanwhile.
namespace RowUpdate {
// Checks that the row `id` is still as `row` took it, runs updateSql and then
// `more` (further steps of the same save; false stores nothing), and takes
// the row as it now is. Stores nothing and answers why when the row was
// changed (`row` then takes the row as it is now, so that saving again stores
// the record over it), was deleted (`row` is cleared: the caller's record
// becomes a new one) or a step failed (`row` stays as it was). A step that
// throws is rolled back too, and the exception goes on into the caller's trap.
SaveProblem Update(ClsDAO& dao, StoredRow& row, qint32 id, const QString& updateSql,
                   const std::function<bool()>& more = {});
} // namespace RowUpdate

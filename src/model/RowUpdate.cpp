#include "model/RowUpdate.h"

#include "data/ClsDAO.h"
#include "data/DbTransaction.h"
#include "data/Journal.h"
#include "model/StoredRow.h"

namespace RowUpdate {

SaveProblem Update(ClsDAO& dao, StoredRow& row, qint32 id, const QString& updateSql,
                   const std::function<bool()>& more) {
    DbTransaction txn(dao);
    // Without the write lock another workstation could write between the
    // check and the update.
    if (!dao.InWrite())
        return SaveProblem::Failed;
    switch (row.Check(dao, id)) {
    case StoredRow::State::Same:
        break;
    case StoredRow::State::Changed:
        return row.Reload(dao, id) ? SaveProblem::Changed : SaveProblem::Failed;
    case StoredRow::State::Gone:
        row.Clear();
        return SaveProblem::Deleted;
    case StoredRow::State::Unknown:
        return SaveProblem::Failed;
    }
    // What was taken before stays when the save does not go through, so that
    // a failed save is not mistaken for another workstation's change later.
    const StoredRow before = row;
    // The journal takes the row as it is now (a record set by hand never
    // took it) and as the update leaves it.
    StoredRow old(row.Table(), row.IdColumn());
    if (!old.Reload(dao, id) || !dao.SqlAction(updateSql) || (more && !more()) ||
        !row.Reload(dao, id) ||
        !Journal::Append(dao, {}, row.Table(), id, old.Json(), row.Json()) || !txn.Commit()) {
        row = before;
        return SaveProblem::Failed;
    }
    return SaveProblem::None;
}

} // namespace RowUpdate

#include "model/RowDelete.h"

#include "data/ClsDAO.h"
#include "data/DbTransaction.h"
#include "data/Journal.h"
#include "model/StoredRow.h"

namespace RowDelete {

bool Cascade(ClsDAO& dao, const QString& table, const QString& idColumn, qint32 id,
             const QStringList& statements, const std::function<bool()>& more) {
    DbTransaction txn(dao);
    if (!dao.InWrite())
        return false;
    // A row that is not there (deleted elsewhere already) leaves no entry.
    StoredRow gone(table, idColumn);
    const bool there = gone.Reload(dao, id);
    for (const QString& sql : statements)
        if (!dao.SqlAction(sql))
            return false;
    if (more && !more())
        return false;
    if (there && !Journal::Append(dao, QStringLiteral("Delete"), table, id, gone.Json(), {}))
        return false;
    return txn.Commit();
}

} // namespace RowDelete

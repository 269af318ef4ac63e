#include "model/RowInsert.h"

#include "data/ClsDAO.h"
#include "data/DbTransaction.h"
#include "data/Journal.h"
#include "model/StoredRow.h"

namespace RowInsert {

qint32 Insert(ClsDAO& dao, const QString& table, const QString& idColumn, const QString& insertSql,
              const QString& idSql, const std::function<bool()>& mayInsert, StoredRow* stored) {
    DbTransaction txn(dao);
    // Without the write lock the test, the insert and the read-back could be
    // separated by another workstation's write; store nothing then.
    if (!dao.InWrite())
        return 0;
    if (mayInsert && !mayInsert())
        return 0;
    if (!dao.SqlAction(insertSql))
        return 0;
    const Recordset rs = dao.SqlQuery(idSql);
    if (rs.Eof() || rs.Fields(0).IsNull())
        return 0;
    const qint32 id = rs.Fields(0).Long();
    const bool journal = !table.isEmpty() && !Journal::Off();
    StoredRow row(table, idColumn);
    if ((journal || stored) && !row.Reload(dao, id))
        return 0;
    if (journal && !Journal::Append(dao, {}, table, id, {}, row.Json()))
        return 0;
    if (!txn.Commit())
        return 0;
    if (stored)
        *stored = row;
    return id;
}

} // namespace RowInsert

#include "model/RowDelete.h"

#include "data/ClsDAO.h"
#include "data/DbTransaction.h"

namespace RowDelete {

bool Cascade(ClsDAO& dao, const QStringList& statements, const std::function<bool()>& more) {
    DbTransaction txn(dao);
    if (!dao.InWrite())
        return false;
    for (const QString& sql : statements)
        if (!dao.SqlAction(sql))
            return false;
    if (more && !more())
        return false;
    return txn.Commit();
}

} // namespace RowDelete

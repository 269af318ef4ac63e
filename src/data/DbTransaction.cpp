#include "data/DbTransaction.h"

#include "data/ClsDAO.h"

DbTransaction::DbTransaction(ClsDAO& dao) : m_dao(dao) {
    // A transaction already open on this connection is joined, not nested.
    if (!m_dao.InWrite())
        m_active = m_dao.BeginWrite();
}

DbTransaction::~DbTransaction() {
    if (m_active)
        m_dao.RollbackWrite();
}

bool DbTransaction::Commit() {
    if (!m_active)
        return true;
    m_active = false;
    return m_dao.CommitWrite();
}

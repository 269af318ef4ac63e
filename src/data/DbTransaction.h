#pragma once

class ClsDAO;

// A write transaction that rolls back unless committed.
class DbTransaction {
public:
    explicit DbTransaction(ClsDAO& dao);
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;

    bool Active() const { return m_active; }
    bool Commit();

private:
    ClsDAO& m_dao;
    bool m_active = false;
};

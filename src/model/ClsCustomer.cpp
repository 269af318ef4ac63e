#include "model/ClsCustomer.h"

#include "base/ErrorTrap.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/DbTransaction.h"
#include "model/RowDelete.h"
#include "model/RowInsert.h"
#include "model/RowUpdate.h"

namespace {
ClsDAO& Dao() {
    return Database::DAO();
}
QString Num(qint64 v) {
    return QString::number(v);
}
} // namespace

ClsCustomer::ClsCustomer() {
    InitBfr();
}

void ClsCustomer::InitBfr() {
    Trap("ClsCustomer.InitBfr", [&] {
        m_customerId = 0;
        m_customerName.clear();
        m_ref01.clear();
        m_ref02.clear();
        m_ref03.clear();
        m_row.Clear();
    });
}

bool ClsCustomer::Load(qint32 customerId) {
    bool found = false;
    Trap("ClsCustomer.Load", [&] {
        InitBfr();
        Recordset rs = Dao().SqlQuery(
            QStringLiteral("select * from tblCustomers where CustomerId = ") + Num(customerId));
        if (rs.Eof())
            return;
        m_customerId = rs.Fields(QStringLiteral("CustomerId")).Long();
        m_customerName = rs.Fields(QStringLiteral("CustomerName")).Text();
        m_ref01 = rs.Fields(QStringLiteral("Ref01")).Text();
        m_ref02 = rs.Fields(QStringLiteral("Ref02")).Text();
        m_ref03 = rs.Fields(QStringLiteral("Ref03")).Text();
        m_row.Take(rs);
        found = true;
    });
    return found;
}

bool ClsCustomer::LoadByName(const QString& customerName, qint32 groupId) {
    bool found = false;
    TrapSilent([&] {
        InitBfr();
        Recordset rs = Dao().SqlQuery(
            QStringLiteral("select CustomerId from tblCustomers where CustomerName = ") +
            ClsDAO::Quoted(customerName) +
            QStringLiteral(" and CustomerId in (select CustomerId from tblCustomerGroups where "
                           "GroupId = ") +
            Num(groupId) + QLatin1Char(')'));
        if (!rs.Eof())
            found = Load(rs.Fields(QStringLiteral("CustomerId")).Long());
    });
    return found;
}

qint32 ClsCustomer::Save(const QMap<qint32, bool>& groupLinks) {
    qint32 result = 0;
    m_saveProblem = SaveProblem::Failed;
    Trap("ClsCustomer.Save", [&] {
        ClsDAO& dao = Dao();
        const auto writeLinks = [&](qint32 customerId) {
            for (auto it = groupLinks.cbegin(); it != groupLinks.cend(); ++it) {
                const QString link = QStringLiteral(" CustomerId = ") + Num(customerId) +
                                     QStringLiteral(" and GroupId = ") + Num(it.key());
                if (!dao.SqlAction(QStringLiteral("delete from tblCustomerGroups where") + link))
                    return false;
                if (it.value() &&
                    !dao.SqlAction(QStringLiteral("insert into tblCustomerGroups (CustomerId, "
                                                  "GroupId) values (") +
                                   Num(customerId) + QStringLiteral(", ") + Num(it.key()) +
                                   QLatin1Char(')')))
                    return false;
            }
            return true;
        };
        if (m_customerId != 0) {
            // Nothing is stored, links included, when a statement is refused
            // (the record keeps its identifier) or another workstation changed
            // or deleted the contact since it was loaded (a deleted one is
            // stored as new next).
            m_saveProblem =
                RowUpdate::Update(dao, m_row, m_customerId,
                                  QStringLiteral("update tblCustomers set CustomerName = ") +
                                      ClsDAO::Quoted(m_customerName) +
                                      QStringLiteral(", Ref01 = ") + ClsDAO::Quoted(m_ref01) +
                                      QStringLiteral(", Ref02 = ") + ClsDAO::Quoted(m_ref02) +
                                      QStringLiteral(", Ref03 = ") + ClsDAO::Quoted(m_ref03) +
                                      QStringLiteral(" where CustomerId = ") + Num(m_customerId),
                                  [&] { return writeLinks(m_customerId); });
            if (m_saveProblem == SaveProblem::Deleted)
                m_customerId = 0;
            if (m_saveProblem == SaveProblem::None)
                result = m_customerId;
            return;
        }
        // Empty texts go in as '' (never as missing values); the identifier is
        // read back, and the links written, in the insert's own transaction.
        DbTransaction txn(dao);
        if (!dao.InWrite())
            return;
        const qint32 id = RowInsert::Insert(
            dao, QStringLiteral("tblCustomers"), QStringLiteral("CustomerId"),
            QStringLiteral(
                "insert into tblCustomers (CustomerName, Ref01, Ref02, Ref03) values (") +
                ClsDAO::Quoted(m_customerName) + QStringLiteral(", ") + ClsDAO::Quoted(m_ref01) +
                QStringLiteral(", ") + ClsDAO::Quoted(m_ref02) + QStringLiteral(", ") +
                ClsDAO::Quoted(m_ref03) + QLatin1Char(')'),
            QStringLiteral("select max(CustomerId) from tblCustomers where ") +
                QStringLiteral("CustomerName = ") + ClsDAO::Quoted(m_customerName));
        if (id != 0 && writeLinks(id) && txn.Commit()) {
            // A later save of the new contact checks only that it still exists.
            m_row.Clear();
            m_customerId = id;
            result = id;
            m_saveProblem = SaveProblem::None;
        }
    });
    return result;
}

bool ClsCustomer::Delete(qint32 customerId) {
    bool deleted = false;
    Trap("ClsCustomer.Delete", [&] {
        const QString id = Num(customerId);
        deleted = RowDelete::Cascade(
            Dao(), QStringLiteral("tblCustomers"), QStringLiteral("CustomerId"), customerId,
            {QStringLiteral("delete from tblCustomers where CustomerId = ") + id,
             QStringLiteral("delete from tblBookings where CustomerId = ") + id,
             QStringLiteral("delete from tblCustomerGroups where CustomerId = ") + id});
    });
    return deleted;
}

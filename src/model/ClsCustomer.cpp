#include "model/ClsCustomer.h"

#include "app/ErrorTrap.h"
#include "app/ModMain.h"
#include "data/ClsDAO.h"
#include "model/RowDelete.h"
#include "model/RowInsert.h"

namespace {
ClsDAO& Dao() {
    return ModMain::DAO();
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

qint32 ClsCustomer::Save() {
    qint32 result = 0;
    Trap("ClsCustomer.Save", [&] {
        ClsDAO& dao = Dao();
        if (m_customerId != 0) {
            if (dao.SqlAction(QStringLiteral("update tblCustomers set CustomerName = ") +
                              ClsDAO::Quoted(m_customerName) + QStringLiteral(", Ref01 = ") +
                              ClsDAO::Quoted(m_ref01) + QStringLiteral(", Ref02 = ") +
                              ClsDAO::Quoted(m_ref02) + QStringLiteral(", Ref03 = ") +
                              ClsDAO::Quoted(m_ref03) + QStringLiteral(" where CustomerId = ") +
                              Num(m_customerId)))
                result = m_customerId;
            return;
        }
        // Empty texts go in as '' (never as missing values); the identifier is
        // read back in the insert's own transaction.
        const qint32 id = RowInsert::Insert(
            dao,
            QStringLiteral(
                "insert into tblCustomers (CustomerName, Ref01, Ref02, Ref03) values (") +
                ClsDAO::Quoted(m_customerName) + QStringLiteral(", ") + ClsDAO::Quoted(m_ref01) +
                QStringLiteral(", ") + ClsDAO::Quoted(m_ref02) + QStringLiteral(", ") +
                ClsDAO::Quoted(m_ref03) + QLatin1Char(')'),
            QStringLiteral("select max(CustomerId) from tblCustomers where ") +
                QStringLiteral("CustomerName = ") + ClsDAO::Quoted(m_customerName));
        if (id != 0) {
            m_customerId = id;
            result = id;
        }
    });
    return result;
}

bool ClsCustomer::Delete(qint32 customerId) {
    bool deleted = false;
    Trap("ClsCustomer.Delete", [&] {
        const QString id = Num(customerId);
        deleted = RowDelete::Cascade(
            Dao(), {QStringLiteral("delete from tblCustomers where CustomerId = ") + id,
                    QStringLiteral("delete from tblBookings where CustomerId = ") + id,
                    QStringLiteral("delete from tblCustomerGroups where CustomerId = ") + id});
    });
    return deleted;
}

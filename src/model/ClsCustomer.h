#pragma once

#include "model/SaveProblem.h"
#include "model/StoredRow.h"

#include <QMap>
#include <QString>
#include <QtGlobal>

// One row of tblCustomers: a contact with three free reference texts.
class ClsCustomer {
public:
    ClsCustomer();

    qint32 CustomerId() const { return m_customerId; }
    QString CustomerName() const { return m_customerName; }
    QString Ref01() const { return m_ref01; }
    QString Ref02() const { return m_ref02; }
    QString Ref03() const { return m_ref03; }
    void SetCustomerName(const QString& v) { m_customerName = v; }
    void SetRef01(const QString& v) { m_ref01 = v; }
    void SetRef02(const QString& v) { m_ref02 = v; }
    void SetRef03(const QString& v) { m_ref03 = v; }

    bool Delete(qint32 customerId);
    void InitBfr();
    bool Load(qint32 customerId);
    bool LoadByName(const QString& customerName, qint32 groupId);
    // Stores the contact and, in the same write transaction, its links to the
    // groups of groupLinks: one link row for a group mapped to true, none for
    // one mapped to false; the links to other groups stay as they are.
    // Returns the contact's identifier; 0 when nothing was stored, and
    // LastSaveProblem says why. A stored contact is only updated while its
    // row is as Load found it.
    qint32 Save(const QMap<qint32, bool>& groupLinks = {});
    SaveProblem LastSaveProblem() const { return m_saveProblem; }

private:
    qint32 m_customerId = 0;
    QString m_customerName;
    QString m_ref01;
    QString m_ref02;
    QString m_ref03;
    StoredRow m_row{QStringLiteral("tblCustomers"), QStringLiteral("CustomerId")};
    SaveProblem m_saveProblem = SaveProblem::None;
};

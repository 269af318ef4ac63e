#pragma once

#include "ui/definitions/DefinitionDialog.h"

class QLineEdit;
class QListWidget;
class QPushButton;

// "Contact Definition": edits the shared contact in place (name and three
// references) and the groups it is available to, written to
// tblCustomerGroups on Save.
class DlgContact : public DefinitionDialog {
    Q_OBJECT
public:
    explicit DlgContact(QWidget* parent = nullptr);

    // The group ticked for a new contact (the group the caller is showing).
    void SetGroupId(qint32 groupId) { m_groupId = groupId; }

    void Form_Load() override;
    void TxtCustomer_GotFocus();
    void TxtRef01_GotFocus();
    void TxtRef02_GotFocus();
    void TxtRef03_GotFocus();
    void BtnCustomer_Click(int index);
    bool CheckGroups();

private:
    SaveProblem SaveContact();

    qint32 m_groupId = 0;
    QLineEdit* TxtCustomer = nullptr;
    QLineEdit* TxtRef01 = nullptr;
    QLineEdit* TxtRef02 = nullptr;
    QLineEdit* TxtRef03 = nullptr;
    QListWidget* LbGroups = nullptr;
    std::array<QPushButton*, 3> BtnCustomer{};
};

#pragma once

#include "ui/definitions/DefinitionDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class SpinButtons;

// "Group Definition": edits the shared group in place (name, start and end of
// the working day, slot interval). Save stores it; Cancel resets the shared
// group so that the caller reads GroupId 0.
class DlgGroup : public DefinitionDialog {
    Q_OBJECT
public:
    explicit DlgGroup(QWidget* parent = nullptr);

    void Form_Load() override;
    void TxtGroupName_GotFocus();
    void SpinStart_Click(int direction);
    void SpinEnd_Click(int direction);
    void SpinInterval_Click(int direction);
    void BtnGroup_Click(int index);

private:
    void ShowTimes();

    QLineEdit* TxtGroupName = nullptr;
    SpinButtons* SpinStart = nullptr;
    SpinButtons* SpinEnd = nullptr;
    SpinButtons* SpinInterval = nullptr;
    QLabel* LblStart = nullptr;
    QLabel* LblEnd = nullptr;
    QLabel* LblInterval = nullptr;
    std::array<QPushButton*, 3> BtnGroup{};
};

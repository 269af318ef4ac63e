#pragma once

#include "ui/definitions/DefinitionDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class SpinButtons;

// "Resource Definition": edits the shared resource in place (name, minimum,
// maximum and initial time) and, for a new resource, creates up to 99
// numbered copies at once ("Room #01", "Room #02", ...).
class DlgResource : public DefinitionDialog {
    Q_OBJECT
public:
    static constexpr int MaxCopies = 99;

    explicit DlgResource(QWidget* parent = nullptr);

    void Form_Load() override;
    void TxtResourceName_GotFocus();
    void SpinMin_Click(int direction);
    void SpinMax_Click(int direction);
    void SpinInit_Click(int direction);
    void SpinCopies_Click(int direction);
    void BtnGroup_Click(int index);

    int CopyCount() const { return m_copies; }

private:
    void SetupEnabled();
    // One click of a time spin: plus or minus the slot length.
    int Step(int direction) const;
    bool SaveCopies(const QString& name);

    qint16 m_copies = 1;
    int m_interval = 5; // slot length of the resource's group, read on opening
    QLineEdit* TxtResourceName = nullptr;
    SpinButtons* SpinMin = nullptr;
    SpinButtons* SpinMax = nullptr;
    SpinButtons* SpinInit = nullptr;
    SpinButtons* SpinCopies = nullptr;
    QLabel* LblMin = nullptr;
    QLabel* LblMax = nullptr;
    QLabel* LblInit = nullptr;
    QLabel* LblCopies = nullptr;
    std::array<QPushButton*, 3> BtnGroup{};
};

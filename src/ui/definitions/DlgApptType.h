#pragma once

#include "ui/definitions/DefinitionDialog.h"

class ColourPalette;
class QLabel;
class QLineEdit;
class QPushButton;
class SpinButtons;

// "Appointment Type": edits the shared appointment type in place (name,
// colour, minimum, maximum and initial length).
class DlgApptType : public DefinitionDialog {
    Q_OBJECT
public:
    explicit DlgApptType(QWidget* parent = nullptr);

    void Form_Load() override;
    void TxtType_GotFocus();
    void BtnColour_Click();
    void ColourPick_ColorClick(qint32 colour);
    void SpinMin_Click(int direction);
    void SpinMax_Click(int direction);
    void SpinInit_Click(int direction);
    void BtnTask_Click(int index);

    ColourPalette* Palette() const { return ColourPick; }

private:
    void ShowColour(qint32 colour);

    QLineEdit* TxtType = nullptr;
    QPushButton* BtnColour = nullptr;
    ColourPalette* ColourPick = nullptr;
    SpinButtons* SpinMin = nullptr;
    SpinButtons* SpinMax = nullptr;
    SpinButtons* SpinInit = nullptr;
    QLabel* LblMin = nullptr;
    QLabel* LblMax = nullptr;
    QLabel* LblInit = nullptr;
    std::array<QPushButton*, 3> BtnTask{};
};

#pragma once

#include "base/ClsIni.h"
#include "ui/definitions/DefinitionDialog.h"

class QComboBox;
class QPushButton;

// "Load Group Template": lists the templates of Groups.ini and creates a new
// group (with its resources) from the chosen one in the shared group.
class DlgTemplate : public DefinitionDialog {
    Q_OBJECT
public:
    explicit DlgTemplate(QWidget* parent = nullptr);

    void Form_Load() override;
    void BtnTemplate_Click(int index);

private:
    ClsIni m_templates;
    QComboBox* CbGroup = nullptr;
    std::array<QPushButton*, 3> BtnTemplate{};
};

#include "ui/definitions/DlgTemplate.h"

#include "base/ErrorTrap.h"
#include "model/ClsGroup.h"
#include "model/Records.h"
#include "ui/common/ClsForms.h"
#include "ui/help/ContextIDs.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>

DlgTemplate::DlgTemplate(QWidget* parent)
    : DefinitionDialog(QStringLiteral("DlgTemplate"), QStringLiteral("Load Group Template"),
                       ContextIDs::HelpTemplate, parent) {
    CbGroup = new QComboBox(this);
    CbGroup->setObjectName(QStringLiteral("CbGroup"));
    CbGroup->setEditable(false);
    CbGroup->setMinimumWidth(CbGroup->fontMetrics().averageCharWidth() * 36);
    CbGroup->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    QGroupBox* frame = MakeFrame(QStringLiteral("Select Group Template To Load"), {CbGroup});
    BtnTemplate =
        MakeButtons(QStringLiteral("BtnTemplate"),
                    {QStringLiteral("&Load"), QStringLiteral("&Cancel"), QStringLiteral("&Help")},
                    [this](int index) { BtnTemplate_Click(index); });
    auto* frames = new QVBoxLayout;
    frames->addWidget(frame);
    frames->addStretch(1);
    SetContent(frames, BtnTemplate);
}

void DlgTemplate::Form_Load() {
    TrapSilent([&] {
        ClsForms::CentreForm(this, parentWidget());
        m_templates.SetIniFile(ClsGroup::TemplateFile());
        // Emptied before the file is read, so that a template file that has
        // gone missing since the last opening leaves no stale entries.
        CbGroup->clear();
        const QStringList names = m_templates.GetSectionNames();
        for (const QString& name : names) {
            // The template file matches section names without surrounding
            // blanks; an entry without a name could not be loaded at all.
            const QString section = name.trimmed();
            if (!section.isEmpty())
                ClsForms::AddListItem(CbGroup, section, 0);
        }
        CbGroup->setCurrentIndex(CbGroup->count() > 0 ? 0 : -1);
    });
}

void DlgTemplate::BtnTemplate_Click(int index) {
    TrapSilent([&] {
        switch (index) {
        case 0:
            // Nothing to load: the window stays open for Cancel.
            if (CbGroup->currentIndex() < 0)
                return;
            // A template that could not be loaded has been reported; the
            // window stays open for another choice or Cancel.
            if (Records::Group().LoadTemplate(CbGroup->currentText()))
                accept();
            break;
        case 1:
            reject();
            break;
        case 2:
            ContextIDs::ShowHelp(HelpContext());
            break;
        default:
            break;
        }
    });
}

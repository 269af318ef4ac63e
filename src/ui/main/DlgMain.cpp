#include "ui/main/DlgMain.h"

#include "app/ClsForms.h"
#include "app/ContextIDs.h"
#include "app/ErrorTrap.h"
#include "app/ModMain.h"

#include <QCloseEvent>
#include <QLabel>

DlgMain::DlgMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("DlgMain"));
    Form_Load();
}

DlgMain::~DlgMain() { Form_Unload(); }

void DlgMain::Form_Load() {
    Trap("DlgMain.Form_Load", [&] {
        ContextIDs::InitHelp(this);
        m_started = ModMain::Initialise();
        if (!m_started)
            return;
        setWindowTitle(QStringLiteral("Tarvelo! (") + ModMain::VersionNumber() + QLatin1Char(')'));
        auto* placeholder = new QLabel(this);
        placeholder->setAlignment(Qt::AlignCenter);
        setCentralWidget(placeholder);
        resize(1000, 680);
        ClsForms::CentreForm(this, nullptr);
    });
}

void DlgMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void DlgMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    Trap("DlgMain.Form_Unload", [&] { ModMain::Terminate(); });
    ContextIDs::QuitHelp();
}

#include "ui/main/AboutBox.h"

#include "base/ModalWindow.h"
#include "base/ProgramFolder.h"
#include "base/ProgramVersion.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "ui/controls/IconFactory.h"

#include <QDir>
#include <QMessageBox>

void AboutBox::Show(QWidget* owner) {
    QMessageBox box(owner);
    box.setWindowTitle(QStringLiteral("About Tarvelo"));
    box.setIconPixmap(IconFactory::Icon(QStringLiteral("Watch")).pixmap(48, 48));
    box.setText(QStringLiteral("<b>Tarvelo</b> version ") + ProgramVersion::Number());
    box.setInformativeText(
        QStringLiteral("Books rooms, people and machines in time slots.\n"
                       "Several workstations share one database and see each other's "
                       "changes within seconds.\n\nDatabase: ") +
        Database::DAO().DbPath() + QStringLiteral("\nProgram folder: ") +
        QDir::toNativeSeparators(ProgramFolder::Path()));
    box.setStandardButtons(QMessageBox::Ok);
    ModalWindow::Show(&box);
}

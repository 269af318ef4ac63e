#include "ui/main/DefinitionCommands.h"

#include "base/Messages.h"
#include "base/ModalWindow.h"
#include "model/ClsGroup.h"
#include "model/ClsResource.h"
#include "model/Records.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ScheduleView.h"
#include "ui/definitions/DlgGroup.h"
#include "ui/definitions/DlgResource.h"
#include "ui/main/DlgMain.h"

#include <QComboBox>

namespace {

// The toolbar stays off while a dialog or a delete runs.
struct ToolbarOff {
    explicit ToolbarOff(DlgMain& main) : m_main(main) { ClsForms::EnableToolbar(m_main.Toolbar1(), false); }
    ~ToolbarOff() { ClsForms::EnableToolbar(m_main.Toolbar1(), true); }
    ToolbarOff(const ToolbarOff&) = delete;
    ToolbarOff& operator=(const ToolbarOff&) = delete;
    DlgMain& m_main;
};

void EditGroup(DlgMain& main) {
    const ToolbarOff off(main);
    DlgGroup dialog(&main);
    ModalWindow::Show(&dialog);
    if (Records::Group().GroupId() != 0)
        main.ShowGroups(Records::Group().GroupId());
    else
        main.ShownGroup(); // cancelled: the shared group describes the shown one again
}

void EditResource(DlgMain& main) {
    const ToolbarOff off(main);
    DlgResource dialog(&main);
    ModalWindow::Show(&dialog);
    if (Records::Resource().ResourceId() != 0)
        main.ShowResources(Records::Resource().ResourceId());
}

// The resource of the schedule's current row; 0 when no resource row is current.
qint32 SelectedResource(const DlgMain& main) {
    const int row = main.Sched()->CurrentRow();
    return row < 1 ? 0 : main.Sched()->RowData(row);
}

} // namespace

bool DefinitionCommands::Run(DlgMain& main, const QString& key) {
    if (key == QLatin1String("AddGroup")) {
        Records::Group().InitBfr();
        EditGroup(main);
    } else if (key == QLatin1String("EditGroup")) {
        if (!Records::Group().Load(main.SelectedGroupId()))
            Messages::Warning(QStringLiteral("Unable to edit group!"));
        else
            EditGroup(main);
    } else if (key == QLatin1String("DeleteGroup")) {
        if (main.CbGroup()->currentIndex() < 0) {
            Messages::Warning(QStringLiteral("No group selected!"));
        } else if (Messages::Confirm(QStringLiteral("Confirm delete selected group?"))) {
            const ToolbarOff off(main);
            if (!Records::Group().Delete(main.SelectedGroupId()))
                Messages::Warning(QStringLiteral("Unable to delete group!"));
            main.ShowGroups(Records::Group().GroupId());
        }
    } else if (key == QLatin1String("AddRes")) {
        if (main.CbGroup()->count() == 0) {
            Messages::CriticalError(QStringLiteral("No group selected!"));
        } else {
            Records::Resource().InitBfr();
            Records::Resource().SetGroupId(main.SelectedGroupId());
            EditResource(main);
        }
    } else if (key == QLatin1String("EditRes")) {
        const qint32 resourceId = SelectedResource(main);
        if (main.Sched()->CurrentRow() < 1)
            Messages::Warning(QStringLiteral("No resource selected!"));
        else if (Records::Resource().Load(resourceId))
            EditResource(main);
    } else if (key == QLatin1String("DeleteRes")) {
        if (main.Sched()->CurrentRow() < 1) {
            Messages::Warning(QStringLiteral("No resource selected!"));
        } else if (Messages::Confirm(QStringLiteral("Confirm delete selected resource?"))) {
            const ToolbarOff off(main);
            if (!Records::Resource().Delete(SelectedResource(main)))
                Messages::Warning(QStringLiteral("Unable to delete resource!"));
            main.ShowResources(Records::Resource().ResourceId());
        }
    } else {
        return false;
    }
    return true;
}

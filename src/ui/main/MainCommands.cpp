#include "ui/main/MainCommands.h"

#include "ui/controls/IconFactory.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <vector>

namespace {
struct ItemSpec {
    const char* caption;
    const char* key;
};
struct ButtonSpec {
    const char* key;
    const char* tip;
    const char* image;
    std::vector<ItemSpec> items;
};
// What a menu entry runs: a toolbar button's command, a drop-down entry's,
// or one of its own; a separator is an entry without a name.
enum class Runs { Button, Item, Own };
struct Entry {
    const char* name;
    const char* caption;
    Runs runs;
    const char* key;
};
struct Menu {
    const char* name;
    const char* caption;
    std::vector<Entry> entries;
};
const Entry kSeparator{nullptr, nullptr, Runs::Own, nullptr};
} // namespace

MainCommands::MainCommands(QMainWindow* window) : QObject(window) {
    BuildToolbar(window);
    BuildMenus(window);
}

void MainCommands::BuildToolbar(QMainWindow* window) {
    m_toolbar = window->addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(24, 24));
    const std::vector<ButtonSpec> buttons = {
        {"Exit", "Exit Application", "Exit", {}},
        {"Binocular", "Search For Appointment", "Binocular", {}},
        {"Write", "Make Appointment", "Write", {}},
        {"Calendar", "Calendar", "Watch", {}},
        {"Today", "Go to Today", "Today", {}},
        {"Config", "Configuration", "Config", {}},
        {"Group", "Group Definition", "Group",
         {{"&Add Group", "AddGroup"}, {"&Edit Group", "EditGroup"}, {"&Delete Group", "DeleteGroup"}}},
        {"Resource", "Resource Definition", "Resource",
         {{"&Add Resource", "AddRes"}, {"&Edit Resource", "EditRes"}, {"&Delete Resource", "DeleteRes"}}},
        {"Print", "Print Schedule", "Print", {}},
        {"Screen", "Schedule resolution", "Screen",
         {{"Hourly", "Hours"}, {"Daily", "Days"}, {"Weekly", "Weeks"}}},
        {"Help", "Online Help", "Help", {}},
    };
    for (const ButtonSpec& b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        auto* action = new QAction(IconFactory::Icon(QString::fromLatin1(b.image)),
                                   QString::fromLatin1(b.tip), window);
        action->setObjectName(key);
        action->setData(key);
        action->setToolTip(QString::fromLatin1(b.tip));
        connect(action, &QAction::triggered, this, [this, key] { emit ButtonClicked(key); });
        m_buttons.insert(key, action);
        if (b.items.empty()) {
            m_toolbar->addAction(action);
            continue;
        }
        auto* menu = new QMenu(window);
        for (const ItemSpec& item : b.items) {
            const QString itemKey = QString::fromLatin1(item.key);
            QAction* entry = menu->addAction(QString::fromLatin1(item.caption));
            entry->setObjectName(itemKey);
            entry->setData(itemKey);
            connect(entry, &QAction::triggered, this, [this, itemKey] { emit ItemClicked(itemKey); });
        }
        auto* button = new QToolButton(m_toolbar);
        button->setDefaultAction(action);
        button->setMenu(menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
        m_toolbar->addWidget(button);
    }
}

void MainCommands::BuildMenus(QMainWindow* window) {
    const std::vector<Menu> menus = {
        {"mnuFile", "&File",
         {{"mnuFileConfiguration", "&Configuration", Runs::Button, "Config"},
          {"mnuFilePrint", "&Print", Runs::Button, "Print"},
          kSeparator,
          {"mnuFileExit", "E&xit", Runs::Button, "Exit"}}},
        {"mnuView", "&View",
         {{"mnuViewToday", "&Today", Runs::Button, "Today"},
          kSeparator,
          {"mnuViewHours", "&Hours", Runs::Item, "Hours"},
          {"mnuViewDays", "&Days", Runs::Item, "Days"},
          {"mnuViewWeeks", "&Weeks", Runs::Item, "Weeks"}}},
        {"mnuResoure", "&Resource",
         {{"mnuResourceNewGroup", "&New Group", Runs::Item, "AddGroup"},
          {"mnuResourceEditGroup", "&Edit Group", Runs::Item, "EditGroup"},
          {"mnuResourceDeleteGroup", "&Delete Group", Runs::Item, "DeleteGroup"},
          kSeparator,
          {"mnuResourceSaveTemplate", "&Save Group Template", Runs::Own, nullptr},
          {"mnuResourceLoadTemplate", "&Load Group Template", Runs::Own, nullptr},
          kSeparator,
          {"mnuResourceNew", "Ne&w Resource", Runs::Item, "AddRes"},
          {"mnuResourceEdit", "Edi&t Resource", Runs::Item, "EditRes"},
          {"mnuResourceDelete", "Delet&e Resource", Runs::Item, "DeleteRes"}}},
        {"mnuBooking", "&Appointment",
         {{"mnuBookingChange", "Change &Date", Runs::Button, "Calendar"},
          {"mnuBookingSearch", "&Search For Appointment", Runs::Button, "Binocular"},
          {"mnuBookingEdit", "&Add/Edit Booking", Runs::Button, "Write"},
          {"mnuBookingHistory", "&History...", Runs::Own, nullptr},
          kSeparator,
          {"mnuBookingUndo", "&Undo", Runs::Own, nullptr},
          {"mnuBookingRedo", "&Redo", Runs::Own, nullptr}}},
        {"mnuTransfer", "&Transfer",
         {{"mnuTransferExport", "E&xport to CSV file", Runs::Own, nullptr},
          {"mnuTransferExportCalendar", "Export &Calendar...", Runs::Own, nullptr},
          {"mnuTransferBackup", "&Backup Database", Runs::Own, nullptr},
          {"mnuTransferRestore", "&Restore Database", Runs::Own, nullptr}}},
        {"mnuHelp", "&Help",
         {{"mnuHelpContents", "&Contents", Runs::Button, "Help"},
          {"mnuHelpAbout", "&About", Runs::Own, nullptr}}},
    };
    for (const Menu& m : menus) {
        QMenu* menu = window->menuBar()->addMenu(QString::fromLatin1(m.caption));
        menu->setObjectName(QString::fromLatin1(m.name));
        for (const Entry& e : m.entries) {
            if (!e.name) {
                menu->addSeparator();
                continue;
            }
            const QString name = QString::fromLatin1(e.name);
            const QString key = QString::fromLatin1(e.key);
            QAction* action = menu->addAction(QString::fromLatin1(e.caption));
            action->setObjectName(name);
            connect(action, &QAction::triggered, this, [this, runs = e.runs, name, key] {
                if (runs == Runs::Button)
                    emit ButtonClicked(key);
                else if (runs == Runs::Item)
                    emit ItemClicked(key);
                else
                    emit EntryClicked(name);
            });
            m_entries.insert(name, action);
        }
    }
    m_entries.value(QStringLiteral("mnuViewToday"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    // The View menu ticks the resolution shown, one entry at a time.
    auto* exclusive = new QActionGroup(this);
    for (const char* name : {"mnuViewHours", "mnuViewDays", "mnuViewWeeks"}) {
        QAction* entry = m_entries.value(QString::fromLatin1(name));
        entry->setCheckable(true);
        exclusive->addAction(entry);
        m_resolution.append(entry);
    }
}

void MainCommands::ShowResolution(int timeType) {
    for (int i = 0; i < m_resolution.size(); ++i)
        m_resolution[i]->setChecked(i == timeType);
}

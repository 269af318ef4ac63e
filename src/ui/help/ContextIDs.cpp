#include "ui/help/ContextIDs.h"

#include "base/ProgramFolder.h"

#include <QPointer>
#include <QWidget>

namespace {
QPointer<QWidget> g_owner;
QString g_helpFile;
std::function<void(int)> g_show;
std::function<void()> g_quit;
} // namespace

namespace ContextIDs {

void InitHelp(QWidget* mainWindow) {
    g_owner = mainWindow;
    QString folder = ProgramFolder::Path().trimmed();
    if (!folder.endsWith('/'))
        folder += '/';
    g_helpFile = folder + "Tarvelo.HLP";
}

void ShowHelp(int context) {
    if (g_show)
        g_show(context);
}

void QuitHelp() {
    if (g_quit)
        g_quit();
}

QString HelpFile() { return g_helpFile; }
QWidget* HelpOwner() { return g_owner; }

void SetHelpViewer(std::function<void(int)> show, std::function<void()> quit) {
    g_show = std::move(show);
    g_quit = std::move(quit);
}

} // namespace ContextIDs

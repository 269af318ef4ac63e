#include "ui/help/HelpSystem.h"

#include "base/ErrorTrap.h"
#include "ui/common/ClsForms.h"
#include "ui/help/ContextIDs.h"
#include "ui/help/HelpEventFilter.h"
#include "ui/help/HelpLibrary.h"
#include "ui/help/HelpWindow.h"

#include <QApplication>
#include <QPointer>

namespace {
QPointer<HelpWindow> g_window;
QPointer<HelpEventFilter> g_keyFilter;
} // namespace

void HelpSystem::Install() {
    ContextIDs::SetHelpViewer([](int context) { Show(context); }, [] { Quit(); });
    if (!g_keyFilter && qApp) {
        g_keyFilter = new HelpEventFilter(qApp);
        qApp->installEventFilter(g_keyFilter);
    }
}

void HelpSystem::Show(int context) {
    Trap("HelpSystem.Show", [&] { ShowTopic(HelpLibrary::TopicForContext(context)); });
}

void HelpSystem::ShowTopic(const QString& topic) {
    Trap("HelpSystem.ShowTopic", [&] {
        QWidget* owner = ContextIDs::HelpOwner();
        if (g_window && g_window->parentWidget() != owner)
            g_window->setParent(owner, Qt::Window);
        if (!g_window) {
            g_window = new HelpWindow(owner);
            g_window->setAttribute(Qt::WA_DeleteOnClose, false);
            ClsForms::CentreForm(g_window, owner);
        }
        g_window->ShowTopic(topic.isEmpty() ? HelpLibrary::ContentsTopic() : topic);
        if (g_window->isMinimized())
            g_window->showNormal();
        else
            g_window->show();
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != g_window)
            g_window->KeepUsableOver(modal);
        g_window->raise();
        g_window->activateWindow();
    });
}

void HelpSystem::Quit() {
    Trap("HelpSystem.Quit", [&] {
        if (!g_window)
            return;
        HelpWindow* window = g_window;
        g_window = nullptr;
        window->close();
        window->deleteLater();
    });
}

HelpWindow* HelpSystem::Window() {
    return g_window;
}

#include "ui/help/HelpEventFilter.h"

#include "base/ErrorTrap.h"
#include "ui/help/ContextIDs.h"
#include "ui/help/HelpSystem.h"
#include "ui/help/HelpWindow.h"

#include <QKeyEvent>
#include <QWidget>

namespace {
struct WindowContext {
    const char* objectName;
    int context;
};

const WindowContext kWindowContexts[] = {
    {"DlgMain", ContextIDs::HelpMain},         {"DlgTemplate", ContextIDs::HelpTemplate},
    {"DlgApptType", ContextIDs::HelpApptType}, {"DlgPreview", ContextIDs::HelpPreview},
    {"DlgGroup", ContextIDs::HelpGroup},       {"DlgContact", ContextIDs::HelpContact},
    {"DlgConfig", ContextIDs::HelpConfig},     {"DlgCalendar", ContextIDs::HelpCalendar},
    {"DlgAppt", ContextIDs::HelpAppt},         {"DlgResource", ContextIDs::HelpResource},
    {"DlgRepeat", ContextIDs::HelpRepeat},     {"DlgSearch", ContextIDs::HelpSearch},
};

struct WindowTopic {
    const char* objectName;
    const char* topic;
};

const WindowTopic kWindowTopics[] = {
    {"DlgRestore", "backup.html#restore"},
    {"DlgHistory", "history.html"},
};

const char* const kHelpWindowName = "HelpWindow";
} // namespace

HelpEventFilter::HelpEventFilter(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("HelpEventFilter"));
}

int HelpEventFilter::ContextForWindow(const QString& objectName) {
    for (const WindowContext& entry : kWindowContexts)
        if (objectName == QLatin1String(entry.objectName))
            return entry.context;
    return 0;
}

QString HelpEventFilter::TopicForWindow(const QString& objectName) {
    for (const WindowTopic& entry : kWindowTopics)
        if (objectName == QLatin1String(entry.objectName))
            return QString::fromLatin1(entry.topic);
    return QString();
}

const QWidget* HelpEventFilter::HelpWindowFor(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (!w->isWindow())
            continue;
        // F1 inside the help window itself asks for no other topic.
        if (w->objectName() == QLatin1String(kHelpWindowName))
            return nullptr;
        if (ContextForWindow(w->objectName()) != 0 || !TopicForWindow(w->objectName()).isEmpty())
            return w;
    }
    return nullptr;
}

bool HelpEventFilter::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    if (event->type() == QEvent::Show) {
        auto* widget = static_cast<QWidget*>(watched);
        HelpWindow* help = HelpSystem::Window();
        if (help && widget != help && widget->isWindow() &&
            widget->windowModality() != Qt::NonModal && help->isVisible())
            help->KeepUsableOver(widget);
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    const QWidget* window = nullptr;
    TrapSilent([&] { window = HelpWindowFor(static_cast<QWidget*>(watched)); });
    if (!window)
        return false;
    const QString name = window->objectName();
    Trap("HelpEventFilter.eventFilter", [&] {
        const int context = ContextForWindow(name);
        if (context != 0)
            ContextIDs::ShowHelp(context);
        else
            HelpSystem::ShowTopic(TopicForWindow(name));
    });
    return true;
}

#include "ui/common/ControlNamer.h"

#include "ui/common/ClsForms.h"
#include "ui/controls/PaintedAccessible.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

void ControlNamer::Install() {
    static ControlNamer* namer = nullptr;
    if (namer || !QCoreApplication::instance())
        return;
    PaintedAccessible::Install();
    namer = new ControlNamer(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(namer);
}

bool ControlNamer::eventFilter(QObject* watched, QEvent* event) {
    // Every widget is told when it is shown, those of a window as it opens
    // and those shown later on their own. A window names all its controls as
    // it opens, the hidden ones too: assistive technology lists those as well.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow())
            ClsForms::NameControls(widget);
        else
            ClsForms::NameControl(widget);
    }
    return false;
}

#include "ui/main/WindowPlacement.h"

#include "base/ClsIni.h"
#include "base/EventPump.h"
#include "base/Settings.h"
#include "ui/common/ClsForms.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void WindowPlacement::Restore(QWidget* window, const QString& section) {
    ClsIni& ini = Settings::Ini();
    const int state = ini.GetValue(section, QStringLiteral("WindowState"), 0).toInt();
    if (state == 1) {
        window->showMinimized();
        return;
    }
    if (state == 2) {
        window->showMaximized();
        return;
    }
    if (state != 0)
        return;
    QRect r = window->geometry();
    r.moveLeft(int(ini.GetValue(section, QStringLiteral("Left"), r.x()).toFloat()));
    r.moveTop(int(ini.GetValue(section, QStringLiteral("Top"), r.y()).toFloat()));
    r.setWidth(int(ini.GetValue(section, QStringLiteral("Width"), r.width()).toFloat()));
    r.setHeight(int(ini.GetValue(section, QStringLiteral("Height"), r.height()).toFloat()));
    const QScreen* screen = QGuiApplication::screenAt(r.center());
    if (!screen)
        screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    // The window's frame must fit as well as its inside.
    const QRect frame = window->frameGeometry();
    const QRect inside = window->geometry();
    const QMargins margins(inside.left() - frame.left(), inside.top() - frame.top(),
                           frame.right() - inside.right(), frame.bottom() - inside.bottom());
    if (screen)
        r = ClsForms::FitOnScreen(r, screen->availableGeometry().marginsRemoved(margins));
    window->setGeometry(r);
    EventPump::RunNow();
}

void WindowPlacement::Save(const QWidget* window, const QString& section) {
    ClsIni& ini = Settings::Ini();
    const QRect normal =
        window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry();
    ini.WriteValue(section, QStringLiteral("Left"), QString::number(float(normal.x())));
    ini.WriteValue(section, QStringLiteral("Top"), QString::number(float(normal.y())));
    ini.WriteValue(section, QStringLiteral("Width"), QString::number(float(normal.width())));
    ini.WriteValue(section, QStringLiteral("Height"), QString::number(float(normal.height())));
    const int state = window->isMinimized() ? 1 : window->isMaximized() ? 2 : 0;
    ini.WriteValue(section, QStringLiteral("WindowState"), state);
}

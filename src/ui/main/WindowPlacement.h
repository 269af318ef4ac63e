#pragma once

#include <QString>

class QWidget;

// A top-level window's place kept in a section of the settings file: Left,
// Top, Width and Height of its normal state, and WindowState (0 normal,
// 1 minimised, 2 maximised).
class WindowPlacement {
public:
    // Puts the window where the section says; a place on a larger display or
    // on a monitor that is gone is fitted onto this screen, frame included.
    static void Restore(QWidget* window, const QString& section);
    static void Save(const QWidget* window, const QString& section);
};

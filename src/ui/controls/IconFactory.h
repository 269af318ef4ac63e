#pragma once

#include <QIcon>
#include <QString>

// Toolbar images by name ("Exit", "Binocular", "Write", "Watch", "Config",
// "Group", "Resource", "Print", "Screen", "Help", "Delete", "Move", "Repeat",
// "Submit", "Previous", "Next", "Calendar", "Task", "Customer"): the desktop
// theme's icon where the theme has one, otherwise a drawing of our own, so the
// toolbars look the same on a bare machine.
namespace IconFactory {
QIcon Icon(const QString& name);
} // namespace IconFactory

#pragma once

#include <QString>
#include <functional>

// Progress shown in a status bar panel of the main window ("Task",
// "Person", ...) by work below the windows; the main window registers the
// handler, and without one the text goes nowhere.
class StatusPanel {
public:
    using Handler = std::function<void(const QString& panel, const QString& text)>;

    static void Show(const QString& panel, const QString& text);
    static void SetHandler(Handler handler);
};

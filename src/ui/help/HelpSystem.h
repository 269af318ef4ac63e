#pragma once

#include <QString>

class HelpWindow;

// Connects the program to its help window: Install registers the window with
// ContextIDs (so that ShowHelp and QuitHelp reach it) and switches on F1 in
// every window. The help window is created on the first ShowHelp, owned by
// the main window, and closed by QuitHelp.
class HelpSystem {
public:
    // Once at start-up, after the application object exists; repeated calls do nothing more.
    static void Install();

    // Opens the help window at the topic of a help context number (the
    // contents page for a number without a topic) and brings it to the front.
    static void Show(int context);
    // Opens the help window at a topic file, optionally with "#anchor".
    static void ShowTopic(const QString& topic);
    // Closes the help window.
    static void Quit();

    // The open help window, or null.
    static HelpWindow* Window();
};

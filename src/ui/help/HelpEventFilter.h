#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The help window's watch over the whole application.
//
// F1 everywhere: opens the help topic of the window in which F1 was pressed.
// The window is found by its object name ("DlgMain", "DlgAppt", ...); F1 in a
// popup or message box of a window counts for that window. A window with a help context number
// opens through ShowHelp; the restore window, which has none, opens its part of the backup topic.
// Keys in windows without a help topic pass on untouched.
//
// Modal windows: a modal window blocks every other window, the open help
// window included, unless that window depends on it. When a modal window
// opens while the help window is shown, the help window is made to depend on
// it, so that the reader can go on scrolling and clicking in the help.
class HelpEventFilter : public QObject {
    Q_OBJECT
public:
    explicit HelpEventFilter(QObject* parent = nullptr);

    // The help context number of a window's object name; 0 for none.
    static int ContextForWindow(const QString& objectName);
    // The topic of a window without a help context number; empty for none.
    static QString TopicForWindow(const QString& objectName);
    // The window whose help F1 opens when pressed in this widget: the widget's
    // own window or the nearest window above it with help; null for none.
    static const QWidget* HelpWindowFor(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

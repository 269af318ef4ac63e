#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class QAction;
class QMainWindow;
class QToolBar;

// The main window's toolbar and menu bar, built from one table. A toolbar
// button is known by its key ("Exit", "Group", ...), some with a drop-down of
// entries known by theirs ("AddGroup", "Hours", ...); a menu entry, known by
// its name ("mnuViewDays", ...), runs a button's command, a drop-down entry's
// command or a command of its own.
class MainCommands : public QObject {
    Q_OBJECT
public:
    explicit MainCommands(QMainWindow* window);

    QToolBar* Toolbar() const { return m_toolbar; }
    QAction* Button(const QString& key) const { return m_buttons.value(key); }
    QAction* MenuEntry(const QString& name) const { return m_entries.value(name); }
    // Ticks the View menu's entry of a resolution (0 hours, 1 days, 2 weeks).
    void ShowResolution(int timeType);

signals:
    void ButtonClicked(const QString& key);
    void ItemClicked(const QString& key);
    // A menu entry with a command of its own.
    void EntryClicked(const QString& name);

private:
    void BuildToolbar(QMainWindow* window);
    void BuildMenus(QMainWindow* window);

    QToolBar* m_toolbar = nullptr;
    QMap<QString, QAction*> m_buttons;
    QMap<QString, QAction*> m_entries;
    QList<QAction*> m_resolution; // hours, days, weeks
};

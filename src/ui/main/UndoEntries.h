#pragma once

#include <QObject>

class BookingUndo;
class MainCommands;
class QMenu;

// The Undo and Redo entries of the Appointment menu: their shortcuts, their
// captions naming what they would do ("&Undo Move"), enabled only when there
// is something to take back or do again, and running them.
class UndoEntries : public QObject {
    Q_OBJECT
public:
    // bookingMenu is the menu that holds the entries: its captions are
    // brought up to date each time it opens.
    UndoEntries(MainCommands* commands, QMenu* bookingMenu, QObject* parent);

    // Takes back (back) or does again this run's last change of a booking;
    // a refused one shows why. True when something changed.
    bool Run(bool back);

private:
    void Update();

    MainCommands* m_commands;
    BookingUndo* m_undo;
};

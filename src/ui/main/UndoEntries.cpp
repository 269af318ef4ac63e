#include "ui/main/UndoEntries.h"

#include "base/Messages.h"
#include "model/BookingUndo.h"
#include "ui/main/MainCommands.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

UndoEntries::UndoEntries(MainCommands* commands, QMenu* bookingMenu, QObject* parent)
    : QObject(parent), m_commands(commands), m_undo(new BookingUndo(this)) {
    m_commands->MenuEntry(QStringLiteral("mnuBookingUndo"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_commands->MenuEntry(QStringLiteral("mnuBookingRedo"))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(m_undo, &BookingUndo::Changed, this, [this] { Update(); });
    // Another database opened meanwhile leaves nothing to undo.
    connect(bookingMenu, &QMenu::aboutToShow, this, [this] { Update(); });
    Update();
}

bool UndoEntries::Run(bool back) {
    const bool done = back ? m_undo->Undo() : m_undo->Redo();
    if (!done && !m_undo->Problem().isEmpty())
        Messages::Warning(m_undo->Problem());
    return done;
}

void UndoEntries::Update() {
    const auto name = [this](const char* key, const QString& verb, const QString& what) {
        QAction* entry = m_commands->MenuEntry(QString::fromLatin1(key));
        entry->setText(what.isEmpty() ? verb : verb + QLatin1Char(' ') + what);
        entry->setEnabled(!what.isEmpty());
    };
    name("mnuBookingUndo", QStringLiteral("&Undo"), m_undo->UndoAction());
    name("mnuBookingRedo", QStringLiteral("&Redo"), m_undo->RedoAction());
}

#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class QWidget;

// The Transfer menu of the main window: backup, restore and CSV export with
// their messages. The main window disables and enables its toolbar and
// schedule around them; progress goes to its "Task" and "Person" panels
// through StatusPanel::Show.
class TransferCommands {
public:
    // "&Backup Database": writes Backup/yyyymmdd.txt and shows "Backup
    // Complete!" or "Backup FAILED!". True when the backup was written.
    static bool Backup();

    // "&Restore Database": the restore window, the confirmation (and a second
    // one for a file without a closing line), the restore
    // itself; then refillGroups (the main window refills its group list) and
    // "Restore Complete!", or a warning that names the failing line when the
    // restore failed and the database was left as it was. True when the
    // database was replaced.
    static bool Restore(QWidget* owner, const std::function<void()>& refillGroups);

    // "E&xport to CSV file" for the current schedule row: row is its number
    // (0 or less when there is none), resourceId its datum and rowText its
    // text, the resource's name. True when the file was written.
    static bool ExportCsv(int row, qint32 resourceId, const QString& rowText);

    static QString RestorePrompt();
    // Asked before a file without a closing line is restored: a backup of an
    // older version, or one cut short whose restore would be partial.
    static QString UnclosedPrompt();
};

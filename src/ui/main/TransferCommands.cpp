#include "ui/main/TransferCommands.h"

#include "base/ErrorTrap.h"
#include "base/Messages.h"
#include "base/ModalWindow.h"
#include "transfer/BackupFile.h"
#include "transfer/CsvExport.h"
#include "ui/main/DlgRestore.h"

namespace {
const QString kParagraph = QStringLiteral("\r\n\r\n");
}

QString TransferCommands::RestorePrompt() {
    return QStringLiteral("Warning: Current database contents will be overwritten!") + kParagraph +
           QStringLiteral("Are you sure you wish to continue?");
}

QString TransferCommands::UnclosedPrompt() {
    return QStringLiteral("The file has no closing line: it is a backup of an older version, or "
                          "one that was cut short and would restore only in part.") +
           kParagraph + QStringLiteral("Do you wish to restore it all the same?");
}

bool TransferCommands::Backup() {
    bool ok = false;
    Trap("TransferCommands.Backup", [&] {
        BackupFile backup;
        QString path;
        ok = backup.BackupToday(&path);
        if (ok)
            Messages::Information(
                QStringLiteral("Backup Complete!"),
                (QStringList(QStringLiteral("Backup saved to ") + path) + backup.Warnings())
                    .join(kParagraph));
        else
            // The file and the system's reason (a full disk, a folder that
            // cannot be made); an older file of the day was kept.
            Messages::Warning((QStringList{QStringLiteral("Backup FAILED!"), backup.FailureText()} +
                               backup.Warnings())
                                  .join(kParagraph));
    });
    return ok;
}

bool TransferCommands::Restore(QWidget* owner, const std::function<void()>& refillGroups) {
    bool ok = false;
    Trap("TransferCommands.Restore", [&] {
        DlgRestore dialog(owner);
        ModalWindow::Show(&dialog);
        if (dialog.RestoreFile().isEmpty() || !Messages::Confirm(RestorePrompt()))
            return;
        // Only the user can tell an older backup from one cut short.
        if (!BackupFile::HasClosingLine(dialog.RestoreFile()) &&
            !Messages::Confirm(UnclosedPrompt()))
            return;
        BackupFile backup;
        ok = backup.RestoreDb(dialog.RestoreFile(), dialog.AddAppointments());
        if (!ok) {
            // Nothing was changed: say so, and where the file went wrong.
            Messages::Warning(QStringLiteral("Restore FAILED!") + kParagraph +
                              backup.FailureText() + kParagraph +
                              QStringLiteral("The database was left as it was."));
            return;
        }
        if (refillGroups)
            refillGroups();
        const QString note = BackupFile::RestoreNote(backup.LastCounts());
        Messages::Information(QStringLiteral("Restore Complete!"),
                              QStringLiteral("Database restored!") + kParagraph +
                                  BackupFile::DescribeCounts(backup.LastCounts()) +
                                  QLatin1Char('.') +
                                  (note.isEmpty() ? QString() : kParagraph + note));
    });
    return ok;
}

bool TransferCommands::ExportCsv(int row, qint32 resourceId, const QString& rowText) {
    bool ok = false;
    Trap("TransferCommands.ExportCsv", [&] {
        if (row <= 0) {
            Messages::Warning(
                QStringLiteral("Please click on the resource that you wish to export data for!"));
            return;
        }
        CsvExport csv;
        ok = csv.Export(resourceId, rowText);
        if (ok)
            Messages::Information(QStringLiteral("Data Exported!"),
                                  QStringLiteral("Data exported to:") + kParagraph + csv.Path());
        else
            Messages::Warning(QStringLiteral("Export FAILED!") + kParagraph + csv.Path() +
                              QStringLiteral(": ") + csv.Failure() + QLatin1Char('.'));
    });
    return ok;
}

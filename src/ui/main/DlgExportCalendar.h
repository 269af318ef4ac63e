#pragma once

#include "transfer/IcsExport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

// "Export Calendar": the bookings of the current resource, of the whole
// group or of one of the group's contacts over a date range, written as an
// iCalendar file to Export/<name>.ics or to a file the user picks.
//
// The main window shows it through ModalWindow::Show and, when it was
// accepted, calls RunExport; a test fills the controls in the modal seam.
class DlgExportCalendar : public QDialog {
    Q_OBJECT
public:
    enum ScopeEntry { ResourceEntry = 0, GroupEntry = 1, ContactEntry = 2 };

    // resourceId 0: no current resource; the resource exported last, or the
    // group's first, is offered instead. An entry that cannot be chosen (a
    // group without resources or contacts) says why.
    DlgExportCalendar(QWidget* owner, qint32 groupId, qint32 resourceId,
                      const QString& resourceName);

    IcsExport::Selection Selection() const;
    // The name the default file is named after: the resource, group or contact.
    QString ExportName() const;
    // The file picked with "Browse", else Export/<name>.ics.
    QString OutputPath() const;
    void SetupEnabled();
    void BtnBrowse_Click();
    // Writes the file and tells the user how many bookings went into it, or
    // why nothing was written. True when the file was written.
    bool RunExport();

    // Asks for the file to save a calendar in (through the modal seam);
    // empty when the user cancels.
    static QString AskFile(QWidget* owner, const QString& suggested);
    // Exports and shows the outcome: "Calendar Exported!" with the count and
    // the path, or a warning with the reason.
    static bool ExportAndReport(const IcsExport::Selection& selection, const QString& path);

    QComboBox* CbScope() const { return m_cbScope; }
    QComboBox* CbContact() const { return m_cbContact; }
    QDateEdit* DtFrom() const { return m_dtFrom; }
    QDateEdit* DtTo() const { return m_dtTo; }
    QLineEdit* TxtFile() const { return m_txtFile; }
    QPushButton* BtnOk() const { return m_btnOk; }
    QCheckBox* ChkTimesOnly() const { return m_chkTimesOnly; }

private:
    qint32 m_groupId = 0;
    qint32 m_resourceId = 0;
    QString m_resourceName;
    QString m_groupName;
    QString m_chosenPath;
    QComboBox* m_cbScope = nullptr;
    QComboBox* m_cbContact = nullptr;
    QDateEdit* m_dtFrom = nullptr;
    QDateEdit* m_dtTo = nullptr;
    QLineEdit* m_txtFile = nullptr;
    QPushButton* m_btnOk = nullptr;
    QCheckBox* m_chkTimesOnly = nullptr;
};

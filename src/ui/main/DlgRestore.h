#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QPushButton;

// "Restore Database": offers the backup files of the program folder's Backup
// folder (newest preselected) and whether their appointments are loaded too.
// After it closes, RestoreFile is the chosen file's full path, or empty when
// nothing is to be restored.
class DlgRestore : public QDialog {
    Q_OBJECT
public:
    explicit DlgRestore(QWidget* parent = nullptr);

    // The loading sequence; runs each time the window is shown.
    void Form_Load();
    // 0 "&Restore", 1 "&Cancel"; either closes the window.
    void BtnRestore_Click(int index);

    QString RestoreFile() const { return m_restoreFile; }
    bool AddAppointments() const { return m_addAppointments; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* CbFile = nullptr;
    QCheckBox* Check1 = nullptr;
    std::array<QPushButton*, 2> BtnRestore{};
    QString m_restoreFile;
    bool m_addAppointments = true;
};

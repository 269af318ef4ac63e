#pragma once

#include "ui/definitions/DefinitionDialog.h"

#include <QHash>
#include <array>

class ColourPalette;
class QColor;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolBar;
class SpinButtons;

// "Configuration": the schedule colours, the options and the printer page
// size of this workstation (written to the settings file on Save), the
// database file (switched at once with Find), the purge of old bookings with
// the compaction that follows it, and the integrity repair.
//
// The main window shows it modally and then rebuilds its groups and applies
// the settings; DatabaseChanged tells it whether another database file was
// opened meanwhile.
class DlgConfig : public DefinitionDialog {
    Q_OBJECT
public:
    static constexpr int ColourCount = 6;
    static constexpr int OptionCount = 6;
    // The purge period the arrows reach, in days: 0 makes today the cut-off
    // (today's bookings stay); a century back is further than any booking.
    static constexpr int MinPurgePeriod = 0;
    static constexpr int MaxPurgePeriod = 36500;
    static constexpr int DefaultPurgePeriod = 90;

    explicit DlgConfig(QWidget* parent = nullptr);

    void Form_Load() override;

    void BtnColour_Click(int index);
    void ColourPick_ColorClick(qint32 colour);
    void ChkOption_Click(int index);
    void BtnFind_Click();
    void FilDlg_OK(const QString& path);
    void SpinPurge_Click(int direction);
    void BtnPurge_Click();
    void CbPageSize_Click();
    void BtnAction_Click(int index);
    void Toolbar1_ButtonClick(const QString& key);

    bool Changed() const { return m_changed; }
    int PageSizeCode() const { return m_pageSize; }
    qint32 Colour(int index) const { return m_colours.at(std::size_t(index)); }
    // True once Find has opened another database file since the last Form_Load.
    bool DatabaseChanged() const { return m_databaseChanged; }
    ColourPalette* Palette() const { return ColourPick; }

    // The purge period stored in the settings file; a text that is no number
    // counts as the default.
    static int PurgePeriod();
    // The first day whose bookings a purge with that period keeps.
    static qint32 PurgeCutOff(int purgePeriod);

private:
    void BuildWindow();
    void BuildToolbar();
    void BuildMenus();
    void ShowColour(int index);
    // The colour a button shows: its setting, or the platform's colour it follows.
    QColor ShownColour(int index) const;
    void ShowPurgeDate();
    void Save();
    // Saves a server database name once the server has accepted it.
    void SaveServerName(const QString& uri);
    // Closes the open database and opens the one at path; when that fails,
    // the database that was open before is opened again and the user told.
    bool SwitchDatabase(const QString& path);
    // The controls the database actions switch off while they run.
    void SetControlsEnabled(bool enabled);
    bool AskSave();

    std::array<QLabel*, ColourCount> Label1{};
    std::array<QPushButton*, ColourCount> BtnColour{};
    ColourPalette* ColourPick = nullptr;
    std::array<QCheckBox*, OptionCount> ChkOption{};
    QLineEdit* TxtDatabase = nullptr;
    QLineEdit* TxtWorkstation = nullptr;
    QPushButton* BtnFind = nullptr;
    QLabel* LblPurge = nullptr;
    SpinButtons* SpinPurge = nullptr;
    QPushButton* BtnPurge = nullptr;
    QComboBox* CbPageSize = nullptr;
    std::array<QPushButton*, 1> BtnAction{};
    QToolBar* Toolbar1 = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuHelp = nullptr;

    std::array<qint32, ColourCount> m_colours{};
    bool m_changed = false;
    int m_colourIndex = 0;
    int m_pageSize = 1;
    bool m_databaseChanged = false;
};

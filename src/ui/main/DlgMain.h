#pragma once

#include <QMainWindow>
#include <QMap>
#include <QVector>
#include <functional>

class ClsGroup;
class LegendLabel;
class LegendPanel;
class MainCommands;
class SchedulePane;
class StatusPanels;
class UndoEntries;
class QAction;
class QToolBar;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSlider;
class QTimer;
class ScheduleView;
class SpinButtons;

// The main window: the schedule of one group with its legend of appointment
// types. It is the start-up object of the program: creating it starts the
// program frame, closing it ends it.
class DlgMain : public QMainWindow {
    Q_OBJECT
public:
    explicit DlgMain(QWidget* parent = nullptr);
    ~DlgMain() override;

    // The main window of the running program, or null.
    static DlgMain* Instance();

    // False when the database could not be opened; the window then closes at once.
    bool Started() const { return m_started; }

    qint32 CurrentDate() const;
    void SetCurrentDate(qint32 date);
    void ScrollToTime(int minutes);
    void SelectResource(qint32 resourceId);
    void ShowGroups(qint32 groupId);
    // The first start of a new installation: asks once whether to fill the
    // new, empty database with the sample clinic, and shows it.
    void OfferSample();
    void ShowResources(qint32 resourceId);
    void ShowLegends();
    void SetupDefaults();
    void SetScheduleEndDate();
    qint32 SelectedGroupId() const;
    // The shared group record, loaded with the shown group when it holds
    // another (a cancelled New Group leaves it empty).
    ClsGroup& ShownGroup();

    // Handlers of the window's own controls.
    void CbGroup_Click();
    void ChkLegend_Click();
    void Scroll_Change();
    void SpinDate_Click(int direction);

    // Drag, drop and the details of the bar under the mouse.
    void LblColor_MouseDown(int index);
    void LblLegend_MouseDown(int index);
    void Sched_DropItem(int row, int minute, qint32 date);
    void Sched_ListDblClick(int row);
    void Sched_ItemMove(int row, int bar);
    void Sched_BarPreDrop();
    void Sched_BarPreSelect();
    // A double-click on free time opens the booking dialog on that slot, as
    // a drop does; on a bar, with its booking selected.
    void Sched_TimeDblClick(int row, int bar, int minute, qint32 date);
    // A bar dragged and let go: its booking moved or stretched through the
    // booking's save, or the reason it was refused shown.
    void Sched_BarDrop(int row, int bar, int toRow, qint32 date, int start, int end);
    void Sched_ScrollTrack();
    // The booking dialog prepared for a resource, date and time, shown modally.
    void OpenBooking(qint32 startTime, qint32 resourceId, qint32 taskId, qint32 date);

    // Commands: toolbar buttons by key, button-menu items by key; menus run these.
    void Toolbar1_ButtonClick(const QString& key);
    void Toolbar1_ButtonMenuClick(const QString& key);
    void mnuResourceSaveTemplate_Click();
    void mnuResourceLoadTemplate_Click();
    void mnuHelpAbout_Click();
    // Takes back or does again this run's last change of a booking.
    void mnuBookingHistory_Click();
    void mnuBookingUndo_Click();
    void mnuBookingRedo_Click();
    void mnuTransferBackup_Click();
    void mnuTransferRestore_Click();
    void mnuTransferExport_Click();
    void mnuTransferExportCalendar_Click();
    void Timer1_Timer();
    // Another workstation announced a change (server databases only): the
    // same check as the timer's, at once instead of at the next tick.
    void DatabaseChanged();
    void Form_Activate();

    QTimer* Timer1() const { return m_timer1; }
    QToolBar* Toolbar1() const;
    QAction* ToolbarButton(const QString& key) const;
    QAction* MenuEntry(const QString& name) const;
    QString TipText() const { return m_tipText; }
    qint32 DraggedTask() const;
    bool CloseRequested() const { return m_closeRequest; }
    // The footer printed under the schedule.
    static QString PrintFooter();

    QString PanelText(const QString& key) const;
    void SetPanelText(const QString& key, const QString& text);

    ScheduleView* Sched() const { return m_sched; }
    QComboBox* CbGroup() const { return m_cbGroup; }
    QLabel* EmptyHint() const;
    QCheckBox* ChkLegend() const { return m_chkLegend; }
    QGroupBox* Frame1() const;
    QSlider* Scroll() const { return m_scroll; }
    SpinButtons* SpinDate() const { return m_spinDate; }
    const QVector<LegendLabel*>& LblColor() const;
    const QVector<LegendLabel*>& LblLegend() const;
    qint32 BookingSignature() const { return m_bookingSignature; }
    int AutoscrollHoldOff() const { return m_holdOff; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    // Saves placement and date, closes the other windows and ends the program frame.
    void Form_QueryUnload();
    void Form_Unload();
    void BuildWindow();
    void BuildCommands();
    void RearmTimer();
    // Rebuilds the view when the change marker moved and the bookings in
    // view changed.
    void CheckForChanges();
    void EnableToolbar(bool enabled);
    // A Transfer command with the toolbar, the schedule and the timer off.
    void RunTransfer(const char* where, const std::function<void()>& command);
    void UpdateCaption();
    void UndoRedo(bool back);
    // The booking dialog on the slot that holds the minute, unless the slot
    // is taken.
    void OpenSlot(int row, int minute, qint32 date, qint32 taskId);

    bool m_started = false;
    bool m_unloaded = false;

    // Window state, cleared when the window loads.
    bool m_activated = false;
    bool m_closeRequest = false;
    int m_holdOff = 0;
    qint32 m_bookingSignature = 0;
    // Raised by every rebuild; a rebuild that finds it changed after letting
    // events run gives way to the newer one.
    int m_rebuildGeneration = 0;
    // A change announcement waiting to be checked (announcements of a burst
    // of changes are checked once).
    bool m_changeCheckPending = false;
    // The user was told that the database server cannot be reached.
    bool m_serverLostShown = false;

    ScheduleView* m_sched = nullptr;
    SchedulePane* m_schedArea = nullptr; // the schedule, or the hint of an empty database
    QComboBox* m_cbGroup = nullptr;
    QCheckBox* m_chkLegend = nullptr;
    LegendPanel* m_frame1 = nullptr;
    QSlider* m_scroll = nullptr;
    SpinButtons* m_spinDate = nullptr;
    StatusPanels* m_status = nullptr;
    QTimer* m_timer1 = nullptr;
    MainCommands* m_commands = nullptr; // toolbar and menus
    UndoEntries* m_undo = nullptr;
    QString m_tipText;
    bool m_programClose = false;
    int m_busy = 0; // commands running
    bool m_queryUnloadDone = false;
};

#pragma once

#include "model/ClsBooking.h"

#include <QDialog>
#include <QHash>
#include <array>
#include <functional>

class ItemList;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QToolBar;
class SpinButtons;

// The booking dialog: one resource's day as a list of time slots beside the
// form that books, changes, moves, repeats and deletes one appointment. It
// works on the shared booking, appointment type, contact and group records.
//
// Opening: set GroupId, StartTime, ResourceId, TaskId, then ApptDate (which
// loads the window the first time it is touched), then show it modally
// through ModalWindow::Show. The opening work (Form_Activate) runs when the
// window is shown; a test that never shows it calls Form_Activate itself.
// Every way of closing unloads the window; the next opening loads it afresh.
class DlgAppt : public QDialog {
    Q_OBJECT
public:
    // The one booking dialog of the program, created on first use.
    static DlgAppt& Instance();
    // Destroys it (at shutdown, and between tests).
    static void Release();
    // True while the one booking dialog exists and is shown.
    static bool IsShown();

    // Properties set by the caller before the dialog is shown.
    void SetGroupId(qint32 groupId);
    void SetResourceId(qint32 resourceId) { m_resourceId = resourceId; }
    void SetTaskId(qint32 taskId) { m_taskId = taskId; }
    void SetStartTime(qint16 minutes) { m_startTime = minutes; }
    // The date shown; it is the program's current date, held by the calendar.
    qint32 ApptDate() const;
    void SetApptDate(qint32 day);

    qint32 GroupId() const { return m_groupId; }
    qint32 ResourceId() const { return m_resourceId; }
    qint32 TaskId() const { return m_taskId; }
    qint16 StartTime() const { return m_startTime; }
    bool IsLoaded() const { return m_loaded; }
    bool MoveMode() const { return m_moveMode; }
    qint32 MoveBookingId() const { return m_moveBookingId; }

    // Loading and the opening work.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();

    // The lists of the window.
    void ShowBookings();
    void ShowResources();
    void ShowTasks(qint32 taskId);
    void ShowCustomers(qint32 customerId);
    // Shows what other workstations changed: the type and contact lists and
    // the time-slot list are filled again, keeping the date, the resource,
    // the highlighted slot and everything typed. The main window's timer
    // calls it after another workstation changed the database.
    void Refresh();

    // Handlers.
    void LbTimeslot_ItemClick(int row, int column);
    void SpinStart_Click(int direction);
    void SpinEnd_Click(int direction);
    void SpinDate_Click(int direction);
    void CbResource_Click();
    void CbTask_Click();
    void CbCustomer_Click();
    void SetupEnabled();
    void EnableMe(bool enabled);
    void TxtRef01_GotFocus();
    void TxtRef02_GotFocus();
    void TxtRef03_GotFocus();

    // Commands: 0 Submit, 1 Repeat, 2 Delete, 3 Move (cancel while moving).
    void BtnTask_Click(int index);
    // "Send to Calendar": the selected booking, or on a free slot the chosen
    // contact's bookings from today on, saved as an iCalendar file the user
    // names.
    void SendToCalendar();
    // Selects the next free slot from now that fits the chosen type's first
    // length, on the shown resource or, with "any resource" ticked, on the
    // first resource of the group that has one; says so when none is free
    // in the dates the weeks view shows.
    void FindFreeSlot();
    // Why a save stored nothing, as the second part of a message (empty for
    // a plain failure).
    static QString SaveProblemText(SaveProblem problem);
    // Toolbar buttons and their drop-down entries, by key.
    void Toolbar1_ButtonClick(const QString& key);
    void Toolbar1_ButtonMenuClick(const QString& key);

    // Controls, for the main window and for tests.
    ItemList* LbTimeSlot() const { return m_lbTimeSlot; }
    QComboBox* CbResource() const { return m_cbResource; }
    QComboBox* CbTask() const { return m_cbTask; }
    QComboBox* CbCustomer() const { return m_cbCustomer; }
    QLineEdit* TxtRef01() const { return m_txtRef[0]; }
    QLineEdit* TxtRef02() const { return m_txtRef[1]; }
    QLineEdit* TxtRef03() const { return m_txtRef[2]; }
    QPlainTextEdit* TxtComments() const { return m_txtComments; }
    QLabel* LblStart() const { return m_lblStart; }
    QLabel* LblEnd() const { return m_lblEnd; }
    QLabel* LblMove() const { return m_lblMove; }
    SpinButtons* SpinStart() const { return m_spinStart; }
    SpinButtons* SpinEnd() const { return m_spinEnd; }
    SpinButtons* SpinDate() const { return m_spinDate; }
    QPushButton* BtnTask(int index) const { return m_btnTask[std::size_t(index)]; }
    QPushButton* BtnFreeSlot() const { return m_btnFreeSlot; }
    QCheckBox* ChkAnyResource() const { return m_chkAnyResource; }
    QGroupBox* Frame1(int index) const { return m_frame1[std::size_t(index)]; }
    QToolBar* Toolbar1() const { return m_toolbar; }
    QMenuBar* MenuBar() const { return m_menuBar; }
    // A toolbar button or drop-down entry by its key ("Exit", "AddTask", ...).
    QAction* ToolbarAction(const QString& key) const { return m_toolActions.value(key); }
    // A menu entry by its name ("mnuBookingDelete", ...).
    QAction* MenuAction(const QString& name) const { return m_menuActions.value(name); }

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit DlgAppt(QWidget* parent = nullptr);

    void BuildWindow();
    void BuildToolbar();
    void BuildMenus();
    QAction* AddMenuEntry(QMenu* menu, const QString& name, const QString& caption,
                          std::function<void()> handler);
    void EnsureLoaded();
    void ShowMoveMode(bool on);
    void Submit();
    void Repeat();
    void DeleteBooking();
    void Move();
    void ShowClashWarning(qint32 clashId);
    // The line Delete Contact adds to its question: the contact's name and
    // how many appointments go with them.
    QString ContactDeleteLine() const;
    // After a save that stored nothing: tells the user why and offers what
    // can be done. True when a second attempt the user chose stored it.
    bool SaveRefused();
    void ShowBookingInForm();
    static void RefillQuietly(QComboBox* list, const QString& none, const QString& sql);
    QString TaskListSql() const;
    QString CustomerListSql() const;
    void ShowTimes();
    QString CommentsText() const;
    void RunToolbarCommand(const std::function<void()>& command);

    // Caller's properties.
    qint32 m_groupId = 0;
    qint32 m_resourceId = 0;
    qint32 m_taskId = 0;
    qint16 m_startTime = 0;
    qint32 m_apptDate = 0;

    // Dialog state.
    bool m_loaded = false;
    bool m_activated = false;
    bool m_militaryTime = false;
    bool m_moveMode = false;
    qint32 m_moveBookingId = 0;
    qint16 m_moveStart = 0;
    qint16 m_moveEnd = 0;
    bool m_unloading = false;
    // The comment of the booking last shown, as stored.
    QString m_shownComments;

    QMenuBar* m_menuBar = nullptr;
    QToolBar* m_toolbar = nullptr;
    std::array<QGroupBox*, 2> m_frame1{};
    QComboBox* m_cbResource = nullptr;
    ItemList* m_lbTimeSlot = nullptr;
    QLabel* m_lblMove = nullptr;
    QComboBox* m_cbTask = nullptr;
    QComboBox* m_cbCustomer = nullptr;
    std::array<QLineEdit*, 3> m_txtRef{};
    QPlainTextEdit* m_txtComments = nullptr;
    QLabel* m_lblStart = nullptr;
    QLabel* m_lblEnd = nullptr;
    SpinButtons* m_spinStart = nullptr;
    SpinButtons* m_spinEnd = nullptr;
    SpinButtons* m_spinDate = nullptr;
    std::array<QPushButton*, 4> m_btnTask{};
    QPushButton* m_btnFreeSlot = nullptr;
    QCheckBox* m_chkAnyResource = nullptr;
    QHash<QString, QAction*> m_toolActions;
    QHash<QString, QAction*> m_menuActions;
};

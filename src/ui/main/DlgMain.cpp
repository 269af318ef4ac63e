#include "ui/main/DlgMain.h"

#include "base/ClsIni.h"
#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "base/Messages.h"
#include "base/ModalWindow.h"
#include "base/ProgramState.h"
#include "base/ProgramVersion.h"
#include "base/Settings.h"
#include "base/StatusPanel.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "frame/ModMain.h"
#include "model/BookingSummary.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "model/Records.h"
#include "model/ScheduleData.h"
#include "transfer/SampleDatabase.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/booking/DlgHistory.h"
#include "ui/booking/DlgSearch.h"
#include "ui/common/ClsForms.h"
#include "ui/common/ControlNamer.h"
#include "ui/config/DlgConfig.h"
#include "ui/controls/ScheduleMapper.h"
#include "ui/controls/ScheduleView.h"
#include "ui/controls/SpinButtons.h"
#include "ui/definitions/DlgTemplate.h"
#include "ui/help/ContextIDs.h"
#include "ui/main/AboutBox.h"
#include "ui/main/DefinitionCommands.h"
#include "ui/main/DlgExportCalendar.h"
#include "ui/main/LegendPanel.h"
#include "ui/main/MainCommands.h"
#include "ui/main/ScheduleBookings.h"
#include "ui/main/ScheduleCellCommands.h"
#include "ui/main/SchedulePane.h"
#include "ui/main/ScheduleTopBar.h"
#include "ui/main/StatusPanels.h"
#include "ui/main/TransferCommands.h"
#include "ui/main/UndoEntries.h"
#include "ui/main/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QToolBar>
#include <QToolTip>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
DlgMain* g_main = nullptr;

constexpr int kMinWidth = 640;  // 9600 twips
constexpr int kMinHeight = 430; // 6450 twips

// Counts the commands running, so a close asked for meanwhile waits for them.
struct BusyScope {
    explicit BusyScope(int& count) : m_count(count) { ++m_count; }
    ~BusyScope() { --m_count; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    int& m_count;
};
int IniInt(const QString& section, const QString& key, const QVariant& def) {
    return Settings::Ini().GetValue(section, key, def).toInt();
}
} // namespace

DlgMain* DlgMain::Instance() { return g_main; }

DlgMain::DlgMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("DlgMain"));
    g_main = this;
    ControlNamer::Install();
    BuildWindow();
    Form_Load();
}

DlgMain::~DlgMain() {
    Form_Unload();
    if (g_main == this)
        g_main = nullptr;
}

void DlgMain::BuildWindow() {
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(6);

    auto* top = new ScheduleTopBar(central);
    m_cbGroup = top->Group();
    m_spinDate = top->DateArrows();
    m_scroll = top->Width();
    m_chkLegend = top->Legend();
    connect(m_cbGroup, &QComboBox::activated, this, [this] { CbGroup_Click(); });
    // The right arrow moves a day forward, the left one a day back.
    connect(m_spinDate, &SpinButtons::SpinClicked, this,
            [this](int direction) { SpinDate_Click(direction == SpinButtons::Increase ? 1 : 0); });
    connect(m_scroll, &QSlider::valueChanged, this, [this] { Scroll_Change(); });
    connect(m_chkLegend, &QCheckBox::toggled, this, [this] { ChkLegend_Click(); });
    outer->addWidget(top);

    auto* body = new QHBoxLayout;
    m_schedArea = new SchedulePane(central);
    m_sched = m_schedArea->View();
    body->addWidget(m_schedArea, 1);
    connect(m_sched, &ScheduleView::Sched_DropItem, this,
            [this](int row, int minute, qint32 date) { Sched_DropItem(row, minute, date); });
    connect(m_sched, &ScheduleView::Sched_ListDblClick, this,
            [this](int row) { Sched_ListDblClick(row); });
    connect(m_sched, &ScheduleView::Sched_ItemMove, this,
            [this](int row, int bar) { Sched_ItemMove(row, bar); });
    connect(m_sched, &ScheduleView::Sched_BarPreDrop, this, [this] { Sched_BarPreDrop(); });
    connect(m_sched, &ScheduleView::Sched_BarPreSelect, this, [this] { Sched_BarPreSelect(); });
    connect(m_sched, &ScheduleView::Sched_TimeDblClick, this,
            [this](int row, int bar, int minute, qint32 date) {
                Sched_TimeDblClick(row, bar, minute, date);
            });
    connect(m_sched, &ScheduleView::Sched_BarDrop, this,
            [this](int row, int bar, int toRow, qint32 date, int start, int end) {
                Sched_BarDrop(row, bar, toRow, date, start, end);
            });
    connect(m_sched, &ScheduleView::Sched_ScrollTrack, this, [this] { Sched_ScrollTrack(); });
    new ScheduleCellCommands(this, m_sched);

    m_frame1 = new LegendPanel(central);
    m_frame1->SetSchedule(m_sched);
    body->addWidget(m_frame1);
    outer->addLayout(body, 1);
    setCentralWidget(central);

    m_status = new StatusPanels(statusBar());

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(15000);
    connect(m_timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    BuildCommands();
    setMinimumSize(kMinWidth, kMinHeight);
    resize(1024, 700);
}

void DlgMain::BuildCommands() {
    m_commands = new MainCommands(this);
    connect(m_commands, &MainCommands::ButtonClicked, this,
            [this](const QString& key) { Toolbar1_ButtonClick(key); });
    connect(m_commands, &MainCommands::ItemClicked, this,
            [this](const QString& key) { Toolbar1_ButtonMenuClick(key); });
    const QHash<QString, void (DlgMain::*)()> own = {
        {QStringLiteral("mnuResourceSaveTemplate"), &DlgMain::mnuResourceSaveTemplate_Click},
        {QStringLiteral("mnuResourceLoadTemplate"), &DlgMain::mnuResourceLoadTemplate_Click},
        {QStringLiteral("mnuTransferExport"), &DlgMain::mnuTransferExport_Click},
        {QStringLiteral("mnuTransferExportCalendar"), &DlgMain::mnuTransferExportCalendar_Click},
        {QStringLiteral("mnuTransferBackup"), &DlgMain::mnuTransferBackup_Click},
        {QStringLiteral("mnuTransferRestore"), &DlgMain::mnuTransferRestore_Click},
        {QStringLiteral("mnuHelpAbout"), &DlgMain::mnuHelpAbout_Click},
        {QStringLiteral("mnuBookingUndo"), &DlgMain::mnuBookingUndo_Click},
        {QStringLiteral("mnuBookingRedo"), &DlgMain::mnuBookingRedo_Click},
        {QStringLiteral("mnuBookingHistory"), &DlgMain::mnuBookingHistory_Click},
    };
    connect(m_commands, &MainCommands::EntryClicked, this, [this, own](const QString& name) {
        if (const auto command = own.value(name))
            (this->*command)();
    });
    m_undo = new UndoEntries(m_commands, menuBar()->findChild<QMenu*>(QStringLiteral("mnuBooking")),
                             this);
}

void DlgMain::Form_Load() {
    Trap("DlgMain.Form_Load", [&] {
        ContextIDs::InitHelp(this);
        DlgCalendar::SetGroupSource([] { return g_main ? g_main->SelectedGroupId() : 0; });
        StatusPanel::SetHandler([this](const QString& panel, const QString& text) {
            SetPanelText(panel, text);
            EventPump::Run();
        });
        m_started = ModMain::Initialise();
        if (!m_started)
            return;
        Database::DAO().SetChangeListener([this] { DatabaseChanged(); });
        ClsForms::CentreForm(this, nullptr);
        m_activated = false;
        m_closeRequest = false;
        m_holdOff = 0;
        m_bookingSignature = 0;
        SetupDefaults();
        UpdateCaption();
        for (const char* key : {"Start", "End", "Task", "Person"})
            SetPanelText(QString::fromLatin1(key), QString());
        SetCurrentDate(IniInt(QStringLiteral("Config"), QStringLiteral("LastDate"), ClsDate::Today()));
        m_sched->SetTitle(QString());
        m_sched->SetListWidth(IniInt(QStringLiteral("Sched"), QStringLiteral("ListWidth"), 100));
        const int distance =
            IniInt(QStringLiteral("Sched"), QStringLiteral("TimeDistance"), m_scroll->value());
        {
            const QSignalBlocker block(m_scroll);
            m_scroll->setValue(distance);
        }
        m_sched->SetTimeDistance(m_scroll->value());
        m_sched->SetSecondSpacing(m_scroll->value() / 12);
        ShowGroups(IniInt(QStringLiteral("Group"), QStringLiteral("CbGroup"), 0));
        const bool legend = IniInt(QStringLiteral("Config"), QStringLiteral("ChkLegend"),
                                   m_chkLegend->isChecked() ? 1 : 0) != 0;
        if (legend != m_chkLegend->isChecked())
            m_chkLegend->setChecked(legend); // runs ChkLegend_Click
        else
            m_frame1->setVisible(legend);
    });
    m_status->ShowClock();
}

void DlgMain::closeEvent(QCloseEvent* event) {
    if (m_started && !m_unloaded && EventPump::Depth() > 0) {
        // A loop below is letting events run (a rebuild of the schedule or
        // the legend): ending the program now would pull the database from
        // under it. The loop is told to stop, and the timer closes the
        // window once it has.
        m_timer1->stop();
        m_closeRequest = true;
        ++m_rebuildGeneration;
        m_frame1->Stop();
        event->ignore();
        m_timer1->setInterval(100);
        if (m_busy == 0)
            m_timer1->start();
        return;
    }
    if (!m_started || m_programClose || m_unloaded) {
        Form_QueryUnload();
        Form_Unload();
        event->accept();
        return;
    }
    // A close by the user is carried out by the next timer tick, so that a
    // command or a rebuild that is running can finish first.
    m_timer1->stop();
    m_closeRequest = true;
    event->ignore();
    m_timer1->setInterval(100);
    // While a command runs, its end re-arms the timer, which then closes.
    if (m_busy == 0)
        m_timer1->start();
}

void DlgMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Form_Activate();
}

void DlgMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        TrapSilent([&] { UpdateCaption(); });
}

void DlgMain::UpdateCaption() {
    if (isMinimized())
        setWindowTitle(QStringLiteral("Tarvelo!"));
    else
        setWindowTitle(QStringLiteral("Tarvelo! (") + ProgramVersion::Number() + QLatin1Char(')'));
}

void DlgMain::Form_QueryUnload() {
    if (m_queryUnloadDone)
        return;
    m_queryUnloadDone = true;
    m_status->StopClock();
    m_timer1->stop();
    Trap("DlgMain.Form_QueryUnload", [&] {
        if (!ProgramState::IsRunning())
            return;
        if (!m_started) {
            // Nothing was shown: the settings stay as they were.
            ModMain::Terminate();
            return;
        }
        if (m_activated)
            WindowPlacement::Save(this, QStringLiteral("DlgMain"));
        Settings::Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("LastDate"),
                                   CurrentDate());
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window != this && window->objectName() != QLatin1String("DlgMain") &&
                window->isVisible())
                window->close();
        DlgAppt::Release();
        DlgCalendar::Release();
        ModMain::Terminate();
    });
}

void DlgMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    StatusPanel::SetHandler({});
    if (ProgramState::IsRunning())
        TrapSilent([] { Database::DAO().SetChangeListener({}); });
    Form_QueryUnload();
    ContextIDs::QuitHelp();
    m_timer1->stop();
}

qint32 DlgMain::CurrentDate() const { return DlgCalendar::Instance().SelDate(); }

void DlgMain::SetCurrentDate(qint32 date) {
    Trap("DlgMain.CurrentDate", [&] {
        date = ClsDate::WithinShown(date);
        Settings::Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("LastDate"), date);
        DlgCalendar::Instance().SetSelDate(date);
        m_sched->SetFirstDate(date);
        SetScheduleEndDate();
        ShowResources(0);
        const QTime now = QTime::currentTime();
        m_sched->ShowTime(date, now.hour() * 60 + now.minute());
    });
}

void DlgMain::ScrollToTime(int minutes) {
    Trap("DlgMain.ScrollToTime", [&] {
        m_sched->ShowTime(CurrentDate(), minutes);
        m_holdOff = 20;
    });
}

void DlgMain::SelectResource(qint32 resourceId) {
    Trap("DlgMain.SelectResource", [&] {
        for (int row = 1; row <= m_sched->RowCount() - 1; ++row) {
            if (m_sched->RowData(row) == resourceId) {
                m_sched->SetCurrentRow(row);
                return;
            }
        }
    });
}

qint32 DlgMain::SelectedGroupId() const { return ClsForms::GetItemId(m_cbGroup); }

void DlgMain::ShowGroups(qint32 groupId) {
    Trap("DlgMain.ShowGroups", [&] {
        m_sched->SetTitle(QString());
        ClsForms::FillCombo(m_cbGroup,
                            QStringLiteral("select GroupName, GroupId from tblGroups order by GroupName"),
                            true);
        ClsForms::SelectItemId(m_cbGroup, groupId);
        if (m_cbGroup->count() == 0) {
            // No group at all: an empty schedule and legend.
            ShowResources(0);
            ShowLegends();
        }
    });
}

void DlgMain::CbGroup_Click() {
    Trap("DlgMain.CbGroup_Click", [&] {
        const qint32 id = SelectedGroupId();
        Settings::Ini().WriteValue(QStringLiteral("Group"), QStringLiteral("CbGroup"), id);
        ClsGroup& group = Records::Group();
        if (!group.Load(id))
            return;
        m_sched->SetTitle(group.GroupName());
        m_sched->SetDayStart(group.DayStart());
        m_sched->SetSlotLength(group.Interval());
        // The last slot the booking dialog offers starts at the day end: the
        // schedule shows it too, up to midnight at most.
        m_sched->SetDayEnd(qMin(group.DayEnd() + qMax<int>(group.Interval(), 0),
                                int(ScheduleMapper::kMinutesPerDay)));
        ShowResources(0);
        ShowLegends();
    });
}

void DlgMain::SetScheduleEndDate() {
    Trap("DlgMain.SetScheduleEndDate", [&] {
        m_schedArea->ApplyResolution();
        m_commands->ShowResolution(m_sched->TimeType());
    });
}

void DlgMain::ShowResources(qint32 resourceId) {
    const int generation = ++m_rebuildGeneration;
    Trap("DlgMain.ShowResources", [&] {
        m_sched->Clear();
        SetScheduleEndDate();
        m_schedArea->ApplyTimeFormat();
        // What the journal tells from now on is news to these rows.
        m_schedArea->WatchJournal();
        // Read at once: no reference to the database is kept while events run.
        ScheduleData data;
        if (!data.Load(ShownSelection()))
            throw TarveloError(QStringLiteral("the schedule cannot be read"));
        // A rebuild started while events run takes over the schedule.
        m_filling = true;
        const auto filled = qScopeGuard([this] { m_filling = false; });
        if (!m_schedArea->Fill(data, resourceId, [&] { return generation == m_rebuildGeneration; }))
            return;
        m_bookingSignature = data.Signature();
        m_holdOff = 20;
    });
    if (generation == m_rebuildGeneration)
        m_schedArea->ShowSchedule(m_cbGroup->count() > 0);
}

ScheduleData::Selection DlgMain::ShownSelection() const {
    ScheduleData::Selection selection;
    selection.groupId = SelectedGroupId();
    selection.firstDate = m_sched->FirstDate();
    selection.lastDate = m_sched->LastDate();
    selection.contactNames =
        IniInt(QStringLiteral("Options"), QStringLiteral("DispCustomer"), 0) != 0;
    selection.typeNames = true;
    return selection;
}

void DlgMain::ShowLegends() {
    Trap("DlgMain.ShowLegends", [&] { m_frame1->ShowTypes(SelectedGroupId()); });
}

void DlgMain::SetupDefaults() {
    Trap("DlgMain.SetupDefaults", [&] {
        m_sched->SetTimeType(IniInt(QStringLiteral("Config"), QStringLiteral("TimeType"), 0));
        m_schedArea->ApplyColours();
        SetScheduleEndDate();
        if (IniInt(QStringLiteral("Options"), QStringLiteral("Autoscroll"), 0) != 0 && m_holdOff < 1)
            SetCurrentDate(ClsDate::Today());
    });
}

void DlgMain::ChkLegend_Click() {
    Trap("DlgMain.ChkLegend_Click", [&] {
        const int value = m_chkLegend->isChecked() ? 1 : 0;
        Settings::Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("ChkLegend"), value);
        m_frame1->setVisible(value != 0);
    });
}

void DlgMain::Scroll_Change() {
    Trap("DlgMain.Scroll_Change", [&] {
        m_sched->SetScalesAroundMiddle(m_scroll->value(), m_scroll->value() / 12);
        Settings::Ini().WriteValue(QStringLiteral("Sched"), QStringLiteral("TimeDistance"),
                                   m_scroll->value());
    });
}

void DlgMain::SpinDate_Click(int direction) {
    Trap("DlgMain.SpinDate_Click", [&] {
        SetCurrentDate(direction == 0 ? CurrentDate() - 1 : CurrentDate() + 1);
    });
}

QString DlgMain::PanelText(const QString& key) const { return m_status->Text(key); }

void DlgMain::SetPanelText(const QString& key, const QString& text) { m_status->SetText(key, text); }

void DlgMain::EnableToolbar(bool enabled) { ClsForms::EnableToolbar(m_commands->Toolbar(), enabled); }

QString DlgMain::PrintFooter() {
    return QStringLiteral("Printed by Tarvelo ") + ProgramVersion::Number() +
           QStringLiteral(" on ") + ClsDate::FormatDate(ClsDate::Today(), QStringLiteral("d mmmm yyyy"));
}

QGroupBox* DlgMain::Frame1() const { return m_frame1; }
QLabel* DlgMain::EmptyHint() const { return m_schedArea->EmptyHint(); }
QToolBar* DlgMain::Toolbar1() const { return m_commands->Toolbar(); }
QAction* DlgMain::ToolbarButton(const QString& key) const { return m_commands->Button(key); }
QAction* DlgMain::MenuEntry(const QString& name) const { return m_commands->MenuEntry(name); }
qint32 DlgMain::DraggedTask() const { return m_frame1->DraggedTask(); }
const QVector<LegendLabel*>& DlgMain::LblColor() const { return m_frame1->ColourLabels(); }
const QVector<LegendLabel*>& DlgMain::LblLegend() const { return m_frame1->NameLabels(); }

void DlgMain::LblColor_MouseDown(int index) {
    Trap("DlgMain.LblColor_MouseDown", [&] { m_frame1->StartDrag(index); });
}

void DlgMain::LblLegend_MouseDown(int index) {
    Trap("DlgMain.LblLegend_MouseDown", [&] { m_frame1->StartDrag(index); });
}

void DlgMain::OpenBooking(qint32 startTime, qint32 resourceId, qint32 taskId, qint32 date) {
    const qint32 shownDate = CurrentDate();
    const qint32 firstShown = m_sched->FirstDate();
    DlgAppt& appt = DlgAppt::Instance();
    appt.SetGroupId(SelectedGroupId());
    appt.SetStartTime(static_cast<qint16>(startTime));
    appt.SetResourceId(resourceId);
    appt.SetTaskId(taskId);
    appt.SetApptDate(date);
    ModalWindow::Show(&appt);
    // A booking made on another date of the view leaves the view where it
    // was; the dialog moves the view itself when the user changes its date.
    if (m_sched->FirstDate() == firstShown)
        DlgCalendar::Instance().SetSelDate(shownDate);
    ShowResources(0);
    ShowLegends();
}

ClsGroup& DlgMain::ShownGroup() {
    ClsGroup& group = Records::Group();
    const qint32 shown = SelectedGroupId();
    if (group.GroupId() != shown)
        group.Load(shown);
    return group;
}

void DlgMain::Sched_DropItem(int row, int minute, qint32 date) {
    Trap("DlgMain.Sched_DropItem", [&] {
        ScheduleBookings::OpenSlot(*this, row, minute, date, m_frame1->DraggedTask());
    });
}

void DlgMain::Sched_TimeDblClick(int row, int bar, int minute, qint32 date) {
    Trap("DlgMain.Sched_TimeDblClick",
         [&] { ScheduleBookings::OpenBar(*this, row, bar, minute, date); });
}

void DlgMain::Sched_BarDrop(int row, int bar, int toRow, qint32 date, int start, int end) {
    m_timer1->stop();
    const BusyScope busy(m_busy);
    Trap("DlgMain.Sched_BarDrop",
         [&] { ScheduleBookings::DropBar(*this, row, bar, toRow, date, start, end); });
    RearmTimer();
}

void DlgMain::Sched_ListDblClick(int row) {
    Trap("DlgMain.Sched_ListDblClick", [&] {
        OpenBooking(ShownGroup().DayStart(), m_sched->RowData(row), 0, CurrentDate());
    });
}

void DlgMain::Sched_ItemMove(int row, int bar) {
    Trap("DlgMain.Sched_ItemMove", [&] {
        m_tipText.clear();
        BookingSummary booking;
        booking.Load(m_sched->BarData(row, bar));
        m_status->ShowBooking(booking);
        if (IniInt(QStringLiteral("Options"), QStringLiteral("PopupReminders"), 0) != 0) {
            m_tipText = booking.Tip();
            QString shown = m_tipText;
            shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            QToolTip::showText(QCursor::pos(), shown, m_sched);
        }
    });
}

void DlgMain::Sched_BarPreDrop() {
    // A bar let go leaves none selected; Sched_BarDrop carries out the drop.
    Trap("DlgMain.Sched_BarPreDrop", [&] { m_sched->CancelBarAction(); });
}

void DlgMain::Sched_BarPreSelect() {
    Trap("DlgMain.Sched_BarPreSelect", [&] { m_sched->CancelBarAction(); });
}

void DlgMain::Sched_ScrollTrack() { m_holdOff = 20; }

void DlgMain::RearmTimer() {
    if (m_closeRequest) {
        m_timer1->setInterval(100);
        m_timer1->start();
        return;
    }
    TrapSilent([&] {
        const int current = m_timer1->interval() / 1000;
        const int seconds = IniInt(QStringLiteral("Config"), QStringLiteral("UpdateCheck"), current);
        const qint64 ms = qint64(seconds) * 1000;
        // An interval the timer cannot take keeps the previous one.
        if (ms > 0 && ms <= 65535)
            m_timer1->setInterval(int(ms));
    });
    m_timer1->start();
}

void DlgMain::Toolbar1_ButtonClick(const QString& key) {
    if (key == QLatin1String("Write")) {
        // The booking dialog keeps the timer running however it is opened,
        // so that its slot list shows other workstations' changes.
        RearmTimer();
        Trap("DlgMain.Toolbar1_ButtonClick", [&] {
            if (m_sched->RowCount() >= 0) {
                EnableToolbar(false);
                const int row = m_sched->CurrentRow();
                Sched_ListDblClick(row < 0 ? 0 : row);
            } else {
                Messages::Warning(QStringLiteral("No resources configured!"));
            }
        });
        EnableToolbar(true);
        return;
    }
    m_timer1->stop();
    const BusyScope busy(m_busy);
    if (key == QLatin1String("Exit")) {
        Trap("DlgMain.Toolbar1_ButtonClick", [&] {
            EnableToolbar(false);
            Settings::Ini().WriteValue(QStringLiteral("Sched"), QStringLiteral("ListWidth"),
                                       m_sched->ListWidth());
            m_programClose = true;
            close();
        });
        // A close put off until a running rebuild stops needs the timer.
        if (m_closeRequest && !m_unloaded)
            RearmTimer();
        return;
    }
    // The toolbar stays off while the command runs.
    EnableToolbar(false);
    Trap("DlgMain.Toolbar1_ButtonClick", [&] {
        if (key == QLatin1String("Binocular")) {
            DlgSearch search(this);
            ModalWindow::Show(&search);
        } else if (key == QLatin1String("Calendar")) {
            const int row = m_sched->CurrentRow();
            DlgCalendar::Choose(row < 0 ? 0 : m_sched->RowData(row));
            SetCurrentDate(DlgCalendar::Instance().SelDate());
        } else if (key == QLatin1String("Today")) {
            // A new date is shown at the time of day it is now.
            SetCurrentDate(ClsDate::Today());
        } else if (key == QLatin1String("Config")) {
            {
                DlgConfig dialog(this);
                ModalWindow::Show(&dialog);
            }
            // Rebuilt whatever the dialog did: it may have switched to another database.
            ShowGroups(IniInt(QStringLiteral("Group"), QStringLiteral("CbGroup"), 0));
            SetupDefaults();
        } else if (key == QLatin1String("Group")) {
            Toolbar1_ButtonMenuClick(QStringLiteral("AddGroup"));
        } else if (key == QLatin1String("Resource")) {
            Toolbar1_ButtonMenuClick(QStringLiteral("AddRes"));
        } else if (key == QLatin1String("Screen")) {
            Toolbar1_ButtonMenuClick(QStringLiteral("Hours"));
        } else if (key == QLatin1String("Print")) {
            m_schedArea->Print(QStringLiteral("Tarvelo - ") +
                                   ClsDate::FormatDate(CurrentDate(),
                                                       QStringLiteral("dddd d mmmm yyyy")),
                               PrintFooter());
        } else if (key == QLatin1String("Help")) {
            ContextIDs::ShowHelp(ContextIDs::HelpMain);
        }
    });
    EnableToolbar(true);
    RearmTimer();
}

void DlgMain::Toolbar1_ButtonMenuClick(const QString& key) {
    m_timer1->stop();
    const BusyScope busy(m_busy);
    Trap("DlgMain.Toolbar1_ButtonMenuClick", [&] {
        if (DefinitionCommands::Run(*this, key))
            return;
        if (key == QLatin1String("Hours") || key == QLatin1String("Days") ||
            key == QLatin1String("Weeks")) {
            EnableToolbar(false);
            const int type = key == QLatin1String("Hours") ? 0 : key == QLatin1String("Days") ? 1 : 2;
            Settings::Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("TimeType"), type);
            ShowResources(0);
            EnableToolbar(true);
        }
    });
    RearmTimer();
}

void DlgMain::mnuResourceSaveTemplate_Click() {
    Trap("DlgMain.mnuResourceSaveTemplate_Click", [&] {
        if (m_cbGroup->currentIndex() < 0)
            Messages::Warning(QStringLiteral("No current group!"));
        else
            Records::Group().SaveTemplate(SelectedGroupId());
    });
}

void DlgMain::mnuResourceLoadTemplate_Click() {
    Trap("DlgMain.mnuResourceLoadTemplate_Click", [&] {
        DlgTemplate dialog(this);
        ModalWindow::Show(&dialog);
        ShowGroups(Records::Group().GroupId());
    });
}

void DlgMain::mnuHelpAbout_Click() {
    Trap("DlgMain.mnuHelpAbout_Click", [&] { AboutBox::Show(this); });
}

void DlgMain::mnuBookingHistory_Click() {
    // The schedule keeps no bar selected: the history opens on the current
    // resource's day; an appointment's own comes from the booking dialog.
    const int row = m_sched->CurrentRow();
    DlgHistory::Open(this, 0, row > 0 ? m_sched->RowData(row) : 0, CurrentDate());
}

void DlgMain::mnuBookingUndo_Click() { UndoRedo(true); }

void DlgMain::mnuBookingRedo_Click() { UndoRedo(false); }

void DlgMain::UndoRedo(bool back) {
    // The booking dialog over the window holds what it shows and will store.
    if (DlgAppt::IsShown())
        return;
    m_timer1->stop();
    const BusyScope busy(m_busy);
    Trap(back ? "DlgMain.mnuBookingUndo_Click" : "DlgMain.mnuBookingRedo_Click", [&] {
        EnableToolbar(false);
        m_undo->Run(back);
        const int row = m_sched->CurrentRow();
        ShowResources(row > 0 ? m_sched->RowData(row) : 0);
    });
    EnableToolbar(true);
    RearmTimer();
}

void DlgMain::OfferSample() {
    Trap("DlgMain.OfferSample", [&] {
        if (!Messages::Confirm(QStringLiteral("Start with a sample clinic?")))
            return;
        QString message;
        if (!SampleDatabase::Load(&message)) {
            Messages::Warning(message);
            return;
        }
        ShowGroups(0);
        if (m_cbGroup->count() > 0) {
            m_cbGroup->setCurrentIndex(0);
            CbGroup_Click();
        }
        SetCurrentDate(ClsDate::Today());
    });
}

void DlgMain::Form_Activate() {
    if (m_activated || !m_started)
        return;
    Trap("DlgMain.Form_Activate", [&] {
        m_activated = true;
        WindowPlacement::Restore(this, QStringLiteral("DlgMain"));
    });
    m_timer1->setInterval(15000);
    m_timer1->start();
}

void DlgMain::Timer1_Timer() {
    m_timer1->stop();
    if (m_busy > 0)
        return; // the command's end re-arms the timer
    if (m_closeRequest) {
        // Not while a loop is still letting events run: the next tick.
        if (EventPump::Depth() > 0) {
            m_timer1->start();
            return;
        }
        m_programClose = true;
        close();
        return;
    }
    const bool ok = Trap("DlgMain.Timer1_Timer", [&] {
        CheckForChanges();
        // Once per outage: every command would fail until the server is back.
        const bool lost = Database::DAO().ConnectionLost();
        if (lost && !m_serverLostShown) {
            m_serverLostShown = true;
            Messages::Warning(QStringLiteral(
                "The connection to the database server is lost.\n\n"
                "Tarvelo tries again at every command; until the server answers, nothing "
                "can be read or saved."));
        } else if (!lost) {
            m_serverLostShown = false;
        }
        // The view follows the clock only while no window is open over it:
        // the date of an open window is the user's, never the timer's.
        if (IniInt(QStringLiteral("Options"), QStringLiteral("Autoscroll"), 0) != 0 &&
            !DlgAppt::IsShown() && !QApplication::activeModalWidget()) {
            --m_holdOff;
            if (m_holdOff < 1) {
                SetCurrentDate(ClsDate::Today());
                m_holdOff = 20;
            }
        }
    });
    if (ok)
        m_timer1->start();
}

void DlgMain::CheckForChanges() {
    // A bar being dragged keeps the schedule as it is; the change marker
    // stays for the next check.
    if (m_sched->BarDragging())
        return;
    if (!Database::DAO().Updated())
        return;
    const qint32 group = SelectedGroupId();
    const SchedulePane::News news = m_schedArea->FollowJournal(ShownSelection(), m_filling);
    bool rebuild = news == SchedulePane::News::All;
    const bool reloaded = news == SchedulePane::News::Rows;
    if (reloaded) {
        m_bookingSignature = m_schedArea->Signature();
    } else if (news == SchedulePane::News::Unknown) {
        // No journal, or a change that left no entry in it (a workstation
        // with an earlier version): the bookings in view tell.
        const qint32 signature =
            Records::Booking().BookingCheck(m_sched->FirstDate(), m_sched->LastDate(), group);
        rebuild = signature != m_bookingSignature;
        m_bookingSignature = signature;
    }
    if (rebuild) {
        m_cbGroup->setCurrentIndex(-1);
        ClsForms::SelectItemId(m_cbGroup, group);
    }
    if ((rebuild || reloaded) && DlgAppt::IsShown())
        DlgAppt::Instance().Refresh();
}

void DlgMain::DatabaseChanged() {
    if (m_changeCheckPending || m_unloaded)
        return;
    m_changeCheckPending = true;
    // A short pause gathers the announcements of one command's statements.
    QTimer::singleShot(50, this, [this] {
        m_changeCheckPending = false;
        // While a command runs or the window closes, the timer's next tick
        // makes the check.
        if (m_busy > 0 || m_closeRequest || m_unloaded || !m_timer1->isActive())
            return;
        Trap("DlgMain.DatabaseChanged", [&] { CheckForChanges(); });
    });
}

void DlgMain::RunTransfer(const char* where, const std::function<void()>& command) {
    m_timer1->stop();
    const BusyScope busy(m_busy);
    Trap(where, [&] {
        EnableToolbar(false);
        m_sched->setEnabled(false);
        command();
    });
    m_sched->setEnabled(true);
    EnableToolbar(true);
    RearmTimer();
}

void DlgMain::mnuTransferBackup_Click() {
    RunTransfer("DlgMain.mnuTransferBackup_Click", [] { TransferCommands::Backup(); });
}

void DlgMain::mnuTransferRestore_Click() {
    RunTransfer("DlgMain.mnuTransferRestore_Click", [this] {
        TransferCommands::Restore(this, [this] { ShowGroups(SelectedGroupId()); });
    });
}

void DlgMain::mnuTransferExport_Click() {
    RunTransfer("DlgMain.mnuTransferExport_Click", [this] {
        const int row = m_sched->CurrentRow();
        TransferCommands::ExportCsv(row, row > 0 ? m_sched->RowData(row) : 0,
                                    row > 0 ? m_sched->CellText(row, 1) : QString());
    });
}

void DlgMain::mnuTransferExportCalendar_Click() {
    RunTransfer("DlgMain.mnuTransferExportCalendar_Click", [this] {
        const int row = m_sched->CurrentRow();
        DlgExportCalendar dialog(this, SelectedGroupId(), row > 0 ? m_sched->RowData(row) : 0,
                                 row > 0 ? m_sched->CellText(row, 1) : QString());
        if (ModalWindow::Show(&dialog) == QDialog::Accepted)
            dialog.RunExport();
    });
}

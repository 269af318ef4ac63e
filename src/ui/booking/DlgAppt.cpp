#include "ui/booking/DlgAppt.h"

#include "base/ClsIni.h"
#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "base/Messages.h"
#include "base/ModalWindow.h"
#include "base/Settings.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/BookingSummary.h"
#include "model/ClsBooking.h"
#include "model/ClsCustomer.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "model/ClsResource.h"
#include "model/ClsTask.h"
#include "model/DaySlots.h"
#include "model/FreeSlot.h"
#include "model/Records.h"
#include "model/StoredRow.h"
#include "transfer/IcsExport.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/booking/DlgHistory.h"
#include "ui/booking/DlgRepeat.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/IconFactory.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/SpinButtons.h"
#include "ui/definitions/DlgApptType.h"
#include "ui/definitions/DlgContact.h"
#include "ui/help/ContextIDs.h"
#include "ui/main/DlgExportCalendar.h"
#include "ui/main/DlgMain.h"
#include "ui/preview/DlgPreview.h"

#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QShowEvent>
#include <QTime>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <limits>

namespace {
DlgAppt* g_instance = nullptr;

// Smallest size of the window in its normal state (9600 by 6450 twips).
constexpr int kMinWidth = 640;
constexpr int kMinHeight = 430;
// Width of the "Appointment Details" frame; the time-slot frame takes the rest.
constexpr int kDetailsWidth = 248;
// Height given up by the list to the "Move Appointment" line (360 twips).
constexpr int kMoveLineHeight = 24;
// Next Free Slot searches the dates the weeks view shows: today and the 60
// days after it.
constexpr int kFreeSlotDays = 61;
// Last minute of the day: no booking may start or end after it.
constexpr int kDayMinutes = 1440;

const QString kCrLf = QStringLiteral("\r\n");

QString Num(qint64 v) { return QString::number(v); }

int IniInt(const QString& section, const QString& key, int def) {
    return Settings::Ini().GetValue(section, key, def).toInt();
}

// Leading and trailing blanks removed; line breaks and other characters
// inside or around the text stay as they are.
QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

// A text column that may hold no value: a null reads as empty text.
QString TextOrEmpty(const FieldValue& field) { return field.IsNull() ? QString() : field.Text(); }

QLabel* TimeLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00:00 pm")) + 12);
    return label;
}
} // namespace

DlgAppt& DlgAppt::Instance() {
    if (!g_instance)
        g_instance = new DlgAppt;
    return *g_instance;
}

void DlgAppt::Release() {
    delete g_instance;
    g_instance = nullptr;
}

bool DlgAppt::IsShown() { return g_instance && g_instance->isVisible(); }

DlgAppt::DlgAppt(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgAppt"));
    setWindowTitle(QStringLiteral("Appointment"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    BuildWindow();
    BuildToolbar();
    BuildMenus();
}

// ---------------------------------------------------------------------------
// Building the window

void DlgAppt::BuildWindow() {
    // Left: the resource and its day as time slots.
    m_frame1[0] = new QGroupBox(QStringLiteral("Resource/Timeslot"), this);
    m_frame1[0]->setObjectName(QStringLiteral("Frame1_0"));
    m_cbResource = new QComboBox(m_frame1[0]);
    m_cbResource->setObjectName(QStringLiteral("CbResource"));
    m_cbResource->setToolTip(QStringLiteral("Resource"));
    connect(m_cbResource, &QComboBox::activated, this, [this] { CbResource_Click(); });
    m_spinDate = new SpinButtons(Qt::Horizontal, m_frame1[0]);
    m_spinDate->setObjectName(QStringLiteral("SpinDate"));
    m_spinDate->setToolTip(QStringLiteral("Date Forward/Back"));
    m_spinDate->SetToolTips(QStringLiteral("Next day"), QStringLiteral("Previous day"));
    // The right arrow shows the next day, the left one the day before.
    connect(m_spinDate, &SpinButtons::SpinClicked, this,
            [this](int direction) { SpinDate_Click(direction == SpinButtons::Increase ? 1 : 0); });
    m_lbTimeSlot = new ItemList(m_frame1[0]);
    m_lbTimeSlot->setObjectName(QStringLiteral("LbTimeSlot"));
    connect(m_lbTimeSlot, &ItemList::ItemClick, this,
            [this](int row, int column) { LbTimeslot_ItemClick(row, column); });
    // The form always shows the highlighted slot, however the highlight got
    // there (a click, a press dragged onto another row, the keys), so that
    // Submit, Delete and Move act on the booking the user sees. While moving,
    // the highlight only chooses the new slot; Enter or a click moves the
    // booking there.
    connect(m_lbTimeSlot, &ItemList::UserRowChange, this, [this](int row) {
        if (!m_moveMode)
            LbTimeslot_ItemClick(row, 0);
    });
    // While a move waits for its new slot, the line says what to do.
    m_lblMove = new QLabel(QStringLiteral("Move Appointment: click its new time slot, or Cancel"),
                           m_frame1[0]);
    m_lblMove->setObjectName(QStringLiteral("LblMove"));
    m_lblMove->setAlignment(Qt::AlignCenter);
    m_lblMove->setFixedHeight(std::max(kMoveLineHeight, m_lblMove->fontMetrics().height() + 8));
    m_lblMove->setAutoFillBackground(true);
    {
        QPalette palette = m_lblMove->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Highlight));
        palette.setColor(QPalette::WindowText, palette.color(QPalette::HighlightedText));
        m_lblMove->setPalette(palette);
        QFont bold = m_lblMove->font();
        bold.setBold(true);
        m_lblMove->setFont(bold);
    }
    m_lblMove->setVisible(false);
    auto* resourceRow = new QHBoxLayout;
    resourceRow->addWidget(m_cbResource, 1);
    resourceRow->addWidget(m_spinDate);
    auto* left = new QVBoxLayout(m_frame1[0]);
    left->addLayout(resourceRow);
    left->addWidget(m_lbTimeSlot, 1);
    left->addWidget(m_lblMove);

    // Right: the booking form.
    m_frame1[1] = new QGroupBox(QStringLiteral("Appointment Details"), this);
    m_frame1[1]->setObjectName(QStringLiteral("Frame1_1"));
    m_frame1[1]->setFixedWidth(kDetailsWidth);
    QWidget* form = m_frame1[1];
    m_cbTask = new QComboBox(form);
    m_cbTask->setObjectName(QStringLiteral("CbTask"));
    connect(m_cbTask, &QComboBox::activated, this, [this] { CbTask_Click(); });
    m_cbCustomer = new QComboBox(form);
    m_cbCustomer->setObjectName(QStringLiteral("CbCustomer"));
    connect(m_cbCustomer, &QComboBox::activated, this, [this] { CbCustomer_Click(); });
    for (std::size_t i = 0; i < m_txtRef.size(); ++i) {
        m_txtRef[i] = new QLineEdit(form);
        m_txtRef[i]->setObjectName(QStringLiteral("TxtRef0%1").arg(i + 1));
        m_txtRef[i]->setPlaceholderText(QStringLiteral("Reference #%1").arg(i + 1));
        m_txtRef[i]->installEventFilter(this);
    }
    m_txtComments = new QPlainTextEdit(form);
    m_txtComments->setObjectName(QStringLiteral("TxtComments"));
    m_txtComments->setTabChangesFocus(true);
    m_lblStart = TimeLabel(QStringLiteral("LblStart"), form);
    m_lblEnd = TimeLabel(QStringLiteral("LblEnd"), form);
    m_spinStart = new SpinButtons(Qt::Vertical, form);
    m_spinStart->setObjectName(QStringLiteral("SpinStart"));
    m_spinStart->SetToolTips(QStringLiteral("Start later"), QStringLiteral("Start earlier"));
    connect(m_spinStart, &SpinButtons::SpinClicked, this,
            [this](int direction) { SpinStart_Click(direction); });
    m_spinEnd = new SpinButtons(Qt::Vertical, form);
    m_spinEnd->setObjectName(QStringLiteral("SpinEnd"));
    m_spinEnd->SetToolTips(QStringLiteral("End later"), QStringLiteral("End earlier"));
    connect(m_spinEnd, &SpinButtons::SpinClicked, this,
            [this](int direction) { SpinEnd_Click(direction); });

    auto* formLayout = new QVBoxLayout(form);
    formLayout->setSpacing(3);
    formLayout->addWidget(new QLabel(QStringLiteral("Appointment type:"), form));
    formLayout->addWidget(m_cbTask);
    formLayout->addWidget(new QLabel(QStringLiteral("Contact:"), form));
    formLayout->addWidget(m_cbCustomer);
    formLayout->addWidget(new QLabel(QStringLiteral("References:"), form));
    for (QLineEdit* box : m_txtRef)
        formLayout->addWidget(box);
    formLayout->addWidget(new QLabel(QStringLiteral("Comments:"), form));
    formLayout->addWidget(m_txtComments, 1);
    auto* times = new QGridLayout;
    times->setHorizontalSpacing(4);
    times->addWidget(new QLabel(QStringLiteral("Start:"), form), 0, 0);
    times->addWidget(m_lblStart, 0, 1);
    times->addWidget(m_spinStart, 0, 2);
    times->addWidget(new QLabel(QStringLiteral("End:"), form), 1, 0);
    times->addWidget(m_lblEnd, 1, 1);
    times->addWidget(m_spinEnd, 1, 2);
    times->setColumnStretch(1, 1);
    formLayout->addLayout(times);
    const QStringList captions = {QStringLiteral("&Submit"), QStringLiteral("&Repeat"),
                                  QStringLiteral("&Delete"), QStringLiteral("&Move")};
    auto* buttons = new QGridLayout;
    buttons->setSpacing(4);
    for (int i = 0; i < 4; ++i) {
        auto* button = new QPushButton(captions[i], form);
        button->setObjectName(QStringLiteral("BtnTask%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { BtnTask_Click(i); });
        buttons->addWidget(button, i / 2, i % 2);
        m_btnTask[std::size_t(i)] = button;
    }
    formLayout->addLayout(buttons);
    // The next free slot from now that fits the chosen type's first length.
    m_btnFreeSlot = new QPushButton(QStringLiteral("&Next Free Slot"), form);
    m_btnFreeSlot->setObjectName(QStringLiteral("BtnFreeSlot"));
    m_btnFreeSlot->setAutoDefault(false);
    connect(m_btnFreeSlot, &QPushButton::clicked, this, [this] { FindFreeSlot(); });
    m_chkAnyResource = new QCheckBox(QStringLiteral("in &any resource of the group"), form);
    m_chkAnyResource->setObjectName(QStringLiteral("ChkAnyResource"));
    formLayout->addWidget(m_btnFreeSlot);
    formLayout->addWidget(m_chkAnyResource);

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setIconSize(QSize(24, 24));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto* body = new QHBoxLayout;
    body->addWidget(m_frame1[0], 1);
    body->addWidget(m_frame1[1]);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->addWidget(m_toolbar);
    layout->addLayout(body, 1);

    setMinimumSize(kMinWidth, kMinHeight);
    resize(840, 600);
}

void DlgAppt::BuildToolbar() {
    struct Button {
        const char* key;
        const char* tip;
        const char* image;
        QList<QPair<const char*, const char*>> entries;
    };
    const QList<Button> buttons = {
        {"Exit", "", "Exit", {}},
        {"Calendar", "Change Date", "Watch", {}},
        {"TaskDef",
         "Define Appointment Type",
         "Task",
         {{"&Add Type", "AddTask"}, {"&Edit Type", "EditTask"}, {"&Delete Type", "DeleteTask"}}},
        {"People",
         "Define Contact",
         "Customer",
         {{"&Add Contact", "AddCustomer"},
          {"&Edit Contact", "EditCustomer"},
          {"&Delete Contact", "DeleteCustomer"}}},
        {"Print", "Print Schedule", "Print", {}},
        {"Help", "Online Help", "Help", {}},
    };
    for (const Button& b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        QAction* action = m_toolbar->addAction(IconFactory::Icon(QString::fromLatin1(b.image)), key);
        action->setObjectName(key);
        action->setData(key);
        action->setToolTip(QString::fromLatin1(b.tip).isEmpty() ? key : QString::fromLatin1(b.tip));
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        m_toolActions.insert(key, action);
        if (!b.entries.isEmpty()) {
            auto* menu = new QMenu(this);
            for (const auto& entry : b.entries) {
                const QString entryKey = QString::fromLatin1(entry.second);
                QAction* item = menu->addAction(QString::fromLatin1(entry.first));
                item->setObjectName(entryKey);
                item->setData(entryKey);
                connect(item, &QAction::triggered, this,
                        [this, entryKey] { Toolbar1_ButtonMenuClick(entryKey); });
                m_toolActions.insert(entryKey, item);
            }
            action->setMenu(menu);
            if (auto* button = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(action)))
                button->setPopupMode(QToolButton::MenuButtonPopup);
        }
        if (key == QLatin1String("Exit") || key == QLatin1String("Calendar") ||
            key == QLatin1String("People") || key == QLatin1String("Print"))
            m_toolbar->addSeparator();
    }
}

QAction* DlgAppt::AddMenuEntry(QMenu* menu, const QString& name, const QString& caption,
                               std::function<void()> handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    // The menu entries only pass the command on; a failure ends them silently.
    connect(action, &QAction::triggered, this, [handler] { TrapSilent(handler); });
    m_menuActions.insert(name, action);
    return action;
}

void DlgAppt::BuildMenus() {
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("MenuBar"));
    layout()->setMenuBar(m_menuBar);

    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    AddMenuEntry(file, QStringLiteral("mnuFilePrint"), QStringLiteral("&Print"),
                 [this] { Toolbar1_ButtonClick(QStringLiteral("Print")); });
    file->addSeparator()->setObjectName(QStringLiteral("mnuFilePad1"));
    AddMenuEntry(file, QStringLiteral("mnuFileExit"), QStringLiteral("E&xit"),
                 [this] { Toolbar1_ButtonClick(QStringLiteral("Exit")); });

    QMenu* booking = m_menuBar->addMenu(QStringLiteral("&Booking"));
    booking->setObjectName(QStringLiteral("mnuBooking"));
    AddMenuEntry(booking, QStringLiteral("mnuBookingSubmit"), QStringLiteral("&Submit Booking"),
                 [this] { BtnTask_Click(0); });
    AddMenuEntry(booking, QStringLiteral("mnuBookingDelete"), QStringLiteral("Delete &Booking"),
                 [this] { BtnTask_Click(2); });
    booking->addSeparator()->setObjectName(QStringLiteral("mnuBookingPad1"));
    AddMenuEntry(booking, QStringLiteral("mnuBookingMove"), QStringLiteral("&Move Booking"),
                 [this] { BtnTask_Click(3); });
    booking->addSeparator()->setObjectName(QStringLiteral("mnuBookingPad2"));
    AddMenuEntry(booking, QStringLiteral("mnuBookingFreeSlot"), QStringLiteral("&Next Free Slot"),
                 [this] { FindFreeSlot(); });
    AddMenuEntry(booking, QStringLiteral("mnuBookingChangeDate"), QStringLiteral("Change &Date"),
                 [this] { Toolbar1_ButtonClick(QStringLiteral("Calendar")); });
    AddMenuEntry(booking, QStringLiteral("mnuBookingSendToCalendar"),
                 QStringLiteral("Send to &Calendar..."), [this] { SendToCalendar(); });
    // The selected appointment's history, or on a free slot the resource's day.
    AddMenuEntry(booking, QStringLiteral("mnuBookingHistory"), QStringLiteral("&History..."),
                 [this] {
                     const int row = m_lbTimeSlot->SelectedRow();
                     DlgHistory::Open(this, row < 0 ? 0 : m_lbTimeSlot->RowValue(row),
                                      ClsForms::GetItemId(m_cbResource), ApptDate());
                 });

    QMenu* task = m_menuBar->addMenu(QStringLiteral("&Task"));
    task->setObjectName(QStringLiteral("mnuTask"));
    AddMenuEntry(task, QStringLiteral("mnuTaskAdd"), QStringLiteral("&Add Task"),
                 [this] { Toolbar1_ButtonMenuClick(QStringLiteral("AddTask")); });
    AddMenuEntry(task, QStringLiteral("mnuTaskEdit"), QStringLiteral("&Edit Task"),
                 [this] { Toolbar1_ButtonMenuClick(QStringLiteral("EditTask")); });
    AddMenuEntry(task, QStringLiteral("mnuTaskDelete"), QStringLiteral("&Delete Task"),
                 [this] { Toolbar1_ButtonMenuClick(QStringLiteral("DeleteTask")); });

    QMenu* contact = m_menuBar->addMenu(QStringLiteral("&Contact"));
    contact->setObjectName(QStringLiteral("mnuContact"));
    AddMenuEntry(contact, QStringLiteral("mnuContactAdd"), QStringLiteral("&Add Contact"),
                 [this] { Toolbar1_ButtonMenuClick(QStringLiteral("AddCustomer")); });
    AddMenuEntry(contact, QStringLiteral("mnuContactEdit"), QStringLiteral("&Edit Contact"),
                 [this] { Toolbar1_ButtonMenuClick(QStringLiteral("EditCustomer")); });
    AddMenuEntry(contact, QStringLiteral("mnuContactDelete"), QStringLiteral("&Delete Contact"),
                 [this] { Toolbar1_ButtonMenuClick(QStringLiteral("DeleteCustomer")); });

    // "Help" is a command of the menu bar itself, without a drop-down.
    QAction* help = m_menuBar->addAction(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(help, &QAction::triggered, this,
            [this] { TrapSilent([&] { Toolbar1_ButtonClick(QStringLiteral("Help")); }); });
    m_menuActions.insert(QStringLiteral("mnuHelp"), help);

    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this,
            [this] { Toolbar1_ButtonClick(QStringLiteral("Help")); });
}

// ---------------------------------------------------------------------------
// Properties, loading and unloading

void DlgAppt::SetGroupId(qint32 groupId) {
    m_groupId = groupId;
    Records::Task().SetGroupId(groupId);
}

qint32 DlgAppt::ApptDate() const { return m_apptDate; }

void DlgAppt::SetApptDate(qint32 day) {
    EnsureLoaded();
    // The window keeps the date the user chose: nothing else that moves the
    // program's current date (the main window's timer, say) changes the day
    // this window books on. The calendar and the main window follow it.
    day = ClsDate::WithinShown(day);
    m_apptDate = day;
    DlgCalendar::Instance().SetSelDate(day);
    m_lbTimeSlot->SetHeading(ClsDate::FormatDate(day, QStringLiteral("dddd d mmmm yyyy")));
    if (isVisible()) {
        if (DlgMain* main = DlgMain::Instance())
            main->SetCurrentDate(day);
    }
    ShowBookings();
}

void DlgAppt::EnsureLoaded() {
    if (!m_loaded)
        Form_Load();
}

void DlgAppt::Form_Load() {
    m_loaded = true;
    Trap("DlgBook.Form_Load", [&] {
        m_activated = false;
        m_moveMode = false;
        ShowMoveMode(false);
        ClsForms::EnableToolbar(m_toolbar, true);
        QWidget* owner = ContextIDs::HelpOwner();
        ClsForms::CentreForm(this, owner);
        m_militaryTime = IniInt(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 0) != 0;
        // A modal window restored minimised would block the program out of
        // sight, so only the maximised state is taken over.
        const int state = IniInt(QStringLiteral("DlgAppt"), QStringLiteral("WindowState"), 0);
        setWindowState(state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
        if (state != 2)
            ClsForms::CentreForm(this, owner);
        const ClsGroup& group = Records::Group();
        m_lblStart->setText(ClsDate::ShowTime(group.DayStart(), true));
        m_lblEnd->setText(ClsDate::ShowTime(group.DayEnd(), true));
        m_lbTimeSlot->setFont(font());
        // A freshly loaded window starts with empty boxes and lists.
        m_txtComments->clear();
        m_shownComments.clear();
        for (QLineEdit* box : m_txtRef)
            box->clear();
        m_cbResource->clear();
        m_cbTask->clear();
        m_cbCustomer->clear();
        Records::Group().Load(m_groupId);
        m_lbTimeSlot->ClearColumns();
        m_lbTimeSlot->SetHeading(QString());
        m_lbTimeSlot->AddColumn(QStringLiteral("Time"), 90);
        m_lbTimeSlot->AddColumn(QStringLiteral("Booking"), 120);
        m_lbTimeSlot->AddColumn(QStringLiteral("Customer"), 120);
        m_lbTimeSlot->AddColumn(QStringLiteral("Ref 01"), 60);
        m_lbTimeSlot->AddColumn(QStringLiteral("Ref 02"), 60);
        m_lbTimeSlot->AddColumn(QStringLiteral("Ref 03"), 60);
        m_lbTimeSlot->SetGridLines(true);
        m_lbTimeSlot->Tree()->setAllColumnsShowFocus(true);
    });
}

void DlgAppt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    EnsureLoaded();
    Form_Activate();
}

void DlgAppt::Form_Activate() {
    Trap("DlgAppt.Form_Activate", [&] {
        if (m_activated)
            return;
        m_activated = true;
        ShowResources();
        ShowTasks(0);
        ShowCustomers(0);
        SetupEnabled();
        EventPump::Run();
        // The row of the slot that holds StartTime, matched by the slot's start
        // (the row's tag), whatever the display form of the times.
        const int interval = Records::Group().Interval();
        int found = -1;
        for (int row = 0; row < m_lbTimeSlot->RowCount() && found < 0; ++row) {
            const int slot = m_lbTimeSlot->RowTag(row).toInt();
            if (slot == m_startTime || (slot < m_startTime && m_startTime < slot + interval))
                found = row;
        }
        if (found < 0)
            return;
        m_lbTimeSlot->EnsureRowVisible(found);
        LbTimeslot_ItemClick(found, 1);
        if (m_taskId != 0)
            ClsForms::SelectItemId(m_cbTask, m_taskId);
    });
}

void DlgAppt::done(int result) {
    if (!m_unloading) {
        m_unloading = true;
        Form_Unload();
        m_unloading = false;
    }
    QDialog::done(result);
}

void DlgAppt::Form_Unload() {
    m_loaded = false;
    Trap("DlgAppt.Form_Unload", [&] {
        ClsIni& ini = Settings::Ini();
        const QString section = QStringLiteral("DlgAppt");
        const QRect frame = frameGeometry();
        ini.WriteValue(section, QStringLiteral("Height"), frame.height());
        ini.WriteValue(section, QStringLiteral("Width"), frame.width());
        ini.WriteValue(section, QStringLiteral("Left"), frame.left());
        ini.WriteValue(section, QStringLiteral("Top"), frame.top());
        const int state = isMaximized() ? 2 : isMinimized() ? 1 : 0;
        ini.WriteValue(section, QStringLiteral("WindowState"), state);
    });
}

// ---------------------------------------------------------------------------
// The lists

void DlgAppt::ShowResources() {
    Trap("DlgBook.ShowResources", [&] {
        ClsForms::FillCombo(m_cbResource,
                            QStringLiteral("select ResourceName, ResourceId from ") +
                                QStringLiteral("tblResources where GroupId = ") + Num(m_groupId) +
                                QStringLiteral(" order by ResourceName"),
                            true);
        ClsForms::SelectItemId(m_cbResource, m_resourceId);
    });
}

void DlgAppt::ShowTasks(qint32 taskId) {
    Trap("DlgBook.ShowTasks", [&] {
        m_cbTask->clear();
        ClsForms::AddListItem(m_cbTask, QStringLiteral("< No Booking >"), 0);
        ClsForms::FillCombo(m_cbTask, TaskListSql(), false);
        ClsForms::SelectItemId(m_cbTask, taskId);
    });
}

void DlgAppt::ShowCustomers(qint32 customerId) {
    Trap("DlgBook.ShowCustomers", [&] {
        m_cbCustomer->clear();
        ClsForms::AddListItem(m_cbCustomer, QStringLiteral("< No Customer >"), 0);
        ClsForms::FillCombo(m_cbCustomer, CustomerListSql(), false);
        ClsForms::SelectItemId(m_cbCustomer, customerId);
    });
}

void DlgAppt::Refresh() {
    Trap("DlgBook.Refresh", [&] {
        // The lists are filled again with what other workstations stored,
        // keeping every choice and everything typed: the handlers that would
        // load a record into the form do not run. A type or contact deleted
        // meanwhile is no longer offered.
        RefillQuietly(m_cbTask, QStringLiteral("< No Booking >"), TaskListSql());
        RefillQuietly(m_cbCustomer, QStringLiteral("< No Customer >"), CustomerListSql());
        ShowBookings();
    });
}

void DlgAppt::RefillQuietly(QComboBox* list, const QString& none, const QString& sql) {
    const qint32 id = ClsForms::GetItemId(list);
    const QSignalBlocker quiet(list);
    list->clear();
    ClsForms::AddListItem(list, none, 0);
    ClsForms::FillCombo(list, sql, false);
    const int index = list->findData(id, ClsForms::ItemRole);
    list->setCurrentIndex(index < 0 ? 0 : index);
}

QString DlgAppt::TaskListSql() const {
    return QStringLiteral("select TaskName, TaskId from tblTasks where ") +
           QStringLiteral("GroupId = ") + Num(Records::Task().GroupId()) +
           QStringLiteral(" order by TaskName");
}

QString DlgAppt::CustomerListSql() const {
    return QStringLiteral("select CustomerName, CustomerId from ") +
           QStringLiteral("tblCustomers where CustomerId in (select "
                          "CustomerId from tblCustomerGroups ") +
           QStringLiteral(" where GroupId = ") + Num(m_groupId) +
           QStringLiteral(") order by CustomerName");
}

void DlgAppt::ShowBookings() {
    Trap("DlgBook.ShowBookings", [&] {
        // What was highlighted stays highlighted when it is still there: the
        // same booking, or the same free slot (also when it now holds the
        // booking the form just stored).
        const int selected = m_lbTimeSlot->SelectedRow();
        const qint32 keepBooking = selected < 0 ? 0 : m_lbTimeSlot->RowValue(selected);
        const QString keepSlot = selected < 0 ? QString() : m_lbTimeSlot->RowTag(selected);
        m_lbTimeSlot->Clear();
        const ClsGroup& group = Records::Group();
        for (const DaySlots::Slot& slot :
             DaySlots::Load(ClsForms::GetItemId(m_cbResource), ApptDate(), group.DayStart(),
                            group.DayEnd(), group.Interval(), m_militaryTime)) {
            const int row = m_lbTimeSlot->AddRow(slot.cells);
            m_lbTimeSlot->SetRowTag(row, Num(slot.start));
            m_lbTimeSlot->SetRowValue(row, slot.bookingId);
            m_lbTimeSlot->SetRowColour(row, slot.colour);
        }
        if (selected >= 0) {
            const qint32 held = Records::Booking().BookingId();
            for (int row = 0; row < m_lbTimeSlot->RowCount(); ++row) {
                const qint32 value = m_lbTimeSlot->RowValue(row);
                const bool same =
                    keepBooking != 0
                        ? value == keepBooking
                        : m_lbTimeSlot->RowTag(row) == keepSlot && (value == 0 || value == held);
                if (same) {
                    m_lbTimeSlot->SetSelectedRow(row);
                    break;
                }
            }
        }
        // "09:00 to 09:30" needs more room than the column was given.
        m_lbTimeSlot->FitColumnToContents(0);
        SetupEnabled();
    });
}

// ---------------------------------------------------------------------------
// Slot click, spins, combos, enabling

void DlgAppt::LbTimeslot_ItemClick(int row, int column) {
    Q_UNUSED(column);
    Trap("DlgBook.LbTimeslot_ItemClick", [&] {
        ClsBooking& booking = Records::Booking();
        if (m_moveMode) {
            m_lbTimeSlot->SetSelectedRow(row);
            booking.InitBfr();
            if (booking.Load(m_moveBookingId)) {
                booking.SetResourceId(ClsForms::GetItemId(m_cbResource));
                booking.SetBookingDate(ApptDate());
                const int start = m_lbTimeSlot->RowTag(row).toInt();
                int end = start + m_moveEnd - m_moveStart;
                booking.SetBookingStart(qint16(start));
                ClsResource& resource = Records::Resource();
                ClsGroup& group = Records::Group();
                if (resource.Load(booking.ResourceId()) && group.Load(resource.GroupId()) &&
                    end > group.DayEnd() + group.Interval())
                    end = group.DayEnd() + group.Interval();
                // Never past the end of the day.
                end = qMin(end, kDayMinutes);
                const int interval = group.Interval();
                // Shorten the booking one slot at a time until it fits.
                while (end > start) {
                    if (booking.GetBookingId(booking.ResourceId(), booking.BookingDate(),
                                             qint16(start), qint16(end),
                                             booking.BookingId()) == 0)
                        break;
                    EventPump::Run();
                    end = interval > 0 ? end - interval : start;
                }
                if (end <= start) {
                    Messages::Warning(QStringLiteral("Unable to move appointment!") + kCrLf +
                                      kCrLf + QStringLiteral("Conflict with another appointment!"));
                } else {
                    booking.SetBookingEnd(qint16(end));
                    // Another workstation may have taken the time, or changed or
                    // deleted the booking, meanwhile.
                    if (booking.Save() == 0)
                        Messages::Warning(QStringLiteral("Unable to move appointment!") +
                                          SaveProblemText(booking.LastSaveProblem()));
                    else
                        ShowTimes(); // the form tells where the booking went
                }
            } else if (m_moveBookingId != 0) {
                Messages::Warning(QStringLiteral("Unable to move appointment!") +
                                  SaveProblemText(StoredRow::Lookup(Database::DAO(),
                                                                    QStringLiteral("tblBookings"),
                                                                    QStringLiteral("BookingId"),
                                                                    m_moveBookingId) ==
                                                          StoredRow::State::Gone
                                                      ? SaveProblem::Deleted
                                                      : SaveProblem::Failed));
            }
            BtnTask_Click(3);
            ShowBookings();
            return;
        }
        m_lbTimeSlot->SetSelectedRow(row);
        booking.InitBfr();
        if (booking.Load(m_lbTimeSlot->RowValue(row))) {
            ShowBookingInForm();
        } else {
            const int start = m_lbTimeSlot->RowTag(row).toInt();
            const int end = qMin(start + Records::Task().InitTime(), kDayMinutes);
            booking.SetBookingStart(qint16(start));
            booking.SetBookingEnd(qint16(end));
            ShowTimes();
        }
        // The selection changed: the buttons follow the enabling rule at once.
        SetupEnabled();
    });
}

void DlgAppt::ShowBookingInForm() {
    const ClsBooking& booking = Records::Booking();
    ShowTimes();
    ClsForms::SelectItemId(m_cbTask, booking.TaskId());
    ClsForms::SelectItemId(m_cbCustomer, booking.CustomerId());
    m_txtRef[0]->setText(booking.Ref01());
    m_txtRef[1]->setText(booking.Ref02());
    m_txtRef[2]->setText(booking.Ref03());
    m_shownComments = booking.Comments();
    m_txtComments->setPlainText(m_shownComments);
}

void DlgAppt::ShowTimes() {
    const ClsBooking& booking = Records::Booking();
    m_lblStart->setText(ClsDate::ShowTime(booking.BookingStart(), true));
    m_lblEnd->setText(ClsDate::ShowTime(booking.BookingEnd(), true));
}

void DlgAppt::SpinEnd_Click(int direction) {
    Trap("DlgBook.SpinEnd_Click", [&] {
        ClsBooking& booking = Records::Booking();
        const ClsTask& task = Records::Task();
        const int e0 = booking.BookingEnd();
        const int s = booking.BookingStart();
        const int step = task.Interval();
        int end = e0;
        if (!(direction != 0 && e0 <= s + step)) {
            end = direction == 0 ? e0 + step : e0 - step;
            if (end - s > task.MaxTime())
                end = s + task.MaxTime();
            if (end - s < task.MinTime())
                end = s + task.MinTime();
        }
        // Whichever way the spin went, the end never reaches into the next
        // booking (a longer minimum length of the type could push it there).
        const Recordset rs = Database::DAO().SqlQuery(
            QStringLiteral("select min(BookingStart) from tblBookings where ") +
            QStringLiteral("BookingStart >= ") + Num(e0) + QStringLiteral(" and BookingDate = ") +
            Num(ApptDate()) + QStringLiteral(" and ResourceId = ") +
            Num(ClsForms::GetItemId(m_cbResource)));
        if (rs.IsOpen() && !rs.Eof() && !rs.Fields(0).IsNull() && rs.Fields(0).Long() < end)
            end = rs.Fields(0).Long();
        // The end stays within the day and after the start.
        end = qMin(end, kDayMinutes);
        if (end <= s)
            end = e0;
        booking.SetBookingEnd(qint16(end));
        m_lblEnd->setText(ClsDate::ShowTime(booking.BookingEnd(), true));
    });
}

void DlgAppt::SpinStart_Click(int direction) {
    Trap("DlgBook.SpinStart_Click", [&] {
        ClsBooking& booking = Records::Booking();
        const ClsTask& task = Records::Task();
        const int s0 = booking.BookingStart();
        const int e = booking.BookingEnd();
        const int step = task.Interval();
        int start = s0;
        if (!(direction == 0 && s0 + step >= e)) {
            start = direction == 0 ? s0 + step : s0 - step;
            if (e - start > task.MaxTime())
                start = e - task.MaxTime();
            if (e - start < task.MinTime())
                start = e - task.MinTime();
        }
        // Nor does the start reach back into the booking before.
        const Recordset rs = Database::DAO().SqlQuery(
            QStringLiteral("select max(BookingEnd) from tblBookings where BookingEnd <= ") +
            Num(s0) + QStringLiteral(" and BookingDate = ") + Num(ApptDate()) +
            QStringLiteral(" and ResourceId = ") + Num(ClsForms::GetItemId(m_cbResource)));
        if (rs.IsOpen() && !rs.Eof() && !rs.Fields(0).IsNull() && rs.Fields(0).Long() > start)
            start = rs.Fields(0).Long();
        // The start stays within the day and before the end.
        start = qMax(start, 0);
        if (start >= e)
            start = s0;
        booking.SetBookingStart(qint16(start));
        m_lblStart->setText(ClsDate::ShowTime(booking.BookingStart(), true));
    });
}

void DlgAppt::SpinDate_Click(int direction) {
    Trap("DlgBook.SpinDate_Click",
         [&] { SetApptDate(direction == 0 ? ApptDate() - 1 : ApptDate() + 1); });
}

void DlgAppt::CbResource_Click() {
    Trap("DlgBook.CbResource_Click", [&] {
        m_resourceId = ClsForms::GetItemId(m_cbResource);
        ShowBookings();
    });
}

void DlgAppt::CbTask_Click() {
    Trap("DlgBook.CbTask_Click", [&] {
        Records::Task().Load(ClsForms::GetItemId(m_cbTask));
        SetupEnabled();
    });
}

void DlgAppt::CbCustomer_Click() {
    Trap("DlgBook.CbCustomer_Click", [&] {
        ClsCustomer& customer = Records::Customer();
        customer.Load(ClsForms::GetItemId(m_cbCustomer));
        m_txtRef[0]->setText(customer.Ref01());
        m_txtRef[1]->setText(customer.Ref02());
        m_txtRef[2]->setText(customer.Ref03());
        SetupEnabled();
    });
}

void DlgAppt::SetupEnabled() {
    Trap("DlgBook.SetupEnabled", [&] {
        EventPump::Run();
        const bool customerRequired =
            IniInt(QStringLiteral("Options"), QStringLiteral("CustomerRequired"), 0) != 0;
        const bool task = ClsForms::GetItemId(m_cbTask) != 0;
        const bool customer = ClsForms::GetItemId(m_cbCustomer) != 0;
        bool enabled;
        if (!customerRequired && m_lbTimeSlot->SelectedRow() >= 0)
            enabled = task;
        else
            enabled = task && customer;
        EnableMe(enabled);
    });
}

void DlgAppt::EnableMe(bool enabled) {
    TrapSilent([&] {
        m_spinStart->setEnabled(enabled);
        m_spinEnd->setEnabled(enabled);
        for (std::size_t i = 0; i < m_btnTask.size(); ++i)
            m_btnTask[i]->setEnabled(enabled);
        // A free slot is sought for a type, and not while a move waits.
        m_btnFreeSlot->setEnabled(ClsForms::GetItemId(m_cbTask) != 0 && !m_moveMode);
        // A move under way can always be cancelled.
        if (m_moveMode)
            m_btnTask[3]->setEnabled(true);
    });
}

void DlgAppt::TxtRef01_GotFocus() { ClsForms::SelectAllText(m_txtRef[0]); }
void DlgAppt::TxtRef02_GotFocus() { ClsForms::SelectAllText(m_txtRef[1]); }
void DlgAppt::TxtRef03_GotFocus() { ClsForms::SelectAllText(m_txtRef[2]); }

bool DlgAppt::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (std::size_t i = 0; i < m_txtRef.size(); ++i) {
            if (watched != m_txtRef[i])
                continue;
            // The box takes the focus (and places its caret) first, so that the
            // whole-text selection is the one that stays.
            watched->event(event);
            if (i == 0)
                TxtRef01_GotFocus();
            else if (i == 1)
                TxtRef02_GotFocus();
            else
                TxtRef03_GotFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Commands

void DlgAppt::BtnTask_Click(int index) {
    Trap("DlgBook.BtnTask_Click", [&] {
        switch (index) {
        case 0:
            Submit();
            break;
        case 1:
            Repeat();
            break;
        case 2:
            DeleteBooking();
            break;
        case 3:
            Move();
            break;
        default:
            break;
        }
    });
}

void DlgAppt::Submit() {
    ClsBooking& booking = Records::Booking();
    if (m_lbTimeSlot->SelectedRow() < 0) {
        Messages::Information(QStringLiteral("Information"),
                              QStringLiteral("Please select the timeslot!"));
        ShowBookings();
        return;
    }
    booking.SetBookingDate(ApptDate());
    booking.SetCustomerId(ClsForms::GetItemId(m_cbCustomer));
    booking.SetResourceId(ClsForms::GetItemId(m_cbResource));
    booking.SetTaskId(ClsForms::GetItemId(m_cbTask));
    booking.SetRef01(TrimBlanks(m_txtRef[0]->text()));
    booking.SetRef02(TrimBlanks(m_txtRef[1]->text()));
    booking.SetRef03(TrimBlanks(m_txtRef[2]->text()));
    booking.SetComments(CommentsText());
    if (booking.TaskId() == 0) {
        Messages::Exclamation(QStringLiteral("Error!"), QStringLiteral("No task selected!"));
        ShowBookings();
        return;
    }
    // A slot that leaves no time before the end of the day holds no booking.
    if (booking.BookingEnd() <= booking.BookingStart()) {
        Messages::Information(QStringLiteral("Information"),
                              QStringLiteral("Please select the timeslot!"));
        ShowBookings();
        return;
    }
    if (booking.Save() == 0 && !SaveRefused()) {
        ShowBookings();
        return;
    }
    if (DlgMain* main = DlgMain::Instance())
        main->ShowResources(0);
    ShowBookings();
}

bool DlgAppt::SaveRefused() {
    // Nothing was stored: say why, and keep what the user typed.
    ClsBooking& booking = Records::Booking();
    switch (booking.LastSaveProblem()) {
    case SaveProblem::Clash: {
        // Leave the form as it is so that the user can choose another time.
        const qint32 clash =
            booking.GetBookingId(booking.ResourceId(), booking.BookingDate(),
                                 booking.BookingStart(), booking.BookingEnd(), booking.BookingId());
        if (clash != 0)
            ShowClashWarning(clash);
        else
            Messages::Warning(QStringLiteral("Unable to save appointment!"));
        return false;
    }
    case SaveProblem::Changed:
        if (Messages::Confirm(
                QStringLiteral("This appointment was changed at another workstation.") + kCrLf +
                kCrLf +
                QStringLiteral("Nothing was saved. Show the appointment as it is "
                               "stored now?") +
                kCrLf + kCrLf +
                QStringLiteral("No keeps what you typed; Submit then saves it over "
                               "the other workstation's change."))) {
            if (booking.Load(booking.BookingId()))
                ShowBookingInForm();
        }
        return false;
    case SaveProblem::Deleted:
        if (!Messages::Confirm(
                QStringLiteral("This appointment was deleted at another workstation.") + kCrLf +
                kCrLf + QStringLiteral("Nothing was saved. Book it anew with what you typed?")))
            return false;
        // A new booking with the form's values, tested like any other.
        booking.SetBookingId(0);
        return booking.Save() != 0 || SaveRefused();
    case SaveProblem::ResourceGone:
    case SaveProblem::TypeGone:
    case SaveProblem::ContactGone:
        Messages::Warning(QStringLiteral("Unable to save appointment!") +
                          SaveProblemText(booking.LastSaveProblem()));
        // The lists no longer offer what is gone.
        Refresh();
        return false;
    default:
        Messages::Warning(QStringLiteral("Unable to save appointment!"));
        return false;
    }
}

QString DlgAppt::SaveProblemText(SaveProblem problem) {
    QString why;
    switch (problem) {
    case SaveProblem::Clash:
        why = QStringLiteral("Conflict with another appointment!");
        break;
    case SaveProblem::Changed:
        why = QStringLiteral("This appointment was changed at another workstation.");
        break;
    case SaveProblem::Deleted:
        why = QStringLiteral("This appointment was deleted at another workstation.");
        break;
    case SaveProblem::ResourceGone:
        why = QStringLiteral("The resource was deleted at another workstation.");
        break;
    case SaveProblem::TypeGone:
        why = QStringLiteral("The appointment type was deleted at another workstation.");
        break;
    case SaveProblem::ContactGone:
        why = QStringLiteral("The contact was deleted at another workstation.");
        break;
    default:
        break;
    }
    return why.isEmpty() ? QString() : kCrLf + kCrLf + why;
}

QString DlgAppt::CommentsText() const {
    const QString text = m_txtComments->toPlainText();
    // The text box turns every line break into a line feed; a comment that
    // was not edited keeps its stored line breaks (CR LF from elsewhere).
    QString shown = m_shownComments;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return TrimBlanks(text == shown ? m_shownComments : text);
}

void DlgAppt::ShowClashWarning(qint32 clashId) {
    QString detail;
    TrapSilent([&] {
        Recordset rs = Database::DAO().SqlQuery(
            QStringLiteral("select (select TaskName from tblTasks where TaskId = "
                           "tblBookings.TaskId), BookingStart, BookingEnd, (select CustomerName "
                           "from tblCustomers where CustomerId = tblBookings.CustomerId) from "
                           "tblBookings where BookingId = ") +
            Num(clashId));
        if (!rs.IsOpen() || rs.Eof())
            return;
        detail = TextOrEmpty(rs.Fields(0)) + QStringLiteral(" from ") +
                 ClsDate::ShowTime(rs.Fields(1).Int(), true) + QStringLiteral(" to ") +
                 ClsDate::ShowTime(rs.Fields(2).Int(), true);
        const QString contact = TextOrEmpty(rs.Fields(3));
        if (!contact.isEmpty())
            detail += QStringLiteral(" (") + contact + QLatin1Char(')');
    });
    QString text = QStringLiteral("Unable to save appointment!") + kCrLf + kCrLf +
                   QStringLiteral("Conflict with another appointment");
    text += detail.isEmpty() ? QStringLiteral("!") : QStringLiteral(": ") + detail;
    Messages::Warning(text);
}

void DlgAppt::Repeat() {
    ClsForms::EnableToolbar(m_toolbar, false);
    const ClsBooking& booking = Records::Booking();
    const qint32 task = ClsForms::GetItemId(m_cbTask);
    // A series needs an appointment type and a time span, as a single booking does.
    if (task == 0) {
        Messages::Exclamation(QStringLiteral("Error!"), QStringLiteral("No task selected!"));
    } else if (booking.BookingEnd() <= booking.BookingStart()) {
        Messages::Information(QStringLiteral("Information"),
                              QStringLiteral("Please select the timeslot!"));
    } else {
        DlgRepeat repeat(this);
        repeat.SetApptDate(ApptDate());
        repeat.SetStartTime(booking.BookingStart());
        repeat.SetEndTime(booking.BookingEnd());
        repeat.SetGroupId(m_groupId);
        repeat.SetResourceId(ClsForms::GetItemId(m_cbResource));
        repeat.SetCustomerId(ClsForms::GetItemId(m_cbCustomer));
        repeat.SetTaskId(task);
        repeat.SetRef01(TrimBlanks(m_txtRef[0]->text()));
        repeat.SetRef02(TrimBlanks(m_txtRef[1]->text()));
        repeat.SetRef03(TrimBlanks(m_txtRef[2]->text()));
        repeat.SetComments(CommentsText());
        repeat.Form_Load();
        ModalWindow::Show(&repeat);
        ShowBookings();
    }
    ClsForms::EnableToolbar(m_toolbar, true);
}

void DlgAppt::DeleteBooking() {
    const int row = m_lbTimeSlot->SelectedRow();
    if (row < 0 || m_lbTimeSlot->RowValue(row) == 0)
        return;
    switch (ConfirmDelete(m_lbTimeSlot->RowValue(row))) {
    case DeleteResult::Declined:
        return;
    case DeleteResult::Failed:
        // The list shows again what the database holds; the form keeps the booking.
        ShowBookings();
        return;
    case DeleteResult::Deleted:
        break;
    }
    ShowBookings();
}

DlgAppt::DeleteResult DlgAppt::ConfirmDelete(qint32 id) {
    // The question names what goes: the contact, the date and the time.
    BookingSummary summary;
    summary.Load(id);
    QString question = QStringLiteral("Do you wish to delete this appointment?");
    if (!summary.Line().isEmpty())
        question += kCrLf + kCrLf + summary.Line();
    if (!Messages::Confirm(question))
        return DeleteResult::Declined;
    ClsBooking& booking = Records::Booking();
    bool deleted = true;
    bool series = false;
    if (booking.Load(id)) {
        series = booking.RepeatId() != 0 &&
                 Messages::Confirm(
                     QStringLiteral("This appointment is part of a repeated sequence.") + kCrLf +
                     QStringLiteral("Do you wish to delete all repeated appointments?"));
        deleted = series ? booking.DeleteRepeats(booking.RepeatId()) : booking.Delete(id);
    } else {
        // A booking that another workstation removed meanwhile is simply
        // gone; one that could not be read was not deleted.
        deleted = StoredRow::Lookup(Database::DAO(), QStringLiteral("tblBookings"),
                                    QStringLiteral("BookingId"), id) == StoredRow::State::Gone;
    }
    if (deleted) {
        booking.InitBfr();
        return DeleteResult::Deleted;
    }
    Messages::Warning(series ? QStringLiteral("Unable to delete the repeated appointments!")
                             : QStringLiteral("Unable to delete appointment!"));
    return DeleteResult::Failed;
}

void DlgAppt::Move() {
    if (!m_moveMode) {
        const int row = m_lbTimeSlot->SelectedRow();
        if (row < 0) {
            Messages::Information(QStringLiteral("Information"),
                                  QStringLiteral("Please select the timeslot!"));
            return;
        }
        m_moveMode = true;
        ClsBooking& booking = Records::Booking();
        booking.Load(m_lbTimeSlot->RowValue(row));
        m_moveBookingId = booking.BookingId();
        m_moveStart = booking.BookingStart();
        m_moveEnd = booking.BookingEnd();
        ShowMoveMode(true);
    } else {
        m_moveMode = false;
        ShowMoveMode(false);
    }
}

void DlgAppt::ShowMoveMode(bool on) {
    // The list gives up the height of the "Move Appointment" line below it.
    m_lblMove->setVisible(on);
    m_btnTask[3]->setText(on ? QStringLiteral("&Cancel") : QStringLiteral("&Move"));
    m_btnFreeSlot->setEnabled(!on && ClsForms::GetItemId(m_cbTask) != 0);
    if (on)
        m_btnTask[3]->setEnabled(true);
}

// ---------------------------------------------------------------------------
// Toolbar

void DlgAppt::RunToolbarCommand(const std::function<void()>& command) {
    ClsForms::EnableToolbar(m_toolbar, false);
    command();
    ClsForms::EnableToolbar(m_toolbar, true);
}

void DlgAppt::Toolbar1_ButtonClick(const QString& key) {
    const bool done = Trap("DlgBook.Toolbar1_ButtonClick", [&] {
        if (key == QLatin1String("Exit")) {
            ClsForms::EnableToolbar(m_toolbar, false);
            reject();
        } else if (key == QLatin1String("Calendar")) {
            RunToolbarCommand([&] {
                DlgCalendar::Choose(m_resourceId);
                SetApptDate(DlgCalendar::Instance().SelDate());
            });
        } else if (key == QLatin1String("TaskDef")) {
            Toolbar1_ButtonMenuClick(QStringLiteral("AddTask"));
        } else if (key == QLatin1String("People")) {
            Toolbar1_ButtonMenuClick(QStringLiteral("AddCustomer"));
        } else if (key == QLatin1String("Print")) {
            RunToolbarCommand([this] {
                DlgPreview preview(this);
                ModalWindow::Show(&preview);
            });
        } else if (key == QLatin1String("Help")) {
            RunToolbarCommand([] { ContextIDs::ShowHelp(ContextIDs::HelpAppt); });
        }
    });
    // A command that failed half-way leaves the toolbar usable.
    if (!done && key != QLatin1String("Exit"))
        ClsForms::EnableToolbar(m_toolbar, true);
}

void DlgAppt::Toolbar1_ButtonMenuClick(const QString& key) {
    const bool done = Trap("DlgBook.Toolbar1_ButtonMenuClick", [&] {
        ClsTask& task = Records::Task();
        ClsCustomer& customer = Records::Customer();
        DlgMain* main = DlgMain::Instance();
        if (key == QLatin1String("AddTask")) {
            RunToolbarCommand([&] {
                task.InitBfr();
                task.SetGroupId(m_groupId);
                DlgApptType dialog(this);
                ModalWindow::Show(&dialog);
                if (task.TaskId() != 0) {
                    ShowTasks(task.TaskId());
                    if (main)
                        main->ShowLegends();
                }
            });
        } else if (key == QLatin1String("EditTask")) {
            RunToolbarCommand([&] {
                if (!task.Load(ClsForms::GetItemId(m_cbTask)))
                    return;
                DlgApptType dialog(this);
                ModalWindow::Show(&dialog);
                if (task.TaskId() != 0) {
                    ShowTasks(task.TaskId());
                    if (main)
                        main->ShowLegends();
                }
            });
        } else if (key == QLatin1String("DeleteTask")) {
            if (m_cbTask->currentIndex() <= 0)
                return;
            if (!Messages::Confirm(QStringLiteral("Confirm delete selected task?")))
                return;
            RunToolbarCommand([&] {
                if (!task.Delete(ClsForms::GetItemId(m_cbTask)))
                    Messages::Warning(QStringLiteral("Unable to delete appointment type!"));
                ShowTasks(0);
                if (main)
                    main->ShowLegends();
                // The type's bookings went with it: the list must not offer them.
                ShowBookings();
            });
        } else if (key == QLatin1String("AddCustomer")) {
            RunToolbarCommand([&] {
                customer.InitBfr();
                DlgContact dialog(this);
                dialog.SetGroupId(m_groupId);
                ModalWindow::Show(&dialog);
                if (customer.CustomerId() != 0)
                    ShowCustomers(customer.CustomerId());
            });
        } else if (key == QLatin1String("EditCustomer")) {
            RunToolbarCommand([&] {
                if (!customer.Load(ClsForms::GetItemId(m_cbCustomer)))
                    return;
                DlgContact dialog(this);
                ModalWindow::Show(&dialog);
                if (customer.CustomerId() != 0)
                    ShowCustomers(customer.CustomerId());
            });
        } else if (key == QLatin1String("DeleteCustomer")) {
            if (m_cbCustomer->currentIndex() <= 0)
                return;
            if (!Messages::Confirm(QStringLiteral("Confirm selected customer?") + kCrLf + kCrLf +
                                   ContactDeleteLine()))
                return;
            RunToolbarCommand([&] {
                if (!customer.Delete(ClsForms::GetItemId(m_cbCustomer)))
                    Messages::Warning(QStringLiteral("Unable to delete contact!"));
                ShowCustomers(customer.CustomerId());
                // The contact's bookings went with it: the list must not offer them.
                ShowBookings();
            });
        }
    });
    if (!done)
        ClsForms::EnableToolbar(m_toolbar, true);
}

void DlgAppt::SendToCalendar() {
    Trap("DlgAppt.SendToCalendar", [&] {
        const int row = m_lbTimeSlot->SelectedRow();
        const qint32 bookingId = row < 0 ? 0 : m_lbTimeSlot->RowValue(row);
        const qint32 customerId = ClsForms::GetItemId(m_cbCustomer);
        IcsExport::Selection selection;
        QString name;
        if (bookingId != 0) {
            selection.scope = IcsExport::Scope::Booking;
            selection.id = bookingId;
            name = QStringLiteral("Booking %1").arg(bookingId);
        } else if (customerId != 0) {
            selection.scope = IcsExport::Scope::Contact;
            selection.id = customerId;
            selection.from = ClsDate::Today();
            selection.to = std::numeric_limits<qint32>::max();
            name = m_cbCustomer->currentText();
        } else {
            Messages::Information(QStringLiteral("Information"),
                                  QStringLiteral("Please select a booking, or a contact whose "
                                                 "bookings to send!"));
            return;
        }
        const QString path = DlgExportCalendar::AskFile(this, IcsExport::ExportPath(name));
        if (!path.isEmpty())
            DlgExportCalendar::ExportAndReport(selection, path);
    });
}

QString DlgAppt::ContactDeleteLine() const {
    const qint32 id = ClsForms::GetItemId(m_cbCustomer);
    const Recordset rs = Database::DAO().SqlQuery(
        QStringLiteral("select count(*) from tblBookings where CustomerId = ") + Num(id));
    const QString name = m_cbCustomer->currentText();
    if (!rs.IsOpen() || rs.Eof())
        return name + QStringLiteral(" will be deleted with all their appointments.");
    const qint64 count = rs.Fields(0).Long();
    if (count == 0)
        return name + QStringLiteral(" will be deleted; no appointments are booked for them.");
    return name + QStringLiteral(" will be deleted with the %1 booked for them.")
                      .arg(count == 1 ? QStringLiteral("1 appointment")
                                      : QStringLiteral("%1 appointments").arg(count));
}

void DlgAppt::FindFreeSlot() {
    Trap("DlgAppt.FindFreeSlot", [&] {
        const qint32 taskId = ClsForms::GetItemId(m_cbTask);
        if (m_moveMode)
            return;
        if (taskId == 0) {
            Messages::Exclamation(QStringLiteral("Error!"), QStringLiteral("No task selected!"));
            return;
        }
        ClsTask& task = Records::Task();
        task.Load(taskId);
        const ClsGroup& group = Records::Group();
        FreeSlot::Search search;
        // The shown resource first, so that it wins a tie.
        search.resources << ClsForms::GetItemId(m_cbResource);
        if (m_chkAnyResource->isChecked()) {
            for (int i = 0; i < m_cbResource->count(); ++i) {
                const qint32 id = m_cbResource->itemData(i, ClsForms::ItemRole).toInt();
                if (!search.resources.contains(id))
                    search.resources << id;
            }
        }
        search.resources.removeAll(0);
        if (search.resources.isEmpty()) {
            Messages::Warning(QStringLiteral("No resources configured!"));
            return;
        }
        const QTime now = QTime::currentTime();
        search.fromDate = ClsDate::Today();
        search.fromMinute = now.hour() * 60 + now.minute();
        search.lastDate = ClsDate::WithinShown(qint64(search.fromDate) + kFreeSlotDays - 1);
        search.dayStart = group.DayStart();
        search.dayEnd = group.DayEnd();
        search.interval = group.Interval();
        search.length = task.InitTime() > 0 ? task.InitTime() : group.Interval();
        const FreeSlot::Found slot = FreeSlot::Find(search);
        if (!slot.found) {
            Messages::Information(
                QStringLiteral("Information"),
                QStringLiteral("No free timeslot of %1 minutes from now to %2!")
                    .arg(search.length)
                    .arg(ClsDate::FormatDate(search.lastDate, QStringLiteral("dddd d mmmm yyyy"))));
            return;
        }
        const bool otherResource = slot.resourceId != ClsForms::GetItemId(m_cbResource);
        if (otherResource) {
            const QSignalBlocker quiet(m_cbResource);
            m_cbResource->setCurrentIndex(m_cbResource->findData(slot.resourceId, ClsForms::ItemRole));
            m_resourceId = slot.resourceId;
        }
        if (otherResource || slot.date != ApptDate())
            SetApptDate(slot.date);
        for (int row = 0; row < m_lbTimeSlot->RowCount(); ++row) {
            if (m_lbTimeSlot->RowTag(row).toInt() != slot.start)
                continue;
            m_lbTimeSlot->EnsureRowVisible(row);
            LbTimeslot_ItemClick(row, 1);
            break;
        }
    });
}

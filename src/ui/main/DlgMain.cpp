#include "ui/main/DlgMain.h"

#include "app/ClsForms.h"
#include "app/ColourUtil.h"
#include "app/ClsIni.h"
#include "app/ContextIDs.h"
#include "app/ErrorTrap.h"
#include "app/EventPump.h"
#include "app/ModMain.h"
#include "data/ClsDAO.h"
#include "model/ClsBooking.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/controls/ScheduleView.h"
#include "ui/controls/SpinButtons.h"
#include "ui/main/LegendLabel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
DlgMain* g_main = nullptr;

constexpr int kLegendWidth = 170;
constexpr int kMinWidth = 640;  // 9600 twips
constexpr int kMinHeight = 430; // 6450 twips
constexpr int kScrollMin = 24;
constexpr int kScrollMax = 240;
constexpr int kScrollDesign = 60;

QString Num(qint64 v) { return QString::number(v); }
int IniInt(const QString& section, const QString& key, const QVariant& def) {
    return ModMain::Ini().GetValue(section, key, def).toInt();
}
} // namespace

DlgMain* DlgMain::Instance() { return g_main; }

DlgMain::DlgMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("DlgMain"));
    g_main = this;
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

    auto* top = new QHBoxLayout;
    auto* groupLabel = new QLabel(QStringLiteral("&Group:"), central);
    m_cbGroup = new QComboBox(central);
    m_cbGroup->setObjectName(QStringLiteral("CbGroup"));
    m_cbGroup->setToolTip(QStringLiteral("Select Group"));
    m_cbGroup->setMinimumWidth(200);
    m_cbGroup->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    groupLabel->setBuddy(m_cbGroup);
    connect(m_cbGroup, &QComboBox::activated, this, [this] { CbGroup_Click(); });

    m_spinDate = new SpinButtons(Qt::Horizontal, central);
    m_spinDate->setObjectName(QStringLiteral("SpinDate"));
    m_spinDate->setToolTip(QStringLiteral("Date Forward/Back"));
    m_spinDate->SetToolTips(QStringLiteral("Date Forward"), QStringLiteral("Date Back"));
    // The right arrow moves a day forward, the left one a day back.
    connect(m_spinDate, &SpinButtons::SpinClicked, this,
            [this](int direction) { SpinDate_Click(direction == SpinButtons::Increase ? 1 : 0); });

    auto* scaleLabel = new QLabel(QStringLiteral("Width:"), central);
    m_scroll = new QSlider(Qt::Horizontal, central);
    m_scroll->setObjectName(QStringLiteral("Scroll"));
    m_scroll->setToolTip(QStringLiteral("Adjust Schedule Width"));
    m_scroll->setRange(kScrollMin, kScrollMax);
    m_scroll->setSingleStep(6);
    m_scroll->setPageStep(24);
    m_scroll->setValue(kScrollDesign);
    m_scroll->setMinimumWidth(120);
    m_scroll->setMaximumWidth(260);
    connect(m_scroll, &QSlider::valueChanged, this, [this] { Scroll_Change(); });

    m_chkLegend = new QCheckBox(QStringLiteral("&Legend"), central);
    m_chkLegend->setObjectName(QStringLiteral("ChkLegend"));
    m_chkLegend->setToolTip(QStringLiteral("Show legend"));
    m_chkLegend->setChecked(true);
    connect(m_chkLegend, &QCheckBox::toggled, this, [this] { ChkLegend_Click(); });

    top->addWidget(groupLabel);
    top->addWidget(m_cbGroup);
    top->addSpacing(12);
    top->addWidget(m_spinDate);
    top->addSpacing(12);
    top->addWidget(scaleLabel);
    top->addWidget(m_scroll);
    top->addStretch(1);
    top->addWidget(m_chkLegend);
    outer->addLayout(top);

    auto* body = new QHBoxLayout;
    m_sched = new ScheduleView(central);
    m_sched->setObjectName(QStringLiteral("Sched"));
    body->addWidget(m_sched, 1);

    m_frame1 = new QGroupBox(QStringLiteral("Legend"), central);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setFixedWidth(kLegendWidth);
    auto* frameLayout = new QVBoxLayout(m_frame1);
    frameLayout->setContentsMargins(4, 4, 4, 4);
    auto* legendScroll = new QScrollArea(m_frame1);
    legendScroll->setFrameShape(QFrame::NoFrame);
    legendScroll->setWidgetResizable(true);
    auto* legendInner = new QWidget;
    m_legendLayout = new QVBoxLayout(legendInner);
    m_legendLayout->setContentsMargins(0, 0, 0, 0);
    m_legendLayout->setSpacing(0);
    m_legendLayout->addStretch(1);
    legendScroll->setWidget(legendInner);
    frameLayout->addWidget(legendScroll);
    body->addWidget(m_frame1);
    outer->addLayout(body, 1);
    setCentralWidget(central);

    for (const char* key : {"Start", "End", "Task", "Person"}) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QString::fromLatin1(key));
        panel->setMinimumWidth(QString::fromLatin1(key).startsWith(QLatin1String("Person")) ? 180 : 90);
        panel->setFrameShape(QFrame::StyledPanel);
        statusBar()->addWidget(panel, QString::fromLatin1(key) == QLatin1String("Person") ? 1 : 0);
        m_panels.insert(QString::fromLatin1(key), panel);
    }
    auto* clockPanel = new QLabel(this);
    clockPanel->setObjectName(QStringLiteral("Time"));
    clockPanel->setFrameShape(QFrame::StyledPanel);
    clockPanel->setMinimumWidth(90);
    clockPanel->setAlignment(Qt::AlignCenter);
    statusBar()->addPermanentWidget(clockPanel);
    m_panels.insert(QStringLiteral("Time"), clockPanel);
    m_clock = new QTimer(this);
    connect(m_clock, &QTimer::timeout, this, [this] { UpdateClock(); });
    m_clock->start(1000);

    setMinimumSize(kMinWidth, kMinHeight);
    resize(1024, 700);
}

void DlgMain::Form_Load() {
    Trap("DlgMain.Form_Load", [&] {
        ContextIDs::InitHelp(this);
        DlgCalendar::SetGroupSource([] { return g_main ? g_main->SelectedGroupId() : 0; });
        m_started = ModMain::Initialise();
        if (!m_started)
            return;
        ClsForms::CentreForm(this, nullptr);
        m_activated = false;
        m_closeRequest = false;
        m_holdOff = 0;
        m_bookingSignature = 0;
        m_draggedTask = 0;
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
    UpdateClock();
}

void DlgMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
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
        setWindowTitle(QStringLiteral("Tarvelo! (") + ModMain::VersionNumber() + QLatin1Char(')'));
}

void DlgMain::UpdateClock() {
    const QLabel* panel = m_panels.value(QStringLiteral("Time"));
    if (!panel)
        return;
    const QTime now = QTime::currentTime();
    SetPanelText(QStringLiteral("Time"), ClsDate::ShowTime(now.hour() * 60 + now.minute(), true));
}

void DlgMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_clock)
        m_clock->stop();
    Trap("DlgMain.Form_Unload", [&] {
        if (ModMain::IsRunning()) {
            ModMain::Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("LastDate"),
                                      CurrentDate());
            DlgCalendar::Release();
            ModMain::Terminate();
        }
    });
    ContextIDs::QuitHelp();
}

qint32 DlgMain::CurrentDate() const { return DlgCalendar::Instance().SelDate(); }

void DlgMain::SetCurrentDate(qint32 date) {
    Trap("DlgMain.CurrentDate", [&] {
        ModMain::Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("LastDate"), date);
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
        ModMain::Ini().WriteValue(QStringLiteral("Group"), QStringLiteral("CbGroup"), id);
        ClsGroup& group = ModMain::Group();
        if (!group.Load(id))
            return;
        m_sched->SetTitle(group.GroupName());
        m_sched->SetDayStart(group.DayStart());
        m_sched->SetDayEnd(group.DayEnd());
        ShowResources(0);
        ShowLegends();
    });
}

void DlgMain::SetScheduleEndDate() {
    Trap("DlgMain.SetScheduleEndDate", [&] {
        m_sched->SetTimeType(IniInt(QStringLiteral("Config"), QStringLiteral("TimeType"), 0));
        const int type = m_sched->TimeType();
        const qint32 first = m_sched->FirstDate();
        switch (type) {
        case 0:
            m_sched->SetLastDate(first);
            m_sched->SetRulerDateFormat(QStringLiteral("D, n M Y"));
            break;
        case 1:
            m_sched->SetLastDate(first + 32);
            m_sched->SetRulerDateFormat(QStringLiteral("M Y"));
            break;
        case 2:
            m_sched->SetLastDate(first + 60);
            m_sched->SetRulerDateFormat(QStringLiteral("M Y"));
            break;
        default:
            break;
        }
    });
}

void DlgMain::ShowResources(qint32 resourceId) {
    const int generation = ++m_rebuildGeneration;
    Trap("DlgMain.ShowResources", [&] {
        m_sched->Clear();
        SetScheduleEndDate();
        const bool showContact =
            IniInt(QStringLiteral("Options"), QStringLiteral("DispCustomer"), 0) != 0;
        const bool military =
            IniInt(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 0) != 0;
        m_sched->SetUse12Hour(!military);
        m_sched->SetUse24Hour(military);
        const qint32 group = SelectedGroupId();
        const qint32 first = m_sched->FirstDate();
        const qint32 last = m_sched->LastDate();
        ClsDAO& dao = ModMain::DAO();
        Recordset resources = dao.SqlQuery(
            QStringLiteral("select ResourceName, ResourceId from tblResources where GroupId = ") +
            Num(group) + QStringLiteral(" order by ResourceName"));
        while (!resources.Eof()) {
            const qint32 id = resources.Fields(QStringLiteral("ResourceId")).Long();
            const int row = m_sched->AddRow(resources.Fields(QStringLiteral("ResourceName")).Text());
            m_sched->SetRowData(row, id);
            if (id == resourceId)
                m_sched->SetCurrentRow(row);
            Recordset bookings = dao.SqlQuery(
                QStringLiteral("select (select Colour from tblTasks where TaskId = "
                               "tblBookings.TaskId), (select CustomerName from tblCustomers "
                               "where CustomerId = tblBookings.CustomerId), * from tblBookings "
                               "where ResourceId = ") +
                Num(id) + QStringLiteral(" and BookingDate >= ") + Num(first) +
                QStringLiteral(" and BookingDate <= ") + Num(last) +
                QStringLiteral(" order by BookingStart"));
            while (!bookings.Eof()) {
                const qint32 bookingId = bookings.Fields(QStringLiteral("BookingId")).Long();
                const qint32 date = bookings.Fields(QStringLiteral("BookingDate")).Long();
                const int bar = m_sched->AddBar(
                    row, bookings.Fields(QStringLiteral("BookingStart")).Int(),
                    bookings.Fields(QStringLiteral("BookingEnd")).Int(), date, date,
                    QStringLiteral("B") + Num(bookingId));
                m_sched->SetBarData(row, bar, bookingId);
                // A booking whose type is gone has no colour: it shows grey.
                const FieldValue colour = bookings.Fields(0);
                m_sched->SetBarColour(row, bar, colour.IsNull() ? 0xC0C0C0 : colour.Long());
                m_sched->SetBarSecondText(row, bar, Num(bookingId));
                if (showContact) {
                    // A booking without a contact shows no name and the rebuild goes on.
                    const FieldValue contact = bookings.Fields(1);
                    m_sched->SetBarText(row, bar, contact.IsNull() ? QString() : contact.Text());
                }
                EventPump::Run();
                if (generation != m_rebuildGeneration)
                    return;
                bookings.MoveNext();
            }
            EventPump::Run();
            if (generation != m_rebuildGeneration)
                return;
            resources.MoveNext();
        }
        m_bookingSignature = ModMain::Booking().BookingCheck(first, last, group);
        m_holdOff = 20;
    });
}

void DlgMain::ShowLegends() {
    Trap("DlgMain.ShowLegends", [&] {
        for (LegendLabel* label : m_lblColor)
            label->setVisible(false);
        for (LegendLabel* label : m_lblLegend)
            label->setVisible(false);
        Recordset rs = ModMain::DAO().SqlQuery(
            QStringLiteral("select TaskId, TaskName, Colour from tblTasks where GroupId = ") +
            Num(SelectedGroupId()) + QStringLiteral(" order by TaskName"));
        int i = 0;
        while (!rs.Eof()) {
            if (i >= m_lblColor.size()) {
                auto* line = new QWidget;
                auto* lineLayout = new QHBoxLayout(line);
                lineLayout->setContentsMargins(2, 1, 2, 1);
                lineLayout->setSpacing(6);
                auto* colour = new LegendLabel(i, line);
                colour->setFixedSize(22, 14);
                colour->setAutoFillBackground(true);
                colour->setFrameShape(QFrame::Box);
                auto* name = new LegendLabel(i, line);
                name->setMinimumHeight(16);
                lineLayout->addWidget(colour);
                lineLayout->addWidget(name, 1);
                m_legendLayout->insertWidget(m_legendLayout->count() - 1, line);
                m_lblColor << colour;
                m_lblLegend << name;
            }
            const qint32 taskId = rs.Fields(QStringLiteral("TaskId")).Long();
            LegendLabel* colour = m_lblColor[i];
            LegendLabel* name = m_lblLegend[i];
            colour->SetTag(taskId);
            name->SetTag(taskId);
            QPalette palette = colour->palette();
            palette.setColor(QPalette::Window,
                             ColourUtil::ToColor(rs.Fields(QStringLiteral("Colour")).Long()));
            colour->setPalette(palette);
            name->setText(rs.Fields(QStringLiteral("TaskName")).Text());
            name->setToolTip(name->text());
            colour->setVisible(true);
            name->setVisible(true);
            ++i;
            EventPump::Run();
            rs.MoveNext();
        }
    });
}

void DlgMain::SetupDefaults() {
    Trap("DlgMain.SetupDefaults", [&] {
        m_sched->SetTimeType(IniInt(QStringLiteral("Config"), QStringLiteral("TimeType"), 0));
        struct ColourKey {
            const char* key;
            qint32 (ScheduleView::*get)() const;
            void (ScheduleView::*set)(qint32);
        };
        const ColourKey keys[] = {
            {"BackColor", &ScheduleView::BackColour, &ScheduleView::SetBackColour},
            {"TitleBackColor", &ScheduleView::TitleBackColour, &ScheduleView::SetTitleBackColour},
            {"ListBackColor", &ScheduleView::ListBackColour, &ScheduleView::SetListBackColour},
            {"WeekendColor", &ScheduleView::WeekendColour, &ScheduleView::SetWeekendColour},
            {"RulerBackColor", &ScheduleView::RulerBackColour, &ScheduleView::SetRulerBackColour},
            {"SelectBackColor", &ScheduleView::SelectBackColour, &ScheduleView::SetSelectBackColour},
        };
        for (const ColourKey& k : keys) {
            const qint32 current = (m_sched->*k.get)();
            (m_sched->*k.set)(
                IniInt(QStringLiteral("Colours"), QString::fromLatin1(k.key), current));
        }
        SetScheduleEndDate();
        if (IniInt(QStringLiteral("Options"), QStringLiteral("Autoscroll"), 0) != 0 && m_holdOff < 1)
            SetCurrentDate(ClsDate::Today());
    });
}

void DlgMain::ChkLegend_Click() {
    Trap("DlgMain.ChkLegend_Click", [&] {
        const int value = m_chkLegend->isChecked() ? 1 : 0;
        ModMain::Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("ChkLegend"), value);
        m_frame1->setVisible(value != 0);
    });
}

void DlgMain::Scroll_Change() {
    Trap("DlgMain.Scroll_Change", [&] {
        m_sched->SetTimeDistance(m_scroll->value());
        m_sched->SetSecondSpacing(m_sched->TimeDistance() / 12);
        ModMain::Ini().WriteValue(QStringLiteral("Sched"), QStringLiteral("TimeDistance"),
                                  m_scroll->value());
    });
}

void DlgMain::SpinDate_Click(int direction) {
    Trap("DlgMain.SpinDate_Click", [&] {
        SetCurrentDate(direction == 0 ? CurrentDate() - 1 : CurrentDate() + 1);
    });
}

QString DlgMain::PanelText(const QString& key) const {
    const QLabel* panel = m_panels.value(key);
    return panel ? panel->text() : QString();
}

void DlgMain::SetPanelText(const QString& key, const QString& text) {
    if (QLabel* panel = m_panels.value(key))
        panel->setText(text);
}

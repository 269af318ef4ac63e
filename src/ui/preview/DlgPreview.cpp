#include "ui/preview/DlgPreview.h"

#include "base/ClsIni.h"
#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "base/Settings.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/ClsDate.h"
#include "print/PageSizes.h"
#include "print/PreviewReports.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/IconFactory.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/SpinButtons.h"
#include "ui/help/ContextIDs.h"
#include "ui/main/DlgMain.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewWidget>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// Zoom of the preview in percent: the scroll bar's range.
constexpr int kZoomMin = 10;
constexpr int kZoomMax = 400;

// A text column that may hold no value: a null prints as an empty cell.
QString TextOrEmpty(const FieldValue& field) {
    return field.IsNull() ? QString() : field.Text();
}
} // namespace

DlgPreview::DlgPreview(DlgAppt* appt) : QDialog(appt), m_appt(appt) {
    setObjectName(QStringLiteral("DlgPreview"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    BuildWindow();
    BuildToolbar();
    BuildMenus();
    Form_Load();
}

DlgPreview::DlgPreview(QWidget* parent, std::function<void(ClsViewPro&)> report)
    : DlgPreview(nullptr) {
    setParent(parent, windowFlags());
    ClsForms::CentreForm(this, parent);
    m_report = std::move(report);
    // Only one report to show: no choice of report, date or resource.
    for (const char* name : {"FrameReport", "FrameDate"})
        findChild<QWidget*>(QLatin1String(name))->hide();
    for (const char* key : {"Calendar", "ArrowLeft", "ArrowRight"})
        m_toolActions.value(QLatin1String(key))->setVisible(false);
    for (const char* name : {"mnuDate", "mnuResource"})
        findChild<QMenu*>(QLatin1String(name))->menuAction()->setVisible(false);
}

DlgPreview::~DlgPreview() {
    // The viewer lets go of the surface before the surface goes.
    m_viewer.Attach(nullptr);
}

// ---------------------------------------------------------------------------
// Building the window

void DlgPreview::BuildWindow() {
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setIconSize(QSize(24, 24));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto* reports = new QGroupBox(QStringLiteral("Report"), this);
    reports->setObjectName(QStringLiteral("FrameReport"));
    auto* reportRow = new QHBoxLayout(reports);
    const QStringList captions = {QStringLiteral("Day &Sheet"), QStringLiteral("C&ontact"),
                                  QStringLiteral("Appointment &Type")};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(captions[i], reports);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        connect(option, &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        reportRow->addWidget(option);
        m_option1[std::size_t(i)] = option;
    }
    m_cbSelect = new QComboBox(reports);
    m_cbSelect->setObjectName(QStringLiteral("CbSelect"));
    m_cbSelect->setMinimumWidth(200);
    m_cbSelect->setToolTip(QStringLiteral("Contact or appointment type"));
    connect(m_cbSelect, &QComboBox::activated, this, [this] { CbSelect_Click(); });
    reportRow->addWidget(m_cbSelect, 1);

    auto* date = new QGroupBox(QStringLiteral("Date"), this);
    date->setObjectName(QStringLiteral("FrameDate"));
    auto* dateRow = new QHBoxLayout(date);
    m_spinDate = new SpinButtons(Qt::Horizontal, date);
    m_spinDate->setObjectName(QStringLiteral("SpinDate"));
    m_spinDate->SetToolTips(QStringLiteral("Next day"), QStringLiteral("Previous day"));
    // The right arrow shows the next day, the left one the day before.
    connect(m_spinDate, &SpinButtons::SpinClicked, this,
            [this](int direction) { SpinDate_Click(direction == SpinButtons::Increase ? 1 : 0); });
    m_btnDateNext = new QToolButton(date);
    m_btnDateNext->setObjectName(QStringLiteral("btnDateNext"));
    m_btnDateNext->setText(QStringLiteral("&Next Day"));
    m_btnDateNext->setToolTip(QStringLiteral("Next day"));
    connect(m_btnDateNext, &QToolButton::clicked, this, [this] { btnDateNext_Click(); });
    dateRow->addWidget(m_spinDate);
    dateRow->addWidget(m_btnDateNext);

    auto* pages = new QGroupBox(QStringLiteral("Page"), this);
    auto* pageRow = new QHBoxLayout(pages);
    m_lblPages = new QLabel(pages);
    m_lblPages->setObjectName(QStringLiteral("LblPages"));
    m_lblPages->setMinimumWidth(
        m_lblPages->fontMetrics().horizontalAdvance(QStringLiteral("Page 888 of 888")) + 8);
    m_pageSpin = new SpinButtons(Qt::Horizontal, pages);
    m_pageSpin->setObjectName(QStringLiteral("PageSpin"));
    m_pageSpin->SetToolTips(QStringLiteral("Next page"), QStringLiteral("Previous page"));
    connect(m_pageSpin, &SpinButtons::SpinClicked, this,
            [this](int direction) { PageSpin_Click(direction == SpinButtons::Increase ? 1 : 0); });
    pageRow->addWidget(m_lblPages);
    pageRow->addWidget(m_pageSpin);

    auto* zoom = new QGroupBox(QStringLiteral("Zoom"), this);
    auto* zoomRow = new QHBoxLayout(zoom);
    m_ctScroll1 = new QSlider(Qt::Horizontal, zoom);
    m_ctScroll1->setObjectName(QStringLiteral("ctScroll1"));
    m_ctScroll1->setRange(kZoomMin, kZoomMax);
    m_ctScroll1->setSingleStep(5);
    m_ctScroll1->setPageStep(25);
    m_ctScroll1->setMinimumWidth(140);
    connect(m_ctScroll1, &QSlider::valueChanged, this, [this](int value) {
        m_ctScroll1->setToolTip(QString::number(value) + QLatin1Char('%'));
        ctScroll1_Change(value);
    });
    zoomRow->addWidget(m_ctScroll1);

    auto* controls = new QHBoxLayout;
    controls->addWidget(reports, 1);
    controls->addWidget(date);
    controls->addWidget(pages);
    controls->addWidget(zoom);

    m_viewPro1 = new QPrintPreviewWidget(this);
    m_viewPro1->setObjectName(QStringLiteral("ViewPro1"));
    m_viewPro1->setViewMode(QPrintPreviewWidget::SinglePageView);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->addWidget(m_toolbar);
    layout->addLayout(controls);
    layout->addWidget(m_viewPro1, 1);
    resize(900, 700);
}

void DlgPreview::BuildToolbar() {
    struct Button {
        const char* key;
        const char* tip;
        const char* image;
    };
    const Button buttons[] = {
        {"Exit", "Exit", "Exit"},
        {"Calendar", "Change Date", "Calendar"},
        {"Print", "Print", "Print"},
        {"ArrowLeft", "Previous Resource", "Previous"},
        {"ArrowRight", "Next Resource", "Next"},
        {"Help", "Online Help", "Help"},
    };
    for (const Button& b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        QAction* action =
            m_toolbar->addAction(IconFactory::Icon(QString::fromLatin1(b.image)), key);
        action->setObjectName(key);
        action->setData(key);
        action->setToolTip(QString::fromLatin1(b.tip));
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        m_toolActions.insert(key, action);
        if (key == QLatin1String("Exit") || key == QLatin1String("Print") ||
            key == QLatin1String("ArrowRight"))
            m_toolbar->addSeparator();
    }
}

QAction* DlgPreview::AddMenuEntry(QMenu* menu, const QString& name, const QString& caption,
                                  std::function<void()> handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [handler] { TrapSilent(handler); });
    m_menuActions.insert(name, action);
    return action;
}

void DlgPreview::BuildMenus() {
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("MenuBar"));
    layout()->setMenuBar(m_menuBar);

    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    AddMenuEntry(file, QStringLiteral("mnuFilePrint"), QStringLiteral("&Print"),
                 [this] { Toolbar1_ButtonClick(QStringLiteral("Print")); });
    file->addSeparator();
    AddMenuEntry(file, QStringLiteral("mnuFileExit"), QStringLiteral("E&xit"),
                 [this] { Toolbar1_ButtonClick(QStringLiteral("Exit")); });

    QMenu* date = m_menuBar->addMenu(QStringLiteral("&Date"));
    date->setObjectName(QStringLiteral("mnuDate"));
    AddMenuEntry(date, QStringLiteral("mnuDatePrevious"), QStringLiteral("&Previous Day"),
                 [this] { mnuDatePrevious_Click(); });

    QMenu* resource = m_menuBar->addMenu(QStringLiteral("&Resource"));
    resource->setObjectName(QStringLiteral("mnuResource"));
    AddMenuEntry(resource, QStringLiteral("mnuResourceNext"), QStringLiteral("&Next"),
                 [this] { Toolbar1_ButtonClick(QStringLiteral("ArrowRight")); });
    AddMenuEntry(resource, QStringLiteral("mnuResourcePrevious"), QStringLiteral("&Previous"),
                 [this] { Toolbar1_ButtonClick(QStringLiteral("ArrowLeft")); });

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
// Opening

void DlgPreview::Form_Load() {
    Trap("DlgPreview.Form_Load", [&] {
        m_militaryTime =
            Settings::Ini()
                .GetValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 0)
                .toInt() != 0;
        m_activated = false;
        m_reportKind = 0;
        ClsForms::CentreForm(this, m_appt);
        m_viewer.Attach(m_viewPro1);
        m_ctScroll1->setValue(Settings::Ini()
                                  .GetValue(QStringLiteral("Preview"), QStringLiteral("Zoom"), 100)
                                  .toInt());
        m_viewer.SetZoom(m_ctScroll1->value());
        m_viewer.SetPageSize(PageSizes::CurrentCode());
        m_lblPages->clear();
        // The day sheet is chosen quietly: the first activation produces it.
        m_option1[0]->setChecked(true);
        m_cbSelect->clear();
        m_cbSelect->setEnabled(false);
    });
}

void DlgPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

void DlgPreview::Form_Activate() {
    Trap("DlgPreview.Form_Activate", [&] {
        if (m_activated)
            return;
        m_activated = true;
        if (m_appt)
            setGeometry(m_appt->geometry());
        ProduceReport();
    });
}

void DlgPreview::done(int result) {
    // A report that is running finishes first; the window closes after it.
    if (m_producing) {
        m_closePending = true;
        m_closeResult = result;
        return;
    }
    QDialog::done(result);
}

// ---------------------------------------------------------------------------
// Choosing the report

qint32 DlgPreview::SelectedGroup() const {
    if (DlgMain* main = DlgMain::Instance())
        return main->SelectedGroupId();
    return m_appt ? m_appt->GroupId() : 0;
}

void DlgPreview::Option1_Click(int index) {
    Trap("DlgPreview.Option1_Click", [&] {
        if (index < 0 || index > 2)
            return;
        m_reportKind = index;
        m_option1[std::size_t(index)]->setChecked(true);
        m_cbSelect->clear();
        if (index == 0) {
            m_cbSelect->setEnabled(false);
            PrintDaySheet();
            return;
        }
        m_cbSelect->setEnabled(true);
        const QString group = QString::number(SelectedGroup());
        if (index == 1)
            ClsForms::FillCombo(m_cbSelect,
                                QStringLiteral("select CustomerName, CustomerId from tblCustomers "
                                               "where CustomerId in (select CustomerId from "
                                               "tblCustomerGroups where GroupId = ") +
                                    group + QStringLiteral(") order by CustomerName"),
                                true);
        else
            ClsForms::FillCombo(m_cbSelect,
                                QStringLiteral("select TaskName, TaskId from tblTasks where "
                                               "GroupId = ") +
                                    group + QStringLiteral(" order by TaskName"),
                                true);
        if (m_cbSelect->count() > 0)
            ClsForms::SelectItemId(m_cbSelect, m_cbSelect->itemData(0, ClsForms::ItemRole).toInt());
        else
            // Nothing to choose: the report says so instead of the preview
            // going on showing the report chosen before.
            CbSelect_Click();
    });
}

void DlgPreview::CbSelect_Click() {
    Trap("DlgPreview.CbSelect_Click", [&] { ProduceReport(); });
}

void DlgPreview::ProduceReport() {
    if (m_report) {
        Trap("DlgPreview.ProduceReport", [&] { RunReport([&] { m_report(m_viewer); }); });
        return;
    }
    switch (m_reportKind) {
    case 1:
        PrintContactReport();
        break;
    case 2:
        PrintTypeReport();
        break;
    default:
        PrintDaySheet();
        break;
    }
}

// ---------------------------------------------------------------------------
// The reports

void DlgPreview::SetControlsEnabled(bool enabled) {
    Trap("DlgPreview.SetControlsEnabled", [&] {
        ClsForms::EnableToolbar(m_toolbar, enabled);
        m_spinDate->setEnabled(enabled);
        m_btnDateNext->setEnabled(enabled);
        // The selection is offered only by the contact and type reports.
        m_cbSelect->setEnabled(enabled && m_reportKind != 0);
        m_pageSpin->setEnabled(enabled);
        m_ctScroll1->setEnabled(enabled);
        for (QRadioButton* option : m_option1)
            option->setEnabled(enabled);
        for (QAction* menu : m_menuBar->actions())
            menu->setEnabled(enabled);
        EventPump::RunNow();
    });
}

void DlgPreview::RunReport(const std::function<void()>& report) {
    if (m_producing)
        return;
    m_producing = true;
    SetControlsEnabled(false);
    ShowPageLabel(1, 1);
    const bool done = TrapSilent(report);
    ShowPageLabel(1, m_viewer.PageCount());
    m_viewer.SetZoom(m_ctScroll1->value());
    SetControlsEnabled(true);
    m_producing = false;
    if (m_closePending) {
        m_closePending = false;
        QDialog::done(m_closeResult);
    }
    if (!done)
        throw TarveloError(QStringLiteral("report failed"));
}

void DlgPreview::ShowPageLabel(int page, int count) {
    m_lblPages->setText(QStringLiteral("Page ") + QString::number(page) + QStringLiteral(" of ") +
                        QString::number(count));
}

void DlgPreview::PrintDaySheet() {
    Trap("DlgPreview.PrintDaySheet", [&] {
        RunReport([&] {
            QList<QStringList> rows;
            QString resource;
            qint32 date = 0;
            if (m_appt) {
                // The rows are copied first: the booking dialog may rebuild
                // its list while the report lets window events run.
                const ItemList* list = m_appt->LbTimeSlot();
                for (int r = 0; r < list->RowCount(); ++r) {
                    QStringList cells;
                    for (int c = 0; c < 6; ++c)
                        cells << list->CellText(r, c);
                    rows << cells;
                }
                resource = m_appt->CbResource()->currentText();
                date = m_appt->ApptDate();
            }
            PreviewReports reports(m_viewer);
            reports.OnPageStarted([this](int page, int count) { ShowPageLabel(page, count); });
            reports.PrintDaySheet(resource, date, rows);
        });
    });
}

void DlgPreview::PrintContactReport() {
    Trap("DlgPreview.PrintContactReport", [&] {
        PrintAppointments(
            PreviewReports::ContactReport,
            QStringLiteral("select (select TaskName from tblTasks where TaskId = "
                           "tblBookings.TaskId) || '', (select ResourceName from tblResources "
                           "where ResourceId = tblBookings.ResourceId) || '', * from tblBookings "
                           "where CustomerId = "));
    });
}

void DlgPreview::PrintTypeReport() {
    Trap("DlgPreview.PrintTypeReport", [&] {
        PrintAppointments(
            PreviewReports::TypeReport,
            QStringLiteral("select (select CustomerName from tblCustomers where CustomerId = "
                           "tblBookings.CustomerId), (select ResourceName from tblResources "
                           "where ResourceId = tblBookings.ResourceId), * from tblBookings "
                           "where TaskId = "));
    });
}

void DlgPreview::PrintAppointments(int kind, const QString& sql) {
    RunReport([&] {
        const qint32 date = m_appt ? m_appt->ApptDate() : ClsDate::Today();
        QList<PreviewReports::Appointment> rows;
        // With nothing to choose from there is nothing to list (id 0 would
        // list the bookings without a contact).
        Recordset rs;
        if (m_cbSelect->currentIndex() >= 0)
            rs = Database::DAO().SqlQuery(sql + QString::number(ClsForms::GetItemId(m_cbSelect)) +
                                          QStringLiteral(" and BookingDate >= ") +
                                          QString::number(date) +
                                          QStringLiteral(" order by BookingDate, BookingStart"));
        // A failed query leaves the report without rows.
        while (rs.IsOpen() && !rs.Eof()) {
            PreviewReports::Appointment row;
            row.name = TextOrEmpty(rs.Fields(0));
            row.resource = TextOrEmpty(rs.Fields(1));
            row.date = rs.Fields(QStringLiteral("BookingDate")).Long();
            row.start = rs.Fields(QStringLiteral("BookingStart")).Int();
            row.end = rs.Fields(QStringLiteral("BookingEnd")).Int();
            row.ref01 = TextOrEmpty(rs.Fields(QStringLiteral("Ref01")));
            row.ref02 = TextOrEmpty(rs.Fields(QStringLiteral("Ref02")));
            row.ref03 = TextOrEmpty(rs.Fields(QStringLiteral("Ref03")));
            rows << row;
            rs.MoveNext();
        }
        PreviewReports reports(m_viewer);
        reports.OnPageStarted([this](int page, int count) { ShowPageLabel(page, count); });
        reports.PrintAppointments(PreviewReports::Kind(kind), m_cbSelect->currentText(), date, rows,
                                  m_militaryTime);
    });
}

// ---------------------------------------------------------------------------
// Paging, zoom and date

void DlgPreview::PageSpin_Click(int direction) {
    Trap("DlgPreview.PageSpin_Click", [&] {
        const int count = m_viewer.PageCount();
        int page = m_viewer.CurrentPage();
        if (direction != 0) {
            if (page < count)
                ++page;
        } else if (page > 1) {
            --page;
        }
        m_viewer.SetCurrentPage(page);
        ShowPageLabel(m_viewer.CurrentPage(), count);
        m_viewer.SetZoom(m_ctScroll1->value());
    });
}

void DlgPreview::ctScroll1_Change(int value) {
    Trap("DlgPreview.ctScroll1_Change", [&] {
        Settings::Ini().WriteValue(QStringLiteral("Preview"), QStringLiteral("Zoom"), value);
        m_viewer.SetZoom(value);
    });
}

void DlgPreview::SpinDate_Click(int direction) {
    Trap("DlgPreview.SpinDate_Click", [&] {
        if (!m_appt)
            return;
        // The booking dialog shows the new day and rebuilds its time slots.
        m_appt->SetApptDate(m_appt->ApptDate() + (direction == 0 ? -1 : 1));
        ProduceReport();
    });
}

void DlgPreview::btnDateNext_Click() {
    Trap("DlgPreview.btnDateNext_Click", [&] { SpinDate_Click(1); });
}

void DlgPreview::mnuDatePrevious_Click() {
    Trap("DlgPreview.mnuDatePrevious_Click", [&] { SpinDate_Click(0); });
}

// ---------------------------------------------------------------------------
// Toolbar

void DlgPreview::StepResource(int step) {
    if (!m_appt)
        return;
    QComboBox* resources = m_appt->CbResource();
    const int target = resources->currentIndex() + step;
    if (target >= 0 && target < resources->count())
        // Selected as a user does, so the booking dialog rebuilds its list.
        ClsForms::SelectItemId(resources, resources->itemData(target, ClsForms::ItemRole).toInt());
    ProduceReport();
}

void DlgPreview::Toolbar1_ButtonClick(const QString& key) {
    Trap("DlgPreview.Toolbar1_ButtonClick", [&] {
        if (key == QLatin1String("Exit")) {
            reject();
        } else if (key == QLatin1String("Calendar")) {
            if (m_appt && DlgCalendar::Choose(m_appt->ResourceId())) {
                m_appt->SetApptDate(DlgCalendar::Instance().SelDate());
                ProduceReport();
            }
        } else if (key == QLatin1String("Print")) {
            ClsForms::EnableToolbar(m_toolbar, false);
            m_viewer.Print(this);
            ClsForms::EnableToolbar(m_toolbar, true);
        } else if (key == QLatin1String("ArrowLeft")) {
            StepResource(-1);
        } else if (key == QLatin1String("ArrowRight")) {
            StepResource(1);
        } else if (key == QLatin1String("Help")) {
            ContextIDs::ShowHelp(ContextIDs::HelpPreview);
        }
    });
}

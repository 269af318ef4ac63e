#include "ui/booking/DlgRepeat.h"


#include "base/ClsIni.h"
#include "base/ColourUtil.h"
#include "base/ErrorTrap.h"
#include "base/Messages.h"
#include "base/Settings.h"
#include "model/ClsBooking.h"
#include "model/ClsCustomer.h"
#include "model/ClsDate.h"
#include "model/ClsTask.h"
#include "model/Records.h"
#include "model/RepeatPattern.h"
#include "ui/booking/DlgAppt.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ItemList.h"
#include "ui/help/ContextIDs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QLabel* ValueLabel(const QString& caption, const QString& name, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(110);
    return label;
}
} // namespace

DlgRepeat::DlgRepeat(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgRepeat"));
    setWindowTitle(QStringLiteral("Repeat Appointment"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* optionFrame = new QGroupBox(QStringLiteral("Option"), this);
    auto* optionLayout = new QVBoxLayout(optionFrame);
    for (int i = 0; i < RepeatPattern::Count; ++i) {
        auto* option = new QRadioButton(RepeatPattern::Caption(i), optionFrame);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        connect(option, &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        optionLayout->addWidget(option);
        m_option1[std::size_t(i)] = option;
    }

    auto* resourceFrame = new QGroupBox(QStringLiteral("Resource"), this);
    m_cbResource = new QComboBox(resourceFrame);
    m_cbResource->setObjectName(QStringLiteral("CbResource"));
    connect(m_cbResource, &QComboBox::activated, this, [this] { CbResource_Click(); });
    auto* resourceLayout = new QVBoxLayout(resourceFrame);
    resourceLayout->addWidget(m_cbResource);

    auto* detailFrame = new QGroupBox(QStringLiteral("Appointment"), this);
    m_lblStartTime = ValueLabel(QStringLiteral("Start Time"), QStringLiteral("LblStartTime"), this);
    m_lblEndTime = ValueLabel(QStringLiteral("End Time"), QStringLiteral("LblEndTime"), this);
    m_lblTask = ValueLabel(QStringLiteral("Task"), QStringLiteral("LblTask"), this);
    m_lblCustomer = ValueLabel(QStringLiteral("Customer"), QStringLiteral("LblCustomer"), this);
    auto* detailLayout = new QFormLayout(detailFrame);
    detailLayout->addRow(QStringLiteral("Start Time:"), m_lblStartTime);
    detailLayout->addRow(QStringLiteral("End Time:"), m_lblEndTime);
    detailLayout->addRow(QStringLiteral("Task:"), m_lblTask);
    detailLayout->addRow(QStringLiteral("Customer:"), m_lblCustomer);

    auto* daysFrame = new QGroupBox(QStringLiteral("Repeat Days"), this);
    m_lbTimeSlot = new ItemList(daysFrame);
    m_lbTimeSlot->setObjectName(QStringLiteral("LbTimeSlot"));
    m_lbTimeSlot->setMinimumWidth(250);
    const QStringList selectCaptions = {QStringLiteral("Select &All"), QStringLiteral("Clea&r All")};
    auto* selectRow = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(selectCaptions[i], daysFrame);
        button->setObjectName(QStringLiteral("BtnSelect%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { BtnSelect_Click(i); });
        selectRow->addWidget(button);
        m_btnSelect[std::size_t(i)] = button;
    }
    auto* daysLayout = new QVBoxLayout(daysFrame);
    daysLayout->addWidget(m_lbTimeSlot, 1);
    daysLayout->addLayout(selectRow);

    const QStringList repeatCaptions = {QStringLiteral("&Save"), QStringLiteral("&Cancel"),
                                        QStringLiteral("&Help")};
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(repeatCaptions[i], this);
        button->setObjectName(QStringLiteral("BtnRepeat%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { BtnRepeat_Click(i); });
        buttonRow->addWidget(button);
        m_btnRepeat[std::size_t(i)] = button;
    }

    auto* left = new QVBoxLayout;
    left->addWidget(optionFrame);
    left->addWidget(resourceFrame);
    left->addWidget(detailFrame);
    left->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addWidget(daysFrame, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttonRow);
    resize(620, 480);
}

void DlgRepeat::Form_Load() {
    TrapSilent([&] {
        m_loading = true;
        ClsForms::CentreForm(this, parentWidget());
        ClsForms::FillCombo(m_cbResource,
                            QStringLiteral("select ResourceName, ResourceId from ") +
                                QStringLiteral("tblResources where GroupId = ") +
                                QString::number(m_groupId) +
                                QStringLiteral(" order by ResourceName"),
                            true);
        ClsForms::SelectItemId(m_cbResource, m_resourceId);
        int type = Settings::Ini()
                       .GetValue(QStringLiteral("Repeat"), QStringLiteral("Type"), 0)
                       .toInt();
        // A value no option stands for chooses the first pattern.
        if (type < 0 || type >= RepeatPattern::Count)
            type = 0;
        m_option1[std::size_t(type)]->setChecked(true);
        Option1_Click(type);
        m_lblStartTime->setText(ClsDate::ShowTime(m_startTime, true));
        m_lblEndTime->setText(ClsDate::ShowTime(m_endTime, true));
        ClsTask& task = Records::Task();
        task.Load(m_taskId);
        m_lblTask->setText(task.TaskName());
        ClsCustomer& customer = Records::Customer();
        customer.Load(m_customerId);
        m_lblCustomer->setText(customer.CustomerName());
        m_loading = false;
        ShowDates();
    });
    m_loading = false;
}

void DlgRepeat::Option1_Click(int index) {
    TrapSilent([&] {
        m_repeatType = index;
        Settings::Ini().WriteValue(QStringLiteral("Repeat"), QStringLiteral("Type"), index);
        ShowDates();
    });
}

void DlgRepeat::CbResource_Click() {
    TrapSilent([&] {
        m_resourceId = ClsForms::GetItemId(m_cbResource);
        ShowDates();
    });
}

void DlgRepeat::BtnSelect_Click(int index) {
    TrapSilent([&] {
        for (int row = 0; row < m_lbTimeSlot->RowCount(); ++row)
            if (m_lbTimeSlot->RowValue(row) != 0)
                m_lbTimeSlot->SetRowTick(row, index == 0 ? ItemList::Ticked : ItemList::Unticked);
    });
}

void DlgRepeat::BtnRepeat_Click(int index) {
    TrapSilent([&] {
        switch (index) {
        case 0:
            SaveAppointments();
            accept();
            break;
        case 1:
            reject();
            break;
        case 2:
            ContextIDs::ShowHelp(ContextIDs::HelpRepeat);
            break;
        default:
            break;
        }
    });
}

void DlgRepeat::ShowDates() {
    TrapSilent([&] {
        if (m_loading)
            return;
        m_lbTimeSlot->ClearColumns();
        m_lbTimeSlot->AddColumn(QStringLiteral("X"), 20);
        m_lbTimeSlot->AddColumn(QStringLiteral("Day"), 40);
        m_lbTimeSlot->AddColumn(QStringLiteral("Date"), 150);
        m_lbTimeSlot->SetTickColumn(0);
        m_lbTimeSlot->SetGridLines(true);
        const qint32 taken = ColourUtil::FromColor(palette().color(QPalette::Button));
        // A span that does not end after it starts can be booked on no date.
        const bool bookable = m_endTime > m_startTime;
        ClsBooking& booking = Records::Booking();
        qint32 d = m_apptDate;
        for (int i = 0; i < DateCount && d <= ClsDate::LastDay; ++i) {
            const int row = m_lbTimeSlot->AddRow(QStringLiteral(";") +
                                                 ClsDate::FormatDate(d, QStringLiteral("ddd")) +
                                                 QStringLiteral(";") +
                                                 ClsDate::FormatDate(d, QStringLiteral("dd mmmm yyyy")));
            if (bookable && booking.GetBookingId(m_resourceId, d, m_startTime, m_endTime, 0) == 0) {
                m_lbTimeSlot->SetRowValue(row, d);
            } else {
                m_lbTimeSlot->SetRowValue(row, 0);
                m_lbTimeSlot->SetRowTick(row, ItemList::Unavailable);
                m_lbTimeSlot->SetRowColour(row, taken);
            }
            d = RepeatPattern::SetNextDate(d, m_repeatType);
        }
    });
}

void DlgRepeat::SaveAppointments() {
    TrapSilent([&] {
        ClsBooking& booking = Records::Booking();
        const qint32 repeatId = booking.NextRepeatId();
        for (int row = 0; row < m_lbTimeSlot->RowCount(); ++row) {
            const qint32 day = m_lbTimeSlot->RowValue(row);
            if (m_lbTimeSlot->RowTick(row) != ItemList::Ticked || day == 0)
                continue;
            booking.InitBfr();
            booking.SetBookingDate(day);
            booking.SetBookingStart(m_startTime);
            booking.SetBookingEnd(m_endTime);
            booking.SetRepeatId(repeatId);
            booking.SetComments(m_comments);
            booking.SetRef01(m_ref01);
            booking.SetRef02(m_ref02);
            booking.SetRef03(m_ref03);
            booking.SetCustomerId(m_customerId);
            booking.SetResourceId(m_resourceId);
            booking.SetTaskId(m_taskId);
            if (booking.Save() != 0)
                continue;
            // A date taken meanwhile is skipped; a resource, type or contact
            // deleted at another workstation stops the series there.
            const SaveProblem problem = booking.LastSaveProblem();
            const bool gone = problem == SaveProblem::ResourceGone ||
                              problem == SaveProblem::TypeGone ||
                              problem == SaveProblem::ContactGone;
            Messages::Warning(QStringLiteral("Unable to save appointment for ") +
                              ClsDate::FormatDate(day, QStringLiteral("d mmm yyyy")) +
                              QStringLiteral("!") +
                              (gone ? DlgAppt::SaveProblemText(problem) : QString()));
            if (gone)
                break;
        }
    });
}

void DlgRepeat::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        BtnRepeat_Click(2);
        return;
    }
    QDialog::keyPressEvent(event);
}

#include "ui/booking/DlgCalendar.h"

#include "base/ErrorTrap.h"
#include "base/ModalWindow.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/ClsDate.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/MarkedCalendar.h"
#include "ui/help/ContextIDs.h"

#include <QApplication>
#include <QCheckBox>
#include "base/EventPump.h"
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
DlgCalendar* g_instance = nullptr;
std::function<qint32()> g_groupSource;
} // namespace

DlgCalendar& DlgCalendar::Instance() {
    if (!g_instance)
        g_instance = new DlgCalendar;
    return *g_instance;
}

void DlgCalendar::Release() {
    delete g_instance;
    g_instance = nullptr;
}

bool DlgCalendar::Choose(qint32 resourceId) {
    DlgCalendar& cal = Instance();
    cal.SetResourceId(resourceId);
    cal.Form_Load();
    return ModalWindow::Show(&cal) == QDialog::Accepted;
}

void DlgCalendar::SetGroupSource(std::function<qint32()> source) {
    g_groupSource = std::move(source);
}

DlgCalendar::DlgCalendar(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgCalendar"));
    setWindowTitle(QStringLiteral("Calendar"));
    setModal(true);

    m_cal = new MarkedCalendar(this);
    m_cal->setMinimumSize(320, 220);
    connect(m_cal, &QCalendarWidget::currentPageChanged, this, [this] { Cal_PageChange(); });
    connect(m_cal, &QCalendarWidget::activated, this, [this] { Cal_DateDblClick(1); });

    m_frame = new QGroupBox(QStringLiteral("Include Resources In Date Check"), this);
    auto* inner = new QWidget;
    m_boxLayout = new QVBoxLayout(inner);
    m_boxLayout->setContentsMargins(4, 4, 4, 4);
    m_boxLayout->setSpacing(2);
    m_boxLayout->addStretch(1);
    auto* scroll = new QScrollArea(m_frame);
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* frameLayout = new QVBoxLayout(m_frame);
    frameLayout->addWidget(scroll);
    m_frame->setMinimumWidth(200);

    auto* buttons = new QHBoxLayout;
    const QStringList captions = {QStringLiteral("&Select"), QStringLiteral("&Today"),
                                  QStringLiteral("&Cancel"), QStringLiteral("&Help")};
    for (int i = 0; i < captions.size(); ++i) {
        auto* button = new QPushButton(captions[i], this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { BtnCalendar_Click(i); });
        buttons->addWidget(button);
        m_btnCalendar << button;
    }
    m_btnCalendar[0]->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(m_cal, 3);
    top->addWidget(m_frame, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { BtnCalendar_Click(3); });
    resize(600, 300);
}

void DlgCalendar::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

void DlgCalendar::Form_Load() {
    Trap("DlgCalendar.Form_Load", [&] {
        m_activated = false;
        m_pageChanged = false;
        ClsForms::CentreForm(this, ContextIDs::HelpOwner());
        m_loading = true;
        m_cal->SetDayNumber(m_selDate);
        m_pageChanged = false;
        for (QCheckBox* box : m_chkResource) {
            box->setVisible(false);
            box->setEnabled(false);
        }
        const qint32 group = g_groupSource ? g_groupSource() : 0;
        Recordset rs = Database::DAO().SqlQuery(
            QStringLiteral("select ResourceId, ResourceName from tblResources where ") +
            QStringLiteral("GroupId = ") + QString::number(group));
        int i = 0;
        while (!rs.Eof()) {
            if (i >= m_chkResource.size()) {
                auto* box = new QCheckBox(m_boxLayout->parentWidget());
                connect(box, &QCheckBox::clicked, this, [this] { ChkResource_Click(); });
                m_boxLayout->insertWidget(m_boxLayout->count() - 1, box);
                m_chkResource << box;
            }
            QCheckBox* box = m_chkResource[i];
            box->setEnabled(true);
            box->setVisible(true);
            box->setText(rs.Fields(QStringLiteral("ResourceName")).Text());
            box->setProperty("tag", QString::number(rs.Fields(QStringLiteral("ResourceId")).Long()));
            ++i;
            rs.MoveNext();
        }
        m_loading = false;
        ShowAppointments();
    });
    m_loading = false;
}

void DlgCalendar::Form_Activate() {
    Trap("DlgCalendar.Form_Activate", [&] {
        if (m_activated)
            return;
        m_activated = true;
        const QString tag = QString::number(m_resourceId);
        for (QCheckBox* box : m_chkResource)
            if (box->isVisibleTo(this))
                box->setChecked(box->property("tag").toString() == tag);
        ShowAppointments();
    });
}

void DlgCalendar::BtnCalendar_Click(int index) {
    Trap("DlgCalendar.BtnCalendar_Click", [&] {
        switch (index) {
        case 0:
            Cal_DateDblClick(1);
            break;
        case 1:
            m_cal->SetDayNumber(ClsDate::DateToLong(QDate::currentDate()));
            Cal_DateChange();
            break;
        case 2:
            reject();
            break;
        case 3:
            ContextIDs::ShowHelp(ContextIDs::HelpCalendar);
            break;
        default:
            break;
        }
    });
}

void DlgCalendar::Cal_DateDblClick(int value) {
    Trap("DlgCalendar.Cal_DateDblClick", [&] {
        if (value < 1)
            return;
        m_selDate = m_cal->DayNumber();
        accept();
    });
}

void DlgCalendar::Cal_PageChange() {
    Trap("DlgCalendar.Cal_PageChange", [&] {
        m_pageChanged = true;
        // The month calendar reports the change of its date after every page
        // change; the marks follow then.
        Cal_DateChange();
    });
}

void DlgCalendar::Cal_DateChange() {
    Trap("DlgCalendar.Cal_DateChange", [&] {
        if (!m_pageChanged)
            return;
        m_pageChanged = false;
        ShowAppointments();
    });
}

void DlgCalendar::ChkResource_Click() {
    Trap("DlgCalendar.ChkResource_Click", [&] { ShowAppointments(); });
}

void DlgCalendar::ShowAppointments() {
    Trap("DlgCalendar.ShowAppointments", [&] {
        if (m_loading)
            return;
        const qint32 first = m_cal->PageFirstDay();
        const qint32 last = m_cal->PageLastDay();
        m_cal->ClearMarks();
        QString ids = QStringLiteral("0");
        for (QCheckBox* box : m_chkResource)
            if (box->isVisibleTo(this) && box->isChecked())
                ids += QStringLiteral(", ") + box->property("tag").toString();
        Recordset rs = Database::DAO().SqlQuery(
            QStringLiteral("select distinct BookingDate from tblBookings where ") +
            QStringLiteral("BookingDate >= ") + QString::number(first) +
            QStringLiteral(" and BookingDate <= ") + QString::number(last) +
            QStringLiteral(" and ResourceId in (select ResourceId from ") +
            QStringLiteral("tblResources where ResourceId in (") + ids + QStringLiteral("))"));
        while (!rs.Eof()) {
            EventPump::Run();
            m_cal->MarkDay(rs.Fields(QStringLiteral("BookingDate")).Long());
            rs.MoveNext();
        }
    });
}

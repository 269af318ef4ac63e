#include "ui/main/SchedulePane.h"

#include "model/ClsDate.h"

#include "base/ClsIni.h"
#include "base/EventPump.h"
#include "base/ModalWindow.h"
#include "base/Settings.h"
#include "model/ScheduleData.h"
#include "ui/controls/ScheduleView.h"

#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>

namespace {
// Bars added between two chances for events to run: the window answers
// within a few milliseconds, and a rebuild pays next to nothing for it.
constexpr int kBarsPerPump = 512;

int IniInt(const QString& section, const QString& key, const QVariant& def) {
    return Settings::Ini().GetValue(section, key, def).toInt();
}
} // namespace

SchedulePane::SchedulePane(QWidget* parent) : QStackedWidget(parent) {
    m_view = new ScheduleView(this);
    m_view->setObjectName(QStringLiteral("Sched"));
    m_view->setAccessibleName(QStringLiteral("Schedule"));
    m_emptyHint = new QLabel(
        QStringLiteral("<h3>No group yet</h3>"
                       "<p>A group is a set of resources that share a working day and a slot "
                       "length: a clinic's rooms, a workshop's machines, a school's teachers.</p>"
                       "<ol><li><b>Resource, New Group</b> (or <b>Load Group Template</b>): name "
                       "the group and set its working day and slot length.</li>"
                       "<li><b>Resource, New Resource</b>: add each room, person or machine to "
                       "book.</li>"
                       "<li><b>Appointment, Add/Edit Booking</b>: define the appointment types "
                       "with their colours and lengths (Appointment Type, Add Type), then book."
                       "</li></ol>"),
        this);
    m_emptyHint->setObjectName(QStringLiteral("LblEmptyHint"));
    m_emptyHint->setWordWrap(true);
    m_emptyHint->setAlignment(Qt::AlignCenter);
    m_emptyHint->setMargin(24);
    addWidget(m_view);
    addWidget(m_emptyHint);
}

void SchedulePane::ShowSchedule(bool anyGroup) {
    setCurrentWidget(anyGroup ? static_cast<QWidget*>(m_view) : m_emptyHint);
}

void SchedulePane::ApplyResolution() {
    m_view->SetTimeType(IniInt(QStringLiteral("Config"), QStringLiteral("TimeType"), 0));
    const qint32 first = m_view->FirstDate();
    switch (m_view->TimeType()) {
    case 0:
        m_view->SetLastDate(first);
        m_view->SetRulerDateFormat(QStringLiteral("D, n M Y"));
        break;
    case 1:
        m_view->SetLastDate(ClsDate::WithinShown(first + 32));
        m_view->SetRulerDateFormat(QStringLiteral("M Y"));
        break;
    case 2:
        m_view->SetLastDate(ClsDate::WithinShown(first + 60));
        m_view->SetRulerDateFormat(QStringLiteral("M Y"));
        break;
    default:
        break;
    }
}

void SchedulePane::ApplyTimeFormat() {
    const bool military =
        IniInt(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 0) != 0;
    m_view->SetUse12Hour(!military);
    m_view->SetUse24Hour(military);
}

void SchedulePane::ApplyColours() {
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
        const qint32 current = (m_view->*k.get)();
        (m_view->*k.set)(IniInt(QStringLiteral("Colours"), QString::fromLatin1(k.key), current));
    }
}

void SchedulePane::Print(const QString& heading, const QString& footer) {
    const bool colour = IniInt(QStringLiteral("Options"), QStringLiteral("ColourPrint"), 0) != 0;
    m_view->SetPrintHeading(heading);
    m_view->SetPrintColourBars(colour);
    m_view->SetPrintColourBack(colour);
    m_view->SetPrintFooter(footer);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, window());
    dialog.setWindowTitle(QStringLiteral("Print Schedule"));
    if (ModalWindow::Show(&dialog) == QDialog::Accepted)
        m_view->PrintTo(&printer);
}

bool SchedulePane::Fill(const ScheduleData& data, qint32 currentResource,
                        const std::function<bool()>& goOn) {
    int sincePump = 0;
    for (const ScheduleData::Row& r : data.Rows()) {
        const int row = m_view->AddRow(r.name);
        m_view->SetRowData(row, r.resourceId);
        if (r.resourceId == currentResource)
            m_view->SetCurrentRow(row);
        m_view->ReserveBars(row, r.barCount);
        for (const ScheduleData::Bar& b : data.Bars(r)) {
            const QString id = QString::number(b.bookingId);
            const int bar = m_view->AddBar(row, b.start, b.end, b.date, b.date, u'B' + id);
            m_view->SetBarData(row, bar, b.bookingId);
            m_view->SetBarColour(row, bar, b.colour);
            m_view->SetBarSecondText(row, bar, id);
            const QString caption = ScheduleData::Caption(b);
            if (!caption.isEmpty())
                m_view->SetBarText(row, bar, caption);
            if (++sincePump == kBarsPerPump) {
                sincePump = 0;
                EventPump::Run();
                if (!goOn())
                    return false;
            }
        }
        EventPump::Run();
        if (!goOn())
            return false;
    }
    return true;
}

#include "ui/main/SchedulePane.h"

#include "model/ClsBooking.h"
#include "model/ClsDate.h"

#include "base/ClsIni.h"
#include "base/EventPump.h"
#include "base/ModalWindow.h"
#include "base/Settings.h"
#include "base/ErrorTrap.h"
#include "data/Database.h"
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
    m_endSums.clear();
    m_endSum = 0;
    int sincePump = 0;
    for (const ScheduleData::Row& r : data.Rows()) {
        const int row = m_view->AddRow(r.name);
        m_view->SetRowData(row, r.resourceId);
        if (r.resourceId == currentResource)
            m_view->SetCurrentRow(row);
        m_view->ReserveBars(row, r.barCount);
        const qint64 sum = EndSum(data, r);
        m_endSums.insert(r.resourceId, sum);
        m_endSum += sum;
        for (const ScheduleData::Bar& b : data.Bars(r)) {
            AddBar(row, b);
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

QList<qint32> SchedulePane::ReplaceRows(const ScheduleData& data) {
    QHash<qint32, const ScheduleData::Row*> wanted;
    for (const ScheduleData::Row& r : data.Rows())
        wanted.insert(r.resourceId, &r);
    QList<qint32> replaced;
    for (int row = 1; row < m_view->RowCount() && !wanted.isEmpty(); ++row) {
        const ScheduleData::Row* r = wanted.take(m_view->RowData(row));
        if (!r)
            continue;
        m_view->ClearBars(row);
        m_view->ReserveBars(row, r->barCount);
        for (const ScheduleData::Bar& b : data.Bars(*r))
            AddBar(row, b);
        const qint64 sum = EndSum(data, *r);
        m_endSum += sum - m_endSums.value(r->resourceId);
        m_endSums.insert(r->resourceId, sum);
        replaced << r->resourceId;
    }
    return replaced;
}

qint32 SchedulePane::Signature() const { return ClsBooking::Signature(m_endSum); }

void SchedulePane::WatchJournal() { m_journal.Start(Database::DAO()); }

SchedulePane::News SchedulePane::FollowJournal(const ScheduleData::Selection& shown, bool filling) {
    JournalWatch::Changes changes;
    if (!m_journal.Read(Database::DAO(), shown.firstDate, shown.lastDate, &changes) ||
        changes.entries == 0)
        return News::Unknown;
    // A rebuild half-way through holds rows read before these changes.
    if (changes.rebuild || filling)
        return News::All;
    if (changes.resources.isEmpty())
        return News::None;
    ScheduleData::Selection selection = shown;
    selection.resources.assign(changes.resources.begin(), changes.resources.end());
    ScheduleData data;
    if (!data.Load(selection))
        throw TarveloError(QStringLiteral("the schedule cannot be read"));
    return ReplaceRows(data).isEmpty() ? News::None : News::Rows;
}

void SchedulePane::AddBar(int row, const ScheduleData::Bar& b) {
    const QString id = QString::number(b.bookingId);
    const int bar = m_view->AddBar(row, b.start, b.end, b.date, b.date, u'B' + id);
    m_view->SetBarData(row, bar, b.bookingId);
    m_view->SetBarColour(row, bar, b.colour);
    m_view->SetBarSecondText(row, bar, id);
    const QString caption = ScheduleData::Caption(b);
    if (!caption.isEmpty())
        m_view->SetBarText(row, bar, caption);
}

qint64 SchedulePane::EndSum(const ScheduleData& data, const ScheduleData::Row& r) {
    qint64 sum = 0;
    for (const ScheduleData::Bar& b : data.Bars(r))
        sum += b.end;
    return sum;
}

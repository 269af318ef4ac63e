#include "ui/main/ScheduleCellCommands.h"

#include "base/ErrorTrap.h"
#include "model/BookingSummary.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgHistory.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/DlgMain.h"

#include <QMenu>

ScheduleCellCommands::ScheduleCellCommands(DlgMain* main, ScheduleView* view)
    : QObject(main), m_main(main), m_view(view) {
    connect(view, &ScheduleView::Sched_OpenBar, this, &ScheduleCellCommands::OpenBar);
    connect(view, &ScheduleView::Sched_DeleteBar, this, &ScheduleCellCommands::DeleteBar);
    connect(view, &ScheduleView::Sched_CellMenu, this, &ScheduleCellCommands::ShowMenu);
    // The window books a drop (and Enter on a free slot) first; the row
    // stays current afterwards.
    connect(view, &ScheduleView::Sched_DropItem, this,
            [this](int row, int, qint32) { KeepRow(m_view->RowData(row)); });
    view->SetBarNamer([view](int row, int bar) {
        QString words;
        TrapSilent([&] {
            BookingSummary booking;
            if (!booking.Load(view->BarData(row, bar)))
                return;
            QStringList parts;
            for (const QString& part : {booking.Task(), booking.Contact()})
                if (!part.isEmpty())
                    parts << part;
            words = parts.join(QStringLiteral(", "));
        });
        return words;
    });
}

void ScheduleCellCommands::KeepRow(qint32 resourceId) { m_main->SelectResource(resourceId); }

void ScheduleCellCommands::OpenBar(int row, int bar, int minute, qint32 date) {
    // As a double-click on the bar does.
    const qint32 resourceId = m_view->RowData(row);
    m_main->Sched_TimeDblClick(row, bar, minute, date);
    KeepRow(resourceId);
}

void ScheduleCellCommands::DeleteBar(int row, int bar) {
    const qint32 resourceId = m_view->RowData(row);
    const qint32 bookingId = m_view->BarData(row, bar);
    bool changed = false;
    Trap("DlgMain.Sched_DeleteBar",
         [&] { changed = DlgAppt::ConfirmDelete(bookingId) != DlgAppt::DeleteResult::Declined; });
    if (!changed)
        return;
    m_main->ShowResources(0);
    KeepRow(resourceId);
}

void ScheduleCellCommands::ShowMenu(const QPoint& globalPos) {
    const ScheduleView::CellRef current = m_view->CurrentCell();
    if (current.index < 0)
        return;
    delete m_menu;
    m_menu = new QMenu(m_main);
    m_menu->setObjectName(QStringLiteral("SchedCellMenu"));
    m_menu->setAttribute(Qt::WA_DeleteOnClose);
    const int row = current.row;
    const ScheduleCells::Cell cell = current.cell;
    const qint32 bookingId = cell.bar ? m_view->BarData(row, cell.bar) : 0;
    if (cell.bar) {
        m_menu->addAction(QStringLiteral("&Open Booking...\tEnter"), this,
                          [=, this] { OpenBar(row, cell.bar, cell.StartMinute(), cell.Date()); });
        m_menu->addAction(QStringLiteral("&Delete Booking\tDel"), this,
                          [=, this] { DeleteBar(row, cell.bar); });
    } else {
        m_menu->addAction(QStringLiteral("&Book Here...\tEnter"), this, [=, this] {
            emit m_view->Sched_DropItem(row, cell.StartMinute(), cell.Date());
        });
    }
    m_menu->addAction(QStringLiteral("&History..."), this, [=, this] {
        Trap("DlgMain.Sched_CellMenu",
             [&] { DlgHistory::Open(m_main, bookingId, m_view->RowData(row), cell.Date()); });
    });
    m_menu->popup(globalPos);
}

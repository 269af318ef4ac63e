#include "print/PreviewReports.h"

#include "base/EventPump.h"
#include "model/ClsDate.h"
#include "print/ClsViewPro.h"
#include "print/ReportFlow.h"
#include "print/ReportFrame.h"
#include "print/ReportTable.h"

namespace {
const QString kArial = QStringLiteral("Arial");

const ReportTable& DaySheetTable() {
    static const ReportTable table({200, 450, 700, 800, 900}, {{100, ClsViewPro::AlignCentre},
                                                               {205, ClsViewPro::AlignLeft},
                                                               {455, ClsViewPro::AlignLeft},
                                                               {705, ClsViewPro::AlignLeft},
                                                               {805, ClsViewPro::AlignLeft},
                                                               {905, ClsViewPro::AlignLeft}});
    return table;
}

const ReportTable& AppointmentTable() {
    static const ReportTable table({120, 240, 450, 700, 800, 900}, {{60, ClsViewPro::AlignCentre},
                                                                    {180, ClsViewPro::AlignCentre},
                                                                    {245, ClsViewPro::AlignLeft},
                                                                    {455, ClsViewPro::AlignLeft},
                                                                    {705, ClsViewPro::AlignLeft},
                                                                    {805, ClsViewPro::AlignLeft},
                                                                    {905, ClsViewPro::AlignLeft}});
    return table;
}
} // namespace

QString PreviewReports::ReportName(Kind kind) {
    switch (kind) {
    case ContactReport:
        return QStringLiteral("Appointments by Contact");
    case TypeReport:
        return QStringLiteral("Appointments by Type");
    default:
        return QStringLiteral("Day Sheet");
    }
}

QString PreviewReports::TimeText(int start, int end, bool militaryTime) {
    if (militaryTime)
        return ClsDate::ShowTime(start, true) + QStringLiteral(" - ") +
               ClsDate::ShowTime(end, true);
    return ClsDate::ShowTime(start, true);
}

void PreviewReports::PrintPageTop(const QString& title, qint32 date, int page, Kind kind) {
    m_view.SetFont(kArial, 8, 0, false, false);
    ReportFrame::Apply(m_view, ReportName(kind), QStringLiteral("Page ") + QString::number(page),
                       page);
    m_view.DrawLine(0, 0, 1000, 0);
    m_view.SetFont(kArial, 18, 0, true, false);
    const int h = m_view.LineHeight();
    m_view.DrawLine(0, h + 8, 1000, h + 8);
    const QString dateText = ClsDate::FormatDate(date, QStringLiteral("dddd, d mmmm yyyy"));
    // A long title gives way to the date on the right.
    m_view.DrawCellText(0, 1, title, ClsViewPro::AlignLeft, 0,
                        1000 - m_view.TextWidth(dateText) - 10);
    m_view.DrawText(1000, 1, dateText, ClsViewPro::AlignRight);
}

int PreviewReports::PrintHeadings(const QStringList& headings, bool daySheet) {
    // y is taken below the title, in the title's font.
    const int y = m_view.LineHeight() + 30;
    m_view.SetFont(kArial, 14, 0, true, false);
    const int h = m_view.LineHeight();
    (daySheet ? DaySheetTable() : AppointmentTable())
        .DrawRow(m_view, y - 2, y + h + 8, y, headings);
    return y + h + 10;
}

void PreviewReports::PrintDaySheet(const QString& resourceName, qint32 date,
                                   const QList<QStringList>& rows) {
    m_view.StartDoc();
    ReportFlow flow(m_view, [&](int page) {
        PrintPageTop(resourceName, date, page, DaySheet);
        return PrintHeadings({QStringLiteral("Time"), QStringLiteral("Booking"),
                              QStringLiteral("Reserved By"), QStringLiteral("Ref01"),
                              QStringLiteral("Ref02"), QStringLiteral("Ref03")},
                             true);
    });
    flow.OnPageStarted([&](int page) {
        if (m_progress)
            m_progress(page, m_view.PageCount());
    });
    for (const QStringList& row : rows) {
        const int y = flow.BeginRow();
        m_view.SetFont(kArial, 12, 0, false, false);
        const int h = m_view.LineHeight();
        DaySheetTable().DrawRow(m_view, y - 2, y + h + 8, y, row);
        flow.EndRow(y + h + 10, h);
    }
    m_view.EndDoc();
    m_view.SetCurrentPage(1);
}

void PreviewReports::PrintAppointments(Kind kind, const QString& title, qint32 date,
                                       const QList<Appointment>& rows, bool militaryTime) {
    m_view.StartDoc();
    if (rows.isEmpty()) {
        m_view.SetFont(kArial, 24, 0, true, false);
        m_view.DrawText(500, 100, QStringLiteral("No Appointments!"), ClsViewPro::AlignCentre);
    }
    ReportFlow flow(m_view, [&](int page) {
        PrintPageTop(title, date, page, kind);
        return PrintHeadings(
            {QStringLiteral("Date"), QStringLiteral("Time"),
             kind == ContactReport ? QStringLiteral("Task") : QStringLiteral("Customer"),
             QStringLiteral("Resource"), QStringLiteral("Ref01"), QStringLiteral("Ref02"),
             QStringLiteral("Ref03")},
            false);
    });
    flow.OnPageStarted([&](int page) {
        if (m_progress)
            m_progress(page, m_view.PageCount());
    });
    for (const Appointment& row : rows) {
        EventPump::Run();
        const int y = flow.BeginRow();
        m_view.SetFont(kArial, 8, 0, false, false);
        const int h = m_view.LineHeight();
        AppointmentTable().DrawRow(m_view, y - 2, y + h + 8, y,
                                   {ClsDate::FormatDate(row.date, QStringLiteral("dd mmm yyyy")),
                                    TimeText(row.start, row.end, militaryTime), row.name,
                                    row.resource, row.ref01, row.ref02, row.ref03});
        flow.EndRow(y + h + 10, h);
    }
    m_view.EndDoc();
    m_view.SetCurrentPage(1);
}

#include "print/SearchReport.h"

#include "print/ClsViewPro.h"
#include "print/ReportFlow.h"
#include "print/ReportFrame.h"
#include "print/ReportTable.h"

namespace {
const QString kArial = QStringLiteral("Arial");
const QVector<int> kLines = {100, 200, 300, 400, 600, 800};

const ReportTable& HeadingTable() {
    static const ReportTable table(kLines, {{50, ClsViewPro::AlignCentre},
                                            {150, ClsViewPro::AlignCentre},
                                            {250, ClsViewPro::AlignCentre},
                                            {350, ClsViewPro::AlignCentre},
                                            {400, ClsViewPro::AlignLeft},
                                            {600, ClsViewPro::AlignLeft},
                                            {800, ClsViewPro::AlignLeft}});
    return table;
}

const ReportTable& RowTable() {
    static const ReportTable table(kLines, {{50, ClsViewPro::AlignCentre},
                                            {150, ClsViewPro::AlignCentre},
                                            {250, ClsViewPro::AlignCentre},
                                            {350, ClsViewPro::AlignCentre},
                                            {403, ClsViewPro::AlignLeft},
                                            {603, ClsViewPro::AlignLeft},
                                            {803, ClsViewPro::AlignLeft}});
    return table;
}
} // namespace

QString SearchReport::ReportName() {
    return QStringLiteral("Appointment Search");
}

void SearchReport::Produce(ClsViewPro& view, const QList<QStringList>& rows) {
    view.StartDoc();
    ReportFlow flow(view, [&](int page) {
        // The frame is set in the rows' font, the same on every page.
        view.SetFont(kArial, 8, 0, false, false);
        ReportFrame::Apply(view, ReportName(), QStringLiteral("Page: ") + QString::number(page),
                           page);
        view.SetFont(kArial, 10, 0, true, false);
        const int h = view.LineHeight();
        HeadingTable().DrawRow(view, 0, h + 5, 0,
                               {QStringLiteral("Date"), QStringLiteral("Day"),
                                QStringLiteral("From"), QStringLiteral("To"),
                                QStringLiteral("Type"), QStringLiteral("Contact"),
                                QStringLiteral("Resource")});
        return h + 5;
    });
    for (const QStringList& row : rows) {
        const int y = flow.BeginRow();
        view.SetFont(kArial, 8, 0, false, false);
        const int h = view.LineHeight();
        RowTable().DrawRow(view, y, y + h + 5, y, row);
        flow.EndRow(y + h + 5, h);
    }
    // An empty list still prints its headings.
    flow.EnsurePageTop();
    view.EndDoc();
    view.SetCurrentPage(1);
}

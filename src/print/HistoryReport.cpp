#include "print/HistoryReport.h"

#include "transfer/BookingHistory.h"
#include "print/ClsViewPro.h"
#include "print/ReportFlow.h"
#include "print/ReportFrame.h"
#include "print/ReportTable.h"

namespace {
const QString kArial = QStringLiteral("Arial");
constexpr int kWhat = 3; // the column that wraps

const ReportTable& Table() {
    static const ReportTable table({160, 290, 380}, {{3, ClsViewPro::AlignLeft},
                                                     {163, ClsViewPro::AlignLeft},
                                                     {293, ClsViewPro::AlignLeft},
                                                     {383, ClsViewPro::AlignLeft}});
    return table;
}
} // namespace

QString HistoryReport::ReportName() {
    return QStringLiteral("Appointment History");
}

QStringList HistoryReport::Wrap(const ClsViewPro& view, const QString& text, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && view.TextWidth(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    return lines << line;
}

void HistoryReport::Produce(ClsViewPro& view, const QString& title,
                            const QList<QStringList>& rows) {
    view.StartDoc();
    ReportFlow flow(view, [&](int page) {
        view.SetFont(kArial, 8, 0, false, false);
        ReportFrame::Apply(view, ReportName(), QStringLiteral("Page: ") + QString::number(page),
                           page);
        view.SetFont(kArial, 12, 0, true, false);
        view.DrawCellText(0, 0, title, ClsViewPro::AlignLeft, 0, 1000);
        const int y = view.LineHeight() + 10;
        view.SetFont(kArial, 10, 0, true, false);
        const int h = view.LineHeight();
        Table().DrawRow(view, y, y + h + 5, y, BookingHistory::Headings());
        return y + h + 5;
    });
    // Every row's lines first: the flow is told the height of the row that
    // follows, so that a page ends before a row it cannot hold.
    view.SetFont(kArial, 8, 0, false, false);
    const int h = view.LineHeight();
    const int room = Table().CellRight(kWhat) - Table().CellLeft(kWhat) - 10;
    QList<QStringList> whats;
    for (const QStringList& row : rows)
        whats << Wrap(view, row.value(kWhat), room);
    for (int i = 0; i < rows.size(); ++i) {
        const int y = flow.BeginRow();
        view.SetFont(kArial, 8, 0, false, false);
        QStringList cells = rows[i];
        cells.resize(kWhat + 1);
        cells[kWhat] = whats[i].first();
        const int bottom = y + int(whats[i].size()) * h + 5;
        Table().DrawRow(view, y, bottom, y, cells);
        for (int line = 1; line < whats[i].size(); ++line)
            view.DrawCellText(Table().CellLeft(kWhat) + 3, y + line * h, whats[i][line],
                              ClsViewPro::AlignLeft, Table().CellLeft(kWhat),
                              Table().CellRight(kWhat));
        flow.EndRow(bottom, i + 1 < rows.size() ? int(whats[i + 1].size()) * h + 5 : h);
    }
    // An empty list still prints its headings.
    flow.EnsurePageTop();
    view.EndDoc();
    view.SetCurrentPage(1);
}

#include "ui/controls/SchedulePageLayout.h"

#include <algorithm>

namespace {
// Content coordinates are pixels; anything closer than this is the same place.
constexpr double kSame = 1e-6;
} // namespace

std::vector<SchedulePageLayout::Span>
SchedulePageLayout::SplitSpan(double contentWidth, std::vector<double> breaks, double pageWidth) {
    std::vector<Span> spans;
    if (contentWidth <= 0) {
        spans.push_back({0, 0});
        return spans;
    }
    pageWidth = std::max(pageWidth, 1.0);
    std::sort(breaks.begin(), breaks.end());
    double start = 0;
    while (start < contentWidth - kSame) {
        const double limit = start + pageWidth;
        double end = limit;
        if (limit >= contentWidth - kSame) {
            end = contentWidth;
        } else {
            auto it = std::upper_bound(breaks.begin(), breaks.end(), limit + kSame);
            if (it != breaks.begin() && *(it - 1) > start + kSame)
                end = *(it - 1);
        }
        spans.push_back({start, end});
        start = end;
    }
    return spans;
}

std::vector<SchedulePageLayout::Page>
SchedulePageLayout::Pages(int rows, int rowsPerPage, const std::vector<Span>& spans) {
    std::vector<Page> pages;
    rowsPerPage = std::max(rowsPerPage, 1);
    int first = 1;
    do {
        const int last = std::min(rows, first + rowsPerPage - 1);
        for (const Span& span : spans)
            pages.push_back({first, last, span});
        first = last + 1;
    } while (first <= rows);
    return pages;
}

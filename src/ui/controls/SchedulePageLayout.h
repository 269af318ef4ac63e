#pragma once

#include <vector>

// Splits the printed schedule into pages: rows into blocks that fit the page
// height, the time axis into stretches that fit the page width. A stretch ends
// at the farthest allowed break (a date or hour boundary) that still fits, so
// that no date is cut where a whole one fits on the page; only a stretch with
// no break inside the page width is cut at the page edge.
class SchedulePageLayout {
public:
    struct Span {
        double from = 0;
        double to = 0;
    };
    struct Page {
        int firstRow = 1; // rows count from 1; lastRow < firstRow for no rows
        int lastRow = 0;
        Span span;
    };

    // breaks: content x positions where a stretch may end, in any order.
    static std::vector<Span> SplitSpan(double contentWidth, std::vector<double> breaks,
                                       double pageWidth);
    // Pages for rows 1..rows, rowsPerPage to a page, across the spans: all
    // stretches of the first block of rows, then those of the next block.
    static std::vector<Page> Pages(int rows, int rowsPerPage, const std::vector<Span>& spans);
};

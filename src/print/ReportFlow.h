#pragma once

#include <functional>

class ClsViewPro;

// Lays the rows of a report down its pages. The page top is drawn before
// the first row of every page. After each row the report tells the flow
// where the next row would begin and the line height of its rows; when that
// is past 1000 - line height - 10 the page is full. The break is taken only
// when another row follows, so a report whose rows exactly fill a page ends
// on that page instead of an empty one.
class ReportFlow {
public:
    // Draws the top of a page (pages count from 1) and returns the y of its
    // first row.
    using PageTop = std::function<int(int page)>;
    // Told after a page break, with the page just started.
    using PageStarted = std::function<void(int page)>;

    ReportFlow(ClsViewPro& view, PageTop pageTop);
    void OnPageStarted(PageStarted handler) { m_pageStarted = std::move(handler); }

    // Before a row: starts the next page when the last row filled this one,
    // draws the page top when due, and returns the y of the row.
    int BeginRow();
    // After a row: nextY is where the next row would begin, lineHeight the
    // line height of the rows.
    void EndRow(int nextY, int lineHeight);
    // Draws the page top when the page has none yet (a report without rows).
    void EnsurePageTop();

    int Page() const { return m_page; }
    // The page is full when the next row would begin at y.
    static bool PageFull(int y, int lineHeight);

private:
    ClsViewPro& m_view;
    PageTop m_pageTop;
    PageStarted m_pageStarted;
    int m_page = 1;
    int m_y = 0;
    bool m_topDrawn = false;
    bool m_breakDue = false;
};

#include "print/ReportFlow.h"

#include "print/ClsViewPro.h"

#include <utility>

ReportFlow::ReportFlow(ClsViewPro& view, PageTop pageTop)
    : m_view(view), m_pageTop(std::move(pageTop)) {}

bool ReportFlow::PageFull(int y, int lineHeight) {
    return y > 1000 - lineHeight - 10;
}

int ReportFlow::BeginRow() {
    if (m_breakDue) {
        m_breakDue = false;
        m_view.NewPage();
        ++m_page;
        m_view.SetCurrentPage(m_page);
        m_topDrawn = false;
        if (m_pageStarted)
            m_pageStarted(m_page);
    }
    EnsurePageTop();
    return m_y;
}

void ReportFlow::EndRow(int nextY, int lineHeight) {
    m_y = nextY;
    m_breakDue = PageFull(nextY, lineHeight);
}

void ReportFlow::EnsurePageTop() {
    if (m_topDrawn)
        return;
    m_topDrawn = true;
    m_y = m_pageTop ? m_pageTop(m_page) : 0;
}

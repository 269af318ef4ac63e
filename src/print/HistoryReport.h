#pragma once

#include <QList>
#include <QStringList>

class ClsViewPro;

// The printed history of appointments: the scope as a title and the column
// headings on top of every page, then one row per journal entry with its
// four cells (when, workstation, user, what). A "what" too long for its
// column wraps onto further lines of its row instead of being cut short, and
// a row never starts on a page it does not fit on. Needs no window.
class HistoryReport {
public:
    static QString ReportName();
    // Replaces the document of the viewer with the list.
    static void Produce(ClsViewPro& view, const QString& title, const QList<QStringList>& rows);
    // The text as lines no wider than `width` (thousandths of the page width)
    // in the viewer's current font, broken between words.
    static QStringList Wrap(const ClsViewPro& view, const QString& text, int width);
};

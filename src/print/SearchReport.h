#pragma once

#include <QList>
#include <QStringList>

class ClsViewPro;

// The printed result list of the appointment search: a heading row on top
// of every page and one row per appointment with its seven cells (date, day,
// from, to, type, contact, resource). Needs no window.
class SearchReport {
public:
    static QString ReportName();
    // Replaces the document of the viewer with the list.
    static void Produce(ClsViewPro& view, const QList<QStringList>& rows);
};

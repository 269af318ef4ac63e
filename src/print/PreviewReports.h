#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class ClsViewPro;

// The three reports of the print preview, laid out on a ClsViewPro: the day
// sheet of one resource (the booking dialog's time slots) and the
// appointments of one contact or of one appointment type from a date on.
// They need no window: the preview gathers the rows and shows the pages.
class PreviewReports {
public:
    enum Kind { DaySheet = 0, ContactReport = 1, TypeReport = 2 };

    // One appointment of the contact and appointment-type reports. name is
    // the appointment type (contact report) or the contact (appointment-type
    // report).
    struct Appointment {
        qint32 date = 0;
        int start = 0;
        int end = 0;
        QString name;
        QString resource;
        QString ref01;
        QString ref02;
        QString ref03;
    };

    // Told while a report runs, after each page break: the page just started
    // and the pages so far.
    using PageProgress = std::function<void(int page, int pageCount)>;

    explicit PreviewReports(ClsViewPro& view) : m_view(view) {}
    void OnPageStarted(PageProgress handler) { m_progress = std::move(handler); }

    // Each report replaces the document of the viewer and ends on page 1.
    // rows: the six cells of each time slot (time, booking, contact, Ref01,
    // Ref02, Ref03).
    void PrintDaySheet(const QString& resourceName, qint32 date, const QList<QStringList>& rows);
    void PrintAppointments(Kind kind, const QString& title, qint32 date,
                           const QList<Appointment>& rows, bool militaryTime);
    // The top of every page: frame, title and date.
    void PrintPageTop(const QString& title, qint32 date, int page, Kind kind);

    static QString ReportName(Kind kind);
    // The Time column of the contact and appointment-type reports: start and
    // end in 24-hour display, the start alone in 12-hour display.
    static QString TimeText(int start, int end, bool militaryTime);

private:
    // Draws the column headings below the page top; returns the y below them.
    int PrintHeadings(const QStringList& headings, bool daySheet);

    ClsViewPro& m_view;
    PageProgress m_progress;
};

#pragma once

#include <QString>

class ClsViewPro;

// The frame around every printed page. The header carries "Tarvelo", the
// present date and time and the page's own label; the footer the program
// and its version, the name of the report and "Page n of m", so that a
// sheet taken out of a pile says where it belongs.
class ReportFrame {
public:
    // The present date and time as "dddd, d mmmm yyyy hh:mm".
    static QString PresentDateTime();
    // Sets the header and footer of the page being drawn, in the current font.
    static void Apply(ClsViewPro& view, const QString& reportName, const QString& pageLabel,
                      int page);
};

#include "print/ReportFrame.h"

#include "base/ProgramVersion.h"
#include "model/ClsDate.h"
#include "print/ClsViewPro.h"

#include <QDateTime>

QString ReportFrame::PresentDateTime() {
    const QDateTime now = QDateTime::currentDateTime();
    return ClsDate::FormatDate(ClsDate::DateToLong(now.date()),
                               QStringLiteral("dddd, d mmmm yyyy")) +
           QLatin1Char(' ') + now.time().toString(QStringLiteral("hh:mm"));
}

void ReportFrame::Apply(ClsViewPro& view, const QString& reportName, const QString& pageLabel,
                        int page) {
    view.SetHeader(QStringLiteral("Tarvelo"), PresentDateTime(), pageLabel);
    view.SetFooter(QStringLiteral("Tarvelo ") + ProgramVersion::Number(), reportName,
                   QStringLiteral("Page ") + QString::number(page) + QStringLiteral(" of ") +
                       ClsViewPro::PageCountField);
}

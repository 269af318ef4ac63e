#include "ui/controls/MarkedCalendar.h"

#include "base/ColourUtil.h"
#include "model/ClsDate.h"

#include <QAbstractItemView>

#include <QLocale>
#include <QTextCharFormat>

namespace {
constexpr int kPageDays = 42;
}

MarkedCalendar::MarkedCalendar(QWidget* parent) : QCalendarWidget(parent) {
    setGridVisible(true);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setFirstDayOfWeek(Qt::Sunday);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    ClsDate::LimitToShown(this);
    setAccessibleName(QStringLiteral("Calendar"));
    // The month arrows show only an icon.
    for (const auto& [object, name] : {std::pair{"qt_calendar_prevmonth", "Previous month"},
                                       std::pair{"qt_calendar_nextmonth", "Next month"}})
        if (auto* arrow = findChild<QWidget*>(QLatin1String(object)))
            arrow->setAccessibleName(QLatin1String(name));
    // The days are painted by the calendar's own table; it tells assistive
    // technology about them through this calendar.
    m_days = findChild<QAbstractItemView*>(QStringLiteral("qt_calendar_calendarview"));
    if (m_days) {
        m_days->setProperty(PaintedItems::kProperty, QVariant::fromValue<QObject*>(this));
        m_days->setAccessibleName(QStringLiteral("Days"));
    }
}

qint32 MarkedCalendar::DayNumber() const { return ClsDate::DateToLong(selectedDate()); }

void MarkedCalendar::SetDayNumber(qint32 day) {
    const QDate date = ClsDate::LongToDate(day);
    setSelectedDate(date);
    setCurrentPage(date.year(), date.month());
}

QDate MarkedCalendar::PageFirstDate() const {
    const QDate first(yearShown(), monthShown(), 1);
    int back = (first.dayOfWeek() - int(firstDayOfWeek()) + 7) % 7;
    // Like the calendar itself, a month that starts on the first column
    // shows the whole previous week above it.
    if (back == 0)
        back = 7;
    return first.addDays(-back);
}

qint32 MarkedCalendar::PageFirstDay() const { return ClsDate::DateToLong(PageFirstDate()); }
qint32 MarkedCalendar::PageLastDay() const { return PageFirstDay() + kPageDays - 1; }

void MarkedCalendar::ClearMarks() { setDateTextFormat(QDate(), QTextCharFormat()); }

void MarkedCalendar::MarkDay(qint32 day) {
    // A tint of the platform's highlight on its base colour, with the base's
    // text colour: readable in light, dark and high-contrast themes alike.
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setBackground(
        ColourUtil::Blend(palette().color(QPalette::Base), palette().color(QPalette::Highlight), 0.3));
    format.setForeground(palette().color(QPalette::Text));
    setDateTextFormat(ClsDate::LongToDate(day), format);
}

bool MarkedCalendar::IsMarked(qint32 day) const {
    return dateTextFormat(ClsDate::LongToDate(day)).fontWeight() == QFont::Bold;
}

const QWidget* MarkedCalendar::ItemsWidget() const { return m_days; }

int MarkedCalendar::ItemCount() const { return m_days ? kPageDays : 0; }

QString MarkedCalendar::ItemName(int index) const {
    const QDate date = PageFirstDate().addDays(index);
    const QString name = QLocale(QLocale::English, QLocale::UnitedKingdom).toString(date, QStringLiteral("dddd d MMMM yyyy"));
    return IsMarked(ClsDate::DateToLong(date)) ? name + QStringLiteral(", booked") : name;
}

QRect MarkedCalendar::ItemRect(int index) const {
    // The table has a row of day names above the six weeks (and a column of
    // week numbers when shown).
    const QAbstractItemModel* model = m_days->model();
    const int top = model->rowCount() - 6;
    const int left = model->columnCount() - 7;
    const QRect cell = m_days->visualRect(model->index(top + index / 7, left + index % 7));
    return cell.translated(m_days->viewport()->pos());
}

bool MarkedCalendar::ItemCurrent(int index) const {
    return PageFirstDate().addDays(index) == selectedDate();
}

void MarkedCalendar::PressItem(int index) {
    const QDate date = PageFirstDate().addDays(index);
    setSelectedDate(date);
    emit clicked(date);
}

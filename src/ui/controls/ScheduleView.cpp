#include "ui/controls/ScheduleView.h"

#include "base/ColourUtil.h"
#include "model/ClsDate.h"
#include "ui/controls/ScheduleAccessible.h"
#include "ui/controls/SchedulePageLayout.h"
#include "ui/controls/ScheduleText.h"

#include <QAccessible>
#include <QApplication>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QMimeData>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kMinListWidth = 24;
// The name column never takes the last pixels of the view from the rows.
constexpr int kMinGridWidth = 40;
// How far from the divider a press starts resizing the name column.
constexpr int kDividerGrip = 3;
// How far in from either end of a bar a press stretches it instead of moving it.
constexpr int kEdgeGrip = 4;
// Repaints asked for while rows and bars are being added are gathered for
// this long, so that a rebuild that lets events run after every record does
// not repaint after every record.
constexpr int kRepaintDelayMs = 30;
constexpr int kClockRepaintMs = 60000;
// Print sizes in 1/96 inch.
constexpr int kPrintFontPixels = 12;
constexpr int kPrintHeadingPixels = 18;
constexpr double kPrintGap = 6;
} // namespace

const char* const ScheduleView::kTaskMimeType = "application/x-tarvelo-task";

QMimeData* ScheduleView::MakeTaskMimeData(qint32 taskId) {
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kTaskMimeType), QByteArray::number(taskId));
    return mime;
}

bool ScheduleView::TaskIdFromMimeData(const QMimeData* mime, qint32* taskId) {
    if (!mime || !mime->hasFormat(QString::fromLatin1(kTaskMimeType)))
        return false;
    bool ok = false;
    const qint32 id = mime->data(QString::fromLatin1(kTaskMimeType)).toInt(&ok);
    if (ok && taskId)
        *taskId = id;
    return ok;
}

struct ScheduleView::PrintSetup {
    QFont font;
    QFont headingFont;
    ScheduleMapper mapper;
    double rulerLine = 0;
    double heading = 0;
    double footer = 0;
    double listWidth = 0;
    std::vector<SchedulePageLayout::Page> pages;
};

ScheduleView::ScheduleView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    viewport()->setAcceptDrops(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_firstDate = m_lastDate = ScheduleText::DateNumber(QDate::currentDate());
    m_mapper.SetDates(m_firstDate, m_lastDate);
    m_mapper.SetTimeType(ScheduleMapper::Hours);
    m_mapper.SetDaySpan(m_dayStart, m_dayEnd);
    m_mapper.SetScale(m_timeDistance, m_secondSpacing);
    m_repaintTimer.setSingleShot(true);
    m_repaintTimer.setInterval(kRepaintDelayMs);
    connect(&m_repaintTimer, &QTimer::timeout, viewport(), qOverload<>(&QWidget::update));
    m_clockTimer.setInterval(kClockRepaintMs);
    connect(&m_clockTimer, &QTimer::timeout, viewport(), [this] {
        if (isVisible())
            viewport()->update(CurrentLayout().grid);
    });
    m_clockTimer.start();
    m_accessTimer.setSingleShot(true);
    m_accessTimer.setInterval(0);
    connect(&m_accessTimer, &QTimer::timeout, this, [this] { NotifyCells(); });
    ScheduleAccessible::Install();
    // Assistive technology that asked while the base class was being built
    // got a plain scroll area: it is asked again.
    if (QAccessible::isActive()) {
        QAccessibleInterface* made = QAccessible::queryAccessibleInterface(this);
        if (made && !made->tableInterface())
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
    UpdateMetrics();
}

ScheduleView::~ScheduleView() = default;

QSize ScheduleView::sizeHint() const {
    return QSize(800, 400);
}

QSize ScheduleView::minimumSizeHint() const {
    return QSize(kMinListWidth + kMinGridWidth + 40, HeaderHeight() + 2 * RowHeight());
}

// ---- rows ------------------------------------------------------------------

void ScheduleView::Clear() {
    m_model.Clear();
    m_currentRow = -1;
    m_hoverRow = m_hoverBar = 0;
    m_selectedRow = m_selectedBar = 0;
    m_drag = BarDrag();
    m_dropRow = 0;
    CellsChanged();
    UpdateScrollBars();
    RequestRepaint();
}

int ScheduleView::AddRow(const QString& text) {
    const int row = m_model.AddRow(text);
    CellsChanged();
    UpdateScrollBars();
    RequestRepaint();
    return row;
}

qint32 ScheduleView::RowData(int row) const {
    return m_model.RowData(row);
}

void ScheduleView::SetRowData(int row, qint32 datum) {
    m_model.SetRowData(row, datum);
}

int ScheduleView::RowCount() const {
    return m_model.RowCount() + 1;
}

int ScheduleView::CurrentRow() const {
    return m_currentRow;
}

void ScheduleView::SetCurrentRow(int row) {
    const int current = m_model.IsRow(row) ? row : -1;
    if (current == m_currentRow)
        return;
    RepaintRow(m_currentRow);
    m_currentRow = current;
    RepaintRow(m_currentRow);
    if (current < 1)
        return;
    // Bring the row into view when it lies outside.
    const Layout layout = CurrentLayout();
    const int top = m_mapper.RowTop(current);
    const int y = verticalScrollBar()->value();
    if (top < y)
        SetScroll(m_wantedX, top);
    else if (top + RowHeight() > y + layout.grid.height() && layout.grid.height() > 0)
        SetScroll(m_wantedX, top + RowHeight() - layout.grid.height());
}

QString ScheduleView::CellText(int row, int column) const {
    return column == 1 ? m_model.RowText(row) : QString();
}

// ---- bars ------------------------------------------------------------------

int ScheduleView::AddBar(int row, int startMinute, int endMinute, qint32 firstDate,
                         qint32 lastDate, const QString& key) {
    const int bar = m_model.AddBar(row, startMinute, endMinute, firstDate, lastDate, key);
    if (bar) {
        CellsChanged();
        RequestRepaint();
    }
    return bar;
}

int ScheduleView::BarCount(int row) const {
    return m_model.BarCount(row);
}

void ScheduleView::ReserveBars(int row, int count) {
    m_model.ReserveBars(row, count);
}

void ScheduleView::ClearBars(int row) {
    if (!m_model.IsRow(row))
        return;
    RepaintRow(row);
    m_model.ClearBars(row);
    if (m_hoverRow == row)
        m_hoverRow = m_hoverBar = 0;
    if (m_selectedRow == row)
        m_selectedRow = m_selectedBar = 0;
    // A press or drag on a bar of this row loses its bar.
    if (m_drag.row == row)
        m_drag = BarDrag();
}

QString ScheduleView::BarKey(int row, int bar) const {
    return m_model.IsBar(row, bar) ? m_model.BarAt(row, bar).key.Get() : QString();
}

qint32 ScheduleView::BarData(int row, int bar) const {
    return m_model.IsBar(row, bar) ? m_model.BarAt(row, bar).datum : 0;
}

bool ScheduleView::BarTimes(int row, int bar, qint32* date, int* startMinute,
                            int* endMinute) const {
    if (!m_model.IsBar(row, bar))
        return false;
    const ScheduleModel::Bar& b = m_model.BarAt(row, bar);
    *date = b.firstDate;
    *startMinute = b.startMinute;
    *endMinute = b.endMinute;
    return true;
}

void ScheduleView::SetBarData(int row, int bar, qint32 datum) {
    if (auto* b = m_model.MutableBar(row, bar))
        b->datum = datum;
}

QString ScheduleView::BarSecondText(int row, int bar) const {
    return m_model.IsBar(row, bar) ? m_model.BarAt(row, bar).secondText.Get() : QString();
}

void ScheduleView::SetBarSecondText(int row, int bar, const QString& text) {
    if (auto* b = m_model.MutableBar(row, bar))
        b->secondText.Set(text);
}

qint32 ScheduleView::BarColour(int row, int bar) const {
    return m_model.IsBar(row, bar) ? m_model.BarAt(row, bar).colour : 0;
}

void ScheduleView::SetBarColour(int row, int bar, qint32 rgb) {
    if (auto* b = m_model.MutableBar(row, bar)) {
        b->colour = rgb;
        RequestRepaint();
    }
}

QString ScheduleView::BarText(int row, int bar) const {
    return m_model.IsBar(row, bar) ? m_model.BarText(m_model.BarAt(row, bar)) : QString();
}

void ScheduleView::SetBarText(int row, int bar, const QString& text) {
    if (auto* b = m_model.MutableBar(row, bar)) {
        m_model.SetBarText(b, text);
        RequestRepaint();
    }
}

// ---- view settings ---------------------------------------------------------

void ScheduleView::SetFirstDate(qint32 date) {
    // The view keeps its place among the shown dates: what was the third date
    // shown stays at the same place as the new third date.
    TimePoint keep = LeftEdgeTime();
    keep.date += date - m_firstDate;
    m_anchorDate += date - m_firstDate;
    m_firstDate = date;
    m_mapper.SetDates(m_firstDate, m_lastDate);
    ApplyTimeAxis(keep);
}

void ScheduleView::SetLastDate(qint32 date) {
    const TimePoint keep = LeftEdgeTime();
    m_lastDate = date;
    m_mapper.SetDates(m_firstDate, m_lastDate);
    ApplyTimeAxis(keep);
}

void ScheduleView::SetTimeType(int timeType) {
    if (timeType < ScheduleMapper::Hours || timeType > ScheduleMapper::Weeks)
        return;
    const TimePoint keep = LeftEdgeTime();
    m_mapper.SetTimeType(timeType);
    ApplyTimeAxis(keep);
}

void ScheduleView::SetRulerDateFormat(const QString& format) {
    m_rulerFormat = format;
    viewport()->update();
}

void ScheduleView::SetDayStart(int minute) {
    const TimePoint keep = LeftEdgeTime();
    m_dayStart = minute;
    m_mapper.SetDaySpan(m_dayStart, m_dayEnd);
    ApplyTimeAxis(keep);
}

void ScheduleView::SetDayEnd(int minute) {
    const TimePoint keep = LeftEdgeTime();
    m_dayEnd = minute;
    m_mapper.SetDaySpan(m_dayStart, m_dayEnd);
    ApplyTimeAxis(keep);
}

void ScheduleView::SetTitle(const QString& title) {
    m_title = title;
    viewport()->update(QRect(0, 0, CurrentLayout().listWidth, HeaderHeight()));
}

void ScheduleView::SetListWidth(int width) {
    width = std::max(width, kMinListWidth);
    if (width == m_listWidth)
        return;
    m_listWidth = width;
    UpdateScrollBars();
    viewport()->update();
}

void ScheduleView::SetTimeDistance(int pixelsPerHour) {
    const TimePoint keep = LeftEdgeTime();
    m_timeDistance = pixelsPerHour;
    m_mapper.SetScale(m_timeDistance, m_secondSpacing);
    ApplyTimeAxis(keep);
}

void ScheduleView::SetSecondSpacing(int pixelsPerHour) {
    const TimePoint keep = LeftEdgeTime();
    m_secondSpacing = pixelsPerHour;
    m_mapper.SetScale(m_timeDistance, m_secondSpacing);
    ApplyTimeAxis(keep);
}

void ScheduleView::SetScalesAroundMiddle(int timeDistance, int secondSpacing) {
    const int half = CurrentLayout().grid.width() / 2;
    TimePoint middle;
    middle.valid = m_mapper.TimeAtX(horizontalScrollBar()->value() + half, &middle.date,
                                    &middle.minute);
    m_timeDistance = timeDistance;
    m_secondSpacing = secondSpacing;
    m_mapper.SetScale(m_timeDistance, m_secondSpacing);
    // The time ShowTime asked for, until the user scrolls away from it,
    // keeps its place instead.
    if (m_anchorValid || !middle.valid) {
        ApplyTimeAxis(middle);
        return;
    }
    UpdateScrollBars();
    SetScroll(int(std::floor(m_mapper.XForTime(middle.date, middle.minute))) - half, m_wantedY);
    viewport()->update();
}

void ScheduleView::SetSlotLength(int minutes) {
    m_slotLength = std::max(1, minutes);
    minutes = std::max(0, minutes);
    if (minutes == m_slotMinutes)
        return;
    m_slotMinutes = minutes;
    CellsChanged();
}

void ScheduleView::SetUse12Hour(bool on) {
    m_use12Hour = on;
    viewport()->update();
}

void ScheduleView::SetUse24Hour(bool on) {
    m_use24Hour = on;
    viewport()->update();
}

void ScheduleView::SetBackColour(qint32 rgb) {
    m_backColour = rgb;
    viewport()->update();
}

void ScheduleView::SetTitleBackColour(qint32 rgb) {
    m_titleColour = rgb;
    viewport()->update();
}

void ScheduleView::SetListBackColour(qint32 rgb) {
    m_listColour = rgb;
    viewport()->update();
}

void ScheduleView::SetWeekendColour(qint32 rgb) {
    m_weekendColour = rgb;
    viewport()->update();
}

void ScheduleView::SetRulerBackColour(qint32 rgb) {
    m_rulerColour = rgb;
    viewport()->update();
}

void ScheduleView::SetSelectBackColour(qint32 rgb) {
    m_selectColour = rgb;
    viewport()->update();
}

void ScheduleView::SetPrintHeading(const QString& text) {
    m_printHeading = text;
}

void ScheduleView::SetPrintFooter(const QString& text) {
    m_printFooter = text;
}

void ScheduleView::SetPrintColourBars(bool on) {
    m_printColourBars = on;
}

void ScheduleView::SetPrintColourBack(bool on) {
    m_printColourBack = on;
}

// ---- geometry --------------------------------------------------------------

void ScheduleView::UpdateMetrics() {
    const QFontMetrics metrics(font());
    m_mapper.SetRowHeight(std::max(20, metrics.height() + 10));
    m_rulerLineHeight = metrics.height() + 6;
    UpdateScrollBars();
    viewport()->update();
}

ScheduleView::Layout ScheduleView::CurrentLayout() const {
    Layout layout;
    const QSize size = viewport()->size();
    layout.listWidth = std::clamp(m_listWidth, 0, std::max(0, size.width() - kMinGridWidth));
    layout.header = HeaderHeight();
    layout.grid = QRect(layout.listWidth, layout.header,
                        std::max(0, size.width() - layout.listWidth),
                        std::max(0, size.height() - layout.header));
    return layout;
}

ScheduleView::TimePoint ScheduleView::LeftEdgeTime() const {
    TimePoint point;
    point.valid = m_mapper.TimeAtX(horizontalScrollBar()->value(), &point.date, &point.minute);
    return point;
}

void ScheduleView::ApplyTimeAxis(const TimePoint& keep) {
    CellsChanged();
    UpdateScrollBars();
    if (m_anchorValid) {
        m_anchorDate = std::clamp(m_anchorDate, m_mapper.FirstDate(), m_mapper.LastDate());
        ScrollToAnchor();
    } else if (keep.valid) {
        // The same time of day stays at the left edge; a date no longer shown
        // is replaced by the nearest shown one.
        const qint32 date = std::clamp(keep.date, m_mapper.FirstDate(), m_mapper.LastDate());
        SetScroll(int(std::floor(m_mapper.XForTime(date, keep.minute))), m_wantedY);
    }
    viewport()->update();
}

void ScheduleView::UpdateScrollBars() {
    ++m_codeScroll;
    const Layout layout = CurrentLayout();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, std::max(0, m_mapper.ContentWidth() - layout.grid.width()));
    h->setPageStep(std::max(1, layout.grid.width()));
    h->setSingleStep(std::max(4, m_mapper.TimeType() == ScheduleMapper::Hours
                                     ? int(m_mapper.HourWidth() / 2)
                                     : m_mapper.DateWidth()));
    v->setRange(0, std::max(0, m_mapper.ContentHeight(m_model.RowCount()) - layout.grid.height()));
    v->setPageStep(std::max(1, layout.grid.height()));
    v->setSingleStep(RowHeight());
    h->setValue(m_wantedX);
    v->setValue(m_wantedY);
    --m_codeScroll;
}

void ScheduleView::SetScroll(int x, int y) {
    m_wantedX = std::max(0, x);
    m_wantedY = std::max(0, y);
    ++m_codeScroll;
    horizontalScrollBar()->setValue(m_wantedX);
    verticalScrollBar()->setValue(m_wantedY);
    --m_codeScroll;
}

void ScheduleView::ShowTime(qint32 date, int minute) {
    m_anchorValid = true;
    m_anchorDate = std::clamp(date, m_mapper.FirstDate(), m_mapper.LastDate());
    m_anchorMinute = minute;
    UpdateScrollBars();
    ScrollToAnchor();
}

void ScheduleView::ScrollToAnchor() {
    // The time lands an eighth of the width in from the left edge, so that a
    // little of what comes before it stays in view.
    const Layout layout = CurrentLayout();
    const double x = m_mapper.XForTime(m_anchorDate, m_anchorMinute);
    SetScroll(int(std::floor(x)) - layout.grid.width() / 8, m_wantedY);
}

QRect ScheduleView::RowRect(int row) const {
    if (!m_model.IsRow(row))
        return QRect();
    const Layout layout = CurrentLayout();
    return QRect(0, layout.header + m_mapper.RowTop(row) - verticalScrollBar()->value(),
                 viewport()->width(), RowHeight());
}

QRect ScheduleView::BarRect(int row, int bar) const {
    if (!m_model.IsBar(row, bar))
        return QRect();
    const ScheduleModel::Bar& b = m_model.BarAt(row, bar);
    double x = 0;
    double width = 0;
    if (!m_mapper.BarExtent(b.firstDate, b.startMinute, b.lastDate, b.endMinute, &x, &width))
        return QRect();
    const Layout layout = CurrentLayout();
    const int left = layout.listWidth + int(std::round(x)) - horizontalScrollBar()->value();
    const int right = std::max(left + 1, layout.listWidth + int(std::round(x + width)) -
                                             horizontalScrollBar()->value());
    const QRect rect(left - 1, layout.header + m_mapper.RowTop(row) - verticalScrollBar()->value(),
                     right - left + 2, RowHeight());
    return rect & layout.grid;
}

void ScheduleView::RequestRepaint() {
    if (!m_repaintTimer.isActive())
        m_repaintTimer.start();
}

void ScheduleView::RepaintRow(int row) {
    const QRect rect = RowRect(row);
    if (!rect.isEmpty())
        viewport()->update(rect);
}

void ScheduleView::RepaintBar(int row, int bar) {
    const QRect rect = BarRect(row, bar);
    if (!rect.isEmpty())
        viewport()->update(rect);
}

// ---- hit tests -------------------------------------------------------------

ScheduleView::Hit ScheduleView::HitTest(const QPoint& point) const {
    return HitTestViewport(viewport()->mapFrom(this, point));
}

ScheduleView::Hit ScheduleView::HitTestViewport(const QPoint& point) const {
    Hit hit;
    const Layout layout = CurrentLayout();
    if (point.y() < layout.header || point.y() >= layout.grid.bottom() + 1 || point.x() < 0 ||
        point.x() >= layout.grid.right() + 1)
        return hit;
    hit.row = m_mapper.RowAtY(verticalScrollBar()->value() + point.y() - layout.header,
                              m_model.RowCount());
    if (point.x() < layout.listWidth) {
        hit.onNames = true;
        return hit;
    }
    const double x = horizontalScrollBar()->value() + point.x() - layout.listWidth;
    hit.onTime = m_mapper.TimeAtX(x, &hit.date, &hit.minute);
    if (hit.row && hit.onTime)
        hit.bar = BarAtContent(hit.row, x);
    return hit;
}

int ScheduleView::BarAtContent(int row, double x) const {
    // Candidates are the bars whose time reaches the pixel or its neighbours
    // (a very short bar is drawn wider than its time); the answer is the last
    // of them in drawing order whose drawn extent covers the pixel.
    const int pixel = int(std::floor(x));
    const int lastPixel = m_mapper.ContentWidth() - 1;
    qint32 date = 0;
    int minute = 0;
    // Bars outside the working day are drawn at its edges: near an edge the
    // candidates take in the rest of that date.
    const int low = std::clamp(pixel - ScheduleMapper::kMinBarWidth, 0, lastPixel);
    m_mapper.TimeAtX(low, &date, &minute);
    const qint64 fromKey =
        low - m_mapper.DateLeft(date) <= ScheduleMapper::kMinBarWidth
            ? ScheduleMapper::TimeKey(date, 0)
            : ScheduleMapper::TimeKey(date, minute);
    const int high = std::clamp(pixel + 1, 0, lastPixel);
    m_mapper.TimeAtX(high, &date, &minute);
    const qint64 toKey =
        m_mapper.DateLeft(date) + m_mapper.DateWidth() - high <= ScheduleMapper::kMinBarWidth + 1
            ? ScheduleMapper::TimeKey(date, ScheduleMapper::kMinutesPerDay) + 1
            : ScheduleMapper::TimeKey(date, minute) + 1;
    std::vector<int> candidates;
    m_model.BarsInRange(row, fromKey, toKey, &candidates);
    for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
        const ScheduleModel::Bar& bar = m_model.BarAt(row, *it);
        double left = 0;
        double width = 0;
        if (!m_mapper.BarExtent(bar.firstDate, bar.startMinute, bar.lastDate, bar.endMinute, &left,
                                &width))
            continue;
        const double from = std::round(left);
        const double to = std::max(from + 1, std::round(left + width));
        if (pixel >= from && pixel < to)
            return *it;
    }
    return 0;
}

QPoint ScheduleView::PointForTime(int row, qint32 date, int minute) const {
    const Layout layout = CurrentLayout();
    const double x = m_mapper.XForTime(date, minute);
    return viewport()->mapTo(
        this, QPoint(layout.listWidth + int(std::floor(x + 1e-6)) - horizontalScrollBar()->value(),
                     layout.header + m_mapper.RowTop(row) + RowHeight() / 2 -
                         verticalScrollBar()->value()));
}

bool ScheduleView::DropAtPoint(int x, int y) {
    const Hit hit = HitTest(QPoint(x, y));
    if (!hit.row || !hit.onTime)
        return false;
    emit Sched_DropItem(hit.row, hit.minute, hit.date);
    return true;
}

bool ScheduleView::NearDivider(const QPoint& point) const {
    const Layout layout = CurrentLayout();
    return std::abs(point.x() - layout.listWidth) <= kDividerGrip && point.y() >= 0;
}

void ScheduleView::CancelBarAction() {
    m_cancelSelect = true;
    if (m_selectedRow) {
        RepaintBar(m_selectedRow, m_selectedBar);
        m_selectedRow = m_selectedBar = 0;
    }
}

// ---- painting --------------------------------------------------------------

SchedulePainter::Palette ScheduleView::PlatformPalette(const QPalette& platform) {
    SchedulePainter::Palette palette;
    palette.back = platform.color(QPalette::Base);
    palette.title = platform.color(QPalette::Mid);
    palette.list = platform.color(QPalette::Window);
    palette.ruler = platform.color(QPalette::Button);
    palette.select = platform.color(QPalette::Highlight);
    palette.weekend = ColourUtil::Blend(palette.back, palette.select, 0.12);
    return palette;
}

SchedulePainter::Palette ScheduleView::ScreenPalette(const QPalette& platform) const {
    SchedulePainter::Palette palette = PlatformPalette(platform);
    const auto set = [](QColor* colour, qint32 rgb) {
        if (rgb != kPlatformColour)
            *colour = ColourUtil::ToColor(rgb);
    };
    set(&palette.back, m_backColour);
    set(&palette.title, m_titleColour);
    set(&palette.list, m_listColour);
    set(&palette.weekend, m_weekendColour);
    set(&palette.ruler, m_rulerColour);
    set(&palette.select, m_selectColour);
    palette.colourBars = true;
    return palette;
}

SchedulePainter::Frame ScheduleView::ScreenFrame(const Layout& layout) const {
    SchedulePainter::Frame f;
    f.corner = QRectF(0, 0, layout.listWidth, layout.header);
    f.ruler = QRectF(layout.listWidth, 0, layout.grid.width(), layout.header);
    f.names = QRectF(0, layout.header, layout.listWidth, layout.grid.height());
    f.grid = layout.grid;
    f.contentX = horizontalScrollBar()->value();
    f.contentXEnd = m_mapper.ContentWidth();
    f.contentY = verticalScrollBar()->value();
    f.firstRow = 1;
    f.lastRow = m_model.RowCount();
    f.currentRow = m_currentRow;
    f.hoverRow = m_hoverRow;
    f.hoverBar = m_hoverBar;
    f.selectedRow = m_selectedRow;
    f.selectedBar = m_selectedBar;
    f.dropRow = m_dropRow;
    f.dropX = m_dropX;
    const QDateTime now = QDateTime::currentDateTime();
    f.nowDate = ScheduleText::DateNumber(now.date());
    f.nowMinute = now.time().hour() * 60 + now.time().minute();
    return f;
}

void ScheduleView::paintEvent(QPaintEvent* event) {
    if (event->rect() == viewport()->rect())
        m_repaintTimer.stop();
    QPainter painter(viewport());
    const SchedulePainter::Palette colours = ScreenPalette(palette());
    const SchedulePainter schedule(m_model, m_mapper, colours, font(), m_title,
                                   m_rulerFormat, m_use12Hour && !m_use24Hour);
    schedule.Paint(painter, ScreenFrame(CurrentLayout()), event->rect());
    const QRect ghost = GhostRect();
    if (!ghost.isEmpty()) {
        const QColor select = colours.select;
        QColor fill = select;
        fill.setAlpha(110);
        painter.setClipRect(CurrentLayout().grid);
        painter.setPen(QPen(ColourUtil::Blend(select, ColourUtil::TextOn(select), 0.6), 2,
                            Qt::DashLine));
        painter.setBrush(fill);
        painter.drawRect(ghost.adjusted(1, 1, -1, -1));
    }
    PaintFocusRing(painter);
}

void ScheduleView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    if (m_anchorValid)
        ScrollToAnchor();
}

void ScheduleView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateMetrics();
}

void ScheduleView::scrollContentsBy(int dx, int dy) {
    const Layout layout = CurrentLayout();
    const QSize size = viewport()->size();
    // The name column moves only up and down, the ruler only sideways.
    if (dx)
        viewport()->scroll(dx, 0, QRect(layout.listWidth, 0, size.width() - layout.listWidth,
                                        size.height()));
    if (dy)
        viewport()->scroll(0, dy, QRect(0, layout.header, size.width(),
                                        size.height() - layout.header));
    if (m_codeScroll)
        return;
    m_wantedX = horizontalScrollBar()->value();
    m_wantedY = verticalScrollBar()->value();
    m_anchorValid = false;
    TimePoint left = LeftEdgeTime();
    emit Sched_ScrollTrack(m_mapper.RowAtY(m_wantedY, m_model.RowCount()), left.date, left.minute);
}

// ---- mouse -----------------------------------------------------------------

void ScheduleView::SetHover(int row, int bar) {
    if (row == m_hoverRow && bar == m_hoverBar)
        return;
    RepaintBar(m_hoverRow, m_hoverBar);
    m_hoverRow = row;
    m_hoverBar = bar;
    RepaintBar(m_hoverRow, m_hoverBar);
    if (bar)
        emit Sched_ItemMove(row, bar);
}

void ScheduleView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (NearDivider(point)) {
        m_resizingList = true;
        return;
    }
    const Hit hit = HitTestViewport(point);
    if (hit.row)
        SetCurrentRow(hit.row);
    m_drag = BarDrag();
    if (hit.bar) {
        m_drag.row = hit.row;
        m_drag.bar = hit.bar;
        m_drag.part = PartAt(hit.row, hit.bar, point);
        m_drag.pressPoint = point;
        m_drag.pressDate = hit.date;
        m_drag.pressMinute = hit.minute;
    }
    if (!hit.bar) {
        if (hit.onTime)
            CancelBarAction();
        return;
    }
    m_cancelSelect = false;
    emit Sched_BarPreSelect();
    // The handler may have rebuilt the schedule or refused the selection.
    if (m_cancelSelect || !m_model.IsBar(hit.row, hit.bar))
        return;
    RepaintBar(m_selectedRow, m_selectedBar);
    m_selectedRow = hit.row;
    m_selectedBar = hit.bar;
    RepaintBar(m_selectedRow, m_selectedBar);
}

void ScheduleView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (m_resizingList) {
        const int width = std::clamp(point.x(), kMinListWidth,
                                     std::max(kMinListWidth, viewport()->width() - kMinGridWidth));
        if (width != m_listWidth) {
            SetListWidth(width);
            emit ListWidthChanged(m_listWidth);
        }
        return;
    }
    const Hit hit = HitTestViewport(point);
    if ((event->buttons() & Qt::LeftButton) && m_drag.bar && !m_drag.active &&
        (point - m_drag.pressPoint).manhattanLength() >= QApplication::startDragDistance())
        m_drag.active = m_model.IsBar(m_drag.row, m_drag.bar);
    // The cursor tells what a press does: move a bar, stretch it by an end,
    // or widen the name column.
    const BarDrag::Part part = m_drag.active ? m_drag.part
                               : hit.bar     ? PartAt(hit.row, hit.bar, point)
                                             : BarDrag::Body;
    if (!m_drag.active && NearDivider(point))
        viewport()->setCursor(Qt::SplitHCursor);
    else if (m_drag.active || hit.bar)
        viewport()->setCursor(part == BarDrag::Body ? Qt::SizeAllCursor : Qt::SizeHorCursor);
    else
        viewport()->unsetCursor();
    if (m_drag.active)
        UpdateDrag(point);
    SetHover(hit.bar ? hit.row : 0, hit.bar);
}

ScheduleView::BarDrag::Part ScheduleView::PartAt(int row, int bar, const QPoint& point) const {
    // Only the hour resolution gives a bar's ends room enough to hold.
    if (m_mapper.TimeType() != ScheduleMapper::Hours || !m_model.IsBar(row, bar))
        return BarDrag::Body;
    const ScheduleModel::Bar& b = m_model.BarAt(row, bar);
    double left = 0;
    double width = 0;
    if (!m_mapper.BarExtent(b.firstDate, b.startMinute, b.lastDate, b.endMinute, &left, &width))
        return BarDrag::Body;
    const double from = std::round(left);
    const double to = std::max(from + 1, std::round(left + width));
    // A short bar keeps a third of itself for moving it.
    const double grip = std::min(double(kEdgeGrip), std::floor((to - from) / 3));
    const double x = horizontalScrollBar()->value() + point.x() - CurrentLayout().listWidth;
    if (grip >= 1 && x >= to - grip)
        return BarDrag::EndEdge;
    if (grip >= 1 && x < from + grip)
        return BarDrag::StartEdge;
    return BarDrag::Body;
}

int ScheduleView::Snap(int minute) const {
    const double steps = std::round(double(minute - m_dayStart) / m_slotLength);
    return m_dayStart + int(steps) * m_slotLength;
}

void ScheduleView::UpdateDrag(const QPoint& point) {
    if (!m_model.IsBar(m_drag.row, m_drag.bar)) {
        CancelDrag();
        return;
    }
    const QRect before = GhostRect();
    const ScheduleModel::Bar& b = m_model.BarAt(m_drag.row, m_drag.bar);
    const Hit hit = HitTestViewport(point);
    m_drag.toRow = hit.row && hit.onTime ? hit.row : 0;
    m_drag.date = b.firstDate;
    m_drag.start = b.startMinute;
    m_drag.end = b.endMinute;
    if (m_drag.toRow) {
        if (m_drag.part == BarDrag::Body) {
            m_drag.date += hit.date - m_drag.pressDate;
            // By whole slots in the hour resolution; the day and week
            // resolutions move the bar by whole dates.
            if (m_mapper.TimeType() == ScheduleMapper::Hours) {
                m_drag.start = Snap(b.startMinute + hit.minute - m_drag.pressMinute);
                m_drag.end = m_drag.start + b.endMinute - b.startMinute;
            }
        } else {
            // An end stays on the bar's own row and date.
            m_drag.toRow = m_drag.row;
            const int minute = hit.date > b.firstDate   ? m_mapper.DayEnd()
                               : hit.date < b.firstDate ? m_mapper.DayStart()
                                                        : hit.minute;
            (m_drag.part == BarDrag::StartEdge ? m_drag.start : m_drag.end) = Snap(minute);
        }
    }
    const QRect after = GhostRect();
    if (before != after) {
        viewport()->update(before.adjusted(-2, -2, 2, 2));
        viewport()->update(after.adjusted(-2, -2, 2, 2));
    }
}

void ScheduleView::CancelDrag() {
    const QRect ghost = GhostRect();
    m_drag = BarDrag();
    viewport()->update(ghost.adjusted(-2, -2, 2, 2));
    viewport()->unsetCursor();
}

QRect ScheduleView::GhostRect() const {
    if (!m_drag.active || !m_model.IsRow(m_drag.toRow))
        return QRect();
    double x = 0;
    double width = 0;
    // A stretch past the other end shows as the short bar it would be.
    if (!m_mapper.BarExtent(m_drag.date, m_drag.start, m_drag.date,
                            std::max(m_drag.end, m_drag.start), &x, &width))
        return QRect();
    const Layout layout = CurrentLayout();
    const int left = layout.listWidth + int(std::round(x)) - horizontalScrollBar()->value();
    const int right = std::max(left + ScheduleMapper::kMinBarWidth,
                               layout.listWidth + int(std::round(x + width)) -
                                   horizontalScrollBar()->value());
    return QRect(left, layout.header + m_mapper.RowTop(m_drag.toRow) - verticalScrollBar()->value(),
                 right - left, RowHeight()) &
           layout.grid;
}

void ScheduleView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_resizingList = false;
    if (m_drag.active)
        UpdateDrag(event->position().toPoint());
    const BarDrag drag = m_drag;
    if (drag.active)
        CancelDrag();
    m_drag = BarDrag();
    if (!drag.active)
        return;
    emit Sched_BarPreDrop();
    emit Sched_BarDrop(drag.row, drag.bar, drag.toRow, drag.date, drag.start, drag.end);
}

void ScheduleView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const Hit hit = HitTestViewport(event->position().toPoint());
    if (hit.onNames && hit.row) {
        SetCurrentRow(hit.row);
        emit Sched_ListDblClick(hit.row);
    } else if (hit.onTime && hit.row) {
        emit Sched_TimeDblClick(hit.row, hit.bar, hit.minute, hit.date);
    }
}

void ScheduleView::keyPressEvent(QKeyEvent* event) {
    if (m_drag.active && event->key() == Qt::Key_Escape) {
        CancelDrag();
        event->accept();
        return;
    }
    if (MoveByKey(event))
        event->accept();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void ScheduleView::wheelEvent(QWheelEvent* event) {
    // Shift turns the wheel sideways, along the time axis.
    if (!(event->modifiers() & Qt::ShiftModifier) || event->angleDelta().y() == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    QScrollBar* bar = horizontalScrollBar();
    const int pixels = event->pixelDelta().y() != 0
                           ? event->pixelDelta().y()
                           : event->angleDelta().y() * 3 * bar->singleStep() / 120;
    bar->setValue(bar->value() - pixels);
    event->accept();
}

bool ScheduleView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        SetHover(0, 0);
    return QAbstractScrollArea::viewportEvent(event);
}

// ---- drag and drop ---------------------------------------------------------

void ScheduleView::SetDrop(int row, double x) {
    if (row == m_dropRow && x == m_dropX)
        return;
    RepaintRow(m_dropRow);
    m_dropRow = row;
    m_dropX = x;
    RepaintRow(m_dropRow);
}

void ScheduleView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(kTaskMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ScheduleView::dragMoveEvent(QDragMoveEvent* event) {
    const QPoint point = event->position().toPoint();
    const Hit hit = HitTestViewport(point);
    if (!event->mimeData()->hasFormat(QString::fromLatin1(kTaskMimeType)) || !hit.row ||
        !hit.onTime) {
        SetDrop(0, -1);
        event->ignore();
        return;
    }
    SetDrop(hit.row, horizontalScrollBar()->value() + point.x() - CurrentLayout().listWidth);
    event->acceptProposedAction();
}

void ScheduleView::dragLeaveEvent(QDragLeaveEvent* event) {
    SetDrop(0, -1);
    event->accept();
}

void ScheduleView::dropEvent(QDropEvent* event) {
    SetDrop(0, -1);
    if (!event->mimeData()->hasFormat(QString::fromLatin1(kTaskMimeType))) {
        event->ignore();
        return;
    }
    const QPoint point = viewport()->mapTo(this, event->position().toPoint());
    event->acceptProposedAction();
    DropAtPoint(point.x(), point.y());
}

// ---- printing --------------------------------------------------------------

ScheduleView::PrintSetup ScheduleView::MakePrintSetup(const QSizeF& pageSize) const {
    PrintSetup setup;
    setup.font = font();
    setup.font.setPixelSize(kPrintFontPixels);
    setup.headingFont = setup.font;
    setup.headingFont.setPixelSize(kPrintHeadingPixels);
    setup.headingFont.setBold(true);
    const QFontMetricsF metrics(setup.font);
    const QFontMetricsF headingMetrics(setup.headingFont);
    setup.mapper = m_mapper;
    setup.mapper.SetRowHeight(int(std::ceil(metrics.height())) + 10);
    setup.rulerLine = std::ceil(metrics.height()) + 6;
    setup.heading = std::ceil(headingMetrics.height()) + 8;
    setup.footer = std::ceil(metrics.height()) + 8;

    // Names are printed whole where the page allows, even when the column on
    // the screen is narrower.
    QFont titleFont = setup.font;
    titleFont.setBold(true);
    double widest = QFontMetricsF(titleFont).horizontalAdvance(m_title) + 14;
    for (int row = 1; row <= m_model.RowCount(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(m_model.RowText(row)) + 14);
    setup.listWidth = std::min(std::max(double(m_listWidth), std::min(widest, pageSize.width() / 3)),
                               pageSize.width() / 2);

    const double body = pageSize.height() - setup.heading - setup.footer - 2 * kPrintGap -
                        2 * setup.rulerLine;
    const int rowsPerPage = std::max(1, int(body / setup.mapper.RowHeight()));
    const double spanWidth = pageSize.width() - setup.listWidth;

    // Pages end at date boundaries; where one date is wider than the page, at
    // hour boundaries inside it.
    std::vector<double> breaks;
    const ScheduleMapper& mapper = setup.mapper;
    for (int i = 1; i <= mapper.DateCount(); ++i)
        breaks.push_back(double(i) * mapper.DateWidth());
    if (mapper.DateWidth() > spanWidth) {
        for (int i = 0; i < mapper.DateCount(); ++i) {
            for (int m = (mapper.DayStart() / 60 + 1) * 60; m < mapper.DayEnd(); m += 60)
                breaks.push_back(mapper.XForTime(mapper.FirstDate() + i, m));
        }
    }
    setup.pages = SchedulePageLayout::Pages(
        m_model.RowCount(), rowsPerPage,
        SchedulePageLayout::SplitSpan(mapper.ContentWidth(), std::move(breaks), spanWidth));
    return setup;
}

int ScheduleView::PrintPageCount(const QSizeF& pageSize) const {
    return int(MakePrintSetup(pageSize).pages.size());
}

void ScheduleView::PaintPrintPage(QPainter& painter, const QSizeF& pageSize, int page) const {
    const PrintSetup setup = MakePrintSetup(pageSize);
    if (page < 0 || page >= int(setup.pages.size()))
        return;
    const SchedulePageLayout::Page& layout = setup.pages[size_t(page)];
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    const double width = pageSize.width();
    painter.setPen(Qt::black);
    painter.setFont(setup.headingFont);
    painter.drawText(QRectF(0, 0, width, setup.heading - 4),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetricsF(setup.headingFont)
                         .elidedText(m_printHeading, Qt::ElideRight, width));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QLineF(0, setup.heading - 1, width, setup.heading - 1));

    const int rows = std::max(0, layout.lastRow - layout.firstRow + 1);
    const double top = setup.heading + kPrintGap;
    const double header = 2 * setup.rulerLine;
    const double spanWidth = layout.span.to - layout.span.from;
    const double rowsHeight = double(rows) * setup.mapper.RowHeight();
    SchedulePainter::Frame f;
    f.corner = QRectF(0, top, setup.listWidth, header);
    f.ruler = QRectF(setup.listWidth, top, spanWidth, header);
    f.names = QRectF(0, top + header, setup.listWidth, rowsHeight);
    f.grid = QRectF(setup.listWidth, top + header, spanWidth, rowsHeight);
    f.contentX = layout.span.from;
    f.contentXEnd = layout.span.to;
    f.contentY = setup.mapper.RowTop(layout.firstRow);
    f.firstRow = layout.firstRow;
    f.lastRow = layout.lastRow;

    // Paper is white whatever the screen's theme: colours left to the
    // platform print as the style's standard (light) palette gives them.
    SchedulePainter::Palette palette = ScreenPalette(QApplication::style()->standardPalette());
    if (!m_printColourBack) {
        palette.back = palette.title = palette.list = palette.ruler = palette.select = Qt::white;
        palette.weekend = QColor(230, 230, 230);
    }
    palette.colourBars = m_printColourBars;
    const SchedulePainter schedule(m_model, setup.mapper, palette, setup.font, m_title,
                                   m_rulerFormat, m_use12Hour && !m_use24Hour);
    schedule.Paint(painter, f, QRectF(0, top, setup.listWidth + spanWidth, header + rowsHeight));
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0, top, setup.listWidth + spanWidth, header + rowsHeight)
                         .adjusted(0.5, 0.5, -0.5, -0.5));

    const double footerTop = pageSize.height() - setup.footer;
    painter.drawLine(QLineF(0, footerTop, width, footerTop));
    painter.setFont(setup.font);
    const QFontMetricsF metrics(setup.font);
    const QString pageText =
        tr("Page %1 of %2").arg(page + 1).arg(int(setup.pages.size()));
    const double pageTextWidth = metrics.horizontalAdvance(pageText) + 4;
    const QRectF footerRect(0, footerTop + 2, width, setup.footer - 2);
    painter.drawText(footerRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(m_printFooter, Qt::ElideRight,
                                        width - pageTextWidth - 12));
    painter.drawText(footerRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, pageText);
    painter.restore();
}

bool ScheduleView::PrintTo(QPrinter* printer) const {
    if (!printer)
        return false;
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    const double scale = printer->resolution() / 96.0;
    const QSizeF pageSize(printer->width() / scale, printer->height() / scale);
    const int pages = PrintPageCount(pageSize);
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !printer->newPage())
            return false;
        painter.save();
        painter.scale(scale, scale);
        PaintPrintPage(painter, pageSize, page);
        painter.restore();
    }
    return painter.end();
}

// ---- keyboard and assistive technology -------------------------------------

std::vector<ScheduleCells::Cell> ScheduleView::RowCells(int row) const {
    return ScheduleCells::Row(m_model, m_mapper, row, m_slotMinutes);
}

ScheduleView::CellRef ScheduleView::CurrentCell() const {
    CellRef ref;
    if (m_model.RowCount() == 0)
        return ref;
    ref.row = m_model.IsRow(m_currentRow) ? m_currentRow : 1;
    qint64 key = m_cellKey;
    if (!m_cellKeyValid) {
        const TimePoint left = LeftEdgeTime();
        key = left.valid ? ScheduleMapper::TimeKey(left.date, left.minute)
                         : ScheduleMapper::TimeKey(m_mapper.FirstDate(), m_mapper.DayStart());
    }
    const std::vector<ScheduleCells::Cell> cells = RowCells(ref.row);
    ref.index = ScheduleCells::IndexAt(cells, key);
    if (ref.index >= 0)
        ref.cell = cells[size_t(ref.index)];
    return ref;
}

void ScheduleView::SetCurrentCell(int row, int index) {
    if (!m_model.IsRow(row))
        return;
    const std::vector<ScheduleCells::Cell> cells = RowCells(row);
    const CellRef before = CurrentCell();
    if (index >= 0 && index < int(cells.size())) {
        m_cellKey = cells[size_t(index)].startKey;
        m_cellKeyValid = true;
    }
    SetCurrentRow(row);
    const CellRef now = CurrentCell();
    if (now.index >= 0) {
        ScrollCellIntoView(now.row, now.cell);
        if (before.row != now.row || !(before.cell == now.cell)) {
            viewport()->update(CellRect(before.row, before.cell).adjusted(-6, 0, 6, 0));
            viewport()->update(CellRect(now.row, now.cell).adjusted(-6, 0, 6, 0));
        }
    }
    NotifyFocus();
}

void ScheduleView::ScrollCellIntoView(int row, const ScheduleCells::Cell& cell) {
    // The row comes into view through SetCurrentRow; the time here, with the
    // cell's start shown when the cell is wider than the grid.
    const Layout layout = CurrentLayout();
    double x = 0;
    double width = 0;
    const qint32 lastDate = qint32((cell.endKey - 1) / ScheduleMapper::kMinutesPerDay);
    const int endMinute = int(cell.endKey - qint64(lastDate) * ScheduleMapper::kMinutesPerDay);
    if (!m_model.IsRow(row) || layout.grid.width() <= 0 ||
        !m_mapper.BarExtent(cell.Date(), cell.StartMinute(), lastDate, endMinute, &x, &width))
        return;
    const int left = int(std::floor(x)) - 4;
    const int right = int(std::ceil(x + width)) + 4;
    const int scroll = horizontalScrollBar()->value();
    int target = scroll;
    if (right > scroll + layout.grid.width())
        target = right - layout.grid.width();
    if (left < target)
        target = left;
    if (target != scroll) {
        m_anchorValid = false;
        SetScroll(target, m_wantedY);
        viewport()->update();
        const TimePoint edge = LeftEdgeTime();
        emit Sched_ScrollTrack(m_mapper.RowAtY(m_wantedY, m_model.RowCount()), edge.date,
                               edge.minute);
    }
}

QRect ScheduleView::CellRect(int row, const ScheduleCells::Cell& cell) const {
    if (!m_model.IsRow(row))
        return QRect();
    double x = 0;
    double width = 0;
    const qint32 lastDate = qint32((cell.endKey - 1) / ScheduleMapper::kMinutesPerDay);
    const int endMinute = int(cell.endKey - qint64(lastDate) * ScheduleMapper::kMinutesPerDay);
    if (!m_mapper.BarExtent(cell.Date(), cell.StartMinute(), lastDate, endMinute, &x, &width))
        return QRect();
    const Layout layout = CurrentLayout();
    const int left = layout.listWidth + int(std::round(x)) - horizontalScrollBar()->value();
    const int right = std::max(left + 1, layout.listWidth + int(std::round(x + width)) -
                                             horizontalScrollBar()->value());
    const QRect rect(left, layout.header + m_mapper.RowTop(row) - verticalScrollBar()->value(),
                     right - left, RowHeight());
    return rect & layout.grid;
}

void ScheduleView::SetBarNamer(std::function<QString(int row, int bar)> namer) {
    m_barNamer = std::move(namer);
}

QString ScheduleView::CellName(int row, const ScheduleCells::Cell& cell) const {
    if (!m_model.IsRow(row) || cell.endKey <= cell.startKey)
        return QString();
    const QString times = ClsDate::ShowTime(cell.StartMinute(), true) + QStringLiteral(" to ") +
                          ClsDate::ShowTime(std::min(cell.EndMinute(), 1440), true);
    const QString resource = m_model.RowText(row);
    if (!cell.bar)
        return QStringLiteral("Free, ") + times + QStringLiteral(", ") + resource;
    QString lead = m_barNamer ? m_barNamer(row, cell.bar) : BarText(row, cell.bar);
    if (!lead.isEmpty())
        lead += QStringLiteral(", ");
    return lead + times + QStringLiteral(", ") + resource + QStringLiteral(", ") +
           ClsDate::FormatDate(cell.Date(), QStringLiteral("dddd d mmmm yyyy"));
}

QString ScheduleView::RulerLabel(qint64 timeKey) const {
    const qint32 date = qint32(timeKey / ScheduleMapper::kMinutesPerDay);
    if (m_mapper.TimeType() != ScheduleMapper::Hours)
        return ClsDate::FormatDate(date, QStringLiteral("dddd d mmmm"));
    const int minute = int(timeKey - qint64(date) * ScheduleMapper::kMinutesPerDay);
    return ScheduleText::HourLabel(minute / 60 * 60, m_use12Hour && !m_use24Hour);
}

void ScheduleView::CellsChanged() {
    ++m_cellsGeneration;
    if (!m_accessTimer.isActive())
        m_accessTimer.start();
}

void ScheduleView::NotifyCells() {
    QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&event);
}

void ScheduleView::NotifyFocus() {
    if (!hasFocus() || !QAccessible::isActive())
        return;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
    const CellRef current = CurrentCell();
    if (!table || !table->tableInterface() || current.index < 0)
        return;
    if (QAccessibleInterface* cell = table->tableInterface()->cellAt(current.row - 1, current.index)) {
        QAccessibleEvent event(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

bool ScheduleView::MoveByKey(QKeyEvent* event) {
    const int rows = m_model.RowCount();
    if (rows == 0)
        return false;
    const CellRef current = CurrentCell();
    const std::vector<ScheduleCells::Cell> cells = RowCells(current.row);
    const int lastCell = int(cells.size()) - 1;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int page = std::max(1, CurrentLayout().grid.height() / std::max(1, RowHeight()) - 1);
    const int key = event->key();
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && event->modifiers() & Qt::ShiftModifier)) {
        QRect rect = CellRect(current.row, current.cell);
        if (rect.isEmpty())
            rect = RowRect(current.row) & CurrentLayout().grid;
        emit Sched_CellMenu(viewport()->mapToGlobal(rect.isEmpty() ? QPoint() : rect.center()));
        return true;
    }
    switch (key) {
    case Qt::Key_Left:
        SetCurrentCell(current.row, std::max(0, current.index - 1));
        return true;
    case Qt::Key_Right:
        SetCurrentCell(current.row, std::min(lastCell, current.index + 1));
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        // The time the keys went to last stays, so that the cell in the new
        // row is the one at that time.
        if (!m_cellKeyValid && current.index >= 0) {
            m_cellKey = current.cell.startKey;
            m_cellKeyValid = true;
        }
        const int step = key == Qt::Key_Up || key == Qt::Key_Down ? 1 : page;
        const int down = key == Qt::Key_Down || key == Qt::Key_PageDown ? step : -step;
        // Before any row was current, the first step lands on the first row.
        const int from = m_model.IsRow(m_currentRow) ? m_currentRow : 1 - std::max(down, 0);
        SetCurrentCell(std::clamp(from + down, 1, rows), -1);
        return true;
    }
    case Qt::Key_Home:
        if (ctrl)
            SetCurrentCell(1, 0);
        else
            SetCurrentCell(current.row, 0);
        return true;
    case Qt::Key_End:
        if (ctrl)
            SetCurrentCell(rows, int(RowCells(rows).size()) - 1);
        else
            SetCurrentCell(current.row, lastCell);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (current.index < 0)
            return true;
        if (current.cell.bar)
            emit Sched_OpenBar(current.row, current.cell.bar, current.cell.StartMinute(),
                               current.cell.Date());
        else
            emit Sched_DropItem(current.row, current.cell.StartMinute(), current.cell.Date());
        return true;
    case Qt::Key_Delete:
        if (current.index >= 0 && current.cell.bar)
            emit Sched_DeleteBar(current.row, current.cell.bar);
        return true;
    default:
        return false;
    }
}

void ScheduleView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    NotifyFocus();
}

void ScheduleView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ScheduleView::PaintFocusRing(QPainter& painter) const {
    // A dark ring around a light one: one of the two stands out by more than
    // 3:1 from any bar colour and from the background.
    if (!hasFocus())
        return;
    const CellRef current = CurrentCell();
    QRect rect = CellRect(current.row, current.cell);
    if (current.index < 0 || rect.isEmpty())
        return;
    // A cell narrower than the two rings gets them around it.
    if (rect.width() < 10)
        rect.adjust(-(10 - rect.width()) / 2, 0, (11 - rect.width()) / 2, 0);
    painter.save();
    painter.setClipRect(CurrentLayout().grid);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(QRectF(rect).adjusted(3, 3, -3, -3));
    painter.restore();
}

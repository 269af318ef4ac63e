#pragma once

#include "ui/controls/ScheduleCells.h"
#include "ui/controls/ScheduleMapper.h"
#include "ui/controls/ScheduleModel.h"
#include "ui/controls/SchedulePainter.h"

#include <QAbstractScrollArea>
#include <QSizeF>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class QMimeData;
class QPainter;
class QPrinter;

// The schedule: one row per resource with its name in a resizable column on
// the left, a two-line ruler on top (dates, then hours or days), and one
// coloured bar per booking. Custom painted; rows and bars live in plain arrays
// (ScheduleModel) and every position goes through one ScheduleMapper.
//
// Rows count from 1 in the order added. RowCount() is one more than the
// number of rows (row 0 is the empty place before the first row), so that a
// lookup over rows 1 to RowCount() - 1 meets every row; row 0 has datum 0 and
// no text. No current row reads as -1.
//
// Dates are date numbers (days since 1 January 1900), times of day are minutes
// since midnight, colours RGB numbers with red in the low byte.
//
// The view never changes bookings itself: it reports what the user points at,
// drops, drags or double-clicks, and the window acts through the record
// classes. A dragged bar stays where it is; an outline (the ghost) shows where
// it would land until the mouse button is let go or Escape cancels the drag.
class ScheduleView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // Drag payload of an appointment type from the legend: the TaskId as
    // decimal text.
    static const char* const kTaskMimeType;
    static QMimeData* MakeTaskMimeData(qint32 taskId);
    static bool TaskIdFromMimeData(const QMimeData* mime, qint32* taskId);

    // The design value of every schedule colour: the colour follows the
    // platform's palette (light, dark or high-contrast theme) until the
    // window sets one of its own.
    static constexpr qint32 kPlatformColour = -1;
    // The schedule's colours taken from a palette: the grid on the base
    // colour, the names column on the window colour, the ruler on the button
    // colour, the title on the mid tone, the selection in the highlight and
    // weekends a tint of it.
    static SchedulePainter::Palette PlatformPalette(const QPalette& palette);

    struct Hit {
        int row = 0;       // 0: no row there
        int bar = 0;       // 0: no bar there
        qint32 date = 0;   // date and minute under the point, when onTime
        int minute = 0;
        bool onTime = false;
        bool onNames = false;
    };

    explicit ScheduleView(QWidget* parent = nullptr);
    ~ScheduleView() override;

    // Rows.
    void Clear();
    int AddRow(const QString& text);
    qint32 RowData(int row) const;
    void SetRowData(int row, qint32 datum);
    int RowCount() const;
    int CurrentRow() const;
    void SetCurrentRow(int row);
    // Column 1 is the row's text; other columns and rows are empty.
    QString CellText(int row, int column) const;

    // Bars, numbered from 1 within their row.
    int AddBar(int row, int startMinute, int endMinute, qint32 firstDate, qint32 lastDate,
               const QString& key);
    int BarCount(int row) const;
    // Makes room for that many bars in the row, so that a row filled with a
    // known number of bars holds no spare room.
    void ReserveBars(int row, int count);
    // Removes the row's bars, to be added again as they now are; a bar of
    // that row pointed at, pressed or selected is forgotten.
    void ClearBars(int row);
    QString BarKey(int row, int bar) const;
    qint32 BarData(int row, int bar) const;
    void SetBarData(int row, int bar, qint32 datum);
    QString BarSecondText(int row, int bar) const;
    void SetBarSecondText(int row, int bar, const QString& text);
    qint32 BarColour(int row, int bar) const;
    void SetBarColour(int row, int bar, qint32 rgb);
    QString BarText(int row, int bar) const;
    void SetBarText(int row, int bar, const QString& text);

    // View settings.
    qint32 FirstDate() const { return m_firstDate; }
    void SetFirstDate(qint32 date);
    qint32 LastDate() const { return m_lastDate; }
    void SetLastDate(qint32 date);
    // 0 hours, 1 days, 2 weeks; any other value is ignored.
    int TimeType() const { return m_mapper.TimeType(); }
    void SetTimeType(int timeType);
    QString RulerDateFormat() const { return m_rulerFormat; }
    void SetRulerDateFormat(const QString& format);
    int DayStart() const { return m_dayStart; }
    void SetDayStart(int minute);
    int DayEnd() const { return m_dayEnd; }
    void SetDayEnd(int minute);
    QString Title() const { return m_title; }
    void SetTitle(const QString& title);
    int ListWidth() const { return m_listWidth; }
    void SetListWidth(int width);
    // Pixels per hour in the hour resolution.
    int TimeDistance() const { return m_timeDistance; }
    void SetTimeDistance(int pixelsPerHour);
    // Pixels per hour in the day resolution (half of it in the week
    // resolution).
    int SecondSpacing() const { return m_secondSpacing; }
    void SetSecondSpacing(int pixelsPerHour);
    // Both scales at once, as the width slider sets them: the time at the
    // middle of the view stays at the middle (the time ShowTime asked for
    // stays where it is until the user scrolls).
    void SetScalesAroundMiddle(int timeDistance, int secondSpacing);
    // Ruler hour labels: 12-hour ("1 pm") when the 12-hour switch is on and
    // the 24-hour switch off, 24-hour ("13:00") otherwise.
    bool Use12Hour() const { return m_use12Hour; }
    void SetUse12Hour(bool on);
    bool Use24Hour() const { return m_use24Hour; }
    void SetUse24Hour(bool on);

    qint32 BackColour() const { return m_backColour; }
    void SetBackColour(qint32 rgb);
    qint32 TitleBackColour() const { return m_titleColour; }
    void SetTitleBackColour(qint32 rgb);
    qint32 ListBackColour() const { return m_listColour; }
    void SetListBackColour(qint32 rgb);
    qint32 WeekendColour() const { return m_weekendColour; }
    void SetWeekendColour(qint32 rgb);
    qint32 RulerBackColour() const { return m_rulerColour; }
    void SetRulerBackColour(qint32 rgb);
    qint32 SelectBackColour() const { return m_selectColour; }
    void SetSelectBackColour(qint32 rgb);

    // Printing: a heading on top of every page, a footer line at the bottom,
    // and two switches: bars in their colours, and the schedule's background
    // colours. Off prints black on white (weekends light grey).
    QString PrintHeading() const { return m_printHeading; }
    void SetPrintHeading(const QString& text);
    QString PrintFooter() const { return m_printFooter; }
    void SetPrintFooter(const QString& text);
    bool PrintColourBars() const { return m_printColourBars; }
    void SetPrintColourBars(bool on);
    bool PrintColourBack() const { return m_printColourBack; }
    void SetPrintColourBack(bool on);
    // Pages are laid out on a page of pageSize in 1/96 inch; PaintPrintPage
    // expects a painter whose units are 1/96 inch with the origin at the top
    // left of the printable area. Pages count from 0.
    int PrintPageCount(const QSizeF& pageSize) const;
    void PaintPrintPage(QPainter& painter, const QSizeF& pageSize, int page) const;
    // Prints every page on the printer (a PDF printer too); false when the
    // printer could not be opened.
    bool PrintTo(QPrinter* printer) const;

    // Navigation and hit tests; points are in this widget's pixels.
    void ShowTime(qint32 date, int minute);
    // Reports Sched_DropItem for the row, minute and date under the point;
    // false (and no report) when no row and time lie there.
    bool DropAtPoint(int x, int y);
    Hit HitTest(const QPoint& point) const;
    // The pixel that holds that time, in the middle of the row's height (it
    // may lie outside the visible part).
    QPoint PointForTime(int row, qint32 date, int minute) const;
    int RowHeight() const { return m_mapper.RowHeight(); }
    int HeaderHeight() const { return 2 * m_rulerLineHeight; }
    // The bar the user clicked last, 0 and 0 for none.
    int SelectedRow() const { return m_selectedRow; }
    int SelectedBar() const { return m_selectedBar; }
    // Slot length in minutes (the group's interval): a dragged bar snaps to
    // the slots that begin at the day start, and free time is cut into cells
    // of this length.
    int SlotLength() const { return m_slotLength; }
    void SetSlotLength(int minutes);
    // The date and minutes the bar stands for; false when there is no such bar.
    bool BarTimes(int row, int bar, qint32* date, int* startMinute, int* endMinute) const;
    // True while the user drags a bar.
    bool BarDragging() const { return m_drag.active; }
    // Called from a Sched_BarPreSelect handler, keeps the clicked bar from
    // becoming the selected bar; otherwise clears the selection.
    void CancelBarAction();

    // The keyboard's place: a cell (a booking or a free slot, see
    // ScheduleCells) of the current row. The view always has one while it has
    // rows: the row is the current row (else the first), the cell the one that
    // holds the time the keys last went to (else the time at the left edge).
    struct CellRef {
        int row = 0; // 0: no rows
        int index = -1;
        ScheduleCells::Cell cell;
    };
    // Length of a free cell in minutes: the slot length once it is set; until
    // then 0, which leaves free time whole.
    int SlotMinutes() const { return m_slotMinutes; }
    std::vector<ScheduleCells::Cell> RowCells(int row) const;
    CellRef CurrentCell() const;
    // Makes that cell of the row current and scrolls it into view.
    void SetCurrentCell(int row, int index);
    // The cell in viewport pixels, cut to the part between the name column
    // and the right edge, below the ruler.
    QRect CellRect(int row, const ScheduleCells::Cell& cell) const;
    // What assistive technology reads: "Check-up, Jane Doe, 10:00 am to
    // 10:30 am, Room 1, Monday 7 December 2026", "Free, 10:30 am to 10:45 am,
    // Room 1". The namer gives a bar's first words (its type and contact);
    // without one, the bar's text is used.
    QString CellName(int row, const ScheduleCells::Cell& cell) const;
    void SetBarNamer(std::function<QString(int row, int bar)> namer);
    // The ruler's label over a time: its hour in the hour resolution, its
    // date otherwise.
    QString RulerLabel(qint64 timeKey) const;
    // Raised whenever rows, bars or the shown range change.
    quint64 CellsGeneration() const { return m_cellsGeneration; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Keys on the current cell: Enter on a booking, Delete on a booking, and
    // the context-menu key or Shift+F10 (at that global point). Enter on a
    // free slot reports Sched_DropItem, as a drop there would.
    void Sched_OpenBar(int row, int bar, int minute, qint32 date);
    void Sched_DeleteBar(int row, int bar);
    void Sched_CellMenu(const QPoint& globalPos);
    void Sched_DropItem(int row, int minute, qint32 date);
    // The mouse moved onto a bar.
    void Sched_ItemMove(int row, int bar);
    void Sched_ListDblClick(int row);
    // A bar was dragged and let go; bars never move by themselves.
    void Sched_BarPreDrop();
    // Then where the dragged bar would land: its row (0 when let go outside
    // the rows), date and minutes. In the hour resolution the bar's body
    // moves it in time and to another row and its ends stretch it; in the
    // day and week resolutions it moves to another date and row at the same
    // times. Escape during the drag reports nothing.
    void Sched_BarDrop(int row, int bar, int toRow, qint32 date, int startMinute, int endMinute);
    // A double-click on the time area: the bar there (0 on free time), and
    // the minute and date under the mouse.
    void Sched_TimeDblClick(int row, int bar, int minute, qint32 date);
    // A bar is about to become the selected bar.
    void Sched_BarPreSelect();
    // The user scrolled: first row, date and minute now at the top left.
    void Sched_ScrollTrack(int firstRow, int firstDate, int firstMinute);
    // The user dragged the divider of the name column.
    void ListWidthChanged(int width);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Left/Right go to the previous and next cell of the row, Up/Down to the
    // row above or below near the same time, Home/End to the row's first and
    // last cell (with Ctrl: of the first and last row), Page Up/Down by the
    // rows in view; Enter, Delete and the menu keys act on the current cell.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct Layout {
        int listWidth = 0;
        int header = 0;
        QRect grid; // rows and time, viewport pixels
    };
    struct PrintSetup;

    Layout CurrentLayout() const;
    // The colours set, the others from `platform`.
    SchedulePainter::Palette ScreenPalette(const QPalette& platform) const;
    SchedulePainter::Frame ScreenFrame(const Layout& layout) const;
    Hit HitTestViewport(const QPoint& point) const;
    int BarAtContent(int row, double x) const;
    QRect BarRect(int row, int bar) const; // viewport pixels
    QRect RowRect(int row) const;          // viewport pixels, names and grid
    bool NearDivider(const QPoint& point) const;

    struct TimePoint {
        bool valid = false;
        qint32 date = 0;
        int minute = 0;
    };

    void UpdateMetrics();
    TimePoint LeftEdgeTime() const;
    // Applies a change of the time axis: the time asked for by ShowTime, or
    // else the time that was at the left edge, stays in place.
    void ApplyTimeAxis(const TimePoint& keep);
    void ScrollToAnchor();
    void UpdateScrollBars();
    void SetScroll(int x, int y);
    void RequestRepaint();
    void RepaintRow(int row);
    void RepaintBar(int row, int bar);
    void SetHover(int row, int bar);
    void SetDrop(int row, double x);

    // A press on a bar and, once the mouse has moved far enough, its drag.
    struct BarDrag {
        enum Part { Body, StartEdge, EndEdge };
        int row = 0; // the pressed bar; 0 when the press was not on a bar
        int bar = 0;
        Part part = Body;
        QPoint pressPoint;
        qint32 pressDate = 0; // time under the press
        int pressMinute = 0;
        bool active = false;
        int toRow = 0; // where the bar would land; row 0 outside the rows
        qint32 date = 0;
        int start = 0;
        int end = 0;
    };
    BarDrag::Part PartAt(int row, int bar, const QPoint& point) const;
    void UpdateDrag(const QPoint& point);
    void CancelDrag();
    QRect GhostRect() const; // viewport pixels, empty without a ghost
    int Snap(int minute) const;

    PrintSetup MakePrintSetup(const QSizeF& pageSize) const;

    // Keyboard and assistive technology.
    bool MoveByKey(QKeyEvent* event);
    void CellsChanged();
    void NotifyCells();
    void NotifyFocus();
    void PaintFocusRing(QPainter& painter) const;
    void ScrollCellIntoView(int row, const ScheduleCells::Cell& cell);

    ScheduleModel m_model;
    ScheduleMapper m_mapper;
    int m_currentRow = -1;

    qint32 m_firstDate = 0;
    qint32 m_lastDate = 0;
    QString m_rulerFormat = QStringLiteral("D, n M Y");
    int m_dayStart = 480;
    int m_dayEnd = 1080;
    QString m_title;
    int m_listWidth = 100;
    int m_timeDistance = 60;
    int m_secondSpacing = 5;
    bool m_use12Hour = true;
    bool m_use24Hour = false;
    qint32 m_backColour = kPlatformColour;
    qint32 m_titleColour = kPlatformColour;
    qint32 m_listColour = kPlatformColour;
    qint32 m_weekendColour = kPlatformColour;
    qint32 m_rulerColour = kPlatformColour;
    qint32 m_selectColour = kPlatformColour;

    QString m_printHeading;
    QString m_printFooter;
    bool m_printColourBars = true;
    bool m_printColourBack = true;

    int m_rulerLineHeight = 20;

    // Scroll position the view keeps to while rows are cleared and refilled;
    // changed only by the user and by ShowTime, not by ranges shrinking.
    int m_wantedX = 0;
    int m_wantedY = 0;
    int m_codeScroll = 0;
    bool m_anchorValid = false; // ShowTime's time, kept through resizes
    qint32 m_anchorDate = 0;
    int m_anchorMinute = 0;

    int m_hoverRow = 0;
    int m_hoverBar = 0;
    int m_selectedRow = 0;
    int m_selectedBar = 0;
    bool m_cancelSelect = false;
    BarDrag m_drag;
    int m_slotLength = 15;
    bool m_resizingList = false;
    int m_dropRow = 0;
    double m_dropX = -1;

    int m_slotMinutes = 0;
    bool m_cellKeyValid = false; // the time the keys went to last
    qint64 m_cellKey = 0;
    quint64 m_cellsGeneration = 0;
    std::function<QString(int, int)> m_barNamer;
    QTimer m_accessTimer; // tells assistive technology once a rebuild settles

    QTimer m_repaintTimer;
    QTimer m_clockTimer; // moves the line that marks the present time
};

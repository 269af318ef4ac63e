#include "ui/controls/SchedulePainter.h"

#include "base/ColourUtil.h"
#include "ui/controls/ScheduleText.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace {
// Gap between a bar and the edges of its row.
constexpr double kBarInset = 3;
// Narrowest bar that gets an outline, and narrowest that gets text.
constexpr double kOutlineWidth = 4;
constexpr double kTextWidth = 16;
// Spacing below which a kind of grid line or tick is left out.
constexpr double kMinLineSpacing = 8;
constexpr double kMinTickSpacing = 5;

using Lines = QVarLengthArray<QLineF, 256>;

// A line on a background: `share` of the way towards the text colour on it,
// so that lines show on light and dark backgrounds alike.
QColor LineOn(const QColor& background, double share) {
    return ColourUtil::Blend(background, ColourUtil::TextOn(background), share);
}

void DrawLines(QPainter& p, const Lines& lines, const QColor& colour, double width = 1) {
    if (lines.isEmpty())
        return;
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p.drawLines(lines.constData(), int(lines.size()));
}
} // namespace

SchedulePainter::SchedulePainter(const ScheduleModel& model, const ScheduleMapper& mapper,
                                 const Palette& palette, const QFont& font, const QString& title,
                                 const QString& rulerFormat, bool twelveHour)
    : m_model(model), m_mapper(mapper), m_palette(palette), m_font(font), m_bold(font),
      m_title(title), m_rulerFormat(rulerFormat), m_twelveHour(twelveHour) {
    m_bold.setBold(true);
}

QColor SchedulePainter::TextOn(const QColor& background) {
    return ColourUtil::TextOn(background);
}

void SchedulePainter::Paint(QPainter& p, const Frame& f, const QRectF& exposed) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    PaintGrid(p, f, f.grid & exposed);
    PaintNames(p, f, f.names & exposed);
    PaintRuler(p, f, f.ruler & exposed);
    if (f.corner.intersects(exposed))
        PaintCorner(p, f);
    p.restore();
}

SchedulePainter::Visible SchedulePainter::VisiblePart(const Frame& f, const QRectF& clip) const {
    Visible v;
    const double width = m_mapper.DateWidth();
    const double from = f.contentX + (clip.left() - f.grid.left());
    const double to = std::min(f.contentX + (clip.right() - f.grid.left()),
                               std::min(f.contentXEnd, double(m_mapper.ContentWidth())));
    if (to > from) {
        v.firstIndex = std::max(0, int(std::floor(from / width)));
        v.lastIndex = std::min(m_mapper.DateCount() - 1, int(std::ceil(to / width)) - 1);
    }
    const double rowHeight = m_mapper.RowHeight();
    const double top = f.contentY + (clip.top() - f.grid.top());
    const double bottom = f.contentY + (clip.bottom() - f.grid.top());
    v.firstRow = std::max(f.firstRow, int(std::floor(top / rowHeight)) + 1);
    v.lastRow = std::min(f.lastRow, int(std::ceil(bottom / rowHeight)));
    return v;
}

void SchedulePainter::PaintGrid(QPainter& p, const Frame& f, const QRectF& exposed) const {
    if (exposed.isEmpty())
        return;
    p.save();
    p.setClipRect(exposed);
    p.fillRect(exposed, m_palette.back);

    // Only the stretch of this frame is drawn (a printed page shows part of it).
    QRectF clip = exposed;
    clip.setRight(std::min(clip.right(), DeviceX(f, std::min(f.contentXEnd,
                                                            double(m_mapper.ContentWidth())))));
    const Visible v = VisiblePart(f, clip);
    if (v.lastIndex < v.firstIndex || v.lastRow < v.firstRow) {
        p.restore();
        return;
    }
    const double rowHeight = m_mapper.RowHeight();
    const double dateWidth = m_mapper.DateWidth();
    const double rowsTop = std::max(clip.top(), DeviceY(f, v.firstRow));
    const double rowsBottom = std::min(clip.bottom(), DeviceY(f, v.lastRow + 1));
    const qint32 firstDate = m_mapper.FirstDate();

    for (int i = v.firstIndex; i <= v.lastIndex; ++i) {
        if (!ScheduleText::IsWeekend(firstDate + i))
            continue;
        const double x = DeviceX(f, i * dateWidth);
        p.fillRect(QRectF(x, rowsTop, dateWidth, rowsBottom - rowsTop) & clip, m_palette.weekend);
    }

    auto rowBand = [&](int row) {
        return QRectF(clip.left(), DeviceY(f, row), clip.width(), rowHeight) & clip;
    };
    if (f.currentRow >= v.firstRow && f.currentRow <= v.lastRow) {
        QColor band = m_palette.select;
        band.setAlpha(110);
        p.fillRect(rowBand(f.currentRow), band);
    }
    if (f.dropRow >= v.firstRow && f.dropRow <= v.lastRow) {
        QColor band = m_palette.select;
        band.setAlpha(70);
        p.fillRect(rowBand(f.dropRow), band);
    }

    // Grid: faint hour (and in the hour resolution quarter-hour) lines,
    // stronger date lines, strongest at the start of each week.
    Lines quarters, hours, dates, weeks, rows;
    const int dayStart = m_mapper.DayStart();
    const int dayEnd = m_mapper.DayEnd();
    const double hourWidth = m_mapper.HourWidth();
    const bool drawHours = hourWidth >= kMinLineSpacing;
    const bool drawQuarters =
        m_mapper.TimeType() == ScheduleMapper::Hours && hourWidth / 4 >= kMinLineSpacing;
    for (int i = v.firstIndex; i <= v.lastIndex; ++i) {
        const qint32 date = firstDate + i;
        const double left = DeviceX(f, i * dateWidth);
        const bool weekStart = (date % 7 + 7) % 7 == 0; // day 0 was a Monday
        (weekStart && m_mapper.TimeType() != ScheduleMapper::Hours ? weeks : dates)
            .append(QLineF(left + 0.5, rowsTop, left + 0.5, rowsBottom));
        if (!drawHours && !drawQuarters)
            continue;
        const int step = drawQuarters ? 15 : 60;
        for (int m = (dayStart / step + 1) * step; m < dayEnd; m += step) {
            const double x = std::floor(DeviceX(f, m_mapper.XForTime(date, m))) + 0.5;
            if (x < clip.left() || x > clip.right())
                continue;
            (m % 60 == 0 ? hours : quarters).append(QLineF(x, rowsTop, x, rowsBottom));
        }
    }
    for (int row = v.firstRow; row <= v.lastRow; ++row) {
        const double y = DeviceY(f, row + 1) - 0.5;
        rows.append(QLineF(clip.left(), y, clip.right(), y));
    }
    const QColor back = m_palette.back;
    DrawLines(p, quarters, LineOn(back, 0.05));
    DrawLines(p, hours, LineOn(back, 0.1));
    DrawLines(p, rows, LineOn(back, 0.12));
    DrawLines(p, dates, LineOn(back, 0.26));
    DrawLines(p, weeks, LineOn(back, 0.43));

    PaintBars(p, f, clip, v);

    if (f.nowDate >= firstDate + v.firstIndex && f.nowDate <= firstDate + v.lastIndex &&
        f.nowMinute >= dayStart && f.nowMinute <= dayEnd) {
        const double x = std::floor(DeviceX(f, m_mapper.XForTime(f.nowDate, f.nowMinute)));
        p.fillRect(QRectF(x, rowsTop, 2, rowsBottom - rowsTop), QColor(220, 40, 40));
    }
    if (f.dropRow >= v.firstRow && f.dropRow <= v.lastRow && f.dropX >= 0) {
        const double x = std::floor(DeviceX(f, f.dropX));
        p.fillRect(QRectF(x, DeviceY(f, f.dropRow), 2, rowHeight), LineOn(m_palette.select, 0.6));
    }
    p.restore();
}

void SchedulePainter::PaintBars(QPainter& p, const Frame& f, const QRectF& clip,
                                const Visible& v) const {
    const qint32 firstDate = m_mapper.FirstDate();
    const qint64 fromKey = ScheduleMapper::TimeKey(firstDate + v.firstIndex, 0);
    const qint64 toKey =
        ScheduleMapper::TimeKey(firstDate + v.lastIndex, ScheduleMapper::kMinutesPerDay) + 1;
    const double rowHeight = m_mapper.RowHeight();
    const double barHeight = std::max(2.0, rowHeight - 2 * kBarInset);
    p.setFont(m_font);
    const QFontMetricsF metrics = p.fontMetrics();
    const QString ellipsis(QChar(0x2026));

    std::vector<int> bars;
    for (int row = v.firstRow; row <= v.lastRow; ++row) {
        bars.clear();
        m_model.BarsInRange(row, fromKey, toKey, &bars);
        const double top = DeviceY(f, row) + kBarInset;
        for (int number : bars) {
            const ScheduleModel::Bar& bar = m_model.BarAt(row, number);
            double x = 0;
            double width = 0;
            if (!m_mapper.BarExtent(bar.firstDate, bar.startMinute, bar.lastDate, bar.endMinute,
                                    &x, &width))
                continue;
            // Whole pixels, as on the screen, so that neighbouring bars meet.
            const double left = std::round(DeviceX(f, x));
            const double right = std::max(left + 1, std::round(DeviceX(f, x + width)));
            if (right < clip.left() || left > clip.right())
                continue;
            const QRectF rect(left, top, right - left, barHeight);
            const QColor fill =
                m_palette.colourBars ? ColourUtil::ToColor(bar.colour) : QColor(Qt::white);
            const QColor edge = m_palette.colourBars ? fill.darker(160) : QColor(Qt::black);
            if (rect.width() < kOutlineWidth) {
                p.fillRect(rect, m_palette.colourBars ? fill : edge);
            } else {
                p.fillRect(rect, fill);
                p.setPen(QPen(edge, 1));
                p.setBrush(Qt::NoBrush);
                p.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
            }
            const bool selected = row == f.selectedRow && number == f.selectedBar;
            const bool hovered = row == f.hoverRow && number == f.hoverBar;
            if (selected || hovered) {
                p.setPen(QPen(selected ? QColor(Qt::black) : TextOn(fill), selected ? 2 : 1));
                p.setBrush(Qt::NoBrush);
                p.drawRect(rect.adjusted(1, 1, -1, -1));
            }
            if (bar.text == 0 || rect.width() < kTextWidth)
                continue;
            const QRectF textRect = rect.adjusted(4, 0, -3, 0);
            const QString shown =
                metrics.elidedText(m_model.BarText(bar), Qt::ElideRight, textRect.width());
            if (shown.isEmpty() || shown == ellipsis)
                continue;
            p.setPen(m_palette.colourBars ? TextOn(fill) : QColor(Qt::black));
            p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
        }
    }
}

void SchedulePainter::PaintNames(QPainter& p, const Frame& f, const QRectF& clip) const {
    if (clip.isEmpty())
        return;
    p.save();
    p.setClipRect(clip);
    p.fillRect(clip, m_palette.list);
    const Visible v = VisiblePart(f, QRectF(f.grid.left(), clip.top(), 1, clip.height()));
    const double rowHeight = m_mapper.RowHeight();
    p.setFont(m_font);
    const QFontMetricsF metrics = p.fontMetrics();
    Lines separators;
    for (int row = v.firstRow; row <= v.lastRow; ++row) {
        const QRectF rect(f.names.left(), DeviceY(f, row), f.names.width(), rowHeight);
        QColor background = m_palette.list;
        if (row == f.currentRow) {
            background = m_palette.select;
            p.fillRect(rect, background);
        }
        const QRectF textRect = rect.adjusted(6, 0, -5, 0);
        p.setPen(TextOn(background));
        p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                   metrics.elidedText(m_model.RowText(row), Qt::ElideRight, textRect.width()));
        separators.append(QLineF(rect.left(), rect.bottom() - 0.5, rect.right(), rect.bottom() - 0.5));
    }
    DrawLines(p, separators, LineOn(m_palette.list, 0.13));
    // The divider the user drags to resize the column.
    const double x = f.names.right() - 0.5;
    Lines divider;
    divider.append(QLineF(x, f.names.top(), x, f.names.bottom()));
    DrawLines(p, divider, LineOn(m_palette.list, 0.41));
    p.restore();
}

void SchedulePainter::PaintRuler(QPainter& p, const Frame& f, const QRectF& exposed) const {
    if (exposed.isEmpty())
        return;
    p.save();
    p.setClipRect(exposed);
    p.fillRect(exposed, m_palette.ruler);

    const double lineHeight = f.ruler.height() / 2;
    const double top = f.ruler.top();
    const double middle = top + lineHeight;
    const double bottom = f.ruler.bottom();
    QRectF clip = exposed;
    clip.setRight(std::min(clip.right(), DeviceX(f, std::min(f.contentXEnd,
                                                            double(m_mapper.ContentWidth())))));
    const Visible v = VisiblePart(f, QRectF(clip.left(), f.grid.top(), clip.width(), 1));
    const double dateWidth = m_mapper.DateWidth();
    const qint32 firstDate = m_mapper.FirstDate();
    const QColor ink = TextOn(m_palette.ruler);
    Lines thin, strong;

    if (v.lastIndex >= v.firstIndex && clip.width() > 0) {
        // Weekend dates on the lower line in the weekend colour.
        for (int i = v.firstIndex; i <= v.lastIndex; ++i) {
            if (ScheduleText::IsWeekend(firstDate + i))
                p.fillRect(QRectF(DeviceX(f, i * dateWidth), middle, dateWidth, lineHeight) & clip,
                           m_palette.weekend);
        }

        // Upper line: consecutive dates with the same formatted text form one
        // label ("December 2026" over a month, one label per date for a
        // format with the day in it). A label stays in view while its stretch
        // is partly scrolled away.
        p.setFont(m_bold);
        const QFontMetricsF boldMetrics = p.fontMetrics();
        int start = v.firstIndex;
        QString text = ScheduleText::FormatDate(firstDate + start, m_rulerFormat);
        while (start > 0 && ScheduleText::FormatDate(firstDate + start - 1, m_rulerFormat) == text)
            --start;
        while (start <= v.lastIndex) {
            int end = start;
            QString next;
            while (end + 1 < m_mapper.DateCount()) {
                next = ScheduleText::FormatDate(firstDate + end + 1, m_rulerFormat);
                if (next != text)
                    break;
                ++end;
            }
            const double left = DeviceX(f, start * dateWidth);
            const double right = DeviceX(f, (end + 1) * dateWidth);
            strong.append(QLineF(left + 0.5, top, left + 0.5, bottom));
            const double textLeft = std::max(left, f.ruler.left()) + 4;
            const double room = std::min(right, clip.right()) - textLeft - 4;
            if (room > 10) {
                p.setPen(ink);
                p.drawText(QRectF(textLeft, top, room, lineHeight),
                           Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                           boldMetrics.elidedText(text, Qt::ElideRight, room));
            }
            if (end + 1 >= m_mapper.DateCount())
                break;
            start = end + 1;
            text = next;
        }

        // Lower line.
        p.setFont(m_font);
        p.setPen(ink);
        const QFontMetricsF metrics = p.fontMetrics();
        const int dayStart = m_mapper.DayStart();
        const int dayEnd = m_mapper.DayEnd();
        const double hourWidth = m_mapper.HourWidth();
        if (m_mapper.TimeType() == ScheduleMapper::Hours) {
            // Hour labels, thinned out to every 2nd, 3rd... hour when they do
            // not fit, and minute labels inside the hour when there is room.
            const double labelWidth =
                std::max(metrics.horizontalAdvance(ScheduleText::HourLabel(720, m_twelveHour)),
                         metrics.horizontalAdvance(ScheduleText::HourLabel(1320, m_twelveHour))) +
                8;
            int stride = 24;
            for (int s : {1, 2, 3, 4, 6, 12}) {
                if (s * hourWidth >= labelWidth) {
                    stride = s;
                    break;
                }
            }
            // A minute label needs room for itself and, after the hour, for
            // the hour's label before it.
            const double minuteWidth = std::max(
                metrics.horizontalAdvance(QStringLiteral(":45")) + 8, labelWidth);
            int minuteStep = 0;
            if (stride == 1 && hourWidth / 4 >= minuteWidth)
                minuteStep = 15;
            else if (stride == 1 && hourWidth / 2 >= minuteWidth)
                minuteStep = 30;
            const int tickStep = hourWidth / 4 >= kMinTickSpacing ? 15 : 60;
            for (int i = v.firstIndex; i <= v.lastIndex; ++i) {
                const qint32 date = firstDate + i;
                const double dateRight = DeviceX(f, (i + 1) * dateWidth);
                for (int m = (dayStart + tickStep - 1) / tickStep * tickStep; m < dayEnd;
                     m += tickStep) {
                    const double x = std::floor(DeviceX(f, m_mapper.XForTime(date, m))) + 0.5;
                    if (x < clip.left() - labelWidth || x > clip.right())
                        continue;
                    const bool hour = m % 60 == 0;
                    const double tick = hour ? lineHeight : (m % 30 == 0 ? lineHeight / 2
                                                                         : lineHeight / 3);
                    thin.append(QLineF(x, bottom - tick, x, bottom));
                    QString label;
                    if (hour && (m / 60) % stride == 0)
                        label = ScheduleText::HourLabel(m, m_twelveHour);
                    else if (!hour && minuteStep && m % minuteStep == 0)
                        label = ScheduleText::MinuteLabel(m);
                    if (label.isEmpty())
                        continue;
                    const double width = metrics.horizontalAdvance(label);
                    if (x + 3 + width > dateRight)
                        continue;
                    p.drawText(QRectF(x + 3, middle, width + 2, lineHeight),
                               Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, label);
                }
            }
        } else {
            // One label per date: "Sat 5" where the widest such label fits
            // every column, else "5", else none.
            QString format;
            if (metrics.horizontalAdvance(QStringLiteral("Wed 30")) <= dateWidth - 4)
                format = QStringLiteral("d n");
            else if (metrics.horizontalAdvance(QStringLiteral("30")) <= dateWidth - 2)
                format = QStringLiteral("n");
            for (int i = v.firstIndex; i <= v.lastIndex; ++i) {
                const qint32 date = firstDate + i;
                const double left = DeviceX(f, i * dateWidth);
                thin.append(QLineF(left + 0.5, middle, left + 0.5, bottom));
                if (format.isEmpty())
                    continue;
                const QString label = ScheduleText::FormatDate(date, format);
                p.drawText(QRectF(left, middle, dateWidth, lineHeight),
                           Qt::AlignCenter | Qt::TextSingleLine, label);
                if (hourWidth >= kMinTickSpacing) {
                    for (int m = (dayStart / 60 + 1) * 60; m < dayEnd; m += 60) {
                        const double x = std::floor(DeviceX(f, m_mapper.XForTime(date, m))) + 0.5;
                        thin.append(QLineF(x, bottom - 3, x, bottom));
                    }
                }
            }
        }
    }
    thin.append(QLineF(f.ruler.left(), middle - 0.5, clip.right(), middle - 0.5));
    DrawLines(p, thin, LineOn(m_palette.ruler, 0.33));
    strong.append(QLineF(exposed.left(), bottom - 0.5, exposed.right(), bottom - 0.5));
    DrawLines(p, strong, LineOn(m_palette.ruler, 0.45));
    p.restore();
}

void SchedulePainter::PaintCorner(QPainter& p, const Frame& f) const {
    p.save();
    p.setClipRect(f.corner);
    p.fillRect(f.corner, m_palette.title);
    p.setFont(m_bold);
    p.setPen(TextOn(m_palette.title));
    const QRectF textRect = f.corner.adjusted(6, 0, -5, 0);
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               p.fontMetrics().elidedText(m_title, Qt::ElideRight, int(textRect.width())));
    Lines edges;
    edges.append(QLineF(f.corner.right() - 0.5, f.corner.top(), f.corner.right() - 0.5,
                        f.corner.bottom()));
    edges.append(QLineF(f.corner.left(), f.corner.bottom() - 0.5, f.corner.right(),
                        f.corner.bottom() - 0.5));
    DrawLines(p, edges, LineOn(m_palette.title, 0.41));
    p.restore();
}

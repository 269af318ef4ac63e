#pragma once

#include "ui/controls/ScheduleMapper.h"
#include "ui/controls/ScheduleModel.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// Draws the schedule (title cell, ruler, name column, rows with their bars)
// for the screen and for printed pages alike. It paints only what lies in the
// exposed rectangle: rows and dates outside it are never visited, and the bars
// of a row are found through the row's search index.
class SchedulePainter {
public:
    struct Palette {
        QColor back;
        QColor title;
        QColor list;
        QColor weekend;
        QColor ruler;
        QColor select;
        bool colourBars = true; // false: bars white with black outline and text
    };

    // Where each part goes on the device, and which part of the content it
    // shows. Content x and y are those of ScheduleMapper.
    struct Frame {
        QRectF corner;
        QRectF ruler;
        QRectF names;
        QRectF grid;
        double contentX = 0;    // content x shown at grid.left()
        double contentXEnd = 0; // nothing beyond this content x is drawn
        double contentY = 0;    // content y shown at grid.top()
        int firstRow = 1;       // rows drawn, counted from 1
        int lastRow = 0;
        int currentRow = -1;
        int hoverRow = 0;
        int hoverBar = 0;
        int selectedRow = 0;
        int selectedBar = 0;
        int dropRow = 0;        // row under a drag in progress, 0 for none
        double dropX = -1;      // content x of the drag in progress
        int nowDate = -1;       // today's date number and minute for the "now"
        int nowMinute = -1;     // line; nowDate -1 draws none
    };

    SchedulePainter(const ScheduleModel& model, const ScheduleMapper& mapper,
                    const Palette& palette, const QFont& font, const QString& title,
                    const QString& rulerFormat, bool twelveHour);

    void Paint(QPainter& p, const Frame& f, const QRectF& exposed) const;

    // Black or white, whichever reads better on the background.
    static QColor TextOn(const QColor& background);

private:
    struct Visible {
        int firstIndex = 0; // date indices from the first shown date
        int lastIndex = -1;
        int firstRow = 1;
        int lastRow = 0;
    };

    Visible VisiblePart(const Frame& f, const QRectF& clip) const;
    double DeviceX(const Frame& f, double contentX) const {
        return f.grid.left() + contentX - f.contentX;
    }
    double DeviceY(const Frame& f, int row) const {
        return f.grid.top() + m_mapper.RowTop(row) - f.contentY;
    }

    void PaintGrid(QPainter& p, const Frame& f, const QRectF& clip) const;
    void PaintBars(QPainter& p, const Frame& f, const QRectF& clip, const Visible& v) const;
    void PaintNames(QPainter& p, const Frame& f, const QRectF& clip) const;
    void PaintRuler(QPainter& p, const Frame& f, const QRectF& clip) const;
    void PaintCorner(QPainter& p, const Frame& f) const;

    const ScheduleModel& m_model;
    const ScheduleMapper& m_mapper;
    Palette m_palette;
    QFont m_font;
    QFont m_bold;
    QString m_title;
    QString m_rulerFormat;
    bool m_twelveHour;
};

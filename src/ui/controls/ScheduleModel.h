#pragma once

#include "ui/controls/PackedText.h"
#include "ui/controls/ScheduleMapper.h"

#include <QHash>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <vector>

// Rows and bars of the schedule, kept in plain arrays.
//
// Rows count from 1 in the order added; bars count from 1 within their row.
// Each row keeps its bars ordered by start on the time axis together with the
// running maximum of their ends, so that "which bars touch this stretch of
// time" is a binary search plus a short walk back over the bars that can still
// reach it. Bars are usually added in order of start, which keeps the order
// up to date by appending; anything else marks the row for a re-sort before
// the next search.
class ScheduleModel {
public:
    // A bar as it is kept: tens of thousands of them are held at once, so
    // its keys on the time axis are worked out when needed and its text is a
    // number in the schedule's table of texts.
    struct Bar {
        qint32 firstDate = 0;
        qint32 lastDate = 0;
        int startMinute = 0;
        int endMinute = 0;
        qint32 datum = 0;
        qint32 colour = 0; // RGB number, red in the low byte
        int text = 0;      // index into the texts; 0 is no text
        PackedText key;
        PackedText secondText;

        qint64 StartKey() const { return ScheduleMapper::TimeKey(firstDate, startMinute); }
        // A bar that ends before it starts still covers its first minute, so
        // that it can be drawn and pointed at.
        qint64 EndKey() const {
            return std::max(ScheduleMapper::TimeKey(lastDate, endMinute), StartKey() + 1);
        }
    };

    void Clear();
    // Returns the new row's number.
    int AddRow(const QString& text);
    int RowCount() const { return int(m_rows.size()); }
    bool IsRow(int row) const { return row >= 1 && row <= RowCount(); }

    QString RowText(int row) const;
    void SetRowText(int row, const QString& text);
    qint32 RowData(int row) const;
    void SetRowData(int row, qint32 datum);

    // Returns the bar's number within the row, 0 when the row does not exist.
    int AddBar(int row, int startMinute, int endMinute, qint32 firstDate, qint32 lastDate,
               const QString& key);
    int BarCount(int row) const;
    void ReserveBars(int row, int count);
    // Removes every bar of the row; the row itself stays.
    void ClearBars(int row);
    int TotalBars() const { return m_totalBars; }
    QString BarText(const Bar& bar) const { return m_texts[size_t(bar.text)]; }
    // Sets the text of a bar; each text is held once for the whole schedule,
    // as many bars show the same contact name.
    void SetBarText(Bar* bar, const QString& text);
    bool IsBar(int row, int bar) const { return IsRow(row) && bar >= 1 && bar <= BarCount(row); }
    // The bar itself; only for a bar that IsBar reports.
    const Bar& BarAt(int row, int bar) const { return m_rows[row - 1].bars[bar - 1]; }
    Bar* MutableBar(int row, int bar);

    // Topmost bar of the row whose stretch [start, end) holds the time key, or
    // 0. Topmost is the one drawn last: the latest start, then the highest
    // number.
    int BarAtTime(int row, qint64 timeKey) const;
    // Appends to out the numbers of the row's bars that may overlap
    // [fromKey, toKey), in drawing order.
    void BarsInRange(int row, qint64 fromKey, qint64 toKey, std::vector<int>* out) const;

private:
    struct Row {
        QString text;
        qint32 datum = 0;
        std::vector<Bar> bars;
        // Indices into bars ordered by (startKey, index), with their start keys
        // and the running maximum of the end keys along that order.
        mutable std::vector<int> order;
        mutable std::vector<qint64> starts;
        mutable std::vector<qint64> maxEnds;
        mutable bool sorted = true;
    };

    void EnsureSorted(const Row& row) const;

    std::vector<Row> m_rows;
    std::vector<QString> m_texts{QString()};
    QHash<QString, int> m_textIndex;
    int m_totalBars = 0;
};

#pragma once

#include "ui/controls/PackedText.h"

#include <QSet>
#include <QString>
#include <QtGlobal>

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
    struct Bar {
        qint32 firstDate = 0;
        qint32 lastDate = 0;
        int startMinute = 0;
        int endMinute = 0;
        qint32 datum = 0;
        qint32 colour = 0; // RGB number, red in the low byte
        PackedText key;
        PackedText secondText;
        QString text; // shared with every bar of the same text (see Intern)
        qint64 startKey = 0;
        qint64 endKey = 0;
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
    int TotalBars() const { return m_totalBars; }
    // The same text held once for the whole schedule: many bars show the
    // same contact name.
    QString Intern(const QString& text);
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
    QSet<QString> m_texts;
    int m_totalBars = 0;
};

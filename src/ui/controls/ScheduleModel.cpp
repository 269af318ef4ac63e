#include "ui/controls/ScheduleModel.h"

#include "ui/controls/ScheduleMapper.h"

#include <algorithm>
#include <numeric>

void ScheduleModel::Clear() {
    m_rows.clear();
    m_texts.clear();
    m_totalBars = 0;
}

int ScheduleModel::AddRow(const QString& text) {
    Row row;
    row.text = text;
    m_rows.push_back(std::move(row));
    return RowCount();
}

QString ScheduleModel::RowText(int row) const {
    return IsRow(row) ? m_rows[row - 1].text : QString();
}

void ScheduleModel::SetRowText(int row, const QString& text) {
    if (IsRow(row))
        m_rows[row - 1].text = text;
}

qint32 ScheduleModel::RowData(int row) const {
    return IsRow(row) ? m_rows[row - 1].datum : 0;
}

void ScheduleModel::SetRowData(int row, qint32 datum) {
    if (IsRow(row))
        m_rows[row - 1].datum = datum;
}

int ScheduleModel::AddBar(int row, int startMinute, int endMinute, qint32 firstDate,
                          qint32 lastDate, const QString& key) {
    if (!IsRow(row))
        return 0;
    Row& r = m_rows[row - 1];
    Bar bar;
    bar.firstDate = firstDate;
    bar.lastDate = std::max(firstDate, lastDate);
    bar.startMinute = startMinute;
    bar.endMinute = endMinute;
    bar.key.Set(key);
    bar.startKey = ScheduleMapper::TimeKey(bar.firstDate, startMinute);
    // A bar that ends before it starts still covers its first minute, so that
    // it can be drawn and pointed at.
    bar.endKey = std::max(ScheduleMapper::TimeKey(bar.lastDate, endMinute), bar.startKey + 1);
    r.bars.push_back(std::move(bar));
    ++m_totalBars;
    const int index = int(r.bars.size()) - 1;
    const Bar& added = r.bars.back();
    if (r.sorted && (r.starts.empty() || r.starts.back() <= added.startKey)) {
        r.order.push_back(index);
        r.starts.push_back(added.startKey);
        r.maxEnds.push_back(r.maxEnds.empty() ? added.endKey
                                              : std::max(r.maxEnds.back(), added.endKey));
    } else {
        r.sorted = false;
    }
    return index + 1;
}

QString ScheduleModel::Intern(const QString& text) {
    if (text.isEmpty())
        return QString();
    auto it = m_texts.constFind(text);
    if (it == m_texts.constEnd())
        it = m_texts.insert(text);
    return *it;
}

int ScheduleModel::BarCount(int row) const {
    return IsRow(row) ? int(m_rows[row - 1].bars.size()) : 0;
}

ScheduleModel::Bar* ScheduleModel::MutableBar(int row, int bar) {
    return IsBar(row, bar) ? &m_rows[row - 1].bars[bar - 1] : nullptr;
}

void ScheduleModel::EnsureSorted(const Row& row) const {
    if (row.sorted)
        return;
    const std::vector<Bar>& bars = row.bars;
    row.order.resize(bars.size());
    std::iota(row.order.begin(), row.order.end(), 0);
    std::stable_sort(row.order.begin(), row.order.end(),
                     [&bars](int a, int b) { return bars[a].startKey < bars[b].startKey; });
    row.starts.resize(bars.size());
    row.maxEnds.resize(bars.size());
    qint64 maxEnd = 0;
    for (size_t i = 0; i < row.order.size(); ++i) {
        const Bar& bar = bars[row.order[i]];
        row.starts[i] = bar.startKey;
        maxEnd = i == 0 ? bar.endKey : std::max(maxEnd, bar.endKey);
        row.maxEnds[i] = maxEnd;
    }
    row.sorted = true;
}

int ScheduleModel::BarAtTime(int row, qint64 timeKey) const {
    if (!IsRow(row))
        return 0;
    const Row& r = m_rows[row - 1];
    EnsureSorted(r);
    // Bars starting after the key cannot hold it; walk back from the last one
    // that starts at or before it while some earlier bar still ends after it.
    auto it = std::upper_bound(r.starts.begin(), r.starts.end(), timeKey);
    for (auto i = it - r.starts.begin() - 1; i >= 0; --i) {
        if (r.maxEnds[size_t(i)] <= timeKey)
            break;
        const int index = r.order[size_t(i)];
        if (r.bars[size_t(index)].endKey > timeKey)
            return index + 1;
    }
    return 0;
}

void ScheduleModel::BarsInRange(int row, qint64 fromKey, qint64 toKey,
                                std::vector<int>* out) const {
    if (!IsRow(row))
        return;
    const Row& r = m_rows[row - 1];
    EnsureSorted(r);
    auto it = std::lower_bound(r.starts.begin(), r.starts.end(), toKey);
    auto first = it - r.starts.begin();
    while (first > 0 && r.maxEnds[size_t(first - 1)] > fromKey)
        --first;
    for (auto i = first; i < it - r.starts.begin(); ++i) {
        const int index = r.order[size_t(i)];
        if (r.bars[size_t(index)].endKey > fromKey)
            out->push_back(index + 1);
    }
}

#include "ui/controls/ScheduleModel.h"

#include "ui/controls/ScheduleMapper.h"

#include <algorithm>
#include <numeric>

void ScheduleModel::Clear() {
    m_rows.clear();
    m_texts.assign(1, QString());
    m_textIndex.clear();
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
    const qint64 startKey = bar.StartKey();
    const qint64 endKey = bar.EndKey();
    r.bars.push_back(std::move(bar));
    ++m_totalBars;
    const int index = int(r.bars.size()) - 1;
    if (r.sorted && (r.starts.empty() || r.starts.back() <= startKey)) {
        r.order.push_back(index);
        r.starts.push_back(startKey);
        r.maxEnds.push_back(r.maxEnds.empty() ? endKey : std::max(r.maxEnds.back(), endKey));
    } else {
        r.sorted = false;
    }
    return index + 1;
}

void ScheduleModel::SetBarText(Bar* bar, const QString& text) {
    if (text.isEmpty()) {
        bar->text = 0;
        return;
    }
    auto it = m_textIndex.constFind(text);
    if (it == m_textIndex.constEnd()) {
        m_texts.push_back(text);
        it = m_textIndex.insert(text, int(m_texts.size()) - 1);
    }
    bar->text = *it;
}

int ScheduleModel::BarCount(int row) const {
    return IsRow(row) ? int(m_rows[row - 1].bars.size()) : 0;
}

void ScheduleModel::ReserveBars(int row, int count) {
    if (!IsRow(row) || count <= 0)
        return;
    Row& r = m_rows[row - 1];
    const size_t wanted = r.bars.size() + size_t(count);
    r.bars.reserve(wanted);
    r.order.reserve(wanted);
    r.starts.reserve(wanted);
    r.maxEnds.reserve(wanted);
}

void ScheduleModel::ClearBars(int row) {
    if (!IsRow(row))
        return;
    Row& r = m_rows[row - 1];
    m_totalBars -= int(r.bars.size());
    r.bars.clear();
    r.order.clear();
    r.starts.clear();
    r.maxEnds.clear();
    r.sorted = true;
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
                     [&bars](int a, int b) { return bars[a].StartKey() < bars[b].StartKey(); });
    row.starts.resize(bars.size());
    row.maxEnds.resize(bars.size());
    qint64 maxEnd = 0;
    for (size_t i = 0; i < row.order.size(); ++i) {
        const Bar& bar = bars[row.order[i]];
        row.starts[i] = bar.StartKey();
        maxEnd = i == 0 ? bar.EndKey() : std::max(maxEnd, bar.EndKey());
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
        if (r.bars[size_t(index)].EndKey() > timeKey)
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
        if (r.bars[size_t(index)].EndKey() > fromKey)
            out->push_back(index + 1);
    }
}

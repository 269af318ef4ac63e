#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QSlider;
class SpinButtons;

// The bar above the schedule: the group to show, the day arrows, the width
// of the schedule's dates and the legend's check box. The main window
// connects their signals to its commands.
class ScheduleTopBar : public QWidget {
    Q_OBJECT

public:
    explicit ScheduleTopBar(QWidget* parent);

    QComboBox* Group() const { return m_group; }
    SpinButtons* DateArrows() const { return m_dateArrows; }
    QSlider* Width() const { return m_width; }
    QCheckBox* Legend() const { return m_legend; }

private:
    QComboBox* m_group = nullptr;
    SpinButtons* m_dateArrows = nullptr;
    QSlider* m_width = nullptr;
    QCheckBox* m_legend = nullptr;
};

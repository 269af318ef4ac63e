#pragma once

#include <QGroupBox>
#include <QVector>

class LegendLabel;
class QVBoxLayout;

// The legend beside the schedule: a line for each appointment type of the
// shown group, a box in the type's colour and its name. Pressing either
// starts dragging the type onto the schedule. Its lines are made once and
// reused: a group with fewer types hides the rest.
class LegendPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit LegendPanel(QWidget* parent = nullptr);

    // Shows the group's types in name order, letting events run after each
    // line; a newer call (another group chosen meanwhile) or Stop ends it.
    void ShowTypes(qint32 groupId);
    void Stop() { ++m_generation; }
    // Starts dragging the type of a line; the type is kept as DraggedTask.
    void StartDrag(int index);
    qint32 DraggedTask() const { return m_draggedTask; }

    const QVector<LegendLabel*>& ColourLabels() const { return m_colours; }
    const QVector<LegendLabel*>& NameLabels() const { return m_names; }

private:
    void AddLine();

    QVBoxLayout* m_lines = nullptr;
    QVector<LegendLabel*> m_colours;
    QVector<LegendLabel*> m_names;
    int m_generation = 0; // the rebuild running; an older one stops
    qint32 m_draggedTask = 0;
};

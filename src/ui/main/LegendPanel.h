#pragma once

#include <QGroupBox>
#include <QVector>

class LegendLabel;
class QShortcut;
class QVBoxLayout;
class ScheduleView;

// The legend beside the schedule: a line for each appointment type of the
// shown group, a box in the type's colour and its name. Dragging either onto
// the schedule books the type there. Without dragging: a click arms the type
// (drawn pressed), a click on free time of the schedule then books it there
// as a drop would, and a second click on the type or Esc disarms it. Its
// lines are made once and reused: a group with fewer types hides the rest.
class LegendPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit LegendPanel(QWidget* parent = nullptr);

    // Shows the group's types in name order, letting events run after each
    // line; a newer call (another group chosen meanwhile) or Stop ends it.
    void ShowTypes(qint32 groupId);
    void Stop() { ++m_generation; }
    // Starts dragging the type of a line.
    void StartDrag(int index);
    // The type a drop books: the one being dragged, else the armed one (0: none).
    qint32 DraggedTask() const { return m_draggedTask ? m_draggedTask : m_armedTask; }
    // Arms the type of a line, or disarms it when it is armed already.
    void Arm(int index);
    void Disarm();
    qint32 ArmedTask() const { return m_armedTask; }
    // The schedule whose free time a click books the armed type on.
    void SetSchedule(ScheduleView* view);

    const QVector<LegendLabel*>& ColourLabels() const { return m_colours; }
    const QVector<LegendLabel*>& NameLabels() const { return m_names; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddLine();

    QVBoxLayout* m_lines = nullptr;
    QVector<LegendLabel*> m_colours;
    QVector<LegendLabel*> m_names;
    int m_generation = 0; // the rebuild running; an older one stops
    qint32 m_draggedTask = 0; // while a drag runs
    qint32 m_armedTask = 0;
    int m_armedIndex = -1;
    ScheduleView* m_view = nullptr;
    QShortcut* m_escape = nullptr;
};

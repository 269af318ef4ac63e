#include "ui/main/LegendPanel.h"

#include "base/ColourUtil.h"
#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "ui/controls/ScheduleView.h"
#include "ui/main/LegendLabel.h"

#include <QDrag>
#include <algorithm>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QShortcut>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
constexpr int kLegendWidth = 170;
}

LegendPanel::LegendPanel(QWidget* parent) : QGroupBox(QStringLiteral("Legend"), parent) {
    setObjectName(QStringLiteral("Frame1"));
    // Wider with a larger platform font, so that the types' names still fit.
    setFixedWidth(std::max(kLegendWidth, fontMetrics().averageCharWidth() * 24));
    auto* frameLayout = new QVBoxLayout(this);
    frameLayout->setContentsMargins(4, 4, 4, 4);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* inner = new QWidget;
    m_lines = new QVBoxLayout(inner);
    m_lines->setContentsMargins(0, 0, 0, 0);
    m_lines->setSpacing(0);
    m_lines->addStretch(1);
    scroll->setWidget(inner);
    frameLayout->addWidget(scroll);
}

void LegendPanel::AddLine() {
    const int i = int(m_colours.size());
    auto* line = new QWidget;
    auto* lineLayout = new QHBoxLayout(line);
    lineLayout->setContentsMargins(2, 1, 2, 1);
    lineLayout->setSpacing(6);
    auto* colour = new LegendLabel(i, line);
    colour->setFixedSize(22, 14);
    colour->setAutoFillBackground(true);
    colour->setFrameShape(QFrame::Box);
    auto* name = new LegendLabel(i, line);
    name->setMinimumHeight(16);
    for (LegendLabel* label : {colour, name}) {
        connect(label, &LegendLabel::DragStarted, this,
                [this](int index) { Trap("DlgMain.LblColor_MouseDown", [&] { StartDrag(index); }); });
        connect(label, &LegendLabel::Clicked, this, [this](int index) { Arm(index); });
    }
    lineLayout->addWidget(colour);
    lineLayout->addWidget(name, 1);
    m_lines->insertWidget(m_lines->count() - 1, line);
    m_colours << colour;
    m_names << name;
}

void LegendPanel::ShowTypes(qint32 groupId) {
    const int generation = ++m_generation;
    // An armed type stays armed while the group still has it.
    const qint32 armed = m_armedTask;
    Disarm();
    for (LegendLabel* label : m_colours)
        label->setVisible(false);
    for (LegendLabel* label : m_names)
        label->setVisible(false);
    Recordset rs = Database::DAO().SqlQuery(
        QStringLiteral("select TaskId, TaskName, Colour from tblTasks where GroupId = ") +
        QString::number(groupId) + QStringLiteral(" order by TaskName"));
    for (int i = 0; !rs.Eof(); ++i, rs.MoveNext()) {
        if (i >= m_colours.size())
            AddLine();
        const qint32 taskId = rs.Fields(QStringLiteral("TaskId")).Long();
        LegendLabel* colour = m_colours[i];
        LegendLabel* name = m_names[i];
        colour->SetTag(taskId);
        name->SetTag(taskId);
        QPalette palette = colour->palette();
        palette.setColor(QPalette::Window,
                         ColourUtil::ToColor(rs.Fields(QStringLiteral("Colour")).Long()));
        colour->setPalette(palette);
        name->setText(rs.Fields(QStringLiteral("TaskName")).Text());
        name->setToolTip(name->text());
        // The colour box tells its colour in words: colour is never the only cue.
        colour->setAccessibleName(name->text() + QStringLiteral(", ") +
                                  ColourUtil::NearestCssName(rs.Fields(QStringLiteral("Colour")).Long()));
        name->setAccessibleName(name->text());
        colour->setVisible(true);
        name->setVisible(true);
        if (armed && taskId == armed)
            Arm(i);
        EventPump::Run();
        // A rebuild started meanwhile (another group chosen) owns the labels now.
        if (generation != m_generation)
            return;
    }
}

void LegendPanel::StartDrag(int index) {
    LegendLabel* source = m_colours.value(index);
    if (!source)
        return;
    m_draggedTask = source->Tag();
    auto* drag = new QDrag(source);
    drag->setMimeData(ScheduleView::MakeTaskMimeData(m_draggedTask));
    QPixmap pixmap(22, 14);
    pixmap.fill(source->palette().color(QPalette::Window));
    drag->setPixmap(pixmap);
    // Esc ends the drag without a drop: nothing is booked, and an armed type
    // stays armed.
    drag->exec(Qt::CopyAction);
    m_draggedTask = 0;
}

void LegendPanel::Arm(int index) {
    LegendLabel* colour = m_colours.value(index);
    const bool again = index == m_armedIndex;
    Disarm();
    if (!colour || again)
        return;
    m_armedIndex = index;
    m_armedTask = colour->Tag();
    colour->SetArmed(true);
    m_names[index]->SetArmed(true);
    if (m_escape)
        m_escape->setEnabled(true);
}

void LegendPanel::Disarm() {
    if (m_armedIndex >= 0) {
        m_colours[m_armedIndex]->SetArmed(false);
        m_names[m_armedIndex]->SetArmed(false);
    }
    m_armedIndex = -1;
    m_armedTask = 0;
    if (m_escape)
        m_escape->setEnabled(false);
}

void LegendPanel::SetSchedule(ScheduleView* view) {
    m_view = view;
    view->viewport()->installEventFilter(this);
    // Esc disarms wherever the focus is in the window, and only while armed.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), view->window());
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, this, [this] { Disarm(); });
}

bool LegendPanel::eventFilter(QObject* watched, QEvent* event) {
    if (!m_armedTask || !m_view || watched != m_view->viewport() ||
        event->type() != QEvent::MouseButtonPress)
        return QGroupBox::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint point = m_view->viewport()->mapTo(m_view, mouse->position().toPoint());
    const ScheduleView::Hit hit = m_view->HitTest(point);
    if (mouse->button() != Qt::LeftButton || !hit.row || !hit.onTime || hit.bar)
        return QGroupBox::eventFilter(watched, event);
    Trap("DlgMain.Sched_DropItem", [&] { m_view->DropAtPoint(point.x(), point.y()); });
    return true;
}

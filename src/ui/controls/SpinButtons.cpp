#include "ui/controls/SpinButtons.h"

#include <QBoxLayout>
#include <QToolButton>

namespace {
// Side of one arrow button, in pixels: small like the arrows of a spin box,
// large enough to hit with the mouse.
constexpr int kButtonSide = 16;

QToolButton* MakeArrow(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRepeat(true);
    button->setAutoRaise(false);
    button->setFocusPolicy(Qt::TabFocus);
    button->setFixedSize(kButtonSide, kButtonSide);
    return button;
}
} // namespace

SpinButtons::SpinButtons(QWidget* parent) : SpinButtons(Qt::Vertical, parent) {}

SpinButtons::SpinButtons(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_orientation(orientation) {
    m_increase = MakeArrow(this);
    m_decrease = MakeArrow(this);
    m_increase->setObjectName(QStringLiteral("Increase"));
    m_decrease->setObjectName(QStringLiteral("Decrease"));
    // Arrows without text: named until the window gives them tool tips.
    m_increase->setAccessibleName(QStringLiteral("Increase"));
    m_decrease->setAccessibleName(QStringLiteral("Decrease"));
    m_layout = new QBoxLayout(QBoxLayout::TopToBottom, this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    connect(m_increase, &QToolButton::clicked, this, [this] { emit SpinClicked(Increase); });
    connect(m_decrease, &QToolButton::clicked, this, [this] { emit SpinClicked(Decrease); });
    ArrangeButtons();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SpinButtons::SetOrientation(Qt::Orientation orientation) {
    if (orientation == m_orientation)
        return;
    m_orientation = orientation;
    ArrangeButtons();
    updateGeometry();
}

void SpinButtons::ArrangeButtons() {
    m_layout->removeWidget(m_increase);
    m_layout->removeWidget(m_decrease);
    if (m_orientation == Qt::Vertical) {
        m_layout->setDirection(QBoxLayout::TopToBottom);
        m_increase->setArrowType(Qt::UpArrow);
        m_decrease->setArrowType(Qt::DownArrow);
        m_layout->addWidget(m_increase);
        m_layout->addWidget(m_decrease);
    } else {
        m_layout->setDirection(QBoxLayout::LeftToRight);
        m_decrease->setArrowType(Qt::LeftArrow);
        m_increase->setArrowType(Qt::RightArrow);
        m_layout->addWidget(m_decrease);
        m_layout->addWidget(m_increase);
    }
    // Tab goes through the arrows in reading order.
    if (m_orientation == Qt::Vertical)
        setTabOrder(m_increase, m_decrease);
    else
        setTabOrder(m_decrease, m_increase);
}

bool SpinButtons::AutoRepeat() const {
    return m_increase->autoRepeat();
}

void SpinButtons::SetAutoRepeat(bool on) {
    m_increase->setAutoRepeat(on);
    m_decrease->setAutoRepeat(on);
}

void SpinButtons::SetToolTips(const QString& increase, const QString& decrease) {
    m_increase->setToolTip(increase);
    m_decrease->setToolTip(decrease);
    m_increase->setAccessibleName(increase);
    m_decrease->setAccessibleName(decrease);
}

QSize SpinButtons::sizeHint() const {
    return m_orientation == Qt::Vertical ? QSize(kButtonSide, 2 * kButtonSide)
                                         : QSize(2 * kButtonSide, kButtonSide);
}

QSize SpinButtons::minimumSizeHint() const {
    return sizeHint();
}

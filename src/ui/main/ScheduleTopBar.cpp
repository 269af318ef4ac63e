#include "ui/main/ScheduleTopBar.h"

#include "ui/controls/SpinButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

namespace {

// The width slider: the pixels of a date (or an hour), from narrow to wide,
// and where it starts.
constexpr int kScrollMin = 24;
constexpr int kScrollMax = 240;
constexpr int kScrollDesign = 60;

} // namespace

ScheduleTopBar::ScheduleTopBar(QWidget* parent) : QWidget(parent) {
    auto* groupLabel = new QLabel(QStringLiteral("&Group:"), this);
    m_group = new QComboBox(this);
    m_group->setObjectName(QStringLiteral("CbGroup"));
    m_group->setToolTip(QStringLiteral("Select Group"));
    m_group->setMinimumWidth(200);
    m_group->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    groupLabel->setBuddy(m_group);

    m_dateArrows = new SpinButtons(Qt::Horizontal, this);
    m_dateArrows->setObjectName(QStringLiteral("SpinDate"));
    m_dateArrows->setToolTip(QStringLiteral("Date Forward/Back"));
    m_dateArrows->SetToolTips(QStringLiteral("Date Forward"), QStringLiteral("Date Back"));

    auto* scaleLabel = new QLabel(QStringLiteral("Width:"), this);
    m_width = new QSlider(Qt::Horizontal, this);
    m_width->setObjectName(QStringLiteral("Scroll"));
    m_width->setToolTip(QStringLiteral("Adjust Schedule Width"));
    m_width->setRange(kScrollMin, kScrollMax);
    m_width->setSingleStep(6);
    m_width->setPageStep(24);
    m_width->setValue(kScrollDesign);
    m_width->setMinimumWidth(120);
    m_width->setMaximumWidth(260);

    m_legend = new QCheckBox(QStringLiteral("&Legend"), this);
    m_legend->setObjectName(QStringLiteral("ChkLegend"));
    m_legend->setToolTip(QStringLiteral("Show legend"));
    m_legend->setChecked(true);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(groupLabel);
    row->addWidget(m_group);
    row->addSpacing(12);
    row->addWidget(m_dateArrows);
    row->addSpacing(12);
    row->addWidget(scaleLabel);
    row->addWidget(m_width);
    row->addStretch(1);
    row->addWidget(m_legend);
}

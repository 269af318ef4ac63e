#include "ui/definitions/DlgApptType.h"

#include "base/ColourUtil.h"
#include "base/ErrorTrap.h"
#include "model/ClsDate.h"
#include "model/ClsTask.h"
#include "model/Records.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ColourPalette.h"
#include "ui/controls/SpinButtons.h"
#include "ui/help/ContextIDs.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

namespace {
// The longest length the 16-bit field holds; a longer one would wrap round.
constexpr int kLongest = std::numeric_limits<qint16>::max();

int Step(const ClsTask& task, int direction) {
    return direction == SpinButtons::Increase ? task.Interval() : -task.Interval();
}
} // namespace

DlgApptType::DlgApptType(QWidget* parent)
    : DefinitionDialog(QStringLiteral("DlgApptType"), QStringLiteral("Appointment Type"),
                       ContextIDs::HelpApptType, parent) {
    TxtType = MakeTextBox(QStringLiteral("TxtType"));
    BtnColour = new QPushButton(this);
    BtnColour->setObjectName(QStringLiteral("BtnColour"));
    BtnColour->setAccessibleName(QStringLiteral("Colour"));
    BtnColour->setAutoDefault(false);
    BtnColour->setFixedSize(48, TxtType->sizeHint().height());
    ColourPick = new ColourPalette(this);
    ColourPick->setObjectName(QStringLiteral("ColourPick"));
    QGroupBox* description = MakeFrame(QStringLiteral("Description"), {TxtType, BtnColour});
    QGroupBox* minimum = MakeSpinFrame(QStringLiteral("Minimum"), QStringLiteral("LblMin"), LblMin,
                                       QStringLiteral("SpinMin"), SpinMin);
    QGroupBox* maximum = MakeSpinFrame(QStringLiteral("Maximum"), QStringLiteral("LblMax"), LblMax,
                                       QStringLiteral("SpinMax"), SpinMax);
    QGroupBox* initial = MakeSpinFrame(QStringLiteral("Initial"), QStringLiteral("LblInit"),
                                       LblInit, QStringLiteral("SpinInit"), SpinInit);
    BtnTask =
        MakeButtons(QStringLiteral("BtnTask"),
                    {QStringLiteral("&Save"), QStringLiteral("&Cancel"), QStringLiteral("&Help")},
                    [this](int index) { BtnTask_Click(index); });

    auto* times = new QHBoxLayout;
    times->addWidget(minimum);
    times->addWidget(maximum);
    times->addWidget(initial);
    auto* frames = new QVBoxLayout;
    frames->addWidget(description);
    frames->addLayout(times);
    frames->addStretch(1);
    SetContent(frames, BtnTask);

    connect(BtnColour, &QPushButton::clicked, this, &DlgApptType::BtnColour_Click);
    connect(ColourPick, &ColourPalette::ColorClick, this, &DlgApptType::ColourPick_ColorClick);
    connect(SpinMin, &SpinButtons::SpinClicked, this, &DlgApptType::SpinMin_Click);
    connect(SpinMax, &SpinButtons::SpinClicked, this, &DlgApptType::SpinMax_Click);
    connect(SpinInit, &SpinButtons::SpinClicked, this, &DlgApptType::SpinInit_Click);
    OnGotFocus(TxtType, [this] { TxtType_GotFocus(); });
}

void DlgApptType::Form_Load() {
    Trap("DlgApptType.Form_Load", [&] {
        ClsForms::CentreForm(this, parentWidget());
        const ClsTask& task = Records::Task();
        TxtType->setText(task.TaskName());
        LblMax->setText(ClsDate::ShowMinutes(task.MaxTime()));
        LblMin->setText(ClsDate::ShowMinutes(task.MinTime()));
        LblInit->setText(ClsDate::ShowMinutes(task.InitTime()));
        ShowColour(task.Colour());
    });
}

void DlgApptType::ShowColour(qint32 colour) {
    const QColor c = ColourUtil::ToColor(colour);
    BtnColour->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid palette(shadow); }")
            .arg(c.name()));
}

void DlgApptType::TxtType_GotFocus() {
    ClsForms::SelectAllText(TxtType);
}

void DlgApptType::BtnColour_Click() {
    Trap("DlgApptType.BtnColour_Click", [&] {
        ColourPick->SetColour(Records::Task().Colour());
        ColourPick->ShowPalette(BtnColour);
    });
}

void DlgApptType::ColourPick_ColorClick(qint32 colour) {
    Trap("DlgApptType.ColourPick_ColorClick", [&] {
        Records::Task().SetColour(colour);
        ShowColour(colour);
    });
}

// The minimum stops at the maximum and never falls below one interval: a
// shorter appointment could not be placed on the slot grid at all.
void DlgApptType::SpinMin_Click(int direction) {
    Trap("DlgApptType.SpinMin_Click", [&] {
        ClsTask& task = Records::Task();
        int minTime = task.MinTime() + Step(task, direction);
        if (minTime < task.Interval())
            minTime = task.Interval();
        if (minTime > task.MaxTime())
            minTime = task.MaxTime();
        task.SetMinTime(qint16(minTime));
        LblMin->setText(ClsDate::ShowMinutes(minTime));
        if (task.InitTime() < minTime)
            task.SetInitTime(qint16(minTime));
        LblInit->setText(ClsDate::ShowMinutes(task.InitTime()));
    });
}

// The maximum stops at the minimum; the initial length follows it down.
void DlgApptType::SpinMax_Click(int direction) {
    Trap("DlgApptType.SpinMax_Click", [&] {
        ClsTask& task = Records::Task();
        int maxTime = task.MaxTime() + Step(task, direction);
        if (maxTime > kLongest)
            maxTime = task.MaxTime();
        if (maxTime < task.MinTime())
            maxTime = task.MinTime();
        task.SetMaxTime(qint16(maxTime));
        LblMax->setText(ClsDate::ShowMinutes(maxTime));
        if (task.InitTime() > maxTime)
            task.SetInitTime(qint16(maxTime));
        LblInit->setText(ClsDate::ShowMinutes(task.InitTime()));
    });
}

void DlgApptType::SpinInit_Click(int direction) {
    Trap("DlgApptType.SpinInit_Click", [&] {
        ClsTask& task = Records::Task();
        int initTime = task.InitTime() + Step(task, direction);
        if (initTime < task.MinTime())
            initTime = task.MinTime();
        if (initTime > task.MaxTime())
            initTime = task.MaxTime();
        task.SetInitTime(qint16(initTime));
        LblInit->setText(ClsDate::ShowMinutes(initTime));
    });
}

void DlgApptType::BtnTask_Click(int index) {
    Trap("DlgApptType.BtnTask_Click", [&] {
        ClsTask& task = Records::Task();
        switch (index) {
        case 0:
            task.SetTaskName(TxtType->text().trimmed());
            task.Save();
            CloseIfSaved(task.LastSaveProblem(), QStringLiteral("appointment type"));
            break;
        case 1:
            task.InitBfr();
            reject();
            break;
        case 2:
            ContextIDs::ShowHelp(HelpContext());
            break;
        default:
            break;
        }
    });
}

#include "ui/definitions/DlgGroup.h"

#include "base/ErrorTrap.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "model/Records.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/SpinButtons.h"
#include "ui/help/ContextIDs.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {
constexpr int kStep = 5;    // every time of a group lies on a 5-minute grid
constexpr int kMinDay = 60; // the working day lasts at least an hour
constexpr int kDayMinutes = 1440;
} // namespace

DlgGroup::DlgGroup(QWidget* parent)
    : DefinitionDialog(QStringLiteral("DlgGroup"), QStringLiteral("Group Definition"),
                       ContextIDs::HelpGroup, parent) {
    TxtGroupName = MakeTextBox(QStringLiteral("TxtGroupName"));
    QGroupBox* description = MakeFrame(QStringLiteral("Description"), {TxtGroupName});
    QGroupBox* start = MakeSpinFrame(QStringLiteral("Start"), QStringLiteral("LblStart"), LblStart,
                                     QStringLiteral("SpinStart"), SpinStart);
    QGroupBox* end = MakeSpinFrame(QStringLiteral("End"), QStringLiteral("LblEnd"), LblEnd,
                                   QStringLiteral("SpinEnd"), SpinEnd);
    QGroupBox* interval = MakeSpinFrame(QStringLiteral("Interval"), QStringLiteral("LblInterval"),
                                        LblInterval, QStringLiteral("SpinInterval"), SpinInterval);
    BtnGroup =
        MakeButtons(QStringLiteral("BtnGroup"),
                    {QStringLiteral("&Save"), QStringLiteral("&Cancel"), QStringLiteral("&Help")},
                    [this](int index) { BtnGroup_Click(index); });

    auto* times = new QHBoxLayout;
    times->addWidget(start);
    times->addWidget(end);
    times->addWidget(interval);
    auto* frames = new QVBoxLayout;
    frames->addWidget(description);
    frames->addLayout(times);
    frames->addStretch(1);
    SetContent(frames, BtnGroup);

    connect(SpinStart, &SpinButtons::SpinClicked, this, &DlgGroup::SpinStart_Click);
    connect(SpinEnd, &SpinButtons::SpinClicked, this, &DlgGroup::SpinEnd_Click);
    connect(SpinInterval, &SpinButtons::SpinClicked, this, &DlgGroup::SpinInterval_Click);
    OnGotFocus(TxtGroupName, [this] { TxtGroupName_GotFocus(); });
}

void DlgGroup::Form_Load() {
    Trap("DlgGroup.Form_Load", [&] {
        ClsForms::CentreForm(this, parentWidget());
        TxtGroupName->setText(Records::Group().GroupName());
        ShowTimes();
    });
}

void DlgGroup::ShowTimes() {
    const ClsGroup& group = Records::Group();
    LblStart->setText(ClsDate::ShowTime(group.DayStart(), true));
    LblEnd->setText(ClsDate::ShowTime(group.DayEnd(), true));
    LblInterval->setText(ClsDate::ShowMinutes(group.Interval()));
}

void DlgGroup::TxtGroupName_GotFocus() {
    Trap("DlgGroup.TxtGroupName_GotFocus", [&] { ClsForms::SelectAllText(TxtGroupName); });
}

// The start rises only while it lies more than an hour before the end.
void DlgGroup::SpinStart_Click(int direction) {
    Trap("DlgGroup.SpinStart_Click", [&] {
        ClsGroup& group = Records::Group();
        int start = group.DayStart();
        if (direction == SpinButtons::Increase) {
            if (start < group.DayEnd() - kMinDay)
                start += kStep;
            start = qMin(start, kDayMinutes);
        } else {
            start = qMax(start - kStep, 0);
        }
        group.SetDayStart(qint16(start));
        LblStart->setText(ClsDate::ShowTime(start, true));
    });
}

// The end falls only while it lies more than an hour after the start.
void DlgGroup::SpinEnd_Click(int direction) {
    Trap("DlgGroup.SpinEnd_Click", [&] {
        ClsGroup& group = Records::Group();
        int end = group.DayEnd();
        if (direction == SpinButtons::Increase) {
            end = qMin(end + kStep, kDayMinutes);
        } else {
            if (end > group.DayStart() + kMinDay)
                end -= kStep;
            end = qMax(end, 0);
        }
        group.SetDayEnd(qint16(end));
        LblEnd->setText(ClsDate::ShowTime(end, true));
    });
}

void DlgGroup::SpinInterval_Click(int direction) {
    Trap("DlgGroup.SpinInterval_Click", [&] {
        ClsGroup& group = Records::Group();
        int interval = group.Interval() + (direction == SpinButtons::Increase ? kStep : -kStep);
        interval = qMax(qMin(interval, kDayMinutes), kStep);
        group.SetInterval(qint16(interval));
        LblInterval->setText(ClsDate::ShowMinutes(interval));
    });
}

void DlgGroup::BtnGroup_Click(int index) {
    Trap("DlgGroup.BtnGroup_Click", [&] {
        ClsGroup& group = Records::Group();
        switch (index) {
        case 0:
            group.SetGroupName(TxtGroupName->text().trimmed());
            group.Save();
            CloseIfSaved(group.LastSaveProblem(), QStringLiteral("group"));
            break;
        case 1:
            group.InitBfr();
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

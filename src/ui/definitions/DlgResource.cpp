#include "ui/definitions/DlgResource.h"

#include "base/ErrorTrap.h"
#include "data/Database.h"
#include "data/DbTransaction.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "model/ClsResource.h"
#include "model/Records.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/SpinButtons.h"
#include "ui/help/ContextIDs.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {
constexpr int kDayMinutes = 1440;
} // namespace

DlgResource::DlgResource(QWidget* parent)
    : DefinitionDialog(QStringLiteral("DlgResource"), QStringLiteral("Resource Definition"),
                       ContextIDs::HelpResource, parent) {
    TxtResourceName = MakeTextBox(QStringLiteral("TxtResourceName"));
    QGroupBox* description = MakeFrame(QStringLiteral("Description"), {TxtResourceName});
    QGroupBox* minimum = MakeSpinFrame(QStringLiteral("Minimum"), QStringLiteral("LblMin"), LblMin,
                                       QStringLiteral("SpinMin"), SpinMin);
    QGroupBox* maximum = MakeSpinFrame(QStringLiteral("Maximum"), QStringLiteral("LblMax"), LblMax,
                                       QStringLiteral("SpinMax"), SpinMax);
    QGroupBox* initial = MakeSpinFrame(QStringLiteral("Initial"), QStringLiteral("LblInit"),
                                       LblInit, QStringLiteral("SpinInit"), SpinInit);
    QGroupBox* copies = MakeSpinFrame(QStringLiteral("Copies"), QStringLiteral("LblCopies"),
                                      LblCopies, QStringLiteral("SpinCopies"), SpinCopies);
    LblCopies->setText(QString());
    BtnGroup =
        MakeButtons(QStringLiteral("BtnGroup"),
                    {QStringLiteral("&Save"), QStringLiteral("&Cancel"), QStringLiteral("&Help")},
                    [this](int index) { BtnGroup_Click(index); });

    auto* times = new QHBoxLayout;
    times->addWidget(minimum);
    times->addWidget(maximum);
    times->addWidget(initial);
    times->addWidget(copies);
    auto* frames = new QVBoxLayout;
    frames->addWidget(description);
    frames->addLayout(times);
    frames->addStretch(1);
    SetContent(frames, BtnGroup);

    connect(SpinMin, &SpinButtons::SpinClicked, this, &DlgResource::SpinMin_Click);
    connect(SpinMax, &SpinButtons::SpinClicked, this, &DlgResource::SpinMax_Click);
    connect(SpinInit, &SpinButtons::SpinClicked, this, &DlgResource::SpinInit_Click);
    connect(SpinCopies, &SpinButtons::SpinClicked, this, &DlgResource::SpinCopies_Click);
    OnGotFocus(TxtResourceName, [this] { TxtResourceName_GotFocus(); });
}

void DlgResource::Form_Load() {
    Trap("DlgResource.Form_Load", [&] {
        ClsForms::CentreForm(this, parentWidget());
        m_copies = 1;
        SetupEnabled();
        const ClsResource& res = Records::Resource();
        // The times step by the slot length of the resource's own group. The
        // record knows only the group last assigned to it, which for a
        // resource loaded for editing may be another one.
        ClsGroup group;
        m_interval = group.Load(res.GroupId()) ? group.Interval() : res.Interval();
        TxtResourceName->setText(res.ResourceName());
        LblMin->setText(ClsDate::ShowMinutes(res.MinTime()));
        LblMax->setText(ClsDate::ShowMinutes(res.MaxTime()));
        LblInit->setText(ClsDate::ShowMinutes(res.InitTime()));
    });
}

int DlgResource::Step(int direction) const {
    return direction == SpinButtons::Increase ? m_interval : -m_interval;
}

// Copies are offered only for a new resource; an edited one is saved once.
void DlgResource::SetupEnabled() {
    const bool editing = Records::Resource().ResourceId() != 0;
    LblCopies->setText(editing ? QString() : QString::number(m_copies));
    SpinCopies->setEnabled(!editing);
}

void DlgResource::TxtResourceName_GotFocus() {
    Trap("DlgResource.TxtResourceName_GotFocus", [&] { ClsForms::SelectAllText(TxtResourceName); });
}

// The minimum stays between one interval and a day and pushes the maximum
// and the initial time up with it.
void DlgResource::SpinMin_Click(int direction) {
    Trap("DlgResource.SpinMin_Click", [&] {
        ClsResource& res = Records::Resource();
        int minTime = res.MinTime() + Step(direction);
        if (minTime < m_interval)
            minTime = m_interval;
        if (minTime > kDayMinutes)
            minTime = kDayMinutes;
        res.SetMinTime(qint16(minTime));
        if (minTime > res.MaxTime()) {
            res.SetMaxTime(qint16(minTime));
            LblMax->setText(ClsDate::ShowMinutes(minTime));
        }
        if (minTime > res.InitTime()) {
            res.SetInitTime(qint16(minTime));
            LblInit->setText(ClsDate::ShowMinutes(minTime));
        }
        LblMin->setText(ClsDate::ShowMinutes(minTime));
    });
}

// The maximum stays between one interval and a day and pulls the minimum and
// the initial time down with it.
void DlgResource::SpinMax_Click(int direction) {
    Trap("DlgResource.SpinMax_Click", [&] {
        ClsResource& res = Records::Resource();
        int maxTime = res.MaxTime() + Step(direction);
        if (maxTime < m_interval)
            maxTime = m_interval;
        if (maxTime > kDayMinutes)
            maxTime = kDayMinutes;
        res.SetMaxTime(qint16(maxTime));
        if (maxTime < res.MinTime()) {
            res.SetMinTime(qint16(maxTime));
            LblMin->setText(ClsDate::ShowMinutes(maxTime));
        }
        if (maxTime < res.InitTime()) {
            res.SetInitTime(qint16(maxTime));
            LblInit->setText(ClsDate::ShowMinutes(maxTime));
        }
        LblMax->setText(ClsDate::ShowMinutes(maxTime));
    });
}

// The initial time is held between the minimum and the maximum.
void DlgResource::SpinInit_Click(int direction) {
    Trap("DlgResource.SpinInit_Click", [&] {
        ClsResource& res = Records::Resource();
        int initTime = res.InitTime() + Step(direction);
        if (initTime > res.MaxTime())
            initTime = res.MaxTime();
        if (initTime < res.MinTime())
            initTime = res.MinTime();
        res.SetInitTime(qint16(initTime));
        LblInit->setText(ClsDate::ShowMinutes(initTime));
    });
}

void DlgResource::SpinCopies_Click(int direction) {
    TrapSilent([&] {
        int copies = m_copies + (direction == SpinButtons::Increase ? 1 : -1);
        copies = qMax(qMin(copies, MaxCopies), 1);
        m_copies = qint16(copies);
        LblCopies->setText(QString::number(copies));
    });
}

// Stores the numbered copies as one write transaction: the window stays open
// after a failure, so the copies stored before it must go too, or saving
// again would store them twice.
bool DlgResource::SaveCopies(const QString& name) {
    ClsResource& res = Records::Resource();
    DbTransaction txn(Database::DAO());
    for (int i = 1; i <= m_copies; ++i) {
        res.SetResourceName(name + QStringLiteral(" #") +
                            QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
        res.SetResourceId(0);
        if (res.Save() == 0)
            return false;
    }
    if (txn.Commit())
        return true;
    res.SetResourceId(0); // the last copy went with the rollback
    return false;
}

void DlgResource::BtnGroup_Click(int index) {
    Trap("DlgResource.BtnGroup_Click", [&] {
        ClsResource& res = Records::Resource();
        switch (index) {
        case 0: {
            const QString name = TxtResourceName->text().trimmed();
            SaveProblem problem = SaveProblem::Failed;
            if (m_copies <= 1) {
                res.SetResourceName(name);
                res.Save();
                problem = res.LastSaveProblem();
            } else if (SaveCopies(name)) {
                problem = SaveProblem::None;
            }
            CloseIfSaved(problem, QStringLiteral("resource"));
            // A resource deleted at another workstation is a new one now,
            // which may be saved in copies.
            if (problem == SaveProblem::Deleted)
                SetupEnabled();
            break;
        }
        case 1:
            res.InitBfr();
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

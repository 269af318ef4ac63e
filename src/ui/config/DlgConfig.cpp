#include "ui/config/DlgConfig.h"

#include "base/ClsIni.h"
#include "base/ColourUtil.h"
#include "base/ErrorLog.h"
#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "base/Messages.h"
#include "base/ModalWindow.h"
#include "base/ProgramFolder.h"
#include "base/Settings.h"
#include "data/ClsDAO.h"
#include "data/ConnectionInfo.h"
#include "data/Database.h"
#include "data/DbTransaction.h"
#include "data/Journal.h"
#include "model/ClsBooking.h"
#include "model/ClsDate.h"
#include "model/Records.h"
#include "print/PageSizes.h"
#include "transfer/IntegrityReport.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ColourPalette.h"
#include "ui/controls/IconFactory.h"
#include "ui/controls/ScheduleView.h"
#include "ui/controls/SpinButtons.h"
#include "ui/help/ContextIDs.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QSysInfo>
#include <QToolBar>
#include <algorithm>
#include <limits>

namespace {

// How many rows the integrity check's message lists.
constexpr int kListedRows = 20;

// The settings each colour button and option box edits. The key travels
// with the control as its tag; the handlers read it from there.
struct ColourSetting {
    const char* label;
    const char* key;
    QColor SchedulePainter::Palette::*part; // the colour of the platform's it follows while unset
};

constexpr std::array<ColourSetting, DlgConfig::ColourCount> kColours{{
    {"Schedule Title", "TitleBackColor", &SchedulePainter::Palette::title},
    {"Schedule List", "ListBackColor", &SchedulePainter::Palette::list},
    {"Weekend", "WeekendColor", &SchedulePainter::Palette::weekend},
    {"Ruler", "RulerBackColor", &SchedulePainter::Palette::ruler},
    {"Background", "BackColor", &SchedulePainter::Palette::back},
    {"Selection", "SelectBackColor", &SchedulePainter::Palette::select},
}};

struct OptionSetting {
    const char* caption;
    const char* key;
};

constexpr std::array<OptionSetting, DlgConfig::OptionCount> kOptions{{
    {"Enable printing in color?", "ColourPrint"},
    {"Appointments require contact to be defined?", "CustomerRequired"},
    {"Show reminders when mouse is over schedule?", "PopupReminders"},
    {"Auto-scroll view window with respect to time?", "Autoscroll"},
    {"Show customer name on time bars?", "DispCustomer"},
    {"Use military time (00:00 - 23:59)", "UseMilitaryTime"},
}};

const char* const kTag = "Tag";

QString Tag(const QObject* control) {
    return control->property(kTag).toString();
}

QString Text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

ClsIni& Ini() {
    return Settings::Ini();
}

} // namespace

DlgConfig::DlgConfig(QWidget* parent)
    : DefinitionDialog(QStringLiteral("DlgConfig"), QStringLiteral("Configuration"),
                       ContextIDs::HelpConfig, parent) {
    BuildWindow();
    BuildToolbar();
    BuildMenus();
    // Room for a database path of some length from the start.
    resize(std::max(sizeHint().width(), 640), sizeHint().height());
}

// ---------------------------------------------------------------------------
// Building the window

void DlgConfig::BuildWindow() {
    auto* colours = new QGroupBox(QStringLiteral("Colors"), this);
    colours->setObjectName(QStringLiteral("FrameColours"));
    auto* colourGrid = new QGridLayout(colours);
    colourGrid->setColumnStretch(0, 1);
    for (int i = 0; i < ColourCount; ++i) {
        const ColourSetting& setting = kColours[std::size_t(i)];
        auto* label = new QLabel(Text(setting.label), colours);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        auto* button = new QPushButton(colours);
        button->setObjectName(QStringLiteral("BtnColour%1").arg(i));
        button->setProperty(kTag, Text(setting.key));
        button->setAccessibleName(Text(setting.label));
        button->setToolTip(Text(setting.label));
        button->setAutoDefault(false);
        button->setFixedSize(56, label->sizeHint().height() + 6);
        connect(button, &QPushButton::clicked, this, [this, i] { BtnColour_Click(i); });
        colourGrid->addWidget(label, i, 0);
        colourGrid->addWidget(button, i, 1);
        Label1[std::size_t(i)] = label;
        BtnColour[std::size_t(i)] = button;
    }
    ColourPick = new ColourPalette(this);
    ColourPick->setObjectName(QStringLiteral("ColourPick"));
    connect(ColourPick, &ColourPalette::ColorClick, this, &DlgConfig::ColourPick_ColorClick);

    auto* options = new QGroupBox(QStringLiteral("Options"), this);
    options->setObjectName(QStringLiteral("FrameOptions"));
    auto* optionColumn = new QVBoxLayout(options);
    for (int i = 0; i < OptionCount; ++i) {
        const OptionSetting& setting = kOptions[std::size_t(i)];
        auto* box = new QCheckBox(Text(setting.caption), options);
        box->setObjectName(QStringLiteral("ChkOption%1").arg(i));
        box->setProperty(kTag, Text(setting.key));
        // clicked, not toggled: only the user's click counts as a change.
        connect(box, &QCheckBox::clicked, this, [this, i] { ChkOption_Click(i); });
        optionColumn->addWidget(box);
        ChkOption[std::size_t(i)] = box;
    }
    optionColumn->addStretch(1);

    auto* database = new QGroupBox(QStringLiteral("Database"), this);
    database->setObjectName(QStringLiteral("FrameDatabase"));
    TxtDatabase = MakeTextBox(QStringLiteral("TxtDatabase"));
    TxtDatabase->setToolTip(QStringLiteral("Database file"));
    OnGotFocus(TxtDatabase, [this] { ClsForms::SelectAllText(TxtDatabase); });
    BtnFind = new QPushButton(QStringLiteral("Find"), database);
    BtnFind->setObjectName(QStringLiteral("BtnFind"));
    BtnFind->setAutoDefault(false);
    connect(BtnFind, &QPushButton::clicked, this, &DlgConfig::BtnFind_Click);
    auto* databaseRows = new QVBoxLayout(database);
    auto* databaseRow = new QHBoxLayout;
    databaseRow->addWidget(TxtDatabase, 1);
    databaseRow->addWidget(BtnFind);
    databaseRows->addLayout(databaseRow);
    // The name this workstation's changes carry in the journal; empty: the
    // host name.
    TxtWorkstation = MakeTextBox(QStringLiteral("TxtWorkstation"));
    TxtWorkstation->setPlaceholderText(QSysInfo::machineHostName());
    TxtWorkstation->setAccessibleName(QStringLiteral("Workstation name"));
    TxtWorkstation->setToolTip(QStringLiteral("The name this workstation's changes carry"));
    connect(TxtWorkstation, &QLineEdit::textEdited, this, [this] { m_changed = true; });
    auto* stationLabel = new QLabel(QStringLiteral("&Workstation name"), database);
    stationLabel->setBuddy(TxtWorkstation);
    auto* stationRow = new QHBoxLayout;
    stationRow->addWidget(stationLabel);
    stationRow->addWidget(TxtWorkstation, 1);
    databaseRows->addLayout(stationRow);

    auto* purge = new QGroupBox(QStringLiteral("Purge Data Before Date"), this);
    purge->setObjectName(QStringLiteral("FramePurge"));
    LblPurge = new QLabel(purge);
    LblPurge->setObjectName(QStringLiteral("LblPurge"));
    LblPurge->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LblPurge->setAlignment(Qt::AlignCenter);
    LblPurge->setMinimumWidth(
        LblPurge->fontMetrics().horizontalAdvance(QStringLiteral("30 Sep 2026")) + 16);
    LblPurge->setToolTip(QStringLiteral("Bookings before this date are purged"));
    SpinPurge = new SpinButtons(Qt::Vertical, purge);
    SpinPurge->setObjectName(QStringLiteral("SpinPurge"));
    SpinPurge->SetToolTips(QStringLiteral("Earlier date"), QStringLiteral("Later date"));
    connect(SpinPurge, &SpinButtons::SpinClicked, this, &DlgConfig::SpinPurge_Click);
    BtnPurge = new QPushButton(QStringLiteral("Purge Now"), purge);
    BtnPurge->setObjectName(QStringLiteral("BtnPurge"));
    BtnPurge->setAutoDefault(false);
    connect(BtnPurge, &QPushButton::clicked, this, &DlgConfig::BtnPurge_Click);
    auto* purgeRow = new QHBoxLayout(purge);
    purgeRow->addWidget(LblPurge, 1);
    purgeRow->addWidget(SpinPurge);
    purgeRow->addWidget(BtnPurge);

    auto* pageSize = new QGroupBox(QStringLiteral("Printer Page Size"), this);
    pageSize->setObjectName(QStringLiteral("FramePageSize"));
    CbPageSize = new QComboBox(pageSize);
    CbPageSize->setObjectName(QStringLiteral("CbPageSize"));
    CbPageSize->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(CbPageSize, &QComboBox::activated, this, [this] { CbPageSize_Click(); });
    auto* pageRow = new QHBoxLayout(pageSize);
    pageRow->addWidget(CbPageSize, 1);

    auto* actions = new QGroupBox(QStringLiteral("Actions"), this);
    actions->setObjectName(QStringLiteral("FrameActions"));
    BtnAction[0] = new QPushButton(QStringLiteral("&Integrity Check"), actions);
    BtnAction[0]->setObjectName(QStringLiteral("BtnAction0"));
    BtnAction[0]->setToolTip(QStringLiteral("Database integrity check"));
    BtnAction[0]->setAutoDefault(false);
    connect(BtnAction[0], &QPushButton::clicked, this, [this] { BtnAction_Click(0); });
    auto* actionRow = new QHBoxLayout(actions);
    actionRow->addWidget(BtnAction[0]);

    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setIconSize(QSize(24, 24));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto* top = new QHBoxLayout;
    top->addWidget(colours, 2);
    top->addWidget(options, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(purge, 1);
    bottom->addWidget(pageSize);
    bottom->addWidget(actions);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->addWidget(Toolbar1);
    layout->addLayout(top);
    layout->addWidget(database);
    layout->addLayout(bottom);
    layout->addStretch(1);
}

void DlgConfig::BuildToolbar() {
    struct Button {
        const char* key;
        const char* tip;
        QIcon icon;
    };
    const std::array<Button, 3> buttons{{
        {"Exit", "Exit", IconFactory::Icon(QStringLiteral("Exit"))},
        {"Save", "Save Configuration",
         QIcon::fromTheme(QStringLiteral("document-save"),
                          IconFactory::Icon(QStringLiteral("Submit")))},
        {"Help", "Online Help", IconFactory::Icon(QStringLiteral("Help"))},
    }};
    for (const Button& b : buttons) {
        const QString key = Text(b.key);
        QAction* action = Toolbar1->addAction(b.icon, key);
        action->setObjectName(key);
        action->setData(key);
        action->setToolTip(Text(b.tip));
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        if (key == QLatin1String("Exit"))
            Toolbar1->addSeparator();
    }
}

void DlgConfig::BuildMenus() {
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("MenuBar"));
    layout()->setMenuBar(m_menuBar);

    // The menu entries press the toolbar button of the same key.
    const auto entry = [this](QMenu* menu, const QString& name, const QString& caption,
                              const QString& key) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
    };
    mnuFile = m_menuBar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    entry(mnuFile, QStringLiteral("mnuFileSave"), QStringLiteral("&Save"), QStringLiteral("Save"));
    mnuFile->addSeparator();
    entry(mnuFile, QStringLiteral("mnuFileExit"), QStringLiteral("E&xit"), QStringLiteral("Exit"));

    mnuHelp = m_menuBar->addAction(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    connect(mnuHelp, &QAction::triggered, this,
            [this] { Toolbar1_ButtonClick(QStringLiteral("Help")); });
}

// ---------------------------------------------------------------------------
// Loading

void DlgConfig::Form_Load() {
    Trap("DlgConfig.Form_Load", [&] {
        ClsForms::CentreForm(this, parentWidget());
        for (int i = 0; i < ColourCount; ++i) {
            // An absent key leaves the colour to the platform's palette.
            const qint32 fallback = ScheduleView::kPlatformColour;
            bool ok = false;
            const qint32 colour =
                Ini()
                    .GetValue(QStringLiteral("Colours"), Tag(BtnColour[std::size_t(i)]), fallback)
                    .toInt(&ok);
            m_colours[std::size_t(i)] = ok ? colour : fallback;
            ShowColour(i);
        }
        for (QCheckBox* box : ChkOption)
            box->setChecked(Ini().GetValue(QStringLiteral("Options"), Tag(box), 0).toInt() != 0);
        // The whole name, however long: a cut one would be saved as another path.
        TxtDatabase->setText(Ini().GetWholeValue(QStringLiteral("Config"), QStringLiteral("DbName"),
                                                 ProgramFolder::DefaultDbPath()));
        TxtWorkstation->setText(
            Ini().GetValue(QStringLiteral("Config"), QStringLiteral("Workstation"), QString()));
        ShowPurgeDate();
        CbPageSize->clear();
        for (int code = PageSizes::First; code <= PageSizes::Last; ++code)
            ClsForms::AddListItem(CbPageSize, PageSizes::Text(code), code);
        // Runs CbPageSize_Click, which takes the code; a stored code that is
        // none of the twelve selects the first entry.
        ClsForms::SelectItemId(
            CbPageSize,
            Ini().GetValue(QStringLiteral("Options"), QStringLiteral("PageSize"), 1).toInt());
        m_changed = false;
        m_databaseChanged = false;
    });
}

QColor DlgConfig::ShownColour(int index) const {
    const qint32 rgb = m_colours[std::size_t(index)];
    if (rgb != ScheduleView::kPlatformColour)
        return ColourUtil::ToColor(rgb);
    return ScheduleView::PlatformPalette(palette()).*kColours[std::size_t(index)].part;
}

void DlgConfig::ShowColour(int index) {
    const QColor colour = ShownColour(index);
    BtnColour[std::size_t(index)]->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid palette(shadow); }"
                       "QPushButton:focus { border: 2px solid palette(highlight); }")
            .arg(colour.name()));
}

int DlgConfig::PurgePeriod() {
    bool ok = false;
    const int period =
        Ini()
            .GetValue(QStringLiteral("Config"), QStringLiteral("PurgePeriod"), DefaultPurgePeriod)
            .toInt(&ok);
    return ok ? period : DefaultPurgePeriod;
}

qint32 DlgConfig::PurgeCutOff(int purgePeriod) {
    // A hand-edited period far out of range must not wrap round.
    const qint64 cutOff = qint64(ClsDate::Today()) - purgePeriod;
    return qint32(std::clamp<qint64>(cutOff, std::numeric_limits<qint32>::min(),
                                     std::numeric_limits<qint32>::max()));
}

void DlgConfig::ShowPurgeDate() {
    LblPurge->setText(
        ClsDate::FormatDate(PurgeCutOff(PurgePeriod()), QStringLiteral("d mmm yyyy")));
}

// ---------------------------------------------------------------------------
// Colours, options and page size

void DlgConfig::BtnColour_Click(int index) {
    Trap("DlgConfig.BtnColour_Click", [&] {
        m_colourIndex = index;
        ColourPick->SetColour(ColourUtil::FromColor(ShownColour(index)));
        ColourPick->ShowPalette(BtnColour.at(std::size_t(index)));
    });
}

void DlgConfig::ColourPick_ColorClick(qint32 colour) {
    Trap("DlgConfig.ColourPick_ColorClick", [&] {
        m_colours.at(std::size_t(m_colourIndex)) = colour;
        ShowColour(m_colourIndex);
        m_changed = true;
    });
}

void DlgConfig::ChkOption_Click(int index) {
    Q_UNUSED(index)
    Trap("DlgConfig.ChkOption_Click", [&] { m_changed = true; });
}

void DlgConfig::CbPageSize_Click() {
    TrapSilent([&] {
        m_changed = true;
        m_pageSize = ClsForms::GetItemId(CbPageSize);
    });
}

// ---------------------------------------------------------------------------
// Database file

void DlgConfig::BtnFind_Click() {
    Trap("DlgConfig.BtnFind_Click", [&] {
        QFileDialog FilDlg(this, QStringLiteral("Find Database File"));
        FilDlg.setObjectName(QStringLiteral("FilDlg"));
        FilDlg.setNameFilter(QStringLiteral("Database Files (*.db)"));
        FilDlg.setFileMode(QFileDialog::ExistingFile);
        FilDlg.setAcceptMode(QFileDialog::AcceptOpen);
        const QString current = TxtDatabase->text().trimmed();
        if (!current.isEmpty()) {
            FilDlg.setDirectory(QFileInfo(current).absolutePath());
            FilDlg.selectFile(current);
        }
        if (ModalWindow::Show(&FilDlg) != QDialog::Accepted)
            return;
        const QStringList chosen = FilDlg.selectedFiles();
        FilDlg_OK(chosen.isEmpty() ? QString() : chosen.first());
    });
}

void DlgConfig::FilDlg_OK(const QString& path) {
    Trap("DlgConfig.FilDlg_OK", [&] {
        m_changed = true;
        if (!QFileInfo(path).isFile()) {
            // A folder, or a file removed since it was chosen: nothing to open.
            Messages::Warning(QStringLiteral("There is no database file at\n%1\n\n"
                                             "The database in use stays open.")
                                  .arg(QDir::toNativeSeparators(path)));
            return;
        }
        if (SwitchDatabase(path))
            TxtDatabase->setText(path);
    });
}

bool DlgConfig::SwitchDatabase(const QString& path) {
    ClsDAO& dao = Database::DAO();
    const QString previous = dao.DbPath();
    ErrorLog::Write(QStringLiteral("Database change requested"));
    dao.DbClose();
    if (dao.DbOpen(path) == 0) {
        m_databaseChanged = true;
        return true;
    }
    // The reason is taken before the reopen below replaces it.
    const QString failed = Database::Problem(path);
    // The failed open still counts as one; give it back before reopening, so
    // that one close (at a compaction or at shutdown) closes the database.
    dao.DbClose();
    if (!previous.isEmpty() && dao.DbOpen(previous) == 0) {
        Messages::Warning(QStringLiteral("Unable to open database!\n%1\n\n"
                                         "The database that was open before is in use again:\n%2")
                              .arg(failed, QDir::toNativeSeparators(previous)));
    } else {
        Messages::Warning(
            QStringLiteral("Unable to open database!\n%1\n\n"
                           "The database that was open before could not be opened "
                           "again either:\n%2\n\nNo database is open; choose one with "
                           "Find.")
                .arg(failed, QDir::toNativeSeparators(previous)));
    }
    return false;
}

// ---------------------------------------------------------------------------
// Purge and integrity check

void DlgConfig::SpinPurge_Click(int direction) {
    Trap("DlgConfig.SpinPurge_Click", [&] {
        m_changed = true;
        const qint64 step = direction == SpinButtons::Increase ? 1 : -1;
        // Below 0 the cut-off would lie in the future and a purge would take
        // today's and coming bookings with it.
        const qint64 period =
            std::clamp<qint64>(qint64(PurgePeriod()) + step, MinPurgePeriod, MaxPurgePeriod);
        Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("PurgePeriod"), int(period));
        ShowPurgeDate();
    });
}

void DlgConfig::BtnPurge_Click() {
    Trap("DlgConfig.BtnPurge_Click", [&] {
        const int period = PurgePeriod();
        if (period < MinPurgePeriod) {
            // Only a hand-edited settings file gets here: a cut-off after
            // today would delete appointments still to come.
            Messages::Warning(QStringLiteral("The purge period is %1 days: a purge would delete "
                                             "appointments still to come.\n\n"
                                             "Nothing was purged. Set a period of 0 days or more.")
                                  .arg(period));
            return;
        }
        ErrorLog::Write(QStringLiteral("Database purge requested"));
        SetControlsEnabled(false);
        const auto enableAgain = qScopeGuard([this] { SetControlsEnabled(true); });
        Recordset rs = Database::DAO().SqlQuery(
            QStringLiteral("select BookingId from tblBookings where BookingDate < ") +
            QString::number(PurgeCutOff(period)));
        int total = 0;
        int failed = 0;
        QString reason;
        while (!rs.Eof()) {
            EventPump::Run();
            ++total;
            if (!Records::Booking().Delete(rs.Fields(QStringLiteral("BookingId")).Long(), false)) {
                ++failed;
                reason = Database::DAO().LastFailure();
            }
            rs.MoveNext();
        }
        ClsDAO& dao = Database::DAO();
        // The purge is one entry of the journal, which keeps no entry older
        // than the bookings kept.
        {
            DbTransaction txn(dao);
            if (!Journal::Purged(dao, total - failed,
                                 ClsDate::LongToDate(PurgeCutOff(period)).startOfDay()) ||
                !txn.Commit())
                ErrorLog::Write(QStringLiteral("The purge could not be journalled: ") +
                                dao.LastFailure());
        }
        const bool compacted = dao.CompactDb();
        if (failed > 0 && dao.IsOpen()) {
            // A database that cannot be written keeps its bookings: never
            // report them as purged.
            Messages::Warning(QStringLiteral("%1 of the %2 old bookings could not be purged:\n%3: "
                                             "%4\n\nThey are still in the database.")
                                  .arg(failed)
                                  .arg(total)
                                  .arg(QDir::toNativeSeparators(dao.DbPath()), reason));
            return;
        }
        if (compacted)
            return;
        if (dao.IsOpen()) {
            Messages::Warning(QStringLiteral("The old bookings were purged, but the database could "
                                             "not be compacted.\n\nIt stays open and in use."));
        } else {
            Messages::Warning(QStringLiteral("Unable to open database!\n%1\n\n"
                                             "The database could not be compacted or opened "
                                             "again. No database is open; choose one with Find.")
                                  .arg(QDir::toNativeSeparators(dao.DbPath())));
        }
    });
}

void DlgConfig::BtnAction_Click(int index) {
    TrapSilent([&] {
        if (index != 0)
            return;
        SetControlsEnabled(false);
        const auto enableAgain = qScopeGuard([this] { SetControlsEnabled(true); });
        // A database that cannot be written repairs nothing; saying nothing
        // would read as a sound database.
        IntegrityReport report;
        if (!report.Run()) {
            Messages::Warning(QStringLiteral("Integrity check FAILED!\n") + report.Failure());
            return;
        }
        // What was repaired, and the rows left to the user: the first of
        // them, and where to find them all.
        QStringList lines{report.RemovedText()};
        lines += report.Summary();
        const QStringList details = report.Details();
        lines += details.mid(0, kListedRows);
        if (details.size() > kListedRows)
            lines << QStringLiteral("And %1 more: \"tarvelo --integrity-check\" lists them all.")
                         .arg(details.size() - kListedRows);
        Messages::Information(QStringLiteral("Integrity Check"), lines.join(QLatin1Char('\n')));
    });
}

void DlgConfig::SetControlsEnabled(bool enabled) {
    ClsForms::EnableToolbar(Toolbar1, enabled);
    mnuFile->setEnabled(enabled);
    mnuHelp->setEnabled(enabled);
    for (QWidget* control :
         std::initializer_list<QWidget*>{BtnPurge, SpinPurge, TxtDatabase, TxtWorkstation, BtnFind,
                                         CbPageSize})
        control->setEnabled(enabled);
    for (QPushButton* button : BtnColour)
        button->setEnabled(enabled);
    for (QPushButton* button : BtnAction)
        button->setEnabled(enabled);
}

// ---------------------------------------------------------------------------
// Toolbar: Save, Exit, Help

void DlgConfig::Toolbar1_ButtonClick(const QString& key) {
    Trap("DlgConfig.Toolbar1_ButtonClick", [&] {
        if (key == QLatin1String("Save")) {
            Save();
        } else if (key == QLatin1String("Exit")) {
            if (m_changed && AskSave())
                Save();
            accept();
        } else if (key == QLatin1String("Help")) {
            ContextIDs::ShowHelp(HelpContext());
        }
    });
}

bool DlgConfig::AskSave() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Save?"),
                    QStringLiteral("Do you wish to save the changes?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::Yes);
    return ModalWindow::Show(&box) == QMessageBox::Yes;
}

void DlgConfig::Save() {
    m_changed = false;
    for (int i = 0; i < ColourCount; ++i)
        Ini().WriteValue(QStringLiteral("Colours"), Tag(BtnColour[std::size_t(i)]),
                         m_colours[std::size_t(i)]);
    for (QCheckBox* box : ChkOption)
        Ini().WriteValue(QStringLiteral("Options"), Tag(box), box->isChecked() ? 1 : 0);
    Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("PageSize"), m_pageSize);
    Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("Workstation"),
                     TxtWorkstation->text().simplified());
    const QString path = TxtDatabase->text().trimmed();
    if (ConnectionInfo::IsServerUri(path)) {
        SaveServerName(path);
        return;
    }
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        Messages::Warning(QStringLiteral("There is no database file at\n%1\n\n"
                                         "The database setting was not changed.")
                              .arg(QDir::toNativeSeparators(path)));
        return;
    }
    // The file is tried as a server name is: one that is not a Tarvelo
    // database is not saved (the next start could not get past it), and the
    // database in use stays open.
    if (path != Database::DAO().DbPath() && !SwitchDatabase(path))
        return;
    Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("DbName"), path);
}

void DlgConfig::SaveServerName(const QString& uri) {
    const ConnectionInfo info = ConnectionInfo::Parse(uri);
    if (!info.Valid()) {
        Messages::Warning(QStringLiteral("This is not a server database name:\n%1\n(%2)\n\n"
                                         "Write it as postgresql://user@host:port/database.\n"
                                         "The database setting was not changed.")
                              .arg(uri, info.Error()));
        return;
    }
    if (info.HasPassword()) {
        // The settings file is plain text on every workstation.
        Messages::Warning(QStringLiteral("A password is not kept in the settings: put it in the "
                                         "PostgreSQL password file (~/.pgpass) of this "
                                         "workstation's user and leave it out of the name.\n\n"
                                         "The database setting was not changed."));
        return;
    }
    // The server is tried at once; a name it refuses is not saved and the
    // database in use stays open.
    if (uri != Database::DAO().DbPath() && !SwitchDatabase(uri))
        return;
    Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("DbName"), uri);
}

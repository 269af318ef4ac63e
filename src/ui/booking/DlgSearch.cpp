#include "ui/booking/DlgSearch.h"

#include "base/ClsIni.h"
#include "base/ErrorTrap.h"
#include "base/EventPump.h"
#include "base/Messages.h"
#include "base/Settings.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/ClsBooking.h"
#include "model/ClsDate.h"
#include "model/ClsResource.h"
#include "model/Records.h"
#include "print/ClsViewPro.h"
#include "print/PageSizes.h"
#include "print/SearchReport.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ItemList.h"
#include "ui/help/ContextIDs.h"
#include "ui/main/DlgMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("Search");
const QString kSearchBy = QStringLiteral("SearchBy");
const QString kSelection = QStringLiteral("Selection");
constexpr int kColumns = 7;

// A sub-query column that found no row (a booking without a contact) is an
// empty cell.
QString TextOrEmpty(const FieldValue& field) {
    return field.IsNull() ? QString() : field.Text();
}
} // namespace

DlgSearch::DlgSearch(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgSearch"));
    setWindowTitle(QStringLiteral("Search"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    BuildWindow();
    Form_Load();
}

void DlgSearch::BuildWindow() {
    auto* searchBy = new QGroupBox(QStringLiteral("Search By"), this);
    auto* byLayout = new QVBoxLayout(searchBy);
    const QStringList kinds = {QStringLiteral("Contact name"), QStringLiteral("Appointment type"),
                               QStringLiteral("All appointments")};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(kinds[i], searchBy);
        option->setObjectName(QStringLiteral("BtnSearchBy%1").arg(i));
        connect(option, &QRadioButton::clicked, this, [this, i] { BtnSearchBy_Click(i); });
        byLayout->addWidget(option);
        m_btnSearchBy[std::size_t(i)] = option;
    }

    auto* searchFor = new QGroupBox(QStringLiteral("Search For"), this);
    auto* forLayout = new QVBoxLayout(searchFor);
    m_cbSearch = new QComboBox(searchFor);
    m_cbSearch->setObjectName(QStringLiteral("CbSearch"));
    m_cbSearch->setMinimumWidth(220);
    connect(m_cbSearch, &QComboBox::activated, this, [this] { CbSearch_Click(); });
    // A contact is found as the name is typed, by its start or any part.
    m_txtFind = new QLineEdit(searchFor);
    m_txtFind->setObjectName(QStringLiteral("TxtFind"));
    m_txtFind->setPlaceholderText(QStringLiteral("Type a contact's name"));
    m_txtFind->setAccessibleName(QStringLiteral("Find contact"));
    m_txtFind->setClearButtonEnabled(true);
    connect(m_txtFind, &QLineEdit::textEdited, this, [this](const QString& text) { TxtFind_Change(text); });
    forLayout->addWidget(m_txtFind);
    forLayout->addWidget(m_cbSearch);
    forLayout->addStretch(1);

    auto* selection = new QGroupBox(QStringLiteral("Selection"), this);
    auto* selectionLayout = new QVBoxLayout(selection);
    m_chkSelection = new QCheckBox(QStringLiteral("Future date/time only"), selection);
    m_chkSelection->setObjectName(QStringLiteral("ChkSelection"));
    connect(m_chkSelection, &QCheckBox::clicked, this, [this] { ChkSelection_Click(); });
    selectionLayout->addWidget(m_chkSelection);
    selectionLayout->addStretch(1);

    auto* results = new QGroupBox(QStringLiteral("Results"), this);
    auto* resultsLayout = new QVBoxLayout(results);
    m_lbResults = new ItemList(results);
    m_lbResults->setObjectName(QStringLiteral("LbResults"));
    connect(m_lbResults, &ItemList::ItemDblClick, this, [this] { LbResults_DblClick(); });
    resultsLayout->addWidget(m_lbResults);
    m_lblCount = new QLabel(results);
    m_lblCount->setObjectName(QStringLiteral("LblCount"));
    resultsLayout->addWidget(m_lblCount);

    auto* buttons = new QVBoxLayout;
    const QStringList captions = {QStringLiteral("&Goto Appointment"), QStringLiteral("&Print"),
                                  QStringLiteral("&Help"), QStringLiteral("&Cancel")};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QPushButton(captions[i], this);
        button->setObjectName(QStringLiteral("BtnSearch%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { BtnSearch_Click(i); });
        buttons->addWidget(button);
        m_btnSearch[std::size_t(i)] = button;
    }
    m_btnSearch[0]->setDefault(true);
    buttons->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(searchBy);
    top->addWidget(searchFor, 1);
    top->addWidget(selection);
    auto* body = new QHBoxLayout;
    body->addWidget(results, 1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { BtnSearch_Click(2); });
    resize(700, 440);
}

// ---------------------------------------------------------------------------
// Opening and choosing

void DlgSearch::Form_Load() {
    TrapSilent([&] {
        m_loading = true;
        ClsForms::CentreForm(this, DlgMain::Instance());
        int kind = Settings::Ini().GetValue(kSection, kSearchBy, 0).toInt();
        // A value no button stands for falls back to the first button.
        if (kind < ByContact || kind > ByResource)
            kind = ByContact;
        BtnSearchBy_Click(kind);
        m_chkSelection->setChecked(Settings::Ini().GetValue(kSection, kSelection, 0).toInt() != 0);
        m_loading = false;
        DoSearch();
    });
    m_loading = false;
}

void DlgSearch::BtnSearchBy_Click(int index) {
    TrapSilent([&] {
        if (index < ByContact || index > ByResource)
            return;
        m_btnSearchBy[std::size_t(index)]->setChecked(true);
        Settings::Ini().WriteValue(kSection, kSearchBy, index);
        const DlgMain* main = DlgMain::Instance();
        const QString group = QString::number(main ? ClsForms::GetItemId(main->CbGroup()) : 0);
        QString sql;
        if (index == ByContact)
            sql = QStringLiteral("select CustomerName, CustomerId from tblCustomers ") +
                  QStringLiteral("where CustomerId in (select CustomerId from tblCustomerGroups "
                                 "where ") +
                  QStringLiteral("GroupId = ") + group + QStringLiteral(") order by CustomerName");
        else if (index == ByAppointmentType)
            sql = QStringLiteral("select TaskName, TaskId from tblTasks ") +
                  QStringLiteral("where GroupId = ") + group + QStringLiteral(" order by TaskName");
        else
            sql = QStringLiteral("select ResourceName, ResourceId from tblResources ") +
                  QStringLiteral("where GroupId = ") + group +
                  QStringLiteral(" order by ResourceName");
        ClsForms::FillCombo(m_cbSearch, sql, true);
        m_txtFind->setVisible(index == ByContact);
        m_txtFind->clear();
        if (m_cbSearch->count() > 0)
            ClsForms::SelectItemId(m_cbSearch, m_cbSearch->itemData(0, ClsForms::ItemRole).toInt());
        else
            // Nothing to search for: the list empties instead of going on
            // showing the results of the kind chosen before (a search for
            // id 0 would list the bookings without a contact).
            ShowColumns();
    });
}

void DlgSearch::CbSearch_Click() {
    TrapSilent([&] {
        if (!m_loading)
            DoSearch();
    });
}

void DlgSearch::TxtFind_Change(const QString& typed) {
    TrapSilent([&] {
        const QString name = typed.trimmed();
        if (name.isEmpty())
            return;
        int index = m_cbSearch->findText(name, Qt::MatchStartsWith);
        if (index < 0)
            index = m_cbSearch->findText(name, Qt::MatchContains);
        if (index < 0) {
            ShowColumns();
            m_lblCount->setText(QStringLiteral("No contact found for \"%1\".").arg(name));
            return;
        }
        ClsForms::SelectItemId(m_cbSearch, m_cbSearch->itemData(index, ClsForms::ItemRole).toInt());
    });
}

void DlgSearch::ChkSelection_Click() {
    TrapSilent([&] {
        Settings::Ini().WriteValue(kSection, kSelection, m_chkSelection->isChecked() ? 1 : 0);
        if (!m_loading)
            DoSearch();
    });
}

// ---------------------------------------------------------------------------
// Searching

QString DlgSearch::SearchSql(int kind, qint32 id, bool futureOnly, qint32 today, int now) {
    QString sql = QStringLiteral("select (select TaskName from tblTasks where TaskId = "
                                 "tblBookings.TaskId), ") +
                  QStringLiteral("(select CustomerName from tblCustomers where CustomerId = "
                                 "tblBookings.CustomerId), ") +
                  QStringLiteral("(select ResourceName from tblResources where ResourceId = "
                                 "tblBookings.ResourceId), ");
    if (kind == ByContact)
        sql += QStringLiteral("* from tblBookings where CustomerId = ");
    else if (kind == ByAppointmentType)
        sql += QStringLiteral("* from tblBookings where TaskId = ");
    else
        sql += QStringLiteral("* from tblBookings where ResourceId = ");
    sql += QString::number(id);
    if (futureOnly)
        sql += QStringLiteral(" and ((BookingDate > ") + QString::number(today) +
               QStringLiteral(") or ") + QStringLiteral("( BookingDate = ") +
               QString::number(today) + QStringLiteral(" and BookingStart >= ") +
               QString::number(now) + QStringLiteral("))");
    return sql + QStringLiteral(" order by BookingDate, BookingStart");
}

void DlgSearch::DoSearch() {
    TrapSilent([&] {
        switch (Settings::Ini().GetValue(kSection, kSearchBy, -1).toInt()) {
        case ByContact:
            SearchByContactName();
            break;
        case ByAppointmentType:
            SearchByAppointmentType();
            break;
        case ByResource:
            SearchByNextUnavailable();
            break;
        default:
            break;
        }
    });
}

void DlgSearch::Search(int kind) {
    // Day and minute are taken from one reading of the clock, so that a
    // search at midnight does not pair today's date with yesterday's time.
    const QDateTime now = QDateTime::currentDateTime();
    const qint32 today = ClsDate::DateToLong(now.date());
    const int minute = ClsDate::GetTime(now.time().toString(QStringLiteral("hh:mm")));
    ShowResults(SearchSql(kind, ClsForms::GetItemId(m_cbSearch), m_chkSelection->isChecked(), today,
                          minute));
}

void DlgSearch::SearchByContactName() {
    TrapSilent([&] { Search(ByContact); });
}

void DlgSearch::SearchByAppointmentType() {
    TrapSilent([&] { Search(ByAppointmentType); });
}

void DlgSearch::SearchByNextUnavailable() {
    TrapSilent([&] { Search(ByResource); });
}

void DlgSearch::ShowColumns() {
    ++m_fillGeneration;
    m_lbResults->ClearColumns();
    m_lblCount->clear();
    const int timeWidth = ClsDate::UseMilitaryTime() ? 40 : 60;
    m_lbResults->AddColumn(QStringLiteral("Date"), 60);
    m_lbResults->AddColumn(QStringLiteral("Day"), 40);
    m_lbResults->AddColumn(QStringLiteral("From"), timeWidth);
    m_lbResults->AddColumn(QStringLiteral("To"), timeWidth);
    m_lbResults->AddColumn(QStringLiteral("Type"), 100);
    m_lbResults->AddColumn(QStringLiteral("Contact"), 100);
    m_lbResults->AddColumn(QStringLiteral("Resource"), 100);
}

void DlgSearch::ShowResults(const QString& sql) {
    TrapSilent([&] {
        ShowColumns();
        const int generation = m_fillGeneration;
        Recordset rs = Database::DAO().SqlQuery(sql);
        while (!rs.Eof()) {
            EventPump::Run();
            if (generation != m_fillGeneration)
                return;
            const qint32 date = rs.Fields(QStringLiteral("BookingDate")).Long();
            // The cells go in as a list, so a ";" inside a name stays in its cell.
            const int row = m_lbResults->AddRow(QStringList{
                ClsDate::FormatDate(date, QStringLiteral("dd mmm yy")),
                ClsDate::FormatDate(date, QStringLiteral("ddd")),
                ClsDate::ShowTime(rs.Fields(QStringLiteral("BookingStart")).Int(), true),
                ClsDate::ShowTime(rs.Fields(QStringLiteral("BookingEnd")).Int(), true),
                TextOrEmpty(rs.Fields(0)), TextOrEmpty(rs.Fields(1)), TextOrEmpty(rs.Fields(2))});
            m_lbResults->SetRowValue(row, rs.Fields(QStringLiteral("BookingId")).Long());
            rs.MoveNext();
        }
        const int found = m_lbResults->RowCount();
        m_lblCount->setText(found == 1 ? QStringLiteral("1 appointment found.")
                                       : QStringLiteral("%1 appointments found.").arg(found));
        // Dates and times are never cut short: their columns widen to them.
        for (int column = 0; column < 4; ++column)
            m_lbResults->FitColumnToContents(column);
    });
}

QList<QStringList> DlgSearch::ResultRows() const {
    QList<QStringList> rows;
    for (int r = 0; r < m_lbResults->RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < kColumns; ++c)
            cells << m_lbResults->CellText(r, c);
        rows << cells;
    }
    return rows;
}

// ---------------------------------------------------------------------------
// Commands

void DlgSearch::BtnSearch_Click(int index) {
    TrapSilent([&] {
        switch (index) {
        case 0:
            Goto();
            break;
        case 1:
            EnableMe(false);
            DoPrint();
            EnableMe(true);
            break;
        case 2:
            ContextIDs::ShowHelp(ContextIDs::HelpSearch);
            break;
        case 3:
            reject();
            break;
        default:
            break;
        }
    });
}

void DlgSearch::LbResults_DblClick() {
    TrapSilent([&] { Goto(); });
}

void DlgSearch::Goto() {
    const int row = m_lbResults->SelectedRow();
    if (row < 0) {
        Messages::Warning(QStringLiteral("Please select appointment first!"));
        return;
    }
    ClsBooking& booking = Records::Booking();
    if (!booking.Load(m_lbResults->RowValue(row)))
        return;
    if (DlgMain* main = DlgMain::Instance()) {
        // A booking of another group (a contact may be in several) is shown
        // in its own group.
        ClsResource& resource = Records::Resource();
        if (resource.Load(booking.ResourceId()) && resource.GroupId() != main->SelectedGroupId())
            main->ShowGroups(resource.GroupId());
        main->SetCurrentDate(booking.BookingDate());
        main->ScrollToTime(booking.BookingStart());
        main->SelectResource(booking.ResourceId());
    }
    accept();
}

void DlgSearch::DoPrint() {
    TrapSilent([&] {
        ClsViewPro viewer;
        viewer.SetPageSize(PageSizes::CurrentCode());
        SearchReport::Produce(viewer, ResultRows());
        viewer.SetZoom(100);
        viewer.Print(this);
    });
}

void DlgSearch::EnableMe(bool enabled) {
    TrapSilent([&] {
        for (QRadioButton* option : m_btnSearchBy)
            option->setEnabled(enabled);
        for (QPushButton* button : m_btnSearch)
            button->setEnabled(enabled);
        m_chkSelection->setEnabled(enabled);
    });
}

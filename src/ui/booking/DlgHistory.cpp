#include "ui/booking/DlgHistory.h"

#include "base/ErrorTrap.h"
#include "base/Messages.h"
#include "base/ModalWindow.h"
#include "print/ClsViewPro.h"
#include "print/HistoryReport.h"
#include "transfer/ExportFiles.h"
#include "ui/common/ClsForms.h"
#include "ui/controls/ItemList.h"
#include "ui/help/HelpSystem.h"
#include "ui/preview/DlgPreview.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kParagraph = QStringLiteral("\r\n\r\n");
const QString kLongDay = QStringLiteral("dddd d mmmm yyyy");

QString Iso(qint32 day) {
    return ClsDate::LongToDate(day).toString(Qt::ISODate);
}
} // namespace

DlgHistory::DlgHistory(QWidget* owner, qint32 bookingId, qint32 resourceId, qint32 day)
    : QDialog(owner), m_bookingId(bookingId), m_resourceId(resourceId), m_day(day) {
    setObjectName(QStringLiteral("DlgHistory"));
    setWindowTitle(QStringLiteral("History"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    BuildWindow();
    TrapSilent([&] {
        if (resourceId != 0)
            m_resourceName = m_history.Name(QStringLiteral("resource"), resourceId);
        m_cbScope->addItem(QStringLiteral("This appointment"));
        m_cbScope->addItem(resourceId == 0
                               ? QStringLiteral("This resource's day")
                               : QStringLiteral("This resource's day: ") + m_resourceName +
                                     QStringLiteral(", ") +
                                     ClsDate::FormatDate(day, QStringLiteral("ddd d mmm yyyy")));
        m_cbScope->addItem(QStringLiteral("All appointments in a range of days"));
        // An entry without its appointment or resource stays in sight but
        // cannot be chosen.
        auto* model = qobject_cast<QStandardItemModel*>(m_cbScope->model());
        model->item(BookingEntry)->setEnabled(bookingId != 0);
        model->item(ResourceDayEntry)->setEnabled(resourceId != 0);
        m_cbScope->setCurrentIndex(bookingId != 0    ? BookingEntry
                                   : resourceId != 0 ? ResourceDayEntry
                                                     : RangeEntry);
        m_dtFrom->setDate(ClsDate::LongToDate(ClsDate::MonthStart(day)));
        m_dtTo->setDate(ClsDate::LongToDate(ClsDate::MonthEnd(day)));
    });
    connect(m_cbScope, &QComboBox::currentIndexChanged, this, [this] { ShowEntries(); });
    connect(m_dtFrom, &QDateEdit::dateChanged, this, [this] { ShowEntries(); });
    connect(m_dtTo, &QDateEdit::dateChanged, this, [this] { ShowEntries(); });
    ShowEntries();
}

void DlgHistory::BuildWindow() {
    m_cbScope = new QComboBox(this);
    m_cbScope->setObjectName(QStringLiteral("CbScope"));
    m_cbScope->setAccessibleName(QStringLiteral("Show"));
    m_cbScope->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cbScope->setMinimumContentsLength(24);
    m_dtFrom = new QDateEdit(this);
    m_dtFrom->setObjectName(QStringLiteral("DtFrom"));
    m_dtFrom->setAccessibleName(QStringLiteral("From"));
    m_dtTo = new QDateEdit(this);
    m_dtTo->setObjectName(QStringLiteral("DtTo"));
    m_dtTo->setAccessibleName(QStringLiteral("To"));
    auto* top = new QHBoxLayout;
    const auto labelled = [&](const QString& caption, QWidget* field, int stretch) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        top->addWidget(label);
        top->addWidget(field, stretch);
    };
    labelled(QStringLiteral("&Show:"), m_cbScope, 1);
    for (QDateEdit* edit : {m_dtFrom, m_dtTo}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("d MMM yyyy"));
        ClsDate::LimitToShown(edit);
        labelled(edit == m_dtFrom ? QStringLiteral("&From:") : QStringLiteral("&To:"), edit, 0);
    }

    m_lbHistory = new ItemList(this);
    m_lbHistory->setObjectName(QStringLiteral("LbHistory"));
    m_lbHistory->setAccessibleName(QStringLiteral("History"));
    m_lbHistory->Tree()->setAccessibleName(QStringLiteral("Changes"));
    const QStringList headings = BookingHistory::Headings();
    const int widths[] = {130, 110, 80, 420};
    for (int i = 0; i < headings.size(); ++i)
        m_lbHistory->AddColumn(headings[i], widths[i]);

    auto* buttons = new QVBoxLayout;
    const auto button = [&](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    m_btnPrint = button(QStringLiteral("&Print..."), "BtnPrint");
    m_btnExport = button(QStringLiteral("&Export"), "BtnExport");
    m_btnExport->setToolTip(QStringLiteral("Write the list to a CSV file in the Export folder"));
    m_btnHelp = button(QStringLiteral("&Help"), "BtnHelp");
    buttons->addStretch(1);
    QPushButton* close = button(QStringLiteral("&Close"), "BtnClose");
    close->setDefault(true);
    connect(m_btnPrint, &QPushButton::clicked, this, [this] { BtnPrint_Click(); });
    connect(m_btnExport, &QPushButton::clicked, this, [this] { BtnExport_Click(); });
    connect(m_btnHelp, &QPushButton::clicked, this,
            [] { HelpSystem::ShowTopic(QStringLiteral("history.html")); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(m_lbHistory, 1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);
    resize(900, 480);
}

void DlgHistory::Open(QWidget* owner, qint32 bookingId, qint32 resourceId, qint32 day) {
    Trap("DlgHistory.Open", [&] {
        DlgHistory dialog(owner, bookingId, resourceId, day);
        ClsForms::CentreForm(&dialog, owner);
        ModalWindow::Show(&dialog);
    });
}

BookingHistory::Scope DlgHistory::Scope() const {
    BookingHistory::Scope scope;
    switch (m_cbScope->currentIndex()) {
    case BookingEntry:
        scope.bookingId = m_bookingId;
        break;
    case ResourceDayEntry:
        scope.resourceId = m_resourceId;
        scope.from = scope.to = m_day;
        break;
    default:
        scope.from = ClsDate::DateToLong(m_dtFrom->date());
        scope.to = ClsDate::DateToLong(m_dtTo->date());
        break;
    }
    return scope;
}

QString DlgHistory::ScopeTitle() {
    const BookingHistory::Scope scope = Scope();
    if (scope.bookingId != 0)
        return QStringLiteral("Appointment: ") + m_history.Appointment(scope.bookingId);
    if (scope.resourceId != 0)
        return m_resourceName + QStringLiteral(", ") + ClsDate::FormatDate(scope.from, kLongDay);
    return QStringLiteral("All appointments, ") + ClsDate::FormatDate(scope.from, kLongDay) +
           QStringLiteral(" to ") + ClsDate::FormatDate(scope.to, kLongDay);
}

QString DlgHistory::ExportName() const {
    const BookingHistory::Scope scope = Scope();
    if (scope.bookingId != 0)
        return QStringLiteral("History of appointment %1").arg(scope.bookingId);
    if (scope.resourceId != 0)
        return QStringLiteral("History of ") + m_resourceName + QLatin1Char(' ') + Iso(scope.from);
    return QStringLiteral("History %1 to %2").arg(Iso(scope.from), Iso(scope.to));
}

void DlgHistory::ShowEntries() {
    Trap("DlgHistory.ShowEntries", [&] {
        m_history = BookingHistory(); // names as they now are
        const BookingHistory::Scope scope = Scope();
        m_lines = scope.from <= scope.to ? m_history.Lines(scope) : QList<BookingHistory::Line>();
        m_lbHistory->Clear();
        for (const BookingHistory::Line& line : m_lines)
            m_lbHistory->AddRow(QStringList{line.when, line.workstation, line.user, line.what});
        // Nothing is cut short: a long change scrolls sideways.
        for (int column = 0; column < 4; ++column)
            m_lbHistory->FitColumnToContents(column);
        m_lbHistory->SetHeading(scope.from <= scope.to
                                    ? ScopeTitle() +
                                          QStringLiteral(" (%1 changes)").arg(m_lines.size())
                                    : QStringLiteral("The first day comes after the last day."));
    });
    SetupEnabled();
}

void DlgHistory::SetupEnabled() {
    TrapSilent([&] {
        const bool range = m_cbScope->currentIndex() == RangeEntry;
        m_dtFrom->setEnabled(range);
        m_dtTo->setEnabled(range);
        const BookingHistory::Scope scope = Scope();
        m_btnPrint->setEnabled(scope.from <= scope.to);
        m_btnExport->setEnabled(scope.from <= scope.to);
    });
}

void DlgHistory::BtnPrint_Click() {
    Trap("DlgHistory.BtnPrint_Click", [&] {
        QList<QStringList> rows;
        for (const BookingHistory::Line& line : m_lines)
            rows << QStringList{line.when, line.workstation, line.user, line.what};
        const QString title = ScopeTitle();
        DlgPreview preview(this, [&](ClsViewPro& viewer) {
            HistoryReport::Produce(viewer, title, rows);
        });
        ModalWindow::Show(&preview);
    });
}

bool DlgHistory::BtnExport_Click() {
    bool ok = false;
    Trap("DlgHistory.BtnExport_Click", [&] {
        QDir().mkpath(ExportFiles::Folder()); // an existing folder is no error
        const QString path = ExportFiles::PathFor(ExportName(), QStringLiteral(".csv"));
        QString error;
        ok = BookingHistory::WriteCsv(path, m_lines, &error);
        if (ok)
            Messages::Information(QStringLiteral("History Exported!"),
                                  QStringLiteral("%1 changes exported to:").arg(m_lines.size()) +
                                      kParagraph + QDir::toNativeSeparators(path));
        else
            Messages::Warning(QStringLiteral("Export FAILED!") + kParagraph + error +
                              QLatin1Char('.'));
    });
    return ok;
}

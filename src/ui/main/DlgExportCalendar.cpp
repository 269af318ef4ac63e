#include "ui/main/DlgExportCalendar.h"

#include "base/ClsIni.h"
#include "base/ErrorTrap.h"
#include "base/Messages.h"
#include "base/ModalWindow.h"
#include "base/Settings.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "model/ClsDate.h"
#include "transfer/ExportFiles.h"
#include "ui/common/ClsForms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

DlgExportCalendar::DlgExportCalendar(QWidget* owner, qint32 groupId, qint32 resourceId,
                                     const QString& resourceName)
    : QDialog(owner), m_groupId(groupId), m_resourceId(resourceId), m_resourceName(resourceName) {
    setObjectName(QStringLiteral("DlgExportCalendar"));
    setWindowTitle(QStringLiteral("Export Calendar"));
    TrapSilent([&] {
        const Recordset rs = Database::DAO().SqlQuery(
            QStringLiteral("select GroupName from tblGroups where GroupId = ") +
            QString::number(groupId));
        if (rs.IsOpen() && !rs.Eof())
            m_groupName = rs.Fields(0).Value.toString();
    });

    // Without a current row, the resource exported last (when it is still in
    // the group), else the group's first resource by name.
    if (m_resourceId == 0) {
        const qint32 last = Settings::Ini()
                                .GetValue(QStringLiteral("Export"), QStringLiteral("CalendarResource"), 0)
                                .toInt();
        TrapSilent([&] {
            Recordset rs = Database::DAO().SqlQuery(
                QStringLiteral("select ResourceId, ResourceName from tblResources where GroupId = ") +
                QString::number(groupId) + QStringLiteral(" order by ResourceName, ResourceId"));
            for (bool first = true; rs.IsOpen() && !rs.Eof(); rs.MoveNext(), first = false) {
                const qint32 id = rs.Fields(0).Long();
                if (first || id == last) {
                    m_resourceId = id;
                    m_resourceName = rs.Fields(1).Value.toString();
                }
            }
        });
    }

    m_cbScope = new QComboBox(this);
    m_cbScope->setObjectName(QStringLiteral("CbScope"));
    m_cbScope->addItem(m_resourceId != 0
                           ? QStringLiteral("Resource: ") + m_resourceName
                           : QStringLiteral("Resource: this group has no resources"));
    m_cbScope->addItem(QStringLiteral("Group: ") + m_groupName);
    m_cbScope->addItem(QStringLiteral("Contact"));
    m_cbContact = new QComboBox(this);
    m_cbContact->setObjectName(QStringLiteral("CbContact"));
    ClsForms::FillCombo(m_cbContact,
                        QStringLiteral("select CustomerName, CustomerId from tblCustomers where "
                                       "CustomerId in (select CustomerId from tblCustomerGroups "
                                       "where GroupId = ") +
                            QString::number(groupId) + QStringLiteral(") order by CustomerName"),
                        true);
    // An entry that cannot be chosen stays in the list and says why.
    if (auto* model = qobject_cast<QStandardItemModel*>(m_cbScope->model())) {
        if (m_resourceId == 0) {
            model->item(ResourceEntry)->setEnabled(false);
            m_cbScope->setCurrentIndex(GroupEntry);
        }
        if (m_cbContact->count() == 0) {
            model->item(ContactEntry)->setText(QStringLiteral("Contact: this group has no contacts"));
            model->item(ContactEntry)->setEnabled(false);
        }
    }

    const QDate today = ClsDate::LongToDate(ClsDate::Today());
    m_dtFrom = new QDateEdit(today, this);
    m_dtFrom->setObjectName(QStringLiteral("DtFrom"));
    m_dtTo = new QDateEdit(today.addDays(IcsExport::DefaultDays), this);
    m_dtTo->setObjectName(QStringLiteral("DtTo"));
    for (QDateEdit* edit : {m_dtFrom, m_dtTo}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("d MMM yyyy"));
        ClsDate::LimitToShown(edit);
    }

    m_txtFile = new QLineEdit(this);
    m_txtFile->setObjectName(QStringLiteral("TxtFile"));
    m_txtFile->setReadOnly(true);
    m_txtFile->setMinimumWidth(320);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("BtnBrowse"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_txtFile, 1);
    fileRow->addWidget(browse);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Export:"), m_cbScope);
    form->addRow(QStringLiteral("&Contact:"), m_cbContact);
    form->addRow(QStringLiteral("&From:"), m_dtFrom);
    form->addRow(QStringLiteral("&To:"), m_dtTo);
    form->addRow(QStringLiteral("File:"), fileRow);
    // A calendar shared beyond the desk: when and what, without who.
    m_chkTimesOnly = new QCheckBox(
        QStringLiteral("Times and appointment types only (&no contact names, references or "
                       "comments)"),
        this);
    m_chkTimesOnly->setObjectName(QStringLiteral("ChkTimesOnly"));
    form->addRow(QString(), m_chkTimesOnly);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_btnOk = buttons->button(QDialogButtonBox::Ok);
    m_btnOk->setObjectName(QStringLiteral("BtnOk"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] { BtnBrowse_Click(); });
    connect(m_cbScope, &QComboBox::currentIndexChanged, this, [this] { SetupEnabled(); });
    connect(m_cbContact, &QComboBox::currentIndexChanged, this, [this] { SetupEnabled(); });
    connect(m_dtFrom, &QDateEdit::dateChanged, this, [this] { SetupEnabled(); });
    connect(m_dtTo, &QDateEdit::dateChanged, this, [this] { SetupEnabled(); });
    SetupEnabled();
}

IcsExport::Selection DlgExportCalendar::Selection() const {
    IcsExport::Selection s;
    switch (m_cbScope->currentIndex()) {
    case ResourceEntry:
        s.scope = IcsExport::Scope::Resource;
        s.id = m_resourceId;
        break;
    case GroupEntry:
        s.scope = IcsExport::Scope::Group;
        s.id = m_groupId;
        break;
    default:
        s.scope = IcsExport::Scope::Contact;
        s.id = ClsForms::GetItemId(m_cbContact);
        break;
    }
    s.timesOnly = m_chkTimesOnly->isChecked();
    s.from = ClsDate::DateToLong(m_dtFrom->date());
    s.to = ClsDate::DateToLong(m_dtTo->date());
    return s;
}

QString DlgExportCalendar::ExportName() const {
    switch (m_cbScope->currentIndex()) {
    case ResourceEntry:
        return m_resourceName;
    case GroupEntry:
        return m_groupName;
    default:
        return m_cbContact->currentText();
    }
}

QString DlgExportCalendar::OutputPath() const {
    return m_chosenPath.isEmpty() ? IcsExport::ExportPath(ExportName()) : m_chosenPath;
}

void DlgExportCalendar::SetupEnabled() {
    TrapSilent([&] {
        const bool contact = m_cbScope->currentIndex() == ContactEntry;
        m_cbContact->setEnabled(contact);
        const IcsExport::Selection s = Selection();
        m_btnOk->setEnabled(s.id != 0 && s.from <= s.to);
        m_txtFile->setText(QDir::toNativeSeparators(OutputPath()));
    });
}

void DlgExportCalendar::BtnBrowse_Click() {
    Trap("DlgExportCalendar.BtnBrowse_Click", [&] {
        const QString path = AskFile(this, OutputPath());
        if (!path.isEmpty())
            m_chosenPath = path;
        SetupEnabled();
    });
}

bool DlgExportCalendar::RunExport() {
    bool ok = false;
    Trap("DlgExportCalendar.RunExport", [&] {
        const IcsExport::Selection s = Selection();
        if (s.from > s.to) {
            Messages::Warning(QStringLiteral("The first day comes after the last day!"));
            return;
        }
        ok = ExportAndReport(s, OutputPath());
        if (ok && s.scope == IcsExport::Scope::Resource)
            Settings::Ini().WriteValue(QStringLiteral("Export"), QStringLiteral("CalendarResource"),
                                       s.id);
    });
    return ok;
}

QString DlgExportCalendar::AskFile(QWidget* owner, const QString& suggested) {
    QFileDialog files(owner, QStringLiteral("Save Calendar"));
    files.setObjectName(QStringLiteral("FilDlg"));
    files.setNameFilter(QStringLiteral("iCalendar Files (*.ics)"));
    files.setAcceptMode(QFileDialog::AcceptSave);
    files.setFileMode(QFileDialog::AnyFile);
    files.setDefaultSuffix(QStringLiteral("ics"));
    QDir().mkpath(ExportFiles::Folder());
    files.setDirectory(QFileInfo(suggested).absolutePath());
    files.selectFile(suggested);
    if (ModalWindow::Show(&files) != QDialog::Accepted)
        return QString();
    const QStringList chosen = files.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

bool DlgExportCalendar::ExportAndReport(const IcsExport::Selection& selection,
                                        const QString& path) {
    IcsExport ics;
    const bool ok = ics.Export(selection, path);
    const QString shown = QDir::toNativeSeparators(path);
    if (ok)
        Messages::Information(
            QStringLiteral("Calendar Exported!"),
            QStringLiteral("%1 appointments exported to:").arg(ics.Events()) +
                QStringLiteral("\r\n\r\n") + shown +
                (ics.Skipped() == 0 ? QString() : QStringLiteral("\r\n\r\n") + ics.SkippedNote()));
    else
        Messages::Warning(QStringLiteral("Export FAILED!\r\n\r\n") + shown + QStringLiteral(": ") +
                          ics.Failure() + QLatin1Char('.'));
    return ok;
}

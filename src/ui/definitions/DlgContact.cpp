#include "ui/definitions/DlgContact.h"

#include "base/ErrorTrap.h"
#include "base/Messages.h"
#include "model/ClsCustomer.h"
#include "model/Records.h"
#include "ui/common/ClsForms.h"
#include "ui/help/ContextIDs.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {
QString Num(qint64 v) {
    return QString::number(v);
}
} // namespace

DlgContact::DlgContact(QWidget* parent)
    : DefinitionDialog(QStringLiteral("DlgContact"), QStringLiteral("Contact Definition"),
                       ContextIDs::HelpContact, parent) {
    TxtCustomer = MakeTextBox(QStringLiteral("TxtCustomer"));
    QGroupBox* name = MakeFrame(QStringLiteral("Contact Name"), {TxtCustomer});

    TxtRef01 = MakeTextBox(QStringLiteral("TxtRef01"));
    TxtRef02 = MakeTextBox(QStringLiteral("TxtRef02"));
    TxtRef03 = MakeTextBox(QStringLiteral("TxtRef03"));
    auto* references = new QGroupBox(QStringLiteral("References"), this);
    auto* form = new QFormLayout(references);
    form->addRow(QStringLiteral("Reference #1"), TxtRef01);
    form->addRow(QStringLiteral("Reference #2"), TxtRef02);
    form->addRow(QStringLiteral("Reference #3"), TxtRef03);

    LbGroups = new QListWidget(this);
    LbGroups->setObjectName(QStringLiteral("LbGroups"));
    LbGroups->setSelectionMode(QAbstractItemView::SingleSelection);
    LbGroups->setMinimumHeight(LbGroups->fontMetrics().height() * 7);
    QGroupBox* groups = MakeFrame(QStringLiteral("Available To Groups"), {LbGroups});

    BtnCustomer =
        MakeButtons(QStringLiteral("BtnCustomer"),
                    {QStringLiteral("&Save"), QStringLiteral("&Cancel"), QStringLiteral("&Help")},
                    [this](int index) { BtnCustomer_Click(index); });
    auto* frames = new QVBoxLayout;
    frames->addWidget(name);
    frames->addWidget(references);
    frames->addWidget(groups, 1);
    SetContent(frames, BtnCustomer);

    OnGotFocus(TxtCustomer, [this] { TxtCustomer_GotFocus(); });
    OnGotFocus(TxtRef01, [this] { TxtRef01_GotFocus(); });
    OnGotFocus(TxtRef02, [this] { TxtRef02_GotFocus(); });
    OnGotFocus(TxtRef03, [this] { TxtRef03_GotFocus(); });
}

void DlgContact::Form_Load() {
    Trap("DlgContact.Form_Load", [&] {
        ClsForms::CentreForm(this, parentWidget());
        const ClsCustomer& contact = Records::Customer();
        TxtCustomer->setText(contact.CustomerName());
        TxtRef01->setText(contact.Ref01());
        TxtRef02->setText(contact.Ref02());
        TxtRef03->setText(contact.Ref03());
        ClsForms::FillCheckList(
            LbGroups, QStringLiteral("select (select count(*) from tblCustomerGroups where "
                                     "CustomerId = ") +
                          Num(contact.CustomerId()) +
                          QStringLiteral(" and GroupId =  tblGroups.GroupId), GroupName, GroupId "
                                         "from tblGroups order by GroupName"));
        if (contact.CustomerId() != 0) {
            return;
        }
        for (int row = 0; row < LbGroups->count(); ++row) {
            if (ClsForms::ItemId(LbGroups, row) == m_groupId) {
                LbGroups->item(row)->setCheckState(Qt::Checked);
                break;
            }
        }
    });
}

void DlgContact::TxtCustomer_GotFocus() {
    ClsForms::SelectAllText(TxtCustomer);
}
void DlgContact::TxtRef01_GotFocus() {
    ClsForms::SelectAllText(TxtRef01);
}
void DlgContact::TxtRef02_GotFocus() {
    ClsForms::SelectAllText(TxtRef02);
}
void DlgContact::TxtRef03_GotFocus() {
    ClsForms::SelectAllText(TxtRef03);
}

bool DlgContact::CheckGroups() {
    bool ticked = false;
    Trap("DlgContact.CheckGroups", [&] {
        for (int row = 0; row < LbGroups->count(); ++row) {
            if (LbGroups->item(row)->checkState() == Qt::Checked) {
                ticked = true;
                return;
            }
        }
    });
    return ticked;
}

void DlgContact::BtnCustomer_Click(int index) {
    Trap("DlgContact.BtnCustomer_Click", [&] {
        switch (index) {
        case 0:
            if (!CheckGroups()) {
                Messages::Exclamation(QStringLiteral("Error!"),
                                      QStringLiteral("No groups are selected!"));
                return;
            }
            CloseIfSaved(SaveContact(), QStringLiteral("contact"));
            break;
        case 1:
            Records::Customer().InitBfr();
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

// Stores the contact and its link to every listed group (one row for a
// ticked group, none for an unticked one) as one write transaction.
SaveProblem DlgContact::SaveContact() {
    ClsCustomer& contact = Records::Customer();
    contact.SetCustomerName(TxtCustomer->text().trimmed());
    contact.SetRef01(TxtRef01->text().trimmed());
    contact.SetRef02(TxtRef02->text().trimmed());
    contact.SetRef03(TxtRef03->text().trimmed());
    QMap<qint32, bool> links;
    for (int row = 0; row < LbGroups->count(); ++row)
        links.insert(ClsForms::ItemId(LbGroups, row),
                     LbGroups->item(row)->checkState() == Qt::Checked);
    contact.Save(links);
    return contact.LastSaveProblem();
}

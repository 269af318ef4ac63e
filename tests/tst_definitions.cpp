// The definition windows: group, template, resource, appointment type and
// contact, driven as a user drives them (arrow clicks, buttons, ticks) and
// checked against the shared records, the database and the template file.
#include "TestEnv.h"

#include "app/ContextIDs.h"
#include "data/ClsDAO.h"
#include "model/ClsCustomer.h"
#include "model/ClsGroup.h"
#include "model/ClsResource.h"
#include "model/ClsTask.h"
#include "ui/controls/ColourPalette.h"
#include "ui/controls/SpinButtons.h"
#include "ui/definitions/DlgApptType.h"
#include "ui/definitions/DlgContact.h"
#include "ui/definitions/DlgGroup.h"
#include "ui/definitions/DlgResource.h"
#include "ui/definitions/DlgTemplate.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

QString Num(qint64 v) {
    return QString::number(v);
}

// '+' clicks the increasing arrow, '-' the decreasing one.
void Spin(QWidget* dlg, const QString& name, const QString& clicks) {
    auto* spin = dlg->findChild<SpinButtons*>(name);
    QVERIFY2(spin, qPrintable(name));
    for (QChar c : clicks)
        QTest::mouseClick(c == '+' ? spin->IncreaseButton() : spin->DecreaseButton(),
                          Qt::LeftButton);
}

QString Label(QWidget* dlg, const QString& name) {
    auto* label = dlg->findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(name);
}

QLineEdit* Text(QWidget* dlg, const QString& name) {
    return dlg->findChild<QLineEdit*>(name);
}

void Press(QWidget* dlg, const QString& button) {
    auto* b = dlg->findChild<QPushButton*>(button);
    QVERIFY2(b, qPrintable(button));
    QTest::mouseClick(b, Qt::LeftButton);
}

std::unique_ptr<DefinitionDialog> MakeDialog(const QString& name, QWidget* owner) {
    if (name == "DlgGroup")
        return std::make_unique<DlgGroup>(owner);
    if (name == "DlgTemplate")
        return std::make_unique<DlgTemplate>(owner);
    if (name == "DlgResource")
        return std::make_unique<DlgResource>(owner);
    if (name == "DlgApptType")
        return std::make_unique<DlgApptType>(owner);
    return std::make_unique<DlgContact>(owner);
}

QColor CentrePixel(QWidget* w) {
    return w->grab().toImage().pixelColor(w->rect().center());
}

} // namespace

class TstDefinitions : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestEnv> env;
    QList<int> helpShown;

    qint32 AddGroup(const QString& name, int start, int end, int interval) {
        env->Sql(QStringLiteral("insert into tblGroups (GroupName, DayStart, DayEnd, Interval) "
                                "values (%1, %2, %3, %4)")
                     .arg(ClsDAO::Quoted(name))
                     .arg(start)
                     .arg(end)
                     .arg(interval));
        return env->Sql(QStringLiteral("select max(GroupId) from tblGroups")).toInt();
    }
    qint32 AddContact(const QString& name, const QStringList& groupIds) {
        env->Sql(QStringLiteral("insert into tblCustomers (CustomerName, Ref01, Ref02, Ref03) "
                                "values (%1, '', '', '')")
                     .arg(ClsDAO::Quoted(name)));
        const qint32 id =
            env->Sql(QStringLiteral("select max(CustomerId) from tblCustomers")).toInt();
        for (const QString& g : groupIds)
            env->Sql(QStringLiteral("insert into tblCustomerGroups (CustomerId, GroupId) values "
                                    "(%1, %2)")
                         .arg(id)
                         .arg(g));
        return id;
    }
    // The names of the groups a contact is linked to, one entry per link row.
    QString Links(qint32 customerId) {
        return env
            ->Sql(QStringLiteral("select group_concat(GroupName, ',') from (select GroupName from "
                                 "tblCustomerGroups c join tblGroups g on g.GroupId = c.GroupId "
                                 "where c.CustomerId = %1 order by GroupName) as listed")
                      .arg(customerId))
            .toString();
    }
    int Count(const QString& table) {
        return env->Sql(QStringLiteral("select count(*) from ") + table).toInt();
    }

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void init();
    void cleanup();

    void eachDialogOpensCentredWithCaptionsAndHelp_data();
    void eachDialogOpensCentredWithCaptionsAndHelp();
    void namesAreTrimmedAndStoredExactly_data();
    void namesAreTrimmedAndStoredExactly();
    void textBoxSelectsAllOnFocus_data();
    void textBoxSelectsAllOnFocus();
    void refusedSaveKeepsWindowOpen_data();
    void refusedSaveKeepsWindowOpen();

    void groupOpensWithItsValues();
    void groupSpins_data();
    void groupSpins();
    void groupSaveInsertsOrUpdates();
    void groupCancelResetsSharedGroup();

    void templateList_data();
    void templateList();
    void templateLoadWithEmptyListKeepsWindowOpen();
    void templateRoundTrip();

    void resourceOpens_data();
    void resourceOpens();
    void resourceSpins_data();
    void resourceSpins();
    void resourceCopiesSpin_data();
    void resourceCopiesSpin();
    void resourceSaveCopies_data();
    void resourceSaveCopies();
    void resourceSaveExistingAndCancel();

    void apptTypeSpins_data();
    void apptTypeSpins();
    void apptTypeColourPickedSavedOrCancelled_data();
    void apptTypeColourPickedSavedOrCancelled();

    void contactDefaultTick_data();
    void contactDefaultTick();
    void contactNeedsAGroup();
    void contactLinks_data();
    void contactLinks();
    void contactCancelChangesNothing();
};

void TstDefinitions::init() {
    env = std::make_unique<TestEnv>();
    QVERIFY(env->Start());
    helpShown.clear();
    ContextIDs::SetHelpViewer([this](int context) { helpShown << context; }, {});
}

void TstDefinitions::cleanup() {
    ContextIDs::SetHelpViewer({}, {});
    env.reset();
}

// ---------------------------------------------------------------- all windows

void TstDefinitions::eachDialogOpensCentredWithCaptionsAndHelp_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QString>("buttonArray");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QStringList>("labels"); // label texts before the window is loaded
    QTest::addColumn<int>("help");
    const QStringList saveCancelHelp{"&Save", "&Cancel", "&Help"};
    QTest::newRow("group") << "DlgGroup"
                           << "Group Definition"
                           << QStringList{"Description", "End", "Interval", "Start"} << "BtnGroup"
                           << saveCancelHelp << QStringList{"00:00", "00:00", "00:00"} << 60;
    QTest::newRow("template") << "DlgTemplate"
                              << "Load Group Template"
                              << QStringList{"Select Group Template To Load"} << "BtnTemplate"
                              << QStringList{"&Load", "&Cancel", "&Help"} << QStringList{} << 50;
    QTest::newRow("resource") << "DlgResource"
                              << "Resource Definition"
                              << QStringList{"Copies", "Description", "Initial", "Maximum",
                                             "Minimum"}
                              << "BtnGroup" << saveCancelHelp
                              << QStringList{"", "00:00", "00:00", "00:00"} << 110;
    QTest::newRow("appointment type")
        << "DlgApptType"
        << "Appointment Type" << QStringList{"Description", "Initial", "Maximum", "Minimum"}
        << "BtnTask" << saveCancelHelp << QStringList{"00:00", "00:00", "00:00"} << 30;
    QTest::newRow("contact") << "DlgContact"
                             << "Contact Definition"
                             << QStringList{"Available To Groups", "Contact Name", "References"}
                             << "BtnCustomer" << saveCancelHelp
                             << QStringList{"Reference #1", "Reference #2", "Reference #3"} << 70;
}

void TstDefinitions::eachDialogOpensCentredWithCaptionsAndHelp() {
    QFETCH(QString, dialog);
    QFETCH(QString, title);
    QFETCH(QStringList, frames);
    QFETCH(QString, buttonArray);
    QFETCH(QStringList, buttons);
    QFETCH(QStringList, labels);
    QFETCH(int, help);

    QWidget owner;
    owner.setGeometry(120, 80, 1000, 760);
    owner.show();
    std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog, &owner);
    QCOMPARE(dlg->windowTitle(), title);
    QVERIFY(dlg->isModal());

    QStringList frameTitles;
    for (auto* frame : dlg->findChildren<QGroupBox*>())
        frameTitles << frame->title();
    frameTitles.sort();
    QCOMPARE(frameTitles, frames);
    QStringList buttonTexts;
    for (int i = 0; i < 3; ++i) {
        auto* button = dlg->findChild<QPushButton*>(buttonArray + Num(i));
        buttonTexts << (button ? button->text() : QString());
    }
    QCOMPARE(buttonTexts, buttons);
    QStringList labelTexts;
    for (auto* label : dlg->findChildren<QLabel*>())
        labelTexts << label->text();
    labelTexts.sort();
    QCOMPARE(labelTexts, labels);

    dlg->show();
    const QPoint offset = dlg->geometry().center() - owner.geometry().center();
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("off by %1,%2").arg(offset.x()).arg(offset.y())));

    Press(dlg.get(), buttonArray + "2");
    QTest::keyClick(dlg.get(), Qt::Key_F1);
    QCOMPARE(helpShown, (QList<int>{help, help}));
    QVERIFY(dlg->isVisible());
}

void TstDefinitions::namesAreTrimmedAndStoredExactly_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("blanks around") << "   Room 1  "
                                   << "Room 1";
    QTest::newRow("blanks inside kept") << "Room  1"
                                        << "Room  1";
    QTest::newRow("quotes") << "O'Brien's \"big\" ''room''"
                            << "O'Brien's \"big\" ''room''";
    QTest::newRow("sql fragment") << "x'); delete from tblGroups; --"
                                  << "x'); delete from tblGroups; --";
    QTest::newRow("non-ASCII letters") << " Zürich Ærø Łódź 東京 "
                                       << "Zürich Ærø Łódź 東京";
    const QString longName = QString(10000, QLatin1Char('w'));
    QTest::newRow("10000 characters") << " " + longName + " " << longName;
    QTest::newRow("empty") << "   "
                           << "";
}

// Every window trims its text boxes and stores the rest exactly as typed.
void TstDefinitions::namesAreTrimmedAndStoredExactly() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);

    ModMain::Group().InitBfr();
    DlgGroup group;
    group.show();
    Text(&group, "TxtGroupName")->setText(typed);
    Press(&group, "BtnGroup0");
    const qint32 groupId = ModMain::Group().GroupId();
    QVERIFY(groupId != 0);
    QCOMPARE(env->Sql("select GroupName from tblGroups where GroupId = " + Num(groupId)).toString(),
             stored);

    ModMain::Resource().InitBfr();
    ModMain::Resource().SetGroupId(groupId);
    DlgResource resource;
    resource.show();
    Text(&resource, "TxtResourceName")->setText(typed);
    Press(&resource, "BtnGroup0");
    QCOMPARE(env->Sql("select ResourceName from tblResources where ResourceId = " +
                      Num(ModMain::Resource().ResourceId()))
                 .toString(),
             stored);

    ModMain::Task().InitBfr();
    ModMain::Task().SetGroupId(groupId);
    DlgApptType type;
    type.show();
    Text(&type, "TxtType")->setText(typed);
    Press(&type, "BtnTask0");
    QCOMPARE(
        env->Sql("select TaskName from tblTasks where TaskId = " + Num(ModMain::Task().TaskId()))
            .toString(),
        stored);

    ModMain::Customer().InitBfr();
    DlgContact contact;
    contact.SetGroupId(groupId);
    contact.show();
    for (const char* box : {"TxtCustomer", "TxtRef01", "TxtRef02", "TxtRef03"})
        Text(&contact, box)->setText(typed);
    Press(&contact, "BtnCustomer0");
    const QString id = Num(ModMain::Customer().CustomerId());
    QVERIFY(id != "0");
    for (const char* column : {"CustomerName", "Ref01", "Ref02", "Ref03"})
        QCOMPARE(env->Sql(QStringLiteral("select %1 from tblCustomers where CustomerId = %2")
                              .arg(QLatin1String(column), id))
                     .toString(),
                 stored);
    QCOMPARE(Count("tblGroups"), 1);
}

void TstDefinitions::textBoxSelectsAllOnFocus_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("box");
    QTest::newRow("group name") << "DlgGroup"
                                << "TxtGroupName";
    QTest::newRow("resource name") << "DlgResource"
                                   << "TxtResourceName";
    QTest::newRow("appointment type") << "DlgApptType"
                                      << "TxtType";
    QTest::newRow("contact name") << "DlgContact"
                                  << "TxtCustomer";
    QTest::newRow("reference 1") << "DlgContact"
                                 << "TxtRef01";
    QTest::newRow("reference 2") << "DlgContact"
                                 << "TxtRef02";
    QTest::newRow("reference 3") << "DlgContact"
                                 << "TxtRef03";
}

// Focus given from code (not by Tab, where a text box selects by itself).
void TstDefinitions::textBoxSelectsAllOnFocus() {
    QFETCH(QString, dialog);
    QFETCH(QString, box);
    std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog, nullptr);
    dlg->show();
    QLineEdit* text = Text(dlg.get(), box);
    text->setText("Room 12");
    text->setCursorPosition(3);
    QFocusEvent focusIn(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(text, &focusIn);
    QCOMPARE(text->selectedText(), QString("Room 12"));
}

void TstDefinitions::refusedSaveKeepsWindowOpen_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("refusedRow"); // empty: every row
    QTest::addColumn<QString>("message");
    QTest::newRow("new group") << "DlgGroup" << false << ""
                               << "Unable to save group!";
    QTest::newRow("edited group") << "DlgGroup" << true << ""
                                  << "Unable to save group!";
    QTest::newRow("edited resource") << "DlgResource" << true << ""
                                     << "Unable to save resource!";
    QTest::newRow("third of three copies")
        << "DlgResource" << false << "new.ResourceName = 'Typed #03'"
        << "Unable to save resource!";
    QTest::newRow("new appointment type") << "DlgApptType" << false << ""
                                          << "Unable to save appointment type!";
    QTest::newRow("new contact") << "DlgContact" << false << ""
                                 << "Unable to save contact!";
}

// A record the database does not take leaves its window open with what was
// typed, says so, and stores nothing (no copy, no contact link).
void TstDefinitions::refusedSaveKeepsWindowOpen() {
    QFETCH(QString, dialog);
    QFETCH(bool, editing);
    QFETCH(QString, refusedRow);
    QFETCH(QString, message);
    // The table each window writes and the text box of the name.
    const QHash<QString, QStringList> parts{
        {"DlgGroup", {"tblGroups", "TxtGroupName"}},
        {"DlgResource", {"tblResources", "TxtResourceName"}},
        {"DlgApptType", {"tblTasks", "TxtType"}},
        {"DlgContact", {"tblCustomers", "TxtCustomer"}},
    };
    const QString table = parts[dialog].at(0);
    const QString box = parts[dialog].at(1);

    const qint32 groupId = AddGroup("Rooms", 480, 1020, 15);
    env->Sql("insert into tblResources (GroupId, ResourceName, MinTime, MaxTime, InitTime) "
             "values (" +
             Num(groupId) + ", 'Room', 15, 540, 15)");
    ModMain::Group().InitBfr();
    ModMain::Resource().InitBfr();
    ModMain::Resource().SetGroupId(groupId);
    ModMain::Task().InitBfr();
    ModMain::Task().SetGroupId(groupId);
    ModMain::Customer().InitBfr();
    if (editing) {
        QVERIFY(ModMain::Group().Load(groupId));
        QVERIFY(
            ModMain::Resource().Load(env->Sql("select max(ResourceId) from tblResources").toInt()));
    }
    const auto state = [this] {
        return env
            ->Sql("select (select group_concat(GroupName, ',') from tblGroups) || '|' || (select "
                  "group_concat(ResourceName, ',') from tblResources) || '|' || (select count(*) "
                  "from tblTasks) || '|' || (select count(*) from tblCustomers) || '|' || "
                  "(select count(*) from tblCustomerGroups)")
            .toString();
    };
    const QString before = state();
    env->RefuseWrites(editing ? "update" : "insert", table, "refused by the test", refusedRow);

    std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog, nullptr);
    if (auto* contact = qobject_cast<DlgContact*>(dlg.get()))
        contact->SetGroupId(groupId);
    dlg->show();
    Text(dlg.get(), box)->setText(" Typed ");
    if (dialog == "DlgResource" && !editing)
        Spin(dlg.get(), "SpinCopies", "++");
    // Save is the first button of the window's command array.
    const auto save = dlg->findChildren<QPushButton*>(QRegularExpression("^Btn[A-Za-z]+0$"));
    QCOMPARE(save.size(), 1);
    QTest::mouseClick(save.at(0), Qt::LeftButton);

    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->result() != int(QDialog::Accepted));
    QCOMPARE(Text(dlg.get(), box)->text(), QString(" Typed "));
    QCOMPARE(env->boxes.size(), 1);
    QCOMPARE(env->boxes.at(0).kind, ModMain::BoxKind::Warning);
    QCOMPARE(env->boxes.at(0).text, message);
    QCOMPARE(state(), before);
}

// ---------------------------------------------------------------- groups

void TstDefinitions::groupOpensWithItsValues() {
    ModMain::Group().InitBfr();
    DlgGroup fresh;
    fresh.show();
    QCOMPARE(Text(&fresh, "TxtGroupName")->text(), QString());
    QCOMPARE(Label(&fresh, "LblStart"), QString("00:00 am"));
    QCOMPARE(Label(&fresh, "LblEnd"), QString("12:00 am"));
    QCOMPARE(Label(&fresh, "LblInterval"), QString("00:05"));
    fresh.close();

    QVERIFY(ModMain::Group().Load(AddGroup("Rooms", 480, 1050, 90)));
    DlgGroup stored;
    stored.show();
    QCOMPARE(Text(&stored, "TxtGroupName")->text(), QString("Rooms"));
    QCOMPARE(Label(&stored, "LblStart"), QString("08:00 am"));
    QCOMPARE(Label(&stored, "LblEnd"), QString("05:30 pm"));
    QCOMPARE(Label(&stored, "LblInterval"), QString("01:30"));
}

void TstDefinitions::groupSpins_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("military");
    QTest::addColumn<QString>("spin");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<int>("newStart");
    QTest::addColumn<int>("newEnd");
    QTest::addColumn<int>("newInterval");
    QTest::addColumn<QString>("label"); // the label of the spin clicked

    // name                                  start  end interval mil spin  clicks  -> start end int
    // label
    QTest::newRow("start up from midnight") << 0 << 1440 << 5 << false << "Start"
                                            << "+++" << 15 << 1440 << 5 << "00:15 am";
    QTest::newRow("start down stays at 0") << 0 << 1440 << 5 << false << "Start"
                                           << "-" << 0 << 1440 << 5 << "00:00 am";
    QTest::newRow("start down to 0 and no further") << 10 << 1440 << 5 << false << "Start"
                                                    << "---" << 0 << 1440 << 5 << "00:00 am";
    QTest::newRow("start up blocked an hour before end") << 480 << 540 << 5 << false << "Start"
                                                         << "+" << 480 << 540 << 5 << "08:00 am";
    QTest::newRow("start up stops an hour before end") << 470 << 540 << 5 << false << "Start"
                                                       << "+++" << 480 << 540 << 5 << "08:00 am";
    QTest::newRow("start afternoon 12-hour") << 780 << 1440 << 5 << false << "Start"
                                             << "+" << 785 << 1440 << 5 << "01:05 pm";
    QTest::newRow("start afternoon 24-hour") << 780 << 1440 << 5 << true << "Start"
                                             << "+" << 785 << 1440 << 5 << "13:05";
    QTest::newRow("end up stays at 1440") << 0 << 1440 << 5 << false << "End"
                                          << "+" << 0 << 1440 << 5 << "12:00 am";
    QTest::newRow("end up to 1440 and no further") << 0 << 1430 << 5 << false << "End"
                                                   << "++++" << 0 << 1440 << 5 << "12:00 am";
    QTest::newRow("end down from midnight") << 0 << 1440 << 5 << false << "End"
                                            << "-" << 0 << 1435 << 5 << "11:55 pm";
    QTest::newRow("end down blocked an hour after start") << 480 << 540 << 5 << false << "End"
                                                          << "-" << 480 << 540 << 5 << "09:00 am";
    QTest::newRow("end down stops an hour after start") << 480 << 550 << 5 << false << "End"
                                                        << "---" << 480 << 540 << 5 << "09:00 am";
    QTest::newRow("end at midnight 24-hour") << 0 << 1435 << 5 << true << "End"
                                             << "+" << 0 << 1440 << 5 << "24:00";
    QTest::newRow("interval down stays at 5") << 0 << 1440 << 5 << false << "Interval"
                                              << "-" << 0 << 1440 << 5 << "00:05";
    QTest::newRow("interval up and down") << 0 << 1440 << 5 << false << "Interval"
                                          << "+++-" << 0 << 1440 << 15 << "00:15";
    QTest::newRow("interval up stays at 1440") << 0 << 1440 << 1440 << false << "Interval"
                                               << "+" << 0 << 1440 << 1440 << "24:00";
    QTest::newRow("interval up to 1440 and no further") << 0 << 1440 << 1430 << false << "Interval"
                                                        << "+++" << 0 << 1440 << 1440 << "24:00";
    QTest::newRow("interval shown as duration whatever the clock")
        << 0 << 1440 << 775 << false << "Interval"
        << "+" << 0 << 1440 << 780 << "13:00";
}

void TstDefinitions::groupSpins() {
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, interval);
    QFETCH(bool, military);
    QFETCH(QString, spin);
    QFETCH(QString, clicks);
    QFETCH(int, newStart);
    QFETCH(int, newEnd);
    QFETCH(int, newInterval);
    QFETCH(QString, label);

    ModMain::Ini().WriteValue("Options", "UseMilitaryTime", military ? 1 : 0);
    ClsGroup& group = ModMain::Group();
    group.InitBfr();
    group.SetDayStart(qint16(start));
    group.SetDayEnd(qint16(end));
    group.SetInterval(qint16(interval));
    DlgGroup dlg;
    dlg.show();
    Spin(&dlg, "Spin" + spin, clicks);
    QCOMPARE(int(group.DayStart()), newStart);
    QCOMPARE(int(group.DayEnd()), newEnd);
    QCOMPARE(int(group.Interval()), newInterval);
    QCOMPARE(Label(&dlg, "Lbl" + spin), label);
    QCOMPARE(Count("tblGroups"), 0); // spins never reach the database
}

void TstDefinitions::groupSaveInsertsOrUpdates() {
    // A new group.
    ModMain::Group().InitBfr();
    DlgGroup dlg;
    dlg.show();
    Text(&dlg, "TxtGroupName")->setText("  Rooms  ");
    Spin(&dlg, "SpinStart", "++");
    Spin(&dlg, "SpinInterval", "+");
    Press(&dlg, "BtnGroup0");
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(!dlg.isVisible());
    const qint32 id = ModMain::Group().GroupId();
    QVERIFY(id != 0);
    QCOMPARE(env->Sql("select GroupName || '|' || DayStart || '|' || DayEnd || '|' || Interval "
                      "from tblGroups where GroupId = " +
                      Num(id))
                 .toString(),
             QString("Rooms|10|1440|10"));

    // The same group edited: an update, no second row.
    QVERIFY(ModMain::Group().Load(id));
    DlgGroup edit;
    edit.show();
    Text(&edit, "TxtGroupName")->setText("Meeting rooms");
    Spin(&edit, "SpinEnd", "--");
    Press(&edit, "BtnGroup0");
    QCOMPARE(ModMain::Group().GroupId(), id);
    QCOMPARE(Count("tblGroups"), 1);
    QCOMPARE(env->Sql("select GroupName || '|' || DayStart || '|' || DayEnd || '|' || Interval "
                      "from tblGroups where GroupId = " +
                      Num(id))
                 .toString(),
             QString("Meeting rooms|10|1430|10"));
}

void TstDefinitions::groupCancelResetsSharedGroup() {
    const qint32 id = AddGroup("Rooms", 480, 1080, 15);
    QVERIFY(ModMain::Group().Load(id));
    DlgGroup dlg;
    dlg.show();
    Text(&dlg, "TxtGroupName")->setText("Changed");
    Spin(&dlg, "SpinStart", "+++");
    Spin(&dlg, "SpinEnd", "-");
    Spin(&dlg, "SpinInterval", "++");
    Press(&dlg, "BtnGroup1");
    QVERIFY(!dlg.isVisible());
    const ClsGroup& group = ModMain::Group();
    QCOMPARE(group.GroupId(), 0);
    QCOMPARE(group.GroupName(), QString());
    QCOMPARE(int(group.DayStart()), 0);
    QCOMPARE(int(group.DayEnd()), 1440);
    QCOMPARE(int(group.Interval()), 5);
    QCOMPARE(env->Sql("select GroupName || '|' || DayStart || '|' || DayEnd || '|' || Interval "
                      "from tblGroups")
                 .toString(),
             QString("Rooms|480|1080|15"));
}

// ---------------------------------------------------------------- templates

void TstDefinitions::templateList_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("missing file") << false << QByteArray() << QStringList{};
    QTest::newRow("empty file") << true << QByteArray() << QStringList{};
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919 + 13) % 256 == '[' ? 'x' : (i * 7919 + 13) % 256));
    QTest::newRow("garbled binary") << true << garbage << QStringList{};
    QTest::newRow("entries without sections")
        << true << QByteArray("DayStart=480\r\nResources=2\r\n") << QStringList{};
    QTest::newRow("unclosed and empty brackets")
        << true << QByteArray("[Rooms\r\n[]\r\n[   ]\r\nRooms]\r\n") << QStringList{};
    QTest::newRow("two templates and a comment")
        << true << QByteArray("[Rooms]\r\nDayStart=480\r\n; kept by hand\r\n[Staff]\r\n")
        << QStringList{"Rooms", "Staff"};
    QTest::newRow("file order kept")
        << true << QByteArray("[Zeta]\n[alpha]\n[Mid]\n") << QStringList{"Zeta", "alpha", "Mid"};
    QTest::newRow("blanks around a name")
        << true << QByteArray("[ Rooms ]\r\n") << QStringList{"Rooms"};
    QTest::newRow("brackets inside a name")
        << true << QByteArray("[Rooms [12]]\r\nDayStart=0\r\n") << QStringList{"Rooms [12]"};
}

void TstDefinitions::templateList() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, entries);
    if (exists) {
        QFile file(ClsGroup::TemplateFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    DlgTemplate dlg;
    dlg.show();
    auto* list = dlg.findChild<QComboBox*>("CbGroup");
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->itemText(i);
    QCOMPARE(shown, entries);
    QCOMPARE(list->currentIndex(), entries.isEmpty() ? -1 : 0);
    QVERIFY(!env->LogContains("Error in"));
}

void TstDefinitions::templateLoadWithEmptyListKeepsWindowOpen() {
    {
        QFile file(ClsGroup::TemplateFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Rooms]\r\nDayStart=480\r\n");
    }
    DlgTemplate dlg;
    dlg.show();
    QCOMPARE(dlg.findChild<QComboBox*>("CbGroup")->count(), 1);
    dlg.hide();
    // The file goes away before the window is opened again: no stale entry.
    QVERIFY(QFile::remove(ClsGroup::TemplateFile()));
    dlg.show();
    QCOMPARE(dlg.findChild<QComboBox*>("CbGroup")->count(), 0);
    ModMain::Group().InitBfr();
    Press(&dlg, "BtnTemplate0");
    QVERIFY(dlg.isVisible());
    QCOMPARE(Count("tblGroups"), 0);
    QCOMPARE(ModMain::Group().GroupId(), 0);
    Press(&dlg, "BtnTemplate1");
    QVERIFY(!dlg.isVisible());
}

// A group made with the group and resource windows is saved as a template and
// loaded twice; each load makes a new group named after the template and its
// identifier, with copies of the resources.
void TstDefinitions::templateRoundTrip() {
    ModMain::Group().InitBfr();
    DlgGroup group;
    group.show();
    Text(&group, "TxtGroupName")->setText("Rooms");
    Spin(&group, "SpinInterval", "++");
    Press(&group, "BtnGroup0");
    const qint32 source = ModMain::Group().GroupId();
    QVERIFY(source != 0);

    ModMain::Resource().InitBfr();
    ModMain::Resource().SetGroupId(source);
    DlgResource resource;
    resource.show();
    Text(&resource, "TxtResourceName")->setText("Room");
    Spin(&resource, "SpinInit", "+");
    Spin(&resource, "SpinCopies", "+");
    Press(&resource, "BtnGroup0");
    QCOMPARE(Count("tblResources"), 2);

    ModMain::Group().SaveTemplate(source);
    QCOMPARE(env->boxes.size(), 1);
    QCOMPARE(env->boxes.at(0).text, QString("Group saved!"));

    env->onModal = [](QDialog* d) {
        d->show();
        auto* list = d->findChild<QComboBox*>("CbGroup");
        list->setCurrentIndex(list->findText("Rooms"));
        Press(d, "BtnTemplate0");
        return d->result();
    };
    QList<qint32> made;
    for (int round = 0; round < 2; ++round) {
        DlgTemplate dlg;
        QCOMPARE(ModMain::ShowModal(&dlg), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        const qint32 id = ModMain::Group().GroupId();
        QVERIFY(id != 0);
        made << id;
        QCOMPARE(ModMain::Group().GroupName(), "Rooms [" + Num(id) + "]");
        QCOMPARE(env->Sql("select GroupName || '|' || DayStart || '|' || DayEnd || '|' || "
                          "Interval from tblGroups where GroupId = " +
                          Num(id))
                     .toString(),
                 "Rooms [" + Num(id) + "]|0|1440|15");
        QCOMPARE(env->Sql("select group_concat(r, ';') from (select ResourceName || ',' || "
                          "MinTime || ',' || MaxTime || ',' || InitTime as r from tblResources "
                          "where GroupId = " +
                          Num(id) + " order by ResourceName) as listed")
                     .toString(),
                 QString("Room #01,15,1440,30;Room #02,15,1440,30"));
    }
    QCOMPARE(made.at(1), made.at(0) + 1);
}

// ---------------------------------------------------------------- resources

void TstDefinitions::resourceOpens_data() {
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("copiesLabel");
    QTest::addColumn<bool>("copiesEnabled");
    QTest::newRow("new resource") << false << "1" << true;
    QTest::newRow("stored resource") << true << "" << false;
}

void TstDefinitions::resourceOpens() {
    QFETCH(bool, editing);
    QFETCH(QString, copiesLabel);
    QFETCH(bool, copiesEnabled);
    const qint32 groupId = AddGroup("Rooms", 480, 1020, 15);
    ClsResource& res = ModMain::Resource();
    res.InitBfr();
    res.SetGroupId(groupId);
    res.SetResourceName("Room 1");
    res.SetMinTime(30);
    res.SetMaxTime(120);
    res.SetInitTime(45);
    if (editing) {
        const qint32 id = res.Save();
        QVERIFY(id != 0);
        // A resource added to a group with 5-minute slots in between, then
        // this one opened for editing.
        res.InitBfr();
        res.SetGroupId(AddGroup("Desks", 0, 1440, 5));
        QVERIFY(res.Load(id));
    }
    DlgResource dlg;
    dlg.show();
    QCOMPARE(Text(&dlg, "TxtResourceName")->text(), QString("Room 1"));
    QCOMPARE(Label(&dlg, "LblMin"), QString("00:30"));
    QCOMPARE(Label(&dlg, "LblMax"), QString("02:00"));
    QCOMPARE(Label(&dlg, "LblInit"), QString("00:45"));
    QCOMPARE(Label(&dlg, "LblCopies"), copiesLabel);
    QCOMPARE(dlg.findChild<SpinButtons*>("SpinCopies")->isEnabled(), copiesEnabled);
    Spin(&dlg, "SpinCopies", "+");
    QCOMPARE(dlg.CopyCount(), editing ? 1 : 2);
    // The times step by the slot of the resource's own group.
    Spin(&dlg, "SpinMin", "+");
    QCOMPARE(int(res.MinTime()), 45);
    QCOMPARE(Label(&dlg, "LblMin"), QString("00:45"));
}

void TstDefinitions::resourceSpins_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("minTime");
    QTest::addColumn<int>("maxTime");
    QTest::addColumn<int>("initTime");
    QTest::addColumn<QString>("spin");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<int>("newMin");
    QTest::addColumn<int>("newMax");
    QTest::addColumn<int>("newInit");
    QTest::addColumn<QStringList>("labels"); // LblMin, LblMax, LblInit

    QTest::newRow("min pushes init")
        << 15 << 15 << 60 << 30 << "Min"
        << "++" << 45 << 60 << 45 << QStringList{"00:45", "01:00", "00:45"};
    QTest::newRow("min reaches max")
        << 15 << 15 << 60 << 30 << "Min"
        << "+++" << 60 << 60 << 60 << QStringList{"01:00", "01:00", "01:00"};
    QTest::newRow("min pushes max and init")
        << 15 << 15 << 60 << 30 << "Min"
        << "++++" << 75 << 75 << 75 << QStringList{"01:15", "01:15", "01:15"};
    QTest::newRow("min stops at interval")
        << 15 << 30 << 60 << 30 << "Min"
        << "---" << 15 << 60 << 30 << QStringList{"00:15", "01:00", "00:30"};
    QTest::newRow("min stops at a day")
        << 15 << 1425 << 1440 << 1440 << "Min"
        << "++" << 1440 << 1440 << 1440 << QStringList{"24:00", "24:00", "24:00"};
    QTest::newRow("max pulls min and init")
        << 15 << 60 << 60 << 60 << "Max"
        << "--" << 30 << 30 << 30 << QStringList{"00:30", "00:30", "00:30"};
    QTest::newRow("max pulls init only")
        << 15 << 15 << 120 << 90 << "Max"
        << "---" << 15 << 75 << 75 << QStringList{"00:15", "01:15", "01:15"};
    QTest::newRow("max stops at interval")
        << 15 << 15 << 30 << 15 << "Max"
        << "---" << 15 << 15 << 15 << QStringList{"00:15", "00:15", "00:15"};
    QTest::newRow("max stops at a day")
        << 5 << 5 << 1435 << 5 << "Max"
        << "++" << 5 << 1440 << 5 << QStringList{"00:05", "24:00", "00:05"};
    QTest::newRow("init up held at max")
        << 15 << 30 << 60 << 45 << "Init"
        << "+++" << 30 << 60 << 60 << QStringList{"00:30", "01:00", "01:00"};
    QTest::newRow("init down held at min")
        << 15 << 30 << 60 << 45 << "Init"
        << "----" << 30 << 60 << 30 << QStringList{"00:30", "01:00", "00:30"};
    QTest::newRow("step is the group's interval")
        << 60 << 60 << 480 << 60 << "Init"
        << "++" << 60 << 480 << 180 << QStringList{"01:00", "08:00", "03:00"};
}

void TstDefinitions::resourceSpins() {
    QFETCH(int, interval);
    QFETCH(int, minTime);
    QFETCH(int, maxTime);
    QFETCH(int, initTime);
    QFETCH(QString, spin);
    QFETCH(QString, clicks);
    QFETCH(int, newMin);
    QFETCH(int, newMax);
    QFETCH(int, newInit);
    QFETCH(QStringList, labels);

    ClsResource& res = ModMain::Resource();
    res.InitBfr();
    res.SetGroupId(AddGroup("Rooms", 0, 1440, interval));
    res.SetMinTime(qint16(minTime));
    res.SetMaxTime(qint16(maxTime));
    res.SetInitTime(qint16(initTime));
    DlgResource dlg;
    dlg.show();
    Spin(&dlg, "Spin" + spin, clicks);
    QCOMPARE(int(res.MinTime()), newMin);
    QCOMPARE(int(res.MaxTime()), newMax);
    QCOMPARE(int(res.InitTime()), newInit);
    QCOMPARE((QStringList{Label(&dlg, "LblMin"), Label(&dlg, "LblMax"), Label(&dlg, "LblInit")}),
             labels);
    QCOMPARE(Count("tblResources"), 0);
}

void TstDefinitions::resourceCopiesSpin_data() {
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<int>("copies");
    QTest::newRow("one more") << "+" << 2;
    QTest::newRow("not below one") << "--" << 1;
    QTest::newRow("up and down") << "+++-" << 3;
    QTest::newRow("not above 99") << QString(120, '+') << 99;
    QTest::newRow("down from 99") << QString(100, '+') + "-" << 98;
}

void TstDefinitions::resourceCopiesSpin() {
    QFETCH(QString, clicks);
    QFETCH(int, copies);
    ModMain::Resource().InitBfr();
    DlgResource dlg;
    dlg.show();
    Spin(&dlg, "SpinCopies", clicks);
    QCOMPARE(dlg.CopyCount(), copies);
    QCOMPARE(Label(&dlg, "LblCopies"), Num(copies));
    dlg.hide();
    dlg.show(); // every opening starts again from one copy
    QCOMPARE(Label(&dlg, "LblCopies"), QString("1"));
}

void TstDefinitions::resourceSaveCopies_data() {
    QTest::addColumn<int>("copies");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("one") << 1 << QStringList{"Room"};
    QTest::newRow("three") << 3 << QStringList{"Room #01", "Room #02", "Room #03"};
    QStringList twelve;
    for (int i = 1; i <= 12; ++i)
        twelve << QStringLiteral("Room #%1").arg(i, 2, 10, QLatin1Char('0'));
    QTest::newRow("twelve") << 12 << twelve;
}

void TstDefinitions::resourceSaveCopies() {
    QFETCH(int, copies);
    QFETCH(QStringList, names);
    const qint32 groupId = AddGroup("Rooms", 480, 1020, 15);
    ClsResource& res = ModMain::Resource();
    res.InitBfr();
    res.SetGroupId(groupId);
    DlgResource dlg;
    dlg.show();
    Text(&dlg, "TxtResourceName")->setText(" Room ");
    Spin(&dlg, "SpinMax", "-");
    Spin(&dlg, "SpinCopies", QString(copies - 1, '+'));
    Press(&dlg, "BtnGroup0");
    QCOMPARE(dlg.result(), int(QDialog::Accepted));

    QCOMPARE(env->Sql("select group_concat(ResourceName, ',') from (select ResourceName from "
                      "tblResources order by ResourceId) as listed")
                 .toString(),
             names.join(','));
    QCOMPARE(env->Sql("select count(*) from tblResources where GroupId = " + Num(groupId) +
                      " and MinTime = 15 and MaxTime = 525 and InitTime = 15")
                 .toInt(),
             copies);
    // The shared resource ends holding the last one stored.
    QCOMPARE(res.ResourceName(), names.last());
    QCOMPARE(res.ResourceId(), env->Sql("select max(ResourceId) from tblResources").toInt());
}

void TstDefinitions::resourceSaveExistingAndCancel() {
    const qint32 groupId = AddGroup("Rooms", 480, 1020, 15);
    ClsResource& res = ModMain::Resource();
    res.InitBfr();
    res.SetGroupId(groupId);
    res.SetResourceName("Room 1");
    const qint32 id = res.Save();
    QVERIFY(id != 0);

    QVERIFY(res.Load(id));
    DlgResource edit;
    edit.show();
    Text(&edit, "TxtResourceName")->setText("Room A ");
    Spin(&edit, "SpinMin", "+");
    Spin(&edit, "SpinCopies", "++"); // disabled: no copies of a stored resource
    Press(&edit, "BtnGroup0");
    QCOMPARE(Count("tblResources"), 1);
    QCOMPARE(res.ResourceId(), id);
    QCOMPARE(env->Sql("select ResourceName || '|' || MinTime || '|' || MaxTime || '|' || InitTime "
                      "from tblResources")
                 .toString(),
             QString("Room A|30|540|30"));

    QVERIFY(res.Load(id));
    DlgResource cancel;
    cancel.show();
    Text(&cancel, "TxtResourceName")->setText("Gone");
    Spin(&cancel, "SpinMax", "--");
    Press(&cancel, "BtnGroup1");
    QVERIFY(!cancel.isVisible());
    QCOMPARE(res.ResourceId(), 0);
    QCOMPARE(res.ResourceName(), QString());
    QCOMPARE(env->Sql("select ResourceName || '|' || MinTime || '|' || MaxTime || '|' || InitTime "
                      "from tblResources")
                 .toString(),
             QString("Room A|30|540|30"));
}

// ---------------------------------------------------------------- appointment types

void TstDefinitions::apptTypeSpins_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("minTime");
    QTest::addColumn<int>("maxTime");
    QTest::addColumn<int>("initTime");
    QTest::addColumn<QString>("spin");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<int>("newMin");
    QTest::addColumn<int>("newMax");
    QTest::addColumn<int>("newInit");
    QTest::addColumn<QStringList>("labels"); // LblMin, LblMax, LblInit

    QTest::newRow("min stops at max")
        << 15 << 30 << 30 << 30 << "Min"
        << "+" << 30 << 30 << 30 << QStringList{"00:30", "00:30", "00:30"};
    QTest::newRow("max stops at min")
        << 15 << 30 << 30 << 30 << "Max"
        << "-" << 30 << 30 << 30 << QStringList{"00:30", "00:30", "00:30"};
    QTest::newRow("min pulls init up")
        << 15 << 15 << 120 << 30 << "Min"
        << "+++" << 60 << 120 << 60 << QStringList{"01:00", "02:00", "01:00"};
    QTest::newRow("max pulls init down")
        << 15 << 15 << 120 << 90 << "Max"
        << "----" << 15 << 60 << 60 << QStringList{"00:15", "01:00", "01:00"};
    QTest::newRow("max down stops at min, init follows")
        << 15 << 45 << 90 << 90 << "Max"
        << "-----" << 45 << 45 << 45 << QStringList{"00:45", "00:45", "00:45"};
    QTest::newRow("max has no bound at a day")
        << 15 << 15 << 1440 << 15 << "Max"
        << "++" << 15 << 1470 << 15 << QStringList{"00:15", "24:30", "00:15"};
    QTest::newRow("init up held at max")
        << 15 << 30 << 60 << 45 << "Init"
        << "+++" << 30 << 60 << 60 << QStringList{"00:30", "01:00", "01:00"};
    QTest::newRow("init down held at min")
        << 15 << 30 << 60 << 45 << "Init"
        << "---" << 30 << 60 << 30 << QStringList{"00:30", "01:00", "00:30"};
    QTest::newRow("min never below one interval")
        << 15 << 45 << 120 << 60 << "Min"
        << "-----" << 15 << 120 << 60 << QStringList{"00:15", "02:00", "01:00"};
    QTest::newRow("min stored below interval is lifted to it")
        << 15 << 5 << 120 << 60 << "Min"
        << "-" << 15 << 120 << 60 << QStringList{"00:15", "02:00", "01:00"};
    QTest::newRow("max does not wrap round past the longest length")
        << 60 << 60 << 32760 << 60 << "Max"
        << "+" << 60 << 32760 << 60 << QStringList{"01:00", "546:00", "01:00"};
}

void TstDefinitions::apptTypeSpins() {
    QFETCH(int, interval);
    QFETCH(int, minTime);
    QFETCH(int, maxTime);
    QFETCH(int, initTime);
    QFETCH(QString, spin);
    QFETCH(QString, clicks);
    QFETCH(int, newMin);
    QFETCH(int, newMax);
    QFETCH(int, newInit);
    QFETCH(QStringList, labels);

    ClsTask& task = ModMain::Task();
    task.InitBfr();
    task.SetGroupId(AddGroup("Rooms", 0, 1440, interval));
    task.SetMinTime(qint16(minTime));
    task.SetMaxTime(qint16(maxTime));
    task.SetInitTime(qint16(initTime));
    DlgApptType dlg;
    dlg.show();
    Spin(&dlg, "Spin" + spin, clicks);
    QCOMPARE(int(task.MinTime()), newMin);
    QCOMPARE(int(task.MaxTime()), newMax);
    QCOMPARE(int(task.InitTime()), newInit);
    QCOMPARE((QStringList{Label(&dlg, "LblMin"), Label(&dlg, "LblMax"), Label(&dlg, "LblInit")}),
             labels);
    QCOMPARE(Count("tblTasks"), 0);
}

void TstDefinitions::apptTypeColourPickedSavedOrCancelled_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("save") << true;
    QTest::newRow("cancel") << false;
}

void TstDefinitions::apptTypeColourPickedSavedOrCancelled() {
    QFETCH(bool, save);
    const qint32 groupId = AddGroup("Rooms", 0, 1440, 15);
    ClsTask& task = ModMain::Task();
    task.InitBfr();
    task.SetGroupId(groupId);
    task.SetTaskName("Consultation");
    const qint32 id = task.Save();
    QVERIFY(id != 0);

    // A new type shows pure red.
    task.InitBfr();
    DlgApptType fresh;
    fresh.show();
    QCOMPARE(CentrePixel(fresh.findChild<QPushButton*>("BtnColour")), QColor(255, 0, 0));
    fresh.hide();

    QVERIFY(task.Load(id));
    task.SetGroupId(groupId);
    DlgApptType dlg;
    dlg.show();
    auto* button = dlg.findChild<QPushButton*>("BtnColour");
    QCOMPARE(CentrePixel(button), QColor(255, 0, 0));

    // The palette opens on the type's colour; picking orange changes the
    // button at once and the shared type, not yet the database.
    QTest::mouseClick(button, Qt::LeftButton);
    ColourPalette* palette = dlg.Palette();
    QVERIFY(palette->isVisible());
    QCOMPARE(palette->Colour(), qint32(255));
    QCOMPARE(palette->SelectedIndex(), 8);
    QTest::mouseClick(palette, Qt::LeftButton, {}, palette->CellRect(14).center());
    QVERIFY(!palette->isVisible());
    QCOMPARE(task.Colour(), qint32(0x0080FF));
    QCOMPARE(CentrePixel(button), QColor(255, 128, 0));
    QCOMPARE(env->Sql("select Colour from tblTasks").toInt(), 255);

    // Opened again, the palette starts from the colour just picked.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(palette->SelectedIndex(), 14);
    QTest::keyClick(palette, Qt::Key_Escape);
    Spin(&dlg, "SpinMax", "-");

    Press(&dlg, save ? "BtnTask0" : "BtnTask1");
    QCOMPARE(Count("tblTasks"), 1);
    if (save) {
        QCOMPARE(task.TaskId(), id);
        QCOMPARE(
            env->Sql("select Colour || '|' || MaxTime || '|' || TaskName from tblTasks").toString(),
            QString("33023|1425|Consultation"));
    } else {
        QCOMPARE(task.TaskId(), 0);
        QCOMPARE(task.Colour(), qint32(255));
        QCOMPARE(
            env->Sql("select Colour || '|' || MaxTime || '|' || TaskName from tblTasks").toString(),
            QString("255|1440|Consultation"));
    }
}

// ---------------------------------------------------------------- contacts

void TstDefinitions::contactDefaultTick_data() {
    QTest::addColumn<QString>("callerGroup"); // name of the group the caller shows
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QStringList>("ticked");
    QTest::newRow("new contact from Beta") << "Beta" << false << QStringList{"Beta"};
    QTest::newRow("new contact from a group not listed") << "" << false << QStringList{};
    QTest::newRow("stored contact shows its own links")
        << "Beta" << true << QStringList{"Alpha", "Gamma"};
}

void TstDefinitions::contactDefaultTick() {
    QFETCH(QString, callerGroup);
    QFETCH(bool, existing);
    QFETCH(QStringList, ticked);
    const qint32 gamma = AddGroup("Gamma", 0, 1440, 5);
    const qint32 alpha = AddGroup("Alpha", 0, 1440, 5);
    const qint32 beta = AddGroup("Beta", 0, 1440, 5);
    AddContact("Someone else", {Num(beta)});
    if (existing)
        QVERIFY(ModMain::Customer().Load(AddContact("Ann", {Num(alpha), Num(gamma)})));
    else
        ModMain::Customer().InitBfr();
    DlgContact dlg;
    dlg.SetGroupId(callerGroup == "Beta" ? beta : 9999);
    dlg.show();
    auto* list = dlg.findChild<QListWidget*>("LbGroups");
    QStringList shown;
    QStringList checked;
    for (int i = 0; i < list->count(); ++i) {
        shown << list->item(i)->text();
        if (list->item(i)->checkState() == Qt::Checked)
            checked << list->item(i)->text();
    }
    QCOMPARE(shown, (QStringList{"Alpha", "Beta", "Gamma"}));
    QCOMPARE(checked, ticked);
    QCOMPARE(dlg.CheckGroups(), !ticked.isEmpty());
}

void TstDefinitions::contactNeedsAGroup() {
    const qint32 alpha = AddGroup("Alpha", 0, 1440, 5);
    const qint32 ann = AddContact("Ann", {Num(alpha)});
    QVERIFY(ModMain::Customer().Load(ann));
    DlgContact dlg;
    dlg.show();
    Text(&dlg, "TxtCustomer")->setText("Ann Smith");
    dlg.findChild<QListWidget*>("LbGroups")->item(0)->setCheckState(Qt::Unchecked);
    Press(&dlg, "BtnCustomer0");
    QCOMPARE(env->boxes.size(), 1);
    QCOMPARE(env->boxes.at(0).kind, ModMain::BoxKind::Warning);
    QCOMPARE(env->boxes.at(0).title, QString("Error!"));
    QCOMPARE(env->boxes.at(0).text, QString("No groups are selected!"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(env->Sql("select CustomerName from tblCustomers").toString(), QString("Ann"));
    QCOMPARE(Links(ann), QString("Alpha"));
}

void TstDefinitions::contactLinks_data() {
    QTest::addColumn<QStringList>("linked"); // link rows before (a name twice: two rows)
    QTest::addColumn<QStringList>("toggle"); // entries the user ticks or unticks
    QTest::addColumn<int>("saves");
    QTest::addColumn<QString>("after");
    QTest::newRow("new contact ticked in two groups")
        << QStringList{} << QStringList{"Gamma"} << 1 << "Beta,Gamma";
    QTest::newRow("tick one more")
        << QStringList{"Alpha"} << QStringList{"Gamma"} << 1 << "Alpha,Gamma";
    QTest::newRow("untick one") << QStringList{"Alpha", "Beta"} << QStringList{"Alpha"} << 1
                                << "Beta";
    QTest::newRow("swap") << QStringList{"Alpha"} << QStringList{"Alpha", "Beta"} << 1 << "Beta";
    QTest::newRow("saved twice without changes")
        << QStringList{"Alpha", "Gamma"} << QStringList{} << 2 << "Alpha,Gamma";
    QTest::newRow("doubled link row becomes one")
        << QStringList{"Alpha", "Alpha"} << QStringList{} << 1 << "Alpha";
}

void TstDefinitions::contactLinks() {
    QFETCH(QStringList, linked);
    QFETCH(QStringList, toggle);
    QFETCH(int, saves);
    QFETCH(QString, after);
    QHash<QString, qint32> ids;
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        ids.insert(name, AddGroup(name, 0, 1440, 5));
    const qint32 other = AddContact("Other", {Num(ids["Alpha"]), Num(ids["Beta"])});
    QStringList linkIds;
    for (const QString& g : linked)
        linkIds << Num(ids[g]);
    const bool isNew = linked.isEmpty();
    if (isNew)
        ModMain::Customer().InitBfr();
    else
        QVERIFY(ModMain::Customer().Load(AddContact("Ann", linkIds)));

    for (int round = 0; round < saves; ++round) {
        DlgContact dlg;
        dlg.SetGroupId(ids["Beta"]);
        dlg.show();
        if (isNew)
            Text(&dlg, "TxtCustomer")->setText("Ann");
        auto* list = dlg.findChild<QListWidget*>("LbGroups");
        if (round == 0) {
            for (const QString& g : toggle) {
                QListWidgetItem* item = list->findItems(g, Qt::MatchExactly).value(0);
                QVERIFY(item);
                item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked
                                                                      : Qt::Checked);
            }
        }
        Press(&dlg, "BtnCustomer0");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    const qint32 ann = ModMain::Customer().CustomerId();
    QVERIFY(ann != 0);
    QCOMPARE(Count("tblCustomers"), 2);
    QCOMPARE(Links(ann), after);
    QCOMPARE(Links(other), QString("Alpha,Beta"));
}

void TstDefinitions::contactCancelChangesNothing() {
    const qint32 alpha = AddGroup("Alpha", 0, 1440, 5);
    AddGroup("Beta", 0, 1440, 5);
    const qint32 ann = AddContact("Ann", {Num(alpha)});
    QVERIFY(ModMain::Customer().Load(ann));
    DlgContact dlg;
    dlg.show();
    Text(&dlg, "TxtCustomer")->setText("Changed");
    Text(&dlg, "TxtRef02")->setText("ref");
    dlg.findChild<QListWidget*>("LbGroups")->item(1)->setCheckState(Qt::Checked);
    Press(&dlg, "BtnCustomer1");
    QVERIFY(!dlg.isVisible());
    QCOMPARE(ModMain::Customer().CustomerId(), 0);
    QCOMPARE(ModMain::Customer().CustomerName(), QString());
    QCOMPARE(env->Sql("select CustomerName || '|' || Ref02 from tblCustomers").toString(),
             QString("Ann|"));
    QCOMPARE(Links(ann), QString("Alpha"));
}

QTEST_MAIN(TstDefinitions)
#include "tst_definitions.moc"

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
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <functional>
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

// The texts of the named labels, joined by '|'.
QString Labels(QWidget* dlg, const QStringList& names) {
    QStringList texts;
    for (const QString& name : names) {
        auto* label = dlg->findChild<QLabel*>(name);
        texts << (label ? label->text() : QStringLiteral("<no %1>").arg(name));
    }
    return texts.join('|');
}

QLineEdit* Text(QWidget* dlg, const QString& name) {
    return dlg->findChild<QLineEdit*>(name);
}

// A button of the window's command array: 0 Save (or Load), 1 Cancel, 2 Help.
void Press(QWidget* dlg, int index) {
    const auto found = dlg->findChildren<QPushButton*>(
        QRegularExpression(QStringLiteral("^Btn[A-Za-z]+%1$").arg(index)));
    QCOMPARE(found.size(), 1);
    QPushButton* b = found.at(0);
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

// The table each window writes and the text box of the name.
const QHash<QString, QStringList> kParts{
    {"DlgGroup", {"tblGroups", "TxtGroupName"}},
    {"DlgResource", {"tblResources", "TxtResourceName"}},
    {"DlgApptType", {"tblTasks", "TxtType"}},
    {"DlgContact", {"tblCustomers", "TxtCustomer"}},
};

QColor CentrePixel(QWidget* w) {
    return w->grab().toImage().pixelColor(w->rect().center());
}

// A row of spinsStepAndStop: the values are the group's start, end and
// interval, or the minimum, maximum and initial length; clicks names the spin.
void SpinRow(const char* name, const char* dialog, int interval, const QList<int>& before,
             const char* clicks, const QList<int>& after, const char* labels) {
    QTest::newRow(name) << QString(dialog) << interval << before << QString(clicks) << after
                        << QString(labels);
}

// Gives a resource or appointment type the minimum, maximum and initial
// length; returns how to read them back.
template <class Record>
std::function<QList<int>()> Lengths(Record& r, qint32 groupId, const QList<int>& v) {
    r.InitBfr();
    r.SetGroupId(groupId);
    r.SetMinTime(qint16(v[0]));
    r.SetMaxTime(qint16(v[1]));
    r.SetInitTime(qint16(v[2]));
    return [&r] { return QList<int>{r.MinTime(), r.MaxTime(), r.InitTime()}; };
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
                     .arg(ClsDAO::Quoted(name), Num(start), Num(end), Num(interval)));
        return env->Sql(QStringLiteral("select max(GroupId) from tblGroups")).toInt();
    }
    qint32 AddContact(const QString& name, const QStringList& groupIds) {
        env->Sql("insert into tblCustomers (CustomerName, Ref01, Ref02, Ref03) values (" +
                 ClsDAO::Quoted(name) + ", '', '', '')");
        const qint32 id = env->Sql("select max(CustomerId) from tblCustomers").toInt();
        for (const QString& g : groupIds)
            env->Sql("insert into tblCustomerGroups (CustomerId, GroupId) values (" + Num(id) +
                     ", " + g + ")");
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
    // Everything the windows write, to tell that nothing was stored.
    QString State() {
        return env
            ->Sql("select coalesce((select group_concat(GroupName || ',' || DayStart || ',' || "
                  "DayEnd || ',' || Interval, ';') from tblGroups), '') || '|' || coalesce(("
                  "select group_concat(ResourceName || ',' || MinTime || ',' || MaxTime || ',' || "
                  "InitTime, ';') from tblResources), '') || '|' || coalesce((select "
                  "group_concat(TaskName || ',' || Colour || ',' || MaxTime, ';') from tblTasks), "
                  "'') || '|' || coalesce((select group_concat(CustomerName || ',' || Ref02, ';') "
                  "from tblCustomers), '') || '|' || (select count(*) from tblCustomerGroups)")
            .toString();
    }

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void init();
    void cleanup();

    void eachDialogOpensCentredSelectsAllAndHelps_data();
    void eachDialogOpensCentredSelectsAllAndHelps();
    void namesAreTrimmedAndStoredExactly_data();
    void namesAreTrimmedAndStoredExactly();
    void refusedSaveKeepsWindowOpen_data();
    void refusedSaveKeepsWindowOpen();
    void cancelStoresNothingAndEmptiesSharedRecord_data();
    void cancelStoresNothingAndEmptiesSharedRecord();
    void spinsStepAndStop_data();
    void spinsStepAndStop();

    void templateList_data();
    void templateList();

    void resourceOpens_data();
    void resourceOpens();
    void resourceSaveCopies();

    void apptTypeColourPickedAndSaved();

    void contactWithoutAGroupIsRefused();
    void contactLinks_data();
    void contactLinks();
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

void TstDefinitions::eachDialogOpensCentredSelectsAllAndHelps_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("help");
    QTest::newRow("group") << "DlgGroup" << QStringList{"TxtGroupName"} << 60;
    QTest::newRow("template") << "DlgTemplate" << QStringList{} << 50;
    QTest::newRow("resource") << "DlgResource" << QStringList{"TxtResourceName"} << 110;
    QTest::newRow("appointment type") << "DlgApptType" << QStringList{"TxtType"} << 30;
    QTest::newRow("contact") << "DlgContact"
                             << QStringList{"TxtCustomer", "TxtRef01", "TxtRef02", "TxtRef03"}
                             << 70;
}

// Modal and centred over its owner; each text box given the focus from code
// (not by Tab, where a text box selects by itself) selects all its text; the
// Help button opens the window's topic (F1 is tried in tst_help).
void TstDefinitions::eachDialogOpensCentredSelectsAllAndHelps() {
    QFETCH(QString, dialog);
    QFETCH(QStringList, boxes);
    QFETCH(int, help);

    QWidget owner;
    owner.setGeometry(120, 80, 1000, 760);
    owner.show();
    std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog, &owner);
    QVERIFY(dlg->isModal());
    dlg->show();
    const QPoint offset = dlg->geometry().center() - owner.geometry().center();
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("off by %1,%2").arg(offset.x()).arg(offset.y())));

    for (const QString& box : boxes) {
        QLineEdit* text = Text(dlg.get(), box);
        text->setText("Room 12");
        text->setCursorPosition(3);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(text, &focusIn);
        QCOMPARE(box + ": " + text->selectedText(), box + ": Room 12");
    }

    Press(dlg.get(), 2);
    QCOMPARE(helpShown, QList<int>{help});
    QVERIFY(dlg->isVisible());
}

void TstDefinitions::namesAreTrimmedAndStoredExactly_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("blanks around go, blanks inside stay") << QString("   Room  1  ") << "Room  1";
    QTest::newRow("quotes, SQL and non-ASCII letters")
        << " O'Brien's \"big\" ''room'' x'); delete from tblGroups; -- Zürich Łódź 東京 "
        << "O'Brien's \"big\" ''room'' x'); delete from tblGroups; -- Zürich Łódź 東京";
    QTest::newRow("blanks only") << QString("   ") << QString();
}

// Every window trims its text boxes and stores the rest exactly as typed.
void TstDefinitions::namesAreTrimmedAndStoredExactly() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    qint32 groupId = 0;
    const auto save = [&](const QString& dialog, const QStringList& boxes) {
        std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog, nullptr);
        if (auto* contact = qobject_cast<DlgContact*>(dlg.get()))
            contact->SetGroupId(groupId);
        dlg->show();
        for (const QString& box : boxes)
            Text(dlg.get(), box)->setText(typed);
        Press(dlg.get(), 0);
        QCOMPARE(dialog + ' ' + Num(dlg->result()), dialog + ' ' + Num(QDialog::Accepted));
    };
    ModMain::Group().InitBfr();
    save("DlgGroup", {"TxtGroupName"});
    groupId = ModMain::Group().GroupId();
    ModMain::Resource().InitBfr();
    ModMain::Resource().SetGroupId(groupId);
    save("DlgResource", {"TxtResourceName"});
    ModMain::Task().InitBfr();
    ModMain::Task().SetGroupId(groupId);
    save("DlgApptType", {"TxtType"});
    ModMain::Customer().InitBfr();
    save("DlgContact", {"TxtCustomer", "TxtRef01", "TxtRef02", "TxtRef03"});

    for (const char* column :
         {"GroupName from tblGroups", "ResourceName from tblResources", "TaskName from tblTasks",
          "CustomerName from tblCustomers", "Ref01 from tblCustomers", "Ref02 from tblCustomers",
          "Ref03 from tblCustomers"}) {
        const QString query = QStringLiteral("select ") + column;
        QCOMPARE(query + " = " + env->Sql(query).toString(), query + " = " + stored);
    }
    QCOMPARE(Count("tblGroups"), 1);
}

void TstDefinitions::refusedSaveKeepsWindowOpen_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("refusedRow"); // empty: every row
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, const char* dialog, bool editing, const char* refused,
                        const char* message) {
        QTest::newRow(name) << QString(dialog) << editing << QString(refused) << QString(message);
    };
    row("new group", "DlgGroup", false, "", "Unable to save group!");
    row("edited group", "DlgGroup", true, "", "Unable to save group!");
    row("edited resource", "DlgResource", true, "", "Unable to save resource!");
    row("third of three copies", "DlgResource", false, "new.ResourceName = 'Typed #03'",
        "Unable to save resource!");
    row("new appointment type", "DlgApptType", false, "", "Unable to save appointment type!");
    row("new contact", "DlgContact", false, "", "Unable to save contact!");
}

// A record the database does not take leaves its window open with what was
// typed, says so, and stores nothing (no copy, no contact link).
void TstDefinitions::refusedSaveKeepsWindowOpen() {
    QFETCH(QString, dialog);
    QFETCH(bool, editing);
    QFETCH(QString, refusedRow);
    QFETCH(QString, message);
    const QString table = kParts[dialog].at(0);
    const QString box = kParts[dialog].at(1);

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
    const QString before = State();
    env->RefuseWrites(editing ? "update" : "insert", table, "refused by the test", refusedRow);

    std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog, nullptr);
    if (auto* contact = qobject_cast<DlgContact*>(dlg.get()))
        contact->SetGroupId(groupId);
    dlg->show();
    Text(dlg.get(), box)->setText(" Typed ");
    if (dialog == "DlgResource" && !editing)
        Spin(dlg.get(), "SpinCopies", "++");
    Press(dlg.get(), 0);

    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->result() != int(QDialog::Accepted));
    QCOMPARE(Text(dlg.get(), box)->text(), QString(" Typed "));
    QCOMPARE(env->boxes.size(), 1);
    QCOMPARE(env->boxes.at(0).kind, ModMain::BoxKind::Warning);
    QCOMPARE(env->boxes.at(0).text, message);
    QCOMPARE(State(), before);
}

void TstDefinitions::cancelStoresNothingAndEmptiesSharedRecord_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("shown"); // the stored name the window opens with
    QTest::newRow("group") << "DlgGroup" << QString("Rooms");
    QTest::newRow("resource") << "DlgResource" << QString("Room");
    QTest::newRow("appointment type") << "DlgApptType" << QString("Visit");
    QTest::newRow("contact") << "DlgContact" << QString("Ann");
}

// A stored record opens with its name; Cancel after the name, every arrow,
// the colour and a tick were changed stores nothing, and empties the shared
// record so that the next window does not start from what was thrown away.
void TstDefinitions::cancelStoresNothingAndEmptiesSharedRecord() {
    QFETCH(QString, dialog);
    QFETCH(QString, shown);
    const qint32 groupId = AddGroup("Rooms", 480, 1080, 15);
    AddGroup("Staff", 0, 1440, 5);
    ClsGroup& group = ModMain::Group();
    ClsResource& res = ModMain::Resource();
    ClsTask& task = ModMain::Task();
    ClsCustomer& contact = ModMain::Customer();
    res.InitBfr();
    res.SetGroupId(groupId);
    res.SetResourceName("Room");
    const qint32 resourceId = res.Save();
    task.InitBfr();
    task.SetGroupId(groupId);
    task.SetTaskName("Visit");
    const qint32 taskId = task.Save();
    const qint32 ann = AddContact("Ann", {Num(groupId)});
    QVERIFY(group.Load(groupId) && res.Load(resourceId) && task.Load(taskId) && contact.Load(ann));
    task.SetGroupId(groupId);
    const QString before = State();

    std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog, nullptr);
    dlg->show();
    QCOMPARE(Text(dlg.get(), kParts[dialog].at(1))->text(), shown);
    Text(dlg.get(), kParts[dialog].at(1))->setText("Changed");
    for (auto* spin : dlg->findChildren<SpinButtons*>())
        QTest::mouseClick(spin->IncreaseButton(), Qt::LeftButton);
    if (auto* type = qobject_cast<DlgApptType*>(dlg.get())) {
        QTest::mouseClick(type->findChild<QPushButton*>("BtnColour"), Qt::LeftButton);
        QTest::mouseClick(type->Palette(), Qt::LeftButton, {},
                          type->Palette()->CellRect(14).center());
        QCOMPARE(task.Colour(), qint32(0x0080FF));
    }
    if (auto* list = dlg->findChild<QListWidget*>("LbGroups")) {
        list->item(1)->setCheckState(Qt::Checked);
        Text(dlg.get(), "TxtRef02")->setText("ref");
    }
    Press(dlg.get(), 1);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(State(), before);
    const QHash<QString, QString> shared{
        {"DlgGroup", Num(group.GroupId()) + group.GroupName()},
        {"DlgResource", Num(res.ResourceId()) + res.ResourceName()},
        {"DlgApptType", Num(task.TaskId()) + task.TaskName() + ',' + Num(task.Colour())},
        {"DlgContact", Num(contact.CustomerId()) + contact.CustomerName()}};
    QCOMPARE(shared[dialog], QString(dialog == "DlgApptType" ? "0,255" : "0"));
}

void TstDefinitions::spinsStepAndStop_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("interval"); // of the group of the resource or type
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<QString>("labels");

    // Group: start, end, interval, shown as clock times and a duration.
    SpinRow("group: start stops at 0 and steps by 5", "DlgGroup", 0, {10, 1440, 5}, "Start---++++",
            {20, 1440, 5}, "00:20 am|12:00 am|00:05");
    SpinRow("group: start stops an hour before the end", "DlgGroup", 0, {470, 540, 5}, "Start+++",
            {480, 540, 5}, "08:00 am|09:00 am|00:05");
    SpinRow("group: end stops at midnight", "DlgGroup", 0, {0, 1430, 5}, "End++++", {0, 1440, 5},
            "00:00 am|12:00 am|00:05");
    SpinRow("group: end stops an hour after the start", "DlgGroup", 0, {480, 550, 5}, "End---",
            {480, 540, 5}, "08:00 am|09:00 am|00:05");
    SpinRow("group: interval not below 5", "DlgGroup", 0, {0, 1440, 5}, "Interval-+++-",
            {0, 1440, 15}, "00:00 am|12:00 am|00:15");
    SpinRow("group: interval stops at a day", "DlgGroup", 0, {0, 1440, 1430}, "Interval+++",
            {0, 1440, 1440}, "00:00 am|12:00 am|24:00");
    SpinRow("group: interval is a duration whatever the clock", "DlgGroup", 0, {0, 1440, 775},
            "Interval+", {0, 1440, 780}, "00:00 am|12:00 am|13:00");

    // Resource: minimum, maximum, initial length (the step is the group's
    // interval: resourceOpens).
    SpinRow("resource: min pushes max and init", "DlgResource", 15, {15, 60, 30}, "Min++++",
            {75, 75, 75}, "01:15|01:15|01:15");
    SpinRow("resource: min stops at the interval", "DlgResource", 15, {30, 60, 30}, "Min---",
            {15, 60, 30}, "00:15|01:00|00:30");
    SpinRow("resource: min stops at a day", "DlgResource", 15, {1425, 1440, 1440}, "Min++",
            {1440, 1440, 1440}, "24:00|24:00|24:00");
    SpinRow("resource: max pulls min and init", "DlgResource", 15, {60, 60, 60}, "Max--",
            {30, 30, 30}, "00:30|00:30|00:30");
    SpinRow("resource: max stops at the interval", "DlgResource", 15, {15, 30, 15}, "Max---",
            {15, 15, 15}, "00:15|00:15|00:15");
    SpinRow("resource: max stops at a day", "DlgResource", 5, {5, 1435, 5}, "Max++", {5, 1440, 5},
            "00:05|24:00|00:05");
    SpinRow("resource: init held at max", "DlgResource", 15, {30, 60, 45}, "Init+++", {30, 60, 60},
            "00:30|01:00|01:00");
    SpinRow("resource: init held at min", "DlgResource", 15, {30, 60, 45}, "Init----", {30, 60, 30},
            "00:30|01:00|00:30");

    // Appointment type: minimum, maximum, initial length.
    SpinRow("type: min stops at max and pulls init up", "DlgApptType", 15, {15, 45, 30}, "Min+++",
            {45, 45, 45}, "00:45|00:45|00:45");
    SpinRow("type: max stops at min and pulls init down", "DlgApptType", 15, {45, 90, 90},
            "Max-----", {45, 45, 45}, "00:45|00:45|00:45");
    SpinRow("type: max has no bound at a day", "DlgApptType", 15, {15, 1440, 15}, "Max++",
            {15, 1470, 15}, "00:15|24:30|00:15");
    SpinRow("type: max does not wrap round past the longest length", "DlgApptType", 60,
            {60, 32760, 60}, "Max+", {60, 32760, 60}, "01:00|546:00|01:00");
    SpinRow("type: init held at max", "DlgApptType", 15, {30, 60, 45}, "Init+++", {30, 60, 60},
            "00:30|01:00|01:00");
    SpinRow("type: init held at min", "DlgApptType", 15, {30, 60, 45}, "Init---", {30, 60, 30},
            "00:30|01:00|00:30");
    SpinRow("type: min stored below the interval is lifted to it", "DlgApptType", 15, {5, 120, 60},
            "Min-", {15, 120, 60}, "00:15|02:00|01:00");
}

void TstDefinitions::spinsStepAndStop() {
    QFETCH(QString, dialog);
    QFETCH(int, interval);
    QFETCH(QList<int>, before);
    QFETCH(QString, clicks);
    QFETCH(QList<int>, after);
    QFETCH(QString, labels);

    const bool isGroup = dialog == "DlgGroup";
    const qint32 groupId = isGroup ? 0 : AddGroup("Rooms", 0, 1440, interval);
    ClsGroup& group = ModMain::Group();
    std::function<QList<int>()> values;
    if (isGroup) {
        group.InitBfr();
        group.SetDayStart(qint16(before[0]));
        group.SetDayEnd(qint16(before[1]));
        group.SetInterval(qint16(before[2]));
        values = [&] { return QList<int>{group.DayStart(), group.DayEnd(), group.Interval()}; };
    } else if (dialog == "DlgResource") {
        values = Lengths(ModMain::Resource(), groupId, before);
    } else {
        values = Lengths(ModMain::Task(), groupId, before);
    }
    std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog, nullptr);
    dlg->show();
    const qsizetype arrows = clicks.indexOf(QRegularExpression("[+-]"));
    Spin(dlg.get(), "Spin" + clicks.left(arrows), clicks.mid(arrows));
    QCOMPARE(values(), after);
    QCOMPARE(Labels(dlg.get(), isGroup ? QStringList{"LblStart", "LblEnd", "LblInterval"}
                                       : QStringList{"LblMin", "LblMax", "LblInit"}),
             labels);
    // Arrows never reach the database.
    QCOMPARE(Count("tblGroups") + Count("tblResources") + Count("tblTasks"), isGroup ? 0 : 1);
}

// ---------------------------------------------------------------- templates

void TstDefinitions::templateList_data() {
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("no file") << QByteArray() << QStringList{};
    QTest::newRow("lines that name no template")
        << QByteArray("DayStart=480\r\n[Rooms\r\n[]\r\n[   ]\r\nRooms]\r\n") << QStringList{};
    QTest::newRow("file order, blanks trimmed, comment skipped")
        << QByteArray("[Zeta]\r\nDayStart=480\r\n; kept by hand\r\n[ alpha ]\n[Mid]\n")
        << QStringList{"Zeta", "alpha", "Mid"};
    QTest::newRow("brackets inside a name")
        << QByteArray("[Rooms [12]]\r\nDayStart=0\r\n") << QStringList{"Rooms [12]"};
}

// The list shows the templates of Groups.ini, and Load makes a group of the
// first, named after it and its identifier (the group's content is checked in
// tst_templates). Opened again after the file has gone the window shows none
// (no stale entry), and Load then does nothing and keeps the window open.
void TstDefinitions::templateList() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, entries);
    if (!content.isNull()) {
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
    if (!entries.isEmpty()) {
        Press(&dlg, 0);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const qint32 id = ModMain::Group().GroupId();
        QCOMPARE(env->Sql("select GroupName from tblGroups where GroupId = " + Num(id)).toString(),
                 QString("%1 [%2]").arg(entries.first()).arg(id));
    }

    dlg.hide();
    QFile::remove(ClsGroup::TemplateFile());
    dlg.show();
    QCOMPARE(list->count(), 0);
    ModMain::Group().InitBfr();
    Press(&dlg, 0);
    QVERIFY(dlg.isVisible());
    QCOMPARE(Count("tblGroups"), entries.isEmpty() ? 0 : 1);
    QCOMPARE(ModMain::Group().GroupId(), 0);
    Press(&dlg, 1);
    QVERIFY(!dlg.isVisible());
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
    QCOMPARE(Labels(&dlg, {"LblMin", "LblMax", "LblInit", "LblCopies"}),
             "00:30|02:00|00:45|" + copiesLabel);
    QCOMPARE(dlg.findChild<SpinButtons*>("SpinCopies")->isEnabled(), copiesEnabled);
    // Copies stay between 1 and 99.
    Spin(&dlg, "SpinCopies", "--+");
    QCOMPARE(dlg.CopyCount(), editing ? 1 : 2);
    Spin(&dlg, "SpinCopies", QString(110, '+') + "-");
    QCOMPARE(dlg.CopyCount(), editing ? 1 : 98);
    QCOMPARE(Labels(&dlg, {"LblCopies"}), editing ? "" : QString("98"));
    // The times step by the slot of the resource's own group.
    Spin(&dlg, "SpinMin", "+");
    QCOMPARE(int(res.MinTime()), 45);
    QCOMPARE(Labels(&dlg, {"LblMin"}), QString("00:45"));
    dlg.hide();
    dlg.show(); // every opening starts again from one copy
    QCOMPARE(dlg.CopyCount(), 1);
    QCOMPARE(Labels(&dlg, {"LblCopies"}), copiesLabel);
}

// Copies are numbered after the typed name; the shared resource ends holding
// the last one stored.
void TstDefinitions::resourceSaveCopies() {
    const qint32 groupId = AddGroup("Rooms", 480, 1020, 15);
    ClsResource& res = ModMain::Resource();
    res.InitBfr();
    res.SetGroupId(groupId);
    DlgResource dlg;
    dlg.show();
    Text(&dlg, "TxtResourceName")->setText(" Room ");
    Spin(&dlg, "SpinMax", "-");
    Spin(&dlg, "SpinCopies", "++");
    Press(&dlg, 0);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(
        env->Sql("select group_concat(r, ';') from (select ResourceName || ',' || GroupId || "
                 "',' || MinTime || ',' || MaxTime || ',' || InitTime as r from tblResources "
                 "order by ResourceId) as listed")
            .toString(),
        QString("Room #01,%1,15,525,15;Room #02,%1,15,525,15;Room #03,%1,15,525,15").arg(groupId));
    QCOMPARE(res.ResourceName(), QString("Room #03"));
    QCOMPARE(res.ResourceId(), env->Sql("select max(ResourceId) from tblResources").toInt());
}

// ---------------------------------------------------------------- appointment types

void TstDefinitions::apptTypeColourPickedAndSaved() {
    const qint32 groupId = AddGroup("Rooms", 0, 1440, 15);
    ClsTask& task = ModMain::Task();
    task.InitBfr();
    task.SetGroupId(groupId);
    task.SetTaskName("Consultation");
    const qint32 id = task.Save();
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

    Press(&dlg, 0);
    QCOMPARE(Count("tblTasks"), 1);
    QCOMPARE(task.TaskId(), id);
    QCOMPARE(
        env->Sql("select Colour || '|' || MaxTime || '|' || TaskName from tblTasks").toString(),
        QString("33023|1425|Consultation"));
}

// ---------------------------------------------------------------- contacts

// A new contact opened from a group that is not in the list has nothing
// ticked; Save then says so, keeps the window open and stores nothing.
void TstDefinitions::contactWithoutAGroupIsRefused() {
    AddGroup("Alpha", 0, 1440, 5);
    ModMain::Customer().InitBfr();
    DlgContact dlg;
    dlg.SetGroupId(9999);
    dlg.show();
    QVERIFY(!dlg.CheckGroups());
    Text(&dlg, "TxtCustomer")->setText("Ann");
    Press(&dlg, 0);
    QCOMPARE(env->boxes.size(), 1);
    QCOMPARE(env->boxes.at(0).kind, ModMain::BoxKind::Warning);
    QCOMPARE(env->boxes.at(0).title, QString("Error!"));
    QCOMPARE(env->boxes.at(0).text, QString("No groups are selected!"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(Count("tblCustomers") + Count("tblCustomerGroups"), 0);
}

void TstDefinitions::contactLinks_data() {
    QTest::addColumn<QStringList>("linked"); // link rows before (a name twice: two rows)
    QTest::addColumn<QStringList>("toggle"); // entries the user ticks or unticks
    QTest::addColumn<int>("saves");
    QTest::addColumn<QString>("after");
    // Opened from Beta: a new contact starts with Beta ticked, a stored one
    // with its own links.
    QTest::newRow("new contact ticked in one more group")
        << QStringList{} << QStringList{"Gamma"} << 1 << "Beta,Gamma";
    QTest::newRow("one ticked, one unticked")
        << QStringList{"Alpha"} << QStringList{"Alpha", "Beta"} << 1 << "Beta";
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
        Press(&dlg, 0);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    const qint32 ann = ModMain::Customer().CustomerId();
    QVERIFY(ann != 0);
    QCOMPARE(Count("tblCustomers"), 2);
    QCOMPARE(Links(ann), after);
    QCOMPARE(Links(other), QString("Alpha,Beta"));
}

QTEST_MAIN(TstDefinitions)
#include "tst_definitions.moc"

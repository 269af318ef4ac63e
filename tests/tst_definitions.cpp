// The definition windows: group, template, resource, appointment type and
// contact, driven as a user drives them (arrow clicks, buttons, ticks) and
// checked against the shared records, the database and the template file.
#include "TestEnv.h"

#include "base/Messages.h"
#include "data/ClsDAO.h"
#include "model/ClsCustomer.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "model/ClsResource.h"
#include "model/ClsTask.h"
#include "model/Records.h"
#include "ui/controls/ColourPalette.h"
#include "ui/controls/SpinButtons.h"
#include "ui/definitions/DlgApptType.h"
#include "ui/definitions/DlgContact.h"
#include "ui/definitions/DlgGroup.h"
#include "ui/definitions/DlgResource.h"
#include "ui/definitions/DlgTemplate.h"
#include "ui/help/ContextIDs.h"

#include <QtTest>
#include <QtWidgets>
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
    for (const QString& name : names)
        texts << dlg->findChild<QLabel*>(name)->text();
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
    QTest::mouseClick(found.at(0), Qt::LeftButton);
}

std::unique_ptr<DefinitionDialog> MakeDialog(const QString& name) {
    if (name == "DlgGroup")
        return std::make_unique<DlgGroup>();
    if (name == "DlgResource")
        return std::make_unique<DlgResource>();
    if (name == "DlgApptType")
        return std::make_unique<DlgApptType>();
    return std::make_unique<DlgContact>();
}

// The table each window writes and the text box of the name.
const QHash<QString, QStringList> kParts{
    {"DlgGroup", {"tblGroups", "TxtGroupName"}},
    {"DlgResource", {"tblResources", "TxtResourceName"}},
    {"DlgApptType", {"tblTasks", "TxtType"}},
    {"DlgContact", {"tblCustomers", "TxtCustomer"}},
};

// A row of spinsStepAndStop, its window named by the first word: the group's start, end and
// interval, or the minimum, maximum and initial length; labels, where given, as shown.
void SpinRow(const char* name, int interval, const char* before, const char* clicks,
             const char* after, const char* labels = "") {
    const QString window = QString(name).section(':', 0, 0);
    QTest::newRow(name) << (window == "group"      ? "DlgGroup"
                            : window == "resource" ? "DlgResource"
                                                   : "DlgApptType")
                        << interval << QString(before) << QString(clicks) << QString(after)
                        << QString(labels);
}

QList<int> Ints(const QString& text) {
    QList<int> values;
    for (const QString& v : text.split(' '))
        values << v.toInt();
    return values;
}

// The minimum, maximum and initial length of a resource or appointment type.
template <class Record> void SetLengths(Record& r, qint32 groupId, const QList<int>& v) {
    r.InitBfr();
    r.SetGroupId(groupId);
    r.SetMinTime(qint16(v[0]));
    r.SetMaxTime(qint16(v[1]));
    r.SetInitTime(qint16(v[2]));
}
template <class Record> QList<int> Lengths(const Record& r) {
    return {r.MinTime(), r.MaxTime(), r.InitTime()};
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
    // Group Rooms (08:00 to 17:00 by 15 minutes) with resource Room, type
    // Visit (red) and contact Ann, and group Staff; the shared records hold
    // Rooms and what it holds. Returns the identifier of Rooms.
    qint32 Rooms() {
        const qint32 id = AddGroup("Rooms", 480, 1020, 15);
        AddGroup("Staff", 0, 1440, 5);
        env->Sql(QString("insert into tblResources (GroupId, ResourceName, MinTime, MaxTime, "
                         "InitTime) values (%1, 'Room', 15, 540, 15)")
                     .arg(id));
        env->Sql(QString("insert into tblTasks (GroupId, TaskName, Colour, MinTime, MaxTime, "
                         "InitTime) values (%1, 'Visit', 255, 15, 540, 15)")
                     .arg(id));
        const bool loaded = Records::Group().Load(id) && Records::Resource().Load(1) &&
                            Records::Task().Load(1) &&
                            Records::Customer().Load(AddContact("Ann", {Num(id)}));
        Records::Task().SetGroupId(id);
        return loaded ? id : 0;
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
    int Count(const QString& table) { return env->Count(table); }
    // Everything the windows write, to tell what was stored.
    QString State() {
        QStringList state;
        for (const char* rows :
             {"GroupName || ',' || DayStart || ',' || DayEnd || ',' || Interval as r from "
              "tblGroups order by GroupId",
              "ResourceName || ',' || MinTime || ',' || MaxTime || ',' || InitTime as r from "
              "tblResources order by ResourceId",
              "TaskName || ',' || Colour || ',' || MaxTime as r from tblTasks order by TaskId",
              "CustomerName || ',' || Ref01 || ',' || Ref02 || ',' || Ref03 as r from "
              "tblCustomers order by CustomerId"})
            state << env->Sql(
                            QString("select group_concat(r, ';') from (select %1) as t").arg(rows))
                         .toString();
        return state.join('|') + '|' + Num(Count("tblCustomerGroups"));
    }

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void init();
    void cleanup();

    void refusedSaveKeepsWindowOpen_data();
    void refusedSaveKeepsWindowOpen();
    void storedRecordEditedThenCancelledOrSaved_data();
    void storedRecordEditedThenCancelledOrSaved();
    void spinsStepAndStop_data();
    void spinsStepAndStop();
    void templateList_data();
    void templateList();
    void resourceOpensAndSavesCopies_data();
    void resourceOpensAndSavesCopies();
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

void TstDefinitions::refusedSaveKeepsWindowOpen_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("refusedRow"); // empty: every row
    QTest::addColumn<QString>("elsewhere");  // another workstation's statements once it is open
    QTest::addColumn<QString>("message");    // title: text, or the record of "Unable to save"
    QTest::addColumn<QString>("second");     // State() after Save again; empty: not pressed
    const auto row = [](const char* name, const char* dialog, bool editing, const char* refused,
                        const QString& message, const char* elsewhere = "",
                        const char* second = "") {
        QTest::newRow(name) << QString(dialog) << editing << QString(refused) << QString(elsewhere)
                            << message << QString(second);
    };
    row("new group", "DlgGroup", false, "", "group");
    row("edited group", "DlgGroup", true, "", "group");
    row("edited resource", "DlgResource", true, "", "resource");
    row("third of three copies", "DlgResource", false, "new.ResourceName = 'Typed #03'",
        "resource");
    row("new appointment type", "DlgApptType", false, "", "appointment type");
    row("new contact", "DlgContact", false, "", "contact");
    // Opened from a group that is not in the list, nothing is ticked.
    row("new contact in no group", "DlgContact", false, "<no group>",
        "Error!: No groups are selected!");

    // Saved again, the record goes over the other workstation's change, or in as a new row.
    const auto changed = [](const char* record) {
        return QString("Warning!: This %1 was changed at another workstation.\nNothing was saved. "
                       "Press Save again to replace their change with what this window shows, "
                       "or Cancel to keep their change.")
            .arg(record);
    };
    const auto deleted = [](const char* record) {
        return QString("Warning!: This %1 was deleted at another workstation.\nNothing was saved. "
                       "Press Save again to save what this window shows as a new %1, or Cancel.")
            .arg(record);
    };
    row("group changed elsewhere", "DlgGroup", true, "", changed("group"),
        "update tblGroups set DayStart = 420, GroupName = 'Theirs' where GroupId = 1",
        "Typed,480,1020,15;Staff,0,1440,5|Room,15,540,15|Visit,255,540|Ann,,,|1");
    row("group deleted elsewhere", "DlgGroup", true, "", deleted("group"),
        "delete from tblGroups where GroupId = 1",
        "Staff,0,1440,5;Typed,480,1020,15|Room,15,540,15|Visit,255,540|Ann,,,|1");
    row("resource changed elsewhere", "DlgResource", true, "", changed("resource"),
        "update tblResources set MaxTime = 600 where ResourceId = 1",
        "Rooms,480,1020,15;Staff,0,1440,5|Typed,15,540,15|Visit,255,540|Ann,,,|1");
    row("resource deleted elsewhere", "DlgResource", true, "", deleted("resource"),
        "delete from tblResources where ResourceId = 1",
        "Rooms,480,1020,15;Staff,0,1440,5|Typed,15,540,15|Visit,255,540|Ann,,,|1");
    row("type changed elsewhere", "DlgApptType", true, "", changed("appointment type"),
        "update tblTasks set Colour = 65280 where TaskId = 1",
        "Rooms,480,1020,15;Staff,0,1440,5|Room,15,540,15|Typed,255,540|Ann,,,|1");
    row("type deleted elsewhere", "DlgApptType", true, "", deleted("appointment type"),
        "delete from tblTasks where TaskId = 1",
        "Rooms,480,1020,15;Staff,0,1440,5|Room,15,540,15|Typed,255,540|Ann,,,|1");
    // The contact's group links are stored with it or not at all.
    row("contact changed elsewhere", "DlgContact", true, "", changed("contact"),
        "update tblCustomers set Ref01 = 'Theirs' where CustomerId = 1",
        "Rooms,480,1020,15;Staff,0,1440,5|Room,15,540,15|Visit,255,540|Typed,,,|1");
    row("contact deleted elsewhere", "DlgContact", true, "", deleted("contact"),
        "delete from tblCustomers where CustomerId = 1;"
        "delete from tblCustomerGroups where CustomerId = 1",
        "Rooms,480,1020,15;Staff,0,1440,5|Room,15,540,15|Visit,255,540|Typed,,,|1");
}

// A record the database does not take, or that another workstation changed or deleted since it
// was loaded, leaves its window open with what was typed, says so, and stores nothing (no copy,
// no contact link).
void TstDefinitions::refusedSaveKeepsWindowOpen() {
    QFETCH(QString, dialog);
    QFETCH(bool, editing);
    QFETCH(QString, refusedRow);
    QFETCH(QString, elsewhere);
    QFETCH(QString, message);
    QFETCH(QString, second);
    if (!message.contains(':'))
        message = "Warning!: Unable to save " + message + '!';
    const QString table = kParts[dialog].at(0);
    const QString box = kParts[dialog].at(1);

    const qint32 groupId = Rooms();
    QVERIFY(groupId);
    if (!editing) {
        Records::Group().InitBfr();
        Records::Resource().InitBfr();
        Records::Resource().SetGroupId(groupId);
        Records::Task().InitBfr();
        Records::Task().SetGroupId(groupId);
        Records::Customer().InitBfr();
    }
    if (refusedRow != "<no group>" && elsewhere.isEmpty())
        env->RefuseWrites(editing ? "update" : "insert", table, "refused by the test", refusedRow);

    std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog);
    if (auto* contact = qobject_cast<DlgContact*>(dlg.get()))
        contact->SetGroupId(refusedRow == "<no group>" ? 9999 : groupId);
    dlg->show();
    Text(dlg.get(), box)->setText(" Typed ");
    if (dialog == "DlgResource" && !editing)
        Spin(dlg.get(), "SpinCopies", "++");
    for (const QString& sql : elsewhere.split(';', Qt::SkipEmptyParts))
        env->Sql(sql);
    const QString before = State();
    Press(dlg.get(), 0);

    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->result() != int(QDialog::Accepted));
    QCOMPARE(Text(dlg.get(), box)->text(), QString(" Typed "));
    QCOMPARE(env->boxes.size(), 1);
    QCOMPARE(env->boxes.at(0).kind, Messages::BoxKind::Warning);
    QCOMPARE(env->boxes.at(0).title + ": " + env->boxes.at(0).text, message);
    QCOMPARE(State(), before);
    if (second.isEmpty())
        return;
    Press(dlg.get(), 0);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(env->boxes.size(), 1);
    QCOMPARE(State(), second);
}

void TstDefinitions::storedRecordEditedThenCancelledOrSaved_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("shown");  // the stored name the window opens with
    QTest::addColumn<int>("help");       // the topic of its Help button (F1: tst_help)
    QTest::addColumn<QString>("stored"); // State() after Save, <t> the typed text; empty: Cancel
    QTest::newRow("group cancelled") << "DlgGroup" << QString("Rooms") << 60 << QString();
    QTest::newRow("resource cancelled") << "DlgResource" << QString("Room") << 110 << QString();
    QTest::newRow("type cancelled") << "DlgApptType" << QString("Visit") << 30 << QString();
    QTest::newRow("contact cancelled") << "DlgContact" << QString("Ann") << 70 << QString();
    QTest::newRow("group saved")
        << "DlgGroup" << QString("Rooms") << 60
        << "<t>,485,1025,20;Staff,0,1440,5|Room,15,540,15|Visit,255,540|Ann,,,|1";
    QTest::newRow("resource saved")
        << "DlgResource" << QString("Room") << 110
        << "Rooms,480,1020,15;Staff,0,1440,5|<t>,30,555,45|Visit,255,540|Ann,,,|1";
    QTest::newRow("type saved")
        << "DlgApptType" << QString("Visit") << 30
        << "Rooms,480,1020,15;Staff,0,1440,5|Room,15,540,15|<t>,33023,555|Ann,,,|1";
    QTest::newRow("contact saved, ticked in Staff too")
        << "DlgContact" << QString("Ann") << 70
        << "Rooms,480,1020,15;Staff,0,1440,5|Room,15,540,15|Visit,255,540|<t>,<t>,<t>,<t>|2";
}

// A stored record opens with its name; its texts, arrows, colour and ticks are changed. Save
// updates it in place, the texts trimmed and otherwise as typed. Cancel stores nothing and
// empties the shared record, so that the next window does not start from what was thrown away.
void TstDefinitions::storedRecordEditedThenCancelledOrSaved() {
    QFETCH(QString, dialog);
    QFETCH(QString, shown);
    QFETCH(int, help);
    QFETCH(QString, stored);
    QVERIFY(Rooms());
    const QString before = State();
    std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog);
    dlg->show();
    QCOMPARE(Text(dlg.get(), kParts[dialog].at(1))->text(), shown);
    Press(dlg.get(), 2);
    QCOMPARE(helpShown, QList<int>{help});
    const QString typed = "  O'Brien's  \"big\" x'); delete from tblGroups; -- Zürich 東京 ";
    for (QLineEdit* box : dlg->findChildren<QLineEdit*>())
        box->setText(typed);
    for (auto* spin : dlg->findChildren<SpinButtons*>())
        QTest::mouseClick(spin->IncreaseButton(), Qt::LeftButton);
    if (auto* type = qobject_cast<DlgApptType*>(dlg.get())) {
        // The palette opens on the type's colour; orange changes the shared type.
        QTest::mouseClick(type->findChild<QPushButton*>("BtnColour"), Qt::LeftButton);
        QCOMPARE(type->Palette()->SelectedIndex(), 8);
        QTest::mouseClick(type->Palette(), Qt::LeftButton, {},
                          type->Palette()->CellRect(14).center());
        QVERIFY(!type->Palette()->isVisible());
        QCOMPARE(Records::Task().Colour(), qint32(0x0080FF));
    }
    if (auto* list = dlg->findChild<QListWidget*>("LbGroups"))
        list->item(1)->setCheckState(Qt::Checked);
    QCOMPARE(State(), before);
    Press(dlg.get(), stored.isEmpty() ? 1 : 0);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(State(), stored.isEmpty() ? before : stored.replace("<t>", typed.trimmed()));
    const QHash<QString, std::pair<qint32, QString>> shared{
        {"DlgGroup", {Records::Group().GroupId(), Records::Group().GroupName()}},
        {"DlgResource", {Records::Resource().ResourceId(), Records::Resource().ResourceName()}},
        {"DlgApptType",
         {Records::Task().TaskId(),
          Records::Task().TaskName() + ',' + Num(Records::Task().Colour())}},
        {"DlgContact", {Records::Customer().CustomerId(), Records::Customer().CustomerName()}}};
    const bool saved = !stored.isEmpty();
    QCOMPARE(shared[dialog].first != 0, saved);
    QCOMPARE(shared[dialog].second, (saved ? typed.trimmed() : "") + (dialog != "DlgApptType" ? ""
                                                                      : saved ? ",33023"
                                                                              : ",255"));
}

void TstDefinitions::spinsStepAndStop_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("interval"); // of the group of the resource or type
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("labels");
    // Group: start and end are clock times, the interval a duration.
    SpinRow("group: start stops at 0 and steps by 5", 0, "10 1440 5", "Start---++++", "20 1440 5",
            "00:20 am|12:00 am|00:05");
    SpinRow("group: start stops an hour before the end", 0, "470 540 5", "Start+++", "480 540 5");
    SpinRow("group: end stops at midnight", 0, "0 1430 5", "End++++", "0 1440 5");
    SpinRow("group: end stops an hour after the start", 0, "480 550 5", "End---", "480 540 5");
    SpinRow("group: interval not below 5", 0, "0 1440 5", "Interval-+++-", "0 1440 15");
    SpinRow("group: interval stops at a day", 0, "0 1440 1430", "Interval+++", "0 1440 1440",
            "00:00 am|12:00 am|24:00");
    // Resource: the step is the group's interval (resourceOpens).
    SpinRow("resource: min pushes max and init", 15, "15 60 30", "Min++++", "75 75 75",
            "01:15|01:15|01:15");
    SpinRow("resource: min stops at the interval", 15, "30 60 30", "Min---", "15 60 30");
    SpinRow("resource: min stops at a day", 15, "1425 1440 1440", "Min++", "1440 1440 1440");
    SpinRow("resource: max pulls min and init", 15, "60 60 60", "Max--", "30 30 30");
    SpinRow("resource: max stops at the interval", 15, "15 30 15", "Max---", "15 15 15");
    SpinRow("resource: max stops at a day", 5, "5 1435 5", "Max++", "5 1440 5");
    SpinRow("resource: init held at max", 15, "30 60 45", "Init+++", "30 60 60");
    SpinRow("resource: init held at min", 15, "30 60 45", "Init----", "30 60 30");
    SpinRow("type: min stops at max and pulls init up", 15, "15 45 30", "Min+++", "45 45 45");
    SpinRow("type: max stops at min and pulls init down", 15, "45 90 90", "Max-----", "45 45 45");
    SpinRow("type: max has no bound at a day", 15, "15 1440 15", "Max++", "15 1470 15");
    SpinRow("type: max does not wrap round past the longest length", 60, "60 32760 60", "Max+",
            "60 32760 60", "01:00|546:00|01:00");
    SpinRow("type: init held at max", 15, "30 60 45", "Init+++", "30 60 60");
    SpinRow("type: init held at min", 15, "30 60 45", "Init---", "30 60 30");
    SpinRow("type: min stored below the interval is lifted to it", 15, "5 120 60", "Min-",
            "15 120 60");
}

// The arrows change the shared record and the labels, never the database.
void TstDefinitions::spinsStepAndStop() {
    QFETCH(QString, dialog);
    QFETCH(int, interval);
    QFETCH(QString, before);
    QFETCH(QString, clicks);
    QFETCH(QString, after);
    QFETCH(QString, labels);
    const QList<int> v = Ints(before);
    ClsGroup& group = Records::Group();
    const bool isGroup = dialog == "DlgGroup";
    if (isGroup) {
        group.InitBfr();
        group.SetDayStart(qint16(v[0]));
        group.SetDayEnd(qint16(v[1]));
        group.SetInterval(qint16(v[2]));
    } else {
        const qint32 groupId = AddGroup("Rooms", 0, 1440, interval);
        SetLengths(Records::Resource(), groupId, v);
        SetLengths(Records::Task(), groupId, v);
    }
    std::unique_ptr<DefinitionDialog> dlg = MakeDialog(dialog);
    dlg->show();
    const qsizetype arrows = clicks.indexOf(QRegularExpression("[+-]"));
    Spin(dlg.get(), "Spin" + clicks.left(arrows), clicks.mid(arrows));
    const QList<int> a = Ints(after);
    const QList<int> got = isGroup ? QList<int>{group.DayStart(), group.DayEnd(), group.Interval()}
                           : dialog == "DlgResource" ? Lengths(Records::Resource())
                                                     : Lengths(Records::Task());
    QCOMPARE(got, a);
    const auto d = [](int minutes) { return ClsDate::ShowMinutes(minutes); };
    if (labels.isEmpty())
        labels = (isGroup ? ClsDate::ShowTime(a[0], true) + '|' + ClsDate::ShowTime(a[1], true)
                          : d(a[0]) + '|' + d(a[1])) +
                 '|' + d(a[2]);
    QCOMPARE(Labels(dlg.get(), isGroup ? QStringList{"LblStart", "LblEnd", "LblInterval"}
                                       : QStringList{"LblMin", "LblMax", "LblInit"}),
             labels);
    QCOMPARE(Count("tblGroups") + Count("tblResources") + Count("tblTasks"), isGroup ? 0 : 1);
}

// ---------------------------------------------------------------- templates

void TstDefinitions::templateList_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("lines that name no template")
        << QByteArray("DayStart=480\r\n[Rooms\r\n[]\r\n[   ]\r\nRooms]\r\n") << QStringList{};
    QTest::newRow("file order, blanks trimmed, comment skipped")
        << QByteArray("[Zeta]\r\nDayStart=480\r\n; kept by hand\r\n[ alpha ]\n[Mid]\n")
        << QStringList{"Zeta", "alpha", "Mid"};
}

// The list shows the templates of Groups.ini, and Load makes a group of the
// first, named after it and its identifier (the group's content is checked in
// tst_templates). Opened again after the file has gone the window shows none
// (no stale entry), and Load then does nothing and keeps the window open.
void TstDefinitions::templateList() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, entries);
    QFile file(ClsGroup::TemplateFile());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
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
        const qint32 id = Records::Group().GroupId();
        QCOMPARE(env->Sql("select GroupName from tblGroups where GroupId = " + Num(id)).toString(),
                 QString("%1 [%2]").arg(entries.first()).arg(id));
    }

    dlg.hide();
    QFile::remove(ClsGroup::TemplateFile());
    dlg.show();
    QCOMPARE(list->count(), 0);
    Records::Group().InitBfr();
    Press(&dlg, 0);
    QVERIFY(dlg.isVisible());
    QCOMPARE(Count("tblGroups"), entries.isEmpty() ? 0 : 1);
    QCOMPARE(Records::Group().GroupId(), 0);
    Press(&dlg, 2);
    QCOMPARE(helpShown, QList<int>{50});
    Press(&dlg, 1);
    QVERIFY(!dlg.isVisible());
}

// ---------------------------------------------------------------- resources

void TstDefinitions::resourceOpensAndSavesCopies_data() {
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("stored"); // after Save: name, minimum, maximum, initial length
    QTest::newRow("new resource: numbered copies")
        << false << "Room 1 #01,45,120,45;Room 1 #02,45,120,45;Room 1 #03,45,120,45";
    QTest::newRow("stored resource: one copy, updated") << true << "Room 1,45,120,45";
}

// Copies stay between 1 and 99 and start from one at every opening; a stored resource has none.
// The times step by its own group's slot. The shared resource holds the last one stored.
void TstDefinitions::resourceOpensAndSavesCopies() {
    QFETCH(bool, editing);
    QFETCH(QString, stored);
    const qint32 groupId = AddGroup("Rooms", 480, 1020, 15);
    ClsResource& res = Records::Resource();
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
    QCOMPARE(Labels(&dlg, {"LblMin", "LblMax", "LblInit", "LblCopies"}),
             QString("00:30|02:00|00:45|") + (editing ? "" : "1"));
    Spin(&dlg, "SpinCopies", "--+");
    QCOMPARE(dlg.CopyCount(), editing ? 1 : 2);
    Spin(&dlg, "SpinCopies", QString(110, '+') + "-");
    QCOMPARE(dlg.CopyCount(), editing ? 1 : 98);
    Spin(&dlg, "SpinMin", "+");
    QCOMPARE(int(res.MinTime()), 45);
    dlg.hide();
    dlg.show();
    QCOMPARE(dlg.CopyCount(), 1);
    Text(&dlg, "TxtResourceName")->setText(" Room 1 ");
    Spin(&dlg, "SpinCopies", "++");
    Press(&dlg, 0);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(env->Sql("select group_concat(r, ';') from (select ResourceName || ',' || MinTime || "
                      "',' || MaxTime || ',' || InitTime as r from tblResources where GroupId = " +
                      Num(groupId) + " order by ResourceId) as listed")
                 .toString(),
             stored);
    QCOMPARE(res.ResourceName(), stored.section(',', -4, -4).section(';', -1));
    QCOMPARE(res.ResourceId(), env->Sql("select max(ResourceId) from tblResources").toInt());
}

// ---------------------------------------------------------------- contacts

// A new contact opened from Beta starts with Beta ticked, a stored one
// opened from Alpha with its own links. Save writes one link row per ticked
// group, also where there were two, and leaves other contacts' links alone.
void TstDefinitions::contactLinks() {
    QHash<QString, qint32> ids;
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        ids.insert(name, AddGroup(name, 0, 1440, 5));
    const qint32 other = AddContact("Other", {Num(ids["Alpha"]), Num(ids["Beta"])});
    Records::Customer().InitBfr();
    for (int round = 0; round < 3; ++round) {
        DlgContact dlg;
        dlg.SetGroupId(ids[round == 0 ? "Beta" : "Alpha"]);
        dlg.show();
        if (round == 0) {
            Text(&dlg, "TxtCustomer")->setText("Ann");
            auto* list = dlg.findChild<QListWidget*>("LbGroups");
            list->findItems("Gamma", Qt::MatchExactly).value(0)->setCheckState(Qt::Checked);
        }
        Press(&dlg, 0);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const qint32 ann = Records::Customer().CustomerId();
        QCOMPARE(Links(ann), QString("Beta,Gamma"));
        env->Sql(QString("insert into tblCustomerGroups (CustomerId, GroupId) values (%1, %2)")
                     .arg(ann)
                     .arg(ids["Gamma"]));
    }
    QCOMPARE(Count("tblCustomers"), 2);
    QCOMPARE(Links(other), QString("Alpha,Beta"));
}

QTEST_MAIN(TstDefinitions)
#include "tst_definitions.moc"

// Group templates in Groups.ini: what SaveTemplate writes, what LoadTemplate
// makes of complete, incomplete and damaged files.

#include "TestEnv.h"
#include "base/EventPump.h"
#include "base/Messages.h"
#include "frame/ModMain.h"
#include "model/Records.h"

#include "model/ClsGroup.h"
#include "model/ClsResource.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <memory>

class TstTemplates : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;

    QString TemplatePath() const { return env->Path(QStringLiteral("Groups.ini")); }
    QStringList TemplateLines() const {
        QFile file(TemplatePath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    void WriteTemplate(const QStringList& lines) {
        QFile file(TemplatePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    }
    qint32 AddGroup(const QString& name, int dayStart, int dayEnd, int interval) {
        ClsGroup g;
        g.SetGroupName(name);
        g.SetDayStart(qint16(dayStart));
        g.SetDayEnd(qint16(dayEnd));
        g.SetInterval(qint16(interval));
        return g.Save();
    }
    qint32 AddResource(qint32 groupId, const QString& name, int minTime, int maxTime,
                       int initTime) {
        ClsResource r;
        r.SetGroupId(groupId);
        r.SetResourceName(name);
        r.SetMinTime(qint16(minTime));
        r.SetMaxTime(qint16(maxTime));
        r.SetInitTime(qint16(initTime));
        return r.Save();
    }
    // One group per line, with its resources in the given order.
    QString Group(int id, const char* order = "ResourceId") {
        const QString where = " where GroupId = " + QString::number(id);
        const QString line = env->Sql("select GroupName || ' ' || DayStart || '-' || DayEnd || "
                                      "'/' || Interval from tblGroups" + where).toString();
        const QString resources =
            env->Sql(QStringLiteral("select group_concat(x, '; ') from (select ResourceName || ' ' "
                                    "|| MinTime || '/' || MaxTime || '/' || InitTime as x from "
                                    "tblResources%1 order by %2) as listed").arg(where, order))
                .toString();
        return resources.isEmpty() ? line : line + ": " + resources;
    }
    QStringList Groups() {
        QStringList out;
        for (int id = 1, n = env->Sql("select max(GroupId) from tblGroups").toInt(); id <= n; ++id)
            out << Group(id);
        return out;
    }

private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void init() {
        env = std::make_unique<TestEnv>();
        QVERIFY(env->Start());
    }
    void cleanup() { env.reset(); }

    // Other workstations and older versions read Groups.ini by these keys.
    void saveWritesKeysInOrder() {
        const qint32 id = AddGroup(QStringLiteral("Rooms"), 480, 1080, 15);
        AddResource(id, QStringLiteral("Room 1"), 15, 600, 15);
        Records::Group().SaveTemplate(id);
        QCOMPARE(TemplateLines(), (QStringList{"[Rooms]", "DayStart=480", "DayEnd=1080",
                                               "Interval=15", "ResName001=Room 1", "ResMin001=15",
                                               "ResMax001=600", "ResInit001=15", "Resources=1"}));
        QCOMPARE(env->boxes.size(), 1);
        QCOMPARE(env->boxes[0].kind, Messages::BoxKind::Information);
        QCOMPARE(env->boxes[0].text, QStringLiteral("Group saved!"));
        QCOMPARE(Records::Group().GroupId(), id);
    }

    void saveOverSmallerTemplateKeepsOldKeys() {
        const qint32 id = AddGroup(QStringLiteral("Rooms"), 480, 1080, 15);
        const qint32 r1 = AddResource(id, QStringLiteral("Room 1"), 15, 600, 15);
        AddResource(id, QStringLiteral("Room 2"), 30, 300, 30);
        Records::Group().SaveTemplate(id);
        Records::Resource().Delete(r1);
        Records::Group().SaveTemplate(id);
        // Keys of the former second resource stay, ignored as Resources is 1.
        QCOMPARE(TemplateLines(),
                 (QStringList{"[Rooms]", "DayStart=480", "DayEnd=1080", "Interval=15",
                              "ResName001=Room 2", "ResMin001=30", "ResMax001=300", "ResInit001=30",
                              "ResName002=Room 2", "ResMin002=30", "ResMax002=300", "ResInit002=30",
                              "Resources=1"}));
        Records::Group().LoadTemplate(QStringLiteral("Rooms"));
        QCOMPARE(Groups().last(), QStringLiteral("Rooms [2] 480-1080/15: Room 2 30/300/30"));
    }

    void saveOfMissingGroupWritesNothing() {
        Records::Group().SaveTemplate(42);
        QVERIFY(!QFile::exists(TemplatePath()));
        QVERIFY(env->boxes.isEmpty());
    }

    void saveThatCannotWriteSaysSo() {
        const qint32 id = AddGroup(QStringLiteral("Rooms"), 480, 1080, 15);
        QVERIFY(QDir().mkpath(TemplatePath()));
        Records::Group().SaveTemplate(id);
        QCOMPARE(env->boxes.size(), 1);
        QCOMPARE(env->boxes[0].kind, Messages::BoxKind::Warning);
        QCOMPARE(env->boxes[0].text, "Group NOT saved!\n" + TemplatePath() + ": is a folder");
        // More resources than a template may hold: nothing is written.
        QVERIFY(QDir(TemplatePath()).removeRecursively());
        env->Sql("insert into tblResources (GroupId, ResourceName, MinTime, MaxTime, InitTime) "
                 "with recursive n(i) as (select 1 union all select i + 1 from n where i < 1001) "
                 "select " +
                 QString::number(id) + ", 'Desk ' || i, 15, 60, 15 from n");
        Records::Group().SaveTemplate(id);
        QCOMPARE(env->boxes.size(), 2);
        QCOMPARE(
            env->boxes[1].text,
            QStringLiteral("Group NOT saved!\nIt holds 1001 resources; a template holds at most "
                           "1000."));
        QVERIFY(!QFile::exists(TemplatePath()));
        // 1000 resources, and the program ends while the save lets events run:
        // through the pump a close waits for, and no part of the template is written.
        env->Sql("delete from tblResources where ResourceName = 'Desk 1001'");
        int depth = 0;
        EventPump::RunNow();
        QTest::qWait(30);
        QTimer::singleShot(0, [&depth] { depth = EventPump::Depth(); ModMain::Terminate(); });
        Records::Group().SaveTemplate(id);
        QCOMPARE(depth, 1);
        QCOMPARE(env->boxes.value(2).text, QStringLiteral("Group NOT saved!\nThe program was closed during the save."));
        QVERIFY(!QFile::exists(TemplatePath()));
    }

    void load_data() {
        QTest::addColumn<QStringList>("file");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QString>("refusal"); // "%f" stands for the file's path
        const QStringList head{"[Rooms]", "DayStart=480", "DayEnd=1080", "Interval=15"};
        QTest::newRow("complete")
            << head + QStringList{"ResName001=Room 1", "ResMin001=15",      "ResMax001=600",
                                  "ResInit001=15",     "ResName002=Room 2", "ResMin002=30",
                                  "ResMax002=300",     "ResInit002=45",     "Resources=2"}
            << QStringList{"Rooms [1] 480-1080/15: Room 1 15/600/15; Room 2 30/300/45"} << "";
        QTest::newRow("keys in another order and case")
            << QStringList{"[rooms]",       "resources=1",   "RESNAME001=Room 1",
                           "interval=15",   "ResInit001=15", "DAYEND=1080",
                           "ResMax001=600", "ResMin001=15",  "DayStart=480"}
            << QStringList{"Rooms [1] 480-1080/15: Room 1 15/600/15"} << "";
        QTest::newRow("missing keys take the defaults")
            << QStringList{"[Rooms]", "ResName001=Room 1", "Resources=1"}
            << QStringList{"Rooms [1] 0-1440/5: Room 1 5/60/5"} << "";
        QTest::newRow("more resources than keys")
            << head + QStringList{"ResName001=Room 1", "ResMin001=15", "ResMax001=600",
                                  "ResInit001=15",     "ResMin002=30", "Resources=3"}
            << QStringList{"Rooms [1] 480-1080/15: Room 1 15/600/15; ??? 30/60/5; ??? 5/60/5"} << "";
        QTest::newRow("negative Resources")
            << head + QStringList{"ResName001=Room 1", "Resources=-2"}
            << QStringList{"Rooms [1] 480-1080/15"} << "";
        QTest::newRow("missing section") << QStringList{"[Other]", "DayStart=480"} << QStringList{"Rooms [1] 0-1440/5"} << "";
        QTest::newRow("comments and blank lines")
            << QStringList{"; saved by hand",    "[Rooms]",    "", "DayStart=480", "; note",
                           "ResName001=Room; 1", "Resources=1"}
            << QStringList{"Rooms [1] 480-1440/5: Room; 1 5/60/5"} << "";
        QTest::newRow("section written twice: only its first copy counts")
            << QStringList{"[Rooms]", "DayStart=480", "ResName001=Room 1", "Resources=1",
                           "[Other]", "[Rooms]",      "Interval=30"}
            << QStringList{"Rooms [1] 480-1440/5: Room 1 5/60/5"} << "";
        QTest::newRow("the limits a restore takes back")
            << QStringList{"[Rooms]", "DayStart=1440", "DayEnd=1440", "Interval=1440", "ResMin001=0",
                           "ResMax001=1440", "ResInit001=1440", "Resources=1"}
            << QStringList{"Rooms [1] 1440-1440/1440: ??? 0/1440/1440"} << "";
        // The rows below store nothing at all and say so.
        const QString notANumber = "%f: a value is not a number in range.";
        QTest::newRow("text in DayStart") << QStringList{"[Rooms]", "DayStart=eight", "Resources=1"} << QStringList{} << notANumber;
        QTest::newRow("empty DayEnd") << QStringList{"[Rooms]", "DayEnd=", "Resources=1"} << QStringList{} << notANumber;
        QTest::newRow("text in Resources") << head + QStringList{"ResName001=Room 1", "Resources=many"} << QStringList{} << notANumber;
        QTest::newRow("text in the second resource's time")
            << head + QStringList{"ResName001=Room 1", "ResName002=Room 2", "ResMax002=long",
                                  "ResName003=Room 3", "Resources=3"}
            << QStringList{} << notANumber;
        QTest::newRow("DayStart beyond 16 bits") << QStringList{"[Rooms]", "DayStart=40000"} << QStringList{} << notANumber;
        QTest::newRow("more resources than a template may hold")
            << head + QStringList{"ResName001=Room 1", "Resources=1001"} << QStringList{}
            << "It asks for 1001 resources; a template holds at most 1000.";
        // What a restore refuses: stored, it would make every later backup unrestorable.
        QTest::newRow("Interval 0") << QStringList{"[Rooms]", "DayStart=480", "Interval=0"} << QStringList{}
                                    << "%f, line 3: Interval is 0, outside 1 to 1440.";
        QTest::newRow("DayEnd past midnight") << QStringList{"[Rooms]", "dayend=1441"} << QStringList{}
                                              << "%f, line 2: DayEnd is 1441, outside 0 to 1440.";
        QTest::newRow("DayStart after DayEnd") << QStringList{"[Rooms]", "DayEnd=600", "DayStart=900"} << QStringList{}
                                               << "%f, line 3: DayStart is 900, after DayEnd 600 (line 2).";
        QTest::newRow("a resource longer than a day")
            << head + QStringList{"ResName001=Room 1", "ResName002=Room 2", "ResMax002=2000", "Resources=2"}
            << QStringList{} << "%f, line 7: ResMax002 is 2000, outside 0 to 1440.";
        QTest::newRow("a negative resource time")
            << head + QStringList{"ResInit001=-5", "Resources=1"} << QStringList{}
            << "%f, line 5: ResInit001 is -5, outside 0 to 1440.";
    }
    void load() {
        QFETCH(QStringList, file);
        QFETCH(QStringList, groups);
        QFETCH(QString, refusal);
        WriteTemplate(file);
        const QStringList before = TemplateLines();
        Records::Group().LoadTemplate(QStringLiteral("Rooms"));
        QCOMPARE(Groups(), groups);
        QCOMPARE(TemplateLines(), before);
        QCOMPARE(env->LogLines().filter(QStringLiteral("Error")), QStringList());
        QCOMPARE(env->boxes.size(), refusal.isEmpty() ? 0 : 1);
        if (!refusal.isEmpty()) {
            QCOMPARE(env->boxes[0].kind, Messages::BoxKind::Warning);
            QCOMPARE(env->boxes[0].text,
                     "Group template \"Rooms\" NOT loaded!\n" +
                         refusal.replace("%f", QDir::toNativeSeparators(TemplatePath())) +
                         "\nNothing was stored.");
            QCOMPARE(Records::Group().GroupId(), 0);
        }
    }

    // Each load makes a new group numbered after it and presets the shared
    // records; a group so named (" [n]") saves and loads as a template again.
    void loadTwiceThenSaveLoadedGroup() {
        WriteTemplate({"[Rooms]", "DayStart=480", "DayEnd=1080", "Interval=15", "ResName001=Room 1",
                       "Resources=1"});
        Records::Group().LoadTemplate(QStringLiteral("Rooms"));
        Records::Group().LoadTemplate(QStringLiteral("Rooms"));
        QCOMPARE(Groups(), (QStringList{"Rooms [1] 480-1080/15: Room 1 5/60/5",
                                        "Rooms [2] 480-1080/15: Room 1 5/60/5"}));
        QCOMPARE(Records::Group().GroupId(), 2);
        QCOMPARE(Records::Group().GroupName(), QStringLiteral("Rooms [2]"));
        QCOMPARE(Records::Resource().ResourceId(), 2);
        QCOMPARE(Records::Resource().GroupId(), 2);
        QCOMPARE(Records::Resource().Interval(), qint16(15));
        Records::Resource().InitBfr();
        QCOMPARE(Records::Resource().MaxTime(), qint16(600));
        Records::Group().SaveTemplate(1);
        Records::Group().LoadTemplate(QStringLiteral("Rooms [1]"));
        QCOMPARE(Groups().value(2), QStringLiteral("Rooms [1] [3] 480-1080/15: Room 1 5/60/5"));
        QCOMPARE(TemplateLines().count(QStringLiteral("[Rooms [1]]")), 1);
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("groupName");
        QTest::addColumn<QString>("resourceName");
        QTest::addColumn<QString>("loadedName");
        const QString sql = "'); delete from tblResources; --";
        QTest::newRow("quotes, semicolons and SQL") << "O'Neil's \"rooms\"; drop table tblGroups; --" << sql << sql;
        QTest::newRow("non-ASCII") << QStringLiteral("Zoë Łódź") << QStringLiteral("東京 🗓") << QStringLiteral("東京 🗓");
        QTest::newRow("equals signs and brackets") << "a=b" << "Room [1]=d=e" << "Room [1]=d=e";
        // Values are read back with at most 254 characters, without blanks around.
        QTest::newRow("long name is cut") << QString(300, 'g') << QString(300, 'r') << QString(254, 'r');
        QTest::newRow("blanks around") << "Rooms" << "  Room 1  " << "Room 1";
        // Names a restore may bring: each stays one section and one entry.
        QTest::newRow("line breaks") << "Day\r\n[Night]\nResources=0" << "Room\n1\r\nResName002=x"
                                     << "Room\n1\r\nResName002=x";
    }
    void roundTrip() {
        QFETCH(QString, groupName);
        QFETCH(QString, resourceName);
        QFETCH(QString, loadedName);
        const qint32 id = AddGroup(groupName, 420, 1200, 10);
        AddResource(id, resourceName, 20, 300, 40);
        AddResource(id, QStringLiteral("second"), 10, 100, 10);
        Records::Group().SaveTemplate(id);
        Records::Group().LoadTemplate(groupName);
        QCOMPARE(Group(2, "MinTime desc"),
                 groupName + " [2] 420-1200/10: " + loadedName + " 20/300/40; second 10/100/10");
    }
};

QTEST_GUILESS_MAIN(TstTemplates)
#include "tst_templates.moc"

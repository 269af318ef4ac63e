// The settings file: reading, rewriting one line, section names and the
// error-log lines, against files as a user or another program leaves them.
#include "TestEnv.h"

#include "SmallDisk.h"
#include "base/ClsIni.h"

#include <QtTest>
#include <cerrno>
#include <sys/stat.h>

namespace {

// A line that is neither a section, an entry nor a comment, nor valid UTF-8.
QByteArray Junk() {
    return QByteArray("\x01\xff\xfe\x00\x1b[?\x80junk\xc3", 13);
}

} // namespace

class TstIni : public QObject {
    Q_OBJECT

private slots:
    void getValue_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QString def = QStringLiteral("<default>");
        const auto row = [](const char* tag, const QByteArray& file, const QString& section,
                            const QString& key, const QString& expected) {
            QTest::newRow(tag) << file << section << key << expected;
        };
        row("names ignore case, blanks around section, key and value, equals sign in the value",
            "[ config ]\r\n  dbname  =  two = words  \r\n", "CONFIG", " DbNAME ", "two = words");
        row("empty value is not the default", "[A]\r\nK=\r\n", "A", "K", "");
        row("key after the next section", "[A]\r\nX=1\r\n[B]\r\nK=2\r\n", "A", "K", def);
        row("missing section", "[A]\r\nK=1\r\n", "B", "K", def);
        row("comments, indented or not, then the first of two equal keys",
            "[A]\r\n;K=1\r\n   ; K=2\r\nK=3\r\nk=4\r\n", "A", "K", "3");
        row("LF line ends, blank lines and no last line end", "\n[A]\n\nX=0\nK=4", "A", "K", "4");
        row("binary junk and a line without equals sign around the entry",
            "[A]\r\n" + Junk() + "\r\nno equals\r\nK=7\r\n" + Junk() + "\r\n", "A", "K", "7");
        row("UTF-8 value of 300 characters is cut at 254",
            "[A]\r\nK=" + QString(300, QChar(0x00eb)).toUtf8() + "\r\n", "A", "K",
            QString(254, QChar(0x00eb)));
        row("section twice: only its first copy counts", "[A]\r\nK=1\r\n[B]\r\n[A]\r\nK=2\r\nJ=3\r\n", "A", "J", def);
        row("header without closing bracket", "[A\r\nK=1\r\n", "A", "K", def);
    }
    void getValue() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        TestEnv env;
        const QString path = env.Path(QStringLiteral("t.ini"));
        QVERIFY(TestEnv::WriteFile(path, file));
        ClsIni ini;
        ini.SetIniFile(path);
        QCOMPARE(ini.GetValue(section, key, QStringLiteral("<default>")), expected);
        QCOMPARE(TestEnv::ReadFile(path), file); // reading never writes
        QCOMPARE(env.LogLines(), QStringList());
    }

    // A missing file is no error and makes nothing, nor does a write without a
    // file name. A name without an extension gets ".ini" ("Groups" is Groups.ini).
    void missingFileGivesTheDefault() {
        TestEnv env;
        ClsIni ini;
        ini.SetIniFile(QStringLiteral("/home/x.d/Groups"));
        QCOMPARE(ini.IniFile(), QStringLiteral("/home/x.d/Groups"));
        ini.SetIniFile(env.Path(QStringLiteral("missing")));
        QCOMPARE(ini.IniFile(), env.Path(QStringLiteral("missing.ini")));
        QCOMPARE(ini.GetValue(QStringLiteral("Config"), QStringLiteral("PurgePeriod"), -1),
                 QStringLiteral("-1"));
        QCOMPARE(env.LogLines(), QStringList());
        ClsIni none;
        none.WriteValue(QStringLiteral("A"), QStringLiteral("K"), 1);
        QCOMPARE(none.GetSectionNames(), QStringList());
        QCOMPARE(QDir(env.Folder()).entryList(QDir::Files), QStringList());
    }


    // Every other line stays byte for byte, with its own line end.
    void writeValue_data() {
        QTest::addColumn<QByteArray>("before"); // null: no file yet
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char* tag, const QByteArray& before, const QString& section,
                            const QString& key, const QVariant& value, const QByteArray& after) {
            QTest::newRow(tag) << before << section << key << value << after;
        };
        row("missing file is created", QByteArray(), "Config", "DbName", "/d/T.db",
            "[Config]\r\nDbName=/d/T.db\r\n");
        const QByteArray layout("; Settings of workstation 3\r\n[Config]\r\nDbName=/d/T.db\r\n"
                                "; the period in days\r\nPurgePeriod = 90\r\nTimeType=0\r\n\r\n"
                                "[Options]\r\nPurgePeriod=5\r\n");
        row("existing key replaced in place", layout, "Config", "PurgePeriod", 30,
            QByteArray(layout).replace("PurgePeriod = 90", "PurgePeriod=30"));
        row("key matched ignoring case keeps its spelling", layout, "CONFIG", "timetype", 2,
            QByteArray(layout).replace("TimeType=0", "TimeType=2"));
        row("missing key added at the end of its section", layout, "Config", "LastDate", 46359,
            QByteArray(layout).replace("TimeType=0\r\n", "TimeType=0\r\nLastDate=46359\r\n"));
        row("missing section added at the end of the file", layout, "Sched", "ListWidth", 120,
            layout + "[Sched]\r\nListWidth=120\r\n");
        row("LF line ends of other lines kept", "[A]\nX=1\n[B]\nY=2\n", "A", "X", 5,
            "[A]\nX=5\n[B]\nY=2\n");
        row("entry before any section untouched, last line without line end", "K=1\r\n[A]\r\nX=1",
            "A", "K", 2, "K=1\r\n[A]\r\nX=1\r\nK=2\r\n");
        const QByteArray junk =
            QByteArray("[A]\r\n") + Junk() + "\r\nK=1\r\nno equals\r\n[B]\r\n" + Junk();
        row("junk kept byte for byte, new section after it", junk, "C", "K", 9,
            junk + "\r\n[C]\r\nK=9\r\n");
        row("section name holding brackets", "[Rooms]\r\nK=1\r\n[Rooms [1]]\r\nK=2\r\n",
            "Rooms [1]", "K", 5, "[Rooms]\r\nK=1\r\n[Rooms [1]]\r\nK=5\r\n");
        row("new section keeps the name as given", "[Rooms]\r\n", " Day Shift [2] ", "K", 1,
            "[Rooms]\r\n[ Day Shift [2] ]\r\nK=1\r\n");
        row("byte order mark kept, entry written in its section",
            "\xEF\xBB\xBF[Config]\r\nDbName=old\r\n", "Config", "DbName", "new",
            "\xEF\xBB\xBF[Config]\r\nDbName=new\r\n");
        row("section name with a line break stays one section", "[A]\r\nK=1\r\n", "B\r\n[A]", "K",
            2, "[A]\r\nK=1\r\n[B\u240d\u2424[A]]\r\nK=2\r\n");
        // Every character comes back as written; line breaks are stored as symbols.
        row("UTF-8, quotes, semicolons, brackets, equals and blanks", QByteArray(), "A", "K",
            "Zoë \"b\"; c='d' [x]=y /my files",
            "[A]\r\nK=Zo\xc3\xab \"b\"; c='d' [x]=y /my files\r\n");
        row("line breaks written as symbols", QByteArray(), "A", "K", "one\r\ntwo\nthree\r[A]",
            "[A]\r\nK=one\u240d\u2424two\u2424three\u240d[A]\r\n");
        row("the symbols themselves escaped", QByteArray(), "A", "K", "\u2424 \u240d \u241b",
            "[A]\r\nK=\u241b\u2424 \u241b\u240d \u241b\u241b\r\n");
        row("section twice: new key in first copy", "[A]\r\nK=1\r\n[B]\r\n[A]\r\nK=2\r\n", "A", "J",
            7, "[A]\r\nK=1\r\nJ=7\r\n[B]\r\n[A]\r\nK=2\r\n");
    }
    void writeValue() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, after);
        TestEnv env;
        const QString path = env.Path(QStringLiteral("t.ini"));
        if (!before.isNull())
            QVERIFY(TestEnv::WriteFile(path, before));
        ClsIni ini;
        ini.SetIniFile(path);
        ini.WriteValue(section, key, value);
        QCOMPARE(TestEnv::ReadFile(path), after);
        QCOMPARE(ini.GetValue(section, key), value.toString());
        QCOMPARE(env.LogLines(), QStringList());
    }

    void getSectionNames_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("file order, duplicates kept, comments and entries skipped")
            << QByteArray("[Zeta]\r\nK=1\r\n; comment\r\n[Alpha]\n[Zeta]")
            << QStringList{"Zeta", "Alpha", "Zeta"};
        QTest::newRow("inner blanks kept, indented header or text after the bracket skipped")
            << QByteArray("[ Day Shift ]\r\n [A]\r\n[B] ; note\r\n[]\r\n")
            << QStringList{" Day Shift ", ""};
    }
    void getSectionNames() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, names);
        TestEnv env;
        ClsIni ini;
        ini.SetIniFile(env.Path(QStringLiteral("Groups.ini")));
        QVERIFY(TestEnv::WriteFile(ini.IniFile(), file));
        QCOMPARE(ini.GetSectionNames(), names);
        QCOMPARE(env.LogLines(), names); // one log line per name found
    }

    void getSectionNamesOfMissingFileFails() {
        TestEnv env;
        ClsIni ini;
        ini.SetIniFile(env.Path(QStringLiteral("Groups.ini")));
        QVERIFY_THROWS_EXCEPTION(std::exception, ini.GetSectionNames());
        ini.SetIniFile(env.Folder());
        QVERIFY_THROWS_EXCEPTION(std::exception, ini.GetSectionNames());
    }

    void failureLines_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason"); // after "path: " in the log; empty: the system's
        QTest::newRow("settings path is a folder") << "folder" << "is a folder";
        QTest::newRow("folder of the settings file is missing") << "missing folder" << "";
        QTest::newRow("larger than 1 MiB") << "large" << "is larger than 1 MiB";
        QTest::newRow("pipe") << "pipe" << "is not a plain file";
        QTest::newRow("link to an endless device") << "device" << "is not a plain file";
    }

    void failureLines() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        TestEnv env;
        QString path = env.Path(QStringLiteral("settings.ini"));
        const QByteArray large = "[Config]\r\nDbName=/x/T.db\r\n;" + QByteArray(1 << 20, 'x');
        if (target == QLatin1String("folder"))
            QVERIFY(QDir(env.Folder()).mkdir(QStringLiteral("settings.ini")));
        else if (target == QLatin1String("missing folder"))
            path = env.Path(QStringLiteral("nowhere/settings.ini"));
        else if (target == QLatin1String("large"))
            QVERIFY(TestEnv::WriteFile(path, large));
        else if (target == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        ClsIni ini;
        ini.SetIniFile(path);
        QCOMPARE(ini.GetValue(QStringLiteral("Config"), QStringLiteral("DbName"), 0),
                 QStringLiteral("0"));
        ini.WriteValue(QStringLiteral("Config"), QStringLiteral("DbName"), "/x/T.db");
        const QStringList log = env.LogLines();
        QStringList expected;
        if (target != QLatin1String("missing folder"))
            expected << QStringLiteral("ERROR: ClsIni.GetValue(\"Config\", \"DbName\", \"0\")")
                     << path + ": " + reason;
        expected << QStringLiteral("ERROR: ClsIni.WriteValue(\"Config\", \"DbName\", \"/x/T.db\")");
        expected << (reason.isEmpty() ? log.value(expected.size()) : path + ": " + reason);
        QCOMPARE(log, expected);
        QVERIFY2(log.last().startsWith(path + ": ") && log.last().size() > path.size() + 2,
                 qPrintable(log.last()));
        if (target == QLatin1String("large"))
            QCOMPARE(TestEnv::ReadFile(path), large);
        else if (target == QLatin1String("device"))
            QCOMPARE(QFileInfo(path).symLinkTarget(), QStringLiteral("/dev/zero"));
        else
            QVERIFY(!QFileInfo(path).isFile());
    }

    void fullDiskKeepsTheFile() {
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        TestEnv env;
        const QString path = disk.Path() + QStringLiteral("/tarvelo.ini");
        const QByteArray before = "; workstation 3\r\n[Config]\r\nDbName=/srv/Office.db\r\n";
        QVERIFY(TestEnv::WriteFile(path, before));
        disk.Fill();
        ClsIni ini;
        ini.SetIniFile(path);
        ini.WriteValue(QStringLiteral("Config"), QStringLiteral("LastDate"),
                       QString(8000, QLatin1Char('9')));
        QCOMPARE(TestEnv::ReadFile(path), before);
        QCOMPARE(env.LogLines().value(1), path + ": " + qt_error_string(ENOSPC));
        QCOMPARE(ini.GetValue(QStringLiteral("Config"), QStringLiteral("DbName")),
                 QStringLiteral("/srv/Office.db"));
    }
};

QTEST_MAIN(TstIni)
#include "tst_ini.moc"

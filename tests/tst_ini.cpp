// The settings file: reading, rewriting one line, section names and the
// error-log lines, against files as a user or another program leaves them.
#include "TestEnv.h"

#include "SmallDisk.h"
#include "app/ClsIni.h"

#include <QtTest>
#include <cerrno>
#include <sys/stat.h>

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A line of bytes that is neither a section, an entry nor a comment, and is
// not valid UTF-8.
QByteArray Junk() { return QByteArray("\x01\xff\xfe\x00\x1b[?\x80junk\xc3", 13); }

} // namespace

class TstIni : public QObject {
    Q_OBJECT

private slots:
    void getValue_data();
    void getValue();
    void missingFileGivesDefaultsAsText_data();
    void missingFileGivesDefaultsAsText();
    void emptyIniFileDoesNothing();
    void setIniFile_data();
    void setIniFile();
    void writeValue_data();
    void writeValue();
    void writeThenReadKeepsEveryCharacter_data();
    void writeThenReadKeepsEveryCharacter();
    void valueLongerThanLimitIsStoredWholeAndReadCut();
    void getSectionNames_data();
    void getSectionNames();
    void getSectionNamesOfMissingFileFails();
    void failureLines_data();
    void failureLines();
    void fullDiskKeepsTheFile();
};

void TstIni::getValue_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString def = QStringLiteral("<default>");
    QTest::newRow("plain entry") << QByteArray("[Config]\r\nDbName=/data/Tarvelo.db\r\n")
                                 << "Config" << "DbName" << "/data/Tarvelo.db";
    QTest::newRow("section and key ignore case") << QByteArray("[config]\r\ndbname=x\r\n")
                                                 << "CONFIG" << "DbNAME" << "x";
    QTest::newRow("blanks around key and value") << QByteArray("[A]\r\n  Key  =  two words  \r\n")
                                                 << "A" << "Key" << "two words";
    QTest::newRow("value holding an equals sign") << QByteArray("[A]\r\nK=a=b\r\n") << "A" << "K"
                                                  << "a=b";
    QTest::newRow("empty value is not the default") << QByteArray("[A]\r\nK=\r\n") << "A" << "K"
                                                    << "";
    QTest::newRow("key of another section") << QByteArray("[A]\r\nK=1\r\n[B]\r\nJ=2\r\n") << "A"
                                            << "J" << def;
    QTest::newRow("key after the next section") << QByteArray("[A]\r\nX=1\r\n[B]\r\nK=2\r\n")
                                                << "A" << "K" << def;
    QTest::newRow("missing section") << QByteArray("[A]\r\nK=1\r\n") << "B" << "K" << def;
    QTest::newRow("commented-out entry") << QByteArray("[A]\r\n;K=1\r\n") << "A" << "K" << def;
    QTest::newRow("indented comment") << QByteArray("[A]\r\n   ; K=1\r\nK=2\r\n") << "A" << "K"
                                      << "2";
    QTest::newRow("entry before any section") << QByteArray("K=1\r\n[A]\r\n") << "A" << "K"
                                              << def;
    QTest::newRow("first of two equal keys") << QByteArray("[A]\r\nK=1\r\nk=2\r\n") << "A" << "K"
                                             << "1";
    QTest::newRow("line without equals sign") << QByteArray("[A]\r\nno equals here\r\nK=3\r\n")
                                              << "A" << "K" << "3";
    QTest::newRow("line ends LF only") << QByteArray("[A]\nX=0\nK=4\n") << "A" << "K" << "4";
    QTest::newRow("last line without line end") << QByteArray("[A]\r\nK=5") << "A" << "K" << "5";
    QTest::newRow("blank lines between") << QByteArray("\r\n[A]\r\n\r\n\r\nK=6\r\n\r\n") << "A"
                                         << "K" << "6";
    QTest::newRow("value of exactly 254 characters")
        << QByteArray("[A]\r\nK=") + QByteArray(254, 'v') + "\r\n" << "A" << "K"
        << QString(254, QLatin1Char('v'));
    QTest::newRow("value of 300 characters is cut at 254")
        << QByteArray("[A]\r\nK=") + QByteArray(254, 'a') + QByteArray(46, 'b') + "\r\n" << "A"
        << "K" << QString(254, QLatin1Char('a'));
    QTest::newRow("UTF-8 value") << QByteArray("[A]\r\nName=Zo\xc3\xab M\xc3\xbcller\r\n") << "A"
                                 << "Name" << QString::fromUtf8("Zo\xc3\xab M\xc3\xbcller");
    QTest::newRow("binary junk around the entry")
        << QByteArray("[A]\r\n") + Junk() + "\r\nK=7\r\n" + Junk() + "\r\n" << "A" << "K" << "7";
    QTest::newRow("line of 100,000 characters before the entry")
        << QByteArray("[A]\r\n") + QByteArray(100000, 'x') + "\r\nK=8\r\n" << "A" << "K" << "8";
    QTest::newRow("value of 100,000 characters")
        << QByteArray("[A]\r\nK=") + QByteArray(100000, 'y') + "\r\n" << "A" << "K"
        << QString(254, QLatin1Char('y'));
    // A section written twice: its first copy is the one that counts, both
    // for reading and for writing.
    const QByteArray twice("[A]\r\nK=1\r\n[B]\r\nX=0\r\n[A]\r\nK=2\r\nJ=3\r\n");
    QTest::newRow("section twice, key in both") << twice << "A" << "K" << "1";
    QTest::newRow("section twice, key only in second") << twice << "A" << "J" << def;
    QTest::newRow("section name holding brackets")
        << QByteArray("[Rooms]\r\nK=1\r\n[Rooms [1]]\r\nK=2\r\n") << "Rooms [1]" << "K"
        << "2";
    QTest::newRow("padded section name asked as written")
        << QByteArray("[ Day Shift ]\r\nK=3\r\n") << " Day Shift " << "K" << "3";
    QTest::newRow("padded section name asked trimmed")
        << QByteArray("[ Day Shift ]\r\nK=3\r\n") << "Day Shift" << "K" << "3";
    QTest::newRow("padded key asked") << QByteArray("[A]\r\nKey=4\r\n") << "A" << " Key "
                                      << "4";
    QTest::newRow("UTF-8 byte order mark before the first section")
        << QByteArray("\xEF\xBB\xBF[Config]\r\nDbName=/d/T.db\r\n") << "Config" << "DbName"
        << "/d/T.db";
    QTest::newRow("header without closing bracket") << QByteArray("[A\r\nK=1\r\n") << "A" << "K"
                                                    << def;
}

void TstIni::getValue() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TestEnv env;
    const QString path = env.Path(QStringLiteral("t.ini"));
    WriteFile(path, file);
    ClsIni ini;
    ini.SetIniFile(path);
    QCOMPARE(ini.GetValue(section, key, QStringLiteral("<default>")), expected);
    QCOMPARE(ReadFile(path), file); // reading never writes
    QCOMPARE(env.LogLines(), QStringList());
}

void TstIni::missingFileGivesDefaultsAsText_data() {
    QTest::addColumn<QVariant>("defVal");
    QTest::addColumn<QString>("expected");
    QTest::newRow("integer") << QVariant(90) << "90";
    QTest::newRow("negative integer") << QVariant(-1) << "-1";
    QTest::newRow("single-precision number") << QVariant(12.5f) << "12.5";
    QTest::newRow("text") << QVariant(QStringLiteral("/x/Tarvelo.db")) << "/x/Tarvelo.db";
    QTest::newRow("no default") << QVariant() << "";
}

void TstIni::missingFileGivesDefaultsAsText() {
    QFETCH(QVariant, defVal);
    QFETCH(QString, expected);
    TestEnv env;
    ClsIni ini;
    ini.SetIniFile(env.Path(QStringLiteral("missing.ini")));
    QCOMPARE(ini.GetValue(QStringLiteral("Config"), QStringLiteral("PurgePeriod"), defVal),
             expected);
    QVERIFY(!QFile::exists(env.Path(QStringLiteral("missing.ini"))));
    QCOMPARE(env.LogLines(), QStringList()); // a missing file is no error
}

void TstIni::emptyIniFileDoesNothing() {
    TestEnv env;
    ClsIni ini;
    QCOMPARE(ini.GetValue(QStringLiteral("A"), QStringLiteral("K"), 7), QStringLiteral("7"));
    ini.WriteValue(QStringLiteral("A"), QStringLiteral("K"), 1);
    QCOMPARE(ini.GetSectionNames(), QStringList());
    QCOMPARE(QDir(env.Folder()).entryList(QDir::Files), QStringList());
}

void TstIni::setIniFile_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("stored");
    QTest::newRow("no dot gets .ini") << "/home/x/Groups" << "/home/x/Groups.ini";
    QTest::newRow("dot in the folder name") << "/home/x.d/Groups" << "/home/x.d/Groups";
    QTest::newRow("other extension kept") << "/home/x/Groups.cfg" << "/home/x/Groups.cfg";
    QTest::newRow("extension kept") << "/home/x/Groups.ini" << "/home/x/Groups.ini";
}

void TstIni::setIniFile() {
    QFETCH(QString, given);
    QFETCH(QString, stored);
    ClsIni ini;
    ini.SetIniFile(given);
    QCOMPARE(ini.IniFile(), stored);
}

void TstIni::writeValue_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("missing file is created") << false << QByteArray() << "Config" << "DbName"
                                             << QVariant("/d/T.db")
                                             << QByteArray("[Config]\r\nDbName=/d/T.db\r\n");
    QTest::newRow("empty file") << true << QByteArray() << "A" << "K" << QVariant(1)
                                << QByteArray("[A]\r\nK=1\r\n");
    const QByteArray layout("; Settings of workstation 3\r\n"
                            "[Config]\r\n"
                            "DbName=/d/T.db\r\n"
                            "; the period in days\r\n"
                            "PurgePeriod = 90\r\n"
                            "TimeType=0\r\n"
                            "\r\n"
                            "[Options]\r\n"
                            "PurgePeriod=5\r\n");
    QTest::newRow("existing key replaced in place")
        << true << layout << "Config" << "PurgePeriod" << QVariant(30)
        << QByteArray(layout).replace("PurgePeriod = 90", "PurgePeriod=30");
    QTest::newRow("key matched ignoring case keeps its spelling")
        << true << layout << "CONFIG" << "timetype" << QVariant(2)
        << QByteArray(layout).replace("TimeType=0", "TimeType=2");
    QTest::newRow("missing key added at the end of its section")
        << true << layout << "Config" << "LastDate" << QVariant(46359)
        << QByteArray(layout).replace("TimeType=0\r\n", "TimeType=0\r\nLastDate=46359\r\n");
    QTest::newRow("missing section added at the end of the file")
        << true << layout << "Sched" << "ListWidth" << QVariant(120)
        << layout + "[Sched]\r\nListWidth=120\r\n";
    QTest::newRow("negative number") << true << QByteArray("[A]\r\nK=1\r\n") << "A" << "K"
                                     << QVariant(-16777216)
                                     << QByteArray("[A]\r\nK=-16777216\r\n");
    QTest::newRow("single-precision number") << true << QByteArray("[A]\r\n") << "A" << "Left"
                                             << QVariant(1234.5f)
                                             << QByteArray("[A]\r\nLeft=1234.5\r\n");
    QTest::newRow("last line without line end")
        << true << QByteArray("[A]\r\nX=1") << "A" << "K" << QVariant(2)
        << QByteArray("[A]\r\nX=1\r\nK=2\r\n");
    QTest::newRow("last line without line end, new section")
        << true << QByteArray("[A]\r\nX=1") << "B" << "K" << QVariant(2)
        << QByteArray("[A]\r\nX=1\r\n[B]\r\nK=2\r\n");
    QTest::newRow("LF line ends of other lines kept")
        << true << QByteArray("[A]\nX=1\n[B]\nY=2\n") << "A" << "X" << QVariant(5)
        << QByteArray("[A]\nX=5\n[B]\nY=2\n");
    QTest::newRow("entry before any section untouched")
        << true << QByteArray("K=1\r\n[A]\r\n") << "A" << "K" << QVariant(2)
        << QByteArray("K=1\r\n[A]\r\nK=2\r\n");
    const QByteArray junk = QByteArray("[A]\r\n") + Junk() + "\r\nK=1\r\n" +
                            QByteArray(100000, 'x') + "\r\nno equals\r\n[B]\r\n" + Junk();
    QTest::newRow("binary junk, long line and odd lines kept byte for byte")
        << true << junk << "A" << "K" << QVariant(9) << QByteArray(junk).replace("K=1", "K=9");
    QTest::newRow("junk at the end, new section after it")
        << true << junk << "C" << "K" << QVariant(9) << junk + "\r\n[C]\r\nK=9\r\n";
    QTest::newRow("section name holding brackets")
        << true << QByteArray("[Rooms]\r\nK=1\r\n[Rooms [1]]\r\nK=2\r\n") << "Rooms [1]"
        << "K" << QVariant(5) << QByteArray("[Rooms]\r\nK=1\r\n[Rooms [1]]\r\nK=5\r\n");
    QTest::newRow("new section keeps the name as given")
        << true << QByteArray("[Rooms]\r\n") << " Day Shift [2] " << "K" << QVariant(1)
        << QByteArray("[Rooms]\r\n[ Day Shift [2] ]\r\nK=1\r\n");
    QTest::newRow("byte order mark kept, entry written in its section")
        << true << QByteArray("\xEF\xBB\xBF[Config]\r\nDbName=old\r\n") << "Config"
        << "DbName" << QVariant("new") << QByteArray("\xEF\xBB\xBF[Config]\r\nDbName=new\r\n");
    QTest::newRow("section name with a line break stays one section")
        << true << QByteArray("[A]\r\nK=1\r\n") << "B\r\n[A]"
        << "K" << QVariant(2) << QByteArray("[A]\r\nK=1\r\n[B\u240d\u2424[A]]\r\nK=2\r\n");
    const QByteArray twice("[A]\r\nK=1\r\n[B]\r\n[A]\r\nK=2\r\n");
    QTest::newRow("section twice: first copy written")
        << true << twice << "A" << "K" << QVariant(7)
        << QByteArray("[A]\r\nK=7\r\n[B]\r\n[A]\r\nK=2\r\n");
    QTest::newRow("section twice: new key in first copy")
        << true << twice << "A" << "J" << QVariant(7)
        << QByteArray("[A]\r\nK=1\r\nJ=7\r\n[B]\r\n[A]\r\nK=2\r\n");
    QTest::newRow("commented-out key stays, entry added")
        << true << QByteArray("[A]\r\n;K=1\r\n") << "A" << "K" << QVariant(2)
        << QByteArray("[A]\r\n;K=1\r\nK=2\r\n");
}

void TstIni::writeValue() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QByteArray, after);
    TestEnv env;
    const QString path = env.Path(QStringLiteral("t.ini"));
    if (exists)
        WriteFile(path, before);
    ClsIni ini;
    ini.SetIniFile(path);
    ini.WriteValue(section, key, value);
    QCOMPARE(ReadFile(path), after);
    QCOMPARE(ini.GetValue(section, key), value.toString());
    QCOMPARE(env.LogLines(), QStringList());
}

void TstIni::writeThenReadKeepsEveryCharacter_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain ASCII") << "Room 12" << QByteArray("K=Room 12");
    QTest::newRow("accents as UTF-8") << QString::fromUtf8("Zo\xc3\xab")
                                      << QByteArray("K=Zo\xc3\xab");
    QTest::newRow("quotes and semicolons") << "a \"b\"; c='d'" << QByteArray("K=a \"b\"; c='d'");
    QTest::newRow("brackets and equals") << "[x]=y" << QByteArray("K=[x]=y");
    QTest::newRow("path with blanks") << "/home/my files/T.db"
                                      << QByteArray("K=/home/my files/T.db");
    QTest::newRow("line breaks written as symbols")
        << "one\r\ntwo\nthree\r[A]" << QByteArray("K=one\u240d\u2424two\u2424three\u240d[A]");
    QTest::newRow("the symbols themselves escaped")
        << QStringLiteral("\u2424 \u240d \u241b")
        << QByteArray("K=\u241b\u2424 \u241b\u240d \u241b\u241b");
}

void TstIni::writeThenReadKeepsEveryCharacter() {
    QFETCH(QString, value);
    QFETCH(QByteArray, line);
    TestEnv env;
    const QString path = env.Path(QStringLiteral("t.ini"));
    ClsIni ini;
    ini.SetIniFile(path);
    ini.WriteValue(QStringLiteral("A"), QStringLiteral("K"), value);
    QCOMPARE(ReadFile(path), QByteArray("[A]\r\n") + line + "\r\n");
    QCOMPARE(ini.GetValue(QStringLiteral("a"), QStringLiteral("k")), value);
}

void TstIni::valueLongerThanLimitIsStoredWholeAndReadCut() {
    TestEnv env;
    ClsIni ini;
    ini.SetIniFile(env.Path(QStringLiteral("t.ini")));
    const QString value = QString(200, QLatin1Char('a')) + QString(100, QLatin1Char('b'));
    ini.WriteValue(QStringLiteral("A"), QStringLiteral("K"), value);
    QCOMPARE(ReadFile(ini.IniFile()), QByteArray("[A]\r\nK=") + value.toLatin1() + "\r\n");
    QCOMPARE(ini.GetValue(QStringLiteral("A"), QStringLiteral("K")), value.left(254));
    // Cut by characters, not bytes: a multi-byte character at the cut stays whole.
    const QString accents(300, QChar(0x00eb));
    ini.WriteValue(QStringLiteral("A"), QStringLiteral("K"), accents);
    QCOMPARE(ini.GetValue(QStringLiteral("A"), QStringLiteral("K")), accents.left(254));
}

void TstIni::getSectionNames_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("two sections and a comment")
        << QByteArray("[A]\r\nK=1\r\n; comment\r\n[B]\r\n") << QStringList{"A", "B"};
    QTest::newRow("file order, duplicates kept")
        << QByteArray("[Zeta]\r\n[Alpha]\r\n[Zeta]\r\n") << QStringList{"Zeta", "Alpha", "Zeta"};
    QTest::newRow("inner blanks kept, no trimming")
        << QByteArray("[ Day Shift ]\r\n") << QStringList{" Day Shift "};
    QTest::newRow("indented header does not count") << QByteArray(" [A]\r\n[B]\r\n")
                                                    << QStringList{"B"};
    QTest::newRow("text after the bracket does not count")
        << QByteArray("[A] ; note\r\n[B]\r\n") << QStringList{"B"};
    QTest::newRow("empty brackets give an empty name") << QByteArray("[]\r\n") << QStringList{""};
    QTest::newRow("LF line ends and no final line end") << QByteArray("[A]\nx=1\n[B]")
                                                        << QStringList{"A", "B"};
    QTest::newRow("junk and a long line")
        << QByteArray("[A]\r\n") + Junk() + "\r\n" + QByteArray(100000, '[') + "\r\n[B]\r\n"
        << QStringList{"A", "B"};
    QTest::newRow("UTF-8 name") << QByteArray("[Caf\xc3\xa9]\r\n")
                                << QStringList{QString::fromUtf8("Caf\xc3\xa9")};
    QTest::newRow("no sections") << QByteArray("K=1\r\n") << QStringList();
    QTest::newRow("byte order mark before the first name")
        << QByteArray("\xEF\xBB\xBF[Rooms]\r\n[Desks]\r\n") << QStringList{"Rooms", "Desks"};
}

void TstIni::getSectionNames() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, names);
    TestEnv env;
    ClsIni ini;
    ini.SetIniFile(env.Path(QStringLiteral("Groups.ini")));
    WriteFile(ini.IniFile(), file);
    QCOMPARE(ini.GetSectionNames(), names);
    QCOMPARE(env.LogLines(), names); // one log line per name found
}

void TstIni::getSectionNamesOfMissingFileFails() {
    TestEnv env;
    ClsIni ini;
    ini.SetIniFile(env.Path(QStringLiteral("Groups.ini")));
    QVERIFY_THROWS_EXCEPTION(std::exception, ini.GetSectionNames());
    ini.SetIniFile(env.Folder()); // a folder is no file either
    QVERIFY_THROWS_EXCEPTION(std::exception, ini.GetSectionNames());
}

void TstIni::failureLines_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason"); // after "path: " in the log; empty: the system's
    QTest::newRow("settings path is a folder") << "folder"
                                               << "is a folder";
    QTest::newRow("folder of the settings file is missing") << "missing folder"
                                                            << "";
    QTest::newRow("larger than 1 MiB") << "large"
                                       << "is larger than 1 MiB";
    QTest::newRow("pipe") << "pipe"
                          << "is not a plain file";
    QTest::newRow("link to an endless device") << "device"
                                               << "is not a plain file";
}

void TstIni::failureLines() {
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
        WriteFile(path, large);
    else if (target == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    ClsIni ini;
    ini.SetIniFile(path);
    const bool exists = target != QLatin1String("missing folder");
    // Reading a missing file is no failure; reading a folder, a pipe, a
    // device or a file too large for settings is, and it never hangs.
    QCOMPARE(ini.GetValue(QStringLiteral("Config"), QStringLiteral("DbName"), 0),
             QStringLiteral("0"));
    ini.WriteValue(QStringLiteral("Config"), QStringLiteral("DbName"), QStringLiteral("/x/T.db"));
    const QStringList log = env.LogLines();
    QStringList expected;
    if (exists)
        expected << QStringLiteral("ERROR: ClsIni.GetValue(\"Config\", \"DbName\", \"0\")")
                 << path + ": " + reason;
    expected << QStringLiteral("ERROR: ClsIni.WriteValue(\"Config\", \"DbName\", \"/x/T.db\")");
    expected << (reason.isEmpty() ? log.value(expected.size()) : path + ": " + reason);
    QCOMPARE(log, expected);
    QVERIFY2(log.last().startsWith(path + ": ") && log.last().size() > path.size() + 2,
             qPrintable(log.last()));
    // What was there stays as it was.
    if (target == QLatin1String("large"))
        QCOMPARE(ReadFile(path), large);
    else if (target == QLatin1String("device"))
        QCOMPARE(QFileInfo(path).symLinkTarget(), QStringLiteral("/dev/zero"));
    else
        QVERIFY(!QFileInfo(path).isFile());
}

void TstIni::fullDiskKeepsTheFile() {
    SmallDisk disk;
    REQUIRE_SMALL_DISK(disk);
    TestEnv env;
    const QString path = disk.Path() + QStringLiteral("/tarvelo.ini");
    const QByteArray before = "; workstation 3\r\n[Config]\r\nDbName=/srv/Office.db\r\n";
    WriteFile(path, before);
    disk.Fill();
    ClsIni ini;
    ini.SetIniFile(path);
    ini.WriteValue(QStringLiteral("Config"), QStringLiteral("LastDate"),
                   QString(8000, QLatin1Char('9')));
    QCOMPARE(ReadFile(path), before);
    QCOMPARE(env.LogLines().value(1), path + ": " + qt_error_string(ENOSPC));
    QCOMPARE(ini.GetValue(QStringLiteral("Config"), QStringLiteral("DbName")),
             QStringLiteral("/srv/Office.db"));
}

QTEST_MAIN(TstIni)
#include "tst_ini.moc"

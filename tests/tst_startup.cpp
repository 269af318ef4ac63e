// Start-up and shutdown as the error log, the settings file and the message
// boxes show them; the program folder; the command line that creates a database.
#include "TestEnv.h"

#include "app/FirstStart.h"
#include "base/ClsIni.h"
#include "base/ErrorLog.h"
#include "base/ErrorTrap.h"
#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "base/ProgramState.h"
#include "data/ClsDAO.h"
#include "data/Database.h"
#include "data/DbSchema.h"
#include "frame/ModMain.h"
#include "ui/main/DlgMain.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <cerrno>
#include <memory>
#include <sys/stat.h>

namespace {

QString OpenLine(const QString& path) { return "Open database [1]   " + path; }

// The box of a database that cannot be opened: its path and the reason on
// one line below the heading.
void CheckOpenFailureBox(const QString& text, const QString& path, const QString& reason) {
    const QStringList lines = text.split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), QStringLiteral("Unable to open database!"));
    QVERIFY2(lines.at(1).startsWith(path + QStringLiteral(": ")), qPrintable(text));
    const QString why = lines.at(1).mid(path.size() + 2);
    if (!reason.isEmpty())
        QCOMPARE(why, reason);
    QVERIFY2(!why.isEmpty() && !why.contains('\r') && !why.contains("Unknown error"), qPrintable(text));
}

// Answers the next real message box once it is on screen: records what it
// shows, then presses the given key or clicks the given button.
struct BoxAnswer {
    QTimer timer;
    QString seen; // title|text|icon|buttons|default button
    void Arm(int key, QMessageBox::StandardButton click) {
        QObject::connect(&timer, &QTimer::timeout, [this, key, click] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            timer.stop();
            seen = QStringLiteral("%1|%2|%3|%4|%5|").arg(box->windowTitle(), box->text())
                       .arg(int(box->icon())).arg(int(box->standardButtons()))
                       .arg(box->defaultButton() ? int(box->standardButton(box->defaultButton())) : 0);
            if (click != QMessageBox::NoButton)
                box->button(click)->click();
            else
                QTest::keyClick(box, Qt::Key(key));
        });
        timer.start(10);
    }
};

} // namespace

class TstStartup : public QObject {
    Q_OBJECT

private slots:
    void databasePathRules_data() {
        // %D is the default database beside the program, %O another one, %L a long path.
        QTest::addColumn<QByteArray>("iniBefore"); // null: no settings file
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QByteArray>("iniAfter");
        QTest::newRow("no settings file") << QByteArray() << "default" << QByteArray("[Config]\r\nDbName=%D\r\n");
        QTest::newRow("empty DbName") << QByteArray("[Config]\r\nDbName=\r\n") << "default"
                                      << QByteArray("[Config]\r\nDbName=%D\r\n");
        const QByteArray other = "; workstation 2\r\n[CONFIG]\r\n  dbname = %O\r\n";
        QTest::newRow("DbName names another database, in other letter case: never rewritten") << other << "other" << other;
        const QByteArray longName = "[Config]\r\nDbName=%L\r\n";
        QTest::newRow("DbName of more than 254 characters") << longName << "long" << longName;
    }

    void databasePathRules() {
        QFETCH(QByteArray, iniBefore);
        QFETCH(QString, opened);
        QFETCH(QByteArray, iniAfter);
        TestEnv env;
        QVERIFY(env.CreateDatabase());
        QVERIFY(QDir(env.Folder()).mkdir(QStringLiteral("shared")));
        const QString other = env.Path(QStringLiteral("shared/Office.db"));
        QVERIFY(DbSchema::CreateDatabase(other).isEmpty());
        const QString folder = env.Path(QString(200, 'f'));
        const QString longPath = folder + '/' + QString(100, 'd') + ".db";
        if (opened == "long") {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(DbSchema::CreateDatabase(longPath).isEmpty());
        }
        const auto fill = [&](QByteArray text) {
            return text.replace("%D", env.DbPath().toUtf8()).replace("%O", other.toUtf8()).replace("%L", longPath.toUtf8());
        };
        if (!iniBefore.isNull())
            QVERIFY(TestEnv::WriteFile(env.IniPath(), fill(iniBefore)));
        QVERIFY(ModMain::Initialise());
        const QString path = opened == "other" ? other : opened == "long" ? longPath : env.DbPath();
        QCOMPARE(Database::DAO().DbPath(), path);
        QCOMPARE(env.LogLines().mid(0, 2), (QStringList{"Starting up", OpenLine(path)}));
        QCOMPARE(TestEnv::ReadFile(env.IniPath()), fill(iniAfter));
        QVERIFY(env.boxes.isEmpty());
    }

    // A database that cannot be opened stops the start with its path and reason;
    // the settings and both files stay as they were, and no empty database is made.
    void databaseCannotBeOpened_data() {
        QTest::addColumn<QString>("named"); // what DbName names; empty: no settings file
        QTest::addColumn<bool>("defaultExists");
        QTest::addColumn<QString>("reason"); // empty: the engine's, as logged
        const QString missing = qt_error_string(ENOENT);
        QTest::newRow("text file") << "text" << true << "";
        QTest::newRow("directory") << "directory" << true << "is a folder";
        QTest::newRow("database of another program") << "foreign" << true << "";
        QTest::newRow("DbName names a missing file: kept, the default is not opened") << "missing" << true << missing;
        QTest::newRow("neither the named nor the default file exists") << "missing" << false << missing;
        QTest::newRow("new installation without a database: nothing named, still a first start") << "" << false << missing;
    }

    void databaseCannotBeOpened() {
        QFETCH(QString, named);
        QFETCH(bool, defaultExists);
        QFETCH(QString, reason);
        TestEnv env;
        if (defaultExists)
            QVERIFY(env.CreateDatabase());
        const QString bad = named.isEmpty() ? env.DbPath() : env.Path("share/Office.db");
        QByteArray bytes;
        if (named == "directory") {
            QVERIFY(QDir().mkpath(bad));
        } else if (named == "text" || named == "foreign") {
            QVERIFY(QDir().mkpath(env.Path("share")));
            bytes = named == "text" ? QByteArray("Bookings for next week:\r\nRoom 1 Monday\r\n")
                                    : TestEnv::ReadFile(env.DbPath()).replace("tblGroups", "tblGroupx");
            QVERIFY(TestEnv::WriteFile(bad, bytes));
        }
        const QByteArray ini = named.isEmpty() ? QByteArray() : "; ws 2\r\n[Config]\r\nDbName=" + bad.toUtf8() + "\r\nTimeType=2\r\n";
        if (!named.isEmpty())
            QVERIFY(TestEnv::WriteFile(env.IniPath(), ini));
        const QByteArray defaultBytes = TestEnv::ReadFile(env.DbPath());
        {
            DlgMain window;
            QVERIFY(!window.Started());
            QCOMPARE(env.boxes.size(), 1);
            QCOMPARE(env.boxes.at(0).kind, Messages::BoxKind::Warning);
            CheckOpenFailureBox(env.boxes.at(0).text, bad, reason);
        }
        QVERIFY(!ProgramState::IsRunning());
        const QStringList log = env.LogLines();
        QVERIFY2(log.size() == 5, qPrintable(log.join('|')));
        QCOMPARE(log.mid(0, 2), (QStringList{"Starting up", "DbOpen() failed!"}));
        QVERIFY2(QRegularExpression("^-?\\d+: \\S").match(log.at(2)).hasMatch(), qPrintable(log.at(2)));
        if (named == "missing" || named.isEmpty())
            QVERIFY2(log.at(2).contains(bad), qPrintable(log.at(2)));
        // The box gives the engine's reason the log has, or says what the path is.
        if (reason.isEmpty())
            QVERIFY2(env.boxes.at(0).text.endsWith(log.at(2).section(": ", 1).simplified()),
                     qPrintable(env.boxes.at(0).text + "|" + log.at(2)));
        QCOMPARE(log.mid(3), (QStringList{"Database close [0]", "Closing down"}));
        QCOMPARE(TestEnv::ReadFile(env.IniPath()), ini);
        QCOMPARE(FirstStart::IsNewInstallation(), named.isEmpty() && !defaultExists);
        if (named == "directory")
            QVERIFY(QDir(bad).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        else if (!bytes.isEmpty())
            QCOMPARE(TestEnv::ReadFile(bad), bytes);
        else
            QVERIFY(!QFileInfo::exists(bad));
        QCOMPARE(QFileInfo::exists(env.DbPath()), defaultExists);
        QCOMPARE(TestEnv::ReadFile(env.DbPath()), defaultBytes);
        QVERIFY(!QFileInfo::exists(bad + QStringLiteral("-journal")));
    }

    void settingsFileUnusable() {
        TestEnv env;
        QVERIFY(env.CreateDatabase());
        // A pipe nobody writes never ends; no start on the default database instead.
        const QString ini = env.IniPath();
        QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
        QVERIFY(!ModMain::Initialise());
        QCOMPARE(env.boxes.size(), 1);
        const QString problem = ini + QStringLiteral(": is not a plain file");
        QCOMPARE(env.boxes.at(0).text, "Unable to read the settings file!\n" + problem);
        QCOMPARE(env.LogLines(), (QStringList{"Starting up", problem}));
        QVERIFY(!QFileInfo(ini).isFile() && QFileInfo::exists(ini));
    }

    // Each entry is one line "dd/mm/yy hh:mm:ss message", local time, UTF-8, CR LF;
    // a megabyte is not copied whole, and a line break starts no entry of its own.
    void logLinesAreCutAndWhole() {
        TestEnv env;
        const QDateTime before = QDateTime::currentDateTime();
        ErrorLog::Write(QString::fromUtf8("Caf\xc3\xa9 \"quoted\"  two  blanks"));
        ErrorLog::Write(QString(1000000, 'n'));
        ErrorLog::Write(QStringLiteral("Rooms\r\n[Config]\nDbName=x"));
        const QDateTime after = QDateTime::currentDateTime();
        const QByteArray bytes = TestEnv::ReadFile(ErrorLog::Path());
        static const QRegularExpression re(QStringLiteral(
            "^(\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d) Caf\u00e9 \"quoted\"  two  blanks\r\n"));
        const auto match = re.match(QString::fromUtf8(bytes));
        QVERIFY2(match.hasMatch(), bytes.left(80).constData());
        QVERIFY(bytes.contains("Caf\xc3\xa9"));
        const QDateTime stamp = QDateTime::fromString(match.captured(1), "dd/MM/yy HH:mm:ss").addYears(100);
        QVERIFY(stamp >= before.addSecs(-1) && stamp <= after.addSecs(1));
        QCOMPARE(bytes.count("\r\n"), 3);
        const QStringList log = env.LogLines();
        QCOMPARE(log.size(), 3);
        QVERIFY2(log.at(1).size() <= 2001 && log.at(1).startsWith(QString(2000, 'n')), qPrintable(log.at(1).left(9)));
        QCOMPARE(log.at(2), QStringLiteral("Rooms [Config] DbName=x"));
    }

    void logSurvivesWhatItCannotWrite() {
        TestEnv env;
        ErrorLog::Write("one");
        // Not held open between lines; one that cannot be written is ignored, quietly.
        QVERIFY(QFile::remove(ErrorLog::Path()));
        ErrorLog::Write("two");
        QCOMPARE(env.LogLines(), QStringList{"two"});
        QVERIFY(QFile::remove(ErrorLog::Path()));
        QVERIFY(QDir(env.Folder()).mkdir("Error.txt"));
        ErrorLog::Write("three");
        ProgramFolder::Set(env.Path("missing/folder"));
        ErrorLog::Write("four");
        QVERIFY(!QFileInfo::exists(env.Path("missing")));
    }

    void programFolder_data() {
        QTest::addColumn<QString>("option");      // --home
        QTest::addColumn<QByteArray>("variable"); // TARVELO_HOME, null when unset
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty variable, no settings beside the executable: the data folder") << "" << QByteArray("") << "<data>";
        QTest::newRow("variable with trailing slash") << "" << QByteArray("/srv/tarvelo/ws2/") << "/srv/tarvelo/ws2";
        QTest::newRow("option wins over variable") << "/home/anna" << QByteArray("/srv/ws2") << "/home/anna";
        QTest::newRow("relative option") << "rel/dir" << QByteArray() << "<cwd>/rel/dir";
    }

    void programFolder() {
        QFETCH(QString, option);
        QFETCH(QByteArray, variable);
        QFETCH(QString, expected);
        TestEnv env;
        const QByteArray old = qgetenv("TARVELO_HOME");
        const auto restore = qScopeGuard([&] {
            old.isNull() ? qunsetenv("TARVELO_HOME") : qputenv("TARVELO_HOME", old); });
        variable.isNull() ? qunsetenv("TARVELO_HOME") : qputenv("TARVELO_HOME", variable);
        ProgramFolder::Set(option);
        expected.replace("<data>", QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Tarvelo");
        expected.replace(QStringLiteral("<cwd>"), QDir::currentPath());
        QCOMPARE(ProgramFolder::Path(), expected);
        QCOMPARE(ErrorLog::Path(), expected + QStringLiteral("/Error.txt"));
        QCOMPARE(ProgramFolder::DefaultDbPath(), expected + QStringLiteral("/Tarvelo.db"));
    }

    void programFolderWithoutHome_data() {
        QTest::addColumn<bool>("settings"); // a settings file beside the copy
        QTest::newRow("none, folder writable (a cron job of root): the user's data folder") << false;
        QTest::newRow("settings file beside it: a portable copy") << true;
    }

    // A copy of the program run as a cron job runs it: nothing is made beside
    // it that would make its folder everyone's program folder.
    void programFolderWithoutHome() {
        QFETCH(bool, settings);
        TestEnv env; // holds the copy; its "home" stands for the user's
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/../tarvelo", env.Path("tarvelo")));
        QVERIFY(!settings || TestEnv::WriteFile(env.Path("tarvelo.ini"), ""));
        QProcess p;
        p.start("env", {"-u", "TARVELO_HOME", "-u", "XDG_DATA_HOME", "HOME=" + env.Path("home"), env.Path("tarvelo"), "--backup"});
        QVERIFY(p.waitForFinished(60000));
        const QString db = (settings ? env.Folder() : env.Path("home/.local/share/Tarvelo")) + "/Tarvelo.db";
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(err.contains("Warning! Unable to open database! " + db.toUtf8() + ": "), err.constData());
        QCOMPARE(QDir(env.Folder()).entryList(QDir::Files),
                 (settings ? QStringList{"Error.txt", "tarvelo", "tarvelo.ini"} : QStringList{"tarvelo"}));
    }

    void firstStartOffersSampleOnce_data() {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("pageSize"); // the paper of the user's country
        QTest::newRow("Yes: the sample clinic, in Germany") << true << "de_DE" << 9;
        QTest::newRow("No: an empty database, in Canada") << false << "fr_CA" << 1;
        QTest::newRow("in the United States") << false << "en_US" << 1;
        QTest::newRow("in Mexico") << false << "es_MX" << 1;
        QTest::newRow("in Japan") << false << "ja_JP" << 9;
    }

    void firstStartOffersSampleOnce() {
        QFETCH(bool, answer);
        QFETCH(QString, locale);
        QFETCH(int, pageSize);
        TestEnv env;
        SQLITE_FILE_ONLY();
        const QString folder = env.Path(QStringLiteral("new"));
        ProgramFolder::Set(folder);
        QVERIFY(FirstStart::IsNewInstallation());
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(FirstStart::Prepare(), QString());
        QLocale::setDefault(before);
        // The new settings file shows names on bars, tips and colour print.
        ClsIni ini;
        ini.SetIniFile(folder + QStringLiteral("/") + ProgramFolder::ExecutableBaseName() + ".ini");
        QStringList options;
        for (const char* key : {"DispCustomer", "PopupReminders", "ColourPrint", "PageSize"})
            options << ini.GetValue("Options", key);
        QCOMPARE(options.join(' '), QStringLiteral("1 1 1 %1").arg(pageSize));
        env.confirmAnswers = {answer};
        {
            DlgMain window;
            QVERIFY(window.Started());
            window.OfferSample();
            QCOMPARE(env.boxes.size(), 1);
            QCOMPARE(env.boxes[0].text, QStringLiteral("Start with a sample clinic?"));
            QCOMPARE(window.CbGroup()->count() > 0, answer);
            window.close();
        }
        // Nothing is asked again; a folder that cannot be made is said, with the reason.
        QVERIFY(!FirstStart::IsNewInstallation());
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/Tarvelo.db")));
        ProgramFolder::Set(QStringLiteral("/proc/tarvelo"));
        QVERIFY(FirstStart::Prepare().startsWith(QStringLiteral("/proc/tarvelo: ")));
    }

    // The real boxes: a confirmation defaults to No; CR LF shows as a plain line break.
    void warningAndErrorBoxes_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("click");
        QTest::addColumn<QString>("seen"); // title|text|icon|buttons|default, then the answer
        const int confirm = int(Messages::BoxKind::Confirm), enter = Qt::Key_Return, none = 0;
        const QString ask = QStringLiteral("Confirm|Restore failed\n\nLine 2|%1|%2|%3|")
                                .arg(int(QMessageBox::Question))
                                .arg(int(QMessageBox::Yes | QMessageBox::No))
                                .arg(int(QMessageBox::No));
        const QString tell = QStringLiteral("|Restore failed\n\nLine 2|%1|%2|0|false");
        QTest::newRow("confirmation, Enter at once gives No") << confirm << enter << none << ask + "false";
        QTest::newRow("confirmation, Escape gives No") << confirm << int(Qt::Key_Escape) << none << ask + "false";
        QTest::newRow("confirmation, Yes clicked") << confirm << 0 << int(QMessageBox::Yes) << ask + "true";
        QTest::newRow("warning") << int(Messages::BoxKind::Warning) << enter << none
                                 << "Warning!" + tell.arg(int(QMessageBox::Warning)).arg(int(QMessageBox::Ok));
        QTest::newRow("error") << int(Messages::BoxKind::Critical) << enter << none
                               << "Error!" + tell.arg(int(QMessageBox::Critical)).arg(int(QMessageBox::Ok));
    }

    void warningAndErrorBoxes() {
        QFETCH(int, kind);
        QFETCH(int, key);
        QFETCH(int, click);
        QFETCH(QString, seen);
        TestEnv env;
        Messages::SetBoxHandler({}); // the real box this time
        BoxAnswer box;
        box.Arm(key, QMessageBox::StandardButton(click));
        const QString text = QStringLiteral("Restore failed\r\n\r\nLine 2");
        const bool result = kind == int(Messages::BoxKind::Confirm) ? Messages::Confirm(text)
                            : kind == int(Messages::BoxKind::Warning)
                                ? (Messages::Warning(text), false)
                                : (Messages::CriticalError(text), false);
        QCOMPARE(box.seen + (result ? "true" : "false"), seen);
        QVERIFY(env.LogLines().isEmpty());
    }

    // A box that cannot be shown is logged; Confirm then answers No.
    void failingBoxIsLoggedAndAnswersNo() {
        TestEnv env;
        Messages::SetBoxHandler([](Messages::BoxKind, const QString&, const QString&) -> bool {
            throw TarveloError(QStringLiteral("no display"));
        });
        QVERIFY(!Messages::Confirm("x"));
        Messages::Warning("x");
        Messages::CriticalError("x");
        QCOMPARE(env.LogLines(), (QStringList{"Error in ModMain.Confirm", "Error in ModMain.Warning",
                                              "Error in ModMain.CriticalError"}));
    }

    // The windowed start begins a new log; closing the window ends the program.
    void mainWindowStartAndClose() {
        TestEnv env;
        QVERIFY(env.CreateDatabase());
        ErrorLog::Write(QStringLiteral("something of the last run"));
        auto window = std::make_unique<DlgMain>();
        QVERIFY(window->Started());
        QVERIFY(ProgramState::IsRunning());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->close();
        QTRY_VERIFY(!ProgramState::IsRunning());
        QCOMPARE(env.LogLines(), (QStringList{"Starting up", OpenLine(env.DbPath()),
                                              "Database close [0]", "Closing down"}));
        window.reset(); // a second unload does nothing more
        QCOMPARE(env.LogLines().size(), 4);
        QVERIFY(env.boxes.isEmpty());
    }

    void createDatabaseCommand_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("new file") << "new" << 0;
        QTest::newRow("existing Tarvelo database keeps its data") << "tarvelo" << 0;
        QTest::newRow("text file is refused") << "text" << 1;
        QTest::newRow("folder that does not exist") << "nofolder" << 1;
    }

    void createDatabaseCommand() {
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        const QString program = QCoreApplication::applicationDirPath() + "/../tarvelo";
        if (!QFileInfo(program).isExecutable())
            QSKIP("the tarvelo executable is not built");
        TestEnv env;
        QString path = env.Path(kind == "nofolder" ? "none/New.db" : "New.db");
        const QByteArray bytes = kind == "text" ? "not a database\n" : "";
        if (kind == "tarvelo") {
            QVERIFY(env.CreateDatabase());
            env.Sql(QStringLiteral("insert into tblGroups (GroupName) values ('Rooms')"));
            path = env.DbPath();
        }
        QVERIFY(bytes.isEmpty() || TestEnv::WriteFile(path, bytes));
        QProcess process;
        process.start(program, {QStringLiteral("--create-database"), path});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        if (exitCode != 0) {
            QVERIFY(!process.readAllStandardError().isEmpty());
            QCOMPARE(TestEnv::ReadFile(path), bytes); // a missing file reads as empty
            QCOMPARE(QFileInfo::exists(path), !bytes.isEmpty());
            return;
        }
        // The new file opens as a Tarvelo database, with the data it had.
        QVERIFY(path == env.DbPath() || QFile::copy(path, env.DbPath()));
        QVERIFY(ModMain::Initialise());
        Recordset rs = Database::DAO().SqlQuery(QStringLiteral("select count(*) from tblGroups"));
        QCOMPARE(rs.Fields(0).Long(), kind == "tarvelo" ? 1 : 0);
        ModMain::Terminate();
    }
};

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"

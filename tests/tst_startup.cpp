// Start-up and shutdown as the error log, the settings file and the message
// boxes show them; the program folder; the message boxes themselves; the
// version text; and the command line that creates a database.
#include "SmallDisk.h"
#include "TestEnv.h"

#include "app/ClsIni.h"
#include "app/ErrorTrap.h"
#include "app/FirstStart.h"
#include "data/ClsDAO.h"
#include "data/DbSchema.h"
#include "ui/main/DlgMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <cerrno>
#include <memory>
#include <sys/stat.h>

namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QString OpenLine(const QString& path) {
    return QStringLiteral("Open database [1]   ") + path;
}

// The box of a database that cannot be opened: its path and the reason on
// one line below the heading.
void CheckOpenFailureBox(const QString& text, const QString& path, const QString& reason) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), QStringLiteral("Unable to open database!"));
    QVERIFY2(lines.at(1).startsWith(path + QStringLiteral(": ")), qPrintable(text));
    const QString why = lines.at(1).mid(path.size() + 2);
    if (!reason.isEmpty())
        QCOMPARE(why, reason);
    QVERIFY2(!why.isEmpty() && !why.contains(QLatin1Char('\r')) &&
                 !why.contains(QStringLiteral("Unknown error")),
             qPrintable(text));
}

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// Answers the next real message box once it is on screen: records what it
// shows, then presses the given key or clicks the given button.
struct BoxAnswer {
    ~BoxAnswer() { delete timer; }
    QPointer<QTimer> timer;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool seen = false;

    void Arm(int key, QMessageBox::StandardButton click) {
        timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [this, key, click] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            timer->stop();
            seen = true;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton())
                                                 : QMessageBox::NoButton;
            if (click != QMessageBox::NoButton)
                box->button(click)->click();
            else
                QTest::keyClick(box, Qt::Key(key));
        });
        timer->start();
    }
};

} // namespace

class TstStartup : public QObject {
    Q_OBJECT

private slots:
    void databasePathRules_data() {
        // %D is the default database beside the program, %O another database,
        // %M a path where nothing exists.
        QTest::addColumn<bool>("iniExists");
        QTest::addColumn<QByteArray>("iniBefore");
        QTest::addColumn<QString>("opened"); // "default" or "other"
        QTest::addColumn<QByteArray>("iniAfter");
        QTest::newRow("no settings file")
            << false << QByteArray() << "default" << QByteArray("[Config]\r\nDbName=%D\r\n");
        QTest::newRow("empty DbName") << true << QByteArray("[Config]\r\nDbName=\r\n") << "default"
                                      << QByteArray("[Config]\r\nDbName=%D\r\n");
        QTest::newRow("DbName names another database, in other letter case: never rewritten")
            << true << QByteArray("; workstation 2\r\n[CONFIG]\r\n  dbname = %O\r\n") << "other"
            << QByteArray("; workstation 2\r\n[CONFIG]\r\n  dbname = %O\r\n");
        QTest::newRow("DbName of more than 254 characters")
            << true << QByteArray("[Config]\r\nDbName=%L\r\n") << "long"
            << QByteArray("[Config]\r\nDbName=%L\r\n");
    }

    void databasePathRules() {
        QFETCH(bool, iniExists);
        QFETCH(QByteArray, iniBefore);
        QFETCH(QString, opened);
        QFETCH(QByteArray, iniAfter);
        TestEnv env;
        QVERIFY(env.CreateDatabase());
        QVERIFY(QDir(env.Folder()).mkdir(QStringLiteral("shared")));
        const QString other = env.Path(QStringLiteral("shared/Office.db"));
        QVERIFY(DbSchema::CreateDatabase(other).isEmpty());
        const QString folder = env.Path(QString(200, QLatin1Char('f')));
        const QString longPath = folder + QLatin1Char('/') + QString(100, QLatin1Char('d')) + ".db";
        if (opened == QLatin1String("long")) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(DbSchema::CreateDatabase(longPath).isEmpty());
        }
        const auto fill = [&](QByteArray text) {
            return text.replace("%D", env.DbPath().toUtf8())
                .replace("%O", other.toUtf8())
                .replace("%L", longPath.toUtf8());
        };
        if (iniExists)
            QVERIFY(WriteFile(env.IniPath(), fill(iniBefore)));
        QVERIFY(ModMain::Initialise());
        const QString path = opened == QLatin1String("other")  ? other
                             : opened == QLatin1String("long") ? longPath
                                                               : env.DbPath();
        QCOMPARE(ModMain::DAO().DbPath(), path);
        QCOMPARE(env.LogLines().mid(0, 2), (QStringList{"Starting up", OpenLine(path)}));
        QCOMPARE(ReadFile(env.IniPath()), fill(iniAfter));
        QVERIFY(env.boxes.isEmpty());
    }

    // A database that cannot be opened stops the start with its path and the
    // reason; the settings, the named file and the default database stay as they
    // were, and no empty database is made anywhere in its place.
    void databaseCannotBeOpened_data() {
        QTest::addColumn<QString>("named"); // what DbName names; empty: no settings file
        QTest::addColumn<bool>("defaultExists");
        QTest::addColumn<QString>("reason"); // empty: the engine's, as logged
        const QString missing = qt_error_string(ENOENT);
        QTest::newRow("text file") << "text" << true << "";
        QTest::newRow("directory") << "directory" << true << "is a folder";
        QTest::newRow("database of another program") << "foreign" << true << "";
        QTest::newRow("DbName names a missing file: kept, the default is not opened")
            << "missing" << true << missing;
        QTest::newRow("neither the named nor the default file exists")
            << "missing" << false << missing;
        QTest::newRow("new installation without a database: the default is named")
            << "" << false << missing;
    }

    void databaseCannotBeOpened() {
        QFETCH(QString, named);
        QFETCH(bool, defaultExists);
        QFETCH(QString, reason);
        TestEnv env;
        if (defaultExists)
            QVERIFY(env.CreateDatabase());
        const QString bad =
            named.isEmpty() ? env.DbPath() : env.Path(QStringLiteral("share/Office.db"));
        QByteArray bytes;
        if (named == QLatin1String("directory")) {
            QVERIFY(QDir().mkpath(bad));
        } else if (named == QLatin1String("text") || named == QLatin1String("foreign")) {
            QVERIFY(QDir().mkpath(env.Path(QStringLiteral("share"))));
            bytes = named == QLatin1String("text")
                        ? QByteArray("Bookings for next week:\r\nRoom 1 Monday\r\n")
                        : ReadFile(env.DbPath()).replace("tblGroups", "tblGroupx");
            QVERIFY(WriteFile(bad, bytes));
        }
        const QByteArray ini =
            named.isEmpty() ? "[Config]\r\nDbName=" + bad.toUtf8() + "\r\n"
                            : "; ws 2\r\n[Config]\r\nDbName=" + bad.toUtf8() + "\r\nTimeType=2\r\n";
        if (!named.isEmpty())
            QVERIFY(WriteFile(env.IniPath(), ini));
        const QByteArray defaultBytes = ReadFile(env.DbPath());

        // The main window starts the program, finds it could not open the
        // database and goes away again, which ends the program.
        {
            DlgMain window;
            QVERIFY(!window.Started());
            QCOMPARE(env.boxes.size(), 1);
            QCOMPARE(env.boxes.at(0).kind, ModMain::BoxKind::Warning);
            QCOMPARE(env.boxes.at(0).title, QStringLiteral("Warning!"));
            CheckOpenFailureBox(env.boxes.at(0).text, bad, reason);
        }
        QVERIFY(!ModMain::IsRunning());
        const QStringList log = env.LogLines();
        QVERIFY2(log.size() == 5, qPrintable(log.join('|')));
        QCOMPARE(log.mid(0, 2), (QStringList{"Starting up", "DbOpen() failed!"}));
        QVERIFY2(QRegularExpression(QStringLiteral("^-?\\d+: \\S")).match(log.at(2)).hasMatch(),
                 qPrintable(log.at(2)));
        if (named == QLatin1String("missing") || named.isEmpty())
            QVERIFY2(log.at(2).contains(bad), qPrintable(log.at(2)));
        // The box gives the engine's reason the log has, or says what the path is.
        if (reason.isEmpty())
            QVERIFY2(env.boxes.at(0).text.endsWith(
                         log.at(2).section(QStringLiteral(": "), 1).simplified()),
                     qPrintable(env.boxes.at(0).text + "|" + log.at(2)));
        QCOMPARE(log.mid(3), (QStringList{"Database close [0]", "Closing down"}));
        QCOMPARE(ReadFile(env.IniPath()), ini);
        if (named == QLatin1String("directory"))
            QVERIFY(QDir(bad).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        else if (!bytes.isEmpty())
            QCOMPARE(ReadFile(bad), bytes);
        else
            QVERIFY(!QFileInfo::exists(bad));
        QCOMPARE(QFileInfo::exists(env.DbPath()), defaultExists);
        QCOMPARE(ReadFile(env.DbPath()), defaultBytes);
        QVERIFY(!QFileInfo::exists(bad + QStringLiteral("-journal")));
    }

    void settingsFileUnusable() {
        TestEnv env;
        QVERIFY(env.CreateDatabase());
        // A pipe that nobody writes would never end; what ClsIni refuses to read
        // is told apart in its own tests.
        const QString ini = env.IniPath();
        QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
        // The settings may name a shared database: the program does not start
        // on the default one instead, and leaves the file as it was.
        QVERIFY(!ModMain::Initialise());
        QCOMPARE(env.boxes.size(), 1);
        const QString problem = ini + QStringLiteral(": is not a plain file");
        QCOMPARE(env.boxes.at(0).text,
                 QStringLiteral("Unable to read the settings file!\n") + problem);
        QCOMPARE(env.LogLines(), (QStringList{"Starting up", problem}));
        QVERIFY(!QFileInfo(ini).isFile() && QFileInfo::exists(ini));
    }

    // Each entry is one line "dd/mm/yy hh:mm:ss message" in local time, UTF-8,
    // ended by CR LF; a name of a megabyte is not copied whole, and a line break
    // inside a message does not start an entry of its own.
    void logLinesAreCutAndWhole() {
        TestEnv env;
        const QDateTime before = QDateTime::currentDateTime();
        ModMain::WriteLog(QString::fromUtf8("Caf\xc3\xa9 \"quoted\"  two  blanks"));
        ModMain::WriteLog(QString(1000000, QLatin1Char('n')));
        ModMain::WriteLog(QStringLiteral("Rooms\r\n[Config]\nDbName=x"));
        const QDateTime after = QDateTime::currentDateTime();
        const QByteArray bytes = ReadFile(ModMain::LogFilePath());
        static const QRegularExpression re(QStringLiteral(
            "^(\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d) Caf\u00e9 \"quoted\"  two  blanks\r\n"));
        const auto match = re.match(QString::fromUtf8(bytes));
        QVERIFY2(match.hasMatch(), bytes.left(80).constData());
        QVERIFY(bytes.contains("Caf\xc3\xa9")); // UTF-8 on disk
        const QDateTime stamp =
            QDateTime::fromString(match.captured(1), QStringLiteral("dd/MM/yy HH:mm:ss"))
                .addYears(100);
        QVERIFY(stamp >= before.addSecs(-1) && stamp <= after.addSecs(1));
        QCOMPARE(bytes.count("\r\n"), 3);
        const QStringList log = env.LogLines();
        QCOMPARE(log.size(), 3);
        QVERIFY2(log.at(1).size() <= 2001 && log.at(1).startsWith(QString(2000, QLatin1Char('n'))),
                 qPrintable(QString::number(log.at(1).size())));
        QCOMPARE(log.at(2), QStringLiteral("Rooms [Config] DbName=x"));
    }

    void logSurvivesWhatItCannotWrite() {
        TestEnv env;
        ModMain::WriteLog(QStringLiteral("one"));
        // The file is not held open between lines: removing it loses nothing later.
        QVERIFY(QFile::remove(ModMain::LogFilePath()));
        ModMain::WriteLog(QStringLiteral("two"));
        QCOMPARE(env.LogLines(), QStringList{"two"});
        // A log that cannot be written is ignored, quietly.
        QVERIFY(QFile::remove(ModMain::LogFilePath()));
        QVERIFY(QDir(env.Folder()).mkdir(QStringLiteral("Error.txt")));
        ModMain::WriteLog(QStringLiteral("three"));
        ModMain::SetProgramFolder(env.Path(QStringLiteral("missing/folder")));
        ModMain::WriteLog(QStringLiteral("four"));
        QVERIFY(!QFileInfo::exists(env.Path(QStringLiteral("missing"))));
    }

    void programFolder_data() {
        QTest::addColumn<QString>("option");      // --home, "" when not given
        QTest::addColumn<QByteArray>("variable"); // TARVELO_HOME, null when unset
        QTest::addColumn<QString>("expected");    // "<exe>" for the executable's folder
        QTest::newRow("empty variable: the executable's folder") << "" << QByteArray("") << "<exe>";
        QTest::newRow("variable with trailing slash")
            << "" << QByteArray("/srv/tarvelo/ws2/") << "/srv/tarvelo/ws2";
        QTest::newRow("option wins over variable")
            << "/home/anna/tarvelo" << QByteArray("/srv/tarvelo/ws2") << "/home/anna/tarvelo";
        QTest::newRow("relative option") << "rel/dir" << QByteArray() << "<cwd>/rel/dir";
    }

    void programFolder() {
        QFETCH(QString, option);
        QFETCH(QByteArray, variable);
        QFETCH(QString, expected);
        TestEnv env;
        ScopedEnv home("TARVELO_HOME", variable);
        ModMain::SetProgramFolder(option);
        expected.replace(QStringLiteral("<exe>"), QCoreApplication::applicationDirPath());
        expected.replace(QStringLiteral("<cwd>"), QDir::currentPath());
        QCOMPARE(ModMain::ProgramFolder(), expected);
        QCOMPARE(ModMain::LogFilePath(), expected + QStringLiteral("/Error.txt"));
        QCOMPARE(ModMain::DefaultDbPath(), expected + QStringLiteral("/Tarvelo.db"));
    }

    void programFolderWithoutHome_data() {
        QTest::addColumn<bool>("settingsFile");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("missing");
        QTest::addColumn<bool>("dataFolder");
        QTest::newRow("writable: a portable copy") << false << false << false << false;
        QTest::newRow("read-only with its settings file") << true << true << false << false;
        QTest::newRow("read-only: an installed program") << false << true << false << true;
        QTest::newRow("no such folder") << false << false << true << true;
    }

    void programFolderWithoutHome() {
        QFETCH(bool, settingsFile);
        QFETCH(bool, readOnly);
        QFETCH(bool, missing);
        QFETCH(bool, dataFolder);
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        if (settingsFile) {
            QFile ini(disk.Path() + QStringLiteral("/tarvelo.ini"));
            QVERIFY(ini.open(QIODevice::WriteOnly));
        }
        if (readOnly)
            QVERIFY(disk.MakeReadOnly());
        const QString folder = missing ? disk.Path() + QStringLiteral("/gone") : disk.Path();
        QCOMPARE(FirstStart::ChooseProgramFolder(folder, QStringLiteral("tarvelo.ini"),
                                                 QStringLiteral("/home/anna/.local/share/Tarvelo")),
                 dataFolder ? QStringLiteral("/home/anna/.local/share/Tarvelo") : folder);
    }

    void firstStartOffersSampleOnce_data() {
        QTest::addColumn<bool>("answer");
        QTest::newRow("Yes: the sample clinic") << true;
        QTest::newRow("No: an empty database") << false;
    }

    void firstStartOffersSampleOnce() {
        QFETCH(bool, answer);
        TestEnv env;
        SQLITE_FILE_ONLY();
        const QString folder = env.Path(QStringLiteral("new"));
        ModMain::SetProgramFolder(folder);
        QVERIFY(FirstStart::IsNewInstallation());
        QCOMPARE(FirstStart::Prepare(), QString());
        env.confirmAnswers = {answer};
        {
            DlgMain window;
            QVERIFY(window.Started());
            window.OfferSample();
            QCOMPARE(env.boxes.size(), 1);
            QCOMPARE(env.boxes[0].text, QStringLiteral("Start with a sample clinic?"));
            QCOMPARE(window.CbGroup()->count() > 0, answer);
            QCOMPARE(window.EmptyHint()->isVisibleTo(&window), !answer);
            window.close();
        }
        // The next start is no new installation: nothing is asked again.
        QVERIFY(!FirstStart::IsNewInstallation());
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/Tarvelo.db")));
        // A folder that cannot be made is said, with the reason.
        ModMain::SetProgramFolder(QStringLiteral("/proc/tarvelo"));
        QVERIFY(FirstStart::Prepare().startsWith(QStringLiteral("/proc/tarvelo: ")));
    }

    // The real boxes: their captions, icons and buttons; a confirmation
    // defaults to No; messages break their lines with CR LF, which the box shows
    // as a plain line break.
    void warningAndErrorBoxes_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("click");
        QTest::addColumn<bool>("answer");
        const int confirm = int(ModMain::BoxKind::Confirm);
        QTest::newRow("confirmation, Enter at once gives No")
            << confirm << int(Qt::Key_Return) << int(QMessageBox::NoButton) << false;
        QTest::newRow("confirmation, Escape gives No")
            << confirm << int(Qt::Key_Escape) << int(QMessageBox::NoButton) << false;
        QTest::newRow("confirmation, Yes clicked") << confirm << 0 << int(QMessageBox::Yes) << true;
        QTest::newRow("warning") << int(ModMain::BoxKind::Warning) << int(Qt::Key_Return)
                                 << int(QMessageBox::NoButton) << false;
        QTest::newRow("error") << int(ModMain::BoxKind::Critical) << int(Qt::Key_Return)
                               << int(QMessageBox::NoButton) << false;
    }

    void warningAndErrorBoxes() {
        QFETCH(int, kind);
        QFETCH(int, key);
        QFETCH(int, click);
        QFETCH(bool, answer);
        TestEnv env;
        ModMain::SetBoxHandler({}); // the real box this time
        BoxAnswer box;
        box.Arm(key, QMessageBox::StandardButton(click));
        const QString text = QStringLiteral("Restore failed\r\n\r\nLine 2");
        bool result = false;
        if (kind == int(ModMain::BoxKind::Confirm))
            result = ModMain::Confirm(text);
        else if (kind == int(ModMain::BoxKind::Warning))
            ModMain::Warning(text);
        else
            ModMain::CriticalError(text);
        QVERIFY(box.seen);
        QCOMPARE(result, answer);
        QCOMPARE(box.text, QStringLiteral("Restore failed\n\nLine 2")); // no raw carriage return
        const QStringList titles = {"Confirm", "Warning!", "Error!"};
        const QList<QMessageBox::Icon> icons = {QMessageBox::Question, QMessageBox::Warning,
                                                QMessageBox::Critical};
        const int at = kind == int(ModMain::BoxKind::Confirm)   ? 0
                       : kind == int(ModMain::BoxKind::Warning) ? 1
                                                                : 2;
        QCOMPARE(box.title, titles[at]);
        QCOMPARE(box.icon, icons[at]);
        QCOMPARE(box.buttons, at == 0 ? QMessageBox::Yes | QMessageBox::No
                                      : QMessageBox::StandardButtons(QMessageBox::Ok));
        if (at == 0)
            QCOMPARE(box.defaultButton, QMessageBox::No);
        QVERIFY(env.LogLines().isEmpty());
    }

    // A box that cannot be shown is logged; Confirm then answers No.
    void failingBoxIsLoggedAndAnswersNo() {
        TestEnv env;
        ModMain::SetBoxHandler([](ModMain::BoxKind, const QString&, const QString&) -> bool {
            throw TarveloError(QStringLiteral("no display"));
        });
        QVERIFY(!ModMain::Confirm(QStringLiteral("x")));
        ModMain::Warning(QStringLiteral("x"));
        ModMain::CriticalError(QStringLiteral("x"));
        QCOMPARE(env.LogLines(),
                 (QStringList{"Error in ModMain.Confirm", "Error in ModMain.Warning",
                              "Error in ModMain.CriticalError"}));
    }

    // The windowed start begins a new log; closing the window ends the program.
    void mainWindowCaptionAndClose() {
        TestEnv env;
        QVERIFY(env.CreateDatabase());
        ModMain::WriteLog(QStringLiteral("something of the last run"));
        auto window = std::make_unique<DlgMain>();
        QVERIFY(window->Started());
        QVERIFY(ModMain::IsRunning());
        QCOMPARE(env.LogLines(), (QStringList{"Starting up", OpenLine(env.DbPath())}));
        QCOMPARE(ModMain::VersionNumber(), QStringLiteral("1.00.00"));
        QCOMPARE(ModMain::Ini().VersionNumber(), ModMain::VersionNumber());
        QCOMPARE(window->windowTitle(), QStringLiteral("Tarvelo! (1.00.00)"));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->close();
        QTRY_VERIFY(!ModMain::IsRunning());
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
        const QString program =
            QCoreApplication::applicationDirPath() + QStringLiteral("/../tarvelo");
        if (!QFileInfo(program).isExecutable())
            QSKIP("the tarvelo executable is not built");
        TestEnv env;
        QString path = env.Path(QStringLiteral("New.db"));
        QByteArray bytes;
        if (kind == QLatin1String("tarvelo")) {
            QVERIFY(env.CreateDatabase());
            env.Sql(QStringLiteral("insert into tblGroups (GroupName) values ('Rooms')"));
            path = env.DbPath();
        } else if (kind == QLatin1String("text")) {
            bytes = "not a database\n";
            QVERIFY(WriteFile(path, bytes));
        } else if (kind == QLatin1String("nofolder")) {
            path = env.Path(QStringLiteral("none/New.db"));
        }
        QProcess process;
        process.start(program, {QStringLiteral("--create-database"), path});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        if (exitCode != 0) {
            QVERIFY(!process.readAllStandardError().isEmpty());
            if (kind == QLatin1String("text"))
                QCOMPARE(ReadFile(path), bytes);
            else
                QVERIFY(!QFileInfo::exists(path));
            return;
        }
        // The new file opens as a Tarvelo database, with the data it had.
        QVERIFY(path == env.DbPath() || QFile::copy(path, env.DbPath()));
        QVERIFY(ModMain::Initialise());
        Recordset rs = ModMain::DAO().SqlQuery(QStringLiteral("select count(*) from tblGroups"));
        QCOMPARE(rs.Fields(0).Long(), kind == QLatin1String("tarvelo") ? 1 : 0);
        ModMain::Terminate();
    }
};

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"

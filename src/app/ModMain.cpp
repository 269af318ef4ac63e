#include "app/ModMain.h"

#include "app/FirstStart.h"

#include "app/ClsForms.h"
#include "app/ClsIni.h"
#include "app/ErrorTrap.h"
#include "data/ClsDAO.h"
#include "data/ConnectionInfo.h"
#include "model/ClsBooking.h"
#include "model/ClsCustomer.h"
#include "model/ClsDate.h"
#include "model/ClsGroup.h"
#include "model/ClsResource.h"
#include "model/ClsTask.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cerrno>
#include <memory>

namespace {

struct Shared {
    std::unique_ptr<ClsDAO> dao;
    std::unique_ptr<ClsForms> forms;
    std::unique_ptr<ClsIni> ini;
    std::unique_ptr<ClsDate> date;
    std::unique_ptr<ClsGroup> group;
    std::unique_ptr<ClsResource> resource;
    std::unique_ptr<ClsTask> task;
    std::unique_ptr<ClsCustomer> customer;
    std::unique_ptr<ClsBooking> booking;
};

Shared g_shared;
bool g_running = false;
QString g_programFolder;
ModMain::BoxHandler g_boxHandler;
ModMain::ModalHandler g_modalHandler;
ModMain::StatusHandler g_statusHandler;

template <typename T> T& Require(const std::unique_ptr<T>& p, const char* what) {
    if (!p)
        throw TarveloError(QStringLiteral("shared %1 used outside the running state").arg(what));
    return *p;
}

QString LogLinePrefix() {
    return QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yy HH:mm:ss"));
}

bool ShowBox(ModMain::BoxKind kind, const QString& title, const QString& text) {
    if (g_boxHandler)
        return g_boxHandler(kind, title, text);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    // Messages break their lines as the settings and logs do (CR LF); a box
    // on this platform would show the carriage return as a character.
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (kind) {
    case ModMain::BoxKind::Confirm:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case ModMain::BoxKind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case ModMain::BoxKind::Critical:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case ModMain::BoxKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    return box.exec() == QMessageBox::Yes;
}

} // namespace

void ErrorTrap::LogTrapped(const char* where) {
    ModMain::WriteLog(QStringLiteral("Error in ") + QString::fromUtf8(where));
}

bool ModMain::Initialise(LogStart logStart) {
    bool result = false;
    const bool created = Trap("ModMain.Initialise", [&] {
        g_shared.dao = std::make_unique<ClsDAO>();
        g_shared.forms = std::make_unique<ClsForms>();
        g_shared.ini = std::make_unique<ClsIni>();
        g_shared.date = std::make_unique<ClsDate>();
        g_shared.group = std::make_unique<ClsGroup>();
        g_shared.resource = std::make_unique<ClsResource>();
        g_shared.task = std::make_unique<ClsTask>();
        g_shared.customer = std::make_unique<ClsCustomer>();
        g_shared.booking = std::make_unique<ClsBooking>();
    });
    if (!created)
        return false;
    g_running = true;

    // From here a failing step is skipped; only the open decides the result.
    if (logStart == LogStart::Restart)
        TrapSilent([] { QFile::remove(LogFilePath()); });
    WriteLog(QStringLiteral("Starting up"));
    TrapSilent([] { Ini().SetIniFile(ProgramPath(ExecutableBaseName() + QStringLiteral(".ini"))); });
    // A settings file that is there but cannot be read may name a shared
    // database: starting on the default one instead would book where no
    // other workstation sees it.
    QString settingsProblem;
    TrapSilent([&] { settingsProblem = Ini().ReadProblem(); });
    if (!settingsProblem.isEmpty()) {
        WriteLog(settingsProblem);
        Warning(QStringLiteral("Unable to read the settings file!\n") + settingsProblem);
        return false;
    }
    // Only a new installation, whose settings name no database yet, gets the
    // default one, written down once it has opened: a start that fails (a
    // command-line verb run before the first windowed start) leaves the
    // settings without a name, so that the next start is still a new
    // installation and creates the database. A database the settings name is
    // used as it is, however long its name, and never written over: when it
    // cannot be found (a share that is not mounted) the start says so
    // instead of booking into a local database nobody else sees.
    QString dbPath = DefaultDbPath();
    bool named = false;
    TrapSilent([&] {
        const QString configured =
            Ini().GetWholeValue(QStringLiteral("Config"), QStringLiteral("DbName"));
        named = !configured.isEmpty();
        if (named)
            dbPath = configured;
    });
    TrapSilent([&] {
        const int status = DAO().DbOpen(dbPath);
        if (status == 0)
            result = true;
        else
            Warning(QStringLiteral("Unable to open database!\n") + DatabaseProblem(dbPath));
    });
    if (result && !named)
        TrapSilent(
            [&] { Ini().WriteValue(QStringLiteral("Config"), QStringLiteral("DbName"), dbPath); });
    return result;
}

QString ModMain::DatabaseProblem(const QString& path) {
    QString reason;
    if (!ConnectionInfo::IsServerUri(path)) {
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists())
            reason = qt_error_string(ENOENT);
        else if (info.isDir())
            reason = QStringLiteral("is a folder");
    }
    if (reason.isEmpty())
        TrapSilent([&] { reason = DAO().LastFailure(); });
    if (reason.isEmpty())
        reason = QStringLiteral("the database cannot be opened");
    QString shown = QDir::toNativeSeparators(path);
    // A password written into a server's name is not shown on the screen.
    static const QRegularExpression password(QStringLiteral("^([a-zA-Z]+://[^/@:]*):[^/@]*@"));
    if (ConnectionInfo::IsServerUri(path))
        shown.replace(password, QStringLiteral("\\1@"));
    return (shown + QStringLiteral(": ") + reason).simplified();
}

void ModMain::Terminate() {
    Trap("ModMain.Terminate", [] {
        g_running = false;
        g_shared.booking.reset();
        g_shared.customer.reset();
        g_shared.task.reset();
        g_shared.resource.reset();
        g_shared.group.reset();
        g_shared.date.reset();
        g_shared.ini.reset();
        g_shared.forms.reset();
        g_shared.dao.reset();
        WriteLog(QStringLiteral("Closing down"));
    });
}

bool ModMain::IsRunning() { return g_running; }

void ModMain::WriteLog(const QString& message) {
    try {
        QFile file(LogFilePath());
        if (!file.open(QIODevice::Append | QIODevice::WriteOnly))
            return;
        QString text = message.size() > MaxLogMessage
                           ? message.left(MaxLogMessage) + QStringLiteral("\u2026")
                           : message;
        // One line per entry: a line break inside a name would start a new one.
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
            .replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        file.write((LogLinePrefix() + QLatin1Char(' ') + text + QStringLiteral("\r\n")).toUtf8());
        file.close();
    } catch (...) {
    }
}

bool ModMain::Confirm(const QString& prompt) {
    bool answer = false;
    Trap("ModMain.Confirm",
         [&] { answer = ShowBox(BoxKind::Confirm, QStringLiteral("Confirm"), prompt); });
    return answer;
}

void ModMain::Warning(const QString& prompt) {
    Trap("ModMain.Warning", [&] { ShowBox(BoxKind::Warning, QStringLiteral("Warning!"), prompt); });
}

void ModMain::CriticalError(const QString& prompt) {
    Trap("ModMain.CriticalError",
         [&] { ShowBox(BoxKind::Critical, QStringLiteral("Error!"), prompt); });
}

void ModMain::Information(const QString& title, const QString& text) {
    Trap("ModMain.Information", [&] { ShowBox(BoxKind::Information, title, text); });
}

void ModMain::Exclamation(const QString& title, const QString& text) {
    Trap("ModMain.Exclamation", [&] { ShowBox(BoxKind::Warning, title, text); });
}

QString ModMain::FormatVersion(int major, int minor, int revision) {
    return QStringLiteral("%1.%2.%3")
        .arg(major)
        .arg(minor, 2, 10, QLatin1Char('0'))
        .arg(revision, 2, 10, QLatin1Char('0'));
}

QString ModMain::VersionNumber() {
    return FormatVersion(TARVELO_VERSION_MAJOR, TARVELO_VERSION_MINOR, TARVELO_VERSION_PATCH);
}

int ModMain::ShowModal(QDialog* dialog) {
    if (g_modalHandler)
        return g_modalHandler(dialog);
    return dialog->exec();
}

void ModMain::SetBoxHandler(BoxHandler handler) { g_boxHandler = std::move(handler); }
void ModMain::SetModalHandler(ModalHandler handler) { g_modalHandler = std::move(handler); }

void ModMain::ShowStatus(const QString& panel, const QString& text) {
    if (g_statusHandler)
        g_statusHandler(panel, text);
}

void ModMain::SetStatusHandler(StatusHandler handler) { g_statusHandler = std::move(handler); }

QString ModMain::ProgramFolder() {
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    const QString env = qEnvironmentVariable("TARVELO_HOME");
    if (!env.isEmpty())
        return QDir::cleanPath(QDir(env).absolutePath());
    // An installed program keeps its files in the user's data folder; only a
    // portable copy, whose folder already holds its settings file, keeps them
    // beside the executable.
    static const QString chosen = FirstStart::ChooseProgramFolder(
        QCoreApplication::applicationDirPath(), ExecutableBaseName() + QStringLiteral(".ini"),
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/Tarvelo")));
    return chosen;
}

void ModMain::SetProgramFolder(const QString& folder) {
    g_programFolder = folder.isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
}

QString ModMain::ProgramPath(const QString& fileName) {
    return QDir(ProgramFolder()).filePath(fileName);
}

QString ModMain::ExecutableBaseName() {
    const QString path = QCoreApplication::applicationFilePath();
    const QString base = QFileInfo(path).completeBaseName();
    return base.isEmpty() ? QStringLiteral("tarvelo") : base;
}

QString ModMain::LogFilePath() { return ProgramPath(QStringLiteral("Error.txt")); }
QString ModMain::DefaultDbPath() { return ProgramPath(QStringLiteral("Tarvelo.db")); }

ClsDAO& ModMain::DAO() { return Require(g_shared.dao, "ClsDAO"); }
ClsForms& ModMain::Forms() { return Require(g_shared.forms, "ClsForms"); }
ClsIni& ModMain::Ini() { return Require(g_shared.ini, "ClsIni"); }
ClsDate& ModMain::Date() { return Require(g_shared.date, "ClsDate"); }
ClsGroup& ModMain::Group() { return Require(g_shared.group, "ClsGroup"); }
ClsResource& ModMain::Resource() { return Require(g_shared.resource, "ClsResource"); }
ClsTask& ModMain::Task() { return Require(g_shared.task, "ClsTask"); }
ClsCustomer& ModMain::Customer() { return Require(g_shared.customer, "ClsCustomer"); }
ClsBooking& ModMain::Booking() { return Require(g_shared.booking, "ClsBooking"); }


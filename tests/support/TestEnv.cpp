#include "TestEnv.h"

#include "base/ClsIni.h"
#include "base/ErrorLog.h"
#include "base/Messages.h"
#include "base/ModalWindow.h"
#include "base/ProgramFolder.h"
#include "base/ProgramState.h"
#include "data/ConnectionInfo.h"
#include "data/DbSchema.h"
#include "data/SqlDialect.h"
#include "frame/ModMain.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QHash>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QtGlobal>

namespace {

int g_serverSerial = 0;

// The server connections the tests' own statements go through, kept open per
// database: opening one costs the server a new process each time.
QHash<QString, QString>& ServerConnections() {
    static QHash<QString, QString> connections;
    return connections;
}

void CloseServerConnection(const QString& connStr) {
    const QString name = ServerConnections().take(connStr);
    if (name.isEmpty())
        return;
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

// The functions of the embedded engine the tests use to read whole tables in
// one value: group_concat(), typeof() and quote().
const char* const kServerTestFunctions[] = {
    "create function tarvelo_concat(acc text, val anyelement, sep text) returns text "
    "language sql immutable as $$ select case when val is null then acc when acc is "
    "null then val::text else acc || sep || val::text end $$",
    "create function tarvelo_concat(acc text, val anyelement) returns text language "
    "sql immutable as $$ select tarvelo_concat(acc, val, ',') $$",
    "create aggregate group_concat(anyelement, text) (sfunc = tarvelo_concat, stype "
    "= text)",
    "create aggregate group_concat(anyelement) (sfunc = tarvelo_concat, stype = text)",
    "create function typeof(val anyelement) returns text language sql immutable as "
    "$$ select case when val is null then 'null' when pg_typeof(val)::text in "
    "('text', 'citext') then 'text' else pg_typeof(val)::text end $$",
    "create function quote(val anyelement) returns text language sql immutable as $$ "
    "select coalesce(quote_nullable(val), 'NULL') $$",
};

QString g_templateDatabase; // made once per test process, dropped at its end

void CloseServerConnections() {
    for (const QString& connStr : ServerConnections().keys())
        CloseServerConnection(connStr);
}

void DropTemplateDatabase() {
    CloseServerConnections();
    if (!g_templateDatabase.isEmpty())
        TestEnv::ServerAdmin(
            QStringLiteral("drop database if exists %1 with (force)").arg(g_templateDatabase));
    g_templateDatabase.clear();
    CloseServerConnections();
}

} // namespace

bool TestEnv::OnServer() {
    return qEnvironmentVariable("TARVELO_TEST_ENGINE").compare(QStringLiteral("postgresql"),
                                                                Qt::CaseInsensitive) == 0;
}

QString TestEnv::ServerUri() {
    const QString uri = qEnvironmentVariable("TARVELO_TEST_PG");
    return uri.isEmpty() ? QStringLiteral("postgresql://postgres@127.0.0.1:55432/postgres") : uri;
}

bool TestEnv::UnderCi() { return !qEnvironmentVariable("CI").isEmpty(); }

bool TestEnv::ServerAdmin(const QString& sql, QString* error) {
    return RunStatement(ServerUri(), sql, nullptr, error);
}

QString TestEnv::EngineUnavailable() {
    if (!OnServer())
        return QString();
    static const QString why = [] {
        QString error;
        if (ServerAdmin(QStringLiteral("select 1"), &error))
            return QString();
        return QStringLiteral("PostgreSQL tests skipped: no test server at %1 (%2). Start one "
                              "with \"bash scripts/pg-server.sh start\" or set TARVELO_TEST_PG.")
            .arg(ServerUri(), error.trimmed());
    }();
    return why;
}

QString TestEnv::DbPath() const {
    if (!OnServer())
        return Path(QStringLiteral("Tarvelo.db"));
    return ConnectionInfo::Parse(ServerUri()).WithDatabase(m_serverDatabase);
}

TestEnv::TestEnv() : m_dir(std::make_unique<QTemporaryDir>()) {
    if (OnServer())
        m_serverDatabase = QStringLiteral("tarvelo_test_%1_%2")
                               .arg(QCoreApplication::applicationPid())
                               .arg(++g_serverSerial);
    ProgramFolder::Set(m_dir->path());
    Messages::SetBoxHandler(
        [this](Messages::BoxKind kind, const QString& title, const QString& text) {
            boxes.append({kind, title, text});
            if (kind == Messages::BoxKind::Confirm && !confirmAnswers.isEmpty())
                return confirmAnswers.takeFirst();
            return false;
        });
    ModalWindow::SetHandler([this](QDialog* dialog) {
        modalsShown.append(dialog);
        return onModal ? onModal(dialog) : int(QDialog::Rejected);
    });
}

TestEnv::~TestEnv() {
    Stop();
    DropServerDatabase();
    Messages::SetBoxHandler({});
    ModalWindow::SetHandler({});
    ProgramFolder::Set(QString());
}

QString TestEnv::Folder() const { return m_dir->path(); }
QString TestEnv::Path(const QString& name) const { return m_dir->filePath(name); }
QString TestEnv::IniPath() const {
    return Path(ProgramFolder::ExecutableBaseName() + QStringLiteral(".ini"));
}

QString TestEnv::TemplateDatabase() {
    if (!g_templateDatabase.isEmpty())
        return g_templateDatabase;
    // The schema and the test functions are made once in a template; every
    // test's database is a copy of it, which the server makes in a blink.
    const QString name =
        QStringLiteral("tarvelo_test_%1_template").arg(QCoreApplication::applicationPid());
    const QString uri = ConnectionInfo::Parse(ServerUri()).WithDatabase(name);
    ServerAdmin(QStringLiteral("drop database if exists %1 with (force)").arg(name));
    const QString error = DbSchema::CreateDatabase(uri);
    if (!error.isEmpty()) {
        qWarning("CreateDatabase: %s", qPrintable(error));
        return QString();
    }
    for (const char* sql : kServerTestFunctions) {
        QString failure;
        if (!RunStatement(uri, QString::fromLatin1(sql), nullptr, &failure))
            qWarning("TestEnv template: %s", qPrintable(failure));
    }
    CloseServerConnection(uri); // a template cannot be copied while in use
    g_templateDatabase = name;
    qAddPostRoutine(DropTemplateDatabase);
    return g_templateDatabase;
}

void TestEnv::DropServerDatabase() {
    CloseServerConnection(DbPath());
    if (m_serverCreated)
        ServerAdmin(QStringLiteral("drop database if exists %1 with (force)").arg(m_serverDatabase));
    m_serverCreated = false;
}

bool TestEnv::CreateDatabase() {
    QString error;
    if (OnServer()) {
        // A fresh database each time, as a new file would be.
        DropServerDatabase();
        const QString source = TemplateDatabase();
        if (source.isEmpty())
            return false;
        m_serverCreated = true;
        if (!ServerAdmin(QStringLiteral("create database %1 template %2").arg(m_serverDatabase, source),
                         &error))
            qWarning("CreateDatabase: %s", qPrintable(error));
        // The program finds a server database only through its settings.
        ClsIni ini;
        ini.SetIniFile(IniPath());
        ini.WriteValue(QStringLiteral("Config"), QStringLiteral("DbName"), DbPath());
        return error.isEmpty();
    }
    error = DbSchema::CreateDatabase(DbPath());
    if (!error.isEmpty())
        qWarning("CreateDatabase: %s", qPrintable(error));
    return error.isEmpty();
}

bool TestEnv::Start() {
    const bool exists = OnServer() ? m_serverCreated : QFile::exists(DbPath());
    if (!exists && !CreateDatabase())
        return false;
    m_started = ModMain::Initialise();
    return m_started;
}

void TestEnv::Stop() {
    if (ProgramState::IsRunning())
        ModMain::Terminate();
    m_started = false;
}

QStringList TestEnv::LogLines() const {
    QFile file(ErrorLog::Path());
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        lines << line.mid(18); // "dd/mm/yy hh:mm:ss " is 18 characters
    return lines;
}

bool TestEnv::LogContains(const QString& text) const {
    for (const QString& line : LogLines())
        if (line.contains(text))
            return true;
    return false;
}

void TestEnv::ClearLog() { QFile::remove(ErrorLog::Path()); }

void TestEnv::RefuseWrites(const QString& statement, const QString& table, const QString& message,
                           const QString& when) const {
    QString quoted = message;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    const QString condition = when.isEmpty() ? QString() : QStringLiteral(" when (%1)").arg(when);
    if (OnServer()) {
        Sql(QStringLiteral("create or replace function refuse() returns trigger language plpgsql "
                           "as $$ begin raise exception '%1'; end $$")
                .arg(quoted));
        Sql(QStringLiteral("create trigger refuse before %1 on %2 for each row%3 execute "
                           "function refuse()")
                .arg(statement, table, condition));
    } else {
        Sql(QStringLiteral("create trigger refuse before %1 on %2%3 begin select raise(abort, "
                           "'%4'); end")
                .arg(statement, table, condition, quoted));
    }
}

QVariant TestEnv::Sql(const QString& sql) const {
    QVariant result;
    QString error;
    if (!RunStatement(DbPath(), sql, &result, &error) && !error.isEmpty())
        qWarning("TestEnv::Sql failed: %s (%s)", qPrintable(error), qPrintable(sql));
    return result;
}

int TestEnv::Count(const QString& fromWhere) const {
    return Sql(QStringLiteral("select count(*) from ") + fromWhere).toInt();
}

QByteArray TestEnv::ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestEnv::WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QString TestEnv::Output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

bool TestEnv::PrintToPdf(QDialog* dialog, const QString& pdf) {
    auto* print = qobject_cast<QPrintDialog*>(dialog);
    if (!print)
        return false;
    print->printer()->setOutputFormat(QPrinter::PdfFormat);
    print->printer()->setOutputFileName(pdf);
    return true;
}

bool TestEnv::RunStatement(const QString& connStr, const QString& sql, QVariant* first,
                           QString* error) {
    const bool server = ConnectionInfo::IsServerUri(connStr);
    QString name = server ? ServerConnections().take(connStr) : QString();
    const bool cached = !name.isEmpty();
    if (!cached)
        name = QStringLiteral("testenv-") + QUuid::createUuid().toString();
    bool ok = false;
    {
        QSqlDatabase db = cached ? QSqlDatabase::database(name, false) : QSqlDatabase();
        try {
            if (!cached && server) {
                db = SqlDialect::For(connStr)->AddConnection(name, connStr);
            } else if (!cached) {
                // Opening makes the file when it is not there yet.
                db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
                db.setDatabaseName(connStr);
                db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
            }
        } catch (const std::exception& e) {
            if (error)
                *error = QString::fromStdString(e.what());
        }
        if (db.isValid() && !db.isOpen() && !db.open()) {
            if (error)
                *error = db.lastError().text();
        } else if (db.isValid()) {
            QSqlQuery q(db);
            if (server && !cached)
                q.exec(QStringLiteral("set client_min_messages = warning"));
            ok = q.exec(sql);
            if (ok && first && q.next())
                *first = q.value(0);
            if (!ok && error)
                *error = q.lastError().text();
            q.finish();
            // A server connection is kept for the next statement while it works.
            if (server && ok) {
                ServerConnections().insert(connStr, name);
                return ok;
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

#include "TestEnv.h"

#include "app/ClsIni.h"
#include "data/ConnectionInfo.h"
#include "data/DbSchema.h"
#include "data/SqlDialect.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QtGlobal>

namespace {

int g_serverSerial = 0;

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
    ModMain::SetProgramFolder(m_dir->path());
    ModMain::SetBoxHandler([this](ModMain::BoxKind kind, const QString& title, const QString& text) {
        boxes.append({kind, title, text});
        if (kind == ModMain::BoxKind::Confirm && !confirmAnswers.isEmpty())
            return confirmAnswers.takeFirst();
        return false;
    });
    ModMain::SetModalHandler([this](QDialog* dialog) {
        modalsShown.append(dialog);
        return onModal ? onModal(dialog) : int(QDialog::Rejected);
    });
}

TestEnv::~TestEnv() {
    Stop();
    if (m_serverCreated)
        ServerAdmin(QStringLiteral("drop database if exists %1 with (force)").arg(m_serverDatabase));
    ModMain::SetBoxHandler({});
    ModMain::SetModalHandler({});
    ModMain::SetProgramFolder(QString());
}

QString TestEnv::Folder() const { return m_dir->path(); }
QString TestEnv::Path(const QString& name) const { return m_dir->filePath(name); }
QString TestEnv::IniPath() const {
    return Path(ModMain::ExecutableBaseName() + QStringLiteral(".ini"));
}

bool TestEnv::CreateDatabase() {
    if (OnServer()) {
        // A fresh database each time, as a new file would be.
        if (m_serverCreated)
            ServerAdmin(QStringLiteral("drop database if exists %1 with (force)").arg(m_serverDatabase));
        m_serverCreated = true;
    }
    const QString error = DbSchema::CreateDatabase(DbPath());
    if (!error.isEmpty())
        qWarning("CreateDatabase: %s", qPrintable(error));
    if (error.isEmpty() && OnServer()) {
        // The embedded engine's group_concat(), typeof() and quote(), which the tests
        // use to read whole tables in one value.
        for (const char* sql : {
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
             })
            Sql(QString::fromLatin1(sql));
    }
    if (OnServer()) {
        // The program finds a server database only through its settings.
        ClsIni ini;
        ini.SetIniFile(IniPath());
        ini.WriteValue(QStringLiteral("Config"), QStringLiteral("DbName"), DbPath());
    }
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
    if (ModMain::IsRunning())
        ModMain::Terminate();
    m_started = false;
}

QStringList TestEnv::LogLines() const {
    QFile file(ModMain::LogFilePath());
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

void TestEnv::ClearLog() { QFile::remove(ModMain::LogFilePath()); }

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

bool TestEnv::RunStatement(const QString& connStr, const QString& sql, QVariant* first,
                           QString* error) {
    const QString name = QStringLiteral("testenv-") + QUuid::createUuid().toString();
    bool ok = false;
    {
        QSqlDatabase db;
        try {
            if (ConnectionInfo::IsServerUri(connStr)) {
                db = SqlDialect::For(connStr)->AddConnection(name, connStr);
            } else {
                // Opening makes the file when it is not there yet.
                db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
                db.setDatabaseName(connStr);
                db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
            }
        } catch (const std::exception& e) {
            if (error)
                *error = QString::fromStdString(e.what());
        }
        if (db.isValid() && !db.open()) {
            if (error)
                *error = db.lastError().text();
        } else if (db.isValid()) {
            QSqlQuery q(db);
            if (ConnectionInfo::IsServerUri(connStr))
                q.exec(QStringLiteral("set client_min_messages = warning"));
            ok = q.exec(sql);
            if (ok && first && q.next())
                *first = q.value(0);
            if (!ok && error)
                *error = q.lastError().text();
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

#include "data/PostgresDialect.h"

#include "base/ErrorTrap.h"
#include "data/ConnectionInfo.h"
#include "data/DbSchema.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

// Seconds before a connection attempt to an unreachable host gives up.
constexpr int kConnectTimeoutSeconds = 10;

QString OurTables() {
    // Unquoted names are folded to lower case by the server.
    return QStringLiteral("('tblgroups', 'tblresources', 'tbltasks', 'tblcustomers', "
                          "'tblcustomergroups', 'tblbookings', 'tblrepeats', 'tblproperties')");
}

QString QuotedIdentifier(const QString& name) {
    QString out = name;
    out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

// Keeps an identity column's sequence ahead of every identifier in its
// table, also of those inserted with an explicit value (a copied database),
// so that no identifier is ever handed out twice.
const char* const kIdsAheadFunction =
    "create or replace function tarvelo_ids_ahead() returns trigger language plpgsql as $$\n"
    "declare\n"
    "  seq text := pg_get_serial_sequence(quote_ident(TG_TABLE_NAME), TG_ARGV[0]);\n"
    "  top bigint;\n"
    "  last bigint;\n"
    "begin\n"
    "  execute format('select max(%I) from %I', TG_ARGV[0], TG_TABLE_NAME) into top;\n"
    "  execute format('select last_value from %s', seq) into last;\n"
    "  if top >= last then\n"
    "    perform setval(seq, top);\n"
    "  end if;\n"
    "  return null;\n"
    "end $$";

} // namespace

QSqlDatabase PostgresDialect::AddServerConnection(const QString& name, const ConnectionInfo& info) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setDatabaseName(info.Database());
    db.setHostName(info.Host());
    db.setUserName(info.User());
    if (info.Port() != 0)
        db.setPort(info.Port());
    // No password here: libpq reads the password file or PGPASSWORD.
    // Defaults the name may override: a host that does not answer is given
    // up after a while, and a connection whose server vanished is noticed
    // (idle keep-alives; unacknowledged data after 15 s) instead of hanging
    // a statement for the system's TCP timeout.
    QStringList options = info.Options();
    const QStringList defaults{
        QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds),
        QStringLiteral("keepalives_idle=30"), QStringLiteral("keepalives_interval=10"),
        QStringLiteral("keepalives_count=3"), QStringLiteral("tcp_user_timeout=15000"),
        QStringLiteral("application_name=Tarvelo")};
    for (const QString& option : defaults) {
        const QString key = option.left(option.indexOf(QLatin1Char('=')) + 1);
        bool given = false;
        for (const QString& own : info.Options())
            given |= own.startsWith(key);
        if (!given)
            options << option;
    }
    db.setConnectOptions(options.join(QLatin1Char(';')));
    return db;
}

QSqlDatabase PostgresDialect::AddConnection(const QString& name, const QString& connStr) const {
    const ConnectionInfo info = ConnectionInfo::Parse(connStr);
    if (!info.Valid())
        throw TarveloError(QStringLiteral("bad database URI: ") + info.Error());
    if (info.HasPassword())
        throw TarveloError(QStringLiteral("a password in the database URI is not used: put it in "
                                          "the PostgreSQL password file"));
    return AddServerConnection(name, info);
}

QString PostgresDialect::StatementProblem(const QString& sql) const {
    const int n = int(sql.size());
    const auto at = [&](int i) { return i < n ? sql[i] : QChar(); };
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A literal or quoted name; E'...' literals also end not at \'.
            const bool escapes = c == QLatin1Char('\'') && i > 0 &&
                                 (sql[i - 1] == QLatin1Char('E') || sql[i - 1] == QLatin1Char('e'));
            ++i;
            while (i < n) {
                if (escapes && sql[i] == QLatin1Char('\\')) {
                    i += 2;
                } else if (sql[i] == c) {
                    if (at(i + 1) != c)
                        break;
                    i += 2; // a doubled quote stays inside
                } else {
                    ++i;
                }
            }
            if (i >= n)
                return QStringLiteral("unterminated quoted text");
            ++i;
        } else if (c == QLatin1Char('-') && at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && at(i + 1) == QLatin1Char('*')) {
            const int end = int(sql.indexOf(QStringLiteral("*/"), i + 2));
            if (end < 0)
                return QStringLiteral("unterminated comment");
            i = end + 2;
        } else if (c == QLatin1Char('$')) {
            // A dollar-quoted literal: $$...$$ or $tag$...$tag$.
            static const QRegularExpression tag(QStringLiteral("\\$[A-Za-z_]?[A-Za-z_0-9]*\\$"));
            const QRegularExpressionMatch m =
                tag.match(sql, i, QRegularExpression::NormalMatch,
                          QRegularExpression::AnchorAtOffsetMatchOption);
            if (!m.hasMatch() || (i > 0 && (sql[i - 1].isLetterOrNumber() ||
                                            sql[i - 1] == QLatin1Char('_')))) {
                ++i;
                continue;
            }
            const int end = int(sql.indexOf(m.captured(), i + m.capturedLength()));
            if (end < 0)
                return QStringLiteral("unterminated quoted text");
            i = end + m.capturedLength();
        } else if (c == QLatin1Char(';')) {
            if (!sql.mid(i + 1).trimmed().isEmpty())
                return QStringLiteral("more than one statement in one call");
            ++i;
        } else {
            ++i;
        }
    }
    return QString();
}

QString PostgresDialect::Opened(QSqlDatabase& db) const {
    // The server's notices ("already exists, skipping") are no news here.
    QSqlQuery q(db);
    q.exec(QStringLiteral("set client_min_messages = warning"));
    // Quoted texts only double their quotes. A server that reads a backslash
    // in a literal as an escape (standard_conforming_strings off, set for the
    // database or the user) would end the literal at a backslash and a quote
    // and run the rest of the text as statements: such a connection is not
    // worked on.
    if (!q.exec(QStringLiteral("set standard_conforming_strings = on")) ||
        !q.exec(QStringLiteral("show standard_conforming_strings")) || !q.next())
        return QStringLiteral("standard_conforming_strings cannot be set on (%1)")
            .arg(ErrorText(q.lastError()));
    if (q.value(0).toString() != QStringLiteral("on"))
        return QStringLiteral("standard_conforming_strings cannot be set on");
    return {};
}

QString PostgresDialect::SchemaProblem(QSqlDatabase& db) const {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select count(*) from information_schema.tables where "
                               "table_schema = current_schema() and table_name in ") +
                OurTables()))
        return ErrorText(q.lastError());
    if (q.next() && q.value(0).toInt() == 8)
        return QString();
    return QStringLiteral("not a Tarvelo database (its tables are made by tarvelo "
                          "--create-database)");
}

QStringList PostgresDialect::CreateStatements() {
    static const QRegularExpression table(
        QStringLiteral("^create table if not exists (\\w+) \\((\\w+) integer primary key "
                       "autoincrement"));
    QStringList out{QStringLiteral("create extension if not exists citext"),
                    QString::fromLatin1(kIdsAheadFunction)};
    for (QString sql : DbSchema::CreateStatements()) {
        const QRegularExpressionMatch identity = table.match(sql);
        sql.replace(QStringLiteral("integer primary key autoincrement"),
                    QStringLiteral("integer generated by default as identity primary key"));
        sql.replace(QStringLiteral("text primary key collate nocase"),
                    QStringLiteral("citext collate \"C\" primary key"));
        sql.replace(QStringLiteral("text collate nocase"), QStringLiteral("citext collate \"C\""));
        out << sql;
        if (identity.hasMatch())
            out << QStringLiteral("create or replace trigger %1IdsAhead after insert on %1 for "
                                  "each statement execute function tarvelo_ids_ahead('%2')")
                       .arg(identity.captured(1), identity.captured(2).toLower());
    }
    return out;
}

QString PostgresDialect::CreateDatabase(const QString& connStr) const {
    const ConnectionInfo info = ConnectionInfo::Parse(connStr);
    if (!info.Valid())
        return QStringLiteral("bad database URI: ") + info.Error();
    if (info.HasPassword())
        return QStringLiteral("a password does not belong in the database URI: put it in the "
                              "PostgreSQL password file");
    const QString name = QStringLiteral("tarvelo-create-") + QUuid::createUuid().toString();
    const QString adminName = name + QStringLiteral("-admin");
    QString error;
    {
        QSqlDatabase db = AddServerConnection(name, info);
        if (!db.open()) {
            const QString reason = ErrorText(db.lastError());
            if (!reason.contains(QStringLiteral("does not exist"))) {
                error = reason;
            } else {
                // A database not made yet is made on the server, through its
                // maintenance database.
                QSqlDatabase admin = AddServerConnection(
                    adminName, ConnectionInfo::Parse(info.WithDatabase(QStringLiteral("postgres"))));
                if (!admin.open()) {
                    error = reason + QStringLiteral("; ") + ErrorText(admin.lastError());
                } else {
                    QSqlQuery create(admin);
                    if (!create.exec(QStringLiteral("create database ") +
                                     QuotedIdentifier(info.Database()) +
                                     QStringLiteral(" encoding 'UTF8' template template0")))
                        error = ErrorText(create.lastError());
                    create.finish();
                    admin.close();
                }
                if (error.isEmpty() && !db.open())
                    error = ErrorText(db.lastError());
            }
        }
        if (error.isEmpty())
            error = Opened(db);
        if (error.isEmpty()) {
            QSqlQuery q(db);
            // A database of another program is left exactly as it is.
            if (!q.exec(QStringLiteral("select count(*), count(*) filter (where table_name in ") +
                        OurTables() +
                        QStringLiteral(") from information_schema.tables where table_schema = "
                                       "current_schema()")) ||
                !q.next())
                error = ErrorText(q.lastError());
            else if (q.value(0).toInt() > 0 && q.value(1).toInt() == 0)
                error = QStringLiteral("%1 holds the tables of another program").arg(info.Database());
            q.finish();
            // All or nothing: a failure half-way leaves no half-made schema.
            if (error.isEmpty() && !q.exec(QStringLiteral("begin")))
                error = ErrorText(q.lastError());
            for (const QString& sql : CreateStatements()) {
                if (!error.isEmpty())
                    break;
                if (!q.exec(sql))
                    error = ErrorText(q.lastError()) + QStringLiteral(" (") + sql + QLatin1Char(')');
            }
            if (error.isEmpty() && !q.exec(QStringLiteral("commit")))
                error = ErrorText(q.lastError());
            if (!error.isEmpty())
                q.exec(QStringLiteral("rollback"));
            q.finish();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(adminName);
    QSqlDatabase::removeDatabase(name);
    return error;
}

QString PostgresDialect::PropertySetSql() const {
    return QStringLiteral("insert into tblProperties (PropName, PropValue) values (?, ?) "
                          "on conflict (PropName) do update set PropValue = excluded.PropValue");
}

QStringList PostgresDialect::BeginWriteSql() const {
    // Every writer that tests before it writes takes the same lock, so that a
    // second workstation waits and then sees the first one's rows.
    return {QStringLiteral("begin"),
            QStringLiteral("select pg_advisory_xact_lock(%1)").arg(WriterLockKey)};
}

QString PostgresDialect::BeginReadSql() const {
    // One snapshot for every statement of the transaction; writers go on.
    return QStringLiteral("begin isolation level repeatable read");
}

void PostgresDialect::Compact(const QString& connStr, QSqlError& failure, QSqlError&) const {
    // The server compacts in place; other workstations keep their connections.
    const QString name = QStringLiteral("tarvelo-compact-") + QUuid::createUuid().toString();
    {
        const ConnectionInfo info = ConnectionInfo::Parse(connStr);
        QSqlDatabase db = AddServerConnection(name, info);
        if (!info.Valid()) {
            failure = QSqlError(QString(), info.Error(), QSqlError::ConnectionError);
        } else if (!db.open()) {
            failure = db.lastError();
        } else {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("vacuum analyze")))
                failure = q.lastError();
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

void PostgresDialect::AnnounceStamp(QSqlDatabase& db, qint32 stamp) const {
    // Inside a transaction the notice is delivered at its commit, and not at
    // all when it is rolled back.
    QSqlQuery q(db);
    q.exec(QStringLiteral("select pg_notify('%1', '%2')").arg(ChangeChannel()).arg(stamp));
}

bool PostgresDialect::Listen(QSqlDatabase& db) const {
    QSqlDriver* driver = db.driver();
    if (!driver || !driver->hasFeature(QSqlDriver::EventNotifications))
        return false;
    if (driver->subscribedToNotifications().contains(ChangeChannel()))
        return true;
    return driver->subscribeToNotification(ChangeChannel());
}

bool PostgresDialect::ConnectionLost(QSqlDatabase& db) const {
    if (!db.isOpen())
        return true;
    QSqlQuery q(db);
    // Inside a failed transaction every statement fails: that is no loss.
    if (q.exec(QStringLiteral("select 1")))
        return false;
    const QString text = ErrorText(q.lastError());
    return !text.contains(QStringLiteral("current transaction is aborted"));
}

QString PostgresDialect::IndexListSql() const {
    return QStringLiteral("select indexname from pg_indexes where schemaname = current_schema()");
}

QStringList PostgresDialect::SchemaStatements() const { return CreateStatements(); }

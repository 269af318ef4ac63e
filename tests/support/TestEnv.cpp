#include "TestEnv.h"

#include "data/DbSchema.h"

#include <QDialog>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

TestEnv::TestEnv() : m_dir(std::make_unique<QTemporaryDir>()) {
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
    ModMain::SetBoxHandler({});
    ModMain::SetModalHandler({});
    ModMain::SetProgramFolder(QString());
}

QString TestEnv::Folder() const { return m_dir->path(); }
QString TestEnv::Path(const QString& name) const { return m_dir->filePath(name); }
QString TestEnv::IniPath() const {
    return Path(ModMain::ExecutableBaseName() + QStringLiteral(".ini"));
}

bool TestEnv::CreateDatabase() { return DbSchema::CreateDatabase(DbPath()).isEmpty(); }

bool TestEnv::Start() {
    if (!QFile::exists(DbPath()) && !CreateDatabase())
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

QVariant TestEnv::Sql(const QString& sql) const {
    const QString name = QStringLiteral("testenv-") + QUuid::createUuid().toString();
    QVariant result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(DbPath());
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql) && q.next())
                result = q.value(0);
            else if (q.lastError().type() != QSqlError::NoError)
                qWarning("TestEnv::Sql failed: %s (%s)", qPrintable(q.lastError().text()),
                         qPrintable(sql));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

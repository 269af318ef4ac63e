#include "data/Database.h"

#include "base/ErrorTrap.h"
#include "base/SharedInstance.h"
#include "data/ClsDAO.h"
#include "data/ConnectionInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>

namespace {
SharedInstance<ClsDAO> g_dao("ClsDAO");
} // namespace

ClsDAO& Database::DAO() { return g_dao.Get(); }
void Database::Create() { g_dao.Create(); }
void Database::Release() { g_dao.Release(); }

QString Database::Problem(const QString& path) {
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

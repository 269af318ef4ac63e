#include "SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUuid>

namespace {
bool Run(const QString& program, const QStringList& args, QString* output) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(30000)) {
        *output = program + QStringLiteral(" did not finish");
        return false;
    }
    *output = QString::fromLocal8Bit(p.readAll()).trimmed();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
} // namespace

SmallDisk::SmallDisk(int kib) {
    m_path = QDir::tempPath() + QStringLiteral("/tarvelo-full-") +
             QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!QDir().mkpath(m_path)) {
        m_why = QStringLiteral("cannot make ") + m_path;
        return;
    }
    QString output;
    m_mounted = Run(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=%1k").arg(kib), QStringLiteral("tmpfs"), m_path},
                    &output);
    if (!m_mounted)
        m_why = QStringLiteral("a small disk cannot be mounted here: ") + output;
}

SmallDisk::~SmallDisk() {
    QString output;
    if (m_mounted)
        Run(QStringLiteral("umount"), {m_path}, &output);
    QDir(m_path).removeRecursively();
}

void SmallDisk::Fill() {
    QFile file(m_path + QStringLiteral("/filler"));
    if (!file.open(QIODevice::Append))
        return;
    const QByteArray block(4096, 'f');
    while (file.write(block) > 0 && file.flush()) {
    }
    const QByteArray byte(1, 'f');
    while (file.write(byte) > 0 && file.flush()) {
    }
}

bool SmallDisk::MakeReadOnly() {
    QString output;
    return m_mounted && Run(QStringLiteral("mount"),
                            {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_path}, &output);
}

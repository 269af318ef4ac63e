#include "app/ClsIni.h"

#include "app/ErrorTrap.h"
#include "app/IniDocument.h"
#include "app/ModMain.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString ArgText(const QVariant& v) { return v.isValid() ? v.toString() : QString(); }

QString FailureLine(const char* op, const QString& sect, const QString& key, const QVariant& v) {
    return QStringLiteral("ERROR: ClsIni.%1(\"%2\", \"%3\", \"%4\")")
        .arg(QString::fromLatin1(op), sect, key, ArgText(v));
}

QByteArray ReadAll(const QString& path, bool& exists) {
    QFile file(path);
    exists = file.exists();
    if (!exists)
        return {};
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw TarveloError(QStringLiteral("cannot read ") + path);
    return file.readAll();
}

} // namespace

void ClsIni::SetIniFile(const QString& path) {
    m_iniFile = path;
    if (!m_iniFile.contains(QLatin1Char('.')))
        m_iniFile += QStringLiteral(".ini");
}

QString ClsIni::GetValue(const QString& sectName, const QString& keyName,
                         const QVariant& defVal) const {
    if (m_iniFile.isEmpty())
        return ArgText(defVal);
    try {
        bool exists = false;
        const QByteArray bytes = ReadAll(m_iniFile, exists);
        const auto value = IniDocument::FromBytes(bytes).Value(sectName, keyName);
        if (!value)
            return ArgText(defVal);
        return value->left(MaxValueLength);
    } catch (...) {
        ModMain::WriteLog(FailureLine("GetValue", sectName, keyName, defVal));
        return ArgText(defVal);
    }
}

void ClsIni::WriteValue(const QString& sectName, const QString& keyName, const QVariant& newVal) {
    if (m_iniFile.isEmpty())
        return;
    try {
        bool exists = false;
        IniDocument doc = IniDocument::FromBytes(ReadAll(m_iniFile, exists));
        doc.SetValue(sectName, keyName, ArgText(newVal));
        QSaveFile out(m_iniFile);
        if (!out.open(QIODevice::WriteOnly))
            throw TarveloError(QStringLiteral("cannot write ") + m_iniFile);
        out.write(doc.ToBytes());
        if (!out.commit())
            throw TarveloError(QStringLiteral("cannot write ") + m_iniFile);
    } catch (...) {
        ModMain::WriteLog(FailureLine("WriteValue", sectName, keyName, newVal));
    }
}

QStringList ClsIni::GetSectionNames() const {
    QStringList names;
    if (m_iniFile.isEmpty())
        return names;
    QFile file(m_iniFile);
    if (!file.open(QIODevice::ReadOnly))
        throw TarveloError(QStringLiteral("cannot open ") + m_iniFile);
    bool first = true;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (first && line.startsWith(IniDocument::Utf8Bom))
            line.remove(0, 3);
        first = false;
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.size() >= 2 && line.startsWith('[') && line.endsWith(']')) {
            const QString name = QString::fromUtf8(line.mid(1, line.size() - 2));
            names << name;
            ModMain::WriteLog(name);
        }
    }
    return names;
}

QString ClsIni::VersionNumber() const { return ModMain::VersionNumber(); }

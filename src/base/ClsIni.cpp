#include "base/ClsIni.h"

#include <atomic>

#include "base/ErrorLog.h"
#include "base/ErrorTrap.h"
#include "base/FileWriter.h"
#include "base/IniDocument.h"
#include "base/ProgramVersion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

std::atomic<quint64> g_writes{0};

QString ArgText(const QVariant& v) { return v.isValid() ? v.toString() : QString(); }

QString FailureLine(const char* op, const QString& sect, const QString& key, const QVariant& v) {
    return QStringLiteral("ERROR: ClsIni.%1(\"%2\", \"%3\", \"%4\")")
        .arg(QString::fromLatin1(op), sect, key, ArgText(v));
}

[[noreturn]] void Refuse(const QString& path, const QString& reason) {
    throw TarveloError(QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason);
}

// The whole file, or no bytes for a missing one. Only a plain file of at
// most MaxFileSize bytes is read: a pipe or a link to a device would never
// end, and reading one must not hang the program.
QByteArray ReadAll(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (info.isDir())
        Refuse(path, QStringLiteral("is a folder"));
    if (!info.isFile())
        Refuse(path, QStringLiteral("is not a plain file"));
    const QString tooLarge =
        QStringLiteral("is larger than %1 MiB").arg(ClsIni::MaxFileSize / (1024 * 1024));
    if (info.size() > ClsIni::MaxFileSize)
        Refuse(path, tooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Refuse(path, file.errorString());
    const QByteArray bytes = file.read(ClsIni::MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        Refuse(path, file.errorString());
    if (bytes.size() > ClsIni::MaxFileSize)
        Refuse(path, tooLarge);
    return bytes;
}

QString Reason(const std::exception& e) {
    return QString::fromStdString(e.what());
}

} // namespace

void ClsIni::SetIniFile(const QString& path) {
    m_iniFile = path;
    if (!m_iniFile.contains(QLatin1Char('.')))
        m_iniFile += QStringLiteral(".ini");
}

QString ClsIni::Read(const QString& sectName, const QString& keyName, const QVariant& defVal,
                     int maxLength) const {
    if (m_iniFile.isEmpty())
        return ArgText(defVal);
    try {
        const auto value =
            m_held ? m_held->Value(sectName, keyName)
                   : IniDocument::FromBytes(ReadAll(m_iniFile)).Value(sectName, keyName);
        if (!value)
            return ArgText(defVal);
        return maxLength < 0 ? *value : value->left(maxLength);
    } catch (const std::exception& e) {
        m_error = Reason(e);
    } catch (...) {
        m_error.clear();
    }
    ErrorLog::Write(FailureLine("GetValue", sectName, keyName, defVal));
    if (!m_error.isEmpty())
        ErrorLog::Write(m_error);
    return ArgText(defVal);
}

QString ClsIni::GetValue(const QString& sectName, const QString& keyName,
                         const QVariant& defVal) const {
    return Read(sectName, keyName, defVal, MaxValueLength);
}

QString ClsIni::GetWholeValue(const QString& sectName, const QString& keyName,
                              const QVariant& defVal) const {
    return Read(sectName, keyName, defVal, -1);
}

bool ClsIni::WriteValue(const QString& sectName, const QString& keyName, const QVariant& newVal) {
    return WriteValues(sectName, {{keyName, newVal}});
}

quint64 ClsIni::Writes() {
    return g_writes.load();
}

bool ClsIni::WriteValues(const QString& sectName, const Entries& entries) {
    if (m_iniFile.isEmpty() || entries.isEmpty())
        return true;
    m_held.reset();
    try {
        IniDocument doc = IniDocument::FromBytes(ReadAll(m_iniFile));
        for (const auto& entry : entries)
            doc.SetValue(sectName, entry.first, ArgText(entry.second));
        QString error;
        if (FileWriter::WriteAll(m_iniFile, doc.ToBytes(), &error)) {
            g_writes.fetch_add(1);
            return true;
        }
        m_error = error;
    } catch (const std::exception& e) {
        m_error = Reason(e);
    } catch (...) {
        m_error.clear();
    }
    ErrorLog::Write(
        FailureLine("WriteValue", sectName, entries.first().first, entries.first().second));
    if (!m_error.isEmpty())
        ErrorLog::Write(m_error);
    return false;
}

QStringList ClsIni::GetSectionNames() const {
    QStringList names;
    if (m_iniFile.isEmpty())
        return names;
    if (!QFileInfo::exists(m_iniFile))
        Refuse(m_iniFile, QStringLiteral("no such file"));
    QByteArray bytes = ReadAll(m_iniFile);
    if (bytes.startsWith(IniDocument::Utf8Bom))
        bytes.remove(0, 3);
    for (QByteArray line : bytes.split('\n')) {
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.size() >= 2 && line.startsWith('[') && line.endsWith(']')) {
            const QString name =
                IniDocument::Decode(QString::fromUtf8(line.mid(1, line.size() - 2)));
            names << name;
            ErrorLog::Write(name);
        }
    }
    return names;
}

QString ClsIni::ReadProblem() const {
    if (m_iniFile.isEmpty())
        return QString();
    try {
        ReadAll(m_iniFile);
        return QString();
    } catch (const std::exception& e) {
        return Reason(e);
    }
}

QString ClsIni::Hold() {
    m_held.reset();
    if (m_iniFile.isEmpty())
        return QString();
    try {
        auto doc = std::make_shared<IniDocument>(IniDocument::FromBytes(ReadAll(m_iniFile)));
        doc->Index();
        m_held = std::move(doc);
        return QString();
    } catch (const std::exception& e) {
        return Reason(e);
    }
}

int ClsIni::LineOf(const QString& sectName, const QString& keyName) const {
    return m_held ? m_held->LineOf(sectName, keyName) : 0;
}

QString ClsIni::VersionNumber() const { return ProgramVersion::Number(); }

#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// Reads and writes one INI file: "[Section]" lines, "key=value" entries, ";"
// comments, CR LF line ends, names matched without regard to case. A write
// replaces one line (or adds one) and leaves every other line as it was.
class ClsIni {
public:
    static constexpr int MaxValueLength = 254;

    QString IniFile() const { return m_iniFile; }
    void SetIniFile(const QString& path);

    QString GetValue(const QString& sectName, const QString& keyName,
                     const QVariant& defVal = QVariant()) const;
    void WriteValue(const QString& sectName, const QString& keyName, const QVariant& newVal);
    QStringList GetSectionNames() const; // throws when the file cannot be read
    QString VersionNumber() const;

private:
    QString m_iniFile;
};

#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

class IniDocument;

// Reads and writes one INI file: "[Section]" lines, "key=value" entries, ";"
// comments, CR LF line ends, names matched without regard to case. A write
// replaces one line (or adds one) and leaves every other line as it was; the
// file is replaced whole or not at all, so a full disk keeps the old file.
class ClsIni {
public:
    static constexpr int MaxValueLength = 254;
    // A larger file (or a pipe, a device) is no settings file: it is
    // refused instead of being read without end.
    static constexpr qint64 MaxFileSize = 1024 * 1024;

    QString IniFile() const { return m_iniFile; }
    void SetIniFile(const QString& path);

    // The value as text, cut to MaxValueLength characters.
    QString GetValue(const QString& sectName, const QString& keyName,
                     const QVariant& defVal = QVariant()) const;
    // The value whole, however long (a path the system allows).
    QString GetWholeValue(const QString& sectName, const QString& keyName,
                          const QVariant& defVal = QVariant()) const;
    // False when the file could not be written; Error() then says why.
    bool WriteValue(const QString& sectName, const QString& keyName, const QVariant& newVal);
    // Writes several entries of one section with one rewrite of the file:
    // all of them or, on a failure, none.
    using Entries = QList<QPair<QString, QVariant>>;
    bool WriteValues(const QString& sectName, const Entries& entries);
    QStringList GetSectionNames() const; // throws when the file cannot be read
    QString VersionNumber() const;

    // Empty when the file can be read (or is missing); else "path: reason".
    QString ReadProblem() const;
    // Reads the file once and answers GetValue from that copy until the
    // next write, for a reader of many keys (a template of a thousand
    // resources). Returns what ReadProblem() would.
    QString Hold();
    // Where the copy Hold() took gives the key its value (IniDocument::LineOf);
    // 0 without a held copy.
    int LineOf(const QString& sectName, const QString& keyName) const;
    // How many writes this program has made to any settings file: a reader
    // that keeps a value may keep it while the count stands.
    static quint64 Writes();
    // "path: reason" of the last failed read or write.
    QString Error() const { return m_error; }

private:
    QString Read(const QString& sectName, const QString& keyName, const QVariant& defVal,
                 int maxLength) const;

    QString m_iniFile;
    mutable QString m_error;
    std::shared_ptr<IniDocument> m_held;
};

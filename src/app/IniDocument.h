#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <optional>

// The lines of an INI file kept byte for byte with their own line ends, so a
// rewrite changes only the line it means to change.
class IniDocument {
public:
    static constexpr char Utf8Bom[] = "\xEF\xBB\xBF";
    static IniDocument FromBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;

    std::optional<QString> Value(const QString& section, const QString& key) const;
    void SetValue(const QString& section, const QString& key, const QString& value);

private:
    struct Line {
        QByteArray text;
        QByteArray end; // "\r\n", "\n", "\r" or empty for a last line without one
    };
    static std::optional<QString> SectionName(const QByteArray& line);
    static bool SplitEntry(const QByteArray& line, QString& key, QString& value);
    int FindSection(const QString& section) const;
    int SectionEnd(int sectionLine) const;

    QByteArray m_bom; // a UTF-8 byte order mark before the first line, kept as it was
    QVector<Line> m_lines;
};

#pragma once

#include <QByteArray>
#include <QHash>
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
    // Makes Value() a look-up instead of a walk through the lines, for a
    // reader of many keys; SetValue() drops the index.
    void Index();
    // The line (from 1) that gives the key its value, as Value() finds it;
    // the section's line when the key is missing, 0 without the section.
    int LineOf(const QString& section, const QString& key) const;
    void SetValue(const QString& section, const QString& key, const QString& value);

    // A line break inside a name or value would split its line or start a
    // section of its own, so none is ever written raw. CR is written as
    // U+240D "␍" and LF as U+2424 "␤" (the symbols for them), and
    // these two and the escape U+241B "␛" itself, where a text holds
    // them, are written with "␛" before them. Older versions never wrote
    // these symbols and nobody types them, so their files read as before.
    static QString Encode(const QString& text);
    static QString Decode(const QString& text);

private:
    struct Line {
        QByteArray text;
        QByteArray end; // "\r\n", "\n", "\r" or empty for a last line without one
    };
    static std::optional<QString> SectionName(const QByteArray& line);
    static bool SplitEntry(const QByteArray& line, QString& key, QString& value);
    int FindSection(const QString& section) const;
    int SectionEnd(int sectionLine) const;
    // The index of the key's line in the first copy of the section, -1 when
    // there is none; *value takes its value.
    int FindEntry(const QString& section, const QString& key, QString* value) const;

    static QString IndexKey(const QString& section, const QString& key);

    QByteArray m_bom; // a UTF-8 byte order mark before the first line, kept as it was
    // Section and key, case-folded, of each entry that Value() would find.
    QHash<QString, QString> m_index;
    bool m_indexed = false;
    QVector<Line> m_lines;
};

#include "base/IniDocument.h"

#include <QSet>

namespace {
const QByteArray kCrLf("\r\n");
constexpr char16_t kCr = u'\u240d';
constexpr char16_t kLf = u'\u2424';
constexpr char16_t kEscape = u'\u241b';

bool IsComment(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    return t.startsWith(';');
}
} // namespace

QString IniDocument::Encode(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\r')) {
            out += QChar(kCr);
        } else if (c == QLatin1Char('\n')) {
            out += QChar(kLf);
        } else {
            if (c == kCr || c == kLf || c == kEscape)
                out += QChar(kEscape);
            out += c;
        }
    }
    return out;
}

QString IniDocument::Decode(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == kEscape && i + 1 < text.size())
            out += text.at(++i);
        else if (c == kCr)
            out += QLatin1Char('\r');
        else if (c == kLf)
            out += QLatin1Char('\n');
        else
            out += c;
    }
    return out;
}

IniDocument IniDocument::FromBytes(const QByteArray& bytes) {
    IniDocument doc;
    qsizetype start = 0;
    // An editor may have put a byte order mark before the first section.
    if (bytes.startsWith(Utf8Bom)) {
        doc.m_bom = QByteArray(Utf8Bom);
        start = doc.m_bom.size();
    }
    const qsizetype n = bytes.size();
    while (start < n) {
        qsizetype i = start;
        while (i < n && bytes[i] != '\n' && bytes[i] != '\r')
            ++i;
        Line line;
        line.text = bytes.mid(start, i - start);
        if (i < n) {
            if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
                line.end = kCrLf;
                i += 2;
            } else {
                line.end = bytes.mid(i, 1);
                i += 1;
            }
        }
        doc.m_lines.push_back(line);
        start = i;
    }
    return doc;
}

QByteArray IniDocument::ToBytes() const {
    QByteArray out = m_bom;
    for (const Line& line : m_lines)
        out += line.text + line.end;
    return out;
}

std::optional<QString> IniDocument::SectionName(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    if (t.size() < 2 || !t.startsWith('['))
        return std::nullopt;
    // The name runs to the last "]": group names such as "Rooms [1]" are
    // section names of the template file.
    const qsizetype close = t.lastIndexOf(']');
    if (close < 1)
        return std::nullopt;
    return Decode(QString::fromUtf8(t.mid(1, close - 1)).trimmed());
}

bool IniDocument::SplitEntry(const QByteArray& line, QString& key, QString& value) {
    if (IsComment(line))
        return false;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return false;
    key = Decode(QString::fromUtf8(line.left(eq)).trimmed());
    value = Decode(QString::fromUtf8(line.mid(eq + 1)).trimmed());
    return !key.isEmpty();
}

int IniDocument::FindSection(const QString& section) const {
    // Blanks around a name do not count, in the file or in the call.
    const QString wanted = section.trimmed();
    for (int i = 0; i < m_lines.size(); ++i) {
        const auto name = SectionName(m_lines[i].text);
        if (name && name->compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniDocument::SectionEnd(int sectionLine) const {
    int i = sectionLine + 1;
    while (i < m_lines.size() && !SectionName(m_lines[i].text))
        ++i;
    return i;
}

QString IniDocument::IndexKey(const QString& section, const QString& key) {
    return section.trimmed().toCaseFolded() + QLatin1Char('\n') + key.trimmed().toCaseFolded();
}

void IniDocument::Index() {
    m_index.clear();
    // As Value() reads: the first copy of a section, the first of equal keys.
    QSet<QString> sections;
    QString current;
    bool first = false;
    for (const Line& line : m_lines) {
        if (const auto name = SectionName(line.text)) {
            current = name->toCaseFolded();
            first = !sections.contains(current);
            sections.insert(current);
            continue;
        }
        QString k, v;
        if (first && SplitEntry(line.text, k, v)) {
            const QString at = IndexKey(current, k);
            if (!m_index.contains(at))
                m_index.insert(at, v);
        }
    }
    m_indexed = true;
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const {
    if (m_indexed) {
        const auto it = m_index.constFind(IndexKey(section, key));
        return it == m_index.constEnd() ? std::nullopt : std::optional<QString>(*it);
    }
    QString v;
    return FindEntry(section, key, &v) < 0 ? std::nullopt : std::optional<QString>(v);
}

int IniDocument::FindEntry(const QString& section, const QString& key, QString* value) const {
    const int s = FindSection(section);
    if (s < 0)
        return -1;
    const int end = SectionEnd(s);
    const QString wanted = key.trimmed();
    for (int i = s + 1; i < end; ++i) {
        QString k;
        if (SplitEntry(m_lines[i].text, k, *value) && k.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniDocument::LineOf(const QString& section, const QString& key) const {
    QString v;
    const int i = FindEntry(section, key, &v);
    return (i >= 0 ? i : FindSection(section)) + 1;
}

void IniDocument::SetValue(const QString& section, const QString& key, const QString& value) {
    m_index.clear();
    m_indexed = false;
    const QByteArray encodedValue = Encode(value).toUtf8();
    const QByteArray entry = Encode(key).toUtf8() + '=' + encodedValue;
    // A last line without its own line end gets one before anything follows it.
    auto terminateLast = [this] {
        if (!m_lines.isEmpty() && m_lines.last().end.isEmpty())
            m_lines.last().end = kCrLf;
    };
    const int s = FindSection(section);
    if (s < 0) {
        terminateLast();
        m_lines.push_back({QByteArray("[") + Encode(section).toUtf8() + ']', kCrLf});
        m_lines.push_back({entry, kCrLf});
        return;
    }
    const int end = SectionEnd(s);
    const QString wanted = key.trimmed();
    int lastContent = s;
    for (int i = s + 1; i < end; ++i) {
        QString k, v;
        if (SplitEntry(m_lines[i].text, k, v) && k.compare(wanted, Qt::CaseInsensitive) == 0) {
            // The key keeps the spelling the file gives it; only the value changes.
            const QByteArray& text = m_lines[i].text;
            m_lines[i].text = text.left(text.indexOf('=')).trimmed() + '=' + encodedValue;
            return;
        }
        if (!m_lines[i].text.trimmed().isEmpty())
            lastContent = i;
    }
    if (m_lines[lastContent].end.isEmpty())
        m_lines[lastContent].end = kCrLf;
    m_lines.insert(lastContent + 1, {entry, kCrLf});
}

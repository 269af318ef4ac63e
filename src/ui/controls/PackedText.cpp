#include "ui/controls/PackedText.h"

#include <limits>

PackedText::PackedText(const PackedText& other)
    : m_other(other.m_other ? std::make_unique<QString>(*other.m_other) : nullptr),
      m_number(other.m_number), m_prefix(other.m_prefix), m_kind(other.m_kind) {}

PackedText& PackedText::operator=(const PackedText& other) {
    if (this != &other) {
        m_other = other.m_other ? std::make_unique<QString>(*other.m_other) : nullptr;
        m_number = other.m_number;
        m_prefix = other.m_prefix;
        m_kind = other.m_kind;
    }
    return *this;
}

void PackedText::Set(const QString& text) {
    m_other.reset();
    m_prefix = 0;
    m_number = 0;
    if (text.isEmpty()) {
        m_kind = Kind::Empty;
        return;
    }
    // Only a number written as QString::number writes it is packed (a minus
    // sign, no plus sign and no leading zero, within 32 bits), so that it
    // reads back as the very same text. Read without making a copy: the
    // schedule packs a key for every bar.
    const QChar* c = text.constData();
    const qsizetype n = text.size();
    qsizetype i = c[0].isLetter() && c[0].unicode() < 128 ? 1 : 0;
    const qsizetype first = i;
    const bool negative = i < n && c[i] == QLatin1Char('-');
    if (negative)
        ++i;
    const qsizetype digits = n - i;
    bool ok = digits >= 1 && digits <= 10 && (c[i] != QLatin1Char('0') || (digits == 1 && !negative));
    qint64 value = 0;
    for (; ok && i < n; ++i) {
        const char16_t d = c[i].unicode();
        ok = d >= u'0' && d <= u'9';
        value = value * 10 + (d - u'0');
    }
    value = negative ? -value : value;
    if (ok && value >= std::numeric_limits<qint32>::min() &&
        value <= std::numeric_limits<qint32>::max()) {
        m_kind = Kind::Number;
        m_number = qint32(value);
        m_prefix = first == 1 ? c[0].unicode() : 0;
        return;
    }
    m_kind = Kind::Other;
    m_other = std::make_unique<QString>(text);
}

QString PackedText::Get() const {
    switch (m_kind) {
    case Kind::Empty:
        return QString();
    case Kind::Number:
        return m_prefix ? QChar(m_prefix) + QString::number(m_number) : QString::number(m_number);
    case Kind::Other:
        return *m_other;
    }
    return QString();
}

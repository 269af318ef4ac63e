#include "ui/controls/PackedText.h"

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
    const bool letter = text.at(0).isLetter() && text.at(0).unicode() < 128;
    const QString digits = letter ? text.mid(1) : text;
    bool ok = false;
    const qint32 number = digits.toInt(&ok);
    // Only a number that reads back to the very same text is packed.
    if (ok && QString::number(number) == digits) {
        m_kind = Kind::Number;
        m_number = number;
        m_prefix = letter ? text.at(0).unicode() : 0;
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

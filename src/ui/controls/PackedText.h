#pragma once

#include <QString>
#include <memory>

// A short text kept small: the schedule holds tens of thousands of bar keys
// ("B1234") and second texts ("1234"), which are a number with at most one
// leading letter. Those are kept as the number and the letter; any other
// text is kept as it is.
class PackedText {
public:
    PackedText() = default;
    PackedText(const PackedText& other);
    PackedText& operator=(const PackedText& other);
    PackedText(PackedText&&) noexcept = default;
    PackedText& operator=(PackedText&&) noexcept = default;

    void Set(const QString& text);
    QString Get() const;

private:
    enum class Kind : quint8 { Empty, Number, Other };
    std::unique_ptr<QString> m_other;
    qint32 m_number = 0;
    char16_t m_prefix = 0; // 0 when the number has no leading letter
    Kind m_kind = Kind::Empty;
};

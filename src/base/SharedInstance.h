#pragma once

#include "base/ErrorTrap.h"

#include <memory>

// One object the whole program shares, made at start-up and ended at
// shutdown. Reaching it at any other time throws, for the caller's error
// trap to log.
template <typename T> class SharedInstance {
public:
    explicit constexpr SharedInstance(const char* name) : m_name(name) {}

    T& Get() const {
        if (!m_object)
            throw TarveloError(QStringLiteral("shared %1 used outside the running state")
                                   .arg(QString::fromLatin1(m_name)));
        return *m_object;
    }
    void Create() { m_object = std::make_unique<T>(); }
    void Release() { m_object.reset(); }

private:
    const char* m_name;
    std::unique_ptr<T> m_object;
};

#pragma once

#include <QString>
#include <functional>

// The standard message boxes. Every box of the program goes through here, so
// that a test (or a run without a window) answers it instead of a user.
class Messages {
public:
    enum class BoxKind { Confirm, Warning, Critical, Information };
    // A test replaces the message boxes with a handler; its result is the
    // answer of a Confirm box (true for Yes) and ignored for the others.
    using BoxHandler =
        std::function<bool(BoxKind kind, const QString& title, const QString& text)>;

    static bool Confirm(const QString& prompt);
    static void Warning(const QString& prompt);
    static void CriticalError(const QString& prompt);
    static void Information(const QString& title, const QString& text);
    // An OK box with an exclamation icon and a title of the caller's choice.
    static void Exclamation(const QString& title, const QString& text);

    static void SetBoxHandler(BoxHandler handler);
};

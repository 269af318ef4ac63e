#pragma once

#include <QString>
#include <exception>
#include <stdexcept>

// The one error trap of the program. Every handler and class procedure runs
// its body through Trap: a failure is logged as "Error in <where>" and the
// caller carries on with whatever result it had set so far.
class TarveloError : public std::runtime_error {
public:
    explicit TarveloError(const QString& what) : std::runtime_error(what.toStdString()) {}
};

namespace ErrorTrap {
// Writes "Error in <where>" to the error log; defined beside ErrorLog::Write.
void LogTrapped(const char* where);
} // namespace ErrorTrap

// Runs body; on any failure logs "Error in <where>". Returns true when the body
// completed normally.
template <typename F> bool Trap(const char* where, F&& body) {
    try {
        body();
        return true;
    } catch (...) {
        ErrorTrap::LogTrapped(where);
        return false;
    }
}

// Runs body; a failure ends it silently, without a log line.
template <typename F> bool TrapSilent(F&& body) {
    try {
        body();
        return true;
    } catch (...) {
        return false;
    }
}

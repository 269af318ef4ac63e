#include "app/EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {
constexpr qint64 kSliceMs = 15;
QElapsedTimer& Clock() {
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock;
}
} // namespace

namespace EventPump {
void Run() {
    if (Clock().elapsed() < kSliceMs)
        return;
    RunNow();
}

void RunNow() {
    QCoreApplication::processEvents();
    Clock().restart();
}
} // namespace EventPump

#include "base/EventPump.h"

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
int g_depth = 0;
} // namespace

namespace EventPump {
void Run() {
    if (Clock().elapsed() < kSliceMs)
        return;
    RunNow();
}

void RunNow() {
    ++g_depth;
    QCoreApplication::processEvents();
    --g_depth;
    Clock().restart();
}

int Depth() {
    return g_depth;
}
} // namespace EventPump

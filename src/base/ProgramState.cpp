#include "base/ProgramState.h"

namespace {
bool g_running = false;
} // namespace

bool ProgramState::IsRunning() { return g_running; }

void ProgramState::SetRunning(bool running) { g_running = running; }

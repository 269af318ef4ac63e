#include "base/StatusPanel.h"

namespace {
StatusPanel::Handler g_statusHandler;
} // namespace

void StatusPanel::Show(const QString& panel, const QString& text) {
    if (g_statusHandler)
        g_statusHandler(panel, text);
}

void StatusPanel::SetHandler(Handler handler) { g_statusHandler = std::move(handler); }

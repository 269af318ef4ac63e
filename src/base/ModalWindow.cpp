#include "base/ModalWindow.h"

#include <QDialog>

namespace {
ModalWindow::Handler g_modalHandler;
} // namespace

int ModalWindow::Show(QDialog* dialog) {
    if (g_modalHandler)
        return g_modalHandler(dialog);
    return dialog->exec();
}

void ModalWindow::SetHandler(Handler handler) { g_modalHandler = std::move(handler); }

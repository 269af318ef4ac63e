#pragma once

#include <functional>

class QDialog;

// Every modal window is shown through here, so that a test answers it
// instead of a user and never blocks on exec().
class ModalWindow {
public:
    // A test replaces exec() of modal windows; the handler returns the result code.
    using Handler = std::function<int(QDialog* dialog)>;

    // Shows a window modally through the seam; returns the dialog's result code.
    static int Show(QDialog* dialog);
    static void SetHandler(Handler handler);
};

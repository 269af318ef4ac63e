#pragma once

#include <QObject>

// Names every control of every window as it is shown (ClsForms::NameControl),
// so that no control reaches assistive technology without a name, and lets
// the hand-painted controls tell it about their parts (PaintedAccessible).
// Installed once, by the main window.
class ControlNamer : public QObject {
    Q_OBJECT
public:
    static void Install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

#pragma once

#include <QAccessibleWidget>

// A widget drawn as a label that acts as a button (a legend entry): the
// button role, and a press action that runs its invokable Activate(), the
// same as a click.
class PressableAccessible : public QAccessibleWidget {
public:
    explicit PressableAccessible(QWidget* widget);

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
};

#pragma once

#include "model/SaveProblem.h"

#include <QDialog>
#include <QHash>
#include <array>
#include <functional>

class QBoxLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SpinButtons;

// What the definition windows have in common: modal, a fixed help context
// for F1, a loading sequence (Form_Load) that runs each time the window opens
// and that a test can call without showing it, a whole-text selection when a
// text box gets the focus, and the building blocks of their layout: frames,
// a spin with its value label, and a column of three command buttons.
class DefinitionDialog : public QDialog {
    Q_OBJECT
public:
    int HelpContext() const { return m_helpContext; }

    // The window's loading sequence; runs every time the window is shown.
    virtual void Form_Load() = 0;

protected:
    DefinitionDialog(const QString& objectName, const QString& title, int helpContext,
                     QWidget* parent);

    // A frame with a caption holding the given widgets side by side.
    QGroupBox* MakeFrame(const QString& caption, std::initializer_list<QWidget*> widgets);
    // A frame holding a value label ("00:00" until loaded) beside a vertical spin.
    QGroupBox* MakeSpinFrame(const QString& caption, const QString& labelName, QLabel*& label,
                             const QString& spinName, SpinButtons*& spin);
    QLineEdit* MakeTextBox(const QString& name);
    // The three command buttons of a control array: name0, name1, name2, each
    // reporting its index to the handler.
    std::array<QPushButton*, 3> MakeButtons(const QString& arrayName,
                                            const std::array<QString, 3>& captions,
                                            std::function<void(int)> handler);
    // Lays the window out: the frames on the left, the buttons on the right.
    void SetContent(QBoxLayout* frames, const std::array<QPushButton*, 3>& buttons);
    // Runs handler whenever field gets the keyboard focus.
    void OnGotFocus(QLineEdit* field, std::function<void()> handler);
    // Closes the window after Save when the record was stored (problem None);
    // otherwise says why not and keeps the window open with everything typed
    // still in it: for a record another workstation changed, Save again stores
    // it over their change; for one they deleted, Save again stores it as a
    // new record; after a failure ("Unable to save <record>!") it is tried
    // again. Cancel stores nothing.
    void CloseIfSaved(SaveProblem problem, const QString& record);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_helpContext;
    QHash<QObject*, std::function<void()>> m_focusHandlers;
};

#pragma once

#include <QMainWindow>

// The main window: start-up object of the program. It starts the program
// frame when it is created and ends it when it closes.
class DlgMain : public QMainWindow {
    Q_OBJECT
public:
    explicit DlgMain(QWidget* parent = nullptr);
    ~DlgMain() override;

    // False when the database could not be opened; the window then closes at once.
    bool Started() const { return m_started; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();

    bool m_started = false;
    bool m_unloaded = false;
};

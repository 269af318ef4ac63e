#pragma once

#include <QList>
#include <QPair>
#include <QPointer>
#include <QWidget>

class HelpBrowser;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// "Tarvelo Help": the program's own help window. Not modal, owned by the main
// window. Shows one topic at a time with Back, Forward and Contents, and a
// search box that lists the topics whose text holds the words typed.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner = nullptr);

    // Shows a topic file, optionally with "#anchor"; the contents page for an
    // empty name.
    void ShowTopic(const QString& topic);
    QString CurrentTopic() const;
    QString CurrentTitle() const;

    // Keeps the window usable while a modal window is open: a modal window
    // blocks every other window except its own dependants. When that modal
    // window closes, the next modal window still open takes its place, or the
    // owner when there is none. Null links the window to its owner again.
    void KeepUsableOver(QWidget* modal);

    // Handlers of the window's own controls.
    void BtnBack_Click();
    void BtnForward_Click();
    void BtnContents_Click();
    void TxtSearch_Change();
    void LbResults_Open(QListWidgetItem* item);
    void TxtSearch_Enter();

    HelpBrowser* Browser() const { return m_browser; }
    QLineEdit* TxtSearch() const { return m_txtSearch; }
    QListWidget* LbResults() const { return m_lbResults; }
    QLabel* LblResults() const { return m_lblResults; }
    QPushButton* BtnBack() const { return m_btnBack; }
    QPushButton* BtnForward() const { return m_btnForward; }
    QPushButton* BtnContents() const { return m_btnContents; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildWindow();
    void SetupEnabled();
    void UpdateCaption();
    void ListTopics(const QList<QPair<QString, QString>>& topics); // title, file
    void MarkFirstMatch();

    HelpBrowser* m_browser = nullptr;
    QLineEdit* m_txtSearch = nullptr;
    QListWidget* m_lbResults = nullptr;
    QLabel* m_lblResults = nullptr;
    QPushButton* m_btnBack = nullptr;
    QPushButton* m_btnForward = nullptr;
    QPushButton* m_btnContents = nullptr;
    QPointer<QWidget> m_modal;
};

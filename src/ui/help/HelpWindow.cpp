#include "ui/help/HelpWindow.h"

#include "base/ErrorTrap.h"
#include "ui/help/HelpBrowser.h"
#include "ui/help/HelpLibrary.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

namespace {
constexpr int TopicRole = Qt::UserRole;
const QString kCaption = QStringLiteral("Tarvelo Help");
} // namespace

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    BuildWindow();
    Trap("HelpWindow.Form_Load", [&] {
        TxtSearch_Change();
        ShowTopic(HelpLibrary::ContentsTopic());
    });
}

void HelpWindow::BuildWindow() {
    m_btnBack = new QPushButton(QStringLiteral("&Back"), this);
    m_btnBack->setObjectName(QStringLiteral("BtnBack"));
    m_btnBack->setToolTip(QStringLiteral("Back to the page shown before"));
    m_btnForward = new QPushButton(QStringLiteral("&Forward"), this);
    m_btnForward->setObjectName(QStringLiteral("BtnForward"));
    m_btnForward->setToolTip(QStringLiteral("Forward again"));
    m_btnContents = new QPushButton(QStringLiteral("&Contents"), this);
    m_btnContents->setObjectName(QStringLiteral("BtnContents"));
    m_btnContents->setToolTip(QStringLiteral("The list of all help topics"));
    for (QPushButton* button : {m_btnBack, m_btnForward, m_btnContents})
        button->setAutoDefault(false);
    connect(m_btnBack, &QPushButton::clicked, this, [this] { BtnBack_Click(); });
    connect(m_btnForward, &QPushButton::clicked, this, [this] { BtnForward_Click(); });
    connect(m_btnContents, &QPushButton::clicked, this, [this] { BtnContents_Click(); });

    auto* searchLabel = new QLabel(QStringLiteral("&Search:"), this);
    m_txtSearch = new QLineEdit(this);
    m_txtSearch->setObjectName(QStringLiteral("TxtSearch"));
    m_txtSearch->setPlaceholderText(QStringLiteral("Words to find in the help"));
    m_txtSearch->setToolTip(QStringLiteral("Lists the topics that contain every word typed"));
    m_txtSearch->setClearButtonEnabled(true);
    m_txtSearch->setMinimumWidth(220);
    searchLabel->setBuddy(m_txtSearch);
    connect(m_txtSearch, &QLineEdit::textChanged, this, [this] { TxtSearch_Change(); });
    connect(m_txtSearch, &QLineEdit::returnPressed, this, [this] { TxtSearch_Enter(); });

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_btnBack);
    bar->addWidget(m_btnForward);
    bar->addWidget(m_btnContents);
    bar->addStretch(1);
    bar->addWidget(searchLabel);
    bar->addWidget(m_txtSearch);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    m_lblResults = new QLabel(side);
    m_lblResults->setObjectName(QStringLiteral("LblResults"));
    m_lblResults->setWordWrap(true);
    m_lbResults = new QListWidget(side);
    m_lbResults->setObjectName(QStringLiteral("LbResults"));
    sideLayout->addWidget(m_lblResults);
    sideLayout->addWidget(m_lbResults, 1);
    connect(m_lbResults, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { LbResults_Open(item); });
    connect(m_lbResults, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { LbResults_Open(item); });

    m_browser = new HelpBrowser(this);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        UpdateCaption();
        SetupEnabled();
    });
    connect(m_browser, &QTextBrowser::historyChanged, this, [this] { SetupEnabled(); });

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(side);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({270, 580});
    splitter->setChildrenCollapsible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);

    setWindowTitle(kCaption);
    resize(900, 640);
    SetupEnabled();
}

void HelpWindow::ShowTopic(const QString& topic) {
    Trap("HelpWindow.ShowTopic", [&] {
        const QString name = topic.isEmpty() ? HelpLibrary::ContentsTopic() : topic;
        m_browser->setSource(QUrl(name));
        UpdateCaption();
        SetupEnabled();
    });
}

QString HelpWindow::CurrentTopic() const {
    return m_browser->CurrentTopic();
}

QString HelpWindow::CurrentTitle() const {
    return m_browser->documentTitle();
}

void HelpWindow::BtnBack_Click() {
    Trap("HelpWindow.BtnBack_Click", [&] { m_browser->backward(); });
}

void HelpWindow::BtnForward_Click() {
    Trap("HelpWindow.BtnForward_Click", [&] { m_browser->forward(); });
}

void HelpWindow::BtnContents_Click() {
    Trap("HelpWindow.BtnContents_Click", [&] { ShowTopic(HelpLibrary::ContentsTopic()); });
}

void HelpWindow::TxtSearch_Change() {
    Trap("HelpWindow.TxtSearch_Change", [&] {
        const QString query = m_txtSearch->text();
        const QStringList words = HelpLibrary::QueryWords(query);
        if (words.isEmpty()) {
            QList<QPair<QString, QString>> topics; // title, file
            for (const QString& topic : HelpLibrary::Topics())
                topics.append({HelpLibrary::Title(topic), topic});
            std::sort(topics.begin(), topics.end(), [](const auto& a, const auto& b) {
                return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
            });
            m_lblResults->setText(QStringLiteral("All topics:"));
            ListTopics(topics);
            return;
        }
        const QStringList found = HelpLibrary::Search(query);
        const QString shown = words.join(QLatin1Char(' ')).toHtmlEscaped();
        if (found.isEmpty())
            m_lblResults->setText(QStringLiteral("No topic contains <b>%1</b>.").arg(shown));
        else if (found.size() == 1)
            m_lblResults->setText(QStringLiteral("1 topic contains <b>%1</b>:").arg(shown));
        else
            m_lblResults->setText(
                QStringLiteral("%1 topics contain <b>%2</b>:").arg(found.size()).arg(shown));
        QList<QPair<QString, QString>> topics;
        for (const QString& topic : found)
            topics.append({HelpLibrary::Title(topic), topic});
        ListTopics(topics);
    });
}

void HelpWindow::ListTopics(const QList<QPair<QString, QString>>& topics) {
    m_lbResults->clear();
    for (const auto& [title, topic] : topics) {
        auto* item = new QListWidgetItem(title, m_lbResults);
        item->setData(TopicRole, topic);
        item->setToolTip(item->text());
    }
}

void HelpWindow::TxtSearch_Enter() {
    Trap("HelpWindow.TxtSearch_Enter", [&] {
        if (HelpLibrary::QueryWords(m_txtSearch->text()).isEmpty() || m_lbResults->count() == 0)
            return;
        m_lbResults->setCurrentRow(0);
        LbResults_Open(m_lbResults->item(0));
    });
}

void HelpWindow::LbResults_Open(QListWidgetItem* item) {
    Trap("HelpWindow.LbResults_Open", [&] {
        if (!item)
            return;
        const QString topic = item->data(TopicRole).toString();
        if (topic != CurrentTopic())
            ShowTopic(topic);
        MarkFirstMatch();
    });
}

// Selects the first place in the page where a word of the search stands, so
// that the reader sees at once why the topic was listed.
void HelpWindow::MarkFirstMatch() {
    const QStringList words = HelpLibrary::QueryWords(m_txtSearch->text());
    QTextCursor first;
    for (const QString& word : words) {
        const QTextCursor found = m_browser->document()->find(word, 0);
        if (!found.isNull() && (first.isNull() || found.position() < first.position()))
            first = found;
    }
    if (first.isNull())
        return;
    m_browser->setTextCursor(first);
    m_browser->ensureCursorVisible();
}

void HelpWindow::SetupEnabled() {
    m_btnBack->setEnabled(m_browser->isBackwardAvailable());
    m_btnForward->setEnabled(m_browser->isForwardAvailable());
    m_btnContents->setEnabled(CurrentTopic() != HelpLibrary::ContentsTopic());
}

void HelpWindow::UpdateCaption() {
    const QString title = CurrentTitle();
    setWindowTitle(title.isEmpty() ? kCaption : kCaption + QStringLiteral(" - ") + title);
}

void HelpWindow::KeepUsableOver(QWidget* modal) {
    Trap("HelpWindow.KeepUsableOver", [&] {
        if (m_modal)
            m_modal->removeEventFilter(this);
        m_modal = (modal && modal->window() != this) ? modal->window() : nullptr;
        winId(); // makes sure the window has its native window
        QWindow* own = windowHandle();
        if (!own)
            return;
        if (m_modal) {
            m_modal->winId();
            m_modal->installEventFilter(this);
            own->setTransientParent(m_modal->windowHandle());
        } else {
            QWidget* owner = parentWidget();
            own->setTransientParent(owner ? owner->window()->windowHandle() : nullptr);
        }
    });
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_modal && event->type() == QEvent::Hide) {
        // The modal window has gone: depend on the one still open below it, if any.
        QWidget* next = QApplication::activeModalWidget();
        if (next == watched || next == this || (next && !next->isVisible()))
            next = nullptr;
        KeepUsableOver(next);
    }
    return QWidget::eventFilter(watched, event);
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

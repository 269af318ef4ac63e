// The help window, driven by keys, clicks and typing: F1 in every window, links,
// search, a site's own "Help" folder, QuitHelp and closing with the main window.
#include "TestEnv.h"

#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/definitions/DlgGroup.h"
#include "ui/help/ContextIDs.h"
#include "ui/help/HelpBrowser.h"
#include "ui/help/HelpLibrary.h"
#include "ui/help/HelpSystem.h"
#include "ui/help/HelpWindow.h"
#include "ui/main/DlgMain.h"
#include "ui/main/DlgRestore.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

namespace {

// A modal dialog of no particular kind, with a field to hold the focus.
std::unique_ptr<QDialog> ModalDialog(QWidget* parent, const QString& name) {
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setObjectName(name);
    dialog->setWindowTitle(name);
    dialog->setModal(true);
    new QLineEdit(dialog.get());
    return dialog;
}

HelpWindow* Help() { return HelpSystem::Window(); }
bool HelpShown() { return Help() && Help()->isVisible(); }

void WritePage(const QString& path, const QString& title, const QString& body) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(QStringLiteral("<html><head><title>%1</title></head><body>%2</body></html>")
                   .arg(title, body).toUtf8());
}

// Every link of a topic as written in its href, or the anchor names it defines.
QStringList Links(const QString& topic, bool names = false) {
    QTextDocument document;
    document.setHtml(QString::fromUtf8(HelpLibrary::Load(topic)));
    QStringList found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (names)
                found << format.anchorNames();
            else if (!format.anchorHref().isEmpty() && !found.contains(format.anchorHref()))
                found << format.anchorHref();
        }
    return found;
}

// A click that goes through the window system, as a real one does, so that a
// window blocked by a modal dialog does not receive it.
void SystemClick(QWidget* widget) {
    QWindow* window = widget->window()->windowHandle();
    QVERIFY(window);
    const QPoint pos = widget->mapTo(widget->window(), widget->rect().center());
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, pos);
}

} // namespace

class TstHelp : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<DlgMain> main;

    // The contents first, so that every check sees a change.
    void ResetHelp() {
        HelpSystem::ShowTopic(HelpLibrary::ContentsTopic());
        QVERIFY(HelpShown() && Help()->CurrentTopic() == HelpLibrary::ContentsTopic());
    }

    void RemoveOverrides() { QDir(HelpLibrary::OverrideFolder()).removeRecursively(); }

private slots:
    void initTestCase() {
        env = std::make_unique<TestEnv>();
        QVERIFY(env->CreateDatabase());
        main = std::make_unique<DlgMain>();
        QVERIFY(main->Started());
        HelpSystem::Install();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }

    void cleanupTestCase() {
        HelpSystem::Quit();
        DlgAppt::Release();
        main.reset();
        DlgCalendar::Release();
        env.reset();
    }

    void cleanup() { RemoveOverrides(); }

    void linksOfEveryTopicResolve_data() {
        QTest::addColumn<QString>("topic");
        for (const QString& topic : HelpLibrary::Topics())
            QTest::newRow(qPrintable(topic)) << topic;
    }

    void linksOfEveryTopicResolve() {
        QFETCH(QString, topic);
        const QStringList links = Links(topic);
        QVERIFY2(!links.isEmpty(), "a topic without a way back to the contents");
        for (const QString& link : links) {
            const QUrl url(link);
            const QString file = url.path().isEmpty() ? topic : url.path();
            QVERIFY2(url.scheme().isEmpty() && HelpLibrary::Exists(file) &&
                         (!url.hasFragment() || Links(file, true).contains(url.fragment())),
                     qPrintable(topic + " -> " + link));
        }
        QStringList contents; // every topic is in the contents
        for (const QString& link : Links(HelpLibrary::ContentsTopic()))
            contents << QUrl(link).path();
        QVERIFY2(topic == HelpLibrary::ContentsTopic() || contents.contains(topic),
                 "not in the contents");
    }

    void searchFindsTopicsByBodyText_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("mustFind");
        QTest::addColumn<QStringList>("mustNotFind");
        QTest::addColumn<QString>("first"); // the topic listed first, when it matters
        QTest::newRow("case-blind")
            << "pURGE nOW" << QStringList{"config.html"} << QStringList{} << "";
        QTest::newRow("every word must occur")
            << "series Weekly" << QStringList{} << QStringList{"repeat.html", "group.html"} << "";
        QTest::newRow("a topic named by the words comes first")
            << "move" << QStringList{"booking.html", "task-move.html"} << QStringList{}
            << "task-move.html";
        QTest::newRow("markup is not text")
            << "cellpadding" << QStringList{} << QStringList{"main.html", "config.html"} << "";
        QTest::newRow("a word of no page") << "xylophone" << QStringList{} << QStringList{} << "";
    }

    void searchFindsTopicsByBodyText() {
        QFETCH(QString, query);
        QFETCH(QStringList, mustFind);
        QFETCH(QStringList, mustNotFind);
        QFETCH(QString, first);
        ResetHelp();
        Help()->TxtSearch()->clear();
        QTest::keyClicks(Help()->TxtSearch(), query);

        QStringList titles;
        for (int row = 0; row < Help()->LbResults()->count(); ++row)
            titles << Help()->LbResults()->item(row)->text();
        for (const QString& topic : mustFind + mustNotFind)
            QVERIFY2(titles.contains(HelpLibrary::Title(topic)) == mustFind.contains(topic),
                     qPrintable(topic + " in: " + titles.join(" | ")));
        if (!first.isEmpty())
            QCOMPARE(titles.value(0), HelpLibrary::Title(first));
        const QString label = Help()->LblResults()->text();
        QVERIFY2(label.startsWith(titles.isEmpty()      ? QString("No topic contains")
                                  : titles.size() == 1 ? QString("1 topic contains")
                                                       : QString("%1 topics contain").arg(titles.size())),
                 qPrintable(label));
        if (titles.isEmpty())
            return;
        // Enter opens the first topic found and marks the first word found in it.
        QTest::keyClick(Help()->TxtSearch(), Qt::Key_Return);
        QCOMPARE(HelpLibrary::Title(Help()->CurrentTopic()), titles.first());
        const QString marked = Help()->Browser()->textCursor().selectedText();
        QVERIFY2(HelpLibrary::QueryWords(query).contains(marked, Qt::CaseInsensitive),
                 qPrintable(QStringLiteral("marked \"%1\"").arg(marked)));
    }

    void emptySearchListsEveryTopic() {
        ResetHelp();
        QTest::keyClicks(Help()->TxtSearch(), QStringLiteral("purge"));
        Help()->TxtSearch()->clear();
        QCOMPARE(Help()->LbResults()->count(), HelpLibrary::Topics().size());
        QListWidgetItem* item = Help()->LbResults()->item(0); // a click opens it
        QTest::mouseClick(Help()->LbResults()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          Help()->LbResults()->visualItemRect(item).center());
        QCOMPARE(Help()->CurrentTitle(), item->text());
    }

    void backForwardAndContents() {
        ResetHelp();
        HelpSystem::Show(ContextIDs::HelpGroup);
        HelpSystem::Show(ContextIDs::HelpResource);
        QTest::mouseClick(Help()->BtnBack(), Qt::LeftButton);
        QCOMPARE(Help()->CurrentTopic(), HelpLibrary::TopicForContext(ContextIDs::HelpGroup));
        QVERIFY(Help()->windowTitle().endsWith(Help()->CurrentTitle())); // the caption follows
        QTest::mouseClick(Help()->BtnBack(), Qt::LeftButton);
        QCOMPARE(Help()->CurrentTopic(), HelpLibrary::ContentsTopic());
        QTest::mouseClick(Help()->BtnForward(), Qt::LeftButton);
        QTest::mouseClick(Help()->BtnForward(), Qt::LeftButton);
        QCOMPARE(Help()->CurrentTopic(), HelpLibrary::TopicForContext(ContextIDs::HelpResource));
        QTest::mouseClick(Help()->BtnContents(), Qt::LeftButton);
        QCOMPARE(Help()->CurrentTopic(), HelpLibrary::ContentsTopic());
        // A number without a topic of its own shows the contents.
        HelpSystem::Show(ContextIDs::HelpResource);
        ContextIDs::ShowHelp(999);
        QCOMPARE(Help()->CurrentTopic(), HelpLibrary::ContentsTopic());
    }

    void helpFolderOverridesBuiltInTopic() {
        const QString booking = HelpLibrary::TopicForContext(ContextIDs::HelpAppt);
        const QString builtInTitle = HelpLibrary::Title(booking);
        const QString folder = HelpLibrary::OverrideFolder();
        QCOMPARE(QFileInfo(folder).dir().absolutePath(), QDir(env->Folder()).absolutePath());
        WritePage(QDir(folder).filePath(booking), "Booking window at Riverside",
                  "<p>Ring the duty manager.</p><a href=\"riverside-rules.html\">Rules</a>");
        WritePage(QDir(folder).filePath("riverside-rules.html"), "Riverside house rules",
                  "<p>No double shifts in theatre two.</p>");

        ContextIDs::ShowHelp(ContextIDs::HelpAppt);
        QCOMPARE(Help()->CurrentTitle(), QStringLiteral("Booking window at Riverside"));
        // A link to a page only the site has leads there; the search reads the
        // site's pages and no longer the replaced text; other topics stay.
        Help()->Browser()->setSource(QUrl("riverside-rules.html"));
        QCOMPARE(Help()->CurrentTitle(), QStringLiteral("Riverside house rules"));
        QCOMPARE(HelpLibrary::Search("duty manager"), QStringList{booking});
        QCOMPARE(HelpLibrary::Search("theatre"), QStringList{"riverside-rules.html"});
        QVERIFY(!HelpLibrary::Search("Move Appointment").contains(booking));
        ContextIDs::ShowHelp(ContextIDs::HelpGroup);
        QVERIFY(Help()->CurrentTitle().contains("Group Definition"));
        // No name reaches outside the folder.
        WritePage(env->Path("secret.html"), "Not help", "<p>x</p>");
        for (const QString& name : {QStringLiteral("../secret.html"), env->Path("secret.html")})
            QVERIFY(!HelpLibrary::Exists(name) && HelpLibrary::Load(name).isEmpty());
        HelpSystem::ShowTopic("../secret.html");
        QVERIFY(Help()->CurrentTitle() != "Not help");

        RemoveOverrides();
        ContextIDs::ShowHelp(ContextIDs::HelpAppt);
        QCOMPARE(Help()->CurrentTitle(), builtInTitle);
    }

    // One window per way of reaching a topic: the main window, the single
    // calendar and booking windows, a dialog of its own, a dialog known to the
    // help only by its object name, and the restore dialog's fixed topic.
    void f1InEachWindowOpensItsTopic_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("topic");
        for (const auto& [window, context] : {std::pair{"DlgMain", ContextIDs::HelpMain},
                                              {"DlgCalendar", ContextIDs::HelpCalendar},
                                              {"DlgAppt", ContextIDs::HelpAppt},
                                              {"DlgGroup", ContextIDs::HelpGroup},
                                              {"DlgSearch", ContextIDs::HelpSearch}})
            QTest::newRow(window) << window << HelpLibrary::TopicForContext(context);
        QTest::newRow("DlgRestore") << "DlgRestore" << "backup.html";
        QTest::newRow("DlgHistory") << "DlgHistory" << "history.html";
    }

    void f1InEachWindowOpensItsTopic() {
        QFETCH(QString, window);
        QFETCH(QString, topic);
        ResetHelp();
        std::unique_ptr<QWidget> owned;
        QWidget* target = main.get();
        if (window == "DlgCalendar")
            target = &DlgCalendar::Instance(), DlgCalendar::Instance().Form_Load();
        else if (window == "DlgAppt")
            target = &DlgAppt::Instance();
        else if (window == "DlgGroup")
            target = (owned = std::make_unique<DlgGroup>(main.get())).get();
        else if (window == "DlgRestore")
            target = (owned = std::make_unique<DlgRestore>(main.get())).get();
        else if (window != "DlgMain")
            target = (owned = ModalDialog(main.get(), window)).get();
        target->show();
        target->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(target));
        // F1 goes to the focus inside the window (the help window, a child
        // window of the main window, does not count).
        QWidget* focus = target;
        for (QLineEdit* field : target->findChildren<QLineEdit*>())
            if (field->window() == target) {
                focus = field;
                break;
            }
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_F1);

        QVERIFY(HelpShown());
        QCOMPARE(Help()->parentWidget(), main.get());
        QCOMPARE(Help()->CurrentTopic(), topic);
        QVERIFY2(Help()->windowTitle().endsWith(Help()->CurrentTitle()),
                 qPrintable(Help()->windowTitle()));
        if (target != main.get())
            target->hide();
    }

    // QuitHelp closes and deletes the window; F1 in a window the help does not
    // know is left alone; help asked for afterwards opens a fresh window.
    void quitHelpAndF1Elsewhere() {
        ContextIDs::ShowHelp(ContextIDs::HelpCalendar);
        QPointer<HelpWindow> window = Help();
        QVERIFY(window && window->isVisible());
        ContextIDs::QuitHelp();
        QVERIFY(!Help() && (!window || !window->isVisible()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
        std::unique_ptr<QDialog> other = ModalDialog(nullptr, "DlgSomethingElse");
        other->show();
        QVERIFY(QTest::qWaitForWindowExposed(other.get()));
        QTest::keyClick(other->findChild<QLineEdit*>(), Qt::Key_F1);
        QVERIFY(!HelpShown());
        // F1 in the help window itself keeps its page.
        ContextIDs::ShowHelp(ContextIDs::HelpSearch);
        QVERIFY(HelpShown());
        QTest::keyClick(Help()->TxtSearch(), Qt::Key_F1);
        QCOMPARE(Help()->CurrentTopic(), HelpLibrary::TopicForContext(ContextIDs::HelpSearch));
    }

    // Help asked for from a modal window, or open before two modal windows of
    // which the upper is closed, still takes the reader's clicks.
    void helpStaysUsableOverModalWindows_data() {
        QTest::addColumn<bool>("nested");
        QTest::newRow("help asked for from the modal window") << false;
        QTest::newRow("help open before two modal windows, the upper closed") << true;
    }

    void helpStaysUsableOverModalWindows() {
        QFETCH(bool, nested);
        ResetHelp();
        HelpSystem::Show(ContextIDs::HelpRepeat);
        std::unique_ptr<QDialog> lower = ModalDialog(main.get(), "Lower"), upper;
        lower->show();
        QVERIFY(QTest::qWaitForWindowExposed(lower.get()));
        if (!nested)
            ContextIDs::ShowHelp(ContextIDs::HelpRepeat);
        else {
            upper = ModalDialog(lower.get(), "Upper");
            upper->show();
            QVERIFY(QTest::qWaitForWindowExposed(upper.get()));
            QCOMPARE(QApplication::activeModalWidget(), upper.get());
            upper->hide();
        }
        QCOMPARE(QApplication::activeModalWidget(), lower.get());

        SystemClick(Help()->BtnContents());
        QCOMPARE(Help()->CurrentTopic(), HelpLibrary::ContentsTopic());
        SystemClick(Help()->BtnBack());
        QCOMPARE(Help()->CurrentTopic(), HelpLibrary::TopicForContext(ContextIDs::HelpRepeat));

        upper.reset();
        lower->hide(); // and with no modal window left
        SystemClick(Help()->BtnContents());
        QCOMPARE(Help()->CurrentTopic(), HelpLibrary::ContentsTopic());
    }

    void helpGoesWithTheMainWindow() {
        ContextIDs::ShowHelp(ContextIDs::HelpMain);
        QPointer<HelpWindow> window = Help();
        QVERIFY(window && window->isVisible());
        main.reset(); // the main window unloads
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
        QVERIFY(!Help());
    }
};

QTEST_MAIN(TstHelp)
#include "tst_help.moc"

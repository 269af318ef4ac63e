#pragma once

#include <QTextBrowser>

// The page view of the help window: a text browser that reads every page and
// picture through the help library, so that a site's own files in the
// program's "Help" folder take the place of the built-in ones.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;

    // The topic file shown (without any #anchor); empty when none is.
    QString CurrentTopic() const;

    // The look shared by every topic, the site's own included.
    static QString StyleSheet(const QPalette& palette);
};

#include "ui/help/HelpBrowser.h"

#include "ui/help/HelpLibrary.h"

#include <QTextDocument>
#include <QUrl>

namespace {
// A link or page name inside the help folder: the path without a leading slash.
QString HelpName(const QUrl& url) {
    if (!url.scheme().isEmpty() || !url.host().isEmpty())
        return QString();
    QString path = url.path();
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return path;
}
} // namespace

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("HelpBrowser"));
    setOpenLinks(true);
    setOpenExternalLinks(false);
    document()->setDefaultStyleSheet(StyleSheet());
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    const QString file = HelpName(name);
    if (!file.isEmpty() && HelpLibrary::Exists(file)) {
        const QByteArray bytes = HelpLibrary::Load(file);
        if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
            return QString::fromUtf8(bytes);
        return bytes;
    }
    if (type == QTextDocument::HtmlResource && !file.isEmpty())
        return QStringLiteral("<html><head><title>Page not found</title></head><body>"
                              "<h1>Page not found</h1><p>There is no help page named <b>%1</b>."
                              "</p><p><a href=\"%2\">Back to the contents</a></p></body></html>")
            .arg(file.toHtmlEscaped(), HelpLibrary::ContentsTopic());
    return QTextBrowser::loadResource(type, name);
}

QString HelpBrowser::CurrentTopic() const {
    return HelpName(source());
}

QString HelpBrowser::StyleSheet() {
    return QStringLiteral(
        "body { font-size: 10pt; }"
        "h1 { font-size: 16pt; color: #1f3f6f; margin-bottom: 6px; }"
        "h2 { font-size: 12.5pt; color: #1f3f6f; margin-top: 14px; margin-bottom: 4px; }"
        "h3 { font-size: 11pt; margin-top: 10px; margin-bottom: 2px; }"
        "p { margin-top: 4px; margin-bottom: 6px; }"
        "li { margin-bottom: 3px; }"
        "td, th { padding: 3px 6px; }"
        "th { background-color: #e6ecf5; text-align: left; }"
        "a { color: #1a5fb4; }"
        "p.note { background-color: #fff6d5; }"
        "p.warn { background-color: #fde2e1; }"
        "p.nav { color: #666666; font-size: 9pt; }");
}

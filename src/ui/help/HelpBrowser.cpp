#include "ui/help/HelpBrowser.h"

#include "base/ColourUtil.h"
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
    document()->setDefaultStyleSheet(StyleSheet(palette()));
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

QString HelpBrowser::StyleSheet(const QPalette& palette) {
    // Sizes relative to the platform's font, colours from its palette: tints
    // of the base colour stay readable in light, dark and high-contrast themes.
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    const auto tint = [&base](const QColor& towards, double share) {
        return ColourUtil::Blend(base, towards, share).name();
    };
    return QStringLiteral(
               "h1 { font-size: x-large; color: %1; margin-bottom: 6px; }"
               "h2 { font-size: large; color: %1; margin-top: 14px; margin-bottom: 4px; }"
               "h3 { font-size: medium; margin-top: 10px; margin-bottom: 2px; }"
               "p { margin-top: 4px; margin-bottom: 6px; }"
               "li { margin-bottom: 3px; }"
               "td, th { padding: 3px 6px; }"
               "th { background-color: %2; text-align: left; }"
               "a { color: %3; }"
               "p.note { background-color: %4; }"
               "p.warn { background-color: %5; }"
               "p.nav { color: %6; font-size: small; }")
        .arg(ColourUtil::Blend(text, palette.color(QPalette::Highlight), 0.5).name(),
             tint(palette.color(QPalette::Highlight), 0.15), palette.color(QPalette::Link).name(),
             tint(QColor(255, 210, 0), 0.2), tint(QColor(230, 40, 30), 0.18),
             ColourUtil::Blend(text, base, 0.4).name());
}

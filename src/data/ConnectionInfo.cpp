#include "data/ConnectionInfo.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

QString Decoded(const QString& part) { return QUrl::fromPercentEncoding(part.toUtf8()); }

QString Encoded(const QString& part) {
    return QString::fromUtf8(QUrl::toPercentEncoding(part));
}

} // namespace

bool ConnectionInfo::IsServerUri(const QString& name) {
    const QString trimmed = name.trimmed();
    return trimmed.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive) ||
           trimmed.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive);
}

ConnectionInfo ConnectionInfo::Parse(const QString& uri) {
    ConnectionInfo info;
    const QString text = uri.trimmed();
    if (!IsServerUri(text)) {
        info.m_error = QStringLiteral("not a postgresql:// URI");
        return info;
    }
    // Taken apart by hand rather than by QUrl, which would accept and
    // silently rewrite forms libpq reads differently.
    QString rest = text.mid(text.indexOf(QStringLiteral("://")) + 3);
    QString query;
    const int q = rest.indexOf(QLatin1Char('?'));
    if (q >= 0) {
        query = rest.mid(q + 1);
        rest.truncate(q);
    }
    QString authority = rest;
    const int slash = rest.indexOf(QLatin1Char('/'));
    if (slash >= 0) {
        authority = rest.left(slash);
        info.m_database = Decoded(rest.mid(slash + 1));
    }
    const int at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        QString userInfo = authority.left(at);
        authority = authority.mid(at + 1);
        const int colon = userInfo.indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            info.m_hasPassword = true;
            userInfo.truncate(colon);
        }
        info.m_user = Decoded(userInfo);
    }
    // The host, perhaps an IPv6 address in brackets, then ":port".
    QString port;
    bool hasPort = false;
    if (authority.startsWith(QLatin1Char('['))) {
        const int close = authority.indexOf(QLatin1Char(']'));
        if (close < 0) {
            info.m_error = QStringLiteral("unclosed [ in the host");
            return info;
        }
        info.m_host = authority.mid(1, close - 1);
        const QString after = authority.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(QLatin1Char(':'))) {
            info.m_error = QStringLiteral("unexpected text after the host");
            return info;
        }
        hasPort = !after.isEmpty();
        port = after.mid(1);
    } else {
        const int colon = authority.lastIndexOf(QLatin1Char(':'));
        info.m_host = Decoded(colon < 0 ? authority : authority.left(colon));
        hasPort = colon >= 0;
        if (hasPort)
            port = authority.mid(colon + 1);
    }
    if (hasPort) {
        bool ok = false;
        const int number = port.toInt(&ok);
        if (!ok || number < 1 || number > 65535 ||
            !QRegularExpression(QStringLiteral("^[0-9]+$")).match(port).hasMatch()) {
            info.m_error = QStringLiteral("the port \"%1\" is not a number from 1 to 65535").arg(port);
            return info;
        }
        info.m_port = number;
    }
    if (info.m_database.isEmpty()) {
        info.m_error = QStringLiteral("no database name after the host");
        return info;
    }
    if (info.m_database.contains(QLatin1Char('/'))) {
        info.m_error = QStringLiteral("the database name holds a \"/\"");
        return info;
    }
    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const int eq = pair.indexOf(QLatin1Char('='));
        const QString key = Decoded(eq < 0 ? pair : pair.left(eq));
        const QString value = eq < 0 ? QString() : Decoded(pair.mid(eq + 1));
        // The driver passes options on unquoted: a blank, a quote or a
        // separator in a value would start another option.
        static const QRegularExpression unsafe(QStringLiteral("[\\s;'\\\\]"));
        if (eq <= 0 || !QRegularExpression(QStringLiteral("^[a-z_]+$")).match(key).hasMatch() ||
            value.contains(unsafe)) {
            info.m_error = QStringLiteral("the option \"%1\" is not key=value").arg(pair);
            return info;
        }
        if (key == QLatin1String("password")) {
            info.m_hasPassword = true;
            continue;
        }
        info.m_options << key + QLatin1Char('=') + value;
    }
    return info;
}

QString ConnectionInfo::WithDatabase(const QString& database) const {
    QString uri = QStringLiteral("postgresql://");
    if (!m_user.isEmpty())
        uri += Encoded(m_user) + QLatin1Char('@');
    if (m_host.contains(QLatin1Char(':')))
        uri += QLatin1Char('[') + m_host + QLatin1Char(']');
    else
        uri += Encoded(m_host);
    if (m_port != 0)
        uri += QLatin1Char(':') + QString::number(m_port);
    uri += QLatin1Char('/') + Encoded(database);
    if (!m_options.isEmpty()) {
        QStringList pairs;
        for (const QString& option : m_options) {
            const int eq = option.indexOf(QLatin1Char('='));
            pairs << option.left(eq) + QLatin1Char('=') + Encoded(option.mid(eq + 1));
        }
        uri += QLatin1Char('?') + pairs.join(QLatin1Char('&'));
    }
    return uri;
}

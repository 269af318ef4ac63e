#include "ui/controls/IconFactory.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QHash<QString, QString>& ThemeNames() {
    static const QHash<QString, QString> names = {
        {QStringLiteral("Exit"), QStringLiteral("application-exit")},
        {QStringLiteral("Binocular"), QStringLiteral("edit-find")},
        {QStringLiteral("Write"), QStringLiteral("document-edit")},
        {QStringLiteral("Watch"), QStringLiteral("x-office-calendar")},
        {QStringLiteral("Calendar"), QStringLiteral("x-office-calendar")},
        {QStringLiteral("Today"), QStringLiteral("go-jump-today")},
        {QStringLiteral("Config"), QStringLiteral("preferences-system")},
        {QStringLiteral("Group"), QStringLiteral("system-users")},
        {QStringLiteral("Resource"), QStringLiteral("user-identity")},
        {QStringLiteral("Print"), QStringLiteral("document-print")},
        {QStringLiteral("Screen"), QStringLiteral("video-display")},
        {QStringLiteral("Help"), QStringLiteral("help-contents")},
        {QStringLiteral("Delete"), QStringLiteral("edit-delete")},
        {QStringLiteral("Previous"), QStringLiteral("go-previous")},
        {QStringLiteral("Next"), QStringLiteral("go-next")},
    };
    return names;
}

void Person(QPainter& p, const QPointF& c, double s, const QColor& colour) {
    p.setBrush(colour);
    p.drawEllipse(QPointF(c.x(), c.y() - 5 * s), 4.5 * s, 4.5 * s);
    QPainterPath body;
    body.moveTo(c.x() - 8 * s, c.y() + 10 * s);
    body.quadTo(c.x() - 8 * s, c.y(), c.x(), c.y());
    body.quadTo(c.x() + 8 * s, c.y(), c.x() + 8 * s, c.y() + 10 * s);
    body.closeSubpath();
    p.drawPath(body);
}

void Draw(QPainter& p, const QString& name) {
    const QPen outline(QColor(40, 40, 60), 1.6);
    p.setPen(outline);
    if (name == QLatin1String("Exit")) {
        p.setBrush(QColor(150, 110, 70));
        p.drawRect(QRectF(6, 4, 14, 24));
        p.setBrush(QColor(220, 60, 50));
        QPolygonF arrow({{16, 13}, {23, 13}, {23, 9}, {29, 16}, {23, 23}, {23, 19}, {16, 19}});
        p.drawPolygon(arrow);
    } else if (name == QLatin1String("Binocular")) {
        p.setBrush(QColor(60, 90, 160));
        p.drawEllipse(QPointF(10, 20), 6.5, 6.5);
        p.drawEllipse(QPointF(22, 20), 6.5, 6.5);
        p.drawRect(QRectF(13, 10, 6, 8));
        p.setBrush(QColor(190, 220, 255));
        p.drawEllipse(QPointF(10, 20), 3.5, 3.5);
        p.drawEllipse(QPointF(22, 20), 3.5, 3.5);
    } else if (name == QLatin1String("Write") || name == QLatin1String("Submit")) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 4, 18, 24));
        p.drawLine(QPointF(9, 10), QPointF(19, 10));
        p.drawLine(QPointF(9, 15), QPointF(19, 15));
        p.setBrush(QColor(240, 180, 40));
        QPolygonF pencil({{14, 26}, {15, 21}, {27, 9}, {30, 12}, {18, 24}});
        p.drawPolygon(pencil);
    } else if (name == QLatin1String("Watch") || name == QLatin1String("Calendar")) {
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(4, 6, 24, 22), 2, 2);
        p.setBrush(QColor(210, 50, 50));
        p.drawRect(QRectF(4, 6, 24, 6));
        p.setPen(QPen(QColor(40, 40, 60), 1));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                p.drawRect(QRectF(7 + c * 5.2, 15 + r * 4, 3, 2.5));
    } else if (name == QLatin1String("Today")) {
        // A calendar page with one day marked.
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(4, 6, 24, 22), 2, 2);
        p.setBrush(QColor(210, 50, 50));
        p.drawRect(QRectF(4, 6, 24, 6));
        p.setBrush(QColor(60, 120, 200));
        p.drawEllipse(QPointF(16, 20), 5, 5);
    } else if (name == QLatin1String("Config")) {
        p.setBrush(QColor(120, 130, 150));
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(16, 16);
            p.rotate(i * 45);
            p.drawRect(QRectF(-2.5, -14, 5, 6));
            p.restore();
        }
        p.drawEllipse(QPointF(16, 16), 9, 9);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 16), 3.5, 3.5);
    } else if (name == QLatin1String("Group")) {
        Person(p, QPointF(11, 17), 0.9, QColor(80, 150, 90));
        Person(p, QPointF(21, 17), 0.9, QColor(70, 110, 190));
    } else if (name == QLatin1String("Resource") || name == QLatin1String("Customer")) {
        Person(p, QPointF(16, 16), 1.1,
               name == QLatin1String("Customer") ? QColor(200, 120, 60) : QColor(70, 110, 190));
    } else if (name == QLatin1String("Print")) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 3, 14, 10));
        p.setBrush(QColor(110, 110, 120));
        p.drawRoundedRect(QRectF(4, 12, 24, 11), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 19, 14, 10));
    } else if (name == QLatin1String("Screen")) {
        p.setBrush(QColor(60, 60, 70));
        p.drawRect(QRectF(3, 5, 26, 18));
        p.setBrush(QColor(120, 190, 240));
        p.drawRect(QRectF(5, 7, 22, 14));
        p.setBrush(QColor(60, 60, 70));
        p.drawRect(QRectF(12, 23, 8, 3));
        p.drawRect(QRectF(8, 26, 16, 2));
    } else if (name == QLatin1String("Help")) {
        p.setBrush(QColor(60, 120, 210));
        p.drawEllipse(QPointF(16, 16), 13, 13);
        p.setPen(QPen(Qt::white, 1));
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(20);
        p.setFont(font);
        p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
    } else if (name == QLatin1String("Delete")) {
        p.setPen(QPen(QColor(200, 40, 40), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(24, 24));
        p.drawLine(QPointF(24, 8), QPointF(8, 24));
    } else if (name == QLatin1String("Move")) {
        p.setBrush(QColor(60, 150, 80));
        QPolygonF arrow({{4, 13}, {20, 13}, {20, 7}, {29, 16}, {20, 25}, {20, 19}, {4, 19}});
        p.drawPolygon(arrow);
    } else if (name == QLatin1String("Repeat")) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(60, 120, 200), 3.5));
        p.drawArc(QRectF(6, 6, 20, 20), 30 * 16, 280 * 16);
        p.setPen(outline);
        p.setBrush(QColor(60, 120, 200));
        p.drawPolygon(QPolygonF({{20, 3}, {29, 8}, {20, 13}}));
    } else if (name == QLatin1String("Previous") || name == QLatin1String("Next")) {
        p.setBrush(QColor(60, 150, 80));
        const bool next = name == QLatin1String("Next");
        QPolygonF arrow = next ? QPolygonF({{8, 6}, {26, 16}, {8, 26}})
                               : QPolygonF({{24, 6}, {6, 16}, {24, 26}});
        p.drawPolygon(arrow);
    } else if (name == QLatin1String("Task")) {
        p.setBrush(QColor(240, 160, 40));
        p.drawRect(QRectF(4, 6, 11, 9));
        p.setBrush(QColor(70, 160, 90));
        p.drawRect(QRectF(17, 6, 11, 9));
        p.setBrush(QColor(70, 110, 200));
        p.drawRect(QRectF(4, 17, 11, 9));
        p.setBrush(QColor(200, 60, 60));
        p.drawRect(QRectF(17, 17, 11, 9));
    } else {
        p.setBrush(QColor(180, 180, 190));
        p.drawEllipse(QPointF(16, 16), 10, 10);
    }
}

} // namespace

namespace IconFactory {

QIcon Icon(const QString& name) {
    const QString theme = ThemeNames().value(name);
    if (!theme.isEmpty() && QIcon::hasThemeIcon(theme))
        return QIcon::fromTheme(theme);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, name);
    painter.end();
    return QIcon(pixmap);
}

} // namespace IconFactory

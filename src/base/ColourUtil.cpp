#include "base/ColourUtil.h"

#include <QList>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <utility>

namespace ColourUtil {

QColor ToColor(qint32 rgb) {
    const quint32 v = static_cast<quint32>(rgb);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint32 FromColor(const QColor& color) {
    const quint32 v = quint32(color.red()) | (quint32(color.green()) << 8) |
                      (quint32(color.blue()) << 16);
    return static_cast<qint32>(v);
}

QString NearestCssName(qint32 rgb) {
    // Qt knows the CSS colour keywords; the grey/gray twins share one value,
    // and the first of them in alphabetical order is kept.
    static const QList<std::pair<QString, QColor>> names = [] {
        QList<std::pair<QString, QColor>> list;
        for (const QString& name : QColor::colorNames())
            if (name != QLatin1String("transparent"))
                list.append({name, QColor::fromString(name)});
        return list;
    }();
    const QColor c = ToColor(rgb);
    QString best;
    qint64 bestDistance = -1;
    for (const auto& [name, colour] : names) {
        // Red and blue weighted by the mean red, as the eye weighs them.
        const qint64 meanRed = (c.red() + colour.red()) / 2;
        const qint64 dr = c.red() - colour.red();
        const qint64 dg = c.green() - colour.green();
        const qint64 db = c.blue() - colour.blue();
        const qint64 distance =
            (512 + meanRed) * dr * dr + 1024 * dg * dg + (767 - meanRed) * db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = name;
        }
    }
    return best;
}

double RelativeLuminance(const QColor& color) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.red()) + 0.7152 * linear(color.green()) +
           0.0722 * linear(color.blue());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor TextOn(const QColor& background) {
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(background, black) >= ContrastRatio(background, white) ? black : white;
}

QColor Blend(const QColor& from, const QColor& to, double share) {
    const auto mix = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                  mix(from.blue(), to.blue()));
}

} // namespace ColourUtil

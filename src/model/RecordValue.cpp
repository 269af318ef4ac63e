#include "model/RecordValue.h"

#include "base/ErrorTrap.h"

#include <cmath>

namespace {
double ToNumber(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        throw TarveloError(QStringLiteral("not a number: ") + text.left(40));
    return std::nearbyint(v);
}
} // namespace

namespace RecordValue {
qint16 ToInt16(const QString& text) {
    const double v = ToNumber(text);
    if (v < -32768 || v > 32767)
        throw TarveloError(QStringLiteral("overflow: ") + text.left(40));
    return static_cast<qint16>(v);
}

qint32 ToInt32(const QString& text) {
    const double v = ToNumber(text);
    if (v < -2147483648.0 || v > 2147483647.0)
        throw TarveloError(QStringLiteral("overflow: ") + text.left(40));
    return static_cast<qint32>(v);
}
} // namespace RecordValue

#include "app/ColourUtil.h"

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

} // namespace ColourUtil

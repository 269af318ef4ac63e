#pragma once

#include <QColor>
#include <QString>
#include <QtGlobal>

// Colours are stored as 32-bit RGB numbers with red in the lowest byte, then
// green, then blue. These two functions are the only place that converts.
namespace ColourUtil {
QColor ToColor(qint32 rgb);
qint32 FromColor(const QColor& color);
// The name of the CSS colour nearest to a stored colour ("red", "steelblue"),
// for formats that name colours instead of giving their numbers.
QString NearestCssName(qint32 rgb);
} // namespace ColourUtil

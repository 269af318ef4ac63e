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
// The relative luminance of a screen colour (0 black to 1 white), and the
// contrast ratio of two colours (1 to 21), as the web's accessibility
// guidelines define them.
double RelativeLuminance(const QColor& color);
double ContrastRatio(const QColor& a, const QColor& b);
// Black or white, whichever contrasts more with the background: the colour
// of text on a booking's bar or a coloured row.
QColor TextOn(const QColor& background);
// The colour `share` (0 to 1) of the way from `from` to `to`: tints and lines
// taken from a palette, which work on light and dark backgrounds alike.
QColor Blend(const QColor& from, const QColor& to, double share);
} // namespace ColourUtil

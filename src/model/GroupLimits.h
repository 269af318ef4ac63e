#pragma once

#include <QtGlobal>

// What a group and its resources may hold, in minutes. A backup's restore
// takes back nothing else, so nothing else may be stored by any other path:
// one such row makes every later backup of the database unrestorable.
namespace GroupLimits {
// DayStart, DayEnd and a resource's MinTime, MaxTime and InitTime lie
// within 0 to DayMinutes; DayStart is not after DayEnd.
constexpr qint16 DayMinutes = 1440;
// The slot length, Interval, lies within MinInterval to DayMinutes.
constexpr qint16 MinInterval = 1;
} // namespace GroupLimits

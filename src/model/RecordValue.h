#pragma once

#include <QString>
#include <QtGlobal>

// Conversions of text (settings, template and backup fields) to the integer
// types of the records; a text that is not a number, or a number out of
// range, throws.
namespace RecordValue {
qint16 ToInt16(const QString& text);
qint32 ToInt32(const QString& text);
} // namespace RecordValue

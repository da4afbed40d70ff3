// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text to whole number, the way the game reads every number a player or a
// peer types: decimal text with an optional sign and fraction, blanks around
// it allowed, rounded to the nearest whole number with an exact half going to
// the even one. Anything else, or a value outside the target range, is no
// number at all.

#include <QtGlobal>
#include <optional>

class QString;

namespace TextNum {

// The value rounded half-to-even, before any range check; nothing for text
// that is not a decimal number.
std::optional<double> RoundedValue(const QString &text);

std::optional<qint16> ToInt16(const QString &text);
std::optional<qint32> ToInt32(const QString &text);

} // namespace TextNum

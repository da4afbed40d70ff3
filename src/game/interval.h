#pragma once
// The host's calling interval from the text typed into the seconds box.

class QString;

namespace Interval {

inline constexpr int DefaultMs = 10000;

// One or two characters holding a decimal number, made whole (nearest, half
// to even): 1 to 99 give that many seconds and 0 gives 0, which means no
// number is ever called. A longer text, a text that is not a number and a
// negative value give DefaultMs.
int Milliseconds(const QString &secondsText);

} // namespace Interval

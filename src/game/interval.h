// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The host's calling interval from the text typed into the seconds box.

#include <optional>

class QString;

namespace Interval {

inline constexpr int DefaultMs = 10000;

// The whole seconds that a text of one or two characters holding a decimal
// number from 0 up makes (nearest, half to even); nothing for a longer text,
// a text that is not a number and a negative value.
std::optional<int> Seconds(const QString &secondsText);

// Seconds() in milliseconds, or DefaultMs when the text gives none. 0 means
// no number is ever called.
int Milliseconds(const QString &secondsText);

// One chat-log line telling the host how often numbers will be called with
// this text, or that none will be.
QString Describe(const QString &secondsText);

} // namespace Interval

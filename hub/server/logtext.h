// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text from a peer (a name, a game key) as the hub's log shows it.

#include <QString>

// One line that a terminal shows as text and never reads as a command, of at
// most 64 characters and a "…" after them. A backslash and every character
// that draws nothing or breaks the line (control, format, separator,
// private-use, unassigned) is written as \u{HEX}.
QString LogText(const QString &peerText);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What may be a player's name. A name shows in every window's player list
// and chat log, is the sender of each of its player's deliveries and is
// written into the tally file, so it must not pass for anything the game or
// the hub writes itself, nor break a record or a file it travels in.

#include <QString>

namespace PlayerName {

// In characters (code points), not UTF-16 units.
inline constexpr qsizetype MaxLength = 32;

// Why `name` cannot be a player's name, as a clause a message can carry
// ("a name cannot ..."); empty when it can. Refused:
//   - empty, longer than MaxLength, or with white space at either end;
//   - starting with "[" (the hub's own senders: "[Enter]", "[Exit]") or "*"
//     (the log's announcements);
//   - holding "|", ";", "@", ":" or "ÿ", the separators of records and files;
//   - holding a control, format (bidirectional marks, zero-width characters),
//     line or paragraph separator, private-use, surrogate or unassigned
//     character;
//   - mixing letters of two scripts (a Cyrillic "А" among Latin letters).
QString Refusal(const QString &name);

// Two names with the same key are the same name in a game: equal after
// compatibility normalisation and case folding ("ANN", "ann", "ａｎｎ").
QString SameNameKey(const QString &name);

// Whether c draws nothing, draws something else or holds nothing (control,
// format, separator, private-use, surrogate, unassigned): such a character
// lets one text look like another, or like none.
bool Hidden(char32_t c);

// The name as it shows inside a line of text: a name that holds a
// right-to-left letter or a directional mark is wrapped in a first-strong
// isolate (U+2068 ... U+2069), so it neither turns the line around it nor
// is turned by it; any other name is returned unchanged. Only for what is
// shown: records, files and comparisons keep the name itself.
QString Shown(const QString &name);

} // namespace PlayerName

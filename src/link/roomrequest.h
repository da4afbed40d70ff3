// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the host asks the hub to do with the room: remove a player, mute or
// unmute one's chat, lock or unlock the game to newcomers, pause or unpause
// the calls. The host's window sends each as an "H" record; the hub acts on
// it when the host's connection sent it and tells every window with a
// "Room" control frame of the same words (docs/protocol.md, "The room").

#include <QString>
#include <optional>

namespace RoomRequest {

enum class Verb { Remove, Mute, Unmute, Lock, Unlock, Pause, Unpause };

// What holds, as the hub tells a window that joins or resumes: the game is
// locked, the calling paused, a player (named after it) muted.
inline const QString Locked = QStringLiteral("locked");
inline const QString Paused = QStringLiteral("paused");
inline const QString Muted = QStringLiteral("muted");

// The verb's word on the wire: "remove", "mute", ...
QString Word(Verb verb);
// Nothing for a word of no known verb (a later window's).
std::optional<Verb> Read(const QString &word);
// Remove, Mute and Unmute name a player; the others name nobody.
bool NamesPlayer(Verb verb);

} // namespace RoomRequest

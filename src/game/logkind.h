// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a line of the chat log tells; the log shows each kind in its colour.

enum class LogKind {
    Welcome = 1, // a player joined, and the greeting at start-up (green)
    Alert = 2, // a player left, and the link's troubles (red)
    Chat = 3, // a chat line, and a new game starting (black)
    Announcement = 4, // the game's news: calls, wins, refused claims and commands (magenta)
    Emote = 5, // a player's emote (blue)
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What happened in the game that a player who is not looking at the log
// would want to hear of; BingoGame tells each one once, as it logs it.

enum class NewsKind {
    Call, // a number was called (not the numbers of a catch-up): the record's text of it
    Win, // a win record: "Ann wins, with 3 wins"
    ClaimRefused, // this player's claim did not win: why
    Chat, // another player's chat line or emote, as it reads aloud
    Joined, // another player came into the game: the name
    Left, // a player went: the name
    LinkLost, // this window's link broke or ended: what the log says
    LinkBack, // the link is back in the game
};

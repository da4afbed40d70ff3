// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What one delivery from the game link is, and whether it counts in this
// player's game: route and authority in one place. BingoGame::Deliver reads
// every delivery here and then carries out its effect.
//
// A delivery is, the first that holds:
//   sender "[Enter]"        PlayerEntered; text: the player who came
//   sender "[Exit]"         PlayerExited; text: the player who went
//   data holds "Chat;"      text: data after its first ";", then
//                             "/..." ChatCommand, "\..." Emote, else ChatLine
//   data holds "Comm;"      the command record after the first ";", when it
//                           reads (CommandRecord::Read)
//   otherwise               nothing: a later release's message, ignored

#include "game/commandrecord.h"
#include "game/deliverykind.h"

#include <QString>
#include <optional>

struct Delivery
{
    DeliveryKind kind = DeliveryKind::ChatLine;
    QString sender;
    QString text; // see above; empty for a command record
    CommandRecord record; // the command record kinds only
};

std::optional<Delivery> ReadDelivery(const QString &sender, const QString &data);

// Whether a delivery takes effect in the game of `myName`, whose host is
// `hostName`: its sender may send its kind and this game is among the kind's
// audience (RuleOf). A delivery that does not count is dropped silently,
// neither shown nor run.
bool Counts(const Delivery &delivery, const QString &myName, const QString &hostName);

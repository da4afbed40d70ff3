// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Cards anybody can deal again: a card's draws come from the round's seed,
// the player's name as it joined the game and the card's index, so the host
// knows every card of its game without being told, and a paper card of a
// number is always the same card (docs/protocol.md, "Seeded cards").
//
// The draws are a stream of SHA-256 blocks: block k is the digest of the
// UTF-8 text "SEED|NAME|INDEX|k" (INDEX and k in decimal, k from 0), each
// block read as eight 32-bit big-endian words in order. A word at or above
// the largest multiple of 99 that fits in 32 bits is skipped; any other word
// w draws w mod 99 + 1. The draws fill the card as CardDeal::Deal does.

#include "card/cardmodel.h"

#include <QString>

namespace SeededDeal {

// A new seed: 128 bits from the system's cryptographic source, as 32
// lowercase hex digits.
QString NewSeed();

// Whether a text can be a seed: 1 to 64 characters, each a digit or a
// lowercase letter a to f.
bool IsSeed(const QString &text);

CardModel::Numbers Card(const QString &seed, const QString &name, int index);

// A player's two cards, index 0 and 1.
QList<CardModel::Numbers> PlayerCards(const QString &seed, const QString &name);

// The name paper card `number` is dealt for, as card index 0, and wins
// under: "Paper card N". No player can join under it, since a player's name
// holds no blank, and no computer player has it.
QString PaperName(int number);

} // namespace SeededDeal

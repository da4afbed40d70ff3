// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a claim's numbers make a winning shape on a card the host knows:
// every claimed number lies on the card, and the cells holding them are
// exactly one of the shapes. Whether they were called is the caller's
// business (NumberCaller::ClaimHolds).

#include "card/cardmodel.h"

#include <QStringList>
#include <optional>
#include <span>

struct CardRefusal
{
    enum Why {
        NotOnCard, // detail: the claimed numbers the card does not hold
        NotAShape, // every number is on the card, but not as a winning shape
    };
    Why why = NotOnCard;
    QStringList detail;

    bool operator==(const CardRefusal &) const = default;
};

// Nothing when `claimed` is a shape on `card`.
std::optional<CardRefusal> CheckOnCard(const CardModel::Numbers &card, const QList<int> &claimed,
                                       std::span<const CardCells::Set> shapes);

// The same over a player's cards: nothing when one of them holds the claim;
// else the refusal of the card that holds the most claimed numbers (the
// first, on a tie).
std::optional<CardRefusal> CheckOnCards(const QList<CardModel::Numbers> &cards, const QList<int> &claimed,
                                        std::span<const CardCells::Set> shapes);

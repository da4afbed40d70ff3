// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/claimcheck.h"

#include <algorithm>

std::optional<CardRefusal> CheckOnCard(const CardModel::Numbers &card, const QList<int> &claimed,
                                       std::span<const CardCells::Set> shapes)
{
    CardCells::Set cells = 0;
    QStringList absent;
    for (int n : claimed) {
        const auto at = std::find(card.begin(), card.end(), n);
        if (at == card.end())
            absent << QString::number(n);
        else
            cells |= CardCells::Cell(int(at - card.begin()));
    }
    if (!absent.isEmpty())
        return CardRefusal{CardRefusal::NotOnCard, absent};
    // Exactly a shape: a line padded with other numbers of the card is no
    // line. A number named twice counts once, as the calls are judged.
    if (std::find(shapes.begin(), shapes.end(), cells) == shapes.end())
        return CardRefusal{CardRefusal::NotAShape, {}};
    return std::nullopt;
}

std::optional<CardRefusal> CheckOnCards(const QList<CardModel::Numbers> &cards, const QList<int> &claimed,
                                        std::span<const CardCells::Set> shapes)
{
    std::optional<CardRefusal> best;
    for (const CardModel::Numbers &card : cards) {
        std::optional<CardRefusal> refusal = CheckOnCard(card, claimed, shapes);
        if (!refusal)
            return std::nullopt;
        // A card holding every number has no detail, and is the one to name.
        if (!best || refusal->detail.size() < best->detail.size())
            best = std::move(refusal);
    }
    return best;
}

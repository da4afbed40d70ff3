// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a bingo card widget needs from the window that holds it.

#include "card/cardmodel.h"

#include <QList>
#include <span>

class CardOwner
{
public:
    virtual ~CardOwner() = default;

    // A card found a complete line: its numbers, in cell order.
    virtual void LineComplete(const QList<int> &numbers) = 0;
    // Whether a claim can be made now; when it can, the card enables BINGO!.
    virtual bool ClaimAllowed() const = 0;
    virtual void EnableBingo() = 0;
    // The sets a card must hold to win now: the stage's pattern.
    virtual std::span<const CardCells::Set> StageShapes() const { return CardCells::Lines; }
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/deal.h"

#include <algorithm>

namespace CardDeal {

int Place(const Taken &taken, int drawn)
{
    // Only a faulty draw source could step outside the range; clamping keeps
    // the card whole instead of reading past the table.
    const int start = std::clamp(drawn, 1, HighestNumber);
    for (int n = start; n <= HighestNumber; ++n) {
        if (!taken[n])
            return n;
    }
    for (int n = 1; n < start; ++n) {
        if (!taken[n])
            return n;
    }
    return 0;
}

std::array<int, Cells> Deal(const std::function<int()> &draw)
{
    // Built afresh for every card: two cards, or two games, draw
    // independently and may share numbers.
    Taken taken{};
    std::array<int, Cells> numbers{};
    for (int &number : numbers) {
        // With at most 24 numbers taken a free one always exists.
        number = Place(taken, draw());
        taken[number] = true;
    }
    return numbers;
}

} // namespace CardDeal

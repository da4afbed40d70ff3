#include "card/winlines.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Line = std::array<int, 5>;

// The 12 lines in the order the card checks them: rows, columns, the
// diagonal from the top left, then the one from the top right.
const Line Lines[WinLines::Count] = {
    {0, 1, 2, 3, 4}, {5, 6, 7, 8, 9}, {10, 11, 12, 13, 14}, {15, 16, 17, 18, 19}, {20, 21, 22, 23, 24},
    {0, 5, 10, 15, 20}, {1, 6, 11, 16, 21}, {2, 7, 12, 17, 22}, {3, 8, 13, 18, 23}, {4, 9, 14, 19, 24},
    {0, 6, 12, 18, 24}, {4, 8, 12, 16, 20}};

// The first complete line with the cells of the given lines marked, but for one left out.
std::optional<Line> firstComplete(const std::vector<int> &lineIndexes, int leftOut = -1)
{
    std::array<bool, 25> marked{};
    for (int index : lineIndexes)
        for (int cell : Lines[index])
            marked[cell] = cell != leftOut;
    return WinLines::FirstComplete(WinLines::LoadLines(), marked);
}

TEST(WinLines, FindsEachLineButNeverFourOfItsCellsAndOfSeveralTheFirstInOrder)
{
    for (int index = 0; index < WinLines::Count; ++index) {
        EXPECT_EQ(firstComplete({index}), Lines[index]) << index;
        for (int cell : Lines[index])
            EXPECT_EQ(firstComplete({index}, cell), std::nullopt) << index << " without " << cell;
    }
    // Of several complete lines the first in order: rows, columns, then diagonals.
    const std::pair<std::vector<int>, int> several[] = {{{3, 1}, 1}, {{5, 4}, 4}, {{11, 9}, 9}, {{11, 10}, 10}};
    for (const auto &[complete, reported] : several)
        EXPECT_EQ(firstComplete(complete), Lines[reported]) << "line " << reported;
}

} // namespace

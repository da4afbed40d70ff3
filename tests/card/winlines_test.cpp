#include "card/winlines.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Line = std::array<int, 5>;

// The 12 lines worked out from the grid, in the order the card checks them.
std::vector<Line> linesOfTheGrid()
{
    std::vector<Line> lines;
    for (int row = 0; row < 5; ++row)
        lines.push_back({5 * row, 5 * row + 1, 5 * row + 2, 5 * row + 3, 5 * row + 4});
    for (int col = 0; col < 5; ++col)
        lines.push_back({col, col + 5, col + 10, col + 15, col + 20});
    lines.push_back({0, 6, 12, 18, 24});
    lines.push_back({4, 8, 12, 16, 20}); // top right first
    return lines;
}

std::array<bool, 25> marking(const std::vector<int> &lineIndexes, int leftOut = -1)
{
    const auto lines = linesOfTheGrid();
    std::array<bool, 25> marked{};
    for (int index : lineIndexes)
        for (int cell : lines[index])
            marked[cell] = cell != leftOut;
    return marked;
}

TEST(WinLines, FindsEachLineInItsOwnOrderButNeverFourOfItsCells)
{
    const auto lines = linesOfTheGrid();
    for (int index = 0; index < WinLines::Count; ++index) {
        EXPECT_EQ(WinLines::FirstComplete(WinLines::LoadLines(), marking({index})), lines[index]) << index;
        for (int cell : lines[index])
            EXPECT_EQ(WinLines::FirstComplete(WinLines::LoadLines(), marking({index}, cell)), std::nullopt)
                << index << " without " << cell;
    }
}

struct Several
{
    const char *name;
    std::vector<int> complete;
    int reported;
};

class SeveralLines : public ::testing::TestWithParam<Several> {};

TEST_P(SeveralLines, TheLowestIndexIsReported)
{
    EXPECT_EQ(WinLines::FirstComplete(WinLines::LoadLines(), marking(GetParam().complete)),
              linesOfTheGrid()[GetParam().reported]);
}

INSTANTIATE_TEST_SUITE_P(Table, SeveralLines, ::testing::Values(
    Several{"UpperOfTwoRows", {3, 1}, 1},
    Several{"BottomRowBeforeFirstColumn", {5, 4}, 4},
    Several{"ColumnBeforeDiagonal", {11, 9}, 9},
    Several{"DiagonalFromTopLeftFirst", {11, 10}, 10}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

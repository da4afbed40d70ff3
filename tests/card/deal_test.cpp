#include "card/deal.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

struct Case
{
    const char *name;
    std::vector<int> draws;    // the first draws, in cell order
    int thenDraw;              // every later draw
    std::vector<int> expected; // the first cells' numbers
};

class DealRule : public ::testing::TestWithParam<Case> {};

TEST_P(DealRule, PlacesEachDrawOnTheNextFreeNumberAndKeepsTheCardWhole)
{
    const Case &c = GetParam();
    std::size_t next = 0;
    const auto numbers = CardDeal::Deal([&] { return next < c.draws.size() ? c.draws[next++] : c.thenDraw; });

    EXPECT_EQ(std::vector<int>(numbers.begin(), numbers.begin() + c.expected.size()), c.expected);
    const std::set<int> distinct(numbers.begin(), numbers.end());
    EXPECT_EQ(distinct.size(), 25u);
    EXPECT_TRUE(*distinct.begin() >= 1 && *distinct.rbegin() <= 100);
}

INSTANTIATE_TEST_SUITE_P(Corners, DealRule, ::testing::Values(
    Case{"FreeDrawStays", {7, 42, 1}, 50, {7, 42, 1, 50, 51}},
    Case{"TakenNinetyNineMovesToAHundred", {99, 99}, 1, {99, 100, 1, 2}},
    Case{"NinetyNineAndAHundredTakenWrapToTheLowestFree", {1, 2, 99, 99, 99}, 50, {1, 2, 99, 100, 3}},
    Case{"TakenNumberMovesUpNeverDown", {50, 49, 52, 50, 50, 50}, 1, {50, 49, 52, 51, 53, 54}},
    Case{"AllDrawsAlikeFillUpwardThenWrap", {}, 99, {99, 100, 1, 2, 3}},
    Case{"DrawsOutsideTheRangeAreBroughtIn", {0, -5, 150, 100}, 1, {1, 2, 100, 3}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

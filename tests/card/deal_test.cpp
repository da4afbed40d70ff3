#include "card/deal.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

TEST(CardDeal, PlacesEachDrawOnTheNextFreeNumberAndKeepsTheCardWhole)
{
    // The first draws, in cell order, every later draw, and the first cells' numbers.
    const struct { const char *what; std::vector<int> draws; int thenDraw; std::vector<int> expected; } cases[] = {
        {"a free draw stays", {7, 42, 1}, 50, {7, 42, 1, 50, 51}},
        {"a taken 99 moves to 100", {99, 99}, 1, {99, 100, 1, 2}},
        {"99 and 100 taken wrap to the lowest free", {1, 2, 99, 99, 99}, 50, {1, 2, 99, 100, 3}},
        {"a taken number moves up, never down", {50, 49, 52, 50, 50, 50}, 1, {50, 49, 52, 51, 53, 54}},
        {"draws alike fill upward then wrap", {}, 99, {99, 100, 1, 2, 3}},
        {"draws outside the range are brought in", {0, -5, 150, 100}, 1, {1, 2, 100, 3}}};
    for (const auto &c : cases) {
        std::size_t next = 0;
        const auto numbers = CardDeal::Deal([&] { return next < c.draws.size() ? c.draws[next++] : c.thenDraw; });
        EXPECT_EQ(std::vector<int>(numbers.begin(), numbers.begin() + c.expected.size()), c.expected) << c.what;
        const std::set<int> distinct(numbers.begin(), numbers.end());
        EXPECT_EQ(distinct.size(), 25u) << c.what;
        EXPECT_TRUE(*distinct.begin() >= 1 && *distinct.rbegin() <= 100) << c.what;
    }
}

} // namespace

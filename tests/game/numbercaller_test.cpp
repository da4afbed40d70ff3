// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/numbercaller.h"

#include "support/randomgenerator.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// A generator on a frozen clock: two made with one seed give one sequence.
RandomGenerator frozenGenerator()
{
    return RandomGenerator(77, [] { return quint64(1000); });
}

TEST(CallCommand, ForcesTheNumberItCanReadAndLeavesItOtherwise)
{
    // A chat line after its "/", and the forced number after it; 42 was forced before.
    // clang-format off
    const struct { const char *line; qint16 forced; } cases[] = {
        {"call 7", 7}, {"call 07", 7}, {"call 7 now please", 7}, {"call 7.5", 8}, {"call 6.5", 6},
        {"call 0", 0}, {"call 150", 150}, {"call -5", -5}, {"call", 42}, {"call ", 42}, {"call x", 42},
        {"Call 7", 42}, {"call  7", 42}, {" call 7", 42}, {"", 42}, {"call 32768", 42}, {"dance 7", 42}};
    // clang-format on
    for (const auto &c : cases) {
        NumberCaller caller;
        caller.RunChatCommand(QStringLiteral("call 42"));
        caller.RunChatCommand(QString::fromUtf8(c.line));
        EXPECT_EQ(caller.ForcedNumber(), c.forced) << '"' << c.line << '"';
    }
}

TEST(HostDraw, CallsTheLastForcedNumberOnceAndDrawsAtRandomWhenItWasCancelledOutOfRangeOrCalled)
{
    NumberCaller fresh;
    RandomGenerator freshRandom = frozenGenerator();
    const int chance = *fresh.Draw(freshRandom); // what a draw with nothing forced gives
    // The call commands before a draw, and the number drawn; 0 for chance.
    // clang-format off
    const struct { std::vector<const char *> lines; int drawn; } cases[] = {
        {{"call 7", "call 9"}, 9}, {{"call 7", "call 100"}, 100}, {{"call 7", "call 0"}, 0}, {{"call 7", "call 101"}, 0},
        {{"call 7", "call -5"}, 0}, {{"call 7", "draw", "call 7"}, -1}};
    // clang-format on
    for (const auto &c : cases) {
        NumberCaller caller;
        RandomGenerator random = frozenGenerator();
        for (const char *line : c.lines) {
            if (qstrcmp(line, "draw") == 0)
                caller.Draw(random);
            else
                caller.RunChatCommand(QString::fromUtf8(line));
        }
        const int drawn = *caller.Draw(random);
        EXPECT_TRUE(c.drawn < 0 ? drawn != 7 : drawn == (c.drawn ? c.drawn : chance)) << c.lines.back() << " drew " << drawn;
        EXPECT_EQ(caller.ForcedNumber(), 0) << c.lines.back();
        EXPECT_EQ(caller.CallCount(), c.drawn < 0 ? 2 : 1) << c.lines.back();
        for (int n = 1; c.drawn >= 0 && n <= NumberCaller::Highest; ++n) EXPECT_EQ(caller.Called(n), n == drawn) << c.lines.back() << ": " << n;
    }
}

TEST(Claim, HoldsWithFiveDifferentCalledNumbersAndNothingUncalled)
{
    NumberCaller caller;
    for (int n : {0, 1, 2, 3, 4, 5, 100, 101}) caller.MarkCalled(n);
    // clang-format off
    const struct { const char *items; bool holds; } cases[] = {
        {"1@2@3@4@5", true}, {"5@4@3@2@100", true}, {"1@2@3@4@5@100", true}, {"01@2.0@3@4@5", true},
        {"1@2@3@4", false}, {"1@2@3@4@4", false}, {"1@2@3@4@6", false}, {"1@2@3@4@5@6", false},
        {"1@2@3@4@0", false}, {"1@2@3@4@101", false}, {"1@2@3@4@4.6", false}, {"1@2@3@4@5@", false}};
    // clang-format on
    for (const auto &c : cases) EXPECT_EQ(caller.ClaimHolds(QString::fromUtf8(c.items).split(u'@')), c.holds) << c.items;
}

} // namespace

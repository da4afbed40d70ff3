#include "game/numbercaller.h"

#include "support/randomgenerator.h"

#include <gtest/gtest.h>

namespace {

// A generator on a frozen clock: two made with one seed give one sequence.
RandomGenerator frozenGenerator() { return RandomGenerator(77, [] { return quint64(1000); }); }

// The number a caller with nothing forced and nothing called draws first.
int firstRandomDraw()
{
    NumberCaller fresh;
    RandomGenerator random = frozenGenerator();
    return *fresh.Draw(random);
}

struct ChatCase
{
    const char *line; // the chat line after its "/"
    qint16 forced;    // the forced number afterwards; 42 was forced before
};

void PrintTo(const ChatCase &c, std::ostream *out) { *out << '"' << c.line << '"'; }

class CallCommand : public ::testing::TestWithParam<ChatCase> {};

TEST_P(CallCommand, ForcesTheNumberItCanReadAndLeavesItOtherwise)
{
    NumberCaller caller;
    caller.RunChatCommand(QStringLiteral("call 42"));
    caller.RunChatCommand(QString::fromUtf8(GetParam().line));
    EXPECT_EQ(caller.ForcedNumber(), GetParam().forced) << '"' << GetParam().line << '"';
}

INSTANTIATE_TEST_SUITE_P(Table, CallCommand, ::testing::Values(
    ChatCase{"call 7", 7}, ChatCase{"call 07", 7}, ChatCase{"call 7 now please", 7},
    ChatCase{"call 7.5", 8}, ChatCase{"call 6.5", 6},
    ChatCase{"call 0", 0}, ChatCase{"call 150", 150}, ChatCase{"call -5", -5},
    ChatCase{"call", 42}, ChatCase{"call ", 42}, ChatCase{"call x", 42}, ChatCase{"Call 7", 42},
    ChatCase{"call  7", 42}, ChatCase{" call 7", 42}, ChatCase{"", 42}, ChatCase{"call 32768", 42},
    ChatCase{"dance 7", 42}));

TEST(HostDraw, CallsAForcedNumberOnceAndTheLaterOfTwoCommands)
{
    NumberCaller caller;
    RandomGenerator random = frozenGenerator();
    caller.RunChatCommand(QStringLiteral("call 7"));
    caller.RunChatCommand(QStringLiteral("call 9"));
    EXPECT_EQ(caller.Draw(random), 9);
    EXPECT_EQ(caller.ForcedNumber(), 0);
    EXPECT_FALSE(caller.Called(7));
    EXPECT_TRUE(caller.Called(9));
    EXPECT_EQ(caller.CallCount(), 1);
}

TEST(HostDraw, DrawsAtRandomWhenTheForcedNumberWasCancelledOrOutOfRange)
{
    for (const char *line : {"call 0", "call 150", "call -5"}) {
        NumberCaller caller;
        RandomGenerator random = frozenGenerator();
        caller.RunChatCommand(QStringLiteral("call 7"));
        caller.RunChatCommand(QString::fromUtf8(line));
        EXPECT_EQ(caller.Draw(random), firstRandomDraw()) << line;
        EXPECT_EQ(caller.ForcedNumber(), 0) << line;
    }
}

TEST(HostDraw, ReplacesAForcedNumberAlreadyCalledWithAnUncalledOne)
{
    NumberCaller caller;
    RandomGenerator random = frozenGenerator();
    caller.RunChatCommand(QStringLiteral("call 7"));
    ASSERT_EQ(caller.Draw(random), 7);
    caller.RunChatCommand(QStringLiteral("call 7"));
    const std::optional<int> next = caller.Draw(random);
    ASSERT_TRUE(next);
    EXPECT_NE(*next, 7);
    EXPECT_EQ(caller.ForcedNumber(), 0);
    EXPECT_EQ(caller.CallCount(), 2);
}

} // namespace

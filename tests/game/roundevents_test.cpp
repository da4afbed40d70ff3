// What one window's game says, sends and shows as players come and go,
// claims are answered and latecomers catch up. Hal hosts.

#include "game/bingogame.h"
#include "game/interval.h"
#include "game/members.h"
#include "support/qtprinters.h"
#include "support/randomgenerator.h"

#include <gtest/gtest.h>

namespace {

struct RoundCase
{
    const char *me;
    // "+NAME" joins, "-NAME" leaves, "*" calls 1 to 100, "/..." is typed
    // into the chat, anything else is a record as delivered.
    std::vector<const char *> steps;
    // In order: "log LINE" (calls' own lines left out), "send RECORD",
    // "start SECONDS", "call N", "over".
    QStringList seen;
    bool inProgress;
};

class RoundEvents : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundEvents, SaysSendsAndShowsWhatTheEventMeans)
{
    const RoundCase &c = GetParam();
    MemberTable members;
    RandomGenerator random(1, [] { return quint64(1000); });
    BingoGame game(members, random);
    game.SetNames(QString::fromUtf8(c.me), QStringLiteral("Hal"));
    QStringList seen;
    bool bulk = false; // calling 1 to 100, whose calls are not listed
    QObject::connect(&game, &BingoGame::Log, [&](int, const QString &line) {
        if (!line.startsWith(u"** The Number ("))
            seen << "log " + line;
    });
    QObject::connect(&game, &BingoGame::Send, [&](const QString &record) { seen << "send " + record; });
    QObject::connect(&game, &BingoGame::GameStarted, [&](const QString &s) { seen << "start " + s; });
    QObject::connect(&game, &BingoGame::NumberCalled, [&](int n) {
        if (!bulk)
            seen << QStringLiteral("call %1").arg(n);
    });
    QObject::connect(&game, &BingoGame::RoundOver, [&] { seen << QStringLiteral("over"); });

    for (const QString step : c.steps) {
        if (step.startsWith(u'+'))
            game.PlayerJoined(step.mid(1));
        else if (step.startsWith(u'-'))
            game.PlayerLeft(step.mid(1));
        else if (step.startsWith(u'/'))
            seen << "log " + game.RefuseChatCommand(step).value_or(QStringLiteral("sent"));
        else
            game.EvalCommand(step);
        bulk = step == u"*";
        for (int n = 1; bulk && n <= 100; ++n)
            game.EvalCommand(QStringLiteral("1|%1").arg(n));
        bulk = false;
    }
    seen.removeAll(QStringLiteral("log ** A New Game Has Been Started."));
    EXPECT_EQ(seen, c.seen) << c.steps.front();
    EXPECT_EQ(game.InProgress(), c.inProgress) << c.steps.front();
}

INSTANTIATE_TEST_SUITE_P(Table, RoundEvents, ::testing::Values(
    RoundCase{"Ann", {"+Bob", "+hal", "+Ann", "+Hal"},
              {"log ** Hal, who hosts this game, is not here: no numbers will be called until Hal joins. "
               "hal is here: did you mean hal?"}, false},
    RoundCase{"Ann", {"+Ann"}, {"log ** Hal, who hosts this game, is not here: no numbers will be called until Hal joins."}, false},
    RoundCase{"Ann", {"+Hal", "+Ann", "-Hal", "+Ann"}, {}, false},
    RoundCase{"Ann", {"+Hal", "+Ann", "2|ResetMe|10", "-Bob", "-Hal", "-Hal"},
              {"start 10", "log ** The round is over: Hal, who hosts this game, has left.", "over"}, false},
    RoundCase{"Ann", {"2|ResetMe|10", "*", "1|5"},
              {"start 10", "log ** All 100 numbers have been called and nobody has won yet.", "call 5"}, true},
    RoundCase{"Hal", {"2|ResetMe|10", "1|3", "1|5", "1|7", "1|9", "4|Ann|3@17@5@42@17", "1|11", "4|Ann|3@5@7@9@11",
                      "4|Bob|3@5@7@9@11"},
              {"start 10", "log ** A number will be called every 10 seconds.", "call 3", "call 5", "call 7", "call 9",
               "send 6|Ann|uncalled|17@42", "call 11", "send 3|Ann|1", "send 6|Bob|taken|"}, true},
    RoundCase{"Hal", {"4|Ann|1@2@3@4@5"}, {"send 6|Ann|over|"}, false},
    RoundCase{"Hal", {"/call 7", "/dance"}, {"log sent", "log ** /dance was not run: the one command is /call followed "
                                                            "by a number."}, false},
    RoundCase{"Ann", {"/call 7"}, {"log ** /call 7 was not run: only the host, Hal, can give commands."}, false},
    RoundCase{"Bob", {"2|ResetMe|10", "1|1", "1|2", "1|3", "1|4", "1|5", "4|Ann|1@2@3@4@5", "4|Ann|1@2@3@4@6"},
              {"start 10", "call 1", "call 2", "call 3", "call 4", "call 5"}, true},
    RoundCase{"Ann", {"6|Ann|uncalled|17@42", "6|Ann|uncalled|17", "6|Ann|over|", "6|Ann|taken|", "6|Ann|uncalled|",
                      "6|Bob|over|", "6|Ann|over"},
              {"log ** Your claim did not win: 17 and 42 have not been called.",
               "log ** Your claim did not win: 17 has not been called.",
               "log ** Your claim did not win: the round is over.",
               "log ** Your claim did not win: this round has already been won.",
               "log ** Your claim did not win: its line does not hold five called numbers."}, false},
    RoundCase{"Ann", {"5|Bob|15|1", "5|Ann|15|7@3@x@101@9", "5|Ann|15|7@4"},
              {"start 15", "call 7", "call 3", "call 9",
               "log ** You joined a round in progress: 3 number(s) had been called before you came.", "call 4"}, true},
    RoundCase{"Ann", {"2|ResetMe|10", "1|7", "5|Ann|15|7@3"}, {"start 10", "call 7", "call 3"}, true},
    RoundCase{"Hal", {"+Hal", "+Ann", "2|ResetMe|15", "1|7", "1|3", "+Bob", "3|Ann|1", "+Ben"},
              {"start 15", "log ** A number will be called every 15 seconds.", "call 7", "call 3", "send 5|Bob|15|7@3",
               "log ** Ann Has Won The Game! 1 Total Win(s)! **", "log ** Click 'New Game' To Begin The Next Round.",
               "over"}, false}));

TEST(RoundEvents, TheHostHearsHowOftenNumbersWillBeCalled)
{
    for (const auto &[typed, line] : std::initializer_list<std::pair<const char *, const char *>>{
             {"15", "every 15 seconds."}, {".6", "every second."}, {"1.5", "every 10 seconds: \"1.5\" is not"},
             {"ab", "\"ab\" is not"}, {"-5", "\"-5\" is not"}, {"120", "\"120\" is not"}, {"0", "No numbers will"}})
        EXPECT_TRUE(Interval::Describe(QString::fromUtf8(typed)).contains(QString::fromUtf8(line))) << typed;
}

} // namespace

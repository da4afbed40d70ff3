// What one window's game says and sends as players come and go, claims are
// answered and latecomers catch up. Hal hosts; Ann and Bob play.

#include "game/bingogame.h"
#include "game/members.h"
#include "support/randomgenerator.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct RoundCase
{
    const char *what;
    const char *me;
    // Steps, in order: "+NAME" joins, "-NAME" leaves, "*" calls 1 to 100,
    // anything else is a command record as delivered.
    std::vector<const char *> steps;
    QStringList log;    // new lines, without the calls' own
    QStringList sent;
    QStringList events; // "start SECONDS", "call N", "over"
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
    QStringList log, sent, events;
    static const QRegularExpression callLine(QStringLiteral(R"(^\*\* The Number \(\d+\) Has Been Called\.$)"));
    QObject::connect(&game, &BingoGame::Log, [&](int, const QString &line) {
        if (!callLine.match(line).hasMatch())
            log << line;
    });
    QObject::connect(&game, &BingoGame::Send, [&](const QString &record) { sent << record; });
    QObject::connect(&game, &BingoGame::GameStarted, [&](const QString &s) { events << QStringLiteral("start ") + s; });
    QObject::connect(&game, &BingoGame::NumberCalled, [&](int n) { events << QStringLiteral("call %1").arg(n); });
    QObject::connect(&game, &BingoGame::GameWon, [&] { events << QStringLiteral("over"); });

    for (const QString step : c.steps) {
        if (step.startsWith(u'+'))
            game.PlayerJoined(step.mid(1));
        else if (step.startsWith(u'-'))
            game.PlayerLeft(step.mid(1));
        else if (step == u"*") {
            for (int n = 1; n <= 100; ++n)
                game.EvalCommand(QStringLiteral("1|%1").arg(n));
        } else
            game.EvalCommand(step);
    }
    EXPECT_EQ(log, c.log);
    EXPECT_EQ(sent, c.sent);
    if (!c.events.isEmpty()) {
        EXPECT_EQ(events, c.events);
    }
    EXPECT_EQ(game.InProgress(), c.inProgress);
}

const QString Started = QStringLiteral("** A New Game Has Been Started.");
const QString EveryTen = QStringLiteral("** A number will be called every 10 seconds.");

INSTANTIATE_TEST_SUITE_P(Table, RoundEvents, ::testing::Values(
    RoundCase{"the host is missing after the join replay, with a near name", "Ann", {"+Bob", "+hal", "+Ann", "+Hal"},
              {"** Hal, who hosts this game, is not here: no numbers will be called until Hal joins. "
               "hal is here: did you mean hal?"}, {}, {}, false},
    RoundCase{"the host is missing after the join replay", "Ann", {"+Ann"},
              {"** Hal, who hosts this game, is not here: no numbers will be called until Hal joins."}, {}, {}, false},
    RoundCase{"the host is there", "Ann", {"+Hal", "+Ann", "-Hal", "+Ann"}, {}, {}, {}, false},
    RoundCase{"the host leaves during a round", "Ann", {"+Hal", "+Ann", "2|ResetMe|10", "-Bob", "-Hal", "-Hal"},
              {Started, "** The round is over: Hal, who hosts this game, has left."}, {}, {"start 10", "over"}, false},
    RoundCase{"all 100 numbers are called", "Ann", {"2|ResetMe|10", "*", "1|5"},
              {Started, "** All 100 numbers have been called and nobody has won yet."}, {}, {}, true},
    RoundCase{"the host judges claims: uncalled, accepted, taken", "Hal",
              {"2|ResetMe|10", "1|3", "1|5", "1|7", "1|9", "4|Ann|3@17@5@42@17", "1|11", "4|Ann|3@5@7@9@11",
               "4|Bob|3@5@7@9@11"},
              {Started, EveryTen}, {"6|Ann|uncalled|17@42", "3|Ann|1", "6|Bob|taken|"}, {}, true},
    RoundCase{"the host refuses a claim outside a round", "Hal", {"4|Ann|1@2@3@4@5"}, {}, {"6|Ann|over|"}, {}, false},
    RoundCase{"a player's window never judges", "Bob",
              {"2|ResetMe|10", "1|3", "1|5", "1|7", "1|9", "1|11", "4|Ann|3@5@7@9@11", "4|Ann|1@2@3@4@5"},
              {Started}, {}, {}, true},
    RoundCase{"a refusal is told to its claimant only", "Ann",
              {"6|Ann|uncalled|17@42", "6|Ann|uncalled|17", "6|Ann|over|", "6|Ann|taken|", "6|Ann|uncalled|",
               "6|Bob|over|", "6|Ann|over"},
              {"** Your claim did not win: 17 and 42 have not been called.",
               "** Your claim did not win: 17 has not been called.", "** Your claim did not win: the round is over.",
               "** Your claim did not win: this round has already been won.",
               "** Your claim did not win: its line does not hold five called numbers."}, {}, {}, false},
    RoundCase{"a latecomer catches up once", "Ann", {"5|Bob|15|1", "5|Ann|15|7@3@x@101@9", "5|Ann|15|7@4"},
              {"** You joined a round in progress: 3 number(s) had been called before you came."}, {},
              {"start 15", "call 7", "call 3", "call 9", "call 4"}, true},
    RoundCase{"a window in a round only adds what it lacks", "Ann", {"2|ResetMe|10", "1|7", "5|Ann|15|7@3"},
              {Started}, {}, {"start 10", "call 7", "call 3"}, true},
    RoundCase{"the host answers a latecomer during a round only", "Hal",
              {"+Hal", "+Ann", "2|ResetMe|15", "1|7", "1|3", "+Bob", "3|Ann|1", "+Ben"},
              {Started, "** A number will be called every 15 seconds.", "** Ann Has Won The Game! 1 Total Win(s)! **",
               "** Click 'New Game' To Begin The Next Round."}, {"5|Bob|15|7@3"}, {}, false}),
    [](const auto &info) {
        std::string name = info.param.what;
        std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(uchar(ch)); }, '_');
        return name;
    });

TEST(RoundEvents, TheHostIsToldHowOftenNumbersWillBeCalled)
{
    const struct { const char *typed, *line; } cases[] = {
        {"15", "every 15 seconds."}, {".6", "every second."}, {"1.5", "every 10 seconds: \"1.5\" is not"},
        {"ab", "every 10 seconds: \"ab\" is not"}, {"-5", "every 10 seconds: \"-5\" is not"},
        {"120", "every 10 seconds: \"120\" is not"}, {"0", "No numbers will be called in this game: \"0\""}};
    for (const auto &c : cases) {
        MemberTable members;
        RandomGenerator random(1, [] { return quint64(1000); });
        BingoGame game(members, random);
        game.SetNames(QStringLiteral("Hal"), QStringLiteral("Hal"));
        QStringList log;
        QObject::connect(&game, &BingoGame::Log, [&](int, const QString &line) { log << line; });
        game.EvalCommand(QStringLiteral("2|ResetMe|") + QString::fromUtf8(c.typed));
        ASSERT_EQ(log.size(), 2) << c.typed;
        EXPECT_TRUE(log.at(1).contains(QString::fromUtf8(c.line))) << log.at(1).toStdString();
    }
}

TEST(RoundEvents, ACommandIsRefusedToPlayersAndWhenTheHostHasNoSuchCommand)
{
    const struct { const char *me, *typed; bool refused; } cases[] = {
        {"Hal", "/call 7", false}, {"Hal", "/call", false}, {"Hal", "hello /call", false}, {"Ann", "hello", false},
        {"Hal", "/dance", true}, {"Hal", "/Call 7", true}, {"Ann", "/call 7", true}, {"Ann", "/", true}};
    for (const auto &c : cases) {
        MemberTable members;
        RandomGenerator random(1, [] { return quint64(1000); });
        BingoGame game(members, random);
        game.SetNames(QString::fromUtf8(c.me), QStringLiteral("Hal"));
        const auto refusal = game.RefuseChatCommand(QString::fromUtf8(c.typed));
        EXPECT_EQ(refusal.has_value(), c.refused) << c.me << ": " << c.typed;
        if (refusal) {
            EXPECT_TRUE(refusal->startsWith(QStringLiteral("** %1 was not run").arg(c.typed))) << c.typed;
        }
    }
}

} // namespace

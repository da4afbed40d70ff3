#include "game/bingogame.h"

#include "game/members.h"
#include "support/qtprinters.h"
#include "support/randomgenerator.h"

#include <QSet>
#include <gtest/gtest.h>
#include <algorithm>

namespace {

// One game, host's or player's, with everything it says written down in
// order as short texts: "4:<line>" for a log line of kind 4, "called 7",
// "started 15", "won", "done" and "send <record>".
struct Game
{
    explicit Game(bool host, const QList<Member> &members = {})
    {
        for (const Member &member : members)
            table.Append(member);
        game.SetHost(host);
        QObject::connect(&game, &BingoGame::Log, [this](int kind, const QString &line) { events << QString::number(kind) + u':' + line; });
        QObject::connect(&game, &BingoGame::NumberCalled, [this](int n) { events << QStringLiteral("called %1").arg(n); });
        QObject::connect(&game, &BingoGame::GameStarted, [this](const QString &seconds) { events << QStringLiteral("started ") + seconds; });
        QObject::connect(&game, &BingoGame::RoundOver, [this] { events << QStringLiteral("won"); });
        QObject::connect(&game, &BingoGame::CallingDone, [this] { events << QStringLiteral("done"); });
        QObject::connect(&game, &BingoGame::Send, [this](const QString &record) { events << QStringLiteral("send ") + record; });
    }
    void Eval(const QStringList &records)
    {
        for (const QString &record : records)
            game.EvalCommand(record);
    }

    MemberTable table;
    RandomGenerator random{3, [] { return quint64(1000); }};
    BingoGame game{table, random};
    QStringList events;
};

const QString Seven = QStringLiteral("4:** The Number (7) Has Been Called.");
const QString NewGame = QStringLiteral("3:** A New Game Has Been Started.");
const QString AnnWins = QStringLiteral("4:** Ann Has Won The Game! 2 Total Win(s)! **");
const QString NextRound = QStringLiteral("4:** Click 'New Game' To Begin The Next Round.");

TEST(BingoGame, CarriesOutEachRecordAndSaysWhatTheWindowMustShow)
{
    const struct {
        const char *what;
        bool host;
        QStringList records, events;
        QSet<int> kept; // the called numbers the game keeps for judging
        bool inProgress;
    } cases[] = {
        {"a call in the host's game", true, {"1|7"}, {Seven, "called 7"}, {7}, false},
        {"a call in a player's game", false, {"1|7"}, {Seven, "called 7"}, {7}, false},
        {"a call shows the number as sent", false, {"1|07"}, {"4:** The Number (07) Has Been Called.", "called 7"}, {7}, false},
        {"a new game in the host's game", true, {"1|7", "2|ResetMe|15"}, {Seven, "called 7", "started 15", NewGame, "4:** A number will be called every 15 seconds."}, {}, true},
        {"a new game in a player's game", false, {"2|ResetMe|ab"}, {"started ab", NewGame}, {}, true},
        {"a win in the host's game", true, {"2|ResetMe|10", "3|Ann|2"}, {"started 10", NewGame, "4:** A number will be called every 10 seconds.", AnnWins, NextRound, "won"}, {}, false},
        {"a win, then a call, in a player's game", false, {"2|ResetMe|10", "3|Ann|2", "1|7"},
         {"started 10", NewGame, AnnWins, "won", Seven, "called 7"}, {7}, false},
        {"records the program never sends", true,
         {"5|7", "1|0", "1|101", "1|x", "1|7.5", "1", "2|ResetMe", "3|Ann", "x|7", "1.5|7", "4|Hal", ""}, {}, {}, false},
    };
    for (const auto &c : cases) {
        Game g(c.host);
        g.Eval(c.records);
        EXPECT_EQ(g.events, c.events) << c.what;
        EXPECT_EQ(g.game.InProgress(), c.inProgress) << c.what;
        for (int n = 1; n <= 100; ++n)
            EXPECT_EQ(g.game.Caller().Called(n), c.kept.contains(n)) << c.what << ": " << n;
    }
}

TEST(BingoGame, AcceptsOneClaimPerGameWhenItsLineWasCalledAndSendsTheWinnersTotal)
{
    const QString annsLine = QStringLiteral("4|Ann|12@3@77@40@9");
    const struct {
        const char *what;
        bool host;
        QList<Member> members;
        QStringList claims, events;
    } cases[] = {
        {"Ann's first win", true, {}, {annsLine}, {"send 3|Ann|1"}},
        {"Ann's second win", true, {{"Ann", 1}}, {annsLine}, {"send 3|Ann|2"}},
        {"ann is another member", true, {{"Ann", 1}}, {"4|ann|12@3@77@40@9"}, {"send 3|ann|1"}},
        {"a total at its top stays there", true, {{"Ann", 32767}}, {annsLine}, {"send 3|Ann|32767"}},
        {"six called numbers", true, {}, {"4|Ann|12@3@77@40@9@5"}, {"send 3|Ann|1"}},
        {"five different numbers among six", true, {}, {"4|Ann|12@3@77@40@9@12"}, {"send 3|Ann|1"}},
        {"a number not called", true, {}, {"4|Ann|12@3@77@40@8"}, {"send 6|Ann|uncalled|8"}},
        {"four numbers", true, {}, {"4|Ann|12@3@77@40"}, {"send 6|Ann|uncalled|"}},
        {"a zero", true, {}, {"4|Ann|12@3@77@40@0"}, {"send 6|Ann|uncalled|0"}},
        {"a number that is not whole", true, {}, {"4|Ann|12@3@77@40@9.2"}, {"send 6|Ann|uncalled|9.2"}},
        {"one number five times", true, {}, {"4|Ann|5@5@5@5@5"}, {"send 6|Ann|uncalled|"}},
        {"four different numbers", true, {}, {"4|Ann|12@12@3@77@40"}, {"send 6|Ann|uncalled|"}},
        {"a claim in a player's game", false, {}, {annsLine}, {}},
        {"a second press of BINGO!", true, {}, {annsLine, annsLine}, {"send 3|Ann|1", "send 6|Ann|taken|"}},
        {"a rival's line after the accepted one", true, {}, {annsLine, "4|Bob|5@9@40@77@3"}, {"send 3|Ann|1", "send 6|Bob|taken|"}},
    };
    for (const auto &c : cases) {
        Game g(c.host, c.members);
        g.Eval({"2|ResetMe|10", "1|12", "1|3", "1|77", "1|40", "1|9", "1|5"});
        g.events.clear();
        g.Eval(c.claims);
        // Judging shows nothing: the answer is shown when its record comes back.
        EXPECT_EQ(g.events, c.events) << c.what;
    }
}

TEST(BingoGame, CallsEachNumberOnceAndStopsCallingAfterTheHundredth)
{
    Game g(true);
    g.game.RunChatCommand(QStringLiteral("call 7"));
    for (int tick = 1; tick <= 101; ++tick)
        g.game.CallNext();
    // 100 calls, the forced one first, then "done"; a tick already on its
    // way after that sends nothing.
    ASSERT_EQ(g.events.size(), 102);
    EXPECT_EQ(g.events.first(), "send 1|7");
    const QStringList calls = g.events.mid(0, 100);
    EXPECT_EQ(QSet<QString>(calls.begin(), calls.end()).size(), 100);
    EXPECT_TRUE(std::all_of(calls.begin(), calls.end(), [](const QString &e) { return e.startsWith(u"send 1|"); }));
    EXPECT_EQ(g.events.mid(100), QStringList({"done", "done"}));
}

} // namespace

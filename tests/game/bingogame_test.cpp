// What one window's game says, sends and shows as records arrive, players
// come and go, claims are judged and latecomers catch up. Hal hosts.

#include "game/bingogame.h"
#include "game/interval.h"
#include "game/members.h"
#include "support/qtprinters.h"
#include "support/randomgenerator.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

// One game with everything it says written down in order as short texts: a
// log line of kind 4 as it is, one of another kind as "<kind>:<line>",
// "call 7", "start 15", "over", "done" and "send <record>".
struct Game
{
    explicit Game(bool host, const QList<Member> &members = {}, const char *me = "Hal")
    {
        for (const Member &member : members)
            table.Append(member);
        // A player's game here belongs to Zed unless a test names another.
        game.SetNames(QString::fromUtf8(host || qstrcmp(me, "Hal") != 0 ? me : "Zed"), QStringLiteral("Hal"));
        QObject::connect(&game, &BingoGame::Log, [this](int kind, const QString &line) {
            if (!bulk || !line.startsWith(u"** The Number ("))
                events << (kind == 4 ? line : QString::number(kind) + u':' + line);
        });
        QObject::connect(&game, &BingoGame::NumberCalled, [this](int n) {
            if (!bulk)
                events << QStringLiteral("call %1").arg(n);
        });
        QObject::connect(&game, &BingoGame::GameStarted, [this](const QString &s) { events << "start " + s; });
        QObject::connect(&game, &BingoGame::RoundOver, [this] { events << QStringLiteral("over"); });
        QObject::connect(&game, &BingoGame::CallingDone, [this] { events << QStringLiteral("done"); });
        QObject::connect(&game, &BingoGame::Send, [this](const QString &record) { events << "send " + record; });
    }
    // "+NAME" joins, "-NAME" leaves, "*" calls 1 to 100 without listing the
    // calls, "/..." is typed into the chat, "?" lists the called numbers the
    // game keeps for judging as "kept 7", anything else is a record.
    void Run(const std::vector<const char *> &steps)
    {
        for (const QString step : steps) {
            if (step.startsWith(u'+'))
                game.PlayerJoined(step.mid(1));
            else if (step.startsWith(u'-'))
                game.PlayerLeft(step.mid(1));
            else if (step.startsWith(u'/'))
                events << game.RefuseChatCommand(step).value_or(QStringLiteral("sent"));
            else if (step != u"*" && step != u"?")
                game.EvalCommand(step);
            for (int n = 1; step == u"?" && n <= 100; ++n)
                if (game.Caller().Called(n))
                    events << QStringLiteral("kept %1").arg(n);
            bulk = step == u"*";
            for (int n = 1; bulk && n <= 100; ++n)
                game.EvalCommand(QStringLiteral("1|%1").arg(n));
            bulk = false;
        }
    }

    MemberTable table;
    RandomGenerator random{3, [] { return quint64(1000); }};
    BingoGame game{table, random};
    QStringList events;
    bool bulk = false; // calls and their log lines left out
};

const char *const NewGame = "3:** A New Game Has Been Started.";
const char *const Seven = "** The Number (7) Has Been Called.";
const char *const AnnWins = "** Ann Has Won The Game! 2 Total Win(s)! **";
const char *const NextRound = "** Click 'New Game' To Begin The Next Round.";

TEST(BingoGame, AcceptsOneClaimPerGameWhenItsLineWasCalledAndSendsTheWinnersTotal)
{
    const char *annsLine = "4|Ann|12@3@77@40@9";
    const struct { const char *what; bool host; QList<Member> members; std::vector<const char *> claims; QStringList events; } cases[] = {
        {"Ann's first win", true, {}, {annsLine}, {"send 3|Ann|1"}}, {"in a player's game", false, {}, {annsLine}, {}},
        {"Ann's second win", true, {{"Ann", 1}}, {annsLine}, {"send 3|Ann|2"}},
        {"a total at its top stays there", true, {{"Ann", 32767}}, {annsLine}, {"send 3|Ann|32767"}},
        {"five different numbers among six", true, {}, {"4|Ann|12@3@77@40@9@12"}, {"send 3|Ann|1"}},
        {"numbers not called", true, {}, {"4|Ann|12@3@17@42@9"}, {"send 6|Ann|uncalled|17@42"}},
        {"four numbers", true, {}, {"4|Ann|12@3@77@40"}, {"send 6|Ann|uncalled|"}},
        {"a number that is not whole", true, {}, {"4|Ann|12@3@77@40@9.2"}, {"send 6|Ann|uncalled|9.2"}},
        {"a second press of BINGO!", true, {}, {annsLine, annsLine}, {"send 3|Ann|1", "send 6|Ann|taken|"}},
        {"a rival's line after the accepted one", true, {}, {annsLine, "4|Bob|5@9@40@77@3"}, {"send 3|Ann|1", "send 6|Bob|taken|"}},
        {"a claim between rounds", true, {}, {"3|Bob|1", annsLine}, {"over", "send 6|Ann|over|"}}};
    for (const auto &c : cases) {
        Game g(c.host, c.members);
        g.game.EvalCommand(QStringLiteral("2|ResetMe|10"));
        for (int n : {12, 3, 77, 40, 9, 5})
            g.game.EvalCommand(QStringLiteral("1|%1").arg(n));
        g.events.clear();
        g.Run(c.claims);
        // Judging shows nothing: the answer is shown when its record comes back.
        g.events.removeIf([](const QString &e) { return e.startsWith(u"**"); });
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
    EXPECT_EQ(QSet<QString>(g.events.begin(), g.events.begin() + 100).size(), 100);
    EXPECT_EQ(g.events.mid(100), QStringList({"done", "done"}));
}

TEST(BingoGame, CarriesOutRecordsAndAnswersPlayersComingAndGoingRefusalsAndLatecomers)
{
    const struct { const char *me; std::vector<const char *> steps; QStringList events; bool inProgress; } cases[] = {
        {"Ann", {"1|07", "?"}, {"** The Number (07) Has Been Called.", "call 7", "kept 7"}, false},
        {"Hal", {"1|7", "2|ResetMe|15", "?"},
         {Seven, "call 7", "start 15", NewGame, "** A number will be called every 15 seconds."}, true},
        {"Ann", {"2|ResetMe|ab"}, {"start ab", NewGame}, true},
        {"Hal", {"2|ResetMe|10", "3|Ann|2"},
         {"start 10", NewGame, "** A number will be called every 10 seconds.", AnnWins, NextRound, "over"}, false},
        {"Ann", {"2|ResetMe|10", "3|Ann|2", "1|7", "?"},
         {"start 10", NewGame, AnnWins, "over", Seven, "call 7", "kept 7"}, false},
        // Records the program never sends.
        {"Hal", {"5|7", "1|0", "1|101", "1|x", "1|7.5", "1", "2|ResetMe", "3|Ann", "x|7", "1.5|7", "4|Hal", "", "?"},
         {}, false},
        {"Ann", {"+Bob", "+hal", "+Ann", "+Hal"},
         {"** Hal, who hosts this game, is not here: no numbers will be called until Hal joins. "
          "hal is here: did you mean hal?"}, false},
        {"Ann", {"+Ann"}, {"** Hal, who hosts this game, is not here: no numbers will be called until Hal joins."}, false},
        {"Ann", {"+Hal", "+Ann", "-Hal", "+Ann"}, {}, false},
        {"Ann", {"+Hal", "+Ann", "2|ResetMe|10", "-Bob", "-Hal", "-Hal"},
         {"start 10", NewGame, "** The round is over: Hal, who hosts this game, has left.", "over"}, false},
        {"Ann", {"2|ResetMe|10", "*", "1|5"},
         {"start 10", NewGame, "** All 100 numbers have been called and nobody has won yet.",
          "** The Number (5) Has Been Called.", "call 5"}, true},
        {"Hal", {"/call 7", "/dance", "/call x"},
         {"sent", "** /dance was not run: the one command is /call followed by a number.",
          "** /call x was not run: the one command is /call followed by a number."}, false},
        {"Ann", {"/call 7"}, {"** /call 7 was not run: only the host, Hal, can give commands."}, false},
        {"Ann", {"6|Ann|uncalled|17@42", "6|Ann|uncalled|17", "6|Ann|over|", "6|Ann|taken|", "6|Ann|uncalled|",
                 "6|Bob|over|", "6|Ann|over"},
         {"** Your claim did not win: 17 and 42 have not been called.",
          "** Your claim did not win: 17 has not been called.", "** Your claim did not win: the round is over.",
          "** Your claim did not win: this round has already been won.",
          "** Your claim did not win: its line does not hold five called numbers."}, false},
        {"Ann", {"5|Bob|15|1", "5|Ann|15|7@3@x@101@9", "5|Ann|15|7@4@9@3"},
         {"start 15", "call 7", "call 3", "call 9",
          "** You joined a round in progress: 3 number(s) had been called before you came.", "call 4"}, true},
        {"Ann", {"2|ResetMe|10", "1|7", "5|Ann|15|7@3", "+Cy"}, {"start 10", NewGame, Seven, "call 7", "call 3"}, true},
        {"Ann", {"2|ResetMe|10", "1|5", "5|Ann|15|7@3"}, {"start 10", NewGame, "** The Number (5) Has Been Called.", "call 5", "start 15",
         "call 7", "call 3", "** You joined a round in progress: 2 number(s) had been called before you came."}, true},
        {"Hal", {"+Hal", "+Ann", "2|ResetMe|15", "1|7", "1|3", "+Bob", "3|Ann|1", "+Ben"},
         {"start 15", NewGame, "** A number will be called every 15 seconds.", Seven, "call 7",
          "** The Number (3) Has Been Called.", "call 3", "send 5|Bob|15|7@3",
          "** Ann Has Won The Game! 1 Total Win(s)! **", NextRound, "over"}, false}};
    for (const auto &c : cases) {
        Game g(QString::fromUtf8(c.me) == u"Hal", {}, c.me);
        g.Run(c.steps);
        EXPECT_EQ(g.events, c.events) << "case " << &c - cases;
        EXPECT_EQ(g.game.InProgress(), c.inProgress) << "case " << &c - cases;
    }
}

TEST(BingoGame, SaysLiveCallsAndWinsShowsTheCallersDisplayAndAsksForMarksWhileAutoMarking)
{
    // "auto" switches auto-marking on; the display is "last | before | count | winner".
    const struct { const char *me; std::vector<const char *> steps; QStringList said, marks; const char *view; } cases[] = {
        {"Ann", {"2|ResetMe|10", "1|1", "1|13", "1|20", "1|42", "1|99", "1|100", "1|7"},
         {"One", "Thirteen", "Twenty", "Forty-two", "Ninety-nine", "One hundred", "Seven"}, {},
         "7 | 100  99  42  20  13 | 7 numbers called | "},
        {"Ann", {"2|ResetMe|10", "1|5", "3|Ann|3", "1|6"}, {"Five", "Ann wins, with 3 wins", "Six"}, {},
         "6 | 5 | 2 numbers called | Ann wins, with 3 wins"},
        {"Ann", {"2|ResetMe|10", "1|5", "3|Bob|1", "2|ResetMe|10"}, {"Five", "Bob wins, with 1 win"}, {},
         " |  | No number called yet | "},
        // A latecomer's display and marks follow the catch-up, which is not said.
        {"Ann", {"auto", "5|Ann|15|7@3@9", "1|4"}, {"Four"}, {"7", "3", "9", "4"}, "4 | 9  3  7 | 4 numbers called | "},
        {"Hal", {"2|ResetMe|10", "1|8", "auto", "1|2", "auto"}, {"Eight", "Two"}, {"8", "2"},
         "2 | 8 | 2 numbers called | "},
        {"Ann", {}, {}, {}, " |  | No number called yet | "}};
    for (const auto &c : cases) {
        Game g(QString::fromUtf8(c.me) == u"Hal", {}, c.me);
        QStringList said, marks;
        QObject::connect(&g.game, &BingoGame::Speak, [&](const QString &words) { said << words; });
        QObject::connect(&g.game, &BingoGame::MarkOnCards, [&](int n) { marks << QString::number(n); });
        for (const char *step : c.steps) {
            if (qstrcmp(step, "auto") == 0)
                g.game.SetAutoMark(true);
            else
                g.Run({step});
        }
        const CallerText::View view = g.game.View();
        EXPECT_EQ(said, c.said) << "case " << &c - cases;
        EXPECT_EQ(marks, c.marks) << "case " << &c - cases;
        EXPECT_EQ(QStringList({view.last, view.before, view.count, view.winner}).join(QStringLiteral(" | ")), c.view)
            << "case " << &c - cases;
    }
}

TEST(CallingInterval, ComesFromUpToTwoCharactersOfWholeSecondsAndIsDescribedToTheHost)
{
    const struct { const char *text; int milliseconds; const char *described; } cases[] = {
        {"10", 10000, "every 10 seconds."}, {"99", 99000, "every 99 seconds."}, {".6", 1000, "every second."},
        {"7.", 7000, "every 7 seconds."}, {"0", 0, "No numbers will"}, {".5", 0, "No numbers will"},
        {"-5", 10000, "\"-5\" is not"}, {"100", 10000, "\"100\" is not"}, {"1.5", 10000, "every 10 seconds: \"1.5\" is not"},
        {"", 10000, "is not"}, {"ab", 10000, "\"ab\" is not"}, {" ", 10000, "is not"}};
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(Interval::Milliseconds(text), c.milliseconds) << '"' << c.text << '"';
        EXPECT_TRUE(Interval::Describe(text).contains(QString::fromUtf8(c.described))) << '"' << c.text << '"';
    }
}

} // namespace
